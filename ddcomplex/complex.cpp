// Complex square root, division and integer power.
#include <cmath>
#include <cstdint>

#include "ddcomplex/ddcomplex.hpp"
#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"

namespace dd {

namespace {

/// Below this larger hi word the squares re^2, im^2 lose their low words.
constexpr double kScaleLow = 0x1p-484;
/// A square root's part im / 2r is formed from im scaled near 1 below this
/// im, as used (the division's products would fall into the subnormal range).
constexpr double kTinyPart = 0x1p-900;
/// Above this larger hi word of a divisor, 1 / |b|^2 has a subnormal low word
/// and the quotient loses digits (about 3 units of 2^-104 at 2^485, growing
/// fourfold per binade).
constexpr double kDivisorHigh = 0x1p484;

inline DDReal scaled(const DDReal& a, int k) { return DDReal(std::ldexp(a.hi, k), std::ldexp(a.lo, k)); }

/// The principal square root (v separate from a); false, with v unset, when
/// the modulus is not finite.
inline bool csqrt_core(const DDComplex& a, DDComplex& v) {
  DDReal rr, ii, s, m, u, t, h, r, w;
  DDMUL(a.re, a.re, rr);
  DDMUL(a.im, a.im, ii);
  DDADD(rr, ii, s);
  DDSQRT(s, m);
  if (!std::isfinite(m.hi) || !std::isfinite(m.lo)) return false;
  if (a.re.hi < 0.0) {
    DDNEG(a.re, u);
  } else {
    u = a.re;
  }
  DDADD(m, u, t);
  DDMULD(t, 0.5, h);
  DDSQRT(h, r);
  DDMULD(r, 2.0, w);
  if (!(a.re.hi < 0.0)) {
    v.re = r;
    DDDIV(a.im, w, v.im);
  } else {
    DDDIV(a.im, w, v.re);
    if (v.re.hi < 0.0) DDNEG(v.re, v.re);
    v.im = r;
    if (a.im.hi < 0.0) DDNEG(v.im, v.im);
  }
  return true;
}

}  // namespace

// sqrt(a) = (r, im/2r) with r = sqrt((|a| + |re|)/2) in the right half-plane,
// and (|im|/2r, +-r) with the sign of im in the left one; an im of -0 counts
// as non-negative.  The result is formed in locals, so v may share storage
// with a.  Where the modulus leaves the kernels' range (overflow near 2^512,
// lost low words below 2^-484), a is scaled by an even power of two 4^j and
// the root by 2^-j, both exact.  Infinite or NaN parts, in either word, give
// NaN words.
void DDCSQRT(const DDComplex& a, DDComplex& v) noexcept {
  if (a.re.hi == 0.0 && a.im.hi == 0.0) {
    v = DDComplex{DDReal(0.0, 0.0), DDReal(0.0, 0.0)};
    return;
  }
  DDComplex r;
  // fmax would drop a NaN part: the larger part is taken only of finite words.
  const bool finite = std::isfinite(a.re.hi) && std::isfinite(a.re.lo) && std::isfinite(a.im.hi) &&
                      std::isfinite(a.im.lo);
  const double big = finite ? std::fmax(std::fabs(a.re.hi), std::fabs(a.im.hi)) : std::nan("");
  if (!std::isfinite(big)) {
    const DDReal nan(std::nan(""), std::nan(""));
    v = DDComplex{nan, nan};
    return;
  }
  const bool scale = big < kScaleLow || !csqrt_core(a, r);
  const int j = -std::ilogb(big) / 2;
  if (scale) {
    csqrt_core(DDComplex{scaled(a.re, 2 * j), scaled(a.im, 2 * j)}, r);
    r.re = scaled(r.re, -j);
    r.im = scaled(r.im, -j);
  }
  // The part im / 2r goes wrong where im, scaled or not, lies so far below
  // the subnormal range's top that the division's products fall into it (or
  // the scaling took it to zero beside a huge re).  It is then formed again
  // from im scaled near 1 (with the sign of a negative im), and the first
  // result kept where it lies within 2^17 units of the new one.
  const double im_used = scale ? std::ldexp(std::fabs(a.im.hi), 2 * j) : std::fabs(a.im.hi);
  if (a.im.hi != 0.0 && im_used < kTinyPart) {
    const bool right = !(a.re.hi < 0.0);
    DDReal root = right ? r.re : r.im, w, q;
    DDABS(root, root);
    DDMULD(root, 2.0, w);
    const int k = -std::ilogb(a.im.hi);
    DDDIV(scaled(a.im, k), w, q);
    q = scaled(q, -k);
    if (!right) {
      if (q.hi < 0.0) DDNEG(q, q);
      if (a.im.hi < 0.0) DDNEG(root, root);
    }
    const DDComplex acc = right ? DDComplex{root, q} : DDComplex{q, root};
    r.re = detail::keep_or_replace(r.re, acc.re);
    r.im = detail::keep_or_replace(r.im, acc.im);
  }
  v = r;
}

namespace {

/// a / b by the literal sequence.
inline void cdiv_core(const DDComplex& a, const DDComplex& b, DDComplex& q) {
  DDReal f0, f1, s0, s1, s2, s3, p, y, br2, bi2, d, r, qr, qi;
  DDMUL(a.re, b.re, f0);
  DDMUL(a.im, b.im, f1);
  DDADD(f0, f1, s0);
  DDSUB(f0, f1, s1);
  DDADD(a.re, a.im, s2);
  DDSUB(b.re, b.im, s3);
  DDMUL(s3, s2, p);
  DDSUB(p, s1, y);
  DDMUL(b.re, b.re, br2);
  DDMUL(b.im, b.im, bi2);
  DDADD(br2, bi2, d);
  DDDIV(DDReal(1.0, 0.0), d, r);
  DDMUL(s0, r, qr);
  DDMUL(y, r, qi);
  q.re = qr;
  q.im = qi;
}

}  // namespace

// a / b = a conj(b) / |b|^2, the imaginary numerator from three products:
// (b.re - b.im)(a.re + a.im) - (a.re b.re - a.im b.im).  Where the divisor's
// larger part lies outside [2^-484, 2^484], so that |b|^2 or its reciprocal
// would lose low words, b is scaled by an exact power of two 2^k first and the
// quotient by the same 2^k afterwards.
void DDCDIV(const DDComplex& a, const DDComplex& b, DDComplex& q) {
  if (b.re.hi == 0.0 && b.im.hi == 0.0) detail::fail(msg::kCdivZero);
  const double big = std::fmax(std::fabs(b.re.hi), std::fabs(b.im.hi));
  if ((big > kDivisorHigh || big < kScaleLow) && std::isfinite(big)) {
    const int k = -std::ilogb(big);
    const DDComplex bs{scaled(b.re, k), scaled(b.im, k)};
    DDComplex r;
    cdiv_core(a, bs, r);
    q.re = scaled(r.re, k);
    q.im = scaled(r.im, k);
    return;
  }
  cdiv_core(a, b, q);
}

// Binary exponentiation, step for step as the real integer power DDNPWR.
// A NaN part gives NaN words, also for n = 0.
void DDCPWR(const DDComplex& a, int n, DDComplex& q) {
  if (std::isnan(a.re.hi) || std::isnan(a.im.hi)) {
    const DDReal nan(std::nan(""), std::nan(""));
    q = DDComplex{nan, nan};
    return;
  }
  if (a.re.hi == 0.0 && a.im.hi == 0.0) {
    if (n < 0) detail::fail(msg::kCpwrZero);
    q = DDComplex{DDReal(0.0, 0.0), DDReal(0.0, 0.0)};
    return;
  }
  if (n == 0) {
    q = DDComplex{DDReal(1.0, 0.0), DDReal(0.0, 0.0)};
    return;
  }
  const std::int64_t nn = n < 0 ? -static_cast<std::int64_t>(n) : static_cast<std::int64_t>(n);
  DDComplex r;
  if (nn == 1) {
    r = a;
  } else if (nn == 2) {
    DDCMUL(a, a, r);
  } else {
    // Number of binary digits of nn (the 1e-14 guards exact powers of two).
    const int mn = static_cast<int>(std::log(static_cast<double>(nn)) * 1.4426950408889634 + 1.0 + 1e-14);
    r = DDComplex{DDReal(1.0, 0.0), DDReal(0.0, 0.0)};
    DDComplex t = a;
    std::int64_t kk = nn;
    for (int j = 1; j <= mn; ++j) {
      if ((kk & 1) != 0) DDCMUL(r, t, r);
      kk /= 2;
      if (j < mn) DDCMUL(t, t, t);
    }
  }
  if (n < 0) DDCDIV(DDComplex{DDReal(1.0, 0.0), DDReal(0.0, 0.0)}, r, r);
  if (nn > detail::kCpwrCheckAbove) {
    detail::cpwr_large(a, n, r, q);
  } else {
    q = r;
  }
}

}  // namespace dd
