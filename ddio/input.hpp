// Decimal input: a 120-character decimal text to a DDReal (DDINPC), and one
// record of an input unit to a DDReal (DDINP).
//
// Accepted text, after trailing blanks are set aside: optional blanks, an
// optional sign, digits with at most one point among them, then optionally an
// exponent letter (e, E, d, D) and an exponent of at most three digits with an
// optional sign and blanks anywhere.  Blanks in the mantissa are allowed only
// while no digit has been counted (leading zeros are not counted).  An empty
// text, a lone sign or a lone point give zero.
//
// Every mantissa digit is accumulated into a DDReal integer s (s = 10 s + k);
// the power of ten n = exponent + (digits before the point) - (digits
// counted) is applied once at the end, as s * 10^n with 10^n from DDNPWR.
#pragma once

#include <string_view>

#include "ddreal/kernels.hpp"

namespace dd {

namespace msg {
inline constexpr char kInpcSyntax[] = "('*** DDINPC: Syntax error in literal string.')";
inline constexpr char kInpEof[] = "('*** DDINP: End-of-file encountered.')";
inline constexpr char kInpNotBound[] = "('*** DDINP: Unit ',i0,' is not bound for reading.')";
inline constexpr char kInpReadError[] = "('*** DDINP: Read error on unit ',i0,'.')";
}  // namespace msg

/// Length of the text field that DDINPC reads and DDINP fills.
inline constexpr int kInputField = 120;

/// b = the value of the decimal text in a[0..119] (exactly 120 characters,
/// blank-filled, not NUL-terminated).  A syntax error prints its message and stops.
void DDINPC(const char* a, DDReal& b);

/// a = the value of the next record of input unit iu (5 is standard input;
/// other units are bound with bind_unit).  Exactly one record is consumed:
/// its first 120 characters are read, blank-filled when shorter, and a
/// carriage return ending the record is taken as part of the line end.
/// End of file, a read error or a unit not bound for reading print a message and stop.
void DDINP(int iu, DDReal& a);

namespace detail {

/// The DDINPC conversion without the stop: returns false on a syntax error
/// (b untouched), true with b set otherwise.
bool decimal_scan(const char* a, DDReal& b) noexcept;

/// Fills field[0..119] from text: its first 120 characters, blanks after a shorter text.
void fill_input_field(std::string_view text, char* field) noexcept;

}  // namespace detail

}  // namespace dd
