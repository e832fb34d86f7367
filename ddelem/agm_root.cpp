// Arithmetic-geometric mean, and a Newton root finder for real polynomials.
#include <cmath>
#include <vector>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
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

/// Inside this band of magnitudes every product s g of the iteration stays
/// inside the kernels' full-precision range.
constexpr double kAgmBandLow = 0x1p-480;
constexpr double kAgmBandHigh = 0x1p480;
/// Below this ratio of the smaller to the larger argument AGM(1, x) is
/// pi / (2 ln(4/x)) to far below 2^-104 (the next term is of order x^2).
constexpr double kAgmAsymptoticBelow = 0x1p-60;

/// The literal iteration; false when it has not met its test after 100 steps.
bool agm_iterate(const DDReal& a, const DDReal& b, DDReal& m) {
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
      return true;
    }
  }
  return false;
}

/// AGM(a, b) for positive a, b outside the band: with M = max(a, b) = m 2^k
/// and r = min / max, M AGM(1, r) from the iteration on (m, m r) when r is
/// at least 2^-60, else M pi / (2 (ln 4 + ln M - ln min)).
DDReal agm_scaled(const DDReal& a, const DDReal& b) {
  const bool a_larger = a.hi >= b.hi;
  const DDReal& big = a_larger ? a : b;
  const DDReal& small = a_larger ? b : a;
  if (small.hi >= kAgmAsymptoticBelow * big.hi) {
    const int k = std::ilogb(big.hi);
    DDReal m;
    agm_iterate(detail::scale_pow2(big, -k), detail::scale_pow2(small, -k), m);
    return detail::scale_pow2(m, k);
  }
  DDReal lb, ls, l4, d, den, q, qm;
  DDLOG(big, lb);
  DDLOG(small, ls);
  DDMULD(detail::kLog2, 2.0, l4);
  DDSUB(lb, ls, d);
  DDADD(l4, d, den);
  DDMULD(den, 2.0, den);
  DDDIV(detail::kPi, den, q);
  // q M, the product taken on M's mantissa (M may lie beyond the split limit).
  const int k = std::ilogb(big.hi);
  DDMUL(q, detail::scale_pow2(big, -k), qm);
  return detail::scale_pow2(qm, k);
}

}  // namespace

// The arithmetic-geometric mean by its iteration, stopped at a relative gap
// of 2^-104.  For positive arguments outside [2^-480, 2^480], where the
// products s g may overflow or lose their low words, the mean is also formed
// from the scaled arguments (or, when one is below 2^-60 of the other, from
// the asymptotic form pi M / (2 ln(4 M / min))), and the iteration's own
// result kept where it lies within 2^17 units of that.
void DDAGMR(const DDReal& a, const DDReal& b, DDReal& m) {
  const bool in_band = std::fabs(a.hi) >= kAgmBandLow && std::fabs(a.hi) <= kAgmBandHigh &&
                       std::fabs(b.hi) >= kAgmBandLow && std::fabs(b.hi) <= kAgmBandHigh;
  const bool positive = a.hi > 0.0 && b.hi > 0.0 && std::isfinite(a.hi) && std::isfinite(b.hi) &&
                        std::isfinite(a.lo) && std::isfinite(b.lo);
  DDReal lit;
  const bool converged = agm_iterate(a, b, lit);
  if (in_band || !positive) {
    if (!converged) detail::fail(msg::kAgmIterLimit);
    m = lit;
    return;
  }
  const DDReal acc = agm_scaled(a, b);
  m = converged ? detail::keep_or_replace(lit, acc) : acc;
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
