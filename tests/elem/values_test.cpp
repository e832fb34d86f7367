// Exact values, special cases, messages and the sound handling of the ranges
// where the plain formulas break down.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "ddelem/ddelem.hpp"
#include "ddtyped/real.hpp"
#include "support/mpfr_ref.hpp"
#include "support/random_dd.hpp"
#include "support/stop_capture.hpp"
#include "support/words.hpp"

namespace {

using dd::DDReal;
using dd::test::Mp;
using dd::test::same_words;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const DDReal kPi = dd::detail::kPi;
const DDReal kLn2 = dd::detail::kLog2;

DDReal exp_of(const DDReal& a) { DDReal b; dd::DDEXP(a, b); return b; }
DDReal log_of(const DDReal& a) { DDReal b; dd::DDLOG(a, b); return b; }
DDReal ang_of(const DDReal& x, const DDReal& y) { DDReal a; dd::DDANG(x, y, a); return a; }

TEST(exp_log, exact_values) {
  EXPECT_TRUE(same_words(exp_of(DDReal(0.0)), 1.0, 0.0));
  EXPECT_TRUE(same_words(exp_of(kLn2), 2.0, 0.0));
  EXPECT_TRUE(same_words(exp_of(DDReal(-746.0)), 0.0, 0.0));
  EXPECT_TRUE(same_words(exp_of(DDReal(-kInf)), 0.0, 0.0));
  const DDReal tiny = exp_of(DDReal(-299.9));
  EXPECT_GT(tiny.hi, 5.68e-131);
  EXPECT_LT(tiny.hi, 5.70e-131);
  EXPECT_TRUE(same_words(log_of(DDReal(1.0)), 0.0, 0.0));
  // In-place use.
  DDReal a = kLn2;
  dd::DDEXP(a, a);
  EXPECT_TRUE(same_words(a, 2.0, 0.0));
}

TEST(exp_log, messages) {
  // e^a stops from 996 ln 2 on, where it passes the kernels' splitting limit.
  EXPECT_DD_STOP(exp_of(DDReal(dd::detail::kExpMax)), "*** DDEXP: Argument is too large  690.374592");
  EXPECT_DD_STOP(exp_of(DDReal(1234.5)), "*** DDEXP: Argument is too large 1234.500000");
  EXPECT_LT(exp_of(DDReal(std::nextafter(dd::detail::kExpMax, 0.0))).hi, dd::detail::kSplitLimit);
  EXPECT_DD_STOP(log_of(DDReal(0.0)), "*** DDLOG: Argument is less than or equal to zero.");
  EXPECT_DD_STOP(log_of(DDReal(-2.0)), "*** DDLOG: Argument is less than or equal to zero.");
  DDReal p;
  EXPECT_DD_STOP(dd::DDPOWER(DDReal(0.0), DDReal(0.0), p), "DDPOWER: A <= 0");
  EXPECT_DD_STOP(dd::DDPOWER(DDReal(-1.0), DDReal(2.0), p), "DDPOWER: A <= 0");
  // b ln a reaching 996 ln 2 stops in the exponential.
  EXPECT_DD_STOP(dd::DDPOWER(DDReal(10.0), DDReal(300.0), p), "*** DDEXP: Argument is too large  690.775528");
}

// Values beyond |a| = 300, where the exponential used to stop or give 0.
TEST(exp_log, whole_range_of_the_exponential) {
  const auto check = [](const DDReal& got, const DDReal& x, int (*f)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t),
                        double bound) {
    Mp want(x);
    f(want, want, MPFR_RNDN);
    EXPECT_LE(dd::test::rel_ulps(got, want), bound) << x.hi;
  };
  for (double v : {-671.5, -600.25, -301.0, -300.0, 300.0, 450.5, 690.0, 690.37})
    check(exp_of(DDReal(v, v * 0x1p-60)), DDReal(v, v * 0x1p-60), mpfr_exp, 400.0);
  DDReal c, s, p;
  for (double v : {-691.0, -300.0, 300.0, 555.5}) {
    dd::DDCOSHSINH(DDReal(v), c, s);
    check(c, DDReal(v), mpfr_cosh, 400.0);
    check(s, DDReal(v), mpfr_sinh, 400.0);
  }
  // Below 2^-969 the low word fades; the value itself is still there.
  EXPECT_NEAR(exp_of(DDReal(-740.0)).hi / 4.1995579896506e-322, 1.0, 0.02);
  // a^b with b ln a beyond 300.
  dd::DDPOWER(DDReal(10.0), DDReal(250.5), p);
  Mp want(DDReal(10.0)), e(DDReal(250.5));
  mpfr_pow(want, want, e, MPFR_RNDN);
  EXPECT_LE(dd::test::rel_ulps(p, want), 2000.0);
  // The n-th root of a subnormal value.
  DDReal r;
  dd::DDNRT(DDReal(1e-310), 3, r);
  Mp wr(DDReal(1e-310));
  mpfr_cbrt(wr, wr, MPFR_RNDN);
  EXPECT_LE(dd::test::rel_ulps(r, wr), 4.0);
}

