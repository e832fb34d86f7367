// The <cmath> functions of DDReal that are more than a line: fmod in integer
// arithmetic, and log1p, expm1, log2 and exp2.
#include "ddtyped/cmath.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/kernels.hpp"

namespace dd {

namespace {

// ---- fmod ---------------------------------------------------------------------------
//
// Every finite binary64 is an integer times a power of two, so the words of a
// and b are integers in units of 2^E, E the lowest exponent among them
// (>= -1074).  Then |a| and |b| are integers below 2^(1024 - E) <= 2^2098, the
// remainder is found by binary long division, and it is rounded back to a
// pair: hi the remainder rounded to binary64, lo the rest rounded.

/// An unsigned integer of up to 34 64-bit limbs, least significant first.
/// Loops run over the low `n` limbs only: the long division sets n to the
/// divisor's length plus one, which the running remainder never exceeds.
struct Big {
  static constexpr int kLimbs = 34;
  std::array<std::uint64_t, kLimbs> w{};
  int n = kLimbs;

  bool bit(int i) const noexcept { return ((w[i / 64] >> (i % 64)) & 1u) != 0; }
  /// Index of the highest set bit, -1 for zero.
  int top() const noexcept {
    for (int i = n - 1; i >= 0; --i) {
      if (w[i] != 0) return i * 64 + 63 - std::countl_zero(w[i]);
    }
    return -1;
  }
  /// this += m 2^s (m below 2^53): m lands in at most two limbs.
  void add(std::uint64_t m, int s) noexcept {
    const int i0 = s / 64, r = s % 64;
    std::uint64_t part[2] = {m << r, r == 0 ? 0 : m >> (64 - r)};
    std::uint64_t carry = 0;
    for (int i = i0; i < n; ++i) {
      const std::uint64_t y = i - i0 < 2 ? part[i - i0] : 0;
      if (y == 0 && carry == 0 && i - i0 >= 2) break;
      const std::uint64_t t = w[i] + y;
      const std::uint64_t u = t + carry;
      carry = (t < y || u < t) ? 1 : 0;
      w[i] = u;
    }
  }
  /// this -= o (o at most this).
  void sub(const Big& o) noexcept {
    std::uint64_t borrow = 0;
    for (int i = 0; i < n; ++i) {
      const std::uint64_t x = w[i], y = o.w[i];
      w[i] = x - y - borrow;
      borrow = (x < y || (x == y && borrow != 0)) ? 1 : 0;
    }
  }
  /// this -= m 2^s (m 2^s at most this).
  void sub(std::uint64_t m, int s) noexcept {
    Big t;
    t.n = n;
    t.add(m, s);
    sub(t);
  }
  bool less(const Big& o) const noexcept {
    for (int i = n - 1; i >= 0; --i) {
      if (w[i] != o.w[i]) return w[i] < o.w[i];
    }
    return false;
  }
  /// this >> s (the low n limbs of the result; the rest must be zero).
  Big shifted_right(int s) const noexcept {
    Big r;
    r.n = n;
    const int q = s / 64, b = s % 64;
    for (int i = 0; i < n && i + q < kLimbs; ++i) {
      const std::uint64_t high = i + q + 1 < kLimbs && b != 0 ? w[i + q + 1] << (64 - b) : 0;
      r.w[i] = (w[i + q] >> b) | high;
    }
    return r;
  }
  /// this = 2 this + b, less d when that is at least d (without branches:
  /// the quotient bits are as good as random).
  void shift_in_reduce(bool b, const Big& d) noexcept {
    for (int i = n - 1; i > 0; --i) w[i] = (w[i] << 1) | (w[i - 1] >> 63);
    w[0] = (w[0] << 1) | (b ? 1u : 0u);
    std::array<std::uint64_t, kLimbs> diff;
    std::uint64_t borrow = 0;
    for (int i = 0; i < n; ++i) {
      const std::uint64_t x = w[i], y = d.w[i];
      diff[i] = x - y - borrow;
      borrow = static_cast<std::uint64_t>(x < y) | (static_cast<std::uint64_t>(x == y) & borrow);
    }
    const std::uint64_t keep_diff = borrow - 1;  // all ones when there was no borrow
    for (int i = 0; i < n; ++i) w[i] = (diff[i] & keep_diff) | (w[i] & ~keep_diff);
  }
};

/// A nonzero finite binary64 as |x| = m 2^e with an odd integer m < 2^53,
/// read from its bits.
void integer_form(double x, std::uint64_t& m, int& e) noexcept {
  const std::uint64_t u = std::bit_cast<std::uint64_t>(x);
  const int biased = static_cast<int>((u >> 52) & 0x7ff);
  m = u & ((std::uint64_t{1} << 52) - 1);
  if (biased == 0) {
    e = -1074;  // subnormal
  } else {
    m |= std::uint64_t{1} << 52;
    e = biased - 1075;
  }
  const int z = std::countr_zero(m);
  m >>= z;
  e += z;
}

/// |a| in units of 2^e0 (a normalised, its lo word smaller than its hi word).
Big to_big(const DDReal& a, int e0) noexcept {
  Big r;
  std::uint64_t m;
  int e;
  integer_form(a.hi, m, e);
  r.add(m, e - e0);
  if (a.lo != 0.0) {
    integer_form(a.lo, m, e);
    if (std::signbit(a.lo) == std::signbit(a.hi)) {
      r.add(m, e - e0);
    } else {
      r.sub(m, e - e0);
    }
  }
  return r;
}

/// x 2^e0 rounded to the nearest binary64 (ties to even).  Below 2^63 one
/// conversion rounds; above, the top 63 bits with a sticky bit for the rest
/// convert with one rounding.  From 2^53 on the result is a normal number
/// (e0 >= -1074), so the scaling is exact.
double to_double(const Big& x, int e0) noexcept {
  const int t = x.top();
  if (t < 0) return 0.0;
  if (t < 63) return std::ldexp(static_cast<double>(static_cast<std::int64_t>(x.w[0])), e0);
  const int s = t - 62;  // bits t .. s are kept
  const int q = s / 64, b = s % 64;
  std::uint64_t top = x.w[q] >> b;
  if (b != 0) top |= x.w[q + 1] << (64 - b);
  top &= (std::uint64_t{1} << 63) - 1;
  bool sticky = b != 0 && (x.w[q] & ((std::uint64_t{1} << b) - 1)) != 0;
  for (int i = 0; i < q && !sticky; ++i) sticky = x.w[i] != 0;
  if (sticky) top |= 1;
  return std::ldexp(static_cast<double>(static_cast<std::int64_t>(top)), s + e0);
}

/// The nearest pair to x 2^e0: hi = x rounded, lo = (x - hi) rounded.
DDReal big_to_ddreal(Big x, int e0) noexcept {
  const double hi = to_double(x, e0);
  if (hi == 0.0) return DDReal(0.0, 0.0);
  std::uint64_t m;
  int e;
  integer_form(hi, m, e);
  Big h;
  h.n = x.n;
  h.add(m, e - e0);
  if (x.less(h)) {
    h.sub(x);
    return DDReal(hi, -to_double(h, e0));
  }
  x.sub(h);
  return DDReal(hi, to_double(x, e0));
}

}  // namespace

DDReal fmod(const DDReal& a, const DDReal& b) noexcept {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  if (isnan(a) || isnan(b) || !std::isfinite(a.hi) || b.hi == 0.0) return DDReal(nan, nan);
  if (!std::isfinite(b.hi)) return a;
  if (a.hi == 0.0) return a;
  // The lowest exponent among the nonzero words.
  int e0 = std::numeric_limits<int>::max();
  for (const double x : {a.hi, a.lo, b.hi, b.lo}) {
    if (x == 0.0) continue;
    std::uint64_t m;
    int e;
    integer_form(x, m, e);
    e0 = std::min(e0, e);
  }
  const Big ba = to_big(a, e0);
  Big bb = to_big(b, e0);
  // Binary long division, one step per bit of the quotient: r starts as the
  // top bits of |a| down to the height of |b|, then r = 2 r + (next bit of
  // |a|), less |b| when it reaches it.  r stays below 2 |b|, within one limb
  // more than |b|.
  bb.n = std::min(Big::kLimbs, bb.top() / 64 + 2);
  const int steps = ba.top() - bb.top();
  Big r = ba;
  if (steps > 0) r = ba.shifted_right(steps);
  r.n = bb.n;
  if (!r.less(bb)) r.sub(bb);
  for (int i = steps - 1; i >= 0; --i) r.shift_in_reduce(ba.bit(i), bb);
  // The sign of a; a zero lo word stays +0, as the kernels leave it.
  DDReal m = big_to_ddreal(r, e0);
  if (std::signbit(a.hi)) m = DDReal(-m.hi, m.lo == 0.0 ? 0.0 : -m.lo);
  return m;
}

// ---- log1p, expm1, log2, exp2 ----------------------------------------------------------

namespace {

/// Series stop: the newest term no longer moves the sum's double-double value.
constexpr double kSeriesTol = 0x1p-106;
constexpr int kSeriesMaxTerms = 60;

DDReal nan_words() noexcept {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  return DDReal(nan, nan);
}

}  // namespace

DDReal log1p(const DDReal& a) {
  if (isnan(a)) return nan_words();
  // ln(1 + a) = 2 atanh(a / (2 + a)) from its series, to a few units of 2^-104.
  if (a.hi > -1.0 / 3.0 && a.hi < 0.5) return detail::log1p_series(a);
  // Here |ln(1 + a)| > 0.28: the rounding of 1 + a costs at most 2^-106 absolute.
  DDReal u, r;
  DDADD(DDReal(1.0, 0.0), a, u);
  DDLOG(u, r);
  return r;
}

DDReal expm1(const DDReal& a) {
  if (isnan(a)) return nan_words();
  if (std::fabs(a.hi) < 0.5) {
    // a + a^2/2! + a^3/3! + ...: about 25 terms at |a| = 1/2, fewer below.
    DDReal term = a, sum = a;
    for (int n = 2; n <= kSeriesMaxTerms; ++n) {
      DDMUL(term, a, term);
      DDDIVD(term, static_cast<double>(n), term);
      DDADD(sum, term, sum);
      if (std::fabs(term.hi) <= kSeriesTol * std::fabs(sum.hi)) break;
    }
    return sum;
  }
  // Here |e^a - 1| > 0.39 e^a or so: e^a's relative error carries over.
  DDReal e, r;
  DDEXP(a, e);
  DDSUB(e, DDReal(1.0, 0.0), r);
  return r;
}

DDReal log2(const DDReal& a) {
  if (isnan(a)) return nan_words();
  if (!(a.hi > 0.0) || std::isinf(a.hi)) {
    // Zero and negative arguments stop with the logarithm's message; +inf stays.
    DDReal r;
    DDLOG(a, r);
    return r;
  }
  int e;
  DDReal m = frexp(a, &e);
  if (m.hi < std::numbers::sqrt2 / 2.0) {
    m = detail::scale_words(m, 1);
    e = e - 1;
  }
  // m in [0.707, 1.414]: m - 1 is exact, and log1p keeps its relative accuracy.
  DDReal f, l, r;
  DDSUB(m, DDReal(1.0, 0.0), f);
  DDMUL(log1p(f), std::numbers::log2e_v<DDReal>, l);
  DDADD(DDReal(static_cast<double>(e), 0.0), l, r);
  return r;
}

DDReal exp2(const DDReal& a) {
  if (isnan(a)) return nan_words();
  if (a.hi > 1100.0) return DDReal(std::numeric_limits<double>::infinity(), 0.0);
  if (a.hi < -1200.0) return DDReal(0.0, 0.0);
  const DDReal n = round(a);
  DDReal f, x, e;
  DDSUB(a, n, f);  // exact: |f| <= 1/2
  DDMUL(f, std::numbers::ln2_v<DDReal>, x);
  // |x| <= 0.35: e^x = 1 + expm1(x) by its series, a few units more accurate than DDEXP here.
  DDADD(DDReal(1.0, 0.0), expm1(x), e);
  return ldexp(e, static_cast<int>(n.hi));
}

}  // namespace dd
