// Exact decimal text of DDReal values.
//
// A finite binary64 word is m * 2^e with integers m < 2^53 and e >= -1074,
// so it has a finite decimal expansion: m * 2^e for e >= 0, and m * 5^-e
// times 10^e otherwise.  Every value handled here (a word, the sum of two
// words, the midpoint between two neighbouring words, a decimal text) is
// therefore an exact decimal, held as a digit string and a power of ten; sums,
// differences, comparisons and rounding are done on the digits, with no
// binary64 arithmetic at all.  The digits of a word take at most 767
// significant places, so everything stays small.
//
// Rounding a decimal x to binary64 starts from an estimate (std::from_chars on
// x's leading 40 digits, within one unit of the last place) and then settles
// it exactly: x is compared with the midpoints to the neighbouring words and
// the estimate moves until x lies between them (ties to the even word).
#include "ddtyped/charconv.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

namespace dd {
namespace {

// ---------------------------------------------------------------------------
// Exact decimals.

// A non-negative decimal: the integer digits (no leading and no trailing
// zeros; empty for zero) times 10^exp.
struct Decimal {
  std::string digits;
  long exp = 0;

  bool zero() const { return digits.empty(); }
  // The value lies in [10^(top-1), 10^top).
  long top() const { return static_cast<long>(digits.size()) + exp; }
};

void trim(Decimal& d) {
  const std::size_t first = d.digits.find_first_not_of('0');
  if (first == std::string::npos) {
    d.digits.clear();
    d.exp = 0;
    return;
  }
  const std::size_t last = d.digits.find_last_not_of('0');
  d.exp += static_cast<long>(d.digits.size() - 1 - last);
  d.digits.erase(last + 1);
  d.digits.erase(0, first);
}

int compare(const Decimal& a, const Decimal& b) {
  if (a.zero() || b.zero()) return a.zero() ? (b.zero() ? 0 : -1) : 1;
  if (a.top() != b.top()) return a.top() < b.top() ? -1 : 1;
  const int c = a.digits.compare(b.digits);  // no trailing zeros: same top, so digit by digit
  return (c > 0) - (c < 0);
}

// a + b (sign = +1) or a - b (sign = -1, a >= b).
Decimal add(const Decimal& a, const Decimal& b, int sign = 1) {
  if (b.zero()) return a;
  if (a.zero()) return b;  // sign = -1 needs a >= b, so b is zero too then
  const long low = std::min(a.exp, b.exp);
  const long high = std::max(a.top(), b.top()) + 1;  // room for a carry
  Decimal r;
  r.exp = low;
  r.digits.assign(static_cast<std::size_t>(high - low), '0');  // r.digits[i]: the digit of 10^(high - 1 - i)
  const long oa = high - a.top(), ob = high - b.top(), nb = static_cast<long>(b.digits.size());
  r.digits.replace(static_cast<std::size_t>(oa), a.digits.size(), a.digits);
  int carry = 0;
  for (long i = ob + nb - 1; i >= 0 && (i >= ob || carry != 0); --i) {
    int d = r.digits[static_cast<std::size_t>(i)] - '0' + carry;
    if (i >= ob) d += sign * (b.digits[static_cast<std::size_t>(i - ob)] - '0');
    carry = d >= 10 ? 1 : d < 0 ? -1 : 0;
    r.digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + d - 10 * carry);
  }
  trim(r);
  return r;
}

Decimal sub(const Decimal& a, const Decimal& b) { return add(a, b, -1); }

// 10^k.
Decimal unit(long k) { return Decimal{"1", k}; }

// m * 2^e exactly, m < 2^64.
Decimal dyadic(std::uint64_t m, int e) {
  constexpr std::uint32_t kBase = 1000000000;
  std::vector<std::uint32_t> limbs;  // base 10^9, least significant first
  for (std::uint64_t v = m; v != 0; v /= kBase) limbs.push_back(static_cast<std::uint32_t>(v % kBase));
  const auto mul = [&](std::uint32_t f) {  // f < 2^31: a limb times f plus the carry stays below 2^63
    std::uint64_t carry = 0;
    for (std::uint32_t& l : limbs) {
      const std::uint64_t t = std::uint64_t{l} * f + carry;
      l = static_cast<std::uint32_t>(t % kBase);
      carry = t / kBase;
    }
    for (; carry != 0; carry /= kBase) limbs.push_back(static_cast<std::uint32_t>(carry % kBase));
  };
  Decimal r;
  if (e >= 0) {
    for (; e >= 30; e -= 30) mul(std::uint32_t{1} << 30);
    if (e > 0) mul(std::uint32_t{1} << e);
  } else {
    r.exp = e;  // m * 2^e = m * 5^-e * 10^e
    int k = -e;
    for (; k >= 13; k -= 13) mul(1220703125);  // 5^13
    std::uint32_t p = 1;
    for (; k > 0; --k) p *= 5;
    if (p > 1) mul(p);
  }
  if (limbs.empty()) return Decimal{};
  r.digits = std::to_string(limbs.back());
  for (std::size_t i = limbs.size() - 1; i-- > 0;) {
    const std::string part = std::to_string(limbs[i]);
    r.digits.append(9 - part.size(), '0').append(part);
  }
  trim(r);
  return r;
}

// ---------------------------------------------------------------------------
// Binary64 words as decimals.

constexpr std::uint64_t kHidden = std::uint64_t{1} << 52;

// |x| = m * 2^e for a finite x: m < 2^53, e >= -1074, m >= 2^52 unless x is subnormal or zero.
void decompose(double x, std::uint64_t& m, int& e) {
  const std::uint64_t b = std::bit_cast<std::uint64_t>(x) & ~(std::uint64_t{1} << 63);
  const int biased = static_cast<int>(b >> 52);
  m = b & (kHidden - 1);
  if (biased == 0) {
    e = -1074;
  } else {
    m |= kHidden;
    e = biased - 1075;
  }
}

Decimal magnitude(double x) {
  std::uint64_t m;
  int e;
  decompose(x, m, e);
  return dyadic(m, e);
}

// The midpoints between |x| and its neighbours (for x = DBL_MAX the upper one
// is the overflow threshold; for zero they are -+2^-1075, the lower returned
// as its magnitude).
Decimal upper_midpoint(std::uint64_t m, int e) { return dyadic(2 * m + 1, e - 1); }
Decimal lower_midpoint(std::uint64_t m, int e) {
  if (m == 0) return dyadic(1, -1075);
  if (m == kHidden && e > -1074) return dyadic(4 * m - 1, e - 2);  // the gap below a power of two is half
  return dyadic(2 * m - 1, e - 1);
}

// x rounded to binary64, to nearest with ties to even; infinity beyond the range.
double round_binary64(const Decimal& x) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  if (x.zero() || x.top() < -330) return 0.0;  // below 10^-330: far under half the least subnormal
  if (x.top() > 310) return kInf;
  std::string t = "0.";
  t.append(x.digits, 0, 40).append("e").append(std::to_string(x.top()));
  double h = 0.0;
  if (std::from_chars(t.data(), t.data() + t.size(), h).ec != std::errc()) h = x.top() > 0 ? DBL_MAX : 0.0;
  for (;;) {
    std::uint64_t m;
    int e;
    decompose(h, m, e);
    int c = compare(x, upper_midpoint(m, e));
    if (c > 0 || (c == 0 && (m & 1) != 0)) {
      if (h == DBL_MAX) return kInf;
      h = std::nextafter(h, kInf);
      continue;
    }
    if (h == 0.0) return 0.0;
    c = compare(x, lower_midpoint(m, e));
    if (c < 0 || (c == 0 && (m & 1) != 0)) {
      h = std::nextafter(h, 0.0);
      continue;
    }
    return h;
  }
}

