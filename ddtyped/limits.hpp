// std::numeric_limits<dd::DDReal> and the <numbers> constants for DDReal are
// declared beside the type itself (ddreal/kernels.hpp); this header stays
// for the programs that include it by name.
#pragma once

#include "ddreal/kernels.hpp"
