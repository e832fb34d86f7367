// Runs every routine on fixed pseudo-random inputs and prints each result as
// hex words, one line per call.  The same source is built at -O0 and at
// -O3 -march=native; a test compares the two outputs byte for byte, so any
// contraction, reassociation or wider intermediate that an optimiser slips
// in shows up as a differing line naming the routine and the input.
//
// Adding a routine is one line in register_cases(), for example
//   unary("DDEXP", dd::DDEXP, gen::moderate);
//   binary("DDPOWER", dd::DDPOWER, gen::positive, gen::moderate);
// Overloaded names need a lambda in place of the function name.
#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "ddcomplex/ddcomplex.hpp"
#include "ddelem/ddelem.hpp"
#include "ddtyped/complex.hpp"
#include "ddtyped/elementary.hpp"
#include "ddio/ddio.hpp"
#include "ddspecial/ddspecial.hpp"
#include "ddreal/stop.hpp"
#include "pslq/find_relation.hpp"
#include "pslq/pslq.hpp"
#include "ddtyped/charconv.hpp"
#include "ddtyped/real.hpp"
#include "inputs.hpp"

namespace {

using dd::DDReal;
using dd::bitexact::Rng;
namespace gen = dd::bitexact::gen;

using Gen = dd::bitexact::Gen;

// ---- output -------------------------------------------------------------------

/// A binary64 as 16 hex digits; any NaN prints as "nan" (its payload and sign
/// depend on operand order, which IEEE leaves free for commutative operations).
void word(std::string& line, double x) {
  char buf[24];
  if (std::isnan(x)) {
    std::snprintf(buf, sizeof buf, " nan");
  } else {
    std::snprintf(buf, sizeof buf, " %016llx", static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(x)));
  }
  line += buf;
}
void words(std::string& line, const DDReal& a) {
  word(line, a.hi);
  word(line, a.lo);
}
void integer(std::string& line, long long k) { line += ' ' + std::to_string(k); }
/// f's result, or " stop" where it stops.
void result_or_stop(std::string& line, const std::function<void(DDReal&)>& f) {
  DDReal v;
  try {
    f(v);
    words(line, v);
  } catch (const dd::stop_error&) {
    line += " stop";
  }
}
void text(std::string& line, const char* s, int n) {
  line += " \"";
  line.append(s, static_cast<std::size_t>(n > 0 ? n : 0));
  line += '"';
}

// ---- the registry ---------------------------------------------------------------

struct Case {
  std::string name;
  int count;
  std::function<void(Rng&, std::string&)> run;  // appends inputs and results to the line
};

std::vector<Case>& cases() {
  static std::vector<Case> v;
  return v;
}

constexpr int kCount = 2000;

void add(const std::string& name, std::function<void(Rng&, std::string&)> run, int count = kCount) {
  cases().push_back({name, count, std::move(run)});
}

void unary(const std::string& name, void (*f)(const DDReal&, DDReal&), Gen g) {
  add(name, [=](Rng& r, std::string& out) {
    const DDReal a = g(r);
    DDReal b;
    f(a, b);
    words(out, a);
    words(out, b);
  });
}

void binary(const std::string& name, void (*f)(const DDReal&, const DDReal&, DDReal&), Gen ga, Gen gb) {
  add(name, [=](Rng& r, std::string& out) {
    const DDReal a = ga(r), b = gb(r);
    DDReal c;
    f(a, b, c);
    words(out, a);
    words(out, b);
    words(out, c);
  });
}

void with_double(const std::string& name, void (*f)(const DDReal&, double, DDReal&), Gen ga, Gen gd) {
  add(name, [=](Rng& r, std::string& out) {
    const DDReal a = ga(r);
    const double d = gd(r).hi;
    DDReal c;
    f(a, d, c);
    words(out, a);
    word(out, d);
    words(out, c);
  });
}

void with_int(const std::string& name, void (*f)(const DDReal&, int, DDReal&), Gen ga, int nlo, int nhi) {
  add(name, [=](Rng& r, std::string& out) {
    const DDReal a = ga(r);
    const int n = r.integer(nlo, nhi);
    DDReal c;
    f(a, n, c);
    words(out, a);
    integer(out, n);
    words(out, c);
  });
}

void two_results(const std::string& name, void (*f)(const DDReal&, DDReal&, DDReal&), Gen g) {
  add(name, [=](Rng& r, std::string& out) {
    const DDReal a = g(r);
    DDReal b, c;
    f(a, b, c);
    words(out, a);
    words(out, b);
    words(out, c);
  });
}

/// A formatting routine f(a, nb, nd, b) filling nb characters, with nd in
/// [0, ndmax] and nb from nd + 8 up to nd + 8 + extra.
void field(const std::string& name, void (*f)(const DDReal&, int, int, char*), Gen g, int ndmax, int extra) {
  add(name, [=](Rng& r, std::string& out) {
    const DDReal a = g(r);
    const int nd = r.integer(0, ndmax);
    const int nb = nd + 8 + r.integer(0, extra);
    std::vector<char> b(static_cast<std::size_t>(nb), '?');
    words(out, a);
    integer(out, nb);
    integer(out, nd);
    f(a, nb, nd, b.data());
    text(out, b.data(), nb);
  });
}

