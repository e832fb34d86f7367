#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "special2_util.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::DDReal;
using dd::test::Mp;
using dd::test::rel_ulps;

/// |got - want| in units of 2^-104 of max(|want|, floor): J and Y are measured
/// against their envelope sqrt(2/(pi x)) so that their zeros do not count.
double units_of(const DDReal& got, const Mp& want, double floor) {
  Mp g(got, mpfr_get_prec(want.get())), d(mpfr_get_prec(want.get()));
  mpfr_sub(d, g, want.get(), MPFR_RNDN);
  const double scale = std::max(std::fabs(mpfr_get_d(want.get(), MPFR_RNDN)), floor);
  return std::fabs(mpfr_get_d(d, MPFR_RNDN)) / scale * 0x1p104;
}

double envelope(const DDReal& x) { return std::sqrt(2.0 / (M_PI * std::fabs(x.hi))); }

/// K_nu(x) = (pi/2) (I_-nu - I_nu) / sin(nu pi) at prec bits (1200 beats the
/// e^{2x} cancellation up to x = 250); an integral order n is taken as n + 2^-400.
void mp_bessel_k(Mp& want, const DDReal& nu, const DDReal& x, mpfr_prec_t prec = 1200) {
  Mp v(nu, prec), mx(x, prec), mv(prec), a(prec), b(prec), s(prec), k(prec);
  if (mpfr_integer_p(v)) mpfr_add(v, v, Mp(DDReal(0x1p-400), prec), MPFR_RNDN);
  mpfr_neg(mv, v, MPFR_RNDN);
  dd::test::mp_bessel_series(a, mv, mx, 1);
  dd::test::mp_bessel_series(b, v, mx, 1);
  mpfr_sub(k, a, b, MPFR_RNDN);
  mpfr_const_pi(s, MPFR_RNDN);
  mpfr_mul(s, s, v, MPFR_RNDN);
  mpfr_sin(s, s, MPFR_RNDN);
  mpfr_div(k, k, s, MPFR_RNDN);
  mpfr_const_pi(s, MPFR_RNDN);
  mpfr_mul(k, k, s, MPFR_RNDN);
  mpfr_div_ui(k, k, 2, MPFR_RNDN);
  mpfr_set(want, k, MPFR_RNDN);
}

TEST(bessel, symmetry_of_orders_and_arguments) {
  auto same = [](const DDReal& a, const DDReal& b) { return a.hi == b.hi && a.lo == b.lo; };
  auto neg = [](const DDReal& a) { DDReal r; dd::DDNEG(a, r); return r; };
  for (double x : {1.0, 3.25, 50.0}) {
    const DDReal p(x), m(-x);
    DDReal a, b;
    dd::DDBESSELJNR(2, m, a);
    dd::DDBESSELJNR(2, p, b);
    EXPECT_TRUE(same(a, b));
    dd::DDBESSELJNR(1, m, a);
    dd::DDBESSELJNR(1, p, b);
    EXPECT_TRUE(same(a, neg(b)));
    dd::DDBESSELJNR(-1, p, a);
    EXPECT_TRUE(same(a, neg(b)));
    dd::DDBESSELJNR(-1, m, a);
    EXPECT_TRUE(same(a, b));
    dd::DDBESSELINR(3, m, a);
    dd::DDBESSELINR(3, p, b);
    EXPECT_TRUE(same(a, neg(b)));
    dd::DDBESSELINR(-3, p, a);
    EXPECT_TRUE(same(a, b));
    // An integral real order is the integer routine, word for word.
    dd::DDBESSELJR(DDReal(2.0), p, a);
    dd::DDBESSELJNR(2, p, b);
    EXPECT_TRUE(same(a, b));
    dd::DDBESSELKR(DDReal(-1.0), p, a);
    dd::DDBESSELKNR(1, p, b);
    EXPECT_TRUE(same(a, b));
  }
  // Beyond 2^53 an integral order's parity lies in its lo word: f_-N = -f_N for N = 2^60 + 7.
  const DDReal big(0x1p60, 7.0), x(1e30);
  for (auto f : {dd::DDBESSELJR, dd::DDBESSELYR}) {
    DDReal a, b;
    f(neg(big), x, a);
    f(big, x, b);
    EXPECT_TRUE(same(a, neg(b)));
  }
  // And a non-integral one's nearest integer: J_-a = -(J_a - Y_a) / sqrt(2) for a = 2^60 + 7.25.
  const DDReal a(0x1p60, 7.25);
  DDReal ja, ya, jm, d;
  dd::DDBESSELJR(a, x, ja);
  dd::DDBESSELYR(a, x, ya);
  dd::DDBESSELJR(neg(a), x, jm);
  dd::DDSUB(ja, ya, d);
  dd::DDMUL(d, dd::DDReal(0x1.6a09e667f3bcdp-1, -0x1.bdd3413b26456p-55), d);  // sqrt(1/2)
  dd::DDADD(jm, d, d);
  EXPECT_LT(std::fabs(d.hi) / envelope(x) * 0x1p104, 0x1p4);
}

