// The library call: relations and minimal polynomials of known numbers,
// refusal of inputs the search cannot take, exact integer text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "findrel_util.hpp"
#include "ddreal/power.hpp"
#include "pslq/find_relation.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::DDReal;
using dd::relation_status;

const std::vector<double> kMinimalPolynomial = {-1, 0, 0, 165, 0, 0, -3, 0, 0, 1};

std::vector<DDReal> alpha_vector() {
  std::vector<DDReal> x;
  dd::test::alpha_powers(10, [&](int, const dd::test::Mp& p) { x.push_back(dd::test::to_ddreal(p)); });
  return x;
}

// The relation up to sign, as binary64 (all of these coefficients are small).
void expect_relation(const dd::relation_result& r, const std::vector<double>& want) {
  ASSERT_EQ(r.relation.size(), want.size());
  const double s = (r.relation.back().hi < 0) == (want.back() < 0) ? 1.0 : -1.0;
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(r.relation[i].hi, s * want[i]) << "coefficient " << i + 1;
    EXPECT_EQ(r.relation[i].lo, 0.0) << "coefficient " << i + 1;
  }
}

TEST(find_relation, recovers_the_minimal_polynomial_of_the_test_vector) {
  const auto r = dd::find_relation(alpha_vector());
  ASSERT_EQ(r.status, relation_status::found) << r.message;
  expect_relation(r, kMinimalPolynomial);
  EXPECT_NEAR(r.norm.hi, std::sqrt(1.0 + 165.0 * 165.0 + 9.0 + 1.0), 1e-12);
  EXPECT_LT(r.residual.hi, 1e-29);
  EXPECT_GE(r.digits, 29.0);
  EXPECT_NEAR(r.chance_digits, 10.0 * std::log10(r.norm.hi), 1e-12);
  EXPECT_FALSE(r.maybe_chance);
}

// Scaling by a power of two is exact and leaves the search's y unchanged, so
// scaled vectors give the same relation, including where the squares of the
// inputs would overflow or underflow without the scaling.
TEST(find_relation, power_of_two_scaling_changes_nothing) {
  for (const int e : {37, -300, 700, -800}) {
    auto x = alpha_vector();
    for (auto& v : x) v = DDReal(std::ldexp(v.hi, e), std::ldexp(v.lo, e));
    const auto r = dd::find_relation(x);
    ASSERT_EQ(r.status, relation_status::found) << "scale 2^" << e << ": " << r.message;
    expect_relation(r, kMinimalPolynomial);
    // The residual is formed without overflow and scaled back.
    EXPECT_TRUE(std::isfinite(r.residual.hi)) << e;
    EXPECT_LT(r.residual.hi, std::ldexp(1e-29, e)) << e;
    EXPECT_GE(r.digits, 29.0) << e;
  }
}

TEST(find_relation, small_norm_bound_rejects_the_relation_but_returns_it) {
  dd::relation_options opt;
  opt.log10_norm_bound = 2.0;  // 165.03 > 100
  const auto r = dd::find_relation(alpha_vector(), opt);
  ASSERT_EQ(r.status, relation_status::too_large) << r.message;
  expect_relation(r, kMinimalPolynomial);
}

TEST(find_relation, refuses_inputs_the_search_cannot_take) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<DDReal> two = {DDReal(1.0), DDReal(2.0)};
  dd::relation_options tiny_eps, big_eps, big_bound, zero_bound;
  tiny_eps.threshold = DDReal(0.0);
  big_eps.threshold = DDReal(1.0);
  big_bound.log10_norm_bound = 32.0;
  zero_bound.log10_norm_bound = 0.0;
  struct Case {
    const char* name;
    std::vector<DDReal> x;
    dd::relation_options opt;
  } cases[] = {
      {"one number", {DDReal(1.0)}, {}},
      {"no numbers", {}, {}},
      {"too many", std::vector<DDReal>(dd::kMaxRelationSize + 1, DDReal(1.0)), {}},
      {"NaN", {DDReal(1.0), DDReal(nan), DDReal(2.0)}, {}},
      {"infinite low word", {DDReal(1.0), DDReal(2.0, inf)}, {}},
      {"all zero", {DDReal(0.0), DDReal(-0.0), DDReal(0.0)}, {}},
      {"zero threshold", two, tiny_eps},
      {"threshold of one", two, big_eps},
      {"norm bound past the exact integers", two, big_bound},
      {"norm bound of one", two, zero_bound},
  };
  for (const auto& c : cases) {
    const auto r = dd::find_relation(c.x, c.opt);
    EXPECT_EQ(r.status, relation_status::bad_input) << c.name;
    EXPECT_FALSE(r.message.empty()) << c.name;
    EXPECT_TRUE(r.relation.empty()) << c.name;
  }
}

