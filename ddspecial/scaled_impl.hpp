// Double-double values with a separate binary exponent, for the special
// functions' intermediate results that leave the kernels' range.
//
// The kernels split a word into halves by multiplying it with 2^27 + 1, which
// overflows above about 2^996; below 2^-969 the low word is subnormal and
// loses bits.  A factorial times a power, or a power of a large base, leaves
// that range long before the result it contributes to does.  Such factors are
// carried here as m * 2^e, with m a normalised double-double whose high word
// lies in [1, 2) and e a 64-bit exponent; every rescaling is by a power of
// two and so exact, and the arithmetic on m is the kernels' own.
#pragma once

#include <climits>
#include <cmath>
#include <cstdint>

#include "ddelem/ddelem_impl.hpp"
#include "ddreal/kernels.hpp"

namespace dd::detail {

/// Below 2^-969 a factor's low word is subnormal and loses bits gradually;
/// a sum or quotient formed with it had lost 2^4 units of 2^-104 at 2^-974,
/// 2^10 at 2^-980, 2^15 at 2^-986 and 2^18 at 2^-988 (measured on the
/// Hurwitz sums).  Sequences whose factors stay above this bound are kept as
/// they are; below it they are formed scaled.
inline constexpr double kLowWordLossLimit = 0x1p-985;

struct Scaled {
  DDReal m{0.0, 0.0};
  std::int64_t e = 0;
};

/// a * 2^k for |k| small enough that neither word overflows; the low word may
/// become subnormal (and lose bits) only when the value itself is that small.
inline DDReal ldexp_words(const DDReal& a, int k) noexcept {
  return DDReal(std::ldexp(a.hi, k), std::ldexp(a.lo, k));
}

/// a as m * 2^e with |m.hi| in [1, 2); zero, infinite and NaN words are kept
/// as they are with e = 0.
inline Scaled to_scaled(const DDReal& a) noexcept {
  if (a.hi == 0.0 || !std::isfinite(a.hi)) return Scaled{a, 0};
  const int k = std::ilogb(a.hi);
  return Scaled{ldexp_words(a, -k), k};
}

inline Scaled normalise(const DDReal& m, std::int64_t e) noexcept {
  Scaled s = to_scaled(m);
  s.e += e;
  return s;
}

inline Scaled mul(const Scaled& a, const Scaled& b) noexcept {
  DDReal p;
  DDMUL(a.m, b.m, p);
  return normalise(p, a.e + b.e);
}

inline Scaled div(const Scaled& a, const Scaled& b) noexcept {
  DDReal q;
  DDDIV(a.m, b.m, q);
  return normalise(q, a.e - b.e);
}

/// a + b, the smaller aligned to the larger's exponent (an operand more than
/// 2^-1000 below the other is negligible and dropped).
inline Scaled add(const Scaled& a, const Scaled& b) noexcept {
  if (b.m.hi == 0.0) return a;
  if (a.m.hi == 0.0) return b;
  const Scaled& big = a.e >= b.e ? a : b;
  const Scaled& small = a.e >= b.e ? b : a;
  const std::int64_t d = big.e - small.e;
  if (d > 1000) return big;
  DDReal s;
  DDADD(big.m, ldexp_words(small.m, -static_cast<int>(d)), s);
  return normalise(s, big.e);
}

/// The value as a double-double: a signed infinity (low word zero) beyond the
/// binary64 range, a zero or subnormal below it.
inline DDReal to_dd(const Scaled& a) noexcept {
  if (a.m.hi == 0.0 || !std::isfinite(a.m.hi)) return a.m;
  if (a.e > 1100) return DDReal(std::copysign(HUGE_VAL, a.m.hi), 0.0);
  if (a.e < -1200) return DDReal(std::copysign(0.0, a.m.hi), 0.0);
  const int k = static_cast<int>(a.e);
  const double hi = std::ldexp(a.m.hi, k);
  if (!std::isfinite(hi)) return DDReal(hi, 0.0);
  return DDReal(hi, std::ldexp(a.m.lo, k));
}

/// log2 of |a| to binary64 accuracy (for range decisions).
inline double log2_abs(const Scaled& a) noexcept {
  return std::log2(std::fabs(a.m.hi)) + static_cast<double>(a.e);
}

/// e^x as m * 2^e for any finite x with |x| < 2^40: x = k ln 2 + r with
/// |r| <= ln 2 / 2 and e^r by DDEXP.  k ln 2 is formed from three words of
/// ln 2, the products with the first two exactly, so r carries an absolute
/// error near 2^-107 and e^x keeps the exponential's own accuracy.
inline Scaled exp_scaled(const DDReal& x) {
  constexpr double kLog2Third = 0x1.7b57a079a1934p-111;
  const double kd = std::nearbyint(x.hi * kInvLog2);
  DDReal p1, p2, r, er;
  DDMULDD(kd, kLog2.hi, p1);
  DDMULDD(kd, kLog2.lo, p2);
  DDSUB(x, p1, r);
  DDSUB(r, p2, r);
  DDSUB(r, DDReal(kd * kLog2Third, 0.0), r);
  DDEXP(r, er);
  return normalise(er, static_cast<std::int64_t>(kd));
}

/// ln a for a > 0 (normal), to a few units of 2^-104 relative also next to
/// 1: a = m 2^k with m in [0.7, 1.42), ln a = k ln 2 + ln m with k ln 2 from
/// three words of ln 2 (the products with the first two exact) and ln m from
/// the series of atanh.
inline DDReal log_accurate(const DDReal& a) {
  constexpr double kLog2Third = 0x1.7b57a079a1934p-111;
  int k = std::ilogb(a.hi);
  DDReal m = ldexp_words(a, -k);
  if (m.hi > 1.4142135623730951) {
    m = DDReal(0.5 * m.hi, 0.5 * m.lo);
    ++k;
  }
  DDReal d, p1, p2, r;
  DDSUB(m, DDReal(1.0, 0.0), d);  // exact for m in [0.5, 2]
  r = log1p_series(d);
  if (k == 0) return r;
  const double kd = static_cast<double>(k);
  DDMULDD(kd, kLog2.hi, p1);
  DDMULDD(kd, kLog2.lo, p2);
  DDADD(p1, p2, p1);
  DDADD(p1, DDReal(kd * kLog2Third, 0.0), p1);
  DDADD(p1, r, r);
  return r;
}

/// a^n for a > 0 and any 64-bit n.  Up to |n| = 2^12 by binary exponentiation
/// on the normalised mantissa (the kernels' products, rescaled after each);
/// beyond, where each squaring would double the error already made, as
/// e^(n ln a), whose error is about |n ln a| 2^-106 relative.
inline Scaled pow_scaled(const DDReal& a, std::int64_t n) {
  constexpr std::int64_t kSquaringLimit = 4096;
  if (n > kSquaringLimit || n < -kSquaringLimit) {
    DDReal y;
    DDMULD(log_accurate(a), static_cast<double>(n), y);
    // Far beyond any range: only the exponent matters (it keeps such values
    // ordered), e^y = 2^(y / ln 2).
    if (std::fabs(y.hi) > 0x1p30) return Scaled{DDReal(1.0, 0.0), std::llround(y.hi * kInvLog2)};
    return exp_scaled(y);
  }
  const bool invert = n < 0;
  std::uint64_t k = invert ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  Scaled r{DDReal(1.0, 0.0), 0}, t = to_scaled(a);
  while (k != 0) {
    if ((k & 1U) != 0) r = mul(r, t);
    k >>= 1U;
    if (k != 0) t = mul(t, t);
  }
  return invert ? div(Scaled{DDReal(1.0, 0.0), 0}, r) : r;
}

// ---- scaled values of the gamma and Hurwitz zeta functions --------------------

/// s = sin(x) for |x| <= pi/2 from its Taylor series, summed until a term
/// falls below 2^-110 of the sum (at most 17 terms).  Unlike a sine taken
/// from the cosine, its relative error stays near 2^-104 as x nears zero.
void small_angle_sine(const DDReal& x, DDReal& s);
/// The same, advancing side (when not null) by one step per term.
void small_angle_sine_beside(const DDReal& x, DDReal& s, ExpSteps* side);
/// Gamma(t) as a scaled value, for arguments whose gamma leaves the binary64
/// range (up to the routine's limit 1e8; stops as DDGAMMAR does otherwise).
Scaled gamma_scaled(const DDReal& t);


/// True when DDHURWITZZETANBE's own sums stay inside the kernels' range for
/// (ISS, AA), AA > 0: no power of a summed base leaves [2^-985, 2^995] and the
/// direct series ends well within its term limit.  Elsewhere the routine
/// sums with scaled powers (hurwitz_scaled).
bool hurwitz_be_sums_fit(int iss, const DDReal& a);
/// The same for DDHURWITZZETAN's expansion, 0 < a < 1: orders up to 280
/// whose powers a^IS and (1 - a)^IS keep a normal low word.
bool hurwitz_expansion_fits(int is, const DDReal& a);
/// zeta(is, a) for 0 < a < 1 where the expansion does not fit, as a scaled value.
Scaled hurwitz_unit_scaled(int is, const DDReal& a);

/// zeta(s, a) for s >= 2, a > 0 as a scaled value, for orders and arguments
/// whose powers leave the kernels' range: the direct series with scaled
/// powers where it ends within a few hundred terms, else a shift to
/// N >= max(19.15, 0.64 (s + 60)) and Euler-Maclaurin summation from N with
/// the even-Bernoulli table (which must hold at least 44 entries).
Scaled hurwitz_scaled(int s, const DDReal& a, int nb2, const DDReal* table, const char* loop_end);

}  // namespace dd::detail
