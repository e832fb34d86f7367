// Elementary transcendental functions of a DDReal: exponential, logarithm and
// power; cosine and sine together, and the angle of a point; hyperbolic
// functions and their inverses; the arithmetic-geometric mean and a Newton
// root finder for polynomials.
//
// Every routine takes its inputs by const reference and writes its results to
// the trailing reference parameters, after it has read all of its inputs, so a
// result may share storage with an input.  Errors print their message and stop
// the package (dd::DDABORT); such routines are not noexcept because a user's
// stop handler may throw.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "ddreal/kernels.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/rounding.hpp"

namespace dd {

namespace msg {
inline constexpr char kExpTooLarge[] = "('*** DDEXP: Argument is too large',f12.6)";
inline constexpr char kExpIterLimit[] = "('*** DDEXP: Iteration limit exceeded.')";
inline constexpr char kLogNotPositive[] = "('*** DDLOG: Argument is less than or equal to zero.')";
inline constexpr char kPowerNotPositive[] = "('DDPOWER: A <= 0')";
inline constexpr char kCssnrIterLimit[] = "('*** DDCSSNR: Iteration limit exceeded.')";
inline constexpr char kAngBothZero[] = "('*** DDANG: Both arguments are zero.')";
inline constexpr char kAcoshBelowOne[] = "('DDACOSH: Argument is < 1.')";
inline constexpr char kAtanhDomain[] = "('DDATANH: Argument is <= -1 or >= 1.')";
inline constexpr char kAgmIterLimit[] = "('*** DDAGMR: Iteration limit exceeded.')";
inline constexpr char kRootNoConvergence[] = "('DDROOT: failed to converge.')";
}  // namespace msg

// ---- exponential, logarithm, power ------------------------------------------

/// b = e^a.  Stops when e^a passes the kernels' splitting limit 2^996 (a.hi
/// from 996 ln 2, about 690.37); below 2^-969 the low word fades gradually,
/// and from a.hi = -746 on the result is zero.
void DDEXP(const DDReal& a, DDReal& b);

/// b = ln a for a.hi > 0, to a relative accuracy also near a = 1.
void DDLOG(const DDReal& a, DDReal& b);
/// p = a^b = exp(b ln a) for a.hi > 0.
void DDPOWER(const DDReal& a, const DDReal& b, DDReal& p);

namespace detail {
/// e^(b ln a) for a.hi > 0 where |b ln a| passes DDEXP's literal range: the
/// logarithm's error, carried |b ln a| times into the exponent, is kept small
/// by ln a = k ln 2 + ln m with m = a 2^-k in [0.7, 1.42) and ln m from a
/// series.  The rounding of the exponent (about |b ln a| 2^-105) stays, a few
/// hundred units of 2^-104 at the top of the range, against some 10^4 for
/// exp(b ln a) itself.
void pow_wide(const DDReal& a, const DDReal& b, DDReal& p);

/// ln(1 + d) = 2 atanh(d / (2 + d)) from the series of atanh, for an exact
/// d with |d| up to about 0.42 (m - 1 for m in [0.7, 1.42]): a few units of
/// 2^-104 relative.
DDReal log1p_series(const DDReal& d);
}  // namespace detail

// ---- circular functions --------------------------------------------------------

/// x = cos a, y = sin a, each to a relative accuracy, for every finite a
/// (NaN words for a NaN or infinite argument).
void DDCSSNR(const DDReal& a, DDReal& x, DDReal& y);
/// a = the angle in (-pi, pi] of the point (x, y).  Stops when both hi words are zero.
void DDANG(const DDReal& x, const DDReal& y, DDReal& a);

namespace detail {
/// True when a is normalised (its hi word is hi + lo rounded) and both words
/// lie far inside the binary64 range (2^-900 .. 2^900, or a zero lo word).
/// For such a value the kernels' multiplication and division by a power of two
/// near 1 reduce to exact scaling of the words (see divd_pow2 and muld_exact).
inline bool exactly_scalable(const DDReal& a) noexcept {
  const double ah = std::fabs(a.hi), al = std::fabs(a.lo);
  return ah >= 0x1p-900 && ah <= 0x1p900 && (al == 0.0 || al >= 0x1p-900) && a.hi + a.lo == a.hi;
}

/// r = DDDIVD(a, d) for d a power of two from 1 to 64.  On an exactly scalable
/// a the kernel's product q1 d is a.hi with no error, so its remainder is
/// (a.lo, 0) (a zero lo word as +0) and its result is (a.hi / d, a.lo / d): the
/// two quotients are formed directly, side by side, instead of one after the
/// other through the remainder.  Checked word for word against DDDIVD on
/// 3e6 random exactly scalable operands for each d.
inline void divd_pow2(const DDReal& a, double d, DDReal& r) noexcept {
  if (exactly_scalable(a)) {
    r = DDReal(a.hi / d, a.lo / d + 0.0);
  } else {
    DDDIVD(a, d, r);
  }
}

/// r = DDMULD(a, d) for d = 2, 1 or -1: on an exactly scalable a the words
/// a.hi d and a.lo d (a zero lo word as +0), else the kernel.
inline void muld_exact(const DDReal& a, double d, DDReal& r) noexcept {
  if (exactly_scalable(a)) {
    r = DDReal(a.hi * d, a.lo * d + 0.0);
  } else {
    DDMULD(a, d, r);
  }
}

// ---- the exponential's pieces, shared by DDEXP, DDLOG and LogSteps ----------

/// The range of DDEXP's literal sequence, |a.hi| below this (e^300 is about
/// 1.9e130); beyond it the exponential scales its mantissa by 2^nz in two
/// exact steps (exp_parts, scale_pow2).
inline constexpr double kExpLimit = 300.0;
/// The smallest binary64 at or above 996 ln 2: from here e^a passes the
/// kernels' splitting limit 2^996 and DDEXP refuses.
inline constexpr double kExpMax = 0x1.592ff2a01625ap+9;
/// Below this e^a is under half the smallest subnormal (-1075 ln 2 = -745.13).
inline constexpr double kExpUnderflow = -746.0;
/// DDEXP's Taylor series of e^(s/64) stops once a term falls to 1e-32 of the sum.
inline constexpr double kExpSeriesTol = 1e-32;
/// With |s/64| below 0.0055 a dozen terms suffice; 99 is a guard.
inline constexpr int kExpMaxTerms = 99;
/// 1 / ln 2 rounded, for the binary64 estimate of the reduction's integer.
inline constexpr double kInvLog2 = 1.4426950408889634;
/// Adding and removing 1.5 * 2^52 rounds a binary64 below 2^51 to an integer.
inline constexpr double kRoundShift = 0x1.8p52;

inline bool same_words(const DDReal& a, const DDReal& b) noexcept {
  return std::bit_cast<std::uint64_t>(a.hi) == std::bit_cast<std::uint64_t>(b.hi) &&
         std::bit_cast<std::uint64_t>(a.lo) == std::bit_cast<std::uint64_t>(b.lo);
}

/// b = a, out of line: a branch that calls it cannot be turned into a
/// conditional move, so the value it replaces is used speculatively.
[[gnu::noinline]] inline void copy_out_of_line(const DDReal& a, DDReal& b) noexcept { b = a; }

/// n = the nearest integer to a / ln 2 as DDNINT gives it, for |a.hi| < 300.
/// n = nearest integer to a / ln 2 (DDDIV, DDNINT) costs some 90 cycles at
/// the head of the exponential's chain.  Away from the half-integers it
/// equals the rounded binary64 estimate a.hi / ln 2 (as (m, +0)), so the
/// estimate is used while the exact n is formed beside it; the branch that
/// compares the two is predicted, and on a mismatch the exact n is taken.
inline void exp_integer(const DDReal& a, DDReal& n) {
  // A negative value that rounds to zero comes out as +0, as DDNINT gives it.
  n = DDReal((a.hi * kInvLog2 + kRoundShift) - kRoundShift, 0.0);
  DDReal q, nt;
  DDDIV(a, kLog2, q);
  DDNINT(q, nt);
  if (!same_words(nt, n)) [[unlikely]] copy_out_of_line(nt, n);
}

/// DDEXP's Taylor series of e^(s/64) in progress.
struct ExpSeries {
  DDReal r, term, sum;
  int l;      ///< index of the next term
  bool done;  ///< the series has stopped (or is not needed: s = 0)
  bool unit;  ///< s = 0: the mantissa is exactly 1
};

/// The reduction s = a - n ln 2 and the start of the series in r = s / 64;
/// returns the binary exponent nz (n's hi word, nudged away from zero by
/// 1e-14 and truncated).
inline int exp_reduce(const DDReal& a, const DDReal& n, ExpSeries& es) noexcept {
  const int nz = static_cast<int>(n.hi + std::copysign(1e-14, n.hi));
  DDReal nl, s;
  DDMUL(n, kLog2, nl);
  DDSUB(a, nl, s);
  es.term = DDReal(1.0, 0.0);
  es.sum = DDReal(1.0, 0.0);
  es.l = 1;
  es.unit = s.hi == 0.0;
  es.done = es.unit;
  if (!es.unit) divd_pow2(s, 64.0, es.r);
  return nz;
}

/// One term of the series: term <- term r / l, sum <- sum + term; true once
/// |term| <= 1e-32 |sum|.  The series is a single dependent chain, about 75
/// cycles per term; the steps whose divisor is a power of two (l = 1, 2, 4,
/// 8) are exact scalings of the words on the operands met here (divd_pow2),
/// and for l = 1 the kernels give term = r itself.
inline bool exp_series_step(ExpSeries& es) {
  const int l = es.l;
  if (l == 1 && exactly_scalable(es.r)) {
    es.term = DDReal(es.r.hi, es.r.lo + 0.0);  // (1 * r) / 1, word for word
  } else {
    DDMUL(es.term, es.r, es.term);
    if ((l & (l - 1)) == 0 && l <= 64) {
      divd_pow2(es.term, static_cast<double>(l), es.term);
    } else {
      DDDIVD(es.term, static_cast<double>(l), es.term);
    }
  }
  DDADD(es.sum, es.term, es.sum);
  if (std::fabs(es.term.hi) <= kExpSeriesTol * std::fabs(es.sum.hi)) {
    es.done = true;
    return true;
  }
  if (l >= kExpMaxTerms) fail(msg::kExpIterLimit);
  es.l = l + 1;
  return false;
}

/// e^s from the finished series: the sum squared six times (1 when s = 0).
inline DDReal exp_mantissa(const ExpSeries& es) noexcept {
  DDReal mant(1.0, 0.0);
  if (!es.unit) {
    DDReal sum = es.sum;
    for (int k = 0; k < 6; ++k) DDMUL(sum, sum, sum);
    mant = sum;
  }
  return mant;
}

/// b = e^a from the finished series: the sum squared six times (e^s), times 2^nz.
inline void exp_finish(const ExpSeries& es, int nz, DDReal& b) noexcept {
  const DDReal mant = exp_mantissa(es);
  // |nz| <= 433, so 2^nz is a normal binary64, built from its exponent field.
  const double scale = std::bit_cast<double>(static_cast<std::uint64_t>(1023 + nz) << 52);
  DDMULD(mant, scale, b);
}

/// e^a = mant 2^nz, mant within [0.7, 1.42], by DDEXP's reduction and series,
/// for a finite a with |a.hi| below 1100.
void exp_parts(const DDReal& a, DDReal& mant, int& nz);

/// (a.hi 2^k, a.lo 2^k): exact while both words stay normal, one rounding
/// per word below (the low word fades first); k from -1600 to 2046, the
/// result finite.
inline DDReal scale_pow2(const DDReal& a, int k) noexcept {
  const auto pow2 = [](int e) { return std::bit_cast<double>(static_cast<std::uint64_t>(1023 + e) << 52); };
  if (k >= -1022 && k <= 1023) return DDReal(a.hi * pow2(k), a.lo * pow2(k));
  // Two steps, the first exact, so that each word is rounded only once.
  const int k1 = k > 0 ? k - 1023 : k + 600;
  const DDReal t(a.hi * pow2(k1), a.lo * pow2(k1));
  return DDReal(t.hi * pow2(k - k1), t.lo * pow2(k - k1));
}

// ---- literal results and their accurate replacements ------------------------
//
// Where a routine's literal sequence may lose its relative accuracy (sines
// near the multiples of pi, logarithms near 1, ...), the routine also forms
// the value by an accurate method and keeps the literal result when it lies
// within kKeepWithin units of 2^-104 of it.  The accurate values carry a few
// units of error, so a kept result is right (within 2^18 units) with room to
// spare, and a product of two kept results is still right; the others are
// replaced.

/// Half of the 2^18 units of 2^-104 within which a result counts as right.
inline constexpr double kKeepWithin = 0x1p17;

/// lit where it lies within kKeepWithin units of acc, relative to acc (also
/// for a subnormal acc, which a caller may still multiply into the normal
/// range), else acc; a NaN lit is replaced.
inline DDReal keep_or_replace(const DDReal& lit, const DDReal& acc) noexcept {
  DDReal d;
  DDSUB(lit, acc, d);
  return std::fabs(d.hi) <= kKeepWithin * 0x1p-104 * std::fabs(acc.hi) ? lit : acc;
}

/// Below this size of the result (|ln a| for the logarithm, |sinh a| for the
/// hyperbolic sine) the literal sequences, whose absolute error stays below
/// about 128 units of 2^-104, may pass kKeepWithin relative: there the
/// routines check them against their Taylor series.
inline constexpr double kSeriesBelow = 0x1p-9;

/// Error-free passes of two-sums over x[0 .. m), which never change the sum
/// of the m values: afterwards x[0] is that sum rounded, x[1] the rest
/// rounded, and so on for the leading words, also after cancellation.
void gather_words(double* x, int m, int words);

/// sinh a from its Taylor series, for |a| below about kSeriesBelow.
DDReal sinh_series(const DDReal& a);

/// e^a by DDEXP's operations, cut into short steps (one term of the series
/// each) so that a caller can interleave this latency-bound chain with other
/// independent work.  Only for a finite a with |a.hi| < 300 (applicable()).
class ExpSteps {
 public:
  static bool applicable(const DDReal& a) noexcept { return std::fabs(a.hi) < kExpLimit && std::isfinite(a.lo); }
  explicit ExpSteps(const DDReal& a) {
    DDReal n;
    exp_integer(a, n);
    nz_ = exp_reduce(a, n, es_);
  }
  /// Advances the series by one term; true once it has stopped.
  bool step() { return es_.done || exp_series_step(es_); }
  /// Runs the remaining terms and returns e^a.
  DDReal finish() {
    while (!step()) {
    }
    DDReal b;
    exp_finish(es_, nz_, b);
    return b;
  }

