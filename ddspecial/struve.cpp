#include "ddspecial/struve.hpp"

#include <cmath>
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
DDReal struve_bessel_series(int nu, const DDReal& x) {
  std::vector<DDReal> j;
  detail::bessel::bessel_j_table(x, nu + 1, j);
  DDReal pi, rp, r(1.0), s(0.0);
  DDPI(pi);
  DDSQRT(pi, rp);
  for (int i = 1; i <= nu; ++i) {
    DDMULD(r, static_cast<double>(i), r);
    DDDIVD(r, static_cast<double>(i) - 0.5, r);
  }
  DDDIV(r, rp, r);
  const long long top = static_cast<long long>(j.size()) - 1;
  for (long long k = 0; 2 * k + nu + 1 <= top; ++k) {
    const double kd = static_cast<double>(k), nd = static_cast<double>(nu);
    if (k > 0) {
      DDMULD(r, kd + nd, r);
      DDDIVD(r, kd, r);
    }
    DDReal t;
    DDMULD(r, (2.0 * kd + nd) + 1.0, t);
    DDDIVD(t, (2.0 * kd + 1.0) * ((2.0 * kd + 2.0 * nd) + 1.0), t);
    DDMUL(t, j[static_cast<std::size_t>(2 * k + nu + 1)], t);
    DDADD(s, t, s);
  }
  DDMULD(s, 4.0, s);
  DDDIV(s, rp, s);
  return s;
}
}  // namespace

void DDSTRUVEHN(int nu, const DDReal& ss, DDReal& zz) {
  if (nu < 0) detail::fail(msg::kStruveNuNegative);
  if (std::fabs(ss.hi) > kStruveMaxArg) detail::fail(msg::kStruveTooLarge, {kStruveMaxArg});
  if (std::fabs(ss.hi) >= kStruveBesselFrom) {
    DDReal ax, h;
    DDABS(ss, ax);
    h = struve_bessel_series(nu, ax);
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