// A zero number is the relation e(i) by itself, wherever it stands; a tiny
// nonzero one is not zero, and is never reported as a relation by itself.
TEST(find_relation, only_a_zero_number_is_a_relation_by_itself) {
  for (const std::size_t at : {0u, 1u, 2u}) {
    std::vector<DDReal> x = {DDReal(3.0), DDReal(1.0, 1e-17), DDReal(2.5)};
    x[at] = DDReal(0.0);
    const auto r = dd::find_relation(x);
    ASSERT_EQ(r.status, relation_status::found) << r.message;
    std::vector<double> want(3, 0.0);
    want[at] = 1.0;
    expect_relation(r, want);
    EXPECT_EQ(r.residual.hi, 0.0);
  }
  for (const double tiny : {1e-200, 1e-300}) {
    const std::vector<DDReal> x = {DDReal(std::sqrt(2.0)), DDReal(std::sqrt(3.0)), DDReal(tiny)};
    const auto r = dd::find_relation(x);
    if (r.status == relation_status::found || r.status == relation_status::too_large) {
      EXPECT_EQ(r.relation[2].hi, 0.0) << tiny;
    }
  }
}

// The search's stops are caught on the caller's thread only: the process-wide
// handler and the caller's own guard are left as they were.
TEST(find_relation, caller_stop_handling_is_kept) {
  const dd::stop_handler mine = [](const std::string&) {};
  const dd::stop_handler before = dd::set_stop_handler(mine);
  (void)dd::find_relation(alpha_vector());
  EXPECT_EQ(dd::get_stop_handler(), mine);
  EXPECT_FALSE(dd::stop_throws());
  {
    dd::stop_guard guard;
    (void)dd::find_relation(alpha_vector());
    EXPECT_TRUE(dd::stop_throws());
  }
  EXPECT_FALSE(dd::stop_throws());
  dd::set_stop_handler(before);
}

// Numbers with no relation of small norm: the search either gives up or
// returns a relation of about the size a chance relation has.
TEST(find_relation, unrelated_numbers_give_no_relation_or_a_chance_one) {
  std::mt19937_64 gen(20261209);
  std::uniform_real_distribution<double> u(0.5, 2.0);
  for (int trial = 0; trial < 3; ++trial) {
    std::vector<DDReal> x;
    for (int i = 0; i < 8; ++i) {
      const double hi = u(gen);
      x.push_back(DDReal(hi, u(gen) * 0x1p-54));
    }
    const auto r = dd::find_relation(x);
    if (r.status == relation_status::found) {
      EXPECT_TRUE(r.maybe_chance) << "norm " << r.norm.hi;
    } else {
      EXPECT_NE(r.status, relation_status::bad_input) << r.message;
      EXPECT_NE(r.status, relation_status::search_failed) << r.message;
    }
  }
}

TEST(find_minimal_polynomial, known_algebraic_numbers) {
  DDReal alpha = alpha_vector()[1];
  DDReal sqrt2, phi;
  dd::DDSQRT(DDReal(2.0), sqrt2);
  dd::DDSQRT(DDReal(5.0), phi);
  dd::DDADD(phi, DDReal(1.0), phi);
  dd::DDMULD(phi, 0.5, phi);
  struct Case {
    DDReal x;
    int degree;
    const char* text;
  } cases[] = {
      {alpha, 9, "x^9 - 3*x^6 + 165*x^3 - 1"},
      {alpha, 10, "x^9 - 3*x^6 + 165*x^3 - 1"},  // degree above the true one
      {sqrt2, 4, "x^2 - 2"},
      {phi, 2, "x^2 - x - 1"},
      {DDReal(-0.75), 3, "4*x + 3"},
      {DDReal(0.0), 5, "x"},
  };
  for (const auto& c : cases) {
    const auto r = dd::find_minimal_polynomial(c.x, c.degree);
    ASSERT_EQ(r.status, relation_status::found) << c.text << " (degree " << c.degree << "): " << r.message;
    EXPECT_EQ(dd::polynomial_text(r.relation), c.text);
    EXPECT_GT(r.relation.back().hi, 0.0);
    EXPECT_GE(r.digits, 29.0) << c.text;
  }
  EXPECT_EQ(dd::find_minimal_polynomial(alpha, 0).status, relation_status::bad_input);
  EXPECT_EQ(dd::find_minimal_polynomial(alpha, dd::kMaxRelationSize).status, relation_status::bad_input);
  EXPECT_EQ(dd::find_minimal_polynomial(DDReal(1e200), 9).status, relation_status::bad_input);
}

