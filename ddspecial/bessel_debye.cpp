// J and Y of large order by Debye's expansions: beside the turning point
// nu = x directly, within a band around it by the three-term recurrence from
// the nearest orders where the expansions reach working precision.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/kernels.hpp"
#include "ddspecial/bessel_debye_impl.hpp"
#include "ddspecial/bessel_impl.hpp"
#include "ddspecial/multiword_impl.hpp"

namespace dd::detail::bessel {

namespace {

// ---- three-double numbers for the oscillatory phase ------------------------------
//
// The phase w - nu atan(w/nu) - pi/4 reaches the size of x, and J's relative
// error is the phase's absolute error: it is formed to about 2^-150 relative
// in three doubles.  Every sum goes through td_sum, whose error-free additions
// keep the exact sum of their vector; products keep their rounding errors
// (prod_err) down to the third word.

struct Td {
  double w[3];
};

Td td(const DDReal& a) noexcept { return Td{{a.hi, a.lo, 0.0}}; }
Td td_neg(const Td& a) noexcept { return Td{{-a.w[0], -a.w[1], -a.w[2]}}; }
DDReal dd_of(const Td& a) noexcept { return DDReal(a.w[0], a.w[1]); }

/// The sum of v[0..n) as three doubles (v is overwritten).  Each word is the
/// sum of what the vector still holds after three passes of error-free
/// additions toward its last element, which then leaves the vector.
Td td_sum(double* v, int n) noexcept {
  Td r{{0.0, 0.0, 0.0}};
  for (int word = 0; word < 3 && n > 0; ++word, --n) {
    for (int pass = 0; pass < 3; ++pass) {
      for (int i = 1; i < n; ++i) {
        const double s = v[i] + v[i - 1];
        v[i - 1] = detail::two_sum_err(v[i], v[i - 1], s);
        v[i] = s;
      }
    }
    r.w[word] = v[n - 1];
  }
  return r;
}

Td td_add(const Td& a, const Td& b) noexcept {
  double v[6] = {a.w[2], b.w[2], a.w[1], b.w[1], a.w[0], b.w[0]};
  return td_sum(v, static_cast<int>(std::size(v)));
}

Td td_mul(const Td& a, const Td& b) noexcept {
  double v[14];
  int n = 0;
  v[n++] = a.w[1] * b.w[2];
  v[n++] = a.w[2] * b.w[1];
  for (int s = 2; s >= 0; --s) {
    for (int i = 0; i <= s; ++i) {
      const double p = a.w[i] * b.w[s - i];
      v[n++] = detail::prod_err(a.w[i], b.w[s - i], p);
      v[n++] = p;
    }
  }
  return td_sum(v, n);
}

/// a - q b for a double q.
Td td_sub_mul(const Td& a, double q, const Td& b) noexcept {
  double v[9];
  int n = 0;
  for (int i = 2; i >= 0; --i) {
    const double p = q * b.w[i];
    v[n++] = -detail::prod_err(q, b.w[i], p);
    v[n++] = -p;
    v[n++] = a.w[i];
  }
  return td_sum(v, n);
}

Td td_div(const Td& a, const Td& b) noexcept {
  double q[3];
  Td r = a;
  for (double& qi : q) {
    qi = r.w[0] / b.w[0];
    r = td_sub_mul(r, qi, b);
  }
  double v[3] = {q[2], q[1], q[0]};
  return td_sum(v, static_cast<int>(std::size(v)));
}

/// sqrt(a), a > 0, by two Newton steps y <- y + (a - y^2) / (2y) from the binary64 root.
Td td_sqrt(const Td& a) noexcept {
  Td y{{std::sqrt(a.w[0]), 0.0, 0.0}};
  for (int step = 0; step < 2; ++step) {
    const Td r = td_add(a, td_neg(td_mul(y, y)));
    y = td_add(y, Td{{r.w[0] / (2.0 * y.w[0]), 0.0, 0.0}});
  }
  return y;
}

/// a - b from the exact words of two double-doubles.
Td td_diff(const DDReal& a, const DDReal& b) noexcept {
  double v[4] = {a.lo, -b.lo, a.hi, -b.hi};
  return td_sum(v, static_cast<int>(std::size(v)));
}

Td td_table(const double (&t)[3]) noexcept { return Td{{t[0], t[1], t[2]}}; }

/// a less the nearest whole number of turns (2 pi in three doubles).
Td td_less_turns(const Td& a) noexcept {
  const double turns = std::nearbyint(a.w[0] / (4.0 * kHalfPi3[0]));
  return td_sub_mul(a, 4.0 * turns, td_table(kHalfPi3));
}

/// atan(num / den) for 0 <= num <= den, or atanh(num / den) (hyperbolic) for
/// 0 <= num / den <= 63.5/64: the table's value at c = j/64 plus atan(u),
/// u = (num - c den) / (den + c num), or atanh(u), u = (num - c den) / (den - c num),
/// |u| <= 1/128; u +- u^3/3 in three doubles, the rest of the series (below
/// 2^-37) in double-double.
Td td_arc_ratio(const Td& num, const Td& den, bool hyperbolic) noexcept {
  const double j = std::nearbyint(64.0 * (num.w[0] / den.w[0]));
  const double c = j / 64.0;
  const double sign = hyperbolic ? 1.0 : -1.0;  // of the odd powers' alternation
  const Td u = td_div(td_sub_mul(num, c, den), td_sub_mul(den, sign * c, num));
  const Td u3 = td_div(td_mul(u, td_mul(u, u)), Td{{3.0, 0.0, 0.0}});
  // u^5 sum_{k>=0} (+-1)^k u^2k / (2k+5): ten terms reach 2^-150 for |u| <= 1/128.
  const DDReal ud = dd_of(u);
  DDReal u2, s(0.0), t;
  DDMUL(ud, ud, u2);
  for (int k = 9; k >= 0; --k) {
    DDMUL(s, u2, s);
    DDDIV(DDReal(k % 2 == 0 || hyperbolic ? 1.0 : -1.0), DDReal(2.0 * k + 5.0), t);
    DDADD(s, t, s);
  }
  DDMUL(s, u2, s);
  DDMUL(s, u2, s);
  DDMUL(s, ud, t);
  // A second reduction (td_atanh_ratio) may come in below its point: the
  // odd functions take the table's entry at |j| with j's sign.
  const int ji = static_cast<int>(std::fabs(j));
  Td tab = td_table(hyperbolic ? kAtanhTable[ji] : kAtanTable[ji]);
  if (j < 0.0) tab = td_neg(tab);
  double v[11] = {t.lo,   t.hi,   sign * u3.w[2], sign * u3.w[1], sign * u3.w[0], u.w[2], u.w[1], u.w[0],
                  tab.w[2], tab.w[1], tab.w[0]};
  return td_sum(v, 11);
}

Td td_atan_ratio(const Td& num, const Td& den) noexcept { return td_arc_ratio(num, den, false); }

/// atanh(num / den) for 0 <= num / den <= 63.5/64: atanh(c) + atanh(v),
/// c = j/64 nearest, v = (num - c den) / (den - c num).  v reaches
/// (1/128) / (1 - (num/den)^2), 0.026 at the 0.834 of K's band: the second
/// reduction, by td_arc_ratio, brings it to 1/128 again.
Td td_atanh_ratio(const Td& num, const Td& den) noexcept {
  const double j = std::nearbyint(64.0 * (num.w[0] / den.w[0]));
  const double c = j / 64.0;
  const Td v = td_arc_ratio(td_sub_mul(num, c, den), td_sub_mul(den, c, num), true);
  return td_add(v, td_table(kAtanhTable[static_cast<int>(j)]));
}

/// out = p 2^e; false (out unset) where |p 2^e| passes the splitting limit.
bool scaled_within_range(const DDReal& p, int e, DDReal& out) noexcept {
  if (std::fabs(p.hi) >= std::ldexp(detail::kSplitLimit, -std::clamp(e, -2000, 2000))) return false;
  out = scale2(p, e);
  return true;
}

/// a - b from both words, rounded once more: beyond x = 2^53 orders near x
/// differ from it in the low words, and from about 2^80 the whole band
/// around the turning point lies within one unit of x.hi.
double word_gap(const DDReal& a, const DDReal& b) noexcept { return (a.hi - b.hi) + (a.lo - b.lo); }

// ---- the sums ---------------------------------------------------------------------------

/// T_k = h^k sum_j c_kj y^j, k = 1 .. kDebyeTerms-1 (T_0 = 1 is left to the
/// caller): u_k(t) / nu^k with h = t/nu and y = t^2 (monotone side), or
/// u_k(ip) / (i^k nu^k) with h = p/nu and y = -p^2 (oscillatory side).
/// sum[0] = sum T_k, sum[1] = sum (-1)^k T_k, sum[2] = sum (-1)^m T_2m,
/// sum[3] = sum (-1)^m T_2m+1.  False where the terms stop falling, or run
/// out, before one falls below 2^-108 (with allow_dips, where the terms
/// stop falling over two steps: at small p a term may dip near a zero of its
/// polynomial and the next one rise above it).  With terms, exactly *terms terms
/// when it is positive (the terms must still fall), else the count taken is
/// stored there.  Where |y| > 1 the polynomials run in
/// 1/y, T_k = (h y)^k sum_j c_kj y^(j-k): y^k alone would overflow at large
/// orders (y near nu^(2/3) at the band's edge), while h y = t^3/nu stays small.
bool debye_sums(const DDReal& h, const DDReal& y, DDReal (&sum)[4], int* terms, bool allow_dips = false) noexcept {
  const int fixed = terms != nullptr ? *terms : 0;
  for (DDReal& s : sum) s = DDReal(0.0);
  const bool reversed = std::fabs(y.hi) > 1.0;
  DDReal g = h, z = y;
  if (reversed) {
    DDMUL(h, y, g);
    DDDIV(DDReal(1.0), y, z);
  }
  DDReal gk = g;
  double last = HUGE_VAL, before = HUGE_VAL;
  for (int k = 1; k < (fixed > 0 ? fixed : kDebyeTerms); ++k) {
    const double(*c)[2] = kDebyeCoef + k * (k + 1) / 2;
    const int first = reversed ? 0 : k;
    DDReal p(c[first][0], c[first][1]);
    for (int i = 1; i <= k; ++i) {
      const int j = reversed ? i : k - i;
      DDMUL(p, z, p);
      DDADD(p, DDReal(c[j][0], c[j][1]), p);
    }
    DDReal t;
    DDMUL(p, gk, t);
    DDMUL(gk, g, gk);
    const double at = std::fabs(t.hi);
    if (k > 2 && at > (allow_dips ? std::max(last, before) : last)) return false;
    before = last;
    last = at;
    DDReal mt;
    DDNEG(t, mt);
    DDADD(sum[0], t, sum[0]);
    DDADD(sum[1], k % 2 == 0 ? t : mt, sum[1]);
    DDADD(sum[2 + k % 2], (k / 2) % 2 == 0 ? t : mt, sum[2 + k % 2]);
    if (fixed == 0 && at <= 0x1p-108) {
      if (terms != nullptr) *terms = k + 1;
      return true;
    }
  }
  return fixed > 0;
}

// ---- the monotone side, nu > x ------------------------------------------------------------
//
// J's relative error there is the absolute error of its exponent E, up to
// 745: E is formed in three doubles where it matters (below 2^-106 E), and
// e^-E as 2^-n e^-r with r = E - n ln 2 reduced in three doubles.

/// a^2 - b^2 = (a - b)(a + b) from the exact words.
Td td_square_difference(const DDReal& a, const DDReal& b) noexcept {
  double v[4] = {a.lo, b.lo, a.hi, b.hi};
  return td_mul(td_diff(a, b), td_sum(v, 4));
}

/// E = nu (alpha - tanh alpha) with tanh alpha = s = sq / nu, sq^2 = q: for
/// s^2 < 9/16 (sq^3 / nu^2) (1/3 + sum_{k>=1} s^2k / (2k+3)), the first term
/// in three doubles, the rest (below 0.3 E) in double-double; beyond (where E
/// passes nu / 5, so J underflows and Y overflows from nu = 3700 on)
/// nu ln((nu + sq) / x) - sq.
Td monotone_exponent(const DDReal& nu, const DDReal& x, const Td& q, const Td& sq) {
  const DDReal sqd = dd_of(sq);
  DDReal s, s2, r;
  DDDIV(sqd, nu, s);
  DDMUL(s, s, s2);
  if (s2.hi < 0.5625) {
    const Td cube = td_div(td_mul(q, sq), td_mul(td(nu), td(nu)));  // sq^3 / nu^2
    DDReal sum(0.0), term = s2;
    for (int k = 1; k < 400; ++k) {
      DDReal t;
      DDDIVD(term, 2.0 * k + 3.0, t);
      DDADD(sum, t, sum);
      if (std::fabs(t.hi) <= 0x1p-110 * sum.hi) break;
      DDMUL(term, s2, term);
    }
    DDMUL(dd_of(cube), sum, r);
    return td_add(td_div(cube, Td{{3.0, 0.0, 0.0}}), td(r));
  }
  DDReal a;
  DDADD(nu, sqd, a);
  DDDIV(a, x, a);
  DDLOG(a, a);
  DDMUL(nu, a, a);
  DDSUB(a, sqd, r);
  return td(r);
}

/// e^z - 1 by its series, for |z| < 1/2.
DDReal expm1_small(const DDReal& z) {
  DDReal sum = z, t = z;
  for (int k = 2; k < 200; ++k) {
    DDMUL(t, z, t);
    DDDIVD(t, static_cast<double>(k), t);
    DDADD(sum, t, sum);
    if (std::fabs(t.hi) <= 0x1p-110 * std::fabs(sum.hi)) break;
  }
  return sum;
}

/// e^a = p 2^e for |a| up to a few thousand: a = e ln 2 + r in three doubles,
/// p = 1 + (e^r - 1) by the series (about 1 unit; DDEXP's own reduction leaves up to 7).
void exp_td(const Td& a, DDReal& p, int& e) {
  const double n = std::nearbyint(a.w[0] / kLn2_3[0]);
  const Td r = td_sub_mul(a, n, td_table(kLn2_3));
  DDADD(expm1_small(dd_of(r)), DDReal(1.0), p);
  e = static_cast<int>(n);
}

/// What the monotone expansion needs of one order: nu^2 - x^2, its root,
/// the exponent E and the sums without their first term (see debye_sums).
struct Monotone {
  Td q, e_alpha;
  DDReal sq, sums[4];
};

/// False where the sums do not reach working precision (m.sums unset), or
/// where E passes cut (m.e_alpha set).  terms as for debye_sums.
bool monotone_parts(const DDReal& nu, const DDReal& x, double cut, Monotone& m, int* terms = nullptr) {
  // From nu = 2^300 on, q sq (about nu^3 s^3, s^2 up to 9/16, in
  // monotone_exponent) nears the range's end (from about 2^342 the exponent
  // came out NaN, and J_1.9e174(1.6e174) said "Result overflows" instead of
  // 0), and from 2^498 nu^2 passes it: q, sq and E from nu and x scaled by
  // 2^-k to an order near 2^300, exactly (E, down to 47 beside the band,
  // keeps three normal words), then scaled back (q to infinity where it
  // leaves the range).
  const int k = nu.hi > 0x1p300 ? std::ilogb(nu.hi) - 300 : 0;
  const DDReal ns = k != 0 ? scale2(nu, -k) : nu, xs = k != 0 ? scale2(x, -k) : x;
  m.q = td_square_difference(ns, xs);
  Td sq3 = td_sqrt(m.q);
  m.e_alpha = monotone_exponent(ns, xs, m.q, sq3);
  for (int i = 0; i < 3 && k != 0; ++i) {
    m.q.w[i] = std::ldexp(m.q.w[i], 2 * k);
    sq3.w[i] = std::ldexp(sq3.w[i], k);
    m.e_alpha.w[i] = std::ldexp(m.e_alpha.w[i], k);
  }
  m.sq = dd_of(sq3);
  if (m.e_alpha.w[0] > cut) return false;
  DDReal h, t, y;
  DDDIV(DDReal(1.0), m.sq, h);  // t / nu
  DDMUL(nu, h, t);
  DDMUL(t, t, y);
  return debye_sums(h, y, m.sums, terms);
}

/// J or Y of order nu > x by Debye's monotone expansion:
///   J = e^-E sum_k T_k / sqrt(2 pi sq),  Y = -e^E sum_k (-1)^k T_k sqrt(2 / (pi sq)),
/// sq = sqrt(nu^2 - x^2), T_k = u_k(nu/sq) / nu^k.  The value is p 2^e.
DebyeStatus monotone(const DDReal& nu, const DDReal& x, bool want_y, DDReal& p, int& e) {
  // J below the smallest subnormal; Y's factor sqrt(2 / (pi sq)) is above
  // e^-350 for sq up to 1e300.
  const double cut = want_y ? 3000.0 : 800.0;
  Monotone m;
  if (!monotone_parts(nu, x, cut, m)) {
    if (!(m.e_alpha.w[0] > cut)) return DebyeStatus::refused;
    if (want_y) return DebyeStatus::overflow;
    p = DDReal(0.0);
    e = 0;
    return DebyeStatus::ok;
  }
  DDReal pi, a, ex, sum;
  DDPI(pi);
  DDMUL(pi, m.sq, a);
  if (want_y) {
    DDDIV(DDReal(2.0), a, a);
    DDSQRT(a, a);
    DDNEG(a, a);
    DDADD(m.sums[1], DDReal(1.0), sum);
    DDMUL(a, sum, a);
    exp_td(m.e_alpha, ex, e);
  } else {
    DDMULD(a, 2.0, a);
    DDSQRT(a, a);
    DDADD(m.sums[0], DDReal(1.0), sum);
    DDDIV(sum, a, a);
    exp_td(td_neg(m.e_alpha), ex, e);
  }
  DDMUL(a, ex, p);
  return DebyeStatus::ok;
}

// ---- the oscillatory side, nu < x ---------------------------------------------------------

/// What the oscillatory expansion needs of one order: x^2 - nu^2 = w^2 (not
/// where far_phase forms the phase, nor from x = 2^500 on), the phase
/// xi = w - nu atan(w/nu) - pi/4 (modulo 2 pi; from far_phase less x's
/// quadrants), its cosine and sine, sqrt(2/(pi w)) and the sums without
/// their first term (see debye_sums).
struct Oscillatory {
  Td q, xi;
  DDReal w, c, s, amp, sums[4];
};

/// c and s of o from its phase o.xi plus quarter quadrants (modulo 2 pi).
void phase_cos_sin(Oscillatory& o, int quarter = 0) {
  const Td& xi = o.xi;
  DDReal r(xi.w[0], xi.w[1]);
  int q = 0;
  if (std::fabs(xi.w[0]) > 0.75) q = detail::reduce_half_pi(DDReal(xi.w[0], xi.w[1]), r);
  DDADD(r, DDReal(xi.w[2]), r);
  DDReal cr, sr;
  detail::cos_sin_accurate(r, &cr, &sr);
  // xi = q pi/2 + r.
  q = (q + quarter) % 4;
  const DDReal ncr(-cr.hi, -cr.lo), nsr(-sr.hi, -sr.lo);
  const DDReal cos_xi[4] = {cr, nsr, ncr, sr};
  const DDReal sin_xi[4] = {sr, cr, nsr, ncr};
  o.c = cos_xi[q];
  o.s = sin_xi[q];
}

/// q, w, xi, c and s of o.
void oscillatory_phase(const DDReal& nu, const DDReal& x, Oscillatory& o) {
  o.q = td_square_difference(x, nu);
  const Td w = td_sqrt(o.q);
  o.w = dd_of(w);
  const Td tnu = td(nu);
  Td big;  // the phase less pi/4
  if (w.w[0] <= nu.hi) {
    big = td_add(w, td_neg(td_mul(tnu, td_atan_ratio(w, tnu))));
  } else {
    // nu atan(w/nu) = nu pi/2 - nu atan(nu/w), with nu pi/2 = f pi/2 modulo 2 pi, f = nu modulo 4.
    const Td f{{std::fmod(nu.hi, 4.0), nu.lo, 0.0}};
    big = td_add(td_add(w, td_mul(tnu, td_atan_ratio(tnu, w))), td_neg(td_mul(f, td_table(kHalfPi3))));
  }
  o.xi = td_add(big, td_neg(td_table(kQuarterPi3)));
  phase_cos_sin(o);
}

/// Largest s = nu/x and x h(s) (about nu^2 / (2x)) of far_phase: the series
/// of h reaches 2^-150 within kPhaseCoef's terms, and three doubles carry
/// x h(s) to 2^-95 absolute.
constexpr double kFarPhaseMaxRatio = 0.125;
constexpr double kFarPhaseMaxTail = 0x1p55;

/// As oscillatory_phase for x beyond kDebyeMaxPhaseArg, where w and
/// nu atan(w/nu) are too large for three doubles to carry their difference
/// to 2^-95: xi = x - nu pi/2 - pi/4 + x h(s), s = nu/x,
/// h(s) = sqrt(1 - s^2) - s acos(s) - 1 + s pi/2 = s^2 sum_k c_k s^2k, with x
/// reduced exactly modulo pi/2, nu pi/2 as (nu modulo 4) pi/2 (both words)
/// and x h(s) = nu s sum_k c_k s^2k in three doubles.  o.xi is left modulo
/// 2 pi less x's quadrants.  False where s or x h(s) passes its bound above.
bool far_phase(const DDReal& nu, const DDReal& x, Oscillatory& o) {
  const Td s = td_div(td(nu), td(x));
  if (!(s.w[0] <= kFarPhaseMaxRatio)) return false;
  const Td s2 = td_mul(s, s);
  int n = 1;  // terms: until c_n s^2n falls below 2^-152
  for (double t = s2.w[0]; n < static_cast<int>(std::size(kPhaseCoef)) && t * kPhaseCoef[n][0] > 0x1p-152; ++n) {
    t *= s2.w[0];
  }
  Td sum = td_table(kPhaseCoef[n - 1]);
  for (int k = n - 2; k >= 0; --k) sum = td_add(td_mul(sum, s2), td_table(kPhaseCoef[k]));
  Td tail = td_mul(td_mul(td(nu), s), sum);
  if (!(tail.w[0] < kFarPhaseMaxTail)) return false;
  tail = td_less_turns(tail);
  DDReal rx;
  const int quarter = detail::reduce_half_pi(x, rx);
  double fv[2] = {std::fmod(nu.lo, 4.0), std::fmod(nu.hi, 4.0)};
  const Td f = td_sum(fv, 2);
  const Td part = td_add(td(rx), td_neg(td_mul(f, td_table(kHalfPi3))));
  o.xi = td_add(td_add(part, td_neg(td_table(kQuarterPi3))), tail);
  // w = x sqrt(1 - s^2) needs no more than double-double (o.q, which only
  // the band takes, is left unset: its orders are near x, beyond this form).
  DDReal c;
  DDSUB(DDReal(1.0), dd_of(s2), c);
  DDSQRT(c, c);
  DDMUL(x, c, o.w);
  phase_cos_sin(o, quarter);
  return true;
}

namespace mw = multiword;

/// a as three doubles (a normalised sum).
Td td_of(const mw::Number& a) noexcept {
  double w[3];
  mw::words(a, w);
  double v[3] = {w[2], w[1], w[0]};
  return td_sum(v, 3);
}

/// As oscillatory_phase where far_phase does not reach: w^2 = (x - nu)(x + nu),
/// w and nu atan(w/nu) in a multiword number with bits down to about
/// 2^-150 (x up to the splitting limit), and the phase in quarter turns,
/// xi 2/pi = (w - nu atan(w/nu)) 2/pi - 1/2, less a multiple of 4: o.xi is
/// xi modulo 2 pi, in [-pi/4, 7pi/4).  About 2^-140 absolute.  o.q (only
/// the band takes it) is set where x^2 is within the range.
void multiword_phase(const DDReal& nu, const DDReal& x, Oscillatory& o) {
  const int n = mw::limbs_for(std::ilogb(x.hi) + 150);
  const mw::Number xm = mw::from_dd(x, n), num = mw::from_dd(nu, n);
  const mw::Number q = mw::mul(mw::sub(xm, num), mw::add(xm, num));
  const mw::Number w = mw::sqrt(q);
  const mw::Number big = mw::sub(w, mw::mul(num, mw::arc_ratio(w, num, false)));
  const Td quarters = td_add(td_of(mw::modulo4(mw::mul(big, mw::two_over_pi(n)))), Td{{-0.5, 0.0, 0.0}});
  o.xi = td_mul(quarters, td_table(kHalfPi3));
  if (x.hi < 0x1p500) o.q = td_of(q);
  o.w = dd_of(td_of(w));
  phase_cos_sin(o);
}

/// False where nu >= x or where the sums do not reach working precision.
/// terms as for debye_sums.
bool oscillatory_parts(const DDReal& nu, const DDReal& x, Oscillatory& o, int* terms = nullptr) {
  if (!(word_gap(x, nu) > 0.0)) return false;
  if (x.hi <= kDebyeMaxPhaseArg) {
    oscillatory_phase(nu, x, o);
  } else if (!far_phase(nu, x, o)) {
    multiword_phase(nu, x, o);
  }
  DDReal h, p, y;
  DDDIV(DDReal(1.0), o.w, h);  // p / nu
  DDMUL(nu, h, p);
  DDMUL(p, p, y);
  DDNEG(y, y);
  if (!debye_sums(h, y, o.sums, terms)) return false;
  o.amp = bessel_amplitude(o.w);
  return true;
}

/// J (want_y false) or Y from the parts:
///   J = sqrt(2/(pi w)) (P cos xi + Q sin xi),  Y = sqrt(2/(pi w)) (P sin xi - Q cos xi),
/// P = sum_m (-1)^m v_2m(p) / nu^2m, Q = sum_m (-1)^m v_2m+1(p) / nu^2m+1,
/// with u_k(ip) = i^k v_k(p), p = nu / w.
DDReal oscillatory_value(const Oscillatory& o, bool want_y) {
  DDReal p, r;
  DDADD(o.sums[2], DDReal(1.0), p);
  r = want_y ? sum_of_products(p, o.s, o.sums[3], o.c, false) : sum_of_products(p, o.c, o.sums[3], o.s, true);
  DDMUL(o.amp, r, r);
  return r;
}

/// J or Y of order nu < x by Debye's oscillatory expansion.
DebyeStatus oscillatory(const DDReal& nu, const DDReal& x, bool want_y, DDReal& out) {
  Oscillatory o;
  if (!oscillatory_parts(nu, x, o)) return DebyeStatus::refused;
  out = oscillatory_value(o, want_y);
  return DebyeStatus::ok;
}

/// Half-width of the band around the turning point, in units of nu^(1/3),
/// outside which the expansions reach 2^-108 within kDebyeTerms terms.
constexpr double kBandWidth = 14.0;

double band_half_width(const DDReal& nu) noexcept { return kBandWidth * std::cbrt(nu.hi); }

/// f at order v + steps*dir from f = f_v and d = f_v - f_{v-dir} by the
/// recurrence f_{v+dir} = (2v/x) f_v - f_{v-dir}, run in difference form:
///   D <- D + (2(v-x)/x) f,  f <- f + D,  D = f_v - f_{v-dir}.
/// Near the turning point 2v/x is close to 2 and f changes slowly from one
/// order to the next; the direct form would round 2 f_v - f_{v-dir} each
/// step, errors that the following steps carry on as a change of slope.
DDReal cross_band(const DDReal& x, const DDReal& v, double dir, DDReal f, DDReal d, double steps) {
  DDReal tx, vx = dd_of(td_diff(v, x));
  DDDIV(DDReal(2.0), x, tx);
  for (double k = 0.0; k < steps; k += 1.0) {
    DDReal t;
    DDMUL(vx, f, t);
    DDMUL(t, tx, t);
    DDADD(d, t, d);
    DDADD(f, d, f);
    DDADD(vx, DDReal(dir), vx);
  }
  return f;
}

/// One step count of the recurrence across the band; false beyond kDebyeMaxSteps.
bool band_steps(double span, double& m) noexcept {
  m = std::ceil(span);
  if (m < 1.0) m = 1.0;
  return m <= kDebyeMaxSteps;
}

/// J_nu, nu >= x, by J_{v-1} = (2v/x) J_v - J_{v+1} downward from the orders
/// N+1 and N = nu+m above the band, where J is the dominant solution downward.  An error in the ratio of
/// the two start values returns multiplied by about sqrt(x / d) / 3: so
/// J_N - J_{N+1} = J_N (1 - rho) is formed from ln rho = L_{N+1} - L_N,
/// L = -E - ln(nu^2 - x^2) / 4 + ln(1 + sum_k T_k), each difference taken
/// from its parts (E in three doubles, (N+1)^2 - N^2 = 2N + 1 exactly).
DebyeStatus j_band(const DDReal& nu, const DDReal& x, DDReal& out) {
  double d = band_half_width(nu);
  for (int widen = 0; widen < 3; ++widen, d *= 1.5) {
    double m;
    if (!band_steps(x.hi <= 0x1p53 ? x.hi + d - nu.hi : word_gap(x, nu) + d, m)) return DebyeStatus::refused;
    DDReal top, top1;
    DDADD(nu, DDReal(m), top);
    DDADD(top, DDReal(1.0), top1);
    // The same number of terms for both orders: a difference in where the
    // sums stop would pass into their ratio.
    Monotone a, b;
    int terms = 0;
    if (!monotone_parts(top, x, 700.0, a, &terms) || !monotone_parts(top1, x, 700.0, b, &terms)) continue;
    DDReal pi, f, ex, s0, t, lr, z;
    DDPI(pi);
    DDMUL(pi, a.sq, t);
    DDMULD(t, 2.0, t);
    DDSQRT(t, t);
    DDADD(a.sums[0], DDReal(1.0), s0);
    DDDIV(s0, t, f);
    int e;
    exp_td(td_neg(a.e_alpha), ex, e);
    DDMUL(f, ex, f);
    f = scale2(f, e);  // near e^-50 at the band's edge: a normal number
    lr = dd_of(td_add(a.e_alpha, td_neg(b.e_alpha)));
    DDMULD(top, 2.0, z);
    DDADD(z, DDReal(1.0), z);
    DDDIV(z, dd_of(a.q), z);
    DDMULD(detail::log1p_series(z), 0.25, t);
    DDSUB(lr, t, lr);
    DDSUB(b.sums[0], a.sums[0], z);
    DDDIV(z, s0, z);
    DDADD(lr, detail::log1p_series(z), lr);
    DDReal diff;  // J_N - J_{N+1} = -J_N expm1(ln rho)
    DDMUL(f, expm1_small(lr), diff);
    DDNEG(diff, diff);
    out = cross_band(x, top, -1.0, f, diff, m);
    return DebyeStatus::ok;
  }
  return DebyeStatus::refused;
}

/// Y_nu, or J_nu for nu < x, by f_{v+1} = (2v/x) f_v - f_{v-1} upward from
/// the orders L = nu-m and L+1 below the band, where Y is the dominant
/// solution upward and neither grows below x.  As for J above x, the
/// difference of the start values comes from the parts: with
/// H = J + iY = A (P - iQ) e^{i xi}, H_{L+1} = H_L rho,
/// ln rho = ln(A'/A) + ln((P' - iQ') / (P - iQ)) + i (xi' - xi),
/// Y_{L+1} - Y_L = J_L Im(rho - 1) + Y_L Re(rho - 1),
/// J_{L+1} - J_L = J_L Re(rho - 1) - Y_L Im(rho - 1).
DebyeStatus oscillatory_band(const DDReal& nu, const DDReal& x, bool want_y, DDReal& out) {
  double d = band_half_width(nu);
  for (int widen = 0; widen < 3; ++widen, d *= 1.5) {
    double m;
    if (!band_steps(x.hi <= 0x1p53 ? nu.hi - (x.hi - d) : word_gap(nu, x) + d, m) || m >= nu.hi) {
      return DebyeStatus::refused;
    }
    DDReal low, low1;
    DDSUB(nu, DDReal(m), low);
    DDADD(low, DDReal(1.0), low1);
    Oscillatory a, b;  // the same number of terms for both, as in j_band
    int terms = 0;
    if (!oscillatory_parts(low, x, a, &terms) || !oscillatory_parts(low1, x, b, &terms)) continue;
    const DDReal ja = oscillatory_value(a, false), ya = oscillatory_value(a, true);
    // z = ((P' - P) - i (Q' - Q)) / (P - iQ).
    DDReal pr, nr, ni, zr, zi, t, u;
    const DDReal& q = a.sums[3];
    DDADD(a.sums[2], DDReal(1.0), pr);
    DDSUB(b.sums[2], a.sums[2], nr);
    DDSUB(a.sums[3], b.sums[3], ni);
    const DDReal den = sum_of_products(pr, pr, q, q, true);
    DDDIV(sum_of_products(nr, pr, ni, q, false), den, zr);
    DDDIV(sum_of_products(ni, pr, nr, q, true), den, zi);
    // Re ln rho = ln(A'/A) + ln|1 + z|, A'/A = (w^2 / w'^2)^(1/4), w'^2 = w^2 - (2L + 1).
    DDReal re, im;
    DDMULD(low, 2.0, t);
    DDADD(t, DDReal(1.0), t);
    DDDIV(t, dd_of(a.q), t);
    DDNEG(t, t);
    DDMULD(detail::log1p_series(t), -0.25, re);
    DDMULD(zr, 2.0, t);
    DDMUL(zr, zr, u);
    DDADD(t, u, t);
    DDMUL(zi, zi, u);
    DDADD(t, u, t);
    DDMULD(detail::log1p_series(t), 0.5, t);
    DDADD(re, t, re);
    // Im ln rho = arg(1 + z) + xi' - xi (reduced modulo 2 pi).
    DDADD(zr, DDReal(1.0), t);
    DDANG(t, zi, im);
    const Td dxi = td_less_turns(td_add(b.xi, td_neg(a.xi)));
    DDADD(im, dd_of(dxi), im);
    // rho - 1 = (e^re - 1) + (cos im - 1) + (e^re - 1)(cos im - 1) + i e^re sin im.
    DDReal em1, half, sh, ch, cm1, sim, rr, ri;
    em1 = expm1_small(re);
    DDMULD(im, 0.5, half);
    detail::cos_sin_accurate(half, &ch, &sh);
    DDMUL(sh, sh, cm1);
    DDMULD(cm1, -2.0, cm1);
    DDMUL(sh, ch, sim);
    DDMULD(sim, 2.0, sim);
    DDMUL(em1, cm1, rr);
    DDADD(rr, cm1, rr);
    DDADD(rr, em1, rr);
    DDADD(em1, DDReal(1.0), ri);
    DDMUL(ri, sim, ri);
    const DDReal df = want_y ? sum_of_products(ja, ri, ya, rr, true) : sum_of_products(ja, rr, ya, ri, false);
    DDReal f;
    DDADD(want_y ? ya : ja, df, f);
    f = cross_band(x, low1, 1.0, f, df, m - 1.0);
    if (!(std::fabs(f.hi) <= detail::kSplitLimit)) return DebyeStatus::overflow;
    out = f;
    return DebyeStatus::ok;
  }
  return DebyeStatus::refused;
}

// ---- K and I: the uniform expansion --------------------------------------------------
//
// K_nu(x) = sqrt(pi/(2 sq)) e^{-nu eta} sum_k (-1)^k u_k(p) / nu^k,
// I_nu(x) = e^{nu eta} / sqrt(2 pi sq) sum_k u_k(p) / nu^k,
// sq = sqrt(nu^2 + x^2), p = nu / sq, nu eta = sq - nu atanh(p).  K's
// relative error is nu eta's absolute error where it lies within the range
// (|nu eta| below ~750, x near 0.6627 nu): that difference of two terms of
// size nu is formed in three doubles, from nu and x scaled by 2^-k (exactly)
// to keep their squares in range.

/// Beyond this p = nu/sq the atanh table stops; there x < nu/7.9 and, for
/// orders above 1e5, nu eta < -1.7e5: K overflows and I is 0.
constexpr double kUniformMaxRatio = 63.5 / 64.0;
/// Largest order whose nu eta comes from three doubles: they carry it to
/// about 2^-152 nu, 2^-90 absolute at 2^64 (2^14 units of K there, 2^18 at
/// 1e20, 2^34 at 1e25).  Above it, where |nu eta| may be below 4000, nu eta
/// is formed again in a multiword number.
constexpr double kUniformMaxOrder = 0x1p64;

/// nu eta = sq - nu atanh(nu/sq), sq = sqrt(nu^2 + x^2), in a multiword
/// number with bits down to about 2^-140: about 2^-130 absolute for orders
/// up to the splitting limit.
Td multiword_exponent(const DDReal& nu, const DDReal& x) {
  const int n = mw::limbs_for(std::ilogb(std::max(nu.hi, x.hi)) + 140);
  const mw::Number num = mw::from_dd(nu, n), xm = mw::from_dd(x, n);
  const mw::Number sq = mw::sqrt(mw::add(mw::mul(num, num), mw::mul(xm, xm)));
  return td_of(mw::sub(sq, mw::mul(num, mw::arc_ratio(num, sq, true))));
}

}  // namespace

DebyeStatus bessel_uniform(const DDReal& nu, const DDReal& x, bool want_i, DDReal& out, bool allow_dips) {
  const int k = std::ilogb(std::max(nu.hi, x.hi));
  const DDReal ns(std::ldexp(nu.hi, -k), std::ldexp(nu.lo, -k)), xs(std::ldexp(x.hi, -k), std::ldexp(x.lo, -k));
  const Td q = td_add(td_mul(td(ns), td(ns)), td_mul(td(xs), td(xs)));
  const Td sq = td_sqrt(q);
  const bool huge = !(ns.hi / sq.w[0] <= kUniformMaxRatio);
  if (huge) {  // x << nu
    if (!want_i) return DebyeStatus::overflow;
    out = DDReal(0.0);
    return DebyeStatus::ok;
  }
  Td e = td_add(sq, td_neg(td_mul(td(ns), td_atanh_ratio(td(ns), sq))));
  for (double& w : e.w) w = std::ldexp(w, k);  // nu eta
  if (!(nu.hi <= kUniformMaxOrder) && std::fabs(e.w[0]) < 4000.0 + 0x1p-140 * nu.hi) e = multiword_exponent(nu, x);
  // Beyond +-800 the value is below the smallest subnormal (the factor is
  // below 1 from nu = 1e5 on); beyond -+3000 it overflows (the factor is
  // above e^-360 for sq up to 1e308).
  const double ex = want_i ? e.w[0] : -e.w[0];
  if (ex < -800.0) {
    out = DDReal(0.0);
    return DebyeStatus::ok;
  }
  if (ex > 3000.0) return DebyeStatus::overflow;
  DDReal p, h, y, sums[4];
  DDDIV(ns, dd_of(sq), p);
  DDDIV(DDReal(1.0), dd_of(sq), h);
  h = scale2(h, -k);  // p / nu
  DDMUL(p, p, y);
  if (!debye_sums(h, y, sums, nullptr, allow_dips)) return DebyeStatus::refused;
  // sqrt(pi/(2 sq)) or 1/sqrt(2 pi sq), sq = s 2^(2m) with s = sq' 2^(k-2m) of [1/2, 2).
  const int m = k >= 0 ? k / 2 : -((1 - k) / 2);
  DDReal pi, s, a, f, sum;
  DDPI(pi);
  s = scale2(dd_of(sq), k - 2 * m);
  if (want_i) {
    DDMUL(pi, s, a);
    DDMULD(a, 2.0, a);
    DDSQRT(a, a);
    DDDIV(DDReal(1.0), a, a);
  } else {
    DDMULD(s, 2.0, a);
    DDDIV(pi, a, a);
    DDSQRT(a, a);
  }
  DDADD(sums[want_i ? 0 : 1], DDReal(1.0), sum);
  DDMUL(a, sum, a);
  int n;
  exp_td(want_i ? e : td_neg(e), f, n);
  DDMUL(a, f, f);
  n -= m;
  return scaled_within_range(f, n, out) ? DebyeStatus::ok : DebyeStatus::overflow;
}

DebyeStatus bessel_debye(const DDReal& nu, const DDReal& x, bool want_y, DDReal& out) {
  const double d = band_half_width(nu);
  const double gap = word_gap(nu, x);
  if (gap >= d) {
    DDReal p;
    int e;
    const DebyeStatus st = monotone(nu, x, want_y, p, e);
    if (st == DebyeStatus::ok) {
      if (!want_y) {  // J's p 2^e is at most 1
        out = scale2(p, e);
        return st;
      }
      return scaled_within_range(p, e, out) ? st : DebyeStatus::overflow;
    }
    if (st == DebyeStatus::overflow) return st;
  } else if (-gap >= d) {
    if (oscillatory(nu, x, want_y, out) == DebyeStatus::ok) return DebyeStatus::ok;
    // Beyond the direct phase's reach the band's recurrence has no start
    // either: near the band, the expansion in Airy functions.
    if (!(x.hi <= kDebyeMaxPhaseArg)) return bessel_airy(nu, x, want_y, out);
  }
  // Across the band: J down from above it where nu >= x, else up from below it;
  // where that takes too many steps, by the expansion in Airy functions.
  // Beyond x = 2^48 the start below the band needs the multiword phase and
  // then up to 1.3e6 steps (40 ms, 2^8.5 units at order 1e15): the expansion
  // in Airy functions serves first there (3 us, 1 unit).
  const bool upward = want_y || nu.hi < x.hi;
  if (upward && !(x.hi <= kDebyeMaxPhaseArg) && bessel_airy(nu, x, want_y, out) == DebyeStatus::ok) {
    return DebyeStatus::ok;
  }
  const DebyeStatus st = upward ? oscillatory_band(nu, x, want_y, out) : j_band(nu, x, out);
  return st == DebyeStatus::refused ? bessel_airy(nu, x, want_y, out) : st;
}

}  // namespace dd::detail::bessel