// Half-integer orders in closed form, on both sides of the switch and in the
// range where K comes from the continued fraction.
TEST(bessel, half_integer_orders_in_closed_form) {
  const DDReal half(0.5);
  for (double xv : {0.3, 1.0, 2.5, 10.0, 30.0, 47.86, 47.87, 120.0, 450.0, 650.0, 689.0}) {
    const DDReal x(xv);
    Mp mx(x, 300), r(300), t(300), want(300);
    mpfr_const_pi(r, MPFR_RNDN);
    mpfr_mul(r, r, mx, MPFR_RNDN);
    mpfr_ui_div(r, 2, r, MPFR_RNDN);
    mpfr_sqrt(r, r, MPFR_RNDN);  // sqrt(2/(pi x))
    DDReal y;
    mpfr_cos(t, mx, MPFR_RNDN);
    mpfr_mul(want, r, t, MPFR_RNDN);
    mpfr_neg(want, want, MPFR_RNDN);
    dd::DDBESSELYR(half, x, y);
    EXPECT_LT(units_of(y, want, envelope(x)), 0x1p14) << "Y_1/2 " << xv;
    {
      mpfr_sinh(t, mx, MPFR_RNDN);
      mpfr_mul(want, r, t, MPFR_RNDN);
      dd::DDBESSELIR(half, x, y);
      EXPECT_LT(rel_ulps(y, want), 0x1p14) << "I_1/2 " << xv;
    }
    if (xv > 660.0) continue;  // K's low word would be subnormal
    // K_1/2 = sqrt(pi/(2x)) e^-x = (pi/2) sqrt(2/(pi x)) e^-x
    mpfr_neg(t, mx, MPFR_RNDN);
    mpfr_exp(t, t, MPFR_RNDN);
    mpfr_mul(want, r, t, MPFR_RNDN);
    mpfr_const_pi(t, MPFR_RNDN);
    mpfr_mul(want, want, t, MPFR_RNDN);
    mpfr_div_ui(want, want, 2, MPFR_RNDN);
    dd::DDBESSELKR(half, x, y);
    EXPECT_LT(rel_ulps(y, want), 0x1p7) << "K_1/2 " << xv;
  }
}

/// Y_nu = (J_nu cos nu pi - J_-nu) / sin nu pi at prec bits; an integral
/// order n is taken as n + 2^-400 (give 400 bits more).
void mp_bessel_y(Mp& want, const DDReal& nu, const DDReal& x, mpfr_prec_t prec) {
  Mp v(nu, prec), mx(x, prec), mv(prec), a(prec), b(prec), s(prec), c(prec), r(prec);
  if (mpfr_integer_p(v)) mpfr_add(v, v, Mp(DDReal(0x1p-400), prec), MPFR_RNDN);
  mpfr_neg(mv, v, MPFR_RNDN);
  dd::test::mp_bessel_series(a, v, mx, -1);
  dd::test::mp_bessel_series(b, mv, mx, -1);
  mpfr_const_pi(s, MPFR_RNDN);
  mpfr_mul(s, s, v, MPFR_RNDN);
  mpfr_sin_cos(s, c, s, MPFR_RNDN);
  mpfr_mul(r, a, c, MPFR_RNDN);
  mpfr_sub(r, r, b, MPFR_RNDN);
  mpfr_div(r, r, s, MPFR_RNDN);
  mpfr_set(want, r, MPFR_RNDN);
}

// Orders a hair away from an integer: K_{n+d} - K_n = O(d K_n ln(2/x)), so with
// d = 2^-80 both must agree far beyond what (I_-nu - I_nu)/sin(nu pi) could give.
TEST(bessel, k_next_to_integer_orders) {
  for (double xv : {0.01, 0.5, 1.9, 2.0, 10.0, 47.0, 60.0}) {
    for (int n : {0, 1, 3}) {
      DDReal nu, kn, kv;
      dd::DDADD(DDReal(static_cast<double>(n)), DDReal(0x1p-80), nu);
      dd::DDBESSELKNR(n, DDReal(xv), kn);
      dd::DDBESSELKR(nu, DDReal(xv), kv);
      Mp want(kn, 300);
      EXPECT_LT(dd::test::rel_error(kv, want), 0x1p-70) << "n " << n << " x " << xv;
    }
  }
}

/// One part of a routine's domain for the accuracy table.
struct Part {
  char fn;         ///< 'J', 'Y', 'I' or 'K'
  bool integer;    ///< the integer-order routine (else the real-order one)
  double nlo, nhi;  ///< orders; magnitudes log-uniform when nhi > 8 (nlo + 1), then of either sign for real orders
  double xlo, xhi;  ///< x log-uniform
  double bound;     ///< units of 2^-104 (J and Y against their envelope where x > |order|)
  bool zeros = false;  ///< x next to a zero of J_n or Y_n
  int points = 24;
  bool top = false;  ///< x where |Y| or K nears the top of the range (xlo, xhi unused)
};

/// x within a factor 2^(3/nu) around where the leading term C Gamma(nu) (2/x)^nu
/// of Y (C = 1/pi) or K (C = 1/2) reaches 2^996, the kernels' splitting limit.
double near_top(char fn, double nu, double u) {
  const double c = fn == 'Y' ? 1.0 / M_PI : 0.5;
  return 2.0 * std::exp((std::log(c) + std::lgamma(nu) - 996.0 * M_LN2) / nu + (3.0 * u - 1.0) * M_LN2 / nu);
}

/// The routine's value at (nu, x); false (with the message) where it stopped.
bool evaluate(const Part& p, const DDReal& nu, const DDReal& x, DDReal& got, std::string& stop) {
  dd::stop_guard guard;
  try {
    const int n = static_cast<int>(nu.hi);
    switch (p.fn) {
      case 'J': p.integer ? dd::DDBESSELJNR(n, x, got) : dd::DDBESSELJR(nu, x, got); break;
      case 'Y': p.integer ? dd::DDBESSELYNR(n, x, got) : dd::DDBESSELYR(nu, x, got); break;
      case 'I': p.integer ? dd::DDBESSELINR(n, x, got) : dd::DDBESSELIR(nu, x, got); break;
      default: p.integer ? dd::DDBESSELKNR(n, x, got) : dd::DDBESSELKR(nu, x, got); break;
    }
  } catch (const dd::stop_error& e) {
    stop = e.what();
    return false;
  }
  return true;
}

