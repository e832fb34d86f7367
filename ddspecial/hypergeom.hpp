// Generalized hypergeometric function pFq(a_1..a_p; b_1..b_q; x) by its
// defining series sum_i (prod_j (a_j)_i / prod_j (b_j)_i) x^i / i!.
#pragma once

#include "ddreal/kernels.hpp"

namespace dd {

/// Most parameters on either side.
inline constexpr int kPfqMaxParams = 10;
/// Most terms of the series.
inline constexpr int kPfqMaxTerms = 1000000;

namespace msg {
inline constexpr char kPfqSize[] = "('*** DDHYPERGEOMPFQ: NP and NQ must be between 1 and',i4)";
inline constexpr char kPfqLoopEnd[] = "('*** DDHYPERGEOMPFQ: Loop end error',i10)";
inline constexpr char kPfqPole[] =
    "('*** DDHYPERGEOMPFQ: Denominator parameter',i3,' is zero or a negative integer.')";
inline constexpr char kPfqDiverges[] = "('*** DDHYPERGEOMPFQ: Series diverges (term',i8,' overflows).')";
inline constexpr char kPfqDivergent[] =
    "('*** DDHYPERGEOMPFQ: The series diverges for NP > NQ + 1, and for NP = NQ + 1 with |XX| > 1.')";
inline constexpr char kPfqCancels[] =
    "('*** DDHYPERGEOMPFQ: The alternating series cancels; fewer than',i3,' digits would be right.')";
}  // namespace msg

/// yy = pFq(aa[0..np-1]; bb[0..nq-1]; xx) for 1 <= np, nq <= 10.
///
/// Term i is N_i / D_i with N_i = prod_j (aa_j)_i * xx^i and D_i = prod_j (bb_j)_i * i!,
/// each product built factor by factor; the sum stops at the first term of at
/// most 2^-106 of the sum (a zero term, as in a terminating series, stops it).
/// N and D are rescaled together by 2^-400 (or 2^400) when one of them leaves
/// [2^-400, 2^400]: a power-of-two scale is exact, so the terms are those of
/// the unscaled products, with no overflow of the separate products.
/// Refuses a denominator factor b_j + i that is exactly zero (b_j zero or a
/// negative integer reached before the series ends), a series that cannot
/// converge (np > nq + 1, or np = nq + 1 with |xx| > 1, unless a numerator
/// parameter is zero or a negative integer and the series ends; 2F1 at
/// xx <= -1 is then summed after Pfaff's transformation, below), and stops
/// with a message when a term overflows.  An alternating series loses the
/// digits its terms have beyond its sum: where that would leave it wrong by
/// more than 2^18 units of 2^-104, 1F1 and 2F1 at xx < 0 are summed after
/// Kummer's transformation e^x 1F1(b - a; b; -x) or Pfaff's
/// (1 - x)^-a 2F1(a, c - b; c; x / (x - 1)), whose terms have one sign; other
/// series, and those transformations where they cancel too, stop with a
/// message that says how many digits would have been right.  Pfaff's series
/// in x / (x - 1) slows as x falls towards -infinity: some 10^5 terms and
/// 2^11 units of accumulated rounding at x = -10^4, the term limit's message
/// from about x = -10^5 on.
void DDHYPERGEOMPFQ(int np, int nq, const DDReal* aa, const DDReal* bb, const DDReal& xx, DDReal& yy);

}  // namespace dd
