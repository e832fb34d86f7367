// Diagnostics and numeric helpers of the relation search: the mantissa and
// exponent shown in progress lines, the norm bound, the extremes of y, the
// matrix dumps and the clocks.
#include <time.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "ddio/ddio.hpp"
#include "ddreal/outfmt.hpp"
#include "ddtyped/real.hpp"
#include "pslq/pslq.hpp"
#include "pslq/pslq_impl.hpp"

namespace dd {

namespace {
constexpr char kRowLine[] = "('Row',i3)";
constexpr char kPairLine[] = "(4(f13.8,'e',i5))";
}  // namespace

double log10hi(const DDReal& a) {
  const double hi = to_binary64(a);
  if (hi == 0.0) return pslq::kLog10Zero;
  return std::log10(std::fabs(hi));
}

void decsplit(const DDReal& a, double& m, int& e) {
  const double hi = to_binary64(a);
  if (hi == 0.0) {
    m = 0.0;
    e = 0;
    return;
  }
  if (!std::isfinite(hi)) {  // no decimal exponent to take; shown as is
    m = hi;
    e = 0;
    return;
  }
  const double l = std::log10(std::fabs(hi));
  int k = static_cast<int>(l);  // toward zero; |l| < 324
  if (l < 0.0) k -= 1;
  m = std::copysign(std::pow(10.0, l - k), hi);
  e = k;
}

void normbound(int n, const DDReal* h, DDReal& bound) {
  const detail::ColMajor<const DDReal> H{h, n};
  DDReal t = to_ddreal(0.0);
  for (int i = 1; i <= n - 1; ++i) t = max(t, abs(H(i, i)));
  bound = 1.0 / t;
}

void minmaxy(int n, const DDReal* y, DDReal& ymin, DDReal& ymax) {
  DDReal lo = to_ddreal(1e300);
  DDReal hi = to_ddreal(0.0);
  for (int i = 0; i < n; ++i) {
    const DDReal a = abs(y[i]);
    lo = min(lo, a);
    hi = max(hi, a);
  }
  ymin = lo;
  ymax = hi;
}

void matprint(int m, int k, const DDReal* a) {
  const detail::ColMajor<const DDReal> A{a, m};
  std::vector<detail::FmtItem> items;
  items.reserve(2 * static_cast<std::size_t>(k > 0 ? k : 0));
  for (int i = 1; i <= m; ++i) {
    detail::print_lines(kRowLine, {i});
    items.clear();
    for (int j = 1; j <= k; ++j) {
      double mant;
      int ex;
      decsplit(A(i, j), mant, ex);
      items.emplace_back(mant);
      items.emplace_back(ex);
    }
    detail::write_lines(stdout, kPairLine, items);
  }
}

void matwrite(int m, int k, const DDReal* a) {
  const detail::ColMajor<const DDReal> A{a, m};
  for (int i = 1; i <= m; ++i) {
    detail::print_lines(kRowLine, {i});
    for (int j = 1; j <= k; ++j) DDEWRITE(6, 45, 35, A(i, j));
  }
}

double cputime() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  const float t = static_cast<float>(static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9);
  return static_cast<double>(t);
}

double wallclock() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  // A 32-bit count of milliseconds at 1000 counts per second, wrapping as such a counter does.
  const std::int64_t ms = static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
  const auto count = static_cast<std::int32_t>(static_cast<std::uint32_t>(ms & 0x7fffffff));
  return static_cast<double>(count) / 1000.0;
}

double clockwrap(double t) { return t >= 0.0 ? t : t + 2147483.648; }

}  // namespace dd