// A signed exact value.
struct Signed {
  bool negative = false;
  Decimal mag;
};

Signed plus(const Signed& a, const Signed& b) {
  if (a.negative == b.negative) return {a.negative, add(a.mag, b.mag)};
  const int c = compare(a.mag, b.mag);
  if (c == 0) return {};
  return c > 0 ? Signed{a.negative, sub(a.mag, b.mag)} : Signed{b.negative, sub(b.mag, a.mag)};
}

Signed exact(double x) { return {x < 0.0, magnitude(x)}; }

// The pair that from_chars gives for the exact value x > 0: h = RN(x),
// l = RN(x - h), renormalised (h = fl(h + l)).  False when h or the
// renormalised h is infinite, or h is zero.
bool nearest_pair(const Decimal& x, double& hi, double& lo) {
  const double h = round_binary64(x);
  if (h == 0.0 || std::isinf(h)) return false;
  const Signed rest = plus(Signed{false, x}, Signed{true, magnitude(h)});
  double l = round_binary64(rest.mag);
  if (rest.negative) l = -l;
  const double s = h + l;  // |l| <= half an ulp of h: s is h, or a neighbour on a tie
  if (std::isinf(s)) return false;
  const double err = l - (s - h);  // exact
  hi = s;
  lo = err == 0.0 ? 0.0 : err;
  return true;
}

