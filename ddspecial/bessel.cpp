// The entry points of the Bessel routines: each picks the method for its
// order and argument (see bessel.hpp) and applies the sign rules.
#include "ddspecial/bessel.hpp"

#include <cmath>

#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddreal/rounding.hpp"
#include "ddspecial/bessel_impl.hpp"

namespace dd {

namespace {

using namespace detail::bessel;

/// A DDReal order's integer when its fraction is zero: the hi word rounded half away from zero.
bool integral_order(const DDReal& nu, int& n) {
  DDReal ip, fp;
  DDINFR(nu, ip, fp);
  if (fp.hi != 0.0) return false;
  n = static_cast<int>(std::lround(nu.hi));
  return true;
}

}  // namespace

// ---- J and Y of integer order ------------------------------------------------------------

void DDBESSELJNR(int nu, const DDReal& rr, DDReal& zz) {
  if (rr.hi == 0.0) detail::fail(msg::kBesselJnrZero);
  const int n = nu < 0 ? -nu : nu;
  DDReal x, r;
  DDABS(rr, x);
  if (in_miller_range(x)) {
    BesselJSums js;
    bessel_j_sums(x, n, js, false);
    r = js.jn;
  } else if (below_switch(rr)) {
    integer_order_series(n, x, true, msg::kBesselJnrLoop1, r);
  } else {
    DDReal mu, hp;
    integer_order_hankel_args(n, mu, hp);
    hankel(mu, hp, x, false, msg::kBesselJnrLoop2, r);
  }
  if ((nu & 1) != 0 && ((nu < 0) != (rr.hi < 0.0))) DDNEG(r, r);
  zz = r;
}

void DDBESSELYNR(int nu, const DDReal& rr, DDReal& zz) {
  if (rr.hi == 0.0) detail::fail(msg::kBesselYnrZero);
  const int n = nu < 0 ? -nu : nu;
  DDReal x, r;
  DDABS(rr, x);
  if (in_miller_range(x)) {
    r = bessel_y_neumann(n, x);
  } else if (below_switch(rr)) {
    // J_n(x) here is DDBESSELJNR's power series (0 < x < 8, n >= 0): its sum
    // times (x/2)^n, summed beside the psi-weighted series.
    const DDReal q = quarter_square(x);
    DDReal h, p, a, l, j, js, rs;
    DDMULD(x, 0.5, h);
    DDNPWR(h, n, p);
    a = finite_sum(n, q, false);
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
  } else {
    DDReal mu, hp;
    integer_order_hankel_args(n, mu, hp);
    hankel(mu, hp, x, true, msg::kBesselYnrLoop2, r);
  }
  if ((nu & 1) != 0 && ((nu < 0) != (rr.hi < 0.0))) DDNEG(r, r);
  zz = r;
}

// ---- J and Y of real order ----------------------------------------------------------------

void DDBESSELJR(const DDReal& nu, const DDReal& rr, DDReal& zz) {
  int n;
  if (integral_order(nu, n)) {
    DDBESSELJNR(n, rr, zz);
    return;
  }
  if (rr.hi <= 0.0) detail::fail(msg::kBesselJrNotPositive);
  const DDReal v = nu;
  DDReal x, r;
  DDABS(rr, x);
  if (in_miller_range(x)) {
    r = bessel_j_real_miller(v, x);
  } else if (below_switch(rr)) {
    real_order_series(v, x, rr, true, msg::kBesselJrLoop1, r);
  } else {
    DDReal mu, hp;
    real_order_hankel_args(v, mu, hp);
    hankel(mu, hp, x, false, msg::kBesselJrLoop2, r);
  }
  zz = r;
}

void DDBESSELYR(const DDReal& nu, const DDReal& rr, DDReal& zz) {
  int n;
  if (integral_order(nu, n)) {
    DDBESSELYNR(n, rr, zz);
    return;
  }
  if (nu.hi < 0.0 && rr.hi <= 0.0) detail::fail(msg::kBesselYrDomain);
  const DDReal v = nu, x = rr;
  if (x.hi > 0.0) {
    // Within 1/8 of an integer m the quotient below divides a cancelled
    // difference by a small sine; take Y_{delta+|m|} directly instead, and
    // for negative orders Y_-a = cos(a pi) Y_a + sin(a pi) J_a.
    DDReal m, delta, ad;
    DDNINT(v, m);
    DDSUB(v, m, delta);
    DDABS(delta, ad);
    if (ad.hi < kBesselYNearInteger) {
      if (v.hi > 0.0) {
        zz = bessel_y_small_fraction(delta, static_cast<int>(m.hi), x, msg::kBesselYrLoop1, msg::kBesselYrLoop2);
        return;
      }
      DDReal a, ma, da, ya, ja, sn, cs, t;
      DDNEG(v, a);
      DDNEG(m, ma);
      DDNEG(delta, da);  // a = ma + da
      ya = bessel_y_small_fraction(da, static_cast<int>(ma.hi), x, msg::kBesselYrLoop1, msg::kBesselYrLoop2);
      DDBESSELJR(a, x, ja);
      sincos_pi_small(da, sn, cs);
      if ((static_cast<long long>(ma.hi) & 1) != 0) {
        DDNEG(sn, sn);
        DDNEG(cs, cs);
      }
      DDMUL(cs, ya, t);
      DDMUL(sn, ja, sn);
      DDADD(t, sn, zz);
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
}

// ---- I and K of integer order ---------------------------------------------------------------

void DDBESSELINR(int nu, const DDReal& rr, DDReal& zz) {
  if (rr.hi == 0.0) detail::fail(msg::kBesselInrZero);
  if (std::fabs(rr.hi) > kBesselIMaxArg) detail::fail(msg::kBesselInrTooLarge, {kBesselIMaxArg});
  const int n = nu < 0 ? -nu : nu;
  DDReal x, r;
  DDABS(rr, x);
  if (below_switch(rr)) {
    integer_order_series(n, x, false, msg::kBesselInrLoop1, r);
  } else {
    const double dn = static_cast<double>(n);
    ik_asymptotic(DDReal((dn * dn) * 4.0), x, false, msg::kBesselInrLoop2, r);
  }
  if (rr.hi < 0.0 && (nu & 1) != 0) DDNEG(r, r);
  zz = r;
}

void DDBESSELKNR(int nu, const DDReal& rr, DDReal& zz) {
  if (rr.hi == 0.0) detail::fail(msg::kBesselKnrZero);
  const int n = nu < 0 ? -nu : nu;
  DDReal x, r;
  DDABS(rr, x);
  if (in_k_fraction_range(x)) {
    r = k_fraction(DDReal(0.0), n, x, msg::kBesselKnrLoop1);
  } else if (below_switch(rr)) {
    const DDReal q = quarter_square(x);
    const bool odd = (n & 1) != 0;
    DDReal h, p, a, l, i, rs;
    DDMULD(x, 0.5, h);
    DDNPWR(h, n, p);
    a = finite_sum(n, q, true);
    DDMULD(a, 0.5, a);
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
  } else {
    const double dn = static_cast<double>(n);
    ik_asymptotic(DDReal((dn * dn) * 4.0), x, true, msg::kBesselKnrLoop2, r);
  }
  if (rr.hi < 0.0 && (nu & 1) != 0) DDNEG(r, r);
  zz = r;
}

// ---- I and K of real order -------------------------------------------------------------------

void DDBESSELIR(const DDReal& nu, const DDReal& rr, DDReal& zz) {
  int n;
  if (integral_order(nu, n)) {
    DDBESSELINR(n, rr, zz);
    return;
  }
  if (nu.hi < 0.0 && rr.hi <= 0.0) detail::fail(msg::kBesselIrDomain);
  if (std::fabs(rr.hi) > kBesselIMaxArg) detail::fail(msg::kBesselIrTooLarge, {kBesselIMaxArg});
  const DDReal v = nu;
  DDReal x, r;
  DDABS(rr, x);
  if (below_switch(rr)) {
    real_order_series(v, x, x, false, msg::kBesselIrLoop1, r);
  } else {
    DDReal mu;
    DDMUL(v, v, mu);
    DDMULD(mu, 4.0, mu);
    ik_asymptotic(mu, x, false, msg::kBesselIrLoop2, r);
  }
  zz = r;
}

void DDBESSELKR(const DDReal& nu, const DDReal& rr, DDReal& zz) {
  int n;
  if (integral_order(nu, n)) {
    DDBESSELKNR(n, rr, zz);
    return;
  }
  if (nu.hi < 0.0 && rr.hi <= 0.0) detail::fail(msg::kBesselKrDomain);
  const DDReal v = nu, x = rr;
  if (x.hi > 0.0 && !below_switch(x)) {
    // K_nu(x) ~ sqrt(pi/(2x)) e^{-x} sum_k prod_j (mu - (2j-1)^2) / (k! (8x)^k), mu = 4 nu^2.
    DDReal mu;
    DDMUL(v, v, mu);
    DDMULD(mu, 4.0, mu);
    ik_asymptotic(mu, x, true, msg::kBesselKrLoop2, zz);
    return;
  }
  if (in_k_fraction_range(x)) {
    // K_{-nu} = K_nu: split |nu| = nl + mu with nl the nearest integer.
    DDReal av, nl_dd, mu;
    DDABS(v, av);
    DDNINT(av, nl_dd);
    DDSUB(av, nl_dd, mu);
    zz = k_fraction(mu, static_cast<int>(nl_dd.hi), x, msg::kBesselKrLoop1);
    return;
  }
  if (x.hi > 0.0) {
    // 0 < x < 2: Temme's series, |nu| = nl + mu as above.
    DDReal av, nl_dd, mu;
    DDABS(v, av);
    DDNINT(av, nl_dd);
    DDSUB(av, nl_dd, mu);
    zz = k_temme(mu, static_cast<int>(nl_dd.hi), x, msg::kBesselKrLoop1);
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
