// Typed interface over DDReal: operators, comparisons, conversions and basic
// functions.  Every entry is exactly the kernel sequence named beside it; the
// kernels are inline, so an expression compiles to the same code as the calls.
//
// A binary64 operand x takes part as the DDReal (x, 0), except where a kernel
// takes a binary64 directly (a * x, x * b and a / x use DDMULD and DDDIVD).
#pragma once

#include <cmath>
#include <concepts>
#include <limits>
#include <type_traits>

#include "ddreal/kernels.hpp"
#include "ddreal/power.hpp"
#include "ddreal/rounding.hpp"

namespace dd {

// ---- arithmetic -----------------------------------------------------------

inline DDReal operator+(const DDReal& a, const DDReal& b) noexcept { DDReal r; DDADD(a, b, r); return r; }
inline DDReal operator+(const DDReal& a, double x) noexcept { DDReal r; DDADD(a, DDReal(x, 0.0), r); return r; }
inline DDReal operator+(double x, const DDReal& b) noexcept { DDReal r; DDADD(DDReal(x, 0.0), b, r); return r; }

inline DDReal operator-(const DDReal& a, const DDReal& b) noexcept { DDReal r; DDSUB(a, b, r); return r; }
inline DDReal operator-(const DDReal& a, double x) noexcept { DDReal r; DDSUB(a, DDReal(x, 0.0), r); return r; }
inline DDReal operator-(double x, const DDReal& b) noexcept { DDReal r; DDSUB(DDReal(x, 0.0), b, r); return r; }

inline DDReal operator*(const DDReal& a, const DDReal& b) noexcept { DDReal r; DDMUL(a, b, r); return r; }
inline DDReal operator*(const DDReal& a, double x) noexcept { DDReal r; DDMULD(a, x, r); return r; }
inline DDReal operator*(double x, const DDReal& b) noexcept { DDReal r; DDMULD(b, x, r); return r; }

inline DDReal operator/(const DDReal& a, const DDReal& b) noexcept { DDReal r; DDDIV(a, b, r); return r; }
inline DDReal operator/(const DDReal& a, double x) noexcept { DDReal r; DDDIVD(a, x, r); return r; }
inline DDReal operator/(double x, const DDReal& b) noexcept { DDReal r; DDDIV(DDReal(x, 0.0), b, r); return r; }

inline DDReal operator-(const DDReal& a) noexcept { DDReal r; DDNEG(a, r); return r; }
inline DDReal operator+(const DDReal& a) noexcept { return a; }

// Compound assignments: a op= b is a = a op b, with the same kernel.
inline DDReal& operator+=(DDReal& a, const DDReal& b) noexcept { DDADD(a, b, a); return a; }
inline DDReal& operator+=(DDReal& a, double x) noexcept { DDADD(a, DDReal(x, 0.0), a); return a; }
inline DDReal& operator-=(DDReal& a, const DDReal& b) noexcept { DDSUB(a, b, a); return a; }
inline DDReal& operator-=(DDReal& a, double x) noexcept { DDSUB(a, DDReal(x, 0.0), a); return a; }
inline DDReal& operator*=(DDReal& a, const DDReal& b) noexcept { DDMUL(a, b, a); return a; }
inline DDReal& operator*=(DDReal& a, double x) noexcept { DDMULD(a, x, a); return a; }
inline DDReal& operator/=(DDReal& a, const DDReal& b) noexcept { DDDIV(a, b, a); return a; }
inline DDReal& operator/=(DDReal& a, double x) noexcept { DDDIVD(a, x, a); return a; }

/// a^n (DDNPWR); zero to a negative power stops.
inline DDReal pow(const DDReal& a, int n) { DDReal r; DDNPWR(a, n, r); return r; }

// ---- comparisons: the sign of DDCOMPARE(left, right) ------------------------

namespace detail {
inline int compare(const DDReal& a, const DDReal& b) noexcept { int ic; DDCOMPARE(a, b, ic); return ic; }
}  // namespace detail

inline bool operator==(const DDReal& a, const DDReal& b) noexcept { return detail::compare(a, b) == 0; }
inline bool operator!=(const DDReal& a, const DDReal& b) noexcept { return detail::compare(a, b) != 0; }
inline bool operator<(const DDReal& a, const DDReal& b) noexcept { return detail::compare(a, b) < 0; }
inline bool operator<=(const DDReal& a, const DDReal& b) noexcept { return detail::compare(a, b) <= 0; }
inline bool operator>(const DDReal& a, const DDReal& b) noexcept { return detail::compare(a, b) > 0; }
inline bool operator>=(const DDReal& a, const DDReal& b) noexcept { return detail::compare(a, b) >= 0; }

inline bool operator==(const DDReal& a, double x) noexcept { return detail::compare(a, DDReal(x, 0.0)) == 0; }
inline bool operator!=(const DDReal& a, double x) noexcept { return detail::compare(a, DDReal(x, 0.0)) != 0; }
inline bool operator<(const DDReal& a, double x) noexcept { return detail::compare(a, DDReal(x, 0.0)) < 0; }
inline bool operator<=(const DDReal& a, double x) noexcept { return detail::compare(a, DDReal(x, 0.0)) <= 0; }
inline bool operator>(const DDReal& a, double x) noexcept { return detail::compare(a, DDReal(x, 0.0)) > 0; }
inline bool operator>=(const DDReal& a, double x) noexcept { return detail::compare(a, DDReal(x, 0.0)) >= 0; }

inline bool operator==(double x, const DDReal& b) noexcept { return detail::compare(DDReal(x, 0.0), b) == 0; }
inline bool operator!=(double x, const DDReal& b) noexcept { return detail::compare(DDReal(x, 0.0), b) != 0; }
inline bool operator<(double x, const DDReal& b) noexcept { return detail::compare(DDReal(x, 0.0), b) < 0; }
inline bool operator<=(double x, const DDReal& b) noexcept { return detail::compare(DDReal(x, 0.0), b) <= 0; }
inline bool operator>(double x, const DDReal& b) noexcept { return detail::compare(DDReal(x, 0.0), b) > 0; }
inline bool operator>=(double x, const DDReal& b) noexcept { return detail::compare(DDReal(x, 0.0), b) >= 0; }

// ---- integers wider than 32 bits ----------------------------------------------
// An int is a binary64 value exactly and takes the binary64 operators above.
// A wider integer takes them too while it is one (|n| <= 2^53, the same words
// as before); beyond, it takes part as the exact DDReal(n) instead of being
// rounded on its way to binary64.  Comparisons always use the exact DDReal(n).

namespace detail {
template <class I>
concept wide_integer = std::integral<I> && sizeof(I) > 4 && sizeof(I) <= 8;

template <wide_integer I>
constexpr bool is_binary64(I n) noexcept {
  if constexpr (std::is_signed_v<I>) {
    return n >= -(I{1} << 53) && n <= (I{1} << 53);
  } else {
    return n <= (I{1} << 53);
  }
}
}  // namespace detail

#define DD_WIDE_INTEGER_ARITHMETIC(OP)                                                                   \
  template <detail::wide_integer I>                                                                      \
  inline DDReal operator OP(const DDReal& a, I n) noexcept {                                             \
    return detail::is_binary64(n) ? a OP static_cast<double>(n) : a OP DDReal(n);                        \
  }                                                                                                      \
  template <detail::wide_integer I>                                                                      \
  inline DDReal operator OP(I n, const DDReal& b) noexcept {                                             \
    return detail::is_binary64(n) ? static_cast<double>(n) OP b : DDReal(n) OP b;                        \
  }                                                                                                      \
  template <detail::wide_integer I>                                                                      \
  inline DDReal& operator OP##=(DDReal& a, I n) noexcept { return a = a OP n; }
#define DD_WIDE_INTEGER_COMPARISON(OP)                                                                   \
  template <detail::wide_integer I>                                                                      \
  inline bool operator OP(const DDReal& a, I n) noexcept { return a OP DDReal(n); }                      \
  template <detail::wide_integer I>                                                                      \
  inline bool operator OP(I n, const DDReal& b) noexcept { return DDReal(n) OP b; }

DD_WIDE_INTEGER_ARITHMETIC(+)
DD_WIDE_INTEGER_ARITHMETIC(-)
DD_WIDE_INTEGER_ARITHMETIC(*)
DD_WIDE_INTEGER_ARITHMETIC(/)
DD_WIDE_INTEGER_COMPARISON(==)
DD_WIDE_INTEGER_COMPARISON(!=)
DD_WIDE_INTEGER_COMPARISON(<)
DD_WIDE_INTEGER_COMPARISON(<=)
DD_WIDE_INTEGER_COMPARISON(>)
DD_WIDE_INTEGER_COMPARISON(>=)

#undef DD_WIDE_INTEGER_ARITHMETIC
#undef DD_WIDE_INTEGER_COMPARISON

// ---- conversions ------------------------------------------------------------

inline DDReal to_ddreal(const DDReal& a) noexcept { return a; }
inline DDReal to_ddreal(double x) noexcept { return DDReal(x, 0.0); }
inline DDReal to_ddreal(int k) noexcept { return DDReal(static_cast<double>(k), 0.0); }
/// The hi word: the value rounded to binary64.
inline double to_binary64(const DDReal& a) noexcept { return a.hi; }

// ---- basic functions ----------------------------------------------------------

inline DDReal abs(const DDReal& a) noexcept { DDReal r; DDABS(a, r); return r; }
inline DDReal sqrt(const DDReal& a) noexcept { DDReal r; DDSQRT(a, r); return r; }

/// Nearest integer, ties to even (DDNINT).
inline DDReal nearest_integer(const DDReal& a) { DDReal r; DDNINT(a, r); return r; }

namespace detail {
/// a.hi + r, for a whole hi and a whole r that replaces the lo word (a itself
/// when r is the lo word): the exact sum, renormalised, a zero lo word as +0.
inline DDReal whole_sum(const DDReal& a, double r) noexcept {
  if (r == a.lo) return a;
  DDReal b;
  quick_two_sum(a.hi, r, b.hi, b.lo);
  b.lo = b.lo + 0.0;
  return b;
}

/// The integer part toward zero, from the words.  Where the hi word has a
/// fraction the lo word cannot carry the value past an integer (hi is the
/// value rounded, and integers are binary64 values there); a whole hi word
/// keeps the integer part of the lo word, rounded toward hi's side.
inline DDReal trunc_words(const DDReal& a) noexcept {
  const double h = std::trunc(a.hi);
  if (h != a.hi) return DDReal(h, 0.0);
  return whole_sum(a, a.hi > 0.0 ? std::floor(a.lo) : std::ceil(a.lo));
}
}  // namespace detail

/// Integer part toward zero (DDINFR; from 2^105 on, where DDINFR refuses, from the words).
inline DDReal trunc(const DDReal& a) {
  if (a.hi >= detail::kRoundBound) return detail::trunc_words(a);
  DDReal t, f;
  DDINFR(a, t, f);
  return t;
}

/// a - b * trunc(a / b): the result has the sign of a.
inline DDReal mod(const DDReal& a, const DDReal& b) {
  DDReal q, t, f, p, r;
  DDDIV(a, b, q);
  DDINFR(q, t, f);
  DDMUL(b, t, p);
  DDSUB(a, p, r);
  return r;
}

/// |a| with the sign bit of b.hi.  The lo word follows the hi word's change of sign.
inline DDReal sign(const DDReal& a, const DDReal& b) noexcept {
  const double h = std::copysign(a.hi, b.hi);
  return DDReal(h, h == a.hi ? a.lo : -a.lo);
}

/// Smaller of a and b; on a tie, b.
inline DDReal min(const DDReal& a, const DDReal& b) noexcept { return detail::compare(a, b) < 0 ? a : b; }
inline DDReal min(const DDReal& a, const DDReal& b, const DDReal& c) noexcept { return min(min(a, b), c); }
/// Larger of a and b; on a tie, a.
inline DDReal max(const DDReal& a, const DDReal& b) noexcept { return detail::compare(a, b) < 0 ? b : a; }
inline DDReal max(const DDReal& a, const DDReal& b, const DDReal& c) noexcept { return max(max(a, b), c); }

namespace detail {
/// sqrt(a*a + b*b) by the kernels, for squares inside the kernels' range.
inline DDReal hypot_unscaled(const DDReal& a, const DDReal& b) noexcept {
  DDReal aa, bb, s, r;
  DDMUL(a, a, aa);
  DDMUL(b, b, bb);
  DDADD(aa, bb, s);
  DDSQRT(s, r);
  return r;
}
/// The words of a times 2^n (exact while no word becomes subnormal).
inline DDReal scale_words(const DDReal& a, int n) noexcept { return DDReal(std::ldexp(a.hi, n), std::ldexp(a.lo, n)); }
}  // namespace detail

/// sqrt(a*a + b*b).  While the larger hi word lies in [2^-450, 2^450] the
/// squares are formed directly; beyond, both operands are first scaled by a
/// power of two toward 1 (exact), so that no square overflows or loses its
/// low word.  An infinite operand gives +infinity, even beside a NaN.
inline DDReal hypot(const DDReal& a, const DDReal& b) noexcept {
  const double m = std::fmax(std::fabs(a.hi), std::fabs(b.hi));
  if (m >= 0x1p-450 && m <= 0x1p450) return detail::hypot_unscaled(a, b);
  if (std::isinf(a.hi) || std::isinf(b.hi)) return DDReal(std::numeric_limits<double>::infinity(), 0.0);
  if (m == 0.0 || std::isnan(m)) return detail::hypot_unscaled(a, b);
  const int k = std::ilogb(m);
  const DDReal r = detail::hypot_unscaled(detail::scale_words(a, -k), detail::scale_words(b, -k));
  return detail::scale_words(r, k);
}

/// n-th root (DDNRT) for a >= 0 and n >= 1.
inline DDReal nroot(const DDReal& a, int n) { DDReal r; DDNRT(a, n, r); return r; }

inline DDReal pi() noexcept { return detail::kPi; }
inline DDReal ln2() noexcept { return detail::kLog2; }

}  // namespace dd
