#include "support/accuracy_table.hpp"

#include "support/random_dd.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace dd::test {

double err_units(const DDReal& got, const Mp& want) {
  if (std::isnan(got.hi) || std::isnan(got.lo)) return mpfr_nan_p(want.get()) ? 0.0 : INFINITY;
  Mp g(got, mpfr_get_prec(want.get())), d(mpfr_get_prec(want.get())), w(mpfr_get_prec(want.get()));
  mpfr_sub(d.get(), g.get(), want.get(), MPFR_RNDN);
  mpfr_abs(w.get(), want.get(), MPFR_RNDN);
  if (mpfr_cmp_d(w.get(), detail::kFullPrecisionMin) < 0) mpfr_set_d(w.get(), detail::kFullPrecisionMin, MPFR_RNDN);
  mpfr_div(d.get(), d.get(), w.get(), MPFR_RNDN);
  return std::fabs(mpfr_get_d(d.get(), MPFR_RNDN)) / 0x1p-104;
}

std::string hex_words(const DDReal& a) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%016llX:%016llX", static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(a.hi)),
                static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(a.lo)));
  return buf;
}

DDReal log_uniform(std::mt19937_64& g, double lo, double hi, bool signed_) {
  const DDReal a = log_uniform_dd(g, lo, hi);
  return signed_ && (g() & 1) != 0 ? DDReal(-a.hi, -a.lo) : a;
}

DDReal uniform(std::mt19937_64& g, double lo, double hi) { return uniform_dd(g, lo, hi); }

DDReal near_half_pi_multiple(double k, double off) {
  Mp x(512);
  mpfr_const_pi(x.get(), MPFR_RNDN);
  mpfr_mul_d(x.get(), x.get(), k / 2.0, MPFR_RNDN);
  mpfr_add_d(x.get(), x.get(), off, MPFR_RNDN);
  return to_ddreal(x);
}

namespace {
/// s with each '|' escaped, for a markdown table cell (one escaped already stays).
std::string cell(const std::string& s) {
  std::string r;
  for (const char c : s) {
    if (c == '|' && (r.empty() || r.back() != '\\')) r += '\\';
    r += c;
  }
  return r;
}
}  // namespace

std::string measure_row(const AccuracyBranch& b) {
  std::mt19937_64 rng(std::hash<std::string>{}(b.function + b.branch) & 0xffffffffu);
  Sample worst;
  for (int i = 0; i < b.count; ++i) {
    Sample s = b.sample(rng);
    if (!(s.err <= worst.err)) worst = s;
  }
  EXPECT_LE(worst.err, b.bound) << b.function << ", " << b.branch << ", at " << worst.at;
  char line[512];
  std::snprintf(line, sizeof line, "| %s | %s | %d | %.1f | %g | %s |", cell(b.function).c_str(),
                cell(b.branch).c_str(), b.count, worst.err, b.bound, worst.at.c_str());
  std::printf("%s\n", line);
  return line;
}

void check_accuracy_table(const std::vector<AccuracyBranch>& branches, const std::string& title,
                          const std::string& intro, const std::string& notes) {
  std::vector<std::string> rows;
  for (const AccuracyBranch& b : branches) rows.push_back(measure_row(b));
  const char* path = std::getenv("DD_ACCURACY_TABLE");
  if (path == nullptr) return;
  std::FILE* f = std::fopen(path, "w");
  ASSERT_NE(f, nullptr) << path;
  std::fprintf(f, "# %s\n\n%s\n| function | branch | points | largest error | test bound | worst at |\n"
                  "|---|---|---|---|---|---|\n", title.c_str(), intro.c_str());
  for (const std::string& r : rows) std::fprintf(f, "%s\n", r.c_str());
  std::fprintf(f, "%s", notes.c_str());
  std::fclose(f);
}

}  // namespace dd::test
