#include "ddspecial/hypergeom.hpp"

#include <cmath>

#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddspecial/series.hpp"

namespace dd {

namespace {
using detail::negligible;

constexpr double kScaleBig = 0x1p400;
constexpr double kScaleSmall = 0x1p-400;

/// Multiplies both words of a by the power of two f (exact unless a word underflows).
inline void scale(DDReal& a, double f) noexcept {
  a.hi = a.hi * f;
  a.lo = a.lo * f;
}
}  // namespace

void DDHYPERGEOMPFQ(int np, int nq, const DDReal* aa, const DDReal* bb, const DDReal& xx, DDReal& yy) {
  if (np < 1 || np > kPfqMaxParams || nq < 1 || nq > kPfqMaxParams) detail::fail(msg::kPfqSize, {kPfqMaxParams});
  const DDReal eps = detail::kSeriesEps;
  const DDReal x = xx;
  DDReal s(1.0), num(1.0), den(1.0);
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
  for (int i = 1; i <= kPfqMaxTerms; ++i) {
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
    if (negligible(u, eps, s)) {
      yy = s;
      return;
    }
  }
  detail::fail(msg::kPfqLoopEnd, {kPfqMaxTerms});
}

}  // namespace dd
