// The <cmath> names for DDReal, so that code written as a template over a
// floating-point type, as for double, compiles for DDReal: an unqualified
// call (or `using std::floor; floor(x)`) finds these by argument-dependent
// lookup, next to the names the typed interface already has (abs, sqrt, trunc,
// hypot, exp, log, log10, pow, the circular and hyperbolic functions and their
// inverses).
//
// Rounding, scaling, classification, sign and fmod are exact; cbrt, log2,
// log1p, expm1 and exp2 stay within a few units of 2^-104 relative (log1p and
// expm1 also for arguments near zero, where log(1 + x) and exp(x) - 1 would
// lose them).  Arguments outside a function's domain stop with the message
// of the routine that refuses them, as for log and exp.
#pragma once

#include <climits>
#include <cmath>
#include <concepts>
#include <type_traits>

#include "ddcomplex/ddcomplex.hpp"
#include "ddreal/kernels.hpp"
#include "ddreal/power.hpp"
#include "ddtyped/elementary.hpp"
#include "ddtyped/real.hpp"

namespace dd {

// ---- classification and sign ---------------------------------------------------

/// True when either word is NaN.
inline bool isnan(const DDReal& a) noexcept { return std::isnan(a.hi) || std::isnan(a.lo); }
/// True when a word is infinite and neither is NaN.
inline bool isinf(const DDReal& a) noexcept { return !isnan(a) && (std::isinf(a.hi) || std::isinf(a.lo)); }
/// True when both words are finite.
inline bool isfinite(const DDReal& a) noexcept { return std::isfinite(a.hi) && std::isfinite(a.lo); }
/// The sign bit of the hi word.
inline bool signbit(const DDReal& a) noexcept { return std::signbit(a.hi); }

inline DDReal fabs(const DDReal& a) noexcept { return abs(a); }
/// |a| with the sign bit of b's hi word (as sign).
inline DDReal copysign(const DDReal& a, const DDReal& b) noexcept { return sign(a, b); }

/// The smaller of a and b; a NaN operand yields the other one.
inline DDReal fmin(const DDReal& a, const DDReal& b) noexcept {
  if (isnan(a)) return b;
  if (isnan(b)) return a;
  return min(a, b);
}
/// The larger of a and b; a NaN operand yields the other one.
inline DDReal fmax(const DDReal& a, const DDReal& b) noexcept {
  if (isnan(a)) return b;
  if (isnan(b)) return a;
  return max(a, b);
}

// ---- rounding to an integer, exact for every magnitude ---------------------------
// Where the hi word has a fraction the lo word cannot carry the value past an
// integer, so the rounded hi word is the result; a whole hi word keeps the
// rounded lo word (detail::trunc_words explains the same for trunc).

inline DDReal floor(const DDReal& a) noexcept {
  const double h = std::floor(a.hi);
  if (h != a.hi) return DDReal(h, 0.0);
  return detail::whole_sum(a, std::floor(a.lo));
}

inline DDReal ceil(const DDReal& a) noexcept {
  const double h = std::ceil(a.hi);
  if (h != a.hi) return DDReal(h, 0.0);
  return detail::whole_sum(a, std::ceil(a.lo));
}

/// The nearest integer, halfway cases away from zero (as std::round).
inline DDReal round(const DDReal& a) noexcept {
  const double h = std::round(a.hi);
  if (h != a.hi) {
    // A hi word halfway between integers is a tie only with a zero lo word; a
    // lo word of the other sign puts the value nearer the integer toward zero.
    if (std::fabs(h - a.hi) == 0.5 && a.lo != 0.0 && std::signbit(a.lo) != std::signbit(a.hi))
      return DDReal(std::trunc(a.hi), 0.0);
    return DDReal(h, 0.0);
  }
  // Whole hi: the lo word's fraction decides, a half going away from zero
  // (the fraction lo - floor(lo) is exact).
  double r;
  if (a.hi > 0.0) {
    r = std::floor(a.lo);
    if (a.lo - r >= 0.5) r = r + 1.0;
  } else {
    r = std::ceil(a.lo);
    if (r - a.lo >= 0.5) r = r - 1.0;
  }
  return detail::whole_sum(a, r);
}

/// a - n b with n = trunc(a / b), exactly: the remainder is formed in integer
/// arithmetic from the four words, so it is the exact remainder whenever that
/// is a DDReal, and the nearest pair otherwise.  It has the sign of a
/// (a zero remainder too).  NaN for a NaN or infinite a, or a zero or NaN b;
/// a itself for an infinite b.
DDReal fmod(const DDReal& a, const DDReal& b) noexcept;

// ---- scaling ------------------------------------------------------------------------

/// a 2^n, word by word (exact unless a word leaves the binary64 range).
inline DDReal ldexp(const DDReal& a, int n) noexcept { return detail::scale_words(a, n); }
inline DDReal scalbn(const DDReal& a, int n) noexcept { return detail::scale_words(a, n); }

/// m and *e with a = m 2^*e and |m| in [1/2, 1) (for the value, not only the
/// hi word).  Zero, infinity and NaN are returned as they are, with *e = 0.
inline DDReal frexp(const DDReal& a, int* e) noexcept {
  if (a.hi == 0.0 || !std::isfinite(a.hi)) {
    *e = 0;
    return a;
  }
  DDReal m(std::frexp(a.hi, e), 0.0);
  m.lo = std::ldexp(a.lo, -*e);
  // A hi word of +-1/2 with a lo word of the other sign: |value| < 1/2.
  if (std::fabs(m.hi) == 0.5 && m.lo != 0.0 && std::signbit(m.lo) != std::signbit(m.hi)) {
    m = detail::scale_words(m, 1);
    *e = *e - 1;
  }
  return m;
}

// ---- roots, logarithms and exponentials ---------------------------------------------

/// The real cube root: DDNRT of |a| 2^-3k in [1, 8), times 2^k with the sign
/// of a.  The exact scaling keeps DDNRT's reciprocal root and its powers
/// inside the full-precision range for every a (unscaled, a above 2^969 would
/// give a power of the reciprocal root whose low word is subnormal).  Zeros,
/// infinities and NaN are returned as they are.
inline DDReal cbrt(const DDReal& a) {
  if (a.hi == 0.0 || !std::isfinite(a.hi)) return a;
  const int e = std::ilogb(a.hi);
  const int k = (e >= 0 ? e : e - 2) / 3;  // floor(e / 3)
  DDReal r;
  DDNRT(detail::scale_words(abs(a), -3 * k), 3, r);
  r = detail::scale_words(r, k);
  return a.hi > 0.0 ? r : -r;
}

/// ln(1 + a), accurate also where a is tiny.  a <= -1 stops as log does.
DDReal log1p(const DDReal& a);
/// e^a - 1, accurate also where a is tiny.  Large a stop as exp does.
DDReal expm1(const DDReal& a);
/// log2 a = e + log2(m) for a = m 2^e with m near 1: exact at powers of two.
DDReal log2(const DDReal& a);
/// 2^a = 2^n e^(f ln 2) for a = n + f with n whole and |f| <= 1/2.
DDReal exp2(const DDReal& a);

/// a^n for an integer type other than int: DDNPWR where n fits an int,
/// else a^n with n as the exact DDReal exponent.
template <std::integral I>
  requires(!std::same_as<I, int> && !std::same_as<I, bool> && sizeof(I) <= 8)
inline DDReal pow(const DDReal& a, I n) {
  bool fits;
  if constexpr (std::is_signed_v<I>) {
    fits = n >= INT_MIN && n <= INT_MAX;
  } else {
    fits = n <= static_cast<unsigned long long>(INT_MAX);
  }
  if (fits) return pow(a, static_cast<int>(n));
  return pow(a, DDReal(n));
}

// ---- parts, as std::real and std::imag ---------------------------------------------------

inline DDReal real(const DDComplex& g) noexcept { return g.re; }
inline DDReal imag(const DDComplex& g) noexcept { return g.im; }
/// A real number's real part is itself and its imaginary part zero, as for double.
inline DDReal real(const DDReal& a) noexcept { return a; }
inline DDReal imag(const DDReal&) noexcept { return DDReal(0.0, 0.0); }

}  // namespace dd