/// The reference value, by MPFR's own functions for J_n and Y_n and by the
/// series and reflection formulas above, at a precision that covers their
/// cancellation (about 1.45 x bits for J and I, 2.9 x for K, 62 for orders
/// within 2^-60 of an integer).
void reference(const Part& p, const DDReal& nu, const DDReal& x, Mp& want) {
  const auto prec = static_cast<mpfr_prec_t>(900 + 3.0 * x.hi);
  Mp mx(x, prec), mv(nu, prec);
  mpfr_set_prec(want, prec);
  const bool integral = mpfr_integer_p(mv) != 0;
  if (p.fn == 'J' && integral) {
    mpfr_jn(want, static_cast<long>(nu.hi), mx, MPFR_RNDN);
  } else if (p.fn == 'Y' && integral && std::fabs(nu.hi) <= 140.0) {  // MPFR's Y_n is slow beyond
    mpfr_yn(want, static_cast<long>(nu.hi), mx, MPFR_RNDN);
  } else if (p.fn == 'J' || p.fn == 'I') {
    dd::test::mp_bessel_series(want, mv, mx, p.fn == 'J' ? -1 : 1);
  } else if (p.fn == 'Y') {
    mp_bessel_y(want, nu, x, prec + 400);
  } else {
    mp_bessel_k(want, nu, x, prec + 400);
  }
}

/// x next to a zero of J_n (or Y_n) in [lo, hi], from McMahon's first terms.
double near_zero(std::mt19937_64& g, char fn, double n, double lo, double hi) {
  const double shift = fn == 'J' ? 0.25 : 0.75;
  const double kmin = std::max(1.0, std::ceil(lo / M_PI - n / 2.0 + shift)), kmax = std::floor(hi / M_PI - n / 2.0 + shift);
  const double k = kmin + std::floor(std::uniform_real_distribution<double>(0.0, 1.0)(g) * std::max(1.0, kmax - kmin));
  const double beta = (k + n / 2.0 - shift) * M_PI;
  const double z = beta - (4.0 * n * n - 1.0) / (8.0 * beta);
  return z * (1.0 + std::uniform_real_distribution<double>(-1.0, 1.0)(g) * 0x1p-40);
}

/// Error in units of 2^-104: against the envelope for J and Y where x > |nu|;
/// values below the full-precision range count when they are off by more
/// than 2^-1000; an "overflows" stop counts as refused (-1) when the value is
/// beyond the kernels' range.
double point_error(const Part& p, const DDReal& nu, const DDReal& x) {
  DDReal got;
  std::string stop;
  Mp want;
  reference(p, nu, x, want);
  const double w = std::fabs(mpfr_get_d(want, MPFR_RNDN));
  if (!evaluate(p, nu, x, got, stop)) {
    return stop.find("overflows") != std::string::npos && !(w <= dd::detail::kSplitLimit) ? -1.0 : 1e300;
  }
  if (w < 0x1p-960) {
    Mp d(got, mpfr_get_prec(want));
    mpfr_sub(d, d, want, MPFR_RNDN);
    return std::fabs(mpfr_get_d(d, MPFR_RNDN)) <= 0x1p-1000 ? 0.0 : 1e300;
  }
  const bool wave = (p.fn == 'J' || p.fn == 'Y') && x.hi > std::fabs(nu.hi);
  return units_of(got, want, wave ? envelope(x) : 0.0);
}

/// Measures the parts of one family, checks each against its bound and
/// reports the table (block name in ACCURACY.md).
void accuracy_table(const char* block, const std::vector<Part>& parts) {
  std::mt19937_64 g(dd::test::test_seed());
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::vector<dd::test::AccuracyRow> rows;
  for (const Part& p : parts) {
    char routine[32], range[160];
    std::snprintf(routine, sizeof routine, "`DDBESSEL%c%sR`", p.fn, p.integer ? "N" : "");
    if (p.top) {
      std::snprintf(range, sizeof range, "%s %g..%g, x at the top of the range", p.integer ? "n" : "nu", p.nlo, p.nhi);
    } else {
      std::snprintf(range, sizeof range, "%s %g..%g, x %g..%g%s", p.integer ? "n" : "nu", p.nlo, p.nhi, p.xlo, p.xhi,
                    p.zeros ? " next to zeros" : "");
    }
    dd::test::AccuracyRow row;
    row.routine = routine;
    row.range = range;
    row.points = p.points;
    row.bound = p.bound;
    const bool wide = p.nlo >= 0.0 && p.nhi > 8.0 * (p.nlo + 1.0);
    dd::test::measure_row(row, [&](int i, std::string& where) {
      double v = wide ? std::exp(std::log(p.nlo + 1.0) + u(g) * std::log((p.nhi + 1.0) / (p.nlo + 1.0))) - 1.0
                      : p.nlo + u(g) * (p.nhi - p.nlo);
      if (p.integer) v = std::floor(v);
      if (!p.integer && wide && (g() & 1) != 0) v = -v;
      double d = 0.0;  // every third real order next to an integer
      if (!p.integer && i % 3 == 1) {
        v = std::round(v);
        const double sign = (g() & 1) != 0 ? 1.0 : -1.0;
        d = sign * std::ldexp(1.0, -4 - static_cast<int>(g() % 57));
      }
      double xv = p.zeros ? near_zero(g, p.fn, v, p.xlo, p.xhi) : std::exp(std::log(p.xlo) + u(g) * std::log(p.xhi / p.xlo));
      if (p.top) xv = near_top(p.fn, std::fabs(v + d), u(g));
      DDReal x = dd::test::random_dd(g, xv, xv), nu;
      dd::DDADD(DDReal(v), DDReal(d), nu);
      if (p.integer) x = DDReal(xv);
      char at[96];
      std::snprintf(at, sizeof at, "%.17g%+.3g, %.17g", v, d, x.hi);
      where = at;
      return point_error(p, nu, x);
    });
    EXPECT_LE(row.worst, p.bound) << routine << " " << range << " at " << row.at;
    rows.push_back(row);
  }
  dd::test::report_rows(block, rows);
}

