// Index sort, mantissa/exponent split, norm bound, extremes of y and the matrix dumps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "ddreal/outfmt.hpp"
#include "ddtyped/real.hpp"
#include "pslq/pslq.hpp"
#include "pslq/pslq_impl.hpp"

namespace {

using dd::DDReal;

std::vector<int> sorted_index(const std::vector<double>& keys) {
  std::vector<DDReal> a(keys.begin(), keys.end());
  std::vector<int> ip(std::max<std::size_t>(keys.size(), 1));
  dd::sortidx(static_cast<int>(a.size()), a.data(), ip.data());
  ip.resize(keys.size());
  return ip;
}

TEST(sortidx, fixed_partitioning_of_equal_and_small_key_sets) {
  EXPECT_EQ(sorted_index({5, 5, 5, 5, 5, 5}), (std::vector<int>{1, 6, 2, 5, 3, 4}));
  EXPECT_EQ(sorted_index({3, 1, 2, 1, 3}), (std::vector<int>{4, 2, 3, 1, 5}));
  EXPECT_EQ(sorted_index({2, 1}), (std::vector<int>{2, 1}));
  EXPECT_EQ(sorted_index({7}), (std::vector<int>{1}));
  EXPECT_EQ(sorted_index({}), (std::vector<int>{}));
}

TEST(sortidx, stack_depth_stays_logarithmic_on_sorted_input) {
  const int m = 1000;
  std::vector<DDReal> up(m), down(m);
  for (int i = 0; i < m; ++i) {
    up[i] = DDReal(i);
    down[i] = DDReal(m - i);
  }
  std::vector<int> ip(m);
  EXPECT_EQ(dd::detail::sortidx_depth(m, up.data(), ip.data()), 9);
  for (int i = 0; i < m; ++i) EXPECT_EQ(ip[i], i + 1);
  EXPECT_EQ(dd::detail::sortidx_depth(m, down.data(), ip.data()), 8);
  for (int i = 0; i < m; ++i) EXPECT_EQ(ip[i], m - i);
}

TEST(sortidx, random_keys_come_out_ascending_as_a_permutation) {
  std::mt19937_64 rng(7);
  for (int trial = 0; trial < 200; ++trial) {
    const int m = 1 + static_cast<int>(rng() % 300);
    std::vector<DDReal> a(m);
    // Few distinct values, so that ties are common.
    for (auto& v : a) {
      const double hi = static_cast<double>(rng() % 17);
      v = DDReal(hi, static_cast<double>(rng() % 3) * 1e-20);
    }
    std::vector<int> ip(m);
    const int depth = dd::detail::sortidx_depth(m, a.data(), ip.data());
    EXPECT_LE(depth, static_cast<int>(std::floor(std::log2(m))) + 1);
    std::vector<int> seen(ip);
    std::sort(seen.begin(), seen.end());
    for (int i = 0; i < m; ++i) ASSERT_EQ(seen[i], i + 1);
    for (int i = 1; i < m; ++i) ASSERT_FALSE(a[ip[i] - 1] < a[ip[i - 1] - 1]) << "m = " << m << " at " << i;
  }
}

// Short lists are ranked by counting where no two high words tie; the order
// must be the quicksort's whatever the keys (ties, -0 and +0, NaN).
TEST(sortidx, short_lists_come_out_as_the_quicksort_orders_them) {
  std::mt19937_64 rng(11);
  const double odd[] = {0.0, -0.0, std::nan(""), 1.0, 1.0 + 0x1p-52};
  for (int trial = 0; trial < 600; ++trial) {
    const int m = 1 + static_cast<int>(rng() % 34);
    std::vector<DDReal> a(m);
    for (auto& v : a) {
      const std::uint64_t r = rng();
      v = trial % 3 == 0   ? DDReal(odd[r % 5], odd[(r >> 8) % 5] * 1e-20)
          : trial % 3 == 1 ? DDReal(static_cast<double>(r % 4), static_cast<double>((r >> 8) % 3) * 1e-20)
                           : DDReal(std::ldexp(static_cast<double>(r >> 11), -40), std::ldexp(1.0, -80) * (r % 7));
    }
    std::vector<int> fast(m), plain(m);
    dd::sortidx(m, a.data(), fast.data());
    dd::detail::sortidx_depth(m, a.data(), plain.data());
    ASSERT_EQ(fast, plain) << "trial " << trial;
  }
}

struct SplitCase {
  double value;
  double mantissa;
  int exponent;
  const char* printed;  // f11.6,'e',i5
};

class decsplit_examples : public ::testing::TestWithParam<SplitCase> {};

TEST_P(decsplit_examples, mantissa_exponent_and_printed_pair) {
  const SplitCase& c = GetParam();
  double m;
  int e;
  dd::decsplit(DDReal(c.value, 0.0), m, e);
  EXPECT_NEAR(m, c.mantissa, 1e-14 * std::fabs(c.mantissa));
  EXPECT_EQ(e, c.exponent);
  EXPECT_EQ(dd::detail::format_lines("(f11.6,'e',i5)", {m, e}), std::string(c.printed) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    pslq, decsplit_examples,
    ::testing::Values(SplitCase{1234.5, 1.2345, 3, "   1.234500e    3"},
                      SplitCase{-0.00345, -3.45, -3, "  -3.450000e   -3"},
                      SplitCase{0.5, 5.0, -1, "   5.000000e   -1"}, SplitCase{0.0, 0.0, 0, "   0.000000e    0"},
                      // log10 is exactly a negative integer: one below it, mantissa 10.
                      SplitCase{0.001, 10.0, -4, "  10.000000e   -4"}, SplitCase{0.01, 10.0, -3, "  10.000000e   -3"},
                      SplitCase{1e-5, 10.0, -6, "  10.000000e   -6"}, SplitCase{1e-30, 10.0, -31, "  10.000000e  -31"},
                      SplitCase{1.0, 1.0, 0, "   1.000000e    0"}, SplitCase{165.0, 1.65, 2, "   1.650000e    2"}));

TEST(decsplit, non_finite_high_part_is_shown_unsplit) {
  double m;
  int e;
  dd::decsplit(DDReal(INFINITY, 0.0), m, e);
  EXPECT_EQ(m, INFINITY);
  EXPECT_EQ(e, 0);
  dd::decsplit(DDReal(NAN, 0.0), m, e);
  EXPECT_TRUE(std::isnan(m));
  EXPECT_EQ(e, 0);
}

TEST(log10hi, zero_high_part_and_ordinary_values) {
  EXPECT_EQ(dd::log10hi(DDReal(0.0, 0.0)), -999999.0);
  EXPECT_EQ(dd::log10hi(DDReal(-0.0, 1e-300)), -999999.0);
  EXPECT_EQ(dd::log10hi(DDReal(-1000.0, 0.0)), 3.0);
  EXPECT_EQ(dd::log10hi(DDReal(1e20, 0.0)), 20.0);
}

TEST(normbound_minmaxy, reciprocal_of_largest_diagonal_and_extremes) {
  // 3 x 3 storage, h is 3 x 2: diagonal -0.25 and 0.125.
  std::vector<DDReal> h(9, DDReal(0.0));
  h[0] = DDReal(-0.25);
  h[4] = DDReal(0.125);
  h[1] = DDReal(100.0);  // below the diagonal: not part of the bound
  DDReal bound;
  dd::normbound(3, h.data(), bound);
  EXPECT_EQ(bound.hi, 4.0);
  EXPECT_EQ(bound.lo, 0.0);

  const std::vector<DDReal> y = {DDReal(-3.0), DDReal(1e-40), DDReal(2.0)};
  DDReal lo, hi;
  dd::minmaxy(3, y.data(), lo, hi);
  EXPECT_EQ(lo.hi, 1e-40);
  EXPECT_EQ(hi.hi, 3.0);
  const std::vector<DDReal> huge = {DDReal(1e301)};
  dd::minmaxy(1, huge.data(), lo, hi);
  EXPECT_EQ(lo.hi, 1e300);  // the starting value of the minimum
}

TEST(matprint, rows_of_ten_and_nine_pairs_and_empty_rows) {
  // 1 x 10 and 1 x 9: "Row  1" then lines of 4, 4 and the rest.
  std::vector<DDReal> a(10);
  for (int j = 0; j < 10; ++j) a[j] = DDReal(j + 1.0);
  testing::internal::CaptureStdout();
  dd::matprint(1, 10, a.data());
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out,
            "Row  1\n"
            "   1.00000000e    0   2.00000000e    0   3.00000000e    0   4.00000000e    0\n"
            "   5.00000000e    0   6.00000000e    0   7.00000000e    0   8.00000000e    0\n"
            "   9.00000000e    0   1.00000000e    1\n");
  testing::internal::CaptureStdout();
  dd::matprint(1, 9, a.data());
  out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 4);
  EXPECT_NE(out.find("\n   9.00000000e    0\n"), std::string::npos);

