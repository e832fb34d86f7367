// The gamma function of a DDReal argument.
#pragma once

#include "ddelem/ddelem.hpp"
#include "ddreal/kernels.hpp"

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


}  // namespace dd
