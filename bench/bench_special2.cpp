// Time per call of erf, erfc, Bessel J and Y of integer order and Li_2, beside
// __float128 (libquadmath) and MPFR at 106 bits on the same arguments.
//
// Each benchmark applies its function to 256 prepared arguments per
// iteration; the per_call counter is the time of one call.  Bessel arguments
// lie in [0.5, 20) (power series) and, for the _large variants, [50, 150)
// (Hankel's expansion); the _order200 variants (n = 200 on [10, 20): Miller's
// recurrence for J, the upward recurrence for Y) and _order60_large (n = 60 on
// [50, 150), where Hankel's expansion gives way to the recurrences) time the
// paths of large orders (Y_200 overflows below x = 10); _debye times J_n(x)
// with n = x/2 on [1.2e5, 2e5), past Hankel's expansion (Debye's oscillatory
// expansion with its phase in three doubles), beside libquadmath's jnq, a
// recurrence over the orders; MPFR's jn takes seconds a call there (7.6 s for
// J_60000(1.2e5)) and is left out.  _debye_multiword/e times J_nu(x), nu = x/2,
// on [10^e, 2 10^e), where the phase is formed in a multiword number (4, 8
// and 18 limbs for e = 20, 100, 298); _k_band/e times K_nu(x) at
// x = 0.6627 nu, where nu eta changes sign, for orders on [10^e, 2 10^e):
// three doubles at e = 12, the multiword number at 20 and 30.  Neither
// peer reaches these orders (jnq takes an int order, mpfr_jn a long, and
// both recur over the orders).
#include <benchmark/benchmark.h>
#include <mpfr.h>
#include <quadmath.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "ddtyped/special.hpp"
#include "bench/bench_common.hpp"

