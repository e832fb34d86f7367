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

/// Loads W values from p, then the count first of them from the pointers.
inline DD gather(DDReal* const* p, int count, DDReal pad) noexcept {
  DDReal v[W];
  for (int k = 0; k < W; ++k) v[k] = k < count ? *p[k] : pad;
  return load(v);
}

/// Step 6 of itermp for the pairs (i, i+1), i = ipair[0 .. npairs-1]: with
/// t3 = sqrt(t1^2 + t2^2), t1 = h(i, i) / t3 and t2 = h(i, i+1) / t3, rows
/// l = i .. n of columns i and i+1 become t1 t4 + t2 t5 and -(t2 t4) + t1 t5.
/// Pairs with i >= n - 1 and those with t3 = 0 are left alone.
inline void corner(DDReal* h, int n, const int* ipair, int npairs) {
  const auto at = [h, n](int i, int j) { return h + (i - 1) + static_cast<std::ptrdiff_t>(j - 1) * n; };
  const DDReal one(1.0, 0.0), zero(0.0, 0.0);
  // The rows waiting for lanes: coefficients and the two entries' addresses.
  DDReal c1[W], c2[W];
  DDReal* px[W];
  DDReal* py[W];
  int rows = 0;
  const auto flush = [&] {
    const DD t1 = load(c1), t2 = load(c2);
    const DD t4 = gather(px, rows, zero), t5 = gather(py, rows, zero);
    const DD u1 = add(mul(t1, t4), mul(t2, t5));
    const DD u2 = add(neg(mul(t2, t4)), mul(t1, t5));
    DDReal v1[W], v2[W];
    store(v1, u1);
    store(v2, u2);
    for (int k = 0; k < rows; ++k) {
      *px[k] = v1[k];
      *py[k] = v2[k];
    }
    rows = 0;
  };
  for (int p0 = 0; p0 < npairs; p0 += W) {
    const int m = npairs - p0 < W ? npairs - p0 : W;
    DDReal a[W], b[W];
    bool turn[W];
    for (int k = 0; k < W; ++k) {
      turn[k] = k < m && ipair[p0 + k] < n - 1;
      const int i = turn[k] ? ipair[p0 + k] : 1;
      a[k] = turn[k] ? *at(i, i) : one;
      b[k] = turn[k] ? *at(i, i + 1) : zero;
    }
    const DD t1 = load(a), t2 = load(b);
    DD t3 = sqrt(add(square(t1), square(t2)));
    const Vi still = eq(t3.hi, Vd{});  // both entries zero: nothing to rotate
    t3 = sel(still, splat(one), t3);
    DDReal s1[W], s2[W];
    store(s1, div(t1, t3));
    store(s2, div(t2, t3));
    for (int k = 0; k < m; ++k) {
      if (!turn[k] || lane(still, k)) continue;
      const int i = ipair[p0 + k];
      for (int l = i; l <= n; ++l) {
        c1[rows] = s1[k];
        c2[rows] = s2[k];
        px[rows] = at(l, i);
        py[rows] = at(l, i + 1);
        if (++rows == W) flush();
      }
    }
  }
  if (rows > 0) {
    for (int k = rows; k < W; ++k) c1[k] = c2[k] = zero;
    flush();
  }
}