// The Newton steps x <- x + (a - e^x)/e^x from x = log(a.hi), written out.
DDReal plain_log(const DDReal& a) {
  DDReal x(std::log(a.hi), 0.0);
  for (int k = 0; k < 3; ++k) {
    DDReal t, d, c;
    dd::DDEXP(x, t);
    dd::DDSUB(a, t, d);
    dd::DDDIV(d, t, c);
    dd::DDADD(x, c, x);
  }
  return x;
}

TEST(exp_log, log_outside_the_exponential_range) {
  // Between about 5.1e-131 and 1.94e130 the result is that of the Newton steps
  // alone, bit for bit; beyond, it is still the correct logarithm.
  for (double v : {6e-131, 1e-100, 0.3, 7.0, 1e100, 1.9e130}) {
    const DDReal a(v, v * 0x1p-60);
    EXPECT_TRUE(same_words(log_of(a), plain_log(a))) << v;
  }
  for (double v : {2e130, 1e200, 1.7976931348623157e308, 5e-131, 1e-200, 2.2250738585072014e-308,
                   4.9406564584124654e-324}) {
    const DDReal a(v, 0.0);
    Mp want(a);
    mpfr_log(want, want, MPFR_RNDN);
    EXPECT_LE(dd::test::rel_ulps(log_of(a), want), 10.0) << v;
    DDReal back;
    if (std::fabs(log_of(a).hi) < 299.0) {
      dd::DDEXP(log_of(a), back);
      EXPECT_LE(dd::test::rel_error(back, Mp(a)), 1e-29) << v;
    }
  }
}

TEST(exp_log, identities) {
  std::mt19937_64 g(21);
  for (int k = 0; k < 200; ++k) {
    const DDReal a = dd::test::log_uniform_dd(g, 1e-120, 1e120);
    EXPECT_LE(dd::test::rel_error(exp_of(log_of(a)), Mp(a)), 0x1p-96) << a.hi;
  }
  DDReal p;
  dd::DDPOWER(DDReal(2.0), DDReal(0.5), p);
  DDReal r;
  dd::DDSQRT(DDReal(2.0), r);
  Mp want(r);
  EXPECT_LE(dd::test::rel_error(p, want), 1e-30);
}

TEST(exp_log, nan_and_infinity) {
  const DDReal nan(kNaN, kNaN);
  EXPECT_TRUE(std::isnan(exp_of(nan).hi));
  EXPECT_TRUE(std::isnan(log_of(nan).hi));
  EXPECT_TRUE(std::isnan(log_of(DDReal(kInf)).hi));
  EXPECT_DD_STOP(exp_of(DDReal(kInf)), "*** DDEXP: Argument is too large    Infinity");
  // A finite hi word beside an infinite lo word is not a number either.
  EXPECT_TRUE(std::isnan(exp_of(DDReal(1.0, -kInf)).hi));
  EXPECT_TRUE(std::isnan(log_of(DDReal(1.0, kInf)).hi));
  DDReal c, s;
  dd::DDCSSNR(DDReal(1.0, -kInf), c, s);
  EXPECT_TRUE(std::isnan(c.hi) && std::isnan(s.hi));
}

