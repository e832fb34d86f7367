// Typed interface over DDReal: operators, comparisons, conversions and basic
// functions.  Every entry is exactly the kernel sequence named beside it; the
// kernels are inline, so an expression compiles to the same code as the calls.
//
// A binary64 operand x takes part as the DDReal (x, 0), except where a kernel
// takes a binary64 directly (a * x, x * b and a / x use DDMULD and DDDIVD).
#pragma once

#include <cmath>

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

/// Integer part toward zero (DDINFR).
inline DDReal trunc(const DDReal& a) { DDReal t, f; DDINFR(a, t, f); return t; }

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

/// sqrt(a*a + b*b), formed without scaling.
inline DDReal hypot(const DDReal& a, const DDReal& b) noexcept {
  DDReal aa, bb, s, r;
  DDMUL(a, a, aa);
  DDMUL(b, b, bb);
  DDADD(aa, bb, s);
  DDSQRT(s, r);
  return r;
}

/// n-th root (DDNRT) for a >= 0 and n >= 1.
inline DDReal nroot(const DDReal& a, int n) { DDReal r; DDNRT(a, n, r); return r; }

inline DDReal pi() noexcept { return detail::kPi; }
inline DDReal ln2() noexcept { return detail::kLog2; }

}  // namespace dd
