// Helpers shared by the decimal input tests.
#pragma once

#include <mpfr.h>

#include <string>

#include "dd.hpp"
#include "support/mpfr_ref.hpp"
#include "support/words.hpp"

namespace dd::test {

/// The exact decimal value of text (C syntax; "d" exponents are not needed here) at 400 bits.
inline double rel_error_to_decimal(const DDReal& got, const std::string& text) {
  Mp want(400);
  mpfr_set_str(want.get(), text.c_str(), 10, MPFR_RNDN);
  return rel_error(got, want);
}

}  // namespace dd::test
