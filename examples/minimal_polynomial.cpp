// Integer relations through the library call: the minimal polynomial of
// cbrt(3) - cbrt(2), and the relation log 2 + log 3 - log 6 = 0.
#include <cstdio>
#include <string>
#include <vector>

#include "dd.hpp"

int main() {
  using dd::DDReal;

  DDReal r3, r2, alpha;
  dd::DDNRT(DDReal(3.0), 3, r3);
  dd::DDNRT(DDReal(2.0), 3, r2);
  dd::DDSUB(r3, r2, alpha);
  const dd::relation_result p = dd::find_minimal_polynomial(alpha, 9);
  const std::string poly = p.found() ? dd::polynomial_text(p.relation) : p.message;
  std::printf("cbrt(3) - cbrt(2) is a root of %s\n", poly.c_str());
  std::printf("  it holds to %.1f digits; a chance relation of that norm would hold to %.1f\n", p.digits,
              p.chance_digits);

  std::vector<DDReal> logs(3);
  dd::DDLOG(DDReal(2.0), logs[0]);
  dd::DDLOG(DDReal(3.0), logs[1]);
  dd::DDLOG(DDReal(6.0), logs[2]);
  const dd::relation_result r = dd::find_relation(logs);
  std::string rel;
  for (const auto& a : r.relation) rel += " " + dd::integer_text(a);
  std::printf("relation among log 2, log 3, log 6:%s (%s)\n", rel.c_str(), dd::relation_status_text(r.status));

  const bool ok = poly == "x^9 - 3*x^6 + 165*x^3 - 1" && r.found() &&
                  (rel == " 1 1 -1" || rel == " -1 -1 1");
  std::printf("%s\n", ok ? "minimal polynomial: ok" : "minimal polynomial: WRONG");
  return ok ? 0 : 1;
}
