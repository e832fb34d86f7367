#include "ddspecial/struve.hpp"

#include <cmath>

#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"

namespace dd {

namespace {
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

void DDSTRUVEHN(int nu, const DDReal& ss, DDReal& zz) {
  if (nu < 0) detail::fail(msg::kStruveNuNegative);
  if (std::fabs(ss.hi) > kStruveMaxArg) detail::fail(msg::kStruveTooLarge, {kStruveMaxArg});
  DDReal eps;
  DDNPWR(DDReal(2.0), -106, eps);
  const DDReal x = ss;
  DDReal t(1.0), x2, w;
  DDMUL(x, x, x2);
  DDMULD(x2, -0.25, w);
  DDReal pi, g1, g2;
  DDPI(pi);
  DDSQRT(pi, g1);
  DDMULD(g1, 0.5, g1);  // Gamma(3/2)
  g2 = g1;
  for (int i = 1; i <= nu; ++i) DDMULD(g2, static_cast<double>(i) + 0.5, g2);  // Gamma(nu + 3/2)
  DDReal g, s;
  DDMUL(g1, g2, g);
  DDDIV(t, g, s);
  bool done = false;
  for (int k = 1; k <= kStruveMaxTerms; ++k) {
    DDMUL(w, t, t);
    DDMULD(g1, static_cast<double>(k) + 0.5, g1);
    DDMULD(g2, (static_cast<double>(k) + static_cast<double>(nu)) + 0.5, g2);
    DDReal u;
    DDMUL(g1, g2, g);
    DDDIV(t, g, u);
    DDADD(s, u, s);
    if (negligible(u, eps, s)) {
      done = true;
      break;
    }
  }
  if (!done) detail::fail(msg::kStruveLoopEnd);
  DDReal h, p;
  DDMULD(x, 0.5, h);
  DDNPWR(h, nu + 1, p);
  DDMUL(p, s, zz);
}

}  // namespace dd
