// The typed interface: DDReal values in ordinary expressions.
//
// Newton's iteration for sqrt(2) written with operators, checked against the
// package's square root; decimal text read exactly where a binary64 literal
// would not be; a sum whose terms a binary64 loses.
#include <cstdio>

#include "dd.hpp"

namespace {

void show(const char* label, const dd::DDReal& a) {
  char text[48];
  dd::DDEFORMAT(a, 48, 36, text);  // 36 digits after the point: all a DDReal holds, and a few more
  std::printf("%-28s %.48s\n", label, text);
}

}  // namespace

int main() {
  using dd::DDReal;

  DDReal x = 1.0;
  for (int k = 0; k < 6; ++k) x = (x + 2.0 / x) / 2.0;
  show("Newton sqrt(2)", x);
  show("dd::sqrt(2)", dd::sqrt(DDReal(2.0)));
  const DDReal err = dd::abs(x * x - 2.0);
  show("|x*x - 2|", err);

  show("binary64 literal 0.1", DDReal(0.1));
  show("decimal text \"0.1\"", dd::to_ddreal("0.1"));

  // 1 + 1e-20 - 1: lost in binary64, kept here.
  const DDReal tiny = (DDReal(1.0) + 1e-20) - 1.0;
  show("(1 + 1e-20) - 1", tiny);

  const bool ok = err < 1e-31 && dd::abs(tiny - 1e-20) < 1e-36;
  std::printf("%s\n", ok ? "typed interface: ok" : "typed interface: WRONG");
  return ok ? 0 : 1;
}
