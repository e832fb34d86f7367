// Digit strings: binary64 integers to and from strings of decimal digit
// characters.  Used for the exponents of decimal input and F-format parsing
// (DDDIGIN) and for the digit groups and exponents of E-format output (DDDIGOUT).
#pragma once

#include <array>
#include <cmath>

#include "ddreal/outfmt.hpp"

namespace dd {

namespace msg {
inline constexpr char kDiginNonDigit[] = "(' DDDIGIN: non-digit in character string')";
inline constexpr char kDigoutImproperN[] = "('*** DDDIGOUT: Improper value of N',i10)";
}  // namespace msg

namespace detail {
/// Digit value k is the character at offset k.
inline constexpr char kDigits[] = "0123456789";
/// Width of the text DDDIGOUT fills.
inline constexpr int kDigoutWidth = 32;
}  // namespace detail

/// The decimal value of the digits among the first n characters of ca, built
/// as acc = 10 * acc + k in binary64 (exact up to 2^53).  A character that is
/// not a digit prints " DDDIGIN: non-digit in character string", contributes
/// nothing, and reading goes on.  n <= 0 gives 0.
inline double DDDIGIN(const char* ca, int n) {
  double acc = 0.0;
  for (int i = 0; i < n; ++i) {
    const char c = ca[i];
    if (c >= '0' && c <= '9') {
      acc = 10.0 * acc + static_cast<double>(c - '0');
    } else {
      detail::print_lines(msg::kDiginNonDigit);
    }
  }
  return acc;
}

/// The n low-order decimal digits of |a| in positions 1 to n of b32 (b32[0]
/// first), most significant first with leading zeros; positions n + 1 to 32
/// are blanks.  Each step takes q = trunc(d / 10) and the digit
/// trunc(d - 10 q + 1) - 1, then d = q: exact for integer-valued |a| < 2^53,
/// and a fractional part is dropped.  n <= 0 leaves 32 blanks; n > 32 stops
/// with a message.  Beyond 2^53 (where d - 10 q may leave 0..9) the exact
/// remainder fmod(d, 10) stands in, and a non-finite a gives zeros, so every
/// character written is a digit.
inline void DDDIGOUT(double a, int n, char* b32) {
  if (n > detail::kDigoutWidth) detail::fail(msg::kDigoutImproperN, {n});
  for (int i = 0; i < detail::kDigoutWidth; ++i) b32[i] = ' ';
  double d = std::fabs(a);
  for (int i = n; i >= 1; --i) {
    const double q = std::trunc(d / 10.0);
    double k = std::trunc(d - 10.0 * q + 1.0) - 1.0;
    if (!(k >= 0.0 && k <= 9.0)) {
      const double r = std::fmod(d, 10.0);
      k = r >= 0.0 && r <= 9.0 ? std::trunc(r) : 0.0;
    }
    b32[i - 1] = detail::kDigits[static_cast<int>(k)];
    d = q;
  }
}

/// DDDIGOUT returning its 32 characters.
inline std::array<char, detail::kDigoutWidth> DDDIGOUT(double a, int n) {
  std::array<char, detail::kDigoutWidth> b;
  DDDIGOUT(a, n, b.data());
  return b;
}

}  // namespace dd
