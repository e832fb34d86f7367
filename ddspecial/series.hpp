// The stop test shared by the series of the special functions.
#pragma once

#include "ddreal/kernels.hpp"

namespace dd::detail {

/// The relative stop tolerance of the series: 2^-106, exactly the value
/// DDNPWR gives for 2 to the power -106.
inline constexpr DDReal kSeriesEps{0x1p-106, 0.0};

/// True when |term| <= |eps * sum| by the three-way comparison: the newest
/// term no longer changes the sum at working precision.
inline bool negligible(const DDReal& term, const DDReal& eps, const DDReal& sum) noexcept {
  DDReal at, es;
  DDABS(term, at);
  DDMUL(eps, sum, es);
  DDABS(es, es);
  int ic;
  DDCOMPARE(at, es, ic);
  return ic <= 0;
}

}  // namespace dd::detail
