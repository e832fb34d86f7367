// PSLQM1: the one-level multipair PSLQ integer relation search.
//
// Owns the state (y, b, h, the saved y vectors and itermp's work arrays, in
// two allocations for the whole search), runs itermp until it reports a
// relation or exhausted precision, samples the norm bound every 100
// iterations, and judges the relation it finds against 10^rb.
#include <cmath>
#include <cstddef>
#include <vector>

#include "ddreal/outfmt.hpp"
#include "ddtyped/real.hpp"
#include "pslq/pslq.hpp"
#include "pslq/pslq_impl.hpp"

namespace dd {

namespace {

constexpr char kOpening[] = "('PSLQM1 integer relation detection: n =',i5)";
constexpr char kInitialization[] = "('Iteration',i7,3x,'Initialization')";
constexpr char kStartIterations[] = "('Iteration',i7,3x,'Start iterations')";
constexpr char kProgress[] = "('Iteration',i7)";
constexpr char kMinMaxY[] = "('Iteration',i7,3x,'Min, max of y =',f11.6,'e',i6,f11.6,'e',i6)";
constexpr char kNormBound[] =
    "('Iteration',i7,3x,'Norm bound =',f11.6,'e',i5,4x,'Max. bound =',          f11.6,'e',i5)";
constexpr char kIterLimit[] = "('Iteration limit exceeded',i7)";
constexpr char kBoundLimit[] = "('Norm bound limit exceeded.',1p,d15.6)";
constexpr char kDetected[] =
    "('Iteration',i7,3x,'Relation detected'/ 'Min, max of y =',0p,f11.6,'e',i5,f11.6,'e',i5/'Max. bound =',f11.6,'e',"
    "i5)";
constexpr char kRelationIndex[] =
    "('Index of relation =',i4,3x,'Norm =',f11.6,'e',i5,3x, 'Residual =',f11.6,'e',i5)";
constexpr char kTooLarge[] = "('Relation is too large.')";
constexpr char kCpuTimes[] = "('CPU times:'/(5f12.2))";

bool finite(const DDReal& a) { return std::isfinite(a.hi) && std::isfinite(a.lo); }

// Refuses inputs on which initmp would divide by zero or overflow.  The
// partial norms are formed exactly as initmp forms them, so a tail whose
// squares all underflow counts as zero, and so do the products of scaled
// tail norms that initmp divides by (they underflow when x spans more than
// about 300 orders of magnitude).
void check_input(int n, const DDReal* x) {
  if (n < 2) detail::fail(msg::kPslqTooFew, {n});
  bool any_nonzero = false;
  for (int i = 1; i <= n; ++i) {
    if (!finite(x[i - 1])) detail::fail(msg::kPslqNotFinite, {i});
    if (x[i - 1].hi != 0.0) any_nonzero = true;
  }
  if (!any_nonzero) detail::fail(msg::kPslqZeroVector);

  std::vector<DDReal> snorm(static_cast<std::size_t>(n));
  DDReal sum = to_ddreal(0.0);
  int jzero = 0;  // lowest k whose tail x(k..n) has zero norm
  for (int k = n; k >= 1; --k) {
    sum = sum + pow(x[k - 1], 2);
    snorm[k - 1] = sqrt(sum);
    if (snorm[k - 1].hi == 0.0) jzero = k;
  }
  if (jzero != 0) detail::fail(msg::kPslqZeroTail, {jzero, n});
  if (!finite(snorm[0])) detail::fail(msg::kPslqNormRange);
  const DDReal t = 1.0 / snorm[0];
  for (auto& s : snorm) s = t * s;
  for (int j = 1; j <= n - 1; ++j) {
    if ((snorm[j - 1] * snorm[j]).hi == 0.0) detail::fail(msg::kPslqTailRange, {j + 1, n});
  }
}

void print_split(const char* tmpl, int iter, const DDReal& a, const DDReal& b) {
  double ma, mb;
  int ea, eb;
  decsplit(a, ma, ea);
  decsplit(b, mb, eb);
  detail::print_lines(tmpl, {iter, ma, ea, mb, eb});
}

}  // namespace

void PSLQM1(int idebug, int n, double rb, const DDReal& eps, const DDReal* x, int& ifound, DDReal* rel) {
  pslq::Exit outcome;
  PSLQM1(idebug, n, rb, eps, x, ifound, rel, outcome);
}

void PSLQM1(int idebug, int n, double rb, const DDReal& eps, const DDReal* x, int& ifound, DDReal* rel,
            pslq::Exit& outcome) {
  check_input(n, x);
  const int nsave = pslq::kNsave;

  if (idebug > 1) detail::print_lines(kOpening, {n});
  int iter = 0;
  int dupflag = 0;
  ifound = 0;
  DDReal boundmax = to_ddreal(0.0);
  double tcpu1 = 0.0;
  double tcpu2 = 0.0;

  // b, h, ysave, y, then gamma^i and itermp's work arrays; then its integers.
  const std::size_t nn = static_cast<std::size_t>(n);
  const std::size_t nstate = 2 * nn * nn + nn * static_cast<std::size_t>(nsave) + nn;
  std::vector<DDReal> reals(nstate + nn + detail::itermp_real_words(n));
  std::vector<int> ints(detail::itermp_int_words(n));
  std::vector<double> lanes(detail::itermp_lane_words(n));
  DDReal* const b = reals.data();
  DDReal* const h = b + nn * nn;
  DDReal* const ysave = h + nn * nn;
  DDReal* const y = ysave + nn * static_cast<std::size_t>(nsave);
  DDReal* const gpow = y + nn;
  detail::gamma_powers(n, gpow);
  detail::ItermpWork work{gpow, gpow + nn, ints.data(), lanes.data()};
  const detail::ColMajor<const DDReal> B{b, n};

  // The CPU times are shown only above debug level 1; below it the clock
  // (a system call) is not read.
  const bool timed = idebug > 1;
  if (idebug > 1) detail::print_lines(kInitialization, {iter});
  double t0 = timed ? cputime() : 0.0;
  initmp(idebug, n, nsave, b, h, ysave, x, y);
  if (timed) tcpu1 = cputime() - t0;
  if (idebug > 1) detail::print_lines(kStartIterations, {iter});

  for (;;) {
    ++iter;
    if (idebug == 3 || ((idebug == 2 || idebug >= 4) && iter % pslq::kProgressPeriod == 0))
      detail::print_lines(kProgress, {iter});

    int istatus = 0;
    if (timed) t0 = cputime();
    detail::itermp(idebug, iter, n, nsave, eps, b, h, ysave, y, dupflag, istatus, work);
    if (timed) tcpu2 = tcpu2 + (cputime() - t0);

    if (istatus == 2) {  // itermp has said so
      outcome = pslq::Exit::precision_exhausted;
      break;
    }

    if (istatus != 0) {
      // The relation is the row of b paired with the smallest |y(i)| (lowest index on ties).
      DDReal ymin = to_ddreal(1e300);
      DDReal ymax = to_ddreal(0.0);
      DDReal sum = to_ddreal(0.0);
      int jrel = 1;
      for (int i = 1; i <= n; ++i) {
        const DDReal a = abs(y[i - 1]);
        if (a < ymin) {
          jrel = i;
          ymin = a;
        }
        ymax = max(ymax, a);
      }
      for (int j = 1; j <= n; ++j) {
        rel[j - 1] = B(jrel, j);
        sum = sum + pow(rel[j - 1], 2);
      }
      const DDReal rnorm = sqrt(sum);
      if (idebug > 0) {
        DDReal bound;
        normbound(n, h, bound);
        double m1, m2, m3;
        int e1, e2, e3;
        decsplit(ymin, m1, e1);
        decsplit(ymax, m2, e2);
        decsplit(bound, m3, e3);
        detail::print_lines(kDetected, {iter, m1, e1, m2, e2, m3, e3});
        decsplit(rnorm, m2, e2);
        detail::print_lines(kRelationIndex, {jrel, m2, e2, m1, e1});
      }
      if (log10hi(rnorm) <= rb) {
        ifound = 1;
        outcome = pslq::Exit::accepted;
      } else {
        outcome = pslq::Exit::too_large;
        if (idebug > 1) detail::print_lines(kTooLarge);
      }
      break;
    }

    if (iter % pslq::kSamplePeriod != 0) continue;

    DDReal ymin, ymax;
    minmaxy(n, y, ymin, ymax);
    if (idebug > 1) print_split(kMinMaxY, iter, ymin, ymax);
    DDReal bound;
    normbound(n, h, bound);
    boundmax = max(boundmax, bound);
    if (idebug > 1) print_split(kNormBound, iter, bound, boundmax);
    if (iter > pslq::kIterationLimit) {
      if (idebug > 0) detail::print_lines(kIterLimit, {pslq::kIterationLimit});
      outcome = pslq::Exit::iteration_limit;
      break;
    }
    if (log10hi(boundmax) > rb) {
      if (idebug > 0) detail::print_lines(kBoundLimit, {rb});
      outcome = pslq::Exit::norm_bound_limit;
      break;
    }
  }

  if (idebug > 1) detail::print_lines(kCpuTimes, {tcpu1, tcpu2});
}

}  // namespace dd
