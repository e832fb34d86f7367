// Shared inputs of the findrel tests: the powers of alpha = 3^(1/3) - 2^(1/3)
// from MPFR, as DDReal values and as decimal text.
#pragma once

#include <mpfr.h>

#include <string>
#include <vector>

#include "support/mpfr_ref.hpp"

namespace dd::test {

/// alpha^k for k = 0..count-1 at 256 bits, each through f(k, value).
template <class F>
void alpha_powers(int count, F f) {
  Mp a, b, p;
  mpfr_cbrt(a, Mp(DDReal(3.0)).get(), MPFR_RNDN);
  mpfr_cbrt(b, Mp(DDReal(2.0)).get(), MPFR_RNDN);
  mpfr_sub(a, a, b, MPFR_RNDN);
  mpfr_set_ui(p, 1, MPFR_RNDN);
  for (int k = 0; k < count; ++k) {
    f(k, static_cast<const Mp&>(p));
    mpfr_mul(p, p, a, MPFR_RNDN);
  }
}

/// x written with digits significant digits ("%.{digits-1}Re").
inline std::string decimal_text(const Mp& x, int digits) {
  char* s = nullptr;
  mpfr_asprintf(&s, "%.*Re", digits - 1, x.get());
  std::string t(s);
  mpfr_free_str(s);
  return t;
}

}  // namespace dd::test
