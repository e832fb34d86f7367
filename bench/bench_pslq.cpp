// One whole PSLQM1 search on the test program's vector (x(i) = alpha^(i-1),
// alpha = 3^(1/3) - 2^(1/3), n = 10, eps = 10^-29, rb = 20) at debug level 0:
// 57 iterations, relation found in row 4; the same with the SIMD lanes of the
// batch routines turned off (itermp's own loops, as on a CPU without them).
// Also one itermp call on the state after initmp, and initmp alone.
#include <benchmark/benchmark.h>

#include <vector>

#include "ddbatch/batch.hpp"
#include "ddtyped/real.hpp"
#include "pslq/pslq.hpp"

namespace {

using dd::DDReal;

constexpr int kN = 10;

std::vector<DDReal> test_vector() {
  const DDReal alpha = dd::nroot(dd::to_ddreal(3.0), 3) - dd::nroot(dd::to_ddreal(2.0), 3);
  std::vector<DDReal> x(kN);
  x[0] = dd::to_ddreal(1.0);
  for (int i = 1; i < kN; ++i) x[i] = alpha * x[i - 1];
  return x;
}

void pslqm1_test_vector(benchmark::State& state) {
  const std::vector<DDReal> x = test_vector();
  const DDReal eps = dd::pow(dd::to_ddreal(10.0), -29);
  std::vector<DDReal> rel(kN);
  int ifound = 0;
  for (auto _ : state) {
    dd::PSLQM1(0, kN, 20.0, eps, x.data(), ifound, rel.data());
    benchmark::DoNotOptimize(rel.data());
  }
  if (ifound != 1) state.SkipWithError("no relation found");
}
BENCHMARK(pslqm1_test_vector)->Unit(benchmark::kMicrosecond);

void pslqm1_test_vector_scalar_loops(benchmark::State& state) {
  const dd::batch::target before = dd::batch::active();
  dd::batch::use(dd::batch::target::scalar);
  pslqm1_test_vector(state);
  dd::batch::use(before);
}
BENCHMARK(pslqm1_test_vector_scalar_loops)->Unit(benchmark::kMicrosecond);

void initmp_test_vector(benchmark::State& state) {
  const std::vector<DDReal> x = test_vector();
  std::vector<DDReal> b(kN * kN), h(kN * kN), ysave(kN * dd::pslq::kNsave), y(kN);
  for (auto _ : state) {
    dd::initmp(0, kN, dd::pslq::kNsave, b.data(), h.data(), ysave.data(), x.data(), y.data());
    benchmark::DoNotOptimize(h.data());
  }
}
BENCHMARK(initmp_test_vector);

// The first iteration, from a fresh copy of the starting state each time
// (the copy is inside the timing; it is small beside the iteration).
void itermp_first_iteration(benchmark::State& state) {
  const std::vector<DDReal> x = test_vector();
  const DDReal eps = dd::pow(dd::to_ddreal(10.0), -29);
  std::vector<DDReal> b0(kN * kN), h0(kN * kN), s0(kN * dd::pslq::kNsave), y0(kN);
  dd::initmp(0, kN, dd::pslq::kNsave, b0.data(), h0.data(), s0.data(), x.data(), y0.data());
  std::vector<DDReal> b, h, s, y;
  for (auto _ : state) {
    b = b0;
    h = h0;
    s = s0;
    y = y0;
    int dupflag = 0, istatus = 0;
    dd::itermp(0, 1, kN, dd::pslq::kNsave, eps, b.data(), h.data(), s.data(), y.data(), dupflag, istatus);
    benchmark::DoNotOptimize(y.data());
  }
}
BENCHMARK(itermp_first_iteration);

}  // namespace

BENCHMARK_MAIN();