// ---------------------------------------------------------------------------
// Rounding and shortest digits.

// The multiple of 10^k nearest v, ties to an even last digit.
Decimal round_at(const Decimal& v, long k) {
  if (v.zero() || v.exp >= k) return v;
  const long keep = v.top() - k;  // digits at 10^k and above
  if (keep < 0) return Decimal{};
  const std::size_t n = static_cast<std::size_t>(keep);
  Decimal r{v.digits.substr(0, n), k};
  const char first = v.digits[n];
  const bool rest = v.digits.size() > n + 1;
  const bool odd = n > 0 && ((r.digits.back() - '0') & 1) != 0;
  if (first > '5' || (first == '5' && (rest || odd))) r = add(r, unit(k));
  trim(r);
  return r;
}

// The digit of d at 10^k.
int digit_at(const Decimal& d, long k) {
  const long i = d.top() - 1 - k;
  return k < d.exp || i < 0 ? 0 : d.digits[static_cast<std::size_t>(i)] - '0';
}

// v cut to a multiple of 10^k (toward zero).
Decimal truncate_at(const Decimal& v, long k) {
  if (v.zero() || v.exp >= k) return v;
  const long keep = v.top() - k;
  if (keep <= 0) return Decimal{};
  Decimal r{v.digits.substr(0, static_cast<std::size_t>(keep)), k};
  trim(r);
  return r;
}

