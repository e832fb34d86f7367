// Arithmetic-geometric mean, and a Newton root finder for real polynomials.
#include <cmath>
#include <vector>

#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"

namespace dd {

namespace {
/// The AGM stops once the relative gap (s - g)/s falls below 2^-104.
constexpr double kAgmTol = 4.930380657631324e-32;
/// The gap halves its number of correct digits' deficit each step; 100 is a guard.
constexpr int kAgmMaxIter = 100;
/// DDROOT stops once a Newton step is at most 1e-29 in absolute size.
constexpr double kRootStepTol = 1e-29;
constexpr int kRootMaxIter = 20;
}  // namespace

void DDAGMR(const DDReal& a, const DDReal& b, DDReal& m) {
  DDReal s = a, g = b;
  for (int k = 1; k <= kAgmMaxIter; ++k) {
    DDReal p, t, d;
    DDMUL(s, g, p);
    DDADD(s, g, t);
    DDMULD(t, 0.5, s);
    if (p.hi == 0.0) {
      g = DDReal(0.0, 0.0);
    } else {
      DDSQRT(p, g);
    }
    DDSUB(s, g, d);
    if (d.hi == 0.0 || d.hi / s.hi < kAgmTol) {
      m = s;
      return;
    }
  }
  detail::fail(msg::kAgmIterLimit);
}

// Newton's method t <- t - p(t)/p'(t), both polynomials evaluated by summing
// a(i) t^i in increasing powers.  The step test is absolute, so roots of
// large magnitude may never meet it.
void DDROOT(int n, const DDReal* a, const DDReal& x0, DDReal& x) {
  const std::size_t len = n >= 0 ? static_cast<std::size_t>(n) + 1 : 0;
  std::vector<DDReal> coef(a, a + len);  // a may share storage with x
  std::vector<DDReal> ad(len);
  for (int i = 0; i < n; ++i) DDMULD(coef[i + 1], static_cast<double>(i + 1), ad[i]);
  if (n >= 0) ad[n] = DDReal(0.0, 0.0);

  DDReal t = x0;
  for (int it = 1; it <= kRootMaxIter; ++it) {
    DDReal w(1.0, 0.0), p(0.0, 0.0), q(0.0, 0.0), u;
    for (int i = 0; i <= n; ++i) {
      DDMUL(coef[i], w, u);
      DDADD(p, u, p);
      DDMUL(ad[i], w, u);
      DDADD(q, u, q);
      DDMUL(w, t, w);
    }
    DDReal h;
    DDDIV(p, q, h);
    DDSUB(t, h, t);
    x = t;
    if (std::fabs(h.hi) <= kRootStepTol) return;
  }
  detail::fail(msg::kRootNoConvergence);
}

}  // namespace dd
