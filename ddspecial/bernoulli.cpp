// DDBERNER: even Bernoulli numbers from the series of pi x coth(pi x).
//
// With y = x^2, pi x coth(pi x) = cosh(pi x) / (sinh(pi x) / (pi x)) is the
// quotient of two series in y whose coefficients are pi^(2k)/(2k)! and
// pi^(2k)/(2k+1)!.  The reciprocal of the denominator comes from Newton's
// iteration q <- q + q (1 - den q) on truncated series of growing degree; the
// coefficient r(k) of the quotient is (-1)^(k+1) 2 zeta(2k), and
// B(2k) = (-1)^(k+1) (2k)! |r(k)| / (2 pi)^(2k).
#include "ddspecial/bernoulli.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "ddreal/power.hpp"
#include "ddspecial/series.hpp"

namespace dd {

namespace {
/// Newton iterations allowed in all (the working degree doubles, so about
/// twenty are used for the largest table).
constexpr int kBernerMaxIterations = 10000;
}  // namespace

void DDBERNER(int NB2, DDReal* table) {
  if (NB2 < 1 || NB2 > kBernerMaxNB2) detail::fail(msg::kBernerRange, {kBernerMaxNB2, NB2});

  const std::size_t len = static_cast<std::size_t>(NB2) + 1;
  std::vector<DDReal> unit(len), num(len), den(len), q(len), r(len), s(len);

  DDReal pi, p;
  DDPI(pi);
  DDMUL(pi, pi, p);

  unit[0] = DDReal(1.0, 0.0);
  num[0] = DDReal(1.0, 0.0);
  den[0] = DDReal(1.0, 0.0);
  q[0] = DDReal(1.0, 0.0);
  for (int k = 1; k <= NB2; ++k) {
    const double t1 = static_cast<double>(2 * k - 1) * static_cast<double>(2 * k);
    const double t2 = static_cast<double>(2 * k) * static_cast<double>(2 * k + 1);
    unit[k] = DDReal(0.0, 0.0);
    DDMUL(p, num[k - 1], num[k]);
    DDDIVD(num[k], t1, num[k]);
    DDMUL(p, den[k - 1], den[k]);
    DDDIVD(den[k], t2, den[k]);
    q[k] = DDReal(0.0, 0.0);
  }

  // Newton iteration for q = 1/den, the working degree L doubling each time
  // the newest coefficient q(L) settles to 2^-100.
  DDReal eps;
  DDNPWR(DDReal(2.0), -100, eps);
  DDReal prev(0.0, 0.0);
  int nn = std::min(4, NB2);
  detail::run_series(kBernerMaxIterations, msg::kBernerLoopEnd, [&](int) {
    DDSERMUL(nn, den.data(), q.data(), r.data());
    DDSERSUB(nn, unit.data(), r.data(), s.data());
    DDSERMUL(nn, s.data(), q.data(), r.data());
    DDSERADD(nn, q.data(), r.data(), q.data());
    DDReal diff;
    DDSUB(q[nn], prev, diff);
    DDABS(diff, diff);
    int ic;
    DDCOMPARE(diff, eps, ic);
    if (ic < 0) {
      if (nn == NB2) return true;
      nn = std::min(2 * nn, NB2);
      prev = DDReal(0.0, 0.0);
    } else {
      prev = q[nn];
    }
    return false;
  });

  DDSERMUL(NB2, num.data(), q.data(), r.data());

  // table(i) = ((f * 0.5) / g) |r(i)| with f = (-1)^(i+1) 2 (2i)! and
  // g = (4 pi^2)^i.  From i = 84 on, 2 (2i)! passes the range in which the
  // kernels can split a word (about 1.34e300 = 2^997), so f and g are then
  // divided together by the power of two nearest g: exact, and the quotient
  // keeps every bit it would have with an unbounded exponent.  Entries 1 to
  // 83 never rescale (2 * 166! is about 2^990).
  constexpr double kScaleAbove = 0x1p995;
  DDReal f(-2.0, 0.0);
  DDReal g(1.0, 0.0);
  DDReal p4;
  DDMULD(p, 4.0, p4);
  for (int i = 1; i <= NB2; ++i) {
    const double d = -(static_cast<double>(2 * i - 1) * static_cast<double>(2 * i));
    DDMULD(f, d, f);
    DDMUL(p4, g, g);
    if (std::fabs(f.hi) > kScaleAbove) {
      const int e = std::ilogb(g.hi);
      f = DDReal(std::ldexp(f.hi, -e), std::ldexp(f.lo, -e));
      g = DDReal(std::ldexp(g.hi, -e), std::ldexp(g.lo, -e));
    }
    DDReal t1, t2, ar;
    DDMULD(f, 0.5, t1);
    DDDIV(t1, g, t2);
    DDABS(r[i], ar);
    DDMUL(t2, ar, table[i - 1]);
  }
}

}  // namespace dd
