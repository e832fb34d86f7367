#include "ddspecial/polylog.hpp"

#include <cstdlib>
#include <vector>

#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"

namespace dd {

namespace {
/// |u| <= |eps * s|: the series stop test of the special functions.
bool negligible(const DDReal& u, const DDReal& eps, const DDReal& s) noexcept {
  DDReal au, es, aes;
  DDABS(u, au);
  DDMUL(eps, s, es);
  DDABS(es, aes);
  int ic;
  DDCOMPARE(au, aes, ic);
  return ic <= 0;
}
}  // namespace

void DDPOLYLOGPOS(int n, const DDReal& x, DDReal& y) {
  if (n < 0) detail::fail(msg::kPolylogPosNegative);
  DDReal eps;
  DDNPWR(DDReal(2.0), -106, eps);
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
