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

#include "ddcomplex/ddcomplex.hpp"
#include "ddelem/ddelem.hpp"
#include "ddio/ddio.hpp"
#include "ddspecial/ddspecial.hpp"
#include "ddreal/stop.hpp"
#include "pslq/pslq.hpp"
#include "ddtyped/real.hpp"

namespace {

using dd::DDReal;

// ---- fixed pseudo-random source (splitmix64: the same stream everywhere) ----

class Rng {
 public:
  explicit Rng(std::uint64_t seed) : s_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (s_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  /// Uniform integer in [lo, hi].
  int integer(int lo, int hi) {
    const std::uint64_t span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo) + 1;
    return static_cast<int>(lo + static_cast<std::int64_t>(next() % span));
  }
  /// A binary64 with a random 53-bit significand in [1, 2).
  double mantissa() { return 1.0 + static_cast<double>(next() >> 12) * 0x1p-52; }

 private:
  std::uint64_t s_;
};

// ---- input generators ---------------------------------------------------------

namespace gen {

/// A normalised DDReal with |hi| in [2^emin, 2^emax), random sign unless positive.
DDReal make(Rng& r, int emin, int emax, bool positive) {
  double hi = std::ldexp(r.mantissa(), r.integer(emin, emax - 1));
  if (!positive && (r.next() & 1) != 0) hi = -hi;
  const double lo = hi * 0x1p-53 * (r.mantissa() - 1.5) * 2.0;
  DDReal a;
  dd::detail::quick_two_sum(hi, lo, a.hi, a.lo);
  return a;
}

/// Now and then a special operand: signed zeros, infinities, extreme magnitudes.
bool special(Rng& r, DDReal& a) {
  if (r.next() % 32 != 0) return false;
  static const DDReal kSpecial[] = {
      {0.0, 0.0}, {-0.0, -0.0}, {-0.0, 0.0}, {0.0, 1e-300}, {1.0, 0.0}, {-1.0, 0.0},
      {std::numeric_limits<double>::infinity(), 0.0}, {-std::numeric_limits<double>::infinity(), 0.0},
      {0x1p-1000, 0x1p-1060}, {1e300, 1e283}, {0x1.fffffffffffffp1023, 0.0}, {4.9e-324, 0.0},
  };
  a = kSpecial[r.next() % (sizeof kSpecial / sizeof kSpecial[0])];
  return true;
}

/// Any magnitude from 2^-1000 to 2^1000, specials included.
DDReal wide(Rng& r) {
  DDReal a;
  return special(r, a) ? a : make(r, -1000, 1000, false);
}
/// Magnitudes that keep products and quotients in range.
DDReal mid(Rng& r) {
  DDReal a;
  return special(r, a) ? a : make(r, -480, 480, false);
}
/// |a| in [2^-40, 2^40).
DDReal moderate(Rng& r) { return make(r, -40, 40, false); }
/// a in (0, 2^40), no specials.
DDReal positive(Rng& r) { return make(r, -40, 40, true); }
/// Wide positive magnitudes.
DDReal positive_wide(Rng& r) { return make(r, -1000, 1000, true); }
/// |a| below 2^104: the range of the rounding routines, fractions in the lo word included.
DDReal roundable(Rng& r) {
  DDReal a = make(r, -4, 104, false);
  if (r.next() % 4 == 0) a.hi = std::trunc(a.hi) + 0.5 * static_cast<double>(r.integer(-1, 1));  // ties
  return a;
}
/// |a| in [2^-8, 2^6): arguments of the elementary and special functions.
DDReal small(Rng& r) { return make(r, -8, 6, false); }
/// a in (0, 2^6).
DDReal small_positive(Rng& r) { return make(r, -8, 6, true); }
/// |a| in [2^-4, 2^4), for integer powers up to |n| = 60.
DDReal base(Rng& r) { return make(r, -4, 4, false); }

}  // namespace gen

using Gen = DDReal (*)(Rng&);

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
    const double a = std::trunc(std::ldexp(r.mantissa(), r.integer(0, 60))) * ((r.next() & 1) ? -1.0 : 1.0);
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

}  // namespace

int main() {
  // A routine that stops is recorded with its message, and the run goes on.
  const dd::stop_guard guard;
  register_cases();
  long long lines = 0;
  std::string line;
  for (std::size_t c = 0; c < cases().size(); ++c) {
    const Case& k = cases()[c];
    Rng rng(0xB17E5AC7u + 7919u * c);
    for (int i = 0; i < k.count; ++i) {
      line = k.name + ' ' + std::to_string(i) + ':';
      try {
        k.run(rng, line);
      } catch (const dd::stop_error& e) {
        line += " stop: ";
        line += e.what();
      }
      line += '\n';
      std::fwrite(line.data(), 1, line.size(), stdout);
      ++lines;
    }
  }
  std::printf("bitexact: %zu routines, %lld results\n", cases().size(), lines);
  return 0;
}
