// The corner rotations and the reduction of h in the relation search's
// iteration (pslq/itermp.cpp), in SIMD lanes: each lane runs the scalar
// sequence of one entry of h, operation for operation, so every word is the
// one the scalar loops write.
//
// Corners: the rotation coefficients of up to W pairs at once, then the rows
// of every pair packed into lanes (the pairs touch disjoint columns, so
// their order does not matter).
//
// Reduction: entry (r, j) of diagonal d = r - j takes the terms
// tmat(r, m) h(m, j), m = j+1 .. r-1, from diagonals d - (m - j) of tmat and
// m - j of h, all finished before diagonal d; so the entries of a diagonal
// are independent and go into lanes side by side.  The diagonals are copied
// to a scratch area laid out diagonal by diagonal, where the operands of a
// term are W consecutive words for W consecutive entries.  A term whose
// multiplier is zero in every lane, and that zero_term_keeps would pass over
// in every lane, is passed over; otherwise every lane computes it, which
// gives the same words where it could have been passed over.
//
// The multiplier nearest_integer(h(r, j) / h(j, j)) is settled without the
// double-double division where its value is certain (reduction_multiplier
// in pslq.hpp, and the bound below); other lanes divide, and those whose
// quotient lies near a tie or beyond 2^52 call the scalar routine.
#pragma once

#include <cfloat>
#include <cstddef>

#include "ddbatch/lanes_elem.hpp"
#include "pslq/pslq.hpp"
#include "pslq/pslq_impl.hpp"

namespace dd::batch::detail::DD_LANES_NS {

/// DDNPWR(a, 2): (0, 0) where the hi word is zero, a * a elsewhere.
inline DD square(const DD& a) noexcept { return sel(eq(a.hi, Vd{}), DD{Vd{}, Vd{}}, mul(a, a)); }

inline Vi is_zero(const DD& t) noexcept { return eq(t.hi, Vd{}) & eq(t.lo, Vd{}); }

/// absorbs_zero of pslq.hpp: x + (+0, +0) and x - (+0, +0) are x.
inline Vi absorbs_zero(const DD& x) noexcept {
  const Vd s = x.hi + x.lo;
  return ((Vi)s == (Vi)x.hi) & le(vabs(s), splat(DBL_MAX)) & ((Vi)x.lo != (Vi{} + INT64_MIN));
}

/// gives_zero_product of pslq.hpp: (0, 0) * v is (+0, +0).
inline Vi gives_zero_product(const DD& v) noexcept {
  return lt(vabs(v.hi), splat(1e300)) & le(vabs(v.lo), splat(DBL_MAX));
}

/// quotient_rounds_to_zero of pslq.hpp.
inline Vi quotient_rounds_to_zero(const DD& a, const DD& b) noexcept {
  const Vd ah = vabs(a.hi), bh = vabs(b.hi);
  return le(ah, splat(0.5 - 0x1p-38) * bh) & le(vabs(a.lo), splat(0x1p-50) * ah) &
         le(vabs(b.lo), splat(0x1p-50) * bh) & le(splat(0x1p-960), bh) & lt(bh, splat(1e300));
}

/// Step 6 of itermp for the pairs (i, i+1), i = ipair[0 .. npairs-1]: with
/// t3 = sqrt(t1^2 + t2^2), t1 = h(i, i) / t3 and t2 = h(i, i+1) / t3, rows
/// l = i .. n of columns i and i+1 become t1 t4 + t2 t5 and -(t2 t4) + t1 t5.
/// Pairs with i >= n - 1 and those with t3 = 0 are left alone.  The
/// coefficients of W pairs are formed side by side, then each pair's rows
/// (consecutive in its two columns) W at a time.
inline void corner(DDReal* h, int n, const int* ipair, int npairs) {
  const auto at = [h, n](int i, int j) { return h + (i - 1) + static_cast<std::ptrdiff_t>(j - 1) * n; };
  const DDReal one(1.0, 0.0), zero(0.0, 0.0);
  for (int p0 = 0; p0 < npairs; p0 += W) {
    const int m = npairs - p0 < W ? npairs - p0 : W;
    Vi turn = Vi{};
    DD t1 = splat(one), t2 = splat(zero);
    for (int k = 0; k < m; ++k) {
      const int i = ipair[p0 + k];
      if (i >= n - 1) continue;
      turn[k] = -1;
      t1.hi[k] = at(i, i)->hi;
      t1.lo[k] = at(i, i)->lo;
      t2.hi[k] = at(i, i + 1)->hi;
      t2.lo[k] = at(i, i + 1)->lo;
    }
    DD t3 = sqrt(add(square(t1), square(t2)));
    turn &= ne(t3.hi, Vd{});  // both entries zero: nothing to rotate
    t3 = sel(turn, t3, splat(one));
    const DD c1 = div(t1, t3), c2 = div(t2, t3);
    for (int k = 0; k < m; ++k) {
      if (!lane(turn, k)) continue;
      const int i = ipair[p0 + k];
      const DD u = {splat(c1.hi[k]), splat(c1.lo[k])}, v = {splat(c2.hi[k]), splat(c2.lo[k])};
      DDReal* const x = at(i, i);
      DDReal* const y = at(i, i + 1);
      for (int l = 0; l <= n - i; l += W) {
        const int count = n - i + 1 - l < W ? n - i + 1 - l : W;
        const DD t4 = count == W ? load(x + l) : load_first(x + l, count, zero);
        const DD t5 = count == W ? load(y + l) : load_first(y + l, count, zero);
        const DD u1 = add(mul(u, t4), mul(v, t5));
        const DD u2 = add(neg(mul(v, t4)), mul(u, t5));
        if (count == W) {
          store(x + l, u1);
          store(y + l, u2);
        } else {
          store_first(x + l, count, u1);
          store_first(y + l, count, u2);
        }
      }
    }
  }
}

/// The diagonals of h and tmat in the scratch area: high and low words
/// apart, diagonal s from s * stride, entry k (row s + 1 + k, column 1 + k)
/// at k.  A diagonal's groups of lanes start at multiples of W, and the
/// group after its last one holds padding (h 1, tmat 0).
struct Diagonals {
  double* hh;
  double* hl;
  double* th;
  double* tl;
  std::ptrdiff_t stride;

