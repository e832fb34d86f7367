// Digit strings, decimal input, E- and F-format output, the line writer and
// numbered input/output units.
#pragma once

#include "ddio/units.hpp"
#include "ddio/output.hpp"
#include "ddio/input.hpp"