// The decimal with the fewest significant digits that reads back as the
// normalised pair (hi, lo), hi > 0, whose exact value is v: the nearest to v
// among those, ties to an even last digit.
Decimal shortest(double hi, double lo, const Decimal& v) {
  // Texts t with RN(t) = hi and RN(t - hi) = lo: v plus the rounding interval
  // of lo around lo, cut to the rounding interval of hi.  Ends belong to an
  // interval when its word is even.
  std::uint64_t mh, ml;
  int eh, el;
  decompose(hi, mh, eh);
  decompose(lo, ml, el);
  const int gap_lo_above = el - 1;  // log2 of half the gaps around |lo| (2^-1075 both ways for zero)
  const int gap_lo_below = ml == kHidden && el > -1074 ? el - 2 : el - 1;
  const int below = lo < 0.0 ? gap_lo_above : gap_lo_below, above = lo < 0.0 ? gap_lo_below : gap_lo_above;
  Decimal low = sub(v, dyadic(1, below)), high = add(v, dyadic(1, above));
  bool low_in = (ml & 1) == 0, high_in = low_in;
  // hi's own interval matters only when lo's reaches half a gap of hi (in
  // which case it is checked exactly): |lo| + 2^el below 2^(eh - 2) is well inside.
  const double reach = std::fabs(lo) + std::ldexp(1.0, el);  // exact: (ml + 1) 2^el
  if (!(reach < std::ldexp(1.0, eh - 2))) {
    const bool in = (mh & 1) == 0;
    Decimal hl = lower_midpoint(mh, eh), hh = upper_midpoint(mh, eh);
    int c = compare(hl, low);
    if (c >= 0) {
      low_in = c > 0 ? in : low_in && in;
      low = std::move(hl);
    }
    c = compare(hh, high);
    if (c <= 0) {
      high_in = c < 0 ? in : high_in && in;
      high = std::move(hh);
    }
  }
  // When hi + lo is the midpoint to a neighbour of hi (hi even), texts just
  // past it round to the neighbour with a low word of the same size and
  // opposite sign, and that pair renormalises to (hi, lo) on the tie: the
  // interval goes on, past v, as far as it reaches below v.
  const bool hi_even = (mh & 1) == 0, lo_even = (ml & 1) == 0;
  const int gap_hi_below = mh == kHidden && eh > -1074 ? eh - 2 : eh - 1;
  if (hi_even && lo > 0.0 && lo == std::ldexp(1.0, eh - 1)) {
    high = add(v, dyadic(1, gap_lo_below));
    high_in = lo_even;
  } else if (hi_even && lo < 0.0 && lo == -std::ldexp(1.0, gap_hi_below)) {
    low = sub(v, dyadic(1, gap_lo_below));
    low_in = lo_even;
  }
  const auto inside = [&](const Decimal& t) {
    const int a = compare(t, low), b = compare(t, high);
    return (a > 0 || (a == 0 && low_in)) && (b < 0 || (b == 0 && high_in));
  };
  // Candidates with their last digit at 10^k: v cut there, and one unit
  // more.  When a multiple of 10^k lies inside, one of the two does (the
  // interval holds v), and then so do candidates at every lower k; at
  // k = v.exp, v itself is one.  The highest such k is found by bisection.
  const auto pick = [&](long k, Decimal& out) {
    Decimal down = truncate_at(v, k);
    Decimal up = add(down, unit(k));
    const bool down_ok = inside(down), up_ok = inside(up);
    if (down_ok && up_ok) {
      const int d = compare(sub(v, down), sub(up, v));
      out = d < 0 || (d == 0 && digit_at(down, k) % 2 == 0) ? std::move(down) : std::move(up);
    } else if (down_ok || up_ok) {
      out = down_ok ? std::move(down) : std::move(up);
    } else {
      return false;
    }
    return true;
  };
  long good = v.exp, bad = high.top();  // v is the candidate at good; none lies inside at bad
  Decimal best = v, trial;
  while (bad - good > 1) {
    const long k = good + (bad - good) / 2;
    if (pick(k, trial)) {
      good = k;
      best = std::move(trial);
    } else {
      bad = k;
    }
  }
  return best;
}

// ---------------------------------------------------------------------------
// Layouts.

void append_exponent(std::string& s, long x, bool upper) {
  s += upper ? 'E' : 'e';
  s += x < 0 ? '-' : '+';
  const std::string d = std::to_string(x < 0 ? -x : x);
  if (d.size() < 2) s += '0';
  s += d;
}

// d in fixed form with frac digits after the point (d has no digits below 10^-frac).
std::string fixed_text(const Decimal& d, long frac, bool point) {
  std::string s;
  if (d.zero() || d.top() <= 0) {
    s.push_back('0');
  } else {
    const long whole = d.top();
    for (long p = whole - 1; p >= 0; --p) {
      const long i = d.top() - 1 - p;
      s += i < static_cast<long>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0';
    }
  }
  if (frac > 0 || point) s += '.';
  for (long p = -1; p >= -frac; --p) {
    const long i = d.top() - 1 - p;
    s += !d.zero() && i >= 0 && i < static_cast<long>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0';
  }
  return s;
}

// d in scientific form with x its decimal exponent and frac digits after the point.
std::string scientific_text(const Decimal& d, long x, long frac, bool point, bool upper) {
  std::string s(1, d.zero() ? '0' : d.digits[0]);
  if (frac > 0 || point) s += '.';
  for (long i = 1; i <= frac; ++i) s += i < static_cast<long>(d.digits.size()) ? d.digits[static_cast<std::size_t>(i)] : '0';
  append_exponent(s, x, upper);
  return s;
}

// Removes the zeros that end the fraction, and the point when nothing is left after it.
void strip_fraction_zeros(std::string& s) {
  const std::size_t point = s.find('.');
  if (point == std::string::npos) return;
  std::size_t end = s.find_first_of("eE", point);
  if (end == std::string::npos) end = s.size();
  std::size_t cut = end;
  while (cut > point + 1 && s[cut - 1] == '0') --cut;
  if (cut == point + 1) --cut;
  s.erase(cut, end - cut);
}

