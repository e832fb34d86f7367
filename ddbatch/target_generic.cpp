// The batch routines in four lanes of portable vector code: the compiler maps
// them to the baseline instruction set (two SSE2 halves on x86-64).
#define DD_LANES 4
#define DD_LANES_NS generic_lanes
#define DD_LANES_TABLE generic_table
#define DD_LANES_NAME "generic"
#define DD_LANES_PSLQ 0
#include "ddbatch/target_body.hpp"