// Each routine over its whole domain: tiny and large arguments, the switch
// points 2, 8 and 47.86, orders up to 3000 (where recurrences take over from
// the series and the expansions), orders next to integers, points next to
// zeros.  Bounds a little above the measured maxima.
TEST(bessel_accuracy, j_and_y_over_their_domains) {
  std::vector<Part> parts;
  for (char fn : {'J', 'Y'}) {
    parts.push_back({fn, true, 0, 3, 1e-280, 1e-5, 64});
    parts.push_back({fn, true, 0, 140, 1e-3, 8, 512});
    parts.push_back({fn, true, 0, 60, 8, 47.86, 256});
    parts.push_back({fn, true, 0, 60, 47.87, 300, 0x1p18});
    parts.push_back({fn, true, 141, 3000, 1, 1000, 1024, false, 10});
    parts.push_back({fn, true, 0, 5, 1, 300, 0x1p18, true});
    parts.push_back({fn, false, -3, 3, 1e-30, 1e-5, 0x1p12});
    parts.push_back({fn, false, -140, 140, 1e-3, 8, 0x1p13});
    parts.push_back({fn, false, -60, 60, 8, 47.86, 1024});
    parts.push_back({fn, false, -60, 60, 47.87, 300, 0x1p18});
    parts.push_back({fn, false, 140, 3000, 1, 1000, 1024, false, 10});
  }
  parts.push_back({'Y', true, 1, 20, 0, 0, 8, false, 24, true});
  parts.push_back({'Y', false, 0.99, 1, 0, 0, 64, false, 12, true});
  accuracy_table("bessel-jy", parts);
}

TEST(bessel_accuracy, i_and_k_over_their_domains) {
  std::vector<Part> parts;
  for (char fn : {'I', 'K'}) {
    parts.push_back({fn, true, 0, 1, 1e-280, 1e-5, 16});
    parts.push_back({fn, true, 0, 140, 1e-3, 47.86, 256});
    parts.push_back({fn, true, 60, 140, 30, 47.86, 256, false, 8});  // factorials past the range below the switch
    parts.push_back({fn, true, 0, 60, 47.87, 690, 0x1p18});
    parts.push_back({fn, true, 141, 3000, 1, 690, 1024, false, 10});
    parts.push_back({fn, false, -140, 140, 1e-30, 47.86, 0x1p12});
    parts.push_back({fn, false, 60, 140, 30, 47.86, 0x1p12, false, 8});
    parts.push_back({fn, false, -60, 60, 47.87, 690, 0x1p18});
    parts.push_back({fn, false, 140, 3000, 1, 690, 1024, false, 10});
  }
  parts.push_back({'K', true, 1, 20, 0, 0, 8, false, 24, true});
  parts.push_back({'K', false, 0.99, 1, 0, 0, 64, false, 12, true});
  accuracy_table("bessel-ik", parts);
}

