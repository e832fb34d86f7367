// J and Y of large order beside the turning point by the uniform expansion
// in Airy functions, where the three-term recurrence across the band would
// take too many steps or, beyond x = 2^48, start below the band.
//
//   J_nu(x) = c Phi(w) [Ai(t) (1 + A_1 / nu^2) + Ai'(t) B_0 / nu^(4/3)],
//   Y_nu(x) = -c Phi(w) [Bi(t) (1 + A_1 / nu^2) + Bi'(t) B_0 / nu^(4/3)],
//
// w = (nu - x) / nu, c = (2/nu)^(1/3), t = nu^(2/3) zeta = c (nu - x) Z(w), with
// Z, Phi, A_1 and B_0 power series in w (tools/bessel_airy.py).  The terms
// left out, A_2 / nu^4 and B_1 Ai'/Ai / nu^(10/3), are below 1e-3 nu^(-10/3)
// sqrt(|t|) relative to the envelope: 2^-140 at the lowest order taken.
#include <cmath>
#include <initializer_list>
#include <iterator>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/kernels.hpp"
#include "ddspecial/bessel_airy_impl.hpp"
#include "ddspecial/bessel_debye_impl.hpp"
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
/// 2/3 in three doubles.
constexpr double kTwoThirds[3] = {0x1.5555555555555p-1, 0x1.5555555555555p-55, 0x1.5555555555555p-109};

/// The sum of a few doubles whose total may be far below their sizes, by
/// error-free additions (as good as in twice the precision).
DDReal exact_sum(std::initializer_list<double> v) noexcept {
  double s = 0.0, e = 0.0;
  for (const double x : v) {
    const double t = s + x;
    e += detail::two_sum_err(s, x, t);
    s = t;
  }
  DDReal r;
  detail::quick_two_sum(s, e, r.hi, r.lo);
  return r;
}

/// e^z for |z| up to a few hundred: z = n ln 2 + r with ln 2 in three
/// doubles, n ln 2's words exact products, r gathered by error-free
/// additions, e^r by its Taylor series (DDEXP leaves 2^5.9 units at |r| < 1/2,
/// and its reduction z 2^-107 absolute).
DDReal exp_reduced(const DDReal& z) {
  const double n = std::nearbyint(z.hi / kLn2_3[0]);
  DDReal p0, p1, r;
  DDMULDD(n, kLn2_3[0], p0);
  DDMULDD(n, kLn2_3[1], p1);
  const double a = z.hi - p0.hi;  // exact: z.hi within a factor 2 of p0.hi, or n = 0
  DDADD(DDReal(a), exact_sum({z.lo, -p0.lo, -p1.hi, -p1.lo, -(n * kLn2_3[2])}), r);
  DDReal sum(1.0), term(1.0);
  for (int k = 1; k < 40 && std::fabs(term.hi) > 0x1p-110; ++k) {
    DDMUL(term, r, term);
    DDDIVD(term, static_cast<double>(k), term);
    DDADD(sum, term, sum);
  }
  return scale2(sum, static_cast<int>(n));
}

/// a b - p for p = DDMUL(a, b), to a few units of its own last place.
double product_residual(const DDReal& a, const DDReal& b, const DDReal& p) noexcept {
  const double h = a.hi * b.hi, c1 = a.hi * b.lo, c2 = a.lo * b.hi;
  return exact_sum({h - p.hi, -p.lo, detail::prod_err(a.hi, b.hi, h), c1, c2}).hi +
         ((detail::prod_err(a.hi, b.lo, c1) + detail::prod_err(a.lo, b.hi, c2)) + a.lo * b.lo);
}

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
/// Returns the rounding of zeta (relative error about 2^-105, times zeta up
/// to 200) as the move of t it amounts to: the values are those at t plus it.
double airy_asymptotic(const DDReal& t, bool bi, DDReal& f, DDReal& fp) {
  const bool oscillatory = t.hi < 0.0;
  DDReal s, r, q, m, sr, zeta, iz;
  DDABS(t, s);
  DDSQRT(s, r);
  DDSQRT(r, q);  // s^(1/4)
  DDMUL(r, r, m);
  const double dr = exact_sum({s.hi - m.hi, s.lo, -m.lo, -product_residual(r, r, m)}).hi / (2.0 * r.hi);  // sqrt(s) - r
  DDMUL(s, r, sr);
  const double esr = product_residual(s, r, sr) + s.hi * dr;  // s^(3/2) - sr
  const DDReal two_thirds(kTwoThirds[0], kTwoThirds[1]);
  DDMUL(sr, two_thirds, zeta);
  // zeta less its rounding: (2/3) s^(3/2) = zeta + ez, so the values below are those at |t| - ez / sqrt|t|.
  const double ez = product_residual(sr, two_thirds, zeta) + (sr.hi * kTwoThirds[2] + esr * kTwoThirds[0]);
  const double moved = oscillatory ? ez / r.hi : -ez / r.hi;
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
      e = exp_reduced(zeta);
      DDADD(su[0], su[1], pu);
      DDADD(sv[0], sv[1], pv);
    } else {
      DDNEG(zeta, e);
      e = exp_reduced(e);
      DDMULD(rpi, 2.0, rpi);
      DDSUB(su[0], su[1], pu);
      DDSUB(sv[1], sv[0], pv);  // with Ai's sign
    }
    DDDIV(e, rpi, e);
    DDMUL(e, pu, f);
    DDDIV(f, q, f);
    DDMUL(e, pv, fp);
    DDMUL(fp, q, fp);
    return moved;
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
  return moved;
}

