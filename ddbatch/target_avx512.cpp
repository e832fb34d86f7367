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
#include "ddbatch/target_body.hpp"
#endif
