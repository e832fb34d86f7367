#include <gtest/gtest.h>

#include "dd.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::DDReal;

TEST(kernels, cube_roots_of_the_test_vector) {
  DDReal c2, c3, alpha;
  dd::DDNRT(DDReal(2.0), 3, c2);
  dd::DDNRT(DDReal(3.0), 3, c3);
  dd::DDSUB(c3, c2, alpha);
  EXPECT_EQ(c2.hi, 1.2599210498948732);
  EXPECT_EQ(c2.lo, -2.5899333753005075e-17);
  EXPECT_EQ(c3.hi, 1.4422495703074083);
  EXPECT_EQ(c3.lo, 8.054912676113686e-17);
  EXPECT_EQ(alpha.hi, 0.18232852041253522);
  EXPECT_EQ(alpha.lo, -4.57384194837372e-18);
}

TEST(kernels, npwr_zero_to_negative_power_stops) {
  DDReal r;
  EXPECT_DD_STOP(dd::DDNPWR(DDReal(0.0), -1, r), "*** DDNPWR: Argument is zero and N is negative or zero.");
}

}  // namespace