/// a - b for b within a factor 2 of a: the hi words' difference is exact, the
/// rest is gathered by error-free additions; rest = a - b - r.
DDReal near_difference(const DDReal& a, const DDReal& b, double& rest) noexcept {
  const double h = a.hi - b.hi;
  const double l = a.lo - b.lo;
  const double le = detail::two_sum_err(a.lo, -b.lo, l);
  const double s = h + l;
  const double se = detail::two_sum_err(h, l, s);
  const double e = se + le;
  rest = detail::two_sum_err(se, le, e);
  DDReal r;
  detail::quick_two_sum(s, e, r.hi, r.lo);
  return r;
}

/// (2/nu)^(1/3) for nu = m 2^(3k) with m of [1, 8): (m/2)^(-1/3) 2^-k, the
/// root by two Newton steps r <- r + r (1 - a r^3) / 3 from its binary64
/// value; rest = the root less the result, from 1 - a r^3 formed once more
/// with the products' roundings.
DDReal cube_root_of_two_over(const DDReal& nu, double& rest) noexcept {
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
  DDReal r2, r3, ar3;
  DDMUL(r, r, r2);
  DDMUL(r2, r, r3);
  DDMUL(a, r3, ar3);
  const double e3 = product_residual(r2, r, r3) + product_residual(r, r, r2) * r.hi;
  const double e4 = product_residual(a, r3, ar3) + a.hi * e3;  // a r^3 - ar3
  const double rho = -exact_sum({ar3.hi - 1.0, ar3.lo, e4}).hi;  // 1 - a r^3
  rest = std::ldexp(r.hi * rho / 3.0, -k);
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

void airy_functions(const DDReal& t, double dt, bool bi, DDReal& f, DDReal& fp) {
  if (std::fabs(t.hi) <= kAiryTableEnd) {
    airy_taylor(t, bi, f, fp);
  } else {
    dt -= airy_asymptotic(t, bi, f, fp);
  }
  // To first order in dt (below 2^-100 |t|): y(t + dt) = y + y' dt, y'(t + dt) = y' + t y dt.
  DDReal u, v;
  DDMULD(fp, dt, u);
  DDMULD(f, t.hi * dt, v);
  DDADD(f, u, f);
  DDADD(fp, v, fp);
}

DebyeStatus bessel_airy(const DDReal& nu, const DDReal& x, bool want_y, DDReal& out) {
  if (!(nu.hi >= kAiryMinOrder && nu.hi <= detail::kSplitLimit && x.hi >= 0.5 * nu.hi && x.hi <= 2.0 * nu.hi)) {
    return DebyeStatus::refused;
  }
  double d_delta, d_c;  // the roundings of delta and c
  const DDReal delta = near_difference(nu, x, d_delta);
  DDReal w;
  DDDIV(delta, nu, w);
  if (!(std::fabs(w.hi) <= kAiryMaxW)) return DebyeStatus::refused;
  const DDReal c = cube_root_of_two_over(nu, d_c);
  // t = p Z(w) = p + p (Z - 1), p = c delta, with dt = the roundings of both
  // (a relative error of t returns up to |t|^(3/2) = 2^8.2 times larger in Ai).
  DDReal p, zm1, u, t;
  DDMUL(c, delta, p);
  const double dp = product_residual(c, delta, p) + (d_c * delta.hi + c.hi * d_delta);
  DDMUL(series_in_w(kAiryZ + 1, static_cast<int>(std::size(kAiryZ)) - 1, w), w, zm1);
  DDMUL(p, zm1, u);
  DDADD(p, u, t);
  if (!(std::fabs(t.hi) <= kAiryMaxT)) return DebyeStatus::refused;
  const double dt = exact_sum({p.hi - t.hi, u.hi, p.lo, u.lo, -t.lo}).hi + dp * (1.0 + zm1.hi);
  DDReal f, fp;
  airy_functions(t, dt, want_y, f, fp);
  // A_1 / nu^2 = A_1 c^6 / 4 and B_0 / nu^(4/3) = (B_0 / 2^(1/3)) c^4 / 2 (0 where they underflow).
  const double c2 = c.hi * c.hi;
  const double a1 = series_in_w(kAiryA1, static_cast<int>(std::size(kAiryA1)), w.hi) * (c2 * c2 * c2 * 0.25);
  const double b0 = series_in_w(kAiryB0, static_cast<int>(std::size(kAiryB0)), w.hi) * (c2 * c2 * 0.5);
  DDReal v;
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
