// operator<< and operator>> for DDReal and DDComplex, the _dd literal and
// std::numeric_limits<dd::DDReal>.
#include <gtest/gtest.h>

#include <iomanip>
#include <limits>
#include <sstream>
#include <string>

#include "io_in_util.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::DDComplex;
using dd::DDReal;
using dd::test::same_words;
using namespace dd::literals;

template <class T, class Manip>
std::string show(const T& v, Manip manip) {
  std::ostringstream os;
  manip(os);
  os << v;
  return os.str();
}

template <class T>
std::string show(const T& v) {
  return show(v, [](std::ostream&) {});
}

TEST(stream_output, general_form_uses_the_packages_digits) {
  EXPECT_EQ(show(DDReal(1.5)), "1.5");
  EXPECT_EQ(show(DDReal(100.0)), "100");
  EXPECT_EQ(show(DDReal(0.0)), "0");
  EXPECT_EQ(show(DDReal(-12.5)), "-12.5");
  EXPECT_EQ(show(DDReal(1e10)), "1e10");
  EXPECT_EQ(show(DDReal(1.25e-7)), "1.25e-7");
  EXPECT_EQ(show(1e-3_dd), "0.001");
  EXPECT_EQ(show(DDReal(123456.0)), "123456");
  EXPECT_EQ(show(DDReal(1234567.0)), "1.23456e6");  // digits are cut, as DDEFORMAT shows them
  const DDReal third = DDReal(1.0) / DDReal(3.0);
  EXPECT_EQ(show(third, [](std::ostream& o) { o << std::setprecision(32); }), "0.33333333333333333333333333333333");
  EXPECT_EQ(show(dd::pi(), [](std::ostream& o) { o << std::setprecision(32); }), "3.1415926535897932384626433832795");
  EXPECT_EQ(show(DDReal(1.5), [](std::ostream& o) { o << std::showpoint << std::setprecision(4); }), "1.500");
}

TEST(stream_output, scientific_and_fixed) {
  const auto sci = [](int p) { return [p](std::ostream& o) { o << std::scientific << std::setprecision(p); }; };
  const auto fix = [](int p) { return [p](std::ostream& o) { o << std::fixed << std::setprecision(p); }; };
  EXPECT_EQ(show(DDReal(1.5), sci(3)), "1.500e0");
  EXPECT_EQ(show(DDReal(-1.25e-100), sci(2)), "-1.25e-100");
  EXPECT_EQ(show(DDReal(7.3), sci(0)), "7e0");
  EXPECT_EQ(show(DDReal(1.5), [](std::ostream& o) { o << std::scientific << std::uppercase << std::setprecision(1); }),
            "1.5E0");
  EXPECT_EQ(show(DDReal(1.5), fix(2)), "1.50");
  EXPECT_EQ(show(DDReal(-12.5), fix(2)), "-12.50");
  EXPECT_EQ(show(DDReal(12.5), fix(0)), "12");
  EXPECT_EQ(show(DDReal(1e20), fix(1)), "100000000000000000000.0");
  EXPECT_EQ(show(0.001234_dd, fix(2)), "0.00");
  EXPECT_EQ(show(dd::pi(), fix(30)), "3.141592653589793238462643383279");
}

TEST(stream_output, width_fill_adjustment_sign_and_specials) {
  EXPECT_EQ(show(DDReal(1.5), [](std::ostream& o) { o << std::setw(8); }), "     1.5");
  EXPECT_EQ(show(DDReal(1.5), [](std::ostream& o) { o << std::setw(8) << std::left << std::setfill('*'); }), "1.5*****");
  EXPECT_EQ(show(DDReal(-1.5), [](std::ostream& o) { o << std::setw(8) << std::internal; }), "-    1.5");
  EXPECT_EQ(show(DDReal(1.5), [](std::ostream& o) { o << std::showpos; }), "+1.5");
  EXPECT_EQ(show(std::numeric_limits<DDReal>::infinity()), "inf");
  EXPECT_EQ(show(-std::numeric_limits<DDReal>::infinity()), "-inf");
  EXPECT_EQ(show(std::numeric_limits<DDReal>::quiet_NaN()), "nan");
  // Width is used once, by the whole value.
  std::ostringstream os;
  os << std::setw(6) << DDReal(2.0) << DDReal(3.0);
  EXPECT_EQ(os.str(), "     23");
  EXPECT_EQ(show(DDComplex{DDReal(1.5), DDReal(-2.0)}), "(1.5,-2)");
  EXPECT_EQ(show(DDComplex{DDReal(1.5), DDReal(-2.0)}, [](std::ostream& o) { o << std::setw(10); }), "  (1.5,-2)");
}