std::string shortest_text(const Decimal& d, const detail::real_format& f) {
  using form = detail::real_format::form;
  const long x = d.zero() ? 0 : d.top() - 1;
  const long sig = d.zero() ? 0 : static_cast<long>(d.digits.size()) - 1;
  const std::string sci = scientific_text(d, x, sig, f.alternate, f.uppercase);
  const std::string fix = fixed_text(d, d.exp < 0 ? -d.exp : (f.alternate ? 1 : 0), f.alternate);
  switch (f.kind) {
    case form::fixed: return fix;
    case form::scientific: return sci;
    case form::general: return x >= -4 && x < f.general_upper ? fix : sci;
    case form::shortest: break;
  }
  return fix.size() <= sci.size() ? fix : sci;
}

std::string rounded_text(const Decimal& v, const detail::real_format& f) {
  using form = detail::real_format::form;
  const long p = f.precision;
  if (f.kind == form::fixed) return fixed_text(round_at(v, -p), p, f.alternate);
  const long digits = f.kind == form::general ? (p == 0 ? 1 : p) : p + 1;
  Decimal r = v;
  long x = 0;
  if (!v.zero()) {
    r = round_at(v, v.top() - digits);
    x = r.top() - 1;  // after a carry (9.99 -> 10.0) one more than v's
  }
  // General without '#' drops the zeros that end the fraction: only r's own
  // digits are written (however large the precision).
  const bool trimmed = f.kind == form::general && !f.alternate;
  if (f.kind == form::general && x >= -4 && x < digits) {
    const long frac = digits - 1 - x;
    std::string s = fixed_text(r, trimmed ? std::min(frac, std::max(0L, -r.exp)) : frac, f.alternate);
    if (trimmed) strip_fraction_zeros(s);
    return s;
  }
  const long frac = digits - 1;
  std::string s = scientific_text(r, x, trimmed ? std::min(frac, static_cast<long>(r.digits.size())) : frac,
                                  f.alternate, f.uppercase);
  if (trimmed) strip_fraction_zeros(s);
  return s;
}

bool digit(char c) { return c >= '0' && c <= '9'; }

// True when [p, last) starts with word, in any case (word is lower case).
bool starts_with(const char* p, const char* last, std::string_view word) {
  if (last - p < static_cast<std::ptrdiff_t>(word.size())) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const char c = p[i] >= 'A' && p[i] <= 'Z' ? static_cast<char>(p[i] - 'A' + 'a') : p[i];
    if (c != word[i]) return false;
  }
  return true;
}

std::to_chars_result emit(char* first, char* last, const std::string& s) {
  if (last - first < static_cast<std::ptrdiff_t>(s.size())) return {last, std::errc::value_too_large};
  std::memcpy(first, s.data(), s.size());
  return {first + s.size(), std::errc()};
}

detail::real_format::form form_of(std::chars_format fmt) {
  using form = detail::real_format::form;
  if (fmt == std::chars_format::fixed) return form::fixed;
  if (fmt == std::chars_format::scientific) return form::scientific;
  return form::general;
}

}  // namespace

namespace detail {

std::string format_real(const DDReal& value, const real_format& f) {
  const double hi = value.hi, lo = value.lo;
  std::string body;
  bool negative;
  if (!std::isfinite(hi) || !std::isfinite(lo)) {
    const double s = hi + lo;  // the non-finite word decides, as in the binary64 sum
    negative = std::signbit(s);
    body = std::isnan(s) ? (f.uppercase ? "NAN" : "nan") : (f.uppercase ? "INF" : "inf");
  } else {
    const Signed v = plus(exact(hi), exact(lo));
    negative = v.mag.zero() ? std::signbit(hi) : v.negative;
    if (f.precision >= 0 && f.kind != real_format::form::shortest) {
      body = rounded_text(v.mag, f);
    } else if (v.mag.zero()) {
      body = shortest_text(v.mag, f);
    } else {
      double h = std::fabs(hi), l = hi < 0.0 ? -lo : lo;
      if (hi + lo == hi) {
        if (l == 0.0) l = 0.0;
      } else if (!nearest_pair(v.mag, h, l)) {
        h = 0.0;  // the exact sum is beyond the binary64 range: no text reads back
      }
      body = shortest_text(h == 0.0 ? v.mag : shortest(h, l, v.mag), f);
    }
  }
  if (negative) return '-' + body;
  if (f.plus != 0) return f.plus + body;
  return body;
}

}  // namespace detail

