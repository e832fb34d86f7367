// {fmt} formatters for DDReal and DDComplex (optional: include this header
// only where {fmt} is available; the library itself does not need it).
//
// The format spec is that of double, [[fill]align][sign][#][0][width][.precision][type]
// with width and precision also as {} or {n}, and the text is what {fmt}
// writes for a double of the same exact value, the digits being the pair's
// exact value rounded correctly (dd::to_chars):
//   {}         the shortest text that reads back as the same two words, fixed
//              for decimal exponents in [-4, 16), exponent form otherwise
//   {:.n}      n significant digits, as %g
//   e E f F g G  as printf, precision 6 when none is given
// '+', '-', ' ' and '#' as for double; '0' pads with zeros after the sign
// (not for inf and nan).  The types a and A are refused.
// DDComplex is written "(re,im)", each part with the spec's sign, '#',
// precision and type; width, fill and alignment apply to the whole text.
#pragma once

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <type_traits>

#include "ddcomplex/ddcomplex.hpp"
#include "ddtyped/charconv.hpp"

namespace dd::detail {

/// A parsed {fmt} spec for DDReal and DDComplex.
struct fmt_spec {
  char fill[5] = {' ', 0, 0, 0, 0};  // one UTF-8 code point
  char align = 0;                    // '<', '>', '^' or none
  char sign = 0;                     // '+', ' ' or none
  bool alternate = false;
  bool zero = false;
  int width = 0, precision = -1;
  int width_arg = -1, precision_arg = -1;  // argument ids of {} widths and precisions
  char type = 0;

  template <class ParseContext>
  constexpr auto parse(ParseContext& ctx) -> decltype(ctx.begin()) {
    auto it = ctx.begin();
    const auto end = ctx.end();
    const auto is_align = [](char c) { return c == '<' || c == '>' || c == '^'; };
    if (it != end && *it != '}') {
      // A fill is any code point followed by an alignment.
      int len = 1;
      const auto lead = static_cast<unsigned char>(*it);
      if (lead >= 0xF0) len = 4;
      else if (lead >= 0xE0) len = 3;
      else if (lead >= 0xC0) len = 2;
      if (end - it > len && is_align(it[len]) && *it != '{' && *it != '}') {
        for (int k = 0; k < len; ++k) fill[k] = it[k];
        fill[len] = 0;
        it += len;
        align = *it++;
      } else if (is_align(*it)) {
        align = *it++;
      }
    }
    if (it != end && (*it == '+' || *it == '-' || *it == ' ')) {
      sign = *it == '-' ? 0 : *it;
      ++it;
    }
    if (it != end && *it == '#') {
      alternate = true;
      ++it;
    }
    if (it != end && *it == '0') {
      zero = true;
      ++it;
    }
    it = parse_count(ctx, it, width, width_arg);
    if (it != end && *it == '.') {
      ++it;
      if (it == end || (*it != '{' && (*it < '0' || *it > '9'))) throw fmt::format_error("missing precision");
      it = parse_count(ctx, it, precision, precision_arg);
    }
    if (it != end && *it == 'L') ++it;
    if (it != end && *it != '}') {
      type = *it++;
      if (type != 'e' && type != 'E' && type != 'f' && type != 'F' && type != 'g' && type != 'G')
        throw fmt::format_error("invalid type for a double-double");
    }
    if (it != end && *it != '}') throw fmt::format_error("invalid format spec for a double-double");
    return it;
  }

  /// The real_format of this spec, with its dynamic width and precision taken from ctx.
  template <class FormatContext>
  real_format resolve(FormatContext& ctx, int& w) const {
    w = width_arg >= 0 ? dynamic(ctx, width_arg) : width;
    const int p = precision_arg >= 0 ? dynamic(ctx, precision_arg) : precision;
    real_format f;
    f.alternate = alternate;
    f.plus = sign;
    f.uppercase = type == 'E' || type == 'F' || type == 'G';
    f.precision = p;
    switch (type) {
      case 'e': case 'E': f.kind = real_format::form::scientific; break;
      case 'f': case 'F': f.kind = real_format::form::fixed; break;
      default: f.kind = real_format::form::general; break;
    }
    if (type != 0 && p < 0) f.precision = 6;
    f.general_upper = 16;  // {} without a type: fixed below 10^16, as {fmt} writes a double
    return f;
  }

