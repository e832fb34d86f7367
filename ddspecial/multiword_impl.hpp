// A small binary floating-point number of up to kMaxLimbs 64-bit limbs, for
// the few quantities that are differences of terms much larger than their
// result and must keep about 2^-110 absolute: Debye's phase and the uniform
// expansion's exponent at orders and arguments up to the splitting limit.
// Fixed arrays, no allocation.  The costliest call, arc_ratio, takes about
// 9 us at 4 limbs and 55 us at 18.  Private to the library: not installed.
#pragma once

#include <cstdint>

#include "ddreal/kernels.hpp"

namespace dd::detail::multiword {

/// Enough for 2^996 (the splitting limit) and 2^-300 below the units.
inline constexpr int kMaxLimbs = 20;

/// (-1)^neg 0.m 2^exp with m the n limbs m[n-1] .. m[0] (most significant
/// last) read as a fraction: the top bit of m[n-1] is set, or every limb is
/// zero (the number zero).  Operands of one operation share n; every result
/// is truncated to n limbs, an error below one unit of its last bit,
/// 2^(exp - 64n), unless stated otherwise.
struct Number {
  int n = 2;
  bool neg = false;
  int exp = 0;
  std::uint64_t m[kMaxLimbs] = {};
};

/// Limbs for `bits` significant bits, from 2 to kMaxLimbs.
int limbs_for(int bits) noexcept;

/// d exactly (n >= 1 limbs hold its 53 bits).
Number from_double(double d, int n) noexcept;
/// a.hi + a.lo, exact where n limbs span both words.
Number from_dd(const DDReal& a, int n) noexcept;
/// 2/pi to n limbs.
Number two_over_pi(int n) noexcept;

Number add(const Number& a, const Number& b) noexcept;
Number sub(const Number& a, const Number& b) noexcept;
Number mul(const Number& a, const Number& b) noexcept;
/// a d exactly but for the truncation.
Number mul_double(const Number& a, double d) noexcept;
/// a / d, 0 < d < 2^32.
Number div_int(const Number& a, std::uint64_t d) noexcept;
/// a / b and sqrt(a), a >= 0, by Newton's iteration: a few units of the last bit.
Number div(const Number& a, const Number& b) noexcept;
Number sqrt(const Number& a) noexcept;

/// atan(y/x) for y >= 0, x > 0, or atanh(y/x) (hyperbolic) for 0 <= y < x,
/// to a few units of 2^(-64n) absolute.
Number arc_ratio(const Number& y, const Number& x, bool hyperbolic) noexcept;

/// a less a multiple of 4, in [0, 4); exact.  a must have bits below 2^0.
Number modulo4(const Number& a) noexcept;

/// Three doubles, each a run of 53 bits of a (the first its leading bits):
/// their sum is a truncated after 159 bits.  They do not overlap but are
/// not a rounded sum; zero gives zeros.
void words(const Number& a, double (&w)[3]) noexcept;

}  // namespace dd::detail::multiword
