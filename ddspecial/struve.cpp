#include "ddspecial/struve.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddspecial/bessel_impl.hpp"
#include "ddspecial/series.hpp"

namespace dd {

namespace {
using detail::negligible;

/// H_nu(x) for x > 0 by the series over J_{2k+nu+1}(x).  With
/// r_k = Gamma(k+nu+1) / (k! Gamma(nu+1/2)) (r_0 = prod_{i<=nu} i/(i-1/2) / sqrt(pi),
/// r_k = r_{k-1} (k+nu)/k), H = (4/sqrt(pi)) sum_k r_k (2k+nu+1) J_{2k+nu+1} / ((2k+1)(2k+2nu+1)).
/// The table of J values first reaches the order of Miller's start for
/// nu + 1; where its last term is still above 2^-96 of the sum (r_k grows
/// with the order, so from about nu = x on), it is extended.  False where the terms cancel by
/// more than 2^18 (large orders below x: they oscillate), or where a term
/// that counts meets a J value too small for the table to hold.
bool struve_bessel_series(int nu, const DDReal& x, DDReal& out) {
  std::vector<DDReal> j;
  DDReal pi, rp, r0(1.0);
  DDPI(pi);
  DDSQRT(pi, rp);
  for (int i = 1; i <= nu; ++i) {
    DDMULD(r0, static_cast<double>(i), r0);
    DDDIVD(r0, static_cast<double>(i) - 0.5, r0);
  }
  DDDIV(r0, rp, r0);
  for (long long order = nu + 1;; order = 2 * order + 64) {
    if (order > kBesselMaxRecurrence) return false;
    detail::bessel::bessel_j_table(x, static_cast<int>(order), j);
    DDReal r = r0, s(0.0), t(0.0);
    double largest = 0.0, hidden = 0.0;
    int scaled = 0;  // r is held in units of 2^scaled, the J values it meets in units of 2^-scaled
    const long long top = static_cast<long long>(j.size()) - 1;
    for (long long k = 0; 2 * k + nu + 1 <= top; ++k) {
      const double kd = static_cast<double>(k), nd = static_cast<double>(nu);
      if (k > 0) {
        DDMULD(r, kd + nd, r);
        DDDIVD(r, kd, r);
      }
      if (std::fabs(r.hi) > 0x1p600) {  // r_k grows like k^nu while J falls faster: exact rescaling
        r.hi = std::ldexp(r.hi, -600);
        r.lo = std::ldexp(r.lo, -600);
        scaled += 600;
      }
      DDMULD(r, (2.0 * kd + nd) + 1.0, t);
      DDDIVD(t, (2.0 * kd + 1.0) * ((2.0 * kd + 2.0 * nd) + 1.0), t);
      DDReal jk = j[static_cast<std::size_t>(2 * k + nu + 1)];
      // A J value below the full-precision range may hide a term that counts.
      if (std::fabs(jk.hi) < detail::kFullPrecisionMin) {
        hidden = std::max(hidden, std::ldexp(std::fabs(t.hi) * detail::kFullPrecisionMin, scaled));
      }
      if (scaled != 0) {
        if (std::fabs(jk.hi) > std::ldexp(detail::kSplitLimit, -scaled)) return false;
        jk.hi = std::ldexp(jk.hi, scaled);
        jk.lo = std::ldexp(jk.lo, scaled);
      }
      DDMUL(t, jk, t);
      DDADD(s, t, s);
      largest = std::max(largest, std::fabs(t.hi));
    }
    if (s.hi == 0.0 || !(largest <= 0x1p18 * std::fabs(s.hi)) || hidden > 0x1p-100 * std::fabs(s.hi)) return false;
    if (!(std::fabs(t.hi) > 0x1p-96 * std::fabs(s.hi))) {
      DDMULD(s, 4.0, s);
      DDDIV(s, rp, out);
      return true;
    }
  }
}

/// H_nu(x) = c sum_k (-x^2/4)^k / prod_{j=1..k} ((j+1/2)(j+nu+1/2)) with
/// c = (x/2)^(nu+1) / (Gamma(3/2) Gamma(nu+3/2)) formed as a product of
/// nu + 1 quotients, so that neither the power nor the gamma value leaves
/// the kernels' range.  False where x^2/4 passes 4 (nu + 3/2), beyond which
/// the alternating terms would cancel by more than about 2^12.
bool struve_scaled_series(int nu, const DDReal& x, DDReal& out) {
  // The terms grow to about e^{x^2 / (4 nu + 6)} before they fall.
  if ((x.hi * x.hi) * 0.25 > 4.0 * (static_cast<double>(nu) + 1.5)) return false;
  const DDReal eps = detail::kSeriesEps;
  DDReal pi, g, h, c, w, t(1.0), s(1.0);
  DDPI(pi);
  DDSQRT(pi, g);
  DDMULD(g, 0.5, g);  // Gamma(3/2)
  DDMULD(x, 0.5, h);
  DDDIV(h, g, c);
  DDDIV(c, g, c);
  for (int i = 1; i <= nu; ++i) {
    DDMUL(c, h, c);
    DDDIVD(c, static_cast<double>(i) + 0.5, c);
  }
  DDMUL(h, h, w);
  DDNEG(w, w);
  double largest = 1.0;
  detail::run_series(kStruveMaxTerms, msg::kStruveLoopEnd, [&](int k) {
    DDMUL(t, w, t);
    DDDIVD(t, (static_cast<double>(k) + 0.5) * ((static_cast<double>(k) + static_cast<double>(nu)) + 0.5), t);
    DDADD(s, t, s);
    largest = std::max(largest, std::fabs(t.hi));
    return !(largest <= detail::kSplitLimit) || negligible(t, eps, s);
  });
  if (!(std::fabs(s.hi) <= detail::kSplitLimit) || !(largest <= 0x1p18 * std::fabs(s.hi)) ||
      !(std::fabs(c.hi) <= detail::kSplitLimit)) {
    return false;
  }
  DDMUL(c, s, out);
  return true;
}

/// H_nu(x) = Y_nu(x) + (1/pi) sum_k Gamma(k+1/2) (x/2)^(nu-2k-1) / Gamma(nu+1/2-k)
/// for x above the Bessel switch and orders below x, where this asymptotic
/// series reaches working precision; false elsewhere.  Its first
/// term is (2/x) prod_{i<nu} (x/2)/(i+1/2) times sqrt(pi)/sqrt(pi).
bool struve_asymptotic(int nu, const DDReal& x, DDReal& out) {
  if (std::fabs(x.hi) < kBesselSwitch || static_cast<double>(nu) >= x.hi) return false;
  const DDReal eps = detail::kSeriesEps;
  DDReal h, h2, t, s;
  DDMULD(x, 0.5, h);
  DDDIV(DDReal(1.0), h, t);
  for (int i = 0; i < nu; ++i) {
    DDMUL(t, h, t);
    DDDIVD(t, static_cast<double>(i) + 0.5, t);
  }
  DDMUL(h, h, h2);
  s = t;
  detail::bessel::TermWatch watch;
  watch.note(t.hi);
  for (int k = 0; k < kStruveMaxTerms; ++k) {
    const double kd = static_cast<double>(k);
    DDMULD(t, (kd + 0.5) * ((static_cast<double>(nu) - 0.5) - kd), t);
    DDDIV(t, h2, t);
    DDADD(s, t, s);
    watch.note(t.hi);
    if (watch.diverged) return false;
    if (negligible(t, eps, s)) break;
  }
  if (!watch.within(std::fabs(s.hi))) return false;
  DDReal pi, y;
  DDPI(pi);
  DDDIV(s, pi, s);
  DDBESSELYNR(nu, x, y);
  DDADD(y, s, out);
  return true;
}

/// True when |H_nu(x)| (x > 0) is certainly below half the smallest
/// subnormal, by the bound (x/2)^(nu+1) e^{x^2/(4 nu + 6)} / (Gamma(3/2) Gamma(nu+3/2)).
bool struve_underflows(int nu, double x) noexcept {
  const double n = static_cast<double>(nu);
  const double l = (n + 1.0) * std::log(x * 0.5) - std::lgamma(n + 1.5) - std::lgamma(1.5) + (x * x) / (4.0 * n + 6.0);
  return l < -760.0;
}
}  // namespace

void DDSTRUVEHN(int nu, const DDReal& ss, DDReal& zz) {
  if (nu < 0) detail::fail(msg::kStruveNuNegative);
  if (!std::isfinite(ss.hi) || !std::isfinite(ss.lo)) {  // NaN words for a NaN or infinite argument
    zz = DDReal(std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN());
    return;
  }
  if (std::fabs(ss.hi) > kStruveMaxArg) detail::fail(msg::kStruveTooLarge, {kStruveMaxArg});
  if (ss.hi != 0.0 && struve_underflows(nu, std::fabs(ss.hi))) {
    zz = DDReal(0.0);
    return;
  }
  if (std::fabs(ss.hi) >= kStruveBesselFrom || nu > kBesselSeriesMaxOrder) {
    // The Bessel series, else the asymptotic series, else the power series
    // in a form whose factors stay in range.
    DDReal ax, h;
    DDABS(ss, ax);
    const bool ok = (std::fabs(ss.hi) >= kStruveBesselFrom && struve_bessel_series(nu, ax, h)) ||
                    struve_asymptotic(nu, ax, h) || struve_scaled_series(nu, ax, h);
    if (!ok) detail::fail(msg::kStruveOrder);
    if (ss.hi < 0.0 && (nu & 1) == 0) DDNEG(h, h);
    zz = h;
    return;
  }
  const DDReal eps = detail::kSeriesEps;
  const DDReal x = ss;
  DDReal t(1.0), x2, w;
  DDMUL(x, x, x2);
  DDMULD(x2, -0.25, w);
  DDReal pi, g1, g2;
  DDPI(pi);
  DDSQRT(pi, g1);
  DDMULD(g1, 0.5, g1);  // Gamma(3/2)
  g2 = g1;
  for (int i = 1; i <= nu; ++i) DDMULD(g2, static_cast<double>(i) + 0.5, g2);  // Gamma(nu + 3/2)
  DDReal g, s;
  DDMUL(g1, g2, g);
  DDDIV(t, g, s);
  detail::run_series(kStruveMaxTerms, msg::kStruveLoopEnd, [&](int k) {
    DDMUL(w, t, t);
    DDMULD(g1, static_cast<double>(k) + 0.5, g1);
    DDMULD(g2, (static_cast<double>(k) + static_cast<double>(nu)) + 0.5, g2);
    DDReal u;
    DDMUL(g1, g2, g);
    DDDIV(t, g, u);
    DDADD(s, u, s);
    return negligible(u, eps, s);
  });
  DDReal h, p;
  DDMULD(x, 0.5, h);
  DDNPWR(h, nu + 1, p);
  DDMUL(p, s, zz);
}

}  // namespace dd
