// Double-double number format and its arithmetic kernels.
//
// A DDReal is the unevaluated sum hi + lo of two binary64 words, normalised so
// that hi is that sum rounded to nearest.  Every kernel below is a fixed
// sequence of IEEE binary64 operations (round to nearest, ties to even): no
// fused multiply-add, no wider intermediate precision, no reassociation.  The
// grouping written here is the contract; results are bit-identical on every
// conforming machine and at every optimisation level.
//
// Every kernel reads all of its inputs before writing any output word, so an
// output may share storage with an input (a <- a + b is valid).
#pragma once

#if defined(__FAST_MATH__)
#error "ddkit needs exact IEEE binary64 arithmetic: do not build it with -ffast-math or -Ofast"
#endif

#include <bit>
#include <cfloat>
#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>
#include <numbers>
#include <type_traits>

#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
#error "ddkit needs binary64 operations evaluated in binary64 (FLT_EVAL_METHOD == 0; use SSE2, not x87)"
#endif

namespace dd {

/// A double-double number: the exact sum hi + lo of two binary64 words.
struct DDReal {
  double hi;
  double lo;

  /// Uninitialised, like a built-in double.
  DDReal() = default;
  constexpr DDReal(double h, double l) noexcept : hi(h), lo(l) {}
  /// A binary64 value x is the DDReal (x, 0).
  constexpr DDReal(double x) noexcept : hi(x), lo(0.0) {}  // NOLINT(google-explicit-constructor)
  /// An integer of up to 64 bits, exactly: hi is n rounded to binary64 and lo
  /// the rest, so DDReal((1LL << 60) + 1) keeps the 1.  Integers of 32 bits or
  /// fewer are (n, 0), as through the binary64 constructor.
  template <std::integral I>
    requires(sizeof(I) <= 8)
  constexpr DDReal(I n) noexcept : hi(static_cast<double>(n)), lo(0.0) {  // NOLINT(google-explicit-constructor)
    if constexpr (sizeof(I) > 4) {
      // n = u + v with u = (n >> 32) 2^32 and v = the low 32 bits: both are
      // binary64 values, and their sum is formed with its exact error.
      const double u = static_cast<double>(n >> 32) * 4294967296.0;
      const double v = static_cast<double>(static_cast<std::uint64_t>(n) & 0xffffffffu);
      const double s = u + v;
      const double w = s - u;
      hi = s;
      lo = (u - (s - w)) + (v - w);
    }
  }
  /// Narrowing to binary64 keeps the high word; explicit because it drops digits.
  constexpr explicit operator double() const noexcept { return hi; }
  /// The integer part toward zero of hi + lo, as a double converts: where hi
  /// has a fraction it decides alone (the lo word cannot carry the value past
  /// an integer); a whole hi keeps the integer part of lo on hi's side, so
  /// (2^60, -0.5) gives 2^60 - 1.  Values beyond the type's range saturate,
  /// and NaN gives 0.
  template <std::integral I>
    requires(!std::same_as<I, bool> && sizeof(I) <= 8)
  explicit operator I() const noexcept {
    using L = std::numeric_limits<I>;
    if (std::isnan(hi) || std::isnan(lo)) return 0;
    const double th = std::trunc(hi);
    const double tl = th != hi ? 0.0 : (hi > 0.0 ? std::floor(lo) : std::ceil(lo));
    const double top = std::ldexp(1.0, L::digits);          // max + 1
    const double bottom = static_cast<double>(L::lowest());  // 0 or -2^digits
    if (th > top || (th == top && tl >= 0.0)) return L::max();
    if (th < bottom || (th == bottom && tl < 0.0)) return L::lowest();
    if (th == top) return static_cast<I>(L::max() - static_cast<I>(-tl - 1.0));
    // Both parts are whole and the sum lies in range (|tl| is at most half
    // an ulp of th, and no more than 1 below 2^53).
    const I t = static_cast<I>(th);
    return tl < 0.0 ? static_cast<I>(t - static_cast<I>(-tl)) : static_cast<I>(t + static_cast<I>(tl));
  }
};

static_assert(sizeof(DDReal) == 2 * sizeof(double));
static_assert(std::is_standard_layout_v<DDReal>);
static_assert(std::is_trivially_copyable_v<DDReal>);
static_assert(std::is_trivially_default_constructible_v<DDReal>);

}  // namespace dd

