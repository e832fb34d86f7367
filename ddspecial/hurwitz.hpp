// The Hurwitz zeta function zeta(s, a) = sum_{n>=0} (n + a)^-s for an integer s >= 2.
#pragma once

#include "ddreal/kernels.hpp"

namespace dd {

namespace msg {
inline constexpr char kHurwitzIsNotPositive[] = "('*** DDHURWITZZETAN: IS less than or equal to 0:')";
inline constexpr char kHurwitzIsOne[] = "('*** DDHURWITZZETAN: IS = 1 is the pole of the function')";
inline constexpr char kHurwitzRange[] = "('*** DDHURWITZZETAN: AA must be in the range (0, 1)')";
inline constexpr char kHurwitzLoopEnd[] = "('*** DDHURWITZZETAN: Loop end error')";
inline constexpr char kHurwitzBeTable[] =
    "('*** DDHURWITZZETANBE: Array of even Bernoulli coefficients must be initialized'/"
    " 'with at least',i8,' entries by calling DDBERNE or DDBERNER.')";
inline constexpr char kHurwitzBeIssNotPositive[] = "('*** DDHURWITZZETANBE: ISS <= 0')";
inline constexpr char kHurwitzBeIssOne[] = "('*** DDHURWITZZETANBE: ISS = 1 is the pole of the function')";
inline constexpr char kHurwitzBeNegative[] = "('*** DDHURWITZZETANBE: AA < 0')";
inline constexpr char kHurwitzBeZero[] = "('*** DDHURWITZZETANBE: AA = 0 is a pole of the function')";
inline constexpr char kHurwitzBeLoop1[] = "('*** DDHURWITZZETANBE: Loop end error 1')";
inline constexpr char kHurwitzBeLoop2[] =
    "('*** DDHURWITZZETANBE: End loop error 2; call DDBERNE with larger NB.')";
}  // namespace msg

/// z = zeta(IS, AA) for IS >= 2 and 0 < AA < 1, by an expansion in
/// incomplete gamma functions; above order 280, or where AA^IS or
/// (1 - AA)^IS falls below 2^-985, by scaled sums (hurwitz_scaled).
void DDHURWITZZETAN(int IS, const DDReal& AA, DDReal& z);

/// z = zeta(ISS, AA) for ISS >= 2 and AA > 0, by the direct series (ISS > 16)
/// or Euler-Maclaurin summation with the even-Bernoulli table (NB2 >= 44);
/// by scaled sums where those would leave the kernels' range.
void DDHURWITZZETANBE(int NB2, const DDReal* table, int ISS, const DDReal& AA, DDReal& z);


}  // namespace dd
