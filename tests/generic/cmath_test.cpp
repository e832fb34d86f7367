// DDReal in code written for double: the <cmath> names found by
// argument-dependent lookup, exact rounding, fmod and integer construction,
// the accuracy of the new functions against MPFR, and pow of a negative base.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "ddtyped/cmath.hpp"
#include "support/mpfr_ref.hpp"
#include "support/random_dd.hpp"
#include "support/stop_capture.hpp"
#include "support/words.hpp"

namespace {

using dd::DDReal;
using dd::test::Mp;
using dd::test::rel_ulps;

// ---- one template, instantiated for double and for DDReal -----------------------

/// Written as for double, with unqualified calls: DDReal's functions are found
/// by argument-dependent lookup, double's through the using-declarations.
template <class T>
T generic_mix(T x) {
  using std::cbrt, std::ceil, std::copysign, std::exp, std::expm1, std::fabs, std::floor, std::fmax, std::fmin,
      std::fmod, std::frexp, std::hypot, std::isfinite, std::isinf, std::isnan, std::ldexp, std::log1p, std::log2,
      std::pow, std::round, std::signbit, std::sqrt, std::trunc;
  int e = 0;
  const T m = frexp(x, &e);
  T s = hypot(x, T(3)) + log1p(x / 8) - expm1(-x / 4) + cbrt(-x) + log2(x) + exp(-x) * sqrt(x);
  s += fmod(x * 10, T(7)) + floor(x) - ceil(-x) + round(x) - trunc(x) + pow(-x, 3.0);
  s += ldexp(m, e) + copysign(fmin(x, T(1)), T(-1)) + fmax(fabs(x), T(0.5));
  if (isnan(s) || isinf(s) || !isfinite(s) || signbit(x)) return T(0);
  return s;
}

TEST(generic_code, one_template_for_double_and_ddreal) {
  for (const double x : {0.375, 1.0, 2.5, 9.75, 31.0}) {
    const double d = generic_mix(x);
    const DDReal q = generic_mix(DDReal(x));
    EXPECT_NEAR(q.hi, d, 1e-13 * std::fabs(d)) << x;
    EXPECT_NE(q.lo, 0.0) << x;  // formed in double-double, not in binary64
  }
}

// ---- integers of 64 bits, exactly ------------------------------------------------

TEST(generic_code, integers_convert_exactly) {
  const std::int64_t big = (std::int64_t{1} << 60) + 1;
  const DDReal x = big;
  EXPECT_WORDS(x, 0x1p60, 1.0);
  const DDReal sum = (std::int64_t{1} << 60) + 1 + DDReal(0.0);  // integer arithmetic first, then exact
  EXPECT_WORDS(sum, 0x1p60, 1.0);
  const DDReal small = 7;  // an int literal: no ambiguity, the words of the double constructor
  EXPECT_WORDS(small, 7.0, 0.0);
  for (const std::int64_t n : {std::int64_t{0}, std::int64_t{-7}, -big, std::numeric_limits<std::int64_t>::max(),
                               std::numeric_limits<std::int64_t>::min(), std::int64_t{(1LL << 53) + 1}}) {
    const DDReal a = n;
    Mp want(64);
    mpfr_set_sj(want, n, MPFR_RNDN);
    EXPECT_EQ(rel_ulps(a, want), 0.0) << n;
    EXPECT_EQ(a.hi, static_cast<double>(n)) << n;  // normalised: hi is n rounded
  }
  for (const std::uint64_t n : {std::uint64_t{0}, std::numeric_limits<std::uint64_t>::max(), ~std::uint64_t{0} >> 1,
                                std::uint64_t{0x8000000000000401}}) {
    const DDReal a = n;
    Mp want(64);
    mpfr_set_uj(want, n, MPFR_RNDN);
    EXPECT_EQ(rel_ulps(a, want), 0.0) << n;
    EXPECT_EQ(static_cast<std::uint64_t>(a), n);  // and back, exactly
  }
  // Mixed arithmetic and comparison keep a wide integer exact.
  EXPECT_WORDS(DDReal(0.5) * big, 0x1p59, 0.5);
  EXPECT_TRUE(DDReal(0x1p60) < big);
  // Back to integers: toward zero from both words, saturating, NaN to 0.
  EXPECT_EQ(static_cast<std::int64_t>(DDReal(0x1p60, -0.5)), (std::int64_t{1} << 60) - 1);
  EXPECT_EQ(static_cast<std::int64_t>(DDReal(-0x1p60, 0.5)), -(std::int64_t{1} << 60) + 1);
  EXPECT_EQ(static_cast<std::int64_t>(DDReal(0x1p63, -1024.0)), std::numeric_limits<std::int64_t>::max() - 1023);
  EXPECT_EQ(static_cast<std::int64_t>(DDReal(1e300)), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(static_cast<int>(DDReal(-2.75, -1e-17)), -2);
  EXPECT_EQ(static_cast<unsigned>(DDReal(-5.0)), 0u);
  EXPECT_EQ(static_cast<int>(DDReal(std::numeric_limits<double>::quiet_NaN(), 0.0)), 0);
}

// ---- rounding to integers and fmod, exact --------------------------------------------

struct RoundCase {
  DDReal a;
  double floor_hi, floor_lo, ceil_hi, ceil_lo, round_hi, round_lo, trunc_hi, trunc_lo;
};

TEST(generic_code, rounding_to_integers_uses_both_words) {
  const RoundCase cases[] = {
      {DDReal(2.5, 0.0), 2, 0, 3, 0, 3, 0, 2, 0},
      {DDReal(2.5, -1e-20), 2, 0, 3, 0, 2, 0, 2, 0},  // just below the tie
      {DDReal(-2.5, 1e-20), -3, 0, -2, 0, -2, 0, -2, 0},
      {DDReal(-2.5, 0.0), -3, 0, -2, 0, -3, 0, -2, 0},
      {DDReal(3.0, -1e-20), 2, 0, 3, 0, 3, 0, 2, 0},  // a whole hi word, a fraction below it
      {DDReal(-3.0, 1e-20), -3, 0, -2, 0, -3, 0, -2, 0},
      {DDReal(0x1p60, -0.5), 0x1p60, -1, 0x1p60, 0, 0x1p60, 0, 0x1p60, -1},
      {DDReal(0x1p60, 0.5), 0x1p60, 0, 0x1p60, 1, 0x1p60, 1, 0x1p60, 0},
      {DDReal(-0x1p60, -0.25), -0x1p60, -1, -0x1p60, 0, -0x1p60, 0, -0x1p60, 0},
      {DDReal(0x1p110, 1.5), 0x1p110, 1, 0x1p110, 2, 0x1p110, 2, 0x1p110, 1},  // beyond DDINFR's 2^105
      {DDReal(0.25, 0.0), 0, 0, 1, 0, 0, 0, 0, 0},
  };
  for (const RoundCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a.hi << " + " << c.a.lo);
    EXPECT_WORDS(floor(c.a), c.floor_hi, c.floor_lo);
    EXPECT_WORDS(ceil(c.a), c.ceil_hi, c.ceil_lo);
    EXPECT_WORDS(round(c.a), c.round_hi, c.round_lo);
    EXPECT_WORDS(trunc(c.a), c.trunc_hi, c.trunc_lo);
  }
  // Random pairs of every size from 2^-4 to 2^120, against MPFR's exact rounding.
  dd::test::RandomDD rnd(7);
  for (int k = 0; k < 4000; ++k) {
    const DDReal a = rnd(-4, 120);
    const auto check = [&a](DDReal got, mpfr_rnd_t mode, const char* name) {
      Mp want(a);
      mpfr_rint(want, want, mode);
      ASSERT_EQ(rel_ulps(got, want), 0.0) << name << " of " << a.hi << " + " << a.lo;
    };
    check(floor(a), MPFR_RNDD, "floor");
    check(ceil(a), MPFR_RNDU, "ceil");
    check(round(a), MPFR_RNDNA, "round");
    check(trunc(a), MPFR_RNDZ, "trunc");
  }
  // Below 2^105 trunc keeps DDINFR's words.
  DDReal t, f;
  dd::DDINFR(DDReal(-7.75, 1e-17), t, f);
  EXPECT_SAME(trunc(DDReal(-7.75, 1e-17)), t);
}

/// The exact remainder of the words, rounded to the nearest pair, from MPFR.
DDReal fmod_reference(const DDReal& a, const DDReal& b) {
  Mp x(a, 2400), y(b, 2400), r(2400);
  mpfr_fmod(r, x, y, MPFR_RNDN);
  return dd::test::to_ddreal(r);
}

TEST(generic_code, fmod_is_the_exact_remainder) {
  EXPECT_WORDS(fmod(DDReal(7.0), DDReal(2.0)), 1.0, 0.0);
  EXPECT_WORDS(fmod(DDReal(-7.0), DDReal(2.0)), -1.0, 0.0);
  EXPECT_WORDS(fmod(DDReal(-4.0), DDReal(2.0)), -0.0, 0.0);
  EXPECT_SAME(fmod(DDReal(1e40), DDReal(3.0)), fmod_reference(DDReal(1e40), DDReal(3.0)));
  // fmod(a, pi) far from zero: a - b trunc(a / b) loses the remainder's digits, the exact remainder keeps them.
  const DDReal pi = std::numbers::pi_v<DDReal>;
  EXPECT_SAME(fmod(DDReal(1e22), pi), fmod_reference(DDReal(1e22), pi));
  EXPECT_TRUE(dd::isnan(fmod(DDReal(1.0), DDReal(0.0))));
  EXPECT_TRUE(dd::isnan(fmod(DDReal(std::numeric_limits<double>::infinity()), DDReal(1.0))));
  EXPECT_WORDS(fmod(DDReal(5.0, 1e-30), DDReal(std::numeric_limits<double>::infinity())), 5.0, 1e-30);

  // Quotients from 2^-1000 to 2^2000, words of every magnitude.
  std::mt19937_64 g(11);
  std::uniform_int_distribution<int> ea(-1000, 1020), eb(-1020, 1000);
  // One draw per statement, so that every compiler draws the same numbers.
  auto draw = [&g](std::uniform_int_distribution<int>& e) {
    const double sign = g() & 1 ? 1.0 : -1.0;
    const double m = sign * (1.0 + 0x1p-53 * static_cast<double>(g() >> 11));
    const double x = std::ldexp(m, e(g));
    return dd::test::with_random_lo(g, x);
  };
  for (int k = 0; k < 3000; ++k) {
    const DDReal a = draw(ea);
    const DDReal b = draw(eb);
    ASSERT_TRUE(dd::test::same_words(fmod(a, b), fmod_reference(a, b)))
        << a.hi << " + " << a.lo << " mod " << b.hi << " + " << b.lo;
  }
}

// ---- scaling, classification, sign, min and max ----------------------------------------

TEST(generic_code, scaling_classification_and_nan_handling) {
  int e = 0;
  EXPECT_WORDS(frexp(DDReal(12.0, 1e-16), &e), 0.75, 1e-16 / 16);
  EXPECT_EQ(e, 4);
  // hi = 2^-1 with a negative lo word: the value is below 1/2, so m doubles.
  EXPECT_WORDS(frexp(DDReal(0.5, -0x1p-60), &e), 1.0, -0x1p-59);
  EXPECT_EQ(e, -1);
  EXPECT_WORDS(ldexp(DDReal(0.75, 1e-17), 10), 768.0, 1024e-17);

  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(dd::isnan(DDReal(1.0, nan)));
  EXPECT_FALSE(dd::isfinite(DDReal(1.0, nan)));
  EXPECT_TRUE(dd::isinf(DDReal(-inf, 0.0)));
  EXPECT_FALSE(dd::isinf(DDReal(inf, nan)));
  EXPECT_TRUE(dd::signbit(DDReal(-0.0, 0.0)));
  EXPECT_WORDS(fmin(DDReal(nan, 0.0), DDReal(2.0)), 2.0, 0.0);
  EXPECT_WORDS(fmax(DDReal(2.0), DDReal(nan, 0.0)), 2.0, 0.0);
  EXPECT_WORDS(copysign(DDReal(3.0, 1e-16), DDReal(-0.0)), -3.0, -1e-16);

  // hypot scales operands whose squares would leave the kernels' range.
  EXPECT_WORDS(hypot(DDReal(0x1p990 * 3), DDReal(0x1p990 * 4)), 0x1p990 * 5, 0.0);
  EXPECT_WORDS(hypot(DDReal(0x1p-1000 * 3), DDReal(0x1p-1000 * 4)), 0x1p-1000 * 5, 0.0);
  EXPECT_WORDS(hypot(DDReal(-inf), DDReal(nan)), inf, 0.0);
}

// ---- accuracy against MPFR --------------------------------------------------------------

struct AccuracyCase {
  const char* name;
  DDReal (*f)(const DDReal&);
  int (*ref)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
  double lo, hi;   // arguments shift + sign * 2^u, u uniform in [lo, hi]
  bool negative;   // random sign
  double shift;    // added in double-double
  double bound;    // in units of 2^-104, relative
};

TEST(generic_code, accuracy_of_the_new_functions) {
  auto log1p = [](const DDReal& a) { return dd::log1p(a); };
  auto expm1 = [](const DDReal& a) { return dd::expm1(a); };
  auto log2 = [](const DDReal& a) { return dd::log2(a); };
  auto exp2 = [](const DDReal& a) { return dd::exp2(a); };
  auto cbrt = [](const DDReal& a) { return dd::cbrt(a); };
  const AccuracyCase cases[] = {
      {"log1p near 0", log1p, mpfr_log1p, -200, -1.6, true, 0.0, 8},
      {"log1p", log1p, mpfr_log1p, -1.6, 300, false, 0.0, 64},  // DDLOG's own error
      {"log1p near -1", log1p, mpfr_log1p, -100, -1.6, false, -1.0, 64},
      {"expm1 near 0", expm1, mpfr_expm1, -200, -1, true, 0.0, 8},
      {"expm1", expm1, mpfr_expm1, -1, 8, true, 0.0, 200},  // DDEXP's own error
      {"log2 near 1", log2, mpfr_log2, -200, -1.5, true, 1.0, 8},
      {"log2", log2, mpfr_log2, -960, 990, false, 0.0, 8},
      {"exp2", exp2, mpfr_exp2, -10, 9.9, true, 0.0, 8},
      {"cbrt", cbrt, mpfr_cbrt, -960, 990, true, 0.0, 8},
  };
  std::mt19937_64 g(5);
  for (const AccuracyCase& c : cases) {
    double worst = 0.0;
    for (int k = 0; k < 1500; ++k) {
      double x = std::exp2(std::uniform_real_distribution<double>(c.lo, c.hi)(g));
      if (c.negative && (g() & 1) != 0) x = -x;
      const DDReal a = DDReal(c.shift) + dd::test::with_random_lo(g, x);
      Mp want(a);
      c.ref(want, want, MPFR_RNDN);
      worst = std::max(worst, rel_ulps(c.f(a), want));
    }
    std::printf("[ accuracy ] %-14s max %7.3f x 2^-104 (bound %g)\n", c.name, worst, c.bound);
    EXPECT_LE(worst, c.bound) << c.name;
  }
}

// ---- pow of a negative base with a whole exponent ---------------------------------------

TEST(generic_code, pow_of_a_negative_base_with_a_whole_exponent) {
  DDReal want;
  dd::DDNPWR(DDReal(-1.5, 1e-17), 7, want);
  EXPECT_SAME(pow(DDReal(-1.5, 1e-17), 7.0), want);
  EXPECT_SAME(pow(DDReal(-1.5, 1e-17), DDReal(7.0)), want);
  EXPECT_SAME(pow(DDReal(-1.5, 1e-17), 7LL), want);
  dd::DDNPWR(DDReal(-3.0), -4, want);
  EXPECT_SAME(pow(-3.0, DDReal(-4.0)), want);
  // Exponents past 32 bits keep the sign of the power: (-1)^(2^40 + 1) = -1.
  EXPECT_WORDS(pow(DDReal(-1.0), DDReal(0x1p40 + 1.0)), -1.0, -0.0);
  // A positive base keeps the exp(b ln a) words; a fractional exponent of a negative base still stops.
  DDReal l, p;
  dd::DDLOG(DDReal(2.5), l);
  dd::DDMULD(l, 3.0, p);
  dd::DDEXP(p, want);
  EXPECT_SAME(pow(DDReal(2.5), 3.0), want);
  EXPECT_DD_STOP(pow(DDReal(-2.0), 0.5), "*** DDLOG: Argument is less than or equal to zero.");
}

}  // namespace
