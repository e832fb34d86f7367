// MPFR numbers and GMP integers as the field and the big integers of the
// multi-level relation search (pslq/multilevel.hpp).
#pragma once

#include <gmp.h>
#include <mpfr.h>

#include <climits>
#include <cmath>
#include <string>
#include <utility>

#include "ddreal/kernels.hpp"

namespace dd::detail::ml {

/// An MPFR number that owns its storage.
class Mp {
 public:
  explicit Mp(mpfr_prec_t prec) { mpfr_init2(v_, prec); mpfr_set_zero(v_, 1); }
  Mp(const Mp& o) { mpfr_init2(v_, mpfr_get_prec(o.v_)); mpfr_set(v_, o.v_, MPFR_RNDN); }
  Mp(Mp&& o) noexcept { mpfr_init2(v_, MPFR_PREC_MIN); mpfr_swap(v_, o.v_); }
  Mp& operator=(const Mp& o) {
    if (this != &o) {
      mpfr_set_prec(v_, mpfr_get_prec(o.v_));
      mpfr_set(v_, o.v_, MPFR_RNDN);
    }
    return *this;
  }
  Mp& operator=(Mp&& o) noexcept { mpfr_swap(v_, o.v_); return *this; }
  ~Mp() { mpfr_clear(v_); }
  mpfr_ptr get() { return v_; }
  mpfr_srcptr get() const { return v_; }
  friend void swap(Mp& a, Mp& b) noexcept { mpfr_swap(a.v_, b.v_); }

 private:
  mpfr_t v_;
};

/// A GMP integer that owns its storage.
class Mpz {
 public:
  Mpz() { mpz_init(v_); }
  Mpz(const Mpz& o) { mpz_init_set(v_, o.v_); }
  Mpz(Mpz&& o) noexcept { mpz_init(v_); mpz_swap(v_, o.v_); }
  Mpz& operator=(const Mpz& o) { mpz_set(v_, o.v_); return *this; }
  Mpz& operator=(Mpz&& o) noexcept { mpz_swap(v_, o.v_); return *this; }
  ~Mpz() { mpz_clear(v_); }
  mpz_ptr get() { return v_; }
  mpz_srcptr get() const { return v_; }
  friend void swap(Mpz& a, Mpz& b) noexcept { mpz_swap(a.v_, b.v_); }

