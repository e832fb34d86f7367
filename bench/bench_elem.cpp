// Time per call of the elementary functions and the complex kernels, beside
// __float128 (libquadmath) and MPFR at 106 bits on the same arguments.
//
// Each benchmark applies its function to 256 prepared arguments per
// iteration; the per_call counter is the time of one call.
#include <benchmark/benchmark.h>
#include <mpfr.h>
#include <quadmath.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <vector>

#include "ddtyped/complex.hpp"
#include "ddtyped/elementary.hpp"
#include "bench/bench_common.hpp"

namespace {

using dd::DDComplex;
using dd::DDReal;

constexpr int kN = 256;

void per_call(benchmark::State& state) { dd::bench::per_call(state, kN); }
std::vector<DDReal> args(double lo, double hi, std::uint64_t seed, bool integers = false) {
  return dd::bench::random_args(kN, lo, hi, seed, integers);
}

std::vector<__float128> quad(const std::vector<DDReal>& v) {
  std::vector<__float128> q(v.size());
  for (std::size_t i = 0; i < v.size(); ++i) q[i] = static_cast<__float128>(v[i].hi) + v[i].lo;
  return q;
}

using dd::bench::MpVec;

const std::vector<DDReal>& a_exp() { static auto v = args(-50.0, 50.0, 1); return v; }
const std::vector<DDReal>& a_pos() { static auto v = args(0.01, 100.0, 2); return v; }
const std::vector<DDReal>& a_pow() { static auto v = args(-10.0, 10.0, 3); return v; }
const std::vector<DDReal>& a_ang() { static auto v = args(-10.0, 10.0, 4); return v; }
const std::vector<DDReal>& b_ang() { static auto v = args(-10.0, 10.0, 5); return v; }
const std::vector<DDReal>& a_hyp() { static auto v = args(-20.0, 20.0, 6); return v; }
// The accurate paths: small angles, huge arguments, the exponential's range beyond 300.
const std::vector<DDReal>& a_small() { static auto v = args(1e-8, 1e-6, 9); return v; }
const std::vector<DDReal>& a_huge() { static auto v = args(1e29, 1e31, 10); return v; }
const std::vector<DDReal>& a_wide_exp() { static auto v = args(300.0, 690.0, 11); return v; }
const std::vector<DDReal>& a_near1() { static auto v = args(1.0 - 1e-3, 1.0 + 1e-3, 12); return v; }

// ---- ddkit ----------------------------------------------------------------------

template <DDReal (*F)(const DDReal&)>
void dd_unary(benchmark::State& st, const std::vector<DDReal>& a) {
  for (auto _ : st) for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(F(a[i]));
  per_call(st);
}
DDReal exp_of(const DDReal& a) { return dd::exp(a); }
DDReal log_of(const DDReal& a) { return dd::log(a); }
void dd_exp(benchmark::State& st) { dd_unary<exp_of>(st, a_exp()); }
void dd_log(benchmark::State& st) { dd_unary<log_of>(st, a_pos()); }
void dd_pow(benchmark::State& st) {
  const auto& a = a_pos();
  const auto& b = a_pow();
  for (auto _ : st) for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(dd::pow(a[i], b[i]));
  per_call(st);
}
void cos_sin_of(benchmark::State& st, const std::vector<DDReal>& a) {
  for (auto _ : st)
    for (int i = 0; i < kN; ++i) {
      DDReal c, s;
      dd::cos_sin(a[i], c, s);
      benchmark::DoNotOptimize(c);
      benchmark::DoNotOptimize(s);
    }
  per_call(st);
}
void dd_cos_sin(benchmark::State& st) { cos_sin_of(st, a_ang()); }
void dd_atan2(benchmark::State& st) {
  const auto& a = a_ang();
  const auto& b = b_ang();
  for (auto _ : st) for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(dd::atan2(a[i], b[i]));
  per_call(st);
}
void dd_cosh_sinh(benchmark::State& st) {
  const auto& a = a_hyp();
  for (auto _ : st)
    for (int i = 0; i < kN; ++i) {
      DDReal c, s;
      dd::cosh_sinh(a[i], c, s);
      benchmark::DoNotOptimize(c);
      benchmark::DoNotOptimize(s);
    }
  per_call(st);
}
void dd_cos_sin_small(benchmark::State& st) { cos_sin_of(st, a_small()); }
void dd_cos_sin_huge(benchmark::State& st) { cos_sin_of(st, a_huge()); }
void dd_exp_wide(benchmark::State& st) { dd_unary<exp_of>(st, a_wide_exp()); }
void dd_log_near1(benchmark::State& st) { dd_unary<log_of>(st, a_near1()); }
std::vector<DDComplex> cargs(std::uint64_t seed) {
  const auto r = args(-10.0, 10.0, seed), i = args(-10.0, 10.0, seed + 100);
  std::vector<DDComplex> v(kN);
  for (int k = 0; k < kN; ++k) v[k] = DDComplex(r[k], i[k]);
  return v;
}
const std::vector<DDComplex>& ca() { static auto v = cargs(7); return v; }
const std::vector<DDComplex>& cb() { static auto v = cargs(8); return v; }
void dd_cmul(benchmark::State& st) {
  const auto& a = ca();
  const auto& b = cb();
  for (auto _ : st) for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(a[i] * b[i]);
  per_call(st);
}
void dd_cdiv(benchmark::State& st) {
  const auto& a = ca();
  const auto& b = cb();
  for (auto _ : st) for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(a[i] / b[i]);
  per_call(st);
}
void dd_csqrt(benchmark::State& st) {
  const auto& a = ca();
  for (auto _ : st) for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(dd::sqrt(a[i]));
  per_call(st);
}

// ---- __float128 ---------------------------------------------------------------------

template <__float128 (*F)(__float128)>
void q_unary(benchmark::State& st, const std::vector<DDReal>& src) {
  const auto a = quad(src);
  for (auto _ : st) for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(F(a[i]));
  per_call(st);
}
void q_exp(benchmark::State& st) { q_unary<expq>(st, a_exp()); }
void q_log(benchmark::State& st) { q_unary<logq>(st, a_pos()); }
void q_cosh(benchmark::State& st) { q_unary<coshq>(st, a_hyp()); }
void q_pow(benchmark::State& st) {
  const auto a = quad(a_pos()), b = quad(a_pow());
  for (auto _ : st) for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(powq(a[i], b[i]));
  per_call(st);
}
void q_sincos_of(benchmark::State& st, const std::vector<DDReal>& src) {
  const auto a = quad(src);
  for (auto _ : st)
    for (int i = 0; i < kN; ++i) {
      __float128 s, c;
      sincosq(a[i], &s, &c);
      benchmark::DoNotOptimize(s);
      benchmark::DoNotOptimize(c);
    }
  per_call(st);
}
void q_sincos(benchmark::State& st) { q_sincos_of(st, a_ang()); }
void q_sincos_small(benchmark::State& st) { q_sincos_of(st, a_small()); }
void q_sincos_huge(benchmark::State& st) { q_sincos_of(st, a_huge()); }
void q_exp_wide(benchmark::State& st) { q_unary<expq>(st, a_wide_exp()); }
void q_log_near1(benchmark::State& st) { q_unary<logq>(st, a_near1()); }
void q_atan2(benchmark::State& st) {
  const auto a = quad(a_ang()), b = quad(b_ang());
  for (auto _ : st) for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(atan2q(a[i], b[i]));
  per_call(st);
}
std::vector<__complex128> qc(const std::vector<DDComplex>& v) {
  std::vector<__complex128> q(v.size());
  for (std::size_t i = 0; i < v.size(); ++i) {
    __real__ q[i] = static_cast<__float128>(v[i].re.hi) + v[i].re.lo;
    __imag__ q[i] = static_cast<__float128>(v[i].im.hi) + v[i].im.lo;
  }
  return q;
}
void q_cmul(benchmark::State& st) {
  const auto a = qc(ca()), b = qc(cb());
  for (auto _ : st) for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(a[i] * b[i]);
  per_call(st);
}
void q_cdiv(benchmark::State& st) {
  const auto a = qc(ca()), b = qc(cb());
  for (auto _ : st) for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(a[i] / b[i]);
  per_call(st);
}
void q_csqrt(benchmark::State& st) {
  const auto a = qc(ca());
  for (auto _ : st) for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(csqrtq(a[i]));
  per_call(st);
}

// ---- MPFR at 106 bits -----------------------------------------------------------------

template <int (*F)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t)>
void m_unary(benchmark::State& st, const std::vector<DDReal>& src) {
  MpVec a(src), r(kN);
  for (auto _ : st) for (int i = 0; i < kN; ++i) F(r.v[i], a.v[i], MPFR_RNDN);
  per_call(st);
}
void m_exp(benchmark::State& st) { m_unary<mpfr_exp>(st, a_exp()); }
void m_log(benchmark::State& st) { m_unary<mpfr_log>(st, a_pos()); }
void m_cosh(benchmark::State& st) { m_unary<mpfr_cosh>(st, a_hyp()); }
void m_pow(benchmark::State& st) {
  MpVec a(a_pos()), b(a_pow()), r(kN);
  for (auto _ : st) for (int i = 0; i < kN; ++i) mpfr_pow(r.v[i], a.v[i], b.v[i], MPFR_RNDN);
  per_call(st);
}
void m_sincos_of(benchmark::State& st, const std::vector<DDReal>& src) {
  MpVec a(src), s(kN), c(kN);
  for (auto _ : st) for (int i = 0; i < kN; ++i) mpfr_sin_cos(s.v[i], c.v[i], a.v[i], MPFR_RNDN);
  per_call(st);
}
void m_sincos(benchmark::State& st) { m_sincos_of(st, a_ang()); }
void m_sincos_small(benchmark::State& st) { m_sincos_of(st, a_small()); }
void m_sincos_huge(benchmark::State& st) { m_sincos_of(st, a_huge()); }
void m_exp_wide(benchmark::State& st) { m_unary<mpfr_exp>(st, a_wide_exp()); }
void m_log_near1(benchmark::State& st) { m_unary<mpfr_log>(st, a_near1()); }
void m_atan2(benchmark::State& st) {
  MpVec a(a_ang()), b(b_ang()), r(kN);
  for (auto _ : st) for (int i = 0; i < kN; ++i) mpfr_atan2(r.v[i], a.v[i], b.v[i], MPFR_RNDN);
  per_call(st);
}
std::vector<DDReal> parts(const std::vector<DDComplex>& v, bool im) {
  std::vector<DDReal> r(v.size());
  for (std::size_t i = 0; i < v.size(); ++i) r[i] = im ? v[i].im : v[i].re;
  return r;
}
// Complex products, quotients and roots composed from MPFR's real operations.
void m_cmul(benchmark::State& st) {
  MpVec ar(parts(ca(), false)), ai(parts(ca(), true)), br(parts(cb(), false)), bi(parts(cb(), true));
  MpVec rr(kN), ri(kN), t(kN);
  for (auto _ : st)
    for (int i = 0; i < kN; ++i) {
      mpfr_mul(rr.v[i], ar.v[i], br.v[i], MPFR_RNDN);
      mpfr_mul(t.v[i], ai.v[i], bi.v[i], MPFR_RNDN);
      mpfr_sub(rr.v[i], rr.v[i], t.v[i], MPFR_RNDN);
      mpfr_mul(ri.v[i], ar.v[i], bi.v[i], MPFR_RNDN);
      mpfr_mul(t.v[i], ai.v[i], br.v[i], MPFR_RNDN);
      mpfr_add(ri.v[i], ri.v[i], t.v[i], MPFR_RNDN);
    }
  per_call(st);
}
void m_cdiv(benchmark::State& st) {
  MpVec ar(parts(ca(), false)), ai(parts(ca(), true)), br(parts(cb(), false)), bi(parts(cb(), true));
  MpVec rr(kN), ri(kN), t(kN), d(kN);
  for (auto _ : st)
    for (int i = 0; i < kN; ++i) {
      mpfr_sqr(d.v[i], br.v[i], MPFR_RNDN);
      mpfr_sqr(t.v[i], bi.v[i], MPFR_RNDN);
      mpfr_add(d.v[i], d.v[i], t.v[i], MPFR_RNDN);
      mpfr_mul(rr.v[i], ar.v[i], br.v[i], MPFR_RNDN);
      mpfr_mul(t.v[i], ai.v[i], bi.v[i], MPFR_RNDN);
      mpfr_add(rr.v[i], rr.v[i], t.v[i], MPFR_RNDN);
      mpfr_div(rr.v[i], rr.v[i], d.v[i], MPFR_RNDN);
      mpfr_mul(ri.v[i], ai.v[i], br.v[i], MPFR_RNDN);
      mpfr_mul(t.v[i], ar.v[i], bi.v[i], MPFR_RNDN);
      mpfr_sub(ri.v[i], ri.v[i], t.v[i], MPFR_RNDN);
      mpfr_div(ri.v[i], ri.v[i], d.v[i], MPFR_RNDN);
    }
  per_call(st);
}
void m_csqrt(benchmark::State& st) {
  MpVec ar(parts(ca(), false)), ai(parts(ca(), true));
  MpVec rr(kN), ri(kN), m(kN);
  for (auto _ : st)
    for (int i = 0; i < kN; ++i) {
      mpfr_hypot(m.v[i], ar.v[i], ai.v[i], MPFR_RNDN);
      mpfr_abs(rr.v[i], ar.v[i], MPFR_RNDN);
      mpfr_add(m.v[i], m.v[i], rr.v[i], MPFR_RNDN);
      mpfr_div_2ui(m.v[i], m.v[i], 1, MPFR_RNDN);
      mpfr_sqrt(rr.v[i], m.v[i], MPFR_RNDN);
      mpfr_mul_2ui(m.v[i], rr.v[i], 1, MPFR_RNDN);
      mpfr_div(ri.v[i], ai.v[i], m.v[i], MPFR_RNDN);
    }
  per_call(st);
}

}  // namespace

