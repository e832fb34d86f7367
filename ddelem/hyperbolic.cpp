// Hyperbolic cosine and sine, and the inverse hyperbolic functions, through
// the exponential and the logarithm.
#include <cmath>
#include <limits>

#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"

namespace dd {

namespace {


/// For a below -2^26, asinh by a + sqrt(a^2 + 1) cancels more than half of
/// the digits (the absolute error grows like 2 a^2 2^-106); there the odd
/// symmetry asinh a = -asinh(-a) is used instead.
constexpr double kAsinhCancel = -0x1p26;

/// The smallest binary64 above 997 ln 2: from here e^|a| / 2 passes 2^996.
constexpr double kCoshMax = 0x1.5988abac120e9p+9;

/// ln(a + sqrt(a*a + s)) for a >= 0 and s = +1 (asinh) or -1 (acosh); a
/// square root of a non-positive hi word is taken as zero.  Near 2^512, where
/// a*a leaves the kernels' range, the result is ln a + ln 2 (the neglected
/// 1/(4a^2) lies far below the last digit).
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
  DDLOG(t, b);
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
    x = h;
    y = a.hi < 0.0 ? DDReal(-h.hi, -h.lo) : h;
    return;
  }
  DDReal t, u, p, m, c, s;
  DDEXP(a, t);
  DDDIV(DDReal(1.0, 0.0), t, u);
  DDADD(t, u, p);
  DDMULD(p, 0.5, c);
  DDSUB(t, u, m);
  DDMULD(m, 0.5, s);
  x = c;
  y = s;
}

void DDASINH(const DDReal& a, DDReal& b) {
  if (a.hi < kAsinhCancel) {
    DDReal na, r;
    DDNEG(a, na);
    log_of_sum(na, 1.0, r);
    DDNEG(r, b);
    return;
  }
  log_of_sum(a, 1.0, b);
}

// For a hi word of exactly 1 with a negative lo word, a^2 - 1 is slightly
// negative; the square root is then taken as zero and the result is 0, the
// value at the end of the domain.
void DDACOSH(const DDReal& a, DDReal& b) {
  if (a.hi < 1.0) detail::fail(msg::kAcoshBelowOne);
  if (a.hi == 1.0 && a.lo < 0.0) {
    b = DDReal(0.0, 0.0);
    return;
  }
  log_of_sum(a, -1.0, b);
}

void DDATANH(const DDReal& a, DDReal& b) {
  if (std::fabs(a.hi) >= 1.0) detail::fail(msg::kAtanhDomain);
  DDReal n, d, q, l;
  DDADD(DDReal(1.0, 0.0), a, n);
  DDSUB(DDReal(1.0, 0.0), a, d);
  DDDIV(n, d, q);
  DDLOG(q, l);
  DDMULD(l, 0.5, b);
}

}  // namespace dd
