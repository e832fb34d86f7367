// A table of function values: exp, log, the gamma function, the error
// function and the Riemann zeta function at a few points, with two identities
// as checks: gamma(1/2)^2 = pi and zeta(2) = pi^2 / 6.
#include <cstdio>

#include "dd.hpp"

namespace {

// 40 characters: one sign, the point, 32 digits and the exponent.
void cell(const dd::DDReal& a) {
  char text[40];
  dd::DDEFORMAT(a, 40, 31, text);
  std::printf(" %.40s", text);
}

}  // namespace

int main() {
  using dd::DDReal;

  std::printf("%-5s %-40s %-40s\n", "x", " exp(x)", " log(x)");
  for (const double xv : {0.5, 1.0, 2.0, 3.0}) {
    const DDReal x = xv;
    DDReal e, l;
    dd::DDEXP(x, e);
    dd::DDLOG(x, l);
    std::printf("%-5g", xv);
    cell(e);
    cell(l);
    std::printf("\n");
  }
  std::printf("\n%-5s %-40s %-40s %-40s\n", "x", " gamma(x)", " erf(x)", " zeta(x)");
  for (const double xv : {0.5, 2.0, 3.0, 4.5}) {
    const DDReal x = xv;
    DDReal g, f, z;
    dd::DDGAMMAR(x, g);
    dd::DDERFR(x, f);
    dd::DDZETAR(x, z);
    std::printf("%-5g", xv);
    cell(g);
    cell(f);
    cell(z);
    std::printf("\n");
  }

  DDReal pi, g, z;
  dd::DDPI(pi);
  dd::DDGAMMAR(DDReal(0.5), g);
  dd::DDZETAR(DDReal(2.0), z);
  const DDReal e1 = dd::abs(g * g - pi) / pi;
  const DDReal e2 = dd::abs(z - pi * pi / 6.0) / z;
  std::printf("\nrelative errors: gamma(1/2)^2 - pi: %.2e, zeta(2) - pi^2/6: %.2e\n", e1.hi, e2.hi);
  const bool ok = e1 < 1e-29 && e2 < 1e-29;
  std::printf("%s\n", ok ? "function table: ok" : "function table: WRONG");
  return ok ? 0 : 1;
}