  // Column-major 2 x 2: row 2 is (a(2,1), a(2,2)) = (3, -0.5).
  const std::vector<DDReal> m = {DDReal(1.0), DDReal(3.0), DDReal(2.0), DDReal(-0.5)};
  testing::internal::CaptureStdout();
  dd::matprint(2, 2, m.data());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Row  1\n   1.00000000e    0   2.00000000e    0\n"
            "Row  2\n   3.00000000e    0  -5.00000000e   -1\n");

  testing::internal::CaptureStdout();
  dd::matprint(2, 0, m.data());  // no columns: an empty line per row
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Row  1\n\nRow  2\n\n");
  testing::internal::CaptureStdout();
  dd::matprint(0, 5, m.data());
  dd::matwrite(0, 5, m.data());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(matwrite, one_line_of_45_characters_per_entry) {
  const std::vector<DDReal> a = {DDReal(1.0), DDReal(-0.25)};
  testing::internal::CaptureStdout();
  dd::matwrite(1, 2, a.data());
  const std::string out = testing::internal::GetCapturedStdout();
  std::vector<std::string> lines;
  for (std::size_t p = 0, q; (q = out.find('\n', p)) != std::string::npos; p = q + 1) lines.push_back(out.substr(p, q - p));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Row  1");
  EXPECT_EQ(lines[1].size(), 45u);
  EXPECT_EQ(lines[2].size(), 45u);
  EXPECT_EQ(lines[2].find("-2.5"), 0u);
}

TEST(clocks, wrap_of_a_32_bit_millisecond_count) {
  EXPECT_EQ(dd::clockwrap(-1.0), 2147482.648);
  EXPECT_EQ(dd::clockwrap(5.0), 5.0);
  const double c = dd::cputime();
  EXPECT_EQ(static_cast<double>(static_cast<float>(c)), c);  // read in single precision
}

}  // namespace
