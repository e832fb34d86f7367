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
#include "ddspecial/series.hpp"

namespace dd {

namespace {

constexpr int kPolygammaTableMinimum = 44;
/// The largest order whose factorial the kernels can still multiply: 167! is
/// about 1.5e300, past the splitting limit of about 1.34e300, and would turn
/// the result into NaN words.
constexpr int kPolygammaMaxOrder = 166;
/// Shift of the digamma argument before the asymptotic expansion.
constexpr int kDigammaShift = 12;
/// Arguments above which the asymptotic sum is left out (see DDDIGAMMABE).
constexpr double kDigammaNoSumAbove = 0x1p200;

/// (-1)^(nn+1) nn!.
DDReal signed_factorial(int nn) {
  DDReal f(1.0, 0.0);
  for (int i = 1; i <= nn; ++i) DDMULD(f, static_cast<double>(i), f);
  if ((nn + 1) % 2 == 1) DDNEG(f, f);
  return f;
}

}  // namespace

void DDPOLYGAMMA(int NN, const DDReal& X, DDReal& y) {
  if (NN <= 0) detail::fail(msg::kPolygammaNn);
  if (NN > kPolygammaMaxOrder) detail::fail(msg::kPolygammaNnLarge, {kPolygammaMaxOrder});
  int c0, c1;
  DDCOMPARE(X, DDReal(0.0, 0.0), c0);
  DDCOMPARE(X, DDReal(1.0, 0.0), c1);
  if (c0 <= 0 || c1 >= 0) detail::fail(msg::kPolygammaRange);
  const DDReal f = signed_factorial(NN);
  DDReal h;
  DDHURWITZZETAN(NN + 1, X, h);
  DDMUL(f, h, y);
}

void DDPOLYGAMMABE(int NB2, const DDReal* table, int NN, const DDReal& X, DDReal& y) {
  detail::check_bernoulli_table(NB2, table, kPolygammaTableMinimum, msg::kPolygammaBeTable);
  if (NN <= 0) detail::fail(msg::kPolygammaBeNn);
  if (NN > kPolygammaMaxOrder) detail::fail(msg::kPolygammaBeNnLarge, {kPolygammaMaxOrder});
  if (DDSIGN(X) < 0) detail::fail(msg::kPolygammaBeNegative);
  const DDReal f = signed_factorial(NN);
  DDReal h;
  DDHURWITZZETANBE(NB2, table, NN + 1, X, h);
  DDMUL(f, h, y);
}

void DDDIGAMMABE(int NB2, const DDReal* table, const DDReal& x, DDReal& y) {
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
  bool done = y12.hi > kDigammaNoSumAbove;
  for (int k = 1; k <= NB2 && !done; ++k) {
    DDReal d, term;
    DDMUL(p, w, p);
    DDMULD(p, static_cast<double>(2 * k), d);
    DDDIV(table[k - 1], d, term);
    DDADD(tsum, term, tsum);
    if (detail::negligible(term, eps, tsum)) {
      done = true;
      break;
    }
    fallback.note(term, tsum);
  }
  if (!done) {
    if (!fallback.have) detail::fail(msg::kDigammaBeLoopEnd);
    tsum = fallback.sum;
  }
  DDReal t, h;
  DDSUB(lg, r, t);
  DDMULD(y12, 2.0, h);
  DDDIV(DDReal(1.0, 0.0), h, h);
  DDSUB(t, h, t);
  DDSUB(t, tsum, y);
}

}  // namespace dd