/// A function of the typed interface returning a DDReal from two DDReal.
void typed(const std::string& name, DDReal (*f)(const DDReal&, const DDReal&), Gen ga, Gen gb) {
  add(name, [=](Rng& r, std::string& out) {
    const DDReal a = ga(r), b = gb(r);
    words(out, a);
    words(out, b);
    words(out, f(a, b));
  });
}

// ---- the routines ---------------------------------------------------------------

/// B(2), ..., B(120) for the routines that take the even-Bernoulli table, made once.
const std::vector<DDReal>& bernoulli60() {
  static const std::vector<DDReal> t = [] {
    std::vector<DDReal> v(60);
    dd::DDBERNER(60, v.data());
    return v;
  }();
  return t;
}

/// x, nu, J_nu(x) and Y_nu(x) (or "stop" where a call stops).
void j_and_y(std::string& out, const DDReal& nu, const DDReal& x) {
  words(out, x);
  words(out, nu);
  for (const bool want_y : {false, true}) {
    DDReal v;
    try {
      if (want_y) {
        dd::DDBESSELYR(nu, x, v);
      } else {
        dd::DDBESSELJR(nu, x, v);
      }
      words(out, v);
    } catch (const dd::stop_error&) {
      out += " stop";
    }
  }
}

void register_cases() {
  // Kernels.
  binary("DDADD", dd::DDADD, gen::wide, gen::wide);
  binary("DDADD near", dd::DDADD, gen::moderate, gen::moderate);
  binary("DDSUB", dd::DDSUB, gen::wide, gen::wide);
  binary("DDSUB near", dd::DDSUB, gen::moderate, gen::moderate);
  binary("DDMUL", dd::DDMUL, gen::mid, gen::mid);
  with_double("DDMULD", dd::DDMULD, gen::mid, gen::mid);
  add("DDMULDD", [](Rng& r, std::string& out) {
    const double x = gen::mid(r).hi, y = gen::mid(r).hi;
    DDReal c;
    dd::DDMULDD(x, y, c);
    word(out, x);
    word(out, y);
    words(out, c);
  });
  binary("DDDIV", dd::DDDIV, gen::mid, gen::mid);
  with_double("DDDIVD", dd::DDDIVD, gen::mid, gen::mid);
  unary("DDSQRT", dd::DDSQRT, gen::positive_wide);
  unary("DDSQRT any", dd::DDSQRT, gen::wide);
  unary("DDNEG", dd::DDNEG, gen::wide);
  unary("DDABS", dd::DDABS, gen::wide);
  unary("DDCOPY", dd::DDCOPY, gen::wide);
  add("DDCOMPARE DDSIGN", [](Rng& r, std::string& out) {
    DDReal a = gen::wide(r), b = gen::wide(r);
    if (r.next() % 4 == 0) b.hi = a.hi;  // let the lo words decide
    int ic;
    dd::DDCOMPARE(a, b, ic);
    words(out, a);
    words(out, b);
    integer(out, ic);
    integer(out, dd::DDSIGN(a));
  });
  add("DDJOINEXP DDSPLITEXP", [](Rng& r, std::string& out) {
    const double d = gen::moderate(r).hi;
    const int n = r.integer(-1100, 1100);
    DDReal b;
    dd::DDJOINEXP(d, n, b);
    double d2;
    int n2;
    dd::DDSPLITEXP(b, d2, n2);
    word(out, d);
    integer(out, n);
    words(out, b);
    word(out, d2);
    integer(out, n2);
  });

  // Powers, roots, rounding.
  with_int("DDNPWR", dd::DDNPWR, gen::base, -60, 60);
  with_int("DDNPWR large n", dd::DDNPWR, [](Rng& r) { return DDReal(1.0 + gen::make(r, -40, -30, true).hi); },
           INT_MIN, INT_MAX);
  with_int("DDNRT", dd::DDNRT, gen::positive_wide, 1, 40);
  unary("DDNINT", dd::DDNINT, gen::roundable);
  two_results("DDINFR", dd::DDINFR, gen::roundable);

  // Digit strings and formatted output.
  add("DDDIGIN", [](Rng& r, std::string& out) {
    char s[24];
    const int n = r.integer(0, 20);
    for (int i = 0; i < n; ++i) s[i] = static_cast<char>('0' + r.integer(0, 9));
    if (n > 0 && r.next() % 16 == 0) s[r.integer(0, n - 1)] = 'x';  // prints its message and goes on
    text(out, s, n);
    word(out, dd::DDDIGIN(s, n));
  });
  add("DDDIGOUT", [](Rng& r, std::string& out) {
    // One draw per statement, in the order GCC took them (operand order is unspecified).
    const int e = r.integer(0, 60);
    const double m = std::trunc(std::ldexp(r.mantissa(), e));
    const double a = m * ((r.next() & 1) ? -1.0 : 1.0);
    const int n = r.integer(-1, 32);
    char b[32];
    dd::DDDIGOUT(a, n, b);
    word(out, a);
    integer(out, n);
    text(out, b, 32);
  });
  field("DDEFORMAT", dd::DDEFORMAT, gen::wide, 40, 12);
  field("DDEFORMAT near 1", dd::DDEFORMAT, gen::moderate, 34, 4);
  field("DDFFORMAT", dd::DDFFORMAT, gen::moderate, 20, 30);
  field("DDFFORMAT wide", dd::DDFFORMAT, gen::wide, 10, 40);


  // Whole relation searches at debug level 0 (silent): x(i) = beta^(i-1) for
  // beta = p^(1/3) - q^(1/3), the first being the test program's vector.
  add("PSLQM1", [](Rng& r, std::string& out) {
    static const int kPairs[][2] = {{3, 2}, {2, 1}, {5, 2}, {4, 3}, {5, 3}, {7, 5}};
    const int* pq = kPairs[r.next() % (sizeof kPairs / sizeof kPairs[0])];
    constexpr int n = 10;
    DDReal c1, c2, beta, eps, x[n], rel[n];
    dd::DDNRT(DDReal(static_cast<double>(pq[0])), 3, c1);
    dd::DDNRT(DDReal(static_cast<double>(pq[1])), 3, c2);
    dd::DDSUB(c1, c2, beta);
    dd::DDNPWR(DDReal(10.0), -29, eps);
    x[0] = DDReal(1.0);
    for (int i = 1; i < n; ++i) dd::DDMUL(x[i - 1], beta, x[i]);
    int ifound = -1;
    for (DDReal& e : rel) e = DDReal(0.0);
    dd::PSLQM1(0, n, 20.0, eps, x, ifound, rel);
    integer(out, pq[0]);
    integer(out, pq[1]);
    integer(out, ifound);
    for (const DDReal& e : rel) words(out, e);
  }, 12);

  // The multi-level search of find_relation: x(n) = sum c(i) x(i) with
  // random x(i) and c(i) in -3..3, n from 4 to 16.
  add("find_relation", [](Rng& r, std::string& out) {
    const int n = r.integer(4, 16);
    std::vector<DDReal> x(n);
    DDReal sum(0.0), t;
    for (int i = 0; i + 1 < n; ++i) {
      const double hi = 0.5 + r.mantissa() * 0.5;
      dd::detail::quick_two_sum(hi, r.mantissa() * 0x1p-54, x[i].hi, x[i].lo);
      dd::DDMULD(x[i], static_cast<double>(r.integer(-3, 3)), t);
      dd::DDADD(sum, t, sum);
    }
    x[n - 1] = sum;
    const dd::relation_result res = dd::find_relation(x);
    integer(out, n);
    integer(out, static_cast<int>(res.status));
    integer(out, static_cast<int>(res.iterations));
    for (const DDReal& e : res.relation) words(out, e);
  }, 40);

  // Elementary functions and complex arithmetic.
  unary("DDEXP", dd::DDEXP, gen::small);
  unary("DDLOG", dd::DDLOG, gen::positive_wide);
  binary("DDPOWER", dd::DDPOWER, gen::small_positive, gen::small);
  two_results("DDCSSNR", dd::DDCSSNR, gen::small);
  binary("DDANG", dd::DDANG, gen::mid, gen::mid);
  two_results("DDCOSHSINH", dd::DDCOSHSINH, gen::small);
  unary("DDASINH", dd::DDASINH, gen::wide);
  unary("DDACOSH", dd::DDACOSH, [](Rng& r) { return DDReal(1.0) + gen::small_positive(r); });
  unary("DDATANH", dd::DDATANH, [](Rng& r) { return gen::make(r, -30, 0, false); });
  binary("DDAGMR", dd::DDAGMR, gen::small_positive, gen::small_positive);
  add("DDCDIV DDCSQRT DDCPWR", [](Rng& r, std::string& out) {
    const dd::DDComplex a{gen::mid(r), gen::mid(r)}, b{gen::mid(r), gen::mid(r)};
    dd::DDComplex q, s, p;
    dd::DDCDIV(a, b, q);
    dd::DDCSQRT(a, s);
    dd::DDCPWR(b, r.integer(-9, 9), p);
    for (const dd::DDComplex* z : std::initializer_list<const dd::DDComplex*>{&a, &b, &q, &s, &p}) {
      words(out, z->re);
      words(out, z->im);
    }
  });

  // Special functions (fewer calls: each is a long series).
  constexpr int kFew = 200;
  const auto special_unary = [](const std::string& name, void (*f)(const DDReal&, DDReal&), Gen g) {
    cases().push_back({name, kFew, [=](Rng& r, std::string& out) {
                         const DDReal a = g(r);
                         DDReal b;
                         f(a, b);
                         words(out, a);
                         words(out, b);
                       }});
  };
  special_unary("DDGAMMAR", dd::DDGAMMAR, gen::small);
  special_unary("DDZETAR", dd::DDZETAR, gen::small);
  special_unary("DDEXPINT", dd::DDEXPINT, gen::small);
  special_unary("DDERFR", dd::DDERFR, gen::small);
  special_unary("DDERFCR", dd::DDERFCR, gen::small);
  add("DDINCGAMMAR", [](Rng& r, std::string& out) {
    const DDReal s = gen::small(r), z = gen::small_positive(r);
    DDReal g;
    dd::DDINCGAMMAR(s, z, g);
    words(out, s);
    words(out, z);
    words(out, g);
  }, kFew);
  add("Bessel J Y I K integer order", [](Rng& r, std::string& out) {
    const int nu = r.integer(0, 12);
    const DDReal x = gen::small_positive(r);
    DDReal j, y, i, k;
    dd::DDBESSELJNR(nu, x, j);
    dd::DDBESSELYNR(nu, x, y);
    dd::DDBESSELINR(nu, x, i);
    dd::DDBESSELKNR(nu, x, k);
    integer(out, nu);
    for (const DDReal* v : std::initializer_list<const DDReal*>{&x, &j, &y, &i, &k}) words(out, *v);
  }, kFew);
  add("Bessel J Y I K real order", [](Rng& r, std::string& out) {
    const DDReal nu = gen::make(r, -4, 3, true), x = gen::small_positive(r);
    DDReal j, y, i, k;
    dd::DDBESSELJR(nu, x, j);
    dd::DDBESSELYR(nu, x, y);
    dd::DDBESSELIR(nu, x, i);
    dd::DDBESSELKR(nu, x, k);
    for (const DDReal* v : std::initializer_list<const DDReal*>{&nu, &x, &j, &y, &i, &k}) words(out, *v);
  }, kFew);
  add("Hurwitz zeta polygamma polylog Struve", [](Rng& r, std::string& out) {
    const int n = r.integer(2, 8);
    const DDReal a = gen::make(r, -4, 0, true), x = gen::make(r, -6, -1, false);
    DDReal hz, pg, li, st;
    dd::DDHURWITZZETAN(n, a, hz);
    dd::DDPOLYGAMMA(n, a, pg);
    dd::DDPOLYLOGPOS(n, x, li);
    dd::DDSTRUVEHN(n, gen::small_positive(r), st);
    integer(out, n);
    for (const DDReal* v : std::initializer_list<const DDReal*>{&a, &x, &hz, &pg, &li, &st}) words(out, *v);
  }, kFew);

  // Special functions over their whole domains: the scaled paths, the ends
  // of the ranges, orders near the 32-bit limits, NaN and infinite arguments.
  const auto either_sign = [](Rng& r, DDReal a) { return (r.next() & 1) != 0 ? DDReal(-a.hi, -a.lo) : a; };
  add("DDGAMMAR whole domain", [=](Rng& r, std::string& out) {
    DDReal t;
    switch (r.integer(0, 3)) {
      case 0: {
        const double n = r.integer(-170, 170);  // one draw per statement
        DDADD(DDReal(n), either_sign(r, gen::make(r, -60, -1, true)), t);
        break;
      }
      case 1: t = gen::between(r, -1e8, 172.0); break;
      case 2: t = gen::make(r, -1000, -1, false); break;
      default: t = gen::wide(r);
    }
    if (t.hi == 0.0 || (t.hi < 0.0 && t.hi == std::trunc(t.hi) && t.lo == 0.0) || !(std::fabs(t.hi) <= 1e8)) t = DDReal(0.5);
    DDReal g;
    dd::DDGAMMAR(t, g);
    words(out, t);
    words(out, g);
  }, kFew);
  add("DDERFR DDERFCR whole domain", [=](Rng& r, std::string& out) {
    const DDReal z = r.integer(0, 1) != 0 ? gen::between(r, -30.0, 30.0) : gen::wide(r);
    DDReal e, c;
    dd::DDERFR(z, e);
    dd::DDERFCR(z, c);
    for (const DDReal* v : std::initializer_list<const DDReal*>{&z, &e, &c}) words(out, *v);
  }, kFew);
  add("DDINCGAMMAR DDEXPINT whole domain", [=](Rng& r, std::string& out) {
    DDReal s = gen::between(r, -200.0, 200.0);
    if (r.integer(0, 3) == 0) s = DDReal(std::trunc(s.hi));
    const DDReal z = r.integer(0, 1) != 0 ? gen::make(r, -1000, 10, true) : gen::between(r, 88.0, 745.0);
    const DDReal x = gen::between(r, -745.0, 709.0);
    DDReal g, e;
    dd::DDINCGAMMAR(s, z, g);
    dd::DDEXPINT(x.hi == 0.0 ? DDReal(1.0) : x, e);
    for (const DDReal* v : std::initializer_list<const DDReal*>{&s, &z, &g, &x, &e}) words(out, *v);
  }, kFew);
  add("DDZETAR DDZETAINTR DDZETABE whole domain", [=](Rng& r, std::string& out) {
    const std::vector<DDReal>& bern = bernoulli60();
    DDReal s = gen::between(r, -450.0, 1100.0);
    if (s.hi == 1.0) s = DDReal(2.0);
    const int n = r.integer(0, 1) != 0 ? r.integer(-1200, 1200) : (r.next() & 1) != 0 ? INT_MAX - r.integer(0, 9) : INT_MIN + r.integer(0, 9);
    DDReal z, zi, zb;
    dd::DDZETAR(s, z);
    dd::DDZETAINTR(n == 1 ? 2 : n, zi);
    dd::DDZETABE(60, bern.data(), s, zb);
    integer(out, n);
    for (const DDReal* v : std::initializer_list<const DDReal*>{&s, &z, &zi, &zb}) words(out, *v);
  }, kFew);
  add("Hurwitz zeta polygamma whole domain", [=](Rng& r, std::string& out) {
    const std::vector<DDReal>& bern = bernoulli60();
    const int n = r.integer(0, 3) != 0 ? r.integer(2, 400) : INT_MAX - r.integer(0, 9);
    DDReal a;
    switch (r.integer(0, 2)) {
      case 0: DDSUB(DDReal(1.0), gen::make(r, -100, -1, true), a); break;
      case 1: a = gen::make(r, -40, -1, true); break;
      default: a = gen::between(r, 0.0, 1.0);
    }
    if (!(a.hi > 0.0 && a.hi < 1.0)) a = DDReal(0.5);
    const DDReal b = gen::make(r, -40, 100, true);
    const int m = r.integer(1, 1000);
    DDReal hz, pg, hb, pb, dg;
    dd::DDHURWITZZETAN(n, a, hz);
    dd::DDPOLYGAMMA(n % 166 + 1, a, pg);
    dd::DDHURWITZZETANBE(60, bern.data(), n, b, hb);
    dd::DDPOLYGAMMABE(60, bern.data(), m, b, pb);
    dd::DDDIGAMMABE(60, bern.data(), b, dg);
    integer(out, n);
    integer(out, m);
    for (const DDReal* v : std::initializer_list<const DDReal*>{&a, &b, &hz, &pg, &hb, &pb, &dg}) words(out, *v);
  }, kFew);
  add("DDPOLYLOGPOS DDPOLYLOGNEG whole domain", [=](Rng& r, std::string& out) {
    const int n = r.integer(1, 200);
    std::vector<DDReal> table(static_cast<std::size_t>(n));
    dd::DDPOLYLOGINI(n, table.data());
    DDReal x = r.integer(0, 1) != 0 ? gen::between(r, -5.0, 5.0) : gen::make(r, -60, 60, false);
    if (x.hi == 1.0 && x.lo == 0.0) x = DDReal(2.0);
    DDReal y = gen::between(r, -0.999, 0.999), ln, lp;
    dd::DDPOLYLOGNEG(-n, table.data(), x, ln);
    dd::DDPOLYLOGPOS(r.integer(0, 1) != 0 ? n : INT_MAX - n, y, lp);
    integer(out, n);
    for (const DDReal* v : std::initializer_list<const DDReal*>{&x, &ln, &y, &lp}) words(out, *v);
  }, kFew);
  add("DDHYPERGEOMPFQ whole domain", [=](Rng& r, std::string& out) {
    const int p = r.integer(1, 2), q = r.integer(1, 2);
    DDReal a[2], b[2];
    for (DDReal& v : a) v = gen::between(r, -5.0, 5.0);
    for (DDReal& v : b) v = gen::between(r, 0.1, 6.0);
    const DDReal x = p <= q ? gen::between(r, -60.0, 60.0) : gen::between(r, -30.0, 0.95);
    DDReal y;
    dd::DDHYPERGEOMPFQ(p, q, a, b, x, y);
    integer(out, p * 10 + q);
    for (const DDReal* v : std::initializer_list<const DDReal*>{&a[0], &a[1], &b[0], &b[1], &x, &y}) words(out, *v);
  }, kFew);

  // The typed interface.
  typed("a+b", [](const DDReal& a, const DDReal& b) { return a + b; }, gen::wide, gen::wide);
  typed("a+x", [](const DDReal& a, const DDReal& b) { return a + b.hi; }, gen::wide, gen::wide);
  typed("x+b", [](const DDReal& a, const DDReal& b) { return a.hi + b; }, gen::wide, gen::wide);
  typed("a-b", [](const DDReal& a, const DDReal& b) { return a - b; }, gen::wide, gen::wide);
  typed("a-x", [](const DDReal& a, const DDReal& b) { return a - b.hi; }, gen::wide, gen::wide);
  typed("x-b", [](const DDReal& a, const DDReal& b) { return a.hi - b; }, gen::wide, gen::wide);
  typed("a*b", [](const DDReal& a, const DDReal& b) { return a * b; }, gen::mid, gen::mid);
  typed("a*x", [](const DDReal& a, const DDReal& b) { return a * b.hi; }, gen::mid, gen::mid);
  typed("x*b", [](const DDReal& a, const DDReal& b) { return a.hi * b; }, gen::mid, gen::mid);
  typed("a/b", [](const DDReal& a, const DDReal& b) { return a / b; }, gen::mid, gen::mid);
  typed("a/x", [](const DDReal& a, const DDReal& b) { return a / b.hi; }, gen::mid, gen::mid);
  typed("x/b", [](const DDReal& a, const DDReal& b) { return a.hi / b; }, gen::mid, gen::mid);
  typed("compound", [](const DDReal& a, const DDReal& b) {
    DDReal c = a;
    c += b;
    c *= a;
    c -= 0.5;
    c /= b;
    c *= 3.0;
    c /= 7.0;
    return c;
  }, gen::moderate, gen::moderate);
  typed("-a abs sqrt", [](const DDReal& a, const DDReal&) { return dd::sqrt(dd::abs(-a)); }, gen::wide, gen::moderate);
  typed("pow", [](const DDReal& a, const DDReal& b) { return dd::pow(a, static_cast<int>(b.hi)); }, gen::base,
        [](Rng& r) { return DDReal(static_cast<double>(r.integer(-30, 30))); });
  typed("nroot", [](const DDReal& a, const DDReal& b) { return dd::nroot(a, static_cast<int>(b.hi)); },
        gen::positive, [](Rng& r) { return DDReal(static_cast<double>(r.integer(1, 12))); });
  typed("nearest_integer trunc", [](const DDReal& a, const DDReal&) { return dd::nearest_integer(a) - dd::trunc(a); },
        gen::roundable, gen::moderate);
  typed("mod", dd::mod, gen::moderate, gen::moderate);
  typed("sign", dd::sign, gen::wide, gen::wide);
  typed("min", [](const DDReal& a, const DDReal& b) { return dd::min(a, b); }, gen::wide, gen::wide);
  typed("max", [](const DDReal& a, const DDReal& b) { return dd::max(a, b); }, gen::wide, gen::wide);
  typed("min3 max3", [](const DDReal& a, const DDReal& b) { return dd::min(a, b, -a) + dd::max(b, a, -b); },
        gen::moderate, gen::moderate);
  typed("hypot", dd::hypot, gen::mid, gen::mid);
  typed("comparisons", [](const DDReal& a, const DDReal& b) {
    const int bits = (a == b) | (a != b) << 1 | (a < b) << 2 | (a <= b) << 3 | (a > b) << 4 | (a >= b) << 5 |
                     (a < b.hi) << 6 | (a.hi >= b) << 7 | (a == b.hi) << 8;
    return DDReal(static_cast<double>(bits));
  }, gen::wide, gen::wide);

}

