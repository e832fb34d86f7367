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
