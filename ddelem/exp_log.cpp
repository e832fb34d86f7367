// Exponential, logarithm and real power of a DDReal.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/rounding.hpp"

namespace dd {

namespace {

using detail::kExpLimit;
/// Newton steps of DDLOG from the binary64 logarithm (16 -> 32 -> 64 digits).
constexpr int kLogNewtonSteps = 3;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// e^a for |a.hi| < 300 (or a.hi <= -300, which gives zero): the body of DDEXP
/// after its overflow test, from the pieces in ddelem.hpp.
inline void exp_core(const DDReal& a, DDReal& b) {
  if (a.hi <= -kExpLimit) {
    b = DDReal(0.0, 0.0);
    return;
  }
  DDReal n;
  detail::exp_integer(a, n);
  detail::ExpSeries es;
  const int nz = detail::exp_reduce(a, n, es);
  if (!es.done) {
    while (!detail::exp_series_step(es)) {
    }
  }
  detail::exp_finish(es, nz, b);
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

void detail::exp_parts(const DDReal& a, DDReal& mant, int& nz) {
  DDReal n;
  exp_integer(a, n);
  ExpSeries es;
  nz = exp_reduce(a, n, es);
  if (!es.done) {
    while (!exp_series_step(es)) {
    }
  }
  mant = exp_mantissa(es);
}

// Inside (-300, 300) the literal sequence: the reduction by n ln 2, the
// Taylor series of e^(s/64), six squarings and the product by 2^n.  Beyond
// it the same reduction and series, and the mantissa scaled by 2^n in exact
// steps: up to the splitting limit 2^996, and down to the subnormal range,
// where the low word and then the high word lose their bits gradually.  The
// reduction's error grows with n (about n 2^-106 relative), so the error
// stays within some 300 units of 2^-104 over the whole range.
void DDEXP(const DDReal& a, DDReal& b) {
  // NaN words, and a non-finite low word beside a finite high one, give NaN.
  if (std::isnan(a.hi) || !std::isfinite(a.lo)) {
    b = DDReal(kNaN, kNaN);
    return;
  }
  if (a.hi < kExpLimit && a.hi > -kExpLimit) {
    exp_core(a, b);
    return;
  }
  if (a.hi >= detail::kExpMax) detail::fail(msg::kExpTooLarge, {a.hi});
  if (a.hi < detail::kExpUnderflow) {
    b = DDReal(0.0, 0.0);
    return;
  }
  DDReal mant;
  int nz = 0;
  detail::exp_parts(a, mant, nz);
  b = detail::scale_pow2(mant, nz);
}

namespace {
/// Series of atanh and sinh stop once a term falls below 2^-110 of the sum;
/// u = d/(2 + d) stays below 0.18 (|d| up to 0.42): some 20 terms at most.
constexpr double kSeriesTol = 0x1p-110;
constexpr int kSeriesMaxTerms = 60;
}  // namespace

DDReal detail::log1p_series(const DDReal& d) {
  if (std::fabs(d.hi) < 0x1p-54) {
    // d - d^2/2, the next term below 2^-107 relative; this also keeps a
    // subnormal d, which d / (2 + d) would halve away.
    DDReal dd2, r;
    DDMUL(d, d, dd2);
    DDSUB(d, DDReal(0.5 * dd2.hi, 0.5 * dd2.lo), r);
    return r;
  }
  DDReal den, u, u2;
  DDADD(DDReal(2.0, 0.0), d, den);
  DDDIV(d, den, u);
  DDMUL(u, u, u2);
  DDReal pw = u, sum = u, term;
  for (int k = 1; k <= kSeriesMaxTerms; ++k) {
    DDMUL(pw, u2, pw);
    DDDIVD(pw, static_cast<double>(2 * k + 1), term);
    DDADD(sum, term, sum);
    if (std::fabs(term.hi) <= kSeriesTol * std::fabs(sum.hi)) break;
  }
  return DDReal(2.0 * sum.hi, 2.0 * sum.lo);
}

DDReal detail::sinh_series(const DDReal& a) {
  DDReal a2, term = a, sum = a;
  DDMUL(a, a, a2);
  for (int k = 1; k <= kSeriesMaxTerms; ++k) {
    DDMUL(term, a2, term);
    DDDIVD(term, static_cast<double>(2 * k) * static_cast<double>(2 * k + 1), term);
    DDADD(sum, term, sum);
    if (std::fabs(term.hi) <= kSeriesTol * std::fabs(sum.hi)) break;
  }
  return sum;
}

void detail::pow_wide(const DDReal& a, const DDReal& b, DDReal& p) {
  int k = std::ilogb(a.hi);
  DDReal m = scale_pow2(a, -k);
  if (m.hi > 1.4142135623730951) {
    m = DDReal(0.5 * m.hi, 0.5 * m.lo);
    ++k;
  }
  // ln m from the series of atanh: a few units of 2^-104 relative (DDLOG's
  // Newton steps keep only an absolute error of some 100 units here).
  DDReal d, lm, bk, t1, t2, y;
  DDSUB(m, DDReal(1.0, 0.0), d);  // exact for m in [0.5, 2]
  lm = log1p_series(d);
  DDMULD(b, static_cast<double>(k), bk);
  DDMUL(bk, kLog2, t1);
  DDMUL(b, lm, t2);
  DDADD(t1, t2, y);
  DDEXP(y, p);
}

// The logarithm refines the binary64 logarithm by three Newton steps on e^x = a.
// Where one of those steps would leave DDEXP's range, the argument is first
// scaled by an exact power of two, a = m 2^k with m in [0.5, 1), and
// ln a = ln m + k ln 2; inside the range the result is that of the Newton steps
// alone.  Within 2^-9 of 1, where the Newton steps keep an absolute error
// only (about 100 units of 2^-104), their result is checked against
// ln(1 + d), d = a - 1 exact, from the series of atanh (keep_or_replace).
// NaN and +infinity give NaN words.
void DDLOG(const DDReal& a, DDReal& b) { detail::log_kept(a, b); }

bool detail::log_kept(const DDReal& a, DDReal& b) {
  if (std::isnan(a.hi) || !std::isfinite(a.lo)) {
    b = DDReal(kNaN, kNaN);
    return true;
  }
  if (a.hi <= 0.0) detail::fail(msg::kLogNotPositive);
  if (std::isinf(a.hi)) {
    b = DDReal(kNaN, kNaN);
    return true;
  }
  DDReal x;
  if (std::fabs(a.hi - 1.0) < detail::kSeriesBelow) {
    DDReal d;
    DDSUB(a, DDReal(1.0, 0.0), d);  // exact: a.hi - 1 is exact, and a.lo fits beside it
    log_newton(a, x);
    b = detail::keep_or_replace(x, detail::log1p_series(d));
    return same_words(b, x);
  }
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
  return true;
}

// a^b = e^(b ln a); where b ln a leaves (-300, 300) the exponent is formed
// again by detail::pow_wide, whose error does not grow with it.
void DDPOWER(const DDReal& a, const DDReal& b, DDReal& p) {
  if (a.hi <= 0.0) detail::fail(msg::kPowerNotPositive);
  DDReal l, t;
  DDLOG(a, l);
  DDMUL(b, l, t);
  if (std::fabs(t.hi) >= kExpLimit) {
    detail::pow_wide(a, b, p);
    return;
  }
  DDEXP(t, p);
}

}  // namespace dd
