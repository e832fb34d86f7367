// Exact values, identities, branch switches and refusals of the gamma, zeta,
// Hurwitz zeta, polygamma and digamma routines.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <climits>
#include <cmath>
#include <functional>
#include <vector>

#include "dd.hpp"
#include "support/bernoulli.hpp"
#include "support/mpfr_ref.hpp"
#include "support/stop_capture.hpp"
#include "support/words.hpp"

namespace {

using dd::DDReal;
using dd::test::Mp;

using dd::test::rel_ulps;

double err_d(const DDReal& got, const DDReal& want) { return rel_ulps(got, Mp(want)); }

DDReal pi() {
  DDReal p;
  dd::DDPI(p);
  return p;
}

// ---- gamma -------------------------------------------------------------------

TEST(gamma, integers_are_exact_factorials) {
  DDReal r;
  dd::DDGAMMAR(DDReal(1.0), r);
  EXPECT_SAME(r, DDReal(1.0, 0.0));
  dd::DDGAMMAR(DDReal(2.0), r);
  EXPECT_SAME(r, DDReal(1.0, 0.0));
  dd::DDGAMMAR(DDReal(5.0), r);
  EXPECT_SAME(r, DDReal(24.0, 0.0));
}

TEST(gamma, half_integers_from_root_pi) {
  DDReal sp, r, want;
  dd::DDSQRT(pi(), sp);
  dd::DDGAMMAR(DDReal(0.5), r);
  EXPECT_LT(err_d(r, sp), 8.0);
  dd::DDGAMMAR(DDReal(-0.5), r);
  dd::DDMULD(sp, -2.0, want);
  EXPECT_LT(err_d(r, want), 8.0);
}

// Near its overflow the plain recurrence products leave the range in which
// the kernels can split a word (from about t = 168); the results must stay
// right up to the binary64 limit and be infinite past it.
TEST(gamma, right_up_to_the_binary64_limit_then_infinite) {
  for (double t : {167.5, 168.0, 168.5, 170.0, 171.0, 171.5, 171.62}) {
    DDReal r;
    dd::DDGAMMAR(DDReal(t), r);
    Mp want;
    mpfr_gamma(want, Mp(DDReal(t)), MPFR_RNDN);
    EXPECT_LT(rel_ulps(r, want), 100.0) << t;
  }
  for (double t : {171.63, 171.9, 180.5, 99999999.5}) {
    DDReal r;
    dd::DDGAMMAR(DDReal(t), r);
    EXPECT_EQ(r.hi, HUGE_VAL) << t;
    EXPECT_EQ(r.lo, 0.0) << t;
  }
}

TEST(gamma, tiny_and_underflowing_arguments_are_not_nan) {
  DDReal r;
  dd::DDGAMMAR(DDReal(1e-300), r);
  Mp want;
  mpfr_gamma(want, Mp(DDReal(1e-300)), MPFR_RNDN);
  EXPECT_LT(rel_ulps(r, want), 4.0);
  dd::DDGAMMAR(DDReal(-1e-300), r);
  mpfr_gamma(want, Mp(DDReal(-1e-300)), MPFR_RNDN);
  EXPECT_LT(rel_ulps(r, want), 4.0);
  dd::DDGAMMAR(DDReal(1e-310), r);
  EXPECT_EQ(r.hi, HUGE_VAL);
  dd::DDGAMMAR(DDReal(-1e-310), r);
  EXPECT_EQ(r.hi, -HUGE_VAL);
  // Gamma(-190.5) is about 1e-351: zero, with the sign of the value.
  dd::DDGAMMAR(DDReal(-190.5), r);
  EXPECT_EQ(r.hi, 0.0);
  EXPECT_TRUE(std::signbit(r.hi));
  // Near integers the sine of pi t is summed directly; within 2^-498 above
  // or 2^-880 below an integer (only the low word differs), Gamma of the
  // fraction comes from its expansion, and the recurrence is scaled.
  const DDReal near[] = {DDReal(1.0 + 0x1p-40), DDReal(5.0 - 0x1p-30), DDReal(-3.0 + 0x1p-35),
                         DDReal(5.0, 1e-200),   DDReal(5.0, -1e-280),  DDReal(-3.0, 1e-200),
                         DDReal(-3.0, -1e-200), DDReal(2.0, 0x1p-1000)};
  for (const DDReal& t : near) {
    dd::DDGAMMAR(t, r);
    Mp exact(t, 2200), g(2200);  // the whole of hi + lo
    mpfr_gamma(g, exact, MPFR_RNDN);
    mpfr_set(want, g, MPFR_RNDN);
    EXPECT_LT(rel_ulps(r, want), 80.0) << t.hi << " + " << t.lo;
  }
  dd::DDGAMMAR(DDReal(-3.0, 0x1p-1070), r);  // about -2^1070 / 6
  EXPECT_EQ(r.hi, -HUGE_VAL);
}

TEST(gamma, domain_refusals) {
  const char* msg =
      "*** DDGAMMAR: input argument must have absolute value <=100000000.,\n"
      "must not be zero, and if negative must not be an integer.";
  DDReal r;
  EXPECT_DD_STOP(dd::DDGAMMAR(DDReal(0.0), r), msg);
  EXPECT_DD_STOP(dd::DDGAMMAR(DDReal(-3.0), r), msg);
  EXPECT_DD_STOP(dd::DDGAMMAR(DDReal(1e8 + 1), r), msg);
  EXPECT_DD_STOP(dd::DDGAMMAR(DDReal(-1e8 - 0.5), r), msg);
  EXPECT_DD_STOP(dd::DDGAMMAR(DDReal(1e200), r), msg);
}

// ---- incomplete gamma and exponential integral ----------------------------------

TEST(incomplete_gamma, s_one_is_the_exponential_bit_for_bit) {
  for (double z : {0.25, 1.0, 10.0, 50.0, 88.29}) {
    DDReal g, e;
    dd::DDINCGAMMAR(DDReal(1.0), DDReal(z), g);
    dd::DDEXP(DDReal(-z), e);
    EXPECT_SAME(g, e);
  }
}

TEST(incomplete_gamma, exponential_integral_values) {
  Mp e1;
  mpfr_eint(e1, Mp(DDReal(-1.0)), MPFR_RNDN);  // -E1(1)
  mpfr_neg(e1, e1, MPFR_RNDN);
  const DDReal E1 = dd::test::to_ddreal(e1);
  EXPECT_NEAR(E1.hi, 0.2193839343955203, 1e-16);
  DDReal g, want, em1;
  dd::DDINCGAMMAR(DDReal(0.0), DDReal(1.0), g);
  EXPECT_LT(rel_ulps(g, e1), 8.0);
  // Gamma(-1, 1) = e^-1 - E1(1); Gamma(-2, 1) = E1(1)/2 (the polynomial 1 - z vanishes).
  dd::DDINCGAMMAR(DDReal(-1.0), DDReal(1.0), g);
  dd::DDEXP(DDReal(-1.0), em1);
  dd::DDSUB(em1, E1, want);
  EXPECT_LT(err_d(g, want), 16.0);
  dd::DDINCGAMMAR(DDReal(-2.0), DDReal(1.0), g);
  dd::DDMULD(E1, 0.5, want);
  EXPECT_LT(err_d(g, want), 16.0);
  DDReal ei;
  dd::DDEXPINT(DDReal(1.0), ei);
  Mp ei1;
  mpfr_eint(ei1, Mp(DDReal(1.0)), MPFR_RNDN);
  EXPECT_NEAR(ei.hi, 1.895117816355937, 1e-15);
  EXPECT_LT(rel_ulps(ei, ei1), 16.0);
  dd::DDEXPINT(DDReal(-1.0), ei);
  dd::DDINCGAMMAR(DDReal(0.0), DDReal(1.0), g);
  EXPECT_EQ(ei.hi, -g.hi);
  EXPECT_EQ(ei.lo, -g.lo);
}

// Both sides of the switch to the asymptotic series at |z| = 88.298, and Ei
// beyond it, where the power of the negative z is the integer power 1/z and
// e^x past 300 comes from e^(x/4).
TEST(incomplete_gamma, across_the_asymptotic_switch_and_large_ei) {
  for (double s : {0.0, 2.5, -1.5, 3.0}) {
    for (double z : {88.29, 88.3}) {
      DDReal g;
      dd::DDINCGAMMAR(DDReal(s), DDReal(z), g);
      Mp want;
      mpfr_gamma_inc(want, Mp(DDReal(s)), Mp(DDReal(z)), MPFR_RNDN);
      EXPECT_LT(rel_ulps(g, want), 300.0) << s << " " << z;
    }
  }
  for (double x : {88.29, 88.3, 100.0, 299.0, 301.0, 500.0, 689.0, -88.3, -300.5, -600.0}) {
    DDReal y;
    dd::DDEXPINT(DDReal(x), y);
    Mp want;
    mpfr_eint(want, Mp(DDReal(x)), MPFR_RNDN);
    EXPECT_LT(rel_ulps(y, want), 400.0) << x;
  }
}

// For z between about 20 and 88.298 the convergent series cancel; those
// arguments go to the continued fraction.
TEST(incomplete_gamma, large_z_below_the_switch_keeps_its_digits) {
  for (double s : {0.0, -3.0, 0.5, 2.0, 7.25}) {
    for (double z : {21.0, 40.0, 70.0, 88.0}) {
      DDReal g;
      dd::DDINCGAMMAR(DDReal(s), DDReal(z), g);
      Mp want;
      mpfr_gamma_inc(want, Mp(DDReal(s)), Mp(DDReal(z)), MPFR_RNDN);
      EXPECT_LT(rel_ulps(g, want), 300.0) << s << " " << z;
    }
  }
}

// Large negative integer orders: the factorial sum would leave the range.
TEST(incomplete_gamma, large_negative_integer_orders) {
  for (int m : {150, 200, 100000}) {
    for (double z : {1.0, 3.5}) {
      DDReal g;
      dd::DDINCGAMMAR(DDReal(-static_cast<double>(m)), DDReal(z), g);
      Mp s, want;
      mpfr_set_si(s, -m, MPFR_RNDN);
      mpfr_gamma_inc(want, s, Mp(DDReal(z)), MPFR_RNDN);
      if (mpfr_get_exp(want) < -1074) {  // below the binary64 range
        EXPECT_EQ(g.hi, 0.0) << m << " " << z;
      } else {
        EXPECT_LT(rel_ulps(g, want), 300.0) << m << " " << z;
      }
    }
  }
}

TEST(incomplete_gamma, refusals) {
  const char* domain =
      "*** DDINCGAMMAR: The second argument must not be zero,\n"
      "and must not be negative unless the first is zero.";
  DDReal g;
  EXPECT_DD_STOP(dd::DDINCGAMMAR(DDReal(1.0), DDReal(0.0), g), domain);
  EXPECT_DD_STOP(dd::DDINCGAMMAR(DDReal(0.5), DDReal(-1.0), g), domain);
  EXPECT_DD_STOP(dd::DDEXPINT(DDReal(0.0), g), "*** DDEXPINT: argument is zero");
  dd::DDINCGAMMAR(DDReal(0.0), DDReal(-5.0), g);  // accepted
  EXPECT_TRUE(std::isfinite(g.hi));
}

// ---- Riemann zeta ------------------------------------------------------------

TEST(zeta, values_at_integers_from_all_three) {
  const auto& b = dd::test::bernoulli_table();
  DDReal z, want;
  dd::DDZETAINTR(2, z);
  dd::DDMUL(pi(), pi(), want);
  dd::DDDIVD(want, 6.0, want);
  EXPECT_LT(err_d(z, want), 8.0);
  dd::DDZETAINTR(3, z);
  EXPECT_EQ(z.hi, 1.2020569031595942);
  for (int n : {17, 18, 20, 3, 40}) {
    Mp w;
    mpfr_zeta_ui(w, n, MPFR_RNDN);
    dd::DDZETAINTR(n, z);
    EXPECT_LT(rel_ulps(z, w), 8.0) << n;
    dd::DDZETABE(47, b.data(), DDReal(n), z);
    EXPECT_LT(rel_ulps(z, w), 40.0) << n;
  }
  struct Case {
    int s;
    double num, den;
  };
  for (const Case& c : {Case{0, -1, 2}, Case{-2, 0, 1}, Case{-1, -1, 12}, Case{-3, 1, 120}, Case{-17, -43867, 14364}}) {
    DDReal w;
    dd::DDDIVD(DDReal(c.num), c.den, w);
    DDReal r1, r2, r3;
    dd::DDZETAINTR(c.s, r1);
    dd::DDZETAR(DDReal(c.s), r2);
    dd::DDZETABE(47, b.data(), DDReal(c.s), r3);
    if (c.num == 0) {
      EXPECT_EQ(r1.hi, 0.0);
      EXPECT_EQ(r2.hi, 0.0);
      EXPECT_EQ(r3.hi, 0.0);
    } else {
      EXPECT_LT(err_d(r1, w), 40.0) << c.s;
      EXPECT_LT(err_d(r3, w), 400.0) << c.s;
    }
    EXPECT_SAME(r1, r2);  // an integer-valued s goes to the integer routine
  }
}

// Both sides of each method switch, and negative arguments after either method.
TEST(zeta, across_the_method_switches) {
  const auto& b = dd::test::bernoulli_table();
  for (double s : {17.25, 17.26, 17.66, 17.67, -16.25, -16.26, -20.5, 14.5, 15.9, -14.0 - 0.75}) {
    Mp w;
    mpfr_zeta(w, Mp(DDReal(s)), MPFR_RNDN);
    DDReal z;
    dd::DDZETAR(DDReal(s), z);
    EXPECT_LT(rel_ulps(z, w), 600.0) << s;
    dd::DDZETABE(47, b.data(), DDReal(s), z);  // 14.3 < t < 17.666 needs the whole-sum stop
    EXPECT_LT(rel_ulps(z, w), 600.0) << s;
  }
  // Near the pole the factor 1 - 2^(1-s) is summed, not differenced.
  for (double s : {1.0 + 1e-10, 1.0 - 1e-12, 0.999, 1.2}) {
    Mp w;
    mpfr_zeta(w, Mp(DDReal(s)), MPFR_RNDN);
    DDReal z;
    dd::DDZETAR(DDReal(s), z);
    EXPECT_LT(rel_ulps(z, w), 60.0) << s;
  }
  // The functional equation with (T-1)! past 170!.
  Mp w;
  mpfr_zeta(w, Mp(DDReal(-171.0)), MPFR_RNDN);
  DDReal z;
  dd::DDZETAINTR(-171, z);
  EXPECT_LT(rel_ulps(z, w), 40.0);
  // Past the binary64 range: signed infinities, with the sign of zeta(-n),
  // -(-1)^((n+1)/2) B(n+1)/(n+1) for odd n.
  dd::DDZETAINTR(-301, z);
  EXPECT_EQ(z.hi, -HUGE_VAL);
  dd::DDZETAINTR(-303, z);
  EXPECT_EQ(z.hi, HUGE_VAL);
  dd::DDZETAINTR(-2147483647, z);
  EXPECT_EQ(z.hi, HUGE_VAL);
  dd::DDZETAINTR(-2147483645, z);
  EXPECT_EQ(z.hi, -HUGE_VAL);
  dd::DDZETAR(DDReal(-1e20), z);  // even
  EXPECT_EQ(z.hi, 0.0);
  dd::DDZETAR(DDReal(-1e15 - 1), z);  // odd, (1 - s)/2 odd
  EXPECT_EQ(z.hi, -HUGE_VAL);
  dd::DDZETAR(DDReal(-1e15 - 3), z);
  EXPECT_EQ(z.hi, HUGE_VAL);
  dd::DDZETAR(DDReal(1e20), z);
  EXPECT_SAME(z, DDReal(1.0, 0.0));
}

TEST(zeta, refusals) {
  const auto& b = dd::test::bernoulli_table();
  DDReal z;
  EXPECT_DD_STOP(dd::DDZETAR(DDReal(1.0), z), "*** DDZETAR: argument is 1");
  EXPECT_DD_STOP(dd::DDZETAINTR(1, z), "*** DDZETAINTR: argument is 1");
  EXPECT_DD_STOP(dd::DDZETABE(47, b.data(), DDReal(1.0), z), "*** DDZETABE: argument is 1");
  const char* table =
      "*** DDZETABE: Array of even Bernoulli coefficients must be initialized\n"
      "with at least      47 entries.";
  EXPECT_DD_STOP(dd::DDZETABE(46, b.data(), DDReal(2.0), z), table);
  std::vector<DDReal> unfilled(60, DDReal(0.0));
  EXPECT_DD_STOP(dd::DDZETABE(60, unfilled.data(), DDReal(2.0), z), table);
  EXPECT_DD_STOP(dd::DDZETABE(0, nullptr, DDReal(2.0), z), table);  // the size is looked at first
}

// ---- Hurwitz zeta, polygamma, digamma --------------------------------------------

TEST(hurwitz_zeta, half_and_one) {
  const auto& b = dd::test::bernoulli_table();
  DDReal z2, z3, w;
  dd::DDZETAINTR(2, z2);
  dd::DDZETAINTR(3, z3);
  DDReal r;
  dd::DDMULD(z2, 3.0, w);
  dd::DDHURWITZZETAN(2, DDReal(0.5), r);
  EXPECT_LT(err_d(r, w), 60.0);
  dd::DDHURWITZZETANBE(44, b.data(), 2, DDReal(0.5), r);
  EXPECT_LT(err_d(r, w), 8.0);
  dd::DDMULD(z3, 7.0, w);
  dd::DDHURWITZZETAN(3, DDReal(0.5), r);
  EXPECT_LT(err_d(r, w), 60.0);
  dd::DDHURWITZZETANBE(44, b.data(), 3, DDReal(0.5), r);
  EXPECT_LT(err_d(r, w), 8.0);
  // zeta(s, 1) = zeta(s), from every order (13 to 16 need the refit), and
  // the shift-free a = 25 and the direct series past 16.
  for (int s = 2; s <= 20; ++s) {
    DDReal zs;
    dd::DDZETAINTR(s, zs);
    dd::DDHURWITZZETANBE(44, b.data(), s, DDReal(1.0), r);
    EXPECT_LT(err_d(r, zs), 8.0) << s;
  }
  // Near a = 1 the expansion's k = 1 difference cancels.
  for (double a : {0.999, 0.9999999, 1e-9, 0.3}) {
    DDReal be;
    dd::DDHURWITZZETAN(6, DDReal(a), r);
    dd::DDHURWITZZETANBE(44, b.data(), 6, DDReal(a), be);
    EXPECT_LT(err_d(r, be), 400.0) << a;
  }
}

TEST(hurwitz_zeta, refusals) {
  const auto& b = dd::test::bernoulli_table();
  DDReal r;
  EXPECT_DD_STOP(dd::DDHURWITZZETAN(0, DDReal(0.5), r), "*** DDHURWITZZETAN: IS less than or equal to 0:");
  EXPECT_DD_STOP(dd::DDHURWITZZETAN(1, DDReal(0.5), r), "*** DDHURWITZZETAN: IS = 1 is the pole of the function");
  EXPECT_DD_STOP(dd::DDHURWITZZETAN(2, DDReal(1.0), r), "*** DDHURWITZZETAN: AA must be in the range (0, 1)");
  EXPECT_DD_STOP(dd::DDHURWITZZETAN(2, DDReal(0.0), r), "*** DDHURWITZZETAN: AA must be in the range (0, 1)");
  EXPECT_DD_STOP(dd::DDHURWITZZETANBE(44, b.data(), 0, DDReal(0.5), r), "*** DDHURWITZZETANBE: ISS <= 0");
  EXPECT_DD_STOP(dd::DDHURWITZZETANBE(44, b.data(), 1, DDReal(0.5), r),
                 "*** DDHURWITZZETANBE: ISS = 1 is the pole of the function");
  EXPECT_DD_STOP(dd::DDHURWITZZETANBE(44, b.data(), 2, DDReal(-0.5), r), "*** DDHURWITZZETANBE: AA < 0");
  EXPECT_DD_STOP(dd::DDHURWITZZETANBE(44, b.data(), 2, DDReal(0.0), r),
                 "*** DDHURWITZZETANBE: AA = 0 is a pole of the function");
  EXPECT_DD_STOP(dd::DDHURWITZZETANBE(43, b.data(), 2, DDReal(0.5), r),
                 "*** DDHURWITZZETANBE: Array of even Bernoulli coefficients must be initialized\n"
                 "with at least      44 entries by calling DDBERNE or DDBERNER.");
}

TEST(polygamma, known_values) {
  const auto& b = dd::test::bernoulli_table();
  DDReal r, g, l2, w;
  dd::DDEULER(g);
  dd::DDDIGAMMABE(44, b.data(), DDReal(1.0), r);
  dd::DDNEG(g, w);
  EXPECT_LT(err_d(r, w), 8.0);
  dd::DDDIGAMMABE(44, b.data(), DDReal(0.5), r);  // below 0.81: the whole-sum stop
  dd::DDLOG2(l2);
  dd::DDMULD(l2, 2.0, l2);
  dd::DDADD(g, l2, w);
  dd::DDNEG(w, w);
  EXPECT_LT(err_d(r, w), 8.0);
  // Large arguments: psi(x) = log x - 1/(2x) to working precision.
  for (double x : {1e40, 1e100, 1e299}) {
    Mp want;
    mpfr_digamma(want, Mp(DDReal(x)), MPFR_RNDN);
    dd::DDDIGAMMABE(44, b.data(), DDReal(x), r);
    EXPECT_LT(rel_ulps(r, want), 8.0) << x;
  }
  // psi'(0.5) = pi^2/2, psi''(0.5) = -14 zeta(3), psi'(1) = pi^2/6.
  DDReal p2, z3;
  dd::DDMUL(pi(), pi(), p2);
  dd::DDZETAINTR(3, z3);
  dd::DDMULD(p2, 0.5, w);
  dd::DDPOLYGAMMA(1, DDReal(0.5), r);
  EXPECT_LT(err_d(r, w), 60.0);
  dd::DDPOLYGAMMABE(44, b.data(), 1, DDReal(0.5), r);
  EXPECT_LT(err_d(r, w), 8.0);
  dd::DDMULD(z3, -14.0, w);
  dd::DDPOLYGAMMA(2, DDReal(0.5), r);
  EXPECT_LT(err_d(r, w), 60.0);
  dd::DDPOLYGAMMABE(44, b.data(), 2, DDReal(0.5), r);
  EXPECT_LT(err_d(r, w), 8.0);
  dd::DDDIVD(p2, 6.0, w);
  dd::DDPOLYGAMMABE(44, b.data(), 1, DDReal(1.0), r);
  EXPECT_LT(err_d(r, w), 8.0);
  // Orders 12 to 15 (Hurwitz orders 13 to 16) at a = 1.
  for (int n = 12; n <= 15; ++n) {
    Mp want, f;
    mpfr_zeta_ui(want, n + 1, MPFR_RNDN);
    mpfr_fac_ui(f, n, MPFR_RNDN);
    mpfr_mul(want, want, f, MPFR_RNDN);
    if (n % 2 == 0) mpfr_neg(want, want, MPFR_RNDN);
    dd::DDPOLYGAMMABE(44, b.data(), n, DDReal(1.0), r);
    EXPECT_LT(rel_ulps(r, want), 8.0) << n;
  }
}

TEST(polygamma, refusals) {
  const auto& b = dd::test::bernoulli_table();
  DDReal r;
  EXPECT_DD_STOP(dd::DDPOLYGAMMA(0, DDReal(0.5), r), "*** DDPOLYGAMMA: NN <= 0");
  EXPECT_DD_STOP(dd::DDPOLYGAMMA(1, DDReal(1.0), r), "*** DDPOLYGAMMA: X must be in the range (0, 1)");
  EXPECT_DD_STOP(dd::DDPOLYGAMMABE(44, b.data(), 0, DDReal(0.5), r), "*** DDPOLYGAMMABE: NN <= 0");
  EXPECT_DD_STOP(dd::DDPOLYGAMMABE(44, b.data(), 1, DDReal(-0.5), r), "*** DDPOLYGAMMABE: X < 0");
  // 167! passes the kernels' splitting limit: refused instead of NaN words.
  EXPECT_DD_STOP(dd::DDPOLYGAMMA(167, DDReal(0.5), r),
                 "*** DDPOLYGAMMA: NN must be at most 166; NN! leaves the range of the arithmetic.");
  // At large X the values stay in range far beyond 166 (scaled products).
  EXPECT_DD_STOP(dd::DDPOLYGAMMABE(44, b.data(), 1001, DDReal(2.0), r), "*** DDPOLYGAMMABE: NN must be at most 1000.");
  dd::DDPOLYGAMMABE(44, b.data(), 166, DDReal(2.0), r);  // -166! zeta(167, 2), about -4.81e247
  EXPECT_NEAR(r.hi / -4.81295e247, 1.0, 1e-5);
  EXPECT_DD_STOP(dd::DDPOLYGAMMABE(44, b.data(), 1, DDReal(0.0), r),
                 "*** DDHURWITZZETANBE: AA = 0 is a pole of the function");
  EXPECT_DD_STOP(dd::DDPOLYGAMMABE(10, b.data(), 1, DDReal(0.5), r),
                 "*** DDPOLYGAMMABE: Array of even Bernoulli coefficients must be initialized\n"
                 "with at least      44 entries by calling DDBERNE or DDBERER.");
  // x <= 0 is refused before the table is looked at.
  EXPECT_DD_STOP(dd::DDDIGAMMABE(0, nullptr, DDReal(0.0), r), "*** DDDIGAMMABE: Argument is less than or equal to 0");
  EXPECT_DD_STOP(dd::DDDIGAMMABE(44, b.data() + 1, DDReal(2.0), r),
                 "*** DDDIGAMMABE: Array of even Bernoulli coefficients must be initialized\n"
                 "with at least      44 entries using DDBERNE or DDBERNER.");
}

}  // namespace

