// Polygamma and digamma functions.
//
// psi^(n)(x) = (-1)^(n+1) n! zeta(n+1, x).  psi(x) = psi(x + 12) - sum_{i<12} 1/(x+i)
// with the asymptotic expansion
//   psi(y) = log y - 1/(2y) - sum_k B(2k) / (2k y^(2k))
// at y = x + 12, whose terms fall to 2^-106 of their sum near k = 38.
#include "ddspecial/polygamma.hpp"

#include <cmath>

#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddspecial/bernoulli.hpp"
#include "ddspecial/hurwitz.hpp"
#include "ddspecial/scaled_impl.hpp"
#include "ddspecial/series.hpp"

namespace dd {

namespace {

constexpr int kPolygammaTableMinimum = 44;
using detail::kFullPrecisionMin;
using detail::kSplitLimit;
/// The largest order of DDPOLYGAMMA: for X < 1, psi^(NN)(X) exceeds NN!, and
/// 167! is past the kernels' splitting limit.
constexpr int kPolygammaMaxOrder = 166;
/// The largest order of DDPOLYGAMMABE.  Its values at large X stay in range
/// for higher orders (psi^(300)(1000) is about 1e-288); the factorial's
/// rounding errors add up to about NN 2^-106, a few hundred units of 2^-104
/// at most up to here.
constexpr int kPolygammaBeMaxOrder = 1000;
/// Shift of the digamma argument before the asymptotic expansion.
constexpr int kDigammaShift = 12;
/// Arguments above which the asymptotic sum is left out (see DDDIGAMMABE).
constexpr double kDigammaNoSumAbove = 0x1p200;

/// (-1)^(nn+1) nn!; for nn > 166 (beyond the kernels' range) only as a scaled value.
detail::Scaled signed_factorial(int nn) {
  DDReal f(1.0, 0.0);
  std::int64_t e = 0;
  for (int i = 1; i <= nn; ++i) {
    DDMULD(f, static_cast<double>(i), f);
    if (std::fabs(f.hi) > 0x1p600) {
      f = detail::ldexp_words(f, -600);
      e += 600;
    }
  }
  if ((nn + 1) % 2 == 1) DDNEG(f, f);
  return detail::Scaled{f, e};
}

/// y = f zeta, where zeta is the literal sum h or (scaled) the wide one: the
/// literal product where both it and h lie inside the kernels' range.
void product(const detail::Scaled& f, bool literal, const DDReal& h, const detail::Scaled& wide, DDReal& y) {
  if (literal) {
    // The rescaling steps are exact, so below the split limit fd is the
    // plain product 1 * 2 * ... * NN word for word.
    const DDReal fd = detail::to_dd(f);
    const double size = std::fabs(fd.hi) * std::fabs(h.hi);
    if (std::fabs(fd.hi) < kSplitLimit && std::fabs(h.hi) >= kFullPrecisionMin && size < kSplitLimit &&
        size >= kFullPrecisionMin) {
      DDMUL(fd, h, y);
      return;
    }
  }
  y = detail::to_dd(detail::mul(detail::normalise(f.m, f.e), literal ? detail::to_scaled(h) : wide));
}

}  // namespace

void DDPOLYGAMMA(int NN, const DDReal& X, DDReal& y) {
  if (detail::is_nan(X)) {
    y = detail::kNaNWords;
    return;
  }
  if (NN <= 0) detail::fail(msg::kPolygammaNn);
  if (NN > kPolygammaMaxOrder) detail::fail(msg::kPolygammaNnLarge, {kPolygammaMaxOrder});
  int c0, c1;
  DDCOMPARE(X, DDReal(0.0, 0.0), c0);
  DDCOMPARE(X, DDReal(1.0, 0.0), c1);
  if (c0 <= 0 || c1 >= 0) detail::fail(msg::kPolygammaRange);
  const detail::Scaled f = signed_factorial(NN);
  const DDReal x = X;
  DDReal h(0.0, 0.0);
  detail::Scaled wide;
  const bool literal = detail::hurwitz_expansion_fits(NN + 1, x);
  if (literal) {
    DDHURWITZZETAN(NN + 1, x, h);
  } else {
    wide = detail::hurwitz_unit_scaled(NN + 1, x);
  }
  product(f, literal, h, wide, y);
}

void DDPOLYGAMMABE(int NB2, const DDReal* table, int NN, const DDReal& X, DDReal& y) {
  detail::check_bernoulli_table(NB2, table, kPolygammaTableMinimum, msg::kPolygammaBeTable);
  if (detail::is_nan(X)) {
    y = detail::kNaNWords;
    return;
  }
  if (NN <= 0) detail::fail(msg::kPolygammaBeNn);
  if (NN > kPolygammaBeMaxOrder) detail::fail(msg::kPolygammaBeNnLarge, {kPolygammaBeMaxOrder});
  if (DDSIGN(X) < 0) detail::fail(msg::kPolygammaBeNegative);
  const detail::Scaled f = signed_factorial(NN);
  const DDReal x = X;
  DDReal h(0.0, 0.0);
  detail::Scaled wide;
  // X = 0 goes to the Hurwitz routine, whose message names the pole.
  const bool literal = DDSIGN(x) == 0 || detail::hurwitz_be_sums_fit(NN + 1, x);
  if (literal) {
    DDHURWITZZETANBE(NB2, table, NN + 1, x, h);
  } else {
    wide = detail::hurwitz_scaled(NN + 1, x, NB2, table, msg::kHurwitzBeLoop2);
  }
  product(f, literal, h, wide, y);
}

void DDDIGAMMABE(int NB2, const DDReal* table, const DDReal& x, DDReal& y) {
  if (detail::is_nan(x)) {
    y = detail::kNaNWords;
    return;
  }
  if (DDSIGN(x) <= 0) detail::fail(msg::kDigammaBeNotPositive);
  detail::check_bernoulli_table(NB2, table, kPolygammaTableMinimum, msg::kDigammaBeTable);
  const DDReal eps = detail::kSeriesEps;
  DDReal y12;
  DDADD(x, DDReal(static_cast<double>(kDigammaShift), 0.0), y12);
  DDReal r(0.0, 0.0);
  for (int i = 0; i < kDigammaShift; ++i) {
    DDReal v, t;
    DDADD(x, DDReal(static_cast<double>(i), 0.0), v);
    DDDIV(DDReal(1.0, 0.0), v, t);
    DDADD(r, t, r);
  }
  DDReal lg;
  DDLOG(y12, lg);

  // The asymptotic sum is tested against itself; for x below about 0.81 the
  // terms cannot fall to 2^-106 of it (their smallest is near 1e-34 while the
  // sum is about 5e-4), although they are long negligible against log(y12)
  // and the sum of 1/(x+i).  The sum as it stood at the first term below
  // 2^-106 of those then serves instead.
  detail::SeriesFallback fallback{std::fabs(lg.hi) + std::fabs(r.hi)};
  DDReal p(1.0, 0.0), w, tsum(0.0, 0.0);
  DDMUL(y12, y12, w);
  // Beyond y12 = 2^200 the first term is below 2^-400 while log(y12) is
  // above 138: the sum then changes no bit of the result, and past about
  // 2^250 its powers of y12 would leave the splitting range and turn into
  // NaN words (a loop-end stop for a plain argument such as 1e300).
  if (y12.hi <= kDigammaNoSumAbove) {
    bool done = false;
    detail::run_series(NB2, msg::kDigammaBeLoopEnd, [&](int k) {
      DDReal d, term;
      DDMUL(p, w, p);
      DDMULD(p, static_cast<double>(2 * k), d);
      DDDIV(table[k - 1], d, term);
      DDADD(tsum, term, tsum);
      if (detail::negligible(term, eps, tsum)) return done = true;
      fallback.note(term, tsum);
      return k == NB2 && fallback.have;
    });
    if (!done) tsum = fallback.sum;
  }
  DDReal t, h;
  DDSUB(lg, r, t);
  DDMULD(y12, 2.0, h);
  DDDIV(DDReal(1.0, 0.0), h, h);
  DDSUB(t, h, t);
  DDSUB(t, tsum, y);
}

}  // namespace dd
