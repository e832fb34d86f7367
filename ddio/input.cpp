#include "ddio/input.hpp"

#include <cmath>
#include <cstdio>

#include "ddio/digits.hpp"
#include "ddio/units.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"

namespace dd {
namespace {

// Largest |n| for which s * 10^n is formed directly.  Up to 10^290 the power
// and its reciprocal are ordinary double-double numbers: the splitter's
// product stays inside the binary64 range (it overflows from 1.34e300 on) and
// the low word of 10^-290 is still a normal binary64 value.  Beyond it DDNPWR
// gives NaN (its division by 10^301 and up overflows in the splitting step) or
// a low word that has lost its precision to the subnormal range, although
// s * 10^n can be an ordinary number: 35 digits and an exponent of -280 give
// n = -314.
constexpr int kDirectPower = 290;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// s * 10^n for |n| > kDirectPower and s a nonzero integer below 10^120:
// s is scaled by 10^290 or 10^-290 as often as needed to bring the rest of
// the exponent within the direct range, then by 10^rest.  s >= 1 scaled
// toward the result never passes beyond it, so an intermediate leaves the
// binary64 range only when the result does.  Upward the products run on
// s * 2^-kHeadroom and the result is scaled back: a product splits its
// operands, which overflows above kSplitLimit although the result may lie
// anywhere up to the largest binary64 value.  Scaling by a power of two is
// exact and commutes with every operation here (nothing comes near the
// subnormal range), so the words are those of the unscaled products wherever
// these stayed below the limit.
DDReal scale_far(const DDReal& s, int n) {
  constexpr int kHeadroom = 64;
  const bool up = n > 0;
  DDReal v = s;
  DDReal step;
  if (up) {
    v = DDReal(std::ldexp(s.hi, -kHeadroom), std::ldexp(s.lo, -kHeadroom));
    DDNPWR(DDReal(10.0, 0.0), kDirectPower, step);
    while (n > kDirectPower) {
      DDMUL(v, step, v);
      n -= kDirectPower;
    }
  } else {
    DDNPWR(DDReal(10.0, 0.0), -kDirectPower, step);
    while (n < -kDirectPower) {
      DDMUL(v, step, v);
      n += kDirectPower;
    }
  }
  DDReal t;
  DDNPWR(DDReal(10.0, 0.0), n, t);
  DDMUL(v, t, v);
  if (up) v = DDReal(std::ldexp(v.hi, kHeadroom), std::ldexp(v.lo, kHeadroom));
  return v;
}

}  // namespace

namespace detail {

void fill_input_field(std::string_view text, char* field) noexcept {
  const std::size_t n = text.size() < kInputField ? text.size() : kInputField;
  for (std::size_t i = 0; i < n; ++i) field[i] = text[i];
  for (std::size_t i = n; i < static_cast<std::size_t>(kInputField); ++i) field[i] = ' ';
}

bool decimal_scan(const char* a, DDReal& b) noexcept {
  // 1. Last non-blank position; an all-blank text is zero.
  int last = kInputField;
  while (last > 0 && a[last - 1] == ' ') --last;

  // 2. Mantissa.
  int id = 0;         // digits counted into s
  int ip = -1;        // counted digits before the point; -1 until a point is seen
  int is = 0;         // sign of the mantissa
  bool significant = false;
  DDReal s(0.0, 0.0);
  int pos = 0;
  int exp_from = last;  // first position after the exponent letter; none: last
  for (; pos < last; ++pos) {
    const char c = a[pos];
    if (c == ' ' && id == 0) continue;
    if (c == '.') {
      if (ip >= 0) return false;
      ip = id;
      significant = true;
    } else if (c == '+' || c == '-') {
      if (id != 0 || ip >= 0 || is != 0) return false;
      is = c == '-' ? -1 : 1;
    } else if (c == 'e' || c == 'E' || c == 'd' || c == 'D') {
      exp_from = pos + 1;
      break;
    } else if (is_digit(c)) {
      const int k = c - '0';
      if (k > 0 || significant) {
        significant = true;
        ++id;
        DDMULD(s, 10.0, s);
        DDADD(s, DDReal(static_cast<double>(k), 0.0), s);
      }
    } else {
      return false;
    }
  }

  // 3. Sign, and the point after the last digit when none was written.
  if (is == -1) DDNEG(s, s);
  if (ip == -1) ip = id;

  // 4. Exponent: blanks anywhere, one sign before its digits, at most three digits.
  int ecount = 0;
  int esign = 0;
  char ebuf[10] = {' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '};
  for (pos = exp_from; pos < last; ++pos) {
    const char c = a[pos];
    if (c == ' ') continue;
    if (c == '+' || c == '-') {
      if (esign != 0 || ecount > 0) return false;
      esign = c == '-' ? -1 : 1;
    } else if (is_digit(c)) {
      ++ecount;
      if (ecount > 3) return false;
      ebuf[ecount - 1] = c;
    } else {
      return false;
    }
  }

  // 5. Exponent value.
  int e = 0;
  if (ecount > 0) {
    e = static_cast<int>(DDDIGIN(ebuf, ecount));
    if (esign == -1) e = -e;
  }

  // 6. s * 10^n, the power of ten applied once.  A zero mantissa keeps the
  // zero of any direct power however large the written exponent ("0e999"
  // would otherwise become 0 * NaN); a nonzero one beyond the direct range is
  // scaled in steps; a result beyond the binary64 range is an infinity of the
  // mantissa's sign, not the NaN that the overflowing product leaves.
  int n = e + ip - id;
  DDReal r;
  if (n >= -kDirectPower && n <= kDirectPower) {
    DDReal t;
    DDNPWR(DDReal(10.0, 0.0), n, t);
    DDMUL(s, t, r);
  } else if (s.hi == 0.0) {
    DDMUL(s, DDReal(1.0, 0.0), r);
  } else {
    r = scale_far(s, n);
  }
  if (s.hi != 0.0 && !std::isfinite(r.hi)) r = DDReal(std::copysign(HUGE_VAL, s.hi), 0.0);
  b = r;
  return true;
}

}  // namespace detail

void DDINPC(const char* a, DDReal& b) {
  DDReal r;
  if (!detail::decimal_scan(a, r)) detail::fail(msg::kInpcSyntax);
  b = r;
}

void DDINP(int iu, DDReal& a) {
  // One record: everything up to the next line end.  Only its first 120
  // characters are kept, so a very long line costs no memory.
  char field[kInputField];
  int kept = 0;
  bool any = false;
  bool cr_last = false;  // the last character read was a carriage return
  {
    const detail::unit_hold hold(iu, unit_mode::read);
    std::FILE* f = hold.stream();
    if (f == nullptr) detail::fail(msg::kInpNotBound, {iu});
    int c;
    while ((c = std::getc(f)) != EOF) {
      any = true;
      if (c == '\n') break;
      if (kept < kInputField) {
        field[kept++] = static_cast<char>(c);
        cr_last = c == '\r';
      } else {
        cr_last = false;
      }
    }
    if (c == EOF && std::ferror(f) != 0) {
      std::clearerr(f);
      detail::fail(msg::kInpReadError, {iu});
    }
    if (!any) {
      std::clearerr(f);
      detail::fail(msg::kInpEof);
    }
  }
  if (cr_last) --kept;
  for (int i = kept; i < kInputField; ++i) field[i] = ' ';
  DDINPC(field, a);
}

}  // namespace dd