/// Step 7 of itermp: h(r, j) reduced and tmat(r, j) formed for r > j, in
/// h and tmat (n x n, column-major).  scratch holds
/// reduction_scratch_words(n) values (pslq.hpp).  A lane whose multiplier needs the scalar routine takes it in
/// element order, so a refusal stops with the entries before it written.
inline void reduce(DDReal* h, DDReal* tmat, int n, DDReal* scratch) {
  static_assert(W <= dd::detail::kReductionPad);
  const int stride = n + W;  // one diagonal of the scratch area
  DDReal* const hd = scratch;
  DDReal* const td = scratch + static_cast<std::ptrdiff_t>(n) * stride;
  const auto at = [n](DDReal* a, int i, int j) { return a + (i - 1) + static_cast<std::ptrdiff_t>(j - 1) * n; };
  const DDReal one(1.0, 0.0), zero(0.0, 0.0);
  // Entries past the end of a diagonal are read by lanes beyond it only:
  // h there is 1, tmat 0.
  for (std::ptrdiff_t k = 0; k < static_cast<std::ptrdiff_t>(n) * stride; ++k) {
    hd[k] = one;
    td[k] = zero;
  }
  for (int j = 1; j <= n - 1; ++j) hd[j - 1] = *at(h, j, j);

  const DD dzero{Vd{}, Vd{}};
  for (int d = 1; d <= n - 1; ++d) {
    const int count = n - d;  // entries (d + 1 + k, 1 + k), k = 0 .. count - 1
    for (int k0 = 0; k0 < count; k0 += W) {
      const int live_n = count - k0 < W ? count - k0 : W;
      Vi live = Vi{};
      DDReal* ph[W];
      for (int k = 0; k < W; ++k) {
        live[k] = k < live_n ? -1 : 0;
        ph[k] = k < live_n ? at(h, d + 1 + k0 + k, 1 + k0 + k) : nullptr;
      }
      DD x = gather(ph, live_n, one);
      for (int s = 1; s <= d - 1; ++s) {
        const DD t = load(td + static_cast<std::ptrdiff_t>(d - s) * stride + k0 + s);
        const DD v = load(hd + static_cast<std::ptrdiff_t>(s) * stride + k0);
        if (all(~live | (is_zero(t) & absorbs_zero(x) & gives_zero_product(v)))) continue;
        x = sub(x, mul(t, v));
      }

      // The multiplier: zero where hjj is zero (or NaN) or the quotient
      // rounds to zero on sight; r = the integer nearest to q1 = x.hi / hjj.hi
      // where that is certain (below); DDDIV and the nearest integer elsewhere.
      const DD b = load(hd + k0);
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
        const Vd q1 = x.hi / b.hi;
        const Vd shift = splat(0x1.8p52);
        const Vd r = (q1 + shift) - shift;  // q1 rounded to an integer (|q1| < 2^51)
        const Vd aq = vabs(q1), xh = vabs(x.hi), bh = vabs(b.hi);
        const Vi sure = lt(aq, splat(0x1p40)) & lt(splat(0x1p-45) * aq, splat(0.5) - vabs(q1 - r)) &
                        le(vabs(x.lo), splat(0x1p-50) * xh) & le(vabs(b.lo), splat(0x1p-50) * bh) &
                        le(splat(0x1p-960), bh) & lt(bh, splat(1e300)) & lt(xh, splat(1e300));
        t = sel(need & sure, DD{r + 0.0, Vd{}}, dzero);
        const Vi hard = need & ~sure;
        if (any(hard)) {
          const DD q = div(x, sel(hard, b, splat(one)));
          const Vd qh = vabs(q.hi);
          const Vi to_zero = le(qh, splat(0.5 - 0x1p-40)) & le(vabs(q.lo), splat(0x1p-50) * qh);
          Vi tie = Vi{};
          const DD ni = nearest_integer(q, tie);
          t = sel(hard, sel(to_zero, dzero, ni), t);
          slow = hard & ~to_zero & tie;
        }
      }
      DDReal xs[W], ts[W], before[W];
      store(before, x);
      if (!all(~nonzero | (is_zero(t) & absorbs_zero(x) & gives_zero_product(b))))
        x = sel(nonzero, sub(x, mul(t, b)), x);
      store(xs, x);
      store(ts, t);
      for (int k = 0; k < live_n; ++k) {
        if (lane(slow, k)) {
          const DDReal hjj = hd[k0 + k];
          xs[k] = before[k];
          call_scalar([&] {
            ts[k] = dd::detail::rounded_quotient(xs[k], hjj);
            DDReal p;
            DDMUL(ts[k], hjj, p);
            DDSUB(xs[k], p, xs[k]);
          });
        }
        *ph[k] = xs[k];
        *at(tmat, d + 1 + k0 + k, 1 + k0 + k) = ts[k];
      }
      for (int k = live_n; k < W; ++k) {
        xs[k] = one;
        ts[k] = zero;
      }
      store(hd + static_cast<std::ptrdiff_t>(d) * stride + k0, load(xs));
      store(td + static_cast<std::ptrdiff_t>(d) * stride + k0, load(ts));
    }
  }
}

}  // namespace dd::batch::detail::DD_LANES_NS
