#include <gtest/gtest.h>

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

/// K_nu(x) = (pi/2) (I_-nu - I_nu) / sin(nu pi) at 1200 bits (beats the e^{2x} cancellation).
void mp_bessel_k(Mp& want, const DDReal& nu, const DDReal& x) {
  Mp v(nu, 1200), mx(x, 1200), mv(1200), a(1200), b(1200), s(1200), k(1200);
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

TEST(bessel, values_at_one) {
  DDReal y;
  const DDReal one(1.0);
  Mp want, mone(one);
  mpfr_j0(want, mone, MPFR_RNDN);
  dd::DDBESSELJNR(0, one, y);
  EXPECT_LT(rel_ulps(y, want), 4.0);
  mpfr_j1(want, mone, MPFR_RNDN);
  dd::DDBESSELJNR(1, one, y);
  EXPECT_LT(rel_ulps(y, want), 4.0);
  mpfr_y0(want, mone, MPFR_RNDN);
  dd::DDBESSELYNR(0, one, y);
  EXPECT_LT(rel_ulps(y, want), 64.0);
  mpfr_y1(want, mone, MPFR_RNDN);
  dd::DDBESSELYNR(1, one, y);
  EXPECT_LT(rel_ulps(y, want), 64.0);
  dd::DDBESSELINR(0, one, y);
  EXPECT_NEAR(y.hi, 1.266065877752008335598, 1e-16);
  dd::DDBESSELINR(1, one, y);
  EXPECT_NEAR(y.hi, 0.5651591039924850272077, 1e-16);
  dd::DDBESSELKNR(0, one, y);
  EXPECT_NEAR(y.hi, 0.4210244382407083333356, 1e-16);
  dd::DDBESSELKNR(1, one, y);
  EXPECT_NEAR(y.hi, 0.6019072301972345747375, 1e-16);
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

struct Band {
  double lo, hi;
  double j, y, i, k;  // bounds in units of 2^-104 (J, Y against their envelope)
};

// Bounds a little above the measured maxima (J, Y relative to their envelope):
// J within 2^6.1 and Y within 2^7 up to x = 10, J within 2^2.5 and Y within
// 2^5 from 10 to the switch (Miller's recurrence and the Neumann series there),
// and above it J within 2^8.5 and Y within 2^17: the Hankel form takes the
// sine of the phase from the circular routine, whose absolute error grows as
// 1/|sin| near its zeros.  I and K stay within a few dozen units.
TEST(bessel, integer_orders_against_mpfr) {
  const Band bands[] = {
      {0.01, 2.0, 8, 128, 4, 0x1p20},           {2.0, 10.0, 0x1p9, 0x1p10, 4, 64},
      {10.0, 20.0, 16, 0x1p7, 4, 128},          {20.0, 30.0, 32, 0x1p7, 8, 128},
      {30.0, 40.0, 32, 0x1p7, 16, 128},         {40.0, 47.86, 32, 0x1p7, 16, 128},
      {47.87, 100.0, 0x1p10, 0x1p18, 128, 128}, {100.0, 280.0, 0x1p10, 0x1p18, 256, 128},
  };
  std::mt19937_64 g(dd::test::test_seed());
  for (const Band& b : bands) {
    double wj = 0, wy = 0, wi = 0, wk = 0;
    for (int k = 0; k < 40; ++k) {
      const DDReal x = dd::test::random_dd(g, b.lo, b.hi);
      const int n = k % 4;
      Mp mx(x, 600), want(600);
      DDReal y, y1, i0, i1;
      mpfr_jn(want, n, mx, MPFR_RNDN);
      dd::DDBESSELJNR(n, x, y);
      wj = std::max(wj, units_of(y, want, envelope(x)));
      mpfr_yn(want, n, mx, MPFR_RNDN);
      dd::DDBESSELYNR(n, x, y);
      wy = std::max(wy, units_of(y, want, envelope(x)));
      dd::test::mp_bessel_series(want, Mp(DDReal(n), 600), mx, 1);
      dd::DDBESSELINR(n, x, i0);
      wi = std::max(wi, rel_ulps(i0, want));
      // K_n through the Wronskian I_n K_{n+1} + I_{n+1} K_n = 1/x.
      dd::DDBESSELINR(n + 1, x, i1);
      dd::DDBESSELKNR(n, x, y);
      dd::DDBESSELKNR(n + 1, x, y1);
      Mp w(600), t(600);
      mpfr_mul(w, Mp(i0, 600), Mp(y1, 600), MPFR_RNDN);
      mpfr_mul(t, Mp(i1, 600), Mp(y, 600), MPFR_RNDN);
      mpfr_add(w, w, t, MPFR_RNDN);
      mpfr_mul(w, w, mx, MPFR_RNDN);
      mpfr_sub_ui(w, w, 1, MPFR_RNDN);
      wk = std::max(wk, std::fabs(mpfr_get_d(w, MPFR_RNDN)) * 0x1p104);
    }
    EXPECT_LT(wj, b.j) << "J on [" << b.lo << ", " << b.hi << ")";
    EXPECT_LT(wy, b.y) << "Y on [" << b.lo << ", " << b.hi << ")";
    EXPECT_LT(wi, b.i) << "I on [" << b.lo << ", " << b.hi << ")";
    EXPECT_LT(wk, b.k) << "K (Wronskian) on [" << b.lo << ", " << b.hi << ")";
  }
}

TEST(bessel, real_orders_against_mpfr) {
  const Band bands[] = {
      {0.01, 2.0, 512, 0, 512, 0x1p10},     {2.0, 8.0, 0x1p10, 0, 0x1p14, 128},
      {8.0, 30.0, 0x1p10, 0, 0x1p16, 128},  {30.0, 47.86, 0x1p11, 0, 0x1p13, 128},
      {47.87, 100.0, 0x1p11, 0, 128, 128},  {100.0, 250.0, 0x1p13, 0, 128, 128},
  };
  std::mt19937_64 g(dd::test::test_seed());
  for (const Band& b : bands) {
    double wj = 0, wi = 0, wk = 0;
    for (int k = 0; k < 30; ++k) {
      const DDReal x = dd::test::random_dd(g, b.lo, b.hi);
      const DDReal v = dd::test::random_dd(g, -3.0, 3.0);
      Mp mx(x, 600), mv(v, 600), want(600);
      DDReal y;
      dd::test::mp_bessel_series(want, mv, mx, -1);
      dd::DDBESSELJR(v, x, y);
      wj = std::max(wj, units_of(y, want, envelope(x)));
      dd::test::mp_bessel_series(want, mv, mx, 1);
      dd::DDBESSELIR(v, x, y);
      wi = std::max(wi, rel_ulps(y, want));
      mp_bessel_k(want, v, x);
      dd::DDBESSELKR(v, x, y);
      wk = std::max(wk, rel_ulps(y, want));
    }
    EXPECT_LT(wj, b.j) << "J_v on [" << b.lo << ", " << b.hi << ")";
    EXPECT_LT(wi, b.i) << "I_v on [" << b.lo << ", " << b.hi << ")";
    EXPECT_LT(wk, b.k) << "K_v on [" << b.lo << ", " << b.hi << ")";
  }
}

/// Y_nu = (J_nu cos nu pi - J_-nu) / sin nu pi at 1400 bits.
void mp_bessel_y(Mp& want, const DDReal& nu, const DDReal& x) {
  constexpr mpfr_prec_t kPrec = 1400;
  Mp v(nu, kPrec), mx(x, kPrec), mv(kPrec), a(kPrec), b(kPrec), s(kPrec), c(kPrec), r(kPrec);
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

// Y of real order, generic and within 1/8 of an integer (down to 2^-63 from
// it), where the quotient by sin(nu pi) is replaced: Temme's series below 2,
// Steed's fraction with Miller's J up to the switch, Hankel's Y form above.
TEST(bessel, y_real_orders_against_mpfr) {
  std::mt19937_64 g(dd::test::test_seed());
  const double edges[] = {0.01, 2.0, 10.0, 47.86, 100.0};
  for (int b = 0; b + 1 < 5; ++b) {
    double worst = 0.0;
    for (int i = 0; i < 24; ++i) {
      DDReal x = dd::test::random_dd(g, edges[b], edges[b + 1]);
      if (b == 3) dd::DDADD(x, DDReal(0.01), x);  // keep clear of 47.86 .. 47.87
      const double m = static_cast<double>(static_cast<int>(g() % 7) - 3);
      const double sign = (g() & 1) != 0 ? 1.0 : -1.0;
      const double d = i % 2 == 1 ? sign * std::ldexp(1.0, -4 - static_cast<int>(g() % 60)) : 0.13 + 0.74 * (g() % 1000) / 1000.0;
      DDReal nu, y;
      dd::DDADD(DDReal(m), DDReal(d), nu);
      Mp want;
      mp_bessel_y(want, nu, x);
      dd::DDBESSELYR(nu, x, y);
      worst = std::max(worst, units_of(y, want, envelope(x)));
    }
    EXPECT_LT(worst, 512.0) << "[" << edges[b] << ", " << edges[b + 1] << ")";
  }
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
  EXPECT_DD_STOP(dd::DDBESSELINR(0, DDReal(-690.5), y), "*** DDBESSELINR: |Second argument| >  690.0; I overflows");
  EXPECT_DD_STOP(dd::DDBESSELIR(DDReal(0.5), DDReal(800.0), y),
                 "*** DDBESSELIR: |Second argument| >  690.0; I overflows");
}

}  // namespace
