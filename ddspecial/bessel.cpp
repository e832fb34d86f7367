#include "ddspecial/bessel.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddreal/rounding.hpp"
#include "ddspecial/gamma.hpp"
#include "ddspecial/series.hpp"

namespace dd {

namespace {

using detail::negligible;

bool below_switch(const DDReal& x) noexcept { return std::fabs(x.hi) < kBesselSwitch; }

/// q = x^2 / 4.
DDReal quarter_square(const DDReal& x) noexcept {
  DDReal q;
  DDMUL(x, x, q);
  DDMULD(q, 0.25, q);
  return q;
}

/// n! from 1 by DDMULD with 1 .. n.
DDReal factorial(int n) noexcept {
  DDReal f(1.0);
  for (int i = 1; i <= n; ++i) DDMULD(f, static_cast<double>(i), f);
  return f;
}

/// A DDReal order's integer when its fraction is zero: the hi word rounded half away from zero.
bool integral_order(const DDReal& nu, int& n) {
  DDReal ip, fp;
  DDINFR(nu, ip, fp);
  if (fp.hi != 0.0) return false;
  n = static_cast<int>(std::lround(nu.hi));
  return true;
}

// ---- Hankel's expansion (J and Y above the switch) ---------------------------

/// J (want_y false) or Y of the order whose mu = 4 nu^2 and (nu/2) pi are given, at x > 0:
///   P = sum (-1)^k a_{2k}(nu) / x^{2k},  Q = sum (-1)^k a_{2k+1}(nu) / x^{2k+1},
///   chi = x - (nu/2) pi - pi/4,
///   J = sqrt(2/(pi x)) (P cos chi - Q sin chi),  Y = sqrt(2/(pi x)) (P sin chi + Q cos chi).
void hankel(const DDReal& mu, const DDReal& half_nu_pi, const DDReal& x, bool want_y, const char* loop_msg,
            DDReal& out) {
  const DDReal eps = detail::kSeriesEps;
  DDReal x2;
  DDMUL(x, x, x2);
  DDReal p(1.0), a(1.0), b(1.0);
  DDReal v, e = x, q;
  DDSUB(mu, DDReal(1.0), v);
  DDDIVD(v, 8.0, v);
  DDDIV(v, e, q);
  bool done = false;
  for (int k = 1; k <= kBesselMaxTerms; ++k) {
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
    if (negligible(tp, eps, p) && negligible(tq, eps, q)) {
      done = true;
      break;
    }
  }
  if (!done) detail::fail(loop_msg);
  DDReal pi, quarter_pi, chi, c, s;
  DDPI(pi);
  DDMULD(pi, 0.25, quarter_pi);
  DDSUB(x, half_nu_pi, chi);
  DDSUB(chi, quarter_pi, chi);
  DDCSSNR(chi, c, s);
  DDReal px, r, t1, t2, comb;
  DDMUL(pi, x, px);
  DDDIV(DDReal(2.0), px, r);
  DDSQRT(r, r);
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
}

/// mu = n*n*4 as a binary64, (n/2) pi by DDMULD of pi with n*0.5.
void integer_order_hankel_args(int n, DDReal& mu, DDReal& half_nu_pi) noexcept {
  const double dn = static_cast<double>(n);
  mu = DDReal((dn * dn) * 4.0);
  DDReal pi;
  DDPI(pi);
  DDMULD(pi, dn * 0.5, half_nu_pi);
}

/// mu = (nu*nu)*4 and (pi*nu)*0.5 in double-double.
void real_order_hankel_args(const DDReal& nu, DDReal& mu, DDReal& half_nu_pi) noexcept {
  DDMUL(nu, nu, mu);
  DDMULD(mu, 4.0, mu);
  DDReal pi;
  DDPI(pi);
  DDMUL(pi, nu, half_nu_pi);
  DDMULD(half_nu_pi, 0.5, half_nu_pi);
}

// ---- the large-argument series of I and K --------------------------------------

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

/// S = sum_k a_k / b_k with a_k = prod_{j<=k} (mu - (2j-1)^2), negated for I at each
/// step, and b_k = prod_{j<=k} 8 j x; then
///   I = (e^x / sqrt(2 pi x)) S,   K = (sqrt(pi / (2x)) / e^x) S.
/// From x = 300 on, beyond the exponential's own range, e^x is (e^{x/m})^m and
/// K is sqrt(pi/(2x)) e^{-x} S.
void ik_asymptotic(const DDReal& mu, const DDReal& x, bool k_form, const char* loop_msg, DDReal& out) {
  const DDReal eps = detail::kSeriesEps;
  DDReal s(1.0), a(1.0), b(1.0);
  bool done = false;
  for (int k = 1; k <= kBesselMaxTerms; ++k) {
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
    if (negligible(t, eps, s)) {
      done = true;
      break;
    }
  }
  if (!done) detail::fail(loop_msg);
  DDReal pi, r, ex, t;
  DDPI(pi);
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
}

// ---- power series shared by J and I ---------------------------------------------

/// sum_k (+-q)^k / (k! (n+k)!) (alternating for J), times (x/2)^n.
void integer_order_series(int n, const DDReal& x, bool alternate, const char* loop_msg, DDReal& out) {
  const DDReal eps = detail::kSeriesEps;
  const DDReal q = quarter_square(x);
  DDReal f = factorial(n), g(1.0), t(1.0), s, gf;
  DDMUL(g, f, gf);
  DDDIV(t, gf, s);
  bool done = false;
  for (int k = 1; k <= kBesselMaxTerms; ++k) {
    DDMULD(g, static_cast<double>(k), g);
    DDMULD(f, static_cast<double>(n + k), f);
    DDMUL(q, t, t);
    if (alternate) DDNEG(t, t);
    DDReal u;
    DDMUL(g, f, gf);
    DDDIV(t, gf, u);
    DDADD(s, u, s);
    if (negligible(u, eps, s)) {
      done = true;
      break;
    }
  }
  if (!done) detail::fail(loop_msg);
  DDReal h, p;
  DDMULD(x, 0.5, h);
  DDNPWR(h, n, p);
  DDMUL(s, p, out);
}

/// sum_k (+-q)^k / (k! Gamma(nu+k+1)) (alternating for J), times (base/2)^nu by DDPOWER.
void real_order_series(const DDReal& nu, const DDReal& x, const DDReal& base, bool alternate, const char* loop_msg,
                       DDReal& out) {
  const DDReal eps = detail::kSeriesEps;
  const DDReal q = quarter_square(x);
  DDReal g(1.0), t(1.0), big_g, s, gg, nu1;
  DDADD(nu, DDReal(1.0), nu1);
  DDGAMMAR(nu1, big_g);
  DDMUL(g, big_g, gg);
  DDDIV(t, gg, s);
  bool done = false;
  for (int k = 1; k <= kBesselMaxTerms; ++k) {
    DDMULD(g, static_cast<double>(k), g);
    DDReal nk;
    DDADD(nu, DDReal(static_cast<double>(k)), nk);
    DDMUL(big_g, nk, big_g);
    DDMUL(q, t, t);
    if (alternate) DDNEG(t, t);
    DDReal u;
    DDMUL(g, big_g, gg);
    DDDIV(t, gg, u);
    DDADD(s, u, s);
    if (negligible(u, eps, s)) {
      done = true;
      break;
    }
  }
  if (!done) detail::fail(loop_msg);
  DDReal h, p;
  DDMULD(base, 0.5, h);
  DDPOWER(h, nu, p);
  DDMUL(s, p, out);
}

// ---- pieces shared by Y_n and K_n below the switch ---------------------------------

/// The finite sum sum_{k=0..n-1} (n-k-1)! (+-q)^k / k! (alternating for K); 0 for n = 0.
DDReal finite_sum(int n, const DDReal& q, bool alternate) noexcept {
  if (n < 1) return DDReal(0.0);
  DDReal f1 = factorial(n - 1), f2(1.0), f3(1.0), a, t;
  DDMUL(f1, f2, t);
  DDDIV(t, f3, a);
  for (int k = 1; k <= n - 1; ++k) {
    DDDIVD(f1, static_cast<double>(n - k), f1);
    DDMUL(q, f2, f2);
    if (alternate) DDNEG(f2, f2);
    DDMULD(f3, static_cast<double>(k), f3);
    DDMUL(f1, f2, t);
    DDDIV(t, f3, t);
    DDADD(a, t, a);
  }
  return a;
}

/// sum_k (psi(k+1) + psi(n+k+1)) (+-q)^k / (k! (n+k)!) (alternating for Y), with
/// psi(k+1) = -gamma + H_k.
DDReal psi_series(int n, const DDReal& q, bool alternate, const char* loop_msg) {
  const DDReal eps = detail::kSeriesEps;
  DDReal p1, p2;
  DDEULER(p1);
  DDNEG(p1, p1);
  p2 = p1;
  for (int j = 1; j <= n; ++j) {
    DDReal r;
    DDDIVD(DDReal(1.0), static_cast<double>(j), r);
    DDADD(p2, r, p2);
  }
  DDReal h(1.0), m = factorial(n), w(1.0), r, t, hm;
  DDADD(p1, p2, t);
  DDMUL(t, w, t);
  DDMUL(h, m, hm);
  DDDIV(t, hm, r);
  for (int k = 1; k <= kBesselMaxTerms; ++k) {
    DDReal c;
    DDDIVD(DDReal(1.0), static_cast<double>(k), c);
    DDADD(p1, c, p1);
    DDDIVD(DDReal(1.0), static_cast<double>(n + k), c);
    DDADD(p2, c, p2);
    DDMUL(q, w, w);
    if (alternate) DDNEG(w, w);
    DDMULD(h, static_cast<double>(k), h);
    DDMULD(m, static_cast<double>(n + k), m);
    DDReal u;
    DDADD(p1, p2, t);
    DDMUL(t, w, t);
    DDMUL(h, m, hm);
    DDDIV(t, hm, u);
    DDADD(r, u, r);
    if (negligible(u, eps, r)) return r;
  }
  detail::fail(loop_msg);
}

/// 1/j by DDDIVD, tabulated once for j up to kReciprocals.
constexpr int kReciprocals = 512;
const DDReal& reciprocal_slow(int j, DDReal& tmp) noexcept {
  DDDIVD(DDReal(1.0), static_cast<double>(j), tmp);
  return tmp;
}
const std::array<DDReal, kReciprocals + 1>& reciprocal_table() noexcept {
  static const std::array<DDReal, kReciprocals + 1> table = [] {
    std::array<DDReal, kReciprocals + 1> t{};
    for (int j = 1; j <= kReciprocals; ++j) DDDIVD(DDReal(1.0), static_cast<double>(j), t[static_cast<std::size_t>(j)]);
    return t;
  }();
  return table;
}
/// DDDIVD(1, j) for j >= 1.
inline DDReal reciprocal(int j) noexcept {
  if (j <= kReciprocals) return reciprocal_table()[static_cast<std::size_t>(j)];
  DDReal tmp;
  return reciprocal_slow(j, tmp);
}

/// The two series of Y_n's power-series branch, 0 < x < kBesselMillerFrom:
/// s = sum_k (-q)^k / (k! (n+k)!), the series of J_n (as integer_order_series
/// sums it), and r = psi_series(n, q, true, ...).  They are independent, so
/// their steps are interleaved in one loop, each with its own operations and
/// stop; the processor overlaps the two chains.  Loop-end messages come in
/// the order of separate loops (J's first).  With side, each step also
/// advances that logarithm.
void y_power_series_sums(int n, const DDReal& q, DDReal& s_out, DDReal& r_out, detail::LogSteps* side) {
  const DDReal eps = detail::kSeriesEps;
  // The two series share k! (g), (n+k)! (f), their product and the powers
  // t = (-q)^k: the same operations on the same values, formed once.
  DDReal f = factorial(n), g(1.0), t(1.0), s, gf;
  DDMUL(g, f, gf);
  DDDIV(t, gf, s);
  // The psi-weighted series.
  DDReal p1, p2;
  DDEULER(p1);
  DDNEG(p1, p1);
  p2 = p1;
  for (int j = 1; j <= n; ++j) DDADD(p2, reciprocal(j), p2);
  DDReal r, tr;
  DDADD(p1, p2, tr);
  DDMUL(tr, t, tr);
  DDDIV(tr, gf, r);
  bool done_s = false, done_r = false;
  for (int k = 1; !(done_s && done_r); ++k) {
    if (k > kBesselMaxTerms) detail::fail(done_s ? msg::kBesselYnrLoop1 : msg::kBesselJnrLoop1);
    // Two steps of the logarithm per term: these series are short.
    if (side != nullptr && (side->step() || side->step())) side = nullptr;
    DDMULD(g, static_cast<double>(k), g);
    DDMULD(f, static_cast<double>(n + k), f);
    DDMUL(q, t, t);
    DDNEG(t, t);
    DDMUL(g, f, gf);
    if (!done_s) {
      DDReal u;
      DDDIV(t, gf, u);
      DDADD(s, u, s);
      done_s = negligible(u, eps, s);
    }
    if (!done_r) {
      DDADD(p1, reciprocal(k), p1);
      DDADD(p2, reciprocal(n + k), p2);
      DDReal u;
      DDADD(p1, p2, tr);
      DDMUL(tr, t, tr);
      DDDIV(tr, gf, u);
      DDADD(r, u, r);
      done_r = negligible(u, eps, r);
    }
  }
  s_out = s;
  r_out = r;
}

// ---- K by Steed's continued fraction ------------------------------------------------

/// K_{mu+nl}(x) for |mu| <= 1/2, nl >= 0 and 2 <= x: Temme's form of Steed's
/// algorithm gives K_mu and K_{mu+1} (the sum S of its q-series and the
/// continued fraction h for K_{mu+1} / K_mu), then K_{v+1} = K_{v-1} + (2v/x) K_v
/// climbs to the order.  The fraction needs about 315 steps at x = 2, 140 at
/// x = 5, 30 near the switch.
DDReal k_fraction(const DDReal& mu, int nl, const DDReal& x, const char* loop_msg) {
  const DDReal eps = detail::kSeriesEps;
  DDReal b, d, h, delh, q1(0.0), q2(1.0), a1, q, c, a, s, mu2, t;
  DDADD(DDReal(1.0), x, b);
  DDMULD(b, 2.0, b);
  DDDIV(DDReal(1.0), b, d);
  h = d;
  delh = d;
  DDMUL(mu, mu, mu2);
  DDSUB(DDReal(0.25), mu2, a1);
  q = a1;
  c = a1;
  DDNEG(a1, a);
  DDMUL(q, delh, t);
  DDADD(DDReal(1.0), t, s);
  bool done = false;
  for (int i = 1; i <= kBesselMaxTerms; ++i) {
    DDSUB(a, DDReal(2.0 * i), a);
    DDMUL(a, c, c);
    DDNEG(c, c);
    DDDIVD(c, i + 1.0, c);
    if (std::fabs(c.hi) > 0x1p400) {
      // c grows like i! while q1, q2 fall like 1/i!; only c * q matters, so
      // move a power of two (exactly) from c to the q pair.
      c.hi *= 0x1p-400;
      c.lo *= 0x1p-400;
      q1.hi *= 0x1p400;
      q1.lo *= 0x1p400;
      q2.hi *= 0x1p400;
      q2.lo *= 0x1p400;
    }
    DDReal qnew;
    DDMUL(b, q2, t);
    DDSUB(q1, t, qnew);
    DDDIV(qnew, a, qnew);
    q1 = q2;
    q2 = qnew;
    DDMUL(c, qnew, t);
    DDADD(q, t, q);
    DDADD(b, DDReal(2.0), b);
    DDMUL(a, d, t);
    DDADD(b, t, t);
    DDDIV(DDReal(1.0), t, d);
    DDMUL(b, d, t);
    DDSUB(t, DDReal(1.0), t);
    DDMUL(t, delh, delh);
    DDADD(h, delh, h);
    DDReal dels;
    DDMUL(q, delh, dels);
    DDADD(s, dels, s);
    if (negligible(dels, eps, s)) {
      done = true;
      break;
    }
  }
  if (!done) detail::fail(loop_msg);
  DDMUL(a1, h, h);
  DDReal pi, x2, r, kmu, k1, xi;
  DDPI(pi);
  DDMULD(x, 2.0, x2);
  DDDIV(pi, x2, r);
  DDSQRT(r, r);
  DDMUL(r, exp_minus(x), r);
  DDDIV(r, s, kmu);
  DDDIV(DDReal(1.0), x, xi);
  DDADD(mu, x, t);
  DDADD(t, DDReal(0.5), t);
  DDSUB(t, h, t);
  DDMUL(kmu, t, k1);
  DDMUL(k1, xi, k1);
  for (int i = 1; i <= nl; ++i) {
    DDReal v, kn;
    DDADD(mu, DDReal(static_cast<double>(i)), v);
    DDMULD(v, 2.0, v);
    DDMUL(v, xi, v);
    DDMUL(v, k1, kn);
    DDADD(kn, kmu, kn);
    kmu = k1;
    k1 = kn;
  }
  return kmu;
}

bool in_miller_range(const DDReal& x) noexcept { return x.hi >= kBesselMillerFrom && x.hi < kBesselSwitch; }

/// a <- a * f for a power of two f (exact while no word underflows).
inline void scale(DDReal& a, double f) noexcept {
  a.hi = a.hi * f;
  a.lo = a.lo * f;
}

/// 2 / pi by the division kernel, formed once.
const DDReal kTwoOverPi = [] {
  DDReal pi, r;
  DDPI(pi);
  DDDIV(DDReal(2.0), pi, r);
  return r;
}();

/// Y_0 .. Y_n from the Neumann series
///   (pi/2) Y_0 = (ln(x/2) + gamma) J_0 - 2 sum_{k>=1} (-1)^k J_{2k} / k,
///   (pi/2) Y_1 = -J_0 / x + (ln(x/2) + gamma - 1) J_1 - sum_{k>=1} (-1)^k (2k+1) J_{2k+1} / (k (k+1)),
/// and Y_{k+1} = (2k/x) Y_k - Y_{k-1} upward (Y is the dominant solution).
DDReal bessel_y_neumann(int n, const DDReal& x) {
  // ln(x/2) (x/2 from 4 to 24, inside the logarithm's Newton range) is
  // formed step by step beside the recurrence: the two chains overlap.
  DDReal h, l, g, pi, two_over_pi, t, u, y0, y1;
  DDMULD(x, 0.5, h);
  detail::BesselJSums js;
  if (detail::LogSteps::applicable(h)) {
    detail::LogSteps ls(h);
    detail::bessel_j_sums(x, 1, js, true, &ls);
    l = ls.finish();
  } else {
    detail::bessel_j_sums(x, 1, js, true);
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

/// c_k, k = 0 .. 39: the Taylor coefficients of 1/Gamma(1+z) about 0 as
/// double-double pairs (tools/rgamma_taylor.py); for |z| <= 1/2 the omitted
/// terms are below 1e-42.
constexpr DDReal kRgammaTaylor[40] = {
    {0x1.0000000000000p+0, 0x0.0p+0},  // c_0
    {0x1.2788cfc6fb619p-1, -0x1.6cb90701fbfabp-58},  // c_1
    {-0x1.4fcf4026afa2ep-1, 0x1.8a3db7a90c42ap-56},  // c_2
    {-0x1.5815e8fa27048p-5, 0x1.b85ea59bc3638p-60},  // c_3
    {0x1.5512320b43fbep-3, 0x1.77e9bfd84d0f8p-57},  // c_4
    {-0x1.59af103c34092p-5, -0x1.ef8da0241c465p-59},  // c_5
    {-0x1.3b4af28483e21p-7, -0x1.38dbcf40c139bp-61},  // c_6
    {0x1.d919c527f60b2p-8, -0x1.a91714b11611fp-62},  // c_7
    {-0x1.317112ce3a2a8p-10, 0x1.0b48922be53b9p-64},  // c_8
    {-0x1.c364fe6f1563dp-13, 0x1.6707f71f86f2ep-69},  // c_9
    {0x1.0c8a78cd9f9d2p-13, -0x1.6193e5e682992p-67},  // c_10
    {-0x1.51ce8af47eabep-16, 0x1.26de8c501cb48p-75},  // c_11
    {-0x1.4fad41fc34fbbp-20, -0x1.01776ab160dc8p-75},  // c_12
    {0x1.302509dbc0de3p-20, -0x1.bf09003481b1ap-75},  // c_13
    {-0x1.b9986666c225dp-23, -0x1.d12e45de59d01p-79},  // c_14
    {0x1.a44b7ba22d629p-28, -0x1.4d6f19c81365fp-82},  // c_15
    {0x1.57bc3fc384334p-28, -0x1.30a82205f48c5p-86},  // c_16
    {-0x1.44b4cedca388fp-30, -0x1.f1c4c0ce1c9c5p-84},  // c_17
    {0x1.cae7675c18607p-34, -0x1.d04082c7c66aap-89},  // c_18
    {0x1.11d065bfaf067p-37, 0x1.16b58cf85bbf4p-91},  // c_19
    {-0x1.0423bac8ca3fbp-38, 0x1.56e661d0c83b0p-92},  // c_20
    {0x1.1f20151323cd0p-41, 0x1.c8f6862a8bddcp-96},  // c_21
    {-0x1.72cb88ea5ae6ep-46, -0x1.de95486d20bfdp-100},  // c_22
    {-0x1.815f72a05f16fp-48, -0x1.a4cb318673048p-103},  // c_23
    {0x1.6198491a83bcdp-50, -0x1.07669bbb14734p-104},  // c_24
    {-0x1.10613dde57a89p-53, 0x1.0ac528c8febccp-107},  // c_25
    {0x1.5e3fee81de0eap-60, -0x1.bf04525509a98p-115},  // c_26
    {0x1.a0dc770fb8a4ap-60, -0x1.92dc0de693e1ep-114},  // c_27
    {-0x1.0f635344a29eap-62, 0x1.c5c86e6ee7520p-120},  // c_28
    {0x1.43d79a4b90ce8p-66, 0x1.1cc98752f9af2p-124},  // c_29
    {0x1.435a100c67b42p-73, 0x1.cc8bd883afb88p-129},  // c_30
    {-0x1.f0aee5efb2fccp-73, 0x1.41119dde8b2c8p-128},  // c_31
    {0x1.089cd2aab3897p-75, -0x1.f245358d858b4p-129},  // c_32
    {-0x1.0c11b581fb5bap-79, -0x1.e8f7ed7596709p-133},  // c_33
    {-0x1.d3919adcde092p-86, -0x1.c1a9cecfd9adfp-140},  // c_34
    {0x1.7165deac7ad6cp-86, 0x1.39182e4a7fb69p-140},  // c_35
    {-0x1.5f78a5e20c673p-89, 0x1.84c301341093bp-144},  // c_36
    {0x1.4906ddab486d4p-93, -0x1.2fc8146bab262p-148},  // c_37
    {0x1.7f2882366310ap-100, -0x1.8771a06aab2d8p-158},  // c_38
    {-0x1.6cf2d002c9bb5p-100, -0x1.d7fd6178119d9p-156},  // c_39
};

/// Temme's gamma1 = (1/Gamma(1-mu) - 1/Gamma(1+mu)) / (2 mu) = -sum_{k odd} c_k mu^(k-1)
/// and gamma2 = (1/Gamma(1-mu) + 1/Gamma(1+mu)) / 2 = sum_{k even} c_k mu^k, by
/// Horner's rule in mu^2: no cancellation as mu tends to 0.
void temme_gammas(const DDReal& mu, DDReal& g1, DDReal& g2) noexcept {
  DDReal m2, odd(0.0), even(0.0);
  DDMUL(mu, mu, m2);
  for (int k = 38; k >= 0; k -= 2) {
    DDMUL(even, m2, even);
    DDADD(even, kRgammaTaylor[k], even);
    DDMUL(odd, m2, odd);
    DDADD(odd, kRgammaTaylor[k + 1], odd);
  }
  DDNEG(odd, g1);
  g2 = even;
}

/// One step of Temme's coefficients at k = di: f_k = (k f + p + q) / (k^2 - mu^2),
/// c_k = c dq / k, p_k = p / (k - mu), q_k = q / (k + mu).
void temme_advance(double di, const DDReal& mu, const DDReal& mu2, const DDReal& dq, DDReal& ff, DDReal& p,
                   DDReal& q, DDReal& c) noexcept {
  DDReal den;
  DDMULD(ff, di, ff);
  DDADD(ff, p, ff);
  DDADD(ff, q, ff);
  DDSUB(DDReal(di * di), mu2, den);
  DDDIV(ff, den, ff);
  DDMUL(c, dq, c);
  DDDIVD(c, di, c);
  DDSUB(DDReal(di), mu, den);
  DDDIV(p, den, p);
  DDADD(DDReal(di), mu, den);
  DDDIV(q, den, q);
}

/// K_{mu+nl}(x) for |mu| <= 1/2, nl >= 0 and 0 < x < 2 by Temme's series
///   K_mu = sum_k c_k f_k,  K_{mu+1} = (2/x) sum_k c_k (p_k - k f_k),
/// c_k = (x^2/4)^k / k!, f_0 = (pi mu / sin pi mu) (gamma1 cosh(sigma) + gamma2 ln(2/x) sinh(sigma)/sigma),
/// sigma = mu ln(2/x), p_0 = e^sigma Gamma(1+mu) / 2, q_0 = e^-sigma Gamma(1-mu) / 2,
/// f_k = (k f_{k-1} + p_{k-1} + q_{k-1}) / (k^2 - mu^2), p_k = p_{k-1} / (k - mu), q_k = q_{k-1} / (k + mu),
/// then the upward recurrence.  Every factor is smooth in mu, so orders next to
/// an integer lose nothing (unlike (I_-nu - I_nu) / sin nu pi).
DDReal k_temme(const DDReal& mu, int nl, const DDReal& x, const char* loop_msg) {
  const DDReal eps = detail::kSeriesEps;
  DDReal x2, d, pi, pimu, mu2, t;
  DDMULD(x, 0.5, x2);
  DDLOG(x2, d);
  DDNEG(d, d);  // ln(2/x)
  DDPI(pi);
  DDMUL(pi, mu, pimu);
  DDMUL(mu, mu, mu2);
  // sin(pi mu) / (pi mu) and, with sigma = mu d, cosh(sigma) and sinh(sigma)/sigma, by their series.
  DDReal sig, sig2, pm2, sinc(1.0), ch(1.0), shc(1.0), ts(1.0), tc(1.0), tsh(1.0);
  DDMUL(mu, d, sig);
  DDMUL(sig, sig, sig2);
  DDMUL(pimu, pimu, pm2);
  for (int k = 1; k <= kBesselMaxTerms; ++k) {
    const double a = 2.0 * k, b = 2.0 * k + 1.0;
    DDMUL(ts, pm2, ts);
    DDDIVD(ts, -(a * b), ts);
    DDADD(sinc, ts, sinc);
    DDMUL(tc, sig2, tc);
    DDDIVD(tc, (a - 1.0) * a, tc);
    DDADD(ch, tc, ch);
    DDMUL(tsh, sig2, tsh);
    DDDIVD(tsh, a * b, tsh);
    DDADD(shc, tsh, shc);
    if (negligible(ts, eps, sinc) && negligible(tc, eps, ch) && negligible(tsh, eps, shc)) break;
  }
  DDReal g1, g2, ff, u, v;
  temme_gammas(mu, g1, g2);
  DDMUL(g1, ch, u);
  DDMUL(g2, shc, v);
  DDMUL(v, d, v);
  DDADD(u, v, u);
  DDDIV(u, sinc, ff);
  DDReal sum = ff, es, gampl, gammi, p, q;
  DDEXP(sig, es);
  DDMUL(mu, g1, t);
  DDSUB(g2, t, gampl);  // 1/Gamma(1+mu)
  DDADD(g2, t, gammi);  // 1/Gamma(1-mu)
  DDMULD(es, 0.5, p);
  DDDIV(p, gampl, p);
  DDMUL(es, gammi, t);
  DDDIV(DDReal(0.5), t, q);
  DDReal c(1.0), dq, sum1 = p;
  DDMUL(x2, x2, dq);
  bool done = false;
  for (int i = 1; i <= kBesselMaxTerms; ++i) {
    const double di = static_cast<double>(i);
    DDReal del, del1;
    temme_advance(di, mu, mu2, dq, ff, p, q, c);
    DDMUL(c, ff, del);
    DDADD(sum, del, sum);
    DDMULD(ff, di, t);
    DDSUB(p, t, t);
    DDMUL(c, t, del1);
    DDADD(sum1, del1, sum1);
    if (negligible(del, eps, sum) && negligible(del1, eps, sum1)) {
      done = true;
      break;
    }
  }
  if (!done) detail::fail(loop_msg);
  DDReal xi, kmu = sum, k1;
  DDDIV(DDReal(2.0), x, xi);  // 2/x
  DDMUL(sum1, xi, k1);
  for (int i = 1; i <= nl; ++i) {
    DDReal w, kn;
    DDADD(mu, DDReal(static_cast<double>(i)), w);
    DDMUL(w, xi, w);
    DDMUL(w, k1, kn);
    DDADD(kn, kmu, kn);
    kmu = k1;
    k1 = kn;
  }
  return kmu;
}

/// sin(pi d) and cos(pi d) for |d| <= 1/4 by their Taylor series: full
/// relative accuracy as d tends to 0, where a cosine-based sine would not have it.
void sincos_pi_small(const DDReal& d, DDReal& sn, DDReal& cs) {
  const DDReal eps = detail::kSeriesEps;
  DDReal pi, t, t2, ts, tc, s, c(1.0);
  DDPI(pi);
  DDMUL(pi, d, t);
  DDMUL(t, t, t2);
  ts = t;
  s = t;
  tc = DDReal(1.0);
  for (int k = 1; k < 100; ++k) {
    const double a = 2.0 * k;
    DDMUL(ts, t2, ts);
    DDDIVD(ts, -(a * (a + 1.0)), ts);
    DDADD(s, ts, s);
    DDMUL(tc, t2, tc);
    DDDIVD(tc, -((a - 1.0) * a), tc);
    DDADD(c, tc, c);
    if (negligible(ts, eps, s) && negligible(tc, eps, c)) break;
  }
  sn = s;
  cs = c;
}

/// sin(t)/t for any t, by its series (alternating; used for |t| <= pi/2).
DDReal sinc_series(const DDReal& t) {
  const DDReal eps = detail::kSeriesEps;
  DDReal t2, term(1.0), s(1.0);
  DDMUL(t, t, t2);
  for (int k = 1; k < 200; ++k) {
    const double a = 2.0 * k;
    DDMUL(term, t2, term);
    DDDIVD(term, -(a * (a + 1.0)), term);
    DDADD(s, term, s);
    if (negligible(term, eps, s)) break;
  }
  return s;
}

/// Y_mu(x), Y_{mu+1}(x) for 0 < |mu| <= 1/2 and 0 < x < 2 by Temme's series
/// (the companion of k_temme):
///   Y_mu = -sum_k c_k (f_k + r q_k),  Y_{mu+1} = -(2/x) sum_k (c_k p_k - k c_k (f_k + r q_k)),
/// c_k = (-x^2/4)^k / k!, f_0 = (2/pi) (pi mu / sin pi mu) (gamma1 cosh sigma + gamma2 ln(2/x) sinh(sigma)/sigma),
/// p_0 = e^sigma / (pi / Gamma(1+mu)), q_0 = e^-sigma Gamma(1-mu) / pi,
/// r = (pi^2 mu / 2) (sin(pi mu/2) / (pi mu/2))^2, and f, p, q recurring as in k_temme.
void y_temme(const DDReal& mu, const DDReal& x, const char* loop_msg, DDReal& ymu, DDReal& y1) {
  const DDReal eps = detail::kSeriesEps;
  DDReal x2, d, pi, pimu, mu2, t;
  DDMULD(x, 0.5, x2);
  DDLOG(x2, d);
  DDNEG(d, d);
  DDPI(pi);
  DDMUL(pi, mu, pimu);
  DDMUL(mu, mu, mu2);
  DDReal sig, sig2, ch(1.0), shc(1.0), tc(1.0), tsh(1.0);
  DDMUL(mu, d, sig);
  DDMUL(sig, sig, sig2);
  for (int k = 1; k <= kBesselMaxTerms; ++k) {
    const double a = 2.0 * k;
    DDMUL(tc, sig2, tc);
    DDDIVD(tc, (a - 1.0) * a, tc);
    DDADD(ch, tc, ch);
    DDMUL(tsh, sig2, tsh);
    DDDIVD(tsh, a * (a + 1.0), tsh);
    DDADD(shc, tsh, shc);
    if (negligible(tc, eps, ch) && negligible(tsh, eps, shc)) break;
  }
  DDReal g1, g2, ff, u, v, two_over_pi;
  temme_gammas(mu, g1, g2);
  DDDIV(DDReal(2.0), pi, two_over_pi);
  DDMUL(g1, ch, u);
  DDMUL(g2, shc, v);
  DDMUL(v, d, v);
  DDADD(u, v, u);
  DDDIV(u, sinc_series(pimu), ff);
  DDMUL(two_over_pi, ff, ff);
  DDReal es, gampl, gammi, p, q, r;
  DDEXP(sig, es);
  DDMUL(mu, g1, t);
  DDSUB(g2, t, gampl);
  DDADD(g2, t, gammi);
  DDMUL(gampl, pi, t);
  DDDIV(es, t, p);
  DDMUL(es, pi, t);
  DDMUL(t, gammi, t);
  DDDIV(DDReal(1.0), t, q);
  DDReal half_pimu, f3;
  DDMULD(pimu, 0.5, half_pimu);
  f3 = sinc_series(half_pimu);
  DDMUL(pi, half_pimu, r);
  DDMUL(r, f3, r);
  DDMUL(r, f3, r);
  DDReal c(1.0), dq, sum, sum1 = p;
  DDMUL(x2, x2, dq);
  DDNEG(dq, dq);
  DDMUL(r, q, t);
  DDADD(ff, t, sum);
  bool done = false;
  for (int i = 1; i <= kBesselMaxTerms; ++i) {
    const double di = static_cast<double>(i);
    DDReal del, del1;
    temme_advance(di, mu, mu2, dq, ff, p, q, c);
    DDMUL(r, q, t);
    DDADD(ff, t, t);
    DDMUL(c, t, del);
    DDADD(sum, del, sum);
    DDMUL(c, p, del1);
    DDMULD(del, di, t);
    DDSUB(del1, t, del1);
    DDADD(sum1, del1, sum1);
    if (negligible(del, eps, sum) && negligible(del1, eps, sum1)) {
      done = true;
      break;
    }
  }
  if (!done) detail::fail(loop_msg);
  DDNEG(sum, ymu);
  DDReal xi;
  DDDIV(DDReal(2.0), x, xi);
  DDMUL(sum1, xi, y1);
  DDNEG(y1, y1);
}

/// p + iq = (J'_mu + i Y'_mu) / (J_mu + i Y_mu) for x >= 2 by Steed's complex
/// continued fraction (the modified Lentz method), |mu| <= 1/2.  It converges
/// geometrically; the loop runs until a step changes p + iq by at most 2^-103,
/// then a quarter as many steps again.
void steed_cf2(const DDReal& mu, const DDReal& x, const char* loop_msg, DDReal& p, DDReal& q) {
  DDReal tol;
  tol = DDReal(0x1p-103);
  DDReal a, xi, br, bi(2.0), fact, cr, ci, den, dr, di, dlr, dli, t, u;
  DDMUL(mu, mu, t);
  DDSUB(DDReal(0.25), t, a);
  DDDIV(DDReal(1.0), x, xi);
  DDMULD(xi, -0.5, p);
  q = DDReal(1.0);
  DDMULD(x, 2.0, br);
  auto cmul_step = [&]() {
    // dl = c * d; (p, q) = (p, q) * dl
    DDMUL(cr, dr, t);
    DDMUL(ci, di, u);
    DDSUB(t, u, dlr);
    DDMUL(cr, di, t);
    DDMUL(ci, dr, u);
    DDADD(t, u, dli);
    DDReal np, nq;
    DDMUL(p, dlr, t);
    DDMUL(q, dli, u);
    DDSUB(t, u, np);
    DDMUL(p, dli, t);
    DDMUL(q, dlr, u);
    DDADD(t, u, nq);
    p = np;
    q = nq;
  };
  DDMUL(p, p, t);
  DDMUL(q, q, u);
  DDADD(t, u, den);
  DDMUL(a, xi, fact);
  DDDIV(fact, den, fact);
  DDMUL(q, fact, t);
  DDADD(br, t, cr);
  DDMUL(p, fact, t);
  DDADD(bi, t, ci);
  DDMUL(br, br, t);
  DDMUL(bi, bi, u);
  DDADD(t, u, den);
  DDDIV(br, den, dr);
  DDDIV(bi, den, di);
  DDNEG(di, di);
  cmul_step();
  int last = kBesselMaxTerms;
  for (int i = 2; i <= last; ++i) {
    DDADD(a, DDReal(2.0 * (i - 1)), a);
    DDADD(bi, DDReal(2.0), bi);
    DDMUL(a, dr, t);
    DDADD(t, br, dr);
    DDMUL(a, di, t);
    DDADD(t, bi, di);
    DDMUL(cr, cr, t);
    DDMUL(ci, ci, u);
    DDADD(t, u, den);
    DDDIV(a, den, fact);
    DDMUL(cr, fact, t);
    DDADD(br, t, cr);
    DDMUL(ci, fact, t);
    DDSUB(bi, t, ci);
    DDMUL(dr, dr, t);
    DDMUL(di, di, u);
    DDADD(t, u, den);
    DDDIV(dr, den, dr);
    DDDIV(di, den, di);
    DDNEG(di, di);
    cmul_step();
    if (last == kBesselMaxTerms) {
      DDReal e1, e2;
      DDSUB(dlr, DDReal(1.0), e1);
      DDABS(e1, e1);
      DDABS(dli, e2);
      int c1, c2;
      DDCOMPARE(e1, tol, c1);
      DDCOMPARE(e2, tol, c2);
      if (c1 <= 0 && c2 <= 0) last = i + i / 4 + 2;
    }
    if (i == kBesselMaxTerms && last == kBesselMaxTerms) detail::fail(loop_msg);
  }
}

/// Y_{mu+n}(x) for 0 < |mu| <= 1/2, n >= 0, x > 0, without the division by
/// sin(nu pi): Temme's series below x = 2; from 2 to the switch Y_mu from
/// Steed's fraction and J_mu, J_{mu+1} (Miller's recurrence),
/// Y_mu = (p J_mu - J'_mu) / q, Y'_mu = p Y_mu + q J_mu; then Y_{v+1} = (2v/x) Y_v - Y_{v-1}.
/// Above the switch, Hankel's expansion in its Y form.
DDReal bessel_y_small_fraction(const DDReal& mu, int n, const DDReal& x, const char* loop1, const char* loop2) {
  if (!below_switch(x)) {
    DDReal nu, m4, hp, r;
    DDADD(mu, DDReal(static_cast<double>(n)), nu);
    real_order_hankel_args(nu, m4, hp);
    hankel(m4, hp, x, true, loop2, r);
    return r;
  }
  DDReal ymu, y1, xi;
  DDDIV(DDReal(1.0), x, xi);
  if (x.hi < kBesselKFractionFrom) {
    y_temme(mu, x, loop1, ymu, y1);
  } else {
    DDReal p, q, mu1, jmu, j1, dj, t, u;
    steed_cf2(mu, x, loop1, p, q);
    DDADD(mu, DDReal(1.0), mu1);
    jmu = bessel_j_real_miller(mu, x);
    j1 = bessel_j_real_miller(mu1, x);
    DDMUL(mu, xi, t);
    DDMUL(t, jmu, dj);
    DDSUB(dj, j1, dj);  // J'_mu = (mu/x) J_mu - J_{mu+1}
    DDMUL(p, jmu, u);
    DDSUB(u, dj, u);
    DDDIV(u, q, ymu);
    DDReal dy;
    DDMUL(p, ymu, u);
    DDMUL(q, jmu, dy);
    DDADD(u, dy, dy);   // Y'_mu
    DDMUL(t, ymu, y1);
    DDSUB(y1, dy, y1);  // Y_{mu+1} = (mu/x) Y_mu - Y'_mu
  }
  if (n == 0) return ymu;
  DDReal two_xi;
  DDMULD(xi, 2.0, two_xi);
  for (int k = 1; k < n; ++k) {
    DDReal v, w, yn;
    DDADD(mu, DDReal(static_cast<double>(k)), v);
    DDMUL(v, two_xi, w);
    DDMUL(w, y1, yn);
    DDSUB(yn, ymu, yn);
    ymu = y1;
    y1 = yn;
  }
  return y1;
}

bool in_k_fraction_range(const DDReal& x) noexcept { return x.hi >= kBesselKFractionFrom && x.hi < kBesselSwitch; }

}  // namespace

namespace {
/// Starting order of Miller's recurrence for orders up to n at x.
int miller_start(int n, const DDReal& x) {
  const double m = std::max(static_cast<double>(n), x.hi);
  int start = static_cast<int>(m + 20.0 + 20.0 * std::cbrt(m));
  return start + (start & 1);
}
}  // namespace

void detail::bessel_j_table(const DDReal& x, int n, std::vector<DDReal>& j) {
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

void detail::bessel_j_sums(const DDReal& x, int n, BesselJSums& out, bool with_sums, LogSteps* side) {
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

// ---- J and Y of integer order ------------------------------------------------------------

void DDBESSELJNR(int nu, const DDReal& rr, DDReal& zz) {
  if (rr.hi == 0.0) detail::fail(msg::kBesselJnrZero);
  const int n = nu < 0 ? -nu : nu;
  DDReal x, r;
  DDABS(rr, x);
  if (in_miller_range(x)) {
    detail::BesselJSums js;
    detail::bessel_j_sums(x, n, js, false);
    r = js.jn;
  } else if (below_switch(rr)) {
    integer_order_series(n, x, true, msg::kBesselJnrLoop1, r);
  } else {
    DDReal mu, hp;
    integer_order_hankel_args(n, mu, hp);
    hankel(mu, hp, x, false, msg::kBesselJnrLoop2, r);
  }
  if ((nu & 1) != 0 && ((nu < 0) != (rr.hi < 0.0))) DDNEG(r, r);
  zz = r;
}

void DDBESSELYNR(int nu, const DDReal& rr, DDReal& zz) {
  if (rr.hi == 0.0) detail::fail(msg::kBesselYnrZero);
  const int n = nu < 0 ? -nu : nu;
  DDReal x, r;
  DDABS(rr, x);
  if (in_miller_range(x)) {
    r = bessel_y_neumann(n, x);
  } else if (below_switch(rr)) {
    // J_n(x) here is DDBESSELJNR's power series (0 < x < 8, n >= 0): its sum
    // times (x/2)^n, summed beside the psi-weighted series.
    const DDReal q = quarter_square(x);
    DDReal h, p, a, l, j, js, rs;
    DDMULD(x, 0.5, h);
    DDNPWR(h, n, p);
    a = finite_sum(n, q, false);
    DDNEG(a, a);
    DDDIV(a, p, a);
    // ln(x/2) is formed step by step beside the two series where the
    // logarithm's Newton steps stay in range (x from about 1e-130 up).
    if (detail::LogSteps::applicable(h)) {
      detail::LogSteps ls(h);
      y_power_series_sums(n, q, js, rs, &ls);
      l = ls.finish();
    } else {
      y_power_series_sums(n, q, js, rs, nullptr);
      DDLOG(h, l);
    }
    DDMULD(l, 2.0, l);
    DDMUL(js, p, j);
    DDMUL(l, j, l);
    DDMUL(p, rs, rs);
    DDNEG(rs, rs);
    DDReal pi;
    DDPI(pi);
    DDADD(a, l, r);
    DDADD(r, rs, r);
    DDDIV(r, pi, r);
  } else {
    DDReal mu, hp;
    integer_order_hankel_args(n, mu, hp);
    hankel(mu, hp, x, true, msg::kBesselYnrLoop2, r);
  }
  if ((nu & 1) != 0 && ((nu < 0) != (rr.hi < 0.0))) DDNEG(r, r);
  zz = r;
}

// ---- J and Y of real order ----------------------------------------------------------------

void DDBESSELJR(const DDReal& nu, const DDReal& rr, DDReal& zz) {
  int n;
  if (integral_order(nu, n)) {
    DDBESSELJNR(n, rr, zz);
    return;
  }
  if (rr.hi <= 0.0) detail::fail(msg::kBesselJrNotPositive);
  const DDReal v = nu;
  DDReal x, r;
  DDABS(rr, x);
  if (in_miller_range(x)) {
    r = bessel_j_real_miller(v, x);
  } else if (below_switch(rr)) {
    real_order_series(v, x, rr, true, msg::kBesselJrLoop1, r);
  } else {
    DDReal mu, hp;
    real_order_hankel_args(v, mu, hp);
    hankel(mu, hp, x, false, msg::kBesselJrLoop2, r);
  }
  zz = r;
}

void DDBESSELYR(const DDReal& nu, const DDReal& rr, DDReal& zz) {
  int n;
  if (integral_order(nu, n)) {
    DDBESSELYNR(n, rr, zz);
    return;
  }
  if (nu.hi < 0.0 && rr.hi <= 0.0) detail::fail(msg::kBesselYrDomain);
  const DDReal v = nu, x = rr;
  if (x.hi > 0.0) {
    // Within 1/8 of an integer m the quotient below divides a cancelled
    // difference by a small sine; take Y_{delta+|m|} directly instead, and
    // for negative orders Y_-a = cos(a pi) Y_a + sin(a pi) J_a.
    DDReal m, delta, ad;
    DDNINT(v, m);
    DDSUB(v, m, delta);
    DDABS(delta, ad);
    if (ad.hi < kBesselYNearInteger) {
      if (v.hi > 0.0) {
        zz = bessel_y_small_fraction(delta, static_cast<int>(m.hi), x, msg::kBesselYrLoop1, msg::kBesselYrLoop2);
        return;
      }
      DDReal a, ma, da, ya, ja, sn, cs, t;
      DDNEG(v, a);
      DDNEG(m, ma);
      DDNEG(delta, da);  // a = ma + da
      ya = bessel_y_small_fraction(da, static_cast<int>(ma.hi), x, msg::kBesselYrLoop1, msg::kBesselYrLoop2);
      DDBESSELJR(a, x, ja);
      sincos_pi_small(da, sn, cs);
      if ((static_cast<long long>(ma.hi) & 1) != 0) {
        DDNEG(sn, sn);
        DDNEG(cs, cs);
      }
      DDMUL(cs, ya, t);
      DDMUL(sn, ja, sn);
      DDADD(t, sn, zz);
      return;
    }
  }
  DDReal pi, a, cs, sn, jp, jm, mv, r;
  DDPI(pi);
  DDMUL(v, pi, a);
  DDCSSNR(a, cs, sn);
  DDBESSELJR(v, x, jp);
  DDNEG(v, mv);
  DDBESSELJR(mv, x, jm);
  DDMUL(jp, cs, r);
  DDSUB(r, jm, r);
  DDDIV(r, sn, zz);
}

// ---- I and K of integer order ---------------------------------------------------------------

void DDBESSELINR(int nu, const DDReal& rr, DDReal& zz) {
  if (rr.hi == 0.0) detail::fail(msg::kBesselInrZero);
  if (std::fabs(rr.hi) > kBesselIMaxArg) detail::fail(msg::kBesselInrTooLarge, {kBesselIMaxArg});
  const int n = nu < 0 ? -nu : nu;
  DDReal x, r;
  DDABS(rr, x);
  if (below_switch(rr)) {
    integer_order_series(n, x, false, msg::kBesselInrLoop1, r);
  } else {
    const double dn = static_cast<double>(n);
    ik_asymptotic(DDReal((dn * dn) * 4.0), x, false, msg::kBesselInrLoop2, r);
  }
  if (rr.hi < 0.0 && (nu & 1) != 0) DDNEG(r, r);
  zz = r;
}

void DDBESSELKNR(int nu, const DDReal& rr, DDReal& zz) {
  if (rr.hi == 0.0) detail::fail(msg::kBesselKnrZero);
  const int n = nu < 0 ? -nu : nu;
  DDReal x, r;
  DDABS(rr, x);
  if (in_k_fraction_range(x)) {
    r = k_fraction(DDReal(0.0), n, x, msg::kBesselKnrLoop1);
  } else if (below_switch(rr)) {
    const DDReal q = quarter_square(x);
    const bool odd = (n & 1) != 0;
    DDReal h, p, a, l, i, rs;
    DDMULD(x, 0.5, h);
    DDNPWR(h, n, p);
    a = finite_sum(n, q, true);
    DDMULD(a, 0.5, a);
    DDDIV(a, p, a);
    DDLOG(h, l);
    DDMULD(l, odd ? 1.0 : -1.0, l);
    DDBESSELINR(n, x, i);
    DDMUL(l, i, l);
    rs = psi_series(n, q, false, msg::kBesselKnrLoop1);
    DDReal ps;
    DDMULD(p, odd ? -0.5 : 0.5, ps);
    DDMUL(ps, rs, rs);
    DDADD(a, l, r);
    DDADD(r, rs, r);
  } else {
    const double dn = static_cast<double>(n);
    ik_asymptotic(DDReal((dn * dn) * 4.0), x, true, msg::kBesselKnrLoop2, r);
  }
  if (rr.hi < 0.0 && (nu & 1) != 0) DDNEG(r, r);
  zz = r;
}

// ---- I and K of real order -------------------------------------------------------------------

void DDBESSELIR(const DDReal& nu, const DDReal& rr, DDReal& zz) {
  int n;
  if (integral_order(nu, n)) {
    DDBESSELINR(n, rr, zz);
    return;
  }
  if (nu.hi < 0.0 && rr.hi <= 0.0) detail::fail(msg::kBesselIrDomain);
  if (std::fabs(rr.hi) > kBesselIMaxArg) detail::fail(msg::kBesselIrTooLarge, {kBesselIMaxArg});
  const DDReal v = nu;
  DDReal x, r;
  DDABS(rr, x);
  if (below_switch(rr)) {
    real_order_series(v, x, x, false, msg::kBesselIrLoop1, r);
  } else {
    DDReal mu;
    DDMUL(v, v, mu);
    DDMULD(mu, 4.0, mu);
    ik_asymptotic(mu, x, false, msg::kBesselIrLoop2, r);
  }
  zz = r;
}

void DDBESSELKR(const DDReal& nu, const DDReal& rr, DDReal& zz) {
  int n;
  if (integral_order(nu, n)) {
    DDBESSELKNR(n, rr, zz);
    return;
  }
  if (nu.hi < 0.0 && rr.hi <= 0.0) detail::fail(msg::kBesselKrDomain);
  const DDReal v = nu, x = rr;
  if (x.hi > 0.0 && !below_switch(x)) {
    // K_nu(x) ~ sqrt(pi/(2x)) e^{-x} sum_k prod_j (mu - (2j-1)^2) / (k! (8x)^k), mu = 4 nu^2.
    DDReal mu;
    DDMUL(v, v, mu);
    DDMULD(mu, 4.0, mu);
    ik_asymptotic(mu, x, true, msg::kBesselKrLoop2, zz);
    return;
  }
  if (in_k_fraction_range(x)) {
    // K_{-nu} = K_nu: split |nu| = nl + mu with nl the nearest integer.
    DDReal av, nl_dd, mu;
    DDABS(v, av);
    DDNINT(av, nl_dd);
    DDSUB(av, nl_dd, mu);
    zz = k_fraction(mu, static_cast<int>(nl_dd.hi), x, msg::kBesselKrLoop1);
    return;
  }
  if (x.hi > 0.0) {
    // 0 < x < 2: Temme's series, |nu| = nl + mu as above.
    DDReal av, nl_dd, mu;
    DDABS(v, av);
    DDNINT(av, nl_dd);
    DDSUB(av, nl_dd, mu);
    zz = k_temme(mu, static_cast<int>(nl_dd.hi), x, msg::kBesselKrLoop1);
    return;
  }
  // x <= 0: refused by DDBESSELIR, as K = (pi/2) (I_{-nu} - I_nu) / sin(nu pi) would.
  DDReal mv, im, ip, pi, a, cs, sn, r;
  DDNEG(v, mv);
  DDBESSELIR(mv, x, im);
  DDBESSELIR(v, x, ip);
  DDPI(pi);
  DDMUL(v, pi, a);
  DDCSSNR(a, cs, sn);
  DDSUB(im, ip, r);
  DDDIV(r, sn, r);
  DDMUL(pi, r, r);
  DDMULD(r, 0.5, zz);
}

}  // namespace dd
