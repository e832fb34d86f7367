#include "ddtyped/text.hpp"

#include <cmath>
#include <istream>
#include <limits>
#include <locale>
#include <ostream>

#include "ddtyped/charconv.hpp"

namespace dd {

DDReal to_ddreal(std::string_view text) {
  char field[kInputField];
  detail::fill_input_field(text, field);
  DDReal r;
  DDINPC(field, r);
  return r;
}

namespace {

constexpr std::streamsize kMaxPrecision = 1000;

// The text of a as the stream's flags and precision ask.
std::string real_text(const DDReal& a, std::ios_base::fmtflags flags, std::streamsize prec) {
  using form = detail::real_format::form;
  detail::real_format f;
  const std::ios_base::fmtflags field = flags & std::ios_base::floatfield;
  if (field == std::ios_base::fixed) {
    f.kind = form::fixed;
  } else if (field == std::ios_base::scientific) {
    f.kind = form::scientific;
  } else if (field == (std::ios_base::fixed | std::ios_base::scientific)) {
    f.kind = form::shortest;  // hexfloat asks for an exact text: the shortest that reads back
  }
  f.precision = static_cast<int>(prec < 0 ? 6 : prec > kMaxPrecision ? kMaxPrecision : prec);
  f.alternate = (flags & std::ios_base::showpoint) != 0;
  f.uppercase = (flags & std::ios_base::uppercase) != 0;
  if ((flags & std::ios_base::showpos) != 0) f.plus = '+';
  return detail::format_real(a, f);
}

// Pads s to the stream's width as its adjustment says, and writes it.
std::ostream& put_padded(std::ostream& os, std::string s) {
  const std::streamsize w = os.width();
  if (w > 0 && static_cast<std::streamsize>(s.size()) < w) {
    const std::size_t pad = static_cast<std::size_t>(w) - s.size();
    const std::ios_base::fmtflags adjust = os.flags() & std::ios_base::adjustfield;
    const std::string fill(pad, os.fill());
    if (adjust == std::ios_base::left) {
      s += fill;
    } else if (adjust == std::ios_base::internal) {
      const std::size_t at = !s.empty() && (s[0] == '-' || s[0] == '+') ? 1 : 0;
      s.insert(at, fill);
    } else {
      s.insert(0, fill);
    }
  }
  os.width(0);
  return os << s;
}

// Reads one whitespace-delimited token; false (failbit set) when there is none.
// Only the first limit + 1 characters are kept; length counts them all.
bool read_token(std::istream& is, std::string& tok, std::size_t limit, std::size_t& length) {
  tok.clear();
  length = 0;
  const std::istream::sentry sentry(is);
  if (!sentry) return false;
  const auto& ct = std::use_facet<std::ctype<char>>(is.getloc());
  std::streambuf* sb = is.rdbuf();
  using traits = std::istream::traits_type;
  traits::int_type c = sb->sgetc();
  while (!traits::eq_int_type(c, traits::eof())) {
    const char ch = traits::to_char_type(c);
    if (ct.is(std::ctype_base::space, ch)) break;
    if (tok.size() <= limit) tok += ch;
    ++length;
    c = sb->snextc();
  }
  if (traits::eq_int_type(c, traits::eof())) is.setstate(std::ios_base::eofbit);
  if (length == 0) {
    is.setstate(std::ios_base::failbit);
    return false;
  }
  return true;
}

// The DDINPC conversion of a token without stopping.  Beyond DDINPC's own
// syntax the token needs a digit in its mantissa and, after an exponent
// letter, a digit in its exponent (DDINPC reads "-", ".", "e5" and "1e" as 0
// or 1); it must fit the 120-character field.  A value beyond the binary64
// range is out of range: r is then the largest finite pair of its sign.
enum class scan { ok, malformed, out_of_range };
scan convert(std::string_view text, DDReal& r) {
  if (text.size() > static_cast<std::size_t>(kInputField)) return scan::malformed;
  const std::size_t letter = text.find_first_of("eEdD");
  const std::string_view mantissa = text.substr(0, letter);
  constexpr std::string_view kDigits = "0123456789";
  if (mantissa.find_first_of(kDigits) == std::string_view::npos) return scan::malformed;
  if (letter != std::string_view::npos && text.find_first_of(kDigits, letter) == std::string_view::npos)
    return scan::malformed;
  char field[kInputField];
  detail::fill_input_field(text, field);
  if (!detail::decimal_scan(field, r)) return scan::malformed;
  if (std::isinf(r.hi)) {
    r = r.hi > 0.0 ? std::numeric_limits<DDReal>::max() : std::numeric_limits<DDReal>::lowest();
    return scan::out_of_range;
  }
  return scan::ok;
}

}  // namespace

std::ostream& operator<<(std::ostream& os, const DDReal& a) {
  return put_padded(os, real_text(a, os.flags(), os.precision()));
}

std::ostream& operator<<(std::ostream& os, const DDComplex& z) {
  const std::ios_base::fmtflags flags = os.flags();
  const std::streamsize prec = os.precision();
  return put_padded(os, '(' + real_text(z.re, flags, prec) + ',' + real_text(z.im, flags, prec) + ')');
}

std::istream& operator>>(std::istream& is, DDReal& a) {
  std::string tok;
  std::size_t length = 0;
  if (!read_token(is, tok, kInputField, length)) {
    a = DDReal(0.0, 0.0);
    return is;
  }
  DDReal r(0.0, 0.0);
  const scan result = length > static_cast<std::size_t>(kInputField) ? scan::malformed : convert(tok, r);
  a = result == scan::malformed ? DDReal(0.0, 0.0) : r;
  if (result != scan::ok) is.setstate(std::ios_base::failbit);
  return is;
}

std::istream& operator>>(std::istream& is, DDComplex& z) {
  std::string tok;
  std::size_t length = 0;
  // "(" + two fields + "," + ")".
  const std::size_t limit = 2 * static_cast<std::size_t>(kInputField) + 3;
  const auto fail = [&]() -> std::istream& {
    z = DDComplex{DDReal(0.0, 0.0), DDReal(0.0, 0.0)};
    is.setstate(std::ios_base::failbit);
    return is;
  };
  if (!read_token(is, tok, limit, length)) return fail();
  if (length > limit) return fail();
  DDReal re(0.0, 0.0), im(0.0, 0.0);
  const std::string_view t(tok);
  if (t.front() == '(') {
    if (t.size() < 2 || t.back() != ')') return fail();
    const std::string_view inner = t.substr(1, t.size() - 2);
    const std::size_t comma = inner.find(',');
    if (comma == std::string_view::npos) {
      if (convert(inner, re) != scan::ok) return fail();
    } else if (convert(inner.substr(0, comma), re) != scan::ok || convert(inner.substr(comma + 1), im) != scan::ok) {
      return fail();
    }
  } else if (convert(t, re) != scan::ok) {
    return fail();
  }
  z = DDComplex{re, im};
  return is;
}

}  // namespace dd
