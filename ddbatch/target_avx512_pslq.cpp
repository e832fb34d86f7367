// The reduction of the relation search in four lanes of 256 bits, compiled
// for AVX-512 (F, DQ and VL: cmake/batch.cmake): the same operations as the
// AVX2 lanes, with the 32 vector registers that AVX-512 gives to 256-bit
// code too, so the chain of each entry is not broken by spills.
#include "ddbatch/target.hpp"

#if defined(DD_BATCH_X86)
#define DD_LANES 4
#define DD_LANES_NS avx512_quad_lanes
#include "ddbatch/lanes_pslq.hpp"

namespace dd::batch::detail {

namespace {
void reduce_quad(DDReal* h, DDReal* tmat, DDReal* y, int n, double* scratch, int* nonzero) {
  const DD_LANES_NS::LeaveClean clean;
  DD_LANES_NS::reduce(h, tmat, y, n, scratch, nonzero);
}
}  // namespace

PslqReduce avx512_pslq_reduce() noexcept {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512vl") ? reduce_quad : avx2_table().pslq_reduce;
}

}  // namespace dd::batch::detail
#endif
