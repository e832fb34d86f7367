// Decimal output: digit strings, E- and F-format text and the line writer.
#pragma once

#include "ddio/digits.hpp"
#include "ddio/eformat.hpp"
#include "ddio/ewrite.hpp"
#include "ddio/fformat.hpp"
