#include "ddspecial/hypergeom.hpp"

#include <cmath>

#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddreal/rounding.hpp"
#include "ddspecial/scaled_impl.hpp"
#include "ddspecial/series.hpp"

namespace dd {

namespace {
using detail::negligible;

constexpr double kScaleBig = 0x1p400;
constexpr double kScaleSmall = 0x1p-400;
/// An alternating sum is kept while the sum of its terms' sizes stays within
/// 2^19 of its value: its error was below 2^-1.4 of that ratio in units of
/// 2^-104 over 1600 random series, so it is then right to 2^18 units.
constexpr double kCancelLimit = 0x1p19;
/// Kummer's series in -x has a sum near e^-x, past the kernels' range beyond 690.
constexpr double kKummerRange = 690.0;

/// Multiplies both words of a by the power of two f (exact unless a word underflows).
inline void scale(DDReal& a, double f) noexcept {
  a.hi = a.hi * f;
  a.lo = a.lo * f;
}

/// The defining series, summed as the routine sums it; abs_sum receives the
/// sum of the terms' sizes (binary64), for the cancellation test.
DDReal pfq_series(int np, int nq, const DDReal* aa, const DDReal* bb, const DDReal& x, double& abs_sum) {
  const DDReal eps = detail::kSeriesEps;
  DDReal s(1.0), num(1.0), den(1.0);
  abs_sum = 1.0;
  // Keeps num and den inside [2^-400, 2^400] together, by exact powers of two.
  auto rescale = [&num, &den]() {
    const double big = std::fmax(std::fabs(num.hi), std::fabs(den.hi));
    if (big > kScaleBig) {
      scale(num, kScaleSmall);
      scale(den, kScaleSmall);
    } else if (big < kScaleSmall && big != 0.0) {
      scale(num, kScaleBig);
      scale(den, kScaleBig);
    }
  };
  detail::run_series(kPfqMaxTerms, msg::kPfqLoopEnd, [&](int i) {
    const DDReal t(static_cast<double>(i - 1));
    for (int j = 0; j < np; ++j) {
      DDReal f;
      DDADD(t, aa[j], f);
      DDMUL(num, f, num);
      rescale();
    }
    for (int j = 0; j < nq; ++j) {
      DDReal f;
      DDADD(t, bb[j], f);
      if (f.hi == 0.0) detail::fail(msg::kPfqPole, {j + 1});
      DDMUL(den, f, den);
      rescale();
    }
    DDMUL(num, x, num);
    DDMULD(den, static_cast<double>(i), den);
    rescale();
    DDReal u;
    DDDIV(num, den, u);
    if (!std::isfinite(u.hi)) detail::fail(msg::kPfqDiverges, {i});
    DDADD(s, u, s);
    abs_sum += std::fabs(u.hi);
    return negligible(u, eps, s);
  }, {kPfqMaxTerms});
  return s;
}

bool cancels(const DDReal& s, double abs_sum) { return abs_sum > kCancelLimit * std::fabs(s.hi); }

/// True when a is zero or a negative integer.
bool non_positive_integer(const DDReal& a) {
  if (a.hi > 0.0) return false;
  DDReal n;
  DDNINT(a, n);
  return n.hi == a.hi && n.lo == a.lo;
}

/// e^x 1F1(b - a; b; -x) (Kummer), for x < 0: the series in -x > 0, whose
/// sum grows like e^-x (beyond the range from x = -690 on).
bool kummer(const DDReal& a, const DDReal& b, const DDReal& x, DDReal& y) {
  if (x.hi <= -kKummerRange) return false;
  DDReal ta, mx;
  DDSUB(b, a, ta);
  DDNEG(x, mx);
  double abs_sum;
  const DDReal s = pfq_series(1, 1, &ta, &b, mx, abs_sum);
  if (cancels(s, abs_sum)) return false;
  y = detail::to_dd(detail::mul(detail::exp_scaled(x), detail::to_scaled(s)));
  return true;
}

/// (1 - x)^-a 2F1(a, c - b; c; x / (x - 1)) (Pfaff), for x < 0: the series in
/// x / (x - 1) in (0, 1).  Either numerator parameter may lead; the first
/// whose series does not cancel is taken.
bool pfaff(const DDReal* ab, const DDReal& c, const DDReal& x, DDReal& y) {
  DDReal omx, xm1, z;
  DDSUB(DDReal(1.0), x, omx);
  DDSUB(x, DDReal(1.0), xm1);
  DDDIV(x, xm1, z);
  for (int lead = 0; lead < 2; ++lead) {
    DDReal p[2], ma, pw;
    p[0] = ab[lead];
    DDSUB(c, ab[1 - lead], p[1]);
    double abs_sum;
    const DDReal s = pfq_series(2, 1, p, &c, z, abs_sum);
    if (cancels(s, abs_sum)) continue;
    DDNEG(p[0], ma);
    DDPOWER(omx, ma, pw);
    DDMUL(pw, s, y);
    return true;
  }
  return false;
}

}  // namespace

void DDHYPERGEOMPFQ(int np, int nq, const DDReal* aa, const DDReal* bb, const DDReal& xx, DDReal& yy) {
  if (np < 1 || np > kPfqMaxParams || nq < 1 || nq > kPfqMaxParams) detail::fail(msg::kPfqSize, {kPfqMaxParams});
  const DDReal x = xx;
  bool any_nan = detail::is_nan(x), terminating = false;
  for (int j = 0; j < np; ++j) {
    any_nan = any_nan || detail::is_nan(aa[j]);
    if (!any_nan) terminating = terminating || non_positive_integer(aa[j]);
  }
  for (int j = 0; j < nq; ++j) any_nan = any_nan || detail::is_nan(bb[j]);
  if (any_nan) {
    yy = detail::kNaNWords;
    return;
  }
  // A series that does not end diverges for p > q + 1 (every x != 0) and for
  // p = q + 1 with |x| > 1; its partial sums mean nothing.  2F1 at x <= -1
  // is the sum of Pfaff's series, in x / (x - 1) in [1/2, 1).
  DDReal t;
  if (!terminating && np == 2 && nq == 1 && x.hi <= -1.0) {
    if (pfaff(aa, bb[0], x, t)) {
      yy = t;
      return;
    }
    detail::fail(msg::kPfqCancels, {0});
  }
  if (!terminating && x.hi != 0.0 && (np > nq + 1 || (np == nq + 1 && std::fabs(x.hi) > 1.0))) {
    detail::fail(msg::kPfqDivergent);
  }
  double abs_sum;
  const DDReal s = pfq_series(np, nq, aa, bb, x, abs_sum);
  if (!cancels(s, abs_sum)) {
    yy = s;
    return;
  }
  // The terms cancel: a transformation to a series of one sign where one is
  // known (x < 0 for 1F1 and 2F1), else a message rather than lost digits.
  if (x.hi < 0.0 && ((np == 1 && nq == 1 && kummer(aa[0], bb[0], x, t)) || (np == 2 && nq == 1 && pfaff(aa, bb[0], x, t)))) {
    yy = t;
    return;
  }
  const int digits = static_cast<int>(std::floor((104.0 - std::log2(abs_sum / std::fabs(s.hi))) * 0.30103));
  detail::fail(msg::kPfqCancels, {digits < 0 ? 0 : digits});
}

}  // namespace dd
