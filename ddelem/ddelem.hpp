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


// ---- circular functions --------------------------------------------------------

/// x = cos a, y = sin a, each to a relative accuracy, for every finite a
/// (NaN words for a NaN or infinite argument).
void DDCSSNR(const DDReal& a, DDReal& x, DDReal& y);
/// a = the angle in (-pi, pi] of the point (x, y).  Stops when both hi words are zero.
void DDANG(const DDReal& x, const DDReal& y, DDReal& a);

namespace detail {

// ---- limits and checks the typed interface uses inline -------------------------

/// The range of DDEXP's literal sequence, |a.hi| below this (e^300 is about
/// 1.9e130); beyond it the exponential scales its mantissa by 2^nz in two
/// exact steps (exp_parts, scale_pow2).
inline constexpr double kExpLimit = 300.0;
/// The smallest binary64 at or above 996 ln 2: from here e^a passes the
/// kernels' splitting limit 2^996 and DDEXP refuses.
inline constexpr double kExpMax = 0x1.592ff2a01625ap+9;
/// Below this e^a is under half the smallest subnormal (-1075 ln 2 = -745.13).
inline constexpr double kExpUnderflow = -746.0;

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

/// sinh a from its Taylor series, for |a| below about kSeriesBelow.
DDReal sinh_series(const DDReal& a);

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
