// Hurwitz zeta function.
//
// DDHURWITZZETAN uses the expansion in regularized incomplete gamma functions
// P1(x) = Gamma(s/2, x) / Gamma(s/2) and P2(x) = Gamma((1+s)/2, x) / Gamma((1+s)/2):
//   zeta(s, a) = pi^(s/2) / ((s-1) Gamma(s/2))
//              + 1/2 sum_{n in Z} (P1(pi (n+a)^2) + sign(n+a) P2(pi (n+a)^2)) / |n+a|^s
//              + pi^(s-1/2) sum_{k>=1} (Gamma((1-s)/2, pi k^2) cos(2 pi k a) / Gamma(s/2)
//                                      + Gamma(1 - s/2, pi k^2) sin(2 pi k a) / Gamma((1+s)/2)) k^(s-1),
// whose terms fall like e^(-pi k^2): six or seven steps give full precision.
//
// DDHURWITZZETANBE shifts a up to N = a + m >= 19.1455 and applies
// Euler-Maclaurin summation from N with the even-Bernoulli table.
#include "ddspecial/hurwitz.hpp"

#include <algorithm>
#include <cmath>

#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddspecial/bernoulli.hpp"
#include "ddspecial/gamma.hpp"
#include "ddspecial/incgamma.hpp"