TEST(polynomial_text, signs_units_and_powers) {
  const auto text = [](std::vector<double> c) {
    std::vector<DDReal> d(c.begin(), c.end());
    return dd::polynomial_text(d);
  };
  EXPECT_EQ(text({-1, 0, 0, 165, 0, 0, -3, 0, 0, 1}), "x^9 - 3*x^6 + 165*x^3 - 1");
  EXPECT_EQ(text({0, -1, 2}), "2*x^2 - x");
  EXPECT_EQ(text({5, 0, -1}), "-x^2 + 5");
  EXPECT_EQ(text({-7}), "-7");
  EXPECT_EQ(text({0, 0}), "0");
  EXPECT_EQ(text({}), "0");
}

// Integer-valued DDReal values beyond 2^53 against MPFR's exact integers.
TEST(integer_text, exact_for_integers_up_to_2_to_the_105) {
  std::mt19937_64 gen(7);
  dd::test::Mp m;
  mpz_t z;
  mpz_init(z);
  for (int trial = 0; trial < 2000; ++trial) {
    const int e = static_cast<int>(gen() % 105);
    double hi = std::ldexp(static_cast<double>(gen() >> 11), e - 52);
    hi = std::floor(hi);
    // lo: an integer below half an ulp of hi, so (hi, lo) is normalised.
    const int lo_bits = e - 53;
    double lo = lo_bits > 0 ? std::ldexp(static_cast<double>(gen() >> 12), lo_bits - 52) : 0.0;
    lo = std::floor(lo);
    if (gen() & 1) lo = -lo;
    if (gen() & 1) {
      hi = -hi;
      lo = -lo;
    }
    const DDReal a(hi, lo);
    m.set(a);
    mpfr_get_z(z, m.get(), MPFR_RNDN);
    char* s = mpz_get_str(nullptr, 10, z);
    EXPECT_EQ(dd::integer_text(a), s) << hi << " + " << lo;
    void (*freefunc)(void*, size_t);
    mp_get_memory_functions(nullptr, nullptr, &freefunc);
    freefunc(s, std::strlen(s) + 1);
  }
  mpz_clear(z);
  EXPECT_EQ(dd::integer_text(DDReal(0x1p53, 1.0)), "9007199254740993");
  EXPECT_EQ(dd::integer_text(DDReal(-0x1p53, -1.0)), "-9007199254740993");
  EXPECT_EQ(dd::integer_text(DDReal(0x1p53, -1.0)), "9007199254740991");
  EXPECT_EQ(dd::integer_text(DDReal(-0.0)), "0");
  EXPECT_EQ(dd::integer_text(DDReal(0.5)).find('e') != std::string::npos, true);
}

}  // namespace

namespace {

bool same_result(const dd::relation_result& a, const dd::relation_result& b) {
  return a.status == b.status && a.message == b.message && a.relation.size() == b.relation.size() &&
         std::memcmp(a.relation.data(), b.relation.data(), a.relation.size() * sizeof(DDReal)) == 0 &&
         std::memcmp(&a.residual, &b.residual, sizeof(DDReal)) == 0;
}

// Eight searches at once on different numbers give what they give one after
// another, bit for bit.
TEST(find_relation, concurrent_searches_match_sequential_ones) {
  constexpr int kThreads = 8;
  std::vector<DDReal> x(kThreads);
  std::vector<dd::relation_result> sequential(kThreads), concurrent(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    DDReal root;
    dd::DDNRT(DDReal(t + 2.0), 3, root);
    dd::DDADD(root, DDReal(0.5 * t), x[t]);
    sequential[t] = dd::find_minimal_polynomial(x[t], 6);
  }
  std::vector<std::thread> pool;
  for (int t = 0; t < kThreads; ++t)
    pool.emplace_back([&, t] { concurrent[t] = dd::find_minimal_polynomial(x[t], 6); });
  for (auto& th : pool) th.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(sequential[t].status, relation_status::found) << t << ": " << sequential[t].message;
    EXPECT_TRUE(same_result(concurrent[t], sequential[t])) << t << ": " << concurrent[t].message;
  }
}

}  // namespace
