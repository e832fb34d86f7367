// to_chars and from_chars: exact digits against MPFR, shortest texts that
// read back word for word, and the syntax, results and errors of
// std::from_chars for double.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>

#include "ddtyped/charconv.hpp"
#include "ddtyped/limits.hpp"
#include "support/mpfr_ref.hpp"
#include "support/words.hpp"

namespace {

using dd::DDReal;
using dd::test::Mp;
using dd::test::same_words;
constexpr double kInf = std::numeric_limits<double>::infinity();

std::string text(const DDReal& v) {
  char buf[1200];
  const auto r = dd::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}
std::string text(const DDReal& v, std::chars_format f, int precision = -1) {
  char buf[1200];
  const auto r = precision < 0 ? dd::to_chars(buf, buf + sizeof buf, v, f)
                               : dd::to_chars(buf, buf + sizeof buf, v, f, precision);
  return std::string(buf, r.ptr);
}
DDReal read(const std::string& t) {
  DDReal v(7.0, 7.0);
  const auto r = dd::from_chars(t.data(), t.data() + t.size(), v);
  EXPECT_TRUE(r.ec == std::errc() && r.ptr == t.data() + t.size()) << t;
  return v;
}

// MPFR's text of the exact value hi + lo ("%.{p}R{conv}", rounded to nearest).
std::string mpfr_text(const DDReal& v, const char* spec) {
  const Mp x(v, 2400);
  char* s = nullptr;
  mpfr_asprintf(&s, spec, x.get());
  std::string t(s);
  mpfr_free_str(s);
  return t;
}

// The pair from_chars must give for t: hi = RN(x), lo = RN(x - hi), renormalised.
bool mpfr_pair(const std::string& t, DDReal& want) {
  Mp x(6000), h(6000);
  mpfr_set_str(x.get(), t.c_str(), 10, MPFR_RNDN);
  const double hi = mpfr_get_d(x.get(), MPFR_RNDN);
  mpfr_set_d(h.get(), hi, MPFR_RNDN);
  mpfr_sub(h.get(), x.get(), h.get(), MPFR_RNDN);
  const double lo = mpfr_get_d(h.get(), MPFR_RNDN);
  const double s = hi + lo, e = lo - (s - hi);
  want = DDReal(s, e == 0.0 ? 0.0 : e);
  return std::isfinite(s) && (hi != 0.0 || mpfr_zero_p(x.get()));
}

// Pairs of every kind: any magnitude, full or short low words, zero low
// words, low words of exactly half a unit of hi, and subnormal low words.
DDReal random_pair(std::mt19937_64& g, bool normalise = true) {
  std::uniform_int_distribution<int> expo(-1074, 1023), kind(0, 9);
  const double m = 1.0 + static_cast<double>(g() >> 12) * 0x1p-52;
  const double mag = std::ldexp(m, expo(g));
  const double hi = g() % 2 ? -mag : mag;
  double lo = std::ldexp(static_cast<double>(static_cast<std::int64_t>(g() >> 11)) * 0x1p-53, std::ilogb(hi) - 54);
  switch (kind(g)) {
    case 0: lo = 0.0; break;
    case 1: lo = std::ldexp(g() % 2 ? 1.0 : -1.0, std::ilogb(hi) - 53); break;
    case 2: lo = std::ldexp(lo, -static_cast<int>(g() % 300)); break;
    case 3: lo = std::ldexp(1.0 + static_cast<double>(g() % 8), std::ilogb(hi) - 100); break;
    default: break;
  }
  if (!normalise) return DDReal(hi, lo);
  const double s = hi + lo;
  return std::isfinite(s) ? DDReal(s, lo - (s - hi)) : DDReal(hi, 0.0);
}

TEST(to_chars, digits_are_the_exact_value_rounded_to_nearest_even) {
  std::mt19937_64 g(11);
  const struct {
    std::chars_format f;
    char conv;
  } forms[] = {{std::chars_format::scientific, 'e'}, {std::chars_format::fixed, 'f'}, {std::chars_format::general, 'g'}};
  for (int k = 0; k < 3000; ++k) {
    const DDReal v = k % 5 == 0 ? random_pair(g, false) : random_pair(g);
    const int p = static_cast<int>(g() % 45);
    for (const auto& m : forms) {
      if (m.conv == 'f' && std::fabs(v.hi) > 1e40) continue;
      const std::string spec = "%." + std::to_string(p) + "R" + m.conv;
      ASSERT_EQ(text(v, m.f, p), mpfr_text(v, spec.c_str())) << std::hexfloat << v.hi << ' ' << v.lo;
    }
  }
  // 11 is 11 at any precision, and ties go to the even digit.
  EXPECT_EQ(text(DDReal(11.0), std::chars_format::general, 32), "11");
  EXPECT_EQ(text(DDReal(11.0), std::chars_format::scientific, 31), "1.1000000000000000000000000000000e+01");
  EXPECT_EQ(text(DDReal(1.0, -0x1p-80), std::chars_format::fixed, 20), "1.00000000000000000000");
  EXPECT_EQ(text(DDReal(0.125), std::chars_format::fixed, 2), "0.12");
  EXPECT_EQ(text(DDReal(0.375), std::chars_format::fixed, 2), "0.38");
}

TEST(to_chars, shortest_reads_back_word_for_word_and_nothing_shorter_does) {
  std::mt19937_64 g(12);
  for (int k = 0; k < 3000; ++k) {
    const DDReal v = random_pair(g);
    const std::string t = text(v);
    const DDReal back = read(t);
    ASSERT_TRUE(same_words(back, v.hi, v.lo == 0.0 ? 0.0 : v.lo)) << t;
    // One significant digit fewer, rounded either way, reads back as another pair.
    const std::string sci = text(v, std::chars_format::scientific);
    const int digits = static_cast<int>(sci.find('e')) - (sci[0] == '-') - (sci.find('.') != std::string::npos);
    if (digits < 2) continue;
    for (const char dir : {'D', 'U'}) {
      const std::string spec = "%." + std::to_string(digits - 2) + "R" + dir + "e";
      const std::string shorter = mpfr_text(v, spec.c_str());
      DDReal s;
      dd::from_chars(shorter.data(), shorter.data() + shorter.size(), s);
      ASSERT_FALSE(same_words(s, back)) << t << " and " << shorter;
    }
  }
}

TEST(to_chars, layouts_and_special_values) {
  const struct {
    DDReal v;
    const char* shortest;
    const char* general;
  } cases[] = {
      {DDReal(1e22), "1e+22", "1e+22"},
      {DDReal(100.0), "100", "100"},
      {DDReal(1234567.0), "1234567", "1.234567e+06"},
      {DDReal(0x1p-20), "9.5367431640625e-07", "9.5367431640625e-07"},
      {DDReal(0.1), "0.1000000000000000055511151231257827021181583404541015625",
       "0.1000000000000000055511151231257827021181583404541015625"},
      {DDReal(-0.0), "-0", "-0"},
      {DDReal(1.0, 1.0), "2", "2"},  // not normalised: the pair (2, 0) of the same value
      {DDReal(1.0, std::nan("")), "nan", "nan"},
      {DDReal(-1.0, -kInf), "-inf", "-inf"},
      {DDReal(-kInf, 1.0), "-inf", "-inf"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text(c.v), c.shortest);
    EXPECT_EQ(text(c.v, std::chars_format::general), c.general);
  }
  // A sum beyond the binary64 range has no text that reads back: all its digits.
  const std::string big = text(DDReal(DBL_MAX, DBL_MAX));
  EXPECT_EQ(big.size(), 309u);
  EXPECT_EQ(big.substr(0, 20), "35953862697246314162");

  // Any precision: general writes only the digits there are, the others refuse a short buffer at once.
  EXPECT_EQ(text(DDReal(1.5), std::chars_format::general, INT_MAX), "1.5");
  char small[4];
  EXPECT_TRUE(dd::to_chars(small, small + sizeof small, DDReal(1.5), std::chars_format::fixed, INT_MAX).ec ==
              std::errc::value_too_large);
  const auto r = dd::to_chars(small, small + sizeof small, DDReal(12345.0));
  EXPECT_TRUE(r.ec == std::errc::value_too_large && r.ptr == small + sizeof small);
  EXPECT_TRUE(dd::to_chars(small, small + sizeof small, DDReal(1.0), std::chars_format::hex).ec ==
              std::errc::invalid_argument);
}

TEST(from_chars, gives_the_nearest_pair) {
  std::mt19937_64 g(13);
  for (int k = 0; k < 4000; ++k) {
    std::string t = g() % 2 ? "-" : "";
    const int n = 1 + static_cast<int>(g() % 45);
    for (int i = 0; i < n; ++i) t += static_cast<char>('0' + g() % 10);
    t += 'e';
    t += std::to_string(k % 3 == 0 ? static_cast<int>(g() % 41) - 20 : static_cast<int>(g() % 690) - 350);
    DDReal want, got(7.0, 7.0);
    const bool in_range = mpfr_pair(t, want);
    const auto r = dd::from_chars(t.data(), t.data() + t.size(), got);
    ASSERT_EQ(r.ptr, t.data() + t.size()) << t;
    if (in_range) {
      ASSERT_TRUE(r.ec == std::errc() && (same_words(got, want) || (got.hi == 0.0 && want.hi == 0.0))) << t;
    } else {
      ASSERT_TRUE(r.ec == std::errc::result_out_of_range && same_words(got, 7.0, 7.0)) << t;  // value untouched
    }
  }
  // The largest pair reads back, and so does text up to half a unit of its
  // low word above it; from there on the low word would round to 2^970 and
  // the pair to infinity.
  const DDReal top = std::numeric_limits<DDReal>::max();
  EXPECT_SAME(read(text(top)), top);
  Mp edge(DDReal(DBL_MAX, 0x1p970), 2400);
  mpfr_sub(edge.get(), edge.get(), Mp(DDReal(0x1p916), 64).get(), MPFR_RNDN);
  const auto edge_text = [&](const char* spec) {
    char* s = nullptr;
    mpfr_asprintf(&s, spec, edge.get());
    std::string t(s);
    mpfr_free_str(s);
    return t;
  };
  EXPECT_SAME(read(edge_text("%.40RDe")), top);
  DDReal v;
  const std::string over = edge_text("%.40RUe");
  EXPECT_TRUE(dd::from_chars(over.data(), over.data() + over.size(), v).ec == std::errc::result_out_of_range);
}

// Every prefix rule, refusal and out-of-range case of std::from_chars for
// double, on random strings over the characters that matter.
TEST(from_chars, syntax_and_errors_as_for_double) {
  std::mt19937_64 g(14);
  constexpr char kAlphabet[] = "0123456789.eE+-infatyINFAN()_ x";
  for (int k = 0; k < 30000; ++k) {
    std::string t;
    for (int n = static_cast<int>(g() % 12); n > 0; --n) t += kAlphabet[g() % (sizeof kAlphabet - 1)];
    for (const auto f : {std::chars_format::general, std::chars_format::fixed, std::chars_format::scientific}) {
      double d = 42.0;
      DDReal v(42.0, 42.0);
      const auto a = std::from_chars(t.data(), t.data() + t.size(), d, f);
      const auto b = dd::from_chars(t.data(), t.data() + t.size(), v, f);
      ASSERT_TRUE(a.ec == b.ec && a.ptr == b.ptr) << '"' << t << "\" format " << static_cast<int>(f);
      if (a.ec == std::errc()) {
        ASSERT_TRUE(std::isnan(d) ? std::isnan(v.hi) && std::signbit(d) == std::signbit(v.hi)
                                  : dd::test::bits(d) == dd::test::bits(v.hi)) << t;
      }
    }
  }
  DDReal v;
  const std::string_view one = "1";
  EXPECT_TRUE(dd::from_chars(one.data(), one.data() + one.size(), v, std::chars_format::hex).ec ==
              std::errc::invalid_argument);
}

}  // namespace
