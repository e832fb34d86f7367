// Even Bernoulli numbers and truncated power series.
//
// The even-Bernoulli table is an array of NB2 DDReal values passed as a
// pointer to its entry 1: table[k-1] holds B(2k), so table[0] = 1/6,
// table[1] = -1/30, table[2] = 1/42, ...  DDBERNER fills it; the zeta,
// Hurwitz zeta, polygamma and digamma routines that take it check it first
// with detail::check_bernoulli_table.
//
// A truncated power series of degree m is an array of m + 1 DDReal values
// indexed from 0 (entry k is the coefficient of the k-th power).
#pragma once

#include <cmath>

#include "ddreal/kernels.hpp"
#include "ddreal/outfmt.hpp"

namespace dd {

namespace msg {
inline constexpr char kBernerLoopEnd[] = "('*** DDBERNER: Loop end error')";
inline constexpr char kBernerRange[] =
    "('*** DDBERNER: NB2 must be at least 1 and at most',i4,'; it is',i12)";
}  // namespace msg

/// The largest table DDBERNER fills.  B(2*NB2) grows like 2 (2 NB2)! / (2 pi)^(2 NB2);
/// at NB2 = 120 it is about 2e277, so every entry and the scaled factorial
/// that forms it stay well inside the range where the kernels can split a word
/// (about 1.34e300).  Consumers converge long before entry 60.
inline constexpr int kBernerMaxNB2 = 120;

/// c(k) = a(k) + b(k) for k = 0 .. m.  c may be the same array as a or b.
inline void DDSERADD(int m, const DDReal* a, const DDReal* b, DDReal* c) noexcept {
  for (int k = 0; k <= m; ++k) {
    const DDReal x = a[k];
    const DDReal y = b[k];
    DDADD(x, y, c[k]);
  }
}

/// c(k) = a(k) - b(k) for k = 0 .. m.  c may be the same array as a or b.
inline void DDSERSUB(int m, const DDReal* a, const DDReal* b, DDReal* c) noexcept {
  for (int k = 0; k <= m; ++k) {
    const DDReal x = a[k];
    const DDReal y = b[k];
    DDSUB(x, y, c[k]);
  }
}

/// c = a * b truncated at degree m: c(k) = sum_{j=0..k} a(j) b(k-j), summed
/// from zero in increasing j.  c must be a third array (a and b are read for
/// later k after c(k) is written).
inline void DDSERMUL(int m, const DDReal* a, const DDReal* b, DDReal* c) noexcept {
  for (int k = 0; k <= m; ++k) {
    DDReal sum(0.0, 0.0);
    for (int j = 0; j <= k; ++j) {
      DDReal t;
      DDMUL(a[j], b[k - j], t);
      DDADD(sum, t, sum);
    }
    c[k] = sum;
  }
}

/// Fills table[0 .. NB2-1] with B(2), B(4), ..., B(2 NB2).  NB2 outside
/// 1 .. kBernerMaxNB2 stops with a message.
void DDBERNER(int NB2, DDReal* table);

namespace detail {

/// The test every consumer of the even-Bernoulli table makes before anything
/// else: the table must hold at least `minimum` entries and its entry 1 must
/// be 1/6 to within 2^-50 (so an unfilled table is refused).  On failure,
/// prints message (which takes the minimum in its i8 field) and stops.  NB2
/// is looked at first, so an empty table is never read.
inline void check_bernoulli_table(int NB2, const DDReal* table, int minimum, const char* message) {
  constexpr double kSixth = 0.16666666666666666;
  constexpr double kTolerance = 8.881784197001252e-16;  // 2^-50
  if (NB2 < minimum || !(std::fabs(table[0].hi - kSixth) <= kTolerance)) {
    fail(message, {minimum});
  }
}

}  // namespace detail
}  // namespace dd