  Diagonals(double* p, int n)
      : stride(n + dd::detail::kLanePad) {
    const std::ptrdiff_t size = n * stride;
    hh = p;
    hl = p + size;
    th = p + 2 * size;
    tl = p + 3 * size;
  }
  DD h(int s, int k) const noexcept { return {load(hh + s * stride + k), load(hl + s * stride + k)}; }
  DD t(int s, int k) const noexcept { return {load(th + s * stride + k), load(tl + s * stride + k)}; }
  void put(int s, int k, const DD& hv, const DD& tv) const noexcept {
    store(hh + s * stride + k, hv.hi);
    store(hl + s * stride + k, hv.lo);
    store(th + s * stride + k, tv.hi);
    store(tl + s * stride + k, tv.lo);
  }
};

/// y(1 .. n-1) in the scratch area after the diagonals, high and low words apart.
struct Column {
  double* yh;
  double* yl;

  Column(double* p, int n) {
    const std::ptrdiff_t size = n * static_cast<std::ptrdiff_t>(n + dd::detail::kLanePad);
    yh = p + 4 * size;
    yl = yh + n + dd::detail::kLanePad;
  }
  DD get(int k) const noexcept { return {load(yh + k), load(yl + k)}; }
  void put(int k, const DD& v) const noexcept {
    store(yh + k, v.hi);
    store(yl + k, v.lo);
  }
};

/// Lanes 1 .. W-1 of a, then lane 0 of b: the group of a shifted by one entry.
inline Vd shift_in(Vd a, Vd b) noexcept {
#if DD_LANES == 4
  return __builtin_shufflevector(a, b, 1, 2, 3, 4);
#else
  return __builtin_shufflevector(a, b, 1, 2, 3, 4, 5, 6, 7, 8);
#endif
}

/// Steps 7 and 8 of itermp: h(r, j) reduced and tmat(r, j) formed for
/// r > j, in h and tmat (n x n, column-major); nz[j - 1] counts the nonzero
/// multipliers of column j; y(j) += tmat(m, j) y(m), m = j+1 .. n, each
/// diagonal's terms as soon as it is formed (so in increasing m, from y as it
/// was).  scratch holds itermp_lane_words(n) values (pslq.hpp).  A lane whose
/// multiplier needs the scalar routine takes it in element order, so a
/// refusal stops with the entries before it written (y is written at the end).
inline void reduce(DDReal* h, DDReal* tmat, DDReal* y, int n, double* scratch, int* nz) {
  static_assert(2 * W <= dd::detail::kLanePad);
  const Diagonals dg(scratch, n);
  const auto at = [n](DDReal* a, int i, int j) { return a + (i - 1) + static_cast<std::ptrdiff_t>(j - 1) * n; };
  const DDReal one(1.0, 0.0);
  const DD dzero{Vd{}, Vd{}}, done = splat(one);
  for (int j = 0; j < n; ++j) nz[j] = 0;

  // y(1 .. n-1), whose terms accumulate in the scratch area.
  const Column ys(scratch, n);
  for (int k0 = 0; k0 < n - 1; k0 += W) {
    const int count = n - 1 - k0 < W ? n - 1 - k0 : W;
    ys.put(k0, count == W ? load(y + k0) : load_first(y + k0, count, one));
  }

  // The diagonal of h, and padding after it.
  const std::ptrdiff_t step = n + 1;  // from one entry of a diagonal to the next
  for (int k0 = 0; k0 < n - 1 + W; k0 += W) {
    const int count = k0 < n - 1 ? (n - 1 - k0 < W ? n - 1 - k0 : W) : 0;
    dg.put(0, k0, gather(h + k0 * step, step, count, one), dzero);
  }

  for (int d = 1; d <= n - 1; ++d) {
    const int count = n - d;  // entries (d + 1 + k, 1 + k), k = 0 .. count - 1
    for (int k0 = 0; k0 < count; k0 += W) {
      const int live_n = count - k0 < W ? count - k0 : W;
      const Vi live = first_lanes(live_n);
      DDReal* const hx = at(h, d + 1 + k0, 1 + k0);
      DDReal* const tx = at(tmat, d + 1 + k0, 1 + k0);
      DD x = gather(hx, step, live_n, one);
      for (int s = 1; s <= d - 1; ++s) {
        // tmat(r, m) for m = j + s lies on diagonal d - s, s entries on.
        DD t;
        if (s == 1) {  // the diagonal just stored: from whole groups, as stored
          const DD a = dg.t(d - 1, k0), b = dg.t(d - 1, k0 + W);
          t = {shift_in(a.hi, b.hi), shift_in(a.lo, b.lo)};
        } else {
          t = dg.t(d - s, k0 + s);
        }
        const DD v = dg.h(s, k0);
        if (all(~live | is_zero(t)) && all(~live | (absorbs_zero(x) & gives_zero_product(v)))) continue;
        x = sub(x, mul(t, v));
      }

      // The multiplier: zero where hjj is zero (or NaN) or the quotient
      // rounds to zero on sight; r = the integer nearest to q1 = x.hi / hjj.hi
      // where that is certain (below); DDDIV and the nearest integer elsewhere.
      const DD b = dg.h(0, k0);
      const Vd rb = splat(1.0) / b.hi;  // off the chain of x: b is known early
      const Vi nonzero = live & lt(Vd{}, vabs(b.hi));
      const Vi need = nonzero & ~quotient_rounds_to_zero(x, b);
      DD t = dzero;
      Vi slow = Vi{};
      if (any(need)) {
        // With x and hjj normalised to 2^-50 and hjj.hi in [2^-960, 1e300),
        // DDDIV gives |q.hi - q1| <= 2^-47 |q1| and |q.lo| <= 2^-52 |q1|
        // (rounded_quotient in itermp.cpp); when q1 lies more than 2^-45 |q1|
        // from every half-integer, q.hi and q.hi + q.lo round to the same
        // integer r as q1 without a tie, and for |q1| < 2^40 DDNINT gives
        // (r, +0) ((+0, +0) for r = 0).
        // q1 itself is not formed: qa = x.hi fl(1 / hjj.hi) lies within
        // 2^-51 |qa| of it (three roundings, |1 / hjj.hi| normal), so where qa
        // is below 2^39 and more than 2^-44 |qa| from every half-integer, q1
        // rounds to the same integer and meets both bounds.  The product
        // instead of the quotient shortens the chain from x to the next
        // diagonal; lanes outside the bounds take DDDIV as before.
        const Vd qa = x.hi * rb;
        const Vd shift = splat(0x1.8p52);
        const Vd r = (qa + shift) - shift;  // qa rounded to an integer (|qa| < 2^51)
        // Lanes that are not sure are overwritten below: t does not wait for
        // the test.  r is never -0 (the difference of equal values is +0),
        // so it is DDNINT's high word as it stands.
        t = sel(need, DD{r, Vd{}}, dzero);
        const Vd aq = vabs(qa), xh = vabs(x.hi), bh = vabs(b.hi);
        const Vi sure = lt(aq, splat(0x1p39)) & lt(splat(0x1p-44) * aq, splat(0.5) - vabs(qa - r)) &
                        le(vabs(x.lo), splat(0x1p-50) * xh) & le(vabs(b.lo), splat(0x1p-50) * bh) &
                        le(splat(0x1p-960), bh) & lt(bh, splat(1e300)) & lt(xh, splat(1e300));
        const Vi hard = need & ~sure;
        if (any(hard)) {
          const DD q = div(x, sel(hard, b, done));
          const Vd qh = vabs(q.hi);
          const Vi to_zero = le(qh, splat(0.5 - 0x1p-40)) & le(vabs(q.lo), splat(0x1p-50) * qh);
          Vi tie = Vi{};
          const DD ni = nearest_integer(q, tie);
          t = sel(hard, sel(to_zero, dzero, ni), t);
          slow = hard & ~to_zero & tie;
        }
      }
      const DD before = x;
      if (any(nonzero & ~is_zero(t)) || !all(~nonzero | (absorbs_zero(x) & gives_zero_product(b))))
        x = sel(nonzero, sub(x, mul(t, b)), x);

      if (any(slow)) {
        DDReal xs[W], ts[W], bs[W];
        store(xs, sel(slow, before, x));
        store(ts, t);
        store(bs, b);
        for (int k = 0, written = 0; k < live_n; ++k) {
          if (!lane(slow, k)) continue;
          // A refusal leaves the entries before this one written.
          for (; written < k; ++written) {
            hx[written * step] = xs[written];
            tx[written * step] = ts[written];
          }
          call_scalar([&] {
            ts[k] = dd::detail::rounded_quotient(xs[k], bs[k]);
            DDReal p;
            DDMUL(ts[k], bs[k], p);
            DDSUB(xs[k], p, xs[k]);
          });
        }
        x = load(xs);
        t = load(ts);
      }
      x = sel(live, x, done);
      t = sel(live, t, dzero);
      dg.put(d, k0, x, t);
      scatter(hx, step, live_n, x);
      scatter(tx, step, live_n, t);

      const unsigned multipliers = signs(live & ~is_zero(t));
      for (unsigned m = multipliers; m != 0; m &= m - 1) ++nz[k0 + __builtin_ctz(m)];
      // The terms t y(j + d) of y(j): computed in every lane unless every
      // lane's is a zero term that zero_term_keeps would pass over.
      const DD acc = ys.get(k0);
      const DD v = live_n == W ? load(y + k0 + d) : load_first(y + k0 + d, live_n, one);
      if (multipliers != 0 || !all(~live | (absorbs_zero(acc) & gives_zero_product(v))))
        ys.put(k0, sel(live, add(acc, mul(t, v)), acc));
    }
    // Padding after the diagonal's last group.
    const int end = (count + W - 1) / W * W;
    dg.put(d, end, done, dzero);
  }

  for (int k0 = 0; k0 < n - 1; k0 += W) {
    const int count = n - 1 - k0 < W ? n - 1 - k0 : W;
    if (count == W) {
      store(y + k0, ys.get(k0));
    } else {
      store_first(y + k0, count, ys.get(k0));
    }
  }
}

}  // namespace dd::batch::detail::DD_LANES_NS