 private:
  ExpSeries es_{};
  int nz_ = 0;
};

/// ln a by DDLOG's three Newton steps x <- x + (a - e^x) / e^x from
/// x = log(a.hi), cut into short steps (one term of an exponential's series
/// each) so that a caller can interleave this latency-bound chain with
/// independent work; the operations, and so the result, are DDLOG's.  Only
/// for arguments where every step stays in the exponential's range (applicable()).
class LogSteps {
 public:
  /// True for a finite a with a.hi > 0 and |log(a.hi)| < 299, away from 1
  /// (where DDLOG checks its result against a series).
  static bool applicable(const DDReal& a) noexcept {
    return a.hi > 0.0 && std::isfinite(a.hi) && std::isfinite(a.lo) && std::fabs(std::log(a.hi)) < 299.0 &&
           !(std::fabs(a.hi - 1.0) < kSeriesBelow);
  }
  explicit LogSteps(const DDReal& a) : a_(a), x_(std::log(a.hi), 0.0) { start_exp(); }
  /// Advances the computation a little; true once the logarithm is ready.
  bool step() {
    if (newton_ == kNewtonSteps) return true;
    if (!es_.done) {
      exp_series_step(es_);
      return false;
    }
    DDReal t, d, c;
    exp_finish(es_, nz_, t);
    DDSUB(a_, t, d);
    DDDIV(d, t, c);
    DDADD(x_, c, x_);
    if (++newton_ == kNewtonSteps) return true;
    start_exp();
    return false;
  }
  /// Runs the remaining steps and returns ln a.
  DDReal finish() {
    while (!step()) {
    }
    return x_;
  }

