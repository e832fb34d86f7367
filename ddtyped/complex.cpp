// Complex elementary functions beyond the range of their plain formulas:
// moduli of very large and very small values, ln |g| near the unit circle,
// sine and cosine of a large imaginary part.
#include "ddtyped/complex.hpp"

#include <cmath>
#include <initializer_list>

#include "ddelem/ddelem_impl.hpp"
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
/// g 2^-k for the exponent k of its larger part.
DDComplex scaled_down(const DDComplex& g, int& k) noexcept {
  k = std::ilogb(std::fmax(std::fabs(g.re.hi), std::fabs(g.im.hi)));
  return DDComplex(detail::scale_pow2(g.re, -k), detail::scale_pow2(g.im, -k));
}
}  // namespace

DDReal detail::abs_scaled(const DDComplex& g) noexcept {
  int k = 0;
  DDReal r;
  DDSQRT(norm2(scaled_down(g, k)), r);
  return scale_pow2(r, k);
}

DDReal detail::log_modulus_scaled(const DDComplex& g) {
  int k = 0;
  DDReal l, kl, s;
  DDLOG(norm2(scaled_down(g, k)), l);
  DDMULD(l, 0.5, l);
  DDMULD(kLog2, static_cast<double>(k), kl);
  DDADD(kl, l, s);
  return s;
}

DDReal detail::norm2_minus_one(const DDComplex& g) noexcept {
  // (h + l)^2 = h^2 + 2hl + l^2, each product split exactly into a rounded
  // product and its error; the twelve pieces and -1 are summed without
  // rounding error into four words, then rounded to a DDReal.
  double x[13];
  int m = 0;
  for (const DDReal* part : {&g.re, &g.im}) {
    const double h = part->hi, l = part->lo;
    const double p = h * h, c = h * (2.0 * l);
    x[m++] = p;
    x[m++] = prod_err(h, h, p);
    x[m++] = c;
    x[m++] = prod_err(h, 2.0 * l, c);
    x[m++] = l * l;
    x[m++] = prod_err(l, l, l * l);
  }
  x[m++] = -1.0;
  gather_words(x, m, 4);
  DDReal s;
  quick_two_sum(x[0], x[1] + (x[2] + x[3]), s.hi, s.lo);
  return s;
}

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
