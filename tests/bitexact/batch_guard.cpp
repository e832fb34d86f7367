// The batch routines against a loop over the scalar routines, on every target
// this CPU can run: the same words in every output element, the same stop at
// the same element (with the elements before it written and the ones after
// it untouched), whatever the length (0 to 67), the start in memory, the
// aliasing of outputs with inputs, and the lane in which a special argument
// falls.  Built at -O0 and at -O3 -march=native like the fingerprint; exits
// with status 1 on any difference and prints the first ones.
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "ddbatch/batch.hpp"
#include "ddelem/ddelem.hpp"
#include "ddreal/stop.hpp"
#include "ddspecial/ddspecial.hpp"
#include "ddtyped/elementary.hpp"
#include "ddtyped/real.hpp"
#include "inputs.hpp"
#include "pslq/pslq.hpp"

namespace {

using dd::DDReal;
using dd::bitexact::Gen;
using dd::bitexact::Rng;
namespace gen = dd::bitexact::gen;
namespace batch = dd::batch;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// Arguments that reach the rare branches of some routine: zeros, NaN and
/// infinite words, the range ends of the exponential, rounding ties,
/// subnormal and extreme magnitudes, refusals (negative logarithms, poles).
std::vector<DDReal> special_values() {
  std::vector<DDReal> v = {
      {0.0, 0.0}, {-0.0, -0.0}, {0.0, 1e-300}, {1.0, 0.0}, {-1.0, 0.0}, {0.5, 0.0}, {2.0, -0x1p-60},
      {kInf, 0.0}, {-kInf, 0.0}, {kNaN, 0.0}, {1.0, kNaN}, {1.0, kInf}, {4.9e-324, 0.0}, {0x1p-1000, 0.0},
      {1e-300, 0.0}, {1e300, 1e283}, {0x1.fffffffffffffp1023, 0.0}, {300.0, 0.0}, {-300.0, 0.0},
      {299.99, 0.0}, {-299.99, 1e-15}, {700.0, 0.0}, {-745.0, 0.0}, {1e60, 0.0}, {-3e32, 0.0},
      {9.0, 0.0}, {-9.0, 0.0}, {6.75, 0.0}, {27.0, 0.0}, {-3.0, 0.0}, {171.7, 0.0}, {1e8, 1.0},
      {1.0 + 0x1p-40, 0.0}, {0x1p-500, 0.0}, {1e200, 0.0}, {1e-200, 0.0}, dd::detail::kLog2, dd::detail::kPi,
      // Next to the integers and poles of Gamma, and far along its recurrence.
      // Near multiples of pi and pi/2, and at the end of the literal circular sequence.
      {3.141592653589793, 0.0}, {-1.5707963267948966, 0.0}, {355.0, 0.0}, {0x1p18, 0.0}, {-0x1.fffffp17, 0.5},
      {-3.0 + 0x1p-30, 0.0}, {-1.0 - 0x1p-45, 0.0}, {2.0 + 0x1p-50, 0.0}, {1.0 - 0x1p-52, 0.0}, {-0.5, 0.0},
      {100.5, 0.0}, {-170.5, 0.0}, {5.0, -0x1p-60}, {-8.0 + 1.7e-10, 3e-27},
  };
  // Half-integer multiples of ln 2: the exponential's reduction meets a tie.
  for (double k : {0.5, 1.5, -2.5, 10.5}) {
    DDReal t;
    dd::DDMULD(dd::detail::kLog2, k, t);
    v.push_back(t);
  }
  return v;
}

/// One routine: its inputs' generators, and the batch call and the scalar
/// loop over spans (inputs a, b or d; outputs r, s).
struct Routine {
  std::string name;
  Gen ga;
  Gen gb;            ///< nullptr: one input
  bool b_is_double;  ///< the second input is a binary64 span
  bool a_is_double;  ///< the first input is a binary64 span (then b is DDReal)
  bool two_outputs;
  using Call = std::function<void(std::span<const DDReal>, std::span<const DDReal>, std::span<const double>,
                                  std::span<DDReal>, std::span<DDReal>)>;
  Call batch_call, scalar_loop;
};

std::vector<Routine>& routines() {
  static std::vector<Routine> v;
  return v;
}

template <class F>
Routine::Call loop(F f) {
  return [f](std::span<const DDReal> a, std::span<const DDReal> b, std::span<const double> d, std::span<DDReal> r,
             std::span<DDReal> s) {
    for (std::size_t i = 0; i < r.size(); ++i) f(a, b, d, r, s, i);
  };
}

void register_routines() {
  using A = std::span<const DDReal>;
  using D = std::span<const double>;
  using R = std::span<DDReal>;
  auto& v = routines();
  const auto binary = [&](std::string name, Gen ga, Gen gb, void (*bf)(A, A, R), DDReal (*sf)(const DDReal&, const DDReal&)) {
    v.push_back({name, ga, gb, false, false, false,
                 [bf](A a, A b, D, R r, R) { bf(a, b, r); },
                 loop([sf](A a, A b, D, R r, R, std::size_t i) { r[i] = sf(a[i], b[i]); })});
  };
  const auto with_double = [&](std::string name, void (*bf)(A, D, R), DDReal (*sf)(const DDReal&, double)) {
    v.push_back({name, gen::mid, gen::mid, true, false, false,
                 [bf](A a, A, D d, R r, R) { bf(a, d, r); },
                 loop([sf](A a, A, D d, R r, R, std::size_t i) { r[i] = sf(a[i], d[i]); })});
  };
  const auto double_with = [&](std::string name, void (*bf)(D, A, R), DDReal (*sf)(double, const DDReal&)) {
    v.push_back({name, gen::mid, gen::mid, false, true, false,
                 [bf](A, A b, D d, R r, R) { bf(d, b, r); },
                 loop([sf](A, A b, D d, R r, R, std::size_t i) { r[i] = sf(d[i], b[i]); })});
  };
  const auto unary = [&](std::string name, Gen g, void (*bf)(A, R), void (*sf)(const DDReal&, DDReal&)) {
    v.push_back({name, g, nullptr, false, false, false,
                 [bf](A a, A, D, R r, R) { bf(a, r); },
                 loop([sf](A a, A, D, R r, R, std::size_t i) { sf(a[i], r[i]); })});
  };
  const auto two = [&](std::string name, Gen g, void (*bf)(A, R, R), void (*sf)(const DDReal&, DDReal&, DDReal&)) {
    v.push_back({name, g, nullptr, false, false, true,
                 [bf](A a, A, D, R r, R s) { bf(a, r, s); },
                 loop([sf](A a, A, D, R r, R s, std::size_t i) { sf(a[i], r[i], s[i]); })});
  };

  binary("add", gen::wide, gen::wide, batch::add, [](const DDReal& a, const DDReal& b) { return a + b; });
  binary("sub", gen::wide, gen::wide, batch::sub, [](const DDReal& a, const DDReal& b) { return a - b; });
  binary("mul", gen::mid, gen::mid, batch::mul, [](const DDReal& a, const DDReal& b) { return a * b; });
  binary("div", gen::mid, gen::mid, batch::div, [](const DDReal& a, const DDReal& b) { return a / b; });
  with_double("add a+d", batch::add, [](const DDReal& a, double d) { return a + d; });
  with_double("sub a-d", batch::sub, [](const DDReal& a, double d) { return a - d; });
  with_double("mul a*d", batch::mul, [](const DDReal& a, double d) { return a * d; });
  with_double("div a/d", batch::div, [](const DDReal& a, double d) { return a / d; });
  double_with("add d+b", batch::add, [](double d, const DDReal& b) { return d + b; });
  double_with("sub d-b", batch::sub, [](double d, const DDReal& b) { return d - b; });
  double_with("mul d*b", batch::mul, [](double d, const DDReal& b) { return d * b; });
  double_with("div d/b", batch::div, [](double d, const DDReal& b) { return d / b; });
  unary("sqrt", gen::wide, batch::sqrt, dd::DDSQRT);
  unary("exp", [](Rng& r) { return gen::make(r, -60, 9, false); }, batch::exp, dd::DDEXP);
  unary("log", gen::positive_wide, batch::log, dd::DDLOG);
  binary("pow", gen::small_positive, gen::small, batch::pow,
         [](const DDReal& a, const DDReal& b) { return dd::pow(a, b); });
  two("cos_sin", [](Rng& r) { return gen::make(r, -8, 20, false); }, batch::cos_sin, dd::DDCSSNR);
  binary("atan2", gen::moderate, gen::moderate, batch::atan2, dd::atan2);
  two("cosh_sinh", [](Rng& r) { return gen::make(r, -30, 9, false); }, batch::cosh_sinh, dd::DDCOSHSINH);
  unary("erf", gen::small, batch::erf, dd::DDERFR);
  unary("gamma_fn", gen::small, batch::gamma_fn, dd::DDGAMMAR);
}

// ---- one comparison ---------------------------------------------------------------

bool same_word(double x, double y) {
  return (std::isnan(x) && std::isnan(y)) || std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
}

/// The storage of one call: inputs, outputs, and where the outputs point.
struct Storage {
  std::vector<DDReal> a, b, r, s;
  std::vector<double> d;
};

enum Alias { kSeparate, kOutIsA, kOutIsB };

/// Runs call on st with the spans laid out by start, n and alias; returns
/// the stop message ("" when none).
std::string run(const Routine& rt, const Routine::Call& call, Storage& st, std::size_t start, std::size_t n,
                Alias alias) {
  std::span<DDReal> a(st.a.data() + start, n), b(st.b.data() + start, n);
  std::span<DDReal> r(st.r.data() + start, n), s(st.s.data() + start, n);
  if (alias == kOutIsA) r = a;
  if (alias == kOutIsB) r = b;
  try {
    call(a, b, std::span<const double>(st.d.data() + start, n), r, rt.two_outputs ? s : r);
  } catch (const dd::stop_error& e) {
    return std::string("stop: ") + e.what();
  }
  return "";
}

long long g_failures = 0;

void report(const std::string& what) {
  if (++g_failures <= 20) std::printf("batch MISMATCH %s\n", what.c_str());
}

bool same_storage(const Storage& x, const Storage& y) {
  const auto same = [](const std::vector<DDReal>& p, const std::vector<DDReal>& q) {
    for (std::size_t i = 0; i < p.size(); ++i)
      if (!same_word(p[i].hi, q[i].hi) || !same_word(p[i].lo, q[i].lo)) return false;
    return true;
  };
  return same(x.a, y.a) && same(x.b, y.b) && same(x.r, y.r) && same(x.s, y.s);
}

/// Fills st for n elements from start (margins of sentinels around them).
void fill(const Routine& rt, Rng& rng, Storage& st, std::size_t total, const std::vector<DDReal>& specials,
          int special_rate, int forced_pos, const DDReal& forced) {
  const DDReal sentinel(0x1.2345p-7, 0x1.6789p-61);
  st.a.assign(total, sentinel);
  st.b.assign(total, sentinel);
  st.r.assign(total, sentinel);
  st.s.assign(total, sentinel);
  st.d.assign(total, 0.75);
  for (std::size_t i = 0; i < total; ++i) {
    const auto pick = [&](Gen g) {
      if (special_rate > 0 && rng.next() % static_cast<std::uint64_t>(special_rate) == 0)
        return specials[rng.next() % specials.size()];
      return g(rng);
    };
    st.a[i] = pick(rt.ga);
    if (rt.gb != nullptr) st.b[i] = pick(rt.gb);
    st.d[i] = (rt.b_is_double ? st.b[i] : st.a[i]).hi;
  }
  if (forced_pos >= 0) {
    // The special value in the first input, and (for two inputs) in the second on alternate calls.
    st.a[static_cast<std::size_t>(forced_pos)] = forced;
    st.d[static_cast<std::size_t>(forced_pos)] = forced.hi;
    if (rt.gb != nullptr && (rng.next() & 1) != 0) st.b[static_cast<std::size_t>(forced_pos)] = forced;
  }
}

/// Compares the batch call with the scalar loop on one layout.
void compare(const Routine& rt, batch::target t, Storage& st, std::size_t start, std::size_t n, Alias alias) {
  Storage x = st, y = st;
  const std::string mx = run(rt, rt.batch_call, x, start, n, alias);
  const std::string my = run(rt, rt.scalar_loop, y, start, n, alias);
  if (mx != my || !same_storage(x, y)) {
    report(rt.name + " target " + batch::name(t) + " n " + std::to_string(n) + " start " + std::to_string(start) +
           " alias " + std::to_string(alias) + (mx != my ? " messages [" + mx + "] [" + my + "]" : " words differ"));
  }
}

Alias pick_alias(const Routine& rt, Rng& rng) {
  if (rt.a_is_double || rt.b_is_double) return (rng.next() & 1) ? kSeparate : (rt.a_is_double ? kOutIsB : kOutIsA);
  const int k = static_cast<int>(rng.next() % (rt.gb != nullptr ? 3 : 2));
  return static_cast<Alias>(k);
}

/// Random calls per routine and target, and the lanes each special value is put in.
struct Effort {
  int random_calls;
  int special_lanes;
};

long long check_target(batch::target t, const std::vector<DDReal>& specials, Effort effort) {
  batch::use(t);
  long long calls = 0;
  for (std::size_t k = 0; k < routines().size(); ++k) {
    const Routine& rt = routines()[k];
    Rng rng(0xBA7C4u + 104729u * k);
    Storage st;
    // Random lengths 0..67 from random starts, now and then a special argument.
    for (int trial = 0; trial < effort.random_calls; ++trial) {
      const std::size_t n = static_cast<std::size_t>(trial % 68), start = rng.next() % 9;
      fill(rt, rng, st, n + 18, specials, trial % 2 == 0 ? 0 : 12, -1, DDReal(0.0));
      compare(rt, t, st, start, n, pick_alias(rt, rng));
      ++calls;
    }
    // Every special argument in each of the first lanes.
    for (const DDReal& sp : specials) {
      for (int pos = 0; pos < effort.special_lanes; ++pos) {
        const std::size_t n = 17 + rng.next() % 4, start = rng.next() % 3;
        fill(rt, rng, st, n + 8, specials, 0, static_cast<int>(start) + pos, sp);
        compare(rt, t, st, start, n, pick_alias(rt, rng));
        ++calls;
      }
    }
  }
  return calls;
}

/// The relation search's iterations (their corner rotations and reduction
/// run in lanes where the target has them): the words of b, h and y after
/// each of up to 60 iterations from initmp.
std::vector<double> search_words(const std::vector<DDReal>& x) {
  const int n = static_cast<int>(x.size());
  constexpr int kNsave = dd::pslq::kNsave;
  std::vector<DDReal> b(n * n), h(n * n), ys(n * kNsave), y(n);
  dd::initmp(0, n, kNsave, b.data(), h.data(), ys.data(), x.data(), y.data());
  const DDReal eps(1e-29, 0.0);
  std::vector<double> words;
  int dupflag = 0, istatus = 0;
  for (int iter = 1; iter <= 60 && istatus == 0; ++iter) {
    dd::itermp(0, iter, n, kNsave, eps, b.data(), h.data(), ys.data(), y.data(), dupflag, istatus);
    for (const std::vector<DDReal>* v : {&b, &h, &y})
      for (const DDReal& e : *v) words.insert(words.end(), {e.hi, e.lo});
  }
  return words;
}

/// Vectors of 3 to 24 entries: powers of 3^(1/3) - 2^(1/3), and random
/// entries whose last one is a small integer combination of the others.
std::vector<std::vector<DDReal>> search_inputs() {
  std::vector<std::vector<DDReal>> v;
  const DDReal alpha = dd::nroot(DDReal(3.0), 3) - dd::nroot(DDReal(2.0), 3);
  Rng rng(0x5EA4C4u);
  for (int n = 3; n <= 24; n += 3) {
    std::vector<DDReal> p(n, DDReal(1.0)), r(n);
    for (int i = 1; i < n; ++i) p[i] = alpha * p[i - 1];
    DDReal last(0.0);
    for (int i = 0; i + 1 < n; ++i) {
      r[i] = gen::make(rng, -2, 2, false);
      const int c = rng.integer(-3, 3);
      last = last + r[i] * static_cast<double>(c);
    }
    r[n - 1] = last;
    v.push_back(p);
    v.push_back(r);
  }
  return v;
}

/// The search on target t against the scalar target, word for word.
void check_search(batch::target t, const std::vector<std::vector<DDReal>>& inputs) {
  for (const std::vector<DDReal>& x : inputs) {
    batch::use(batch::target::scalar);
    const std::vector<double> want = search_words(x);
    batch::use(t);
    const std::vector<double> got = search_words(x);
    if (got.size() != want.size() || std::memcmp(got.data(), want.data(), got.size() * sizeof(double)) != 0)
      report(std::string("relation search target ") + batch::name(t) + " n " + std::to_string(x.size()) +
             " words differ");
  }
}

}  // namespace

/// "quick" as the first argument lightens the run (for the -O0 build): every
/// length once, each special value in the first nine lanes, and the vector
/// targets only.
int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "quick";
  const Effort effort = quick ? Effort{68, 9} : Effort{136, 17};
  const dd::stop_guard guard;  // a stop throws its message, and the run goes on
  register_routines();
  const std::vector<DDReal> specials = special_values();
  const std::vector<std::vector<DDReal>> searches = search_inputs();
  for (batch::target t : {batch::target::scalar, batch::target::generic, batch::target::avx2, batch::target::avx512}) {
    if (quick && t == batch::target::scalar) continue;
    if (!batch::available(t)) {
      std::printf("batch target %s: not available on this CPU\n", batch::name(t));
      continue;
    }
    const long long before = g_failures;
    const long long calls = check_target(t, specials, effort);
    check_search(t, searches);
    std::printf("batch target %s: %lld calls, %lld differ from the scalar loop\n", batch::name(t), calls,
                g_failures - before);
  }
  std::printf("batch: %s\n", g_failures == 0 ? "every target agrees with the scalar routines" : "DIFFERENCES");
  return g_failures == 0 ? 0 : 1;
}
