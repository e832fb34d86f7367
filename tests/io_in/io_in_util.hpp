// Helpers shared by the decimal input tests.
#pragma once

#include <mpfr.h>

#include <cstring>
#include <string>

#include "dd.hpp"
#include "support/mpfr_ref.hpp"

namespace dd::test {

/// The exact decimal value of text (C syntax; "d" exponents are not needed here) at 400 bits.
inline double rel_error_to_decimal(const DDReal& got, const std::string& text) {
  Mp want(400);
  mpfr_set_str(want.get(), text.c_str(), 10, MPFR_RNDN);
  return rel_error(got, want);
}

inline bool same_bits(const DDReal& a, const DDReal& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace dd::test
