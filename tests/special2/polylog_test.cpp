#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "special2_util.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::DDReal;
using dd::test::Mp;
using dd::test::rel_ulps;

TEST(polylog, closed_forms_of_low_orders) {
  DDReal y;
  dd::DDPOLYLOGPOS(0, DDReal(0.5), y);
  EXPECT_EQ(y.hi, 1.0);
  EXPECT_EQ(y.lo, 0.0);
  dd::DDPOLYLOGPOS(1, DDReal(0.5), y);  // Li_1(1/2) = ln 2
  EXPECT_LT(std::fabs((y.hi - dd::detail::kLog2.hi) + (y.lo - dd::detail::kLog2.lo)), 0x1p-104);
  // Li_2(1/2) = pi^2/12 - (ln 2)^2/2
  Mp w;
  mpfr_const_pi(w, MPFR_RNDN);
  mpfr_sqr(w, w, MPFR_RNDN);
  mpfr_div_ui(w, w, 12, MPFR_RNDN);
  Mp l;
  mpfr_const_log2(l, MPFR_RNDN);
  mpfr_sqr(l, l, MPFR_RNDN);
  mpfr_div_ui(l, l, 2, MPFR_RNDN);
  mpfr_sub(w, w, l, MPFR_RNDN);
  dd::DDPOLYLOGPOS(2, DDReal(0.5), y);
  EXPECT_LT(rel_ulps(y, w), 4.0);
}

TEST(polylog, li2_against_mpfr_and_series_for_higher_orders) {
  std::mt19937_64 g(dd::test::test_seed());
  double worst2 = 0.0, worst_n = 0.0;
  for (int i = 0; i < 300; ++i) {
    const DDReal x = dd::test::random_dd(g, -0.95, 0.95);
    Mp mx(x, 800), want(800);
    DDReal y;
    mpfr_li2(want, mx, MPFR_RNDN);
    dd::DDPOLYLOGPOS(2, x, y);
    worst2 = std::max(worst2, rel_ulps(y, want));
    const int n = 3 + i % 6;
    Mp first(x);
    dd::test::mp_series(want, first, [&](long k, mpfr_ptr r) {
      // x * (k / (k+1))^n
      mpfr_set_ui(r, static_cast<unsigned long>(k), MPFR_RNDN);
      mpfr_div_ui(r, r, static_cast<unsigned long>(k + 1), MPFR_RNDN);
      mpfr_pow_ui(r, r, static_cast<unsigned long>(n), MPFR_RNDN);
      mpfr_mul(r, r, mx, MPFR_RNDN);
    });
    dd::DDPOLYLOGPOS(n, x, y);
    worst_n = std::max(worst_n, rel_ulps(y, want));
  }
  RecordProperty("li2_max_units", std::to_string(worst2));
  RecordProperty("lin_max_units", std::to_string(worst_n));
  EXPECT_LT(worst2, 16.0);
  EXPECT_LT(worst_n, 16.0);
}

// Near |x| = 1 the defining series would need more than 10^6 terms; the
// series in ln x takes over there.
TEST(polylog, next_to_plus_and_minus_one) {
  for (double xv : {0.99995, 0.9999999, 1.0 - 0x1p-50, -0.99995, -0.9999999, 1.0}) {
    const DDReal x = xv == 1.0 ? DDReal(1.0, -1e-200) : DDReal(xv);  // 1 - 1e-200 too
    Mp mx(x, 800), want(800);
    DDReal y;
    mpfr_li2(want, mx, MPFR_RNDN);
    dd::DDPOLYLOGPOS(2, x, y);
    EXPECT_LT(rel_ulps(y, want), 8.0) << xv;
    mpfr_ui_sub(want, 1, mx, MPFR_RNDN);
    mpfr_log(want, want, MPFR_RNDN);
    mpfr_neg(want, want, MPFR_RNDN);
    dd::DDPOLYLOGPOS(1, x, y);
    EXPECT_LT(rel_ulps(y, want), 32.0) << xv;
  }
  for (double xv : {0.99995, -0.99995}) {  // Li_3 by its series in MPFR (about 1.6e6 terms)
    const DDReal x(xv);
    Mp mx(x, 160), want(160), first(x, 160);
    dd::test::mp_series(want, first, [&](long k, mpfr_ptr r) {
      mpfr_mul_ui(r, mx, static_cast<unsigned long>(k), MPFR_RNDN);
      mpfr_mul_ui(r, r, static_cast<unsigned long>(k), MPFR_RNDN);
      mpfr_mul_ui(r, r, static_cast<unsigned long>(k), MPFR_RNDN);
      mpfr_div_ui(r, r, static_cast<unsigned long>(k + 1), MPFR_RNDN);
      mpfr_div_ui(r, r, static_cast<unsigned long>(k + 1), MPFR_RNDN);
      mpfr_div_ui(r, r, static_cast<unsigned long>(k + 1), MPFR_RNDN);
    });
    DDReal y;
    dd::DDPOLYLOGPOS(3, x, y);
    EXPECT_LT(rel_ulps(y, want), 16.0) << xv;
  }
}

