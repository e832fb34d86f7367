// The upper incomplete gamma function and the exponential integral.
#pragma once

#include "ddreal/kernels.hpp"

namespace dd {

namespace msg {
inline constexpr char kIncgammarDomain[] =
    "('*** DDINCGAMMAR: The second argument must not be zero,'/"
    " 'and must not be negative unless the first is zero.')";
inline constexpr char kIncgammarLoop1[] = "('*** DDINCGAMMAR: Loop end error 1')";
inline constexpr char kIncgammarLoop3[] = "('*** DDINCGAMMAR: Loop end error 3')";
inline constexpr char kIncgammarLoop4[] = "('*** DDINCGAMMAR: Loop end error 4')";
inline constexpr char kExpintZero[] = "('*** DDEXPINT: argument is zero')";
}  // namespace msg

/// g = Gamma(s, z), the integral of u^(s-1) e^(-u) from z to infinity.
/// z must be nonzero, and may be negative only for s = 0 (then the result is
/// the real part, -Ei(-z)).
void DDINCGAMMAR(const DDReal& s, const DDReal& z, DDReal& g);

/// y = Ei(x) = -Gamma(0, -x) for x != 0.
void DDEXPINT(const DDReal& x, DDReal& y);

namespace detail {
/// sum_{k>=0} t_k with t_0 = first and t_k = t_(k-1) z / (s + k), stopped at
/// the first term within 2^-106 of the sum (the series of the lower
/// incomplete gamma function); past max_terms it stops with loop_end.
DDReal lower_gamma_sum(const DDReal& s, const DDReal& z, const DDReal& first, int max_terms, const char* loop_end);
}  // namespace detail

}  // namespace dd