TEST(cos_sin, exact_values_and_signs) {
  DDReal c, s;
  dd::DDCSSNR(DDReal(0.0), c, s);
  EXPECT_TRUE(same_words(c, 1.0, 0.0));
  EXPECT_TRUE(same_words(s, 0.0, 0.0));
  // The 2 pi constant exceeds 2 pi by about 6e-33: its reduced argument is
  // zero in the two-word reduction, and the sine is that excess, not 0.
  const DDReal two_pi(6.283185307179586, 2.4492935982947064e-16);
  dd::DDCSSNR(two_pi, c, s);
  EXPECT_TRUE(same_words(c, 1.0, 0.0));
  Mp ws(two_pi);
  mpfr_sin(ws, ws, MPFR_RNDN);
  EXPECT_LE(dd::test::rel_ulps(s, ws), 4.0);

  dd::DDCSSNR(DDReal(1.5707963267948966, 6.123233995736766e-17), c, s);
  EXPECT_LT(std::fabs(c.hi), 4e-31);
  EXPECT_TRUE(same_words(s, 1.0, 0.0) || std::fabs(s.hi - 1.0) <= 0x1p-53);
  EXPECT_LT(std::fabs((s.hi - 1.0) + s.lo), 1e-30);

  // The sign of the sine comes from the reduced argument.
  dd::DDCSSNR(DDReal(-1e-3), c, s);
  EXPECT_LT(s.hi, 0.0);
  dd::DDCSSNR(DDReal(-2.0), c, s);
  EXPECT_LT(s.hi, 0.0);
  EXPECT_LT(c.hi, 0.0);
  dd::DDCSSNR(DDReal(4.0), c, s);
  EXPECT_LT(s.hi, 0.0);
  // A tiny argument is its own sine (1 - cos^2 would underflow to +0).
  dd::DDCSSNR(DDReal(-1e-300), c, s);
  EXPECT_TRUE(same_words(c, 1.0, 0.0));
  EXPECT_TRUE(same_words(s, -1e-300, 0.0));
}

// Results may share storage with the argument, also on the accurate paths.
TEST(cos_sin, in_place) {
  for (const DDReal& a : {DDReal(1.25e-7), DDReal(3.141592653589793), DDReal(1e30), DDReal(-400.5)}) {
    DDReal c, s, x = a, y = a;
    dd::DDCSSNR(a, c, s);
    dd::DDCSSNR(x, x, s);
    EXPECT_TRUE(same_words(x, c)) << a.hi;
    dd::DDCSSNR(y, c, y);
    EXPECT_TRUE(same_words(y, s)) << a.hi;
    if (std::fabs(a.hi) > 691.0) continue;
    dd::DDCOSHSINH(a, c, s);
    x = a;
    dd::DDCOSHSINH(x, x, y);
    EXPECT_TRUE(same_words(x, c) && same_words(y, s)) << a.hi;
  }
}

TEST(cos_sin, every_finite_argument_is_reduced) {
  // No size limit: from 1e60 up to the largest binary64 the reduction is
  // exact; infinities have no cosine.
  DDReal c, s;
  for (double v : {1e60, -1e60, 3e32, -3e32, 1e300, -1e300, 1.7976931348623157e308}) {
    dd::DDCSSNR(DDReal(v), c, s);
    const DDReal dv(v);
    Mp a(dv), wc, ws;
    mpfr_cos(wc, a, MPFR_RNDN);
    mpfr_sin(ws, a, MPFR_RNDN);
    EXPECT_LE(dd::test::rel_ulps(c, wc), 4.0) << v;
    EXPECT_LE(dd::test::rel_ulps(s, ws), 4.0) << v;
  }
  for (double v : {kInf, -kInf, kNaN}) {
    dd::DDCSSNR(DDReal(v), c, s);
    EXPECT_TRUE(std::isnan(c.hi) && std::isnan(s.hi)) << v;
  }
}

