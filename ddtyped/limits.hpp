// std::numeric_limits<dd::DDReal>.
//
// A DDReal is not a fixed-width binary format, so some members need a choice:
//  - digits = 106: two 53-bit significands.  The low word's sign adds one more
//    bit for most values, but 106 is what every value has.
//  - epsilon = 2^-104 (4.93e-32), the customary unit of double-double
//    precision.  It is not the gap above 1, which is the smallest subnormal:
//    (1, 2^-1074) is a DDReal.
//  - round_error = 2 (in units of epsilon): the largest relative error of
//    one kernel operation stays below 2^-103.  Measured against MPFR over
//    200000 random operand pairs of like sign: DDADD 2^-105.0, DDMUL 2^-104.5,
//    DDDIV 2^-103.4.  (DDADD of operands of opposite sign that nearly cancel
//    has only an absolute bound, relative to the operands.)
//  - round_style = round_indeterminate: results are not correctly rounded to
//    any fixed grid.
//  - digits10 = 31 = floor(105 log10 2); max_digits10 = 33 = ceil(1 + 106
//    log10 2).  Decimal text of 35 significant digits written by DDEFORMAT
//    and read back by DDINPC reproduces values to within 2^-103 relative
//    (worst 2^-103.4 over 20000 random values of all magnitudes, see the
//    io_in round-trip test);
//    bit-exact round trips cannot be promised by any digit count, since the
//    low word may lie arbitrarily far below the high word.
//  - min() = 2^-969 (2.0e-292): below it the low word is subnormal and the
//    full precision is lost; min_exponent is set to match.  max() is the
//    largest finite pair (DBL_MAX, largest binary64 below 2^970), but note
//    that the product kernels split operands with 2^27 + 1 and overflow for
//    magnitudes above about 1.3e300.
//  - Infinity and NaN are those of the high word, with a zero low word.
#pragma once

#include <cfloat>
#include <limits>

#include "ddreal/kernels.hpp"

namespace std {

template <>
class numeric_limits<dd::DDReal> {
 public:
  static constexpr bool is_specialized = true;
  static constexpr bool is_signed = true;
  static constexpr bool is_integer = false;
  static constexpr bool is_exact = false;
  static constexpr bool has_infinity = true;
  static constexpr bool has_quiet_NaN = true;
  static constexpr bool has_signaling_NaN = true;
  static constexpr float_denorm_style has_denorm = denorm_present;
  static constexpr bool has_denorm_loss = false;
  static constexpr float_round_style round_style = round_indeterminate;
  static constexpr bool is_iec559 = false;
  static constexpr bool is_bounded = true;
  static constexpr bool is_modulo = false;
  static constexpr int digits = 106;
  static constexpr int digits10 = 31;
  static constexpr int max_digits10 = 33;
  static constexpr int radix = 2;
  static constexpr int min_exponent = -968;
  static constexpr int min_exponent10 = -291;
  static constexpr int max_exponent = DBL_MAX_EXP;
  static constexpr int max_exponent10 = DBL_MAX_10_EXP;
  static constexpr bool traps = false;
  static constexpr bool tinyness_before = false;

  static constexpr dd::DDReal min() noexcept { return dd::DDReal(0x1p-969, 0.0); }
  static constexpr dd::DDReal lowest() noexcept { return dd::DDReal(-DBL_MAX, -0x1.fffffffffffffp+969); }
  static constexpr dd::DDReal max() noexcept { return dd::DDReal(DBL_MAX, 0x1.fffffffffffffp+969); }
  static constexpr dd::DDReal epsilon() noexcept { return dd::DDReal(0x1p-104, 0.0); }
  static constexpr dd::DDReal round_error() noexcept { return dd::DDReal(2.0, 0.0); }
  static constexpr dd::DDReal infinity() noexcept {
    return dd::DDReal(std::numeric_limits<double>::infinity(), 0.0);
  }
  static constexpr dd::DDReal quiet_NaN() noexcept {
    return dd::DDReal(std::numeric_limits<double>::quiet_NaN(), 0.0);
  }
  static constexpr dd::DDReal signaling_NaN() noexcept {
    return dd::DDReal(std::numeric_limits<double>::signaling_NaN(), 0.0);
  }
  static constexpr dd::DDReal denorm_min() noexcept { return dd::DDReal(0x1p-1074, 0.0); }
};

}  // namespace std