// Orders that wrapped around as an int, hung, or overflowed into NaN words:
// values below the smallest subnormal are zero, values beyond the kernels'
// range and orders beyond every method stop with a message; none hangs.
// NaN and infinite arguments give NaN words.
TEST(bessel, huge_orders_and_values_out_of_range) {
  struct Case {
    const char* what;
    std::function<void(DDReal&)> call;
    const char* stop;  ///< nullptr: the value is zero
  };
  const DDReal two(2.0);
  const Case cases[] = {
      {"J_1e20(2)", [&](DDReal& r) { dd::DDBESSELJR(DDReal(1e20), two, r); }, nullptr},
      {"J_(2^32)(2)", [&](DDReal& r) { dd::DDBESSELJR(DDReal(0x1p32), two, r); }, nullptr},
      {"J_INT_MIN(2)", [&](DDReal& r) { dd::DDBESSELJNR(INT_MIN, two, r); }, nullptr},
      {"I_INT_MIN(2)", [&](DDReal& r) { dd::DDBESSELINR(INT_MIN, two, r); }, nullptr},
      {"I_1e12(50)", [&](DDReal& r) { dd::DDBESSELIR(DDReal(1e12), DDReal(50.0), r); }, nullptr},
      {"I_0.5(0)", [&](DDReal& r) { dd::DDBESSELIR(DDReal(0.5), DDReal(0.0), r); }, nullptr},
      {"Y_INT_MIN(2)", [&](DDReal& r) { dd::DDBESSELYNR(INT_MIN, two, r); }, "*** DDBESSELYNR: Result overflows"},
      {"K_1e15(5)", [&](DDReal& r) { dd::DDBESSELKR(DDReal(1e15), DDReal(5.0), r); }, "*** DDBESSELKR: Result overflows"},
      // Orders beyond 1e5 outside K's band around x = 0.6627 nu: it overflows below, is 0 above.
      {"K_200000(600)", [&](DDReal& r) { dd::DDBESSELKNR(200000, DDReal(600.0), r); },
       "*** DDBESSELKNR: Result overflows"},
      {"K_200000(132100)", [&](DDReal& r) { dd::DDBESSELKNR(200000, DDReal(132100.0), r); },
       "*** DDBESSELKNR: Result overflows"},
      {"K_200000(132960)", [&](DDReal& r) { dd::DDBESSELKNR(200000, DDReal(132960.0), r); }, nullptr},
      {"K_-2e5(1e6)", [&](DDReal& r) { dd::DDBESSELKR(DDReal(-2e5), DDReal(1e6), r); }, nullptr},
      {"K_1e9(6.627e8)", [&](DDReal& r) { dd::DDBESSELKR(DDReal(1e9), DDReal(6.627e8), r); },
       "*** DDBESSELKR: Result overflows"},
      {"K_2^105(5)", [&](DDReal& r) { dd::DDBESSELKR(DDReal(0x1p105), DDReal(5.0), r); },
       "*** DDBESSELKR: Result overflows"},
      {"K_-1e300(1e305)", [&](DDReal& r) { dd::DDBESSELKR(DDReal(-1e300), DDReal(1e305), r); }, nullptr},
      {"I_2^105(5)", [&](DDReal& r) { dd::DDBESSELIR(DDReal(0x1p105), DDReal(5.0), r); }, nullptr},
      {"I_-1e20(5)", [&](DDReal& r) { dd::DDBESSELIR(DDReal(-1e20), DDReal(5.0), r); }, nullptr},  // I_-n = I_n
      {"I_-100000.5(5)", [&](DDReal& r) { dd::DDBESSELIR(DDReal(-100000.5), DDReal(5.0), r); },
       "*** DDBESSELIR: Result overflows"},  // its K_100000.5 term
      {"K_200(2)", [&](DDReal& r) { dd::DDBESSELKNR(200, two, r); }, "*** DDBESSELKNR: Result overflows"},
      {"J_130000(1.2e5)", [&](DDReal& r) { dd::DDBESSELJNR(130000, DDReal(1.2e5), r); }, nullptr},  // e^-2713
      {"Y_101041(5e4)", [&](DDReal& r) { dd::DDBESSELYNR(101041, DDReal(5e4), r); },
       "*** DDBESSELYNR: Result overflows"},
      {"Y_130000.5(1.2e5)", [&](DDReal& r) { dd::DDBESSELYR(DDReal(130000.5), DDReal(1.2e5), r); },
       "*** DDBESSELYR: Result overflows"},
      {"J_-130000.3(1.2e5)", [&](DDReal& r) { dd::DDBESSELJR(DDReal(-130000.3), DDReal(1.2e5), r); },
       "*** DDBESSELJR: Result overflows"},  // its Y_130000.3 term
      {"Y_-94.6(0.00227)", [&](DDReal& r) { dd::DDBESSELYR(DDReal(-94.6), DDReal(0.00227), r); },
       "*** DDBESSELJR: Result overflows"},  // J_94.6 overflows inside the quotient
      {"Y_-99999.5(5e4)", [&](DDReal& r) { dd::DDBESSELYR(DDReal(-99999.5), DDReal(5e4), r); }, nullptr},
      {"Y_-100000.5(5e4)", [&](DDReal& r) { dd::DDBESSELYR(DDReal(-100000.5), DDReal(5e4), r); }, nullptr},
      {"J_1.9e174(1.6e174)", [&](DDReal& r) { dd::DDBESSELJR(DDReal(1.9e174), DDReal(1.6e174), r); }, nullptr},
      {"I_0(700)", [&](DDReal& r) { dd::DDBESSELINR(0, DDReal(700.0), r); },
       "*** DDBESSELINR: |Second argument| >  690.0; I overflows"},
      {"I_3000(1000)", [&](DDReal& r) { dd::DDBESSELINR(3000, DDReal(1000.0), r); }, nullptr},
  };
  // A NaN or infinite argument or order gives NaN words.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const DDReal& bad : {DDReal(nan), DDReal(HUGE_VAL)}) {
    const std::function<void(DDReal&)> calls[] = {
        [&](DDReal& r) { dd::DDBESSELJNR(1, bad, r); },        [&](DDReal& r) { dd::DDBESSELYNR(1, bad, r); },
        [&](DDReal& r) { dd::DDBESSELINR(1, bad, r); },        [&](DDReal& r) { dd::DDBESSELKNR(1, bad, r); },
        [&](DDReal& r) { dd::DDBESSELJR(bad, two, r); },       [&](DDReal& r) { dd::DDBESSELYR(DDReal(0.5), bad, r); },
        [&](DDReal& r) { dd::DDBESSELIR(bad, two, r); },       [&](DDReal& r) { dd::DDBESSELKR(DDReal(0.5), bad, r); },
        [&](DDReal& r) { dd::DDSTRUVEHN(1, bad, r); },
    };
    for (const auto& call : calls) {
      DDReal r(1.0);
      call(r);
      EXPECT_TRUE(std::isnan(r.hi) && std::isnan(r.lo));
    }
  }
  // Y_1 = -2 / (pi x) is within the range down to x = 9.5e-301.
  DDReal y;
  dd::DDBESSELYNR(1, DDReal(1e-300), y);
  Mp want(300);
  mpfr_set_str(want, "-6.36619772367581327122421713621141051358487769e299", 10, MPFR_RNDN);
  EXPECT_LE(rel_ulps(y, want), 4.0);
  // Hankel's expansion past x = 1e5 at orders up to about sqrt(x): its
  // numerators and denominators used to leave the range first (refused).
  // Below x = 2^18 the phase x - (n/2 + 1/4) pi is one double-double, whose
  // absolute error x 2^-106 is 2^14.4 units of the envelope at 1.5e5.
  dd::DDBESSELJNR(1000, DDReal(1.5e5), y);
  mpfr_set_str(want, "-1.24231139261804187681886823375505980652750073e-3", 10, MPFR_RNDN);
  EXPECT_LE(abs_ulps(y, want) / std::sqrt(2.0 / (M_PI * 1.5e5)), 0x1p16);
  for (const Case& c : cases) {
    DDReal r(1.0);
    if (c.stop != nullptr) {
      SCOPED_TRACE(c.what);
      EXPECT_DD_STOP(c.call(r), c.stop);
    } else {
      c.call(r);
      EXPECT_EQ(r.hi, 0.0) << c.what;
    }
  }
}

