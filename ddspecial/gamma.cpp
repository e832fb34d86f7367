// DDGAMMAR: Gamma(t) by reduction to the open unit interval and two Bessel
// series tied together by the reflection formula.
//
// For 0 < tn < 1, with alpha = 56,
//   S1 = sum_j (alpha/2)^(2j) / (j! (tn)_(j+1))   = Gamma(tn) (alpha/2)^(-tn) I_tn(alpha)
//   S2 = the same with -tn                       = Gamma(-tn) (alpha/2)^(tn) I_-tn(alpha)
// and since I_tn(56) and I_-tn(56) agree far below double-double precision,
// Gamma(tn) Gamma(-tn) = -pi / (tn sin(pi tn)) gives
//   Gamma(tn) = sqrt(-pi S1 / (tn sin(pi tn) S2)) 28^tn.
// A general t is reduced to tn by the recurrence Gamma(t+1) = t Gamma(t).
//
// The recurrence products are kept within range by exact power-of-two
// scaling, so results that the plain products would turn into NaN words
// (from about t = 168 on, where the kernels can no longer split the product)
// come out right up to the binary64 limit near t = 171.62 and as +infinity
// beyond it; arguments so small that 1/t leaves the splitting range use
// Gamma(t) = 1/t - gamma, exact to double-double precision for |t| < 2^-480.
#include "ddspecial/gamma.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/rounding.hpp"
#include "ddspecial/scaled_impl.hpp"
#include "ddspecial/series.hpp"

