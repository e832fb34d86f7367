// DDINCGAMMAR and DDEXPINT.
//
// Gamma(s, z) for |z| < 88.298 comes from a convergent series: the
// exponential-integral series (with the factor e^(z/2) pulled out, so that it
// has positive terms for z > 0) for s = 0, -1, -2, ..., exp(-z) for s = 1, and
// Gamma(s) (1 - z^s e^-z sum_k z^k / (s)_(k+1)) otherwise.  For |z| >= 88.298
// the asymptotic series z^(s-1) e^-z sum_k (s-1)...(s-k) / z^k is used.
//
// For larger positive z the convergent series cancel: the result is a small
// difference of parts of order one (Gamma(s) and the lower integral, or
// gamma + log z and the series).  Where that cancellation would cost more than
// four bits the result is recomputed from the continued fraction
//   Gamma(s, z) = z^s e^-z / (z + 1 - s - 1(1 - s) / (z + 3 - s - 2(2 - s) / (z + 5 - s - ...)))
// evaluated by the modified Lentz method; everywhere else the series result
// is kept as it is.  The continued fraction also replaces the asymptotic
// series when that diverges (s well above z), and e^-z is formed from
// e^(-z/4) where exp(-z) alone would leave its range (z >= 300).
//
// For s = 0 and z <= -88.298 (Ei of x >= 88.298) the power z^(s-1) of the
// negative z is the integer power 1/z.
#include "ddspecial/incgamma.hpp"

#include <algorithm>
#include <cmath>

#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddreal/rounding.hpp"
#include "ddspecial/gamma.hpp"
#include "ddspecial/scaled_impl.hpp"
#include "ddspecial/series.hpp"

