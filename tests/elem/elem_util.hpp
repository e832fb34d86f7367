// Helpers shared by the elementary-function tests: word-for-word checks,
// reproducible random DDReal operands, and errors against MPFR in units of
// 2^-104.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include "ddelem/ddelem.hpp"
#include "ddreal/ddreal.hpp"
#include "ddtyped/real.hpp"
#include "support/mpfr_ref.hpp"

namespace dd::test {

/// Both words equal bit for bit (so -0 differs from +0).
inline ::testing::AssertionResult same_words(const DDReal& got, double hi, double lo) {
  if (std::bit_cast<std::uint64_t>(got.hi) == std::bit_cast<std::uint64_t>(hi) &&
      std::bit_cast<std::uint64_t>(got.lo) == std::bit_cast<std::uint64_t>(lo))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got (" << got.hi << ", " << got.lo << "), want (" << hi << ", "
                                       << lo << ")";
}
inline ::testing::AssertionResult same_words(const DDReal& got, const DDReal& want) {
  return same_words(got, want.hi, want.lo);
}

/// One unit of 2^-104, the scale in which errors are stated.
inline constexpr double kU104 = 0x1p-104;

/// A normalised DDReal near x with a random low word.
inline DDReal with_random_lo(std::mt19937_64& g, double x) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const double lo = x * u(g) * 0x1p-54;
  DDReal r;
  detail::quick_two_sum(x, lo, r.hi, r.lo);
  return r;
}

/// Uniform in [a, b].
inline DDReal uniform_dd(std::mt19937_64& g, double a, double b) {
  std::uniform_real_distribution<double> u(a, b);
  return with_random_lo(g, u(g));
}

/// Log-uniform in [a, b], 0 < a < b.
inline DDReal log_uniform_dd(std::mt19937_64& g, double a, double b) {
  std::uniform_real_distribution<double> u(std::log(a), std::log(b));
  return with_random_lo(g, std::exp(u(g)));
}

/// |got - want| / |want| in units of 2^-104.
inline double rel_ulps(const DDReal& got, const Mp& want) { return rel_error(got, want) / kU104; }

/// |got - want| in units of 2^-104.
inline double abs_ulps(const DDReal& got, const Mp& want) {
  Mp g(got, mpfr_get_prec(want.get()));
  Mp d(mpfr_get_prec(want.get()));
  mpfr_sub(d.get(), g.get(), want.get(), MPFR_RNDN);
  return std::fabs(mpfr_get_d(d.get(), MPFR_RNDN)) / kU104;
}

}  // namespace dd::test
