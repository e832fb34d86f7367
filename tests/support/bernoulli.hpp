// The even-Bernoulli table that the special-function tests share, and its
// reference values.
#pragma once

#include <mpfr.h>

#include <vector>

#include "ddspecial/bernoulli.hpp"
#include "support/mpfr_ref.hpp"

namespace dd::test {

/// B(2), B(4), ..., B(120) from DDBERNER, made once.
inline const std::vector<DDReal>& bernoulli_table() {
  static const std::vector<DDReal> t = [] {
    std::vector<DDReal> v(60);
    DDBERNER(60, v.data());
    return v;
  }();
  return t;
}

/// The even Bernoulli number B(2k), k >= 1, at the precision of out:
/// (-1)^(k+1) 2 (2k)! zeta(2k) / (2 pi)^(2k).
inline void mp_bernoulli(int k, Mp& out) {
  const mpfr_prec_t prec = mpfr_get_prec(out.get());
  Mp z(prec), f(prec), tp(prec);
  mpfr_zeta_ui(z, 2 * k, MPFR_RNDN);
  mpfr_fac_ui(f, 2 * k, MPFR_RNDN);
  mpfr_const_pi(tp, MPFR_RNDN);
  mpfr_mul_ui(tp, tp, 2, MPFR_RNDN);
  mpfr_pow_ui(tp, tp, 2 * k, MPFR_RNDN);
  mpfr_mul(out, z, f, MPFR_RNDN);
  mpfr_mul_ui(out, out, 2, MPFR_RNDN);
  mpfr_div(out, out, tp, MPFR_RNDN);
  if (k % 2 == 0) mpfr_neg(out, out, MPFR_RNDN);
}

/// Hurwitz zeta(s, a), s >= 2, a > 0, at the precision of out: 60 terms
/// summed, then Euler-Maclaurin from N = a + 60 with 40 Bernoulli terms (the
/// last is below 10^-70 relative).
inline void mp_hurwitz(long s, const DDReal& a, Mp& out) {
  const mpfr_prec_t prec = mpfr_get_prec(out.get());
  Mp am(a, prec), x(prec), t(prec), n(prec), rising(prec), fact(prec), b(prec);
  mpfr_set_zero(out, 1);
  for (int i = 0; i < 60; ++i) {
    mpfr_add_ui(x, am, i, MPFR_RNDN);
    mpfr_pow_si(t, x, -s, MPFR_RNDN);
    mpfr_add(out, out, t, MPFR_RNDN);
  }
  mpfr_add_ui(n, am, 60, MPFR_RNDN);
  mpfr_pow_si(t, n, 1 - s, MPFR_RNDN);
  mpfr_div_ui(t, t, s - 1, MPFR_RNDN);
  mpfr_add(out, out, t, MPFR_RNDN);
  mpfr_pow_si(t, n, -s, MPFR_RNDN);
  mpfr_div_ui(t, t, 2, MPFR_RNDN);
  mpfr_add(out, out, t, MPFR_RNDN);
  mpfr_set_si(rising, s, MPFR_RNDN);  // s (s+1) ... (s+2k-2)
  mpfr_set_ui(fact, 2, MPFR_RNDN);    // (2k)!
  for (int k = 1; k <= 40; ++k) {
    if (k > 1) {
      mpfr_mul_si(rising, rising, s + 2 * k - 3, MPFR_RNDN);
      mpfr_mul_si(rising, rising, s + 2 * k - 2, MPFR_RNDN);
      mpfr_mul_ui(fact, fact, (2 * k - 1) * (2 * k), MPFR_RNDN);
    }
    mp_bernoulli(k, b);
    mpfr_pow_si(t, n, -(s + 2 * k - 1), MPFR_RNDN);
    mpfr_mul(t, t, b, MPFR_RNDN);
    mpfr_mul(t, t, rising, MPFR_RNDN);
    mpfr_div(t, t, fact, MPFR_RNDN);
    mpfr_add(out, out, t, MPFR_RNDN);
  }
}

/// psi^(n)(x) = (-1)^(n+1) n! zeta(n+1, x) at the precision of out.
inline void mp_polygamma(int n, const DDReal& x, Mp& out) {
  mp_hurwitz(n + 1, x, out);
  Mp f(mpfr_get_prec(out.get()));
  mpfr_fac_ui(f, n, MPFR_RNDN);
  mpfr_mul(out, out, f, MPFR_RNDN);
  if (n % 2 == 0) mpfr_neg(out, out, MPFR_RNDN);
}

}  // namespace dd::test
