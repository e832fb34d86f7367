// Typed interface: elementary functions of a DDReal.  Each entry is a fixed
// composition of the kernels and the routines of ddelem, in exactly the order
// written, since the results depend on it.
#pragma once

#include <cmath>

#include "ddelem/ddelem.hpp"
#include "ddreal/kernels.hpp"
#include "ddtyped/real.hpp"

namespace dd {

/// e^a (DDEXP).
inline DDReal exp(const DDReal& a) { DDReal r; DDEXP(a, r); return r; }

/// ln a (DDLOG); a <= 0 stops.
inline DDReal log(const DDReal& a) { DDReal r; DDLOG(a, r); return r; }

/// log10 a = ln a / ln 10.
inline DDReal log10(const DDReal& a) {
  DDReal l, l10, r;
  DDLOG(a, l);
  DDLOG(DDReal(10.0, 0.0), l10);
  DDDIV(l, l10, r);
  return r;
}

namespace detail {
/// e^p for the product p of ln a and the exponent b; where p leaves (-300,
/// 300) the power is formed again by pow_wide (its error does not grow
/// with p).
inline DDReal exp_of_log_product(const DDReal& p, const DDReal& a, const DDReal& b) {
  DDReal r;
  if (std::fabs(p.hi) >= kExpLimit) {
    pow_wide(a, b, r);
  } else {
    DDEXP(p, r);
  }
  return r;
}

/// a^b for a negative base a and a whole exponent b: DDNPWR(a, b) when b fits
/// a 32-bit integer, else |a|^b = exp(ln|a| * b) with the sign of a^b.
/// Returns false, writing nothing, for any other a or b.
inline bool negative_base_power(const DDReal& a, const DDReal& b, DDReal& r) {
  if (!(a.hi < 0.0) || std::trunc(b.hi) != b.hi || std::trunc(b.lo) != b.lo || !std::isfinite(b.hi)) return false;
  if (b.lo == 0.0 && std::fabs(b.hi) <= 2147483647.0) {
    DDNPWR(a, static_cast<int>(b.hi), r);
    return true;
  }
  // b is even when both of its whole words are: from 2^53 on a binary64 is even.
  const bool odd = std::fmod(b.hi, 2.0) != 0.0 || std::fmod(b.lo, 2.0) != 0.0;
  DDReal l, p;
  DDLOG(-a, l);
  DDMUL(l, b, p);
  r = exp_of_log_product(p, -a, b);
  if (odd) r = -r;
  return true;
}
}  // namespace detail

/// a^b = exp(ln a * b); a negative a with a whole b through DDNPWR.
inline DDReal pow(const DDReal& a, const DDReal& b) {
  DDReal l, p, r;
  if (detail::negative_base_power(a, b, r)) return r;
  DDLOG(a, l);
  DDMUL(l, b, p);
  return detail::exp_of_log_product(p, a, b);
}

/// a^x = exp(ln a * x), the product by the binary64 exponent; a negative a
/// with a whole x through DDNPWR.
inline DDReal pow(const DDReal& a, double x) {
  DDReal l, p, r;
  if (detail::negative_base_power(a, DDReal(x, 0.0), r)) return r;
  DDLOG(a, l);
  DDMULD(l, x, p);
  return detail::exp_of_log_product(p, a, DDReal(x, 0.0));
}

/// x^b = exp(ln x * b); a negative x with a whole b through DDNPWR.
inline DDReal pow(double x, const DDReal& b) {
  DDReal l, p, r;
  if (detail::negative_base_power(DDReal(x, 0.0), b, r)) return r;
  DDLOG(DDReal(x, 0.0), l);
  DDMUL(l, b, p);
  return detail::exp_of_log_product(p, DDReal(x, 0.0), b);
}

/// cos a and sin a together (DDCSSNR).
inline void cos_sin(const DDReal& a, DDReal& c, DDReal& s) { DDCSSNR(a, c, s); }
inline DDReal cos(const DDReal& a) { DDReal c, s; DDCSSNR(a, c, s); return c; }
inline DDReal sin(const DDReal& a) { DDReal c, s; DDCSSNR(a, c, s); return s; }
inline DDReal tan(const DDReal& a) {
  DDReal c, s, r;
  DDCSSNR(a, c, s);
  DDDIV(s, c, r);
  return r;
}

/// cosh a and sinh a together (DDCOSHSINH).
inline void cosh_sinh(const DDReal& a, DDReal& c, DDReal& s) { DDCOSHSINH(a, c, s); }
inline DDReal cosh(const DDReal& a) { DDReal c, s; DDCOSHSINH(a, c, s); return c; }
inline DDReal sinh(const DDReal& a) { DDReal c, s; DDCOSHSINH(a, c, s); return s; }
/// tanh a = sinh a / cosh a; from |a.hi| = 300 on (where 1 - |tanh a| is
/// below 2^-860) it is +-1.
inline DDReal tanh(const DDReal& a) {
  if (std::fabs(a.hi) >= detail::kExpLimit) return DDReal(std::copysign(1.0, a.hi), 0.0);
  DDReal c, s, r;
  DDCOSHSINH(a, c, s);
  DDDIV(s, c, r);
  return r;
}

namespace detail {
/// sqrt(1 - a^2), the other leg for asin and acos (NaN words beyond |a| = 1).
inline DDReal cos_leg(const DDReal& a) noexcept {
  DDReal aa, d, w;
  DDMUL(a, a, aa);
  DDSUB(DDReal(1.0, 0.0), aa, d);
  DDSQRT(d, w);
  return w;
}

/// sqrt((1 - |a|)(1 + |a|)) for |a| near 1, where 1 - |a| is exact and the
/// product does not cancel.
inline DDReal cos_leg_near_one(const DDReal& a) noexcept {
  DDReal m, t, u, p, w;
  DDABS(a, m);
  DDSUB(DDReal(1.0, 0.0), m, t);
  DDADD(DDReal(1.0, 0.0), m, u);
  DDMUL(t, u, p);
  DDSQRT(p, w);
  return w;
}

/// The leg w = sqrt(1 - a^2) carries the absolute error of a^2 (about 2^-106)
/// divided by 2w: below this w the angle may lose its relative accuracy
/// (acos a ~ w near a = 1), and the angle is checked against the one from
/// cos_leg_near_one.
inline constexpr double kLegCheckBelow = 0x1p-9;

/// The angle of the point (x(w), y(w)) for the literal leg, kept where it
/// lies within kKeepWithin units of the angle from the accurate leg.
template <class Point>
inline DDReal angle_with_leg(const DDReal& a, Point point) {
  const DDReal w = cos_leg(a);
  DDReal x, y, r;
  point(w, x, y);
  const bool kept = ang_kept(x, y, r);
  if (std::fabs(w.hi) < kLegCheckBelow) {
    DDReal r2;
    point(cos_leg_near_one(a), x, y);
    DDANG(x, y, r2);
    // Where the angle replaced its own result this one has moved already.
    r = kept ? keep_or_replace(r, r2) : r2;
  }
  return r;
}
}  // namespace detail

/// asin a: the angle of the point (sqrt(1 - a^2), a).
inline DDReal asin(const DDReal& a) {
  return detail::angle_with_leg(a, [&a](const DDReal& w, DDReal& x, DDReal& y) { x = w; y = a; });
}
/// acos a: the angle of the point (a, sqrt(1 - a^2)).
inline DDReal acos(const DDReal& a) {
  return detail::angle_with_leg(a, [&a](const DDReal& w, DDReal& x, DDReal& y) { x = a; y = w; });
}
/// atan a: the angle of the point (1, a).
inline DDReal atan(const DDReal& a) { DDReal r; DDANG(DDReal(1.0, 0.0), a, r); return r; }
/// atan2(a, b): the angle of the point (b, a); both zero stops.
inline DDReal atan2(const DDReal& a, const DDReal& b) { DDReal r; DDANG(b, a, r); return r; }

inline DDReal asinh(const DDReal& a) { DDReal r; DDASINH(a, r); return r; }
/// acosh a for a.hi >= 1.
inline DDReal acosh(const DDReal& a) { DDReal r; DDACOSH(a, r); return r; }
/// atanh a for |a.hi| < 1.
inline DDReal atanh(const DDReal& a) { DDReal r; DDATANH(a, r); return r; }

/// The arithmetic-geometric mean (DDAGMR).
inline DDReal agm(const DDReal& a, const DDReal& b) { DDReal r; DDAGMR(a, b, r); return r; }

}  // namespace dd