// std::numeric_limits<dd::DDReal>, beside the type so that every file that
// sees a DDReal sees its limits.  A DDReal is not a fixed-width binary
// format, so some members need a choice:
//  - digits = 106: two 53-bit significands.  The low word's sign adds one more
//    bit for most values, but 106 is what every value has.
//  - epsilon = 2^-104 (4.93e-32), the customary unit of double-double
//    precision.  It is not the gap above 1, which is the smallest subnormal:
//    (1, 2^-1074) is a DDReal.
//  - round_error = 2 (in units of epsilon): the largest relative error of
//    one kernel operation stays below 2^-103.  Measured against MPFR over
//    200000 random operand pairs of like sign: DDADD 2^-105.0, DDMUL 2^-104.5,
//    DDDIV 2^-103.4.  (DDADD of operands of opposite sign that nearly cancel
//    has only an absolute bound, relative to the operands.)
//  - round_style = round_indeterminate: results are not correctly rounded to
//    any fixed grid.
//  - digits10 = 31 = floor(105 log10 2); max_digits10 = 33 = ceil(1 + 106
//    log10 2).  Decimal text of 35 significant digits written by DDEFORMAT
//    and read back by DDINPC reproduces values to within 2^-103 relative
//    (worst 2^-103.4 over 20000 random values of all magnitudes, see the
//    io_in round-trip test);
//    bit-exact round trips cannot be promised by any digit count, since the
//    low word may lie arbitrarily far below the high word.
//  - min() = 2^-969 (2.0e-292): below it the low word is subnormal and the
//    full precision is lost; min_exponent is set to match.  max() is the
//    largest finite pair (DBL_MAX, largest binary64 below 2^970), but note
//    that the product kernels split operands with 2^27 + 1 and overflow for
//    magnitudes above about 1.3e300.
//  - Infinity and NaN are those of the high word, with a zero low word.
namespace std {

template <>
class numeric_limits<dd::DDReal> {
 public:
  static constexpr bool is_specialized = true;
  static constexpr bool is_signed = true;
  static constexpr bool is_integer = false;
  static constexpr bool is_exact = false;
  static constexpr bool has_infinity = true;
  static constexpr bool has_quiet_NaN = true;
  static constexpr bool has_signaling_NaN = true;
  static constexpr float_denorm_style has_denorm = denorm_present;
  static constexpr bool has_denorm_loss = false;
  static constexpr float_round_style round_style = round_indeterminate;
  static constexpr bool is_iec559 = false;
  static constexpr bool is_bounded = true;
  static constexpr bool is_modulo = false;
  static constexpr int digits = 106;
  static constexpr int digits10 = 31;
  static constexpr int max_digits10 = 33;
  static constexpr int radix = 2;
  static constexpr int min_exponent = -968;
  static constexpr int min_exponent10 = -291;
  static constexpr int max_exponent = DBL_MAX_EXP;
  static constexpr int max_exponent10 = DBL_MAX_10_EXP;
  static constexpr bool traps = false;
  static constexpr bool tinyness_before = false;

  static constexpr dd::DDReal min() noexcept { return dd::DDReal(0x1p-969, 0.0); }
  static constexpr dd::DDReal lowest() noexcept { return dd::DDReal(-DBL_MAX, -0x1.fffffffffffffp+969); }
  static constexpr dd::DDReal max() noexcept { return dd::DDReal(DBL_MAX, 0x1.fffffffffffffp+969); }
  static constexpr dd::DDReal epsilon() noexcept { return dd::DDReal(0x1p-104, 0.0); }
  static constexpr dd::DDReal round_error() noexcept { return dd::DDReal(2.0, 0.0); }
  static constexpr dd::DDReal infinity() noexcept {
    return dd::DDReal(std::numeric_limits<double>::infinity(), 0.0);
  }
  static constexpr dd::DDReal quiet_NaN() noexcept {
    return dd::DDReal(std::numeric_limits<double>::quiet_NaN(), 0.0);
  }
  static constexpr dd::DDReal signaling_NaN() noexcept {
    return dd::DDReal(std::numeric_limits<double>::signaling_NaN(), 0.0);
  }
  static constexpr dd::DDReal denorm_min() noexcept { return dd::DDReal(0x1p-1074, 0.0); }
};

}  // namespace std