TEST(polylog, eulerian_rows) {
  std::vector<DDReal> t(4);
  dd::DDPOLYLOGINI(4, t.data());
  EXPECT_EQ(t[0].hi, 1.0);
  EXPECT_EQ(t[1].hi, 11.0);
  EXPECT_EQ(t[2].hi, 11.0);
  EXPECT_EQ(t[3].hi, 1.0);
  std::vector<DDReal> u(4);
  dd::DDPOLYLOGINI(-4, u.data());
  for (int m = 0; m < 4; ++m) EXPECT_EQ(u[m].hi, t[m].hi);
  DDReal one;
  dd::DDPOLYLOGINI(1, &one);
  EXPECT_EQ(one.hi, 1.0);
  std::vector<DDReal> r7(7);  // 1 120 1191 2416 1191 120 1
  dd::DDPOLYLOGINI(7, r7.data());
  const double want7[] = {1, 120, 1191, 2416, 1191, 120, 1};
  for (int m = 0; m < 7; ++m) EXPECT_EQ(r7[m].hi, want7[m]);
}

TEST(polylog, negative_orders_in_closed_form) {
  std::vector<DDReal> t1(1), t2(2), t3(3);
  dd::DDPOLYLOGINI(1, t1.data());
  dd::DDPOLYLOGINI(2, t2.data());
  dd::DDPOLYLOGINI(3, t3.data());
  DDReal y;
  dd::DDPOLYLOGNEG(-2, t2.data(), DDReal(0.5), y);
  EXPECT_EQ(y.hi, 6.0);
  EXPECT_EQ(y.lo, 0.0);
  for (double x : {-3.5, -0.75, 0.3, 0.9, 2.5}) {
    const DDReal xd(x);
    Mp mx(xd), om, want;
    mpfr_ui_sub(om, 1, mx, MPFR_RNDN);
    // Li_-1 = x/(1-x)^2
    mpfr_pow_ui(want, om, 2, MPFR_RNDN);
    mpfr_div(want, mx, want, MPFR_RNDN);
    dd::DDPOLYLOGNEG(-1, t1.data(), xd, y);
    EXPECT_LT(rel_ulps(y, want), 8.0) << x;
    // Li_-3 = x (1 + 4x + x^2) / (1-x)^4
    Mp p;
    mpfr_mul_ui(p, mx, 4, MPFR_RNDN);
    mpfr_add_ui(p, p, 1, MPFR_RNDN);
    Mp x2;
    mpfr_sqr(x2, mx, MPFR_RNDN);
    mpfr_add(p, p, x2, MPFR_RNDN);
    mpfr_mul(p, p, mx, MPFR_RNDN);
    mpfr_pow_ui(want, om, 4, MPFR_RNDN);
    mpfr_div(want, p, want, MPFR_RNDN);
    dd::DDPOLYLOGNEG(3, t3.data(), xd, y);
    EXPECT_LT(rel_ulps(y, want), 16.0) << x;
  }
}

// For huge orders the terms x^k / k^n vanish past the first: Li_n(x) = x
// (the powers k^n overflowed into NaN words and the series hit its limit).
TEST(polylog, huge_orders) {
  for (double x : {0.5, -0.99999}) {
    DDReal y;
    dd::DDPOLYLOGPOS(INT_MAX, DDReal(x), y);
    EXPECT_EQ(y.hi, x);
    EXPECT_EQ(y.lo, 0.0);
  }
}

