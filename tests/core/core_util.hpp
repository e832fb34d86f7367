// Helpers shared by the core tests: bit-exact expectations and random operands.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include "ddreal/kernels.hpp"

namespace dd::test {

inline std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

/// Both words bit for bit (so -0 differs from +0 and NaN words compare by pattern).
inline ::testing::AssertionResult same_words(const DDReal& got, double hi, double lo) {
  if (bits(got.hi) == bits(hi) && bits(got.lo) == bits(lo)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got (" << got.hi << ", " << got.lo << ") [" << std::hex << bits(got.hi)
                                       << ' ' << bits(got.lo) << "], want (" << std::dec << hi << ", " << lo << ") ["
                                       << std::hex << bits(hi) << ' ' << bits(lo) << ']';
}
inline ::testing::AssertionResult same_words(const DDReal& got, const DDReal& want) {
  return same_words(got, want.hi, want.lo);
}

#define EXPECT_WORDS(got, hi, lo) EXPECT_TRUE(::dd::test::same_words((got), (hi), (lo)))
#define EXPECT_SAME(got, want) EXPECT_TRUE(::dd::test::same_words((got), (want)))

/// Random normalised DDReal operands: hi = +-m * 2^e with m uniform in [1, 2)
/// and e uniform in [emin, emax], lo a random fraction of half an ulp of hi.
class RandomDD {
 public:
  explicit RandomDD(std::uint64_t seed) : gen_(seed) {}

  DDReal operator()(int emin, int emax, bool positive = false) {
    std::uniform_real_distribution<double> mant(1.0, 2.0);
    std::uniform_real_distribution<double> frac(-1.0, 1.0);
    std::uniform_int_distribution<int> expo(emin, emax);
    double hi = std::ldexp(mant(gen_), expo(gen_));
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
