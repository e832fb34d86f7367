// One iteration of the multipair PSLQ search.
//
// 1. Rank the rows by gamma^i |h(i,i)| (gamma = sqrt(4/3)) and pick up to
//    round(0.4 n) disjoint pairs (i, i+1), largest key first (one pair right
//    after a duplicate y was seen).
// 2. Exchange each pair in y, b and h; restore h's lower-trapezoidal shape
//    with a 2x2 rotation of columns i, i+1 (not needed for i = n-1).
// 3. Hermite-reduce h diagonal by diagonal with nearest-integer multipliers
//    T; y <- (I+T)^T y, b <- (I+T)^T b.
// 4. Test y for a small entry (relative to the largest entry of its row of
//    b), for exhausted precision and for a return to one of the last nsave
//    y vectors; save y.
//
// A zero (or NaN) diagonal entry of h means h has lost rank at working
// precision: in exact arithmetic it implies y(j+1..n) = 0, that is a relation.
// Its column is then left unreduced (no division by zero), the detection test
// runs as usual, and if it does not report a relation the call reports
// precision exhausted.  A rotation whose two entries are both zero is the
// identity and is skipped.
//
// Once h is nearly reduced most multipliers are zero and b holds small
// integers.  The work that then cannot change a bit is passed over: zero
// terms where zero_term_keeps holds, quotients that quotient_rounds_to_zero
// settles, and integer terms of b formed by short_integer_update (pslq.hpp
// gives the conditions; tests compare every state word with the plain
// sequence).  On the test program's vector this takes a whole search from
// about 3.2 to 1.7 million instructions.
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ddbatch/target.hpp"
#include "ddreal/outfmt.hpp"
#include "ddtyped/real.hpp"
#include "pslq/pslq.hpp"
#include "pslq/pslq_impl.hpp"

