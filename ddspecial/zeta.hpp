// The Riemann zeta function: real argument, integer argument, and real
// argument by Euler-Maclaurin summation with the even-Bernoulli table.
#pragma once

#include "ddreal/kernels.hpp"

namespace dd {

namespace msg {
inline constexpr char kZetarOne[] = "('*** DDZETAR: argument is 1')";
inline constexpr char kZetarIterLimit[] = "('*** DDZETAR: iteration limit exceeded',2i10)";
inline constexpr char kZetaintrOne[] = "('*** DDZETAINTR: argument is 1')";
inline constexpr char kZetaintrIterLimit[] = "('*** DDZETAINTR: iteration limit exceeded',2i10)";
inline constexpr char kZetabeTable[] =
    "('*** DDZETABE: Array of even Bernoulli coefficients must be initialized'/"
    " 'with at least',i8,' entries.')";
inline constexpr char kZetabeOne[] = "('*** DDZETABE: argument is 1')";
inline constexpr char kZetabeIterLimit[] = "('*** DDZETABE: iteration limit exceeded',2i10)";
}  // namespace msg

/// z = zeta(s) for real s != 1.
void DDZETAR(const DDReal& s, DDReal& z);
/// z = zeta(IS) for an integer IS != 1.
void DDZETAINTR(int IS, DDReal& z);
/// z = zeta(s) for real s != 1, with table[0 .. NB2-1] = B(2), ..., B(2 NB2), NB2 >= 47.
void DDZETABE(int NB2, const DDReal* table, const DDReal& s, DDReal& z);

}  // namespace dd