// Where the plain sequence loses relative digits (the sine near the
// multiples of pi, the cosine near the odd multiples of pi/2, every result
// once the two-word reduction by 2 pi has lost its bits) both are right;
// hex words hi:lo as in the reports that found them.
TEST(cos_sin, relative_accuracy_near_zeros_and_for_huge_arguments) {
  const auto w = [](std::uint64_t u) { return std::bit_cast<double>(u); };
  const DDReal cases[] = {
      DDReal(1.2345678901e-7), DDReal(-3.5e-16), DDReal(1e-200),
      DDReal(3.141592653589793, 1.2246467991473532e-16), DDReal(-3.1415926535),
      DDReal(1.5707963267948966, 6.1e-17), DDReal(4.71238898038469, 1e-17), DDReal(-7.853981633974483),
      DDReal(1.0e7, 0.125), DDReal(w(0x462F2A353F47450E), w(0xC2CB5878C4C9E600)),
      DDReal(12345678.9), DDReal(0x1p200, 0x1p140), DDReal(-6.02214076e23),
  };
  for (const DDReal& a : cases) {
    DDReal c, s;
    dd::DDCSSNR(a, c, s);
    Mp x(a), wc, ws;
    mpfr_sin_cos(ws, wc, x, MPFR_RNDN);
    EXPECT_LE(dd::test::rel_ulps(c, wc), dd::detail::kKeepWithin) << a.hi;
    EXPECT_LE(dd::test::rel_ulps(s, ws), dd::detail::kKeepWithin) << a.hi;
  }
}

// The literal cosine is kept up to an error of 2^17 units (about 1e-27).
TEST(cos_sin, identity_cos2_plus_sin2) {
  std::mt19937_64 g(22);
  for (int k = 0; k < 300; ++k) {
    const DDReal a = dd::test::uniform_dd(g, -1e6, 1e6);
    DDReal c, s, cc, ss, t;
    dd::DDCSSNR(a, c, s);
    dd::DDMUL(c, c, cc);
    dd::DDMUL(s, s, ss);
    dd::DDADD(cc, ss, t);
    EXPECT_LE(std::fabs((t.hi - 1.0) + t.lo), 4e-27) << a.hi;
  }
}

TEST(angle, axes_and_diagonals) {
  const DDReal half_pi(1.5707963267948966, 6.123233995736766e-17);
  EXPECT_TRUE(same_words(ang_of(DDReal(1.0), DDReal(0.0)), 0.0, 0.0));
  EXPECT_TRUE(same_words(ang_of(DDReal(-1.0), DDReal(0.0)), kPi));
  EXPECT_TRUE(same_words(ang_of(DDReal(-1.0, -0.0), DDReal(-0.0, 0.0)), kPi));
  EXPECT_TRUE(same_words(ang_of(DDReal(0.0), DDReal(1.0)), half_pi));
  EXPECT_TRUE(same_words(ang_of(DDReal(0.0), DDReal(-1.0)), -half_pi.hi, -half_pi.lo));

  Mp q(kPi);
  mpfr_const_pi(q, MPFR_RNDN);
  mpfr_div_ui(q, q, 4, MPFR_RNDN);
  EXPECT_LE(dd::test::rel_error(ang_of(DDReal(1.0), DDReal(1.0)), q), 1e-30);
  mpfr_mul_si(q, q, -3, MPFR_RNDN);
  EXPECT_LE(dd::test::rel_error(ang_of(DDReal(-1.0), DDReal(-1.0)), q), 1e-30);

  EXPECT_DD_STOP(ang_of(DDReal(0.0), DDReal(0.0)), "*** DDANG: Both arguments are zero.");
  EXPECT_DD_STOP(ang_of(DDReal(0.0), DDReal(-0.0, 1e-300)), "*** DDANG: Both arguments are zero.");
  EXPECT_TRUE(std::isnan(ang_of(DDReal(kNaN), DDReal(1.0)).hi));
  EXPECT_TRUE(std::isnan(ang_of(DDReal(kInf), DDReal(1.0)).hi));
}

