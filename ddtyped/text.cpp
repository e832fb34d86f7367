#include "ddtyped/text.hpp"

#include <cmath>
#include <istream>
#include <locale>
#include <ostream>
#include <sstream>
#include <vector>

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

// E text of a with nd digits: sign, digits (leading one first), decimal exponent.
struct Digits {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

// DDEFORMAT's text split into its parts.  nd >= 1.
Digits eformat_digits(const DDReal& a, int nd) {
  const int nb = nd + 16;
  std::vector<char> b(static_cast<std::size_t>(nb));
  DDEFORMAT(a, nb, nd, b.data());
  Digits d;
  int i = 0;
  if (b[0] == '-') {
    d.negative = true;
    i = 1;
  }
  for (; i < nb && b[i] != 'e'; ++i) {
    if (b[i] != '.') d.digits += b[i];
  }
  ++i;  // past the 'e'
  int sign = 1;
  if (i < nb && b[i] == '-') {
    sign = -1;
    ++i;
  }
  int x = 0;
  for (; i < nb && b[i] >= '0' && b[i] <= '9'; ++i) x = 10 * x + (b[i] - '0');
  d.exponent = sign * x;
  // Whatever DDEFORMAT wrote (a value beyond its range gives no digits worth
  // showing), the callers index nd digits.
  if (d.digits.size() < static_cast<std::size_t>(nd)) d.digits.resize(static_cast<std::size_t>(nd), '0');
  return d;
}

void strip_trailing_zeros(std::string& s) {
  const std::size_t point = s.find('.');
  if (point == std::string::npos) return;
  std::size_t end = s.size();
  while (end > point + 1 && s[end - 1] == '0') --end;
  if (end == point + 1) --end;
  s.resize(end);
}

std::string exponent_text(char letter, int x) { return letter + std::to_string(x); }

// The text of a finite a, without sign, for the flags and precision given.
std::string finite_text(const DDReal& a, std::ios_base::fmtflags flags, std::streamsize prec, bool& negative) {
  const std::ios_base::fmtflags field = flags & std::ios_base::floatfield;
  const bool showpoint = (flags & std::ios_base::showpoint) != 0;
  const char letter = (flags & std::ios_base::uppercase) != 0 ? 'E' : 'e';
  if (prec < 0) prec = 6;
  if (prec > kMaxPrecision) prec = kMaxPrecision;
  const int p = static_cast<int>(prec);

  if (field == std::ios_base::fixed) {
    // Room for every integer digit a binary64 exponent allows: never asterisks.
    const int nb = p + 330;
    std::vector<char> b(static_cast<std::size_t>(nb));
    DDFFORMAT(a, nb, p, b.data());
    std::string s(b.begin(), b.end());
    s.erase(0, s.find_first_not_of(' '));
    negative = !s.empty() && s[0] == '-';
    if (negative) s.erase(0, 1);
    if (p == 0 && !showpoint && !s.empty() && s.back() == '.') s.pop_back();
    return s;
  }

  if (field == std::ios_base::scientific) {
    const Digits d = eformat_digits(a, p + 1);
    negative = d.negative;
    std::string s(1, d.digits[0]);
    if (p > 0 || showpoint) s += '.';
    s.append(d.digits, 1, static_cast<std::size_t>(p));
    return s + exponent_text(letter, d.exponent);
  }

  // General: p significant digits, fixed or exponent form by the exponent.
  const int sig = p == 0 ? 1 : p;
  const Digits d = eformat_digits(a, sig);
  negative = d.negative;
  const int x = d.exponent;
  std::string s;
  if (x >= -5 && x < sig) {
    if (x >= 0) {
      s = d.digits.substr(0, static_cast<std::size_t>(x) + 1) + '.' + d.digits.substr(static_cast<std::size_t>(x) + 1);
    } else {
      s = "0." + std::string(static_cast<std::size_t>(-x - 1), '0') + d.digits;
    }
    if (!showpoint) strip_trailing_zeros(s);
    return s;
  }
  s = d.digits.substr(0, 1) + '.' + d.digits.substr(1);
  if (!showpoint) strip_trailing_zeros(s);
  return s + exponent_text(letter, x);
}

std::string real_text(const DDReal& a, std::ios_base::fmtflags flags, std::streamsize prec) {
  bool negative = false;
  std::string body;
  const bool upper = (flags & std::ios_base::uppercase) != 0;
  if (std::isnan(a.hi)) {
    body = upper ? "NAN" : "nan";
    negative = std::signbit(a.hi);
  } else if (std::isinf(a.hi)) {
    body = upper ? "INF" : "inf";
    negative = a.hi < 0.0;
  } else {
    body = finite_text(a, flags, prec, negative);
  }
  if (negative) return '-' + body;
  if ((flags & std::ios_base::showpos) != 0) return '+' + body;
  return body;
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

// The DDINPC conversion of text without stopping; false when it is too long
// for the 120-character field or breaks the syntax.
bool convert(std::string_view text, DDReal& r) {
  if (text.size() > static_cast<std::size_t>(kInputField)) return false;
  char field[kInputField];
  detail::fill_input_field(text, field);
  return detail::decimal_scan(field, r);
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
  DDReal r;
  if (length > static_cast<std::size_t>(kInputField) || !convert(tok, r)) {
    a = DDReal(0.0, 0.0);
    is.setstate(std::ios_base::failbit);
    return is;
  }
  a = r;
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
      if (!convert(inner, re)) return fail();
    } else {
      if (!convert(inner.substr(0, comma), re) || !convert(inner.substr(comma + 1), im)) return fail();
    }
  } else if (!convert(t, re)) {
    return fail();
  }
  z = DDComplex{re, im};
  return is;
}

}  // namespace dd
