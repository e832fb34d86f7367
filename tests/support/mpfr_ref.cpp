#include "support/mpfr_ref.hpp"

#include <cmath>

namespace dd::test {

double rel_error(const DDReal& got, const Mp& want) {
  Mp g(got, mpfr_get_prec(want.get()));
  Mp d(mpfr_get_prec(want.get()));
  mpfr_sub(d.get(), g.get(), want.get(), MPFR_RNDN);
  if (!mpfr_zero_p(want.get())) mpfr_div(d.get(), d.get(), want.get(), MPFR_RNDN);
  return std::fabs(mpfr_get_d(d.get(), MPFR_RNDN));
}

DDReal to_ddreal(const Mp& x) {
  const double hi = mpfr_get_d(x.get(), MPFR_RNDN);
  Mp rest(mpfr_get_prec(x.get()));
  mpfr_sub_d(rest.get(), x.get(), hi, MPFR_RNDN);
  return DDReal(hi, mpfr_get_d(rest.get(), MPFR_RNDN));
}

double abs_ulps(const DDReal& got, const Mp& want) {
  Mp g(got, mpfr_get_prec(want.get()));
  Mp d(mpfr_get_prec(want.get()));
  mpfr_sub(d.get(), g.get(), want.get(), MPFR_RNDN);
  return std::fabs(mpfr_get_d(d.get(), MPFR_RNDN)) / kU104;
}

}  // namespace dd::test
