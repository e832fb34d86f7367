#include <gtest/gtest.h>

#include "special2_util.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::DDReal;
using dd::test::Mp;
using dd::test::rel_ulps;

TEST(error_functions, exact_values_and_limits) {
  DDReal y;
  dd::DDERFR(DDReal(0.0), y);
  EXPECT_EQ(y.hi, 0.0);
  EXPECT_EQ(y.lo, 0.0);
  dd::DDERFCR(DDReal(0.0), y);
  EXPECT_EQ(y.hi, 1.0);
  EXPECT_EQ(y.lo, 0.0);
  dd::DDERFR(DDReal(9.0000001), y);
  EXPECT_EQ(y.hi, 1.0);
  EXPECT_EQ(y.lo, 0.0);
  dd::DDERFR(DDReal(-9.0000001), y);
  EXPECT_EQ(y.hi, -1.0);
  EXPECT_EQ(y.lo, 0.0);
  dd::DDERFCR(DDReal(-9.0000001), y);
  EXPECT_EQ(y.hi, 2.0);
  EXPECT_EQ(y.lo, 0.0);
  dd::DDERFR(DDReal(1.0), y);
  EXPECT_NEAR(y.hi, 0.8427007929497148693412, 1e-16);
  // erfc(1) comes from the same series as erf(1); erfc(-1) = 2 - erfc(1).
  DDReal e1, c1, cm1, two_minus;
  dd::DDERFR(DDReal(1.0), e1);
  dd::DDERFCR(DDReal(1.0), c1);
  DDReal one_minus;
  dd::DDSUB(DDReal(1.0), e1, one_minus);
  EXPECT_EQ(c1.hi, one_minus.hi);
  EXPECT_EQ(c1.lo, one_minus.lo);
  dd::DDERFCR(DDReal(-1.0), cm1);
  dd::DDSUB(DDReal(2.0), c1, two_minus);
  EXPECT_EQ(cm1.hi, two_minus.hi);
  EXPECT_LT(std::fabs(cm1.lo - two_minus.lo), 0x1p-103);
}

// The convergent series written out step by step (exact ratio and previous
// ratio every term): erf must match it word for word wherever it applies.
DDReal literal_erf_series(const DDReal& z) {
  const DDReal eps(0x1p-106);
  DDReal z2, f, u = z, v(1.0), rho(1.0e10), sum(0.0);
  dd::DDMUL(z, z, z2);
  dd::DDMULD(z2, 2.0, f);
  for (int k = 0;;) {
    DDReal term, r;
    dd::DDDIV(u, v, term);
    dd::DDADD(sum, term, sum);
    dd::DDDIV(term, sum, r);
    int ic1, ic2;
    dd::DDCOMPARE(r, eps, ic1);
    dd::DDCOMPARE(r, rho, ic2);
    if (ic1 <= 0 || ic2 >= 0) break;
    rho = r;
    ++k;
    dd::DDMUL(f, u, u);
    dd::DDMULD(v, static_cast<double>(2 * k + 1), v);
  }
  DDReal pi, rp, ex, e, t, y;
  dd::DDPI(pi);
  dd::DDSQRT(pi, rp);
  dd::DDEXP(z2, ex);
  dd::DDMUL(rp, ex, e);
  dd::DDMULD(sum, 2.0, t);
  dd::DDDIV(t, e, y);
  return y;
}

TEST(error_functions, series_word_for_word) {
  std::mt19937_64 g(dd::test::test_seed());
  for (int i = 0; i < 2000; ++i) {
    DDReal z = dd::test::random_dd(g, -6.7, 6.7);
    if (i % 4 == 0) z = DDReal(std::ldexp(z.hi, -static_cast<int>(g() % 30)));
    const DDReal want = literal_erf_series(z);
    DDReal y;
    dd::DDERFR(z, y);
    ASSERT_EQ(y.hi, want.hi) << z.hi;
    ASSERT_EQ(y.lo, want.lo) << z.hi;
  }
}

TEST(error_functions, odd_symmetry) {
  std::mt19937_64 g(dd::test::test_seed());
  for (int i = 0; i < 50; ++i) {
    const DDReal z = dd::test::random_dd(g, 0.0, 9.0);
    DDReal a, b, mz;
    dd::DDNEG(z, mz);
    dd::DDERFR(z, a);
    dd::DDERFR(mz, b);
    EXPECT_EQ(a.hi, -b.hi);
    EXPECT_EQ(a.lo, -b.lo);
  }
}

// The switch points (the ranges themselves are measured by accuracy_test.cpp)
// and the far end: erfc keeps its digits down to 2^-969 and is zero from
// 27.3 on, also where z * z would overflow.
TEST(error_functions, switch_points_and_far_end) {
  for (double z : {9.0, -9.0, 6.7535, -6.7535, 17.5, 25.8}) {
    Mp mz(DDReal(z), 256), want;
    DDReal y;
    mpfr_erfc(want, mz, MPFR_RNDN);
    dd::DDERFCR(DDReal(z), y);
    EXPECT_LT(rel_ulps(y, want), 256.0) << z;  // erfc(17.5) = 3.19886e-135 was 0
    mpfr_erf(want, mz, MPFR_RNDN);
    dd::DDERFR(DDReal(z), y);
    EXPECT_LT(rel_ulps(y, want), 16.0) << z;
  }
  for (double z : {27.3, 30.0, 1.34e154, 1e300, HUGE_VAL}) {
    DDReal y;
    dd::DDERFCR(DDReal(z), y);
    EXPECT_EQ(y.hi, 0.0) << z;
    EXPECT_EQ(y.lo, 0.0) << z;
  }
  DDReal y;
  dd::DDERFR(DDReal(std::nan("")), y);  // was 1
  EXPECT_TRUE(std::isnan(y.hi) && std::isnan(y.lo));
  dd::DDERFCR(DDReal(std::nan("")), y);
  EXPECT_TRUE(std::isnan(y.hi) && std::isnan(y.lo));
}

}  // namespace
