// The stop test shared by the series of the special functions.
#pragma once

#include <cmath>
#include <initializer_list>
#include <limits>
#include <string_view>

#include "ddreal/kernels.hpp"
#include "ddreal/outfmt.hpp"

namespace dd::detail {

/// NaN in both words: the result of every routine given a NaN argument.
inline constexpr DDReal kNaNWords{std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN()};

/// True when either word of a is NaN.
inline bool is_nan(const DDReal& a) noexcept { return std::isnan(a.hi) || std::isnan(a.lo); }

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

namespace dd::detail {

/// Drives a series: calls step(k) for k = 1, 2, ..., max_terms until it
/// returns true (its newest terms no longer change the sums), and returns the
/// k at which it did.  A series that is still running after max_terms steps
/// stops the program with its routine's loop-end message (a template of
/// outfmt with the given items).  Every hand-written series loop of the
/// special functions goes through here, so the limit and the message cannot
/// drift apart from the loop.
template <class Step>
int run_series(int max_terms, std::string_view loop_end, Step&& step,
               std::initializer_list<FmtItem> items = {}) {
  for (int k = 1; k <= max_terms; ++k) {
    if (step(k)) return k;
  }
  fail(loop_end, items);
}

}  // namespace dd::detail
