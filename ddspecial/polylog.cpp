#include "ddspecial/polylog.hpp"

#include <cmath>
#include <cstdlib>
#include <type_traits>
#include <vector>

#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddspecial/bernoulli.hpp"
#include "ddspecial/scaled_impl.hpp"
#include "ddspecial/series.hpp"
#include "ddspecial/zeta.hpp"

namespace dd {

namespace {
using detail::negligible;

/// log2 of the kernels' splitting limit, with a margin.
const double kPowerSplitLog2 = std::log2(detail::kSplitLimit) - 1.0;
/// For x > 0 the defining series replaces the sum over the poles once
/// |ln x| passes this (fewer than n/2 + 40 terms).
constexpr double kPolylogNegSeriesFrom = 2.0;
/// Most terms of the sum over the poles (a few dozen for n >= 20).
constexpr int kPolylogNegPoleTerms = 100000;
/// The closed form is kept while its error estimate, 2^-106 of the sum of
/// its terms' sizes over (1 - x)^(n+1), stays below 2^-86 of the function's
/// natural size (2^18 units of 2^-104): its actual error was at most twice
/// the estimate, and a fifth of it on the median, over 400 arguments.
constexpr double kPolylogNegCancelLog2 = -86.0;
/// Up to this order the closed form stands at every x < 0 (no estimate).
constexpr long long kPolylogNegAlwaysClosed = 20;
/// Below this cancellation (sum of sizes over the sum) the check is not needed.
constexpr double kPolylogNegCheckFrom = 0x1p18;

/// k^n as DDNPWR gives it for an integer k >= 1 and n >= 1: for low orders,
/// while k^n stays below 2^53, the binary64 products are exact and DDNPWR's
/// squarings give the same (k^n, +0) words; elsewhere DDNPWR itself.
inline void exact_integer_power(int k, int n, DDReal& r) {
  constexpr int kDirectOrders = 8;
  if (n <= kDirectOrders) {
    const double dk = static_cast<double>(k);
    double p = dk;
    for (int i = 1; i < n; ++i) p *= dk;
    if (p < 0x1p53) {
      r = DDReal(p, 0.0);
      return;
    }
  }
  DDNPWR(DDReal(static_cast<double>(k)), n, r);
}

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

// ---- negative orders where the Eulerian sum fails -------------------------------
//
// The closed form sum_m A(n, m) x^m / (1 - x)^(n+1) has terms of one sign for
// x > 0, but for x < 0 they alternate and cancel: the value, -s^(n)(t) for
// the logistic function s(t) = 1 / (1 + e^-t) at t = ln(-x), stays below about
// 2 n! / (t^2 + pi^2)^((n+1)/2) while the terms reach n! / 2^(n+1) near
// x = -1 (at n = 60, 2^40 times the value).  Its products also leave the
// kernels' range long before the value does (the table's entries pass 1e300
// from n = 167 on).  Where the closed form's own error estimate exceeds 2^-86
// of that natural size, or a word leaves the range, the value comes from
//   - the sum over the poles (|ln x| <= 2 for x > 0, |ln |x|| <= n for x < 0):
//       Li_-n(e^mu) = n! sum_{j in Z} (2 pi i j - mu)^-(n+1)          (x > 0)
//       Li_-n(-e^t) = 2 (-1)^(n+1) n! sum_{j>=0} Re (t - i pi (2j+1))^-(n+1)  (x < 0)
//     whose terms fall like j^-(n+1) (a few dozen for n >= 20);
//   - the defining series sum_k k^n x^k elsewhere (its terms have one sign
//     for x > 0, and fall from the first for x < 0), with x replaced by 1/x
//     for |x| > 1 through
//     Li_-n(x) = (-1)^(n+1) Li_-n(1/x);
// both with scaled powers, so that only the result's own range matters.

/// The natural size of Li_-n(x): for x < 0 the smaller of 2 n! / (t^2 + pi^2)^((n+1)/2)
/// and Li_-n(|x|) ~ |x| (t = ln |x| far below -n), as log2.
double polylog_neg_log2_scale(int n, double x) {
  const double t = std::log(std::fabs(x));
  const double dn = static_cast<double>(n);
  const double pole = 1.0 + std::lgamma(dn + 1.0) / std::log(2.0) - 0.5 * (dn + 1.0) * std::log2(t * t + 9.8696044010893586);
  return std::fabs(t) > dn ? std::min(pole, std::log2(std::fabs(x)) + 1.0) : pole;
}

/// n! as a scaled value.
detail::Scaled factorial_scaled(int n) {
  DDReal f(1.0, 0.0);
  std::int64_t e = 0;
  for (int i = 2; i <= n; ++i) {
    DDMULD(f, static_cast<double>(i), f);
    if (f.hi > 0x1p600) {
      f = detail::ldexp_words(f, -600);
      e += 600;
    }
  }
  return detail::normalise(f, e);
}

/// |a|^-m for m >= 1, scaled, with the sign of a^-m.
detail::Scaled signed_inverse_power(const DDReal& a, std::int64_t m) {
  DDReal aa;
  DDABS(a, aa);
  detail::Scaled p = detail::pow_scaled(aa, -m);
  if (a.hi < 0.0 && m % 2 != 0) DDNEG(p.m, p.m);
  return p;
}

/// Li_-n(x) by the sum over the poles, for x != 0, 1 with |ln |x|| <= n.
detail::Scaled polylog_neg_poles(int n, const DDReal& x, const char* loop_end) {
  const std::int64_t m = static_cast<std::int64_t>(n) + 1;
  DDReal ax, pi;
  DDABS(x, ax);
  DDPI(pi);
  const DDReal l = detail::log_accurate(ax);
  const bool positive = x.hi > 0.0;
  DDReal u = l;
  if (positive) DDNEG(l, u);  // -mu
  // x > 0: (-mu)^-(n+1) + 2 sum_{j>=1} Re(-mu + 2 pi i j)^-(n+1);
  // x < 0: sum_{j>=0} Re(t - i pi (2j+1))^-(n+1), times 2 (-1)^(n+1) below.
  detail::Scaled sum, lead;
  if (positive) {
    sum = signed_inverse_power(u, m);
    lead = sum;
  }
  detail::run_series(kPolylogNegPoleTerms, loop_end, [&](int k) {
    const int j = positive ? k : k - 1;
    DDReal c, r2, c2, phi, angle, cs, sn;
    DDMULD(pi, positive ? 2.0 * j : 2.0 * j + 1.0, c);
    DDMUL(u, u, r2);
    DDMUL(c, c, c2);
    DDADD(r2, c2, r2);
    // |u + i c|^-(n+1) and cos((n+1) arg(u + i c))
    detail::Scaled mag = detail::pow_scaled(r2, -(m / 2));
    if (m % 2 != 0) {
      DDReal r;
      DDSQRT(r2, r);
      DDDIV(DDReal(1.0, 0.0), r, r);
      mag = detail::mul(mag, detail::to_scaled(r));
    }
    if (k == 1 && !positive) lead = mag;
    DDANG(u, c, phi);
    DDMULD(phi, static_cast<double>(m), angle);
    DDCSSNR(angle, cs, sn);
    if (positive) DDMULD(cs, 2.0, cs);
    sum = detail::add(sum, detail::mul(mag, detail::to_scaled(cs)));
    return mag.e < lead.e - 112;
  });
  detail::Scaled f = factorial_scaled(n);
  if (!positive) {
    DDMULD(f.m, m % 2 == 0 ? 2.0 : -2.0, f.m);  // 2 (-1)^(n+1)
  }
  return detail::mul(f, sum);
}

/// Li_-n(y) = sum_k k^n y^k for 0 < |y| < 1: y > 0 with |ln y| > 2, or
/// y < 0 with |ln |y|| > n, where the terms fall from the first.
detail::Scaled polylog_neg_series(int n, const DDReal& y, const char* loop_end) {
  detail::Scaled sum;
  const double peak = static_cast<double>(n) / std::fabs(std::log(std::fabs(y.hi)));  // the largest term's k
  detail::run_series(kPolylogPosMaxTerms, loop_end, [&](int k) {
    const detail::Scaled term = detail::mul(detail::pow_scaled(DDReal(static_cast<double>(k), 0.0), n),
                                            detail::pow_scaled(y, k));
    sum = detail::add(sum, term);
    if (term.e > sum.e || k < peak) return false;
    return negligible(detail::ldexp_words(term.m, static_cast<int>(std::max<std::int64_t>(term.e - sum.e, -200))),
                      detail::kSeriesEps, sum.m);
  });
  return sum;
}

/// Li_-n(x), x != 0, 1, without the Eulerian table.  The defining series has
/// terms of one sign for x > 0 and ends quickly once |ln x| passes 2; for
/// x < 0 its terms grow and cancel unless |ln |x|| passes n.  The sum over
/// the poles serves in between.
detail::Scaled polylog_neg_wide(int n, const DDReal& x, const char* loop_end) {
  const double l = std::fabs(std::log(std::fabs(x.hi)));
  if (l <= (x.hi > 0.0 ? kPolylogNegSeriesFrom : static_cast<double>(n))) return polylog_neg_poles(n, x, loop_end);
  if (std::fabs(x.hi) < 1.0) return polylog_neg_series(n, x, loop_end);
  DDReal y;
  DDDIV(DDReal(1.0, 0.0), x, y);
  detail::Scaled r = polylog_neg_series(n, y, loop_end);
  if (n % 2 == 0) DDNEG(r.m, r.m);  // (-1)^(n+1)
  return r;
}

}  // namespace

void DDPOLYLOGPOS(int n, const DDReal& x, DDReal& y) {
  if (n < 0) detail::fail(msg::kPolylogPosNegative);
  if (detail::is_nan(x)) {
    y = detail::kNaNWords;
    return;
  }
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
  // Step j adds the term of k = j + 1.  Once k^N passes the kernels' splitting
  // limit the term is below 2^-996 of |x| and the sum is complete.
  const double k_split = std::exp2(kPowerSplitLog2 / static_cast<double>(n));
  detail::run_series(kPolylogPosMaxTerms - 1, msg::kPolylogPosLoopEnd, [&](int j) {
    if (static_cast<double>(j + 1) >= k_split) return true;
    DDMUL(xx, t, t);
    DDReal kn, term;
    exact_integer_power(j + 1, n, kn);
    DDDIV(t, kn, term);
    DDADD(s, term, s);
    return negligible(term, eps, s);
  });
  y = s;
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
  if (detail::is_nan(x)) {
    y = detail::kNaNWords;
    return;
  }
  const DDReal xx = x;
  DDReal d;
  DDSUB(DDReal(1.0), xx, d);
  if (d.hi == 0.0) detail::fail(msg::kPolylogNegAtOne);
  DDReal s = xx;
  DDReal t = xx;
  // For x < 0 and n above 20 the terms' sizes are summed beside them, for the
  // error estimate; up to n = 20 the closed form's error stays below 2^12
  // units of the natural size for every x < 0 (the terms reach at most
  // (pi/2)^(n+1) / 4 times that size, at x = -1; 2^8.3 units measured).
  const bool check = xx.hi < 0.0 && n > kPolylogNegAlwaysClosed;
  double abs_sum = std::fabs(xx.hi);
  auto sum_terms = [&](auto alternating) {
    for (long long k = 2; k <= n; ++k) {
      DDMUL(xx, t, t);
      DDReal at;
      DDMUL(table[k - 1], t, at);
      DDADD(s, at, s);
      if constexpr (decltype(alternating)::value) abs_sum += std::fabs(at.hi);
    }
  };
  if (check) {
    sum_terms(std::true_type{});
  } else {
    sum_terms(std::false_type{});
  }
  // The largest factor the products had to split: x or x^n, or the middle
  // Eulerian number (the largest of its row).
  const double big = std::fmax(std::fmax(std::fabs(xx.hi), std::fabs(t.hi)), std::fabs(table[n / 2].hi));
  DDReal den;
  DDNPWR(d, static_cast<int>(n + 1), den);
  // The closed form stands where every factor stayed inside the range the
  // kernels can split, the sums stayed finite, and, for x < 0, where its
  // rounding errors stay small against the function's natural size.
  const double aden = std::fabs(den.hi);
  bool fits = big < detail::kSplitLimit && std::isfinite(s.hi) && std::isfinite(s.lo) && aden < detail::kSplitLimit &&
              aden >= detail::kFullPrecisionMin && std::isfinite(den.lo);
  // At x = -1 and even n the value is zero (the symmetric Eulerian numbers
  // cancel in pairs), which the rounded partial sums miss from n = 32 on.
  if (xx.hi == -1.0 && xx.lo == 0.0 && n % 2 == 0) {
    y = DDReal(0.0, 0.0);
    return;
  }
  // Cancelling less than 2^18-fold keeps the error below 2^18 units of the
  // value itself; only beyond that is the natural size worked out.
  if (fits && check && !(abs_sum <= kPolylogNegCheckFrom * std::fabs(s.hi))) {
    const double err = std::log2(abs_sum) - 106.0 - std::log2(aden);
    fits = err <= polylog_neg_log2_scale(static_cast<int>(n), xx.hi) + kPolylogNegCancelLog2;
  }
  if (fits) {
    DDReal r;
    DDDIV(s, den, r);
    if (std::fabs(r.hi) < detail::kSplitLimit) {
      y = r;
      return;
    }
  }
  y = detail::to_dd(polylog_neg_wide(static_cast<int>(n), xx, msg::kPolylogNegLoopEnd));
}

}  // namespace dd
