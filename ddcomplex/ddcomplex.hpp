// Double-double complex numbers: the DDComplex format and its kernels
// (construction, copy, addition, subtraction, multiplication, principal square
// root, division and integer power).  Every kernel applies the real kernels to
// the parts in a fixed order, so results are bit-identical everywhere.
#pragma once

#include <complex>
#include <cstddef>
#include <type_traits>

#include "ddreal/kernels.hpp"

namespace dd {

/// A double-double complex number: real part, then imaginary part; in storage
/// the four binary64 words re.hi, re.lo, im.hi, im.lo.
///
/// Widening into a DDComplex is implicit from a DDReal and from a binary64
/// complex; from a binary64 it is explicit (assignment of a binary64 is
/// allowed), so that a binary64 argument keeps choosing the real overload of a
/// function.  Conversions that drop digits or the imaginary part (to DDReal,
/// binary64, binary64 complex) are explicit.
struct DDComplex {
  DDReal re;
  DDReal im;

  /// Zero, as std::complex: ((0, 0), (0, 0)).
  constexpr DDComplex() noexcept : re(0.0, 0.0), im(0.0, 0.0) {}
  constexpr DDComplex(const DDReal& r, const DDReal& i) noexcept : re(r), im(i) {}
  /// (a, (0, 0)), as DDCFROMR.
  constexpr DDComplex(const DDReal& a) noexcept : re(a), im(0.0, 0.0) {}  // NOLINT(google-explicit-constructor)
  /// ((x, 0), (0, 0)).
  constexpr explicit DDComplex(double x) noexcept : re(x, 0.0), im(0.0, 0.0) {}
  /// ((z.re, 0), (z.im, 0)), as DDCFROMDC.
  constexpr DDComplex(const std::complex<double>& z) noexcept  // NOLINT(google-explicit-constructor)
      : re(z.real(), 0.0), im(z.imag(), 0.0) {}

  /// Assignment of a binary64 x: ((x, 0), (0, 0)).
  constexpr DDComplex& operator=(double x) noexcept {
    re = DDReal(x, 0.0);
    im = DDReal(0.0, 0.0);
    return *this;
  }

  /// The parts, read and set as with std::complex.
  constexpr DDReal real() const noexcept { return re; }
  constexpr DDReal imag() const noexcept { return im; }
  constexpr void real(const DDReal& r) noexcept { re = r; }
  constexpr void imag(const DDReal& i) noexcept { im = i; }

  /// The real part, both words.
  constexpr explicit operator DDReal() const noexcept { return re; }
  /// The real part's hi word.
  constexpr explicit operator double() const noexcept { return re.hi; }
  /// (re.hi, im.hi).
  constexpr explicit operator std::complex<double>() const noexcept { return {re.hi, im.hi}; }
};

static_assert(sizeof(DDComplex) == 4 * sizeof(double));
static_assert(std::is_standard_layout_v<DDComplex>);
static_assert(std::is_trivially_copyable_v<DDComplex>);
static_assert(offsetof(DDComplex, im) == 2 * sizeof(double));

namespace msg {
inline constexpr char kCdivZero[] = "('*** DDCDIV: Divisor is zero.')";
inline constexpr char kCpwrZero[] = "('*** DDCPWR: Argument is zero and N is negative or zero.')";
}  // namespace msg

/// v = ((z.re, 0), (z.im, 0)).
inline void DDCFROMDC(const std::complex<double>& z, DDComplex& v) noexcept {
  const double r = z.real();
  const double i = z.imag();
  v.re = DDReal(r, 0.0);
  v.im = DDReal(i, 0.0);
}

/// v = (x, (0, 0)).
inline void DDCFROMR(const DDReal& x, DDComplex& v) noexcept {
  const DDReal r = x;
  v.re = r;
  v.im = DDReal(0.0, 0.0);
}

/// v = (x, y).
inline void DDCMAKE(const DDReal& x, const DDReal& y, DDComplex& v) noexcept {
  const DDReal r = x;
  const DDReal i = y;
  v.re = r;
  v.im = i;
}

/// v = a, all four words.
inline void DDCCOPY(const DDComplex& a, DDComplex& v) noexcept { v = a; }

/// v = a + b.
inline void DDCADD(const DDComplex& a, const DDComplex& b, DDComplex& v) noexcept {
  DDReal r, i;
  DDADD(a.re, b.re, r);
  DDADD(a.im, b.im, i);
  v.re = r;
  v.im = i;
}

/// v = a - b.
inline void DDCSUB(const DDComplex& a, const DDComplex& b, DDComplex& v) noexcept {
  DDReal r, i;
  DDSUB(a.re, b.re, r);
  DDSUB(a.im, b.im, i);
  v.re = r;
  v.im = i;
}

/// v = a * b from four real products.
inline void DDCMUL(const DDComplex& a, const DDComplex& b, DDComplex& v) noexcept {
  DDReal p1, p2, p3, p4;
  DDMUL(a.re, b.re, p1);
  DDMUL(a.im, b.im, p2);
  DDMUL(a.re, b.im, p3);
  DDMUL(a.im, b.re, p4);
  DDSUB(p1, p2, v.re);
  DDADD(p3, p4, v.im);
}

/// v = the principal square root of a (real part never negative).
void DDCSQRT(const DDComplex& a, DDComplex& v) noexcept;

/// q = a / b.  Stops when both hi words of b are zero.
void DDCDIV(const DDComplex& a, const DDComplex& b, DDComplex& q);

/// q = a^n by binary exponentiation.  Zero to a negative power stops.
void DDCPWR(const DDComplex& a, int n, DDComplex& q);

namespace detail {
/// Beyond this |n| DDCPWR's result is checked against the power formed in
/// three-word arithmetic (the literal products' errors grow with |n|).
inline constexpr long long kCpwrCheckAbove = 1LL << 14;
void cpwr_large(const DDComplex& a, int n, const DDComplex& lit, DDComplex& q);
}  // namespace detail

}  // namespace dd
