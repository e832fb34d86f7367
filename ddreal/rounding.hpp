// Nearest integer and integer/fraction split of a DDReal.
//
// Both add and subtract K = 2^105 + 2^52: the sum's lo word then lies near
// 2^52, where consecutive binary64 values are 1 apart, so its rounding drops
// the fraction (to nearest, ties to even).  No integer type is involved, so
// values far beyond the 64-bit range are handled.
#pragma once

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
}  // namespace detail

/// b = the integer nearest to a, ties to even.  Arguments with hi >= 2^105 stop.
inline void DDNINT(const DDReal& a, DDReal& b) {
  if (a.hi == 0.0) {
    b = DDReal(0.0, 0.0);
    return;
  }
  if (a.hi >= detail::kRoundBound) detail::fail(msg::kNintTooLarge);
  DDReal t;
  if (a.hi > 0.0) {
    DDADD(a, detail::kRoundK, t);
    DDSUB(t, detail::kRoundK, b);
  } else {
    DDSUB(a, detail::kRoundK, t);
    DDADD(t, detail::kRoundK, b);
  }
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
  if (x.hi > 0.0) {
    DDADD(x, detail::kRoundK, t);
    DDSUB(t, detail::kRoundK, t);
    if (t.hi > x.hi || (t.hi == x.hi && t.lo > x.lo)) DDSUB(t, DDReal(1.0, 0.0), t);
  } else {
    DDSUB(x, detail::kRoundK, t);
    DDADD(t, detail::kRoundK, t);
    if (!(t.hi > x.hi || (t.hi == x.hi && t.lo >= x.lo))) DDADD(t, DDReal(1.0, 0.0), t);
  }
  b = t;
  DDSUB(x, t, f);
}

}  // namespace dd