namespace dd {

namespace {
constexpr char kSmallValue[] = "('Iteration',i7,3x,'itermp: Small value in y =',f11.6,'e',i5)";
constexpr char kExhausted[] = "('Iteration',i7,3x,'itermp: Precision exhausted.')";
constexpr char kDuplicate[] = "('Iteration',i7,3x,'itermp: Duplicate found, j =',i6)";
constexpr char kUpdatedY[] = "('itermp: Updated y:')";
constexpr char kUpdatedB[] = "('itermp: Updated b matrix:')";
constexpr char kUpdatedH[] = "('itermp: Updated h matrix:')";
}  // namespace

namespace detail {

// The multiplier nearest_integer(a / b) of the reduction, with the division
// and the rounding skipped where they are known to give (+0, +0).  Most
// multipliers are zero, since h(r, j) is left below h(j, j) / 2 once reduced.
// - nearest_integer(q) is (+0, +0) bit for bit when |q.hi| <= 1/2 - 2^-40 and
//   |q.lo| <= 2^-50 |q.hi|: the sum fl(q.hi + q.lo) then lies strictly inside
//   (-1/2, 1/2), the rounding constant's low word 2^52 absorbs it whole (see
//   rounding.hpp) and the two remaining steps cancel to +0.
// - q = a / b (DDDIV) has |q.hi| <= |q1| + 2^-48 |q1| and |q.lo| <= 2^-53 |q.hi|,
//   q1 = fl(a.hi / b.hi), when a and b are normalised to 2^-50 (|lo| <= 2^-50 |hi|)
//   and b.hi lies in [2^-960, 1e300], where the kernels' errors stay relative
//   and the splitting does not overflow.  So |a.hi| <= (1/2 - 2^-38) |b.hi|
//   is enough for the first case (quotient_rounds_to_zero in pslq.hpp).
DDReal rounded_quotient(const DDReal& a, const DDReal& b) {
  constexpr double kRoundBound = 0.5 - 0x1p-40;
  const DDReal q = a / b;
  const double qh = std::fabs(q.hi);
  if ((qh <= kRoundBound) & (std::fabs(q.lo) <= 0x1p-50 * qh)) return DDReal(0.0, 0.0);
  return nearest_integer(q);
}

void gamma_powers(int n, DDReal* gpow) {
  const DDReal gamma = sqrt(to_ddreal(4.0) / to_ddreal(3.0));
  for (int i = 1; i <= n - 1; ++i) gpow[i - 1] = pow(gamma, i);
}

// Row x <- x + t v of b for short integer entries (short_integer_update, t
// a short integer), over the n columns at a step of n entries; the low words
// stay +0 and are not written.  Returns whether every entry written is below
// 2^26.  Two columns at a time in SSE2, which rounds each lane as the scalar
// operation does.
static bool short_integer_row(int n, DDReal* x, const DDReal* v, double t) {
  double top = 0.0;
  int l = 0;
#if defined(__SSE2__)
  const std::ptrdiff_t step = n;
  const __m128d tv = _mm_set1_pd(t), zero = _mm_setzero_pd();
  const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(INT64_MAX));
  __m128d top2 = zero;
  for (; l + 2 <= n; l += 2, x += 2 * step, v += 2 * step) {
    const __m128d vv = _mm_loadh_pd(_mm_load_sd(&v->hi), &v[step].hi);
    const __m128d xv = _mm_loadh_pd(_mm_load_sd(&x->hi), &x[step].hi);
    const __m128d r = _mm_add_pd(xv, _mm_add_pd(_mm_mul_pd(tv, vv), zero));
    _mm_store_sd(&x->hi, r);
    _mm_storeh_pd(&x[step].hi, r);
    top2 = _mm_max_pd(top2, _mm_and_pd(r, magnitude));
  }
  top = std::max(_mm_cvtsd_f64(top2), _mm_cvtsd_f64(_mm_unpackhi_pd(top2, top2)));
#endif
  for (; l < n; ++l, x += n, v += n) {
    x->hi = short_integer_update(*x, DDReal(t, 0.0), *v).hi;
    top = std::max(top, std::fabs(x->hi));
  }
  return top < 0x1p26;
}

// Step 8: y <- (I+T)^T y.
void update_y(int n, const OneBased<DDReal>& Y, const ColMajor<DDReal>& T, const OneBased<int>& nzcol) {
  bool y_gives_zero = true;
  for (int i = 1; i <= n; ++i) y_gives_zero &= gives_zero_product(Y[i]);
  for (int j = 1; j <= n - 1; ++j) {
    DDReal yj = Y[j];
    if (nzcol[j] == 0 && y_gives_zero && absorbs_zero(yj)) continue;
    for (int m = j + 1; m <= n; ++m) {
      const DDReal& t = T(m, j);
      if (is_zero(t) && zero_term_keeps(yj, Y[m])) continue;
      yj = yj + t * Y[m];
    }
    Y[j] = yj;
  }
}

// Step 6: each pair's rotation of columns i and i+1, rows i to n.
void corners(int n, const ColMajor<DDReal>& H, const OneBased<int>& ipair, int npairs, ItermpWork& work) {
  // Corners: rotate columns i and i+1 so that h(i, i+1) becomes zero.
  if (work.h_gives_zero < 0) {
    bool ok = true;
    for (int l = 1; l <= n - 1; ++l)
      for (int i = 1; i <= n; ++i) ok &= gives_zero_product(H(i, l));
    work.h_gives_zero = ok ? 1 : 0;
  }
  for (int k = 1; k <= npairs; ++k) {
    const int i = ipair[k];
    if (i >= n - 1) continue;
    DDReal t1 = H(i, i);
    DDReal t2 = H(i, i + 1);
    const DDReal t3 = sqrt(pow(t1, 2) + pow(t2, 2));
    if (t3.hi == 0.0) continue;  // both entries zero: nothing to rotate
    t1 = t1 / t3;
    t2 = t2 / t3;
    for (int l = i; l <= n; ++l) {
      const DDReal t4 = H(l, i);
      const DDReal t5 = H(l, i + 1);
      const DDReal u1 = t1 * t4 + t2 * t5;
      const DDReal u2 = -(t2 * t4) + t1 * t5;
      H(l, i) = u1;
      H(l, i + 1) = u2;
      if (!(gives_zero_product(u1) & gives_zero_product(u2))) work.h_gives_zero = 0;
    }
  }
}

// Step 7: the reduction of h with the multipliers tmat(r, j); nzcol(j)
// counts the nonzero multipliers of column j.
void reduce(int n, const ColMajor<DDReal>& H, const ColMajor<DDReal>& T, const OneBased<int>& nzrow,
            const OneBased<int>& nzcol, ItermpWork& work) {
  // Reduction of h, diagonal by diagonal, with multipliers tmat(r, j), r > j.
  // nzrow(r) and nzcol(j) count the nonzero multipliers of row r and column
  // j computed so far; where a row has none, the whole sum over m is a run
  // of zero terms and is skipped on one test (see zero_term_keeps).
  for (int i = 1; i <= n; ++i) {
    nzrow[i] = 0;
    nzcol[i] = 0;
  }
  bool h_gives_zero = work.h_gives_zero == 1;  // for every entry of h

  for (int d = 1; d <= n - 1; ++d) {
    for (int r = d + 1; r <= n; ++r) {
      const int j = r - d;
      DDReal hrj = H(r, j);
      bool absorbs = absorbs_zero(hrj);
      bool changed = false;
      if (!(nzrow[r] == 0 && h_gives_zero && absorbs)) {
        for (int m = j + 1; m <= r - 1; ++m) {
          const DDReal& t = T(r, m);
          if (is_zero(t) && absorbs && gives_zero_product(H(m, j))) continue;
          hrj = hrj - t * H(m, j);
          absorbs = absorbs_zero(hrj);
          changed = true;
        }
      }
      const DDReal& hjj = H(j, j);
      DDReal t(0.0, 0.0);
      if (std::fabs(hjj.hi) > 0.0) {
        if (!quotient_rounds_to_zero(hrj, hjj)) t = rounded_quotient(hrj, hjj);
        if (!is_zero(t)) {
          ++nzrow[r];
          ++nzcol[j];
          hrj = hrj - t * hjj;
          changed = true;
        } else if (!(absorbs && h_gives_zero)) {
          hrj = hrj - t * hjj;
          changed = true;
        }
      }
      T(r, j) = t;
      if (changed) {
        H(r, j) = hrj;
        h_gives_zero &= gives_zero_product(hrj);
      }
    }
  }
  work.h_gives_zero = h_gives_zero ? 1 : -1;
}

void itermp(int idebug, int iter, int n, int nsave, const DDReal& eps, DDReal* b, DDReal* h, DDReal* ysave,
            DDReal* y, int& dupflag, int& istatus, ItermpWork& work) {
  const ColMajor<DDReal> B{b, n};
  const ColMajor<DDReal> H{h, n};
  const ColMajor<DDReal> Ysave{ysave, n};
  const ColMajor<DDReal> T{work.rwork + n, n};
  // 1-based views of the vectors.
  const OneBased<DDReal> Y{y};
  const OneBased<DDReal> qkey{work.rwork};
  const OneBased<int> iperm{work.iwork};
  const OneBased<int> iused{work.iwork + n};
  const OneBased<int> ipair{work.iwork + 2 * n};
  const OneBased<int> nzrow{work.iwork + 3 * n};
  const OneBased<int> nzcol{work.iwork + 4 * n};

  const OneBased<const DDReal> gpow{work.gpow};

  istatus = 0;
  const DDReal eps16 = eps * 16.0;

  // Selection keys and their ranking.
  for (int i = 1; i <= n - 1; ++i) qkey[i] = gpow[i] * abs(H(i, i));
  sortidx(n - 1, work.rwork, work.iwork);
  for (int i = 1; i <= n; ++i) iused[i] = 0;

  int npairs;
  if (dupflag != 0) {
    dupflag = 0;
    npairs = 1;
  } else {
    npairs = static_cast<int>(std::lround(static_cast<double>(n) * 0.4));
  }

  // Disjoint pairs, largest key first.
  int nsel = 0;
  if (npairs >= 1) {
    for (int p = n - 1; p >= 1 && nsel < npairs; --p) {
      const int i = iperm[p];
      if (iused[i] == 0 && iused[i + 1] == 0) {
        iused[i] = 1;
        iused[i + 1] = 1;
        ipair[++nsel] = i;
      }
    }
  }
  npairs = nsel;

  // Exchanges.
  const auto swap_rows = [n](DDReal* p, int columns) {
    for (int l = 1; l <= columns; ++l, p += n) std::swap(p[0], p[1]);
  };
  for (int k = 1; k <= npairs; ++k) {
    const int i = ipair[k];
    std::swap(Y[i], Y[i + 1]);
    swap_rows(&B(i, 1), n);
    swap_rows(&H(i, 1), n - 1);
  }

  // The SIMD lanes of the batch routines, where the CPU has them, write the
  // same words as the loops of corners and reduce; they keep none of the
  // loops' flags about h, and nzcol is counted from tmat afterwards.
  const batch::detail::Table& simd = batch::detail::active_table();
  if (simd.pslq_corner != nullptr) {
    simd.pslq_corner(h, n, &ipair[1], npairs);
    work.h_gives_zero = -1;
  } else {
    corners(n, H, ipair, npairs, work);
  }

  bool rank_lost = false;
  for (int j = 1; j <= n - 1; ++j) {
    if (!(std::fabs(H(j, j).hi) > 0.0)) rank_lost = true;
  }
  if (simd.pslq_reduce != nullptr) {
    simd.pslq_reduce(h, work.rwork + n, y, n, work.lanes, &nzcol[1]);
    work.h_gives_zero = -1;
  } else {
    reduce(n, H, T, nzrow, nzcol, work);
    update_y(n, Y, T, nzcol);
  }

  // The smallest |y(j)| (ties to n first, then the lowest j).
  DDReal ymin = abs(Y[n]);
  int jmin = n;
  for (int j = 1; j <= n - 1; ++j) {
    const DDReal a = abs(Y[j]);
    if (a < ymin) {
      ymin = a;
      jmin = j;
    }
  }

  // b <- (I+T)^T b.  Every entry b(j, l) receives its terms T(m, j) b(m, l)
  // in increasing m from rows m > j not yet updated, as column by column;
  // rows are taken whole.  While every entry of b is a small_integer_entry
  // (and so passes zero_term_keeps), zero multipliers are passed over
  // outright; while every entry is a short_integer_entry, a term with a
  // short integer multiplier is formed by short_integer_update.
  if (work.b_keeps < 0 || work.b_short < 0) {
    bool keeps = true;
    bool short_ints = true;
    for (int l = 1; l <= n; ++l)
      for (int i = 1; i <= n; ++i) {
        keeps &= small_integer_entry(B(i, l));
        short_ints &= short_integer_entry(B(i, l));
      }
    work.b_keeps = keeps ? 1 : 0;
    work.b_short = short_ints ? 1 : 0;
  }
  bool b_keeps = work.b_keeps == 1;
  bool b_short = work.b_short == 1;
  for (int j = 1; j <= n - 1; ++j) {
    if (nzcol[j] == 0 && b_keeps) continue;
    for (int m = j + 1; m <= n; ++m) {
      const DDReal& t = T(m, j);
      const bool tzero = is_zero(t);
      if (tzero) {
        if (b_keeps) continue;
        for (int l = 1; l <= n; ++l) {
          if (!zero_term_keeps(B(j, l), B(m, l))) B(j, l) = B(j, l) + t * B(m, l);
        }
        continue;
      }
      if (b_short && short_integer_entry(t)) {
        // Every entry stays short while the largest one written does.
        b_short = short_integer_row(n, &B(j, 1), &B(m, 1), t.hi);
        continue;
      }
      for (int l = 1; l <= n; ++l) {
        const DDReal v = B(j, l) + t * B(m, l);
        B(j, l) = v;
        b_keeps &= small_integer_entry(v);
        b_short &= short_integer_entry(v);
      }
    }
  }
  work.b_short = b_short ? 1 : -1;
  work.b_keeps = b_keeps ? 1 : -1;  // -1: look again next time

  DDReal bmax = to_ddreal(0.0);
  for (int l = 1; l <= n; ++l) bmax = max(bmax, abs(B(jmin, l)));

  const DDReal thr16 = bmax * eps16;
  if (ymin <= thr16) {
    if (idebug > 1) {
      double mant;
      int ex;
      decsplit(ymin, mant, ex);
      print_lines(kSmallValue, {iter, mant, ex});
    }
    if (ymin <= bmax * eps) {
      istatus = 1;
    } else {
      istatus = 2;
      if (idebug >= 1) print_lines(kExhausted, {iter});
    }
  }
  if (rank_lost && istatus == 0) {
    istatus = 2;
    if (idebug >= 1) print_lines(kExhausted, {iter});
  }

  // Duplicate test against the saved vectors.  The running maximum only
  // grows, so a column can be given up as soon as it exceeds the threshold.
  for (int j = 1; j <= nsave; ++j) {
    DDReal t = to_ddreal(0.0);
    bool close = true;
    for (int i = 1; i <= n; ++i) {
      t = max(t, abs(Y[i] - Ysave(i, j)));
      if (t > thr16) {
        close = false;
        break;
      }
    }
    if (close) {
      if (idebug > 1) print_lines(kDuplicate, {iter, j});
      dupflag = 1;
      break;
    }
  }

  // Save y in column (iter mod nsave) + 1.
  if (nsave > 0) {
    const int col = iter % nsave + 1;
    for (int i = 1; i <= n; ++i) Ysave(i, col) = Y[i];
  }

  if (idebug > 2) {
    print_lines(kUpdatedY);
    matwrite(1, n, y);
    print_lines(kUpdatedB);
    matprint(n, n, b);
    print_lines(kUpdatedH);
    matprint(n, n - 1, h);
  }
}

}  // namespace detail

void itermp(int idebug, int iter, int n, int nsave, const DDReal& eps, DDReal* b, DDReal* h, DDReal* ysave,
            DDReal* y, int& dupflag, int& istatus) {
  const int nn = n > 0 ? n : 1;
  const std::unique_ptr<DDReal[]> reals(new DDReal[detail::itermp_real_words(nn) + static_cast<std::size_t>(nn)]);
  const std::unique_ptr<int[]> ints(new int[detail::itermp_int_words(nn)]);
  const std::unique_ptr<double[]> lanes(new double[detail::itermp_lane_words(nn)]);
  detail::gamma_powers(n, reals.get());
  detail::ItermpWork work{reals.get(), reals.get() + nn, ints.get(), lanes.get()};
  detail::itermp(idebug, iter, n, nsave, eps, b, h, ysave, y, dupflag, istatus, work);
}

}  // namespace dd
