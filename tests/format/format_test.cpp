// The output-template formatter: descriptors, repeat groups, stopping and reversion.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ddreal/outfmt.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::detail::FmtItem;
using dd::detail::format_lines;

TEST(format_template, report_lines) {
  EXPECT_EQ(format_lines("('kr =',i2,3x,'ks =',i2,3x,'rb =',1p,d12.4)", {3, 3, 20.0}),
            "kr = 3   ks = 3   rb =  2.0000D+01\n");
  EXPECT_EQ(format_lines("('Norm bound limit exceeded.',1p,d15.6)", {1.5e23}),
            "Norm bound limit exceeded.   1.500000D+23\n");
  EXPECT_EQ(format_lines("(/'Start trial', i3)", {1}), "\nStart trial  1\n");
  EXPECT_EQ(format_lines("('PSLQM1 Test Program'/ 'No. trials = ',i3,3x,'n =',i4,3x,'kq =',i2/ "
                         "'kr =',i2,3x,'ks =',i2,3x,'rb =',1p,d12.4/ 'Full precision level ndp =',i6,"
                         "' digits'/ 'Full precision epsilon level nep = ',i6)",
                         {1, 10, 0, 3, 3, 20.0, 32, -29}),
            "PSLQM1 Test Program\n"
            "No. trials =   1   n =  10   kq = 0\n"
            "kr = 3   ks = 3   rb =  2.0000D+01\n"
            "Full precision level ndp =    32 digits\n"
            "Full precision epsilon level nep =    -29\n");
  EXPECT_EQ(format_lines("('It''s',a)", {"ok"}), "It'sok\n");
}

TEST(format_template, stops_at_first_data_descriptor_without_item) {
  EXPECT_EQ(format_lines("('Iteration',i7,3x,'Min =',f11.6,'e',i6)", {25}), "Iteration     25   Min =\n");
  EXPECT_EQ(format_lines("('before',i5,'after')"), "before\n");
  EXPECT_EQ(format_lines("('only text')"), "only text\n");
  // Text after the last item is written up to the end of the template.
  EXPECT_EQ(format_lines("('a',i2,' b'/'c')", {7}), "a 7 b\nc\n");
  // An empty row of pairs is one empty line.
  EXPECT_EQ(format_lines("(4(f13.8,'e',i5))"), "\n");
}

TEST(format_template, reversion_to_last_group) {
  std::vector<FmtItem> items;
  for (int k = 1; k <= 6; ++k) {
    items.emplace_back(0.5 * k);
    items.emplace_back(-k);
  }
  const std::string pairs = format_lines("(4(f13.8,'e',i5))", items);
  EXPECT_EQ(pairs,
            "   0.50000000e   -1   1.00000000e   -2   1.50000000e   -3   2.00000000e   -4\n"
            "   2.50000000e   -5   3.00000000e   -6\n");

  std::vector<FmtItem> times{1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.25};
  EXPECT_EQ(format_lines("('CPU times:'/(5f12.2))", times),
            "CPU times:\n"
            "        1.00        2.00        3.00        4.00        5.00\n"
            "        6.00        7.25\n");
  std::vector<FmtItem> five{1.0, 2.0, 3.0, 4.0, 5.0};
  EXPECT_EQ(format_lines("('CPU times:'/(5f12.2))", five),
            "CPU times:\n        1.00        2.00        3.00        4.00        5.00\n");

  // Without a group the whole template is used again.
  EXPECT_EQ(format_lines("('x=',i2)", {1, 2}), "x= 1\nx= 2\n");
  // A restart part that takes no items drops the surplus instead of looping.
  EXPECT_EQ(format_lines("('a',i1,('b'))", {1, 2}), "a1b\nb\n");
}

TEST(format_template, a1_lines) {
  const std::string s(130, 'z');
  const std::vector<FmtItem> chars = dd::detail::char_items(s);
  EXPECT_EQ(format_lines("(120a1)", chars), std::string(120, 'z') + "\n" + std::string(10, 'z') + "\n");
  const std::string line = std::string(35, ' ') + "-1.00";
  const std::vector<FmtItem> forty = dd::detail::char_items(line);
  EXPECT_EQ(format_lines("(80a1)", forty), std::string(35, ' ') + "-1.00\n");
  EXPECT_EQ(format_lines("(a5,'|',a2,'|',a)", {"ab", "xyz", "tail"}), "   ab|xy|tail\n");
}

