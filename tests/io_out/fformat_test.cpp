// F-format output and the line writer.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include "ddio/units.hpp"
#include "io_out_util.hpp"
#include "support/mpfr_ref.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::DDReal;
using dd::test::fformat;
using dd::test::right;

struct FCase {
  DDReal a;
  int nb, nd;
  const char* text;
};

TEST(fformat, layouts) {
  const FCase cases[] = {
      // The relation lines of the test program.
      {3.0, 40, 2, "3.00"},
      {-1.0, 40, 2, "-1.00"},
      {0.0, 40, 2, "0.00"},
      {165.0, 40, 2, "165.00"},
      {-12.5, 10, 2, "-12.50"},
      {12345.678, 20, 2, "12345.67"},  // 12345.677999...: no rounding to the last place
      {1e5, 10, 2, "100000.00"},
      {-1e5, 10, 2, "-100000.00"},
      {0.5, 11, 3, "0.500"},
      {0.05, 11, 3, "0.050"},
      {0.001234, 12, 2, "0.00"},
      {-0.001234, 12, 2, "-0.00"},
      {12.5, 8, 0, "12."},
      {0.25, 8, 0, "0."},
      {0.00123, 20, 8, "0.00123000"},  // carried in the E text
      {DDReal(1.0, -1e-20), 20, 2, "1.00"},
      {DDReal(1.0, -1e-20), 40, 25, "0.9999999999999999999900000"},
      {1e-300, 20, 2, "0.00"},
      {123.456, 10, 2, "123.45"},
  };
  for (const FCase& c : cases) EXPECT_EQ(fformat(c.a, c.nb, c.nd), right(c.text, c.nb)) << c.text;
  EXPECT_EQ(fformat(1e6, 10, 2), "**********");
  EXPECT_EQ(fformat(-1e6, 10, 2), "**********");
  EXPECT_EQ(fformat(-1e5, 9, 1), "-100000.0");  // the sign takes the reserved position
  EXPECT_EQ(fformat(1e300, 40, 2), std::string(40, '*'));
}

TEST(fformat, messages_and_non_finite_values) {
  char b[64];
  EXPECT_DD_STOP(dd::DDFFORMAT(1.0, 9, 2, b), "*** DDFFORMAT: uninitialized or inadequately sized arrays");
  EXPECT_DD_STOP(dd::DDFFORMAT(1.0, 20, -2, b), "*** DDFFORMAT: Improper value of ND        -2");
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(fformat(inf, 10, 2), right("Infinity", 10));
  EXPECT_EQ(fformat(-inf, 10, 2), right("-Infinity", 10));
  EXPECT_EQ(fformat(std::nan(""), 10, 2), right("NaN", 10));
  EXPECT_EQ(fformat(-inf, 8, 0), "********");
}

// The fixed-point text of random values of every size that fits, against
// MPFR: the digits are truncated, so the shown value lies within one unit of
// the last place (plus the conversion's 7e-32 relative error).
TEST(fformat, digits_of_random_values_against_mpfr) {
  std::mt19937_64 g(912);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::uniform_int_distribution<int> ex(-40, 40);
  for (int k = 0; k < 3000; ++k) {
    const double m = u(g);
    const double hi = m * std::pow(10.0, ex(g));
    const DDReal a(hi, hi * 1e-17 * u(g));
    const int nd = k % 25;
    const int nb = 80;
    const std::string s = fformat(a, nb, nd);
    const std::string t = s.substr(s.find_first_not_of(' '));
    ASSERT_EQ(t.size() - t.find('.') - 1, static_cast<std::size_t>(nd)) << t;
    dd::test::Mp shown(400), exact(400), unit(400);
    mpfr_set_str(shown, t.c_str(), 10, MPFR_RNDN);
    mpfr_set_d(exact, a.hi, MPFR_RNDN);
    mpfr_add_d(exact, exact, a.lo, MPFR_RNDN);
    mpfr_sub(shown, shown, exact, MPFR_RNDN);
    mpfr_set_ui(unit, 10, MPFR_RNDN);
    mpfr_pow_si(unit, unit, -nd, MPFR_RNDN);
    mpfr_div(shown, shown, unit, MPFR_RNDN);
    const double err = std::fabs(mpfr_get_d(shown, MPFR_RNDN));
    const double size = std::fabs(hi) * std::pow(10.0, nd);
    EXPECT_LT(err, 1.0 + 7e-32 * size) << t << " hi " << a.hi << " lo " << a.lo;
  }
}

TEST(ewrite, writes_one_line_per_120_characters) {
  testing::internal::CaptureStdout();
  dd::DDEWRITE(6, 45, 35, DDReal(1.0, -1e-20));
  dd::DDEWRITE(6, 130, 10, -2.5);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, dd::test::left("0.9999999999999999999900000000000000e0", 45) + "\n" +
                     dd::test::left("-2.500000000e0", 120) + "\n" + std::string(10, ' ') + "\n");
}

TEST(ewrite, bound_units_and_messages) {
  const std::string path = testing::TempDir() + "ddkit_ewrite_test.txt";
  ASSERT_TRUE(dd::bind_unit(21, path, dd::unit_mode::write));
  dd::DDEWRITE(21, 20, 10, 1.5);
  dd::unbind_unit(21);
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), dd::test::left("1.500000000e0", 20) + "\n");
  std::remove(path.c_str());

  EXPECT_DD_STOP(dd::DDEWRITE(21, 20, 10, 1.5), "*** DDEWRITE: Unit 21 is not open for writing.");
  EXPECT_DD_STOP(dd::DDEWRITE(5, 20, 10, 1.5), "*** DDEWRITE: Unit 5 is not open for writing.");
  EXPECT_DD_STOP(dd::DDEWRITE(6, 17, 10, 1.5), "*** DDEFORMAT: uninitialized or inadequately sized arrays");
  EXPECT_DD_STOP(dd::DDEWRITE(6, 0, 0, 1.5), "*** DDEFORMAT: uninitialized or inadequately sized arrays");
}

}  // namespace