namespace {

using dd::DDReal;

constexpr int kN = 256;

void per_call(benchmark::State& state) { dd::bench::per_call(state, kN); }
std::vector<DDReal> args(double lo, double hi, std::uint64_t seed, bool integers = false) {
  return dd::bench::random_args(kN, lo, hi, seed, integers);
}
using dd::bench::run_mpfr;
using dd::bench::run_quad;

const std::vector<DDReal>& a_erf() { static auto v = args(-4.0, 4.0, 11); return v; }
const std::vector<DDReal>& a_bes() { static auto v = args(0.5, 20.0, 12); return v; }
const std::vector<DDReal>& a_big() { static auto v = args(50.0, 150.0, 13); return v; }
const std::vector<DDReal>& a_mid() { static auto v = args(10.0, 20.0, 15); return v; }
const std::vector<DDReal>& a_li() { static auto v = args(-0.9, 0.9, 14); return v; }
const std::vector<DDReal>& a_erfc_far() { static auto v = args(17.3, 25.8, 15); return v; }
const std::vector<DDReal>& a_li_neg() { static auto v = args(-100.0, -0.01, 16); return v; }
const std::vector<DDReal>& a_kummer() { static auto v = args(-60.0, -30.0, 17); return v; }
const std::vector<DDReal>& a_struve() { static auto v = args(400.0, 600.0, 18); return v; }
const std::vector<DDReal>& a_debye() { static auto v = args(1.2e5, 2e5, 19); return v; }

template <class F>
void run_dd(benchmark::State& st, const std::vector<DDReal>& a, F f) {
  for (auto _ : st)
    for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(f(a[i]));
  per_call(st);
}

void dd_erf(benchmark::State& s) { run_dd(s, a_erf(), [](const DDReal& x) { return dd::erf(x); }); }
void dd_erfc(benchmark::State& s) { run_dd(s, a_erf(), [](const DDReal& x) { return dd::erfc(x); }); }
void dd_j0(benchmark::State& s) { run_dd(s, a_bes(), [](const DDReal& x) { return dd::bessel_j0(x); }); }
void dd_j1(benchmark::State& s) { run_dd(s, a_bes(), [](const DDReal& x) { return dd::bessel_j1(x); }); }
void dd_jn3(benchmark::State& s) { run_dd(s, a_bes(), [](const DDReal& x) { return dd::bessel_jn(3, x); }); }
void dd_y0(benchmark::State& s) { run_dd(s, a_bes(), [](const DDReal& x) { return dd::bessel_y0(x); }); }
void dd_y1(benchmark::State& s) { run_dd(s, a_bes(), [](const DDReal& x) { return dd::bessel_y1(x); }); }
void dd_yn3(benchmark::State& s) { run_dd(s, a_bes(), [](const DDReal& x) { return dd::bessel_yn(3, x); }); }
void dd_j0_large(benchmark::State& s) { run_dd(s, a_big(), [](const DDReal& x) { return dd::bessel_j0(x); }); }
void dd_jn200(benchmark::State& s) { run_dd(s, a_mid(), [](const DDReal& x) { return dd::bessel_jn(200, x); }); }
void dd_yn200(benchmark::State& s) { run_dd(s, a_mid(), [](const DDReal& x) { return dd::bessel_yn(200, x); }); }
void dd_jn60_large(benchmark::State& s) { run_dd(s, a_big(), [](const DDReal& x) { return dd::bessel_jn(60, x); }); }
void dd_yn60_large(benchmark::State& s) { run_dd(s, a_big(), [](const DDReal& x) { return dd::bessel_yn(60, x); }); }
void dd_li2(benchmark::State& s) { run_dd(s, a_li(), [](const DDReal& x) { return dd::polylog_pos(2, x); }); }

void quad_erf(benchmark::State& s) { run_quad(s, a_erf(), [](__float128 x) { return erfq(x); }); }
void quad_erfc(benchmark::State& s) { run_quad(s, a_erf(), [](__float128 x) { return erfcq(x); }); }
void quad_j0(benchmark::State& s) { run_quad(s, a_bes(), [](__float128 x) { return j0q(x); }); }
void quad_j1(benchmark::State& s) { run_quad(s, a_bes(), [](__float128 x) { return j1q(x); }); }
void quad_jn3(benchmark::State& s) { run_quad(s, a_bes(), [](__float128 x) { return jnq(3, x); }); }
void quad_y0(benchmark::State& s) { run_quad(s, a_bes(), [](__float128 x) { return y0q(x); }); }
void quad_y1(benchmark::State& s) { run_quad(s, a_bes(), [](__float128 x) { return y1q(x); }); }
void quad_yn3(benchmark::State& s) { run_quad(s, a_bes(), [](__float128 x) { return ynq(3, x); }); }
void quad_j0_large(benchmark::State& s) { run_quad(s, a_big(), [](__float128 x) { return j0q(x); }); }
void quad_jn200(benchmark::State& s) { run_quad(s, a_mid(), [](__float128 x) { return jnq(200, x); }); }
void quad_yn200(benchmark::State& s) { run_quad(s, a_mid(), [](__float128 x) { return ynq(200, x); }); }
void quad_jn60_large(benchmark::State& s) { run_quad(s, a_big(), [](__float128 x) { return jnq(60, x); }); }
void quad_yn60_large(benchmark::State& s) { run_quad(s, a_big(), [](__float128 x) { return ynq(60, x); }); }

void mpfr_erf_(benchmark::State& s) { run_mpfr(s, a_erf(), [](mpfr_t r, mpfr_t x) { mpfr_erf(r, x, MPFR_RNDN); }); }
void mpfr_erfc_(benchmark::State& s) { run_mpfr(s, a_erf(), [](mpfr_t r, mpfr_t x) { mpfr_erfc(r, x, MPFR_RNDN); }); }
void mpfr_j0_(benchmark::State& s) { run_mpfr(s, a_bes(), [](mpfr_t r, mpfr_t x) { mpfr_j0(r, x, MPFR_RNDN); }); }
void mpfr_j1_(benchmark::State& s) { run_mpfr(s, a_bes(), [](mpfr_t r, mpfr_t x) { mpfr_j1(r, x, MPFR_RNDN); }); }
void mpfr_jn3_(benchmark::State& s) { run_mpfr(s, a_bes(), [](mpfr_t r, mpfr_t x) { mpfr_jn(r, 3, x, MPFR_RNDN); }); }
void mpfr_y0_(benchmark::State& s) { run_mpfr(s, a_bes(), [](mpfr_t r, mpfr_t x) { mpfr_y0(r, x, MPFR_RNDN); }); }
void mpfr_y1_(benchmark::State& s) { run_mpfr(s, a_bes(), [](mpfr_t r, mpfr_t x) { mpfr_y1(r, x, MPFR_RNDN); }); }
void mpfr_yn3_(benchmark::State& s) { run_mpfr(s, a_bes(), [](mpfr_t r, mpfr_t x) { mpfr_yn(r, 3, x, MPFR_RNDN); }); }
void mpfr_j0_large_(benchmark::State& s) { run_mpfr(s, a_big(), [](mpfr_t r, mpfr_t x) { mpfr_j0(r, x, MPFR_RNDN); }); }
void mpfr_jn200_(benchmark::State& s) { run_mpfr(s, a_mid(), [](mpfr_t r, mpfr_t x) { mpfr_jn(r, 200, x, MPFR_RNDN); }); }
void mpfr_yn200_(benchmark::State& s) { run_mpfr(s, a_mid(), [](mpfr_t r, mpfr_t x) { mpfr_yn(r, 200, x, MPFR_RNDN); }); }
void mpfr_jn60_large_(benchmark::State& s) {
  run_mpfr(s, a_big(), [](mpfr_t r, mpfr_t x) { mpfr_jn(r, 60, x, MPFR_RNDN); });
}
void mpfr_yn60_large_(benchmark::State& s) {
  run_mpfr(s, a_big(), [](mpfr_t r, mpfr_t x) { mpfr_yn(r, 60, x, MPFR_RNDN); });
}
void mpfr_li2_(benchmark::State& s) { run_mpfr(s, a_li(), [](mpfr_t r, mpfr_t x) { mpfr_li2(r, x, MPFR_RNDN); }); }

// Paths that replace zeros and lost digits: erfc past e^-300, Li_-60 at
// x < 0 (the sum over the poles where the Eulerian form cancels), 1F1 at
// large negative x (Kummer's transformation), Struve H_n for orders between
// x and 2x (its integral form).  No peer has the last three.
void dd_erfc_far(benchmark::State& s) { run_dd(s, a_erfc_far(), [](const DDReal& x) { return dd::erfc(x); }); }
void quad_erfc_far(benchmark::State& s) { run_quad(s, a_erfc_far(), [](__float128 x) { return erfcq(x); }); }
void mpfr_erfc_far(benchmark::State& s) { run_mpfr(s, a_erfc_far(), [](mpfr_t r, mpfr_t x) { mpfr_erfc(r, x, MPFR_RNDN); }); }
void dd_polylog_neg60(benchmark::State& s) {
  static const std::vector<DDReal> t = [] {
    std::vector<DDReal> v(60);
    dd::polylog_ini(v);
    return v;
  }();
  run_dd(s, a_li_neg(), [](const DDReal& x) { return dd::polylog_neg(t, x); });
}
void dd_pfq_kummer(benchmark::State& s) {
  static const std::vector<DDReal> a = {DDReal(0.5)}, b = {DDReal(1.5)};
  run_dd(s, a_kummer(), [](const DDReal& x) { return dd::hypergeom_pfq(a, b, x); });
}
void dd_jn_debye(benchmark::State& s) {
  run_dd(s, a_debye(), [](const DDReal& x) { return dd::bessel_jn(static_cast<int>(0.5 * x.hi), x); });
}
void quad_jn_debye(benchmark::State& s) {
  run_quad(s, a_debye(), [](__float128 x) { return jnq(static_cast<int>(0.5 * static_cast<double>(x)), x); });
}
void dd_j_debye_multiword(benchmark::State& s) {
  const double lo = std::pow(10.0, static_cast<double>(s.range(0)));
  run_dd(s, args(lo, 2.0 * lo, 20), [](const DDReal& x) { return dd::bessel_j(DDReal(0.5 * x.hi), x); });
}
void dd_k_band(benchmark::State& s) {
  const double lo = std::pow(10.0, static_cast<double>(s.range(0)));
  run_dd(s, args(lo, 2.0 * lo, 21, true), [](const DDReal& nu) {
    DDReal x;
    dd::DDMULD(DDReal(0.6627434193491816, 8.155323790501267e-18), nu.hi, x);
    return dd::bessel_k(nu, x);
  });
}
/// H_n(x) with n = 1.5 x, where the power series cancels and the integral form serves.
void dd_struve_integral(benchmark::State& s) {
  run_dd(s, a_struve(), [](const DDReal& x) { return dd::struve_h(static_cast<int>(1.5 * x.hi), x); });
}

}  // namespace

