// The stop test shared by the series of the special functions.
#pragma once

#include <cmath>

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

/// The fallback stop of a series whose terms cannot fall to 2^-106 of a
/// partial sum that is much smaller than the whole result (the sum then
/// cancels against other parts): the partial sum at the first term within
/// 2^-106 of `whole`, the size of the whole result.  The literal stop test
/// keeps priority; this sum serves only when that test is never met.
struct SeriesFallback {
  double whole;
  bool have = false;
  DDReal sum{0.0, 0.0};

  /// Records sum when term is the first one negligible against the whole.
  void note(const DDReal& term, const DDReal& partial) noexcept {
    if (!have && std::fabs(term.hi) <= 0x1p-106 * whole) {
      have = true;
      sum = partial;
    }
  }
};

}  // namespace dd::detail
