// Time per call of gamma, incomplete gamma, Ei, zeta, Hurwitz zeta and digamma,
// beside __float128 (libquadmath: tgammaq, lgammaq) and MPFR at 106 bits
// (mpfr_gamma, mpfr_zeta, mpfr_eint, mpfr_digamma) on the same arguments, and
// the cost of one even-Bernoulli table of 47 entries.  Neither has a Hurwitz
// zeta function, so DDHURWITZZETANBE is timed alone.  The _pole, _far and
// _scaled variants time the paths that replace stops and lost digits (gamma
// next to its poles, zeta below -170, Ei above 690, Gamma(s, z) with scaled
// powers), beside the same peers.
//
// Each benchmark applies its function to 64 prepared arguments per iteration;
// the per_call counter is the time of one call.
#include <benchmark/benchmark.h>
#include <mpfr.h>
#include <quadmath.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "ddspecial/ddspecial.hpp"
#include "bench/bench_common.hpp"

namespace {

using dd::DDReal;

constexpr int kN = 64;

void per_call(benchmark::State& state) { dd::bench::per_call(state, kN); }
std::vector<DDReal> args(double lo, double hi, std::uint64_t seed, bool integers = false) {
  return dd::bench::random_args(kN, lo, hi, seed, integers);
}
using dd::bench::run_mpfr;
using dd::bench::run_quad;

const std::vector<DDReal>& a_gint() { static auto v = args(2.0, 60.0, 21, true); return v; }
const std::vector<DDReal>& a_gsmall() { static auto v = args(0.5, 10.0, 22); return v; }
const std::vector<DDReal>& a_gneg() { static auto v = args(-10.0, -0.5, 23); return v; }
const std::vector<DDReal>& a_zeta() { static auto v = args(1.5, 17.0, 24); return v; }
const std::vector<DDReal>& a_zneg() { static auto v = args(-20.0, -0.5, 25); return v; }
const std::vector<DDReal>& a_incg() { static auto v = args(0.2, 10.0, 26); return v; }
const std::vector<DDReal>& a_ei() { static auto v = args(0.2, 60.0, 27); return v; }
const std::vector<DDReal>& a_hz() { static auto v = args(0.05, 10.0, 28); return v; }
const std::vector<DDReal>& a_psi() { static auto v = args(0.1, 30.0, 29); return v; }

const std::vector<DDReal>& table() {
  static const std::vector<DDReal> t = [] {
    std::vector<DDReal> v(47);
    dd::DDBERNER(47, v.data());
    return v;
  }();
  return t;
}

template <class F>
void run_dd(benchmark::State& st, const std::vector<DDReal>& a, F f) {
  DDReal r;
  for (auto _ : st)
    for (int i = 0; i < kN; ++i) {
      f(a[i], r);
      benchmark::DoNotOptimize(r);
    }
  per_call(st);
}

void BM_dd_gamma_integer(benchmark::State& s) { run_dd(s, a_gint(), [](const DDReal& x, DDReal& r) { dd::DDGAMMAR(x, r); }); }
void BM_dd_gamma_small(benchmark::State& s) { run_dd(s, a_gsmall(), [](const DDReal& x, DDReal& r) { dd::DDGAMMAR(x, r); }); }
void BM_dd_gamma_negative(benchmark::State& s) { run_dd(s, a_gneg(), [](const DDReal& x, DDReal& r) { dd::DDGAMMAR(x, r); }); }
void BM_quad_tgamma_small(benchmark::State& s) { run_quad(s, a_gsmall(), [](__float128 x) { return tgammaq(x); }); }
void BM_quad_tgamma_negative(benchmark::State& s) { run_quad(s, a_gneg(), [](__float128 x) { return tgammaq(x); }); }
void BM_quad_lgamma_small(benchmark::State& s) { run_quad(s, a_gsmall(), [](__float128 x) { return lgammaq(x); }); }
void BM_mpfr_gamma_integer(benchmark::State& s) { run_mpfr(s, a_gint(), [](mpfr_t r, mpfr_t x) { mpfr_gamma(r, x, MPFR_RNDN); }); }
void BM_mpfr_gamma_small(benchmark::State& s) { run_mpfr(s, a_gsmall(), [](mpfr_t r, mpfr_t x) { mpfr_gamma(r, x, MPFR_RNDN); }); }
void BM_mpfr_gamma_negative(benchmark::State& s) { run_mpfr(s, a_gneg(), [](mpfr_t r, mpfr_t x) { mpfr_gamma(r, x, MPFR_RNDN); }); }

void BM_dd_zetar(benchmark::State& s) { run_dd(s, a_zeta(), [](const DDReal& x, DDReal& r) { dd::DDZETAR(x, r); }); }
void BM_dd_zetar_negative(benchmark::State& s) { run_dd(s, a_zneg(), [](const DDReal& x, DDReal& r) { dd::DDZETAR(x, r); }); }
void BM_dd_zetaintr(benchmark::State& s) {
  run_dd(s, a_gint(), [](const DDReal& x, DDReal& r) { dd::DDZETAINTR(static_cast<int>(x.hi), r); });
}
void BM_dd_zetabe(benchmark::State& s) {
  run_dd(s, a_zeta(), [](const DDReal& x, DDReal& r) { dd::DDZETABE(47, table().data(), x, r); });
}
void BM_mpfr_zeta(benchmark::State& s) { run_mpfr(s, a_zeta(), [](mpfr_t r, mpfr_t x) { mpfr_zeta(r, x, MPFR_RNDN); }); }
void BM_mpfr_zeta_integer(benchmark::State& s) {
  run_mpfr(s, a_gint(), [](mpfr_t r, mpfr_t x) { mpfr_zeta_ui(r, mpfr_get_ui(x, MPFR_RNDN), MPFR_RNDN); });
}

void BM_dd_incgammar(benchmark::State& s) {
  run_dd(s, a_incg(), [](const DDReal& x, DDReal& r) { dd::DDINCGAMMAR(DDReal(2.5), x, r); });
}
void BM_mpfr_gamma_inc(benchmark::State& s) {
  mpfr_t a;
  mpfr_init2(a, 106);
  mpfr_set_d(a, 2.5, MPFR_RNDN);
  run_mpfr(s, a_incg(), [&a](mpfr_t r, mpfr_t x) { mpfr_gamma_inc(r, a, x, MPFR_RNDN); });
  mpfr_clear(a);
}
void BM_dd_expint(benchmark::State& s) { run_dd(s, a_ei(), [](const DDReal& x, DDReal& r) { dd::DDEXPINT(x, r); }); }
void BM_mpfr_eint(benchmark::State& s) { run_mpfr(s, a_ei(), [](mpfr_t r, mpfr_t x) { mpfr_eint(r, x, MPFR_RNDN); }); }

void BM_dd_hurwitzbe(benchmark::State& s) {
  run_dd(s, a_hz(), [](const DDReal& x, DDReal& r) { dd::DDHURWITZZETANBE(47, table().data(), 3, x, r); });
}
void BM_dd_digammabe(benchmark::State& s) {
  run_dd(s, a_psi(), [](const DDReal& x, DDReal& r) { dd::DDDIGAMMABE(47, table().data(), x, r); });
}
void BM_mpfr_digamma(benchmark::State& s) {
  run_mpfr(s, a_psi(), [](mpfr_t r, mpfr_t x) { mpfr_digamma(r, x, MPFR_RNDN); });
}

// ---- paths that replace stops, NaN words and lost digits ---------------------------

/// Next to the poles -1 .. -20 (within 2^-40, full low words), where the
/// reduced argument is t + n.
const std::vector<DDReal>& a_gpole() {
  static auto v = [] {
    auto w = args(1.0, 20.0, 30, true), d = args(0x1p-41, 0x1p-40, 31);
    for (int i = 0; i < kN; ++i) dd::DDADD(DDReal(-w[i].hi), d[i], w[i]);
    return w;
  }();
  return v;
}
const std::vector<DDReal>& a_zfar() { static auto v = args(-250.0, -170.0, 32); return v; }
const std::vector<DDReal>& a_eifar() { static auto v = args(690.0, 709.0, 33); return v; }
const std::vector<DDReal>& a_tiny() { static auto v = args(1e-12, 1e-11, 34); return v; }
const std::vector<DDReal>& a_near1() { static auto v = args(1.0 - 0x1p-40, 1.0 - 0x1p-41, 35); return v; }

void BM_dd_gamma_pole(benchmark::State& s) { run_dd(s, a_gpole(), [](const DDReal& x, DDReal& r) { dd::DDGAMMAR(x, r); }); }
void BM_quad_tgamma_pole(benchmark::State& s) { run_quad(s, a_gpole(), [](__float128 x) { return tgammaq(x); }); }
void BM_mpfr_gamma_pole(benchmark::State& s) { run_mpfr(s, a_gpole(), [](mpfr_t r, mpfr_t x) { mpfr_gamma(r, x, MPFR_RNDN); }); }
void BM_dd_zetar_far(benchmark::State& s) { run_dd(s, a_zfar(), [](const DDReal& x, DDReal& r) { dd::DDZETAR(x, r); }); }
void BM_mpfr_zeta_far(benchmark::State& s) { run_mpfr(s, a_zfar(), [](mpfr_t r, mpfr_t x) { mpfr_zeta(r, x, MPFR_RNDN); }); }
void BM_dd_expint_far(benchmark::State& s) { run_dd(s, a_eifar(), [](const DDReal& x, DDReal& r) { dd::DDEXPINT(x, r); }); }
void BM_mpfr_eint_far(benchmark::State& s) { run_mpfr(s, a_eifar(), [](mpfr_t r, mpfr_t x) { mpfr_eint(r, x, MPFR_RNDN); }); }
/// Gamma(-30.5, z) for z near 1e-11: the scaled series.
void BM_dd_incgammar_scaled(benchmark::State& s) {
  run_dd(s, a_tiny(), [](const DDReal& x, DDReal& r) { dd::DDINCGAMMAR(DDReal(-30.5), x, r); });
}
void BM_mpfr_gamma_inc_scaled(benchmark::State& s) {
  mpfr_t a;
  mpfr_init2(a, 106);
  mpfr_set_d(a, -30.5, MPFR_RNDN);
  run_mpfr(s, a_tiny(), [&a](mpfr_t r, mpfr_t x) { mpfr_gamma_inc(r, a, x, MPFR_RNDN); });
  mpfr_clear(a);
}
/// zeta(31, a) and psi^(150)(a) for a near 1 (the scaled Hurwitz sums; no peer has them).
void BM_dd_hurwitz_near_one(benchmark::State& s) {
  run_dd(s, a_near1(), [](const DDReal& x, DDReal& r) { dd::DDHURWITZZETAN(31, x, r); });
}
void BM_dd_polygamma_150(benchmark::State& s) {
  run_dd(s, a_near1(), [](const DDReal& x, DDReal& r) { dd::DDPOLYGAMMA(150, x, r); });
}

void BM_dd_berner47(benchmark::State& s) {
  std::vector<DDReal> t(47);
  for (auto _ : s) {
    dd::DDBERNER(47, t.data());
    benchmark::DoNotOptimize(t.data());
  }
}

}  // namespace

