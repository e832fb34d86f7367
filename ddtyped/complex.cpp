// Complex elementary functions beyond the range of their plain formulas.
#include "ddtyped/complex.hpp"

#include <cmath>

#include "ddreal/outfmt.hpp"

namespace dd {

namespace {
/// Beyond this |Im g| no part of sin g or cos g stays below the splitting
/// limit (e^1100 / 2 times the smallest nonzero sine still passes it).
constexpr double kWideImagMax = 1100.0;

/// t 2^k, stopping with the exponential's message (showing y) when it
/// passes the splitting limit.
DDReal scaled_or_stop(const DDReal& t, int k, double y) {
  if (std::fabs(t.hi) >= std::ldexp(detail::kSplitLimit, -k)) detail::fail(msg::kExpTooLarge, {y});
  return detail::scale_pow2(t, k);
}
}  // namespace

DDComplex detail::sin_cos_wide_imag(const DDComplex& g, bool sine) {
  const double y = g.im.hi;
  if (!(std::fabs(y) < kWideImagMax)) detail::fail(msg::kExpTooLarge, {y});
  DDReal ay, mant, co, si, a, b;
  DDABS(g.im, ay);
  int nz = 0;
  detail::exp_parts(ay, mant, nz);
  DDCSSNR(g.re, co, si);
  // sin g = (sin x, cos x sign y) e^|y| / 2;  cos g = (cos x, -sin x sign y) e^|y| / 2.
  DDMUL(mant, sine ? si : co, a);
  DDMUL(mant, sine ? co : si, b);
  const double sign = (y < 0.0) == sine ? -1.0 : 1.0;
  DDComplex v;
  v.re = scaled_or_stop(a, nz - 1, y);
  v.im = scaled_or_stop(DDReal(sign * b.hi, sign * b.lo), nz - 1, y);
  return v;
}

}  // namespace dd
