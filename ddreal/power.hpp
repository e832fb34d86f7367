// Integer power (binary exponentiation) and n-th root (Newton iteration for
// the reciprocal root) of a DDReal.
#pragma once

#include <cmath>
#include <cstdint>

#include "ddreal/kernels.hpp"
#include "ddreal/outfmt.hpp"

namespace dd {

namespace msg {
inline constexpr char kNpwrZero[] = "('*** DDNPWR: Argument is zero and N is negative or zero.')";
inline constexpr char kNrtNegative[] = "('*** DDNRT: Argument is negative.')";
inline constexpr char kNrtImproperN[] = "('*** DDNRT: Improper value of N',i10)";
}  // namespace msg

namespace detail {
/// Beyond this |n| the squarings' errors (up to about |n| 2^-106 relative)
/// may pass 2^17 units of 2^-104: the power is also formed in three-word
/// arithmetic and the literal one kept where it lies within 2^17 units of it.
inline constexpr std::int64_t kNpwrCheckAbove = std::int64_t{1} << 16;
void npwr_large(const DDReal& a, int n, const DDReal& lit, DDReal& b);
}  // namespace detail

/// b = a^n by binary exponentiation; zero to a negative power stops with a message.
/// b may share storage with a.  n = -2^31 is handled (its magnitude is formed in 64 bits).
/// A NaN a gives NaN words, also for n = 0.
inline void DDNPWR(const DDReal& a, int n, DDReal& b) {
  if (std::isnan(a.hi)) {
    b = DDReal(a.hi, a.hi);
    return;
  }
  if (a.hi == 0.0) {
    if (n < 0) detail::fail(msg::kNpwrZero);
    b = DDReal(0.0, 0.0);
    return;
  }
  if (n == 0) {
    b = DDReal(1.0, 0.0);
    return;
  }
  const std::int64_t nn = n < 0 ? -static_cast<std::int64_t>(n) : static_cast<std::int64_t>(n);
  DDReal r;
  if (nn == 1) {
    r = a;
  } else if (nn == 2) {
    DDMUL(a, a, r);
  } else {
    // Number of binary digits of nn; the 1e-14 keeps exact powers of two from
    // losing their top digit to a logarithm that rounds low.
    const int mn = static_cast<int>(std::log(static_cast<double>(nn)) * 1.4426950408889634 + 1.0 + 1e-14);
    r = DDReal(1.0, 0.0);
    DDReal t = a;
    std::int64_t kk = nn;
    for (int j = 1; j <= mn; ++j) {
      if ((kk & 1) != 0) DDMUL(r, t, r);
      kk /= 2;
      if (j < mn) DDMUL(t, t, t);
    }
  }
  if (n < 0) DDDIV(DDReal(1.0, 0.0), r, r);
  if (nn > detail::kNpwrCheckAbove) {
    detail::npwr_large(a, n, r, b);
  } else {
    b = r;
  }
}

namespace detail {
/// DDNRT's Newton steps need x^n ~ 1/a inside the kernels' range: they are
/// right for a.hi from 2^-990 to 2^960 (within 1 unit of 2^-104 measured).
inline constexpr double kNrtLow = 0x1p-990;
inline constexpr double kNrtHigh = 0x1p960;
/// The root for a positive a.hi outside [kNrtLow, kNrtHigh], n >= 3: with
/// a = m 2^(qn + r), (m 2^r)^(1/n) 2^q (for r < 960; beyond, m^(1/n)
/// e^(r ln 2 / n)).  The Newton steps' own result (lit) is kept where it lies
/// within 2^17 units of 2^-104 of that root.
void nrt_scaled(const DDReal& a, int n, const DDReal& lit, DDReal& b);
}  // namespace detail

/// b = a^(1/n) for a >= 0 and n >= 1: three Newton steps x <- x + x(1 - a x^n)/n
/// for the reciprocal root from a binary64 start, then one division.  A zero
/// argument gives zero for every n.  Outside a.hi in [2^-990, 2^960], where
/// x^n may leave the kernels' range, the result is checked against the root
/// of the argument scaled by 2^(qn).
inline void DDNRT(const DDReal& a, int n, DDReal& b) {
  if (a.hi == 0.0) {
    b = DDReal(0.0, 0.0);
    return;
  }
  if (a.hi < 0.0) detail::fail(msg::kNrtNegative);
  if (n <= 0) detail::fail(msg::kNrtImproperN, {n});
  if (n == 1) {
    b = a;
    return;
  }
  if (n == 2) {
    DDSQRT(a, b);
    return;
  }
  const double nd = static_cast<double>(n);
  DDReal x(std::exp(-(std::log(a.hi) / nd)), 0.0);
  for (int k = 0; k < 3; ++k) {
    DDReal t1, t2, t3, t4, t5;
    DDNPWR(x, n, t1);
    DDMUL(a, t1, t2);
    DDSUB(DDReal(1.0, 0.0), t2, t3);
    DDMUL(x, t3, t4);
    DDDIVD(t4, nd, t5);
    DDADD(x, t5, x);
  }
  if (a.hi >= detail::kNrtLow && a.hi <= detail::kNrtHigh) {
    DDDIV(DDReal(1.0, 0.0), x, b);
  } else {
    DDReal lit;
    DDDIV(DDReal(1.0, 0.0), x, lit);
    detail::nrt_scaled(a, n, lit, b);
  }
}

}  // namespace dd
