// Helpers shared by the benchmark programs: prepared arguments, the per-call
// counter, and loops that time libquadmath and MPFR at 106 bits on the same
// arguments as a DDReal routine.
#pragma once

#include <benchmark/benchmark.h>
#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "ddreal/kernels.hpp"

namespace dd::bench {

/// Sets the "per_call" counter to the time of one call, for a benchmark that
/// makes `calls` calls per iteration.
inline void per_call(benchmark::State& state, int calls) {
  state.counters["per_call"] = benchmark::Counter(
      static_cast<double>(calls), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

/// count arguments with hi in [lo, hi) and a random low word, from a fixed
/// seed; with integers, whole numbers with a zero low word.
inline std::vector<DDReal> random_args(int count, double lo, double hi, std::uint64_t seed, bool integers = false) {
  std::mt19937_64 g(seed);
  std::uniform_real_distribution<double> u(lo, hi), f(-1.0, 1.0);
  std::vector<DDReal> v(static_cast<std::size_t>(count));
  for (auto& x : v) {
    const double h = integers ? std::floor(u(g)) : u(g);
    if (integers) {
      x = DDReal(h, 0.0);
    } else {
      detail::quick_two_sum(h, h * 0x1p-54 * f(g), x.hi, x.lo);
    }
  }
  return v;
}

/// MPFR numbers at 106 bits, released on destruction.
struct MpVec {
  std::vector<mpfr_t> v;
  explicit MpVec(const std::vector<DDReal>& x) : v(x.size()) {
    for (std::size_t i = 0; i < x.size(); ++i) {
      mpfr_init2(v[i], 106);
      mpfr_set_d(v[i], x[i].hi, MPFR_RNDN);
      mpfr_add_d(v[i], v[i], x[i].lo, MPFR_RNDN);
    }
  }
  explicit MpVec(std::size_t n) : v(n) {
    for (auto& m : v) mpfr_init2(m, 106);
  }
  ~MpVec() {
    for (auto& m : v) mpfr_clear(m);
  }
};

/// Times f(q) over the arguments converted to __float128.
template <class F>
void run_quad(benchmark::State& st, const std::vector<DDReal>& a, F f) {
  std::vector<__float128> q(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) q[i] = static_cast<__float128>(a[i].hi) + a[i].lo;
  for (auto _ : st)
    for (const __float128& x : q) benchmark::DoNotOptimize(f(x));
  per_call(st, static_cast<int>(a.size()));
}

/// Times f(r, x) over the arguments as MPFR numbers of 106 bits.
template <class F>
void run_mpfr(benchmark::State& st, const std::vector<DDReal>& a, F f) {
  std::vector<mpfr_t> x(a.size());
  mpfr_t r;
  mpfr_init2(r, 106);
  for (std::size_t i = 0; i < a.size(); ++i) {
    mpfr_init2(x[i], 106);
    mpfr_set_d(x[i], a[i].hi, MPFR_RNDN);
    mpfr_add_d(x[i], x[i], a[i].lo, MPFR_RNDN);
  }
  for (auto _ : st)
    for (auto& xi : x) {
      f(r, xi);
      benchmark::DoNotOptimize(r);
    }
  per_call(st, static_cast<int>(a.size()));
  for (auto& m : x) mpfr_clear(m);
  mpfr_clear(r);
}

}  // namespace dd::bench
