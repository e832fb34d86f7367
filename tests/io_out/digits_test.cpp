// Digit strings: DDDIGIN and DDDIGOUT.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "ddio/digits.hpp"
#include "support/stop_capture.hpp"

namespace {

std::string digout(double a, int n) {
  const auto b = dd::DDDIGOUT(a, n);
  return std::string(b.begin(), b.end());
}

std::string pad32(const std::string& s) { return s + std::string(32 - s.size(), ' '); }

TEST(digit_strings, digin_values_and_non_digits) {
  EXPECT_EQ(dd::DDDIGIN("123", 3), 123.0);
  EXPECT_EQ(dd::DDDIGIN("123", 2), 12.0);
  EXPECT_EQ(dd::DDDIGIN("123", 0), 0.0);
  EXPECT_EQ(dd::DDDIGIN("123", -4), 0.0);
  EXPECT_EQ(dd::DDDIGIN("9007199254740993", 16), 9007199254740992.0);  // 2^53 + 1 rounds

  testing::internal::CaptureStdout();
  const double v = dd::DDDIGIN("1x3", 3);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), " DDDIGIN: non-digit in character string\n");
  EXPECT_EQ(v, 13.0);

  testing::internal::CaptureStdout();
  EXPECT_EQ(dd::DDDIGIN("  7", 3), 7.0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            " DDDIGIN: non-digit in character string\n DDDIGIN: non-digit in character string\n");
}

TEST(digit_strings, digout_low_order_digits) {
  EXPECT_EQ(digout(123, 10), pad32("0000000123"));
  EXPECT_EQ(digout(0, 10), pad32("0000000000"));
  EXPECT_EQ(digout(123, 2), pad32("23"));
  EXPECT_EQ(digout(-45, 3), pad32("045"));
  EXPECT_EQ(digout(12.7, 3), pad32("012"));
  EXPECT_EQ(digout(999999999999999.0, 15), pad32("999999999999999"));
  EXPECT_EQ(digout(9007199254740991.0, 16), pad32("9007199254740991"));
  EXPECT_EQ(digout(5, 0), pad32(""));
  EXPECT_EQ(digout(5, -3), pad32(""));
  // Out of the exact range every character is still a digit.
  for (double x : {1e300, 1.7e308, std::numeric_limits<double>::infinity(), std::nan("")}) {
    const std::string s = digout(x, 32);
    for (char c : s) EXPECT_TRUE(c >= '0' && c <= '9') << x << " " << s;
  }
}

TEST(digit_strings, digout_refuses_more_than_32) {
  char b[40];
  EXPECT_DD_STOP(dd::DDDIGOUT(1.0, 33, b), "*** DDDIGOUT: Improper value of N        33");
  EXPECT_EQ(digout(1, 32), std::string(31, '0') + "1");
}

}  // namespace