namespace dd {

namespace {

constexpr double kGammarMaxArg = 1.0e8;
constexpr int kGammarMaxTerms = 100000;
/// Gamma(t) exceeds the largest binary64 value for t above about 171.6244.
constexpr double kGammarOverflowArg = 172.0;
/// Below this argument |Gamma(t)| = pi / (|sin(pi t)| Gamma(1 - t)) is under
/// 2^-1074 even for t one subnormal away from a pole (400! ~ 6e868), so the
/// result is a zero of Gamma's sign; the recurrence would take up to 1e8
/// divisions (seconds) to arrive there.
constexpr double kGammarZeroBelow = -400.0;
/// Below this magnitude Gamma(t) = 1/t - gamma to double-double precision.
constexpr double kGammarTinyArg = 0x1p-480;
/// Scaling step for the recurrence products.
constexpr int kScaleStep = 600;
constexpr double kScaleHigh = 0x1p600;
constexpr double kScaleLow = 0x1p-600;
/// Below this fraction tn (t within it above an integer) the series quotient
/// (about 1/tn^2) leaves the splitting range; Gamma(tn) = 1/tn - gamma there.
constexpr double kTinyFraction = 0x1p-498;
/// Below this 1 - tn (t within it below an integer) the second series
/// (about 2^90 / (1 - tn)) leaves the splitting range; Gamma(tn) = 1 + gamma (1 - tn).
constexpr double kTinyFraction2 = 0x1p-880;

DDReal scale2(const DDReal& a, int e) { return DDReal(std::ldexp(a.hi, e), std::ldexp(a.lo, e)); }

/// a * 2^e as the final result: an overflowing hi word gives a signed infinity
/// (lo zero), an underflowing one a signed zero or subnormal.
DDReal finish_scaled(const DDReal& a, std::int64_t e64) {
  if (e64 == 0) return a;
  // Far past the binary64 range either way: the same zero or infinity.
  const int e = static_cast<int>(std::clamp<std::int64_t>(e64, -4000, 4000));
  const double hi = std::ldexp(a.hi, e);
  if (!std::isfinite(hi)) return DDReal(hi, 0.0);
  return DDReal(hi, std::ldexp(a.lo, e));
}

/// Below tn = 1/4 (and above 3/4) the sine of pi tn is summed here from its
/// Taylor series in the smaller of pi tn and pi (1 - tn).  The circular
/// routine takes the sine from the cosine as sqrt(1 - cos^2), whose relative
/// error grows like 2^-106 / sin^2 near multiples of pi: Gamma(1.0012) came out
/// with some 2^17 units of 2^-104 of error that way, and the error grows
/// without bound as t nears an integer.
constexpr double kSineDirectFrom = 0.25;
/// The reduced argument of a negative t is taken as t + n when the literal
/// 1 - phi differs from it by more than this fraction of it (2^17 units).
constexpr double kReducedArgTolerance = 0x1p-87;
/// Denominators formed ahead of the series steps, per block.
constexpr int kGammaDenBlock = 16;

/// The denominator j (x + j) of a series step.
inline void gamma_series_den(const DDReal& x, double dj, DDReal& den) noexcept {
  DDReal t1;
  DDADD(x, DDReal(dj, 0.0), t1);
  DDMULD(t1, dj, den);
}

/// term <- term * 784 / den, sum <- sum + term; true once |term| <= |eps * sum|.
inline bool gamma_series_update(const DDReal& den, const DDReal& eps, DDReal& term, DDReal& sum) noexcept {
  DDDIV(term, den, term);
  DDMULD(term, 784.0, term);
  DDADD(sum, term, sum);
  // eps is 2^-106, so eps * sum by the multiplication kernel is exactly
  // both words of sum scaled by 2^-106 (sum is far above the subnormal
  // range); the scaling is written out to keep this inner loop short.
  DDReal at, es(sum.hi * eps.hi, sum.lo * eps.hi);
  DDABS(term, at);
  DDABS(es, es);
  int ic;
  DDCOMPARE(at, es, ic);
  return ic <= 0;
}

/// One step of a Bessel-type series in x: term <- term * 784 / (j (x + j)),
/// sum <- sum + term; true once |term| <= |eps * sum|.
inline bool gamma_series_step(const DDReal& x, const DDReal& eps, double dj, DDReal& term, DDReal& sum) {
  DDReal den;
  gamma_series_den(x, dj, den);
  return gamma_series_update(den, eps, term, sum);
}

/// The two series, in tn (s1) and in -tn (s2).  They are independent, so
/// while both run, the denominators (off the chains) are formed a block
/// ahead and the two updates follow each other: each series keeps its own
/// operations and stop, and the processor overlaps the two chains of
/// divisions.  The one that runs longer finishes alone.
void gamma_series(const DDReal& tn, const DDReal& mtn, const DDReal& eps, DDReal& s1, DDReal& s2) {
  DDReal term1, term2;
  DDDIV(DDReal(1.0, 0.0), tn, term1);
  DDDIV(DDReal(1.0, 0.0), mtn, term2);
  DDReal sum1 = term1, sum2 = term2;
  bool done1 = false, done2 = false;
  int j = 1;
  while (!(done1 || done2)) {
    // A block of denominators first: they do not depend on the terms, and
    // out of the loop they leave the two chains room to overlap.
    DDReal den1[kGammaDenBlock], den2[kGammaDenBlock];
    for (int i = 0; i < kGammaDenBlock; ++i) {
      const double dj = static_cast<double>(j + i);
      gamma_series_den(tn, dj, den1[i]);
      gamma_series_den(mtn, dj, den2[i]);
    }
    for (int i = 0; i < kGammaDenBlock && !(done1 || done2); ++i, ++j) {
      if (j > kGammarMaxTerms) detail::fail(msg::kGammarIterLimit, {1, kGammarMaxTerms});
      done1 = gamma_series_update(den1[i], eps, term1, sum1);
      done2 = gamma_series_update(den2[i], eps, term2, sum2);
    }
  }
  for (; !(done1 && done2); ++j) {
    if (j > kGammarMaxTerms) detail::fail(msg::kGammarIterLimit, {done1 ? 2 : 1, kGammarMaxTerms});
    const double dj = static_cast<double>(j);
    if (!done1) done1 = gamma_series_step(tn, eps, dj, term1, sum1);
    if (!done2) done2 = gamma_series_step(mtn, eps, dj, term2, sum2);
  }
  s1 = sum1;
  s2 = sum2;
}

/// g = Gamma(tn) for 0 < tn < 1 from the two series and the reflection formula.
void gamma_unit(const DDReal& tn, const DDReal& eps, DDReal& g) {
  DDReal s1, s2, mtn;
  DDNEG(tn, mtn);
  gamma_series(tn, mtn, eps, s1, s2);

  // log 28 is the same on every call; it is taken once (a third of the time
  // of a call otherwise).
  static const DDReal l28 = [] {
    DDReal r;
    DDLOG(DDReal(28.0, 0.0), r);
    return r;
  }();
  // 28^tn = e^(tn log 28), 0 < tn log 28 < 3.4, is summed term by term beside
  // the sine: two independent latency-bound chains that the processor overlaps.
  DDReal e;
  DDMUL(tn, l28, e);
  detail::ExpSteps exp_steps(e);

  DDReal pi, angle, cs, sn;
  DDPI(pi);
  if (tn.hi >= kSineDirectFrom && tn.hi <= 1.0 - kSineDirectFrom) {
    DDMUL(pi, tn, angle);
    detail::cssnr_beside(angle, cs, sn, &exp_steps);
  } else {
    // sin(pi tn) = sin(pi (1 - tn)): the smaller angle, by its own series.
    DDReal u = tn;
    if (tn.hi > 0.5) DDSUB(DDReal(1.0, 0.0), tn, u);
    DDMUL(pi, u, angle);
    detail::small_angle_sine_beside(angle, sn, &exp_steps);
  }
  DDReal num, den, q;
  DDMUL(pi, s1, num);
  DDMUL(sn, s2, den);
  DDMUL(tn, den, den);
  DDDIV(num, den, q);
  DDNEG(q, q);
  DDSQRT(q, q);
  e = exp_steps.finish();
  DDMUL(q, e, g);
}

detail::Scaled gamma_value(const DDReal& t);

}  // namespace

namespace detail {

void small_angle_sine(const DDReal& x, DDReal& s) { small_angle_sine_beside(x, s, nullptr); }

void small_angle_sine_beside(const DDReal& x, DDReal& s, ExpSteps* side) {
  constexpr int kMaxTerms = 100;
  DDReal x2, term = x, sum = x;
  DDMUL(x, x, x2);
  for (int i = 1; i <= kMaxTerms; ++i) {
    if (side != nullptr && side->step()) side = nullptr;
    const double d = static_cast<double>(2 * i) * static_cast<double>(2 * i + 1);
    DDMUL(term, x2, term);
    DDDIVD(term, -d, term);
    DDADD(sum, term, sum);
    if (std::fabs(term.hi) <= 0x1p-110 * std::fabs(sum.hi)) break;
  }
  s = sum;
}

}  // namespace detail

void DDGAMMAR(const DDReal& t, DDReal& z) {
  if (detail::is_nan(t)) {
    z = detail::kNaNWords;
    return;
  }
  const double d = t.hi;
  // The size test comes first so that huge arguments get this routine's
  // message rather than the rounding routine's.
  if (DDSIGN(t) == 0 || std::fabs(d) > kGammarMaxArg) detail::fail(msg::kGammarDomain, {kGammarMaxArg});
  DDReal nt;
  DDNINT(t, nt);
  int ic;
  DDCOMPARE(t, nt, ic);
  if (DDSIGN(t) < 0 && ic == 0) detail::fail(msg::kGammarDomain, {kGammarMaxArg});

  if (d >= kGammarOverflowArg) {
    z = DDReal(HUGE_VAL, 0.0);
    return;
  }
  if (d < kGammarZeroBelow) {
    // Gamma is negative where floor(t) is odd.
    const double fl = ic > 0 ? nt.hi : nt.hi - 1.0;
    const double zero = std::fmod(fl, 2.0) != 0.0 ? -0.0 : 0.0;
    z = DDReal(zero, zero);
    return;
  }
  const detail::Scaled v = gamma_value(t);
  z = finish_scaled(v.m, v.e);
}

namespace {

/// Gamma(t) = m 2^e for an accepted t: the routine's reduction and series,
/// before the final scaling.
detail::Scaled gamma_value(const DDReal& t) {
  const DDReal eps = detail::kSeriesEps;
  const double d = t.hi;
  if (std::fabs(d) < kGammarTinyArg) {
    // 1/t - gamma, formed at a scale where 1/t can be split.
    DDReal ts = scale2(t, kScaleStep), r, g;
    DDDIV(DDReal(1.0, 0.0), ts, r);
    DDEULER(g);
    DDSUB(r, scale2(g, -kScaleStep), r);
    return detail::Scaled{r, kScaleStep};
  }

  DDReal ip, fr;
  DDINFR(t, ip, fr);
  DDReal f(1.0, 0.0);
  // The value of f is f * 2^scale; past |t| of about 8e7 the scale needs
  // more than 32 bits (an int overflowed, and Gamma(-9e7 - 0.5) came out as
  // -infinity).
  std::int64_t scale = 0;
  if (DDSIGN(fr) == 0) {
    const int n = static_cast<int>(ip.hi);
    for (int i = 2; i <= n - 1; ++i) {
      DDMULD(f, static_cast<double>(i), f);
      if (std::fabs(f.hi) > kScaleHigh) {
        f = scale2(f, -kScaleStep);
        scale += kScaleStep;
      }
    }
    return detail::Scaled{f, scale};
  }

  DDReal tn;
  if (DDSIGN(t) > 0) {
    const int n = static_cast<int>(ip.hi);
    tn = fr;
    for (int i = 1; i <= n; ++i) {
      DDReal ti;
      DDSUB(t, DDReal(static_cast<double>(i), 0.0), ti);
      if (std::fabs(ti.hi) < kScaleLow) {  // only t - n = tn, when t is within 2^-600 above n
        ti = scale2(ti, kScaleStep);
        scale -= kScaleStep;
      }
      DDMUL(f, ti, f);
      if (std::fabs(f.hi) > kScaleHigh) {
        f = scale2(f, -kScaleStep);
        scale += kScaleStep;
      }
    }
  } else {
    DDReal omt, phi;
    DDSUB(DDReal(1.0, 0.0), t, omt);
    DDINFR(omt, ip, phi);
    const int n = static_cast<int>(ip.hi);
    DDSUB(DDReal(1.0, 0.0), phi, tn);
    // 1 - t is rounded to the 106 bits of a double-double, an absolute error
    // of up to |t| 2^-106 that tn = 1 - phi inherits; Gamma(tn) ~ 1/tn turns
    // it into a relative error of that size over tn (2^32 units of 2^-104 at
    // t = -8 + 1.7e-10 with a full low word).  t + n is exact there, and
    // replaces tn where the difference would show.
    DDReal tx, dtn;
    DDADD(t, DDReal(static_cast<double>(n), 0.0), tx);
    DDSUB(tn, tx, dtn);
    if (std::fabs(dtn.hi) > kReducedArgTolerance * tx.hi) tn = tx;
    for (int i = 0; i <= n - 1; ++i) {
      DDReal ti;
      DDADD(t, DDReal(static_cast<double>(i), 0.0), ti);
      if (std::fabs(ti.hi) < kScaleLow) {  // t within 2^-600 below the integer -i
        ti = scale2(ti, kScaleStep);
        scale += kScaleStep;
      }
      DDDIV(f, ti, f);
      if (std::fabs(f.hi) < kScaleLow) {
        f = scale2(f, kScaleStep);
        scale -= kScaleStep;
      }
    }
  }

  DDReal g;
  DDReal omtn;
  DDSUB(DDReal(1.0, 0.0), tn, omtn);
  if (tn.hi < kTinyFraction) {
    // Gamma(tn) = 1/tn - gamma + O(tn): 1/tn would leave the splitting range
    // inside the series quotient, so it is formed at a scale.
    DDReal ts = scale2(tn, kScaleStep), eg;
    DDDIV(DDReal(1.0, 0.0), ts, g);
    DDEULER(eg);
    DDSUB(g, scale2(eg, -kScaleStep), g);
    scale += kScaleStep;
  } else if (omtn.hi < kTinyFraction2) {
    // Gamma(1 - e) = 1 + gamma e + O(e^2); the second series would overflow.
    DDReal eg;
    DDEULER(eg);
    DDMUL(eg, omtn, eg);
    DDADD(DDReal(1.0, 0.0), eg, g);
  } else {
    gamma_unit(tn, eps, g);
  }
  DDReal z;
  DDMUL(f, g, z);
  return detail::Scaled{z, scale};
}

}  // namespace

namespace detail {

Scaled gamma_scaled(const DDReal& t) {
  if (is_nan(t)) return Scaled{kNaNWords, 0};
  if (DDSIGN(t) == 0 || std::fabs(t.hi) > kGammarMaxArg) fail(msg::kGammarDomain, {kGammarMaxArg});
  const Scaled v = gamma_value(t);
  return normalise(v.m, v.e);
}

}  // namespace detail

}  // namespace dd
