// Accuracy of the special functions against MPFR at 256 bits, per routine and
// branch, over pseudo-random arguments (fixed seeds, so every run measures
// the same points).  Errors are relative, in units of 2^-104; each branch
// fails when its largest error passes the bound written beside it (what was
// measured plus a margin).
//
// The table in tests/special1/ACCURACY.md is regenerated with
//   DD_ACCURACY_TABLE=tests/special1/ACCURACY.md build/tests/dd_test_special1 --gtest_filter='accuracy*'
#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "dd.hpp"
#include "support/accuracy.hpp"
#include "support/bernoulli.hpp"
#include "support/mpfr_ref.hpp"
#include "support/random_dd.hpp"

namespace {

using dd::DDReal;
using dd::test::Args;
using dd::test::Branch;
using dd::test::int_and;
using dd::test::int_only;
using dd::test::log_uniform;
using dd::test::Make;
using dd::test::Mp;
using dd::test::mp_hurwitz;
using dd::test::mp_polygamma;
using dd::test::near_integers;
using dd::test::pair;
using dd::test::uniform;
using dd::test::uniform_dd;

constexpr mpfr_prec_t kPrec = dd::test::kAccuracyPrec;

/// Two arguments uniform in their intervals.
Make uniform2(double slo, double shi, double zlo, double zhi) { return pair(uniform(slo, shi), uniform(zlo, zhi)); }

void mp_gamma(const std::vector<DDReal>& x, int, Mp& r) { mpfr_gamma(r, Mp(x[0], kPrec), MPFR_RNDN); }
void mp_inc_gamma(const std::vector<DDReal>& x, int, Mp& r) {
  mpfr_gamma_inc(r, Mp(x[0], kPrec), Mp(x[1], kPrec), MPFR_RNDN);
}
void mp_inc_gamma_int(const std::vector<DDReal>& x, int n, Mp& r) {
  Mp s(kPrec);
  mpfr_set_si(s, n, MPFR_RNDN);
  mpfr_gamma_inc(r, s, Mp(x[0], kPrec), MPFR_RNDN);
}
void mp_eint(const std::vector<DDReal>& x, int, Mp& r) { mpfr_eint(r, Mp(x[0], kPrec), MPFR_RNDN); }
/// |2 zeta(t) Gamma(t) / (2 pi)^t| for t = 1 - s: the size of zeta(s), s < 0,
/// without the factor cos(pi t / 2), whose zeros at the negative even
/// integers no method evaluates to a relative precision.
void mp_zeta_scale(const std::vector<DDReal>& x, int, Mp& r) {
  Mp t(kPrec), g(kPrec), z(kPrec), tp(kPrec);
  mpfr_ui_sub(t, 1, Mp(x[0], kPrec), MPFR_RNDN);
  mpfr_gamma(g, t, MPFR_RNDN);
  mpfr_zeta(z, t, MPFR_RNDN);
  mpfr_const_pi(tp, MPFR_RNDN);
  mpfr_mul_ui(tp, tp, 2, MPFR_RNDN);
  mpfr_pow(tp, tp, t, MPFR_RNDN);
  mpfr_mul(r, g, z, MPFR_RNDN);
  mpfr_mul_ui(r, r, 2, MPFR_RNDN);
  mpfr_div(r, r, tp, MPFR_RNDN);
}

void mp_zeta(const std::vector<DDReal>& x, int, Mp& r) { mpfr_zeta(r, Mp(x[0], kPrec), MPFR_RNDN); }
void mp_zeta_int(const std::vector<DDReal>&, int n, Mp& r) {
  Mp s(kPrec);
  mpfr_set_si(s, n, MPFR_RNDN);
  mpfr_zeta(r, s, MPFR_RNDN);
}

// ---- arguments whose values lie in range: log2 of the result estimated in binary64 ----

double log2_fact(double n) { return std::lgamma(n + 1.0) / std::log(2.0); }

/// s in (slo, shi), z log-uniform from where z^s / |s| reaches 2^950 up to 1.
Make negative_order_small_z(double slo, double shi, bool integer) {
  return [=](std::mt19937_64& rng, Args& x, int&) {
    DDReal s = uniform_dd(rng, slo, shi);
    if (integer) s = DDReal(std::round(s.hi));
    const double zmin = std::exp2(-950.0 / -s.hi);
    x = {s, dd::test::log_uniform_dd(rng, zmin, 1.0)};
  };
}
/// z in (zlo, zhi) and s in (slo, shi) cut to where z^(s-1) e^-z stays above 2^-950.
Make small_upper_values(double slo, double shi, double zlo, double zhi) {
  return [=](std::mt19937_64& rng, Args& x, int&) {
    const DDReal z = uniform_dd(rng, zlo, zhi);
    const double smin = std::max(slo, 1.0 + (z.hi / std::log(2.0) - 950.0) / std::log2(z.hi));
    x = {uniform_dd(rng, smin, shi), z};
  };
}
/// a = 1 - d with d log-uniform in [2^-52, 2^-1], a full low word.
Make next_to_one() {
  return [](std::mt19937_64& rng, Args& x, int&) {
    DDReal a;
    DDSUB(DDReal(1.0), dd::test::log_uniform_dd(rng, 0x1p-52, 0.5), a);
    x = {a};
  };
}
/// An order n in [nlo, nhi] and a = 1 - d with a^-n between 1 and 2^950.
Make large_order_next_to_one(int nlo, int nhi) {
  return [=](std::mt19937_64& rng, Args& x, int& n) {
    n = std::uniform_int_distribution<int>(nlo, nhi)(rng);
    DDReal a;
    DDSUB(DDReal(1.0), dd::test::log_uniform_dd(rng, 1e-12 / n, 600.0 / n), a);
    x = {a};
  };
}
/// An order n in [nlo, nhi] and a small a with a^n in [2^-996, 2^-969]: the
/// sums whose first power has a subnormal low word.
Make order_and_tiny_a(int nlo, int nhi) {
  return [=](std::mt19937_64& rng, Args& x, int& n) {
    n = std::uniform_int_distribution<int>(nlo, nhi)(rng);
    const double e = std::uniform_real_distribution<double>(-996.0, -969.0)(rng) / n;
    x = {dd::test::with_random_lo(rng, std::exp2(e))};
  };
}
/// An order n in [nlo, nhi] and a in [alo, ahi] log-uniform, a below where
/// a^(1-n) / (n-1) passes 2^-950.
Make order_and_large_a(int nlo, int nhi, double alo, double ahi) {
  return [=](std::mt19937_64& rng, Args& x, int& n) {
    n = std::uniform_int_distribution<int>(nlo, nhi)(rng);
    const double amax = std::min(ahi, std::exp2(950.0 / (n - 1)));
    x = {dd::test::log_uniform_dd(rng, std::min(alo, amax / 2), amax)};
  };
}
/// A polygamma order n in [nlo, nhi] and X in (0, 1) with n! X^-(n+1) below 2^990.
Make polygamma_near_one(int nlo, int nhi) {
  return [=](std::mt19937_64& rng, Args& x, int& n) {
    n = std::uniform_int_distribution<int>(nlo, nhi)(rng);
    const double xmin = std::exp2(-(990.0 - log2_fact(n)) / (n + 1));
    x = {uniform_dd(rng, std::max(xmin, 1e-3), 1.0 - 1e-12)};
  };
}
/// A polygamma order n in [nlo, nhi] and X > 1 with (n-1)! X^-n between 2^-950 and 2^990.
Make polygamma_large_x(int nlo, int nhi) {
  return [=](std::mt19937_64& rng, Args& x, int& n) {
    n = std::uniform_int_distribution<int>(nlo, nhi)(rng);
    const double l = log2_fact(n - 1);
    x = {dd::test::log_uniform_dd(rng, std::max(1.0, std::exp2((l - 990.0) / n)), std::exp2((l + 950.0) / n))};
  };
}

std::vector<Branch> branches() {
  using V = const std::vector<DDReal>&;
  auto gamma = [](V x, int, DDReal& r) { dd::DDGAMMAR(x[0], r); };
  auto incg = [](V x, int, DDReal& r) { dd::DDINCGAMMAR(x[0], x[1], r); };
  auto incg_int = [](V x, int n, DDReal& r) { dd::DDINCGAMMAR(DDReal(n), x[0], r); };
  auto expint = [](V x, int, DDReal& r) { dd::DDEXPINT(x[0], r); };
  auto zetar = [](V x, int, DDReal& r) { dd::DDZETAR(x[0], r); };
  auto zetaint = [](V, int n, DDReal& r) { dd::DDZETAINTR(n, r); };
  auto zetabe = [](V x, int, DDReal& r) { dd::DDZETABE(60, dd::test::bernoulli_table().data(), x[0], r); };
  auto hurwitz = [](V x, int n, DDReal& r) { dd::DDHURWITZZETAN(n, x[0], r); };
  auto hurwitz_be = [](V x, int n, DDReal& r) { dd::DDHURWITZZETANBE(44, dd::test::bernoulli_table().data(), n, x[0], r); };
  auto mp_hz = [](V x, int n, Mp& r) { mp_hurwitz(n, x[0], r); };
  auto digamma = [](V x, int, DDReal& r) { dd::DDDIGAMMABE(44, dd::test::bernoulli_table().data(), x[0], r); };
  auto mp_digamma = [](V x, int, Mp& r) { mpfr_digamma(r, Mp(x[0], kPrec), MPFR_RNDN); };
  auto polyg = [](V x, int n, DDReal& r) { dd::DDPOLYGAMMA(n, x[0], r); };
  auto polyg_be = [](V x, int n, DDReal& r) { dd::DDPOLYGAMMABE(44, dd::test::bernoulli_table().data(), n, x[0], r); };
  auto mp_pg = [](V x, int n, Mp& r) { mp_polygamma(n, x[0], r); };
  auto gamma_int = [](std::mt19937_64& rng, std::vector<DDReal>& x, int&) {
    x = {DDReal(static_cast<double>(std::uniform_int_distribution<int>(1, 171)(rng)))};
  };

  return {
      {"DDGAMMAR", "positive integer 1..171", 4, 100, gamma_int, gamma, mp_gamma},
      {"DDGAMMAR", "t in (0, 1)", 75, 300, uniform(1e-6, 1.0), gamma, mp_gamma},
      {"DDGAMMAR", "t in (1, 30)", 100, 300, uniform(1.0, 30.0), gamma, mp_gamma},
      {"DDGAMMAR", "t in (30, 171.6)", 105, 200, uniform(30.0, 171.6), gamma, mp_gamma},
      {"DDGAMMAR", "t in (-30, 0)", 70, 300, uniform(-30.0, 0.0), gamma, mp_gamma},
      {"DDGAMMAR", "t in (-160, -30)", 80, 200, uniform(-160.0, -30.0), gamma, mp_gamma},
      {"DDGAMMAR", "t within 2^-60 .. 2^-10 of -1 .. -160, full low word", 32768, 300, near_integers(-160, -1, 10, 60),
       gamma, mp_gamma},
      {"DDINCGAMMAR", "s = 1, 0 < z < 88.298", 55, 100, int_and(1, 1, 1e-3, 88.29), incg_int, mp_inc_gamma_int},
      {"DDINCGAMMAR", "s in {0..-4}, z in (0, 20)", 80, 200, int_and(-4, 0, 1e-3, 20.0), incg_int, mp_inc_gamma_int},
      {"DDINCGAMMAR", "s in {0..-4}, z in (20, 88.298)", 65, 100, int_and(-4, 0, 20.0, 88.29), incg_int,
       mp_inc_gamma_int},
      {"DDINCGAMMAR", "s in (-5, 10), z in (0, 20)", 505, 300, uniform2(-5.0, 10.0, 1e-3, 20.0), incg, mp_inc_gamma},
      {"DDINCGAMMAR", "s in (-5, 10), z in (20, 88.298)", 85, 200, uniform2(-5.0, 10.0, 20.0, 88.29), incg,
       mp_inc_gamma},
      {"DDINCGAMMAR", "s in (-5, 10), z in (88.298, 600)", 320, 200, uniform2(-5.0, 10.0, 88.3, 600.0), incg,
       mp_inc_gamma},
      {"DDINCGAMMAR", "s in (-170, -17), z from where z^s/\\|s\\| is 2^950 up to 1", 6144, 200,
       negative_order_small_z(-170.0, -17.0, false), incg, mp_inc_gamma},
      {"DDINCGAMMAR", "s in {-17..-160}, z from where z^s/\\|s\\| is 2^950 up to 1", 128, 100,
       negative_order_small_z(-160.0, -17.0, true), incg, mp_inc_gamma},
      {"DDINCGAMMAR", "s in (50, 169), z in (10, 745)", 10240, 200, uniform2(50.0, 169.0, 10.0, 745.0), incg,
       mp_inc_gamma},
      {"DDINCGAMMAR", "z in (600, 745), s from where the value is 2^-950 up to 60", 20480, 200,
       small_upper_values(-20.0, 60.0, 600.0, 745.0), incg, mp_inc_gamma},
      {"DDEXPINT", "x in (-88.298, 0)", 75, 200, uniform(-88.29, -1e-3), expint, mp_eint},
      {"DDEXPINT", "x in (0, 88.298), absolute error where Ei is below 1", 85, 200, uniform(1e-3, 88.29), expint, mp_eint, true},
      {"DDEXPINT", "x in (88.298, 690)", 425, 200, uniform(88.3, 689.0), expint, mp_eint},
      {"DDEXPINT", "x in (-650, -88.298)", 320, 100, uniform(-650.0, -88.3), expint, mp_eint},
      {"DDEXPINT", "x in (690, 709.7)", 256, 100, uniform(690.0, 709.7), expint, mp_eint},
      {"DDZETAR", "s in (0, 0.75)", 510, 100, uniform(0.01, 0.75), zetar, mp_zeta},
      {"DDZETAR", "s in (0.75, 1.25) near the pole", 65, 100, uniform(0.75, 1.25), zetar, mp_zeta},
      {"DDZETAR", "s in (1, 17.2555) Borwein", 105, 200, uniform(1.01, 17.25), zetar, mp_zeta},
      {"DDZETAR", "s in (17.2556, 60) direct", 4, 100, uniform(17.26, 60.0), zetar, mp_zeta},
      {"DDZETAR", "s in (-40, 0) functional eq., error against the size without cos(pi t/2)", 585, 200,
       uniform(-40.0, -0.01), zetar, mp_zeta, false, mp_zeta_scale},
      {"DDZETAR", "s in (-260, -163) functional eq. with scaled factors, against the size without cos", 200, 100,
       uniform(-260.0, -163.0), zetar, mp_zeta, false, mp_zeta_scale},
      {"DDZETAR", "s in (60, 1100) direct, powers past the exponential's range", 4, 100, uniform(60.0, 1100.0), zetar,
       mp_zeta},
      {"DDZETAINTR", "IS in 2..17 Borwein", 4, 16, int_only(2, 17, 1), zetaint, mp_zeta_int},
      {"DDZETAINTR", "IS in 18..200 direct", 4, 60, int_only(18, 200, 1), zetaint, mp_zeta_int},
      {"DDZETAINTR", "IS in -1..-199 odd", 20, 100, int_only(-199, -1, 2), zetaint, mp_zeta_int},
      {"DDZETAINTR", "IS in -201..-255 odd", 64, 30, int_only(-255, -201, 2), zetaint, mp_zeta_int},
      {"DDZETAINTR", "IS in 201..2e9", 4, 40, int_only(201, 2000000000, 1), zetaint, mp_zeta_int},
      {"DDZETABE", "s in (1, 14.3)", 55, 200, uniform(1.01, 14.3), zetabe, mp_zeta},
      {"DDZETABE", "s in (14.3, 17.666)", 4, 100, uniform(14.3, 17.666), zetabe, mp_zeta},
      {"DDZETABE", "s in (17.667, 60) direct", 4, 100, uniform(17.67, 60.0), zetabe, mp_zeta},
      {"DDZETABE", "s in (-40, 0) functional eq., error against the size without cos(pi t/2)", 635, 200,
       uniform(-40.0, -0.01), zetabe, mp_zeta, false, mp_zeta_scale},
      {"DDZETABE", "s in (-260, -163) functional eq. with scaled factors, against the size without cos", 200, 60,
       uniform(-260.0, -163.0), zetabe, mp_zeta, false, mp_zeta_scale},
      {"DDHURWITZZETAN", "IS in 2..10, a in (0, 1)", 110, 60, int_and(2, 10, 1e-3, 0.999), hurwitz, mp_hz},
      {"DDHURWITZZETAN", "IS in 11..120, a = 1 - d, d in (2^-52, 1/2)", 256, 100, int_and(11, 120, next_to_one()),
       hurwitz, mp_hz},
      {"DDHURWITZZETAN", "IS in 121..10^6, a^-IS up to e^600", 64, 60, large_order_next_to_one(121, 1000000),
       hurwitz, mp_hz},
      {"DDHURWITZZETAN", "IS in 8..120, a^IS in (2^-996, 2^-969)", 10240, 60, order_and_tiny_a(8, 120), hurwitz,
       mp_hz},
      {"DDHURWITZZETANBE", "ISS in 2..12, a in (0, 30)", 4, 150, int_and(2, 12, 1e-3, 30.0), hurwitz_be, mp_hz},
      {"DDHURWITZZETANBE", "ISS in 13..16, a in (0, 30)", 4, 100, int_and(13, 16, 1e-3, 30.0), hurwitz_be,
       mp_hz},
      {"DDHURWITZZETANBE", "ISS in 17..30 direct", 35, 100, int_and(17, 30, 1e-3, 30.0), hurwitz_be, mp_hz},
      {"DDHURWITZZETANBE", "ISS in 17..100, a in (1e3, 1e7) direct or scaled", 12288, 100,
       order_and_large_a(17, 100, 1e3, 1e7), hurwitz_be, mp_hz},
      {"DDHURWITZZETANBE", "ISS in 2..16, a in (1e18, 1e100)", 4, 60, order_and_large_a(2, 16, 1e18, 1e100),
       hurwitz_be, mp_hz},
      {"DDHURWITZZETANBE", "ISS in 8..120, a^ISS in (2^-996, 2^-969)", 6144, 60, order_and_tiny_a(8, 120),
       hurwitz_be, mp_hz},
      {"DDDIGAMMABE", "x in (0.81, 50), absolute error where psi is below 1", 50, 300, uniform(0.81, 50.0), digamma,
       mp_digamma, true},
      {"DDDIGAMMABE", "x in (0, 0.81)", 40, 200, uniform(1e-3, 0.81), digamma, mp_digamma},
      {"DDPOLYGAMMA", "NN in 1..8, X in (0, 1)", 60, 60, int_and(1, 8, 1e-3, 0.999), polyg, mp_pg},
      {"DDPOLYGAMMA", "NN in 20..166, X in (0, 1), value below 2^990", 32, 100, polygamma_near_one(20, 166), polyg,
       mp_pg},
      {"DDPOLYGAMMABE", "NN in 1..11, X in (0, 20)", 4, 150, int_and(1, 11, 1e-3, 20.0), polyg_be, mp_pg},
      {"DDPOLYGAMMABE", "NN in 12..15, X in (0, 20)", 4, 100, int_and(12, 15, 1e-3, 20.0), polyg_be, mp_pg},
      {"DDPOLYGAMMABE", "NN in 40..1000, X > 1, value in (2^-950, 2^990)", 10240, 80, polygamma_large_x(40, 1000),
       polyg_be, mp_pg},
  };
}

const char kTableNotes[] = R"(
Notes on the branches:

- Literal evaluation everywhere except as listed here.  Most of the error of
  the literal branches comes from the elementary routines they call: the
  exponential (up to about 25 units at arguments near 60), the logarithm (up
  to 20 units, times |s| where it forms a power z^s = exp(s log z)) and the
  sine, which the circular routine takes from the cosine as sqrt(1 - cos^2).
- Values that leave the range of full precision (factorials, powers and
  exponentials past 2^996 or below 2^-985) are formed as a double-double times
  a separate power of two (ddspecial/scaled_impl.hpp) wherever the literal
  sequence would stop, give NaN words or lose digits there; the result is a
  signed infinity or zero only where it lies beyond the binary64 range.
- DDGAMMAR: for a fraction tn of t below 1/4 or above 3/4 the sine of pi tn
  is summed from its Taylor series (the literal sine lost up to 2^17 units at
  t = 1.0012 and grows without bound towards the integers).  Next to the
  poles the reduced argument is taken as t + n where the literal 1 - phi
  differs from it by more than 2^17 units (2^32 at t = -8 + 1.7e-10); below
  that the literal stands, hence up to 2^14.4 units next to the poles.
- DDINCGAMMAR, DDEXPINT: for 0 < z < 88.298, where the parts of the series
  result exceed it fourfold (about z > 1 for integer s <= 0, z past s for
  others), the continued fraction replaces it; z^s e^-z is then formed as
  z^n exp(f log z - z).  Past z = 300 (x = 300 for Ei), where the exponential
  leaves its range, e^-z comes from (e^(-z/4))^4 while that stays above
  2^-985, scaled beyond; for s = 0 and z <= -88.298 (Ei of x >= 88.298) the
  power of the negative z is 1/z.  Where Gamma(s), z^s or their quotient
  leaves the range of full precision (s log z beyond about -660 or 680, s
  above 171 or below -170) the series uses scaled values.  The branches near z = 685 reach 2^13.7 units: e^-z from
  (e^(-z/4))^4 has lost that much to its subnormal low word just above
  2^-985; the literal series at s = -64, z = 0.55 is off by 2^11.
- DDZETAR: within 1/4 of the pole, 1 - 2^(1-t) is summed as -(e^u - 1),
  u = (1-t) log 2 (the literal difference lost the power's error divided by
  |1 - t|: 2^14 units at t = 0.999, without bound towards the pole).  For s
  in (0, 0.75) the literal error comes from the power 2^(1-s) (about 40
  units at s = 0.5) and the alternating sum.  A direct-series power past the
  kernels' splitting limit ends the series scaled; past t = 167.5, where
  Gamma(t) passes that limit, the functional equation takes Gamma(t) and
  (2 pi)^t = (2 pi)^n e^(f log 2 pi) scaled.
- Negative zeta arguments: the error is measured against the size of zeta(s)
  without the factor cos(pi t / 2), whose zeros at the negative even integers
  no method resolves to a relative precision.
- DDHURWITZZETAN: near a = 1 the k = 1 difference P1 - P2 is taken from the
  lower incomplete gamma functions, and sines of 2 pi k a below 1/4 from the
  reduced angle (the literal routine lost about seven digits, 2^45 units at
  IS = 8, a = 0.986).  Above order 280, and where a^IS or (1 - a)^IS falls
  below 2^-985, the sum is the direct series or Euler-Maclaurin summation
  with scaled powers (the expansion stopped or lost all digits there); just
  above that bound the literal expansion stands, with up to 2^12.7 units.
- DDZETABE for t in (14.3, 17.667), DDHURWITZZETANBE and DDPOLYGAMMABE for
  orders 13 to 16, DDDIGAMMABE below 0.81: where the correction sum cannot
  fall to 2^-106 of itself, it stops at 2^-106 of the whole result; the
  Hurwitz routine then restarts the Euler-Maclaurin sum from N >= 40 if even
  that is not reached within the table.
- DDHURWITZZETANBE, DDPOLYGAMMABE at large a: the literal direct series over
  some 10^5 terms accumulates up to 2^13 units of rounding error (it is kept
  where it ends within its term limit and its powers stay below 2^995;
  beyond, Euler-Maclaurin summation from N = a with scaled powers).
)";

TEST(accuracy, every_branch_within_its_bound) { dd::test::run_branches(branches(), "special1", kTableNotes); }

}  // namespace
