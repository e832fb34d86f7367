// The error function and the gamma function in SIMD lanes: the common paths
// of DDERFR (the convergent series times 2 / (sqrt(pi) e^{z^2}) for
// 0 < |z| < 8) and of DDGAMMAR (recurrence, two series, reflection), step for
// step, every lane stopping its series on its own test.  Lanes outside those
// paths (zero, NaN, the range ends, integers and poles, scaled products, a
// series whose terms leave the splitting range) are slow: the scalar routine
// computes them.
#pragma once

#include "ddbatch/lanes_elem.hpp"
#include "ddspecial/erf.hpp"
#include "ddspecial/scaled_impl.hpp"
#include "ddspecial/series.hpp"

namespace dd::batch::detail::DD_LANES_NS {

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

namespace dd::batch::detail::DD_LANES_NS {

/// DDINFR for 0 < |a.hi| < 2^52: b = the integer part (toward zero), f = a - b;
/// lanes where the rounding meets a tie are added to slow.
inline void integer_fraction(const DD& a, Vi& slow, DD& b, DD& f) noexcept {
  DD t = nearest_integer(a, slow);
  const DD one{splat(1.0), Vd{}};
  const Vi above = lt(a.hi, t.hi) | (eq(t.hi, a.hi) & lt(a.lo, t.lo));
  const Vi at_or_above = lt(a.hi, t.hi) | (eq(t.hi, a.hi) & le(a.lo, t.lo));
  const Vi pos = lt(Vd{}, a.hi);
  t = sel(pos & above, sub(t, one), sel(~pos & ~at_or_above, add(t, one), t));
  b = t;
  f = sub(a, t);
}

/// The sine series of small_angle_sine (gamma.cpp): x - x^3/3! + ..., stopped
/// once |term| <= 2^-110 |sum| or after 100 terms.
inline DD small_angle_sine(const DD& x, Vi run) noexcept {
  const DD x2 = mul(x, x);
  DD term = x, sum = x;
  for (int i = 1; i <= 100 && any(run); ++i) {
    const double d = static_cast<double>(2 * i) * static_cast<double>(2 * i + 1);
    term = divd(mul(term, x2), splat(-d));
    sum = sel(run, add(sum, term), sum);
    run &= ~le(vabs(term.hi), 0x1p-110 * vabs(sum.hi));
  }
  return sum;
}

/// One step of a series of DDGAMMAR: term <- term / (j (x + j)) * 784,
/// sum <- sum + term on the lanes of run, which lose the lanes whose term
/// falls to eps |sum|.
inline void gamma_series_step(const DD& x, double j, DD& term, DD& sum, Vi& run) noexcept {
  const Vd eps = splat(dd::detail::kSeriesEps.hi);
  const DD den = muld(add(x, DD{splat(j), Vd{}}), splat(j));
  term = muld(div(term, den), splat(784.0));
  const DD next = add(sum, term);
  sum = sel(run, next, sum);
  // compare_le(abs(term), abs(es)) is lt(|term.hi|, |es.hi|) wherever the two
  // magnitudes differ (or one is NaN); the low words decide only where they
  // are equal, which is rare: the whole comparison is formed then.
  const Vd es_hi = next.hi * eps, th = vabs(term.hi), eh = vabs(es_hi);
  Vi stop = lt(th, eh);
  if (any(eq(th, eh))) stop = compare_le(abs(term), abs(DD{es_hi, next.lo * eps}));
  run &= ~stop;
}

/// DDGAMMAR in progress for one group of lanes: the product f of the
/// recurrence, the reduced argument tnx in (0, 1) and the two series in tnx
/// and mtn = -tnx (run1, run2: the lanes whose series go on); ok marks the
/// lanes on the common path.
struct GammaLanes {
  DD f, tnx, mtn, term1, term2, sum1, sum2;
  Vi ok, run1, run2;
};

/// The start of Gamma(t) for the lanes of live with 2^-480 <= |t| and
/// -180 < t < 172 that are not integers and whose reduction needs no
/// scaling: the recurrence down (or up) to tn in (0, 1) and the series'
/// first terms; the other live lanes go to slow.
inline GammaLanes gamma_start(DD t, Vi live, Vi& slow) {
  const Vd at = vabs(t.hi);
  Vi ok = live & le(splat(0x1p-480), at) & lt(t.hi, splat(172.0)) & lt(splat(-180.0), t.hi);
  slow |= live & ~ok;
  t = sel(ok, t, DD{splat(1.5), Vd{}});
  const DD one{splat(1.0), Vd{}};
  const Vd low = splat(0x1p-600), high = splat(0x1p600);

  Vi inner = Vi{};
  DD ip, fr;
  integer_fraction(t, inner, ip, fr);
  inner |= eq(fr.hi, Vd{});  // integers: the factorial, or a pole
  const Vi pos = lt(Vd{}, t.hi);
  DD omt, ipn, phi;
  omt = sub(one, t);
  integer_fraction(omt, inner, ipn, phi);
  // Below zero tn = 1 - phi, or t + n where that differs from it by more
  // than 2^-87 of it (1 - t was rounded; t + n is exact there).
  const DD tx = add(t, DD{ipn.hi, Vd{}});
  const DD dtn = sub(sub(one, phi), tx);
  const DD tneg = sel(lt(splat(0x1p-87) * tx.hi, vabs(dtn.hi)), tx, sub(one, phi));
  const DD tn = sel(pos, fr, tneg);
  const Vd count = sel(pos, ip.hi, ipn.hi);  // factors of the recurrence

  // f = (t - 1)(t - 2) ... (t - n) for t > 0, 1 / (t (t + 1) ... (t + n - 1)) below.
  DD f = one;
  const double most = [&] {
    double m = 0.0;
    for (int k = 0; k < W; ++k)
      if (lane(ok & ~inner, k) && count[k] > m) m = count[k];
    return m;
  }();
  for (double i = 1.0; i <= most; i += 1.0) {
    const Vi act = le(splat(i), count);
    const DD tp = sub(t, DD{splat(i), Vd{}});
    const DD tm = add(t, DD{splat(i - 1.0), Vd{}});
    const DD ti = sel(pos, tp, tm);
    const DD g = sel(pos, mul(f, ti), div(f, ti));
    inner |= act & (lt(vabs(ti.hi), low) | ((pos & lt(high, vabs(g.hi))) | (~pos & lt(vabs(g.hi), low))));
    f = sel(act, g, f);
  }
  const DD omtn = sub(one, tn);
  inner |= lt(tn.hi, splat(0x1p-498)) | lt(omtn.hi, splat(0x1p-880));
  slow |= ok & inner;
  ok &= ~inner;
  GammaLanes g;
  g.ok = ok;
  g.f = f;
  g.tnx = sel(ok, tn, DD{splat(0.5), Vd{}});
  // The two series' first terms.
  g.mtn = neg(g.tnx);
  g.term1 = div(one, g.tnx);
  g.term2 = div(one, g.mtn);
  g.sum1 = g.term1;
  g.sum2 = g.term2;
  g.run1 = ok;
  g.run2 = ok;
  return g;
}

/// The two series of G groups in one loop, side by side: 2 G independent
/// chains of divisions that the processor overlaps.  Each series of each
/// group keeps its own steps and stop.
template <int G>
inline void gamma_series(GammaLanes* g, Vi* slow) {
  for (int j = 1;; ++j) {
    Vi run = g[0].run1 | g[0].run2;
#pragma GCC unroll 4
    for (int k = 1; k < G; ++k) run |= g[k].run1 | g[k].run2;
    if (!any(run)) break;
    if (j > 5000) {  // far beyond any argument here: the scalar routine decides
      for (int k = 0; k < G; ++k) {
        slow[k] |= g[k].run1 | g[k].run2;
        g[k].ok &= ~(g[k].run1 | g[k].run2);
      }
      break;
    }
    const double dj = static_cast<double>(j);
#pragma GCC unroll 4
    for (int k = 0; k < G; ++k) {
      if (any(g[k].run1)) gamma_series_step(g[k].tnx, dj, g[k].term1, g[k].sum1, g[k].run1);
      if (any(g[k].run2)) gamma_series_step(g[k].mtn, dj, g[k].term2, g[k].sum2, g[k].run2);
    }
  }
}

/// The end of Gamma(t) from the finished series: 28^tn = e^(tn ln 28) and
/// sin(pi tn), for the lanes of g.ok.  l28 is DDLOG(28); sine(angle) is the
/// scalar DDCSSNR's sine, for the lanes whose angle the circular routine
/// reduces.
template <class Sine>
inline DD gamma_finish(const GammaLanes& g, Vi& slow, const DDReal& l28, Sine sine) {
  const DD one{splat(1.0), Vd{}};
  const DD& tnx = g.tnx;
  const Vi ok = g.ok;
  const DD pi = splat(dd::detail::kPi);
  Vi ex_slow = Vi{};
  const DD e = exp_core(mul(tnx, splat(l28)), ok, ex_slow);
  slow |= ex_slow;
  // The sine: the circular routine in the middle of (0, 1), the series in
  // the smaller of pi tn and pi (1 - tn) elsewhere.
  const Vi middle = le(splat(0.25), tnx.hi) & le(tnx.hi, splat(0.75));
  const DD u = sel(lt(splat(0.5), tnx.hi), sub(one, tnx), tnx);
  DD sn = small_angle_sine(mul(pi, u), ok & ~middle);
  if (any(ok & middle)) {
    const DD angle = mul(pi, tnx);
    Vi reduced = Vi{};
    sn = sel(middle, sine_unreduced(angle, ok & middle, reduced), sn);
    for (int k = 0; k < W; ++k) {
      if (!lane(reduced, k)) continue;
      const DDReal s = sine(get(angle, k));
      sn.hi[k] = s.hi;
      sn.lo[k] = s.lo;
    }
  }
  const DD num = mul(pi, g.sum1);
  const DD den = mul(tnx, mul(sn, g.sum2));
  const DD q = sqrt(neg(div(num, den)));
  return mul(g.f, mul(q, e));
}

/// Gamma(t) for the lanes of live on the common path (gamma_start); the
/// scalar routine's operations, step for step.
template <class Sine>
inline DD gamma(const DD& t, Vi live, Vi& slow, const DDReal& l28, Sine sine) {
  GammaLanes g = gamma_start(t, live, slow);
  gamma_series<1>(&g, &slow);
  return gamma_finish(g, slow, l28, sine);
}

}  // namespace dd::batch::detail::DD_LANES_NS
