// Integer power, n-th root, nearest integer and integer/fraction split:
// exact values, the messages that stop, and powers checked against MPFR.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "ddtyped/real.hpp"
#include "support/mpfr_ref.hpp"
#include "support/random_dd.hpp"
#include "support/stop_capture.hpp"
#include "support/words.hpp"

namespace {

using dd::DDReal;

struct PowCase {
  DDReal a;
  int n;
  double hi, lo;
};

TEST(npwr, exact_values) {
  const PowCase cases[] = {
      {2.0, 10, 1024.0, 0.0}, {2.0, -2, 0.25, 0.0},   {3.0, 5, 243.0, 0.0},    {-3.0, 3, -27.0, 0.0},
      {-2.0, -3, -0.125, 0.0}, {1.5, 0, 1.0, 0.0},    {0.0, 0, 0.0, 0.0},      {0.0, 7, 0.0, 0.0},
      {-0.0, 4, 0.0, 0.0},     {7.0, 1, 7.0, 0.0},    {7.0, 2, 49.0, 0.0},     {10.0, 22, 1e22, 0.0},
      // 10^23 is not a binary64: the lo word carries the rest exactly.
      {10.0, 23, 1e23, 8388608.0},
      {{1.0, 0x1p-60}, 1, 1.0, 0x1p-60},
  };
  for (const auto& c : cases) {
    DDReal r;
    dd::DDNPWR(c.a, c.n, r);
    EXPECT_EQ(r.hi, c.hi) << c.a.hi << "^" << c.n;
    EXPECT_EQ(r.lo, c.lo) << c.a.hi << "^" << c.n;
  }
  // A NaN base gives NaN words for every n, 0 included.
  for (int n : {0, 1, 5, -3}) {
    DDReal r;
    dd::DDNPWR(DDReal(std::nan("")), n, r);
    EXPECT_TRUE(std::isnan(r.hi) && std::isnan(r.lo)) << n;
  }
}

TEST(npwr, zero_to_negative_power_stops) {
  DDReal r(5.0, 5.0);
  EXPECT_DD_STOP(dd::DDNPWR(DDReal(0.0), -1, r), "*** DDNPWR: Argument is zero and N is negative or zero.");
  EXPECT_DD_STOP(dd::DDNPWR(DDReal(-0.0, 1.0), INT_MIN, r),
                 "*** DDNPWR: Argument is zero and N is negative or zero.");
  EXPECT_WORDS(r, 5.0, 5.0);  // not written on the stopping path
}

// Powers near the top of each bit count: n = 2^k - 1, 2^k and 2^k + 1 use the
// top binary digit of n, which a bit count one short would drop.  The base is
// close to 1 so that the power stays in range; the squarings multiply the
// relative error by up to n, so the bound scales with n up to 2^17 units of
// 2^-104, beyond which the power is checked against a three-word one.
TEST(npwr, every_bit_count_against_mpfr) {
  const DDReal a(1.0 + 0x1p-33, 0x1p-90);
  for (int k = 2; k <= 31; ++k) {
    for (long long n : {(1LL << k) - 1, 1LL << k, (1LL << k) + 1, -(1LL << k)}) {
      if (n > INT_MAX || n < INT_MIN) continue;
      DDReal r;
      dd::DDNPWR(a, static_cast<int>(n), r);
      dd::test::Mp want;
      mpfr_pow_si(want, dd::test::Mp(a), static_cast<long>(n), MPFR_RNDN);
      const double bound = std::min(4e-32 * static_cast<double>(n < 0 ? -n : n) + 1e-31, 0x1.02p-87);
      EXPECT_LT(dd::test::rel_error(r, want), bound) << "n = " << n;
    }
  }
}

TEST(npwr, most_negative_exponent) {
  // (1 + 2^-40)^(-2^31) = exp(-2^-9 + ...): a magnitude of 2^31 must be used in full.
  const DDReal a(1.0 + 0x1p-40);
  DDReal r;
  dd::DDNPWR(a, INT_MIN, r);
  dd::test::Mp want;
  mpfr_pow_si(want, dd::test::Mp(a), static_cast<long>(INT_MIN), MPFR_RNDN);
  EXPECT_LT(dd::test::rel_error(r, want), 1e-22);
  EXPECT_NEAR(r.hi, std::exp(-0x1p-9), 1e-15);
  dd::DDNPWR(DDReal(1.0), INT_MIN, r);
  EXPECT_WORDS(r, 1.0, 0.0);
  dd::DDNPWR(DDReal(-1.0), INT_MIN, r);  // even exponent
  EXPECT_WORDS(r, 1.0, 0.0);
  dd::DDNPWR(DDReal(-1.0), INT_MAX, r);  // odd exponent
  EXPECT_WORDS(r, -1.0, 0.0);
}

TEST(nrt, exact_roots_and_the_test_vector) {
  DDReal r;
  dd::DDNRT(DDReal(8.0), 3, r);
  EXPECT_WORDS(r, 2.0, 0.0);
  dd::DDNRT(DDReal(27.0), 3, r);
  EXPECT_WORDS(r, 3.0, 0.0);
  dd::DDNRT(DDReal(16.0), 4, r);
  EXPECT_WORDS(r, 2.0, 0.0);
  dd::DDNRT(DDReal(0.0), -5, r);
  EXPECT_WORDS(r, 0.0, 0.0);
  dd::DDNRT(DDReal(-0.0, 1.0), 3, r);
  EXPECT_WORDS(r, 0.0, 0.0);
  dd::DDNRT(DDReal(2.0, 1e-17), 1, r);
  EXPECT_WORDS(r, 2.0, 1e-17);
  DDReal s;
  dd::DDNRT(DDReal(2.0), 2, r);
  dd::DDSQRT(DDReal(2.0), s);
  EXPECT_SAME(r, s);

  DDReal c2, c3, alpha;
  dd::DDNRT(DDReal(2.0), 3, c2);
  dd::DDNRT(DDReal(3.0), 3, c3);
  dd::DDSUB(c3, c2, alpha);
  EXPECT_WORDS(c2, 1.2599210498948732, -2.5899333753005075e-17);
  EXPECT_WORDS(c3, 1.4422495703074083, 8.054912676113686e-17);
  EXPECT_WORDS(alpha, 0.18232852041253522, -4.57384194837372e-18);
}

TEST(nrt, messages) {
  DDReal r(5.0, 5.0);
  EXPECT_DD_STOP(dd::DDNRT(DDReal(-2.0), 3, r), "*** DDNRT: Argument is negative.");
  EXPECT_DD_STOP(dd::DDNRT(DDReal(-2.0), 0, r), "*** DDNRT: Argument is negative.");  // sign is tested first
  EXPECT_DD_STOP(dd::DDNRT(DDReal(5.0), 0, r), "*** DDNRT: Improper value of N         0");
  EXPECT_DD_STOP(dd::DDNRT(DDReal(5.0), -12, r), "*** DDNRT: Improper value of N       -12");
  EXPECT_DD_STOP(dd::DDNRT(DDReal(5.0), INT_MIN, r), "*** DDNRT: Improper value of N**********");
  EXPECT_WORDS(r, 5.0, 5.0);
}

struct RoundCase {
  DDReal a;
  double hi, lo;
};

TEST(nint, ties_go_to_even) {
  const RoundCase cases[] = {
      {0.5, 0.0, 0.0},
      {1.5, 2.0, 0.0},
      {2.5, 2.0, 0.0},
      {3.5, 4.0, 0.0},
      {-0.5, 0.0, 0.0},
      {-1.5, -2.0, 0.0},
      {-2.5, -2.0, 0.0},
      {0.49999999999999994, 0.0, 0.0},
      {-0.49999999999999994, 0.0, 0.0},
      {{1.0, -1e-20}, 1.0, 0.0},
      {{0.5, 1e-20}, 1.0, 0.0},  // the lo word breaks the tie
      {{0x1p60, 0.5}, 0x1p60, 0.0},
      {{0x1p60, 1.5}, 0x1p60, 2.0},
      {{0x1p60, -0.5}, 0x1p60, 0.0},
      {{0x1p60, 0.25}, 0x1p60, 0.0},
      {{0x1p60, -0.25}, 0x1p60, 0.0},
      {{0x1p60, -0.75}, 0x1p60, -1.0},
      {{-0x1p60, 0.75}, -0x1p60, 1.0},
      {{-0x1p60, 0.5}, -0x1p60, 0.0},
      {{0x1p52 + 1.0, 0.5}, 0x1p52 + 2.0, 0.0},  // odd hi: the tie goes up to even
      {{0x1p52 + 1.0, -0.5}, 0x1p52, 0.0},
      {{0x1p52 + 1.0, 0.25}, 0x1p52 + 1.0, 0.0},
      {{0x1p53, -0.5}, 0x1p53, 0.0},
      {{0x1p53, 1.0}, 0x1p53, 1.0},  // already whole
      {{1e20, -0.5}, 1e20, 0.0},
      {{3.5, -1e-20}, 3.0, 0.0},
      {{-3.5, 1e-20}, -3.0, 0.0},
      {{-2.5, -1e-20}, -3.0, 0.0},
      {{-0x1p60, -1.5}, -0x1p60, -2.0},
      {{0x1p100, 0x1p47}, 0x1p100, 0x1p47},  // already an integer
      {{-4.1e31, 0.0}, -4.1e31, 0.0},        // no lower bound
      {{0.0, 0.75}, 0.0, 0.0},               // zero hi word
      {{-0.0, 0.0}, 0.0, 0.0},
  };
  for (const auto& c : cases) {
    DDReal r;
    dd::DDNINT(c.a, r);
    // Numeric comparison: the sign of a zero lo word is not part of the result.
    EXPECT_EQ(r.hi, c.hi) << "(" << c.a.hi << ", " << c.a.lo << ")";
    EXPECT_EQ(r.lo, c.lo) << "(" << c.a.hi << ", " << c.a.lo << ")";
  }
}

struct SplitCase {
  DDReal a;
  DDReal whole, frac;
};

TEST(infr, integer_part_toward_zero) {
  const SplitCase cases[] = {
      {2.5, 2.0, 0.5},
      {-2.5, -2.0, -0.5},
      {0.5, 0.0, 0.5},
      {-0.5, 0.0, -0.5},
      {3.0, 3.0, 0.0},
      {-3.0, -3.0, 0.0},
      {2.75, 2.0, 0.75},  // the nearest integer 3 lies above: one is taken off
      {-2.75, -2.0, -0.75},
      {{0x1p60, -0.5}, {0x1p60, -1.0}, 0.5},  // decided by the lo words
      {{-0x1p60, 0.5}, {-0x1p60, 1.0}, -0.5},
      {{0x1p60, 0.5}, 0x1p60, 0.5},
      {{0x1p60, -0.25}, {0x1p60, -1.0}, 0.75},
      {{0x1p60, -0.75}, {0x1p60, -1.0}, 0.25},
      {{-0x1p60, 0.75}, {-0x1p60, 1.0}, -0.25},
      {{0x1p52 + 1.0, -0.5}, 0x1p52, 0.5},
      {{0.5, 1e-20}, 0.0, {0.5, 1e-20}},
      {{0.0, 0.5}, 0.0, 0.0},
  };
  for (const auto& c : cases) {
    DDReal b, f;
    dd::DDINFR(c.a, b, f);
    EXPECT_EQ(b.hi, c.whole.hi) << "(" << c.a.hi << ", " << c.a.lo << ")";
    EXPECT_EQ(b.lo, c.whole.lo) << "(" << c.a.hi << ", " << c.a.lo << ")";
    EXPECT_EQ(f.hi, c.frac.hi) << "(" << c.a.hi << ", " << c.a.lo << ")";
    EXPECT_EQ(f.lo, c.frac.lo) << "(" << c.a.hi << ", " << c.a.lo << ")";
  }
}

TEST(rounding, too_large_arguments_stop) {
  DDReal b(5.0, 5.0), f(5.0, 5.0);
  EXPECT_DD_STOP(dd::DDNINT(DDReal(4.1e31), b), "*** DDNINT: Argument is too large.");
  EXPECT_DD_STOP(dd::DDINFR(DDReal(4.1e31), b, f), "*** DDINFR: Argument is too large.");
  EXPECT_DD_STOP(dd::DDNINT(DDReal(0x1p105), b), "*** DDNINT: Argument is too large.");
  EXPECT_DD_STOP(dd::DDNINT(DDReal(std::numeric_limits<double>::infinity()), b),
                 "*** DDNINT: Argument is too large.");
  EXPECT_WORDS(b, 5.0, 5.0);
  EXPECT_WORDS(f, 5.0, 5.0);
  // Just below the bound and any negative size are accepted.
  dd::DDNINT(DDReal(0x1p105 - 0x1p52), b);
  EXPECT_WORDS(b, 0x1p105 - 0x1p52, 0.0);
  dd::DDINFR(DDReal(-4.1e31), b, f);
  EXPECT_EQ(b.hi, -4.1e31);
  EXPECT_EQ(f.hi, 0.0);
}

// Random operands: the integer part and fraction add back to the argument
// (f = a - b is one subtraction, exact up to its last bit), the fraction lies in (-1, 1) with the argument's sign, and the
// nearest integer is MPFR's (ties to even).
TEST(rounding, random_identities) {
  dd::test::RandomDD rnd(11);
  for (int k = 0; k < 4000; ++k) {
    const DDReal a = rnd(-10, 100);
    DDReal b, f, n;
    dd::DDINFR(a, b, f);
    dd::test::Mp sum, whole;
    mpfr_add(sum, dd::test::Mp(b), dd::test::Mp(f), MPFR_RNDN);
    EXPECT_LT(dd::test::rel_error(a, sum), 0x1p-104) << a.hi << " " << a.lo;
    EXPECT_TRUE(mpfr_integer_p(dd::test::Mp(b))) << a.hi << " " << a.lo;
    EXPECT_LT(std::fabs(f.hi), 1.0);
    EXPECT_TRUE(f.hi == 0.0 || std::signbit(f.hi) == std::signbit(a.hi));

    dd::DDNINT(a, n);
    EXPECT_TRUE(mpfr_integer_p(dd::test::Mp(n))) << a.hi << " " << a.lo;
    mpfr_rint(whole, dd::test::Mp(a), MPFR_RNDN);  // ties to even
    EXPECT_EQ(mpfr_cmp(whole, dd::test::Mp(n)), 0) << a.hi << " " << a.lo;
  }
}

}  // namespace
