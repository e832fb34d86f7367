// Cosine and sine of a DDReal, and the angle of a point.
#include <cmath>
#include <limits>

#include "ddelem/ddelem.hpp"
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
/// Newton steps of DDANG from the binary64 arctangent.
constexpr int kAngNewtonSteps = 3;

/// True when x is at or above 10^60, compared in binary64: 1e60 as a binary64
/// literal is 9.99999999999999949e59, the largest binary64 value below 10^60,
/// and 10^60 lies strictly between it and the next binary64 value, so
/// "x > 1e60" decides every binary64 x as the binary128 comparison does.
inline bool at_or_above_1e60_binary64(double x) { return x > 1e60; }

#if defined(__SIZEOF_FLOAT128__) && !defined(DD_NO_FLOAT128)
/// True when x, widened exactly to binary128, is at or above the binary128
/// value nearest to 10^60.
inline bool at_or_above_1e60_binary128(double x) {
  // 10^60 = (5^20)^3 2^60: 5^40 is exact in binary128, the product with 5^20
  // is rounded once, to the nearest binary128, and 2^60 is exact.
  constexpr __float128 kP20 = 95367431640625.0;
  constexpr __float128 k1e60 = kP20 * kP20 * kP20 * 0x1p60;
  return x >= 1e59 && static_cast<__float128>(x) >= k1e60;  // the first test is a shortcut
}
inline bool at_or_above_1e60(double x) { return at_or_above_1e60_binary128(x); }
#else
inline bool at_or_above_1e60(double x) { return at_or_above_1e60_binary64(x); }
#endif

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

}  // namespace

namespace detail {
bool cssnr_size_limit(double x) { return at_or_above_1e60(x); }
bool cssnr_size_limit_binary64(double x) { return at_or_above_1e60_binary64(x); }
}  // namespace detail

// The argument is reduced modulo 2 pi to s, |s| <= pi, and divided by 32; the
// sine series gives sin t, five angle doublings cos 2t ... cos 32t = cos s, and
// the sine is the square root of 1 - cos^2 s with the sign of t.  The sine's
// absolute error is about 1e-32, so its relative accuracy falls near the
// multiples of pi, where 1 - cos^2 cancels; the cosine keeps full accuracy.
void DDCSSNR(const DDReal& a, DDReal& x, DDReal& y) { detail::cssnr_beside(a, x, y, nullptr); }

void detail::cssnr_beside(const DDReal& a, DDReal& x, DDReal& y, ExpSteps* side) {
  if (a.hi == 0.0) {
    x = DDReal(1.0, 0.0);
    y = DDReal(0.0, 0.0);
    return;
  }
  if (std::isnan(a.hi) || !std::isfinite(a.lo)) {
    x = DDReal(kNaN, kNaN);
    y = DDReal(kNaN, kNaN);
    return;
  }
  if (at_or_above_1e60(a.hi)) detail::fail(msg::kCssnrTooLarge);

  // n = nearest integer to a / 2 pi.  DDNINT refuses quotients of 2^105 or
  // more; the mirror case, at or below -2^105 (and -infinity), is refused
  // with the same message, since no reduction is meaningful there.
  DDReal s;
  if (std::fabs(a.hi) <= kNoReductionBelow && a.hi + a.lo == a.hi) {
    // |a / 2 pi| < 1/2: n = 0, and the kernels' a - 0 * 2 pi is a itself, a
    // zero lo word as +0 (checked word for word on 2.6e6 random arguments).
    s = DDReal(a.hi, a.lo + 0.0);
  } else {
    DDReal q, n;
    DDDIV(a, kTwoPi, q);
    if (!(q.hi > -detail::kRoundBound)) detail::fail(msg::kNintTooLarge);
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

// The angle starts from the binary64 atan2 of the normalised point and is
// refined by three Newton steps: on cos a = x/r near +-pi/2 (where the
// sine's derivative vanishes), on sin a = y/r elsewhere.
void DDANG(const DDReal& x, const DDReal& y, DDReal& a) {
  if (std::isnan(x.hi) || !std::isfinite(x.lo) || std::isnan(y.hi) || !std::isfinite(y.lo)) {
    a = DDReal(kNaN, kNaN);
    return;
  }
  if (x.hi == 0.0) {
    if (y.hi == 0.0) detail::fail(msg::kAngBothZero);
    a = y.hi > 0.0 ? kHalfPi : kMinusHalfPi;
    return;
  }
  if (y.hi == 0.0) {
    a = x.hi > 0.0 ? DDReal(0.0, 0.0) : detail::kPi;
    return;
  }
  if (std::isinf(x.hi) || std::isinf(y.hi)) {
    a = DDReal(kNaN, kNaN);
    return;
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

  DDReal ang(std::atan2(yn.hi, xn.hi), 0.0);
  DDReal cs, sn, d, c;
  if (std::fabs(yn.hi) >= std::fabs(xn.hi)) {
    for (int k = 0; k < kAngNewtonSteps; ++k) {
      DDCSSNR(ang, cs, sn);
      DDSUB(xn, cs, d);
      DDDIV(d, sn, c);
      DDSUB(ang, c, ang);
    }
  } else {
    for (int k = 0; k < kAngNewtonSteps; ++k) {
      DDCSSNR(ang, cs, sn);
      DDSUB(yn, sn, d);
      DDDIV(d, cs, c);
      DDADD(ang, c, ang);
    }
  }
  a = ang;
}

}  // namespace dd
