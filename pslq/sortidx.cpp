// Index sort of DDReal keys: a non-recursive quicksort that permutes indices
// and never moves the keys.  Pair selection in itermp depends on the order it
// gives equal keys, so the partitioning below is fixed: upper-middle pivot
// moved to the right end, an upward scan for a key above the pivot, a
// downward scan for a key below it, and the smaller part sorted first.
#include "ddtyped/real.hpp"
#include "pslq/pslq.hpp"
#include "pslq/pslq_impl.hpp"

namespace dd {

namespace detail {

int sortidx_depth(int m, const DDReal* a, int* ip) {
  for (int i = 0; i < m; ++i) ip[i] = i + 1;
  if (m <= 1) return 0;

  // key(k) is the key at sorted position k (1-based).
  auto key = [a, ip](int k) -> const DDReal& { return a[ip[k - 1] - 1]; };
  auto swap_pos = [ip](int u, int v) {
    const int t = ip[u - 1];
    ip[u - 1] = ip[v - 1];
    ip[v - 1] = t;
  };

  // Ranges of two or more positions still to sort.  Because the smaller part
  // of a split is always pushed (and sorted) first, the stack never holds
  // more than floor(log2 m) + 1 <= 31 ranges.
  int lo_stack[32];
  int hi_stack[32];
  int top = 0;
  int depth = 1;
  lo_stack[0] = 1;
  hi_stack[0] = m;

  for (;;) {
    const int L = lo_stack[top];
    const int R = hi_stack[top];

    const int mid = (L + R + 1) / 2;
    swap_pos(mid, R);
    const DDReal p = key(R);

    int i = L;
    int j = R - 1;
    int s;
    for (;;) {
      while (i <= j && !(p < key(i))) ++i;
      if (i > j) {  // everything in L..R-1 is <= p; the pivot stays at R
        s = j;
        break;
      }
      int k = j;
      while (k > i && !(key(k) < p)) --k;
      if (k == i) {  // nothing below p to the right of i: the pivot goes to i
        swap_pos(i, R);
        s = i;
        break;
      }
      swap_pos(i, k);
      j = k;
    }

    const int nleft = s - L + 1;
    const int nright = R - s;
    if (nleft == 1 && nright == 1) {
      if (top == 0) break;
      --top;
    } else if (nleft == 1) {
      lo_stack[top] = s + 1;
    } else if (nright == 1) {
      hi_stack[top] = s;
    } else {
      // The larger part stays in place, the smaller goes on top (the right part on a tie).
      const bool left_smaller = nleft < nright;
      lo_stack[top] = left_smaller ? s + 1 : L;
      hi_stack[top] = left_smaller ? R : s;
      ++top;
      lo_stack[top] = left_smaller ? L : s + 1;
      hi_stack[top] = left_smaller ? s : R;
      if (top + 1 > depth) depth = top + 1;
    }
  }
  return depth;
}

}  // namespace detail

// Keys whose high words are all different (and not NaN) have a single
// ascending order, which the quicksort gives too.  For a short list it is
// found without branches: each key's rank is the number of high words below
// its own, and the ranks are all different exactly when the high words are.
void sortidx(int m, const DDReal* a, int* ip) {
  constexpr int kCountedMax = 16;
  if (m >= 2 && m <= kCountedMax) {
    double hi[kCountedMax];
    int rank[kCountedMax];
    for (int i = 0; i < m; ++i) hi[i] = a[i].hi;
    unsigned seen = 0;
    for (int i = 0; i < m; ++i) {
      int below = 0;
      for (int k = 0; k < m; ++k) below += hi[k] < hi[i];
      rank[i] = below;
      seen |= 1u << below;
    }
    if (seen == (1u << m) - 1) {
      for (int i = 0; i < m; ++i) ip[rank[i]] = i + 1;
      return;
    }
  }
  (void)detail::sortidx_depth(m, a, ip);
}

}  // namespace dd
