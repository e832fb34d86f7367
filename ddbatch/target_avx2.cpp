// The batch routines in four AVX2 lanes.  This file is compiled with -mavx2
// and -mno-fma (cmake/batch.cmake) and runs only where the CPU has AVX2.
#include "ddbatch/target.hpp"

#if defined(DD_BATCH_X86)
#define DD_LANES 4
#define DD_LANES_NS avx2_lanes
#define DD_LANES_TABLE avx2_table
#define DD_LANES_NAME "avx2"
#define DD_LANES_PSLQ 1
#include "ddbatch/target_body.hpp"
#endif