TEST(polylog, refusals) {
  DDReal y;
  EXPECT_DD_STOP(dd::DDPOLYLOGPOS(-1, DDReal(0.5), y),
                 "*** DDPOLYLOGPOS: N is less than zero.\n"
                 "For negative n, call ddpolylogneg or polylog_neg. See documentation.");
  EXPECT_DD_STOP(dd::DDPOLYLOGPOS(2, DDReal(1.0), y), "*** DDPOLYLOGPOS: |X| must be less than one.");
  EXPECT_DD_STOP(dd::DDPOLYLOGPOS(2, DDReal(-1.0), y), "*** DDPOLYLOGPOS: |X| must be less than one.");
  const char* table_msg =
      "*** DDPOLYLOGNEG: Uninitialized or inadequately sized arrays\n"
      "Call ddpolylogini or polylog_ini to initialize array. See documentation.";
  std::vector<DDReal> zeros(5, DDReal(0.0));
  EXPECT_DD_STOP(dd::DDPOLYLOGNEG(-5, zeros.data(), DDReal(0.5), y), table_msg);
  std::vector<DDReal> small(5, DDReal(0.0));
  dd::DDPOLYLOGINI(3, small.data());  // entry 5 stays 0
  EXPECT_DD_STOP(dd::DDPOLYLOGNEG(-5, small.data(), DDReal(0.5), y), table_msg);
  std::vector<DDReal> t3(3);
  dd::DDPOLYLOGINI(3, t3.data());
  EXPECT_DD_STOP(dd::DDPOLYLOGNEG(0, t3.data(), DDReal(0.5), y),
                 "*** DDPOLYLOGNEG: NN must not be zero; for order 0 call ddpolylogpos or polylog_pos.");
  EXPECT_DD_STOP(dd::DDPOLYLOGNEG(-3, t3.data(), DDReal(1.0), y), "*** DDPOLYLOGNEG: X must not be one (pole).");
}

}  // namespace

namespace {

// Faults of the negative orders, pinned: the alternating closed form that
// lost every digit, NaN words where its sums overflowed, the exact zero at
// x = -1, and infinities where the value passes the binary64 range.
TEST(polylog, negative_orders_pinned) {
  struct Case {
    int n;
    double x;
    double bound;  // units of 2^-104; 0: expect `exact`
    double exact;
  };
  const Case cases[] = {
      {60, -100000.0, 1024, 0},       // 2.95414e16: was NaN
      {60, -0.5, 1024, 0},            // alternating, cancels 2^40-fold
      {200, -3.0, 1 << 14, 0},        // the table's entries pass 1e300
      {170, 1e-3, 16, 0},             // likewise, x > 0
      {3, 1e200, 16, 0},              // 1e-200: x^3 overflowed
      {60, -1.0, 0, 0.0},             // zero (was 3.1e30)
      {1000, -1.0, 0, 0.0},           // zero (was -inf)
      {160, 0.5, 0, HUGE_VAL},        // 1.998e310: was NaN
      {300, -3.0, 0, -HUGE_VAL},      // -2.67e457
  };
  for (const Case& c : cases) {
    std::vector<DDReal> t(c.n);
    dd::DDPOLYLOGINI(c.n, t.data());
    DDReal y;
    dd::DDPOLYLOGNEG(-c.n, t.data(), DDReal(c.x), y);
    if (c.bound > 0) {
      Mp want;
      dd::test::mp_polylog_neg(c.n, DDReal(c.x), want);
      EXPECT_LT(rel_ulps(y, want), c.bound) << c.n << " " << c.x;
    } else {
      EXPECT_EQ(y.hi, c.exact) << c.n << " " << c.x;
    }
  }
  std::vector<DDReal> t(5);
  dd::DDPOLYLOGINI(5, t.data());
  DDReal y;
  dd::DDPOLYLOGNEG(-5, t.data(), DDReal(std::nan("")), y);
  EXPECT_TRUE(std::isnan(y.hi) && std::isnan(y.lo));
}

}  // namespace