TEST(angle, scaling_keeps_results_between_the_limits) {
  // Scaling a point by a power of two inside the band changes nothing.
  const DDReal a = ang_of(DDReal(3.0, 1e-17), DDReal(-2.0, 3e-17));
  const DDReal b = ang_of(DDReal(3.0 * 0x1p300, 1e-17 * 0x1p300), DDReal(-2.0 * 0x1p300, 3e-17 * 0x1p300));
  const DDReal c = ang_of(DDReal(3.0 * 0x1p900, 1e-17 * 0x1p900), DDReal(-2.0 * 0x1p900, 3e-17 * 0x1p900));
  const DDReal d = ang_of(DDReal(3.0 * 0x1p-900, 1e-17 * 0x1p-900), DDReal(-2.0 * 0x1p-900, 3e-17 * 0x1p-900));
  EXPECT_TRUE(same_words(b, a));
  EXPECT_TRUE(same_words(c, a));
  EXPECT_TRUE(same_words(d, a));
  // Near 2^512 the squares overflow; the angle is still right.
  Mp want;
  const DDReal x(0x1.8p511), y(-0x1.ffp511);
  Mp mx(x), my(y);
  mpfr_atan2(want, my, mx, MPFR_RNDN);
  EXPECT_LE(dd::test::rel_ulps(ang_of(x, y), want), 64.0);
}

TEST(hyperbolic, exact_values_and_messages) {
  DDReal c, s, b;
  dd::DDCOSHSINH(DDReal(0.0), c, s);
  EXPECT_TRUE(same_words(c, 1.0, 0.0));
  EXPECT_TRUE(same_words(s, 0.0, 0.0));
  dd::DDACOSH(DDReal(1.0), b);
  EXPECT_TRUE(same_words(b, 0.0, 0.0));
  dd::DDATANH(DDReal(0.0), b);
  EXPECT_TRUE(same_words(b, 0.0, 0.0));
  dd::DDASINH(DDReal(0.0), b);
  EXPECT_TRUE(same_words(b, 0.0, 0.0));

  // cosh a = |sinh a| = e^|a|/2 passes the splitting limit from 997 ln 2 on.
  EXPECT_DD_STOP(dd::DDCOSHSINH(DDReal(691.07), c, s), "*** DDEXP: Argument is too large  691.070000");
  EXPECT_DD_STOP(dd::DDCOSHSINH(DDReal(-691.07), c, s), "*** DDEXP: Argument is too large -691.070000");
  EXPECT_DD_STOP(dd::DDACOSH(DDReal(0.5), b), "DDACOSH: Argument is < 1.");
  EXPECT_DD_STOP(dd::DDATANH(DDReal(1.0), b), "DDATANH: Argument is <= -1 or >= 1.");
  EXPECT_DD_STOP(dd::DDATANH(DDReal(-1.0), b), "DDATANH: Argument is <= -1 or >= 1.");
}

