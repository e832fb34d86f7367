// Reproducible random DDReal operands for the tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>

#include "ddreal/kernels.hpp"

namespace dd::test {

/// A normalised DDReal near x with a random low word (up to 2^-54 |x|).
inline DDReal with_random_lo(std::mt19937_64& g, double x) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const double lo = x * u(g) * 0x1p-54;
  DDReal r;
  detail::quick_two_sum(x, lo, r.hi, r.lo);
  return r;
}

/// hi uniform in [a, b], with a random low word.
inline DDReal uniform_dd(std::mt19937_64& g, double a, double b) {
  std::uniform_real_distribution<double> u(a, b);
  return with_random_lo(g, u(g));
}

/// hi log-uniform in [a, b] (0 < a < b), with a random low word.
inline DDReal log_uniform_dd(std::mt19937_64& g, double a, double b) {
  std::uniform_real_distribution<double> u(std::log(a), std::log(b));
  return with_random_lo(g, std::exp(u(g)));
}

/// Random normalised DDReal operands: hi = +-m * 2^e with m uniform in [1, 2)
/// and e uniform in [emin, emax], lo a random fraction of half an ulp of hi.
class RandomDD {
 public:
  explicit RandomDD(std::uint64_t seed) : gen_(seed) {}

  DDReal operator()(int emin, int emax, bool positive = false) {
    std::uniform_real_distribution<double> mant(1.0, 2.0);
    std::uniform_real_distribution<double> frac(-1.0, 1.0);
    std::uniform_int_distribution<int> expo(emin, emax);
    const double m = mant(gen_);
    double hi = std::ldexp(m, expo(gen_));
    if (!positive && (gen_() & 1) != 0) hi = -hi;
    const double lo = hi * 0x1p-53 * frac(gen_);
    DDReal r;
    detail::quick_two_sum(hi, lo, r.hi, r.lo);
    return r;
  }

  int integer(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen_); }

 private:
  std::mt19937_64 gen_;
};

}  // namespace dd::test
