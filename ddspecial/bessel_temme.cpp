// Bessel functions of orders next to an integer without a division by
// sin(nu pi): Temme's series for K and Y below x = 2, Steed's continued
// fractions (K, and Y through J) from 2 up to the switch.
#include "ddspecial/bessel_impl.hpp"

#include <cmath>

#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"
#include "ddspecial/series.hpp"

namespace dd::detail::bessel {

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
  run_series(kBesselMaxTerms, loop_msg, [&](int i) {
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
    return negligible(dels, eps, s);
  });
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
  return climb_k(mu, nl, xi, kmu, k1);
}

DDReal climb_k(const DDReal& mu, int nl, const DDReal& xi, DDReal kmu, DDReal k1, int* shift) {
  for (int i = 1; i <= nl; ++i) {
    if (shift != nullptr && std::fabs(k1.hi) > 0x1p500) {
      scale(kmu, 0x1p-500);
      scale(k1, 0x1p-500);
      *shift += 500;
    }
    if (std::fabs(kmu.hi) > kSplitLimit) return DDReal(HUGE_VAL);
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

DDReal climb_y(const DDReal& mu, int n, const DDReal& xi, DDReal ymu, DDReal y1) {
  if (n == 0) return ymu;
  DDReal two_xi;
  DDMULD(xi, 2.0, two_xi);
  for (int k = 1; k < n; ++k) {
    if (std::fabs(y1.hi) > kSplitLimit) return DDReal(-HUGE_VAL);
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

namespace {

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

}  // namespace

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
  run_series(kBesselMaxTerms, loop_msg, [&](int k) {
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
    return negligible(ts, eps, sinc) && negligible(tc, eps, ch) && negligible(tsh, eps, shc);
  });
  DDReal g1, g2, ff, u, v;
  temme_gammas(mu, g1, g2);
  DDMUL(g1, ch, u);
  DDMUL(g2, shc, v);
  DDMUL(v, d, v);
  DDADD(u, v, u);
  DDDIV(u, sinc, ff);
  DDReal sum = ff, es, gampl, gammi, p, q;
  es = exp_wide(sig);  // DDEXP within its range
  DDMUL(mu, g1, t);
  DDSUB(g2, t, gampl);  // 1/Gamma(1+mu)
  DDADD(g2, t, gammi);  // 1/Gamma(1-mu)
  DDMULD(es, 0.5, p);
  DDDIV(p, gampl, p);
  DDMUL(es, gammi, t);
  DDDIV(DDReal(0.5), t, q);
  DDReal c(1.0), dq, sum1 = p;
  DDMUL(x2, x2, dq);
  run_series(kBesselMaxTerms, loop_msg, [&](int i) {
    const double di = static_cast<double>(i);
    DDReal del, del1;
    temme_advance(di, mu, mu2, dq, ff, p, q, c);
    DDMUL(c, ff, del);
    DDADD(sum, del, sum);
    DDMULD(ff, di, t);
    DDSUB(p, t, t);
    DDMUL(c, t, del1);
    DDADD(sum1, del1, sum1);
    return negligible(del, eps, sum) && negligible(del1, eps, sum1);
  });
  DDReal xi, kmu = sum, k1;
  DDDIV(DDReal(2.0), x, xi);  // 2/x
  DDMUL(sum1, xi, k1);
  for (int i = 1; i <= nl; ++i) {
    if (std::fabs(kmu.hi) > kSplitLimit) return DDReal(HUGE_VAL);
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

namespace {

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
  run_series(kBesselMaxTerms, loop_msg, [&](int k) {
    const double a = 2.0 * k;
    DDMUL(tc, sig2, tc);
    DDDIVD(tc, (a - 1.0) * a, tc);
    DDADD(ch, tc, ch);
    DDMUL(tsh, sig2, tsh);
    DDDIVD(tsh, a * (a + 1.0), tsh);
    DDADD(shc, tsh, shc);
    return negligible(tc, eps, ch) && negligible(tsh, eps, shc);
  });
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
  es = exp_wide(sig);  // DDEXP within its range
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
  run_series(kBesselMaxTerms, loop_msg, [&](int i) {
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
    return negligible(del, eps, sum) && negligible(del1, eps, sum1);
  });
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

}  // namespace

/// Y_{mu+n}(x) for 0 < |mu| <= 1/2, n >= 0, x > 0, without the division by
/// sin(nu pi): Temme's series below x = 2; from 2 to the switch Y_mu from
/// Steed's fraction and J_mu, J_{mu+1} (Miller's recurrence),
/// Y_mu = (p J_mu - J'_mu) / q, Y'_mu = p Y_mu + q J_mu; then Y_{v+1} = (2v/x) Y_v - Y_{v-1}.
/// Above the switch, Hankel's expansion in its Y form.
DDReal bessel_y_small_fraction(const DDReal& mu, int n, const DDReal& x, const char* loop1, const char* loop2) {
  DDReal ymu, y1, xi;
  if (!below_switch(x)) {
    DDReal nu, m4, hp, r;
    DDADD(mu, DDReal(static_cast<double>(n)), nu);
    real_order_hankel_args(nu, m4, hp);
    if (hankel(m4, hp, x, true, loop2, r)) return r;
    // The order is too large for the expansion: Y_mu and Y_{mu+1} from it, then upward.
    DDReal mu1;
    DDADD(mu, DDReal(1.0), mu1);
    real_order_hankel_args(mu, m4, hp);
    hankel(m4, hp, x, true, loop2, ymu);
    real_order_hankel_args(mu1, m4, hp);
    hankel(m4, hp, x, true, loop2, y1);
    DDDIV(DDReal(1.0), x, xi);
    return climb_y(mu, n, xi, ymu, y1);
  }
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
  return climb_y(mu, n, xi, ymu, y1);
}

}  // namespace dd::detail::bessel
