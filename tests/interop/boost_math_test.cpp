// Boost.Math over DDReal: tanh-sinh quadrature of ln(1 + x) / (1 + x^2) on
// [0, 1], whose value is (pi / 8) ln 2, to at least 30 digits.
#include <gtest/gtest.h>

#include <boost/math/quadrature/tanh_sinh.hpp>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "dd.hpp"
#include "support/mpfr_ref.hpp"

namespace {

using dd::DDReal;

TEST(interop_boost_math, tanh_sinh_integral_to_thirty_digits) {
  // Abscissas to within 1e-100 of the ends: ample for an integrand bounded on
  // [0, 1], and their weights stay inside the exponential's range (the
  // default goes on to 4 times the smallest normalised DDReal).
  boost::math::quadrature::tanh_sinh<DDReal> integrator(15, DDReal(1e-100));
  const auto f = [](DDReal x) { return log1p(x) / (1 + x * x); };
  const DDReal q = integrator.integrate(f, DDReal(0), DDReal(1), DDReal(1e-24));

  dd::test::Mp want(256), ln2(256);
  mpfr_const_pi(want, MPFR_RNDN);
  mpfr_const_log2(ln2, MPFR_RNDN);
  mpfr_mul(want, want, ln2, MPFR_RNDN);
  mpfr_div_ui(want, want, 8, MPFR_RNDN);
  const double err = dd::test::rel_error(q, want);
  std::printf("[ tanh-sinh ] relative error %.3g (%.1f digits)\n", err, -std::log10(err));
  EXPECT_LT(err, 1e-30);
}

}  // namespace
