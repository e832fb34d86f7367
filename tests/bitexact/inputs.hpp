// Inputs of the bit-exactness programs: a fixed pseudo-random stream and
// generators of DDReal arguments over the ranges the routines are run on.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "ddreal/kernels.hpp"

namespace dd::bitexact {

// ---- fixed pseudo-random source (splitmix64: the same stream everywhere) ----

class Rng {
 public:
  explicit Rng(std::uint64_t seed) : s_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (s_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  /// Uniform integer in [lo, hi].
  int integer(int lo, int hi) {
    const std::uint64_t span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo) + 1;
    return static_cast<int>(lo + static_cast<std::int64_t>(next() % span));
  }
  /// A binary64 with a random 53-bit significand in [1, 2).
  double mantissa() { return 1.0 + static_cast<double>(next() >> 12) * 0x1p-52; }

 private:
  std::uint64_t s_;
};

// ---- input generators ---------------------------------------------------------

namespace gen {

/// A normalised DDReal with |hi| in [2^emin, 2^emax), random sign unless positive.
inline DDReal make(Rng& r, int emin, int emax, bool positive) {
  // One draw per statement: the order of a call's arguments is unspecified
  // (GCC and Clang differ), and every compiler must draw the same inputs.
  const int e = r.integer(emin, emax - 1);
  double hi = std::ldexp(r.mantissa(), e);
  if (!positive && (r.next() & 1) != 0) hi = -hi;
  const double lo = hi * 0x1p-53 * (r.mantissa() - 1.5) * 2.0;
  DDReal a;
  detail::quick_two_sum(hi, lo, a.hi, a.lo);
  return a;
}

/// Now and then a special operand: signed zeros, infinities, extreme magnitudes.
inline bool special(Rng& r, DDReal& a) {
  if (r.next() % 32 != 0) return false;
  static const DDReal kSpecial[] = {
      {0.0, 0.0}, {-0.0, -0.0}, {-0.0, 0.0}, {0.0, 1e-300}, {1.0, 0.0}, {-1.0, 0.0},
      {std::numeric_limits<double>::infinity(), 0.0}, {-std::numeric_limits<double>::infinity(), 0.0},
      {0x1p-1000, 0x1p-1060}, {1e300, 1e283}, {0x1.fffffffffffffp1023, 0.0}, {4.9e-324, 0.0},
  };
  a = kSpecial[r.next() % (sizeof kSpecial / sizeof kSpecial[0])];
  return true;
}

/// Any magnitude from 2^-1000 to 2^1000, specials included.
inline DDReal wide(Rng& r) {
  DDReal a;
  return special(r, a) ? a : make(r, -1000, 1000, false);
}
/// Magnitudes that keep products and quotients in range.
inline DDReal mid(Rng& r) {
  DDReal a;
  return special(r, a) ? a : make(r, -480, 480, false);
}
/// |a| in [2^-40, 2^40).
inline DDReal moderate(Rng& r) { return make(r, -40, 40, false); }
/// a in (0, 2^40), no specials.
inline DDReal positive(Rng& r) { return make(r, -40, 40, true); }
/// Wide positive magnitudes.
inline DDReal positive_wide(Rng& r) { return make(r, -1000, 1000, true); }
/// |a| below 2^104: the range of the rounding routines, fractions in the lo word included.
inline DDReal roundable(Rng& r) {
  DDReal a = make(r, -4, 104, false);
  if (r.next() % 4 == 0) a.hi = std::trunc(a.hi) + 0.5 * static_cast<double>(r.integer(-1, 1));  // ties
  return a;
}
/// |a| in [2^-8, 2^6): arguments of the elementary and special functions.
inline DDReal small(Rng& r) { return make(r, -8, 6, false); }
/// a in (0, 2^6).
inline DDReal small_positive(Rng& r) { return make(r, -8, 6, true); }
/// |a| in [2^-4, 2^4), for integer powers up to |n| = 60.
inline DDReal base(Rng& r) { return make(r, -4, 4, false); }
/// a uniform in [lo, hi) with a random low word.
inline DDReal between(Rng& r, double lo, double hi) {
  const double x = lo + (hi - lo) * (r.mantissa() - 1.0);
  const double f = r.mantissa() - 1.5;
  DDReal a;
  detail::quick_two_sum(x, x * 0x1p-54 * f, a.hi, a.lo);
  return a;
}
/// 1 + d with |d| in [2^emin, 2^emax), either sign.
inline DDReal near_one(Rng& r, int emin, int emax) {
  DDReal a;
  DDADD(DDReal(1.0), make(r, emin, emax, false), a);
  return a;
}
/// k pi/2 + d (k below 2^kbits, |d| in [2^-100, 2^-3)): next to the zeros of
/// the cosine and the sine.
inline DDReal near_half_pi(Rng& r, int kbits) {
  const DDReal half_pi(1.5707963267948966, 6.123233995736766e-17);
  DDReal a;
  DDMULD(half_pi, std::trunc(std::ldexp(r.mantissa() - 1.0, kbits)), a);
  DDADD(a, make(r, -100, -3, false), a);
  return a;
}
/// Magnitudes from 2^-1074 to 2^1023, both signs, no specials.
inline DDReal full(Rng& r) {
  DDReal a = make(r, -1020, 1023, false);
  if (r.next() % 16 == 0) {
    const int e = r.integer(-1074, -1023);
    const double m = std::ldexp(r.mantissa(), e);
    a = DDReal((r.next() & 1) ? -m : m);
  }
  return a;
}

}  // namespace gen

using Gen = DDReal (*)(Rng&);

}  // namespace dd::bitexact
