// E-format output: layouts, carries, messages, values the scaling cannot take
// directly, and the digits of random values against MPFR.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "io_out_util.hpp"
#include "support/mpfr_ref.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::DDReal;
using dd::test::eformat;
using dd::test::from_bits;
using dd::test::left;

struct ECase {
  DDReal a;
  int nb, nd;
  const char* text;
};

TEST(eformat, layouts) {
  const ECase cases[] = {
      {1.5, 20, 10, "1.500000000e0"},
      {-1.5, 20, 10, "-1.500000000e0"},
      {1.25e-100, 20, 10, "1.250000000e-100"},
      {1e100, 20, 10, "1.000000000e100"},
      {0.0, 20, 10, "0.000000000e0"},
      {-0.0, 20, 10, "0.000000000e0"},
      {7.3, 8, 0, "7e0"},
      {-7.3, 8, 0, "-7e0"},
      {7.3, 9, 1, "7.e0"},
      {-7.3, 9, 1, "-7.e0"},
      {123456.0, 15, 6, "1.23456e5"},
      {-0.5, 15, 3, "-5.00e-1"},
      {1.0, 9, 1, "1.e0"},  // nb = nd + 8 is accepted
      {5e-324, 20, 10, "4.940656458e-324"},
      {std::numeric_limits<double>::max(), 20, 10, "1.797693134e308"},
  };
  for (const ECase& c : cases) EXPECT_EQ(eformat(c.a, c.nb, c.nd), left(c.text, c.nb)) << c.text;
}

TEST(eformat, carry_through_trailing_nines) {
  const double x = 0.00123;  // 1.2299999999999999735...e-3
  EXPECT_EQ(eformat(x, 20, 10), left("1.230000000e-3", 20));
  EXPECT_EQ(eformat(x, 30, 14), left("1.2300000000000e-3", 30));
  EXPECT_EQ(eformat(x, 30, 15), left("1.22999999999999e-3", 30));
  EXPECT_EQ(eformat(x, 30, 20), left("1.2299999999999999735e-3", 30));

  const DDReal below_one(1.0, -1e-20);
  EXPECT_EQ(eformat(below_one, 20, 10), left("1.000000000e0", 20));
  EXPECT_EQ(eformat(below_one, 30, 20), left("0.9999999999999999999e0", 30));
  // With nd <= 2 the digit at nd + 1 is the point, the sign or the leading 0
  // itself; the leading 0 of a nonzero value still takes the carry.
  EXPECT_EQ(eformat(below_one, 8, 0), left("1e0", 8));
  EXPECT_EQ(eformat(below_one, 9, 1), left("1.e0", 9));
  EXPECT_EQ(eformat(DDReal(-1.0, 1e-20), 9, 1), left("-1.e0", 9));
  EXPECT_EQ(eformat(DDReal(-1.0, 1e-20), 10, 2), left("-1.0e0", 10));

  const DDReal below_ten(9.999999999999998, 8.8e-16);
  EXPECT_EQ(eformat(below_ten, 20, 10), left("1.000000000e1", 20));
  EXPECT_EQ(eformat(below_ten, 30, 20), left("9.9999999999999991036e0", 30));

  // The digit at nd + 1 counts the sign: for -9.5 with nd = 1 it is the
  // leading 9, and the unit added at the last generated digit stays there.
  EXPECT_EQ(eformat(-9.5, 9, 1), left("-9.e0", 9));
  EXPECT_EQ(eformat(DDReal(9.5, -1e-30), 9, 0), left("9e0", 9));
}

TEST(eformat, messages) {
  char b[64];
  EXPECT_DD_STOP(dd::DDEFORMAT(1.0, 17, 10, b), "*** DDEFORMAT: uninitialized or inadequately sized arrays");
  EXPECT_DD_STOP(dd::DDEFORMAT(1.0, 0, 0, b), "*** DDEFORMAT: uninitialized or inadequately sized arrays");
  EXPECT_DD_STOP(dd::DDEFORMAT(1.0, 20, -1, b), "*** DDEFORMAT: Improper value of ND        -1");
}

TEST(eformat, non_finite_values) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(eformat(inf, 20, 10), left("Infinity", 20));
  EXPECT_EQ(eformat(-inf, 20, 10), left("-Infinity", 20));
  EXPECT_EQ(eformat(std::nan(""), 20, 10), left("NaN", 20));
  EXPECT_EQ(eformat(DDReal(1.0, std::nan("")), 20, 10), left("NaN", 20));
  EXPECT_EQ(eformat(-inf, 8, 0), "********");
  EXPECT_EQ(eformat(inf, 8, 0), "Infinity");
}

// Exact value of a, the value shown by text, and their distance in units of
// the last shown digit.
double error_in_units(const DDReal& a, const std::string& text, int nd) {
  std::string t = text.substr(0, text.find(' '));
  const std::size_t e = t.find('e');
  const long ex = std::stol(t.substr(e + 1));
  std::string mant = t.substr(0, e);
  if (!mant.empty() && mant.back() == '.') mant.pop_back();
  dd::test::Mp shown(400), exact(400), diff(400), unit(400);
  mpfr_set_str(shown, (mant + "e" + std::to_string(ex)).c_str(), 10, MPFR_RNDN);
  mpfr_set_d(exact, a.hi, MPFR_RNDN);
  mpfr_add_d(exact, exact, a.lo, MPFR_RNDN);
  mpfr_sub(diff, shown, exact, MPFR_RNDN);
  mpfr_set_ui(unit, 10, MPFR_RNDN);
  mpfr_pow_si(unit, unit, ex - (nd > 0 ? nd - 1 : 0), MPFR_RNDN);
  mpfr_div(diff, diff, unit, MPFR_RNDN);
  return std::fabs(mpfr_get_d(diff, MPFR_RNDN));
}

