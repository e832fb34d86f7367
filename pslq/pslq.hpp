// The multipair PSLQ integer relation search PSLQM1 and its helpers.
//
// PSLQM1 looks for integers a(1..n), not all zero, with a(1)x(1) + ... +
// a(n)x(n) = 0 to working precision.  initmp builds the starting state (the
// normalised vector y, b = I and the lower-trapezoidal h whose columns are
// orthonormal and orthogonal to y); itermp performs one iteration: it
// exchanges up to 0.4 n disjoint pairs of adjacent rows chosen by the keys
// gamma^i |h(i,i)|, restores h's shape with 2x2 rotations, reduces h with
// nearest-integer multipliers and applies the same integer transformation to
// y and b.  A relation shows up as an entry of y that falls to eps times the
// largest entry of its row of b; that row of b is the relation.
//
// Storage.  Vectors are pointers to entry 1.  Matrices are column-major with
// 1-based indices and a leading dimension equal to their row count:
// a(i, j) is a[(i - 1) + (j - 1) * m] for an m-row matrix.  b is n x n, h is
// n x (n - 1) held in n x n storage (column n unused), ysave is n x nsave.
#pragma once

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "ddreal/kernels.hpp"

namespace dd {

namespace msg {
inline constexpr char kPslqTooFew[] = "('*** PSLQM1: At least two input values are needed; n =',i10)";
inline constexpr char kPslqNotFinite[] = "('*** PSLQM1: Input value',i6,' is not finite.')";
inline constexpr char kPslqZeroVector[] = "('*** PSLQM1: Input vector is zero.')";
inline constexpr char kPslqZeroTail[] =
    "('*** PSLQM1: Input values',i6,' to',i6,' have zero norm; drop them or reorder x.')";
inline constexpr char kPslqNormRange[] = "('*** PSLQM1: Norm of the input vector overflows.')";
inline constexpr char kPslqTailRange[] =
    "('*** PSLQM1: Input values',i6,' to',i6,' are too small beside the others to be normalized.')";
}  // namespace msg

namespace pslq {
/// Columns of ysave: the number of recent y vectors kept for the duplicate test.
inline constexpr int kNsave = 8;
/// PSLQM1 gives up when iter exceeds this at a sampling point (first true at 100100).
inline constexpr int kIterationLimit = 100000;
/// Iterations between samples of the norm bound and the limit tests.
inline constexpr int kSamplePeriod = 100;
/// Iterations between progress lines at debug levels 2 and 4 and above.
inline constexpr int kProgressPeriod = 25;
/// log10hi of a zero high part: passes any test against a bound rb.
inline constexpr double kLog10Zero = -999999.0;

/// How a search ended.
enum class Exit {
  accepted,             ///< relation detected, norm at most 10^rb (ifound = 1)
  too_large,            ///< relation detected, norm above 10^rb (rel written, ifound = 0)
  precision_exhausted,  ///< y fell below 16 eps without a relation
  iteration_limit,      ///< more than kIterationLimit iterations
  norm_bound_limit,     ///< the largest sampled norm bound passed 10^rb
};
}  // namespace pslq

/// Searches for an integer relation among x(1..n).  ifound = 1 when one with
/// Euclidean norm at most 10^rb was found (then rel(1..n) holds it), else 0.
/// rel is also written when a relation was detected but rejected as too large.
/// idebug: 0 silent; 1 detection and failure lines; 2 also progress every 25
/// iterations, norm bound samples and CPU times; 3 progress every iteration
/// and full dumps of y, b and h; 4 and above as 2.
/// n < 2, a non-finite x(i), an all-zero x, a tail x(j..n) of zero norm (its
/// squares underflow or it is zero), an x whose norm overflows and an x whose
/// tail norms, once scaled, underflow where initmp divides by them are
/// refused with a message (the package's stop).
void PSLQM1(int idebug, int n, double rb, const DDReal& eps, const DDReal* x, int& ifound, DDReal* rel);

/// PSLQM1 that also tells how the search ended (same output and results).
void PSLQM1(int idebug, int n, double rb, const DDReal& eps, const DDReal* x, int& ifound, DDReal* rel,
            pslq::Exit& outcome);

/// Starting state from x(1..n): b = I, y = x / |x|, h lower trapezoidal with
/// y^T h = 0 and h^T h = I, ysave = 0.  Needs every tail x(j..n) to have
/// nonzero norm (PSLQM1 checks this before calling it).
void initmp(int idebug, int n, int nsave, DDReal* b, DDReal* h, DDReal* ysave, const DDReal* x, DDReal* y);

/// One multipair iteration on (y, b, h); istatus = 0 go on, 1 relation
/// detected, 2 precision exhausted.  dupflag carries the duplicate-y flag
/// from one call to the next.
void itermp(int idebug, int iter, int n, int nsave, const DDReal& eps, DDReal* b, DDReal* h, DDReal* ysave,
            DDReal* y, int& dupflag, int& istatus);

/// log10 |a.hi|, or -999999 when a.hi is zero.
double log10hi(const DDReal& a);

/// Mantissa and power of ten of a.hi: a.hi ~ m * 10^e with 1 <= |m| < 10 for
/// |a.hi| >= 1; below 1, e = floor(log10 |a.hi|), so |m| = 10 when log10 |a.hi|
/// is exactly a negative integer (0.001 gives 10 and -4).  (0, 0) for zero;
/// (a.hi, 0) for a NaN or infinite a.hi.
void decsplit(const DDReal& a, double& m, int& e);

/// The PSLQ norm bound 1 / max |h(i,i)|, i = 1..n-1: every integer relation
/// among the inputs has at least this Euclidean norm.
void normbound(int n, const DDReal* h, DDReal& bound);

/// Smallest and largest |y(i)|, starting from 1e300 and 0.
void minmaxy(int n, const DDReal* y, DDReal& ymin, DDReal& ymax);

/// Compact dump of the m x k matrix a: "Row i" and then mantissa/exponent
/// pairs of the high parts, four to a line.
void matprint(int m, int k, const DDReal* a);

/// Full dump of the m x k matrix a: "Row i" and then each entry on a line of
/// 45 characters with 35 significant digits (DDEWRITE to unit 6).
void matwrite(int m, int k, const DDReal* a);

/// Process CPU time in seconds, read in single precision and widened.
double cputime();
/// Elapsed seconds from a 32-bit millisecond count (wraps every 2^31 ms).
double wallclock();
/// Undoes one wrap of a difference of wallclock readings: t, or t + 2^31/1000 when t < 0.
double clockwrap(double t);

/// ip(1..m) = a permutation of 1..m with a(ip(1)) <= ... <= a(ip(m)), by a
/// non-recursive quicksort with the upper-middle pivot; not stable.
void sortidx(int m, const DDReal* a, int* ip);

}  // namespace dd