BENCHMARK(BM_dd_gamma_integer);
BENCHMARK(BM_mpfr_gamma_integer);
BENCHMARK(BM_dd_gamma_small);
BENCHMARK(BM_quad_tgamma_small);
BENCHMARK(BM_quad_lgamma_small);
BENCHMARK(BM_mpfr_gamma_small);
BENCHMARK(BM_dd_gamma_negative);
BENCHMARK(BM_quad_tgamma_negative);
BENCHMARK(BM_mpfr_gamma_negative);
BENCHMARK(BM_dd_zetar);
BENCHMARK(BM_dd_zetar_negative);
BENCHMARK(BM_dd_zetabe);
BENCHMARK(BM_mpfr_zeta);
BENCHMARK(BM_dd_zetaintr);
BENCHMARK(BM_mpfr_zeta_integer);
BENCHMARK(BM_dd_incgammar);
BENCHMARK(BM_mpfr_gamma_inc);
BENCHMARK(BM_dd_expint);
BENCHMARK(BM_mpfr_eint);
BENCHMARK(BM_dd_hurwitzbe);
BENCHMARK(BM_dd_digammabe);
BENCHMARK(BM_mpfr_digamma);
BENCHMARK(BM_dd_berner47);
BENCHMARK(BM_dd_gamma_pole);
BENCHMARK(BM_quad_tgamma_pole);
BENCHMARK(BM_mpfr_gamma_pole);
BENCHMARK(BM_dd_zetar_far);
BENCHMARK(BM_mpfr_zeta_far);
BENCHMARK(BM_dd_expint_far);
BENCHMARK(BM_mpfr_eint_far);
BENCHMARK(BM_dd_incgammar_scaled);
BENCHMARK(BM_mpfr_gamma_inc_scaled);
BENCHMARK(BM_dd_hurwitz_near_one);
BENCHMARK(BM_dd_polygamma_150);

BENCHMARK_MAIN();
