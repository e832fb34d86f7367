// Polygamma psi^(n)(x) through the Hurwitz zeta function, and digamma psi(x).
#pragma once

#include "ddreal/kernels.hpp"

namespace dd {

namespace msg {
inline constexpr char kPolygammaNn[] = "('*** DDPOLYGAMMA: NN <= 0')";
inline constexpr char kPolygammaNnLarge[] =
    "('*** DDPOLYGAMMA: NN must be at most',i4,'; NN! leaves the range of the arithmetic.')";
inline constexpr char kPolygammaRange[] = "('*** DDPOLYGAMMA: X must be in the range (0, 1)')";
inline constexpr char kPolygammaBeTable[] =
    "('*** DDPOLYGAMMABE: Array of even Bernoulli coefficients must be initialized'/"
    " 'with at least',i8,' entries by calling DDBERNE or DDBERER.')";
inline constexpr char kPolygammaBeNn[] = "('*** DDPOLYGAMMABE: NN <= 0')";
inline constexpr char kPolygammaBeNnLarge[] = "('*** DDPOLYGAMMABE: NN must be at most',i5,'.')";
inline constexpr char kPolygammaBeNegative[] = "('*** DDPOLYGAMMABE: X < 0')";
inline constexpr char kDigammaBeNotPositive[] = "('*** DDDIGAMMABE: Argument is less than or equal to 0')";
inline constexpr char kDigammaBeTable[] =
    "('*** DDDIGAMMABE: Array of even Bernoulli coefficients must be initialized'/"
    " 'with at least',i8,' entries using DDBERNE or DDBERNER.')";
inline constexpr char kDigammaBeLoopEnd[] = "('*** DDDIGAMMABE: Loop end error: Increase NB2')";
}  // namespace msg

/// y = psi^(NN)(X) = (-1)^(NN+1) NN! zeta(NN+1, X) for 1 <= NN <= 166 and 0 < X < 1
/// (a signed infinity where the value passes the binary64 range).
void DDPOLYGAMMA(int NN, const DDReal& X, DDReal& y);
/// y = psi^(NN)(X) for 1 <= NN <= 1000 and X > 0, with the even-Bernoulli table
/// (NB2 >= 44); the factorial and the Hurwitz sum are scaled where they leave
/// the kernels' range, so the value is right wherever it lies in range.
void DDPOLYGAMMABE(int NB2, const DDReal* table, int NN, const DDReal& X, DDReal& y);
/// y = psi(x) for x > 0, with the even-Bernoulli table (NB2 >= 44).
void DDDIGAMMABE(int NB2, const DDReal* table, const DDReal& x, DDReal& y);

}  // namespace dd
