// The batch routines in eight AVX-512 lanes.  This file is compiled with
// -mavx512f -mavx512dq (and -mno-fma where the compiler allows it:
// cmake/batch.cmake) and runs only where the CPU has AVX-512 F and DQ.
#include "ddbatch/target.hpp"

#if defined(DD_BATCH_X86)
#define DD_LANES 8
#define DD_LANES_NS avx512_lanes
#define DD_LANES_TABLE avx512_table
#define DD_LANES_NAME "avx512"
#define DD_LANES_PSLQ 1
// The relation search's steps run in four lanes (ddbatch/target_avx512_pslq.cpp):
// its diagonals and rows are short and its time is the latency of each
// entry's chain of subtractions, which eight lanes do not shorten; the 4-lane
// reduction took 0.45 to 0.55 us per iteration on the test program's vector
// against 0.62 to 0.72 us for the 8-lane code (AMD Zen 4, which splits
// 512-bit operations), and the 4-lane corners take about 1.5% off the whole
// search beside the 8-lane ones.
#define DD_LANES_PSLQ_CORNER avx512_pslq_corner()
#define DD_LANES_PSLQ_REDUCE avx512_pslq_reduce()
#include "ddbatch/target_body.hpp"
#endif
