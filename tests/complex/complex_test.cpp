// Complex kernels, division and power, and the complex typed interface.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <random>
#include <type_traits>

#include "ddcomplex/ddcomplex.hpp"
#include "ddtyped/complex.hpp"
#include "support/mpfr_ref.hpp"
#include "support/random_dd.hpp"
#include "support/stop_capture.hpp"
#include "support/words.hpp"

namespace {

using dd::DDComplex;
using dd::DDReal;
using dd::test::Mp;
using dd::test::uniform_dd;
using cd = std::complex<double>;

using dd::test::kU104;

bool same(double a, double b) { return dd::test::bits(a) == dd::test::bits(b); }

::testing::AssertionResult words(const DDComplex& g, double rh, double rl, double ih, double il) {
  if (same(g.re.hi, rh) && same(g.re.lo, rl) && same(g.im.hi, ih) && same(g.im.lo, il))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got ((" << g.re.hi << ", " << g.re.lo << "), (" << g.im.hi << ", "
                                       << g.im.lo << "))";
}
::testing::AssertionResult words(const DDComplex& g, const DDComplex& w) {
  return words(g, w.re.hi, w.re.lo, w.im.hi, w.im.lo);
}

DDComplex C(double r, double i) { return DDComplex(DDReal(r), DDReal(i)); }
const DDComplex kI = C(0.0, 1.0);
const DDComplex kOne = C(1.0, 0.0);

/// One draw per statement, so that every compiler draws the same numbers.
DDComplex rndc(std::mt19937_64& g, double lo, double hi) {
  const DDReal im = uniform_dd(g, lo, hi);
  return DDComplex(uniform_dd(g, lo, hi), im);
}

/// |got - want| / |want| for complex values, in units of 2^-104.
struct MpC {
  Mp re, im;
  MpC() = default;
  explicit MpC(const DDComplex& g) : re(g.re), im(g.im) {}
};
double cerr(const DDComplex& got, const MpC& want) {
  Mp dr, di, n, d;
  Mp gr(got.re), gi(got.im);
  mpfr_sub(dr, gr, want.re.get(), MPFR_RNDN);
  mpfr_sub(di, gi, want.im.get(), MPFR_RNDN);
  mpfr_hypot(n, dr, di, MPFR_RNDN);
  mpfr_hypot(d, const_cast<mpfr_ptr>(want.re.get()), const_cast<mpfr_ptr>(want.im.get()), MPFR_RNDN);
  mpfr_div(n, n, d, MPFR_RNDN);
  return mpfr_get_d(n, MPFR_RNDN) / kU104;
}
void mul(MpC& r, const MpC& a, const MpC& b) {
  Mp t1, t2, t3, t4;
  mpfr_mul(t1, a.re.get(), b.re.get(), MPFR_RNDN);
  mpfr_mul(t2, a.im.get(), b.im.get(), MPFR_RNDN);
  mpfr_mul(t3, a.re.get(), b.im.get(), MPFR_RNDN);
  mpfr_mul(t4, a.im.get(), b.re.get(), MPFR_RNDN);
  mpfr_sub(r.re, t1, t2, MPFR_RNDN);
  mpfr_add(r.im, t3, t4, MPFR_RNDN);
}

TEST(complex_kernels, exact_values) {
  DDComplex v;
  dd::DDCMUL(kI, kI, v);
  EXPECT_TRUE(words(v, -1.0, 0.0, 0.0, 0.0));
  dd::DDCFROMR(DDReal(5.0, 1e-16), v);
  EXPECT_TRUE(words(v, 5.0, 1e-16, 0.0, 0.0));
  dd::DDCFROMDC(cd(2.0, -3.0), v);
  EXPECT_TRUE(words(v, 2.0, 0.0, -3.0, 0.0));
  dd::DDCMAKE(DDReal(1.0, 1e-17), DDReal(2.0, -1e-17), v);
  EXPECT_TRUE(words(v, 1.0, 1e-17, 2.0, -1e-17));
  // In place: v = v * v, v = v + v.
  v = C(1.0, 1.0);
  dd::DDCMUL(v, v, v);
  EXPECT_TRUE(words(v, 0.0, 0.0, 2.0, 0.0));
  dd::DDCADD(v, v, v);
  EXPECT_TRUE(words(v, 0.0, 0.0, 4.0, 0.0));
  dd::DDCSUB(v, v, v);
  EXPECT_TRUE(words(v, 0.0, 0.0, 0.0, 0.0));
}

TEST(complex_kernels, sqrt_sign_rules) {
  DDComplex v;
  dd::DDCSQRT(C(-4.0, 0.0), v);
  EXPECT_TRUE(words(v, 0.0, 0.0, 2.0, 0.0));
  dd::DDCSQRT(DDComplex(DDReal(-4.0), DDReal(-0.0, 0.0)), v);
  EXPECT_TRUE(words(v, 0.0, 0.0, 2.0, 0.0));
  dd::DDCSQRT(C(-4.0, -1e-300), v);
  EXPECT_TRUE(words(v, 2.5e-301, -0.0, -2.0, -0.0));
  dd::DDCSQRT(C(0.0, 2.0), v);
  EXPECT_TRUE(words(v, 1.0, 0.0, 1.0, 0.0));
  dd::DDCSQRT(C(3.0, 4.0), v);
  EXPECT_TRUE(words(v, 2.0, 0.0, 1.0, 0.0));
  dd::DDCSQRT(DDComplex(DDReal(-0.0, -0.0), DDReal(-0.0, 0.0)), v);
  EXPECT_TRUE(words(v, 0.0, 0.0, 0.0, 0.0));
  // Left half-plane: |im| / 2r with both sign bits flipped, and -r for im < 0.
  dd::DDCSQRT(C(-3.0, -4.0), v);
  EXPECT_TRUE(words(v, 1.0, -0.0, -2.0, -0.0));
  // The result may share storage with the argument.
  v = C(-3.0, -4.0);
  dd::DDCSQRT(v, v);
  EXPECT_TRUE(words(v, 1.0, -0.0, -2.0, -0.0));
}

TEST(complex_kernels, division_and_power_values) {
  DDComplex v;
  dd::DDCDIV(kOne, kI, v);
  EXPECT_TRUE(words(v, 0.0, 0.0, -1.0, 0.0));
  dd::DDCDIV(C(3.0, 4.0), C(3.0, 4.0), v);
  EXPECT_TRUE(words(v, 1.0, 0.0, 0.0, 0.0));
  dd::DDCPWR(kI, 2, v);
  EXPECT_TRUE(words(v, -1.0, 0.0, 0.0, 0.0));
  dd::DDCPWR(kI, 4, v);
  EXPECT_TRUE(words(v, 1.0, 0.0, 0.0, 0.0));
  dd::DDCPWR(kI, -1, v);
  EXPECT_TRUE(words(v, 0.0, 0.0, -1.0, 0.0));
  dd::DDCPWR(C(2.5, -7.0), 0, v);
  EXPECT_TRUE(words(v, 1.0, 0.0, 0.0, 0.0));
  dd::DDCPWR(C(0.0, 0.0), 0, v);
  EXPECT_TRUE(words(v, 0.0, 0.0, 0.0, 0.0));
  // A NaN part gives NaN words (fmax once dropped it and left the root unwritten).
  for (const DDComplex& z : {C(std::nan(""), 1.0), C(1.0, std::nan("")), DDComplex(DDReal(1.0, std::nan("")), DDReal(2.0))}) {
    dd::DDCSQRT(z, v);
    EXPECT_TRUE(std::isnan(v.re.hi) && std::isnan(v.re.lo) && std::isnan(v.im.hi) && std::isnan(v.im.lo));
  }
  for (int n : {0, 3}) {
    dd::DDCPWR(C(std::nan(""), 1.0), n, v);
    EXPECT_TRUE(std::isnan(v.re.hi) && std::isnan(v.im.hi)) << n;
  }
  // (1 + i)^8 = 16 and (1 + i)^-8 = 1/16, exactly; n = -2^31 does not overflow.
  dd::DDCPWR(C(1.0, 1.0), 8, v);
  EXPECT_TRUE(words(v, 16.0, 0.0, 0.0, 0.0));
  dd::DDCPWR(C(1.0, 1.0), -8, v);
  EXPECT_TRUE(words(v, 0.0625, 0.0, 0.0, 0.0));
  dd::DDCPWR(kI, std::numeric_limits<int>::min(), v);
  EXPECT_TRUE(words(v, 1.0, 0.0, 0.0, 0.0));
  // Large exponents keep the power right (the squarings' errors grow with n):
  // z^n for z = (1 + 2^-40)(cos 0.7 + i sin 0.7) rounded, against MPFR.
  {
    const DDComplex z(DDReal(std::cos(0.7) * (1.0 + 0x1p-40)), DDReal(std::sin(0.7) * (1.0 + 0x1p-40)));
    for (int n : {1 << 20, std::numeric_limits<int>::max(), -(1 << 30)}) {
      MpC p(kOne), b(z);
      unsigned m = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
      while (m != 0) {  // the exact power by squaring at 256 bits
        MpC t;
        if ((m & 1) != 0) {
          mul(t, p, b);
          mpfr_set(p.re, t.re, MPFR_RNDN);
          mpfr_set(p.im, t.im, MPFR_RNDN);
        }
        m >>= 1;
        mul(t, b, b);
        mpfr_set(b.re, t.re, MPFR_RNDN);
        mpfr_set(b.im, t.im, MPFR_RNDN);
      }
      dd::DDCPWR(z, n, v);
      if (n < 0) dd::DDCMUL(v, dd::DDComplex(dd::test::to_ddreal(p.re), dd::test::to_ddreal(p.im)), v);
      EXPECT_LE(n < 0 ? cerr(v, MpC(kOne)) : cerr(v, p), 0x1.1p17) << n;
    }
  }

  EXPECT_DD_STOP(dd::DDCDIV(kOne, DDComplex(DDReal(0.0, 1e-300), DDReal(-0.0)), v),
                 "*** DDCDIV: Divisor is zero.");
  EXPECT_DD_STOP(dd::DDCPWR(C(0.0, 0.0), -3, v), "*** DDCPWR: Argument is zero and N is negative or zero.");
}

// Results pinned word for word against changes of operation order.
TEST(complex_kernels, pinned_words) {
  const auto w = [](std::uint64_t u) { return std::bit_cast<double>(u); };
  const DDReal a(0.7853981633974483, 3.061616997868383e-17), c(-12.5, 1e-16);
  DDComplex v;
  dd::DDCDIV(DDComplex(a, c), DDComplex(c, a), v);
  EXPECT_TRUE(words(v, w(0xbfc0058e57e646bd), w(0x3c6f2f16910a1a47), w(0x3fefbf92aa22a4ff), w(0xbc78bd6afb0415f6)));
  dd::DDCSQRT(DDComplex(c, a), v);
  EXPECT_TRUE(words(v, w(0x3fbc6ba229734da5), w(0x3c5b8d8979a56ba3), w(0x400c4c579ba51472), w(0x3c9ba9ec26bde530)));
}

TEST(complex_kernels, accuracy_against_mpfr) {
  std::mt19937_64 g(31);
  double emul = 0, ediv = 0, esqrt = 0, epow = 0, einv = 0;
  for (int k = 0; k < 1000; ++k) {
    const DDComplex a = rndc(g, -10.0, 10.0), b = rndc(g, -10.0, 10.0);
    const MpC ma(a), mb(b);
    DDComplex v;
    MpC want;

    dd::DDCMUL(a, b, v);
    mul(want, ma, mb);
    emul = std::max(emul, cerr(v, want));

    // a / b checked as (a / b) * b against a.
    dd::DDCDIV(a, b, v);
    MpC back;
    mul(back, MpC(v), mb);
    ediv = std::max(ediv, cerr(dd::DDComplex(dd::test::to_ddreal(back.re), dd::test::to_ddreal(back.im)), ma));

    // sqrt(a)^2 against a, and the principal branch.
    dd::DDCSQRT(a, v);
    EXPECT_GE(v.re.hi, 0.0);
    MpC sq;
    mul(sq, MpC(v), MpC(v));
    esqrt = std::max(esqrt, cerr(dd::DDComplex(dd::test::to_ddreal(sq.re), dd::test::to_ddreal(sq.im)), ma));

    // a^7 against six exact-precision products.
    dd::DDCPWR(a, 7, v);
    MpC p(a);
    for (int j = 1; j < 7; ++j) {
      MpC t;
      mul(t, p, ma);
      mpfr_set(p.re, t.re, MPFR_RNDN);
      mpfr_set(p.im, t.im, MPFR_RNDN);
    }
    epow = std::max(epow, cerr(v, p));

    // z * (1/z) = 1.
    DDComplex inv, one;
    dd::DDCDIV(kOne, a, inv);
    dd::DDCMUL(a, inv, one);
    einv = std::max(einv, cerr(one, MpC(kOne)));
  }
  std::printf("[ accuracy ] DDCMUL %.3f, DDCDIV %.3f, DDCSQRT %.3f, DDCPWR(7) %.3f, z*(1/z) %.3f x 2^-104\n", emul,
              ediv, esqrt, epow, einv);
  EXPECT_LE(emul, 8.0);
  EXPECT_LE(ediv, 16.0);
  EXPECT_LE(esqrt, 16.0);
  EXPECT_LE(epow, 48.0);
  EXPECT_LE(einv, 16.0);
}

TEST(complex_kernels, moduli_beyond_the_squares_range) {
  // sqrt and division of values whose squared modulus would overflow or lose
  // its low words: exact powers of two keep them in range.
  DDComplex v;
  dd::DDCSQRT(C(-4.0 * 0x1p800, 0.0), v);
  EXPECT_TRUE(words(v, 0.0, 0.0, 0x1p401, 0.0));
  dd::DDCSQRT(C(3.0 * 0x1p-900, 4.0 * 0x1p-900), v);
  EXPECT_TRUE(words(v, 0x1p-449, 0.0, 0x1p-450, 0.0));
  dd::DDCDIV(C(3.0, 4.0), C(3.0 * 0x1p700, 4.0 * 0x1p700), v);
  EXPECT_TRUE(words(v, 0x1p-700, 0.0, 0.0, 0.0));
  dd::DDCDIV(C(1.0, 0.0), C(0.0, 0x1p-1000), v);
  EXPECT_TRUE(words(v, 0.0, 0.0, -0x1p1000, 0.0));
  // Divisors from 2^485 on lose digits in 1/|b|^2 unless scaled: q b = a holds
  // to working precision for divisors up to the top of the range and far down.
  std::mt19937_64 g(33);
  double worst = 0.0;
  for (int e : {480, 490, 500, 511, 600, 900, -500, -700, -1000}) {  // quotients stay above 2^-960
    for (int k = 0; k < 50; ++k) {
      const DDComplex a = rndc(g, -2.0, 2.0), b0 = rndc(g, -2.0, 2.0);
      const DDComplex b(DDReal(std::ldexp(b0.re.hi, e), std::ldexp(b0.re.lo, e)),
                        DDReal(std::ldexp(b0.im.hi, e), std::ldexp(b0.im.lo, e)));
      dd::DDCDIV(a, b, v);
      MpC back;
      mul(back, MpC(v), MpC(b));
      worst = std::max(worst, cerr(DDComplex(dd::test::to_ddreal(back.re), dd::test::to_ddreal(back.im)), MpC(a)));
    }
  }
  EXPECT_LE(worst, 16.0);
  // Inside the band nothing changes: scaling by 2^100 scales the root by 2^50.
  DDComplex w;
  const DDComplex a(DDReal(1.25, 1e-17), DDReal(-3.5, 2e-17));
  dd::DDCSQRT(a, v);
  dd::DDCSQRT(DDComplex(DDReal(1.25 * 0x1p100, 1e-17 * 0x1p100), DDReal(-3.5 * 0x1p100, 2e-17 * 0x1p100)), w);
  EXPECT_TRUE(words(w, v.re.hi * 0x1p50, v.re.lo * 0x1p50, v.im.hi * 0x1p50, v.im.lo * 0x1p50));
}

// ---- typed interface ---------------------------------------------------------

static_assert(std::is_standard_layout_v<DDComplex> && sizeof(DDComplex) == 32);
// Widening is implicit, narrowing explicit.
static_assert(std::is_convertible_v<DDReal, DDComplex>);
static_assert(std::is_convertible_v<cd, DDComplex>);
static_assert(!std::is_convertible_v<DDComplex, DDReal> && std::is_constructible_v<DDReal, DDComplex>);
static_assert(!std::is_convertible_v<DDComplex, double> && std::is_constructible_v<double, DDComplex>);
static_assert(!std::is_convertible_v<DDComplex, cd> && std::is_constructible_v<cd, DDComplex>);
static_assert(!std::is_convertible_v<DDReal, double>);

template <class A, class B>
void check_pair(const A& a, const B& b) {
  const DDComplex wa = dd::to_ddcomplex(a), wb = dd::to_ddcomplex(b);
  DDComplex r;
  dd::DDCADD(wa, wb, r);
  EXPECT_TRUE(words(a + b, r));
  dd::DDCSUB(wa, wb, r);
  EXPECT_TRUE(words(a - b, r));
  dd::DDCMUL(wa, wb, r);
  EXPECT_TRUE(words(a * b, r));
  dd::DDCDIV(wa, wb, r);
  EXPECT_TRUE(words(a / b, r));
  EXPECT_TRUE(a == a);
  EXPECT_FALSE(a != a);
  EXPECT_EQ(a == b, dd::detail::ceq(wa, wb));
  EXPECT_EQ(a != b, !dd::detail::ceq(wa, wb));
  static_assert(std::is_same_v<decltype(a + b), DDComplex> && std::is_same_v<decltype(a == b), bool>);
}

TEST(complex_typed, nine_operand_pairs) {
  const DDComplex g(DDReal(1.5, 1e-17), DDReal(-2.25, 3e-17));
  const DDComplex h(DDReal(-0.75, 2e-17), DDReal(4.0, -1e-16));
  const DDReal a(3.0, -1e-16);
  const double x = -1.25;
  const cd z(0.5, 2.0);
  check_pair(g, h);
  check_pair(g, a);
  check_pair(a, g);
  check_pair(g, x);
  check_pair(x, g);
  check_pair(g, z);
  check_pair(z, g);
  check_pair(a, z);
  check_pair(z, a);
  // The real operators keep resolving to the real kernels.
  static_assert(std::is_same_v<decltype(a + a), DDReal> && std::is_same_v<decltype(a * x), DDReal>);
  static_assert(std::is_same_v<decltype(x / a), DDReal> && std::is_same_v<decltype(a == x), bool>);
  static_assert(std::is_same_v<decltype(dd::exp(1.0)), DDReal> && std::is_same_v<decltype(dd::sqrt(a)), DDReal>);
  static_assert(std::is_same_v<decltype(dd::pow(g, 2)), DDComplex> && std::is_same_v<decltype(dd::pow(a, 2)), DDReal>);
}

TEST(complex_typed, equality_assignment_and_conversions) {
  EXPECT_TRUE(C(1.0, 0.0) == 1.0);
  EXPECT_TRUE(C(1.0, 1e-300) != 1.0);
  EXPECT_TRUE(C(2.0, 0.0) == DDReal(2.0));
  EXPECT_TRUE(C(0.0, 0.0) == DDComplex(DDReal(-0.0, -0.0), DDReal(-0.0, -0.0)));
  const DDComplex nan(DDReal(std::nan(""), 0.0), DDReal(0.0));
  EXPECT_TRUE(nan != nan);
  EXPECT_FALSE(nan == nan);

  DDComplex g;
  g = DDReal(5.0, 1e-16);
  EXPECT_TRUE(words(g, 5.0, 1e-16, 0.0, 0.0));
  g = 2.5;
  EXPECT_TRUE(words(g, 2.5, 0.0, 0.0, 0.0));
  g = cd(1.0, -2.0);
  EXPECT_TRUE(words(g, 1.0, 0.0, -2.0, 0.0));
  g = C(3.0, 4.0);
  g += C(1.0, 1.0);
  g *= kI;
  EXPECT_TRUE(words(g, -5.0, 0.0, 4.0, 0.0));
  g -= DDReal(1.0);
  g /= 2.0;
  g += cd(0.0, 1.0);
  EXPECT_TRUE(words(g, -3.0, 0.0, 3.0, 0.0));

  const DDComplex h(DDReal(1.0, 1e-17), DDReal(2.0, -1e-17));
  EXPECT_EQ(static_cast<cd>(h), cd(1.0, 2.0));
  EXPECT_EQ(dd::to_binary64_complex(h), cd(1.0, 2.0));
  EXPECT_EQ(dd::to_binary64_complex(DDReal(3.0, 1e-20), DDReal(4.0)), cd(3.0, 4.0));
  EXPECT_EQ(static_cast<double>(h), 1.0);
  EXPECT_EQ(dd::to_binary64(h), 1.0);
  EXPECT_TRUE(words(DDComplex(static_cast<DDReal>(h), DDReal(0.0)), 1.0, 1e-17, 0.0, 0.0));
  EXPECT_TRUE(words(DDComplex(dd::to_ddreal(h), dd::to_ddreal(cd(7.0, 8.0))), 1.0, 1e-17, 7.0, 0.0));
  EXPECT_TRUE(words(DDComplex(dd::real_part(h), dd::imag_part(h)), h));
  EXPECT_TRUE(words(dd::to_ddcomplex(1.0, 2.0), 1.0, 0.0, 2.0, 0.0));
  EXPECT_TRUE(words(dd::to_ddcomplex(DDReal(1.0, 1e-17), DDReal(2.0)), 1.0, 1e-17, 2.0, 0.0));
  EXPECT_TRUE(words(dd::conj(C(1.0, 0.0)), 1.0, 0.0, -0.0, -0.0));
  EXPECT_TRUE(words(-C(1.0, 0.0), -1.0, -0.0, -0.0, -0.0));
  EXPECT_TRUE(words(dd::pow(kI, 2), -1.0, 0.0, 0.0, 0.0));
}

TEST(complex_typed, functions) {
  // |3 + 4i| = 5; sqrt through DDCSQRT.
  EXPECT_TRUE(same(dd::abs(C(3.0, 4.0)).hi, 5.0) && same(dd::abs(C(3.0, 4.0)).lo, 0.0));
  EXPECT_TRUE(words(dd::sqrt(C(-4.0, 0.0)), 0.0, 0.0, 2.0, 0.0));
  // e^0 = 1, log 1 = 0, sin 0 = 0, cos 0 = 1, exactly.
  EXPECT_TRUE(words(dd::exp(C(0.0, 0.0)), 1.0, 0.0, 0.0, 0.0));
  EXPECT_TRUE(words(dd::log(C(1.0, 0.0)), 0.0, 0.0, 0.0, 0.0));
  EXPECT_TRUE(words(dd::cos(C(0.0, 0.0)), 1.0, 0.0, 0.0, 0.0));
  // log of zero stops in the logarithm, before the angle is asked for.
  EXPECT_DD_STOP(dd::log(C(0.0, 0.0)), "*** DDLOG: Argument is less than or equal to zero.");
  EXPECT_DD_STOP(dd::pow(C(0.0, 0.0), DDReal(2.0)), "*** DDLOG: Argument is less than or equal to zero.");
  EXPECT_DD_STOP(dd::pow(DDReal(0.0), C(1.0, 1.0)), "*** DDLOG: Argument is less than or equal to zero.");
  EXPECT_DD_STOP(C(1.0, 2.0) / 0.0, "*** DDCDIV: Divisor is zero.");
  EXPECT_DD_STOP(dd::pow(C(0.0, 0.0), -1), "*** DDCPWR: Argument is zero and N is negative or zero.");

  // From |Im| = 300 on, cosh and sinh come from e^|y| / 2: sin(1 + 300i) and
  // cos(-2 - 650i) against MPFR, and the stop where a part passes 2^996.
  for (const DDComplex& z : {C(1.0, 300.0), C(-2.0, -650.0), C(1e-250, 680.0)}) {
    MpC ws, wc;
    Mp x(z.re), y(z.im), sx, cx, sy, cy;
    mpfr_sin_cos(sx, cx, x, MPFR_RNDN);
    mpfr_sinh_cosh(sy, cy, y, MPFR_RNDN);
    mpfr_mul(ws.re, sx, cy, MPFR_RNDN);
    mpfr_mul(ws.im, cx, sy, MPFR_RNDN);
    mpfr_mul(wc.re, cx, cy, MPFR_RNDN);
    mpfr_mul(wc.im, sx, sy, MPFR_RNDN);
    mpfr_neg(wc.im, wc.im, MPFR_RNDN);
    EXPECT_LE(cerr(dd::sin(z), ws), 400.0) << z.im.hi;
    EXPECT_LE(cerr(dd::cos(z), wc), 400.0) << z.im.hi;
  }
  EXPECT_DD_STOP(dd::sin(C(1.0, 700.0)), "*** DDEXP: Argument is too large  700.000000");
  // ln |g| and |g| of moduli whose squares leave the kernels' range, and
  // ln |g| near the unit circle (cos t + i sin t rounded: ln |g| ~ 1e-33).
  for (const DDComplex& z : {C(3e200, -4e200), C(1e-200, 2e-250), C(0x1.8p-900, 0.5e-270), C(0.6, 0.8),
                             C(std::cos(1e-9), std::sin(1e-9)), C(0.75, -std::sqrt(1.0 - 0.5625))}) {
    Mp m, x(z.re), y(z.im), l;
    mpfr_hypot(m, x, y, MPFR_RNDN);
    mpfr_log(l, m, MPFR_RNDN);
    EXPECT_LE(dd::test::rel_error(dd::abs(z), m) / kU104, 4.0) << z.re.hi;
    EXPECT_LE(dd::test::rel_error(dd::log(z).re, l) / kU104, 16.0) << z.re.hi;
  }
  // For a small |Im| the sinh keeps its relative accuracy: Im sin(1 + 1e-20 i) = cos 1 sinh 1e-20.
  const DDComplex v = dd::sin(C(1.0, 1e-20));
  Mp want(DDReal(1.0));
  mpfr_cos(want, want, MPFR_RNDN);
  mpfr_mul_d(want, want, 1e-20, MPFR_RNDN);
  EXPECT_LE(dd::test::rel_error(v.im, want) / kU104, 8.0);
}

}  // namespace
