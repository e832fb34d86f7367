// The gamma function of a DDReal argument.
#pragma once

#include "ddelem/ddelem.hpp"
#include "ddreal/kernels.hpp"
#include "ddspecial/scaled.hpp"

namespace dd {

namespace msg {
inline constexpr char kGammarDomain[] =
    "('*** DDGAMMAR: input argument must have absolute value <=',f10.0,','/"
    " 'must not be zero, and if negative must not be an integer.')";
inline constexpr char kGammarIterLimit[] = "('*** DDGAMMAR: iteration limit exceeded',2i10)";
}  // namespace msg

/// z = Gamma(t) for 0 < |t| <= 1e8, t not a negative integer (others stop).
/// Values beyond the binary64 range come out as a signed infinity or zero.
void DDGAMMAR(const DDReal& t, DDReal& z);

namespace detail {
/// s = sin(x) for |x| <= pi/2 from its Taylor series, summed until a term
/// falls below 2^-110 of the sum (at most 17 terms).  Unlike a sine taken
/// from the cosine, its relative error stays near 2^-104 as x nears zero.
void small_angle_sine(const DDReal& x, DDReal& s);
/// The same, advancing side (when not null) by one step per term.
void small_angle_sine_beside(const DDReal& x, DDReal& s, ExpSteps* side);
/// Gamma(t) as a scaled value, for arguments whose gamma leaves the binary64
/// range (up to the routine's limit 1e8; stops as DDGAMMAR does otherwise).
Scaled gamma_scaled(const DDReal& t);
}  // namespace detail

}  // namespace dd
