// Struve function H_n(x) of a non-negative integer order, by its power series
//   H_n(x) = (x/2)^(n+1) sum_{k>=0} (-x^2/4)^k / (Gamma(k + 3/2) Gamma(k + n + 3/2)).
#pragma once

#include "ddreal/kernels.hpp"

namespace dd {

/// Largest |x| (hi word) that DDSTRUVEHN accepts.  The series' terms grow to
/// about e^x / x before they fall, so the sum cancels away about 1.4 bits per
/// unit of x.  Measured maximum relative errors against a 400-bit evaluation:
/// 2^-101 for |x| < 4, 2^-94 up to 8, 2^-84 up to 16, 2^-76 up to 20, and
/// (were it accepted) 2^-50 at 40; beyond about 48.8 the terms overflow.
/// So 20 keeps about 23 correct digits.
inline constexpr double kStruveMaxArg = 20.0;
/// Most terms of the series.
inline constexpr int kStruveMaxTerms = 1000000;

namespace msg {
inline constexpr char kStruveNuNegative[] = "('*** DDSTRUVEHN: NU < 0')";
inline constexpr char kStruveTooLarge[] = "('*** DDSTRUVEHN: ABS(SS) >',f8.2)";
inline constexpr char kStruveLoopEnd[] = "('*** DDSTRUVEHN: Loop end error')";
}  // namespace msg

/// zz = H_nu(ss) for nu >= 0 and |ss.hi| <= kStruveMaxArg.  The series stops at
/// the first term of at most 2^-106 of the sum.
void DDSTRUVEHN(int nu, const DDReal& ss, DDReal& zz);

}  // namespace dd