// Large orders: Debye's expansions beside the turning point, the recurrence
// across it, next to Hankel's expansion and Y's upward recurrence.  The
// references come from tools/bessel_debye_reference.py (three independent
// ways in mpmath); J and Y are measured against the envelope except on the
// monotone side (relative).
TEST(bessel, large_orders) {
  struct Row {
    char kind;
    double nu, x;
    const char* want;
    bool relative;
    double x_lo = 0.0, nu_lo = 0.0;  ///< the low words of x and of the order
  };
  const Row rows[] = {
      {'J', 1874, 1.2e5, "-6.718130173330479410609359451041638232371e-4", false},
      {'J', 2000, 1.2e5, "1.671052803946084384088652149256232594808e-3", false},
      {'J', 30000.5, 1.2e5, "-1.523312098060218291812325039897202760204e-3", false},
      {'Y', 119000, 1.2e5, "-3.037020400399024634169137455385804864243e-3", false},
      {'J', 119700, 1.2e5, "6.11438117293712369591765747761414079723e-3", false},
      {'Y', 119700.25, 1.2e5, "6.029092646614905497011239192134701944191e-3", false},
      {'J', 120300.5, 1.2e5, "3.00442257549906442210142343548020231144e-9", true},
      {'Y', 120300, 1.2e5, "-1.204397302422783539944340468594171782046e+4", true},
      {'J', 121000, 1.2e5, "1.388330805858120942270087129265606472837e-40", true},
      {'Y', 121000.5, 1.2e5, "-1.575127125485570737775007165294532839085e+35", true},
      {'J', -110000.3, 1.2e5, "3.643432401554767749232890412198746319968e-3", false},
      {'Y', -110000.3, 1.2e5, "-5.527830514612025135817400166253445172321e-6", false},
      {'J', -20000.3, 2e6, "8.111378956641945607847161314734966765283e-6", false},
      {'J', 100001, 99000, "2.152171666657435504005848041210926390821e-44", true},
      {'J', 100000, 100001, "9.827591110659936084541897212226980530065e-3", false},
      {'Y', 100001, 100001, "-1.669162111315349894015515971709288154415e-2", false},
      {'J', 5e7, 1e8, "7.692682746843536259533691958252468312658e-5", false},
      {'Y', 1e8, 1e8, "-1.669167670453189234720976524391514160992e-3", false},
      {'J', 100010000, 1e8, "3.800644310598818409168846886453664634791e-45", true},
      {'J', 1e10, 1e10, "2.076216654262340524848528417608335039179e-4", false},
      {'J', 1e12, 1e12, "4.473073183964723019856287455452837959998e-5", false},
      {'Y', 9e11, 1e12, "1.172481660351735494002490986129115654298e-6", false},
      {'J', 1000000000, 1e15, "6.004211064970742469171587974010893857134e-9", false},
      {'Y', 120000000000000.25, 1e15, "8.963743173964362196471329263558904105605e-9", false},
      {'J', 1000000000000.5, 1e18, "7.964425078225843367592971614646586158649e-10", false},
      {'J', 1e17, 1e18, "-7.982869752113517219349024458690108275517e-10", false},
      {'J', 1e20, 1e30, "3.974572206848016883146800401775463394135e-16", false},
      {'Y', 1.5e23, 1e30, "7.162625499529542727661208896441046021394e-16", false},
      {'J', 2147483647, 1e20, "7.93312523354170184320223202764039873678e-11", false},
      {'J', 1000000000.5, 1e18, "-6.500062359965272602754448363488393366752e-10", false},
      {'J', 1e40, 1e80, "-6.336828475047639246738933915220015375226e-42", false},
      {'Y', 3, 6.5e299, "-5.740377227466539733801124531815064251804e-153", false},
      {'J', 1e155, 6e299, "-1.030040674141023117309663795548213600118e-150", false},
      // K beyond the recurrences' orders: the band of x around 0.6627 nu where it is representable.
      {'K', 100001, 66275, "3.649246847483032050203043588564162335757e-3", true},
      {'K', 200000, 132549, "1.443735885351710487298109294728639779077e-3", true},
      {'K', 200000, 132189, "2.752630852378504772735243652795239981993e+280", true},
      {'K', 200000, 132909, "2.590021416571767292348721908003353803543e-286", true},
      {'K', 1e9, 662743419, "6.808251034062907770941401162816616564477e-5", true},
      {'K', 1e9, 662743059, "7.015249611650243061834475067925184517238e+278", true},
      {'K', 1e9, 662743779, "6.608985641040233922675720196242649493068e-288", true},
      {'K', 1e12, 662743419349, "1.58955965377784684349991645148935631324e-6", true},
      {'K', -1e12, 662743418989, "1.637687012421416248588922699932293436319e+277", true},
      {'K', 1e12, 662743419709, "1.542847012401852421321689062913858253774e-289", true},
      // Beyond x = 2^48 and the far series (orders above x/8 or 2^28 sqrt(x)),
      // next to the band with x - nu in x's low word (relative: w << x), and K's band above 2^64.
      {'J', 200000000000000, 1e15, "-2.154412039370116030111621176802726367973e-8", false},
      {'J', 500000000000000.5, 1e15, "-2.665501615148873109685339927534592769262e-8", false},
      {'J', -500000000000000.5, 1e15, "-4.961381648250601206247400476928658752397e-9", false},
      {'Y', 900000000000000, 1e15, "-1.984495372476393195168223793269518716262e-8", false},
      {'J', 5e18, 1e20, "6.534175306726875795409742418073016727411e-12", false},
      {'J', 5e19, 1e20, "-3.884232110310367369998148569659727760899e-11", false},
      {'Y', 9e19, 1e20, "-3.408952236368082285290530973509713728254e-11", false},
      {'J', 1e70, 1e100, "6.422327165219805522303369343274899043567e-51", false},
      {'J', 5e99, 1e100, "8.553058378643698775348691335230121817703e-51", false},
      {'Y', 9e99, 1e100, "-1.082321169107938582212801020119388942859e-50", false},
      {'J', 1e200, 1e299, "6.372274632031253797845408633460883881221e-151", false},
      {'J', 5e298, 1e299, "1.387641977645834725614320844783465115791e-150", false},
      {'Y', 9e298, 1e299, "-2.286012989933657068798130401305174744885e-150", false},
      {'Y', 1.8143924065175284e82, 1.8143924065175284e82, "1.700479819997835463264085075882797751187e-31", true, 1e40},
      {'K', 1e20, 6.627434193491816e19, "1.369188680664311597098084380798997041343e-128", true, 1959.4742097109254},
      {'K', 1e20, 6.627434193491816e19, "3.938230221291781768106515905787283406955e+186", true, 1559.4742097109254},
      {'K', 1e30, 6.627434193491816e29, "1.939318983415738043325349535079183799408e+142", true, 8660160318731.799},
      {'K', 1e30, 6.627434193491816e29, "1.637200988059074736082435659937710711718e-251", true, 8660160319231.799},
      // Negative orders at half-integers beyond x: Y_-a = sin(a pi) J_a, not cos(a pi) Y_a's rounding.
      {'Y', -22.5, 6.1387000509278362, "1.13165650090406162652396062843667081054e-11", true},
      {'Y', -300.5, 100, "1.45617687732635342475814583715014525921e-109", true},
      {'Y', -99999.5, 99000, "-2.664191959716463550416815979646866823536e-44", true},
      {'Y', -100001.5, 99000, "-2.004312218567214725321446338829294038396e-44", true},
      // Near the turning point at huge orders: the uniform expansion in Airy functions.
      {'J', 1e15, 1e15, "4.473073183964723025724989030063124205526e-6", true},
      {'Y', 1e15, 1e15, "-7.747590020600787742884530919297967129625e-6", true},
      {'J', 1000000000000000.5, 1.0000000005e15, "-4.251822672485662345839114279956015637838e-6", true},
      {'Y', 1000000000000000.5, 9.999999995e14, "-1.709326724574068560292979380768425828873e-1", true},
      {'J', 1e15, 9.99999998e14, "3.776705637090954955766749812090542264434e-43", true},
      {'Y', 1e15, 1.000000002e15, "3.041104152901691221473977643814690775123e-6", true},
      {'J', 1e20, 1e20, "9.63694403858496924367143185978567756125e-8", true},
      {'Y', 1e20, 1.0000000000002322e20, "-3.078261410432991170147126875486038866933e-8", true, -8184, 0.5},
      {'J', 1e20, 9.999999999997678e19, "1.269522785225931987644563979423274696496e-12", true, 8184, 0.5},
      {'J', 1e20, 1.0000000000009283e20, "-1.947858054333008890436753941418492868983e-8", true, 32},
      {'Y', 1e20, 9.999999999990717e19, "-2.871072376548645437209488712316846232291e+29", true, -32},
      {'J', 1e100, 1e100, "-1.975716429164273132722261922960550659496e-34", true, 1.077e34},
      {'Y', 1e100, 1e100, "-3.596112732703041577941387597076653997137e-34", true},
      {'J', 1e100, 1e100, "1.746269448716340749366470225399100787673e-71", true, -4.309e34},
      {'J', 1e299, 1e299, "9.63694403858496907500961974714968967627e-101", true},
      {'Y', 1e299, 1e299, "-3.687651888035691214848884807121149194782e-96", true, -2.321e100},
      {'J', 1e299, 1e299, "-1.932006353056885372004356666481100182024e-101", true, 9.283e100},
      {'Y', 1e299, 1e299, "6.55658784278212005091051098701598370105e-101", true, 9.283e100},
      // Debye's expansion beside the band where nu^2 leaves the range (NaN inside, and x's low word
      // alone outside the band).
      {'J', 1e299, 1e299, "3.527692848442189275620701066578442710041e-136", true, -9.005e100},
      {'Y', 1e200, 1e200, "-4.469054073161597544768316338353267596796e+48", true, -2.001e68},
      {'J', 1.6e238, 1.6e238, "1.19727803631288722589302471463252037206e-101", true, -3.452e80},
      // I beyond x = 690, where e^x leaves the range but I need not (mpmath's series; the
      // negative order with K by quadrature).
      {'I', 0, -690.5, "1.152780589277091529020131186750362471499e+298", true},
      {'I', 1001, -800, "-6.257092276018432085760016074471542113367e+98", true},
      {'I', 100.25, 700, "1.174981625677056495530321400216135113769e+299", true},
      {'I', 1991, 1004.9625570726746, "3.467651127462772094700750300748339769837e-275", true},
      {'I', -1500.5, 994, "0.04639794404376089694168207042717732196645", true},
  };
  auto call = [](char kind, const DDReal& nu, const DDReal& x) {
    DDReal r;
    const bool as_int = nu.lo == 0.0 && nu.hi == std::trunc(nu.hi) && std::fabs(nu.hi) <= INT_MAX;
    const int n = as_int ? static_cast<int>(nu.hi) : 0;
    if (kind == 'J') {
      as_int ? dd::DDBESSELJNR(n, x, r) : dd::DDBESSELJR(nu, x, r);
    } else if (kind == 'K') {
      as_int ? dd::DDBESSELKNR(n, x, r) : dd::DDBESSELKR(nu, x, r);
    } else if (kind == 'I') {
      as_int ? dd::DDBESSELINR(n, x, r) : dd::DDBESSELIR(nu, x, r);
    } else {
      as_int ? dd::DDBESSELYNR(n, x, r) : dd::DDBESSELYR(nu, x, r);
    }
    return r;
  };
  Mp want(256);
  for (const Row& r : rows) {
    mpfr_set_str(want.get(), r.want, 10, MPFR_RNDN);
    const DDReal got = call(r.kind, DDReal(r.nu, r.nu_lo), DDReal(r.x, r.x_lo));
    EXPECT_LT(units_of(got, want, r.relative ? 0.0 : envelope(DDReal(r.x))), 0x1p10)
        << r.kind << "_" << r.nu << "(" << r.x << " + " << r.x_lo << ")";
  }
  // Where the method changes between neighbouring orders n-1, n, n+1, they
  // satisfy f_{n-1} + f_{n+1} = (2n/x) f_n (relative to the largest of
  // them).  Hankel's own values lose up to 2^16 units next to its
  // limit, Y's upward recurrence from Y_0, Y_1 up to 2^13.
  struct Switch {
    char kind;
    double x;
    int n;
    double bound;
  };
  const Switch switches[] = {
      {'J', 1.2e5, 1873, 0x1p12},     {'Y', 1.2e5, 100000, 0x1p14},  // Hankel, Y's recurrence -> Debye
      {'J', 1e8, 99993501, 0x1p8},    {'Y', 1e8, 99993501, 0x1p8},   // oscillatory side -> band
      {'J', 1e8, 100006498, 0x1p8},   {'Y', 1e8, 100006498, 0x1p8},  // band -> monotone side
  };
  for (const Switch& c : switches) {
    const DDReal f0 = call(c.kind, c.n - 1, c.x), f1 = call(c.kind, c.n, c.x), f2 = call(c.kind, c.n + 1, c.x);
    Mp a(f0), b(f1), d(f2), x(DDReal(c.x));
    mpfr_add(a.get(), a.get(), d.get(), MPFR_RNDN);
    mpfr_mul_si(b.get(), b.get(), 2L * c.n, MPFR_RNDN);
    mpfr_div(b.get(), b.get(), x.get(), MPFR_RNDN);
    mpfr_sub(a.get(), a.get(), b.get(), MPFR_RNDN);
    const double scale = std::max({std::fabs(f0.hi), std::fabs(f1.hi), std::fabs(f2.hi)});
    EXPECT_LT(std::fabs(mpfr_get_d(a.get(), MPFR_RNDN)) / scale * 0x1p104, c.bound)
        << c.kind << " " << c.x << " " << c.n;
  }
}

