// Bessel functions above the switch: Hankel's expansion for J and Y, the
// large-argument series for I and K.
#include "ddspecial/bessel_impl.hpp"

#include <algorithm>
#include <cmath>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddspecial/series.hpp"

namespace dd::detail::bessel {

// ---- Hankel's expansion (J and Y above the switch) ---------------------------

namespace {
/// Beyond this w, 2 / (pi w) falls below the kernels' full precision (and
/// pi w passes their splitting limit from about 2.1e299): the amplitude is
/// formed from 2^-200 w.
constexpr double kAmplitudeScaleAbove = 0x1p968;

/// The numerators and denominators of Hankel's terms grow like (4 nu^2)^2k
/// and (64 x^2)^k k!^2: at x = 1.5e5, order 1000, they pass the kernels'
/// splitting limit before the terms are negligible.  Past this size a pair is
/// scaled by the same exact power of two, which leaves every quotient, and so
/// every term, bit for bit as it was.
constexpr double kHankelRescaleAbove = 0x1p600;
constexpr int kHankelRescaleBy = -600;

void rescale_pair(DDReal& num, DDReal& den) noexcept {
  const double big = std::max(std::fabs(num.hi), std::fabs(den.hi));
  if (big > kHankelRescaleAbove && big < HUGE_VAL) {
    num = DDReal(std::ldexp(num.hi, kHankelRescaleBy), std::ldexp(num.lo, kHankelRescaleBy));
    den = DDReal(std::ldexp(den.hi, kHankelRescaleBy), std::ldexp(den.lo, kHankelRescaleBy));
  }
}
}  // namespace

/// J (want_y false) or Y of the order whose mu = 4 nu^2 and (nu/2) pi are given, at x > 0:
///   P = sum (-1)^k a_{2k}(nu) / x^{2k},  Q = sum (-1)^k a_{2k+1}(nu) / x^{2k+1},
///   chi = x - (nu/2) pi - pi/4,
///   J = sqrt(2/(pi x)) (P cos chi - Q sin chi),  Y = sqrt(2/(pi x)) (P sin chi + Q cos chi).
///
/// Returns false (out unwritten) where the expansion cannot give the value to
/// working precision: its terms grow again before they are negligible, or
/// its largest term passes 2^18 times the sums (cancellation).
bool hankel(const DDReal& mu, const DDReal& half_nu_pi, const DDReal& x, bool want_y, const char* loop_msg,
            DDReal& out) {
  const DDReal eps = detail::kSeriesEps;
  DDReal x2;
  DDMUL(x, x, x2);
  DDReal p(1.0), a(1.0), b(1.0);
  DDReal v, e = x, q;
  DDSUB(mu, DDReal(1.0), v);
  DDDIVD(v, 8.0, v);
  DDDIV(v, e, q);
  TermWatch wp, wq;
  wp.note(1.0);
  wq.note(q.hi);
  run_series(kBesselMaxTerms, loop_msg, [&](int k) {
    const double k2 = 2.0 * k;
    const double s1 = ((k2 - 1.0) * 2.0 - 1.0) * ((k2 - 1.0) * 2.0 - 1.0);
    const double s2 = (k2 * 2.0 - 1.0) * (k2 * 2.0 - 1.0);
    const double s3 = ((k2 + 1.0) * 2.0 - 1.0) * ((k2 + 1.0) * 2.0 - 1.0);
    DDReal m1, m2, m3, f, tp, tq;
    DDSUB(mu, DDReal(s1), m1);
    DDSUB(mu, DDReal(s2), m2);
    DDSUB(mu, DDReal(s3), m3);
    DDMUL(m1, m2, f);
    DDMUL(a, f, a);
    DDNEG(a, a);
    DDMULD(b, ((k2 - 1.0) * k2) * 64.0, b);
    DDMUL(b, x2, b);
    DDDIV(a, b, tp);
    DDADD(p, tp, p);
    DDMUL(m2, m3, f);
    DDMUL(v, f, v);
    DDNEG(v, v);
    DDMULD(e, (k2 * (k2 + 1.0)) * 64.0, e);
    DDMUL(e, x2, e);
    DDDIV(v, e, tq);
    DDADD(q, tq, q);
    rescale_pair(a, b);
    rescale_pair(v, e);
    wp.note(tp.hi);
    wq.note(tq.hi);
    if (wp.diverged || wq.diverged) return true;
    return negligible(tp, eps, p) && negligible(tq, eps, q);
  });
  const double size = std::max(std::fabs(p.hi), std::fabs(q.hi));
  if (wp.diverged || wq.diverged || !wp.within(size) || !wq.within(size)) return false;
  DDReal pi, quarter_pi, chi, c, s;
  DDPI(pi);
  DDMULD(pi, 0.25, quarter_pi);
  if (x.hi < kHankelAngleSumFrom) {
    DDSUB(x, half_nu_pi, chi);
    DDSUB(chi, quarter_pi, chi);
    DDCSSNR(chi, c, s);
  } else {
    // chi = x - theta formed in double-double would keep only |x| 2^-106 of
    // absolute accuracy: cos and sin of x itself (reduced exactly by the
    // circular routine), then the angle-sum formulas with theta.
    DDReal theta, cx, sx, ct, st, t1, t2;
    DDADD(half_nu_pi, quarter_pi, theta);
    DDCSSNR(x, cx, sx);
    DDCSSNR(theta, ct, st);
    DDMUL(cx, ct, t1);
    DDMUL(sx, st, t2);
    DDADD(t1, t2, c);
    DDMUL(sx, ct, t1);
    DDMUL(cx, st, t2);
    DDSUB(t1, t2, s);
  }
  DDReal t1, t2, comb;
  const DDReal r = bessel_amplitude(x);
  if (want_y) {
    DDMUL(p, s, t1);
    DDMUL(q, c, t2);
    DDADD(t1, t2, comb);
  } else {
    DDMUL(p, c, t1);
    DDMUL(q, s, t2);
    DDSUB(t1, t2, comb);
  }
  DDMUL(r, comb, out);
  return true;
}

/// mu = n*n*4 as a binary64, (n/2) pi by DDMULD of pi with n*0.5.
void integer_order_hankel_args(int n, DDReal& mu, DDReal& half_nu_pi) noexcept {
  const double dn = static_cast<double>(n);
  mu = DDReal((dn * dn) * 4.0);
  DDReal pi;
  DDPI(pi);
  DDMULD(pi, dn * 0.5, half_nu_pi);
}

/// mu = (nu*nu)*4 and (pi*nu)*0.5 in double-double, from
/// kHankelReducedOrderFrom on (pi*f)*0.5 with f = nu modulo 4 (an angle
/// modulo 2 pi).
void real_order_hankel_args(const DDReal& nu, DDReal& mu, DDReal& half_nu_pi) noexcept {
  DDMUL(nu, nu, mu);
  DDMULD(mu, 4.0, mu);
  DDReal pi, f = nu;
  DDPI(pi);
  if (std::fabs(nu.hi) >= kHankelReducedOrderFrom) {
    DDADD(DDReal(std::fmod(nu.hi, 4.0)), DDReal(std::fmod(nu.lo, 4.0)), f);
  }
  DDMUL(pi, f, half_nu_pi);
  DDMULD(half_nu_pi, 0.5, half_nu_pi);
}

// ---- the large-argument series of I and K --------------------------------------

DDReal bessel_amplitude(const DDReal& w) {
  DDReal pi, r;
  DDPI(pi);
  if (w.hi <= kAmplitudeScaleAbove) {
    DDMUL(pi, w, r);
    DDDIV(DDReal(2.0), r, r);
    DDSQRT(r, r);
    return r;
  }
  // 2^-200 w, and the root times 2^-100 (both exact).
  DDMUL(pi, DDReal(std::ldexp(w.hi, -200), std::ldexp(w.lo, -200)), r);
  DDDIV(DDReal(2.0), r, r);
  DDSQRT(r, r);
  return DDReal(std::ldexp(r.hi, -100), std::ldexp(r.lo, -100));
}

/// e^{-x} for x >= 0 beyond the exponential's range too: (e^{-x/m})^m with x/m < 256.
DDReal exp_minus(const DDReal& x) {
  if (x.hi > 800.0) return DDReal(0.0);  // below the smallest subnormal
  const int m = static_cast<int>(std::ceil(x.hi / 256.0));
  DDReal t, e;
  if (m <= 1) {
    DDNEG(x, t);
    DDEXP(t, e);
    return e;
  }
  DDDIVD(x, static_cast<double>(m), t);
  DDNEG(t, t);
  DDEXP(t, e);
  DDNPWR(e, m, e);
  return e;
}

void exp_scaled(const DDReal& a, DDReal& p, int& e) {
  if (std::fabs(a.hi) < detail::kExpLimit) {
    DDEXP(a, p);
    e = 0;
    return;
  }
  const double m = std::nearbyint(std::clamp(a.hi * detail::kInvLog2, -1e6, 1e6));
  DDReal ml, r;
  DDMULD(detail::kLog2, m, ml);
  DDSUB(a, ml, r);
  DDEXP(r, p);
  e = static_cast<int>(m);
}

DDReal scale2(const DDReal& a, int e) noexcept { return DDReal(std::ldexp(a.hi, e), std::ldexp(a.lo, e)); }

DDReal exp_wide(const DDReal& a) {
  DDReal p;
  int e;
  exp_scaled(a, p, e);
  return e == 0 ? p : scale2(p, e);
}

/// S = sum_k a_k / b_k with a_k = prod_{j<=k} (mu - (2j-1)^2), negated for I at each
/// step, and b_k = prod_{j<=k} 8 j x; then
///   I = (e^x / sqrt(2 pi x)) S,   K = (sqrt(pi / (2x)) / e^x) S.
/// From x = 300 on, beyond the exponential's own range, e^x is (e^{x/m})^m and
/// K is sqrt(pi/(2x)) e^{-x} S.
///
/// Returns false (out unwritten) where the series cannot give the value to
/// working precision, as hankel does.
bool ik_asymptotic(const DDReal& mu, const DDReal& x, bool k_form, const char* loop_msg, DDReal& out,
                   bool without_exp) {
  const DDReal eps = detail::kSeriesEps;
  DDReal s(1.0), a(1.0), b(1.0);
  TermWatch w;
  w.note(1.0);
  run_series(kBesselMaxTerms, loop_msg, [&](int k) {
    const double o = 2.0 * k - 1.0;
    DDReal sq, f, xk, t;
    DDMUL(DDReal(o), DDReal(o), sq);
    DDSUB(mu, sq, f);
    DDMUL(a, f, a);
    if (!k_form) DDNEG(a, a);
    DDMULD(x, 8.0 * k, xk);
    DDMUL(b, xk, b);
    DDDIV(a, b, t);
    DDADD(s, t, s);
    w.note(t.hi);
    return w.diverged || negligible(t, eps, s);
  });
  if (w.diverged || !w.within(std::fabs(s.hi))) return false;
  DDReal pi, r, ex, t;
  DDPI(pi);
  if (without_exp) {
    DDReal d;
    DDMULD(x, 2.0, d);
    if (k_form) {
      DDDIV(pi, d, r);  // sqrt(pi / (2x))
    } else {
      DDMUL(pi, d, r);
      DDDIV(DDReal(1.0), r, r);  // 1 / sqrt(2 pi x)
    }
    DDSQRT(r, r);
    DDMUL(r, s, out);
    return true;
  }
  if (k_form) {
    DDReal x2;
    DDMULD(x, 2.0, x2);
    DDDIV(pi, x2, r);
    DDSQRT(r, r);
    if (x.hi < detail::kExpLimit) {
      DDEXP(x, ex);
      DDDIV(r, ex, t);
    } else {
      DDMUL(r, exp_minus(x), t);
    }
  } else {
    DDReal tp;
    DDMULD(pi, 2.0, tp);
    DDMUL(tp, x, r);
    DDSQRT(r, r);
    if (x.hi < detail::kExpLimit) {
      DDEXP(x, ex);
    } else {  // e^x = (e^{x/m})^m with x/m < 256, beyond the exponential's own range
      const int m = static_cast<int>(std::ceil(x.hi / 256.0));
      DDReal xm;
      DDDIVD(x, static_cast<double>(m), xm);
      DDEXP(xm, ex);
      DDNPWR(ex, m, ex);
    }
    DDDIV(ex, r, t);
  }
  DDMUL(t, s, out);
  return true;
}

}  // namespace dd::detail::bessel
