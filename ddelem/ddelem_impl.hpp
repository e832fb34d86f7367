// The elementary functions' machinery, shared by the library's sources and not
// installed: the pieces of the exponential and the logarithm, their step-by-step
// forms for interleaving latency-bound chains, exact scaling helpers, and the
// accurate reductions behind the circular functions.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "ddelem/ddelem.hpp"
#include "ddreal/kernels.hpp"
#include "ddreal/rounding.hpp"

namespace dd {
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


/// Error-free passes of two-sums over x[0 .. m), which never change the sum
/// of the m values: afterwards x[0] is that sum rounded, x[1] the rest
/// rounded, and so on for the leading words, also after cancellation.
void gather_words(double* x, int m, int words);


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

/// Bits 64j+1 .. 64j+64 after the binary point of 2/pi, most significant
/// first, for j in 0..39 (zero beyond): 2560 bits in all.
std::uint64_t two_over_pi_word(int j);

/// cos a and sin a, each to a few units of 2^-104 relative, from the exact
/// reduction and the sine's Taylor series; c or s may be null when not wanted.
void cos_sin_accurate(const DDReal& a, DDReal* c, DDReal* s);

}  // namespace detail

}  // namespace dd