  /// Writes text_of(f) for this spec's real_format f (dynamic width and
  /// precision taken from ctx), padded as the spec asks.
  template <class FormatContext, class TextOf>
  auto emit(FormatContext& ctx, TextOf text_of, bool may_zero_pad) const -> decltype(ctx.out()) {
    int w = 0;
    const real_format f = resolve(ctx, w);
    return write(ctx.out(), text_of(f), w, may_zero_pad);
  }

  /// The text of a for f.  As {fmt} does for a double, '#' with the general
  /// format keeps a digit after the point of a fixed-form text ("2.0", not "2.").
  std::string text(const DDReal& a, const real_format& f) const {
    std::string t = format_real(a, f);
    if (alternate && f.kind == real_format::form::general && !t.empty() && t.back() == '.') t += '0';
    return t;
  }

  /// text padded to w as the fill, alignment and '0' ask (numbers align right).
  template <class Out>
  Out write(Out out, const std::string& text, int w, bool may_zero_pad) const {
    const int pad = w > static_cast<int>(text.size()) ? w - static_cast<int>(text.size()) : 0;
    if (zero && align == 0 && may_zero_pad) {
      const std::size_t at = !text.empty() && (text[0] == '-' || text[0] == '+' || text[0] == ' ') ? 1 : 0;
      std::string t = text;
      t.insert(at, static_cast<std::size_t>(pad), '0');
      return std::copy(t.begin(), t.end(), out);
    }
    const int before = align == '<' ? 0 : align == '^' ? pad / 2 : pad;
    const std::string_view f(fill);
    for (int k = 0; k < before; ++k) out = std::copy(f.begin(), f.end(), out);
    out = std::copy(text.begin(), text.end(), out);
    for (int k = before; k < pad; ++k) out = std::copy(f.begin(), f.end(), out);
    return out;
  }

 private:
  template <class ParseContext>
  static constexpr auto parse_count(ParseContext& ctx, decltype(ctx.begin()) it, int& value, int& arg)
      -> decltype(ctx.begin()) {
    const auto end = ctx.end();
    if (it != end && *it == '{') {
      ++it;
      if (it != end && *it == '}') {
        arg = ctx.next_arg_id();
      } else {
        int id = 0;
        for (; it != end && *it >= '0' && *it <= '9'; ++it) id = 10 * id + (*it - '0');
        if (it == end || *it != '}') throw fmt::format_error("invalid dynamic width or precision");
        ctx.check_arg_id(id);
        arg = id;
      }
      return ++it;
    }
    if (it != end && *it >= '0' && *it <= '9') value = 0;
    for (; it != end && *it >= '0' && *it <= '9'; ++it) value = 10 * value + (*it - '0');
    return it;
  }

  template <class FormatContext>
  static int dynamic(FormatContext& ctx, int id) {
    const long long v = fmt::visit_format_arg(
        [](auto a) -> long long {
          if constexpr (std::is_integral_v<decltype(a)>) {
            return static_cast<long long>(a);
          } else {
            throw fmt::format_error("width and precision must be integers");
          }
        },
        ctx.arg(id));
    if (v < 0 || v > 1000000) throw fmt::format_error("width or precision out of range");
    return static_cast<int>(v);
  }
};

}  // namespace dd::detail

// Each formatter is its parsed spec (parse() comes from fmt_spec) plus format().
template <>
struct fmt::formatter<dd::DDReal> : dd::detail::fmt_spec {
  template <class FormatContext>
  auto format(const dd::DDReal& a, FormatContext& ctx) const -> decltype(ctx.out()) {
    return emit(ctx, [&](const dd::detail::real_format& f) { return text(a, f); },
                std::isfinite(a.hi) && std::isfinite(a.lo));
  }
};

template <>
struct fmt::formatter<dd::DDComplex> : dd::detail::fmt_spec {
  template <class FormatContext>
  auto format(const dd::DDComplex& z, FormatContext& ctx) const -> decltype(ctx.out()) {
    return emit(ctx, [&](const dd::detail::real_format& f) { return '(' + text(z.re, f) + ',' + text(z.im, f) + ')'; },
                false);
  }
};
