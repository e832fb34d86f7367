// Table-driven accuracy measurement against MPFR: each branch of a function
// draws its arguments from a fixed-seed generator, measures the error of
// every result in units of 2^-104, fails when the largest passes the
// branch's bound, and adds a row to a table that DD_ACCURACY_TABLE=<file>
// writes out as markdown.
#pragma once

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "ddreal/kernels.hpp"
#include "support/mpfr_ref.hpp"

namespace dd::test {

/// One sample: its error in units of 2^-104, and where it was taken.
struct Sample {
  double err = 0.0;
  std::string at;
};

/// One branch of a function: count samples from sample(rng), each within bound.
struct AccuracyBranch {
  std::string function;
  std::string branch;
  double bound;
  int count;
  std::function<Sample(std::mt19937_64&)> sample;
};

/// Measures every branch (seeded from its names, so each run measures the same
/// points), expects each largest error within its bound and, when the
/// environment names a file in DD_ACCURACY_TABLE, writes the table there
/// with the title, the introduction and the notes around it.
void check_accuracy_table(const std::vector<AccuracyBranch>& branches, const std::string& title,
                          const std::string& intro, const std::string& notes);

/// The measuring part of check_accuracy_table: expects each branch within its
/// bound and returns its markdown row "| function | branch | points | largest
/// error | test bound | worst at |", also printed.
std::string measure_row(const AccuracyBranch& b);

/// |got - want| / max(|want|, 2^-969) in units of 2^-104: relative, except that
/// below 2^-969, where the low word fades, the error counts against 2^-969.
double err_units(const DDReal& got, const Mp& want);

/// The hex words hi:lo of a DDReal, for the "worst at" column.
std::string hex_words(const DDReal& a);

/// A normalised DDReal with hi log-uniform in [lo, hi) (0 < lo < hi), a random
/// sign when signed, and a random low word.
DDReal log_uniform(std::mt19937_64& g, double lo, double hi, bool signed_ = false);
/// The same with hi uniform in [lo, hi).
DDReal uniform(std::mt19937_64& g, double lo, double hi);
/// The DDReal nearest k pi/2 + off (k an integer given as a double).
DDReal near_half_pi_multiple(double k, double off);

}  // namespace dd::test