BENCHMARK(dd_exp);
BENCHMARK(q_exp);
BENCHMARK(m_exp);
BENCHMARK(dd_log);
BENCHMARK(q_log);
BENCHMARK(m_log);
BENCHMARK(dd_pow);
BENCHMARK(q_pow);
BENCHMARK(m_pow);
BENCHMARK(dd_cos_sin);
BENCHMARK(q_sincos);
BENCHMARK(m_sincos);
BENCHMARK(dd_atan2);
BENCHMARK(q_atan2);
BENCHMARK(m_atan2);
BENCHMARK(dd_cosh_sinh);
BENCHMARK(q_cosh);
BENCHMARK(m_cosh);
BENCHMARK(dd_cos_sin_small);
BENCHMARK(q_sincos_small);
BENCHMARK(m_sincos_small);
BENCHMARK(dd_cos_sin_huge);
BENCHMARK(q_sincos_huge);
BENCHMARK(m_sincos_huge);
BENCHMARK(dd_exp_wide);
BENCHMARK(q_exp_wide);
BENCHMARK(m_exp_wide);
BENCHMARK(dd_log_near1);
BENCHMARK(q_log_near1);
BENCHMARK(m_log_near1);
BENCHMARK(dd_cmul);
BENCHMARK(q_cmul);
BENCHMARK(m_cmul);
BENCHMARK(dd_cdiv);
BENCHMARK(q_cdiv);
BENCHMARK(m_cdiv);
BENCHMARK(dd_csqrt);
BENCHMARK(q_csqrt);
BENCHMARK(m_csqrt);
BENCHMARK_MAIN();
