#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <vector>

#include "dd.hpp"
#include "support/bernoulli.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::DDReal;
using dd::test::Mp;
using dd::test::mp_bernoulli;

TEST(bernoulli, first_entries_are_the_known_rationals) {
  std::vector<DDReal> t(3);
  dd::DDBERNER(3, t.data());
  const double want[] = {1.0 / 6.0, -1.0 / 30.0, 1.0 / 42.0};
  const long den[] = {6, 30, 42};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(t[k].hi, want[k]);
    // |t - p/q| * q as a double-double residual: exact multiplication by q.
    DDReal r;
    dd::DDMULD(t[k], static_cast<double>(den[k]), r);
    dd::DDSUB(r, DDReal(k == 1 ? -1.0 : 1.0), r);
    EXPECT_LT(std::fabs(r.hi), 0x1p-102) << k;
  }
  std::vector<DDReal> one(1);
  dd::DDBERNER(1, one.data());
  EXPECT_EQ(one[0].hi, t[0].hi);
  EXPECT_EQ(one[0].lo, t[0].lo);
}

// Every entry the routine can fill, against MPFR at 400 bits, including the
// entries from 84 on where 2 (2i)! passes the kernels' splitting range.
TEST(bernoulli, full_table_matches_mpfr) {
  const int n = dd::kBernerMaxNB2;
  std::vector<DDReal> t(n);
  dd::DDBERNER(n, t.data());
  // The error grows by about a quarter unit per entry from the running
  // products (2i)! and (2 pi)^(2i): measured 14.2 units of 2^-104 up to entry
  // 47, 23.1 up to 83 and 34.7 at 120.
  for (int k = 1; k <= n; ++k) {
    Mp want(400);
    mp_bernoulli(k, want);
    ASSERT_TRUE(std::isfinite(t[k - 1].hi) && std::isfinite(t[k - 1].lo)) << k;
    const double bound = k <= 47 ? 18.0 : k <= 83 ? 28.0 : 40.0;
    EXPECT_LT(dd::test::rel_error(t[k - 1], want), bound * 0x1p-104) << k;
  }
  // A shorter table is a prefix of the longer one, bit for bit.
  std::vector<DDReal> s(47);
  dd::DDBERNER(47, s.data());
  for (int k = 0; k < 47; ++k) EXPECT_EQ(s[k].hi, t[k].hi);
}

TEST(bernoulli, table_size_outside_the_range_is_refused) {
  DDReal t[1];
  EXPECT_DD_STOP(dd::DDBERNER(0, t), "*** DDBERNER: NB2 must be at least 1 and at most 120; it is           0");
  EXPECT_DD_STOP(dd::DDBERNER(-5, t), "*** DDBERNER: NB2 must be at least 1 and at most 120; it is          -5");
  EXPECT_DD_STOP(dd::DDBERNER(121, t), "*** DDBERNER: NB2 must be at least 1 and at most 120; it is         121");
}

TEST(series, add_sub_in_place_and_mul_truncates) {
  std::vector<DDReal> a = {1.0, 2.0, 3.0}, b = {0.5, -1.0, 4.0}, c(3);
  dd::DDSERMUL(2, a.data(), b.data(), c.data());
  EXPECT_EQ(c[0].hi, 0.5);
  EXPECT_EQ(c[1].hi, 0.0);  // 1*(-1) + 2*0.5
  EXPECT_EQ(c[2].hi, 3.5);  // 1*4 + 2*(-1) + 3*0.5
  dd::DDSERADD(2, a.data(), b.data(), a.data());
  EXPECT_EQ(a[2].hi, 7.0);
  dd::DDSERSUB(2, a.data(), b.data(), b.data());
  EXPECT_EQ(b[1].hi, 2.0);
  dd::DDSERMUL(-1, a.data(), b.data(), nullptr);  // m < 0 does nothing
}

}  // namespace