// Decimal input, and exact text both ways: the shortest text of a pair and
// the pair read back.  Registered after all others, so that the inputs of the
// cases before them (which follow from each case's position) stay as they were.
void register_text_cases() {
  add("DDINPC", [](Rng& r, std::string& out) {
    char s[dd::kInputField];
    std::fill(s, s + dd::kInputField, ' ');
    const int n = r.integer(1, 40);
    for (int i = 0; i < n; ++i) s[i] = static_cast<char>('0' + r.integer(0, 9));
    const std::string e = 'e' + std::to_string(r.integer(-330, 310));
    std::copy(e.begin(), e.end(), s + n);
    DDReal a;
    dd::DDINPC(s, a);
    text(out, s, n + static_cast<int>(e.size()));
    words(out, a);
  });
  add("to_chars, from_chars", [](Rng& r, std::string& out) {
    const DDReal a = gen::wide(r);
    char b[1200];
    const auto w = dd::to_chars(b, b + sizeof b, a);
    DDReal c;
    dd::from_chars(b, w.ptr, c);
    words(out, a);
    text(out, b, static_cast<int>(w.ptr - b));
    words(out, c);
  }, 500);
}

// Whole domains of the elementary and complex functions (added after the
// cases above, so that their pseudo-random streams stay as they were).
void register_whole_domains() {
  unary("DDEXP whole", dd::DDEXP, [](Rng& r) { return gen::between(r, -760.0, 700.0); });
  unary("DDLOG whole", dd::DDLOG, [](Rng& r) { return r.next() % 2 ? gen::near_one(r, -100, -1) : gen::full(r); });
  binary("DDPOWER whole", dd::DDPOWER, gen::positive_wide, [](Rng& r) { return gen::make(r, -12, 0, false); });
  two_results("DDCSSNR whole", dd::DDCSSNR, [](Rng& r) {
    const int k = static_cast<int>(r.next() % 3);
    return k == 0 ? gen::full(r) : k == 1 ? gen::near_half_pi(r, 20) : gen::make(r, -60, 18, false);
  });
  binary("DDANG whole", dd::DDANG, gen::full, [](Rng& r) { return r.next() % 2 ? gen::full(r) : gen::make(r, -60, 2, false); });
  two_results("DDCOSHSINH whole", dd::DDCOSHSINH,
              [](Rng& r) { return r.next() % 2 ? gen::between(r, -691.0, 691.0) : gen::make(r, -80, 0, false); });
  unary("DDASINH near 0", dd::DDASINH, [](Rng& r) { return gen::make(r, -80, 5, false); });
  unary("DDACOSH near 1", dd::DDACOSH, [](Rng& r) {
    DDReal a;
    dd::DDADD(DDReal(1.0), gen::make(r, -106, 10, true), a);
    return a;
  });
  unary("DDATANH near 1", dd::DDATANH, [](Rng& r) {
    DDReal a;
    dd::DDSUB(DDReal(1.0), gen::make(r, -106, -1, true), a);
    return (r.next() & 1) ? DDReal(-a.hi, -a.lo) : a;
  });
  binary("DDAGMR whole", dd::DDAGMR, gen::positive_wide, gen::positive_wide);
  with_int("DDNRT whole", dd::DDNRT, [](Rng& r) { return dd::DDReal(std::fabs(gen::full(r).hi)); }, 1, 100000);
  typed("tan", [](const DDReal& a, const DDReal&) { return dd::tan(a); },
        [](Rng& r) { return r.next() % 2 ? gen::near_half_pi(r, 16) : gen::full(r); }, gen::moderate);
  typed("tanh", [](const DDReal& a, const DDReal&) { return dd::tanh(a); }, gen::full, gen::moderate);
  typed("asin acos", [](const DDReal& a, const DDReal&) { return dd::asin(a) + dd::acos(a); },
        [](Rng& r) { return r.next() % 2 ? gen::make(r, -60, 0, false) : gen::near_one(r, -106, -1); }, gen::moderate);
  typed("atan", [](const DDReal& a, const DDReal&) { return dd::atan(a); }, gen::full, gen::moderate);
  typed("log10 pow(a, x) pow(x, b)", [](const DDReal& a, const DDReal& b) {
    return dd::log10(a) + dd::pow(a, b.hi) + dd::pow(a.hi, b);
  }, [](Rng& r) { return gen::make(r, -200, 200, true); }, [](Rng& r) { return gen::make(r, -10, 1, false); });
  add("complex exp log sqrt", [](Rng& r, std::string& out) {
    const dd::DDComplex z{gen::make(r, -100, 9, false), gen::make(r, -100, 40, false)};
    for (const dd::DDComplex& v : {z, dd::exp(z), dd::log(z), dd::sqrt(z)}) {
      words(out, v.re);
      words(out, v.im);
    }
  });
  add("complex sin cos", [](Rng& r, std::string& out) {
    const dd::DDComplex z{r.next() % 2 ? gen::near_half_pi(r, 16) : gen::make(r, -60, 16, false),
                          r.next() % 4 ? gen::make(r, -80, 5, false) : gen::between(r, -680.0, 680.0)};
    for (const dd::DDComplex& v : {z, dd::sin(z), dd::cos(z)}) {
      words(out, v.re);
      words(out, v.im);
    }
  });
  add("complex pow abs", [](Rng& r, std::string& out) {
    const dd::DDComplex z{gen::make(r, -500, 500, false), gen::make(r, -500, 500, false)};
    const dd::DDComplex w{gen::make(r, -4, 3, false), gen::make(r, -4, 3, false)};
    const DDReal a = gen::make(r, -3, 3, true);
    const int n = r.integer(-100000, 100000);
    const dd::DDComplex u{gen::make(r, -1, 0, false), gen::make(r, -1, 0, false)};
    for (const dd::DDComplex& v : {z, w, dd::pow(w, a), dd::pow(a, w), dd::pow(w, u), dd::pow(u, n), dd::DDComplex(dd::abs(z))}) {
      words(out, v.re);
      words(out, v.im);
    }
  }, 1000);
  // Appended last: a case's inputs follow from its position.
  add("DDSTRUVEHN orders x to 2x", [](Rng& r, std::string& out) {
    const DDReal x = gen::between(r, 74.0, 1000.0);
    const int n = static_cast<int>(x.hi) * r.integer(100, 220) / 100;
    DDReal h;
    dd::DDSTRUVEHN(n, x, h);
    integer(out, n);
    words(out, x);
    words(out, h);
  }, 40);
  add("Bessel Y K at the top of the range", [](Rng& r, std::string& out) {
    const int n = r.integer(1, 4);
    const DDReal x = gen::make(r, -996 / n - 1, -996 / n + 2, true);
    DDReal nu;
    DDSUB(DDReal(1.0), gen::make(r, -12, -6, true), nu);
    const DDReal t = gen::make(r, -1008, -994, true);
    integer(out, n);
    words(out, x);
    words(out, nu);
    words(out, t);
    // Each call on its own: past the range it stops, and the others still run.
    const std::function<void(DDReal&)> calls[] = {
        [&](DDReal& v) { dd::DDBESSELYNR(n, x, v); }, [&](DDReal& v) { dd::DDBESSELKNR(n, x, v); },
        [&](DDReal& v) { dd::DDBESSELYR(nu, t, v); }, [&](DDReal& v) { dd::DDBESSELKR(nu, t, v); }};
    for (const auto& call : calls) {
      DDReal v;
      try {
        call(v);
        words(out, v);
      } catch (const dd::stop_error&) {
        out += " stop";
      }
    }
  }, 200);
  add("Bessel J Y large orders", [](Rng& r, std::string& out) {
    // x from 1.3e5 to 8.6e9; orders on either side of x (Debye's two
    // expansions) or within 40 x^(1/3) of it (the recurrence across the
    // turning point); integral, fractional and negative orders.
    const DDReal x = gen::make(r, 17, 33, true);
    const int kind = r.integer(0, 3);
    const double spread = gen::between(r, -40.0, 40.0).hi;
    const double ratio = gen::between(r, 0.01, 2.0).hi;
    double nu = kind == 0 ? std::floor(x.hi + spread * std::cbrt(x.hi)) : std::floor(x.hi * ratio);
    if (kind == 2) nu += 0.375;
    if (kind == 3) nu = -nu - 0.125;
    j_and_y(out, DDReal(nu), x);
  }, 60);
  add("Bessel J Y orders to x/8 beyond x = 2^48", [](Rng& r, std::string& out) {
    // x from 2^48 to 2^100, orders x 2^-k from x/8 down to about sqrt(x)
    // (Debye's phase from nu/x, Hankel's expansion below 5 sqrt(x));
    // integral, fractional and negative orders.
    const DDReal x = gen::make(r, 48, 100, true);
    const int shift = r.integer(3, std::ilogb(x.hi) / 2);
    const int kind = r.integer(0, 2);
    double nu = std::floor(std::ldexp(x.hi, -shift));
    if (kind == 1) nu += 0.375;
    if (kind == 2) nu = -nu - 0.125;
    j_and_y(out, DDReal(nu), x);
  }, 40);
  add("Bessel K orders beyond 1e5 in its band", [](Rng& r, std::string& out) {
    // Orders from 1e5 to 2^60, x within 400 of 0.6627 nu (where nu eta,
    // the exponent, changes sign), in double-double.
    const DDReal scale = gen::make(r, 17, 60, true);
    const double spread = gen::between(r, -400.0, 400.0).hi;
    const double nu = std::floor(scale.hi) + (r.integer(0, 1) == 0 ? 0.0 : 0.375);
    DDReal x;
    DDMULD(DDReal(0.66274341934918158, 9.7e-18), nu, x);
    DDADD(x, DDReal(spread), x);
    words(out, DDReal(nu));
    words(out, x);
    DDReal v;
    try {
      dd::DDBESSELKR(DDReal(nu), x, v);
      words(out, v);
    } catch (const dd::stop_error&) {
      out += " stop";
    }
  }, 40);
  add("Bessel J Y near the turning point at huge orders", [](Rng& r, std::string& out) {
    // Orders 2^40 to 2^990, x within 30 nu^(1/3) of nu (the Airy expansion).
    const DDReal nu = gen::make(r, 40, 990, true);
    const double offset = gen::between(r, -30.0, 30.0).hi * std::cbrt(nu.hi);
    DDReal x;
    DDADD(nu, DDReal(offset), x);
    words(out, nu);
    words(out, x);
    result_or_stop(out, [&](DDReal& v) { dd::DDBESSELJR(nu, x, v); });
    result_or_stop(out, [&](DDReal& v) { dd::DDBESSELYR(nu, x, v); });
  }, 40);
  add("Bessel J Y beside the band beyond x = 2^48", [](Rng& r, std::string& out) {
    // x from 2^48 to 2^990, orders 0.13 x to 0.97 x and above 1.03 x (the multiword phase).
    const DDReal x = gen::make(r, 48, 990, true);
    DDReal nu;
    DDMUL(x, gen::between(r, 0.13, 1.3), nu);
    words(out, nu);
    words(out, x);
    result_or_stop(out, [&](DDReal& v) { dd::DDBESSELJR(nu, x, v); });
    result_or_stop(out, [&](DDReal& v) { dd::DDBESSELYR(nu, x, v); });
  }, 40);
  add("Bessel K orders beyond 2^64 in its band", [](Rng& r, std::string& out) {
    // Orders 2^64 to 2^110, x within 400 of 0.6627 nu (the multiword exponent).
    const DDReal nu = gen::make(r, 64, 110, true);
    DDReal x;
    DDMUL(DDReal(0.66274341934918158, 9.7e-18), nu, x);
    DDADD(x, gen::between(r, -400.0, 400.0), x);
    words(out, nu);
    words(out, x);
    result_or_stop(out, [&](DDReal& v) { dd::DDBESSELKR(nu, x, v); });
  }, 40);
  add("Bessel I beyond x = 690", [](Rng& r, std::string& out) {
    // x from 690 to 2000, orders -3000 to 3000, integral and not.
    const DDReal x = gen::between(r, 690.0, 2000.0);
    DDReal nu = gen::between(r, -3000.0, 3000.0);
    if (r.integer(0, 1) == 0) nu = DDReal(std::trunc(nu.hi));
    words(out, nu);
    words(out, x);
    result_or_stop(out, [&](DDReal& v) { dd::DDBESSELIR(nu, x, v); });
  }, 40);
}