std::to_chars_result to_chars(char* first, char* last, const DDReal& value) {
  detail::real_format f;
  f.kind = detail::real_format::form::shortest;
  f.precision = -1;
  return emit(first, last, detail::format_real(value, f));
}

std::to_chars_result to_chars(char* first, char* last, const DDReal& value, std::chars_format fmt) {
  if (fmt == std::chars_format::hex) return {first, std::errc::invalid_argument};
  detail::real_format f;
  f.kind = form_of(fmt);
  f.precision = -1;
  return emit(first, last, detail::format_real(value, f));
}

std::to_chars_result to_chars(char* first, char* last, const DDReal& value, std::chars_format fmt, int precision) {
  if (fmt == std::chars_format::hex) return {first, std::errc::invalid_argument};
  detail::real_format f;
  f.kind = form_of(fmt);
  f.precision = precision < 0 ? 6 : precision;
  // Fixed and scientific text has at least precision + 1 characters: a
  // precision beyond the buffer need not be written out to be refused.
  if (f.kind != detail::real_format::form::general && f.precision >= last - first) return {last, std::errc::value_too_large};
  return emit(first, last, detail::format_real(value, f));
}

std::from_chars_result from_chars(const char* first, const char* last, DDReal& value, std::chars_format fmt) {
  const bool fixed = (fmt & std::chars_format::fixed) == std::chars_format::fixed;
  const bool scientific = (fmt & std::chars_format::scientific) == std::chars_format::scientific;
  if (!fixed && !scientific) return {first, std::errc::invalid_argument};
  const char* p = first;
  const bool negative = p != last && *p == '-';
  if (negative) ++p;

  constexpr double kInf = std::numeric_limits<double>::infinity();
  if (starts_with(p, last, "inf")) {
    p += starts_with(p, last, "infinity") ? 8 : 3;
    value = DDReal(negative ? -kInf : kInf, 0.0);
    return {p, std::errc()};
  }
  if (starts_with(p, last, "nan")) {
    p += 3;
    if (p != last && *p == '(') {
      const char* q = p + 1;
      while (q != last && (digit(*q) || *q == '_' || (*q >= 'a' && *q <= 'z') || (*q >= 'A' && *q <= 'Z'))) ++q;
      if (q != last && *q == ')') p = q + 1;
    }
    const double nan = std::numeric_limits<double>::quiet_NaN();
    value = DDReal(negative ? -nan : nan, 0.0);
    return {p, std::errc()};
  }

  // Mantissa: digits, with at most one point among or after them.
  Decimal x;
  long fraction = 0;
  bool any = false;
  for (; p != last && digit(*p); ++p, any = true) x.digits += *p;
  if (p != last && *p == '.') {
    const char* q = p + 1;
    for (; q != last && digit(*q); ++q, ++fraction) x.digits += *q;
    if (any || fraction > 0) {
      p = q;
      any = true;
    }
  }
  if (!any) return {first, std::errc::invalid_argument};

  // Exponent: read only when it has a digit; required for scientific alone.
  long e = 0;
  bool has_exponent = false;
  if (scientific && p != last && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    const bool eneg = q != last && *q == '-';
    if (q != last && (*q == '-' || *q == '+')) ++q;
    if (q != last && digit(*q)) {
      for (; q != last && digit(*q); ++q) {
        if (e < 1000000000L) e = 10 * e + (*q - '0');  // beyond this, any nonzero value is out of range
      }
      e = eneg ? -e : e;
      has_exponent = true;
      p = q;
    }
  }
  if (!fixed && !has_exponent) return {first, std::errc::invalid_argument};

  x.exp = e - fraction;
  trim(x);
  if (x.zero()) {
    value = DDReal(negative ? -0.0 : 0.0, 0.0);
    return {p, std::errc()};
  }
  double hi, lo;
  if (!nearest_pair(x, hi, lo)) return {p, std::errc::result_out_of_range};
  value = negative ? DDReal(-hi, lo == 0.0 ? 0.0 : -lo) : DDReal(hi, lo);
  return {p, std::errc()};
}

}  // namespace dd
