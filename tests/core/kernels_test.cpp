// Exact values of the kernels, their special cases, and in-place use.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "ddtyped/real.hpp"
#include "support/mpfr_ref.hpp"
#include "support/random_dd.hpp"
#include "support/words.hpp"

namespace {

using dd::DDReal;
using dd::test::bits;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(kernels, add_sub_exact_values) {
  DDReal r;
  dd::DDADD(DDReal(1.0), DDReal(0x1p-60), r);
  EXPECT_WORDS(r, 1.0, 0x1p-60);
  // Both lo words are carried: (1, 2^-60) + (2^-54, 2^-110); the 2^-110 is rounded off.
  dd::DDADD(DDReal(1.0, 0x1p-60), DDReal(0x1p-54, 0x1p-110), r);
  EXPECT_WORDS(r, 1.0, 0x1p-54 + 0x1p-60);
  // A sum past the midpoint of hi's last place moves hi up and makes lo negative.
  dd::DDADD(DDReal(1.0, 0x1p-60), DDReal(0x1p-53, 0.0), r);
  EXPECT_WORDS(r, 1.0 + 0x1p-52, -(0x1p-53 - 0x1p-60));

  const DDReal a(3.0, 1e-17);
  dd::DDSUB(a, a, r);
  EXPECT_WORDS(r, 0.0, 0.0);
  dd::DDSUB(DDReal(1.0), DDReal(0x1p-60), r);
  EXPECT_WORDS(r, 1.0, -0x1p-60);
  // The hi words cancel and the lo words become the result.
  dd::DDSUB(DDReal(1.0, 0x1p-60), DDReal(1.0, -0x1p-61), r);
  EXPECT_WORDS(r, 0x1p-60 + 0x1p-61, 0.0);
}

TEST(kernels, products_exact_values) {
  DDReal r;
  const double x = 1.0 + 0x1p-30;
  dd::DDMULDD(x, x, r);
  EXPECT_WORDS(r, 1.0 + 0x1p-29, 0x1p-60);
  // The pair is not renormalised: hi and lo are exactly the product and its error.
  dd::DDMULDD(0.1, 0.1, r);
  EXPECT_EQ(r.hi, 0.1 * 0.1);
  dd::test::Mp exact, sum(r);
  mpfr_mul_d(exact, dd::test::Mp(DDReal(0.1)), 0.1, MPFR_RNDN);
  EXPECT_EQ(mpfr_cmp(exact, sum), 0);

  dd::DDMUL(DDReal(x), DDReal(x), r);
  EXPECT_WORDS(r, 1.0 + 0x1p-29, 0x1p-60);
  dd::DDMULD(DDReal(1.0, 0x1p-60), 3.0, r);
  EXPECT_WORDS(r, 3.0, 3.0 * 0x1p-60);
  dd::DDMUL(DDReal(1.0, 0x1p-60), DDReal(1.0, 0x1p-60), r);
  EXPECT_WORDS(r, 1.0, 0x1p-59);  // the 2^-120 term is below the last bit
}

TEST(kernels, division_exact_values) {
  DDReal r;
  dd::DDDIV(DDReal(6.0), DDReal(3.0), r);
  EXPECT_WORDS(r, 2.0, 0.0);
  dd::DDDIVD(DDReal(6.0), 4.0, r);
  EXPECT_WORDS(r, 1.5, 0.0);
  // 1/3 to double-double: hi is the binary64 third, lo the next 53 bits.
  DDReal third, thirdd;
  dd::DDDIV(DDReal(1.0), DDReal(3.0), third);
  dd::DDDIVD(DDReal(1.0), 3.0, thirdd);
  EXPECT_SAME(third, thirdd);
  EXPECT_EQ(third.hi, 1.0 / 3.0);
  EXPECT_EQ(third.lo, 1.850371707708594e-17);
  // Zero divisors follow IEEE rules without a message.
  dd::DDDIV(DDReal(1.0), DDReal(0.0), r);
  EXPECT_TRUE(std::isinf(r.hi) || std::isnan(r.hi));
  dd::DDDIVD(DDReal(1.0), 0.0, r);
  EXPECT_TRUE(std::isinf(r.hi) || std::isnan(r.hi));
}

TEST(kernels, sqrt_special_cases) {
  DDReal r;
  dd::DDSQRT(DDReal(4.0), r);
  EXPECT_WORDS(r, 2.0, 0.0);
  // A zero hi word is an exact zero whatever the lo word.
  dd::DDSQRT(DDReal(0.0, 5e-20), r);
  EXPECT_WORDS(r, 0.0, 0.0);
  dd::DDSQRT(DDReal(-0.0, -0.0), r);
  EXPECT_WORDS(r, 0.0, 0.0);
  dd::DDSQRT(DDReal(-1.0), r);
  EXPECT_TRUE(std::isnan(r.hi));
  EXPECT_TRUE(std::isnan(r.lo));
}

TEST(kernels, negation_and_absolute_value_keep_words) {
  DDReal r;
  dd::DDNEG(DDReal(0.0, 0.0), r);
  EXPECT_WORDS(r, -0.0, -0.0);
  dd::DDNEG(DDReal(2.0, -1e-17), r);
  EXPECT_WORDS(r, -2.0, 1e-17);

  dd::DDABS(DDReal(-0.0, 0.0), r);  // hi >= 0 holds for -0: unchanged
  EXPECT_WORDS(r, -0.0, 0.0);
  dd::DDABS(DDReal(-2.0, 1e-17), r);
  EXPECT_WORDS(r, 2.0, -1e-17);
  dd::DDABS(DDReal(2.0, -1e-17), r);
  EXPECT_WORDS(r, 2.0, -1e-17);
  // A NaN hi word takes the negative branch: both sign bits flip.
  const double neg_nan = -kNaN;
  dd::DDABS(DDReal(neg_nan, -1.0), r);
  EXPECT_EQ(bits(r.hi), bits(neg_nan) ^ 0x8000000000000000u);
  EXPECT_WORDS(DDReal(0.0, r.lo), 0.0, 1.0);

  dd::DDCOPY(DDReal(-0.0, 1e-300), r);
  EXPECT_WORDS(r, -0.0, 1e-300);
}

struct CompareCase {
  DDReal a, b;
  int want;
};

TEST(kernels, compare_is_lexicographic_and_nan_is_greater) {
  const CompareCase cases[] = {
      {{1.0, 1e-17}, {1.0, 2e-17}, -1},
      {{1.0, 2e-17}, {1.0, 1e-17}, 1},
      {{1.0, 1e-17}, {1.0, 1e-17}, 0},
      {{1.0, 1.0}, {2.0, -5.0}, -1},  // hi decides even against the lo words
      {{0.0, 0.0}, {-0.0, -0.0}, 0},
      {{-0.0, 0.0}, {0.0, -0.0}, 0},
      {{kNaN, 0.0}, {1.0, 0.0}, 1},
      {{1.0, 0.0}, {kNaN, 0.0}, 1},
      {{kNaN, 0.0}, {kNaN, 0.0}, 1},
      {{1.0, kNaN}, {1.0, 0.0}, 1},
      {{1.0, 0.0}, {1.0, kNaN}, 1},
      {{-kInf, 0.0}, {kInf, 0.0}, -1},
  };
  for (const auto& c : cases) {
    int ic = 99;
    dd::DDCOMPARE(c.a, c.b, ic);
    EXPECT_EQ(ic, c.want) << "(" << c.a.hi << ", " << c.a.lo << ") vs (" << c.b.hi << ", " << c.b.lo << ")";
  }
}

TEST(kernels, sign_looks_at_hi_only) {
  EXPECT_EQ(dd::DDSIGN(DDReal(0.0, -1e-300)), 0);
  EXPECT_EQ(dd::DDSIGN(DDReal(-0.0, 1.0)), 0);
  EXPECT_EQ(dd::DDSIGN(DDReal(1e-300, -1e-320)), 1);
  EXPECT_EQ(dd::DDSIGN(DDReal(-3.0, 1e-16)), -1);
  EXPECT_EQ(dd::DDSIGN(DDReal(kNaN, 0.0)), -1);
}

TEST(kernels, conversions_and_constants) {
  double d = 0.0;
  dd::DDTOD(DDReal(2.5, 1e-17), d);
  EXPECT_EQ(d, 2.5);
  DDReal r(7.0, 7.0);
  dd::DDFROMD(-3.25, r);
  EXPECT_WORDS(r, -3.25, 0.0);
  int n = 99;
  dd::DDSPLITEXP(DDReal(1e300, 1e280), d, n);
  EXPECT_EQ(d, 1e300);
  EXPECT_EQ(n, 0);

  dd::DDPI(r);
  EXPECT_EQ(bits(r.hi), 0x400921FB54442D18u);
  EXPECT_EQ(bits(r.lo), 0x3CA1A62633145C07u);
  dd::DDLOG2(r);
  EXPECT_EQ(bits(r.hi), 0x3FE62E42FEFA39EFu);
  EXPECT_EQ(bits(r.lo), 0x3C7ABC9E3B39803Fu);
  dd::DDEULER(r);
  EXPECT_EQ(bits(r.hi), 0x3FE2788CFC6FB619u);
  EXPECT_EQ(bits(r.lo), 0xBC56CB90701FBFA0u);
}

struct JoinCase {
  double d;
  int n;
  double want;
};

TEST(kernels, joinexp_range_limits) {
  const JoinCase cases[] = {
      {1.5, 3, 12.0},
      {1.0, 0, 1.0},
      {-3.0, -2, -0.75},
      {1.0, 1023, 0x1p1023},
      {1.0, -1022, 0x1p-1022},
      {1.0, -1023, 0x1p-1023},             // subnormal, still exact
      {0x1p100, -1030, 0.0},               // 2^-1030 itself is 1/inf = 0
      {1.0, -1024, 0.0},
      {1.0, 1024, kInf},
      {-1.0, 1024, -kInf},
      {0.5, 1024, kInf},                   // 2^1024 is formed first
      {1.0, INT_MAX, kInf},
      {1.0, INT_MIN, 0.0},
  };
  for (const auto& c : cases) {
    DDReal r(5.0, 5.0);
    dd::DDJOINEXP(c.d, c.n, r);
    EXPECT_WORDS(r, c.want, 0.0) << "d = " << c.d << ", n = " << c.n;
  }
}

// An output that shares storage with an input gives the same words as
// separate storage, for every kernel and every pairing of the operands.
TEST(kernels, outputs_may_alias_inputs) {
  dd::test::RandomDD rnd(7);
  for (int k = 0; k < 200; ++k) {
    const DDReal a = rnd(-20, 20), b = rnd(-20, 20);
    const double d = rnd(-20, 20).hi;
    using Bin = void (*)(const DDReal&, const DDReal&, DDReal&);
    for (Bin f : {Bin(dd::DDADD), Bin(dd::DDSUB), Bin(dd::DDMUL), Bin(dd::DDDIV)}) {
      DDReal want, x = a, y = b;
      f(a, b, want);
      f(x, y, x);
      EXPECT_SAME(x, want);
      x = a;
      f(x, y, y);
      EXPECT_SAME(y, want);
      f(a, a, want);
      x = a;
      f(x, x, x);
      EXPECT_SAME(x, want);
    }
    using BinD = void (*)(const DDReal&, double, DDReal&);
    for (BinD f : {BinD(dd::DDMULD), BinD(dd::DDDIVD)}) {
      DDReal want, x = a;
      f(a, d, want);
      f(x, d, x);
      EXPECT_SAME(x, want);
    }
    using Un = void (*)(const DDReal&, DDReal&);
    for (Un f : {Un(dd::DDSQRT), Un(dd::DDNEG), Un(dd::DDABS), Un(dd::DDCOPY)}) {
      DDReal want, x = dd::abs(a);
      f(x, want);
      f(x, x);
      EXPECT_SAME(x, want);
    }
    // Routines built on the kernels keep the property.
    DDReal want, x = a;
    dd::DDNPWR(a, 5, want);
    dd::DDNPWR(x, 5, x);
    EXPECT_SAME(x, want);
    x = a;
    dd::DDNINT(a, want);
    dd::DDNINT(x, x);
    EXPECT_SAME(x, want);
    DDReal f1, f2, t = a;
    dd::DDINFR(a, want, f1);
    dd::DDINFR(t, t, f2);
    EXPECT_SAME(t, want);
    EXPECT_SAME(f2, f1);
    t = a;
    DDReal b1;
    dd::DDINFR(t, b1, t);  // the fraction written over the argument
    EXPECT_SAME(b1, want);
    EXPECT_SAME(t, f1);
    // The n-th root keeps its iterate apart from the argument, so it may alias too.
    x = dd::abs(a);
    dd::DDNRT(x, 3, want);
    dd::DDNRT(x, 3, x);
    EXPECT_SAME(x, want);
  }
}

}  // namespace
