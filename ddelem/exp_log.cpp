// Exponential, logarithm and real power of a DDReal.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/rounding.hpp"

namespace dd {

namespace {

/// Arguments whose hi word reaches this magnitude overflow (positive) or give
/// zero (negative) in DDEXP.
constexpr double kExpLimit = 300.0;
/// The Taylor series of e^(s/64) stops once a term falls to 1e-32 of the sum.
constexpr double kExpSeriesTol = 1e-32;
/// With |s/64| below 0.0055 a dozen terms suffice; 99 is a guard.
constexpr int kExpMaxTerms = 99;
/// Newton steps of DDLOG from the binary64 logarithm (16 -> 32 -> 64 digits).
constexpr int kLogNewtonSteps = 3;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// 1 / ln 2 rounded, for the binary64 estimate of the reduction's integer.
constexpr double kInvLog2 = 1.4426950408889634;
constexpr double kRoundShift = 0x1.8p52;

inline bool same_words(const DDReal& a, const DDReal& b) noexcept {
  return std::bit_cast<std::uint64_t>(a.hi) == std::bit_cast<std::uint64_t>(b.hi) &&
         std::bit_cast<std::uint64_t>(a.lo) == std::bit_cast<std::uint64_t>(b.lo);
}

/// e^a from n, the nearest integer to a / ln 2 as DDNINT gives it.
///
/// The Taylor series is a single dependent chain (term <- term r / l), about
/// 75 cycles per term; the steps whose divisor is a power of two (the 64 of
/// the reduction and l = 1, 2, 4, 8) are exact scalings of the words on the
/// operands met here, so they are taken as such (divd_pow2), with the kernel
/// as fallback.  For l = 1 the kernels give term = r itself.
inline void exp_from_n(const DDReal& a, const DDReal& n, DDReal& b) {
  const int nz = static_cast<int>(n.hi + std::copysign(1e-14, n.hi));

  // s = a - n ln 2, |s| <= about ln 2 / 2.
  DDReal nl, s;
  DDMUL(n, detail::kLog2, nl);
  DDSUB(a, nl, s);

  DDReal mant(1.0, 0.0);
  if (s.hi != 0.0) {
    // e^(s/64) by its Taylor series, then squared six times.
    DDReal r;
    detail::divd_pow2(s, 64.0, r);
    DDReal term(1.0, 0.0);
    DDReal sum(1.0, 0.0);
    for (int l = 1;; ++l) {
      if (l == 1 && detail::exactly_scalable(r)) {
        term = DDReal(r.hi, r.lo + 0.0);  // (1 * r) / 1, word for word
      } else {
        DDMUL(term, r, term);
        if ((l & (l - 1)) == 0 && l <= 64) {
          detail::divd_pow2(term, static_cast<double>(l), term);
        } else {
          DDDIVD(term, static_cast<double>(l), term);
        }
      }
      DDADD(sum, term, sum);
      if (std::fabs(term.hi) <= kExpSeriesTol * std::fabs(sum.hi)) break;
      if (l >= kExpMaxTerms) detail::fail(msg::kExpIterLimit);
    }
    for (int k = 0; k < 6; ++k) DDMUL(sum, sum, sum);
    mant = sum;
  }
  // |nz| <= 433, so 2^nz is a normal binary64, built from its exponent field.
  const double scale = std::bit_cast<double>(static_cast<std::uint64_t>(1023 + nz) << 52);
  DDMULD(mant, scale, b);
}

[[gnu::noinline]] void exp_from_n_outline(const DDReal& a, const DDReal& n, DDReal& b) { exp_from_n(a, n, b); }

/// e^a for |a.hi| < 300 (or a.hi <= -300, which gives zero): the body of DDEXP
/// after its overflow test.
///
/// n = nearest integer to a / ln 2 (DDDIV, DDNINT) costs some 90 cycles at
/// the head of the chain.  Away from the half-integers it equals the rounded
/// binary64 estimate a.hi / ln 2 (as (m, +0)), so the series starts from the
/// estimate while the exact n is formed beside it; the branch that compares
/// the two is predicted, and on a mismatch the exact n is used.
inline void exp_core(const DDReal& a, DDReal& b) {
  if (a.hi <= -kExpLimit) {
    b = DDReal(0.0, 0.0);
    return;
  }
  // n = nearest integer to a / ln 2; its hi word, nudged away from zero by
  // 1e-14 and truncated, is the binary exponent.
  // Rounded to an integer by adding and removing 1.5 * 2^52 (|a.hi / ln 2| < 433);
  // a negative value that rounds to zero comes out as +0, as DDNINT gives it.
  const DDReal guess((a.hi * kInvLog2 + kRoundShift) - kRoundShift, 0.0);
  DDReal q, n;
  DDDIV(a, detail::kLog2, q);
  DDNINT(q, n);
  if (!same_words(n, guess)) [[unlikely]] {
    exp_from_n_outline(a, n, b);
    return;
  }
  exp_from_n(a, guess, b);
}

/// The three Newton steps x <- x + (a - e^x) / e^x from x = log(a.hi).  Returns
/// false, leaving x unspecified, when a step would need e^x with |x.hi| >= 300
/// (a beyond about 1.94e130 or below about 5.1e-131).
inline bool log_newton(const DDReal& a, DDReal& x) {
  x = DDReal(std::log(a.hi), 0.0);
  for (int k = 0; k < kLogNewtonSteps; ++k) {
    if (!(std::fabs(x.hi) < kExpLimit)) return false;
    DDReal t, d, c;
    exp_core(x, t);
    DDSUB(a, t, d);
    DDDIV(d, t, c);
    DDADD(x, c, x);
  }
  return true;
}

}  // namespace

void DDEXP(const DDReal& a, DDReal& b) {
  // NaN words, and a non-finite low word beside a finite high one, give NaN.
  if (std::isnan(a.hi) || !std::isfinite(a.lo)) {
    b = DDReal(kNaN, kNaN);
    return;
  }
  if (std::fabs(a.hi) >= kExpLimit && a.hi > 0.0) detail::fail(msg::kExpTooLarge, {a.hi});
  exp_core(a, b);
}

// The logarithm refines the binary64 logarithm by three Newton steps on e^x = a.
// Where one of those steps would leave DDEXP's range, the argument is first
// scaled by an exact power of two, a = m 2^k with m in [0.5, 1), and
// ln a = ln m + k ln 2; inside the range the result is that of the Newton steps
// alone.  NaN and +infinity give NaN words.
void DDLOG(const DDReal& a, DDReal& b) {
  if (std::isnan(a.hi) || !std::isfinite(a.lo)) {
    b = DDReal(kNaN, kNaN);
    return;
  }
  if (a.hi <= 0.0) detail::fail(msg::kLogNotPositive);
  if (std::isinf(a.hi)) {
    b = DDReal(kNaN, kNaN);
    return;
  }
  DDReal x;
  if (!log_newton(a, x)) {
    int k = 0;
    const double mh = std::frexp(a.hi, &k);
    const DDReal m(mh, std::ldexp(a.lo, -k));
    log_newton(m, x);  // |ln m| < 0.7: always in range
    DDReal kl;
    DDMULD(detail::kLog2, static_cast<double>(k), kl);
    DDADD(kl, x, x);
  }
  b = x;
}

void DDPOWER(const DDReal& a, const DDReal& b, DDReal& p) {
  if (a.hi <= 0.0) detail::fail(msg::kPowerNotPositive);
  DDReal l, t;
  DDLOG(a, l);
  DDMUL(b, l, t);
  DDEXP(t, p);
}

}  // namespace dd
