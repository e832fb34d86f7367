// The typed interface: each operator and function gives exactly the words of
// the kernel sequence behind it, plus the rules of the basic functions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ddtyped/real.hpp"
#include "support/random_dd.hpp"
#include "support/stop_capture.hpp"
#include "support/words.hpp"

namespace {

using dd::DDReal;

TEST(typed_real, operators_are_their_kernels) {
  dd::test::RandomDD rnd(3);
  for (int k = 0; k < 500; ++k) {
    const DDReal a = rnd(-30, 30), b = rnd(-30, 30);
    const double x = rnd(-30, 30).hi;
    DDReal w;
    dd::DDADD(a, b, w);                    EXPECT_SAME(a + b, w);
    dd::DDADD(a, DDReal(x, 0.0), w);       EXPECT_SAME(a + x, w);
    dd::DDADD(DDReal(x, 0.0), b, w);       EXPECT_SAME(x + b, w);
    dd::DDSUB(a, b, w);                    EXPECT_SAME(a - b, w);
    dd::DDSUB(a, DDReal(x, 0.0), w);       EXPECT_SAME(a - x, w);
    dd::DDSUB(DDReal(x, 0.0), b, w);       EXPECT_SAME(x - b, w);
    dd::DDMUL(a, b, w);                    EXPECT_SAME(a * b, w);
    dd::DDMULD(a, x, w);                   EXPECT_SAME(a * x, w);
    dd::DDMULD(b, x, w);                   EXPECT_SAME(x * b, w);
    dd::DDDIV(a, b, w);                    EXPECT_SAME(a / b, w);
    dd::DDDIVD(a, x, w);                   EXPECT_SAME(a / x, w);
    dd::DDDIV(DDReal(x, 0.0), b, w);       EXPECT_SAME(x / b, w);
    dd::DDNEG(a, w);                       EXPECT_SAME(-a, w);
    dd::DDSQRT(dd::abs(a), w);             EXPECT_SAME(dd::sqrt(dd::abs(a)), w);
    dd::DDNPWR(a, 7, w);                   EXPECT_SAME(dd::pow(a, 7), w);
    dd::DDNRT(dd::abs(a), 5, w);           EXPECT_SAME(dd::nroot(dd::abs(a), 5), w);

    // Compound assignments use the same kernels, in place.
    DDReal c = a;
    c += b;  EXPECT_SAME(c, a + b);
    c = a;   c -= x; EXPECT_SAME(c, a - x);
    c = a;   c *= b; EXPECT_SAME(c, a * b);
    c = a;   c *= x; EXPECT_SAME(c, a * x);
    c = a;   c /= b; EXPECT_SAME(c, a / b);
    c = a;   c /= x; EXPECT_SAME(c, a / x);
    c = a;   c *= c; EXPECT_SAME(c, a * a);

    int ic;
    dd::DDCOMPARE(a, b, ic);
    EXPECT_EQ(a == b, ic == 0);
    EXPECT_EQ(a != b, ic != 0);
    EXPECT_EQ(a < b, ic < 0);
    EXPECT_EQ(a <= b, ic <= 0);
    EXPECT_EQ(a > b, ic > 0);
    EXPECT_EQ(a >= b, ic >= 0);
    dd::DDCOMPARE(a, DDReal(x, 0.0), ic);
    EXPECT_EQ(a < x, ic < 0);
    EXPECT_EQ(x > a, ic < 0);
    EXPECT_EQ(a == x, ic == 0);
  }
}

TEST(typed_real, mixed_operands) {
  // a * x and x * a take the binary64 directly (DDMULD), a / x too (DDDIVD);
  // x / b widens x.  The two quotients of 1 by 3 agree.
  EXPECT_WORDS(1.5 * DDReal(2.0, 0.0), 3.0, 0.0);
  EXPECT_WORDS(DDReal(2.0, 0.0) * 1.5, 3.0, 0.0);
  const DDReal q1 = DDReal(1.0, 0.0) / 3.0;
  const DDReal q2 = 1.0 / DDReal(3.0, 0.0);
  EXPECT_SAME(q1, q2);
  EXPECT_EQ(q1.lo, 1.850371707708594e-17);
  EXPECT_WORDS(DDReal(1.0, 0x1p-60) + 0x1p-61, 1.0, 0x1p-60 + 0x1p-61);
  EXPECT_WORDS(0x1p-61 - DDReal(1.0, 0x1p-60), -1.0, -0x1p-61);
}

TEST(typed_real, comparisons_with_nan_and_zeros) {
  const DDReal nan(std::numeric_limits<double>::quiet_NaN(), 0.0);
  const DDReal one(1.0);
  EXPECT_TRUE(nan != one);
  EXPECT_TRUE(nan > one);
  EXPECT_TRUE(nan >= one);
  EXPECT_FALSE(nan == one);
  EXPECT_FALSE(nan < one);
  EXPECT_FALSE(nan <= one);
  EXPECT_TRUE(one > nan);  // DDCOMPARE gives 1 in both orders
  EXPECT_TRUE(nan != 1.0);
  EXPECT_TRUE(2.0 > nan);
  EXPECT_TRUE(DDReal(0.0, 0.0) == DDReal(-0.0, -0.0));
  EXPECT_TRUE(DDReal(-0.0, -0.0) == 0.0);
  EXPECT_TRUE(DDReal(1.0, 1e-300) != 1.0);
  EXPECT_TRUE(DDReal(1.0, -1e-300) < 1.0);
}

TEST(typed_real, conversions_and_assignment) {
  EXPECT_WORDS(dd::to_ddreal(-7), -7.0, 0.0);
  EXPECT_WORDS(dd::to_ddreal(2147483647), 2147483647.0, 0.0);
  EXPECT_WORDS(dd::to_ddreal(0.1), 0.1, 0.0);
  EXPECT_WORDS(dd::to_ddreal(DDReal(1.0, 1e-20)), 1.0, 1e-20);
  EXPECT_EQ(dd::to_binary64(DDReal(1.0, 1e-20)), 1.0);
  DDReal a(9.0, 9.0);
  a = 2.5;
  EXPECT_WORDS(a, 2.5, 0.0);
  const double d = static_cast<double>(DDReal(3.0, 1e-17));
  EXPECT_EQ(d, 3.0);
  DDReal c;
  dd::DDPI(c);
  EXPECT_SAME(dd::pi(), c);
  dd::DDLOG2(c);
  EXPECT_SAME(dd::ln2(), c);
}

TEST(typed_real, rounding_functions) {
  EXPECT_WORDS(dd::nearest_integer(DDReal(2.5)), 2.0, 0.0);
  EXPECT_WORDS(dd::trunc(DDReal(-2.5)), -2.0, 0.0);
  EXPECT_WORDS(dd::trunc(DDReal(0x1p60, -0.5)), 0x1p60, -1.0);
  EXPECT_WORDS(dd::abs(DDReal(-0.0, 0.0)), -0.0, 0.0);
  EXPECT_WORDS(dd::abs(DDReal(-1.0, 1e-17)), 1.0, -1e-17);
}

TEST(typed_real, mod_has_the_sign_of_a) {
  EXPECT_WORDS(dd::mod(DDReal(7.0), DDReal(2.0)), 1.0, 0.0);
  EXPECT_WORDS(dd::mod(DDReal(-7.0), DDReal(2.0)), -1.0, 0.0);
  EXPECT_WORDS(dd::mod(DDReal(7.0), DDReal(-2.0)), 1.0, 0.0);
  EXPECT_WORDS(dd::mod(DDReal(7.5), DDReal(2.5)), 0.0, 0.0);
  // mod(pi, 1) is pi - 3 to the last bit of both words.
  DDReal p;
  dd::DDPI(p);
  EXPECT_SAME(dd::mod(p, DDReal(1.0)), p - 3.0);
  // A quotient of 2^105 or more is refused through the integer part.
  EXPECT_DD_STOP(dd::mod(DDReal(1e40), DDReal(1.0)), "*** DDINFR: Argument is too large.");
}

TEST(typed_real, sign_transfers_the_sign_bit) {
  EXPECT_WORDS(dd::sign(DDReal(3.0, 1e-16), DDReal(-0.0, 0.0)), -3.0, -1e-16);
  EXPECT_WORDS(dd::sign(DDReal(-3.0, 1e-16), DDReal(1.0, 0.0)), 3.0, -1e-16);
  EXPECT_WORDS(dd::sign(DDReal(3.0, 1e-16), DDReal(2.0, -1.0)), 3.0, 1e-16);
  EXPECT_WORDS(dd::sign(DDReal(-3.0, 1e-16), DDReal(-2.0, 1.0)), -3.0, 1e-16);
  // A zero hi word changes sign numerically equal, so the lo word keeps its sign.
  EXPECT_WORDS(dd::sign(DDReal(0.0, 1e-300), DDReal(-1.0, 0.0)), -0.0, 1e-300);
}

TEST(typed_real, min_max_ties) {
  const DDReal pz(0.0, 0.0), nz(-0.0, -0.0);
  // On a tie min returns its later argument, max its earlier one.
  EXPECT_WORDS(dd::min(pz, nz), -0.0, -0.0);
  EXPECT_WORDS(dd::min(nz, pz), 0.0, 0.0);
  EXPECT_WORDS(dd::max(pz, nz), 0.0, 0.0);
  EXPECT_WORDS(dd::max(nz, pz), -0.0, -0.0);
  EXPECT_WORDS(dd::min(pz, nz, pz), 0.0, 0.0);
  EXPECT_WORDS(dd::min(nz, pz, nz), -0.0, -0.0);
  EXPECT_WORDS(dd::max(pz, nz, nz), 0.0, 0.0);
  EXPECT_WORDS(dd::max(nz, pz, pz), -0.0, -0.0);
  // Ordinary ordering, decided by the lo word where the hi words agree.
  const DDReal lo(1.0, -1e-20), hi(1.0, 1e-20), mid(1.0);
  EXPECT_SAME(dd::min(hi, lo), lo);
  EXPECT_SAME(dd::max(lo, hi), hi);
  EXPECT_SAME(dd::min(hi, mid, lo), lo);
  EXPECT_SAME(dd::max(lo, hi, mid), hi);
  EXPECT_SAME(dd::min(mid, hi, lo), lo);
  EXPECT_SAME(dd::max(hi, lo, mid), hi);
}

TEST(typed_real, hypot) {
  EXPECT_WORDS(dd::hypot(DDReal(3.0), DDReal(4.0)), 5.0, 0.0);
  DDReal s;
  dd::DDSQRT(DDReal(2.0), s);
  EXPECT_SAME(dd::hypot(DDReal(1.0), DDReal(-1.0)), s);
}

}  // namespace
