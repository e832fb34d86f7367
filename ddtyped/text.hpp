// Typed interface: decimal text and input/output.
//
// Conversions between DDReal / DDComplex and decimal text:
//   to_ddreal(text), assign(a, text)   text of any length -> DDReal (DDINPC)
//   dd_eformat, dd_fformat             DDReal -> nb characters (DDEFORMAT, DDFFORMAT)
//   dd_write, dd_read                  one to five values on a numbered unit
//   to_chars, from_chars               exact text both ways (ddtyped/charconv.hpp)
//   operator<<, operator>>             standard streams
//   1.1_dd                             the literal's decimal text, not a binary64
// and std::numeric_limits<dd::DDReal> (ddtyped/limits.hpp).
#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

#include "ddcomplex/ddcomplex.hpp"
#include "ddio/input.hpp"
#include "ddio/output.hpp"
#include "ddreal/kernels.hpp"
#include "ddtyped/charconv.hpp"
#include "ddtyped/limits.hpp"

namespace dd {

// ---- text to DDReal -----------------------------------------------------------

/// The value of text (any length): its first 120 characters, blank-filled
/// when shorter, converted by DDINPC.  Characters beyond the 120th are
/// ignored; a syntax error stops with DDINPC's message.
DDReal to_ddreal(std::string_view text);
inline DDReal to_ddreal(const char* text) { return to_ddreal(std::string_view(text)); }
inline DDReal to_ddreal(const std::string& text) { return to_ddreal(std::string_view(text)); }

/// a = to_ddreal(text).  The assignment a = text cannot be an operator:
/// operator= must be a member, and DDReal stays a plain aggregate-like pair
/// shared with every kernel.  a = "1.25"_dd covers literal text.
inline void assign(DDReal& a, std::string_view text) { a = to_ddreal(text); }

// ---- DDReal to text -----------------------------------------------------------

/// b[0..nb-1] = DDEFORMAT(a, nb, nd): exponent form, left-justified.
inline void dd_eformat(const DDReal& a, int nb, int nd, char* b) { DDEFORMAT(a, nb, nd, b); }

/// b[0..nb-1] = DDFFORMAT(a, nb, nd): fixed point with nd decimals, right-justified.
inline void dd_fformat(const DDReal& a, int nb, int nd, char* b) { DDFFORMAT(a, nb, nd, b); }

// ---- units ------------------------------------------------------------------------

namespace detail {
template <class T, class... R>
concept up_to_four_more = sizeof...(R) <= 4 && (std::same_as<R, T> && ...);
}  // namespace detail

/// DDEWRITE(iu, nb, nd, ak) for each value in argument order: one record each.
template <class... R>
  requires detail::up_to_four_more<DDReal, R...>
void dd_write(int iu, int nb, int nd, const DDReal& a1, const R&... rest) {
  DDEWRITE(iu, nb, nd, a1);
  (DDEWRITE(iu, nb, nd, rest), ...);
}

/// For each value in argument order, DDEWRITE of its real part, then of its
/// imaginary part: two records each.
template <class... R>
  requires detail::up_to_four_more<DDComplex, R...>
void dd_write(int iu, int nb, int nd, const DDComplex& c1, const R&... rest) {
  DDEWRITE(iu, nb, nd, c1.re);
  DDEWRITE(iu, nb, nd, c1.im);
  ((DDEWRITE(iu, nb, nd, rest.re), DDEWRITE(iu, nb, nd, rest.im)), ...);
}

/// DDINP(iu, ak) for each argument in order: one record each.
template <class... R>
  requires detail::up_to_four_more<DDReal, R...>
void dd_read(int iu, DDReal& a1, R&... rest) {
  DDINP(iu, a1);
  (DDINP(iu, rest), ...);
}

/// For each argument in order, DDINP into its real part, then into its
/// imaginary part: two records each.
template <class... R>
  requires detail::up_to_four_more<DDComplex, R...>
void dd_read(int iu, DDComplex& c1, R&... rest) {
  DDINP(iu, c1.re);
  DDINP(iu, c1.im);
  ((DDINP(iu, rest.re), DDINP(iu, rest.im)), ...);
}

// ---- streams ----------------------------------------------------------------------

/// Writes the exact value of a rounded correctly, as the stream's flags ask
/// and as a double would be written (to_chars with the same format):
///  - std::fixed: precision() digits after the point;
///  - std::scientific: precision() digits after the point, exponent "e+05";
///  - otherwise precision() significant digits (0 counts as 1), fixed when the
///    decimal exponent x satisfies -4 <= x < precision, exponent form
///    otherwise, trailing zeros removed unless std::showpoint;
///  - std::hexfloat (fixed and scientific together): the shortest text that
///    from_chars reads back as the same two words.
/// width(), fill() and left/right/internal adjustment apply to the whole text;
/// std::showpos adds "+", std::showpoint keeps the point, std::uppercase
/// writes "E", "INF", "NAN".  A value whose sum of words is not finite is
/// written as inf, -inf, nan or -nan.  Precision is capped at 1000.
std::ostream& operator<<(std::ostream& os, const DDReal& a);

/// "(re,im)", each part formatted as above; width applies to the whole text.
std::ostream& operator<<(std::ostream& os, const DDComplex& z);

/// Reads one whitespace-delimited token (leading whitespace skipped as the
/// stream says) and converts it with DDINPC (its syntax, "d" exponents
/// included).  No token at all, a token longer than 120 characters, one that
/// breaks the syntax or has no digit in its mantissa or its exponent ("-",
/// ".", "e5", "1e", "1e+") set failbit and store zero.  As for double, a value
/// beyond the binary64 range sets failbit and stores the largest finite value
/// of its sign, and one below it reads as zero.  Nothing stops.
std::istream& operator>>(std::istream& is, DDReal& a);

/// Reads "(re,im)", "(re)" or a plain real as one token (no blanks inside);
/// failbit and zero when either part is refused or out of range.
std::istream& operator>>(std::istream& is, DDComplex& z);

// ---- literal ----------------------------------------------------------------------

namespace detail {

/// What is wrong with the characters of a numeric literal as decimal text
/// (digit separators removed), or nullptr when nothing is.
template <std::size_t N>
consteval const char* literal_fault(const std::array<char, N>& c) {
  std::size_t digits_before = 0, len = 0, exp_digits = 0;
  bool point = false, exponent = false;
  for (std::size_t i = 0; i < N; ++i) {
    const char ch = c[i];
    if (ch == '\'') continue;
    ++len;
    if (ch == 'x' || ch == 'X' || ch == 'b' || ch == 'B') return "hexadecimal and binary literals are not decimal text";
    if (ch == '.') point = true;
    if (ch == 'e' || ch == 'E') exponent = true;
    if (ch >= '0' && ch <= '9') {
      if (exponent) ++exp_digits;
      else if (!point) ++digits_before;
    }
  }
  if (len > 120) return "a literal of more than 120 characters";
  if (exp_digits > 3) return "an exponent of more than three digits";
  if (!point && !exponent && digits_before > 1 && c[0] == '0')
    return "a leading zero makes an integer literal octal; write it without the zero or with a point";
  return nullptr;
}

template <char... C>
inline constexpr std::array<char, sizeof...(C)> literal_chars{C...};

}  // namespace detail

inline namespace literals {

/// The DDReal of the literal's decimal text (1.1_dd is 11 * 10^-1 in
/// double-double, not the binary64 1.1).  Digit separators are ignored;
/// hexadecimal, binary and octal forms, exponents of more than three digits
/// and literals of more than 120 characters are refused at compile time.
template <char... C>
DDReal operator""_dd() {
  constexpr const auto& chars = detail::literal_chars<C...>;
  static_assert(detail::literal_fault(chars) == nullptr, "_dd: the literal is not decimal text DDINPC accepts");
  std::array<char, kInputField> field;
  field.fill(' ');
  std::size_t k = 0;
  for (const char ch : chars) {
    if (ch != '\'') field[k++] = ch;
  }
  DDReal r;
  DDINPC(field.data(), r);
  return r;
}

}  // namespace literals

}  // namespace dd
