// Output templates: the package's one formatter for messages and report lines.
//
// A template is written in the classic edit-descriptor notation, for example
//   "('Iteration',i7,3x,'Min, max of y =',f11.6,'e',i6)"
// with these descriptors:
//   'text'      the text itself ('' inside it stands for one quote)
//   Iw          integer right-aligned in w columns; w asterisks when it does not fit
//   Fw.d        fixed point, d decimals, right-aligned; "0" before the point when
//               room allows, "-" for negative values (also when they round to
//               zero); w asterisks when it does not fit
//   1P Dw.d     one nonzero digit before the point, d decimals, exponent "D+nn"
//               (or "+nnn" without the D for three-digit exponents); 0P ends scaling
//   nX          n blanks
//   A, Aw       a text item unchanged (a1 takes one character per item)
//   /           ends the current line (a leading "/" writes an empty line first)
//   k(...) kD   a group or descriptor repeated k times
// Also accepted: Ew.d (as Dw.d with the letter E), I0 and F0.d (no padding),
// "1pd12.4" without the comma, and double quotes around text.  NaN and
// infinite values show as NaN, Infinity, -Infinity (Inf, -Inf when the long
// form does not fit, asterisks when neither does).  A malformed template
// stops with a message that quotes it.
// Items fill the data descriptors (I, F, D, A) in order.  Output stops at the
// first data descriptor left without an item (text after it is not written),
// or at the end of the template; when items remain at the end, the line ends
// and processing resumes from the last parenthesised group (the whole template
// when it has none).  Every line ends with '\n'.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dd::detail {

/// One item for a template: an integer (I), a binary64 (F, D) or a text (A).
struct FmtItem {
  enum class Kind { integer, real, text };
  Kind kind;
  long long i = 0;
  double d = 0.0;
  std::string_view s{};

  FmtItem(int v) noexcept : kind(Kind::integer), i(v) {}         // NOLINT
  FmtItem(long v) noexcept : kind(Kind::integer), i(v) {}        // NOLINT
  FmtItem(long long v) noexcept : kind(Kind::integer), i(v) {}   // NOLINT
  FmtItem(double v) noexcept : kind(Kind::real), d(v) {}         // NOLINT
  FmtItem(std::string_view v) noexcept : kind(Kind::text), s(v) {}  // NOLINT
  FmtItem(const char* v) noexcept : kind(Kind::text), s(v) {}    // NOLINT
};

/// The lines that template tmpl writes for items, each ending in '\n'.
std::string format_lines(std::string_view tmpl, std::span<const FmtItem> items);
inline std::string format_lines(std::string_view tmpl, std::initializer_list<FmtItem> items = {}) {
  return format_lines(tmpl, std::span<const FmtItem>(items.begin(), items.size()));
}

/// One text item per character of s (for the a1 descriptors); the items view s, which must outlive them.
std::vector<FmtItem> char_items(std::string_view s);

/// Writes the lines of tmpl for items to f (standard output by default).
void write_lines(std::FILE* f, std::string_view tmpl, std::span<const FmtItem> items);
inline void print_lines(std::string_view tmpl, std::initializer_list<FmtItem> items = {}) {
  write_lines(stdout, tmpl, std::span<const FmtItem>(items.begin(), items.size()));
}

/// Prints the lines of tmpl for items on standard output and stops the package.
[[noreturn]] void fail(std::string_view tmpl, std::initializer_list<FmtItem> items = {});

}  // namespace dd::detail
