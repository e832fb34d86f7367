// Cosine and sine of a DDReal, and the angle of a point.
#include <cmath>
#include <limits>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/rounding.hpp"

namespace dd {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// 2 pi, pi / 2 and -pi / 2 as DDReal.
constexpr DDReal kTwoPi{6.283185307179586, 2.4492935982947064e-16};
constexpr DDReal kHalfPi{1.5707963267948966, 6.123233995736766e-17};
constexpr DDReal kMinusHalfPi{-1.5707963267948966, -6.123233995736766e-17};

/// The sine series stops once a term's hi word falls below 1e-32 (absolute).
constexpr double kSineSeriesTol = 1e-32;
/// For |t| <= pi/32 about ten terms suffice; 1000 is a guard.
constexpr int kSineMaxTerms = 1000;
/// Up to this |a.hi| the reduction by 2 pi is the identity (3.14 / 2 pi < 1/2).
constexpr double kNoReductionBelow = 3.14;
/// Below this |a| the literal sequence runs (beyond it the reduction's error
/// alone, about |a| / 2 units of 2^-104, passes kKeepWithin).
constexpr double kLiteralLimit = 0x1p18;
/// Up to this |a| the accurate path takes the argument itself as reduced.
constexpr double kNoReductionAccurate = 0.78;
/// Newton steps of DDANG from the binary64 arctangent.
constexpr int kAngNewtonSteps = 3;

/// (x/r, y/r) with r = sqrt(x^2 + y^2); false when r is not finite.
inline bool normalise_point(const DDReal& x, const DDReal& y, DDReal& xn, DDReal& yn) {
  DDReal xx, yy, r2, r;
  DDMUL(x, x, xx);
  DDMUL(y, y, yy);
  DDADD(xx, yy, r2);
  DDSQRT(r2, r);
  if (!std::isfinite(r.hi) || !std::isfinite(r.lo)) return false;
  DDDIV(x, r, xn);
  DDDIV(y, r, yn);
  return true;
}

// The literal sequence: the argument is reduced modulo 2 pi to s, |s| <= pi,
// and divided by 32; the sine series gives sin t, five angle doublings
// cos 2t ... cos 32t = cos s, and the sine is the square root of 1 - cos^2 s
// with the sign of t.  Its cosine has an absolute error below about
// 36 + |a|/2 units of 2^-104 (the reduction by a two-word 2 pi carries n
// times that constant's error), and its sine an absolute error of that
// times |cos / sin|.
void cssnr_literal(const DDReal& a, DDReal& x, DDReal& y, detail::ExpSteps* side) {
  // n = nearest integer to a / 2 pi.  Only called for |a| below
  // kLiteralLimit, far inside the rounding routine's range.
  DDReal s;
  if (std::fabs(a.hi) <= kNoReductionBelow && a.hi + a.lo == a.hi) {
    // |a / 2 pi| < 1/2: n = 0, and the kernels' a - 0 * 2 pi is a itself, a
    // zero lo word as +0 (checked word for word on 2.6e6 random arguments).
    s = DDReal(a.hi, a.lo + 0.0);
  } else {
    DDReal q, n;
    DDDIV(a, kTwoPi, q);
    DDNINT(q, n);
    DDReal p;
    DDMUL(n, kTwoPi, p);
    DDSUB(a, p, s);
  }
  if (s.hi == 0.0) {
    x = DDReal(1.0, 0.0);
    y = DDReal(0.0, 0.0);
    return;
  }

  DDReal t;
  detail::divd_pow2(s, 32.0, t);
  const double sign = t.hi >= 0.0 ? 1.0 : -1.0;

  // sin t = t - t^3/3! + t^5/5! - ...
  DDReal t2, term = t, sum = t;
  DDMUL(t, t, t2);
  for (int i = 1;; ++i) {
    if (side != nullptr && side->step()) side = nullptr;
    const double di = static_cast<double>(i);
    DDMUL(term, t2, term);
    DDDIVD(term, -(2.0 * di) * (2.0 * di + 1.0), term);
    DDADD(sum, term, sum);
    if (std::fabs(term.hi) < kSineSeriesTol) break;
    if (i >= kSineMaxTerms) detail::fail(msg::kCssnrIterLimit);
  }

  // cos 2t = 2 (1/2 - sin^2 t), then cos 2u = 2 (cos^2 u - 1/2) four times.
  DDReal w, sq, d;
  DDMUL(sum, sum, sq);
  DDSUB(DDReal(0.5, 0.0), sq, d);
  detail::muld_exact(d, 2.0, w);
  for (int k = 0; k < 4; ++k) {
    if (side != nullptr && side->step()) side = nullptr;
    DDMUL(w, w, sq);
    DDSUB(sq, DDReal(0.5, 0.0), d);
    detail::muld_exact(d, 2.0, w);
  }

  // sin s = sign(t) sqrt(1 - cos^2 s); an exactly zero sine comes out as +0.
  DDReal r;
  DDMUL(w, w, sq);
  DDSUB(DDReal(1.0, 0.0), sq, d);
  DDSQRT(d, r);
  DDReal sn;
  detail::muld_exact(r, sign, sn);
  x = w;
  y = sn;
}

/// sin r for |r| <= pi/4 from its Taylor series, stopped once a term falls
/// below 2^-110 of the sum: relative error a few units of 2^-104.
DDReal sine_series(const DDReal& r) {
  DDReal r2, term = r, sum = r;
  DDMUL(r, r, r2);
  for (int i = 1; i <= kSineMaxTerms; ++i) {
    const double di = static_cast<double>(i);
    DDMUL(term, r2, term);
    DDDIVD(term, -(2.0 * di) * (2.0 * di + 1.0), term);
    DDADD(sum, term, sum);
    if (std::fabs(term.hi) <= 0x1p-110 * std::fabs(sum.hi)) break;
  }
  return sum;
}

/// A bound on the literal cosine's absolute error in units of 2^-104 (see
/// cssnr_literal), with a margin over the measured 36 + |a|/2: the rounding
/// errors of the five doublings grow fourfold per doubling at most.
inline double literal_cos_error(const DDReal& a) { return 128.0 + std::fabs(a.hi); }

}  // namespace