namespace {

// A result may share storage with an input: every routine reads its inputs
// before it writes the result.
TEST(special_functions, result_may_share_storage_with_an_input) {
  const auto& b = dd::test::bernoulli_table();
  auto same = [](auto f, DDReal x) {
    DDReal separate, shared = x;
    f(x, separate);
    f(shared, shared);
    EXPECT_SAME(separate, shared);
  };
  same([](const DDReal& x, DDReal& r) { dd::DDGAMMAR(x, r); }, DDReal(3.7));
  same([](const DDReal& x, DDReal& r) { dd::DDINCGAMMAR(DDReal(1.5), x, r); }, DDReal(30.0));
  same([](const DDReal& x, DDReal& r) { dd::DDINCGAMMAR(x, DDReal(2.0), r); }, DDReal(-2.5));
  same([](const DDReal& x, DDReal& r) { dd::DDEXPINT(x, r); }, DDReal(2.5));
  same([](const DDReal& x, DDReal& r) { dd::DDZETAR(x, r); }, DDReal(-3.5));
  same([&b](const DDReal& x, DDReal& r) { dd::DDZETABE(47, b.data(), x, r); }, DDReal(2.5));
  same([](const DDReal& x, DDReal& r) { dd::DDHURWITZZETAN(3, x, r); }, DDReal(0.25));
  same([&b](const DDReal& x, DDReal& r) { dd::DDHURWITZZETANBE(44, b.data(), 3, x, r); }, DDReal(0.25));
  same([](const DDReal& x, DDReal& r) { dd::DDPOLYGAMMA(2, x, r); }, DDReal(0.25));
  same([&b](const DDReal& x, DDReal& r) { dd::DDPOLYGAMMABE(44, b.data(), 2, x, r); }, DDReal(2.25));
  same([&b](const DDReal& x, DDReal& r) { dd::DDDIGAMMABE(44, b.data(), x, r); }, DDReal(0.25));
}

}  // namespace

