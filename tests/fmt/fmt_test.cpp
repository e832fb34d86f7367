// The {fmt} formatters: a DDReal holding a binary64 value exactly is written
// as {fmt} writes that double, for every spec; what only a pair has, beside.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>

#include "ddtyped/fmt.hpp"
#include "ddtyped/real.hpp"

namespace {

using dd::DDComplex;
using dd::DDReal;

// Specs with a precision or a type write the exact value rounded, as for the
// double; the shortest specs write the exact value in full, so they agree
// with the double's where its shortest text is exact (the second list).
TEST(fmt, binary64_values_are_written_as_the_double_is) {
  const double values[] = {1e-4, 0.1, 2 / 3.0, 5e-324, DBL_MAX, 1234567.0, -0.0, HUGE_VAL, std::nan("")};
  const double exact[] = {1.5, 1e15, 1e16, 1e22, -2.5, 100.0, 0.0, 0.125, 0x1p-20, -HUGE_VAL};
  const char* rounded[] = {"{:e}",   "{:f}",      "{:g}",    "{:.3}",      "{:.3e}",  "{:#g}",  "{:E}",   "{:G}",
                           "{:F}",   "{:.0}",     "{:#.0f}", "{:010.2f}", "{:.0e}",  "{:#.3g}", "{:.40f}", "{:.25}",
                           "{:-^+12.4e}", "{:#.1}", "{:#.3}"};
  const char* shortest[] = {"{}", "{:#}", "{:+}", "{: }", "{:010}", "{:<10}", "{:^10}", "{:*>10}"};
  const auto expect_same = [](const char* spec, double v) {
    EXPECT_EQ(fmt::format(fmt::runtime(spec), DDReal(v)), fmt::format(fmt::runtime(spec), v)) << spec << ' ' << v;
  };
  for (const double v : values) {
    for (const char* s : rounded) expect_same(s, v);
    if (std::isfinite(v)) {  // {fmt} 9 aligns inf and nan left under a dynamic width
      EXPECT_EQ(fmt::format("{:{}.{}f}", DDReal(v), 14, 3), fmt::format("{:{}.{}f}", v, 14, 3));
    }
  }
  for (const double v : exact) {
    for (const char* s : rounded) expect_same(s, v);
    for (const char* s : shortest) expect_same(s, v);
  }
}

TEST(fmt, pairs_complex_values_and_refusals) {
  EXPECT_EQ(fmt::format("{:.32}", DDReal(11.0)), "11");
  EXPECT_EQ(fmt::format("{:.32}", dd::pi()), "3.1415926535897932384626433832795");
  char shortest[64];
  const DDReal x(1.0, -0x1p-70);
  EXPECT_EQ(fmt::format("{}", x), std::string(shortest, dd::to_chars(shortest, shortest + sizeof shortest, x).ptr));
  EXPECT_EQ(fmt::format("{}", DDReal(1.0, std::nan(""))), "nan");
  EXPECT_EQ(fmt::format("{:>16.3f}|{:<10}|", DDComplex{DDReal(1.5), DDReal(-2.0)}, DDComplex{}), "  (1.500,-2.000)|(0,0)     |");
  EXPECT_THROW((void)fmt::format(fmt::runtime("{:a}"), DDReal(1.0)), fmt::format_error);
  EXPECT_THROW((void)fmt::format(fmt::runtime("{:.}"), DDReal(1.0)), fmt::format_error);
}

}  // namespace
