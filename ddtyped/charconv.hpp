// Decimal text of a DDReal in the shape of <charconv>: to_chars and
// from_chars, exact in both directions.
//
// The value of a pair is the exact sum hi + lo of its words.  to_chars writes
// that value rounded correctly (to nearest, ties to even) to the digits asked
// for; from_chars reads the exact value x of the text and gives the pair
//   hi = x rounded to binary64,  lo = (x - hi) rounded to binary64,
// renormalised so that hi = fl(hi + lo); a zero lo is +0.  Both use exact
// decimal arithmetic on the words, so the digits do not depend on the
// kernels' rounding (11 is written as 11, never as 10.99...9).
//
// The shortest form (no precision given) is the text with the fewest
// significant digits that from_chars reads back as the same two words, the
// one nearest the value when several have that many digits.  A pair carries
// no fixed number of digits: when lo is full the shortest text has about 33
// significant digits, but a pair whose lo is zero or has few bits stands for
// exactly hi + lo, and the text must pin that value down to within half a
// unit of lo's last place (DDReal(0.1), that is (0.1, 0), takes the 55 digits
// of the binary64 0.1).  A pair whose words are not normalised (hi is not
// fl(hi + lo)) is written as the normalised pair of the same exact value, the
// two-sum of its words, which is what its text reads back as; a pair whose
// exact sum lies beyond the binary64 range has no text that reads back and is
// written with all of its digits.  Round trips are bit for bit except for the
// sign of a zero lo word.  A shortest text has at most about 633 significant digits
// (a hi near the largest binary64 with a subnormal lo), so 650 characters
// hold any from to_chars(first, last, value); the fixed format can need 1400.
//
// Text layouts and errors follow std::to_chars / std::from_chars for double
// ("1.5e+00", "inf", "-nan", std::errc::value_too_large when the buffer is
// short).  chars_format::hex is not supported: to_chars writes nothing and
// returns std::errc::invalid_argument, from_chars refuses it the same way.
//
// from_chars accepts what std::from_chars accepts for double in the given
// format: an optional '-', digits with at most one point (at least one digit),
// an exponent (e or E, optional sign, digits; required for scientific, not
// read for fixed), or inf, infinity, nan, nan(chars) in any case.  No leading
// blanks and no '+' sign.  The longest matching prefix is read ("1e+" reads
// as 1, leaving "e+").  A value whose hi word would round to infinity, or to
// zero while the text is not zero, gives std::errc::result_out_of_range and
// leaves value unchanged, as libstdc++ does for double.
#pragma once

#include <charconv>
#include <string>

#include "ddreal/kernels.hpp"

namespace dd {

/// The shortest text that from_chars reads back as value: fixed or scientific, whichever is shorter (fixed on a tie).
std::to_chars_result to_chars(char* first, char* last, const DDReal& value);
/// The shortest text in the given format; general is scientific when the
/// decimal exponent x is below -4 or at least 6 (as for double), fixed otherwise.
std::to_chars_result to_chars(char* first, char* last, const DDReal& value, std::chars_format fmt);
/// The value rounded correctly: precision digits after the point (fixed,
/// scientific) or significant digits (general; 0 counts as 1, trailing zeros
/// removed).  A negative precision means 6.
std::to_chars_result to_chars(char* first, char* last, const DDReal& value, std::chars_format fmt, int precision);

/// Reads the longest prefix of [first, last) that forms a number in format fmt into value.
std::from_chars_result from_chars(const char* first, const char* last, DDReal& value,
                                  std::chars_format fmt = std::chars_format::general);

namespace detail {

/// A printf-like request for the text of a DDReal (the streams and the {fmt} formatter use it).
struct real_format {
  enum class form { shortest, fixed, scientific, general };
  form kind = form::general;
  int precision = 6;       // < 0: the shortest digits that read back (fixed, scientific, general)
  bool alternate = false;  // always a point (shortest fixed: and a digit after it); general keeps its zeros
  bool uppercase = false;  // "E", "INF", "NAN"
  char plus = 0;           // '+' or ' ' before a value without a minus sign
  int general_upper = 6;   // shortest general: fixed while the decimal exponent is in [-4, general_upper)
};

/// The text of value as f asks.
std::string format_real(const DDReal& value, const real_format& f);

}  // namespace detail

}  // namespace dd
