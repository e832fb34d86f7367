// The batch routines beside the scalar routines, libquadmath, MPFR at 106
// bits and Arb at 106 bits, on the same arguments, in one run.
//
// batch_*: dd::batch over a span of the arguments (the target the CPU
// offers, or DD_SIMD's); scalar_*: a loop over the scalar routine; quad_*,
// mpfr_*, arb_*: the peers.  The per_call counter is the time of one element.
// The kernels over arrays run beside the same loop written by a user and
// compiled at -O2 (this file) and at -O3 -march=native (bench/native/).
#include <benchmark/benchmark.h>
#include <mpfr.h>
#include <quadmath.h>

#include <vector>

#if defined(DD_BENCH_HAVE_ARB)
#include <arb.h>
#include <arb_hypgeom.h>
#endif

#include "bench/bench_common.hpp"
#include "bench/native/array_loops.hpp"
#include "ddbatch/batch.hpp"
#include "ddtyped/elementary.hpp"
#include "ddtyped/real.hpp"
#include "ddtyped/special.hpp"

namespace {

using dd::DDReal;
using dd::bench::per_call;
using dd::bench::random_args;

constexpr int kN = 256;       // arguments of a function benchmark
constexpr int kArray = 1024;  // elements of a kernel benchmark

// The ranges of bench_elem and bench_special1/2.
const std::vector<DDReal>& a_exp() { static auto v = random_args(kN, -50.0, 50.0, 1); return v; }
const std::vector<DDReal>& a_pos() { static auto v = random_args(kN, 0.01, 100.0, 2); return v; }
const std::vector<DDReal>& a_pow() { static auto v = random_args(kN, -10.0, 10.0, 3); return v; }
const std::vector<DDReal>& a_ang() { static auto v = random_args(kN, -10.0, 10.0, 4); return v; }
const std::vector<DDReal>& b_ang() { static auto v = random_args(kN, -10.0, 10.0, 5); return v; }
const std::vector<DDReal>& a_hyp() { static auto v = random_args(kN, -20.0, 20.0, 6); return v; }
const std::vector<DDReal>& a_erf() { static auto v = random_args(kN, -4.0, 4.0, 11); return v; }
const std::vector<DDReal>& a_gam() { static auto v = random_args(kN, 0.5, 10.0, 22); return v; }
const std::vector<DDReal>& k_a() { static auto v = random_args(kArray, 0.5, 2.0, 41); return v; }
const std::vector<DDReal>& k_b() { static auto v = random_args(kArray, 0.5, 2.0, 42); return v; }

// ---- batch and scalar ---------------------------------------------------------------

template <class F>
void run_batch(benchmark::State& st, std::size_t n, F f) {
  std::vector<DDReal> r(n), s(n);
  for (auto _ : st) {
    f(r, s);
    benchmark::DoNotOptimize(r.data());
    benchmark::DoNotOptimize(s.data());
    benchmark::ClobberMemory();
  }
  per_call(st, static_cast<int>(n));
}

template <class F>
void run_scalar(benchmark::State& st, const std::vector<DDReal>& a, F f) {
  for (auto _ : st)
    for (const DDReal& x : a) benchmark::DoNotOptimize(f(x));
  per_call(st, static_cast<int>(a.size()));
}

void batch_exp(benchmark::State& st) { run_batch(st, kN, [](auto& r, auto&) { dd::batch::exp(a_exp(), r); }); }
void batch_log(benchmark::State& st) { run_batch(st, kN, [](auto& r, auto&) { dd::batch::log(a_pos(), r); }); }
void batch_pow(benchmark::State& st) {
  run_batch(st, kN, [](auto& r, auto&) { dd::batch::pow(a_pos(), a_pow(), r); });
}
void batch_cos_sin(benchmark::State& st) {
  run_batch(st, kN, [](auto& r, auto& s) { dd::batch::cos_sin(a_ang(), r, s); });
}
void batch_atan2(benchmark::State& st) {
  run_batch(st, kN, [](auto& r, auto&) { dd::batch::atan2(a_ang(), b_ang(), r); });
}
void batch_cosh_sinh(benchmark::State& st) {
  run_batch(st, kN, [](auto& r, auto& s) { dd::batch::cosh_sinh(a_hyp(), r, s); });
}
void batch_erf(benchmark::State& st) { run_batch(st, kN, [](auto& r, auto&) { dd::batch::erf(a_erf(), r); }); }
void batch_gamma(benchmark::State& st) { run_batch(st, kN, [](auto& r, auto&) { dd::batch::gamma_fn(a_gam(), r); }); }

void scalar_exp(benchmark::State& st) { run_scalar(st, a_exp(), [](const DDReal& x) { return dd::exp(x); }); }
void scalar_log(benchmark::State& st) { run_scalar(st, a_pos(), [](const DDReal& x) { return dd::log(x); }); }
void scalar_pow(benchmark::State& st) {
  const auto& b = a_pow();
  for (auto _ : st)
    for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(dd::pow(a_pos()[i], b[i]));
  per_call(st, kN);
}
void scalar_cos_sin(benchmark::State& st) {
  run_scalar(st, a_ang(), [](const DDReal& x) {
    DDReal c, s;
    dd::DDCSSNR(x, c, s);
    return c + s;
  });
}
void scalar_atan2(benchmark::State& st) {
  const auto& b = b_ang();
  for (auto _ : st)
    for (int i = 0; i < kN; ++i) benchmark::DoNotOptimize(dd::atan2(a_ang()[i], b[i]));
  per_call(st, kN);
}
void scalar_cosh_sinh(benchmark::State& st) {
  run_scalar(st, a_hyp(), [](const DDReal& x) {
    DDReal c, s;
    dd::DDCOSHSINH(x, c, s);
    return c + s;
  });
}
void scalar_erf(benchmark::State& st) { run_scalar(st, a_erf(), [](const DDReal& x) { return dd::erf(x); }); }
void scalar_gamma(benchmark::State& st) { run_scalar(st, a_gam(), [](const DDReal& x) { return dd::gamma_fn(x); }); }

// ---- libquadmath and MPFR at 106 bits -------------------------------------------------

using dd::bench::run_mpfr;
using dd::bench::run_quad;

void quad_exp(benchmark::State& st) { run_quad(st, a_exp(), [](__float128 x) { return expq(x); }); }
void quad_log(benchmark::State& st) { run_quad(st, a_pos(), [](__float128 x) { return logq(x); }); }
void quad_cos_sin(benchmark::State& st) {
  run_quad(st, a_ang(), [](__float128 x) {
    __float128 s, c;
    sincosq(x, &s, &c);
    return s + c;
  });
}
void quad_cosh_sinh(benchmark::State& st) {
  run_quad(st, a_hyp(), [](__float128 x) { return coshq(x) + sinhq(x); });
}
/// Binary peers take their second arguments in turn from b.
void quad_pow(benchmark::State& st) {
  std::vector<__float128> b;
  for (const DDReal& x : a_pow()) b.push_back(static_cast<__float128>(x.hi) + x.lo);
  std::size_t i = 0;
  run_quad(st, a_pos(), [&](__float128 x) { return powq(x, b[i++ % b.size()]); });
}
void quad_atan2(benchmark::State& st) {
  std::vector<__float128> b;
  for (const DDReal& x : b_ang()) b.push_back(static_cast<__float128>(x.hi) + x.lo);
  std::size_t i = 0;
  run_quad(st, a_ang(), [&](__float128 y) { return atan2q(y, b[i++ % b.size()]); });
}
void quad_erf(benchmark::State& st) { run_quad(st, a_erf(), [](__float128 x) { return erfq(x); }); }
void quad_gamma(benchmark::State& st) { run_quad(st, a_gam(), [](__float128 x) { return tgammaq(x); }); }

void mpfr_exp_(benchmark::State& st) { run_mpfr(st, a_exp(), [](mpfr_t r, mpfr_t x) { mpfr_exp(r, x, MPFR_RNDN); }); }
void mpfr_log_(benchmark::State& st) { run_mpfr(st, a_pos(), [](mpfr_t r, mpfr_t x) { mpfr_log(r, x, MPFR_RNDN); }); }
void mpfr_cos_sin(benchmark::State& st) {
  mpfr_t c;
  mpfr_init2(c, 106);
  run_mpfr(st, a_ang(), [&c](mpfr_t r, mpfr_t x) { mpfr_sin_cos(r, c, x, MPFR_RNDN); });
  mpfr_clear(c);
}
void mpfr_cosh_sinh(benchmark::State& st) {
  mpfr_t c;
  mpfr_init2(c, 106);
  run_mpfr(st, a_hyp(), [&c](mpfr_t r, mpfr_t x) { mpfr_sinh_cosh(r, c, x, MPFR_RNDN); });
  mpfr_clear(c);
}
void mpfr_pow_(benchmark::State& st) {
  dd::bench::MpVec b(a_pow());
  std::size_t i = 0;
  run_mpfr(st, a_pos(), [&](mpfr_t r, mpfr_t x) { mpfr_pow(r, x, b.v[i++ % b.v.size()], MPFR_RNDN); });
}
void mpfr_atan2_(benchmark::State& st) {
  dd::bench::MpVec b(b_ang());
  std::size_t i = 0;
  run_mpfr(st, a_ang(), [&](mpfr_t r, mpfr_t y) { mpfr_atan2(r, y, b.v[i++ % b.v.size()], MPFR_RNDN); });
}
void mpfr_erf_(benchmark::State& st) { run_mpfr(st, a_erf(), [](mpfr_t r, mpfr_t x) { mpfr_erf(r, x, MPFR_RNDN); }); }
void mpfr_gamma_(benchmark::State& st) {
  run_mpfr(st, a_gam(), [](mpfr_t r, mpfr_t x) { mpfr_gamma(r, x, MPFR_RNDN); });
}

// ---- Arb at 106 bits ------------------------------------------------------------------

#if defined(DD_BENCH_HAVE_ARB)
/// The arguments as exact Arb balls, released on destruction.
struct ArbVec {
  std::vector<arb_struct> v;
  explicit ArbVec(const std::vector<DDReal>& x) : v(x.size()) {
    arb_t lo;
    arb_init(lo);
    for (std::size_t i = 0; i < x.size(); ++i) {
      arb_init(&v[i]);
      arb_set_d(&v[i], x[i].hi);
      arb_set_d(lo, x[i].lo);
      arb_add(&v[i], &v[i], lo, 120);
    }
    arb_clear(lo);
  }
  ~ArbVec() {
    for (auto& a : v) arb_clear(&a);
  }
};

template <class F>
void run_arb(benchmark::State& st, const std::vector<DDReal>& a, F f) {
  ArbVec x(a);
  arb_t r, s;
  arb_init(r);
  arb_init(s);
  for (auto _ : st)
    for (auto& xi : x.v) {
      f(r, s, &xi);
      benchmark::DoNotOptimize(r);
    }
  per_call(st, static_cast<int>(a.size()));
  arb_clear(r);
  arb_clear(s);
}

constexpr slong kArbPrec = 106;
void arb_exp_(benchmark::State& st) { run_arb(st, a_exp(), [](arb_t r, arb_t, arb_t x) { arb_exp(r, x, kArbPrec); }); }
void arb_log_(benchmark::State& st) { run_arb(st, a_pos(), [](arb_t r, arb_t, arb_t x) { arb_log(r, x, kArbPrec); }); }
void arb_cos_sin(benchmark::State& st) {
  run_arb(st, a_ang(), [](arb_t r, arb_t s, arb_t x) { arb_sin_cos(s, r, x, kArbPrec); });
}
void arb_cosh_sinh(benchmark::State& st) {
  run_arb(st, a_hyp(), [](arb_t r, arb_t s, arb_t x) { arb_sinh_cosh(s, r, x, kArbPrec); });
}
void arb_erf_(benchmark::State& st) {
  run_arb(st, a_erf(), [](arb_t r, arb_t, arb_t x) { arb_hypgeom_erf(r, x, kArbPrec); });
}
void arb_gamma_(benchmark::State& st) {
  run_arb(st, a_gam(), [](arb_t r, arb_t, arb_t x) { arb_hypgeom_gamma(r, x, kArbPrec); });
}
void arb_atan2_(benchmark::State& st) {
  ArbVec b(b_ang());
  std::size_t i = 0;
  run_arb(st, a_ang(), [&](arb_t r, arb_t, arb_t y) {
    arb_atan2(r, y, &b.v[i], kArbPrec);
    i = (i + 1) % b.v.size();
  });
}
void arb_pow_(benchmark::State& st) {
  ArbVec b(a_pow());
  std::size_t i = 0;
  run_arb(st, a_pos(), [&](arb_t r, arb_t, arb_t a) {
    arb_pow(r, a, &b.v[i], kArbPrec);
    i = (i + 1) % b.v.size();
  });
}
#endif

// ---- kernels over arrays ----------------------------------------------------------------

/// The user's loop at this file's -O2 (restrict-qualified, as in bench_kernels).
template <class Op>
__attribute__((noinline)) void user_loop(const DDReal* __restrict a, const DDReal* __restrict b,
                                         DDReal* __restrict r, Op op) {
  for (int i = 0; i < kArray; ++i) r[i] = op(a[i], b[i]);
}

template <class F>
void run_array(benchmark::State& st, F f) {
  std::vector<DDReal> r(kArray);
  for (auto _ : st) {
    f(k_a().data(), k_b().data(), r.data());
    benchmark::DoNotOptimize(r.data());
    benchmark::ClobberMemory();
  }
  per_call(st, kArray);
}

#define DD_ARRAY_BENCH(OP, EXPR, BATCH, NATIVE)                                                           \
  void array_##OP##_batch(benchmark::State& st) {                                                         \
    run_array(st, [](const DDReal* a, const DDReal* b, DDReal* r) { BATCH; });                            \
  }                                                                                                       \
  void array_##OP##_user_O2(benchmark::State& st) {                                                       \
    run_array(st, [](const DDReal* a, const DDReal* b, DDReal* r) {                                       \
      user_loop(a, b, r, [](const DDReal& x, const DDReal& y) { return EXPR; });                          \
    });                                                                                                   \
  }                                                                                                       \
  void array_##OP##_user_native(benchmark::State& st) {                                                   \
    run_array(st, [](const DDReal* a, const DDReal* b, DDReal* r) { NATIVE; });                           \
  }                                                                                                       \
  BENCHMARK(array_##OP##_batch);                                                                          \
  BENCHMARK(array_##OP##_user_O2);                                                                        \
  BENCHMARK(array_##OP##_user_native)

using Span = std::span<const DDReal>;
using Out = std::span<DDReal>;
DD_ARRAY_BENCH(add, x + y, dd::batch::add(Span(a, kArray), Span(b, kArray), Out(r, kArray)),
               dd::bench::native::add(a, b, r, kArray));
DD_ARRAY_BENCH(mul, x * y, dd::batch::mul(Span(a, kArray), Span(b, kArray), Out(r, kArray)),
               dd::bench::native::mul(a, b, r, kArray));
DD_ARRAY_BENCH(div, x / y, dd::batch::div(Span(a, kArray), Span(b, kArray), Out(r, kArray)),
               dd::bench::native::div(a, b, r, kArray));
DD_ARRAY_BENCH(sqrt, (static_cast<void>(y), dd::sqrt(x)), dd::batch::sqrt(Span(a, kArray), Out(r, kArray)),
               dd::bench::native::sqrt(a, r, kArray));

}  // namespace

#define DD_PEERS(QUAD, MPFR, ARB) \
  BENCHMARK(QUAD);                  \
  BENCHMARK(MPFR);                  \
  DD_ARB(ARB)
#if defined(DD_BENCH_HAVE_ARB)
#define DD_ARB(F) BENCHMARK(F)
#else
#define DD_ARB(F)
#endif

BENCHMARK(batch_exp);
BENCHMARK(scalar_exp);
DD_PEERS(quad_exp, mpfr_exp_, arb_exp_);
BENCHMARK(batch_log);
BENCHMARK(scalar_log);
DD_PEERS(quad_log, mpfr_log_, arb_log_);
BENCHMARK(batch_pow);
BENCHMARK(scalar_pow);
DD_PEERS(quad_pow, mpfr_pow_, arb_pow_);
BENCHMARK(batch_cos_sin);
BENCHMARK(scalar_cos_sin);
DD_PEERS(quad_cos_sin, mpfr_cos_sin, arb_cos_sin);
BENCHMARK(batch_atan2);
BENCHMARK(scalar_atan2);
DD_PEERS(quad_atan2, mpfr_atan2_, arb_atan2_);
BENCHMARK(batch_cosh_sinh);
BENCHMARK(scalar_cosh_sinh);
DD_PEERS(quad_cosh_sinh, mpfr_cosh_sinh, arb_cosh_sinh);
BENCHMARK(batch_erf);
BENCHMARK(scalar_erf);
DD_PEERS(quad_erf, mpfr_erf_, arb_erf_);
BENCHMARK(batch_gamma);
BENCHMARK(scalar_gamma);
DD_PEERS(quad_gamma, mpfr_gamma_, arb_gamma_);

BENCHMARK_MAIN();
