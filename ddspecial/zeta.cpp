// Riemann zeta function.
//
// Arguments t > 1 are summed either directly (sum i^-t, for t above about 17,
// where it needs fewer than 80 terms), by Borwein's alternating series with
// n = 33 (66 terms with fixed binomial weights, error about 8^-33 relative),
// or by Euler-Maclaurin summation with N = 19 and the even-Bernoulli table.
// Negative arguments go through the functional equation
//   zeta(s) = 2 zeta(t) Gamma(t) cos(pi t / 2) / (2 pi)^t,  t = 1 - s.
#include "ddspecial/zeta.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddreal/rounding.hpp"
#include "ddspecial/bernoulli.hpp"
#include "ddspecial/gamma.hpp"
#include "ddspecial/scaled_impl.hpp"
#include "ddspecial/series.hpp"

namespace dd {

namespace {

constexpr int kZetaMaxTerms = 1000000;
constexpr int kZetaTableMinimum = 47;
/// Above these arguments the direct series is used.
constexpr double kZetarDirectAbove = 17.255530771410132;
constexpr int kZetaintrDirectAbove = 17;
constexpr double kZetabeDirectAbove = 17.666666666666668;
/// Euler-Maclaurin: N = 19, so 12 N = 228 and N^2 = 361.
constexpr int kEmTerms = 19;
/// Within this distance of the pole, 1 - 2^(1-t) is summed directly.
constexpr double kNearPole = 0.25;
/// zeta(IS) overflows from about IS = -280 on; below this the functional
/// equation is not even attempted.
constexpr int kZetaintrOverflowBelow = -1000;
/// ln(2 pi), for the range tests of (2 pi)^t.
constexpr double kLogTwoPi = 1.8378770664093453;
/// Up to this t, Gamma(t) stays below the kernels' splitting limit.
constexpr double kGammaSplitT = 167.5;
/// Above this t = 1 - s, zeta(s) of a non-integer s is beyond the binary64 range.
constexpr double kZetaReflectionOverflowT = 400.0;

using detail::negligible;

/// Bases whose logarithms are kept: every term of the alternating series,
/// the Euler-Maclaurin head and the first terms of the direct series.
constexpr int kCachedLogs = 66;

/// i^t as the power routine forms it, exp(t log i) with the product by
/// DDMUL, but with log i for i <= 66 taken once per process: the same bits,
/// and the series then cost a third of their time (the logarithm is three
/// exponentials).
void base_power(double i, const DDReal& t, DDReal& r) {
  static const std::array<DDReal, kCachedLogs + 1> logs = [] {
    std::array<DDReal, kCachedLogs + 1> l{};
    for (int k = 1; k <= kCachedLogs; ++k) DDLOG(DDReal(static_cast<double>(k), 0.0), l[k]);
    return l;
  }();
  if (i <= kCachedLogs) {
    DDReal x;
    DDMUL(t, logs[static_cast<int>(i)], x);
    DDEXP(x, r);
  } else {
    DDPOWER(DDReal(i, 0.0), t, r);
  }
}

/// i^t, real or integer exponent; in_range(i) tells whether the routine's
/// own power stays below the kernels' splitting limit (the exponential's
/// range for a real t), and inverse(i) gives i^-t otherwise.
struct RealPower {
  const DDReal& t;
  void operator()(double i, DDReal& r) const { base_power(i, t, r); }
  bool in_range(double i) const { return t.hi * std::log(i) < detail::kExpMax - 1.0; }
  DDReal inverse(double i) const {
    DDReal x;
    DDMUL(t, detail::log_accurate(DDReal(i, 0.0)), x);
    DDNEG(x, x);
    return detail::to_dd(detail::exp_scaled(x));
  }
};
struct IntPower {
  int t;
  void operator()(double i, DDReal& r) const { DDNPWR(DDReal(i, 0.0), t, r); }
  bool in_range(double i) const { return static_cast<double>(t) * std::log2(i) < std::log2(detail::kSplitLimit); }
  DDReal inverse(double i) const { return detail::to_dd(detail::pow_scaled(DDReal(i, 0.0), -t)); }
};

/// sum_{i>=1} i^-t, stopped at the first term <= 2^-106 of the sum.  A power
/// past the kernels' splitting limit 2^996 is formed scaled: its term is far
/// below 2^-106 and ends the series.
template <class Power>
void direct_series(const Power& power, const DDReal& eps, const char* limit_msg, DDReal& z) {
  DDReal sum(1.0, 0.0);
  // Step j adds the term of i = j + 1.
  detail::run_series(kZetaMaxTerms - 1, limit_msg, [&](int j) {
    const double i = static_cast<double>(j + 1);
    DDReal p, term;
    if (!power.in_range(i)) {
      term = power.inverse(i);
      DDADD(sum, term, sum);
      return true;
    }
    power(i, p);
    DDDIV(DDReal(1.0, 0.0), p, term);
    DDADD(sum, term, sum);
    return negligible(term, eps, sum);
  }, {1, kZetaMaxTerms});
  z = sum;
}

/// Borwein's series with n = 33; den = 1 - 2^(1-t).
template <class Power>
void borwein_series(const Power& power, const DDReal& one_minus_p1t, DDReal& z) {
  DDReal p33, w;
  DDNPWR(DDReal(2.0), 33, p33);
  DDNEG(p33, w);
  DDReal b(0.0, 0.0), sum(0.0, 0.0);
  double sigma = 1.0;
  for (int i = 1; i <= 66; ++i) {
    DDReal p, term;
    power(static_cast<double>(i), p);
    DDDIV(w, p, term);
    DDMULD(term, sigma, term);
    DDADD(sum, term, sum);
    sigma = -sigma;
    if (i == 33) {
      b = DDReal(1.0, 0.0);
      DDADD(w, b, w);
    } else if (i >= 34) {
      DDMULD(b, static_cast<double>(67 - i), b);
      DDDIVD(b, static_cast<double>(i - 33), b);
      DDADD(w, b, w);
    }
  }
  DDReal den;
  DDMUL(p33, one_minus_p1t, den);
  DDNEG(sum, sum);
  DDDIV(sum, den, z);
}

/// r = 1 - 2^e = -(e^u - 1) with u = e log 2, for |e| < 1/4 (|u| < 0.18),
/// summing u^k / k! until a term falls below 2^-110 of the sum (at most 25
/// terms).
void one_minus_exp2(const DDReal& e, DDReal& r) {
  DDReal l2, u, term, sum;
  DDLOG2(l2);
  DDMUL(e, l2, u);
  term = u;
  sum = u;
  for (int k = 2; k <= 60; ++k) {
    DDMUL(term, u, term);
    DDDIVD(term, static_cast<double>(k), term);
    DDADD(sum, term, sum);
    if (std::fabs(term.hi) <= 0x1p-110 * std::fabs(sum.hi)) break;
  }
  DDNEG(sum, r);
}

/// zeta(s) from zeta(t), t = 1 - s, given Gamma(t) (times 2^-scale), the
/// angle pi t and (2 pi)^t.  The scale is undone at the end (exactly).
void functional_equation(const DDReal& zt, const DDReal& gt, const DDReal& pit, const DDReal& tpt, int scale,
                         DDReal& z) {
  DDReal r, half, cs, sn;
  DDMUL(zt, gt, r);
  DDMULD(pit, 0.5, half);
  DDCSSNR(half, cs, sn);
  DDMUL(r, cs, r);
  DDDIV(r, tpt, r);
  DDMULD(r, 2.0, r);
  if (scale != 0) {
    const double hi = std::ldexp(r.hi, scale);
    r = std::isfinite(hi) ? DDReal(hi, std::ldexp(r.lo, scale)) : DDReal(hi, 0.0);
  }
  z = r;
}

/// The functional equation with Gamma(t) and (2 pi)^t as scaled values, for
/// t where Gamma(t) passes the kernels' splitting limit (t > 167.5) or
/// (2 pi)^t does (integer t > 375).  Past t = 400 the result is beyond the
/// binary64 range for every non-integer s (|cos(pi t / 2)| is at least about
/// t 2^-106 there): a signed infinity.
void functional_equation_scaled(const DDReal& zt, const DDReal& t, const DDReal& pit, DDReal& z) {
  DDReal half, cs, sn;
  DDMULD(pit, 0.5, half);
  DDCSSNR(half, cs, sn);
  if (t.hi > kZetaReflectionOverflowT) {
    z = DDReal(cs.hi == 0.0 ? 0.0 : std::copysign(HUGE_VAL, cs.hi), 0.0);
    return;
  }
  // (2 pi)^t = (2 pi)^n e^(f ln 2 pi) with t = n + f: the logarithm's error
  // then enters times f < 1 rather than times t.
  DDReal pi, tp, l, x, whole, frac;
  DDPI(pi);
  DDMULD(pi, 2.0, tp);
  DDLOG(tp, l);
  DDINFR(t, whole, frac);
  DDMUL(frac, l, x);
  const detail::Scaled tpt =
      detail::mul(detail::pow_scaled(tp, static_cast<std::int64_t>(whole.hi)), detail::exp_scaled(x));
  detail::Scaled r = detail::mul(detail::to_scaled(zt), detail::gamma_scaled(t));
  r = detail::mul(r, detail::to_scaled(cs));
  r = detail::div(r, tpt);
  r.e += 1;
  z = detail::to_dd(r);
}

void functional_equation_real(const DDReal& zt, const DDReal& t, DDReal& z) {
  DDReal gt, pi, pit, tp, tpt;
  DDPI(pi);
  DDMUL(pi, t, pit);
  DDMULD(pi, 2.0, tp);
  if (t.hi > kGammaSplitT) {
    functional_equation_scaled(zt, t, pit, z);
    return;
  }
  DDGAMMAR(t, gt);
  DDPOWER(tp, t, tpt);
  functional_equation(zt, gt, pit, tpt, 0, z);
}

}  // namespace

void DDZETAR(const DDReal& s, DDReal& z) {
  // zeta(+inf) = 1; towards -inf zeta oscillates without bound.
  if (detail::is_nan(s) || std::isinf(s.hi)) {
    z = s.hi == HUGE_VAL ? DDReal(1.0, 0.0) : detail::kNaNWords;
    return;
  }
  int ic;
  DDCOMPARE(s, DDReal(1.0, 0.0), ic);
  if (ic == 0) detail::fail(msg::kZetarOne);
  const DDReal eps = detail::kSeriesEps;
  DDReal ip, fr;
  DDINFR(s, ip, fr);
  if (DDSIGN(fr) == 0) {
    // Integers outside the 32-bit range: zeta is 1 above it; below it zero at
    // the even and a signed infinity at the odd ones (a truncation to 32 bits
    // would lose the parity).
    if (s.hi > 2147483647.0) {
      z = DDReal(1.0, 0.0);
      return;
    }
    if (s.hi < -2147483647.0) {
      DDReal h, w, f;
      DDMULD(s, 0.5, h);
      DDINFR(h, w, f);
      if (DDSIGN(f) == 0) {
        z = DDReal(0.0, 0.0);
        return;
      }
      DDSUB(DDReal(1.0, 0.0), s, h);
      DDMULD(h, 0.25, h);
      DDINFR(h, w, f);  // (1 - s)/2 even: positive
      z = DDReal(DDSIGN(f) == 0 ? HUGE_VAL : -HUGE_VAL, 0.0);
      return;
    }
    DDZETAINTR(static_cast<int>(std::trunc(s.hi)), z);
    return;
  }
  DDReal t;
  if (DDSIGN(s) < 0) {
    DDSUB(DDReal(1.0, 0.0), s, t);
  } else {
    t = s;
  }
  DDReal zt;
  if (t.hi > kZetarDirectAbove) {
    direct_series(RealPower{t}, eps, msg::kZetarIterLimit, zt);
  } else {
    DDReal e, p1t, den;
    DDSUB(DDReal(1.0, 0.0), t, e);
    if (std::fabs(e.hi) < kNearPole) {
      // 1 - 2^(1-t) = -(e^u - 1), u = (1-t) log 2, from the series of e^u - 1:
      // the difference of 1 and a power near 1 would lose the power's
      // absolute error divided by |1 - t| (2^14 units of 2^-104 at t = 0.999,
      // without bound towards the pole).
      one_minus_exp2(e, den);
    } else {
      DDPOWER(DDReal(2.0), e, p1t);
      DDSUB(DDReal(1.0, 0.0), p1t, den);
    }
    borwein_series(RealPower{t}, den, zt);
  }
  if (DDSIGN(s) < 0) {
    functional_equation_real(zt, t, z);
  } else {
    z = zt;
  }
}

void DDZETAINTR(int IS, DDReal& z) {
  if (IS == 1) detail::fail(msg::kZetaintrOne);
  if (IS == 0) {
    z = DDReal(-0.5, 0.0);
    return;
  }
  if (IS < 0 && IS % 2 == 0) {
    z = DDReal(0.0, 0.0);
    return;
  }
  if (IS < kZetaintrOverflowBelow) {
    // |zeta(IS)| = |B(1 - IS)| / (1 - IS) is far beyond the binary64 range;
    // 1 - IS might not even fit an integer.  The sign alternates with IS.
    z = DDReal(((1LL - IS) / 2) % 2 == 0 ? HUGE_VAL : -HUGE_VAL, 0.0);
    return;
  }
  const DDReal eps = detail::kSeriesEps;
  const int t = IS > 0 ? IS : 1 - IS;
  DDReal zt;
  if (t > kZetaintrDirectAbove) {
    direct_series(IntPower{t}, eps, msg::kZetaintrIterLimit, zt);
  } else {
    DDReal p1t, den;
    DDNPWR(DDReal(2.0), 1 - t, p1t);
    DDSUB(DDReal(1.0, 0.0), p1t, den);
    borwein_series(IntPower{t}, den, zt);
  }
  if (IS > 0) {
    z = zt;
    return;
  }
  if (static_cast<double>(t) * kLogTwoPi / std::log(2.0) >= std::log2(detail::kSplitLimit)) {
    // (2 pi)^t itself leaves the range the kernels can split (t > 375).
    DDReal pi, pit;
    DDPI(pi);
    DDMULD(pi, static_cast<double>(t), pit);
    functional_equation_scaled(zt, DDReal(static_cast<double>(t), 0.0), pit, z);
    return;
  }
  // Gamma(t) = (t-1)!; from 170! on it leaves the range in which the kernels
  // can split a word, so it is carried times 2^-scale (exact).
  DDReal g(1.0, 0.0);
  int scale = 0;
  for (int i = 1; i <= t - 1; ++i) {
    DDMULD(g, static_cast<double>(i), g);
    if (std::fabs(g.hi) > 0x1p600) {
      g = DDReal(std::ldexp(g.hi, -600), std::ldexp(g.lo, -600));
      scale += 600;
    }
  }
  DDReal pi, pit, tp, tpt;
  DDPI(pi);
  DDMULD(pi, static_cast<double>(t), pit);
  DDMULD(pi, 2.0, tp);
  DDNPWR(tp, t, tpt);
  functional_equation(zt, g, pit, tpt, scale, z);
}

void DDZETABE(int NB2, const DDReal* table, const DDReal& s, DDReal& z) {
  detail::check_bernoulli_table(NB2, table, kZetaTableMinimum, msg::kZetabeTable);
  if (detail::is_nan(s) || std::isinf(s.hi)) {
    z = s.hi == HUGE_VAL ? DDReal(1.0, 0.0) : detail::kNaNWords;
    return;
  }
  int ic;
  DDCOMPARE(s, DDReal(1.0, 0.0), ic);
  if (ic == 0) detail::fail(msg::kZetabeOne);
  if (DDSIGN(s) == 0) {
    z = DDReal(-0.5, 0.0);
    return;
  }
  const DDReal eps = detail::kSeriesEps;
  DDReal t;
  if (DDSIGN(s) < 0) {
    DDReal h, ip, fr;
    DDMULD(s, 0.5, h);
    DDINFR(h, ip, fr);
    if (DDSIGN(fr) == 0) {
      z = DDReal(0.0, 0.0);
      return;
    }
    DDSUB(DDReal(1.0, 0.0), s, t);
  } else {
    t = s;
  }

  DDReal zt;
  if (t.hi > kZetabeDirectAbove) {
    direct_series(RealPower{t}, eps, msg::kZetabeIterLimit, zt);
  } else {
    DDReal a(1.0, 0.0), p;
    for (int i = 2; i <= kEmTerms; ++i) {
      DDReal r;
      base_power(static_cast<double>(i), t, p);
      DDDIV(DDReal(1.0, 0.0), p, r);
      DDADD(a, r, a);
    }
    DDReal tm1, x, y;
    DDSUB(t, DDReal(1.0, 0.0), tm1);
    DDMUL(tm1, p, x);
    DDDIV(DDReal(19.0, 0.0), x, x);
    DDADD(a, x, a);
    DDDIV(DDReal(0.5, 0.0), p, y);
    DDSUB(a, y, a);

    DDReal rsum, q, r = t;
    DDMULD(p, 228.0, x);
    DDDIV(t, x, rsum);
    DDMULD(p, 19.0, q);
    // The correction sum is tested against itself; for t above about 14.3 it
    // is too small a part of zeta(t) for its terms to fall to 2^-106 of it
    // before the table ends.  The sum as it stood at the first term below
    // 2^-106 of the whole (A + R) then serves instead.
    detail::SeriesFallback fallback{std::fabs(a.hi)};
    const int last = std::min(NB2, kZetaMaxTerms);
    bool done = false;
    // Step j adds the term of k = j + 1.
    detail::run_series(last - 1, msg::kZetabeIterLimit, [&](int jj) {
      const int k = jj + 1;
      const double j = static_cast<double>(2 * k - 2);
      DDReal f1, f2, term, den;
      DDADD(t, DDReal(j, 0.0), f1);
      DDADD(t, DDReal(j - 1.0, 0.0), f2);
      DDMUL(r, f1, r);
      DDMUL(r, f2, r);
      DDDIVD(r, (j + 1.0) * j, r);
      DDMULD(q, 361.0, q);
      DDMUL(r, table[k - 1], term);
      DDMULD(q, static_cast<double>(2 * k), den);
      DDDIV(term, den, term);
      DDADD(rsum, term, rsum);
      if (negligible(term, eps, rsum)) return done = true;
      fallback.note(term, rsum);
      return k == last && fallback.have;
    }, {2, last});
    if (!done) rsum = fallback.sum;
    DDADD(a, rsum, zt);
  }
  if (DDSIGN(s) < 0) {
    functional_equation_real(zt, t, z);
  } else {
    z = zt;
  }
}

}  // namespace dd
