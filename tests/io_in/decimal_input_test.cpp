// DDINPC and the text conversions built on it: accepted forms, refused forms,
// exact values, accuracy against MPFR and the far ends of the exponent range.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "io_in_util.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::DDReal;
using dd::test::rel_error_to_decimal;
using dd::test::same_words;

constexpr char kSyntax[] = "*** DDINPC: Syntax error in literal string.";

struct Same {
  const char* text;
  double hi;  // the exact value, a binary64 integer or short binary fraction
};

class decimal_input_exact : public testing::TestWithParam<Same> {};

TEST_P(decimal_input_exact, gives_the_exact_value) {
  const DDReal r = dd::to_ddreal(GetParam().text);
  EXPECT_EQ(r.hi, GetParam().hi) << '"' << GetParam().text << '"';
  EXPECT_EQ(r.lo, 0.0) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    forms, decimal_input_exact,
    testing::Values(
        // Exponent letters, signs, and blanks after the letter.
        Same{"1.5e3", 1500.0}, Same{"1.5E+3", 1500.0}, Same{"1.5d3", 1500.0}, Same{"1.5D 3", 1500.0},
        Same{"1.5e 3", 1500.0}, Same{"1.5e + 0 3", 1500.0}, Same{"  +1.5e3", 1500.0}, Same{"15e2", 1500.0},
        Same{"150000e-2", 1500.0}, Same{"0.0015e6", 1500.0}, Same{"1500.", 1500.0}, Same{"1.5e003", 1500.0},
        Same{"12.5", 12.5}, Same{"-12.5", -12.5}, Same{"- 12.5", -12.5}, Same{".5", 0.5},
        // Leading zeros and blanks among them are not counted; a sign may follow them.
        Same{"0 0 7", 7.0}, Same{"00-5", -5.0}, Same{"  0 .  5", 0.5}, Same{"000000000000000000000000000000000000001", 1.0},
        // Empty text, a lone sign or point, and a mantissa without digits are zero.
        Same{"", 0.0}, Same{"+", 0.0}, Same{".", 0.0}, Same{"e5", 0.0}, Same{"0.000", 0.0},
        // A zero mantissa stays zero whatever its exponent.
        Same{"0e999", 0.0}, Same{"0.0e-999", 0.0}));

class decimal_input_refused : public testing::TestWithParam<const char*> {};

TEST_P(decimal_input_refused, stops_with_the_syntax_message) {
  EXPECT_DD_STOP(dd::to_ddreal(GetParam()), kSyntax);
}

INSTANTIATE_TEST_SUITE_P(
    forms, decimal_input_refused,
    testing::Values("1.5 e3", "1..5", "1.5.", "--1", "+-1", "1-2", "1.5-", ".-5", "1e1000", "1e-0001", "1e+-3",
                    "1e3-", "1e3.", "1 2", "1x", "1.5f3", "0x10", "1,5", "1e3e4", "\t1", "1.5\r", "inf", "nan"));

TEST(decimal_input, only_the_first_120_characters_count) {
  std::string text = "1.5";
  text.resize(120, ' ');
  const std::string longer = text + "9999999999";  // 130 characters: the digits are beyond the field
  EXPECT_TRUE(same_words(dd::to_ddreal(longer), DDReal(1.5, 0.0)));
  text[119] = '7';  // the 120th character is still read
  EXPECT_DD_STOP(dd::to_ddreal(text), kSyntax);  // "1.5 ... 7": blank after a counted digit
}

TEST(decimal_input, text_forms_agree) {
  char field[dd::kInputField];
  dd::detail::fill_input_field("-0.05", field);
  DDReal a, b;
  dd::DDINPC(field, a);
  dd::assign(b, std::string("-0.05"));
  EXPECT_TRUE(same_words(a, b));
  EXPECT_TRUE(same_words(a, dd::to_ddreal("-5e-2")));
  EXPECT_TRUE(same_words(a, dd::to_ddreal("-.05d0")));
  EXPECT_LT(rel_error_to_decimal(a, "-0.05"), 0x1p-104);
  EXPECT_TRUE(std::signbit(dd::to_ddreal("-0").hi) || dd::to_ddreal("-0").hi == 0.0);
}

