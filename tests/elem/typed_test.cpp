// The typed inverse circular functions go through the angle of a point;
// log10 and the real powers through the logarithm.
#include <gtest/gtest.h>

#include <cmath>

#include "ddtyped/elementary.hpp"
#include "ddelem/ddelem.hpp"
#include "ddtyped/real.hpp"
#include "support/mpfr_ref.hpp"
#include "support/stop_capture.hpp"
#include "support/words.hpp"

namespace {

using dd::DDReal;
using dd::test::Mp;
using dd::test::same_words;

TEST(elem_typed, inverse_functions) {
  const DDReal half_pi(1.5707963267948966, 6.123233995736766e-17);
  EXPECT_TRUE(same_words(dd::atan2(DDReal(1.0), DDReal(0.0)), half_pi));
  EXPECT_DD_STOP(dd::atan2(DDReal(0.0), DDReal(0.0)), "*** DDANG: Both arguments are zero.");

  Mp q;
  mpfr_const_pi(q, MPFR_RNDN);
  mpfr_div_ui(q, q, 4, MPFR_RNDN);
  EXPECT_LE(dd::test::rel_error(dd::atan(DDReal(1.0)), q), 1e-30);
  // asin(1/2) = pi/6, acos(1/2) = pi/3.
  mpfr_const_pi(q, MPFR_RNDN);
  mpfr_div_ui(q, q, 6, MPFR_RNDN);
  EXPECT_LE(dd::test::rel_error(dd::asin(DDReal(0.5)), q), 4e-30);  // the sine equation: its error is cos-abs / sin
  mpfr_mul_ui(q, q, 2, MPFR_RNDN);
  EXPECT_LE(dd::test::rel_error(dd::acos(DDReal(0.5)), q), 1e-30);
  EXPECT_TRUE(same_words(dd::asin(DDReal(1.0)), half_pi));
  EXPECT_TRUE(same_words(dd::acos(DDReal(1.0)), 0.0, 0.0));
  // Beyond +-1 the leg sqrt(1 - a^2) is NaN, and so is the angle.
  EXPECT_TRUE(std::isnan(dd::asin(DDReal(2.0)).hi));
  EXPECT_TRUE(std::isnan(dd::acos(DDReal(-2.0)).hi));

  // log10(10^k) = k to working precision.
  for (int k : {-30, -1, 2, 100}) {
    DDReal p;
    dd::DDNPWR(DDReal(10.0), k, p);
    const DDReal l = dd::log10(p);
    EXPECT_LE(std::fabs((l.hi - k) + l.lo), 1e-29 * std::max(1, std::abs(k))) << k;
  }
  EXPECT_DD_STOP(dd::log10(DDReal(-1.0)), "*** DDLOG: Argument is less than or equal to zero.");
  EXPECT_DD_STOP(dd::pow(DDReal(0.0), DDReal(0.5)), "*** DDLOG: Argument is less than or equal to zero.");
  EXPECT_DD_STOP(dd::acosh(DDReal(0.5)), "DDACOSH: Argument is < 1.");
  EXPECT_DD_STOP(dd::atanh(DDReal(-1.0)), "DDATANH: Argument is <= -1 or >= 1.");
  // Small angles keep their relative accuracy; so do acos near 1 and the
  // tangent near its zeros.
  struct Case { DDReal (*f)(const DDReal&); int (*ref)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t); double x; };
  const Case cases[] = {
      {dd::atan, mpfr_atan, 1.23e-15}, {dd::atan, mpfr_atan, -2e-40}, {dd::asin, mpfr_asin, 3e-12},
      {dd::acos, mpfr_acos, 1.0 - 0x1p-40}, {dd::acos, mpfr_acos, -1.0 + 0x1p-45}, {dd::asin, mpfr_asin, 1.0 - 0x1p-50},
      {dd::tan, mpfr_tan, 3.141592653589793}, {dd::tan, mpfr_tan, 1e-9}, {dd::tan, mpfr_tan, 1.5707963267948966},
  };
  for (const Case& c : cases) {
    Mp want(DDReal(c.x));
    c.ref(want, want, MPFR_RNDN);
    EXPECT_LE(dd::test::rel_ulps(c.f(DDReal(c.x)), want), dd::detail::kKeepWithin) << c.x;
  }
  // The angle of a point just above the negative axis: pi less a tiny angle.
  Mp want, y(DDReal(1e-20)), x(DDReal(-1.0));
  mpfr_atan2(want, y, x, MPFR_RNDN);
  EXPECT_LE(dd::test::rel_ulps(dd::atan2(DDReal(1e-20), DDReal(-1.0)), want), 4.0);

  // Beyond |a| = 300 the hyperbolic tangent is +-1.
  EXPECT_TRUE(same_words(dd::tanh(DDReal(301.0)), 1.0, 0.0));
  EXPECT_TRUE(same_words(dd::tanh(DDReal(-1e300)), -1.0, 0.0));
  EXPECT_TRUE(std::isnan(dd::tanh(DDReal(std::nan(""))).hi));
}

}  // namespace
