// The exponential, logarithm, power, circular and hyperbolic cosine and sine
// and the angle of a point in SIMD lanes: the common path of DDEXP, DDLOG,
// dd::pow, DDCSSNR, DDANG and DDCOSHSINH, step for
// step, with the data-dependent branches of the scalar code taken per lane
// (both sides formed where lanes differ, then selected).
//
// Each routine takes the lanes `live` that carry arguments and marks in `slow`
// the lanes whose argument leaves the common path (zero, NaN, range ends,
// refusals, rounding ties); the caller recomputes those with the scalar
// routine, so every lane's result is the scalar routine's.  Lanes outside
// `live`, or marked slow, are given a harmless argument first, so that they
// cost no more than the others and never keep a loop running.
#pragma once

#include <cmath>
#include <limits>

#include "ddbatch/lanes.hpp"
#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/rounding.hpp"

namespace dd::batch::detail::DD_LANES_NS {

/// divd_pow2 of ddelem.hpp: (a.hi / d, a.lo / d + 0) on exactly scalable
/// lanes, DDDIVD elsewhere; the kernel is formed only when some lane of
/// `need` requires it.
inline Vi exactly_scalable(const DD& a) noexcept {
  const Vd ah = vabs(a.hi), al = vabs(a.lo);
  const Vd lo = splat(0x1p-900), hi = splat(0x1p900);
  return le(lo, ah) & le(ah, hi) & (eq(al, Vd{}) | le(lo, al)) & eq(a.hi + a.lo, a.hi);
}

inline DD divd_pow2(const DD& a, double d, Vi need) noexcept {
  const Vi es = exactly_scalable(a);
  const DD quick{a.hi / d, a.lo / d + 0.0};
  if (all(es | ~need)) return quick;
  return sel(es, quick, divd(a, splat(d)));
}

/// DDNINT for 0 < |q.hi| < 2^52 by the rounding constant; lanes whose hi word
/// is a tie broken by the lo word, or that lie outside that range, are added
/// to slow (the scalar routine takes another path there).  A zero hi word
/// gives (0, 0).
inline DD nearest_integer(const DD& q, Vi& slow) noexcept {
  const DD k = splat(dd::detail::kRoundK);
  const DD up = sub(add(q, k), k);
  const DD down = add(sub(q, k), k);
  const Vi zero = eq(q.hi, Vd{});
  DD t = sel(lt(Vd{}, q.hi), up, down);
  slow |= ~zero & ~lt(vabs(q.hi), splat(0x1p52));
  slow |= ~zero & ne(q.lo, Vd{}) & eq(vabs(q.hi - t.hi), splat(0.5));
  return sel(zero, DD{Vd{}, Vd{}}, t);
}

/// 2^n for lanes holding integers n with |n| < 1023, built from the exponent field.
inline Vd pow2(Vd n) noexcept {
  const Vd shift = splat(0x1.8p52);
  const Vi k = (Vi)(n + shift) - (Vi)shift;
  return (Vd)((k + 1023) << 52);
}

/// DDEXP's series in progress for one group of lanes: n, the reduced
/// argument r = s / 64, the last term and the sum; run marks the lanes whose
/// series goes on, unit those with s = 0 (the mantissa is exactly 1).
struct ExpLanes {
  DD n, r, term, sum;
  Vi run, unit;
};

/// The reduction and the first term of e^a for the lanes of live with
/// |a.hi| < 300 and a finite lo word; the other live lanes go to slow.
inline ExpLanes exp_start(DD a, Vi live, Vi& slow) {
  using dd::detail::kExpLimit;
  const Vi ok = live & lt(vabs(a.hi), splat(kExpLimit)) &
                lt(vabs(a.lo), splat(std::numeric_limits<double>::infinity()));
  slow |= live & ~ok;
  a = sel(ok, a, DD{splat(0.5), Vd{}});

  // n = nearest integer to a / ln 2; s = a - n ln 2; r = s / 64.
  ExpLanes e;
  const DD ln2 = splat(dd::detail::kLog2);
  Vi tie = Vi{};
  e.n = nearest_integer(div(a, ln2), tie);
  slow |= ok & tie;
  const DD s = sub(a, mul(e.n, ln2));
  e.unit = eq(s.hi, Vd{});
  e.run = ok & ~tie & ~e.unit;
  e.r = divd_pow2(s, 64.0, e.run);

  // Taylor series of e^r: the first term is r itself on exactly scalable
  // lanes (as the scalar step takes it), (1 * r) / 1 elsewhere.
  const DD one = {splat(1.0), Vd{}};
  e.term = sel(exactly_scalable(e.r), DD{e.r.hi, e.r.lo + 0.0}, divd_pow2(mul(one, e.r), 1.0, e.run));
  e.sum = add(one, e.term);
  e.run &= ~le(vabs(e.term.hi), dd::detail::kExpSeriesTol * vabs(e.sum.hi));
  return e;
}

/// Term l (from 2) of the series: term <- term r / l, and the sum on the
/// lanes that still run.
inline void exp_term(ExpLanes& e, int l) {
  e.term = mul(e.term, e.r);
  if ((l & (l - 1)) == 0 && l <= 64) {
    e.term = divd_pow2(e.term, static_cast<double>(l), e.run);
  } else {
    e.term = divd(e.term, splat(static_cast<double>(l)));
  }
  const DD next = add(e.sum, e.term);
  e.sum = sel(e.run, next, e.sum);
  e.run &= ~le(vabs(e.term.hi), dd::detail::kExpSeriesTol * vabs(next.hi));
}

/// Runs the series of G groups to their ends in one loop: the groups' chains
/// of dependent operations are independent, and the processor overlaps them.
/// A group that has stopped takes further terms that change nothing (its sum
/// is kept where run is clear).  Lanes that would pass the scalar routine's
/// term limit go to slow[g].
template <int G>
inline void exp_series(ExpLanes* e, Vi* slow) {
  for (int l = 2;; ++l) {
    Vi run = e[0].run;
#pragma GCC unroll 4
    for (int g = 1; g < G; ++g) run |= e[g].run;
    if (!any(run)) break;
#pragma GCC unroll 4
    for (int g = 0; g < G; ++g) exp_term(e[g], l);
    if (l >= dd::detail::kExpMaxTerms) {
      for (int g = 0; g < G; ++g) slow[g] |= e[g].run;  // the scalar routine stops with its message
      break;
    }
  }
}

/// e^a from the finished series: six squarings give e^s; the power of two
/// 2^n is exact.
inline DD exp_finish(const ExpLanes& e) noexcept {
  DD sum = e.sum;
  for (int k = 0; k < 6; ++k) sum = mul(sum, sum);
  const DD mant = sel(e.unit, DD{splat(1.0), Vd{}}, sum);
  return muld(mant, pow2(e.n.hi));
}

/// e^a for the lanes of live with |a.hi| < 300 and a finite lo word (the body
/// of DDEXP and of its use inside DDLOG); the other live lanes go to slow.
inline DD exp_core(const DD& a, Vi live, Vi& slow) {
  ExpLanes e = exp_start(a, live, slow);
  exp_series<1>(&e, &slow);
  return exp_finish(e);
}

/// DDEXP: the lanes outside |a.hi| < 300 (NaN, infinities, overflow stops,
/// the flush to zero) are slow.
inline DD exp(const DD& a, Vi live, Vi& slow) { return exp_core(a, live, slow); }

/// DDLOG for G groups of lanes side by side (x[g] from a[g]): x = log(a.hi)
/// refined by three Newton steps x + (a - e^x) / e^x, the exponentials'
/// series of all groups in one loop.  Lanes with a.hi <= 0, non-finite words,
/// or a step outside the exponential's range (the scalar routine then
/// scales a), or within 2^-9 of 1, are slow.
template <int G>
inline void log_groups(const DD* arg, const Vi* live, Vi* slow, DD* x) {
  const Vd inf = splat(std::numeric_limits<double>::infinity());
  DD a[G];
  Vi ok[G];
  for (int g = 0; g < G; ++g) {
    // Near 1 the scalar routine checks its result against a series.
    ok[g] = live[g] & lt(Vd{}, arg[g].hi) & lt(arg[g].hi, inf) & lt(vabs(arg[g].lo), inf) &
            ~lt(vabs(arg[g].hi - 1.0), splat(dd::detail::kSeriesBelow));
    slow[g] |= live[g] & ~ok[g];
    a[g] = sel(ok[g], arg[g], DD{splat(1.5), Vd{}});
    x[g] = DD{per_lane(a[g].hi, [](double v) { return std::log(v); }), Vd{}};
  }
  for (int k = 0; k < 3; ++k) {
    ExpLanes e[G];
    Vi inner[G];
    for (int g = 0; g < G; ++g) {
      const Vi out = ok[g] & ~lt(vabs(x[g].hi), splat(dd::detail::kExpLimit));
      slow[g] |= out;
      ok[g] &= ~out;
      inner[g] = Vi{};
      e[g] = exp_start(x[g], ok[g], inner[g]);
    }
    exp_series<G>(e, inner);
    for (int g = 0; g < G; ++g) {
      const DD t = exp_finish(e[g]);
      slow[g] |= inner[g];
      ok[g] &= ~inner[g];
      x[g] = add(x[g], div(sub(a[g], t), t));
    }
  }
}

inline DD log(const DD& a, Vi live, Vi& slow) {
  DD x;
  log_groups<1>(&a, &live, &slow, &x);
  return x;
}

/// dd::pow(a, b) = exp(log(a) * b) (the product with the logarithm leading).
inline DD pow(const DD& a, const DD& b, Vi live, Vi& slow) {
  Vi s = Vi{};
  const DD l = log(a, live, s);
  const DD r = exp_core(mul(l, b), live & ~s, s);
  slow |= s;
  return r;
}

/// muld_exact of ddelem.hpp: (a.hi d, a.lo d + 0) on exactly scalable lanes, DDMULD elsewhere.
inline DD muld_exact(const DD& a, Vd d) noexcept {
  const Vi es = exactly_scalable(a);
  const DD quick{a.hi * d, a.lo * d + 0.0};
  if (all(es)) return quick;
  return sel(es, quick, muld(a, d));
}

/// The literal sequence of DDCSSNR from the reduced argument s, for the lanes
/// of ok (s.hi nonzero there): the sine series of s / 32, five angle
/// doublings of the cosine, and the sine as the signed square root of
/// 1 - cos^2.  Lanes whose series would pass the scalar routine's term limit
/// are slow.
inline void cos_sin_reduced(const DD& s, Vi ok, Vi& slow, DD& cs, DD& sn) {
  const DD t = divd_pow2(s, 32.0, ok);
  const Vd sign = sel(le(Vd{}, t.hi), splat(1.0), splat(-1.0));
  const DD t2 = mul(t, t);
  DD term = t, sum = t;
  Vi run = ok;
  for (int i = 1; any(run); ++i) {
    const double di = static_cast<double>(i);
    term = divd(mul(term, t2), splat(-(2.0 * di) * (2.0 * di + 1.0)));
    sum = sel(run, add(sum, term), sum);
    run &= ~lt(vabs(term.hi), splat(1e-32));
    if (i >= 1000) {  // the scalar routine stops with its iteration-limit message
      slow |= run;
      break;
    }
  }
  const DD half{splat(0.5), Vd{}}, one{splat(1.0), Vd{}};
  DD w = muld_exact(sub(half, mul(sum, sum)), splat(2.0));
  for (int k = 0; k < 4; ++k) w = muld_exact(sub(mul(w, w), half), splat(2.0));
  cs = w;
  sn = muld_exact(sqrt(sub(one, mul(w, w))), sign);
}

/// The literal sequence of DDCSSNR (reduction modulo 2 pi, then
/// cos_sin_reduced) for the lanes of live with 0 < |a.hi| < 2^18 and a finite
/// lo word; the other live lanes, those whose quotient by 2 pi is a rounding
/// tie and those whose reduced argument is zero are slow.  Lanes outside
/// live or slow carry cos 1 and sin 1.
inline void cos_sin_literal(DD a, Vi live, Vi& slow, DD& cs, DD& sn) {
  Vi ok = live & lt(Vd{}, vabs(a.hi)) & lt(vabs(a.hi), splat(0x1p18)) &
          lt(vabs(a.lo), splat(std::numeric_limits<double>::infinity()));
  Vi out = live & ~ok;
  const DD harmless{splat(1.0), Vd{}};
  a = sel(ok, a, harmless);
  // Up to 3.14 (and a lo word absorbed by the hi word) n = 0 and s is a.
  const Vi plain = le(vabs(a.hi), splat(3.14)) & eq(a.hi + a.lo, a.hi);
  DD s{a.hi, a.lo + 0.0};
  if (!all(plain | ~ok)) {
    const DD two_pi{splat(2.0 * dd::detail::kPi.hi), splat(2.0 * dd::detail::kPi.lo)};  // exact doubling
    Vi tie = Vi{};
    const DD n = nearest_integer(div(a, two_pi), tie);
    out |= ok & ~plain & tie;
    s = sel(plain, s, sub(a, mul(n, two_pi)));
  }
  out |= ok & eq(s.hi, Vd{});
  ok &= ~out;
  cos_sin_reduced(sel(ok, s, harmless), ok, out, cs, sn);
  slow |= out;
}

/// DDCSSNR where it keeps the literal values: the lanes that the scalar
/// routine checks against the accurate cosine or sine (where the literal
/// error bound (128 + |a|) units may pass 2^17 relative) are slow too.
inline void cos_sin(const DD& a, Vi live, Vi& slow, DD& cs, DD& sn) {
  Vi out = Vi{};
  cos_sin_literal(a, live, out, cs, sn);
  const Vd e = splat(128.0) + vabs(a.hi), k = splat(dd::detail::kKeepWithin);
  const Vd c = vabs(cs.hi), s = vabs(sn.hi);
  out |= live & (lt(k * c, e) | lt(k * s * s, e * c));
  slow |= out;
}

/// The sine of DDCSSNR for the lanes of live with 0 < |a.hi| <= 3.14 and
/// a.hi + a.lo == a.hi (no reduction by 2 pi); the other live lanes are
/// slow, and so are those where the scalar routine checks its sine against
/// the accurate one.
inline DD sine_unreduced(DD a, Vi live, Vi& slow) {
  const Vi ok = live & ne(a.hi, Vd{}) & le(vabs(a.hi), splat(3.14)) & eq(a.hi + a.lo, a.hi);
  slow |= live & ~ok;
  a = sel(ok, DD{a.hi, a.lo + 0.0}, DD{splat(1.0), Vd{}});
  DD w, sn;
  cos_sin_reduced(a, ok, slow, w, sn);
  const Vd e = splat(128.0) + vabs(a.hi), k = splat(dd::detail::kKeepWithin);
  slow |= ok & lt(k * sn.hi * sn.hi, e * vabs(w.hi));
  return sn;
}

/// DDANG(x, y), the angle of the point (x, y): the normalised point from
/// r = sqrt(x^2 + y^2), the binary64 atan2 and three Newton steps with the
/// literal cosine and sine, on the cosine equation where |yn| >= |xn| and
/// on the sine equation elsewhere.  Slow: non-finite words, a zero
/// coordinate, points the scalar routine scales (the larger coordinate
/// below 2^-484, or r not finite), and the sine-equation lanes that it
/// checks against the accurate sine.
inline DD angle(DD x, DD y, Vi live, Vi& slow) {
  const Vd inf = splat(std::numeric_limits<double>::infinity()), tiny = splat(0x1p-484);
  Vi ok = live & lt(vabs(x.hi), inf) & lt(vabs(x.lo), inf) & lt(vabs(y.hi), inf) & lt(vabs(y.lo), inf) &
          ne(x.hi, Vd{}) & ne(y.hi, Vd{}) & (le(tiny, vabs(x.hi)) | le(tiny, vabs(y.hi)));
  Vi out = live & ~ok;
  const DD harmless{splat(1.0), Vd{}};
  x = sel(ok, x, harmless);
  y = sel(ok, y, harmless);
  const DD r = sqrt(add(mul(x, x), mul(y, y)));
  out |= ok & ~(lt(vabs(r.hi), inf) & lt(vabs(r.lo), inf));
  ok &= ~out;
  const DD rr = sel(ok, r, harmless);
  DD xn = div(x, rr), yn = div(y, rr);
  out |= ok & (eq(xn.hi, Vd{}) | eq(yn.hi, Vd{}));
  ok &= ~out;
  xn = sel(ok, xn, harmless);
  yn = sel(ok, yn, harmless);

  const Vd start_hi = [&] {
    double ys[W], xs[W];
    std::memcpy(ys, &yn.hi, sizeof ys);
    std::memcpy(xs, &xn.hi, sizeof xs);
#if defined(__AVX__)
    _mm256_zeroupper();  // the library's code may be legacy SSE
#endif
    for (int k = 0; k < W; ++k) ys[k] = std::atan2(ys[k], xs[k]);
    Vd v;
    std::memcpy(&v, ys, sizeof v);
    return v;
  }();
  DD ang{start_hi, Vd{}};
  const Vi on_cos = le(vabs(xn.hi), vabs(yn.hi));
  for (int k = 0; k < 3; ++k) {
    DD cs, sn;
    Vi lost = Vi{};
    cos_sin_literal(ang, ok, lost, cs, sn);
    out |= lost;
    ok &= ~lost;
    const DD c = div(sel(on_cos, sub(xn, cs), sub(yn, sn)), sel(on_cos, sn, cs));
    ang = sel(ok, sel(on_cos, sub(ang, c), add(ang, c)), harmless);
  }
  // |sin a| >= (2/pi) min(|a|, pi - |a|): where the sine's error bound may
  // pass 2^17 units relative to the angle, the scalar routine checks it.
  const Vd aa = vabs(ang.hi), rest = splat(dd::detail::kPi.hi) - aa;
  const Vd dist = sel(lt(rest, aa), rest, aa);
  const Vd bound = splat(dd::detail::kKeepWithin) * splat(0.63) * dist * aa;
  out |= ok & ~on_cos & lt(bound, splat(128.0) + aa);
  slow |= out;
  return ang;
}

/// DDCOSHSINH: t = e^a, u = 1 / t, cosh = (t + u) / 2, sinh = (t - u) / 2.
inline void cosh_sinh(const DD& a, Vi live, Vi& slow, DD& c, DD& s) {
  // Below |a| = 2^-9 the scalar routine checks the sinh against its series.
  slow |= live & lt(vabs(a.hi), splat(dd::detail::kSeriesBelow));
  const DD t = exp_core(a, live, slow);
  const DD u = div(DD{splat(1.0), Vd{}}, t);
  c = muld(add(t, u), splat(0.5));
  s = muld(sub(t, u), splat(0.5));
}

}  // namespace dd::batch::detail::DD_LANES_NS