TEST(hyperbolic, edges_of_the_formulas) {
  DDReal c, s, b;
  // Near -300 the reciprocal of a tiny exponential is still finite.
  dd::DDCOSHSINH(DDReal(-299.9), c, s);
  EXPECT_TRUE(std::isfinite(c.hi) && std::isfinite(s.hi));
  EXPECT_GT(c.hi, 1e129);
  EXPECT_LT(s.hi, -1e129);

  // A hi word of exactly 1 with a negative lo word passes the test, but the
  // value lies below 1: no real acosh.  atanh of such a value inside (-1, 1)
  // is computed.
  dd::DDACOSH(DDReal(1.0, -1e-20), b);
  EXPECT_TRUE(std::isnan(b.hi) && std::isnan(b.lo));
  for (const DDReal& a : {DDReal(1.0, -0x1p-106), DDReal(-1.0, 1e-30)}) {
    dd::DDATANH(a, b);
    Mp want(a);
    mpfr_atanh(want, want, MPFR_RNDN);
    EXPECT_LE(dd::test::rel_ulps(b, want), 16.0) << a.lo;
  }
  EXPECT_DD_STOP(dd::DDATANH(DDReal(1.0, 1e-30), b), "DDATANH: Argument is <= -1 or >= 1.");

  // Beyond the range of a*a, asinh and acosh are ln|a| + ln 2.
  for (double v : {1.3e154, 1.3407807929942596e154, 0x1.fffffffffffffp511, 1e160, 1e300, 1.7e308}) {
    const DDReal dv(v);
    Mp want(dv);
    mpfr_asinh(want, want, MPFR_RNDN);
    dd::DDASINH(DDReal(v), b);
    EXPECT_LE(dd::test::rel_ulps(b, want), 8.0) << v;
    dd::DDASINH(DDReal(-v), b);
    EXPECT_LE(dd::test::rel_ulps(-b, want), 8.0) << v;
    Mp wc(dv);
    mpfr_acosh(wc, wc, MPFR_RNDN);
    dd::DDACOSH(DDReal(v), b);
    EXPECT_LE(dd::test::rel_ulps(b, wc), 8.0) << v;
  }
  // Large negative arguments no longer cancel to a zero logarithm argument.
  const DDReal m17(-1e17);
  Mp want(m17);
  mpfr_asinh(want, want, MPFR_RNDN);
  dd::DDASINH(DDReal(-1e17), b);
  EXPECT_LE(dd::test::rel_ulps(b, want), 8.0);

  const DDReal nan(kNaN, kNaN);
  dd::DDCOSHSINH(nan, c, s);
  EXPECT_TRUE(std::isnan(c.hi) && std::isnan(s.hi));
  dd::DDASINH(nan, b);
  EXPECT_TRUE(std::isnan(b.hi));
  dd::DDACOSH(nan, b);
  EXPECT_TRUE(std::isnan(b.hi));
  dd::DDATANH(nan, b);
  EXPECT_TRUE(std::isnan(b.hi));
}

// Where a - 1, e^a - e^-a or 1 +- a cancel, the results keep their relative
// accuracy (the plain formulas were off by up to 2^50 units of 2^-104).
TEST(hyperbolic, relative_accuracy_where_the_formulas_cancel) {
  using Ref = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
  const auto sinh_of = [](const DDReal& a) { DDReal c, s; dd::DDCOSHSINH(a, c, s); return s; };
  const auto tanh_of = [](const DDReal& a) { DDReal c, s, t; dd::DDCOSHSINH(a, c, s); dd::DDDIV(s, c, t); return t; };
  const auto asinh_of = [](const DDReal& a) { DDReal r; dd::DDASINH(a, r); return r; };
  const auto acosh_of = [](const DDReal& a) { DDReal r; dd::DDACOSH(a, r); return r; };
  const auto atanh_of = [](const DDReal& a) { DDReal r; dd::DDATANH(a, r); return r; };
  struct Case { DDReal (*f)(const DDReal&); Ref ref; DDReal a; };
  const Case cases[] = {
      {log_of, mpfr_log, DDReal(1.0, 1e-20)}, {log_of, mpfr_log, DDReal(1.0 - 0x1p-30, 3e-26)},
      {log_of, mpfr_log, DDReal(1.001)}, {sinh_of, mpfr_sinh, DDReal(-1.2e-9)}, {sinh_of, mpfr_sinh, DDReal(0.0015)},
      {tanh_of, mpfr_tanh, DDReal(4.96e-22)}, {asinh_of, mpfr_asinh, DDReal(-1.39e-18)},
      {asinh_of, mpfr_asinh, DDReal(4.9e-324)}, {asinh_of, mpfr_asinh, DDReal(0.0009)},
      {atanh_of, mpfr_atanh, DDReal(-3.34e-15)}, {atanh_of, mpfr_atanh, DDReal(0.0004)},
      {acosh_of, mpfr_acosh, DDReal(1.0, 1.3e-18)}, {acosh_of, mpfr_acosh, DDReal(1.0 + 0x1p-40)},
  };
  for (const Case& c : cases) {
    Mp want(c.a);
    c.ref(want, want, MPFR_RNDN);
    EXPECT_LE(dd::test::rel_ulps(c.f(c.a), want), dd::detail::kKeepWithin) << c.a.hi << " + " << c.a.lo;
  }
}

