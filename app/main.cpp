// The integer relation test program.
//
// alpha = 3^(1/3) - 2^(1/3) is algebraic of degree 9 with minimal polynomial
// x^9 - 3x^6 + 165x^3 - 1, so x(i) = alpha^(i-1), i = 1..10, satisfy the
// integer relation (-1, 0, 0, 165, 0, 0, -3, 0, 0, 1).  The program runs
// PSLQM1 on that vector at debug level 2, prints the relation it recovers, the
// CPU time of the search and the verdict.  Exit status 0 after "TEST PASSED",
// 1 after "TEST FAILED" (and after any error stop of the package).
#include <cstdio>
#include <string_view>

#include "ddio/ddio.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddtyped/real.hpp"
#include "pslq/pslq.hpp"

namespace {

constexpr char kHeader[] =
    "('PSLQM1 Test Program'/ 'No. trials = ',i3,3x,'n =',i4,3x,'kq =',i2/ 'kr =',i2,3x,'ks =',i2,3x,'rb =',1p,d12.4/ "
    "'Full precision level ndp =',i6,' digits'/ 'Full precision epsilon level nep = ',i6)";
constexpr char kStartTrial[] = "(/'Start trial', i3)";
constexpr char kRecovered[] = "(/'Recovered relation:')";
constexpr char kCoefficient[] = "(80a1)";
constexpr char kCpuTime[] = "('CPU Time =',f12.4)";
constexpr char kVerdict[] = "(a)";

constexpr int kTrials = 1;
constexpr int kN = 10;
constexpr int kKq = 0;
constexpr int kKr = 3;
constexpr int kKs = 3;
constexpr double kRb = 20.0;
constexpr int kNdp = 32;
constexpr int kNep = -29;
constexpr int kDebug = 2;
constexpr int kFieldWidth = 40;

int run() {
  using dd::DDReal;
  using dd::detail::print_lines;

  DDReal eps;
  dd::DDNPWR(dd::to_ddreal(10.0), kNep, eps);

  print_lines(kHeader, {kTrials, kN, kKq, kKr, kKs, kRb, kNdp, kNep});
  print_lines(kStartTrial, {1});

  DDReal r3, r2;
  dd::DDNRT(dd::to_ddreal(3.0), kKr, r3);
  dd::DDNRT(dd::to_ddreal(2.0), kKs, r2);
  const DDReal alpha = r3 - r2;

  DDReal x[kN];
  x[0] = dd::to_ddreal(1.0);
  for (int i = 1; i <= kN - 1; ++i) x[i] = alpha * x[i - 1];

  int ifound = 0;
  DDReal rel[kN];
  const double t1 = dd::cputime();
  dd::PSLQM1(kDebug, kN, kRb, eps, x, ifound, rel);
  const double t2 = dd::cputime();

  if (ifound == 1) {
    print_lines(kRecovered);
    char buf[kFieldWidth];
    for (int i = 0; i < kN; ++i) {
      dd::DDFFORMAT(rel[i], kFieldWidth, 2, buf);
      const auto items = dd::detail::char_items(std::string_view(buf, kFieldWidth));
      dd::detail::write_lines(stdout, kCoefficient, items);
    }
  }
  print_lines(kCpuTime, {t2 - t1});
  print_lines(kVerdict, {ifound == 1 ? "TEST PASSED" : "TEST FAILED"});
  std::fflush(stdout);
  return ifound == 1 ? 0 : 1;
}

}  // namespace

int main() { return run(); }
