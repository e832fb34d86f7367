// The any-precision calls: known relations at 60 to 100 digits, minimal
// polynomials, unrelated numbers, thresholds beyond the working precision,
// and several searches at once.  A relation counts as right when it holds to
// 150 digits at 600 bits: a chance relation of the working precision does not.
#include <gtest/gtest.h>
#include <gmp.h>
#include <mpfr.h>

#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "pslq/relations/relations.hpp"
#include "support/mpfr_ref.hpp"

namespace {

using dd::relation_status;
using dd::test::Mp;

// Numbers computed at a given precision: v(prec) gives them at prec bits.
using Values = std::function<void(mpfr_prec_t, std::vector<Mp>&)>;

std::vector<std::string> texts(const Values& v, int count, int digits) {
  std::vector<Mp> x(count);
  for (auto& a : x) mpfr_set_prec(a, static_cast<mpfr_prec_t>(digits * 3.33) + 64);
  v(static_cast<mpfr_prec_t>(digits * 3.33) + 64, x);
  std::vector<std::string> t;
  for (auto& a : x) {
    char* s = nullptr;
    mpfr_asprintf(&s, "%.*Re", digits - 1, a.get());
    t.push_back(s);
    mpfr_free_str(s);
  }
  return t;
}

// log10 |sum c(i) x(i)| / max |c(i) x(i)| at 600 bits.
double holds_to(const Values& v, const std::vector<std::string>& c) {
  std::vector<Mp> x(c.size());
  for (auto& a : x) mpfr_set_prec(a, 600);
  v(600, x);
  Mp sum(600), t(600), big(600);
  mpz_t z;
  mpz_init(z);
  for (std::size_t i = 0; i < c.size(); ++i) {
    mpz_set_str(z, c[i].c_str(), 10);
    mpfr_mul_z(t, x[i], z, MPFR_RNDN);
    mpfr_add(sum, sum, t, MPFR_RNDN);
    mpfr_abs(t, t, MPFR_RNDN);
    mpfr_max(big, big, t, MPFR_RNDN);
  }
  mpz_clear(z);
  if (mpfr_zero_p(sum)) return -600.0;
  mpfr_abs(sum, sum, MPFR_RNDN);
  mpfr_div(sum, sum, big, MPFR_RNDN);
  mpfr_log10(sum, sum, MPFR_RNDN);
  return mpfr_get_d(sum, MPFR_RNDN);
}

// x(1..n-1) random, x(n) = sum c(i) x(i) with c(i) in -3..3.
Values combination(int n, unsigned seed) {
  return [n, seed](mpfr_prec_t p, std::vector<Mp>& x) {
    gmp_randstate_t st;
    gmp_randinit_default(st);
    gmp_randseed_ui(st, seed);
    std::mt19937 g(seed);
    Mp t(p);
    mpfr_set_ui(x[n - 1], 0, MPFR_RNDN);
    for (int i = 0; i + 1 < n; ++i) {
      mpfr_urandomb(t, st);
      mpfr_set(x[i], t, MPFR_RNDN);
      mpfr_mul_si(t, t, static_cast<long>(g() % 7) - 3, MPFR_RNDN);
      mpfr_add(x[n - 1], x[n - 1], t, MPFR_RNDN);
    }
    gmp_randclear(st);
  };
}

// sum_k 1/(16^k (8k+j)) for j = 1..8, after pi.
void pi_and_sums(mpfr_prec_t p, std::vector<Mp>& x) {
  mpfr_const_pi(x[0], MPFR_RNDN);
  Mp term(p), pow16(p);
  for (int j = 1; j <= 8; ++j) {
    mpfr_set_ui(x[j], 0, MPFR_RNDN);
    mpfr_set_ui(pow16, 1, MPFR_RNDN);
    for (long k = 0; k < p / 4 + 8; ++k) {
      mpfr_mul_ui(term, pow16, static_cast<unsigned long>(8 * k + j), MPFR_RNDN);
      mpfr_ui_div(term, 1, term, MPFR_RNDN);
      mpfr_add(x[j], x[j], term, MPFR_RNDN);
      mpfr_mul_ui(pow16, pow16, 16, MPFR_RNDN);
    }
  }
}

// pi/4, atan(1/5), atan(1/239): Machin's formula.
void machin(mpfr_prec_t, std::vector<Mp>& x) {
  mpfr_const_pi(x[0], MPFR_RNDN);
  mpfr_div_ui(x[0], x[0], 4, MPFR_RNDN);
  for (const auto& [i, d] : {std::pair{1, 5ul}, std::pair{2, 239ul}}) {
    mpfr_set_ui(x[i], 1, MPFR_RNDN);
    mpfr_div_ui(x[i], x[i], d, MPFR_RNDN);
    mpfr_atan(x[i], x[i], MPFR_RNDN);
  }
}

// 1, a, ..., a^(n-1) for the real root a > 1 of t^(n-1) - t - 1.
Values trinomial_root_powers(int n) {
  return [n](mpfr_prec_t p, std::vector<Mp>& x) {
    Mp a(p), f(p), d(p);
    mpfr_set_d(a, 1.5, MPFR_RNDN);
    for (int it = 0; it < 200; ++it) {
      mpfr_pow_ui(f, a, n - 1, MPFR_RNDN);
      mpfr_sub(f, f, a, MPFR_RNDN);
      mpfr_sub_ui(f, f, 1, MPFR_RNDN);
      mpfr_pow_ui(d, a, n - 2, MPFR_RNDN);
      mpfr_mul_ui(d, d, n - 1, MPFR_RNDN);
      mpfr_sub_ui(d, d, 1, MPFR_RNDN);
      mpfr_div(f, f, d, MPFR_RNDN);
      mpfr_sub(a, a, f, MPFR_RNDN);
    }
    mpfr_set_ui(x[0], 1, MPFR_RNDN);
    for (int i = 1; i < n; ++i) mpfr_mul(x[i], x[i - 1], a, MPFR_RNDN);
  };
}

// The last three the iterations alone run out of digits for: the numbers
// carry barely enough (at 32 digits the 30-number combination is as long as
// the chance relations, hence flagged, but it must be the true one).
TEST(relations, known_relations_at_32_to_100_digits) {
  struct Case {
    const char* name;
    Values v;
    int count, digits;
    bool sure;
  } cases[] = {
      {"powers of the root of t^11 - t - 1", trinomial_root_powers(12), 12, 100, true},
      {"powers of the root of t^19 - t - 1", trinomial_root_powers(20), 20, 60, true},
      {"combination of 11 random numbers", combination(12, 7), 12, 60, true},
      {"combination of 19 random numbers", combination(20, 8), 20, 100, true},
      {"Machin's formula", machin, 3, 60, true},
      {"pi against the sums for j = 1..8", pi_and_sums, 9, 100, true},
      {"powers of the root of t^39 - t - 1", trinomial_root_powers(40), 40, 32, true},
      {"combination of 29 random numbers", combination(30, 3), 30, 32, false},
      {"combination of 39 random numbers", combination(40, 4), 40, 60, true},
  };
  for (const auto& c : cases) {
    const auto r = dd::find_relation(texts(c.v, c.count, c.digits));
    ASSERT_EQ(r.status, relation_status::found) << c.name << ": " << r.message;
    EXPECT_TRUE(!c.sure || !r.maybe_chance) << c.name;
    EXPECT_EQ(r.working_digits, c.digits) << c.name;
    EXPECT_LT(holds_to(c.v, r.coefficients), -150.0) << c.name;
  }
}

TEST(relations, minimal_polynomials_at_any_precision) {
  // 2^(1/3) + 3^(1/4) has degree 12; sqrt 2 + sqrt 3 degree 4; the exact decimal 0.5 degree 1.
  const Values sum_of_roots = [](mpfr_prec_t p, std::vector<Mp>& x) {
    Mp t(p);
    mpfr_cbrt(x[0], Mp(dd::DDReal(2.0), p), MPFR_RNDN);
    mpfr_rootn_ui(t, Mp(dd::DDReal(3.0), p), 4, MPFR_RNDN);
    mpfr_add(x[0], x[0], t, MPFR_RNDN);
  };
  const std::string x = texts(sum_of_roots, 1, 120)[0];
  const auto r = dd::find_minimal_polynomial(x, 14);
  ASSERT_EQ(r.status, relation_status::found) << r.message;
  EXPECT_EQ(r.coefficients.size(), 13u);
  EXPECT_EQ(r.coefficients.back(), "1");
  EXPECT_GT(r.digits, 110.0);
  const Values sqrt2_sqrt3 = [](mpfr_prec_t p, std::vector<Mp>& x) {
    Mp t(p);
    mpfr_sqrt_ui(x[0], 2, MPFR_RNDN);
    mpfr_sqrt_ui(t, 3, MPFR_RNDN);
    mpfr_add(x[0], x[0], t, MPFR_RNDN);
  };
  const std::string s23 = texts(sqrt2_sqrt3, 1, 40)[0];
  struct Case {
    const char* x;
    int degree;
    const char* text;
  } cases[] = {
      {"0.5", 6, "2*x - 1"},
      {"-1", 5, "x + 1"},
      {"1e10", 4, "x - 10000000000"},
      {s23.c_str(), 6, "x^4 - 10*x^2 + 1"},
  };
  for (const auto& c : cases) {
    const auto p = dd::find_minimal_polynomial(c.x, c.degree);
    ASSERT_EQ(p.status, relation_status::found) << c.x << ": " << p.message;
    EXPECT_EQ(dd::polynomial_text(p.relation), c.text) << c.x;
  }
  // 10^300 has x - 10^300, far above the norm bound: none.
  EXPECT_NE(dd::find_minimal_polynomial(dd::DDReal(1e300), 1).status, relation_status::found);
  EXPECT_NE(dd::find_minimal_polynomial("1e300", 1).status, relation_status::found);
}

TEST(relations, unrelated_numbers_give_none_or_a_flagged_relation) {
  for (const unsigned seed : {1u, 2u}) {
    const Values random = [seed](mpfr_prec_t, std::vector<Mp>& x) {
      gmp_randstate_t st;
      gmp_randinit_default(st);
      gmp_randseed_ui(st, seed);
      for (auto& a : x) mpfr_urandomb(a, st);
      gmp_randclear(st);
    };
    const auto r = dd::find_relation(texts(random, 8, 60));
    if (r.status == relation_status::found) {
      EXPECT_TRUE(r.maybe_chance) << "norm " << r.norm.hi;
    } else {
      EXPECT_TRUE(r.status == relation_status::norm_bound || r.status == relation_status::too_large) << r.message;
    }
  }
}

TEST(relations, thresholds_and_precision_are_checked) {
  const auto pi_e = texts(
      [](mpfr_prec_t, std::vector<Mp>& x) {
        mpfr_const_pi(x[0], MPFR_RNDN);
        mpfr_set_ui(x[1], 1, MPFR_RNDN);
        mpfr_exp(x[1], x[1], MPFR_RNDN);
        mpfr_mul_ui(x[2], x[1], 2, MPFR_RNDN);
        mpfr_add(x[2], x[2], x[0], MPFR_RNDN);
      },
      3, 40);
  dd::relation_options deep, shallow, odd;
  deep.log10_threshold = -50.0;
  shallow.digits = 20;
  odd.log10_threshold = 0.5;
  EXPECT_EQ(dd::find_relation(pi_e, deep).status, relation_status::bad_input);
  EXPECT_NE(dd::find_relation(pi_e, deep).message.find("asks for 50 digits"), std::string::npos);
  EXPECT_EQ(dd::find_relation(pi_e, odd).status, relation_status::bad_input);
  const auto r = dd::find_relation(pi_e, shallow);
  ASSERT_EQ(r.status, relation_status::found) << r.message;
  EXPECT_EQ(r.working_digits, 20);
  EXPECT_EQ(dd::find_relation(std::vector<std::string>{"1.5", "2x"}).status, relation_status::bad_input);
  EXPECT_EQ(dd::find_relation(std::vector<std::string>{"0", "0.0"}).status, relation_status::bad_input);
}

// Several searches at once in one process give what each gives alone.
TEST(relations, concurrent_searches_agree_with_serial_ones) {
  std::vector<std::vector<std::string>> inputs;
  for (int k = 0; k < 4; ++k) inputs.push_back(texts(combination(8 + k, 20 + k), 8 + k, 50 + 10 * k));
  std::vector<std::vector<std::string>> serial, parallel(inputs.size());
  for (const auto& in : inputs) serial.push_back(dd::find_relation(in).coefficients);
  std::vector<std::thread> threads;
  for (std::size_t k = 0; k < inputs.size(); ++k)
    threads.emplace_back([&, k] { parallel[k] = dd::find_relation(inputs[k]).coefficients; });
  for (auto& t : threads) t.join();
  EXPECT_EQ(parallel, serial);
}

}  // namespace
