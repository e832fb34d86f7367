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

}  // namespace dd::test
