// Word-for-word expectations on DDReal values: both binary64 words compared
// by bit pattern, so -0 differs from +0 and NaN words compare by pattern.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "ddreal/kernels.hpp"

namespace dd::test {

inline std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

inline DDReal from_bits(std::uint64_t hi, std::uint64_t lo) {
  return DDReal(std::bit_cast<double>(hi), std::bit_cast<double>(lo));
}

inline ::testing::AssertionResult same_words(const DDReal& got, double hi, double lo) {
  if (bits(got.hi) == bits(hi) && bits(got.lo) == bits(lo)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got (" << got.hi << ", " << got.lo << ") [" << std::hex << bits(got.hi)
                                       << ' ' << bits(got.lo) << "], want (" << std::dec << hi << ", " << lo << ") ["
                                       << std::hex << bits(hi) << ' ' << bits(lo) << ']';
}
inline ::testing::AssertionResult same_words(const DDReal& got, const DDReal& want) {
  return same_words(got, want.hi, want.lo);
}

}  // namespace dd::test

#define EXPECT_WORDS(got, hi, lo) EXPECT_TRUE(::dd::test::same_words((got), (hi), (lo)))
#define EXPECT_SAME(got, want) EXPECT_TRUE(::dd::test::same_words((got), (want)))
