// The kernels over arrays as a user's own loop would run them, compiled with
// -O3 -march=native (bench/CMakeLists.txt): the yardstick of the batch
// kernels in bench_batch.  restrict-qualified, as in bench_kernels.
#include "bench/native/array_loops.hpp"

#include "ddtyped/real.hpp"

namespace dd::bench::native {

void add(const DDReal* __restrict a, const DDReal* __restrict b, DDReal* __restrict r, int n) {
  for (int i = 0; i < n; ++i) r[i] = a[i] + b[i];
}
void mul(const DDReal* __restrict a, const DDReal* __restrict b, DDReal* __restrict r, int n) {
  for (int i = 0; i < n; ++i) r[i] = a[i] * b[i];
}
void div(const DDReal* __restrict a, const DDReal* __restrict b, DDReal* __restrict r, int n) {
  for (int i = 0; i < n; ++i) r[i] = a[i] / b[i];
}
void sqrt(const DDReal* __restrict a, DDReal* __restrict r, int n) {
  for (int i = 0; i < n; ++i) r[i] = dd::sqrt(a[i]);
}

}  // namespace dd::bench::native
