// Typed interface over DDComplex: operators, equality, assignments,
// conversions and the complex elementary functions.
//
// Every mixed operation widens both operands to DDComplex (a DDReal a as
// DDCFROMR(a), a binary64 x as ((x, 0), (0, 0)), a binary64 complex z as
// DDCFROMDC(z)) and applies the complex kernel, left operand first.  Each
// operator exists for nine operand pairs: DDComplex with DDComplex, a
// DDComplex with a DDReal, a binary64 or a binary64 complex in either order,
// and a DDReal with a binary64 complex in either order.
#pragma once

#include <cmath>
#include <complex>

#include "ddcomplex/ddcomplex.hpp"
#include "ddelem/ddelem.hpp"
#include "ddreal/kernels.hpp"
#include "ddtyped/elementary.hpp"
#include "ddtyped/real.hpp"

namespace dd {

using binary64_complex = std::complex<double>;

namespace detail {
inline DDComplex widen(const DDComplex& g) noexcept { return g; }
inline DDComplex widen(const DDReal& a) noexcept { DDComplex v; DDCFROMR(a, v); return v; }
inline DDComplex widen(double x) noexcept { DDComplex v; DDCFROMDC(binary64_complex(x, 0.0), v); return v; }
inline DDComplex widen(const binary64_complex& z) noexcept { DDComplex v; DDCFROMDC(z, v); return v; }

inline DDComplex cadd(const DDComplex& a, const DDComplex& b) noexcept { DDComplex v; DDCADD(a, b, v); return v; }
inline DDComplex csub(const DDComplex& a, const DDComplex& b) noexcept { DDComplex v; DDCSUB(a, b, v); return v; }
inline DDComplex cmul(const DDComplex& a, const DDComplex& b) noexcept { DDComplex v; DDCMUL(a, b, v); return v; }
inline DDComplex cdiv(const DDComplex& a, const DDComplex& b) { DDComplex v; DDCDIV(a, b, v); return v; }
inline bool ceq(const DDComplex& a, const DDComplex& b) noexcept {
  int ir, ii;
  DDCOMPARE(a.re, b.re, ir);
  DDCOMPARE(a.im, b.im, ii);
  return ir == 0 && ii == 0;
}
}  // namespace detail

// The nine operand pairs of one binary operation F, as operator OP.
#define DD_COMPLEX_BINARY(OP, F, NOEXCEPT, RET)                                                                  \
  inline RET operator OP(const DDComplex& a, const DDComplex& b) NOEXCEPT { return detail::F(a, b); }         \
  inline RET operator OP(const DDComplex& a, const DDReal& b) NOEXCEPT { return detail::F(a, detail::widen(b)); } \
  inline RET operator OP(const DDReal& a, const DDComplex& b) NOEXCEPT { return detail::F(detail::widen(a), b); } \
  inline RET operator OP(const DDComplex& a, double b) NOEXCEPT { return detail::F(a, detail::widen(b)); }     \
  inline RET operator OP(double a, const DDComplex& b) NOEXCEPT { return detail::F(detail::widen(a), b); }     \
  inline RET operator OP(const DDComplex& a, const binary64_complex& b) NOEXCEPT {                             \
    return detail::F(a, detail::widen(b));                                                                     \
  }                                                                                                            \
  inline RET operator OP(const binary64_complex& a, const DDComplex& b) NOEXCEPT {                             \
    return detail::F(detail::widen(a), b);                                                                     \
  }                                                                                                            \
  inline RET operator OP(const DDReal& a, const binary64_complex& b) NOEXCEPT {                                \
    return detail::F(detail::widen(a), detail::widen(b));                                                      \
  }                                                                                                            \
  inline RET operator OP(const binary64_complex& a, const DDReal& b) NOEXCEPT {                                \
    return detail::F(detail::widen(a), detail::widen(b));                                                      \
  }

DD_COMPLEX_BINARY(+, cadd, noexcept, DDComplex)
DD_COMPLEX_BINARY(-, csub, noexcept, DDComplex)
DD_COMPLEX_BINARY(*, cmul, noexcept, DDComplex)
DD_COMPLEX_BINARY(/, cdiv, , DDComplex)  // a zero divisor stops
DD_COMPLEX_BINARY(==, ceq, noexcept, bool)

#undef DD_COMPLEX_BINARY

// g != h is !(g == h) for the same nine pairs (C++20 rewrites it from ==).

/// -g: the sign bits of all four words flipped.
inline DDComplex operator-(const DDComplex& g) noexcept {
  DDComplex v;
  DDNEG(g.re, v.re);
  DDNEG(g.im, v.im);
  return v;
}
inline DDComplex operator+(const DDComplex& g) noexcept { return g; }

// Compound assignments: g op= h is g = g op h.
inline DDComplex& operator+=(DDComplex& g, const DDComplex& h) noexcept { DDCADD(g, h, g); return g; }
inline DDComplex& operator-=(DDComplex& g, const DDComplex& h) noexcept { DDCSUB(g, h, g); return g; }
inline DDComplex& operator*=(DDComplex& g, const DDComplex& h) noexcept { DDCMUL(g, h, g); return g; }
inline DDComplex& operator/=(DDComplex& g, const DDComplex& h) { DDCDIV(g, h, g); return g; }
// A DDReal or binary64 complex right-hand side converts implicitly; a binary64 one is widened here.
inline DDComplex& operator+=(DDComplex& g, double x) noexcept { DDCADD(g, detail::widen(x), g); return g; }
inline DDComplex& operator-=(DDComplex& g, double x) noexcept { DDCSUB(g, detail::widen(x), g); return g; }
inline DDComplex& operator*=(DDComplex& g, double x) noexcept { DDCMUL(g, detail::widen(x), g); return g; }
inline DDComplex& operator/=(DDComplex& g, double x) { DDCDIV(g, detail::widen(x), g); return g; }

/// g^n by binary exponentiation (DDCPWR); zero to a negative power stops.
inline DDComplex pow(const DDComplex& g, int n) { DDComplex v; DDCPWR(g, n, v); return v; }

// ---- conversions and parts --------------------------------------------------

inline DDComplex to_ddcomplex(const DDComplex& g) noexcept { DDComplex v; DDCCOPY(g, v); return v; }
inline DDComplex to_ddcomplex(const DDReal& a) noexcept { return detail::widen(a); }
inline DDComplex to_ddcomplex(const DDReal& a, const DDReal& b) noexcept { DDComplex v; DDCMAKE(a, b, v); return v; }
inline DDComplex to_ddcomplex(double x) noexcept { return DDComplex(DDReal(x, 0.0), DDReal(0.0, 0.0)); }
inline DDComplex to_ddcomplex(double x, double y) noexcept { return DDComplex(DDReal(x, 0.0), DDReal(y, 0.0)); }
inline DDComplex to_ddcomplex(const binary64_complex& z) noexcept { return detail::widen(z); }

/// (g.re.hi, g.im.hi).
inline binary64_complex to_binary64_complex(const DDComplex& g) noexcept { return {g.re.hi, g.im.hi}; }
/// (a.hi, b.hi).
inline binary64_complex to_binary64_complex(const DDReal& a, const DDReal& b) noexcept { return {a.hi, b.hi}; }
/// The real part, both words.
inline DDReal to_ddreal(const DDComplex& g) noexcept { return g.re; }
/// (z.re, 0).
inline DDReal to_ddreal(const binary64_complex& z) noexcept { return DDReal(z.real(), 0.0); }
/// The real part's hi word.
inline double to_binary64(const DDComplex& g) noexcept { return g.re.hi; }

inline DDReal real_part(const DDComplex& g) noexcept { return g.re; }
inline DDReal imag_part(const DDComplex& g) noexcept { return g.im; }
/// (g.re, -g.im), the imaginary part's sign bits flipped.
inline DDComplex conj(const DDComplex& g) noexcept {
  DDComplex v;
  v.re = g.re;
  DDNEG(g.im, v.im);
  return v;
}

// ---- complex elementary functions ---------------------------------------------

namespace detail {
/// x^2 + y^2 for g = (x, y).
inline DDReal norm2(const DDComplex& g) noexcept {
  DDReal xx, yy, s;
  DDMUL(g.re, g.re, xx);
  DDMUL(g.im, g.im, yy);
  DDADD(xx, yy, s);
  return s;
}
/// The squares x^2 + y^2 keep their full precision, and their sum stays in
/// the kernels' range, while the larger part lies in this band.
inline constexpr double kNormBandLow = 0x1p-480;
inline constexpr double kNormBandHigh = 0x1p495;
/// The larger of |x.hi| and |y.hi| when it is finite, nonzero and outside the
/// band (so that the modulus needs scaling), else 0.
inline double outside_norm_band(const DDComplex& g) noexcept {
  const double big = std::fmax(std::fabs(g.re.hi), std::fabs(g.im.hi));
  const bool finite = std::isfinite(g.re.hi) && std::isfinite(g.im.hi) && std::isfinite(g.re.lo) &&
                      std::isfinite(g.im.lo);
  return finite && big != 0.0 && (big < kNormBandLow || big > kNormBandHigh) ? big : 0.0;
}
/// |g| and ln |g| from g scaled by 2^-k, k the exponent of the larger part
/// (outside the band).
DDReal abs_scaled(const DDComplex& g) noexcept;
DDReal log_modulus_scaled(const DDComplex& g);
/// x^2 + y^2 - 1 from the exact pieces of the squares, for g near the unit circle.
DDReal norm2_minus_one(const DDComplex& g) noexcept;
/// Within this of 1 the rounding of x^2 + y^2 (a few units of 2^-106) may
/// cost ln |g| its relative accuracy; there it is checked against
/// ln(1 + norm2_minus_one(g)) / 2.
inline constexpr double kUnitCircleCheck = 0x1p-15;

/// ln |g| = ln(x^2 + y^2) / 2, checked (keep_or_replace) outside the band and
/// near the unit circle.  A zero g stops in the logarithm.
inline DDReal log_modulus(const DDComplex& g) {
  const DDReal n2 = norm2(g);
  if (outside_norm_band(g) != 0.0) {
    const DDReal acc = log_modulus_scaled(g);
    if (!(n2.hi > 0.0) || !std::isfinite(n2.hi)) return acc;
    DDReal l, h;
    DDLOG(n2, l);
    DDMULD(l, 0.5, h);
    return keep_or_replace(h, acc);
  }
  DDReal l, h;
  const bool kept = log_kept(n2, l);
  DDMULD(l, 0.5, h);
  if (!(std::fabs(n2.hi - 1.0) < kUnitCircleCheck)) return h;
  DDReal acc;
  DDMULD(log1p_series(norm2_minus_one(g)), 0.5, acc);
  // Where the logarithm replaced its own result this one has moved already.
  return kept ? keep_or_replace(h, acc) : acc;
}
/// (e cos q, e sin q).
inline DDComplex polar(const DDReal& e, const DDReal& q) {
  DDReal co, si;
  DDCSSNR(q, co, si);
  DDComplex v;
  DDMUL(e, co, v.re);
  DDMUL(e, si, v.im);
  return v;
}
}  // namespace detail

/// |g| = sqrt(x^2 + y^2); outside the band of detail::log_modulus it is
/// checked against the modulus of the scaled g.
inline DDReal abs(const DDComplex& g) noexcept {
  DDReal r;
  DDSQRT(detail::norm2(g), r);
  if (detail::outside_norm_band(g) != 0.0) r = detail::keep_or_replace(r, detail::abs_scaled(g));
  return r;
}

/// The principal square root (DDCSQRT).
inline DDComplex sqrt(const DDComplex& g) noexcept { DDComplex v; DDCSQRT(g, v); return v; }

/// e^x (cos y + i sin y).
inline DDComplex exp(const DDComplex& g) {
  DDReal e;
  DDEXP(g.re, e);
  return detail::polar(e, g.im);
}

/// (ln |g|, angle of g).  The real part is formed first, so log of zero stops
/// with the logarithm's message.
inline DDComplex log(const DDComplex& g) {
  const DDReal h = detail::log_modulus(g);
  DDReal t;
  DDANG(g.re, g.im, t);
  return DDComplex(h, t);
}

namespace detail {
/// The shared first steps of the complex sine and cosine: e^-y + e^y,
/// e^-y - e^y, cos x and sin x.
struct SinCosParts {
  DDReal p, m, co, si;
};
inline SinCosParts sin_cos_parts(const DDComplex& g) {
  SinCosParts r;
  DDReal ny, e1, e2;
  DDNEG(g.im, ny);
  DDEXP(ny, e1);
  DDDIV(DDReal(1.0, 0.0), e1, e2);
  DDCSSNR(g.re, r.co, r.si);
  DDADD(e1, e2, r.p);
  DDSUB(e1, e2, r.m);
  return r;
}


/// sin g (sine true) or cos g for |y| >= 300, where cosh y = |sinh y| =
/// e^|y| / 2: the exponential's mantissa times the cosine or sine of x,
/// scaled by its power of two.  Stops with the exponential's message when a
/// part passes the splitting limit.
DDComplex sin_cos_wide_imag(const DDComplex& g, bool sine);
}  // namespace detail

/// sin(x + iy) = sin x cosh y + i cos x sinh y.  For |y| below 2^-9 the sinh
/// is checked against its series (e^-y - e^y cancels), from |y| = 300 on it
/// comes from e^|y|.
inline DDComplex sin(const DDComplex& g) {
  if (std::fabs(g.im.hi) >= detail::kExpLimit) return detail::sin_cos_wide_imag(g, true);
  const detail::SinCosParts s = detail::sin_cos_parts(g);
  DDReal hp, hm;
  DDComplex v;
  DDMULD(s.p, 0.5, hp);
  DDMUL(hp, s.si, v.re);
  DDMULD(s.m, -0.5, hm);
  if (std::fabs(g.im.hi) < detail::kSeriesBelow) hm = detail::keep_or_replace(hm, detail::sinh_series(g.im));
  DDMUL(hm, s.co, v.im);
  return v;
}

/// cos(x + iy) = cos x cosh y - i sin x sinh y, its sinh as for sin.
inline DDComplex cos(const DDComplex& g) {
  if (std::fabs(g.im.hi) >= detail::kExpLimit) return detail::sin_cos_wide_imag(g, false);
  const detail::SinCosParts s = detail::sin_cos_parts(g);
  DDReal hp, hm;
  DDComplex v;
  DDMULD(s.p, 0.5, hp);
  DDMUL(hp, s.co, v.re);
  DDMULD(s.m, 0.5, hm);
  if (std::fabs(g.im.hi) < detail::kSeriesBelow) {
    const DDReal sh = detail::sinh_series(g.im);
    hm = detail::keep_or_replace(hm, DDReal(-sh.hi, -sh.lo));
  }
  DDMUL(hm, s.si, v.im);
  return v;
}

/// g^a = e^(a ln|g|) (cos(a arg g) + i sin(a arg g)).
inline DDComplex pow(const DDComplex& g, const DDReal& a) {
  const DDReal h = detail::log_modulus(g);
  DDReal ha, e, t, q;
  DDMUL(h, a, ha);
  DDEXP(ha, e);
  DDANG(g.re, g.im, t);
  DDMUL(a, t, q);
  return detail::polar(e, q);
}

/// a^g = e^(x ln a) (cos(y ln a) + i sin(y ln a)), the logarithm formed twice.
inline DDComplex pow(const DDReal& a, const DDComplex& g) {
  DDReal l, lx, e, l2, q;
  DDLOG(a, l);
  DDMUL(l, g.re, lx);
  DDEXP(lx, e);
  DDLOG(a, l2);
  DDMUL(l2, g.im, q);
  return detail::polar(e, q);
}

/// g^w = e^(u ln|g| - v arg g) (cos q + i sin q), q = v ln|g| + u arg g.
inline DDComplex pow(const DDComplex& g, const DDComplex& w) {
  const DDReal h = detail::log_modulus(g);
  DDReal t, uh, tv, d, e, vh, ut, q;
  DDANG(g.re, g.im, t);
  DDMUL(w.re, h, uh);
  DDMUL(t, w.im, tv);
  DDSUB(uh, tv, d);
  DDEXP(d, e);
  DDMUL(w.im, h, vh);
  DDMUL(w.re, t, ut);
  DDADD(vh, ut, q);
  return detail::polar(e, q);
}

/// g^x and x^g for a binary64 x, as with the DDReal (x, 0); these keep a
/// binary64 exponent or base from being ambiguous between the forms above.
inline DDComplex pow(const DDComplex& g, double x) { return pow(g, DDReal(x, 0.0)); }
inline DDComplex pow(double x, const DDComplex& g) { return pow(DDReal(x, 0.0), g); }

}  // namespace dd
