// Hyperbolic cosine and sine, and the inverse hyperbolic functions, through
// the exponential and the logarithm.
#include <cmath>
#include <limits>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/outfmt.hpp"

namespace dd {

namespace {


/// For a below -2^26, asinh by a + sqrt(a^2 + 1) cancels more than half of
/// the digits (the absolute error grows like 2 a^2 2^-106); there the odd
/// symmetry asinh a = -asinh(-a) is used instead.
constexpr double kAsinhCancel = -0x1p26;
/// From here down the cancellation may cost more than 2^17 units.
constexpr double kAsinhCheckBelow = -16.0;

/// The smallest binary64 above 997 ln 2: from here e^|a| / 2 passes 2^996.
constexpr double kCoshMax = 0x1.5988abac120e9p+9;

/// The logarithm's argument q of an inverse function lies near 1 where DDLOG
/// checks its result: the rounding of q itself may then cost the inverse
/// function its relative accuracy, and the result is checked against
/// ln(1 + d) from an exactly known d = q - 1 (keep_or_replace).
inline bool near_one(const DDReal& q) { return std::fabs(q.hi - 1.0) < detail::kSeriesBelow; }

/// ln(a + sqrt(a*a + s)) for s = +1 (asinh) or -1 (acosh, a >= 1); a square
/// root of a non-positive hi word is taken as zero.  Near 2^512, where a*a
/// leaves the kernels' range, the result is ln a + ln 2 (the neglected
/// 1/(4a^2) lies far below the last digit).  Where a + sqrt(a*a + s) is near
/// 1 (|a| below about 2^-9 for asinh, a - 1 below about 2^-19 for acosh) the
/// result is checked against ln(1 + d) with d = |a| + a^2 / (1 + sqrt(1 + a^2))
/// (asinh, odd in a) or d = (a - 1) + sqrt((a - 1)(a + 1)) (acosh), each
/// formed without cancellation.
inline void log_of_sum(const DDReal& a, double s, DDReal& b) {
  DDReal sq, q, w, t;
  DDMUL(a, a, sq);
  DDADD(sq, DDReal(s, 0.0), q);
  if (q.hi > 0.0 || std::isnan(q.hi)) {
    DDSQRT(q, w);
  } else {
    w = DDReal(0.0, 0.0);
  }
  if (std::isfinite(a.hi) && (!std::isfinite(w.hi) || !std::isfinite(w.lo))) {
    DDReal l;
    DDLOG(a, l);
    DDADD(l, detail::kLog2, b);
    return;
  }
  DDADD(a, w, t);
  DDReal lit;
  const bool kept = detail::log_kept(t, lit);
  if (!near_one(t)) {
    b = lit;
    return;
  }
  DDReal d, acc;
  if (s > 0.0) {
    // a^2 / (1 + w) + |a|, then ln(1 + d) with the sign of a.
    DDReal den, f, aa;
    DDADD(DDReal(1.0, 0.0), w, den);
    DDDIV(sq, den, f);
    DDABS(a, aa);
    DDADD(aa, f, d);
    const DDReal l = detail::log1p_series(d);
    acc = a.hi < 0.0 ? DDReal(-l.hi, -l.lo) : l;
  } else {
    DDReal e, ap, r;
    DDSUB(a, DDReal(1.0, 0.0), e);  // exact for a in [1, 2]
    DDADD(a, DDReal(1.0, 0.0), ap);
    DDMUL(e, ap, r);
    DDSQRT(r, w);
    DDADD(e, w, d);
    acc = detail::log1p_series(d);
  }
  // Where the logarithm replaced its own result this one has moved already.
  b = kept ? detail::keep_or_replace(lit, acc) : acc;
}

}  // namespace

// cosh a = (e^a + e^-a)/2, sinh a = (e^a - e^-a)/2 from one exponential and
// its reciprocal.  From |a.hi| = 300 on, where e^-|a| is below 2^-866 of
// e^|a|, both are e^|a| / 2 (with the sign of a for the sinh), formed from the
// exponential's mantissa and exponent so that they reach the splitting limit
// 2^996 (|a| up to 997 ln 2, about 691.07); beyond it DDEXP's overflow
// message, showing the argument, stops.
void DDCOSHSINH(const DDReal& a, DDReal& x, DDReal& y) {
  if (std::fabs(a.hi) >= detail::kExpLimit) {
    if (!(std::fabs(a.hi) < kCoshMax)) detail::fail(msg::kExpTooLarge, {a.hi});
    DDReal mant, na;
    int nz = 0;
    DDABS(a, na);
    detail::exp_parts(na, mant, nz);
    const DDReal h = detail::scale_pow2(mant, nz - 1);
    const bool negative = a.hi < 0.0;  // read before x, which may be a, is written
    x = h;
    y = negative ? DDReal(-h.hi, -h.lo) : h;
    return;
  }
  DDReal t, u, p, m, c, s;
  DDEXP(a, t);
  DDDIV(DDReal(1.0, 0.0), t, u);
  DDADD(t, u, p);
  DDMULD(p, 0.5, c);
  DDSUB(t, u, m);
  DDMULD(m, 0.5, s);
  // (t - u)/2 keeps an absolute error of about 100 units of 2^-104 only.
  if (std::fabs(a.hi) < detail::kSeriesBelow) s = detail::keep_or_replace(s, detail::sinh_series(a));
  x = c;
  y = s;
}

// asinh a = ln(a + sqrt(a^2 + 1)).  For a negative a the sum cancels, and its
// absolute error grows like a^2 2^-106: below a = -16 the result is checked
// against -asinh(-a), which is taken alone below -2^26.
void DDASINH(const DDReal& a, DDReal& b) {
  if (a.hi < kAsinhCheckBelow) {
    DDReal na, r, acc;
    DDNEG(a, na);
    log_of_sum(na, 1.0, r);
    DDNEG(r, acc);
    if (a.hi < kAsinhCancel) {
      b = acc;
      return;
    }
    DDReal lit;
    log_of_sum(a, 1.0, lit);
    b = detail::keep_or_replace(lit, acc);
    return;
  }
  log_of_sum(a, 1.0, b);
}

// A hi word of exactly 1 with a negative lo word passes the test on the hi
// word, but the value lies below 1, where acosh has no real value: NaN words.
void DDACOSH(const DDReal& a, DDReal& b) {
  if (a.hi < 1.0) detail::fail(msg::kAcoshBelowOne);
  if (a.hi == 1.0 && a.lo < 0.0) {
    b = DDReal(std::nan(""), std::nan(""));
    return;
  }
  log_of_sum(a, -1.0, b);
}

// atanh a = ln((1 + a)/(1 - a)) / 2; where the quotient is near 1 (|a| below
// about 2^-10) it is checked against ln(1 + 2a/(1 - a)) / 2.
// A hi word of +-1 with a lo word of the other sign is a value inside (-1, 1)
// (atanh(1 - 2^-106) = 37.1): it is computed, not refused.
void DDATANH(const DDReal& a, DDReal& b) {
  const bool inside = std::fabs(a.hi) < 1.0 || (std::fabs(a.hi) == 1.0 && a.lo * a.hi < 0.0);
  if (!inside && !std::isnan(a.hi)) detail::fail(msg::kAtanhDomain);
  DDReal n, d, q, l, r;
  DDADD(DDReal(1.0, 0.0), a, n);
  DDSUB(DDReal(1.0, 0.0), a, d);
  DDDIV(n, d, q);
  const bool kept = detail::log_kept(q, l);
  DDMULD(l, 0.5, r);
  if (near_one(q)) {
    DDReal f, acc;
    DDDIV(DDReal(2.0 * a.hi, 2.0 * a.lo), d, f);
    DDMULD(detail::log1p_series(f), 0.5, acc);
    r = kept ? detail::keep_or_replace(r, acc) : acc;
  }
  b = r;
}

}  // namespace dd
