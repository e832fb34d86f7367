// Accuracy of the complex functions over their whole domains, against MPFR
// at 256 bits: one table of branches, each failing above its bound.  Errors
// are in units of 2^-104: per part, relative to the part, for exp, log,
// sqrt, sin and cos (each part is a product of real functions, or a sum
// without cancellation); relative to the modulus of the result for the
// powers, the division and the integer power, whose parts cancel.
//
// The table in tests/complex/ACCURACY.md is regenerated with
//   DD_ACCURACY_TABLE=tests/complex/ACCURACY.md build/tests/dd_test_complex --gtest_filter='complex_accuracy*'
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "ddtyped/complex.hpp"
#include "support/accuracy_table.hpp"

namespace {

using dd::DDComplex;
using dd::DDReal;
using dd::test::AccuracyBranch;
using dd::test::err_units;
using dd::test::hex_words;
using dd::test::log_uniform;
using dd::test::Mp;
using dd::test::Sample;
using CGen = std::function<DDComplex(std::mt19937_64&)>;

/// A complex reference: both parts at 256 bits.
struct Ref {
  Mp re, im;
};

std::string where(const DDComplex& z) { return hex_words(z.re) + ", " + hex_words(z.im); }

/// The larger of the two parts' relative errors.
double part_error(const DDComplex& got, const Ref& want) {
  return std::max(err_units(got.re, want.re), err_units(got.im, want.im));
}

/// |got - want| / |want| in units of 2^-104 (both parts against the modulus).
double modulus_error(const DDComplex& got, const Ref& want) {
  Mp m, dr, di, gr(got.re), gi(got.im);
  mpfr_hypot(m, const_cast<mpfr_ptr>(want.re.get()), const_cast<mpfr_ptr>(want.im.get()), MPFR_RNDN);
  mpfr_sub(dr, gr, want.re.get(), MPFR_RNDN);
  mpfr_sub(di, gi, want.im.get(), MPFR_RNDN);
  mpfr_hypot(dr, dr, di, MPFR_RNDN);
  mpfr_div(dr, dr, m, MPFR_RNDN);
  const double e = mpfr_get_d(dr, MPFR_RNDN) / 0x1p-104;
  return std::isnan(got.re.hi) || std::isnan(got.im.hi) ? INFINITY : e;
}

// ---- references from MPFR's real functions ---------------------------------

/// e^(u + iv) scaled: e^u (cos v, sin v).
void ref_polar(const Mp& u, const Mp& v, Ref& r) {
  Mp e, c, s;
  mpfr_exp(e, u.get(), MPFR_RNDN);
  mpfr_sin_cos(s, c, v.get(), MPFR_RNDN);
  mpfr_mul(r.re, e, c, MPFR_RNDN);
  mpfr_mul(r.im, e, s, MPFR_RNDN);
}
/// ln g = (ln |g|, arg g).
void ref_log(const DDComplex& g, Ref& r) {
  Mp x(g.re), y(g.im);
  mpfr_hypot(r.re, x, y, MPFR_RNDN);
  mpfr_log(r.re, r.re, MPFR_RNDN);
  mpfr_atan2(r.im, y, x, MPFR_RNDN);
}
void ref_exp(const DDComplex& g, Ref& r) { ref_polar(Mp(g.re), Mp(g.im), r); }
void ref_sin_cos(const DDComplex& g, Ref& r, bool sine) {
  Mp x(g.re), y(g.im), sx, cx, sy, cy;
  mpfr_sin_cos(sx, cx, x, MPFR_RNDN);
  mpfr_sinh_cosh(sy, cy, y, MPFR_RNDN);
  mpfr_mul(r.re, sine ? sx : cx, cy, MPFR_RNDN);
  mpfr_mul(r.im, sine ? cx : sx, sy, MPFR_RNDN);
  if (!sine) mpfr_neg(r.im, r.im, MPFR_RNDN);
}
void ref_sqrt(const DDComplex& g, Ref& r) {
  // (sqrt((|g| + |x|)/2), y / (2 that)), arranged by the sign of x.
  Mp x(g.re), y(g.im), m, t, u;
  mpfr_hypot(m, x, y, MPFR_RNDN);
  mpfr_abs(t, x, MPFR_RNDN);
  mpfr_add(t, m, t, MPFR_RNDN);
  mpfr_div_2ui(t, t, 1, MPFR_RNDN);
  mpfr_sqrt(t, t, MPFR_RNDN);
  mpfr_mul_2ui(u, t, 1, MPFR_RNDN);
  mpfr_div(u, y, u, MPFR_RNDN);
  if (g.re.hi >= 0.0) {
    mpfr_set(r.re, t, MPFR_RNDN);
    mpfr_set(r.im, u, MPFR_RNDN);
  } else {
    mpfr_abs(r.re, u, MPFR_RNDN);
    mpfr_set(r.im, t, MPFR_RNDN);
    if (g.im.hi < 0.0) mpfr_neg(r.im, r.im, MPFR_RNDN);
  }
}
/// g^w = e^(w ln g).
void ref_pow(const Ref& lg, const Mp& u, const Mp& v, Ref& r) {
  Mp re, im, t;
  mpfr_mul(re, u.get(), lg.re.get(), MPFR_RNDN);
  mpfr_mul(t, v.get(), lg.im.get(), MPFR_RNDN);
  mpfr_sub(re, re, t, MPFR_RNDN);
  mpfr_mul(im, v.get(), lg.re.get(), MPFR_RNDN);
  mpfr_mul(t, u.get(), lg.im.get(), MPFR_RNDN);
  mpfr_add(im, im, t, MPFR_RNDN);
  ref_polar(re, im, r);
}
void ref_div(const DDComplex& a, const DDComplex& b, Ref& r) {
  Mp ar(a.re), ai(a.im), br(b.re), bi(b.im), d, t;
  mpfr_sqr(d, br, MPFR_RNDN);
  mpfr_sqr(t, bi, MPFR_RNDN);
  mpfr_add(d, d, t, MPFR_RNDN);
  mpfr_mul(r.re, ar, br, MPFR_RNDN);
  mpfr_mul(t, ai, bi, MPFR_RNDN);
  mpfr_add(r.re, r.re, t, MPFR_RNDN);
  mpfr_div(r.re, r.re, d, MPFR_RNDN);
  mpfr_mul(r.im, ai, br, MPFR_RNDN);
  mpfr_mul(t, ar, bi, MPFR_RNDN);
  mpfr_sub(r.im, r.im, t, MPFR_RNDN);
  mpfr_div(r.im, r.im, d, MPFR_RNDN);
}
/// g^n from the polar form at 256 bits.
void ref_int_pow(const DDComplex& g, int n, Ref& r) {
  Ref l;
  ref_log(g, l);
  mpfr_mul_si(l.re, l.re, n, MPFR_RNDN);
  mpfr_mul_si(l.im, l.im, n, MPFR_RNDN);
  ref_polar(l.re, l.im, r);
}

// ---- argument generators ---------------------------------------------------------

/// Parts with log-uniform magnitudes in [lo, hi), both signs.
CGen wide(double lo, double hi) {
  return [=](std::mt19937_64& g) {
    const DDReal re = log_uniform(g, lo, hi, true);
    return DDComplex(re, log_uniform(g, lo, hi, true));
  };
}
/// A real part uniform in [xlo, xhi) and an imaginary part from gy.
CGen strip(double xlo, double xhi, std::function<DDReal(std::mt19937_64&)> gy) {
  return [=](std::mt19937_64& g) {
    const DDReal re = dd::test::uniform(g, xlo, xhi);
    return DDComplex(re, gy(g));
  };
}
std::function<DDReal(std::mt19937_64&)> logu(double lo, double hi) {
  return [=](std::mt19937_64& g) { return log_uniform(g, lo, hi, true); };
}
/// Near a multiple k pi/2 (k up to kmax) in the real part, small imaginary part.
CGen near_axis_zero(double kmax, double ylo, double yhi) {
  return [=](std::mt19937_64& g) {
    std::uniform_real_distribution<double> u(-kmax, kmax);
    const double k = std::nearbyint(u(g));
    const DDReal re = dd::test::near_half_pi_multiple(k, log_uniform(g, 0x1p-100, 0x1p-3, true).hi);
    return DDComplex(re, log_uniform(g, ylo, yhi, true));
  };
}
/// (cos t, sin t) (1 + e) rounded: points on and near the unit circle.
CGen near_unit_circle(double elo, double ehi) {
  return [=](std::mt19937_64& g) {
    const double t = dd::test::uniform(g, -3.14, 3.14).hi;
    Mp c{DDReal(t)}, s{DDReal(t)}, f;
    mpfr_cos(c, c, MPFR_RNDN);
    mpfr_sin(s, s, MPFR_RNDN);
    mpfr_set_d(f, 1.0, MPFR_RNDN);
    mpfr_add_d(f, f, (g() % 4 == 0) ? 0.0 : log_uniform(g, elo, ehi, true).hi, MPFR_RNDN);
    mpfr_mul(c, c, f, MPFR_RNDN);
    mpfr_mul(s, s, f, MPFR_RNDN);
    return DDComplex(dd::test::to_ddreal(c), dd::test::to_ddreal(s));
  };
}

AccuracyBranch unary(const std::string& fn, const std::string& br, double bound, int count,
                     DDComplex (*f)(const DDComplex&), std::function<void(const DDComplex&, Ref&)> ref, CGen gen,
                     bool per_part = true) {
  return {fn, br, bound, count, [=](std::mt19937_64& g) {
            const DDComplex z = gen(g);
            Ref want;
            ref(z, want);
            const DDComplex got = f(z);
            return Sample{per_part ? part_error(got, want) : modulus_error(got, want), where(z)};
          }};
}

DDComplex f_exp(const DDComplex& z) { return dd::exp(z); }
DDComplex f_log(const DDComplex& z) { return dd::log(z); }
DDComplex f_sqrt(const DDComplex& z) { return dd::sqrt(z); }
DDComplex f_sin(const DDComplex& z) { return dd::sin(z); }
DDComplex f_cos(const DDComplex& z) { return dd::cos(z); }

/// The bound of the branches whose parts come from real results kept within
/// 2^17 units of their accurate values (and from products of two of them).
constexpr double kKept = 0x1.08p17;
constexpr double kKeptProduct = 0x1.08p18;
/// The same for a kept logarithm of x^2 + y^2 beside that sum's own rounding.
constexpr double kKeptSum = 0x1.2p17;

std::vector<AccuracyBranch> branches() {
  const auto sine = [](const DDComplex& z, Ref& r) { ref_sin_cos(z, r, true); };
  const auto cosine = [](const DDComplex& z, Ref& r) { ref_sin_cos(z, r, false); };
  return {
      unary("exp", "x in (-745, 690), y in [2^-1074, 2^60)", kKept, 400, f_exp, ref_exp, strip(-745.0, 690.0, logu(4.9e-324, 0x1p60))),
      unary("exp", "y near multiples of pi/2", kKept, 200, f_exp, ref_exp,
            [](std::mt19937_64& g) {
              const DDComplex z = near_axis_zero(4000.0, 1.0, 2.0)(g);
              return DDComplex(dd::test::uniform(g, -5.0, 5.0), z.re);
            }),
      unary("exp", "y from 2^60 to 1e300 (exact reduction)", 90, 200, f_exp, ref_exp, strip(-5.0, 5.0, logu(0x1p60, 1e300))),
      unary("log", "parts in [1e-300, 1e300), both signs", kKept, 400, f_log, ref_log, wide(1e-300, 1e300)),
      unary("log", "near the unit circle, | |g| - 1 | < 2^-15", kKept, 300, f_log, ref_log, near_unit_circle(1e-40, 0x1p-15)),
      unary("log", "| |g| - 1 | in [2^-15, 1/4)", kKeptSum, 200, f_log, ref_log, near_unit_circle(0x1p-15, 0.25)),
      unary("sqrt", "parts in [1e-300, 1e300), both signs", 2600, 400, f_sqrt, ref_sqrt, wide(1e-300, 1e300)),
      unary("sin", "|x| < 2^16, |y| in [2^-60, 300)", kKeptProduct, 300, f_sin, sine, strip(-65536.0, 65536.0, logu(0x1p-60, 300.0))),
      unary("sin", "x near multiples of pi/2, |y| < 2^-9", kKeptProduct, 300, f_sin, sine, near_axis_zero(40000.0, 1e-30, 0x1p-9)),
      unary("sin", "300 <= |y| < 680 (e^|y| / 2)", 53000, 200, f_sin, sine, strip(-10.0, 10.0, [](std::mt19937_64& g) {
              const DDReal y = dd::test::uniform(g, 300.0, 680.0);
              return (g() & 1) != 0 ? DDReal(-y.hi, -y.lo) : y;
            })),
      unary("cos", "|x| < 2^16, |y| in [2^-60, 300)", kKeptProduct, 300, f_cos, cosine, strip(-65536.0, 65536.0, logu(0x1p-60, 300.0))),
      unary("cos", "x near multiples of pi/2, |y| < 2^-9", kKeptProduct, 300, f_cos, cosine, near_axis_zero(40000.0, 1e-30, 0x1p-9)),
      {"pow(g, a)", "parts in [1/8, 8), a in (-40, 40); against |g^a|", 31000, 300,
       [](std::mt19937_64& g) {
         const DDComplex z = wide(0.125, 8.0)(g);
         const DDReal a = dd::test::uniform(g, -40.0, 40.0);
         Ref l, want;
         ref_log(z, l);
         ref_pow(l, Mp(a), Mp(DDReal(0.0)), want);
         return Sample{modulus_error(dd::pow(z, a), want), where(z) + ", " + hex_words(a)};
       }},
      {"pow(a, g)", "a in [1e-3, 1e3), parts of g in (-40, 40); against |a^g|", 3000, 300,
       [](std::mt19937_64& g) {
         const DDReal a = log_uniform(g, 1e-3, 1e3);
         const DDReal wr = dd::test::uniform(g, -40.0, 40.0);
         const DDComplex w(wr, dd::test::uniform(g, -40.0, 40.0));
         Ref l, want;
         ref_log(DDComplex(a), l);
         ref_pow(l, Mp(w.re), Mp(w.im), want);
         return Sample{modulus_error(dd::pow(a, w), want), hex_words(a) + ", " + where(w)};
       }},
      {"pow(g, w)", "parts in [1/8, 8) and (-20, 20); against |g^w|", 9000, 300,
       [](std::mt19937_64& g) {
         const DDComplex z = wide(0.125, 8.0)(g);
         const DDReal wr = dd::test::uniform(g, -20.0, 20.0);
         const DDComplex w(wr, dd::test::uniform(g, -20.0, 20.0));
         Ref l, want;
         ref_log(z, l);
         ref_pow(l, Mp(w.re), Mp(w.im), want);
         return Sample{modulus_error(dd::pow(z, w), want), where(z) + ", " + where(w)};
       }},
      {"pow(g, n)", "parts in [1/4, 4), |n| <= 40; against |g^n|", 9, 300,
       [](std::mt19937_64& g) {
         const DDComplex z = wide(0.25, 4.0)(g);
         const int n = std::uniform_int_distribution<int>(-40, 40)(g);
         Ref want;
         ref_int_pow(z, n, want);
         return Sample{modulus_error(dd::pow(z, n), want), where(z) + " n=" + std::to_string(n)};
       }},
      {"pow(g, n)", "near the unit circle, |n| up to 2^31; against |g^n|", 190000, 200,
       [](std::mt19937_64& g) {
         const DDComplex z = near_unit_circle(0x1p-40, 0x1p-34)(g);
         const int n = static_cast<int>(log_uniform(g, 1.0, 2147483647.0, true).hi);
         Ref want;
         ref_int_pow(z, n, want);
         return Sample{modulus_error(dd::pow(z, n), want), where(z) + " n=" + std::to_string(n)};
       }},
      {"a / b", "parts in [1e-300, 1e300); against |a / b|", 4, 400,
       [](std::mt19937_64& g) {
         const DDComplex a = wide(1e-150, 1e150)(g), b = wide(1e-150, 1e150)(g);
         Ref want;
         ref_div(a, b, want);
         return Sample{modulus_error(a / b, want), where(a) + ", " + where(b)};
       }},
      {"abs", "parts in [2^-1000, 2^1000)", 420, 300,
       [](std::mt19937_64& g) {
         const DDComplex z = wide(1e-300, 1e300)(g);
         Mp want, x(z.re), y(z.im);
         mpfr_hypot(want, x, y, MPFR_RNDN);
         return Sample{err_units(dd::abs(z), want), where(z)};
       }},
  };
}

const char kIntro[] =
    "Largest error against MPFR at 256 bits, in units of 2^-104, over pseudo-random\n"
    "arguments with random low words (fixed seeds): per part and relative to the\n"
    "part for exp, log, sqrt, sin and cos; relative to the modulus of the result\n"
    "for the powers, the division and the integer power.  Regenerate with\n\n"
    "    DD_ACCURACY_TABLE=tests/complex/ACCURACY.md <build>/tests/dd_test_complex --gtest_filter='complex_accuracy*'\n";

const char kNotes[] = R"(
Notes:

- The parts of exp, sin and cos are products of real functions (e^x, cos y,
  sin y, cosh y, sinh y); they inherit the real routines' errors, among them
  the plain sequences' results that are kept within 2^17 units of the
  accurate values (see tests/elem/ACCURACY.md), and a product of two such
  results may come near 2^18.
- The powers form ln |g| and arg g in double-double, so the phase
  v ln |g| + u arg g carries an absolute error of about |phase| 2^-106: a part
  that cancels near a multiple of pi/2 of the phase keeps that absolute error,
  and the error is measured against the modulus.  The same holds for the
  division and the integer power (products of parts that may cancel).
)";

TEST(complex_accuracy, every_function_over_its_whole_domain) {
  dd::test::check_accuracy_table(branches(), "Accuracy of the complex functions", kIntro, kNotes);
}

}  // namespace
