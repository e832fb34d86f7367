// Integer relations among a caller's own numbers, returned instead of printed.
//
// find_relation runs the multi-level multipair PSLQ search of multilevel.hpp
// (binary64 iterations under a double-double state, and when they end without
// a sure relation a lattice reduction of the basis they reached, reduce.hpp;
// PSLQM1 itself, with its progress lines, at debug levels above 0) and hands
// back the relation, its residual and norm, how far it can be trusted, or why
// none was found.  Inputs that the search cannot take (fewer than two numbers,
// too many, a non-finite or all-zero vector) are refused with a message
// instead of dividing by zero inside the search.  find_minimal_polynomial does
// the same for the vector 1, x, ..., x^D.
#pragma once

#include <cmath>
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
  /// Debug level: 0 runs the multi-level search silently; 1 to 3 run PSLQM1
  /// itself, which prints its progress on standard output (double-double numbers only).
  int debug = 0;
  /// For the any-precision calls (pslq/relations/relations.hpp): the working
  /// precision in decimal digits, 0 for the digits the numbers carry.
  int digits = 0;
  /// For the any-precision calls: the detection threshold as a power of ten
  /// (-40 for 1e-40), 0 for three digits short of the working precision.
  double log10_threshold = 0.0;
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

  /// Decimal digits the search worked at (about 32 for double-double numbers).
  double working_digits = 0.0;
  /// Iterations the search made, at all its levels together.
  long iterations = 0;
  /// The coefficients as exact decimal integers ("-165"), for searches whose
  /// coefficients may pass what a DDReal holds (the any-precision calls);
  /// empty when relation holds them all.
  std::vector<std::string> coefficients;

  bool found() const noexcept { return status == relation_status::found; }
};

/// Searches for integers a(1..n), not all zero, with a(1)x(1) + ... + a(n)x(n) = 0
/// to the threshold against the size of its terms, with the multi-level
/// search (or PSLQM1(opt.debug, n, opt.log10_norm_bound, opt.threshold, x, ...)
/// at debug levels above 0).  A stop of the package inside PSLQM1 is turned
/// into search_failed (it runs under a stop_guard; nothing is printed).  Calls on different
/// threads are independent and give the results of sequential calls.
relation_result find_relation(std::span<const DDReal> x, const relation_options& opt = {});

/// Minimal polynomial of x of degree at most degree (1 <= degree < kMaxRelationSize):
/// the primitive integer polynomial of smallest degree, positive leading
/// coefficient, that vanishes at x to the threshold, from relations among 1,
/// x, ..., x^d (powers by repeated multiplication, x^(k+1) = x * x^k; see
/// detail::minimal_polynomial_search).  Returned as the coefficients from the
/// constant term up; residual and digits are those of that polynomial at x.
/// Zero gives x; no other number does.  When none is found up to the degree,
/// the status says why.
relation_result find_minimal_polynomial(const DDReal& x, int degree, const relation_options& opt = {});

namespace detail {

/// found or too_large by the relation's norm against 10^log10_norm_bound, with the message.
void classify_relation(relation_result& r, double log10_norm_bound);

/// The minimal polynomial from searches among 1, x, ..., x^d: search(d)
/// gives the relation of degree at most d with coefficients from the
/// constant term up (relation and coefficients filled alike).  The search at
/// degree D comes first; when it finds a polynomial of degree k that is not
/// flagged as a chance relation, degrees 1 to k-1 are tried in turn and the
/// first one found unflagged replaces it (also when the first one is
/// flagged).  Chance flags are judged among the k + 1 powers of the result,
/// against threshold_digits.  Factors x^j are divided out (x is
/// nonzero), trailing zero coefficients dropped and the leading coefficient
/// made positive; a relation row is primitive, so the polynomial is too.
template <class Search>
relation_result minimal_polynomial_search(int degree, double threshold_digits, Search&& search);

/// Divides out x^j, drops trailing zeros and makes the leading coefficient positive.
void normalise_polynomial(relation_result& r);

}  // namespace detail

template <class Search>
relation_result detail::minimal_polynomial_search(int degree, double threshold_digits, Search&& search) {
  // The chance comparison of a polynomial of degree k is among its k + 1 powers.
  const auto settle = [threshold_digits](relation_result& r) {
    normalise_polynomial(r);
    r.chance_digits = r.norm.hi > 0.0 ? static_cast<double>(r.relation.size()) * std::log10(r.norm.hi) : 0.0;
    r.maybe_chance = r.chance_digits >= threshold_digits - 3.0;
  };
  relation_result r = search(degree);
  if (r.status != relation_status::found) {
    if (r.status != relation_status::bad_input)
      r.message = "no polynomial of degree at most " + std::to_string(degree) + " found: " + r.message;
    return r;
  }
  settle(r);
  const int k = static_cast<int>(r.relation.size()) - 1;
  for (int d = 1; d < k; ++d) {
    relation_result s = search(d);
    if (s.status != relation_status::found) continue;
    settle(s);
    if (s.maybe_chance) continue;
    s.iterations += r.iterations;
    return s;
  }
  return r;
}

/// The polynomial with coefficients c(0..d) (constant term first) in ordinary
/// form, highest power first: "x^9 - 3*x^6 + 165*x^3 - 1".  "0" when all are zero.
std::string polynomial_text(std::span<const DDReal> coeffs, char var = 'x');

/// Exact decimal text of an integer-valued DDReal ("-165"); a value that is
/// not an integer or not finite is shown in scientific form instead.
std::string integer_text(const DDReal& a);

}  // namespace dd
