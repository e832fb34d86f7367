// Shared helpers of the special-function tests: random operands with a fixed
// seed (DD_TEST_SEED overrides it) and MPFR-built references for functions
// MPFR lacks.
#pragma once

#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>

#include "dd.hpp"
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

}  // namespace dd::test
