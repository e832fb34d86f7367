// MPFR as a high-precision reference for DDReal results.
#pragma once

#include <mpfr.h>

#include <string>

#include "ddreal/kernels.hpp"

namespace dd::test {

/// An MPFR number of the given precision (default 256 bits), freed on scope exit.
class Mp {
 public:
  explicit Mp(mpfr_prec_t prec = 256) { mpfr_init2(v_, prec); mpfr_set_zero(v_, 1); }
  explicit Mp(const DDReal& a, mpfr_prec_t prec = 256) : Mp(prec) { set(a); }
  ~Mp() { mpfr_clear(v_); }
  Mp(const Mp&) = delete;
  Mp& operator=(const Mp&) = delete;

  /// The exact value hi + lo.
  void set(const DDReal& a) {
    mpfr_set_d(v_, a.hi, MPFR_RNDN);
    mpfr_add_d(v_, v_, a.lo, MPFR_RNDN);
  }
  mpfr_ptr get() { return v_; }
  mpfr_srcptr get() const { return v_; }
  operator mpfr_ptr() { return v_; }  // NOLINT

 private:
  mpfr_t v_;
};

/// |got - want| / |want| in binary64 (the absolute error when want is zero).
double rel_error(const DDReal& got, const Mp& want);

/// The nearest DDReal to an MPFR value (hi rounded to nearest, lo the rounded rest).
DDReal to_ddreal(const Mp& x);

/// One unit of 2^-104, the scale in which errors are stated.
inline constexpr double kU104 = 0x1p-104;

/// |got - want| / |want| in units of 2^-104.
inline double rel_ulps(const DDReal& got, const Mp& want) { return rel_error(got, want) / kU104; }

/// |got - want| in units of 2^-104.
double abs_ulps(const DDReal& got, const Mp& want);

}  // namespace dd::test