/// FNV-1a over the bytes of s, continuing from h.
std::uint64_t fnv1a(std::uint64_t h, const std::string& s) {
  for (const unsigned char c : s) h = (h ^ c) * 0x100000001B3u;
  return h;
}

}  // namespace

// With --digest the program prints, instead of the result lines, one line per
// routine: its name, its number of results and a 64-bit FNV-1a hash of its
// result lines.  tests/bitexact/digest.txt holds the committed digest; after
// a change that moves results on purpose it is regenerated with
//   build/tests/bitexact/dd_bitexact_O0 --digest > tests/bitexact/digest.txt
// and the full outputs of the two builds (diffed) show which inputs moved.
int main(int argc, char** argv) {
  const bool digest = argc > 1 && std::strcmp(argv[1], "--digest") == 0;
  // The messages of routines that stop go to standard output; in digest mode
  // they are kept out of it (they enter the hashes through the result lines).
  const int saved_stdout = digest ? dup(1) : -1;
  if (digest) {
    std::fflush(stdout);
    const int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    close(null_fd);
  }
  std::string digest_lines;
  // A routine that stops is recorded with its message, and the run goes on.
  const dd::stop_guard guard;
  register_cases();
  register_text_cases();
  register_whole_domains();
  long long lines = 0;
  std::string line;
  for (std::size_t c = 0; c < cases().size(); ++c) {
    const Case& k = cases()[c];
    Rng rng(0xB17E5AC7u + 7919u * c);
    std::uint64_t hash = 0xCBF29CE484222325u;
    for (int i = 0; i < k.count; ++i) {
      line = k.name + ' ' + std::to_string(i) + ':';
      try {
        k.run(rng, line);
      } catch (const dd::stop_error& e) {
        line += " stop: ";
        line += e.what();
      }
      line += '\n';
      if (digest) {
        hash = fnv1a(hash, line);
      } else {
        std::fwrite(line.data(), 1, line.size(), stdout);
      }
      ++lines;
    }
    if (digest) {
      char buf[40];
      std::snprintf(buf, sizeof buf, " %d %016llx\n", k.count, static_cast<unsigned long long>(hash));
      digest_lines += k.name + buf;
    }
  }
  if (digest) {
    std::fflush(stdout);
    dup2(saved_stdout, 1);
    close(saved_stdout);
    std::fwrite(digest_lines.data(), 1, digest_lines.size(), stdout);
  } else {
    std::printf("bitexact: %zu routines, %lld results\n", cases().size(), lines);
  }
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
