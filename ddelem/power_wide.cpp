// Integer roots beyond the direct range of their Newton steps, and integer
// powers with large exponents.
#include <cmath>
#include <cstdint>
#include <limits>

#include "ddcomplex/ddcomplex.hpp"
#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/power.hpp"

namespace dd {

namespace {

// ---- triple-word numbers for binary exponentiation ---------------------------
//
// Each product of the binary exponentiation rounds by about 2^-106, and the
// squarings double the relative error each time, so a^n in double-double
// carries an error of about |n| 2^-106.  Carried in three words the products
// round by about 2^-150, and the power keeps full double-double accuracy up
// to |n| = 2^31.

/// The unevaluated sum w[0] + w[1] + w[2].
struct Triple {
  double w[3];
};

Triple gather(double* x, int m) {
  Triple t{};
  detail::gather_words(x, m, 3);
  for (int k = 0; k < 3 && k < m; ++k) t.w[k] = x[k];
  return t;
}

/// The terms a_i b_j with i + j <= 2 of a product: the leading three as
/// exact products (rounded product and its error), the others rounded.
int product_terms(const Triple& a, const Triple& b, double sign, double* x) {
  int m = 0;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; i + j <= 2; ++j) {
      const double p = a.w[i] * b.w[j];
      x[m++] = sign * p;
      if (i + j <= 1) x[m++] = sign * detail::prod_err(a.w[i], b.w[j], p);
    }
  }
  return m;
}

Triple mul(const Triple& a, const Triple& b) {
  double x[9];
  return gather(x, product_terms(a, b, 1.0, x));
}

struct TripleComplex {
  Triple re, im;
};

TripleComplex mul(const TripleComplex& a, const TripleComplex& b) {
  double x[18];
  int m = product_terms(a.re, b.re, 1.0, x);
  m += product_terms(a.im, b.im, -1.0, x + m);
  TripleComplex r;
  r.re = gather(x, m);
  m = product_terms(a.re, b.im, 1.0, x);
  m += product_terms(a.im, b.re, 1.0, x + m);
  r.im = gather(x, m);
  return r;
}

Triple triple(const DDReal& a) { return Triple{{a.hi, a.lo, 0.0}}; }
TripleComplex triple(const DDComplex& a) { return TripleComplex{triple(a.re), triple(a.im)}; }

DDReal rounded(const Triple& t) {
  double x[3] = {t.w[0], t.w[1], t.w[2]};
  const Triple g = gather(x, 3);
  DDReal r;
  detail::quick_two_sum(g.w[0], g.w[1] + g.w[2], r.hi, r.lo);
  return r;
}
DDComplex rounded(const TripleComplex& t) { return DDComplex(rounded(t.re), rounded(t.im)); }

/// a^|n| by binary exponentiation on the three-word form.
template <class T>
T power(T t, std::int64_t nn, T one) {
  T r = one;
  while (nn != 0) {
    if ((nn & 1) != 0) r = mul(r, t);
    nn >>= 1;
    if (nn != 0) t = mul(t, t);
  }
  return r;
}

}  // namespace

void detail::gather_words(double* x, int m, int words) {
  for (int k = 0; k < words && k < m; ++k) {
    // Passes over x[k .. m) until one changes nothing: then x[k] is the sum
    // of x[k .. m) rounded (a single pass may leave it at zero after a
    // cancellation, with the sum spread over the rest).  Each pass is exact,
    // and they converge within m passes.
    for (int pass = 0; pass < m; ++pass) {
      bool changed = false;
      for (int i = m - 1; i > k; --i) {
        const double t = x[i - 1] + x[i];
        const double e = two_sum_err(x[i - 1], x[i], t);
        changed = changed || t != x[i - 1] || e != x[i];
        x[i] = e;
        x[i - 1] = t;
      }
      if (!changed) break;
    }
  }
}

void detail::npwr_large(const DDReal& a, int n, const DDReal& lit, DDReal& b) {
  const std::int64_t nn = n < 0 ? -static_cast<std::int64_t>(n) : static_cast<std::int64_t>(n);
  DDReal acc = rounded(power(triple(a), nn, Triple{{1.0, 0.0, 0.0}}));
  if (n < 0) DDDIV(DDReal(1.0, 0.0), acc, acc);
  b = keep_or_replace(lit, acc);
}

void detail::cpwr_large(const DDComplex& a, int n, const DDComplex& lit, DDComplex& q) {
  const std::int64_t nn = n < 0 ? -static_cast<std::int64_t>(n) : static_cast<std::int64_t>(n);
  const TripleComplex one{{{1.0, 0.0, 0.0}}, {{0.0, 0.0, 0.0}}};
  DDComplex acc = rounded(power(triple(a), nn, one));
  if (n < 0) DDCDIV(DDComplex(DDReal(1.0, 0.0), DDReal(0.0, 0.0)), acc, acc);
  // Kept where both parts lie within 2^17 units of 2^-104 of |acc| (the
  // error of a complex product is bounded against the modulus, not per part).
  DDReal dr, di;
  DDSUB(lit.re, acc.re, dr);
  DDSUB(lit.im, acc.im, di);
  const double scale = kKeepWithin * 0x1p-104 * std::fmax(std::fabs(acc.re.hi), std::fabs(acc.im.hi));
  q = std::fabs(dr.hi) <= scale && std::fabs(di.hi) <= scale ? lit : acc;
}

void detail::nrt_scaled(const DDReal& a, int n, const DDReal& lit, DDReal& b) {
  if (std::isnan(a.hi) || !std::isfinite(a.lo) || std::isinf(a.hi)) {
    // No root of a NaN; the root of +infinity is not a DDReal either.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    b = DDReal(nan, nan);
    return;
  }
  // a = m 2^e with m in [1, 2), scaled exactly; e = q n + r with 0 <= r < n.
  const int e = std::ilogb(a.hi);
  const DDReal m = scale_pow2(a, -e);
  int q = e / n;
  if (e % n < 0) --q;
  const int r = e - q * n;
  DDReal root;
  if (r < 960) {
    DDNRT(scale_pow2(m, r), n, root);
  } else {
    // n > 960: 2^(r/n) = e^(r ln 2 / n), an argument below ln 2.
    DDReal mr, l, t, p;
    DDNRT(m, n, mr);
    DDMULD(kLog2, static_cast<double>(r), l);
    DDDIVD(l, static_cast<double>(n), t);
    DDEXP(t, p);
    DDMUL(mr, p, root);
  }
  b = keep_or_replace(lit, scale_pow2(root, q));
}

}  // namespace dd
