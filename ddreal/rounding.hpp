// Nearest integer and integer/fraction split of a DDReal.
//
// Both add and subtract K = 2^105 + 2^52: the sum's lo word then lies near
// 2^52, where consecutive binary64 values are 1 apart, so its rounding drops
// the fraction (to nearest, ties to even).  No integer type is involved, so
// values far beyond the 64-bit range are handled.
#pragma once

#include <cmath>

#include "ddreal/kernels.hpp"
#include "ddreal/outfmt.hpp"

namespace dd {

namespace msg {
inline constexpr char kNintTooLarge[] = "('*** DDNINT: Argument is too large.')";
inline constexpr char kInfrTooLarge[] = "('*** DDINFR: Argument is too large.')";
}  // namespace msg

namespace detail {
/// The rounding constant (2^105, 2^52) and the bound 2^105 on accepted arguments.
inline constexpr DDReal kRoundK{40564819207303340847894502572032.0, 4503599627370496.0};
inline constexpr double kRoundBound = 40564819207303340847894502572032.0;

/// The nearest integer to a (ties to even), formed from the words directly,
/// for a.hi with 0 < |a.hi| < 2^105.  Below 2^52 the hi word is rounded and
/// the lo word only breaks an exact tie of hi; from 2^52 on hi is already
/// whole and the fraction lies in the lo word.
inline DDReal nearest_from_words(const DDReal& a) noexcept {
  if (std::fabs(a.hi) < 0x1p52) {
    double r = std::nearbyint(a.hi);
    const double d = a.hi - r;  // exact
    if (d == 0.5 && a.lo > 0.0) r = r + 1.0;
    if (d == -0.5 && a.lo < 0.0) r = r - 1.0;
    return DDReal(r, 0.0);
  }
  double r = std::nearbyint(a.lo);
  const double d = a.lo - r;  // exact
  // A tie went to an even lo; the whole value must be even, and hi is odd only below 2^53.
  if ((d == 0.5 || d == -0.5) && std::fmod(a.hi, 2.0) != 0.0) r = r + 2.0 * d;
  DDReal b;
  quick_two_sum(a.hi, r, b.hi, b.lo);
  return b;
}

/// The nearest integer to a, for 0 < |a.hi| < 2^105: the K sequence below,
/// kept wherever it gives the nearest integer.  It relies on the lo word of
/// the sum lying in [2^52, 2^53], where binary64 spacing is 1; that fails
/// when the fraction is carried by a negative lo word of a value of 2^52 or
/// more (for (2^60, -0.5) the sequence returns 2^60 - 0.5 itself), and a tie
/// of the hi word is decided without the lo word below 2^52 (it rounds
/// (0.5, 1e-20) to 0).  Those cases take the nearest integer from the words.
inline void round_k(const DDReal& a, DDReal& b) noexcept {
  DDReal t;
  if (a.hi > 0.0) {
    DDADD(a, kRoundK, t);
    DDSUB(t, kRoundK, t);
  } else {
    DDSUB(a, kRoundK, t);
    DDADD(t, kRoundK, t);
  }
  if (std::fabs(a.hi) >= 0x1p52) {
    const DDReal n = nearest_from_words(a);
    if (n.hi != t.hi || n.lo != t.lo) t = n;
  } else if (a.lo != 0.0 && std::fabs(a.hi - t.hi) == 0.5) {
    // Below 2^52 the sequence gives (hi rounded to an integer, 0): a tie of hi
    // shows as a distance of exactly one half.
    t = nearest_from_words(a);
  }
  b = t;
}
}  // namespace detail

/// b = the integer nearest to a, ties to even.  Arguments with hi >= 2^105 stop.
inline void DDNINT(const DDReal& a, DDReal& b) {
  if (a.hi == 0.0) {
    b = DDReal(0.0, 0.0);
    return;
  }
  if (a.hi >= detail::kRoundBound) detail::fail(msg::kNintTooLarge);
  detail::round_k(a, b);
}

/// b = integer part of a (toward zero), f = a - b.  Arguments with hi >= 2^105 stop.
inline void DDINFR(const DDReal& a, DDReal& b, DDReal& f) {
  if (a.hi == 0.0) {
    b = DDReal(0.0, 0.0);
    f = DDReal(0.0, 0.0);
    return;
  }
  if (a.hi >= detail::kRoundBound) detail::fail(msg::kInfrTooLarge);
  const DDReal x = a;  // b may share storage with a
  DDReal t;
  detail::round_k(x, t);
  if (x.hi > 0.0) {
    if (t.hi > x.hi || (t.hi == x.hi && t.lo > x.lo)) DDSUB(t, DDReal(1.0, 0.0), t);
  } else {
    if (!(t.hi > x.hi || (t.hi == x.hi && t.lo >= x.lo))) DDADD(t, DDReal(1.0, 0.0), t);
  }
  b = t;
  DDSUB(x, t, f);
}

}  // namespace dd