TEST(format_fixed, layouts) {
  struct Case { const char* tmpl; double x; const char* want; };
  const Case cases[] = {
      {"(f11.6)", 1.2345, "   1.234500"},
      {"(f11.6)", -1.2345, "  -1.234500"},
      {"(f5.2)", 0.5, " 0.50"},
      {"(f4.2)", 0.5, "0.50"},
      {"(f3.2)", 0.5, ".50"},    // no room for the leading zero
      {"(f4.2)", -0.5, "-.50"},
      {"(f6.2)", -0.001, " -0.00"},  // negative, rounds to zero
      {"(f4.2)", -0.004, "-.00"},
      {"(f6.2)", 0.001, "  0.00"},
      {"(f4.0)", 2.5, "  2."},       // ties to even on the exact value
      {"(f4.0)", 0.3, "  0."},
      {"(f6.1)", 0.25, "   0.2"},    // 0.25 is exact: tie to even
      {"(f6.1)", 0.35, "   0.3"},    // 0.35 is 0.34999...
      {"(f5.2)", 123.0, "*****"},
      {"(f5.2)", -12.0, "*****"},
      {"(f12.2)", 1e300, "************"},
      {"(f8.2)", std::nan(""), "     NaN"},
      {"(f10.2)", -INFINITY, " -Infinity"},
      {"(f5.2)", INFINITY, "  Inf"},
      {"(f2.2)", INFINITY, "**"},
  };
  for (const Case& c : cases) EXPECT_EQ(format_lines(c.tmpl, {c.x}), std::string(c.want) + "\n") << c.tmpl << " " << c.x;
}

TEST(format_exponent, layouts) {
  struct Case { const char* tmpl; double x; const char* want; };
  const Case cases[] = {
      {"(1p,d12.4)", 20.0, "  2.0000D+01"},
      {"(1p,d12.4)", -20.0, " -2.0000D+01"},
      {"(1p,d12.4)", 0.0, "  0.0000D+00"},
      {"(1p,d12.4)", 9.99996, "  1.0000D+01"},   // carry into the exponent
      {"(1p,d12.4)", 1.5e-5, "  1.5000D-05"},
      {"(1p,d12.4)", 1.25e100, "  1.2500+100"},  // three-digit exponent: no letter
      {"(1p,d12.4)", -1.25e-200, " -1.2500-200"},
      {"(1p,d9.4)", 1.25e-200, "*********"},
      {"(1pd12.4)", 3.0, "  3.0000D+00"},
      {"(d12.4)", 20.0, "  0.2000D+02"},
      {"(d10.4)", 20.0, "0.2000D+02"},
      {"(d9.4)", 20.0, ".2000D+02"},
      {"(1p,e12.4)", 20.0, "  2.0000E+01"},
      {"(2d11.3)", 1.0, "  0.100D+01"},
  };
  for (const Case& c : cases) EXPECT_EQ(format_lines(c.tmpl, {c.x}), std::string(c.want) + "\n") << c.tmpl << " " << c.x;
  // 0p ends the scaling.
  EXPECT_EQ(format_lines("(1p,d11.3,0p,d11.3)", {1.0, 1.0}), "  1.000D+00  0.100D+01\n");
  // The scaling stays in force over reversion.
  EXPECT_EQ(format_lines("(1p,(d11.3))", {1.0, 2.0}), "  1.000D+00\n  2.000D+00\n");
}

TEST(format_integer, layouts) {
  EXPECT_EQ(format_lines("(i5)", {-42}), "  -42\n");
  EXPECT_EQ(format_lines("(i2)", {123}), "**\n");
  EXPECT_EQ(format_lines("(i2)", {-1}), "-1\n");
  EXPECT_EQ(format_lines("(i3)", {-10}), "-10\n");
  EXPECT_EQ(format_lines("(2i4)", {1, 2}), "   1   2\n");
  EXPECT_EQ(format_lines("(i20)", {-9223372036854775807LL - 1}), "-9223372036854775808\n");
}

TEST(format_fail, prints_and_stops) {
  EXPECT_DD_STOP(dd::detail::fail("('*** DDNRT: Improper value of N',i10)", {-3}),
                 "*** DDNRT: Improper value of N        -3");
  EXPECT_DD_STOP(dd::detail::fail("('*** X: first'/ 'with at least',i8,' entries.')", {12}),
                 "*** X: first\nwith at least      12 entries.");
  EXPECT_DD_STOP(format_lines("('unclosed'"), "*** Output template is malformed: ('unclosed'");
}

}  // namespace