void detail::cos_sin_accurate(const DDReal& a, DDReal* c, DDReal* s) {
  DDReal r;
  int q = 0;
  if (std::fabs(a.hi) <= kNoReductionAccurate) {
    r = a;
  } else {
    q = detail::reduce_half_pi(a, r);
  }
  const DDReal sr = sine_series(r);
  DDReal cr(1.0, 0.0);
  const bool need_cos_r = (c != nullptr && q % 2 == 0) || (s != nullptr && q % 2 == 1);
  if (need_cos_r) {
    // 1 - sin^2 r >= 1/2 on |r| <= pi/4: no cancellation.
    DDReal sq, d;
    DDMUL(sr, sr, sq);
    DDSUB(DDReal(1.0, 0.0), sq, d);
    DDSQRT(d, cr);
  }
  // a = q pi/2 + r modulo 2 pi.
  const DDReal ncr(-cr.hi, -cr.lo), nsr(-sr.hi, -sr.lo);
  const DDReal cos_a[4] = {cr, nsr, ncr, sr};
  const DDReal sin_a[4] = {sr, cr, nsr, ncr};
  if (c != nullptr) *c = cos_a[q];
  if (s != nullptr) *s = sin_a[q];
}

// Arguments below 2^18 in magnitude take the literal sequence (above).  Where
// its error bound allows more than kKeepWithin units of 2^-104 (relative),
// that is where 128 + |a| > 2^17 |cos a| for the cosine and where
// (128 + |a|) |cos a| > 2^17 sin^2 a for the sine (decided on the literal's
// own values), the value is also formed accurately and the literal one kept
// only when it lies within 2^17 units of it (detail::keep_or_replace).  The
// accurate values, and every result from |a| = 2^18 on, come from the exact
// reduction modulo pi/2 and the sine's Taylor series (cos_sin_accurate).
void DDCSSNR(const DDReal& a, DDReal& x, DDReal& y) { detail::cssnr_beside(a, x, y, nullptr); }

void detail::cssnr_beside(const DDReal& a_in, DDReal& x, DDReal& y, ExpSteps* side) {
  const DDReal a = a_in;  // x or y may share storage with the argument
  if (a.hi == 0.0) {
    x = DDReal(1.0, 0.0);
    y = DDReal(0.0, 0.0);
    return;
  }
  if (!std::isfinite(a.hi) || !std::isfinite(a.lo)) {
    x = DDReal(kNaN, kNaN);
    y = DDReal(kNaN, kNaN);
    return;
  }
  if (!(std::fabs(a.hi) < kLiteralLimit)) {
    cos_sin_accurate(a, &x, &y);
    return;
  }
  cssnr_literal(a, x, y, side);
  const double e = literal_cos_error(a);
  const double c = std::fabs(x.hi), s = std::fabs(y.hi);
  const bool check_cos = e > kKeepWithin * c;
  const bool check_sin = e * c > kKeepWithin * s * s;
  if (!check_cos && !check_sin) return;
  DDReal ca, sa;
  cos_sin_accurate(a, check_cos ? &ca : nullptr, check_sin ? &sa : nullptr);
  if (check_cos) x = keep_or_replace(x, ca);
  if (check_sin) y = keep_or_replace(y, sa);
}