// Results pinned word for word: any change in an operation's order or
// grouping shows up here, while the accuracy tests would still pass.
TEST(reproducibility, pinned_words) {
  const DDReal a(0.7853981633974483, 3.061616997868383e-17), c(-12.5, 1e-16), d(1e100, -3e83);
  DDReal r, s;
  dd::DDEXP(a, r);
  EXPECT_SAME(r, dd::test::from_bits(0x40018bd669471caa, 0x3caf0ed60971574d));
  dd::DDEXP(c, r);
  EXPECT_SAME(r, dd::test::from_bits(0x3ecf42ed3f68e691, 0x3b12986196926122));
  dd::DDLOG(a, r);
  EXPECT_SAME(r, dd::test::from_bits(0xbfceeb95b094c191, 0xbc6346863f58addc));
  dd::DDLOG(d, r);
  EXPECT_SAME(r, dd::test::from_bits(0x406cc845b54b54f2, 0xbd08e9af20423ae6));
  dd::DDCSSNR(c, r, s);
  EXPECT_SAME(r, dd::test::from_bits(0x3fefedf6a8227774, 0xbc4e2da963f269bf));
  EXPECT_SAME(s, dd::test::from_bits(0x3fb0fa78cc21cfc3, 0xbc5e8034a3782cb5));
  dd::DDANG(c, a, r);
  EXPECT_SAME(r, dd::test::from_bits(0x4008a17897111277, 0xbcae3d7e4714113a));
}

TEST(agm_root, values_and_messages) {
  DDReal m;
  dd::DDAGMR(DDReal(3.0, 1e-16), DDReal(3.0, 1e-16), m);
  EXPECT_TRUE(same_words(m, 3.0, 1e-16));
  EXPECT_DD_STOP(dd::DDAGMR(DDReal(1.0), DDReal(0.0), m), "*** DDAGMR: Iteration limit exceeded.");
  EXPECT_DD_STOP(dd::DDAGMR(DDReal(1.0), DDReal(-2.0), m), "*** DDAGMR: Iteration limit exceeded.");

  // Outside [2^-480, 2^480] the products s g overflow or fade: the mean of
  // the scaled arguments (or its asymptotic form) is taken.
  for (const auto& ab : {std::pair{1e200, 2e200}, std::pair{1e-200, 3e-200}, std::pair{1e300, 1e-300},
                         std::pair{3e-320, 1.0}, std::pair{0x1p1000, 0x1p900}}) {
    dd::DDAGMR(DDReal(ab.first), DDReal(ab.second), m);
    Mp want, ma(DDReal(ab.first)), mb(DDReal(ab.second));
    mpfr_agm(want, ma, mb, MPFR_RNDN);
    EXPECT_LE(dd::test::rel_ulps(m, want), 16.0) << ab.first << " " << ab.second;
  }

  const DDReal sq2[] = {DDReal(-2.0), DDReal(0.0), DDReal(1.0)};
  DDReal x;
  dd::DDROOT(2, sq2, DDReal(1.0), x);
  DDReal r;
  dd::DDSQRT(DDReal(2.0), r);
  EXPECT_LE(dd::test::rel_error(x, Mp(r)), 1e-31);

  const DDReal sq4[] = {DDReal(-4.0), DDReal(0.0), DDReal(1.0)};
  dd::DDROOT(2, sq4, DDReal(2.0), x);
  EXPECT_TRUE(same_words(x, 2.0, 0.0));

  const DDReal constant[] = {DDReal(5.0)};
  EXPECT_DD_STOP(dd::DDROOT(0, constant, DDReal(1.0), x), "DDROOT: failed to converge.");
  // The step test is absolute: near 1e20 neighbouring values are 1e-12 apart.
  const DDReal big[] = {DDReal(-1e40), DDReal(0.0), DDReal(1.0)};
  x = DDReal(0.0);
  EXPECT_DD_STOP(dd::DDROOT(2, big, DDReal(3e20), x), "DDROOT: failed to converge.");
  DDReal root;
  dd::DDSQRT(DDReal(1e40), root);
  EXPECT_LE(dd::test::rel_error(x, Mp(root)), 1e-30);  // the last iterate is kept
}

}  // namespace