 private:
  static constexpr int kNewtonSteps = 3;
  void start_exp() {
    DDReal n;
    exp_integer(x_, n);
    nz_ = exp_reduce(x_, n, es_);
  }
  DDReal a_, x_;
  ExpSeries es_{};
  int nz_ = 0;
  int newton_ = 0;
};

/// DDCSSNR(a, x, y), advancing side (when not null) by one step per term of
/// its series and per angle doubling: the two latency-bound chains overlap.
void cssnr_beside(const DDReal& a, DDReal& x, DDReal& y, ExpSteps* side);

/// a = q pi/2 + r (modulo 2 pi) with |r| <= pi/4: returns q in 0..3 and the
/// reduced argument r to 2^-106 relative (the fraction a 2/pi modulo 1 is
/// formed exactly in integer arithmetic from the bits of 2/pi).
int reduce_half_pi(const DDReal& a, DDReal& r);

/// cos a and sin a, each to a few units of 2^-104 relative, from the exact
/// reduction and the sine's Taylor series; c or s may be null when not wanted.
void cos_sin_accurate(const DDReal& a, DDReal* c, DDReal* s);

/// DDLOG(a, b) and DDANG(x, y, a); each returns false where it replaced its
/// literal result by the accurate one, so that a caller that checks its own
/// literal result knows whether that result is still today's.
bool log_kept(const DDReal& a, DDReal& b);
bool ang_kept(const DDReal& x, const DDReal& y, DDReal& a);
}  // namespace detail

// ---- hyperbolic functions --------------------------------------------------------

/// x = cosh a, y = sinh a.
void DDCOSHSINH(const DDReal& a, DDReal& x, DDReal& y);
/// b = asinh a.
void DDASINH(const DDReal& a, DDReal& b);
/// b = acosh a for a.hi >= 1.
void DDACOSH(const DDReal& a, DDReal& b);
/// b = atanh a for |a.hi| < 1.
void DDATANH(const DDReal& a, DDReal& b);

// ---- arithmetic-geometric mean, polynomial root ------------------------------

/// m = the arithmetic-geometric mean of a and b.
void DDAGMR(const DDReal& a, const DDReal& b, DDReal& m);
/// x = a root of a[0] + a[1] t + ... + a[n] t^n by Newton's method from x0.
/// a points to the n + 1 coefficients, lowest degree first.
void DDROOT(int n, const DDReal* a, const DDReal& x0, DDReal& x);

}  // namespace dd
