// J and Y of large order beside the turning point by the uniform expansion
// in Airy functions, where the three-term recurrence across the band would
// take too many steps.
//
//   J_nu(x) = c Phi(w) [Ai(t) (1 + A_1 / nu^2) + Ai'(t) B_0 / nu^(4/3)],
//   Y_nu(x) = -c Phi(w) [Bi(t) (1 + A_1 / nu^2) + Bi'(t) B_0 / nu^(4/3)],
//
// w = (nu - x) / nu, c = (2/nu)^(1/3), t = nu^(2/3) zeta = c (nu - x) Z(w), with
// Z, Phi, A_1 and B_0 power series in w (tools/bessel_airy.py).  The terms
// left out, A_2 / nu^4 and B_1 Ai'/Ai / nu^(10/3), are below 1e-3 nu^(-10/3)
// sqrt(|t|) relative to the envelope: 2^-140 at the lowest order taken.
#include <cmath>
#include <iterator>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/kernels.hpp"
#include "ddspecial/bessel_airy_impl.hpp"
#include "ddspecial/bessel_impl.hpp"

namespace dd::detail::bessel {

namespace {

/// Largest |t| taken from the table; the asymptotic expansions beyond, where
/// their terms fall below 2^-110 within 45 terms (zeta >= 42.6).
constexpr double kAiryTableEnd = kAiryTableHalf / 4.0 + 0.125;
/// Largest |t| taken at all (the band reaches 31.5 nu^(1/3), t = 39.7) and
/// largest |w| (|t| = 45 at order 1e12: the series in w reach 2^-128).
constexpr double kAiryMaxT = 45.0;
constexpr double kAiryMaxW = 4e-7;

/// Ai(t) and Ai'(t) (bi false) or Bi(t) and Bi'(t) for |t| <= kAiryTableEnd by
/// Taylor's series about the nearest t0 = j/4, |h| = |t - t0| <= 1/8: with
/// c_n = a_n h^(n-1), y = a_0 + h sum_{n>=1} c_n and y' = sum_{n>=1} n c_n,
/// and y'' = t y gives c_(n+2) = (t0 h^2 c_n + h^3 c_(n-1)) / ((n+1)(n+2)).
/// Where Ai falls (t0 > 0) the terms alternate: their sum of magnitudes
/// stays below e^(2 sqrt(t0) |h|) <= e^1 times the value.
void airy_taylor(const DDReal& t, bool bi, DDReal& f, DDReal& fp) {
  const double j = std::nearbyint(4.0 * t.hi);
  const double t0 = j / 4.0;
  const double* row = kAiryTable[static_cast<int>(j) + kAiryTableHalf] + (bi ? 4 : 0);
  const DDReal a0(row[0], row[1]), a1(row[2], row[3]);
  DDReal h, h2, p2, h3;
  DDSUB(t, DDReal(t0), h);
  DDMUL(h, h, h2);
  DDMULD(h2, t0, p2);
  DDMUL(h2, h, h3);
  DDReal prev = a1, cur, next, u, v;  // c_1, c_2, c_3
  DDMUL(a0, h, cur);
  DDMULD(cur, t0 * 0.5, cur);
  DDMULD(a1, t0, next);
  DDADD(next, a0, next);
  DDMUL(next, h2, next);
  DDDIVD(next, 6.0, next);
  DDReal sum, dsum;
  DDADD(prev, cur, sum);
  DDADD(sum, next, sum);
  DDMULD(cur, 2.0, u);
  DDADD(prev, u, dsum);
  DDMULD(next, 3.0, u);
  DDADD(dsum, u, dsum);
  const double small = 0x1p-112 * (std::fabs(a0.hi) + std::fabs(a1.hi));
  int quiet = 0;
  for (int n = 2; n < 80 && quiet < 3; ++n) {
    // c_(n+2) from c_n = cur and c_(n-1) = prev.
    DDMUL(p2, cur, u);
    DDMUL(h3, prev, v);
    DDADD(u, v, u);
    DDDIVD(u, static_cast<double>((n + 1) * (n + 2)), u);
    prev = cur;
    cur = next;
    next = u;
    DDADD(sum, next, sum);
    DDMULD(next, static_cast<double>(n + 2), u);
    DDADD(dsum, u, dsum);
    quiet = std::fabs(u.hi) <= small ? quiet + 1 : 0;
  }
  DDMUL(sum, h, sum);
  DDADD(a0, sum, f);
  fp = dsum;
}

/// Ai(t) and Ai'(t) (bi false) or Bi(t) and Bi'(t) for |t| > kAiryTableEnd by
/// their asymptotic expansions, zeta = (2/3) |t|^(3/2), u_k and
/// v_k = -(6k+1)/(6k-1) u_k the expansions' constants:
///   t > 0:  Ai = e^-zeta / (2 sqrt(pi) t^(1/4)) sum (-1)^k u_k / zeta^k,
///           Ai' = -t^(1/4) e^-zeta / (2 sqrt(pi)) sum (-1)^k v_k / zeta^k,
///           Bi, Bi' likewise with e^zeta / sqrt(pi) and all signs +;
///   t = -s: Ai = (C P_u + S Q_u) / (sqrt(pi) s^(1/4)),  Ai' = s^(1/4) (S P_v - C Q_v) / sqrt(pi),
///           Bi = (C Q_u - S P_u) / (sqrt(pi) s^(1/4)),  Bi' = s^(1/4) (C P_v + S Q_v) / sqrt(pi),
/// C, S = cos, sin(zeta - pi/4), P = sum (-1)^k u_2k / zeta^2k, Q = sum (-1)^k u_2k+1 / zeta^(2k+1).
void airy_asymptotic(const DDReal& t, bool bi, DDReal& f, DDReal& fp) {
  const bool oscillatory = t.hi < 0.0;
  DDReal s, r, q, zeta, iz;
  DDABS(t, s);
  DDSQRT(s, r);
  DDSQRT(r, q);  // s^(1/4)
  DDMUL(s, r, zeta);
  DDMULD(zeta, 2.0, zeta);
  DDDIVD(zeta, 3.0, zeta);
  DDDIV(DDReal(1.0), zeta, iz);
  // Even and odd terms apart, each with the sign (-1)^floor(k/2) on the oscillatory side.
  DDReal su[2] = {DDReal(1.0), DDReal(0.0)}, sv[2] = {DDReal(1.0), DDReal(0.0)};
  DDReal term(1.0);
  for (int k = 1; k < 80; ++k) {
    const double kd = k;
    DDMUL(term, iz, term);
    DDMULD(term, (6.0 * kd - 5.0) * (6.0 * kd - 3.0) * (6.0 * kd - 1.0), term);
    DDDIVD(term, (2.0 * kd - 1.0) * 216.0 * kd, term);
    DDReal tv;
    DDMULD(term, -(6.0 * kd + 1.0), tv);
    DDDIVD(tv, 6.0 * kd - 1.0, tv);
    const bool minus = oscillatory && (k / 2) % 2 == 1;
    DDReal tu = term;
    if (minus) {
      DDNEG(tu, tu);
      DDNEG(tv, tv);
    }
    DDADD(su[k % 2], tu, su[k % 2]);
    DDADD(sv[k % 2], tv, sv[k % 2]);
    if (std::fabs(tv.hi) <= 0x1p-112) break;
  }
  DDReal pi, rpi;
  DDPI(pi);
  if (!oscillatory) {
    DDReal e, pu, pv;
    DDSQRT(pi, rpi);
    if (bi) {
      DDEXP(zeta, e);
      DDADD(su[0], su[1], pu);
      DDADD(sv[0], sv[1], pv);
    } else {
      DDNEG(zeta, e);
      DDEXP(e, e);
      DDMULD(rpi, 2.0, rpi);
      DDSUB(su[0], su[1], pu);
      DDSUB(sv[1], sv[0], pv);  // with Ai's sign
    }
    DDDIV(e, rpi, e);
    DDMUL(e, pu, f);
    DDDIV(f, q, f);
    DDMUL(e, pv, fp);
    DDMUL(fp, q, fp);
    return;
  }
  // cos and sin of zeta - pi/4 are (cos + sin) / sqrt 2 and (sin - cos) / sqrt 2.
  DDReal cz, sz, cc, ss;
  detail::cos_sin_accurate(zeta, &cz, &sz);
  DDADD(cz, sz, cc);
  DDSUB(sz, cz, ss);
  DDMULD(pi, 2.0, rpi);
  DDSQRT(rpi, rpi);
  DDReal g, gp;
  if (bi) {
    g = sum_of_products(cc, su[1], ss, su[0], false);
    gp = sum_of_products(cc, sv[0], ss, sv[1], true);
  } else {
    g = sum_of_products(cc, su[0], ss, su[1], true);
    gp = sum_of_products(ss, sv[0], cc, sv[1], false);
  }
  DDDIV(g, rpi, g);
  DDDIV(g, q, f);
  DDDIV(gp, rpi, gp);
  DDMUL(gp, q, fp);
}

/// a - b for b within a factor 2 of a: the hi words' difference is exact, the
/// rest is gathered by error-free additions (about 2^-105 relative).
DDReal near_difference(const DDReal& a, const DDReal& b) noexcept {
  const double h = a.hi - b.hi;
  const double l = a.lo - b.lo;
  const double le = detail::two_sum_err(a.lo, -b.lo, l);
  const double s = h + l;
  const double se = detail::two_sum_err(h, l, s);
  DDReal r;
  detail::quick_two_sum(s, se + le, r.hi, r.lo);
  return r;
}

/// (2/nu)^(1/3) for nu = m 2^(3k) with m of [1, 8): (m/2)^(-1/3) 2^-k, the
/// root by two Newton steps r <- r + r (1 - a r^3) / 3 from its binary64 value.
DDReal cube_root_of_two_over(const DDReal& nu) noexcept {
  const int e = std::ilogb(nu.hi);
  const int k = e >= 0 ? e / 3 : -((2 - e) / 3);
  const DDReal a = scale2(nu, -3 * k - 1);
  DDReal r(1.0 / std::cbrt(a.hi)), u;
  for (int step = 0; step < 2; ++step) {
    DDMUL(r, r, u);
    DDMUL(u, r, u);
    DDMUL(u, a, u);
    DDSUB(DDReal(1.0), u, u);
    DDMUL(u, r, u);
    DDDIVD(u, 3.0, u);
    DDADD(r, u, r);
  }
  return scale2(r, -k);
}

/// sum_i coef[i] w^i over the terms that reach 2^-115 (n at most).
DDReal series_in_w(const double (*coef)[2], int n, const DDReal& w) noexcept {
  int terms = 1;
  for (double p = std::fabs(w.hi); terms < n && p > 0x1p-115; p *= std::fabs(w.hi)) ++terms;
  DDReal s(coef[terms - 1][0], coef[terms - 1][1]);
  for (int i = terms - 2; i >= 0; --i) {
    DDMUL(s, w, s);
    DDADD(s, DDReal(coef[i][0], coef[i][1]), s);
  }
  return s;
}

double series_in_w(const double* coef, int n, double w) noexcept {
  double s = coef[n - 1];
  for (int i = n - 2; i >= 0; --i) s = s * w + coef[i];
  return s;
}

}  // namespace

void airy_functions(const DDReal& t, bool bi, DDReal& f, DDReal& fp) {
  if (std::fabs(t.hi) <= kAiryTableEnd) {
    airy_taylor(t, bi, f, fp);
  } else {
    airy_asymptotic(t, bi, f, fp);
  }
}

DebyeStatus bessel_airy(const DDReal& nu, const DDReal& x, bool want_y, DDReal& out) {
  if (!(nu.hi >= kAiryMinOrder && nu.hi <= detail::kSplitLimit && x.hi >= 0.5 * nu.hi && x.hi <= 2.0 * nu.hi)) {
    return DebyeStatus::refused;
  }
  const DDReal delta = near_difference(nu, x);
  DDReal w;
  DDDIV(delta, nu, w);
  if (!(std::fabs(w.hi) <= kAiryMaxW)) return DebyeStatus::refused;
  const DDReal c = cube_root_of_two_over(nu);
  DDReal t;
  DDMUL(c, delta, t);
  DDMUL(t, series_in_w(kAiryZ, static_cast<int>(std::size(kAiryZ)), w), t);
  if (!(std::fabs(t.hi) <= kAiryMaxT)) return DebyeStatus::refused;
  DDReal f, fp;
  airy_functions(t, want_y, f, fp);
  // A_1 / nu^2 = A_1 c^6 / 4 and B_0 / nu^(4/3) = (B_0 / 2^(1/3)) c^4 / 2 (0 where they underflow).
  const double c2 = c.hi * c.hi;
  const double a1 = series_in_w(kAiryA1, static_cast<int>(std::size(kAiryA1)), w.hi) * (c2 * c2 * c2 * 0.25);
  const double b0 = series_in_w(kAiryB0, static_cast<int>(std::size(kAiryB0)), w.hi) * (c2 * c2 * 0.5);
  DDReal u, v;
  DDMULD(f, a1, u);
  DDMULD(fp, b0, v);
  DDADD(u, v, u);
  DDADD(f, u, f);
  DDMUL(c, series_in_w(kAiryPhi, static_cast<int>(std::size(kAiryPhi)), w), u);
  DDMUL(u, f, out);
  if (want_y) DDNEG(out, out);
  return DebyeStatus::ok;
}

}  // namespace dd::detail::bessel