namespace dd {

namespace {

/// Below this |z| the convergent series, above it the asymptotic one.
constexpr double kAsymptoticFrom = 88.298;
/// Terms allowed after the first in each series.
constexpr int kIncgammarMaxTerms = 1000000;
/// Steps allowed in the continued fraction (about 30 suffice at z = 20, a few
/// hundred where it replaces a diverging asymptotic series).
constexpr int kIncgammarMaxCfSteps = 100000;
/// The series result is replaced when its parts exceed it 4-fold (a loss of
/// two bits; the series' own error is a few units of 2^-104 before that).
constexpr double kCancelFactor = 4.0;
/// Above this order -s the finite sum (m-1)! ... z^(m-1) is not formed.
constexpr int kIncgammarMaxFactorialOrder = 160;
/// The exponential's own range: the literal sequences' powers and
/// exponentials are used while their arguments stay inside it.
using detail::kExpLimit;
/// Results are formed as plain double-doubles while they lie inside the
/// range where the kernels keep their precision, scaled otherwise.
using detail::kFullPrecisionMin;
using detail::kSplitLimit;
using detail::Scaled;

using detail::negligible;

/// e^690 is about 1e299, the largest power the kernels can still split.
constexpr double kExpWideLimit = 690.0;
/// log2 of the largest power z^m the integer-order sum forms as it is.
constexpr double kPowerLog2Max = 960.0;
/// Gamma(s) lies inside the range of full precision for s in this interval
/// (and for no larger s; below -170 it is under 2^-969 for most s).
constexpr double kGammaNormalMax = 171.0;
constexpr double kGammaNormalMin = -170.0;
/// From here on Gamma(s) / 2 passes the largest binary64.
constexpr double kGammaHalfOverflowS = 172.5;

/// True when the power routine's e^(b ln a), with b ln a about x, stays
/// inside the range of full precision (e^-671 is 2^-969, e^690 the
/// splitting limit), with a margin for the estimate.
bool power_fits(double x) { return x > -660.0 && x < 680.0; }

/// True when |a| lies where a double-double keeps its full precision.
bool in_full_range(const DDReal& a) {
  const double x = std::fabs(a.hi);
  return x >= kFullPrecisionMin && x < kSplitLimit;
}

/// r = e^x for x < 0 through (e^(x/4))^4 once |x| >= 300.
void exp_wide(const DDReal& x, DDReal& r) {
  if (std::fabs(x.hi) < kExpLimit) {
    DDEXP(x, r);
    return;
  }
  DDReal q, w;
  DDMULD(x, 0.25, q);
  DDEXP(q, w);
  DDMUL(w, w, w);
  DDMUL(w, w, r);
}

/// z^e e^-z for z > 0 as a scaled value: with e = n + f (n the whole part),
/// z^n by binary powering and e^(f log z - z) by one exponential, whose large
/// parts cancel before it is taken.
/// e = whole + frac, and arg = frac log z - z (the exponent of e^-z z^frac).
void power_exp_parts(const DDReal& z, const DDReal& e, DDReal& whole, DDReal& frac, DDReal& arg) {
  DDINFR(e, whole, frac);
  if (DDSIGN(frac) != 0) {
    DDReal lz;
    DDLOG(z, lz);
    DDMUL(frac, lz, arg);
    DDSUB(arg, z, arg);
  } else {
    DDNEG(z, arg);
  }
}

Scaled power_times_exp_scaled(const DDReal& z, const DDReal& e) {
  DDReal whole, frac, arg;
  power_exp_parts(z, e, whole, frac, arg);
  const double n = std::clamp(whole.hi, -9.0e18, 9.0e18);
  return detail::mul(detail::pow_scaled(z, static_cast<std::int64_t>(n)), detail::exp_scaled(arg));
}

/// r = z^e e^-z for z > 0.  With e = n + f (n the whole part), z^n is an
/// integer power and the rest one exponential of f log z - z: the
/// logarithm's error then enters times |f| < 1 instead of times |e|, and the
/// large parts of the exponent cancel before it is taken.  Where a piece or
/// the result leaves the range of full precision, the product is formed
/// scaled.
void power_times_exp(const DDReal& z, const DDReal& e, DDReal& r) {
  // Results outside the binary64 range are a zero or an infinity at once.
  const double size = e.hi * std::log(z.hi) - z.hi;  // natural log of the result, roughly
  if (size < -760.0) {
    r = DDReal(0.0, 0.0);
    return;
  }
  if (size > 720.0) {
    r = DDReal(HUGE_VAL, 0.0);
    return;
  }
  DDReal whole, frac, arg;
  power_exp_parts(z, e, whole, frac, arg);
  DDReal zn;
  DDNPWR(z, static_cast<int>(std::clamp(whole.hi, -2147483647.0, 2147483647.0)), zn);
  if (in_full_range(zn)) {
    DDReal rest;
    bool rest_fits = true;
    if (std::fabs(arg.hi) < kExpLimit - 10.0) {
      DDEXP(arg, rest);
    } else {
      // e^-z from (e^(-z/4))^4 and z^f from the power routine, while e^-z
      // has not lost too much to its subnormal low word (z below about 685).
      DDReal mz;
      DDNEG(z, mz);
      exp_wide(mz, rest);
      rest_fits = std::fabs(rest.hi) >= detail::kLowWordLossLimit;
      if (rest_fits && DDSIGN(frac) != 0) {
        DDReal zf;
        DDPOWER(z, frac, zf);
        DDMUL(zf, rest, rest);
      }
    }
    if (rest_fits) {
      DDMUL(zn, rest, r);
      if (std::fabs(r.hi) < kSplitLimit) return;
    }
  }
  r = detail::to_dd(power_times_exp_scaled(z, e));
}

/// Gamma(s, z) for z > 0 by the continued fraction
///   z^s e^-z / (b0 + a1 / (b1 + a2 / (b2 + ...))),  b_i = z + 1 - s + 2i,  a_i = -i (i - s).
/// The modified Lentz method finds the depth n at which the fraction has
/// settled to 2^-104; the value is then taken by the backward recurrence from
/// depth 5n/4 + 4, whose rounding errors do not pile up as the forward
/// product of n correction factors does (at z = 1 that product had lost some
/// 30 units of 2^-104).
void incgamma_cf(const DDReal& s, const DDReal& z, DDReal& g) {
  constexpr double kTiny = 0x1p-900;
  const DDReal tol(0x1p-104, 0.0);
  DDReal b0, b, c, d;
  DDADD(z, DDReal(1.0, 0.0), b0);
  DDSUB(b0, s, b0);
  b = b0;
  if (std::fabs(b.hi) < kTiny) b = DDReal(kTiny, 0.0);
  c = DDReal(1.0 / kTiny, 0.0);
  DDDIV(DDReal(1.0, 0.0), b, d);
  const int depth = detail::run_series(kIncgammarMaxCfSteps, msg::kIncgammarLoop4, [&](int i) {
    const double di = static_cast<double>(i);
    DDReal an, t;
    DDSUB(DDReal(di, 0.0), s, an);
    DDMULD(an, -di, an);  // -i (i - s)
    DDADD(b, DDReal(2.0, 0.0), b);
    DDMUL(an, d, t);
    DDADD(t, b, d);
    if (std::fabs(d.hi) < kTiny) d = DDReal(kTiny, 0.0);
    DDDIV(an, c, t);
    DDADD(b, t, c);
    if (std::fabs(c.hi) < kTiny) c = DDReal(kTiny, 0.0);
    DDDIV(DDReal(1.0, 0.0), d, d);
    DDReal del;
    DDMUL(d, c, del);
    DDSUB(del, DDReal(1.0, 0.0), t);
    DDABS(t, t);
    int ic;
    DDCOMPARE(t, tol, ic);
    return ic <= 0;
  });

  const int from = depth + depth / 4 + 4;
  DDReal t(0.0, 0.0);
  for (int i = from; i >= 1; --i) {
    const double di = static_cast<double>(i);
    DDReal an, bi, den;
    DDSUB(DDReal(di, 0.0), s, an);
    DDMULD(an, -di, an);
    DDADD(b0, DDReal(2.0 * di, 0.0), bi);
    DDADD(bi, t, den);
    if (std::fabs(den.hi) < kTiny) den = DDReal(kTiny, 0.0);
    DDDIV(an, den, t);
  }
  DDReal den;
  DDADD(b0, t, den);
  DDReal pf;
  power_times_exp(z, s, pf);
  if (in_full_range(pf)) {
    DDDIV(pf, den, g);
  } else {
    g = detail::to_dd(detail::div(power_times_exp_scaled(z, s), detail::to_scaled(den)));
  }
}

/// Asymptotic branch, |z| >= 88.298.
void incgamma_asymptotic(const DDReal& s, const DDReal& z, const DDReal& eps, DDReal& g) {
  DDReal sum(1.0, 0.0), term(1.0, 0.0);
  double prev_mag = 1.0;
  bool diverges = false;
  detail::run_series(kIncgammarMaxTerms, msg::kIncgammarLoop3, [&](int k) {
    const double dk = static_cast<double>(k);
    DDReal f;
    DDSUB(s, DDReal(dk, 0.0), f);
    DDMUL(term, f, term);
    DDDIV(term, z, term);
    DDADD(sum, term, sum);
    if (negligible(term, eps, sum)) return true;
    // Past k > s every factor |s - k| / z only grows: once a term is larger
    // than the one before, the series has passed its smallest term without
    // reaching the working precision and can only diverge.
    const double mag = std::fabs(term.hi);
    diverges = f.hi < 0.0 && mag > prev_mag && z.hi > 0.0;
    prev_mag = mag;
    return diverges;
  });
  if (diverges) {
    incgamma_cf(s, z, g);
    return;
  }

  DDReal sm1, zp;
  DDSUB(s, DDReal(1.0, 0.0), sm1);
  if (z.hi > 0.0) {
    if (z.hi < kExpLimit) {
      if (power_fits(sm1.hi * std::log(z.hi))) {
        DDReal e;
        DDPOWER(z, sm1, zp);
        DDEXP(z, e);
        DDDIV(zp, e, zp);
        if (in_full_range(zp)) {
          DDMUL(zp, sum, g);
          return;
        }
      }
    } else {
      // The sum is near 1: where z^(s-1) e^-z is below the range of full
      // precision, so is the result.
      power_times_exp(z, sm1, zp);
      if (std::fabs(zp.hi) < kSplitLimit) {
        DDMUL(zp, sum, g);
        return;
      }
    }
    // z^(s-1) or e^z leaves the exponential's range, or the product the
    // range of full precision (Gamma(11.5, 700) is about 6e-275).
    g = detail::to_dd(detail::mul(power_times_exp_scaled(z, sm1), detail::to_scaled(sum)));
    return;
  }
  // Only s = 0 reaches here: z^(s-1) = 1/z, and e^-z = e^|z| grows.
  DDNPWR(z, -1, zp);
  if (z.hi > -kExpLimit) {
    DDReal e;
    DDEXP(z, e);
    DDDIV(zp, e, zp);
    DDMUL(zp, sum, g);
    return;
  }
  DDReal mz, e;
  DDNEG(z, mz);
  if (mz.hi < kExpWideLimit) {
    // e^|z| from (e^(|z|/4))^4 while it stays below the split limit.
    DDReal q, w;
    DDMULD(mz, 0.25, q);
    DDEXP(q, w);
    DDMUL(w, w, w);
    DDMUL(w, w, e);
    DDMUL(zp, e, zp);
    DDMUL(zp, sum, g);
    return;
  }
  g = detail::to_dd(detail::mul(detail::mul(detail::to_scaled(zp), detail::exp_scaled(mz)), detail::to_scaled(sum)));
}

/// Gamma(s, z) = Gamma(s) - z^s e^-z sum_k z^k / (s (s+1) ... (s+k)) with
/// Gamma(s) and the power scaled, for 0 < z < max(1, s + 1) where the
/// routine's own series would pass the exponential's range; the continued
/// fraction beyond.  s is not a non-positive integer.
void incgamma_wide(const DDReal& s, const DDReal& z, DDReal& g) {
  if (z.hi >= std::max(1.0, s.hi + 1.0)) {
    incgamma_cf(s, z, g);
    return;
  }
  DDReal term;
  DDDIV(DDReal(1.0, 0.0), s, term);
  const DDReal sum = detail::lower_gamma_sum(s, z, term, kIncgammarMaxTerms, msg::kIncgammarLoop1);
  Scaled lower = detail::mul(power_times_exp_scaled(z, s), detail::to_scaled(sum));
  DDNEG(lower.m, lower.m);
  g = detail::to_dd(detail::add(detail::gamma_scaled(s), lower));
}

/// The finite sum of Gamma(-m, z): a = sum_{k<m} (-1)^k (m-1-k)! z^k and mm = m!.
void negative_integer_sum(int m, const DDReal& z, DDReal& a, DDReal& mm) {
  DDReal p(1.0, 0.0);
  for (int k = 1; k <= m - 1; ++k) DDMULD(p, static_cast<double>(k), p);
  a = p;
  DDMULD(p, static_cast<double>(m), mm);
  for (int k = 1; k <= m - 1; ++k) {
    DDMUL(p, z, p);
    DDDIVD(p, static_cast<double>(m - k), p);
    DDNEG(p, p);
    DDADD(a, p, a);
  }
}

/// Gamma(-m, z) for 0 < z < 1 by the routine's formula
/// ((-1)^m E1(z) + sum_k (-1)^k (m-1-k)! z^k e^-z / z^m) / m!, with z^-m
/// scaled (it leaves the range for small z).
void incgamma_negative_integer_scaled(int m, const DDReal& z, const DDReal& e, DDReal& g) {
  DDReal a, mm;
  negative_integer_sum(m, z, a, mm);
  DDReal mz, ez;
  DDNEG(z, mz);
  DDEXP(mz, ez);
  DDMUL(a, ez, a);
  const Scaled q = detail::mul(detail::to_scaled(a), detail::pow_scaled(z, -static_cast<std::int64_t>(m)));
  DDReal se = e;
  if (m % 2 == 1) DDNEG(se, se);
  g = detail::to_dd(detail::div(detail::add(q, detail::to_scaled(se)), detail::to_scaled(mm)));
}

}  // namespace

namespace detail {

DDReal lower_gamma_sum(const DDReal& s, const DDReal& z, const DDReal& first, int max_terms, const char* loop_end) {
  DDReal term = first, sum = first;
  run_series(max_terms, loop_end, [&](int k) {
    DDReal sk;
    DDADD(s, DDReal(static_cast<double>(k), 0.0), sk);
    DDMUL(term, z, term);
    DDDIV(term, sk, term);
    DDADD(sum, term, sum);
    return negligible(term, kSeriesEps, sum);
  });
  return sum;
}

}  // namespace detail

void DDINCGAMMAR(const DDReal& s, const DDReal& z, DDReal& g) {
  if (detail::is_nan(s) || detail::is_nan(z)) {
    g = detail::kNaNWords;
    return;
  }
  if (DDSIGN(z) == 0 || (DDSIGN(z) < 0 && DDSIGN(s) != 0)) detail::fail(msg::kIncgammarDomain);
  if (std::isinf(z.hi) || std::isinf(s.hi)) {
    // Gamma(s, +inf) = 0; Gamma(0, -inf) = -Ei(inf) = -inf.  An infinite
    // order has no limit to give.
    g = std::isinf(s.hi) ? detail::kNaNWords : DDReal(z.hi > 0.0 ? 0.0 : -HUGE_VAL, 0.0);
    return;
  }
  // For z below s - 1 (below the median of the gamma distribution)
  // Gamma(s, z) exceeds Gamma(s) / 2, past the binary64 range from s = 172.5
  // on (the asymptotic series would only grow there, the series would need
  // Gamma(s) beyond the gamma routine's limit).
  if (s.hi > kGammaHalfOverflowS && z.hi < s.hi - 1.0) {
    g = DDReal(HUGE_VAL, 0.0);
    return;
  }
  const DDReal eps = detail::kSeriesEps;
  const double d = z.hi;
  if (std::fabs(d) >= kAsymptoticFrom) {
    incgamma_asymptotic(s, z, eps, g);
    return;
  }

  DDReal ip, fr;
  DDINFR(s, ip, fr);
  int ic;
  DDCOMPARE(s, ip, ic);
  const bool s_integer = ic == 0;
  const double nd = std::trunc(s.hi);
  const int n = static_cast<int>(std::clamp(nd, -2147483647.0, 2147483647.0));

  if (s_integer && n == 1) {
    DDReal mz;
    DDNEG(z, mz);
    DDEXP(mz, g);
    return;
  }

  if (s_integer && n <= 0) {
    // E = Gamma(0, z) from the exponential-integral series.
    const int m = -n;
    if (m > kIncgammarMaxFactorialOrder && d > 0.0) {
      // (m-1)! and z^(m-1) leave the splitting range (the result would be
      // NaN words, and for huge m the factorial loop would not end in time).
      incgamma_cf(s, z, g);
      return;
    }
    DDReal sum = z, u = z, h(1.0, 0.0);
    // Step j adds term j + 1.
    detail::run_series(kIncgammarMaxTerms, msg::kIncgammarLoop1, [&](int j) {
      const int k = j + 1;
      const double dk = static_cast<double>(k);
      if (k % 2 == 1) {
        DDReal r;
        DDDIVD(DDReal(1.0, 0.0), dk, r);
        DDADD(h, r, h);
      }
      DDMUL(z, u, u);
      DDDIVD(u, 2.0 * dk, u);
      DDReal term;
      DDMUL(u, h, term);
      DDADD(sum, term, sum);
      return negligible(term, eps, sum);
    });
    DDReal gam, az, lz, hz, ez, part, e;
    DDEULER(gam);
    DDNEG(gam, e);
    DDABS(z, az);
    DDLOG(az, lz);
    DDSUB(e, lz, e);
    DDMULD(z, -0.5, hz);
    DDEXP(hz, ez);
    DDMUL(ez, sum, part);
    DDADD(e, part, e);
    // Size of the parts of E, for the cancellation test (positive z only).
    const double e_parts = std::fabs(gam.hi) + std::fabs(lz.hi) + std::fabs(part.hi);

    if (m == 0) {
      if (d > 0.0 && std::fabs(e.hi) * kCancelFactor < e_parts) {
        incgamma_cf(s, z, g);
        return;
      }
      g = e;
      return;
    }
    if (static_cast<double>(m) * std::fabs(std::log2(std::fabs(d))) >= kPowerLog2Max) {
      // z^m leaves the range of full precision (for small z: Gamma(-18, 1e-20)
      // gave NaN words).
      if (d >= 1.0) {
        incgamma_cf(s, z, g);
      } else {
        incgamma_negative_integer_scaled(m, z, e, g);
      }
      return;
    }
    DDReal mm, a;
    negative_integer_sum(m, z, a, mm);
    DDReal ex, zm, q;
    DDEXP(z, ex);
    DDDIV(a, ex, q);
    DDNPWR(z, m, zm);
    DDDIV(q, zm, q);
    DDReal r;
    if (m % 2 == 1) {
      DDSUB(q, e, r);
    } else {
      DDADD(q, e, r);
    }
    if (d > 0.0 && !(std::fabs(r.hi) * kCancelFactor >= std::fabs(q.hi) + e_parts)) {  // NaN included
      incgamma_cf(s, z, g);
      return;
    }
    DDDIV(r, mm, g);
    return;
  }

  // Any other s: Gamma(s) - lower incomplete gamma.  Where Gamma(s) or z^s
  // leaves its range (s beyond 171 or below -170, or s log z beyond about
  // -660 or 680, where the power routine stops or loses its low word), the
  // same sum is formed with scaled values.
  if (s.hi > kGammaNormalMax || s.hi < kGammaNormalMin ||
      !power_fits(s.hi * std::log(d))) {
    incgamma_wide(s, z, g);
    return;
  }
  DDReal gs;
  DDGAMMAR(s, gs);
  // The lower function over Gamma(s), z^s e^-z / (s Gamma(s)) times a sum near
  // 1, must stay in range too (it passes 1e300 for s = -77, z = 7e-4).
  if (!in_full_range(gs) || !power_fits(s.hi * std::log(d) - d - std::log(std::fabs(s.hi * gs.hi)))) {
    incgamma_wide(s, z, g);
    return;
  }
  DDReal term, sum;
  DDMUL(s, gs, term);
  DDDIV(DDReal(1.0, 0.0), term, term);
  sum = detail::lower_gamma_sum(s, z, term, kIncgammarMaxTerms, msg::kIncgammarLoop1);
  DDReal zs, ex, c, omc;
  DDPOWER(z, s, zs);
  DDEXP(z, ex);
  DDDIV(zs, ex, c);
  DDMUL(c, sum, c);
  DDSUB(DDReal(1.0, 0.0), c, omc);
  if (std::fabs(omc.hi) * kCancelFactor < std::max(1.0, std::fabs(c.hi))) {
    incgamma_cf(s, z, g);
    return;
  }
  DDMUL(gs, omc, g);
}

void DDEXPINT(const DDReal& x, DDReal& y) {
  if (detail::is_nan(x)) {
    y = detail::kNaNWords;
    return;
  }
  if (DDSIGN(x) == 0) detail::fail(msg::kExpintZero);
  DDReal mx, g;
  DDNEG(x, mx);
  DDINCGAMMAR(DDReal(0.0, 0.0), mx, g);
  DDNEG(g, y);
}

}  // namespace dd