TEST(eformat, ends_with_right_digits_where_scaling_cycles) {
  // Scaled high parts 0.9999999999999999 that DDMULD by 10 rounds up to 10
  // and DDDIVD brings back: the normalisation must still end.
  const DDReal cases[] = {
      from_bits(0xc589d971e4fe8401, 0xc2299c570dc21377),  // about -9.999999999999999e26
      from_bits(0x3fb9999999999999, 0xbc1df32729ba90c0),
      from_bits(0x3fb9999999999999, 0x3c31e180b364f460),
      from_bits(0x3fb9999999999999, 0x3c414f41ae072240),
  };
  for (const DDReal& a : cases) {
    for (int nd : {0, 1, 10, 16, 20, 30}) {
      const std::string s = eformat(a, nd + 20, nd);
      EXPECT_LT(error_in_units(a, s, nd), 1.0) << s;
    }
  }
  EXPECT_EQ(eformat(cases[0], 20, 10), left("-1.000000000e27", 20));
  EXPECT_EQ(eformat(cases[0], 40, 30), left("-9.99999999999999930847168225038e26", 40));
  EXPECT_EQ(eformat(cases[1], 40, 30), left("9.99999999999999912674316161797e-2", 40));
  EXPECT_EQ(eformat(std::nextafter(1e142, 0.0), 30, 20), left("9.9999999999999991543e141", 30));
}

TEST(eformat, extreme_magnitudes) {
  const DDReal cases[] = {
      DDReal(1e301), DDReal(-9.87654321e305), DDReal(std::numeric_limits<double>::max(), 9.9e291),
      DDReal(1e300, 3.1e283), DDReal(9.999999999999999e300), DDReal(1.3e300), DDReal(1e-299),
      DDReal(1e-300), DDReal(-3.3e-305), DDReal(2.2250738585072014e-308), DDReal(1e-310),
      DDReal(5e-324), DDReal(-1.234e-320),
  };
  for (const DDReal& a : cases) {
    for (int nd : {1, 10, 20, 30}) {
      const std::string s = eformat(a, nd + 20, nd);
      EXPECT_LT(error_in_units(a, s, nd), 1.0) << s;
    }
  }
  EXPECT_EQ(eformat(1e301, 20, 10), left("1.000000000e301", 20));
  EXPECT_EQ(eformat(1e-300, 20, 10), left("1.000000000e-300", 20));
  // A pair whose lo word dwarfs its hi word shows the value of the sum.
  EXPECT_EQ(eformat(DDReal(1.5, -2.5e20), 20, 10), eformat(DDReal(-2.5e20, 1.5), 20, 10));
  EXPECT_EQ(dd::test::fformat(DDReal(1.5, -2.5e20), 30, 2), dd::test::right("-249999999999999999998.50", 30));
  EXPECT_EQ(eformat(-1e-310, 20, 10), left("-9.999999999e-311", 20));  // -9.99999999999996944...e-311
}

// A random normalised DDReal with |hi| in [2^emin, 2^emax).
DDReal random_dd(std::mt19937_64& g, int emin, int emax) {
  std::uniform_real_distribution<double> m(1.0, 2.0);
  std::uniform_int_distribution<int> ex(emin, emax - 1);
  const int e = ex(g);
  double hi = std::ldexp(m(g), e);
  if (g() & 1) hi = -hi;
  const double lo = std::ldexp(m(g) - 1.5, e - 53);
  const double h = hi + lo;
  return DDReal(h, lo - (h - hi));
}

// Shown digits are the truncated expansion of the computed mantissa, whose
// relative error is below 7e-32 (about 2^-103.5; the scaling by 10^n takes
// up to 18 rounded double-double operations): so the field is within one
// unit of its last shown digit plus 7e-32 |a|, at every magnitude from the
// smallest subnormal to the largest binary64.
TEST(eformat, digits_of_random_values_against_mpfr) {
  std::mt19937_64 g(20261209);
  double worst[2] = {};  // relative error beyond truncation, |exponent| <= 300 and beyond
  for (int k = 0; k < 3000; ++k) {
    const DDReal a = random_dd(g, k % 4 == 0 ? -1074 : -1000, k % 4 == 0 ? 1024 : 1000);
    const bool far = std::fabs(a.hi) >= 1e301 || std::fabs(a.hi) < 1e-300;
    for (int nd = 0; nd <= 40; ++nd) {
      const std::string s = eformat(a, nd + 20, nd);
      const double err = error_in_units(a, s, nd);
      // |a| in units of the last shown digit.
      const double mant = std::fabs(std::stod(s.substr(0, s.find('e'))));
      const double size = mant * std::pow(10.0, nd > 0 ? nd - 1 : 0);
      EXPECT_LT(err, 1.0 + 7e-32 * size) << s << " hi " << a.hi << " lo " << a.lo;
      if (err > 1.0) worst[far] = std::max(worst[far], (err - 1.0) / size);
    }
  }
  std::printf("relative error beyond truncation: %.3g (|hi| in [1e-300, 1e301)), %.3g (beyond)\n", worst[0], worst[1]);
}

}  // namespace
