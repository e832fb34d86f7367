// The round trip both fuzz targets check: the shortest text of a pair reads
// back as the same two words.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ddtyped/charconv.hpp"

namespace dd::fuzz {

/// Aborts (a finding) unless from_chars(to_chars(v)) gives v's words back; v
/// is a normalised finite pair (a zero lo word may have either sign).
inline void expect_round_trip(const DDReal& v) {
  char buf[1200];
  const auto w = to_chars(buf, buf + sizeof buf, v);
  DDReal back(0.0, 0.0);
  const auto r = from_chars(buf, w.ptr, back);
  const DDReal want(v.hi, v.lo == 0.0 ? 0.0 : v.lo);
  if (w.ec != std::errc() || r.ec != std::errc() || r.ptr != w.ptr || std::memcmp(&back, &want, sizeof want) != 0) {
    std::fprintf(stderr, "round trip of (%a, %a) through \"%.*s\" gave (%a, %a)\n", v.hi, v.lo,
                 static_cast<int>(w.ptr - buf), buf, back.hi, back.lo);
    std::abort();
  }
}

/// The normalised pair of the exact value a.hi + a.lo (the two-sum of its
/// words), or false when that value or a step of the two-sum is not finite.
inline bool normalised(const DDReal& a, DDReal& out) {
  const double s = a.hi + a.lo;
  const double w = s - a.hi;
  const double e = (a.hi - (s - w)) + (a.lo - w);
  if (!std::isfinite(s) || !std::isfinite(w) || !std::isfinite(e)) return false;
  out = DDReal(s, e);
  return true;
}

}  // namespace dd::fuzz