namespace dd {

namespace {

constexpr int kHurwitzMaxSteps = 1000000;
constexpr int kHurwitzTableMinimum = 44;
/// DDHURWITZZETANBE sums directly above this order.
constexpr int kHurwitzDirectAbove = 16;
/// The Euler-Maclaurin starting point: N = a + m is at least this.
constexpr double kHurwitzShiftTo = 19.1455077242292;

bool small_against(const DDReal& term, const DDReal& eps, const DDReal& sum) {
  DDReal at, es;
  DDABS(term, at);
  DDMUL(eps, sum, es);
  DDABS(es, es);
  int ic;
  DDCOMPARE(at, es, ic);
  return ic <= 0;
}

/// pi x^2.
void pi_sq(const DDReal& pi, const DDReal& x, DDReal& r) {
  DDReal xx;
  DDMUL(x, x, xx);
  DDMUL(pi, xx, r);
}

/// (P1(x) + sign P2(x)) with P = Gamma(h, x) / G.
void p_pair(const DDReal& h1, const DDReal& g1, const DDReal& h2, const DDReal& g2, const DDReal& x, bool add,
            DDReal& r) {
  DDReal a, b;
  DDINCGAMMAR(h1, x, a);
  DDDIV(a, g1, a);
  DDINCGAMMAR(h2, x, b);
  DDDIV(b, g2, b);
  if (add) {
    DDADD(a, b, r);
  } else {
    DDSUB(a, b, r);
  }
}

}  // namespace

void DDHURWITZZETAN(int IS, const DDReal& AA, DDReal& z) {
  if (IS <= 0) detail::fail(msg::kHurwitzIsNotPositive);
  if (IS == 1) detail::fail(msg::kHurwitzIsOne);
  int c0, c1;
  DDCOMPARE(AA, DDReal(0.0, 0.0), c0);
  DDCOMPARE(AA, DDReal(1.0, 0.0), c1);
  if (c0 <= 0 || c1 >= 0) detail::fail(msg::kHurwitzRange);
  const DDReal a = AA;

  DDReal eps;
  DDNPWR(DDReal(2.0), -106, eps);
  const DDReal s(static_cast<double>(IS), 0.0);
  DDReal h1, h2, h3, h4, g1, g2;
  DDMULD(s, 0.5, h1);
  DDADD(DDReal(1.0, 0.0), s, h2);
  DDMULD(h2, 0.5, h2);
  DDSUB(DDReal(1.0, 0.0), s, h3);
  DDMULD(h3, 0.5, h3);
  DDSUB(DDReal(1.0, 0.0), h1, h4);
  DDGAMMAR(h1, g1);
  DDGAMMAR(h2, g2);

  DDReal pi;
  DDPI(pi);
  DDReal x, s1, pw;
  pi_sq(pi, a, x);
  p_pair(h1, g1, h2, g2, x, true, s1);
  DDReal absa;
  DDABS(a, absa);
  DDNPWR(absa, IS, pw);
  DDDIV(s1, pw, s1);
  DDReal s2(0.0, 0.0), s3(0.0, 0.0);

  bool done = false;
  for (int k = 1; k <= kHurwitzMaxSteps; ++k) {
    const DDReal dk(static_cast<double>(k), 0.0);
    DDReal u1, u2, u3, v, av;
    DDADD(dk, a, v);
    pi_sq(pi, v, x);
    p_pair(h1, g1, h2, g2, x, true, u1);
    DDABS(v, av);
    DDNPWR(av, IS, pw);
    DDDIV(u1, pw, u1);

    DDSUB(a, dk, v);
    pi_sq(pi, v, x);
    p_pair(h1, g1, h2, g2, x, false, u2);
    DDABS(v, av);
    DDNPWR(av, IS, pw);
    DDDIV(u2, pw, u2);

    DDReal angle, cs, sn, ga, gb;
    DDMULD(pi, 2.0 * static_cast<double>(k), angle);
    DDMUL(angle, a, angle);
    DDCSSNR(angle, cs, sn);
    pi_sq(pi, dk, x);
    DDINCGAMMAR(h3, x, ga);
    DDMUL(ga, cs, ga);
    DDDIV(ga, g1, ga);
    DDINCGAMMAR(h4, x, gb);
    DDMUL(gb, sn, gb);
    DDDIV(gb, g2, gb);
    DDADD(ga, gb, u3);
    DDNPWR(dk, 1 - IS, pw);
    DDDIV(u3, pw, u3);

    DDADD(s1, u1, s1);
    DDADD(s2, u2, s2);
    DDADD(s3, u3, s3);
    if (small_against(u1, eps, s1) && small_against(u2, eps, s2) && small_against(u3, eps, s3)) {
      done = true;
      break;
    }
  }
  if (!done) detail::fail(msg::kHurwitzLoopEnd);

  DDReal ppow, sqpi, l, den;
  DDSQRT(pi, sqpi);
  if (IS % 2 == 1) {
    DDNPWR(pi, (IS - 1) / 2, ppow);
    DDMUL(ppow, sqpi, ppow);
  } else {
    DDNPWR(pi, IS / 2, ppow);
  }
  DDSUB(s, DDReal(1.0, 0.0), den);
  DDMUL(den, g1, den);
  DDDIV(ppow, den, l);

  DDReal r, t;
  DDMULD(s1, 0.5, t);
  DDADD(l, t, r);
  DDMULD(s2, 0.5, t);
  DDADD(r, t, r);
  DDReal pis;
  DDNPWR(pi, IS, pis);
  DDDIV(pis, sqpi, pis);
  DDMUL(pis, s3, t);
  DDADD(r, t, z);
}

void DDHURWITZZETANBE(int NB2, const DDReal* table, int ISS, const DDReal& AA, DDReal& z) {
  detail::check_bernoulli_table(NB2, table, kHurwitzTableMinimum, msg::kHurwitzBeTable);
  if (ISS <= 0) detail::fail(msg::kHurwitzBeIssNotPositive);
  if (ISS == 1) detail::fail(msg::kHurwitzBeIssOne);
  if (DDSIGN(AA) < 0) detail::fail(msg::kHurwitzBeNegative);
  if (DDSIGN(AA) == 0) detail::fail(msg::kHurwitzBeZero);
  const DDReal a = AA;
  DDReal eps;
  DDNPWR(DDReal(2.0), -106, eps);

  if (ISS > kHurwitzDirectAbove) {
    DDReal sum(0.0, 0.0);
    for (int i = 0; i <= kHurwitzMaxSteps; ++i) {
      DDReal v, p, term;
      DDADD(a, DDReal(static_cast<double>(i), 0.0), v);
      DDNPWR(v, ISS, p);
      DDDIV(DDReal(1.0, 0.0), p, term);
      DDADD(sum, term, sum);
      if (small_against(term, eps, sum)) {
        z = sum;
        return;
      }
    }
    detail::fail(msg::kHurwitzBeLoop1);
  }

  const int m = static_cast<int>(std::max(0.0, kHurwitzShiftTo - a.hi));
  DDReal s1(0.0, 0.0);
  for (int i = 0; i <= m - 1; ++i) {
    DDReal v, p, term;
    DDADD(a, DDReal(static_cast<double>(i), 0.0), v);
    DDNPWR(v, ISS, p);
    DDDIV(DDReal(1.0, 0.0), p, term);
    DDADD(s1, term, s1);
  }
  DDReal n;
  DDADD(a, DDReal(static_cast<double>(m), 0.0), n);
  DDReal s2, s3, p;
  DDNPWR(n, ISS - 1, p);
  DDMULD(p, static_cast<double>(ISS - 1), s2);
  DDDIV(DDReal(1.0, 0.0), s2, s2);
  DDNPWR(n, ISS, p);
  DDMULD(p, 2.0, s3);
  DDDIV(DDReal(1.0, 0.0), s3, s3);

  DDReal sigma(static_cast<double>(ISS), 0.0), f(1.0, 0.0), q, n2, s4(0.0, 0.0);
  DDNPWR(n, ISS - 1, q);
  DDMUL(n, n, n2);
  // The correction sum is tested against itself; for ISS 13 to 16 and small a
  // it is too small a part of the result for its terms to fall to 2^-106 of
  // it before the table ends.  The sum as it stood at the first term below
  // 2^-106 of the whole then serves instead.
  DDReal head;
  DDADD(s1, s2, head);
  DDADD(head, s3, head);
  const double whole = std::fabs(head.hi);
  bool have_fallback = false;
  DDReal fallback;
  bool done = false;
  for (int k = 1; k <= NB2; ++k) {
    const double j = static_cast<double>(ISS + 2 * k - 3);
    if (k > 1) {
      DDMULD(sigma, j, sigma);
      DDMULD(sigma, j + 1.0, sigma);
    }
    DDMULD(f, static_cast<double>(2 * k - 1), f);
    DDMULD(f, static_cast<double>(2 * k), f);
    DDMUL(q, n2, q);
    DDReal num, den, term;
    DDMUL(table[k - 1], sigma, num);
    DDMUL(f, q, den);
    DDDIV(num, den, term);
    DDADD(s4, term, s4);
    if (small_against(term, eps, s4)) {
      done = true;
      break;
    }
    if (!have_fallback && std::fabs(term.hi) <= 0x1p-106 * whole) {
      have_fallback = true;
      fallback = s4;
    }
  }
  if (!done) {
    if (!have_fallback) detail::fail(msg::kHurwitzBeLoop2);
    s4 = fallback;
  }
  DDReal r;
  DDADD(s1, s2, r);
  DDADD(r, s3, r);
  DDADD(r, s4, z);
}

}  // namespace dd
