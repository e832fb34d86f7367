// The Hurwitz zeta function zeta(s, a) = sum_{n>=0} (n + a)^-s for an integer s >= 2.
#pragma once

#include "ddreal/kernels.hpp"
#include "ddspecial/scaled.hpp"

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

namespace detail {

/// True when DDHURWITZZETANBE's own sums stay inside the kernels' range for
/// (ISS, AA), AA > 0: no power of a summed base leaves [2^-985, 2^995] and the
/// direct series ends well within its term limit.  Elsewhere the routine
/// sums with scaled powers (hurwitz_scaled).
bool hurwitz_be_sums_fit(int iss, const DDReal& a);
/// The same for DDHURWITZZETAN's expansion, 0 < a < 1: orders up to 280
/// whose powers a^IS and (1 - a)^IS keep a normal low word.
bool hurwitz_expansion_fits(int is, const DDReal& a);
/// zeta(is, a) for 0 < a < 1 where the expansion does not fit, as a scaled value.
Scaled hurwitz_unit_scaled(int is, const DDReal& a);

/// zeta(s, a) for s >= 2, a > 0 as a scaled value, for orders and arguments
/// whose powers leave the kernels' range: the direct series with scaled
/// powers where it ends within a few hundred terms, else a shift to
/// N >= max(19.15, 0.64 (s + 60)) and Euler-Maclaurin summation from N with
/// the even-Bernoulli table (which must hold at least 44 entries).
Scaled hurwitz_scaled(int s, const DDReal& a, int nb2, const DDReal* table, const char* loop_end);

}  // namespace detail

}  // namespace dd
