// Bessel functions J by Miller's backward recurrence, and Y_n by the Neumann
// series over those J values.
#include "ddspecial/bessel_impl.hpp"

#include <cmath>
#include <algorithm>
#include <vector>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/power.hpp"
#include "ddreal/rounding.hpp"
#include "ddspecial/gamma.hpp"

namespace dd::detail::bessel {

namespace {

/// 2 / pi by the division kernel, formed once.
const DDReal kTwoOverPi = [] {
  DDReal pi, r;
  DDPI(pi);
  DDDIV(DDReal(2.0), pi, r);
  return r;
}();

}  // namespace

/// Starting order of Miller's recurrence for orders up to n at x.
int miller_start(int n, const DDReal& x) {
  const double m = std::max(static_cast<double>(n), x.hi);
  int start = static_cast<int>(m + 20.0 + 20.0 * std::cbrt(m));
  return start + (start & 1);
}

/// Y_0 .. Y_n from the Neumann series
///   (pi/2) Y_0 = (ln(x/2) + gamma) J_0 - 2 sum_{k>=1} (-1)^k J_{2k} / k,
///   (pi/2) Y_1 = -J_0 / x + (ln(x/2) + gamma - 1) J_1 - sum_{k>=1} (-1)^k (2k+1) J_{2k+1} / (k (k+1)),
/// and Y_{k+1} = (2k/x) Y_k - Y_{k-1} upward (Y is the dominant solution).
DDReal bessel_y_neumann(int n, const DDReal& x) {
  // ln(x/2) (x/2 from 4 to 24, inside the logarithm's Newton range) is
  // formed step by step beside the recurrence: the two chains overlap.
  DDReal h, l, g, pi, two_over_pi, t, u, y0, y1;
  DDMULD(x, 0.5, h);
  BesselJSums js;
  if (detail::LogSteps::applicable(h)) {
    detail::LogSteps ls(h);
    bessel_j_sums(x, 1, js, true, &ls);
    l = ls.finish();
  } else {
    bessel_j_sums(x, 1, js, true);
    DDLOG(h, l);
  }
  DDEULER(g);
  DDADD(l, g, l);
  DDPI(pi);
  two_over_pi = kTwoOverPi;
  DDMUL(l, js.j0, t);
  DDMULD(js.y0, 2.0, u);
  DDSUB(t, u, y0);
  DDMUL(two_over_pi, y0, y0);
  if (n == 0) return y0;
  DDDIV(js.j0, x, t);
  DDNEG(t, t);
  DDSUB(l, DDReal(1.0), u);
  DDMUL(u, js.j1, u);
  DDADD(t, u, t);
  DDSUB(t, js.y1, y1);
  DDMUL(two_over_pi, y1, y1);
  DDReal rx;
  DDDIV(DDReal(2.0), x, rx);
  for (int k = 1; k < n; ++k) {
    DDReal f, yn;
    DDMULD(rx, static_cast<double>(k), f);
    DDMUL(f, y1, yn);
    DDSUB(yn, y0, yn);
    y0 = y1;
    y1 = yn;
  }
  return y1;
}

/// J_nu(x) for a non-integral order and kBesselMillerFrom <= x: nu = mu + n with
/// 0 < mu < 1, Miller's recurrence for J_{mu+k} from k = N down to min(n, 0)
/// (past 0 it continues into the negative orders, where it is neutral or
/// stable), normalised by (x/2)^mu = sum_{k>=0} (mu+2k) Gamma(mu+k)/k! J_{mu+2k}.
DDReal bessel_j_real_miller(const DDReal& nu, const DDReal& x) {
  DDReal fl, mu;
  {
    DDReal ip, fp;
    DDINFR(nu, ip, fp);
    if (fp.hi < 0.0) {  // floor for negative orders
      DDSUB(ip, DDReal(1.0), ip);
      DDADD(fp, DDReal(1.0), fp);
    }
    fl = ip;
    mu = fp;
  }
  const int n = static_cast<int>(fl.hi);
  const double m = std::max(std::fabs(static_cast<double>(n)), x.hi);
  int start = static_cast<int>(m + 20.0 + 20.0 * std::cbrt(m));
  start += start & 1;
  const int low = std::min(n, 0);
  std::vector<DDReal> j(static_cast<std::size_t>(start - low + 2), DDReal(0.0));
  auto at = [&](int k) -> DDReal& { return j[static_cast<std::size_t>(k - low)]; };
  at(start + 1) = DDReal(0.0);
  at(start) = DDReal(0x1p-500);
  DDReal rx;
  DDDIV(DDReal(2.0), x, rx);
  for (int k = start; k > low; --k) {
    // J_{mu+k-1} = (2 (mu+k) / x) J_{mu+k} - J_{mu+k+1}
    DDReal o, f, v;
    DDADD(mu, DDReal(static_cast<double>(k)), o);
    DDMUL(rx, o, f);
    DDMUL(f, at(k), v);
    DDSUB(v, at(k + 1), v);
    at(k - 1) = v;
    if (std::fabs(v.hi) > 0x1p400) {
      for (int i = k - 1; i <= start; ++i) scale(at(i), 0x1p-400);
    }
  }
  // Normalisation, weights upward: c_0 = Gamma(mu), c_k = c_{k-1} (mu+k-1)/k.
  DDReal c, norm(0.0);
  DDGAMMAR(mu, c);
  for (int k = 0; 2 * k <= start; ++k) {
    if (k > 0) {
      DDReal f;
      DDADD(mu, DDReal(static_cast<double>(k - 1)), f);
      DDMUL(c, f, c);
      DDDIVD(c, static_cast<double>(k), c);
    }
    DDReal w, t;
    DDADD(mu, DDReal(2.0 * k), w);
    DDMUL(w, c, w);
    DDMUL(w, at(2 * k), t);
    DDADD(norm, t, norm);
  }
  DDReal h, p, r;
  DDMULD(x, 0.5, h);
  DDPOWER(h, mu, p);
  DDMUL(at(n), p, r);
  DDDIV(r, norm, r);
  return r;
}

void bessel_j_table(const DDReal& x, int n, std::vector<DDReal>& j) {
  const int start = miller_start(n, x);
  j.assign(static_cast<std::size_t>(start) + 2, DDReal(0.0));
  j[static_cast<std::size_t>(start)] = DDReal(0x1p-500);
  DDReal rx, norm(0.0);
  DDDIV(DDReal(2.0), x, rx);
  for (int k = start; k >= 1; --k) {
    const auto uk = static_cast<std::size_t>(k);
    DDReal f, v;
    DDMULD(rx, static_cast<double>(k), f);
    DDMUL(f, j[uk], v);
    DDSUB(v, j[uk + 1], v);
    j[uk - 1] = v;
    if (std::fabs(v.hi) > 0x1p400) {
      for (std::size_t i = uk - 1; i <= static_cast<std::size_t>(start); ++i) scale(j[i], 0x1p-400);
    }
  }
  for (int k = start; k >= 2; k -= 2) {
    DDReal t;
    DDMULD(j[static_cast<std::size_t>(k)], 2.0, t);
    DDADD(norm, t, norm);
  }
  DDADD(norm, j[0], norm);
  j.pop_back();
  for (DDReal& v : j) DDDIV(v, norm, v);
}

void bessel_j_sums(const DDReal& x, int n, BesselJSums& out, bool with_sums, LogSteps* side) {
  const int start = miller_start(n, x);
  DDReal rx;
  DDDIV(DDReal(2.0), x, rx);
  DDReal jp(0.0), jk(0x1p-500), norm(0.0);
  DDReal jn(0.0), j1(0.0), y0(0.0), y1(0.0);
  for (int k = start; k >= 1; --k) {
    // jk = J_k, jp = J_{k+1} (unnormalised).
    if (side != nullptr && side->step()) side = nullptr;
    if (k == n) jn = jk;
    if (k == 1) j1 = jk;
    DDReal t;
    if ((k & 1) == 0) {
      detail::muld_exact(jk, 2.0, t);  // DDMULD's words, as an exact doubling
      DDADD(norm, t, norm);
    }
    if (!with_sums) {
      // J_n alone needs only the normalisation.
    } else if ((k & 1) == 0) {
      const int mm = k / 2;
      const double md = static_cast<double>(mm);
      DDDIVD(jk, md, t);
      if ((mm & 1) != 0) DDNEG(t, t);
      DDADD(y0, t, y0);
    } else {
      const int mm = k / 2;
      const double md = static_cast<double>(mm);
      if (mm >= 1) {
        DDMULD(jk, static_cast<double>(k), t);
        DDDIVD(t, md * (md + 1.0), t);
        if ((mm & 1) != 0) DDNEG(t, t);
        DDADD(y1, t, y1);
      }
    }
    DDReal f, jm;
    DDMULD(rx, static_cast<double>(k), f);
    DDMUL(f, jk, jm);
    DDSUB(jm, jp, jm);
    jp = jk;
    jk = jm;
    if (std::fabs(jk.hi) > 0x1p400) {
      for (DDReal* v : {&jk, &jp, &norm, &jn, &j1, &y0, &y1}) scale(*v, 0x1p-400);
    }
  }
  // jk = J_0
  DDADD(norm, jk, norm);
  if (n == 0) jn = jk;
  DDDIV(jn, norm, out.jn);
  DDDIV(jk, norm, out.j0);
  DDDIV(j1, norm, out.j1);
  DDDIV(y0, norm, out.y0);
  DDDIV(y1, norm, out.y1);
}

DDReal i_ratio_miller(const DDReal& mu, int n, const DDReal& x, int& shift) {
  const int start = miller_start(n, x);
  DDReal rx, ip(0.0), ik(0x1p-500), in(0.0);
  shift = 0;  // rescalings of ik since in was taken
  DDDIV(DDReal(2.0), x, rx);
  for (int k = start; k >= 1; --k) {
    // ik = I_{mu+k}, ip = I_{mu+k+1} (unnormalised).
    if (k == n) in = ik;
    DDReal v, f, im;
    DDADD(mu, DDReal(static_cast<double>(k)), v);
    DDMUL(rx, v, f);
    DDMUL(f, ik, im);
    DDADD(im, ip, im);
    ip = ik;
    ik = im;
    if (std::fabs(ik.hi) > 0x1p400) {
      for (DDReal* w : {&ik, &ip}) scale(*w, 0x1p-400);
      if (k <= n) shift += 400;
      else scale(in, 0x1p-400);
    }
  }
  if (n == 0) in = ik;
  DDReal r;
  DDDIV(in, ik, r);
  return r;
}

}  // namespace dd::detail::bessel