BENCHMARK(dd_erf);
BENCHMARK(quad_erf);
BENCHMARK(mpfr_erf_);
BENCHMARK(dd_erfc);
BENCHMARK(quad_erfc);
BENCHMARK(mpfr_erfc_);
BENCHMARK(dd_j0);
BENCHMARK(quad_j0);
BENCHMARK(mpfr_j0_);
BENCHMARK(dd_j1);
BENCHMARK(quad_j1);
BENCHMARK(mpfr_j1_);
BENCHMARK(dd_jn3);
BENCHMARK(quad_jn3);
BENCHMARK(mpfr_jn3_);
BENCHMARK(dd_y0);
BENCHMARK(quad_y0);
BENCHMARK(mpfr_y0_);
BENCHMARK(dd_y1);
BENCHMARK(quad_y1);
BENCHMARK(mpfr_y1_);
BENCHMARK(dd_yn3);
BENCHMARK(quad_yn3);
BENCHMARK(mpfr_yn3_);
BENCHMARK(dd_j0_large);
BENCHMARK(quad_j0_large);
BENCHMARK(mpfr_j0_large_);
BENCHMARK(dd_jn200);
BENCHMARK(quad_jn200);
BENCHMARK(mpfr_jn200_);
BENCHMARK(dd_yn200);
BENCHMARK(quad_yn200);
BENCHMARK(mpfr_yn200_);
BENCHMARK(dd_jn60_large);
BENCHMARK(quad_jn60_large);
BENCHMARK(mpfr_jn60_large_);
BENCHMARK(dd_yn60_large);
BENCHMARK(quad_yn60_large);
BENCHMARK(mpfr_yn60_large_);
BENCHMARK(dd_li2);
BENCHMARK(dd_erfc_far);
BENCHMARK(quad_erfc_far);
BENCHMARK(mpfr_erfc_far);
BENCHMARK(dd_polylog_neg60);
BENCHMARK(dd_pfq_kummer);
BENCHMARK(dd_struve_integral);
BENCHMARK(dd_jn_debye);
BENCHMARK(quad_jn_debye);
BENCHMARK(dd_j_debye_multiword)->Arg(20)->Arg(100)->Arg(298);
BENCHMARK(dd_k_band)->Arg(12)->Arg(20)->Arg(30);
BENCHMARK(mpfr_li2_);

BENCHMARK_MAIN();
