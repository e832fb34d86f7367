#include "ddspecial/erf.hpp"

#include <cmath>

#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"

namespace dd {

namespace {

/// Magnitude above which a binary64 can no longer be split (2^27 + 1 times it overflows).
constexpr double kSplitLimit = 1.0e300;

constexpr int kConvergent = 1;
constexpr int kAsymptotic = 2;
constexpr int kFraction = 3;

/// The shared loop of both series.  z2 = z*z.  Stops at the first term whose
/// ratio r to the sum has |r| <= 2^-106, or when |r| stops decreasing (the
/// asymptotic series has begun to diverge).  Returns false, leaving s unset,
/// when the convergent series' numerator or denominator leaves the splitting
/// range; the asymptotic series never comes near it for z >= 9.
bool erf_series(const DDReal& z, const DDReal& z2, int branch, const char* limit_msg, DDReal& s) {
  DDReal eps;
  eps = DDReal(0x1p-106);  // 2^-106: exactly what DDNPWR(2, -106) gives
  DDReal f, u, v;
  DDMULD(z2, 2.0, f);
  if (branch == kConvergent) {
    u = z;
    v = DDReal(1.0);
  } else {
    u = DDReal(1.0);
    DDABS(z, v);
  }
  DDReal rho(1.0e10);
  DDReal sum(0.0);
  int k = 0;
  for (;;) {
    DDReal term, r;
    DDDIV(u, v, term);
    DDADD(sum, term, sum);
    DDDIV(term, sum, r);
    // |r|: the asymptotic series alternates; the convergent one has r > 0.
    DDABS(r, r);
    int ic1, ic2;
    DDCOMPARE(r, eps, ic1);
    DDCOMPARE(r, rho, ic2);
    if (ic1 <= 0 || ic2 >= 0) break;
    rho = r;
    ++k;
    if (k == kErfMaxTerms + 1) detail::fail(limit_msg, {branch, kErfMaxTerms});
    if (branch == kConvergent) {
      DDMUL(f, u, u);
      DDMULD(v, static_cast<double>(2 * k + 1), v);
      if (std::fabs(u.hi) > kSplitLimit || std::fabs(v.hi) > kSplitLimit) return false;
    } else {
      DDMULD(u, -static_cast<double>(2 * k - 1), u);
      DDMUL(v, f, v);
    }
  }
  s = sum;
  return true;
}

/// E = sqrt(pi) e^{z^2}.
void erf_scale(const DDReal& z2, DDReal& e) {
  DDReal pi, rp, ex;
  DDPI(pi);
  DDSQRT(pi, rp);
  DDEXP(z2, ex);
  DDMUL(rp, ex, e);
}

/// y = erfc z for z > 0 by the even part of Laplace's continued fraction
///   erfc z = (2z e^{-z^2} / sqrt(pi)) / (2z^2 + 1 - 1*2 / (2z^2 + 5 - 3*4 / (2z^2 + 9 - ...))),
/// evaluated forwards (Lentz).  Its error after n steps falls like exp(-c sqrt n):
/// the loop runs until a step changes the value by at most 2^-104, then half
/// as many steps again, which puts the tail far below 2^-106.  Steps needed
/// (before the extra half): 340 at z = 1, 96 at z = 2, 32 at z = 4, 13 at z = 9.
void erfc_fraction(const DDReal& z, const DDReal& z2, const char* limit_msg, DDReal& y) {
  DDReal tol;
  tol = DDReal(0x1p-104);
  DDReal w;  // 2 z^2
  DDMULD(z2, 2.0, w);
  DDReal f, c, d(0.0);
  DDADD(w, DDReal(1.0), f);
  c = f;
  int last = kErfMaxTerms;
  for (int n = 1; n <= last; ++n) {
    const double a = -(static_cast<double>(2 * n - 1) * static_cast<double>(2 * n));
    DDReal b, t, delta;
    DDADD(w, DDReal(static_cast<double>(4 * n + 1)), b);
    DDMULD(d, a, t);
    DDADD(b, t, d);
    DDDIV(DDReal(1.0), d, d);
    DDDIV(DDReal(a), c, t);
    DDADD(b, t, c);
    DDMUL(c, d, delta);
    DDMUL(f, delta, f);
    if (last == kErfMaxTerms) {
      DDSUB(delta, DDReal(1.0), t);
      DDABS(t, t);
      int ic;
      DDCOMPARE(t, tol, ic);
      if (ic <= 0) last = n + n / 2 + 2;
    }
    if (n == kErfMaxTerms && last == kErfMaxTerms) detail::fail(limit_msg, {kFraction, kErfMaxTerms});
  }
  DDReal mz2, ex, pi, rp, num, den;
  DDNEG(z2, mz2);
  DDEXP(mz2, ex);
  DDMULD(z, 2.0, num);
  DDMUL(num, ex, num);
  DDPI(pi);
  DDSQRT(pi, rp);
  DDMUL(rp, f, den);
  DDDIV(num, den, y);
}

}  // namespace

void DDERFR(const DDReal& z, DDReal& y) {
  const DDReal x = z;
  int ic1, ic2, ic3;
  DDCOMPARE(x, DDReal(9.0), ic1);
  DDCOMPARE(x, DDReal(-9.0), ic2);
  DDCOMPARE(x, DDReal(9.0), ic3);
  if (DDSIGN(x) == 0) {
    y = DDReal(0.0);
  } else if (ic1 > 0) {
    DDJOINEXP(1.0, 0, y);
  } else if (ic2 < 0) {
    DDJOINEXP(-1.0, 0, y);
  } else {
    DDReal z2, s, e, t;
    DDMUL(x, x, z2);
    if (ic3 < 0) {
      if (erf_series(x, z2, kConvergent, msg::kErfIterLimit, s)) {
        erf_scale(z2, e);
        DDMULD(s, 2.0, t);
        DDDIV(t, e, y);
        return;
      }
      // |z| > 6.75: erf = 1 - erfc, erfc below 2e-21.
      DDReal ax, c;
      DDABS(x, ax);
      erfc_fraction(ax, z2, msg::kErfIterLimit, c);
      DDSUB(DDReal(1.0), c, t);
      if (x.hi < 0.0) DDNEG(t, t);
      y = t;
    } else {  // z = 9
      erf_series(x, z2, kAsymptotic, msg::kErfIterLimit, s);
      erf_scale(z2, e);
      DDDIV(s, e, t);
      DDSUB(DDReal(1.0), t, t);
      if (x.hi < 0.0) DDNEG(t, t);
      y = t;
    }
  }
}

void DDERFCR(const DDReal& z, DDReal& y) {
  const DDReal x = z;
  int ic2, ic3;
  DDCOMPARE(x, DDReal(-9.0), ic2);
  DDCOMPARE(x, DDReal(9.0), ic3);
  if (DDSIGN(x) == 0) {
    DDJOINEXP(1.0, 0, y);
    return;
  }
  if (ic2 < 0) {
    DDJOINEXP(2.0, 0, y);
    return;
  }
  DDReal z2, s, e, t;
  DDMUL(x, x, z2);
  if (ic3 >= 0) {
    // z >= 9: the asymptotic series; e^{z^2} leaves the exponential's range
    // at z^2 = 300, where erfc z < 1e-131.
    if (z2.hi >= 300.0) {
      y = DDReal(0.0);
      return;
    }
    erf_series(x, z2, kAsymptotic, msg::kErfcIterLimit, s);
    erf_scale(z2, e);
    DDDIV(s, e, y);
    return;
  }
  if (x.hi >= kErfcFractionFrom) {
    erfc_fraction(x, z2, msg::kErfcIterLimit, y);
    return;
  }
  if (erf_series(x, z2, kConvergent, msg::kErfcIterLimit, s)) {
    erf_scale(z2, e);
    DDMULD(s, 2.0, t);
    DDDIV(t, e, t);
    DDSUB(DDReal(1.0), t, y);
    return;
  }
  // z < -6.75: erfc z = 2 - erfc |z|.
  DDReal ax, c;
  DDABS(x, ax);
  erfc_fraction(ax, z2, msg::kErfcIterLimit, c);
  DDSUB(DDReal(2.0), c, y);
}

}  // namespace dd
