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
