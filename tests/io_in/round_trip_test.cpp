// DDEFORMAT at 35 significant digits read back by DDINPC, over random values
// of every magnitude the output and input routines handle with full
// precision (2^-965 to 2^996, both signs, any low word).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "io_in_util.hpp"

namespace {

using dd::DDReal;

DDReal random_value(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> mant(1.0, 2.0), low(-0.5, 0.5);
  std::uniform_int_distribution<int> expo(-965, 996);
  const double m = mant(rng);
  const double mag = std::ldexp(m, expo(rng));
  const double hi = rng() % 2 == 0 ? mag : -mag;
  // Any low word up to half a unit of hi's last place.
  const double ulp = std::nextafter(std::fabs(hi), HUGE_VAL) - std::fabs(hi);
  return DDReal(hi, low(rng) * ulp);
}

TEST(round_trip, thirty_five_digits_come_back_within_2_to_the_minus_103) {
  std::mt19937_64 rng(4);
  double worst = 0.0;
  int unchanged = 0;
  constexpr int kValues = 20000;
  for (int k = 0; k < kValues; ++k) {
    const DDReal a = random_value(rng);
    char field[dd::kInputField];
    std::fill(field, field + dd::kInputField, ' ');
    dd::DDEFORMAT(a, 45, 35, field);
    DDReal b;
    dd::DDINPC(field, b);
    const dd::test::Mp want(a);
    const double err = dd::test::rel_error(b, want);
    worst = std::max(worst, err);
    if (dd::test::same_words(a, b)) ++unchanged;
    ASSERT_LE(err, 0x1p-103) << std::string(field, 45) << " from (" << a.hi << ", " << a.lo << ")";
  }
  char note[80];
  std::snprintf(note, sizeof note, "worst %.3g (2^%.2f), %d of %d unchanged", worst, std::log2(worst), unchanged,
                kValues);
  RecordProperty("measured", note);
  std::printf("round trip: %s\n", note);
}

}  // namespace
