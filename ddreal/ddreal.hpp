// The double-double real core: number format, kernels, integer power and
// n-th root, rounding, and the package's stop.
#pragma once

#include "ddreal/kernels.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddreal/rounding.hpp"
#include "ddreal/stop.hpp"