// The mathematical constants of <numbers> for DDReal, each the pair nearest to
// the constant: hi is the constant rounded to binary64, lo the rest rounded
// (both from MPFR at 400 bits).  pi_v and ln2_v are the words of DDPI and
// DDLOG2; egamma_v is the correctly rounded pair, 11 units of the low word's
// last place away from DDEULER's words, which stay as they are.
namespace std::numbers {

template <> inline constexpr dd::DDReal e_v<dd::DDReal>{0x1.5bf0a8b145769p+1, 0x1.4d57ee2b1013ap-53};
template <> inline constexpr dd::DDReal log2e_v<dd::DDReal>{0x1.71547652b82fep+0, 0x1.777d0ffda0d24p-56};
template <> inline constexpr dd::DDReal log10e_v<dd::DDReal>{0x1.bcb7b1526e50ep-2, 0x1.95355baaafad3p-57};
template <> inline constexpr dd::DDReal pi_v<dd::DDReal>{0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53};
template <> inline constexpr dd::DDReal inv_pi_v<dd::DDReal>{0x1.45f306dc9c883p-2, -0x1.6b01ec5417056p-56};
template <> inline constexpr dd::DDReal inv_sqrtpi_v<dd::DDReal>{0x1.20dd750429b6dp-1, 0x1.1ae3a914fed8p-57};
template <> inline constexpr dd::DDReal ln2_v<dd::DDReal>{0x1.62e42fefa39efp-1, 0x1.abc9e3b39803fp-56};
template <> inline constexpr dd::DDReal ln10_v<dd::DDReal>{0x1.26bb1bbb55516p+1, -0x1.f48ad494ea3e9p-53};
template <> inline constexpr dd::DDReal sqrt2_v<dd::DDReal>{0x1.6a09e667f3bcdp+0, -0x1.bdd3413b26456p-54};
template <> inline constexpr dd::DDReal sqrt3_v<dd::DDReal>{0x1.bb67ae8584caap+0, 0x1.cec95d0b5c1e3p-54};
template <> inline constexpr dd::DDReal inv_sqrt3_v<dd::DDReal>{0x1.279a74590331cp-1, 0x1.34863e0792bedp-55};
template <> inline constexpr dd::DDReal egamma_v<dd::DDReal>{0x1.2788cfc6fb619p-1, -0x1.6cb90701fbfabp-58};
template <> inline constexpr dd::DDReal phi_v<dd::DDReal>{0x1.9e3779b97f4a8p+0, -0x1.f506319fcfd19p-55};

}  // namespace std::numbers

