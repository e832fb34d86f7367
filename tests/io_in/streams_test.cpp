// operator<< and operator>> for DDReal and DDComplex, the _dd literal and
// std::numeric_limits<dd::DDReal>.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
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

// A DDReal with a zero low word is exactly its binary64 value, so every
// format, precision, width, fill and sign flag must write what the stream
// writes for the double itself (which is correctly rounded).
TEST(stream_output, binary64_values_are_written_as_the_double_is) {
  const double values[] = {1.5,     100.0,  0.0,  -0.0,  -12.5, 1e10,  1.25e-7, 1e-3,   123456.0, 1234567.0,
                           0.1,     2 / 3.0, 1e22, 12.5, 0.125, 1e300, 5e-324,  DBL_MAX, 0.001234, 9.9999996,
                           HUGE_VAL, -HUGE_VAL, std::nan("")};
  using manip = std::function<void(std::ostream&)>;
  const manip manips[] = {
      [](std::ostream&) {},
      [](std::ostream& o) { o << std::setprecision(32); },
      [](std::ostream& o) { o << std::setprecision(0); },
      [](std::ostream& o) { o << std::showpoint << std::setprecision(4); },
      [](std::ostream& o) { o << std::scientific << std::setprecision(3); },
      [](std::ostream& o) { o << std::scientific << std::setprecision(0) << std::showpoint; },
      [](std::ostream& o) { o << std::scientific << std::uppercase << std::setprecision(1); },
      [](std::ostream& o) { o << std::fixed << std::setprecision(2); },
      [](std::ostream& o) { o << std::fixed << std::setprecision(0); },
      [](std::ostream& o) { o << std::fixed << std::setprecision(40); },
      [](std::ostream& o) { o << std::setw(12); },
      [](std::ostream& o) { o << std::setw(12) << std::left << std::setfill('*'); },
      [](std::ostream& o) { o << std::setw(12) << std::internal << std::showpos; },
  };
  for (const double v : values) {
    for (std::size_t m = 0; m < std::size(manips); ++m) {
      EXPECT_EQ(show(DDReal(v), manips[m]), show(v, manips[m])) << v << " with manipulator " << m;
    }
  }
}

TEST(stream_output, the_exact_pair_rounded_and_non_finite_sums) {
  const auto prec = [](int p) { return [p](std::ostream& o) { o << std::setprecision(p); }; };
  EXPECT_EQ(show(11.0_dd, prec(32)), "11");  // never 10.999...
  EXPECT_EQ(show(11.0_dd, [](std::ostream& o) { o << std::showpoint << std::setprecision(32); }),
            "11.000000000000000000000000000000");
  EXPECT_EQ(show(DDReal(1.0) / DDReal(3.0), prec(32)), "0.33333333333333333333333333333333");
  EXPECT_EQ(show(dd::pi(), prec(32)), "3.1415926535897932384626433832795");
  EXPECT_EQ(show(dd::pi(), [](std::ostream& o) { o << std::fixed << std::setprecision(30); }),
            "3.141592653589793238462643383280");
  EXPECT_EQ(show(DDReal(1.0, -1e-20), [](std::ostream& o) { o << std::fixed << std::setprecision(25); }),
            "0.9999999999999999999900000");
  EXPECT_EQ(show(DDReal(1.0, std::nan(""))), "nan");
  EXPECT_EQ(show(DDReal(-1.0, -std::numeric_limits<double>::infinity())), "-inf");
  EXPECT_EQ(show(std::numeric_limits<DDReal>::infinity(), [](std::ostream& o) { o << std::uppercase; }), "INF");
  // hexfloat asks for an exact text: the shortest that reads back.
  char buf[64];
  const auto r = dd::to_chars(buf, buf + sizeof buf, DDReal(0.5, 0x1p-80));
  EXPECT_EQ(show(DDReal(0.5, 0x1p-80), [](std::ostream& o) { o << std::hexfloat; }), std::string(buf, r.ptr));
}

TEST(stream_output, width_is_used_once_and_complex_values) {
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

// Tokens DDINPC would read as 0 or 1, and values beyond the binary64 range,
// set failbit as they do for double (overflow stores the largest value of its
// sign, underflow reads as zero); the next token is read after clear().
TEST(stream_input, malformed_and_out_of_range_tokens) {
  const DDReal top = std::numeric_limits<DDReal>::max();
  const struct {
    const char* token;
    bool fails;
    DDReal value;
  } cases[] = {
      {"-", true, 0.0},   {"+", true, 0.0},     {".", true, 0.0},       {"e", true, 0.0},
      {"E5", true, 0.0},  {".e5", true, 0.0},   {"1e", true, 0.0},      {"1e+", true, 0.0},
      {"-.d3", true, 0.0}, {"1e400", true, top}, {"-1e400", true, -top}, {"1e-400", false, 0.0},
      {"1.5d3", false, 1500.0}, {"9.999999999999e307", false, 9.999999999999e307},
  };
  for (const auto& c : cases) {
    std::istringstream in(std::string(c.token) + " 7");
    DDReal a(-1.0), b;
    in >> a;
    EXPECT_EQ(in.fail(), c.fails) << c.token;
    EXPECT_EQ(a.hi, c.value.hi) << c.token;
    in.clear();
    EXPECT_TRUE(in >> b && b == 7.0) << c.token;
  }
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