namespace {

using dd::test::from_bits;

// Faults the routines had, each pinned at the argument that showed it: a
// value in range against MPFR (bound in units of 2^-104), or, where the
// value lies beyond the binary64 range, the signed infinity or zero.
struct Pinned {
  const char* what;
  std::function<DDReal()> eval;
  std::function<void(Mp&)> ref;  // empty: expect `limit` exactly
  double bound_or_limit;
};

TEST(special_functions, pinned_faults_stay_mended) {
  const auto& b = dd::test::bernoulli_table();
  const auto one = [](auto f) { return [f] { DDReal r; f(r); return r; }; };
  const auto mp_of = [](auto f) { return [f](Mp& w) { f(w.get()); }; };
  const std::vector<Pinned> cases = {
      {"Gamma next to -8 (was off by 2^32 units)", one([](DDReal& r) { dd::DDGAMMAR(from_bits(0xC01FFFFFFFFD13C5, 0xBC811099954441B9), r); }),
       mp_of([](mpfr_ptr w) { mpfr_gamma(w, Mp(from_bits(0xC01FFFFFFFFD13C5, 0xBC811099954441B9)), MPFR_RNDN); }), 64},
      {"zeta(700.5) (stopped in DDEXP)", one([](DDReal& r) { dd::DDZETAR(DDReal(700.5), r); }),
       mp_of([](mpfr_ptr w) { mpfr_zeta(w, Mp(DDReal(700.5)), MPFR_RNDN); }), 1},
      {"zeta(999) (iteration limit)", one([](DDReal& r) { dd::DDZETAR(DDReal(999.0), r); }),
       mp_of([](mpfr_ptr w) { mpfr_zeta_ui(w, 999, MPFR_RNDN); }), 1},
      {"DDZETAINTR(1000) (iteration limit)", one([](DDReal& r) { dd::DDZETAINTR(1000, r); }),
       mp_of([](mpfr_ptr w) { mpfr_zeta_ui(w, 1000, MPFR_RNDN); }), 1},
      {"zeta(-165.5) (stopped in DDEXP)", one([](DDReal& r) { dd::DDZETAR(DDReal(-165.5), r); }),
       mp_of([](mpfr_ptr w) { mpfr_zeta(w, Mp(DDReal(-165.5)), MPFR_RNDN); }), 256},
      {"DDZETABE(-200.25)", one([&b](DDReal& r) { dd::DDZETABE(60, b.data(), DDReal(-200.25), r); }),
       mp_of([](mpfr_ptr w) { mpfr_zeta(w, Mp(DDReal(-200.25)), MPFR_RNDN); }), 256},
      {"Gamma(-17.5, 1e-10) (stopped in DDEXP)", one([](DDReal& r) { dd::DDINCGAMMAR(DDReal(-17.5), DDReal(1e-10), r); }),
       mp_of([](mpfr_ptr w) { mpfr_gamma_inc(w, Mp(DDReal(-17.5)), Mp(DDReal(1e-10)), MPFR_RNDN); }), 128},
      {"Gamma(-18, 1e-10) (NaN words)", one([](DDReal& r) { dd::DDINCGAMMAR(DDReal(-18.0), DDReal(1e-10), r); }),
       mp_of([](mpfr_ptr w) { mpfr_gamma_inc(w, Mp(DDReal(-18.0)), Mp(DDReal(1e-10)), MPFR_RNDN); }), 64},
      {"Gamma(-100.5, 50) (-3.4e-159 for 2.3e-195)", one([](DDReal& r) { dd::DDINCGAMMAR(DDReal(-100.5), DDReal(50.0), r); }),
       mp_of([](mpfr_ptr w) { mpfr_gamma_inc(w, Mp(DDReal(-100.5)), Mp(DDReal(50.0)), MPFR_RNDN); }), 64},
      {"Gamma(80, 50) (stopped in DDEXP)", one([](DDReal& r) { dd::DDINCGAMMAR(DDReal(80.0), DDReal(50.0), r); }),
       mp_of([](mpfr_ptr w) { mpfr_gamma_inc(w, Mp(DDReal(80.0)), Mp(DDReal(50.0)), MPFR_RNDN); }), 64},
      {"Gamma(11.46, 696.6) = 1.6e-273 (off by 2^34)", one([](DDReal& r) { dd::DDINCGAMMAR(DDReal(11.46), DDReal(696.6), r); }),
       mp_of([](mpfr_ptr w) { mpfr_gamma_inc(w, Mp(DDReal(11.46)), Mp(DDReal(696.6)), MPFR_RNDN); }), 64},
      {"Ei(693) (refused)", one([](DDReal& r) { dd::DDEXPINT(DDReal(693.0), r); }),
       mp_of([](mpfr_ptr w) { mpfr_eint(w, Mp(DDReal(693.0)), MPFR_RNDN); }), 64},
      {"zeta(31, a next to 1) (1.00000082 for 1.0000000021)",
       one([](DDReal& r) { dd::DDHURWITZZETAN(31, from_bits(0x3FEFFFFFFFF888E9, 0x3C78D67F6ED7B1D9), r); }),
       mp_of([](mpfr_ptr w) { Mp m; dd::test::mp_hurwitz(31, from_bits(0x3FEFFFFFFFF888E9, 0x3C78D67F6ED7B1D9), m); mpfr_set(w, m.get(), MPFR_RNDN); }), 16},
      {"psi^(34)(1 - 2^-44) (loop-end stop)", one([](DDReal& r) { dd::DDPOLYGAMMA(34, from_bits(0x3FEFFFFFFFF00000, 0), r); }),
       mp_of([](mpfr_ptr w) { Mp m; dd::test::mp_polygamma(34, from_bits(0x3FEFFFFFFFF00000, 0), m); mpfr_set(w, m.get(), MPFR_RNDN); }), 16},
      {"psi^(150)(0.9) = 4.6e269 (stopped)", one([](DDReal& r) { dd::DDPOLYGAMMA(150, DDReal(0.9), r); }),
       mp_of([](mpfr_ptr w) { Mp m; dd::test::mp_polygamma(150, DDReal(0.9), m); mpfr_set(w, m.get(), MPFR_RNDN); }), 64},
      {"psi^(100)(3145) (loop-end stop)", one([&b](DDReal& r) { dd::DDPOLYGAMMABE(44, b.data(), 100, DDReal(3145.0), r); }),
       mp_of([](mpfr_ptr w) { Mp m; dd::test::mp_polygamma(100, DDReal(3145.0), m); mpfr_set(w, m.get(), MPFR_RNDN); }), 16},
      {"psi^(44)(1e7) (loop-end stop)", one([&b](DDReal& r) { dd::DDPOLYGAMMABE(44, b.data(), 44, DDReal(1e7), r); }),
       mp_of([](mpfr_ptr w) { Mp m; dd::test::mp_polygamma(44, DDReal(1e7), m); mpfr_set(w, m.get(), MPFR_RNDN); }), 16},
      // Beyond the binary64 range: signed infinities and zeros, not NaN words or stops.
      {"zeta(-277)", one([](DDReal& r) { dd::DDZETAINTR(-277, r); }), {}, -HUGE_VAL},
      {"zeta(-401.5)", one([](DDReal& r) { dd::DDZETAR(DDReal(-401.5), r); }), {}, -HUGE_VAL},
      {"zeta(2, 1e-300)", one([](DDReal& r) { dd::DDHURWITZZETAN(2, DDReal(1e-300), r); }), {}, HUGE_VAL},
      {"Gamma(-50, 1e-10)", one([](DDReal& r) { dd::DDINCGAMMAR(DDReal(-50.0), DDReal(1e-10), r); }), {}, HUGE_VAL},
      {"psi^(166)(0.5)", one([](DDReal& r) { dd::DDPOLYGAMMA(166, DDReal(0.5), r); }), {}, -HUGE_VAL},
      {"zeta(1000, 3) by the table", one([&b](DDReal& r) { dd::DDHURWITZZETANBE(44, b.data(), 1000, DDReal(3.0), r); }), {}, 0.0},
      // Orders near INT_MAX, and 32-bit scales that overflowed.
      {"zeta(INT_MAX, 2.5) by the table (loop-end stop)",
       one([&b](DDReal& r) { dd::DDHURWITZZETANBE(44, b.data(), INT_MAX, DDReal(2.5), r); }), {}, 0.0},
      {"zeta(INT_MAX, 1) by the table (loop-end stop)",
       one([&b](DDReal& r) { dd::DDHURWITZZETANBE(44, b.data(), INT_MAX, DDReal(1.0), r); }), {}, 1.0},
      {"zeta(INT_MAX, 0.5)", one([](DDReal& r) { dd::DDHURWITZZETAN(INT_MAX, DDReal(0.5), r); }), {}, HUGE_VAL},
      {"Gamma(INT_MAX, 0.5) (stopped in DDGAMMAR)", one([](DDReal& r) { dd::DDINCGAMMAR(DDReal(INT_MAX), DDReal(0.5), r); }),
       {}, HUGE_VAL},
      {"Gamma(-9e7 - 0.5) (-infinity from an int scale)", one([](DDReal& r) { dd::DDGAMMAR(DDReal(-9e7 - 0.5), r); }), {},
       -0.0},
      // Below -400 the value is under 2^-1074 even next to a pole: a zero of Gamma's sign, at once.
      {"Gamma(-401.5)", one([](DDReal& r) { dd::DDGAMMAR(DDReal(-401.5), r); }), {}, 0.0},
      {"Gamma(-450 + 2^-1074)", one([](DDReal& r) { dd::DDGAMMAR(DDReal(-450.0, 0x1p-1074), r); }), {}, 0.0},
      {"Gamma(-450 - 2^-1074)", one([](DDReal& r) { dd::DDGAMMAR(DDReal(-450.0, -0x1p-1074), r); }), {}, -0.0},
  };
  for (const Pinned& c : cases) {
    const DDReal got = c.eval();
    if (c.ref) {
      Mp want;
      c.ref(want);
      EXPECT_LE(rel_ulps(got, want), c.bound_or_limit) << c.what;
    } else {
      EXPECT_EQ(got.hi, c.bound_or_limit) << c.what;
      EXPECT_EQ(std::signbit(got.hi), std::signbit(c.bound_or_limit)) << c.what;
    }
  }
}

// A NaN argument gives NaN words, never a number.
TEST(special_functions, nan_arguments_give_nan_words) {
  const auto& b = dd::test::bernoulli_table();
  const DDReal nan(std::nan(""), 0.0), half(0.5);
  const std::vector<std::function<void(const DDReal&, DDReal&)>> routines = {
      [](const DDReal& x, DDReal& r) { dd::DDGAMMAR(x, r); },
      [&half](const DDReal& x, DDReal& r) { dd::DDINCGAMMAR(x, half, r); },
      [&half](const DDReal& x, DDReal& r) { dd::DDINCGAMMAR(half, x, r); },
      [](const DDReal& x, DDReal& r) { dd::DDEXPINT(x, r); },
      [](const DDReal& x, DDReal& r) { dd::DDZETAR(x, r); },
      [&b](const DDReal& x, DDReal& r) { dd::DDZETABE(60, b.data(), x, r); },
      [](const DDReal& x, DDReal& r) { dd::DDHURWITZZETAN(3, x, r); },
      [&b](const DDReal& x, DDReal& r) { dd::DDHURWITZZETANBE(44, b.data(), 3, x, r); },
      [](const DDReal& x, DDReal& r) { dd::DDPOLYGAMMA(3, x, r); },
      [&b](const DDReal& x, DDReal& r) { dd::DDPOLYGAMMABE(44, b.data(), 3, x, r); },
      [&b](const DDReal& x, DDReal& r) { dd::DDDIGAMMABE(44, b.data(), x, r); },
  };
  for (std::size_t i = 0; i < routines.size(); ++i) {
    for (const DDReal& x : {nan, DDReal(1.5, std::nan(""))}) {
      DDReal r(0.0, 0.0);
      routines[i](x, r);
      EXPECT_TRUE(std::isnan(r.hi) && std::isnan(r.lo)) << "routine " << i;
    }
  }
}

}  // namespace