namespace dd {

namespace detail {

/// The range of full double-double precision.  Above kSplitLimit (2^996,
/// about 6.7e299) a product's splitting step, or the word it has to split
/// after one doubling, overflows and the kernels lose their error terms; below
/// kFullPrecisionMin (2^-969, about 2.0e-292) the low word of a value is
/// subnormal and low-order bits fade gradually.  Routines compute every value
/// between the two; beyond the split limit they may refuse.
inline constexpr double kSplitLimit = 0x1p996;
inline constexpr double kFullPrecisionMin = 0x1p-969;

/// 2^27 + 1: splits a binary64 into two halves of at most 26 significant bits.
inline constexpr double kSplitter = 134217729.0;

/// split(x) -> (xh, xl) with x = xh + xl exactly (for |x| below about 1.34e300).
inline void split(double x, double& xh, double& xl) noexcept {
  const double t = kSplitter * x;
  xh = t - (t - x);
  xl = x - xh;
}

/// The rounding error of p = x * y.  The first argument's high half leads each
/// cross term, and the terms are summed left to right in exactly this grouping.
inline double prod_err(double x, double y, double p) noexcept {
  double xh, xl, yh, yl;
  split(x, xh, xl);
  split(y, yh, yl);
  return (((xh * yh - p) + xh * yl) + xl * yh) + xl * yl;
}

/// The rounding error of s = u + v (no condition on the magnitudes).
inline double two_sum_err(double u, double v, double s) noexcept {
  const double w = s - u;
  return (u - (s - w)) + (v - w);
}

/// Renormalise s + e into (h, l) with h = fl(s + e); exact when |s| >= |e|.
inline void quick_two_sum(double s, double e, double& h, double& l) noexcept {
  h = s + e;
  l = e - (h - s);
}

}  // namespace detail

/// r = a + b.
inline void DDADD(const DDReal& a, const DDReal& b, DDReal& r) noexcept {
  const double s = a.hi + b.hi;
  double e = detail::two_sum_err(a.hi, b.hi, s);
  e = e + a.lo;
  e = e + b.lo;
  detail::quick_two_sum(s, e, r.hi, r.lo);
}

/// r = a - b.
inline void DDSUB(const DDReal& a, const DDReal& b, DDReal& r) noexcept {
  const double s = a.hi - b.hi;
  const double w = s - a.hi;
  double e = (a.hi - (s - w)) + (-b.hi - w);
  e = e + a.lo;
  e = e - b.lo;
  detail::quick_two_sum(s, e, r.hi, r.lo);
}

/// r = a * b.  The cross terms join p before the product error is added.
inline void DDMUL(const DDReal& a, const DDReal& b, DDReal& r) noexcept {
  const double p = a.hi * b.hi;
  const double q = a.hi * b.lo + b.hi * a.lo;
  const double s = p + q;
  double e = detail::prod_err(a.hi, b.hi, p) + detail::two_sum_err(p, q, s);
  e = e + a.lo * b.lo;
  detail::quick_two_sum(s, e, r.hi, r.lo);
}

/// r = a * d for a binary64 d.
inline void DDMULD(const DDReal& a, double d, DDReal& r) noexcept {
  const double p = a.hi * d;
  const double q = a.lo * d;
  const double s = p + q;
  const double e = detail::prod_err(a.hi, d, p) + detail::two_sum_err(p, q, s);
  detail::quick_two_sum(s, e, r.hi, r.lo);
}

/// r = x * y exactly: hi is the rounded product, lo its rounding error (no renormalisation).
inline void DDMULDD(double x, double y, DDReal& r) noexcept {
  const double p = x * y;
  const double e = detail::prod_err(x, y, p);
  r.hi = p;
  r.lo = e;
}

/// r = a / b: a binary64 quotient, one correction from the remainder a - b*q1.
inline void DDDIV(const DDReal& a, const DDReal& b, DDReal& r) noexcept {
  const double q1 = a.hi / b.hi;
  // b * q1 by the DDMULD sequence, with the quotient leading the product error.
  const double p = b.hi * q1;
  const double q = b.lo * q1;
  const double s = p + q;
  const double e = detail::prod_err(q1, b.hi, p) + detail::two_sum_err(p, q, s);
  DDReal prod;
  detail::quick_two_sum(s, e, prod.hi, prod.lo);
  DDReal rem;
  DDSUB(a, prod, rem);
  const double q2 = rem.hi / b.hi;
  detail::quick_two_sum(q1, q2, r.hi, r.lo);
}

/// r = a / d for a binary64 d.
inline void DDDIVD(const DDReal& a, double d, DDReal& r) noexcept {
  const double q1 = a.hi / d;
  DDReal prod;
  DDMULDD(q1, d, prod);
  DDReal rem;
  DDSUB(a, prod, rem);
  const double q2 = rem.hi / d;
  detail::quick_two_sum(q1, q2, r.hi, r.lo);
}

/// b = sqrt(a): one correction of the binary64 root s = a.hi / sqrt(a.hi).
/// A zero hi word gives (0, 0) whatever the lo word; a negative hi gives NaN words.
inline void DDSQRT(const DDReal& a, DDReal& b) noexcept {
  if (a.hi == 0.0) {
    b.hi = 0.0;
    b.lo = 0.0;
    return;
  }
  const double g = 1.0 / std::sqrt(a.hi);
  const double s = a.hi * g;
  DDReal sq;
  DDMULDD(s, s, sq);
  DDReal rem;
  DDSUB(a, sq, rem);
  const double t = (rem.hi * 0.5) * g;
  DDADD(DDReal(s, 0.0), DDReal(t, 0.0), b);
}

/// b = -a: both sign bits flipped, so (0, 0) becomes (-0, -0).
inline void DDNEG(const DDReal& a, DDReal& b) noexcept {
  const double h = -a.hi;
  const double l = -a.lo;
  b.hi = h;
  b.lo = l;
}

/// b = |a|: a unchanged when a.hi >= 0 (either zero included), else both signs flipped.
inline void DDABS(const DDReal& a, DDReal& b) noexcept {
  if (a.hi >= 0.0) {
    b = a;
  } else {
    DDNEG(a, b);
  }
}

/// b = a, both words.
inline void DDCOPY(const DDReal& a, DDReal& b) noexcept { b = a; }

/// Three-way comparison, lexicographic on (hi, lo): -1, 0 or 1.
/// Unordered words (NaN) compare as 1; +0 equals -0.
inline void DDCOMPARE(const DDReal& a, const DDReal& b, int& ic) noexcept {
  if (a.hi < b.hi) {
    ic = -1;
  } else if (a.hi != b.hi) {  // greater, or unordered
    ic = 1;
  } else if (a.lo < b.lo) {
    ic = -1;
  } else if (a.lo != b.lo) {
    ic = 1;
  } else {
    ic = 0;
  }
}

/// Sign of the hi word: 0 for either zero, 1 when positive, -1 otherwise (NaN included).
inline int DDSIGN(const DDReal& a) noexcept {
  if (a.hi == 0.0) return 0;
  if (a.hi > 0.0) return 1;
  return -1;
}

/// d = a.hi.
inline void DDTOD(const DDReal& a, double& d) noexcept { d = a.hi; }

/// b = (d, 0).
inline void DDFROMD(double d, DDReal& b) noexcept {
  b.hi = d;
  b.lo = 0.0;
}

namespace detail {
inline constexpr DDReal kPi{std::bit_cast<double>(std::uint64_t{0x400921FB54442D18}),
                            std::bit_cast<double>(std::uint64_t{0x3CA1A62633145C07})};
inline constexpr DDReal kLog2{std::bit_cast<double>(std::uint64_t{0x3FE62E42FEFA39EF}),
                              std::bit_cast<double>(std::uint64_t{0x3C7ABC9E3B39803F})};
inline constexpr DDReal kEuler{std::bit_cast<double>(std::uint64_t{0x3FE2788CFC6FB619}),
                               std::bit_cast<double>(std::uint64_t{0xBC56CB90701FBFA0})};
}  // namespace detail

/// b = pi.
inline void DDPI(DDReal& b) noexcept { b = detail::kPi; }
/// b = ln 2.
inline void DDLOG2(DDReal& b) noexcept { b = detail::kLog2; }
/// b = Euler's constant gamma.
inline void DDEULER(DDReal& b) noexcept { b = detail::kEuler; }

/// d = a.hi, n = 0.  No scaling is done: callers treat (d, n) as d * 2^n.
inline void DDSPLITEXP(const DDReal& a, double& d, int& n) noexcept {
  d = a.hi;
  n = 0;
}

/// b = (d * 2^n, 0), with 2^n formed by repeated squaring of 2 (1 / 2^|n| for
/// negative n): exact for |n| <= 1023, infinite for n >= 1024 and zero for
/// n <= -1024.  The product with d is one rounded multiplication.
inline void DDJOINEXP(double d, int n, DDReal& b) noexcept {
  // |n| in 64 bits, so that n = -2^31 has a magnitude.
  std::int64_t m = n < 0 ? -static_cast<std::int64_t>(n) : static_cast<std::int64_t>(n);
  double p = 1.0;
  double base = 2.0;
  while (m != 0) {
    if ((m & 1) != 0) p = p * base;
    m >>= 1;
    if (m != 0) base = base * base;
  }
  if (n < 0) p = 1.0 / p;
  b.hi = d * p;
  b.lo = 0.0;
}

}  // namespace dd
