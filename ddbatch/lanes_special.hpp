// The error function in SIMD lanes: the common path of DDERFR (the
// convergent series times 2 / (sqrt(pi) e^{z^2}) for 0 < |z| < 8), step for
// step, every lane stopping its series on its own test.  Lanes outside that
// path (zero, |z| >= 8, NaN, a series whose terms leave the splitting range)
// are slow: the scalar routine computes them.
#pragma once

#include "ddbatch/lanes_elem.hpp"
#include "ddspecial/erf.hpp"
#include "ddspecial/series.hpp"

namespace dd::batch::detail::DD_LANES_NS {

inline DD neg(const DD& a) noexcept { return {-a.hi, -a.lo}; }

/// DDABS: a where a.hi >= 0, both words negated elsewhere (NaN included).
inline DD abs(const DD& a) noexcept { return sel(le(Vd{}, a.hi), a, neg(a)); }

/// DDCOMPARE(a, b) <= 0 and >= 0 (lexicographic on hi, lo; unordered words compare as 1).
inline Vi compare_le(const DD& a, const DD& b) noexcept {
  return lt(a.hi, b.hi) | (eq(a.hi, b.hi) & (lt(a.lo, b.lo) | eq(a.lo, b.lo)));
}
inline Vi compare_ge(const DD& a, const DD& b) noexcept {
  return ~(lt(a.hi, b.hi) | (eq(a.hi, b.hi) & lt(a.lo, b.lo)));
}

/// erf z for the lanes of live with 0 < |z.hi| < 8.
inline DD erf(DD z, Vi live, Vi& slow) {
  const Vi ok0 = live & lt(vabs(z.hi), splat(8.0)) & ne(z.hi, Vd{});
  slow |= live & ~ok0;
  z = sel(ok0, z, DD{splat(0.5), Vd{}});
  const DD z2 = mul(z, z);
  const DD eps = splat(dd::detail::kSeriesEps);

  // The convergent series sum_k z^(2k+1) 2^k / (1 3 5 ... (2k+1)), stopped
  // where the term's ratio r to the sum falls to eps or stops decreasing; a
  // binary64 estimate of r decides where it is clear, as in the scalar loop.
  const DD f = muld(z2, splat(2.0));
  DD u = z, v{splat(1.0), Vd{}};
  DD sum{Vd{}, Vd{}}, prev_term{Vd{}, Vd{}}, prev_sum{splat(1.0), Vd{}};
  Vd rho_d = splat(1.0e10);
  Vi have_prev = Vi{};
  Vi run = ok0;
  const double near_eps = dd::detail::kSeriesEps.hi * (1.0 + 0x1p-30);
  for (int k = 0; any(run); ++k) {
    const DD term = div(u, v);
    const DD next = add(sum, term);
    sum = sel(run, next, sum);
    const Vd rd = vabs(term.hi / next.hi);
    const Vi undecided = run & (~lt(splat(near_eps), rd) | ~lt(rd, rho_d * (1.0 - 0x1p-30)));
    if (any(undecided)) {
      const DD r = abs(div(term, next));
      const DD rho = sel(have_prev, abs(div(prev_term, prev_sum)), DD{splat(1.0e10), Vd{}});
      run &= ~(undecided & (compare_le(r, eps) | compare_ge(r, rho)));
    }
    rho_d = rd;
    prev_term = term;
    prev_sum = next;
    have_prev = mask_true();
    if (k + 1 > 2000) {  // far beyond any argument here: the scalar routine decides
      slow |= run;
      break;
    }
    // The scalar routine leaves this series for another method once a term's
    // numerator or denominator passes 1e300.
    u = mul(f, u);
    v = muld(v, splat(static_cast<double>(2 * (k + 1) + 1)));
    const Vi out = run & (lt(splat(1.0e300), vabs(u.hi)) | lt(splat(1.0e300), vabs(v.hi)));
    slow |= out;
    run &= ~out;
  }

  // erf = 2 s / (sqrt(pi) e^{z^2}).
  const DD rp = sqrt(splat(dd::detail::kPi));
  Vi inner = Vi{};
  const DD e = mul(rp, exp_core(z2, ok0, inner));
  slow |= inner;
  return div(muld(sum, splat(2.0)), e);
}

}  // namespace dd::batch::detail::DD_LANES_NS
