// Shared helpers of the special-function tests: random operands with a fixed
// seed (DD_TEST_SEED overrides it) and MPFR-built references for functions
// MPFR lacks.
#pragma once

#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "dd.hpp"
#include "support/accuracy.hpp"
#include "support/mpfr_ref.hpp"

namespace dd::test {

inline std::uint64_t test_seed() {
  const char* s = std::getenv("DD_TEST_SEED");
  return s != nullptr ? std::strtoull(s, nullptr, 10) : 20261209u;
}

/// A DDReal uniform in [lo, hi) with a random lo word (a full 106-bit operand).
inline DDReal random_dd(std::mt19937_64& g, double lo, double hi) {
  std::uniform_real_distribution<double> u(lo, hi), w(-0.5, 0.5);
  const double h = u(g);
  DDReal r;
  DDADD(DDReal(h), DDReal(w(g) * std::ldexp(std::fabs(h), -53)), r);
  return r;
}

/// want = sum_{k>=0} t_k with t_0 = first and t_k = t_{k-1} * ratio(k), summed until
/// a term is below 2^-(prec+20) of the sum (at least min_terms terms).
template <class Ratio>
void mp_series(Mp& want, const Mp& first, Ratio ratio, int min_terms = 4) {
  const mpfr_prec_t prec = mpfr_get_prec(want.get());
  Mp term(prec), r(prec);
  mpfr_set(term, first.get(), MPFR_RNDN);
  mpfr_set(want, first.get(), MPFR_RNDN);
  for (long k = 1; k < 10000000; ++k) {
    ratio(k, r.get());
    mpfr_mul(term, term, r, MPFR_RNDN);
    mpfr_add(want, want, term, MPFR_RNDN);
    if (k >= min_terms && !mpfr_zero_p(want.get()) &&
        (mpfr_zero_p(term.get()) || mpfr_get_exp(term.get()) < mpfr_get_exp(want.get()) - prec - 20))
      return;
  }
}

/// I_nu(x) (sign +1) or J_nu(x) (sign -1) for x > 0 by the power series at prec bits.
inline void mp_bessel_series(Mp& want, const Mp& nu, const Mp& x, int sign) {
  const mpfr_prec_t prec = mpfr_get_prec(want.get());
  Mp q(prec), first(prec), t(prec), g(prec);
  mpfr_sqr(q, x.get(), MPFR_RNDN);
  mpfr_div_ui(q, q, 4, MPFR_RNDN);
  if (sign < 0) mpfr_neg(q, q, MPFR_RNDN);
  // first = (x/2)^nu / Gamma(nu + 1)
  mpfr_div_ui(t, x.get(), 2, MPFR_RNDN);
  mpfr_pow(first, t, nu.get(), MPFR_RNDN);
  mpfr_add_ui(g, nu.get(), 1, MPFR_RNDN);
  mpfr_gamma(g, g, MPFR_RNDN);
  mpfr_div(first, first, g, MPFR_RNDN);
  mp_series(want, first, [&](long k, mpfr_ptr r) {
    mpfr_add_ui(r, nu.get(), static_cast<unsigned long>(k), MPFR_RNDN);
    mpfr_mul_ui(r, r, static_cast<unsigned long>(k), MPFR_RNDN);
    mpfr_div(r, q.get(), r, MPFR_RNDN);
  });
}

/// Li_-n(x) exactly (to the working precision of 4000 bits): the Eulerian
/// numbers A(n, m) by their recurrence, then sum_m A(n, m) x^m / (1 - x)^(n+1).
inline void mp_polylog_neg(int n, const DDReal& x, Mp& out) {
  constexpr mpfr_prec_t kPrec = 4000;
  std::vector<std::unique_ptr<Mp>> row;
  for (int j = 0; j < n; ++j) {
    row.push_back(std::make_unique<Mp>(kPrec));
    mpfr_set_ui(*row[j], j == 0 ? 1 : 0, MPFR_RNDN);
  }
  Mp a(kPrec), b(kPrec);
  for (int k = 2; k <= n; ++k) {
    for (int j = k; j >= 2; --j) {
      mpfr_mul_ui(a, *row[j - 2], k + 1 - j, MPFR_RNDN);
      mpfr_mul_ui(b, *row[j - 1], j, MPFR_RNDN);
      mpfr_add(*row[j - 1], a, b, MPFR_RNDN);
    }
  }
  Mp xm(x, kPrec), sum(kPrec), pw(kPrec), t(kPrec);
  mpfr_set_ui(pw, 1, MPFR_RNDN);
  for (int j = 1; j <= n; ++j) {
    mpfr_mul(pw, pw, xm, MPFR_RNDN);
    mpfr_mul(t, pw, *row[j - 1], MPFR_RNDN);
    mpfr_add(sum, sum, t, MPFR_RNDN);
  }
  mpfr_ui_sub(t, 1, xm, MPFR_RNDN);
  mpfr_pow_ui(t, t, n + 1, MPFR_RNDN);
  mpfr_div(out, sum, t, MPFR_RNDN);
}

/// An accuracy-table row: sample a routine over one part of its domain,
/// measure each point's error in units of 2^-104 and keep the largest.
struct AccuracyRow {
  std::string routine, range;
  int points = 0;
  double bound = 0.0;  ///< the test fails above it
  double worst = 0.0;
  std::string at;
  int refused = 0;  ///< points that stopped with an accepted message (values out of range)
};

/// Measures row over its points: sample(i) draws point i, measure() evaluates
/// it and returns its error in units (negative: an accepted refusal), naming
/// the point in where.
inline void measure_row(AccuracyRow& row, const std::function<double(int, std::string&)>& point) {
  for (int i = 0; i < row.points; ++i) {
    std::string where;
    const double e = point(i, where);
    if (e < 0.0) {
      ++row.refused;
    } else if (!(e <= row.worst)) {
      row.worst = e;
      row.at = where;
    }
  }
}

/// Prints the rows as a markdown table and, when DD_ACCURACY_TABLE names
/// ACCURACY.md, replaces its block between "<!-- block begin -->" and
/// "<!-- block end -->" with them.
inline void report_rows(const char* block, const std::vector<AccuracyRow>& rows) {
  std::ostringstream t;
  t << "| routine | range | points | largest error | test bound | worst at |\n|---|---|---|---|---|---|\n";
  for (const AccuracyRow& r : rows) {
    char line[400];
    std::snprintf(line, sizeof line, "| %s | %s | %d%s | 2^%.1f | 2^%.1f | %s |\n", r.routine.c_str(), r.range.c_str(),
                  r.points, r.refused > 0 ? (" (" + std::to_string(r.refused) + " refused)").c_str() : "",
                  std::log2(std::max(r.worst, 0.5)), std::log2(r.bound), r.at.c_str());
    t << line;
  }
  std::printf("%s", t.str().c_str());
  if (const char* path = std::getenv("DD_ACCURACY_TABLE")) write_table_section(path, block, t.str());
}

}  // namespace dd::test
