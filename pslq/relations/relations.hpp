// Integer relations and minimal polynomials at any precision.
//
// The same calls as pslq/find_relation.hpp, for numbers given as decimal text
// of any length and magnitude or as MPFR values.  The search works at the
// precision the numbers carry (the fewest significant digits among them; an
// exact integer such as "1" or "-3" carries as many as needed), at least at
// 32 digits (shorter numbers, such as 0.5, are taken as the exact decimals
// they are), or at relation_options::digits when that is set; a few guard
// bits are added.  Up
// to about 30 digits the double-double search of the core library runs; above
// that the state is held in MPFR and the iterations run in binary64, inside a
// double-double level from about 60 digits on.
//
// The detection threshold is relation_options::log10_threshold when set (it
// must not ask for more digits than the numbers carry: that is refused with a
// message), else 10^-(digits - 3).  Coefficients of any size are returned as
// decimal text in relation_result::coefficients, and as DDReal values in
// relation_result::relation when they fit (below 2^105).
//
// No call keeps state and none uses globals: searches may run in several
// threads at once.
#pragma once

#include <mpfr.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pslq/find_relation.hpp"

namespace dd {

/// Relation among numbers given as decimal text: an optional sign, digits with
/// at most one point, an optional exponent (e, E, d or D, a sign, digits of any
/// length); blanks around the text are ignored.
relation_result find_relation(std::span<const std::string> x, const relation_options& opt = {});

/// Relation among MPFR values; each carries the digits of its precision.
relation_result find_relation(std::span<const mpfr_srcptr> x, const relation_options& opt = {});

/// Minimal polynomial of x (decimal text or MPFR value) of degree at most degree.
relation_result find_minimal_polynomial(std::string_view x, int degree, const relation_options& opt = {});
relation_result find_minimal_polynomial(mpfr_srcptr x, int degree, const relation_options& opt = {});

/// Significant digits of a decimal text (from the first nonzero digit), -1
/// for an exact integer (no point, no exponent), 0 when it is not a number.
int decimal_digits(std::string_view text);

/// Reads decimal text into v (at v's precision, rounded to nearest); false
/// when it is not a number in the syntax above.
bool read_decimal(std::string_view text, mpfr_ptr v);

/// A named constant at v's precision: pi, e, ln2, ln3, ln10, zeta3, zeta5,
/// catalan, euler, sqrtN and cbrtN (N a positive integer, e.g. sqrt2), and 1;
/// each optionally raised to an integer power ("pi^2").  False for an unknown name.
bool named_constant(std::string_view name, mpfr_ptr v);

}  // namespace dd
