// ddkit used as a C++ number type.
//
//  1. One function template, written as for double, run with double and with
//     dd::DDReal: the <cmath> names resolve by argument-dependent lookup,
//     literals and integers convert exactly, and the DDReal run keeps about
//     32 digits.  The template solves Kepler's equation E - e sin E = M by
//     Newton's method and forms the true anomaly 2 atan(sqrt((1 + e) / (1 - e)) tan(E / 2)).
//  2. The same template in four threads at once, each with its own inputs.
//  3. An error as an exception: under a dd::stop_guard a routine that refuses
//     its argument throws dd::stop_error instead of ending the process.
//  4. Decimal text both ways: dd::to_chars writes the shortest text that reads
//     back as the same pair, or the value rounded to the digits asked for, and
//     dd::from_chars reads it back.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "dd.hpp"

namespace {

template <class T>
T true_anomaly(T mean_anomaly, T e) {
  using std::abs, std::atan, std::cos, std::sin, std::sqrt, std::tan;
  T big_e = mean_anomaly;
  for (int k = 0; k < 50; ++k) {
    const T step = (big_e - e * sin(big_e) - mean_anomaly) / (1 - e * cos(big_e));
    big_e -= step;
    if (abs(step) <= 4 * std::numeric_limits<T>::epsilon() * abs(big_e)) break;
  }
  return 2 * atan(sqrt((1 + e) / (1 - e)) * tan(big_e / 2));
}

/// The value rounded correctly to 32 significant digits.
void show(const char* label, const dd::DDReal& a) {
  char text[64];
  const std::to_chars_result w = dd::to_chars(text, text + sizeof text, a, std::chars_format::general, 32);
  std::printf("%-22s %.*s\n", label, static_cast<int>(w.ptr - text), text);
}

/// M back from the true anomaly by Kepler's equation.
dd::DDReal mean_anomaly_of(const dd::DDReal& nu, const dd::DDReal& e) {
  const dd::DDReal big_e = 2 * atan(sqrt((1 - e) / (1 + e)) * tan(nu / 2));
  return big_e - e * sin(big_e);
}

}  // namespace

int main() {
  using dd::DDReal;
  bool ok = true;

  // 1. One template, two types.
  const double m = 1.0, e = 0.9;
  const double in_double = true_anomaly(m, e);
  const DDReal in_dd = true_anomaly(DDReal(m), DDReal(e));
  std::printf("%-22s %.17g\n", "double", in_double);
  show("DDReal", in_dd);
  const DDReal back = mean_anomaly_of(in_dd, DDReal(e));
  show("M from the result", back);
  ok = ok && abs(back - m) < 1e-28 && std::fabs(in_double - in_dd.hi) < 1e-13;
  ok = ok && std::numbers::pi_v<DDReal> == dd::pi();

  // 2. Threads: each solves for its own eccentricity.
  std::vector<DDReal> results(4);
  {
    std::vector<std::jthread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([t, &results] { results[t] = true_anomaly(DDReal(1), DDReal(t + 1) / 5); });
    }
  }
  for (int t = 0; t < 4; ++t) {
    const DDReal again = true_anomaly(DDReal(1), DDReal(t + 1) / 5);
    ok = ok && results[t] == again && abs(mean_anomaly_of(results[t], DDReal(t + 1) / 5) - 1) < 1e-28;
  }
  std::printf("4 threads: %s\n", ok ? "same results as one thread" : "DIFFERENT");

  // 3. A refused argument as an exception.
  try {
    const dd::stop_guard guard;
    show("never printed", log(DDReal(-1)));
    ok = false;
  } catch (const dd::stop_error& err) {
    std::printf("caught: %s\n", err.what());
  }

  // 4. The shortest text of the result, and back to the same two words.
  char text[64];
  const std::to_chars_result w = dd::to_chars(text, text + sizeof text, in_dd);
  const std::string_view shortest(text, static_cast<std::size_t>(w.ptr - text));
  DDReal read;
  const std::from_chars_result r = dd::from_chars(shortest.data(), shortest.data() + shortest.size(), read);
  std::printf("shortest text          %.*s\n", static_cast<int>(shortest.size()), shortest.data());
  ok = ok && w.ec == std::errc() && r.ec == std::errc() && read.hi == in_dd.hi && read.lo == in_dd.lo;

  std::printf("%s\n", ok ? "using ddkit from C++: ok" : "using ddkit from C++: WRONG");
  return ok ? 0 : 1;
}
