#include "ddspecial/polylog.hpp"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "ddreal/outfmt.hpp"
#include "ddelem/ddelem.hpp"
#include "ddreal/power.hpp"
#include "ddspecial/bernoulli.hpp"
#include "ddspecial/zeta.hpp"
#include "ddspecial/series.hpp"

namespace dd {

namespace {
using detail::negligible;

/// Li_n(e^mu) for mu < 0 near 0 (|mu| < 2 pi) and n >= 1, by
///   Li_n(e^mu) = sum_{k != n-1} zeta(n-k) mu^k / k! + mu^(n-1) / (n-1)! (H_{n-1} - ln(-mu)),
/// with zeta(0) = -1/2, zeta(-m) = -B(m+1) / (m+1) (zero for even m >= 2).
DDReal polylog_log_series(int n, const DDReal& mu, const DDReal& eps) {
  constexpr int kNb2 = 20;
  DDReal bern[kNb2];
  DDBERNER(kNb2, bern);
  DDReal mmu, lnm, h(0.0), s(0.0), t(1.0);
  DDNEG(mu, mmu);
  if (mmu.hi < 1e-100) {
    // DDLOG's own range ends near 5e-131: ln(-mu) = ln(-mu 2^600) - 600 ln 2.
    DDReal sc(mmu.hi * 0x1p600, mmu.lo * 0x1p600), l2;
    DDLOG(sc, lnm);
    DDLOG2(l2);
    DDMULD(l2, 600.0, l2);
    DDSUB(lnm, l2, lnm);
  } else {
    DDLOG(mmu, lnm);
  }
  for (int j = 1; j <= n - 1; ++j) {
    DDReal r;
    DDDIVD(DDReal(1.0), static_cast<double>(j), r);
    DDADD(h, r, h);
  }
  for (int k = 0; k <= n + 2 * kNb2 - 2; ++k) {
    if (k > 0) {
      DDMUL(t, mu, t);
      DDDIVD(t, static_cast<double>(k), t);
    }
    DDReal z, term;
    if (k < n - 1) {
      DDZETAINTR(n - k, z);
      DDMUL(z, t, term);
      DDADD(s, term, s);
    } else if (k == n - 1) {
      DDSUB(h, lnm, z);
      DDMUL(t, z, term);
      DDADD(s, term, s);
    } else {
      const int m = k - n;
      if (m > 0 && (m & 1) == 0) continue;  // zeta(-m) = 0
      if (m == 0) {
        z = DDReal(-0.5);
      } else {
        DDDIVD(bern[(m + 1) / 2 - 1], static_cast<double>(m + 1), z);
        DDNEG(z, z);
      }
      DDMUL(z, t, term);
      DDADD(s, term, s);
      if (negligible(term, eps, s)) break;
    }
  }
  return s;
}

/// ln|x| for 0.9999 < |x| < 1 as ln(1 - e), e = 1 - |x| (exact), by -sum e^k / k.
DDReal log_near_one(const DDReal& x, const DDReal& eps) {
  DDReal ax, e, t(1.0), mu(0.0);
  DDABS(x, ax);
  DDSUB(DDReal(1.0), ax, e);
  for (int k = 1; k < 1000; ++k) {
    DDReal term;
    DDMUL(t, e, t);
    DDDIVD(t, static_cast<double>(k), term);
    DDSUB(mu, term, mu);
    if (negligible(term, eps, mu)) break;
  }
  return mu;
}

}  // namespace

void DDPOLYLOGPOS(int n, const DDReal& x, DDReal& y) {
  if (n < 0) detail::fail(msg::kPolylogPosNegative);
  const DDReal eps = detail::kSeriesEps;
  DDReal ax;
  DDABS(x, ax);
  int ic;
  DDCOMPARE(ax, DDReal(1.0), ic);
  if (ic >= 0) detail::fail(msg::kPolylogPosRange);
  if (n == 0) {
    DDReal d;
    DDSUB(DDReal(1.0), x, d);
    DDDIV(x, d, y);
    return;
  }
  if (std::fabs(x.hi) > kPolylogNearOne && n < kPolylogLogSeriesOrders) {
    const DDReal mu = log_near_one(x, eps);
    DDReal r = polylog_log_series(n, mu, eps);
    if (x.hi < 0.0) {
      // Li_n(-y) = 2^(1-n) Li_n(y^2) - Li_n(y), ln(y^2) = 2 ln y.
      DDReal mu2, r2;
      DDMULD(mu, 2.0, mu2);
      r2 = polylog_log_series(n, mu2, eps);
      DDMULD(r2, std::ldexp(1.0, 1 - n), r2);
      DDSUB(r2, r, r);
    }
    y = r;
    return;
  }
  const DDReal xx = x;
  DDReal s = xx;
  DDReal t = xx;
  for (int k = 2; k <= kPolylogPosMaxTerms; ++k) {
    DDMUL(xx, t, t);
    DDReal kn, term;
    DDNPWR(DDReal(static_cast<double>(k)), n, kn);
    DDDIV(t, kn, term);
    DDADD(s, term, s);
    if (negligible(term, eps, s)) {
      y = s;
      return;
    }
  }
  detail::fail(msg::kPolylogPosLoopEnd);
}

void DDPOLYLOGINI(int nn, DDReal* table) {
  const long long n = std::llabs(static_cast<long long>(nn));
  if (n == 0) return;
  const auto un = static_cast<std::size_t>(n);
  std::vector<DDReal> p(un, DDReal(0.0)), q(un, DDReal(0.0));
  p[0] = DDReal(1.0);
  q[0] = DDReal(1.0);
  std::vector<DDReal>* old_col = &p;  // holds row k - 1
  std::vector<DDReal>* new_col = &q;
  for (long long k = 2; k <= n; ++k) {
    for (long long j = 2; j <= k; ++j) {
      DDReal a, b;
      DDMULD((*old_col)[j - 2], static_cast<double>(k + 1 - j), a);
      DDMULD((*old_col)[j - 1], static_cast<double>(j), b);  // entry k of row k-1 is 0
      DDADD(a, b, (*new_col)[j - 1]);
    }
    std::swap(old_col, new_col);
  }
  for (std::size_t m = 0; m < un; ++m) table[m] = (*old_col)[m];
}

void DDPOLYLOGNEG(int nn, const DDReal* table, const DDReal& x, DDReal& y) {
  if (nn == 0) detail::fail(msg::kPolylogNegZeroOrder);
  const long long n = std::llabs(static_cast<long long>(nn));
  if (table[n - 1].hi != 1.0 || table[0].hi != 1.0) detail::fail(msg::kPolylogNegTable);
  const DDReal xx = x;
  DDReal d;
  DDSUB(DDReal(1.0), xx, d);
  if (d.hi == 0.0) detail::fail(msg::kPolylogNegAtOne);
  DDReal s = xx;
  DDReal t = xx;
  for (long long k = 2; k <= n; ++k) {
    DDMUL(xx, t, t);
    DDReal at;
    DDMUL(table[k - 1], t, at);
    DDADD(s, at, s);
  }
  DDReal den;
  DDNPWR(d, static_cast<int>(n + 1), den);
  DDDIV(s, den, y);
}

}  // namespace dd
