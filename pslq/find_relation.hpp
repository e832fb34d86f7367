// Integer relations among a caller's own numbers, returned instead of printed.
//
// find_relation runs the multipair PSLQ search PSLQM1 on the numbers (at debug
// level 0 unless asked otherwise, so nothing is printed) and hands back the
// relation, its residual and norm, how far it can be trusted, or why none was
// found.  Inputs that the search cannot take (fewer than two numbers, too
// many, a non-finite or all-zero vector) are refused with a message instead of
// dividing by zero inside the search.  find_minimal_polynomial does the same
// for the vector 1, x, ..., x^D.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "ddreal/kernels.hpp"

namespace dd {

/// How find_relation ended.
enum class relation_status {
  found,                ///< a relation with norm <= 10^log10_norm_bound
  too_large,            ///< a relation was detected but its norm exceeds 10^log10_norm_bound (it is returned)
  iteration_limit,      ///< the search ran out of iterations
  norm_bound,           ///< every relation has a norm above 10^log10_norm_bound
  precision_exhausted,  ///< y reached the limit of the working precision before the threshold
  search_failed,        ///< the arithmetic broke down inside the search (message says how)
  bad_input             ///< the numbers or options were refused (message says why)
};

/// Short lower-case description of a status, e.g. "iteration limit".
const char* relation_status_text(relation_status s) noexcept;

/// Most numbers searched at once.  Among n numbers known to d digits, chance
/// relations of norm about 10^(d/n) exist; at n = 64 and 32 digits that is
/// about 3, so beyond it even a relation with coefficients 1 and 2 cannot be
/// told from an accident of the precision.
inline constexpr int kMaxRelationSize = 64;

/// Digits that a DDReal carries; a relation cannot be shown to hold to more.
inline constexpr double kWorkingDigits = 32.0;

/// 10^-29 formed as the test program forms it (DDNPWR of 10), the default threshold.
DDReal default_relation_threshold();

struct relation_options {
  /// Detection threshold eps: a relation is reported when an entry of the
  /// normalised, transformed vector falls to eps times the largest entry of its row of b.
  DDReal threshold = default_relation_threshold();
  /// log10 of the largest norm accepted for a relation and for the norm bound.
  double log10_norm_bound = 20.0;
  /// Debug level passed to PSLQM1: 0 prints nothing, 1 to 3 print its progress on standard output.
  int debug = 0;
};

struct relation_result {
  relation_status status = relation_status::bad_input;
  /// Integer-valued coefficients a(1..n), for found and too_large; empty otherwise.
  std::vector<DDReal> relation;
  /// |a(1)x(1) + ... + a(n)x(n)| on the caller's numbers, and the Euclidean norm of a.
  DDReal residual{0.0};
  DDReal norm{0.0};
  /// Digits to which the relation holds: log10 of max|a(i)| max|x(j)| / residual
  /// (the cancellation against the largest term a relation of this size can
  /// have), at most kWorkingDigits.
  double digits = 0.0;
  /// Digits to which a chance relation of this norm among n numbers holds: n log10(norm).
  double chance_digits = 0.0;
  /// True when chance_digits comes within 3 digits of the threshold's digits: the
  /// relation may be an accident of the precision rather than a true one.
  bool maybe_chance = false;
  /// One line for people: why the input was refused, why nothing was found, or what was found.
  std::string message;

  bool found() const noexcept { return status == relation_status::found; }
};

/// Searches for integers a(1..n), not all zero, with a(1)x(1) + ... + a(n)x(n) = 0
/// to the threshold, using PSLQM1(opt.debug, n, opt.log10_norm_bound, opt.threshold, x, ...).
/// A stop of the package inside the search is turned into search_failed (the
/// search runs under a stop_guard; nothing is printed).  Calls on different
/// threads are independent and give the results of sequential calls.
relation_result find_relation(std::span<const DDReal> x, const relation_options& opt = {});

/// Minimal polynomial of x of degree at most degree (1 <= degree < kMaxRelationSize):
/// the relation among 1, x, ..., x^degree (powers by repeated multiplication,
/// x^(k+1) = x * x^k).  A found relation is returned as the coefficients from
/// the constant term up, with factors of x divided out (a zero constant term
/// means x^j q(x) = 0, so q(x) = 0 for x != 0), trailing zero coefficients
/// removed and the leading coefficient made positive; residual and digits are
/// those of that polynomial at x.
relation_result find_minimal_polynomial(const DDReal& x, int degree, const relation_options& opt = {});

/// The polynomial with coefficients c(0..d) (constant term first) in ordinary
/// form, highest power first: "x^9 - 3*x^6 + 165*x^3 - 1".  "0" when all are zero.
std::string polynomial_text(std::span<const DDReal> coeffs, char var = 'x');

/// Exact decimal text of an integer-valued DDReal ("-165"); a value that is
/// not an integer or not finite is shown in scientific form instead.
std::string integer_text(const DDReal& a);

}  // namespace dd
