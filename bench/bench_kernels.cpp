// Throughput and latency of the double-double kernels, the same operations
// through the typed operators, the power, root, rounding and E-format routines, and
// beside them __float128 (libquadmath) and MPFR at 106 bits.
//
// "array" benchmarks run c[i] = a[i] op b[i] over 1024 elements (independent
// operations: throughput); "chain" benchmarks feed each result into the next
// operation (latency).  The per_op counter is the time of one operation.
#include <benchmark/benchmark.h>
#include <mpfr.h>
#include <quadmath.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "ddio/eformat.hpp"
#include "ddtyped/real.hpp"

namespace {

using dd::DDReal;

constexpr int kN = 1024;

/// Operands of moderate size (|x| in [0.5, 2)), normalised, fixed seed.
struct Inputs {
  std::vector<DDReal> a, b, c;
  Inputs() : a(kN), b(kN), c(kN) {
    std::mt19937_64 g(42);
    std::uniform_real_distribution<double> m(0.5, 2.0), f(-1.0, 1.0);
    for (int i = 0; i < kN; ++i) {
      for (DDReal* x : {&a[i], &b[i]}) {
        const double hi = m(g);
        dd::detail::quick_two_sum(hi, hi * 0x1p-53 * f(g), x->hi, x->lo);
      }
    }
  }
};

Inputs& inputs() {
  static Inputs in;
  return in;
}

void per_op(benchmark::State& state, std::int64_t ops_per_iteration) {
  state.counters["per_op"] = benchmark::Counter(static_cast<double>(ops_per_iteration),
                                                benchmark::Counter::kIsIterationInvariantRate |
                                                    benchmark::Counter::kInvert);
}

// ---- kernels over arrays ----------------------------------------------------------
// The loop lives in a function whose array parameters are restrict-qualified,
// as a user's array routine would be: then GCC vectorises it without a
// run-time overlap check, which its -O2 cost model does not allow.

template <class T, class Op>
__attribute__((noinline)) void over_arrays(const T* __restrict a, const T* __restrict b, T* __restrict c, Op op) {
  for (int i = 0; i < kN; ++i) op(a[i], b[i], c[i]);
}

#define DD_ARRAY_BENCH(NAME, STMT)                                                                  \
  void NAME(benchmark::State& state) {                                                              \
    Inputs& in = inputs();                                                                          \
    for (auto _ : state) {                                                                          \
      over_arrays(in.a.data(), in.b.data(), in.c.data(),                                            \
                  [](const DDReal& x, const DDReal& y, DDReal& z) { STMT; });                       \
      benchmark::DoNotOptimize(in.c.data());                                                        \
      benchmark::ClobberMemory();                                                                   \
    }                                                                                               \
    per_op(state, kN);                                                                              \
  }                                                                                                 \
  BENCHMARK(NAME)

DD_ARRAY_BENCH(array_DDADD, dd::DDADD(x, y, z));
DD_ARRAY_BENCH(array_DDMUL, dd::DDMUL(x, y, z));
DD_ARRAY_BENCH(array_DDDIV, dd::DDDIV(x, y, z));
DD_ARRAY_BENCH(array_DDSQRT, dd::DDSQRT(x, z));
DD_ARRAY_BENCH(array_op_add, z = x + y);
DD_ARRAY_BENCH(array_op_mul, z = x * y);
DD_ARRAY_BENCH(array_op_div, z = x / y);
DD_ARRAY_BENCH(array_op_sqrt, z = dd::sqrt(x));
DD_ARRAY_BENCH(array_DDNINT, dd::DDNINT(x * 1e6, z));

// ---- dependent chains ---------------------------------------------------------------
// Each step uses the previous result, with a new operand from the array, so
// the time is the latency of one operation.  The operands keep x near 1.

#define DD_CHAIN_BENCH(NAME, STMT)                                   \
  void NAME(benchmark::State& state) {                               \
    Inputs& in = inputs();                                           \
    const DDReal* b = in.b.data();                                   \
    DDReal x(1.0, 0.0);                                              \
    for (auto _ : state) {                                           \
      for (int i = 0; i < kN; ++i) { STMT; }                         \
      benchmark::DoNotOptimize(x);                                   \
    }                                                                \
    per_op(state, kN);                                               \
  }                                                                  \
  BENCHMARK(NAME)

// add: alternate signs so that x stays bounded.
DD_CHAIN_BENCH(chain_DDADD, dd::DDADD(x, (i & 1) ? b[i] : -b[i], x));
DD_CHAIN_BENCH(chain_DDMUL, { dd::DDMUL(x, b[i], x); if (!(x.hi < 1e30 && x.hi > 1e-30)) x = DDReal(1.0); });
DD_CHAIN_BENCH(chain_DDDIV, { dd::DDDIV(x, b[i], x); if (!(x.hi < 1e30 && x.hi > 1e-30)) x = DDReal(1.0); });
DD_CHAIN_BENCH(chain_DDSQRT, { dd::DDSQRT(x, x); dd::DDADD(x, b[i], x); });
DD_CHAIN_BENCH(chain_op_add, x = x + ((i & 1) ? b[i] : -b[i]));
DD_CHAIN_BENCH(chain_op_mul, { x = x * b[i]; if (!(x.hi < 1e30 && x.hi > 1e-30)) x = DDReal(1.0); });
DD_CHAIN_BENCH(chain_op_div, { x = x / b[i]; if (!(x.hi < 1e30 && x.hi > 1e-30)) x = DDReal(1.0); });
DD_CHAIN_BENCH(chain_op_sqrt, x = dd::sqrt(x) + b[i]);

// ---- powers, roots, rounding ----------------------------------------------------------

void routine_DDNPWR(benchmark::State& state) {
  Inputs& in = inputs();
  const int n = static_cast<int>(state.range(0));
  int i = 0;
  for (auto _ : state) {
    DDReal r;
    dd::DDNPWR(in.a[i], n, r);
    benchmark::DoNotOptimize(r);
    i = (i + 1) & (kN - 1);
  }
}
BENCHMARK(routine_DDNPWR)->Arg(3)->Arg(29)->Arg(-29)->Arg(1000);

void routine_DDNRT(benchmark::State& state) {
  Inputs& in = inputs();
  const int n = static_cast<int>(state.range(0));
  int i = 0;
  for (auto _ : state) {
    DDReal r;
    dd::DDNRT(in.a[i], n, r);
    benchmark::DoNotOptimize(r);
    i = (i + 1) & (kN - 1);
  }
}
BENCHMARK(routine_DDNRT)->Arg(3)->Arg(10);

void routine_DDNINT(benchmark::State& state) {
  Inputs& in = inputs();
  int i = 0;
  for (auto _ : state) {
    DDReal r;
    dd::DDNINT(in.a[i] * 1e6, r);
    benchmark::DoNotOptimize(r);
    i = (i + 1) & (kN - 1);
  }
}
BENCHMARK(routine_DDNINT);

void routine_DDEFORMAT(benchmark::State& state) {
  Inputs& in = inputs();
  const int nd = static_cast<int>(state.range(0));
  std::vector<char> field(static_cast<std::size_t>(nd + 10));
  int i = 0;
  for (auto _ : state) {
    dd::DDEFORMAT(in.a[i], nd + 10, nd, field.data());
    benchmark::DoNotOptimize(field.data());
    benchmark::ClobberMemory();
    i = (i + 1) & (kN - 1);
  }
}
BENCHMARK(routine_DDEFORMAT)->Arg(10)->Arg(32);

// ---- __float128 ----------------------------------------------------------------------

struct QuadInputs {
  std::vector<__float128> a, b, c;
  QuadInputs() : a(kN), b(kN), c(kN) {
    Inputs& in = inputs();
    for (int i = 0; i < kN; ++i) {
      a[i] = static_cast<__float128>(in.a[i].hi) + in.a[i].lo;
      b[i] = static_cast<__float128>(in.b[i].hi) + in.b[i].lo;
    }
  }
};

#define QUAD_ARRAY_BENCH(NAME, STMT)                                                                \
  void NAME(benchmark::State& state) {                                                              \
    static QuadInputs q;                                                                            \
    for (auto _ : state) {                                                                          \
      over_arrays(q.a.data(), q.b.data(), q.c.data(),                                               \
                  [](const __float128& x, const __float128& y, __float128& z) { STMT; });           \
      benchmark::DoNotOptimize(q.c.data());                                                         \
      benchmark::ClobberMemory();                                                                   \
    }                                                                                               \
    per_op(state, kN);                                                                              \
  }                                                                                                 \
  BENCHMARK(NAME)

QUAD_ARRAY_BENCH(array_float128_add, z = x + y);
QUAD_ARRAY_BENCH(array_float128_mul, z = x * y);
QUAD_ARRAY_BENCH(array_float128_div, z = x / y);
QUAD_ARRAY_BENCH(array_float128_sqrt, z = sqrtq(x));

// ---- MPFR at 106 bits -------------------------------------------------------------------

struct MpfrInputs {
  std::vector<mpfr_t> a, b, c;
  MpfrInputs() : a(kN), b(kN), c(kN) {
    Inputs& in = inputs();
    for (int i = 0; i < kN; ++i) {
      mpfr_inits2(106, a[i], b[i], c[i], static_cast<mpfr_ptr>(nullptr));
      mpfr_set_d(a[i], in.a[i].hi, MPFR_RNDN);
      mpfr_add_d(a[i], a[i], in.a[i].lo, MPFR_RNDN);
      mpfr_set_d(b[i], in.b[i].hi, MPFR_RNDN);
      mpfr_add_d(b[i], b[i], in.b[i].lo, MPFR_RNDN);
    }
  }
  ~MpfrInputs() {
    for (int i = 0; i < kN; ++i) mpfr_clears(a[i], b[i], c[i], static_cast<mpfr_ptr>(nullptr));
  }
};

#define MPFR_ARRAY_BENCH(NAME, STMT)                                 \
  void NAME(benchmark::State& state) {                               \
    static MpfrInputs m;                                             \
    for (auto _ : state) {                                           \
      for (int i = 0; i < kN; ++i) { STMT; }                         \
      benchmark::ClobberMemory();                                    \
    }                                                                \
    per_op(state, kN);                                               \
  }                                                                  \
  BENCHMARK(NAME)

MPFR_ARRAY_BENCH(array_mpfr106_add, mpfr_add(m.c[i], m.a[i], m.b[i], MPFR_RNDN));
MPFR_ARRAY_BENCH(array_mpfr106_mul, mpfr_mul(m.c[i], m.a[i], m.b[i], MPFR_RNDN));
MPFR_ARRAY_BENCH(array_mpfr106_div, mpfr_div(m.c[i], m.a[i], m.b[i], MPFR_RNDN));
MPFR_ARRAY_BENCH(array_mpfr106_sqrt, mpfr_sqrt(m.c[i], m.a[i], MPFR_RNDN));

}  // namespace

BENCHMARK_MAIN();
