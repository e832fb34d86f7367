// Struve function H_n(x) of a non-negative integer order: for small |x| by its
// power series
//   H_n(x) = (x/2)^(n+1) sum_{k>=0} (-x^2/4)^k / (Gamma(k + 3/2) Gamma(k + n + 3/2)),
// beyond by a series of Bessel functions J (see kStruveBesselFrom).  Large
// orders, where that series cancels or the power series' factors leave the
// kernels' range, take the asymptotic series H_n = Y_n + ... above the
// Bessel switch, or the power series with its factors formed as quotients;
// values below the smallest subnormal are zero.
#pragma once

#include "ddreal/kernels.hpp"

namespace dd {

/// Largest |x| (hi word) that DDSTRUVEHN accepts.
inline constexpr double kStruveMaxArg = 1000.0;
/// The power series is used for |x| below this value.  Its terms grow to about
/// e^x / x before they fall, so it cancels away about 1.4 bits per unit of x
/// (2^-99 relative at 6, 2^-50 at 40, overflow beyond 48.8).  From here on
///   H_n(x) = 4 / (sqrt(pi) Gamma(n + 1/2))
///            sum_{k>=0} (2k+n+1) Gamma(k+n+1) / (k! (2k+1) (2k+2n+1)) J_{2k+n+1}(x),
/// a series over Bessel functions (from Miller's recurrence) whose terms never
/// exceed about 1.6 |H_n(x)|, so nothing cancels.  Measured maximum errors
/// (orders 0-4 and 40, against a 2400-bit series): 4 units of 2^-104 below 4,
/// 28 up to 20, 90 up to 1000.
inline constexpr double kStruveBesselFrom = 4.0;
/// Most terms of the series.
inline constexpr int kStruveMaxTerms = 1000000;

namespace msg {
inline constexpr char kStruveNuNegative[] = "('*** DDSTRUVEHN: NU < 0')";
inline constexpr char kStruveTooLarge[] = "('*** DDSTRUVEHN: ABS(SS) >',f8.2)";
inline constexpr char kStruveLoopEnd[] = "('*** DDSTRUVEHN: Loop end error')";
inline constexpr char kStruveOrder[] = "('*** DDSTRUVEHN: Order too large for the argument')";
}  // namespace msg

/// zz = H_nu(ss) for nu >= 0 and |ss.hi| <= kStruveMaxArg.  The power series
/// stops at the first term of at most 2^-106 of the sum; H_n(-x) = (-1)^(n+1) H_n(x).
void DDSTRUVEHN(int nu, const DDReal& ss, DDReal& zz);

}  // namespace dd