TEST(decimal_input, sixty_digits_keep_double_double_accuracy) {
  const std::string digits = "123456789012345678901234567890123456789012345678901234567890";
  EXPECT_LT(rel_error_to_decimal(dd::to_ddreal(digits), digits), 0x1p-100);
  EXPECT_LT(rel_error_to_decimal(dd::to_ddreal("0." + digits), "0." + digits), 0x1p-100);
  const std::string third = "0." + std::string(60, '3');
  EXPECT_LT(rel_error_to_decimal(dd::to_ddreal(third), third), 0x1p-100);
}

// Random 32-digit decimal texts with exponents from where a double-double has
// its full precision up to the largest binary64 values.
TEST(decimal_input, random_texts_within_2_to_the_minus_103) {
  std::mt19937_64 rng(20261209);
  std::uniform_int_distribution<int> digit(0, 9), expo(-289, 307), point(0, 32);
  double worst = 0.0;
  for (int k = 0; k < 4000; ++k) {
    const int at = point(rng);
    std::string m;
    for (int i = 0; i < 32; ++i) {
      if (i == at) m += '.';
      m += static_cast<char>('0' + (i == 0 ? 1 + digit(rng) % 9 : digit(rng)));
    }
    const int e = expo(rng) - at + 1;  // the value lies in [1e-289, 1e308)
    std::string text = k % 2 != 0 ? "-" : "+";
    text.append(m).append("e").append(std::to_string(e));
    const double err = rel_error_to_decimal(dd::to_ddreal(text), text);
    worst = std::max(worst, err);
    ASSERT_LT(err, 0x1p-103) << text;
  }
  RecordProperty("worst_relative_error", std::to_string(worst));
}

TEST(decimal_input, far_exponents_are_scaled_in_steps) {
  // 35 digits with exponents where s * 10^n needs |n| > 290: accurate, not NaN or zero.
  const char* texts[] = {"1.2345678901234567890123456789012345e-280", "9.9999999999999999999999999999999999e-290",
                         "1.2345678901234567890123456789012345e295", "1e300", "3e-291",
                         "0.00000000000000000000000000000000000000001e-250", "9.999999999999e307",
                         "-9.06078870656e302", "1.7976931348623157e308"};
  for (const char* text : texts) {
    EXPECT_LT(rel_error_to_decimal(dd::to_ddreal(text), text), 0x1p-100) << text;
  }
  // Below 2^-969 the low word is subnormal: the value is still right to its
  // absolute precision 2^-1074.
  const char* tiny[] = {"1e-300", "123456789012345678901234567890e-330", "-2.5e-320"};
  for (const char* text : tiny) {
    dd::test::Mp want(400), got(dd::to_ddreal(text), 400);
    mpfr_set_str(want.get(), text, 10, MPFR_RNDN);
    mpfr_sub(got.get(), got.get(), want.get(), MPFR_RNDN);
    EXPECT_LE(std::fabs(mpfr_get_d(got.get(), MPFR_RNDN)), std::ldexp(mpfr_get_d(want.get(), MPFR_RNDN), -104) + 0x1p-1072) << text;
  }
  // Beyond the binary64 range: infinities of the mantissa's sign and zeros.
  EXPECT_EQ(dd::to_ddreal("1e999").hi, HUGE_VAL);
  EXPECT_EQ(dd::to_ddreal("-4e308").hi, -HUGE_VAL);
  EXPECT_EQ(dd::to_ddreal("1e-999").hi, 0.0);
  EXPECT_EQ(dd::to_ddreal("-1e-400").hi, 0.0);
}

}  // namespace