TEST(stream_input, tokens_with_the_decimal_syntax) {
  std::istringstream in("  1.5\n-2.5d2\t1.5e3.0 7");
  DDReal a, b, c, d;
  in >> a >> b;
  EXPECT_TRUE(same_words(a, DDReal(1.5, 0.0)));
  EXPECT_TRUE(same_words(b, DDReal(-250.0, 0.0)));
  dd::stop_guard no_stop;  // a syntax error must not stop
  EXPECT_FALSE(in >> c);
  EXPECT_EQ(c.hi, 0.0);
  EXPECT_FALSE(in.eof());
  in.clear();
  EXPECT_TRUE(in >> d);  // the bad token was consumed, the next one is read
  EXPECT_EQ(d.hi, 7.0);
  EXPECT_TRUE(in.eof());
  EXPECT_FALSE(in >> d);

  std::istringstream empty("   ");
  EXPECT_FALSE(empty >> a);
  std::istringstream too_long(std::string(121, '1'));
  EXPECT_FALSE(too_long >> a);
  std::istringstream exact(std::string(120, '1'));
  EXPECT_TRUE(exact >> a);
  std::istringstream no_skip(" 1");
  EXPECT_FALSE(no_skip >> std::noskipws >> a);
}

TEST(stream_input, complex_forms) {
  dd::stop_guard no_stop;
  std::istringstream in("(1.5,-2) (3) 4 (1,x) (1,2");
  DDComplex z1, z2, z3, z4;
  in >> z1 >> z2 >> z3;
  ASSERT_TRUE(in);
  EXPECT_TRUE(same_words(z1.re, DDReal(1.5, 0.0)) && same_words(z1.im, DDReal(-2.0, 0.0)));
  EXPECT_TRUE(z2.re == 3.0 && z2.im == 0.0);
  EXPECT_TRUE(z3.re == 4.0 && z3.im == 0.0);
  EXPECT_FALSE(in >> z4);
  in.clear();
  EXPECT_FALSE(in >> z4);
  // What operator<< writes, operator>> reads back.
  std::stringstream io;
  io << std::setprecision(40) << DDComplex{dd::pi(), -dd::ln2()};
  io >> z4;
  EXPECT_LT(dd::test::rel_error(z4.re, dd::test::Mp(dd::pi())), 0x1p-103);
  EXPECT_LT(dd::test::rel_error(z4.im, dd::test::Mp(-dd::ln2())), 0x1p-103);
}

TEST(literal, converts_the_decimal_text) {
  EXPECT_TRUE(same_words(1.1_dd, dd::to_ddreal("1.1")));
  EXPECT_FALSE(same_words(1.1_dd, DDReal(1.1)));
  EXPECT_LT(dd::test::rel_error_to_decimal(0.1_dd, "0.1"), 0x1p-104);
  EXPECT_TRUE(same_words(1'000.25_dd, DDReal(1000.25, 0.0)));
  EXPECT_TRUE(same_words(12_dd, DDReal(12.0, 0.0)));
  EXPECT_TRUE(same_words(0_dd, DDReal(0.0, 0.0)));
  EXPECT_TRUE(same_words(.5e+3_dd, DDReal(500.0, 0.0)));
  EXPECT_TRUE(same_words(-1.1_dd, -dd::to_ddreal("1.1")));
  // Forms whose C++ meaning is not their decimal text are refused at compile time.
  static_assert(dd::detail::literal_fault(std::array{'0', 'x', '1', '0'}) != nullptr);
  static_assert(dd::detail::literal_fault(std::array{'0', '1', '7'}) != nullptr);
  static_assert(dd::detail::literal_fault(std::array{'1', 'e', '1', '0', '0', '0'}) != nullptr);
  static_assert(dd::detail::literal_fault(std::array{'0', '1', '7', '.'}) == nullptr);
}

TEST(numeric_limits, describe_the_format) {
  using L = std::numeric_limits<DDReal>;
  static_assert(L::is_specialized && L::digits == 106 && L::radix == 2);
  // min() is the smallest value whose low word can still be normal: 2^-969 = 2^-1022 * 2^53.
  EXPECT_EQ(L::min().hi, std::ldexp(std::numeric_limits<double>::min(), 53));
  // max() is a normalised pair: hi + lo rounds to hi.
  EXPECT_EQ(L::max().hi + L::max().lo, L::max().hi);
  EXPECT_LT(L::max().lo, std::ldexp(1.0, 970));
  EXPECT_TRUE(same_words(L::lowest(), -L::max()));
  EXPECT_EQ(L::epsilon().hi, std::ldexp(1.0, -104));
  EXPECT_GT(1.0_dd + L::epsilon(), 1.0_dd);
}

}  // namespace