namespace {

/// Three Newton steps of the angle on sin a = y/r from a, with the literal
/// cosine and sine (accurate false) or with the accurate sine.
DDReal angle_from_sine(const DDReal& yn, DDReal a, bool accurate) {
  DDReal cs, sn, d, c;
  for (int k = 0; k < kAngNewtonSteps; ++k) {
    cssnr_literal(a, cs, sn, nullptr);
    if (accurate) detail::cos_sin_accurate(a, nullptr, &sn);
    DDSUB(yn, sn, d);
    DDDIV(d, cs, c);
    DDADD(a, c, a);
  }
  return a;
}

}  // namespace

// The angle starts from the binary64 atan2 of the normalised point and is
// refined by three Newton steps: on cos a = x/r near +-pi/2 (where the
// sine's derivative vanishes), on sin a = y/r elsewhere.  The cosine
// equation takes the literal cosine and sine (their absolute errors move
// the angle by at most 1.5 times as much, near pi/2).  The sine equation
// carries the literal sine's absolute error, (128 + |a|) |cos / sin| units
// of 2^-104, into the angle: where that may pass kKeepWithin relative to
// |a| (small angles, angles near +-pi), the steps are also taken with the
// accurate sine and the literal angle kept only when it lies within 2^17
// units of that one.
void DDANG(const DDReal& x, const DDReal& y, DDReal& a) { detail::ang_kept(x, y, a); }

bool detail::ang_kept(const DDReal& x, const DDReal& y, DDReal& a) {
  if (std::isnan(x.hi) || !std::isfinite(x.lo) || std::isnan(y.hi) || !std::isfinite(y.lo)) {
    a = DDReal(kNaN, kNaN);
    return true;
  }
  if (x.hi == 0.0) {
    if (y.hi == 0.0) detail::fail(msg::kAngBothZero);
    a = y.hi > 0.0 ? kHalfPi : kMinusHalfPi;
    return true;
  }
  if (y.hi == 0.0) {
    a = x.hi > 0.0 ? DDReal(0.0, 0.0) : detail::kPi;
    return true;
  }
  if (std::isinf(x.hi) || std::isinf(y.hi)) {
    a = DDReal(kNaN, kNaN);
    return true;
  }

  // r = sqrt(x^2 + y^2) loses the squares' low words when the larger
  // coordinate is below 2^-484, and overflows near 2^512.  There both
  // coordinates are scaled by one exact power of two, which leaves the angle
  // unchanged; wherever the point as given works, it is used as given.
  DDReal xn(0.0, 0.0), yn(0.0, 0.0);
  const double big = std::fmax(std::fabs(x.hi), std::fabs(y.hi));
  if (big < 0x1p-484 || !normalise_point(x, y, xn, yn)) {
    const int k = -std::ilogb(big);
    const DDReal px(std::ldexp(x.hi, k), std::ldexp(x.lo, k));
    const DDReal py(std::ldexp(y.hi, k), std::ldexp(y.lo, k));
    normalise_point(px, py, xn, yn);
  }

  // A coordinate that vanished beside the other in the scaling (a ratio
  // below 2^-1074) leaves an axis direction: the sign comes from the words.
  if (yn.hi == 0.0 || xn.hi == 0.0) {
    if (xn.hi == 0.0) {
      a = y.hi > 0.0 ? kHalfPi : kMinusHalfPi;
    } else {
      a = x.hi > 0.0 ? DDReal(std::copysign(0.0, y.hi), 0.0) : (y.hi > 0.0 ? kPi : DDReal(-kPi.hi, -kPi.lo));
    }
    return true;
  }
  const DDReal start(std::atan2(yn.hi, xn.hi), 0.0);
  if (std::fabs(yn.hi) >= std::fabs(xn.hi)) {
    DDReal ang = start, cs, sn, d, c;
    for (int k = 0; k < kAngNewtonSteps; ++k) {
      cssnr_literal(ang, cs, sn, nullptr);
      DDSUB(xn, cs, d);
      DDDIV(d, sn, c);
      DDSUB(ang, c, ang);
    }
    a = ang;
    return true;
  }
  const DDReal ang = angle_from_sine(yn, start, false);
  a = ang;
  // |sin a| >= (2/pi) min(|a|, pi - |a|) for |a| <= pi.
  const double dist = std::fmin(std::fabs(ang.hi), kPi.hi - std::fabs(ang.hi));
  if (!(literal_cos_error(ang) > kKeepWithin * 0.63 * dist * std::fabs(ang.hi))) return true;
  a = keep_or_replace(ang, angle_from_sine(yn, start, true));
  return same_words(a, ang);
}

}  // namespace dd
