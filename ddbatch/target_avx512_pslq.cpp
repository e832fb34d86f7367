// The relation search's corner rotations and reduction for the AVX-512
// target, in four lanes of 256 bits compiled for AVX-512 F, DQ and VL
// (cmake/batch.cmake): the same operations as the AVX2 lanes, with the 32
// vector registers that AVX-512 gives to 256-bit code too, so fewer values
// are spilled.  Four lanes suit these steps on CPUs that split 512-bit
// operations in two (AMD Zen 4): a pair's rows and a diagonal's entries are
// few, and eight lanes would mostly compute padding.
#include "ddbatch/target.hpp"

#if defined(DD_BATCH_X86)
#define DD_LANES 4
#define DD_LANES_NS avx512_quad_lanes
#include "ddbatch/lanes_pslq.hpp"

namespace dd::batch::detail {

namespace {

void corner_quad(DDReal* h, int n, const int* ipair, int npairs) {
  const DD_LANES_NS::LeaveClean clean;
  DD_LANES_NS::corner(h, n, ipair, npairs);
}

void reduce_quad(DDReal* h, DDReal* tmat, DDReal* y, int n, double* scratch, int* nonzero) {
  const DD_LANES_NS::LeaveClean clean;
  DD_LANES_NS::reduce(h, tmat, y, n, scratch, nonzero);
}

bool has_vl() noexcept {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512vl");
}

}  // namespace

PslqCorner avx512_pslq_corner() noexcept { return has_vl() ? corner_quad : avx2_table().pslq_corner; }

PslqReduce avx512_pslq_reduce() noexcept { return has_vl() ? reduce_quad : avx2_table().pslq_reduce; }

}  // namespace dd::batch::detail
#endif
