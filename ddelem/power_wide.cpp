// Integer roots beyond the direct range of their Newton steps.
#include <cmath>
#include <limits>

#include "ddelem/ddelem.hpp"
#include "ddreal/power.hpp"

namespace dd {

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
