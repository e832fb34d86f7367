// Bessel functions by their power series: J_n, I_n, J_nu, I_nu, and the finite
// sum and psi-weighted series of Y_n and K_n.
#include "ddspecial/bessel_impl.hpp"

#include <cmath>
#include <array>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddspecial/gamma.hpp"
#include "ddspecial/series.hpp"

namespace dd::detail::bessel {

// ---- power series shared by J and I ---------------------------------------------

/// sum_k (+-q)^k / (k! (n+k)!) (alternating for J), times (x/2)^n.
bool integer_order_series(int n, const DDReal& x, bool alternate, const char* loop_msg, DDReal& out) {
  const DDReal eps = detail::kSeriesEps;
  const DDReal q = quarter_square(x);
  DDReal f = factorial(n), g(1.0), t(1.0), s, gf;
  DDMUL(g, f, gf);
  DDDIV(t, gf, s);
  run_series(kBesselMaxTerms, loop_msg, [&](int k) {
    DDMULD(g, static_cast<double>(k), g);
    DDMULD(f, static_cast<double>(n + k), f);
    DDMUL(q, t, t);
    if (alternate) DDNEG(t, t);
    DDReal u;
    DDMUL(g, f, gf);
    DDDIV(t, gf, u);
    DDADD(s, u, s);
    if (!std::isfinite(s.hi)) return true;  // the factorials left the binary64 range
    return negligible(u, eps, s);
  });
  if (!std::isfinite(s.hi)) return false;
  DDReal h, p;
  DDMULD(x, 0.5, h);
  DDNPWR(h, n, p);
  DDMUL(s, p, out);
  return true;
}

/// sum_k (+-q)^k / (k! Gamma(nu+k+1)) (alternating for J), times (base/2)^nu by DDPOWER.
bool real_order_series(const DDReal& nu, const DDReal& x, const DDReal& base, bool alternate, const char* loop_msg,
                       DDReal& out) {
  const DDReal eps = detail::kSeriesEps;
  const DDReal q = quarter_square(x);
  DDReal g(1.0), t(1.0), big_g, s, gg, nu1;
  DDADD(nu, DDReal(1.0), nu1);
  DDGAMMAR(nu1, big_g);
  DDMUL(g, big_g, gg);
  DDDIV(t, gg, s);
  run_series(kBesselMaxTerms, loop_msg, [&](int k) {
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
    if (!std::isfinite(s.hi)) return true;  // the gamma values left the binary64 range
    return negligible(u, eps, s);
  });
  if (!std::isfinite(s.hi)) return false;
  DDReal h, p;
  DDMULD(base, 0.5, h);
  if (std::fabs(nu.hi * std::log(h.hi)) < detail::kExpLimit - 10.0) {
    DDPOWER(h, nu, p);
    DDMUL(s, p, out);
    return true;
  }
  // Beyond the exponential's range: (x/2)^nu = p 2^e, applied after the sum.
  DDReal l;
  int e;
  DDLOG(h, l);
  DDMUL(nu, l, l);
  exp_scaled(l, p, e);
  DDMUL(s, p, out);
  out = scale2(out, e);
  return true;
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
  run_series(kBesselMaxTerms, loop_msg, [&](int k) {
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
    return negligible(u, eps, r);
  });
  return r;
}

namespace {

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

}  // namespace

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

}  // namespace dd::detail::bessel