 private:
  mpz_t v_;
};

struct MpzBig {
  using B = Mpz;
  /// a as a binary64 integer, when |a| <= 2^52.
  static bool to_small(const B& a, double& v) {
    if (mpz_sizeinbase(a.get(), 2) > 52) return false;
    v = static_cast<double>(mpz_get_si(a.get()));
    return true;
  }
  static void set_small(B& r, double v) { mpz_set_si(r.get(), static_cast<long>(v)); }
  static bool from_d(B& r, double v) {
    if (!std::isfinite(v)) return false;
    mpz_set_d(r.get(), v);
    return true;
  }
  static void set_zero(B& r) { mpz_set_ui(r.get(), 0); }
  static void set_one(B& r) { mpz_set_ui(r.get(), 1); }
  static bool is_zero(const B& a) { return mpz_sgn(a.get()) == 0; }
  static void negate(B& a) { mpz_neg(a.get(), a.get()); }
  /// r += a * t for an integer-valued binary64 t (|t| < 2^53).
  static bool addmul_d(B& r, const B& a, double t) {
    if (t >= 0) {
      mpz_addmul_ui(r.get(), a.get(), static_cast<unsigned long>(t));
    } else {
      mpz_submul_ui(r.get(), a.get(), static_cast<unsigned long>(-t));
    }
    return true;
  }
  static bool addmul(B& r, const B& a, const B& t) {
    mpz_addmul(r.get(), a.get(), t.get());
    return true;
  }
  static double log2_abs(const B& a) {
    if (mpz_sgn(a.get()) == 0) return -HUGE_VAL;
    long e = 0;
    const double d = mpz_get_d_2exp(&e, a.get());
    return std::log2(std::fabs(d)) + static_cast<double>(e);
  }
  static double to_d(const B& a) { return mpz_get_d(a.get()); }
  /// The nearest double-double but for the last bit (mpz_get_d truncates).
  static DDReal to_dd(const B& a) {
    const double hi = mpz_get_d(a.get());
    if (!std::isfinite(hi)) return DDReal(hi, 0.0);
    Mpz rest;
    mpz_set_d(rest.get(), hi);
    mpz_sub(rest.get(), a.get(), rest.get());
    DDReal r;
    detail::quick_two_sum(hi, mpz_get_d(rest.get()), r.hi, r.lo);
    return r;
  }
  static std::string text(const B& a) {
    std::string s(mpz_sizeinbase(a.get(), 10) + 2, '\0');
    mpz_get_str(s.data(), 10, a.get());
    s.resize(std::char_traits<char>::length(s.c_str()));
    return s;
  }
};

/// MPFR at one precision as a field.  Conversions to binary64 and
/// double-double round to nearest; results below their range become zero.
struct MpField {
  using T = Mp;
  using Big = MpzBig;
  mpfr_prec_t prec;
  mutable Mp scratch;
  explicit MpField(mpfr_prec_t p) : prec(p), scratch(p) {}
  T make() const { return T(prec); }
  static void set(T& r, const T& a) { mpfr_set(r.get(), a.get(), MPFR_RNDN); }
  static void set_d(T& r, double d) { mpfr_set_d(r.get(), d, MPFR_RNDN); }
  static void add(T& r, const T& a, const T& b) { mpfr_add(r.get(), a.get(), b.get(), MPFR_RNDN); }
  static void sub(T& r, const T& a, const T& b) { mpfr_sub(r.get(), a.get(), b.get(), MPFR_RNDN); }
  static void mul(T& r, const T& a, const T& b) { mpfr_mul(r.get(), a.get(), b.get(), MPFR_RNDN); }
  static void mul_d(T& r, const T& a, double d) {
    mpfr_mul_si(r.get(), a.get(), static_cast<long>(d), MPFR_RNDN);  // d: an integer below 2^53
  }
  static void div(T& r, const T& a, const T& b) { mpfr_div(r.get(), a.get(), b.get(), MPFR_RNDN); }
  static void sqrt(T& r, const T& a) { mpfr_sqrt(r.get(), a.get(), MPFR_RNDN); }
  static void neg(T& r, const T& a) { mpfr_neg(r.get(), a.get(), MPFR_RNDN); }
  static void abs(T& r, const T& a) { mpfr_abs(r.get(), a.get(), MPFR_RNDN); }
  static bool is_zero(const T& a) { return mpfr_zero_p(a.get()) != 0; }
  int precision_bits() const { return static_cast<int>(prec) - 2; }
  static bool negative(const T& a) { return mpfr_sgn(a.get()) < 0; }
  static bool finite(const T& a) { return mpfr_number_p(a.get()) != 0; }
  static double log2_abs(const T& a) {
    if (mpfr_zero_p(a.get())) return -HUGE_VAL;
    long e = 0;
    const double d = mpfr_get_d_2exp(&e, a.get(), MPFR_RNDN);
    return std::log2(std::fabs(d)) + static_cast<double>(e);
  }
  static int exponent(const T& a) {
    if (mpfr_zero_p(a.get())) return INT_MIN;
    const long e = mpfr_get_exp(a.get()) - 1;
    return e < INT_MIN / 2 ? INT_MIN / 2 : (e > INT_MAX / 2 ? INT_MAX / 2 : static_cast<int>(e));
  }
  static double to_d_2exp(const T& a, int e) {
    long ea = 0;
    const double d = mpfr_get_d_2exp(&ea, a.get(), MPFR_RNDN);
    const long k = ea - e;
    return k < -2000 ? 0.0 : std::ldexp(d, static_cast<int>(k));
  }
  DDReal to_dd_2exp(const T& a, int e) const {
    mpfr_mul_2si(scratch.get(), a.get(), -e, MPFR_RNDN);
    const double hi = mpfr_get_d(scratch.get(), MPFR_RNDN);
    if (hi == 0.0 || !std::isfinite(hi)) return DDReal(hi, 0.0);
    mpfr_sub_d(scratch.get(), scratch.get(), hi, MPFR_RNDN);
    return DDReal(hi, mpfr_get_d(scratch.get(), MPFR_RNDN));
  }
  /// r = a * 2^e.
  static void mul_2exp(T& r, const T& a, int e) { mpfr_mul_2si(r.get(), a.get(), e, MPFR_RNDN); }
  /// r = a * 2^e.
  static void from_dd_2exp(T& r, const DDReal& a, int e) {
    mpfr_set_d(r.get(), a.hi, MPFR_RNDN);
    mpfr_add_d(r.get(), r.get(), a.lo, MPFR_RNDN);
    mpfr_mul_2si(r.get(), r.get(), e, MPFR_RNDN);
  }
  static bool round_to_integer(T& r, const T& q) {
    if (!mpfr_number_p(q.get())) return false;
    mpfr_rint(r.get(), q.get(), MPFR_RNDN);
    return true;
  }
  static void mul_big(T& r, const T& a, const Big::B& b, T&) {
    if (mpz_fits_slong_p(b.get())) {
      mpfr_mul_si(r.get(), a.get(), mpz_get_si(b.get()), MPFR_RNDN);
    } else {
      mpfr_mul_z(r.get(), a.get(), b.get(), MPFR_RNDN);
    }
  }
  static bool to_big(Big::B& b, const T& t) {
    mpfr_get_z(b.get(), t.get(), MPFR_RNDN);
    return true;
  }
};

}  // namespace dd::detail::ml
