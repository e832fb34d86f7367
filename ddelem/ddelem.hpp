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

#include <cmath>

#include "ddreal/kernels.hpp"

namespace dd {

namespace msg {
inline constexpr char kExpTooLarge[] = "('*** DDEXP: Argument is too large',f12.6)";
inline constexpr char kExpIterLimit[] = "('*** DDEXP: Iteration limit exceeded.')";
inline constexpr char kLogNotPositive[] = "('*** DDLOG: Argument is less than or equal to zero.')";
inline constexpr char kPowerNotPositive[] = "('DDPOWER: A <= 0')";
inline constexpr char kCssnrTooLarge[] = "('*** DDCSSNR: argument is too large to compute cos or sin.')";
inline constexpr char kCssnrIterLimit[] = "('*** DDCSSNR: Iteration limit exceeded.')";
inline constexpr char kAngBothZero[] = "('*** DDANG: Both arguments are zero.')";
inline constexpr char kAcoshBelowOne[] = "('DDACOSH: Argument is < 1.')";
inline constexpr char kAtanhDomain[] = "('DDATANH: Argument is <= -1 or >= 1.')";
inline constexpr char kAgmIterLimit[] = "('*** DDAGMR: Iteration limit exceeded.')";
inline constexpr char kRootNoConvergence[] = "('DDROOT: failed to converge.')";
}  // namespace msg

// ---- exponential, logarithm, power ------------------------------------------

/// b = e^a.  Stops for a.hi >= 300; gives zero for a.hi <= -300.
void DDEXP(const DDReal& a, DDReal& b);
/// b = ln a for a.hi > 0.
void DDLOG(const DDReal& a, DDReal& b);
/// p = a^b = exp(b ln a) for a.hi > 0.
void DDPOWER(const DDReal& a, const DDReal& b, DDReal& p);

// ---- circular functions --------------------------------------------------------

/// x = cos a, y = sin a.  Stops for a.hi at or above 10^60.
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

/// DDCSSNR's size test: true when x is at or above 10^60 (compared in binary128
/// where the compiler offers it).
bool cssnr_size_limit(double x);
/// The same test as a binary64 comparison, used where binary128 is missing.
bool cssnr_size_limit_binary64(double x);
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