TEST(bessel, refusals) {
  DDReal y;
  const DDReal zero(0.0);
  EXPECT_DD_STOP(dd::DDBESSELJNR(1, zero, y), "*** DDBESSELJNR: Second argument is zero");
  EXPECT_DD_STOP(dd::DDBESSELYNR(1, zero, y), "*** DDBESSELYNR: argument is negative or too large");
  EXPECT_DD_STOP(dd::DDBESSELINR(1, zero, y), "*** DDBESSELINR: Second argument is zero");
  EXPECT_DD_STOP(dd::DDBESSELKNR(1, zero, y), "*** DDBESSELKNR: Second argument is zero");
  EXPECT_DD_STOP(dd::DDBESSELJR(DDReal(0.5), DDReal(-1.0), y), "*** DDBESSELJR: Second argument <= 0");
  EXPECT_DD_STOP(dd::DDBESSELYR(DDReal(-0.5), zero, y),
                 "*** DDBESSELYR: First argument < 0 and second argument <= 0");
  EXPECT_DD_STOP(dd::DDBESSELYR(DDReal(0.5), zero, y), "*** DDBESSELJR: Second argument <= 0");
  EXPECT_DD_STOP(dd::DDBESSELIR(DDReal(-0.5), DDReal(-1.0), y),
                 "*** DDBESSELIR: First argument < 0 and second argument <= 0");
  EXPECT_DD_STOP(dd::DDBESSELKR(DDReal(-0.5), zero, y),
                 "*** DDBESSELKR: First argument < 0 and second argument <= 0");
  EXPECT_DD_STOP(dd::DDBESSELKR(DDReal(0.5), DDReal(-2.0), y),
                 "*** DDBESSELIR: First argument < 0 and second argument <= 0");
  EXPECT_DD_STOP(dd::DDBESSELIR(DDReal(0.5), DDReal(800.0), y),
                 "*** DDBESSELIR: |Second argument| >  690.0; I overflows");
}

}  // namespace
