// The entry points of the Bessel routines: each picks the method for its
// order and argument (see bessel.hpp) and applies the sign rules.
#include "ddspecial/bessel.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddreal/rounding.hpp"
#include "ddspecial/bessel_impl.hpp"
#include "ddspecial/scaled_impl.hpp"

namespace dd {

namespace {

using namespace detail::bessel;

/// A DDReal order's integer when its fraction is zero and it lies within the
/// recurrences' reach: the hi word rounded half away from zero.  Larger
/// integral orders stay with the real-order routines (as an int they would
/// wrap around).
bool integral_order(const DDReal& nu, int& n) {
  if (!(std::fabs(nu.hi) <= kBesselMaxRecurrence)) return false;
  DDReal ip, fp;
  DDINFR(nu, ip, fp);
  if (fp.hi != 0.0) return false;
  n = static_cast<int>(std::lround(nu.hi));
  return true;
}

/// nu = ip + fp as DDINFR splits it, for every finite order: from 2^105 on
/// (where DDINFR stops) the hi word is whole and the lo word is split.
void split_order(const DDReal& nu, DDReal& ip, DDReal& fp) {
  if (std::fabs(nu.hi) < detail::kRoundBound) {
    DDINFR(nu, ip, fp);
    return;
  }
  DDReal li;
  split_order(DDReal(nu.lo), li, fp);
  ip = DDReal(nu.hi, li.hi);
}

/// True for an odd integral ip (from either word: from 2^53 on hi is even).
bool odd(const DDReal& ip) { return std::fmod(std::fmod(ip.hi, 2.0) + std::fmod(ip.lo, 2.0), 2.0) != 0.0; }

/// The nearest integer to an order as DDNINT rounds it, for every finite order.
DDReal nearest_order(const DDReal& nu) {
  DDReal m;
  if (std::fabs(nu.hi) < detail::kRoundBound) {
    DDNINT(nu, m);
    return m;
  }
  return DDReal(nu.hi, nearest_order(DDReal(nu.lo)).hi);
}

/// a 2^shift e^-x without a step outside the binary64 range (K e^x climbs
/// from values that e^-x would push below full precision near x = 665, and
/// past the range at large orders).
DDReal times_exp_minus(const DDReal& a, const DDReal& x, int shift) {
  if (!(std::fabs(a.hi) <= detail::kSplitLimit)) return a;
  DDReal p, mx, r;
  int e;
  DDNEG(x, mx);
  exp_scaled(mx, p, e);
  DDMUL(a, p, r);
  e += shift;
  if (std::fabs(r.hi) >= std::ldexp(detail::kSplitLimit, -std::min(e, 2000))) return DDReal(HUGE_VAL);
  return scale2(r, e);
}

/// NaN words for a NaN or infinite argument or order (no routine's method
/// applies to them); true when zz was so written.
bool not_finite(const DDReal& nu, const DDReal& rr, DDReal& zz) noexcept {
  if (std::isfinite(nu.hi) && std::isfinite(rr.hi) && std::isfinite(rr.lo)) return false;
  zz = DDReal(std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN());
  return true;
}

/// |nu| without overflow at INT_MIN.
long long magnitude(int nu) noexcept { return nu < 0 ? -static_cast<long long>(nu) : nu; }

/// True when |J_nu(x)| (modified false) or I_nu(x) (modified true), nu >= 0,
/// x > 0, is certainly below half the smallest subnormal: by the bound
/// (x/2)^nu / Gamma(nu+1), times e^{x^2/(4(nu+1))} for I.  A decision only,
/// with a wide margin, so binary64 logarithms do.
bool underflows(double nu, double x, bool modified) noexcept {
  double l = nu * std::log(x * 0.5) - std::lgamma(nu + 1.0);
  if (modified) l += (x * x) / (4.0 * (nu + 1.0));
  return l < -760.0;
}

/// True when the power series of Y_n or K_n may divide its finite sum a by
/// p = (x/2)^n as it does: p keeps a full low word (at least
/// detail::kLowWordLossLimit) and a / p stays within the kernels' range.
bool finite_sum_fits(const DDReal& a, const DDReal& p) noexcept {
  return std::fabs(p.hi) >= detail::kLowWordLossLimit && std::fabs(a.hi) <= detail::kSplitLimit * std::fabs(p.hi);
}

/// a / (d (x/2)^n) for n >= 1, with the power formed scaled from the exact
/// halving of x's normalised words, so that neither it nor the quotient
/// leaves the range on the way (infinite words beyond it).  Where the power
/// series of Y_n and K_n cannot divide its finite sum a by (x/2)^n
/// (finite_sum_fits), that quotient is the whole value to working precision:
/// their other terms are (x/2)^(2n) < 2^-400 times smaller.
DDReal finite_sum_over_power(int n, const DDReal& x, const DDReal& a, const DDReal& d) {
  const detail::Scaled sx = detail::to_scaled(x);
  detail::Scaled p = detail::pow_scaled(DDReal(0.5 * sx.m.hi, 0.5 * sx.m.lo), n);
  p.e += static_cast<std::int64_t>(n) * sx.e;
  return detail::to_dd(detail::div(detail::to_scaled(a), detail::mul(p, detail::to_scaled(d))));
}

/// Stops with msg unless |r| lies within the kernels' range.
void check_range(const DDReal& r, const char* msg) {
  if (!(std::fabs(r.hi) <= detail::kSplitLimit)) detail::fail(msg);
}

/// J_nu or Y_nu (want_y) of a real order (any size) at x by Hankel's
/// expansion where x passes the switch and it reaches working precision.
bool hankel_real(const DDReal& nu, const DDReal& x, bool want_y, const char* loop2, DDReal& out) {
  if (below_switch(x)) return false;
  DDReal mu, hp;
  real_order_hankel_args(nu, mu, hp);
  return hankel(mu, hp, x, want_y, loop2, out);
}

/// I_nu or K_nu (k_form) by the large-argument series where x passes the
/// switch and it reaches working precision.
bool ik_real(const DDReal& nu, const DDReal& x, bool k_form, const char* loop2, DDReal& out) {
  if (below_switch(x)) return false;
  DDReal mu;
  DDMUL(nu, nu, mu);
  DDMULD(mu, 4.0, mu);
  return ik_asymptotic(mu, x, k_form, loop2, out);
}

/// nu = mu + n with n = floor(nu) and 0 <= mu < 1 (nu >= 0).
int split_floor(const DDReal& nu, DDReal& mu) {
  DDReal ip;
  DDINFR(nu, ip, mu);
  return static_cast<int>(ip.hi);
}

/// |nu| = nl + mu with nl the nearest integer, |mu| <= 1/2.
int split_nearest(const DDReal& nu, DDReal& mu) {
  DDReal av, nl;
  DDABS(nu, av);
  DDNINT(av, nl);
  DDSUB(av, nl, mu);
  return static_cast<int>(nl.hi);
}

/// r where st is ok, else stops with overflow_msg or order_msg.
const DDReal& checked(DebyeStatus st, const DDReal& r, const char* order_msg, const char* overflow_msg) {
  if (st == DebyeStatus::overflow) detail::fail(overflow_msg);
  if (st != DebyeStatus::ok) detail::fail(order_msg);
  return r;
}

/// J_nu or Y_nu (want_y) for nu > 0 by Debye's expansions: stops with
/// order_msg where they do not reach (see bessel_debye), with overflow_msg
/// where |Y| passes the splitting limit.
DDReal debye(const DDReal& nu, const DDReal& x, bool want_y, const char* order_msg, const char* overflow_msg) {
  DDReal r;
  return checked(bessel_debye(nu, x, want_y, r), r, order_msg, overflow_msg);
}

/// I_nu (want_i) or K_nu, nu > 0, by the uniform expansion (see
/// bessel_uniform), stopping as debye does.
DDReal uniform(const DDReal& nu, const DDReal& x, bool want_i, const char* order_msg, const char* overflow_msg) {
  DDReal r;
  return checked(bessel_uniform(nu, x, want_i, r), r, order_msg, overflow_msg);
}

/// I_nu(x), nu >= 0, x > kBesselIMaxArg, where e^x has left the range but I
/// need not have (e.g. I_1000(800) ~ 1e99): by the uniform expansion, whose
/// sums reach working precision within a few terms there (p/nu = 1/sq <
/// 1/690).  Stops with too_large_msg where I overflows.
DDReal i_beyond_exp_range(const DDReal& nu, const DDReal& x, const char* too_large_msg) {
  DDReal r;
  if (bessel_uniform(nu, x, true, r, true) != DebyeStatus::ok) detail::fail(too_large_msg, {kBesselIMaxArg});
  return r;
}

/// J_n(x), n > kBesselSeriesMaxOrder or where Hankel's expansion falls
/// short: zero where it underflows, else Miller's recurrence within its
/// reach, and Debye's expansions beyond.
DDReal j_integer_fallback(int n, const DDReal& x, const char* order_msg, const char* overflow_msg) {
  if (underflows(n, x.hi, false)) return DDReal(0.0);
  if (x.hi > kBesselMaxRecurrence) return debye(DDReal(static_cast<double>(n)), x, false, order_msg, overflow_msg);
  BesselJSums js;
  bessel_j_sums(x, n, js, false);
  return js.jn;
}

/// True within kBesselYNearInteger of an integer.
bool near_integer(const DDReal& v) {
  DDReal m, d;
  DDNINT(v, m);
  DDSUB(v, m, d);
  return std::fabs(d.hi) < kBesselYNearInteger;
}

/// sin(a pi) and cos(a pi) for |a| < 2^53 from a's distance to the nearest integer.
void sincos_pi(const DDReal& a, DDReal& sn, DDReal& cs) {
  DDReal m, d, ad;
  DDNINT(a, m);
  DDSUB(a, m, d);
  DDABS(d, ad);
  if (ad.hi <= 0.25) {
    sincos_pi_small(d, sn, cs);
  } else {
    DDReal pi, t;
    DDPI(pi);
    DDMUL(d, pi, t);
    DDCSSNR(t, cs, sn);
  }
  if (std::fmod(m.hi, 2.0) != 0.0) {
    DDNEG(sn, sn);
    DDNEG(cs, cs);
  }
}

/// sin(a pi) and cos(a pi) each to a few units of its own size, cos also
/// next to half-integers (0 at them): beyond |d| = 1/4 of the nearest
/// integer m, from e = +-1/2 - d, which is exact.
void sincos_pi_relative(const DDReal& a, DDReal& sn, DDReal& cs) {
  DDReal d, pi, t;
  const DDReal m = nearest_order(a);
  DDSUB(a, m, d);
  DDPI(pi);
  if (std::fabs(d.hi) <= 0.25) {
    DDMUL(d, pi, t);
    detail::cos_sin_accurate(t, &cs, &sn);
  } else {
    const double s = d.hi > 0.0 ? 1.0 : -1.0;
    DDReal e, ce, se;
    DDSUB(DDReal(0.5 * s), d, e);
    DDMUL(e, pi, t);
    detail::cos_sin_accurate(t, &ce, &se);
    DDMULD(ce, s, sn);
    DDMULD(se, s, cs);
  }
  if (odd(m)) {
    DDNEG(sn, sn);
    DDNEG(cs, cs);
  }
}

/// I_-a = I_a + (2/pi) sin(a pi) K_a from I_a and K_a.
DDReal i_negative_order(const DDReal& a, const DDReal& ia, const DDReal& ka) {
  DDReal pi, sn, cs, t, r;
  DDPI(pi);
  sincos_pi(a, sn, cs);
  DDMUL(sn, ka, t);
  DDMULD(t, 2.0, t);
  DDDIV(t, pi, t);
  DDADD(ia, t, r);
  return r;
}

/// True where d, an order's distance to its nearest integer, is exactly
/// one half: there cos(a pi) = 0.
bool half_integer_offset(const DDReal& d) { return std::fabs(d.hi) == 0.5 && d.lo == 0.0; }

/// True where a combination c f + s g, with c carrying about |scale| 2^-104
/// absolute, is off by more than 2^18 units of its result r.
bool cancelled_term(double scale, const DDReal& r) { return std::fabs(scale) * 0x1p-104 > std::fabs(r.hi) * 0x1p-86; }

/// J_-a(x) = cos(a pi) J_a(x) - sin(a pi) Y_a(x) (y_form false) or
/// Y_-a(x) = cos(a pi) Y_a(x) + sin(a pi) J_a(x) for a non-integral a > 0,
/// J_a and Y_a by Debye's expansions.
DDReal debye_negative_order(const DDReal& a, const DDReal& x, bool y_form, const char* order_msg,
                            const char* overflow_msg) {
  const DDReal ja = debye(a, x, false, order_msg, overflow_msg);
  // sin(a pi), cos(a pi) from a's distance d to the nearest integer m, to a
  // few units (sincos_pi's literal cosine may leave 2^7 past |d| = 1/4).
  DDReal d, pi, sn, cs, ya;
  const DDReal m = nearest_order(a);
  DDSUB(a, m, d);
  const DebyeStatus st = bessel_debye(a, x, true, ya);
  if (st == DebyeStatus::overflow && y_form && half_integer_offset(d)) {
    // At a half-integer cos(a pi) = 0: Y_-a = sin(a pi) J_a, however large Y_a.
    sincos_pi_relative(a, sn, cs);
    DDMUL(sn, ja, sn);
    return sn;
  }
  checked(st, ya, order_msg, overflow_msg);
  DDPI(pi);
  DDMUL(d, pi, d);
  detail::cos_sin_accurate(d, &cs, &sn);
  if (odd(m)) {
    DDNEG(sn, sn);
    DDNEG(cs, cs);
  }
  if (!y_form) return sum_of_products(cs, ja, sn, ya, false);
  DDReal r = sum_of_products(cs, ya, sn, ja, true);
  // cos(a pi) carries about 2^-106 absolute: next to half-integers, where
  // Y_a outweighs the result, from the cosine to its own accuracy.
  if (cancelled_term(ya.hi, r)) {
    sincos_pi_relative(a, sn, cs);
    r = sum_of_products(cs, ya, sn, ja, true);
  }
  return r;
}

/// J_-a(x) = cos(a pi) J_a(x) - sin(a pi) Y_a(x) for a non-integral a > x
/// (a > 0): Miller's recurrence, carried on into the negative orders, runs
/// toward the dominant solution there, which loses the value sought when it
/// is the small one (orders within 1/8 of a negative integer: up to 2^19
/// units); and the power series cannot form its gamma values beyond order 140.
DDReal j_negative_order(const DDReal& a, const DDReal& x) {
  DDReal m, d, sn, cs, ja, ya, t;
  DDNINT(a, m);
  DDSUB(a, m, d);
  ja = bessel_j_real_miller(a, x);
  ya = bessel_y_small_fraction(d, static_cast<int>(m.hi), x, msg::kBesselJrLoop1, msg::kBesselJrLoop2);
  sincos_pi(a, sn, cs);
  DDMUL(cs, ja, t);
  DDMUL(sn, ya, sn);
  DDSUB(t, sn, t);
  return t;
}

}  // namespace

// ---- J and Y of integer order ------------------------------------------------------------

void DDBESSELJNR(int nu, const DDReal& rr, DDReal& zz) {
  if (not_finite(DDReal(0.0), rr, zz)) return;
  if (rr.hi == 0.0) detail::fail(msg::kBesselJnrZero);
  const long long an = magnitude(nu);
  DDReal x, r;
  DDABS(rr, x);
  if (an > kBesselMaxRecurrence) {
    const DDReal order(static_cast<double>(an));
    if (!hankel_real(order, x, false, msg::kBesselJnrLoop2, r)) {
      r = underflows(order.hi, x.hi, false) ? DDReal(0.0)
                                           : debye(order, x, false, msg::kBesselJnrOrder, msg::kBesselJnrOverflow);
    }
  } else {
    const int n = static_cast<int>(an);
    if (in_miller_range(x)) {
      BesselJSums js;
      bessel_j_sums(x, n, js, false);
      r = js.jn;
    } else if (below_switch(rr)) {
      if (n > kBesselSeriesMaxOrder || !integer_order_series(n, x, true, msg::kBesselJnrLoop1, r)) {
        r = j_integer_fallback(n, x, msg::kBesselJnrOrder, msg::kBesselJnrOverflow);
      }
    } else {
      DDReal mu, hp;
      integer_order_hankel_args(n, mu, hp);
      if (!hankel(mu, hp, x, false, msg::kBesselJnrLoop2, r)) {
        r = j_integer_fallback(n, x, msg::kBesselJnrOrder, msg::kBesselJnrOverflow);
      }
    }
  }
  if ((nu & 1) != 0 && ((nu < 0) != (rr.hi < 0.0))) DDNEG(r, r);
  zz = r;
}

void DDBESSELYNR(int nu, const DDReal& rr, DDReal& zz) {
  if (not_finite(DDReal(0.0), rr, zz)) return;
  if (rr.hi == 0.0) detail::fail(msg::kBesselYnrZero);
  const long long an = magnitude(nu);
  DDReal x, r;
  DDABS(rr, x);
  if (an > kBesselMaxRecurrence) {
    const DDReal order(static_cast<double>(an));
    if (!hankel_real(order, x, true, msg::kBesselYnrLoop2, r)) {
      r = debye(order, x, true, msg::kBesselYnrOrder, msg::kBesselYnrOverflow);
    }
  } else if (const int n = static_cast<int>(an); in_miller_range(x)) {
    r = bessel_y_neumann(n, x);
  } else if (below_switch(rr) && n > kBesselSeriesMaxOrder) {
    // Y_0 and Y_1 by the series, then upward.
    DDReal y0, y1, xi;
    DDBESSELYNR(0, x, y0);
    DDBESSELYNR(1, x, y1);
    DDDIV(DDReal(1.0), x, xi);
    r = climb_y(DDReal(0.0), n, xi, y0, y1);
  } else if (below_switch(rr)) {
    // J_n(x) here is DDBESSELJNR's power series (0 < x < 8, n >= 0): its sum
    // times (x/2)^n, summed beside the psi-weighted series.
    const DDReal q = quarter_square(x);
    DDReal h, p, a, l, j, js, rs;
    DDMULD(x, 0.5, h);
    DDNPWR(h, n, p);
    a = finite_sum(n, q, false);
    if (n > 0 && !finite_sum_fits(a, p)) {
      DDReal mpi;
      DDPI(mpi);
      DDNEG(mpi, mpi);
      r = finite_sum_over_power(n, x, a, mpi);
    } else {
      DDNEG(a, a);
      DDDIV(a, p, a);
      // ln(x/2) is formed step by step beside the two series where the
      // logarithm's Newton steps stay in range (x from about 1e-130 up).
      if (detail::LogSteps::applicable(h)) {
        detail::LogSteps ls(h);
        y_power_series_sums(n, q, js, rs, &ls);
        l = ls.finish();
      } else {
        y_power_series_sums(n, q, js, rs, nullptr);
        DDLOG(h, l);
      }
      DDMULD(l, 2.0, l);
      DDMUL(js, p, j);
      DDMUL(l, j, l);
      DDMUL(p, rs, rs);
      DDNEG(rs, rs);
      DDReal pi;
      DDPI(pi);
      DDADD(a, l, r);
      DDADD(r, rs, r);
      DDDIV(r, pi, r);
    }
  } else {
    DDReal mu, hp;
    integer_order_hankel_args(n, mu, hp);
    if (!hankel(mu, hp, x, true, msg::kBesselYnrLoop2, r)) {
      // The order is too large for the expansion: Y_0 and Y_1 from it, then
      // upward; where it fails for them too (x beyond about 1e99, where its
      // denominators pass the kernels' range), Debye's expansion.
      DDReal y0, y1, xi, mu1, hp1;
      integer_order_hankel_args(0, mu, hp);
      integer_order_hankel_args(1, mu1, hp1);
      if (hankel(mu, hp, x, true, msg::kBesselYnrLoop2, y0) && hankel(mu1, hp1, x, true, msg::kBesselYnrLoop2, y1)) {
        DDDIV(DDReal(1.0), x, xi);
        r = climb_y(DDReal(0.0), n, xi, y0, y1);
      } else {
        r = debye(DDReal(static_cast<double>(n)), x, true, msg::kBesselYnrOrder, msg::kBesselYnrOverflow);
      }
    }
  }
  check_range(r, msg::kBesselYnrOverflow);
  if ((nu & 1) != 0 && ((nu < 0) != (rr.hi < 0.0))) DDNEG(r, r);
  zz = r;
}

// ---- J and Y of real order ----------------------------------------------------------------

void DDBESSELJR(const DDReal& nu, const DDReal& rr, DDReal& zz) {
  if (not_finite(nu, rr, zz)) return;
  int n;
  if (integral_order(nu, n)) {
    DDBESSELJNR(n, rr, zz);
    return;
  }
  if (rr.hi <= 0.0) detail::fail(msg::kBesselJrNotPositive);
  const DDReal v = nu;
  DDReal x, r;
  DDABS(rr, x);
  const double av = std::fabs(v.hi);
  if (av > kBesselMaxRecurrence) {
    if (!hankel_real(v, x, false, msg::kBesselJrLoop2, r)) {
      // J_-N = (-1)^N J_N for an integral order (beyond the int range here).
      DDReal ip, fp, a;
      split_order(v, ip, fp);
      DDABS(v, a);
      if (v.hi < 0.0 && fp.hi != 0.0) {
        r = debye_negative_order(a, x, false, msg::kBesselJrOrder, msg::kBesselJrOverflow);
      } else if (underflows(av, x.hi, false)) {
        r = DDReal(0.0);
      } else {
        r = debye(a, x, false, msg::kBesselJrOrder, msg::kBesselJrOverflow);
        if (v.hi < 0.0 && odd(ip)) DDNEG(r, r);
      }
    }
  } else if (in_miller_range(x)) {
    if (v.hi < 0.0 && av > x.hi && near_integer(v)) {
      DDReal a;
      DDNEG(v, a);
      r = j_negative_order(a, x);
    } else {
      r = bessel_j_real_miller(v, x);
    }
  } else if (below_switch(rr)) {
    if (av <= kBesselSeriesMaxOrder && real_order_series(v, x, rr, true, msg::kBesselJrLoop1, r)) {
      // the power series
    } else if (v.hi < 0.0) {
      DDReal a;
      DDNEG(v, a);
      r = j_negative_order(a, x);
    } else if (underflows(av, x.hi, false)) {
      r = DDReal(0.0);
    } else {
      r = bessel_j_real_miller(v, x);
    }
  } else {
    DDReal mu, hp;
    real_order_hankel_args(v, mu, hp);
    if (!hankel(mu, hp, x, false, msg::kBesselJrLoop2, r)) {
      if (v.hi > 0.0 && underflows(av, x.hi, false)) {
        r = DDReal(0.0);
      } else if (x.hi > kBesselMaxRecurrence && v.hi > 0.0) {
        r = debye(v, x, false, msg::kBesselJrOrder, msg::kBesselJrOverflow);
      } else if (x.hi > kBesselMaxRecurrence) {
        DDReal a;
        DDNEG(v, a);
        r = debye_negative_order(a, x, false, msg::kBesselJrOrder, msg::kBesselJrOverflow);
      } else if (v.hi < 0.0) {
        DDReal a;
        DDNEG(v, a);
        r = j_negative_order(a, x);
      } else {
        r = bessel_j_real_miller(v, x);
      }
    }
  }
  check_range(r, msg::kBesselJrOverflow);
  zz = r;
}

void DDBESSELYR(const DDReal& nu, const DDReal& rr, DDReal& zz) {
  if (not_finite(nu, rr, zz)) return;
  int n;
  if (integral_order(nu, n)) {
    DDBESSELYNR(n, rr, zz);
    return;
  }
  if (nu.hi < 0.0 && rr.hi <= 0.0) detail::fail(msg::kBesselYrDomain);
  const DDReal v = nu, x = rr;
  if (std::fabs(v.hi) > kBesselMaxRecurrence) {
    if (x.hi <= 0.0) detail::fail(msg::kBesselJrNotPositive);
    DDReal r;
    if (!hankel_real(v, x, true, msg::kBesselYrLoop2, r)) {
      DDReal a, ip, fp;
      DDABS(v, a);
      split_order(v, ip, fp);
      if (v.hi > 0.0) {
        r = debye(a, x, true, msg::kBesselYrOrder, msg::kBesselYrOverflow);
      } else if (fp.hi != 0.0) {
        r = debye_negative_order(a, x, true, msg::kBesselYrOrder, msg::kBesselYrOverflow);
      } else {  // Y_-N = (-1)^N Y_N
        r = debye(a, x, true, msg::kBesselYrOrder, msg::kBesselYrOverflow);
        if (odd(ip)) DDNEG(r, r);
      }
    }
    check_range(r, msg::kBesselYrOverflow);
    zz = r;
    return;
  }
  if (x.hi > 0.0) {
    // Within 1/8 of an integer m the quotient below divides a cancelled
    // difference by a small sine; take Y_{delta+|m|} directly instead, and
    // for negative orders Y_-a = cos(a pi) Y_a + sin(a pi) J_a.  So also for
    // orders whose J_-nu the power series cannot form.
    DDReal m, delta, ad;
    DDNINT(v, m);
    DDSUB(v, m, delta);
    DDABS(delta, ad);
    if (ad.hi < kBesselYNearInteger || std::fabs(v.hi) > kBesselSeriesMaxOrder) {
      if (v.hi > 0.0) {
        zz = bessel_y_small_fraction(delta, static_cast<int>(m.hi), x, msg::kBesselYrLoop1, msg::kBesselYrLoop2);
        check_range(zz, msg::kBesselYrOverflow);
        return;
      }
      DDReal a, ma, da, ya, ja, sn, cs, t;
      DDNEG(v, a);
      DDNEG(m, ma);
      DDNEG(delta, da);  // a = ma + da
      ya = bessel_y_small_fraction(da, static_cast<int>(ma.hi), x, msg::kBesselYrLoop1, msg::kBesselYrLoop2);
      DDBESSELJR(a, x, ja);
      if (half_integer_offset(da) && !(std::fabs(ya.hi) <= detail::kSplitLimit)) {
        // At a half-integer cos(a pi) = 0: Y_-a = sin(a pi) J_a, however large Y_a.
        sincos_pi_relative(a, sn, cs);
        DDMUL(sn, ja, zz);
        return;
      }
      check_range(ya, msg::kBesselYrOverflow);
      sincos_pi_small(da, sn, cs);
      if ((static_cast<long long>(ma.hi) & 1) != 0) {
        DDNEG(sn, sn);
        DDNEG(cs, cs);
      }
      DDMUL(cs, ya, t);
      DDMUL(sn, ja, sn);
      DDADD(t, sn, zz);
      if (cancelled_term(ya.hi, zz)) {  // next to a half-integer, as in debye_negative_order
        sincos_pi_relative(a, sn, cs);
        DDMUL(cs, ya, t);
        DDMUL(sn, ja, sn);
        DDADD(t, sn, zz);
      }
      return;
    }
  }
  DDReal pi, a, cs, sn, jp, jm, mv, r;
  DDPI(pi);
  DDMUL(v, pi, a);
  DDCSSNR(a, cs, sn);
  DDBESSELJR(v, x, jp);
  DDNEG(v, mv);
  DDBESSELJR(mv, x, jm);
  DDMUL(jp, cs, r);
  DDSUB(r, jm, r);
  DDDIV(r, sn, zz);
  // cos(nu pi) carries about |nu| 2^-104 absolute (nu pi in double-double):
  // where J_nu outweighs Y_nu sin(nu pi) (negative orders next to
  // half-integers beyond x: Y_-22.5(6.14) was 2^68 units off), from the
  // sine and cosine to their own accuracy.
  if (cancelled_term(jp.hi * (std::fabs(v.hi) + 1.0), DDReal(zz.hi * sn.hi))) {
    sincos_pi_relative(v, sn, cs);
    DDMUL(jp, cs, r);
    DDSUB(r, jm, r);
    DDDIV(r, sn, zz);
  }
  check_range(zz, msg::kBesselYrOverflow);
}

// ---- I and K of integer order ---------------------------------------------------------------

void DDBESSELINR(int nu, const DDReal& rr, DDReal& zz) {
  if (not_finite(DDReal(0.0), rr, zz)) return;
  if (rr.hi == 0.0) detail::fail(msg::kBesselInrZero);
  const long long an = magnitude(nu);
  DDReal x, r;
  DDABS(rr, x);
  if (std::fabs(rr.hi) > kBesselIMaxArg) {
    r = i_beyond_exp_range(DDReal(static_cast<double>(an)), x, msg::kBesselInrTooLarge);
  } else if (an > kBesselMaxRecurrence) {
    if (!ik_real(DDReal(static_cast<double>(an)), x, false, msg::kBesselInrLoop2, r)) {
      r = underflows(static_cast<double>(an), x.hi, true)
              ? DDReal(0.0)
              : uniform(DDReal(static_cast<double>(an)), x, true, msg::kBesselInrOrder, msg::kBesselInrOverflow);
    }
  } else if (const int n = static_cast<int>(an);
             below_switch(rr) && n <= kBesselSeriesMaxOrder && integer_order_series(n, x, false, msg::kBesselInrLoop1, r)) {
    // the power series
  } else {
    const double dn = static_cast<double>(n);
    if (below_switch(rr) || !ik_asymptotic(DDReal((dn * dn) * 4.0), x, false, msg::kBesselInrLoop2, r)) {
      // I_0 times I_n / I_0 from Miller's recurrence.
      if (underflows(dn, x.hi, true)) {
        r = DDReal(0.0);
      } else {
        DDReal i0;
        if (below_switch(rr)) {
          integer_order_series(0, x, false, msg::kBesselInrLoop1, i0);
        } else {
          ik_asymptotic(DDReal(0.0), x, false, msg::kBesselInrLoop2, i0);
        }
        int shift;
        DDMUL(i_ratio_miller(DDReal(0.0), n, x, shift), i0, r);
        r = scale2(r, -shift);
      }
    }
  }
  if (rr.hi < 0.0 && (nu & 1) != 0) DDNEG(r, r);
  zz = r;
}

void DDBESSELKNR(int nu, const DDReal& rr, DDReal& zz) {
  if (not_finite(DDReal(0.0), rr, zz)) return;
  if (rr.hi == 0.0) detail::fail(msg::kBesselKnrZero);
  const long long an = magnitude(nu);
  DDReal x, r;
  DDABS(rr, x);
  if (an > kBesselMaxRecurrence) {
    if (!ik_real(DDReal(static_cast<double>(an)), x, true, msg::kBesselKnrLoop2, r)) {
      r = uniform(DDReal(static_cast<double>(an)), x, false, msg::kBesselKnrOrder, msg::kBesselKnrOverflow);
    }
  } else if (const int n = static_cast<int>(an); in_k_fraction_range(x)) {
    r = k_fraction(DDReal(0.0), n, x, msg::kBesselKnrLoop1);
  } else if (below_switch(rr) && n > kBesselSeriesMaxOrder) {
    r = k_temme(DDReal(0.0), n, x, msg::kBesselKnrLoop1);
  } else if (below_switch(rr)) {
    const DDReal q = quarter_square(x);
    const bool odd = (n & 1) != 0;
    DDReal h, p, a, l, i, rs;
    DDMULD(x, 0.5, h);
    DDNPWR(h, n, p);
    a = finite_sum(n, q, true);
    DDMULD(a, 0.5, a);
    if (n > 0 && !finite_sum_fits(a, p)) {
      r = finite_sum_over_power(n, x, a, DDReal(1.0));
    } else {
      DDDIV(a, p, a);
      DDLOG(h, l);
      DDMULD(l, odd ? 1.0 : -1.0, l);
      DDBESSELINR(n, x, i);
      DDMUL(l, i, l);
      rs = psi_series(n, q, false, msg::kBesselKnrLoop1);
      DDReal ps;
      DDMULD(p, odd ? -0.5 : 0.5, ps);
      DDMUL(ps, rs, rs);
      DDADD(a, l, r);
      DDADD(r, rs, r);
    }
  } else {
    const double dn = static_cast<double>(n);
    if (!ik_asymptotic(DDReal((dn * dn) * 4.0), x, true, msg::kBesselKnrLoop2, r)) {
      // The order is too large for the series: K_0 and K_1 from it, then upward.
      DDReal k0, k1, xi;
      ik_asymptotic(DDReal(0.0), x, true, msg::kBesselKnrLoop2, k0, true);
      ik_asymptotic(DDReal(4.0), x, true, msg::kBesselKnrLoop2, k1, true);
      DDDIV(DDReal(1.0), x, xi);
      int shift = 0;
      const DDReal scaled = climb_k(DDReal(0.0), n, xi, k0, k1, &shift);
      r = times_exp_minus(scaled, x, shift);
    }
  }
  check_range(r, msg::kBesselKnrOverflow);
  if (rr.hi < 0.0 && (nu & 1) != 0) DDNEG(r, r);
  zz = r;
}

// ---- I and K of real order -------------------------------------------------------------------

void DDBESSELIR(const DDReal& nu, const DDReal& rr, DDReal& zz) {
  if (not_finite(nu, rr, zz)) return;
  int n;
  if (integral_order(nu, n)) {
    DDBESSELINR(n, rr, zz);
    return;
  }
  if (nu.hi < 0.0 && rr.hi <= 0.0) detail::fail(msg::kBesselIrDomain);
  if (std::fabs(rr.hi) > kBesselIMaxArg) {
    DDReal x, a, r;
    DDABS(rr, x);
    DDABS(nu, a);
    r = i_beyond_exp_range(a, x, msg::kBesselIrTooLarge);
    if (nu.hi < 0.0) {
      DDReal ka;  // from the same expansion
      checked(bessel_uniform(a, x, false, ka, true), ka, msg::kBesselIrOrder, msg::kBesselIrOverflow);
      r = i_negative_order(a, r, ka);
    }
    check_range(r, msg::kBesselIrOverflow);
    zz = r;
    return;
  }
  if (rr.hi == 0.0) {  // I_nu(0) = 0 for nu > 0
    zz = DDReal(0.0);
    return;
  }
  const DDReal v = nu;
  DDReal x, r;
  DDABS(rr, x);
  const double av = std::fabs(v.hi);
  if (av > kBesselMaxRecurrence) {
    DDReal ip, fp, a = v;
    split_order(v, ip, fp);
    if (v.hi < 0.0 && fp.hi == 0.0) DDNEG(v, a);  // I_-n = I_n
    if (!ik_real(a, x, false, msg::kBesselIrLoop2, r)) {
      // I_-a = I_a + (2/pi) sin(a pi) K_a: K_a passes e^(1e5) for x up to
      // kBesselIMaxArg, far more than sin(a pi) (at least 2^-90) takes back.
      if (a.hi < 0.0) detail::fail(msg::kBesselIrOverflow);
      r = underflows(av, x.hi, true) ? DDReal(0.0) : uniform(a, x, true, msg::kBesselIrOrder, msg::kBesselIrOverflow);
    }
  } else if (below_switch(rr) && av <= kBesselSeriesMaxOrder &&
             real_order_series(v, x, x, false, msg::kBesselIrLoop1, r)) {
    // the power series
  } else if (!below_switch(rr) && ik_real(v, x, false, msg::kBesselIrLoop2, r)) {
    // the large-argument series reached working precision
  } else if (v.hi < 0.0) {
    DDReal a, ia, ka;
    DDNEG(v, a);
    DDBESSELIR(a, x, ia);
    DDBESSELKR(a, x, ka);
    r = i_negative_order(a, ia, ka);
  } else if (underflows(av, x.hi, true)) {
    r = DDReal(0.0);
  } else {
    // I_mu times I_nu / I_mu from Miller's recurrence, nu = mu + n.
    DDReal mu, imu;
    const int nl = split_floor(v, mu);
    if (below_switch(rr)) {
      real_order_series(mu, x, x, false, msg::kBesselIrLoop1, imu);
    } else {
      ik_real(mu, x, false, msg::kBesselIrLoop2, imu);
    }
    int shift;
    DDMUL(i_ratio_miller(mu, nl, x, shift), imu, r);
    r = scale2(r, -shift);
  }
  check_range(r, msg::kBesselIrOverflow);
  zz = r;
}

void DDBESSELKR(const DDReal& nu, const DDReal& rr, DDReal& zz) {
  if (not_finite(nu, rr, zz)) return;
  int n;
  if (integral_order(nu, n)) {
    DDBESSELKNR(n, rr, zz);
    return;
  }
  if (nu.hi < 0.0 && rr.hi <= 0.0) detail::fail(msg::kBesselKrDomain);
  const DDReal v = nu, x = rr;
  if (x.hi > 0.0 && std::fabs(v.hi) > kBesselMaxRecurrence) {
    if (!ik_real(v, x, true, msg::kBesselKrLoop2, zz)) {
      DDReal a;  // K_-nu = K_nu
      DDABS(v, a);
      zz = uniform(a, x, false, msg::kBesselKrOrder, msg::kBesselKrOverflow);
    }
    check_range(zz, msg::kBesselKrOverflow);
    return;
  }
  if (x.hi > 0.0 && !below_switch(x)) {
    // K_nu(x) ~ sqrt(pi/(2x)) e^{-x} sum_k prod_j (mu - (2j-1)^2) / (k! (8x)^k), mu = 4 nu^2.
    if (!ik_real(v, x, true, msg::kBesselKrLoop2, zz)) {
      // The order is too large for the series: K_mu and K_{mu+1} from it, then upward.
      DDReal mu, mu1, kmu, k1, xi;
      const int nl = split_nearest(v, mu);
      DDADD(mu, DDReal(1.0), mu1);
      DDReal m4;
      DDMUL(mu, mu, m4);
      DDMULD(m4, 4.0, m4);
      ik_asymptotic(m4, x, true, msg::kBesselKrLoop2, kmu, true);
      DDMUL(mu1, mu1, m4);
      DDMULD(m4, 4.0, m4);
      ik_asymptotic(m4, x, true, msg::kBesselKrLoop2, k1, true);
      DDDIV(DDReal(1.0), x, xi);
      int shift = 0;
      const DDReal scaled = climb_k(mu, nl, xi, kmu, k1, &shift);
      zz = times_exp_minus(scaled, x, shift);
    }
    check_range(zz, msg::kBesselKrOverflow);
    return;
  }
  if (in_k_fraction_range(x)) {
    // K_{-nu} = K_nu: split |nu| = nl + mu with nl the nearest integer.
    DDReal mu;
    const int nl = split_nearest(v, mu);
    zz = k_fraction(mu, nl, x, msg::kBesselKrLoop1);
    check_range(zz, msg::kBesselKrOverflow);
    return;
  }
  if (x.hi > 0.0) {
    // 0 < x < 2: Temme's series, |nu| = nl + mu as above.
    DDReal mu;
    const int nl = split_nearest(v, mu);
    zz = k_temme(mu, nl, x, msg::kBesselKrLoop1);
    check_range(zz, msg::kBesselKrOverflow);
    return;
  }
  // x <= 0: refused by DDBESSELIR, as K = (pi/2) (I_{-nu} - I_nu) / sin(nu pi) would.
  DDReal mv, im, ip, pi, a, cs, sn, r;
  DDNEG(v, mv);
  DDBESSELIR(mv, x, im);
  DDBESSELIR(v, x, ip);
  DDPI(pi);
  DDMUL(v, pi, a);
  DDCSSNR(a, cs, sn);
  DDSUB(im, ip, r);
  DDDIV(r, sn, r);
  DDMUL(pi, r, r);
  DDMULD(r, 0.5, zz);
}

}  // namespace dd
