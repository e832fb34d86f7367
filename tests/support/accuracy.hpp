// Table-driven accuracy measurement against MPFR for routines with several
// arguments and an integer order: each Branch draws its arguments, evaluates
// a routine and its MPFR reference, and measures through the shared table of
// accuracy_table.hpp (relative error, or against a stated scale where the
// function has zeros inside the branch).
// run_branches() checks every branch against its bound and, when the
// environment variable DD_ACCURACY_TABLE names a file, writes the measured
// table into it between the marker lines "<!-- name begin -->" and
// "<!-- name end -->" (the rest of the file is kept).
#pragma once

#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ddreal/kernels.hpp"
#include "support/accuracy_table.hpp"
#include "support/mpfr_ref.hpp"
#include "support/random_dd.hpp"

namespace dd::test {

constexpr mpfr_prec_t kAccuracyPrec = 256;

using Args = std::vector<DDReal>;

/// One measured branch: count arguments from make(), evaluated by eval() and
/// compared with ref().  scale(), when given, is the size against which the
/// error is measured instead of the value itself (for a function with a zero
/// inside the branch); absolute_near_zero measures absolutely where the value
/// is below 1.
struct Branch {
  std::string routine;
  std::string branch;
  double bound;
  int count;
  std::function<void(std::mt19937_64&, Args&, int&)> make;
  std::function<void(const Args&, int, DDReal&)> eval;
  std::function<void(const Args&, int, Mp&)> ref;
  bool absolute_near_zero = false;
  std::function<void(const Args&, int, Mp&)> scale{};
};

/// The branch as a sampler of the shared table: one point's error in units
/// of 2^-104 and where it was taken.
inline AccuracyBranch as_sampled(const Branch& b) {
  return {b.routine, b.branch, b.bound, b.count, [b](std::mt19937_64& rng) {
    Args x;
    int n = 0;
    b.make(rng, x, n);
    DDReal got;
    b.eval(x, n, got);
    Mp want(kAccuracyPrec);
    b.ref(x, n, want);
    double e = rel_error(got, want);
    if (b.absolute_near_zero && std::fabs(mpfr_get_d(want, MPFR_RNDN)) < 1.0) {
      Mp g(got, kAccuracyPrec), d(kAccuracyPrec);
      mpfr_sub(d, g, want, MPFR_RNDN);
      e = std::fabs(mpfr_get_d(d, MPFR_RNDN));
    }
    if (b.scale) {
      Mp g(got, kAccuracyPrec), d(kAccuracyPrec), sc(kAccuracyPrec);
      b.scale(x, n, sc);
      mpfr_sub(d, g, want, MPFR_RNDN);
      mpfr_div(d, d, sc, MPFR_RNDN);
      e = std::fabs(mpfr_get_d(d, MPFR_RNDN));
    }
    char buf[160];
    std::snprintf(buf, sizeof buf, "n=%d x=%.17g", n, x.empty() ? 0.0 : x[0].hi);
    for (std::size_t i = 1; i < x.size() && i < 3; ++i) {
      std::snprintf(buf + std::strlen(buf), sizeof buf - std::strlen(buf), ", %.17g", x[i].hi);
    }
    return Sample{e / kU104, buf};
  }};
}

// ---- argument generators ----------------------------------------------------

using Make = std::function<void(std::mt19937_64&, Args&, int&)>;

/// One argument, uniform in [lo, hi).
inline Make uniform(double lo, double hi) {
  return [lo, hi](std::mt19937_64& rng, Args& x, int&) { x = {uniform_dd(rng, lo, hi)}; };
}
/// One argument, log-uniform in magnitude over [lo, hi), the sign random when both_signs.
inline Make log_uniform(double lo, double hi, bool both_signs = false) {
  return [=](std::mt19937_64& rng, Args& x, int&) {
    DDReal v = log_uniform_dd(rng, lo, hi);
    if (both_signs && (rng() & 1) != 0) v = DDReal(-v.hi, -v.lo);
    x = {v};
  };
}
/// The arguments of make with their signs flipped.
inline Make negated(Make make) {
  return [=](std::mt19937_64& rng, Args& x, int& n) {
    make(rng, x, n);
    for (DDReal& v : x) v = DDReal(-v.hi, -v.lo);
  };
}
/// One argument n + d next to an integer n in [nlo, nhi], |d| log-uniform in
/// [2^-emax, 2^-emin] with either sign and a full low word.
inline Make near_integers(int nlo, int nhi, int emin, int emax) {
  return [=](std::mt19937_64& rng, Args& x, int&) {
    const double n = std::uniform_int_distribution<int>(nlo, nhi)(rng);
    DDReal d = log_uniform_dd(rng, std::ldexp(1.0, -emax), std::ldexp(1.0, -emin));
    if ((rng() & 1) != 0) d = DDReal(-d.hi, -d.lo);
    DDReal v;
    DDADD(DDReal(n), d, v);
    x = {v};
  };
}
/// Two arguments, each from its own generator.
inline Make pair(Make first, Make second) {
  return [=](std::mt19937_64& rng, Args& x, int& n) {
    Args a, b;
    first(rng, a, n);
    second(rng, b, n);
    x = {a[0], b[0]};
  };
}
/// An integer in [nlo, nhi] and an argument from make.
inline Make int_and(int nlo, int nhi, Make make) {
  return [=](std::mt19937_64& rng, Args& x, int& n) {
    n = std::uniform_int_distribution<int>(nlo, nhi)(rng);
    int unused = 0;
    make(rng, x, unused);
  };
}
inline Make int_and(int nlo, int nhi, double lo, double hi) { return int_and(nlo, nhi, uniform(lo, hi)); }
/// An integer nlo + step k in [nlo, nhi] alone.
inline Make int_only(int nlo, int nhi, int step) {
  return [=](std::mt19937_64& rng, Args& x, int& n) {
    n = nlo + step * std::uniform_int_distribution<int>(0, (nhi - nlo) / step)(rng);
    x.clear();
  };
}

// ---- the table ---------------------------------------------------------------

/// Replaces the lines between the marker lines "<!-- name begin -->" and
/// "<!-- name end -->" of the file at path with content (the file is left as
/// it is when it lacks them).
inline void write_table_section(const char* path, const std::string& name, const std::string& content) {
  std::string text;
  {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    text = ss.str();
  }
  const std::string begin = "<!-- " + name + " begin -->\n", end = "<!-- " + name + " end -->";
  const std::size_t b = text.find(begin), e = text.find(end);
  if (b == std::string::npos || e == std::string::npos || e < b) return;
  text.replace(b + begin.size(), e - b - begin.size(), content);
  std::ofstream(path) << text;
}

/// Measures every branch, expects each within its bound, and (with
/// DD_ACCURACY_TABLE set) writes the rows and the notes into the section
/// `name` of that file.
inline void run_branches(const std::vector<Branch>& branches, const std::string& name, const std::string& notes) {
  std::string table =
      "| routine | branch | points | largest error | test bound | worst at |\n|---|---|---|---|---|---|\n";
  for (const Branch& b : branches) table += measure_row(as_sampled(b)) + "\n";
  if (const char* path = std::getenv("DD_ACCURACY_TABLE")) write_table_section(path, name, table + notes);
}

}  // namespace dd::test
