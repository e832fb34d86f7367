// The methods behind the Bessel routines of bessel.hpp, shared by their entry
// points (bessel.cpp) and the Struve function: power series
// (bessel_series.cpp), Hankel's expansion and the large-argument series of I
// and K (bessel_asymptotic.cpp), Miller's recurrence and the Neumann series
// (bessel_miller.cpp), Temme's series and Steed's fractions
// (bessel_temme.cpp), Debye's expansions (bessel_debye.cpp), the expansion in
// Airy functions (bessel_airy.cpp).  Private to the
// library: not installed.
#pragma once

#include <cmath>
#include <vector>

#include "ddelem/ddelem.hpp"
#include "ddelem/ddelem_impl.hpp"
#include "ddreal/kernels.hpp"
#include "ddspecial/bessel.hpp"

namespace dd::detail::bessel {

inline bool below_switch(const DDReal& x) noexcept { return std::fabs(x.hi) < kBesselSwitch; }
inline bool in_miller_range(const DDReal& x) noexcept { return x.hi >= kBesselMillerFrom && x.hi < kBesselSwitch; }
inline bool in_k_fraction_range(const DDReal& x) noexcept {
  return x.hi >= kBesselKFractionFrom && x.hi < kBesselSwitch;
}

/// q = x^2 / 4.
inline DDReal quarter_square(const DDReal& x) noexcept {
  DDReal q;
  DDMUL(x, x, q);
  DDMULD(q, 0.25, q);
  return q;
}

/// n! from 1 by DDMULD with 1 .. n.
inline DDReal factorial(int n) noexcept {
  DDReal f(1.0);
  for (int i = 1; i <= n; ++i) DDMULD(f, static_cast<double>(i), f);
  return f;
}

/// a b + c d (plus) or a b - c d: the combinations of J and Y forms.
inline DDReal sum_of_products(const DDReal& a, const DDReal& b, const DDReal& c, const DDReal& d, bool plus) noexcept {
  DDReal t, u;
  DDMUL(a, b, t);
  DDMUL(c, d, u);
  if (plus) {
    DDADD(t, u, t);
  } else {
    DDSUB(t, u, t);
  }
  return t;
}

/// a <- a * f for a power of two f (exact while no word underflows).
inline void scale(DDReal& a, double f) noexcept {
  a.hi = a.hi * f;
  a.lo = a.lo * f;
}

// ---- Hankel's expansion and the large-argument series of I and K ----------------

/// Watches the terms of an asymptotic series: it diverges once a term grows
/// again after the terms have begun to fall, and its sum has lost digits to
/// cancellation when its largest term passes 2^18 times the sum (below that
/// the literal sum has stayed within 2^17 units in every test, and is kept).
struct TermWatch {
  double last = 0.0, largest = 0.0;
  bool falling = false, diverged = false;
  void note(double t) noexcept {
    t = std::fabs(t);
    if (!(t <= 0x1p1023)) {  // NaN or infinity
      diverged = true;
      return;
    }
    if (t > last && falling) diverged = true;
    if (t < last) falling = true;
    last = t;
    if (t > largest) largest = t;
  }
  bool within(double sum) const noexcept { return largest <= 0x1p18 * sum; }
};

/// J (want_y false) or Y of the order whose mu = 4 nu^2 and (nu/2) pi are given, at x > 0:
///   P = sum (-1)^k a_{2k}(nu) / x^{2k},  Q = sum (-1)^k a_{2k+1}(nu) / x^{2k+1},
///   chi = x - (nu/2) pi - pi/4,
///   J = sqrt(2/(pi x)) (P cos chi - Q sin chi),  Y = sqrt(2/(pi x)) (P sin chi + Q cos chi).
/// From this x on Hankel's phase x - (nu/2 + 1/4) pi is not formed as one
/// double-double (whose absolute error, x 2^-106, would pass 2^16 units of
/// the envelope); cos and sin of x and of (nu/2 + 1/4) pi are combined instead.
inline constexpr double kHankelAngleSumFrom = 0x1p18;
/// False (out unwritten) where the expansion does not reach working precision (see TermWatch).
bool hankel(const DDReal& mu, const DDReal& half_nu_pi, const DDReal& x, bool want_y, const char* loop_msg,
            DDReal& out);
/// mu = n*n*4 as a binary64, (n/2) pi by DDMULD of pi with n*0.5.
void integer_order_hankel_args(int n, DDReal& mu, DDReal& half_nu_pi) noexcept;
/// From this order on (nu/2) pi is formed from nu modulo 4 (its words are
/// reduced exactly): pi nu in double-double keeps only |nu| 2^-106 absolute,
/// 2^26 units of the envelope at nu = 2^31 (below, within 2^16 units, the
/// bits are kept).
inline constexpr double kHankelReducedOrderFrom = 0x1p20;
/// mu = (nu*nu)*4 and (pi*nu)*0.5 in double-double (see kHankelReducedOrderFrom).
void real_order_hankel_args(const DDReal& nu, DDReal& mu, DDReal& half_nu_pi) noexcept;
/// e^{-x} for x >= 0 beyond the exponential's range too.
DDReal exp_minus(const DDReal& x);
/// sqrt(2 / (pi w)), w > 0: Hankel's and Debye's amplitude, from 2^968 on
/// by way of 2^-200 w (2 / (pi w) would lose its low word's bits, and
/// pi w pass the kernels' splitting limit).
DDReal bessel_amplitude(const DDReal& w);
/// e^a = p 2^e: DDEXP's words with e = 0 where |a| is within its range;
/// beyond, e = the nearest integer to a / ln 2 and p = DDEXP(a - e ln 2)
/// (about 2^-95 relative for |a| up to 2000).
void exp_scaled(const DDReal& a, DDReal& p, int& e);
/// a 2^e, word by word (exact while neither word leaves the normal range).
DDReal scale2(const DDReal& a, int e) noexcept;
/// e^a over the whole binary64 range (DDEXP's words within its own range).
DDReal exp_wide(const DDReal& a);
/// I (k_form false) or K of the order whose mu = 4 nu^2 is given, at x > 0, by the large-argument series.
/// False (out unwritten) where the series does not reach working precision (see TermWatch).
/// With without_exp, out is I e^-x or K e^x (the exponential left to the caller).
bool ik_asymptotic(const DDReal& mu, const DDReal& x, bool k_form, const char* loop_msg, DDReal& out,
                   bool without_exp = false);

// ---- power series --------------------------------------------------------------

/// sum_k (+-q)^k / (k! (n+k)!) (alternating for J), times (x/2)^n.  False
/// (out unwritten) where the sum left the binary64 range (its factorials
/// overflow before its terms fall: I of orders near 100 near the switch).
bool integer_order_series(int n, const DDReal& x, bool alternate, const char* loop_msg, DDReal& out);
/// sum_k (+-q)^k / (k! Gamma(nu+k+1)) (alternating for J), times (base/2)^nu
/// by DDPOWER (scaled beyond the exponential's range).  False as above.
bool real_order_series(const DDReal& nu, const DDReal& x, const DDReal& base, bool alternate, const char* loop_msg,
                       DDReal& out);
/// The finite sum sum_{k=0..n-1} (n-k-1)! (+-q)^k / k! (alternating for K); 0 for n = 0.
DDReal finite_sum(int n, const DDReal& q, bool alternate) noexcept;
/// sum_k (psi(k+1) + psi(n+k+1)) (+-q)^k / (k! (n+k)!) (alternating for Y).
DDReal psi_series(int n, const DDReal& q, bool alternate, const char* loop_msg);
/// J_n's series s and the psi-weighted series r of Y_n, interleaved in one loop
/// (0 < x < kBesselMillerFrom); with side, each step also advances that logarithm.
void y_power_series_sums(int n, const DDReal& q, DDReal& s_out, DDReal& r_out, LogSteps* side);

// ---- Miller's recurrence and the Neumann series ---------------------------------

/// J_n(x) and the sums over J_k(x) that give Y_0 and Y_1 (the Neumann
/// series), for x > 0,
/// by Miller's backward recurrence J_{k-1} = (2k/x) J_k - J_{k+1} from
/// k = max(n, x) + 20 + 20 max(n, x)^(1/3) (measured: 36 steps beyond max(n, x)
/// suffice at 5, 70 at 47, 186 at 1000 for 2^-110), normalised by
/// J_0 + 2 sum J_{2k} = 1.  The recurrence runs toward the dominant
/// solution, so its rounding errors do not grow; values are rescaled by
/// exact powers of two on the way.
struct BesselJSums {
  DDReal jn;      ///< J_n
  DDReal j0, j1;  ///< J_0, J_1
  DDReal y0;      ///< sum_{k>=1} (-1)^k J_{2k} / k
  DDReal y1;      ///< sum_{k>=1} (-1)^k (2k+1) J_{2k+1} / (k (k+1))
};
/// Without with_sums only jn, j0 and j1 are formed (the sums are left zero).
/// With side, each step of the recurrence also advances that logarithm (an
/// independent chain that the processor overlaps with the recurrence).
void bessel_j_sums(const DDReal& x, int n, BesselJSums& out, bool with_sums, LogSteps* side = nullptr);
/// j[k] = J_k(x) for k = 0 .. N, x > 0, by the same recurrence and
/// normalisation, with N = the starting order for max(n, x) (J_N is below
/// 2^-110 of the largest J_k).
void bessel_j_table(const DDReal& x, int n, std::vector<DDReal>& j);
/// Y_n(x), kBesselMillerFrom <= x < kBesselSwitch, from the Neumann series for Y_0, Y_1 and the recurrence.
DDReal bessel_y_neumann(int n, const DDReal& x);
/// J_nu(x) for a non-integral order and kBesselMillerFrom <= x, by Miller's recurrence.
DDReal bessel_j_real_miller(const DDReal& nu, const DDReal& x);
/// I_{mu+n}(x) / I_mu(x) = r 2^-shift for mu >= 0, n >= 0, x > 0 by Miller's
/// backward recurrence I_{v-1} = (2v/x) I_v + I_{v+1}, toward the dominant
/// solution (the ratio itself may lie below the binary64 range).
DDReal i_ratio_miller(const DDReal& mu, int n, const DDReal& x, int& shift);
/// Starting order of Miller's recurrence for orders up to n at x.
int miller_start(int n, const DDReal& x);

// ---- Temme's series and Steed's fractions ------------------------------------------

/// K_{mu+nl}(x) for |mu| <= 1/2, nl >= 0 and 2 <= x by Steed's continued fraction.
DDReal k_fraction(const DDReal& mu, int nl, const DDReal& x, const char* loop_msg);
/// K_{mu+nl}(x) for |mu| <= 1/2, nl >= 0 and 0 < x < 2 by Temme's series.
DDReal k_temme(const DDReal& mu, int nl, const DDReal& x, const char* loop_msg);
/// K_{mu+nl} from K_mu and K_{mu+1} (xi = 1/x) by K_{v+1} = K_{v-1} + (2v/x) K_v,
/// upward, where K is the dominant solution; +infinity once K passes the
/// splitting limit.  With shift, the values are rescaled by 2^-500 on the
/// way instead (the result is K 2^-shift).
DDReal climb_k(const DDReal& mu, int nl, const DDReal& xi, DDReal kmu, DDReal k1, int* shift = nullptr);
/// Y_{mu+n} from Y_mu and Y_{mu+1} (xi = 1/x) by Y_{v+1} = (2v/x) Y_v - Y_{v-1},
/// upward, where Y is the dominant solution; -infinity once |Y| passes the splitting limit.
DDReal climb_y(const DDReal& mu, int n, const DDReal& xi, DDReal ymu, DDReal y1);
/// sin(pi d) and cos(pi d) for |d| <= 1/4 by their Taylor series.
void sincos_pi_small(const DDReal& d, DDReal& sn, DDReal& cs);
/// Y_{mu+n}(x) for 0 < |mu| <= 1/2, n >= 0, x > 0, without a division by sin(nu pi).
DDReal bessel_y_small_fraction(const DDReal& mu, int n, const DDReal& x, const char* loop1, const char* loop2);

// ---- Debye's expansions for large orders --------------------------------------------

enum class DebyeStatus { ok, overflow, refused };
/// Largest x for the oscillatory side's (nu < x) direct phase: beyond it
/// three doubles no longer carry w - nu atan(w/nu) to 2^-95 absolute (at
/// 7e17 to 1.2e18 it was 2^15 units off), and the phase is formed from
/// nu/x for orders up to x/8 with nu^2/(2x) below 2^55, else in a
/// multiword number.
inline constexpr double kDebyeMaxPhaseArg = 0x1p48;
/// Most steps of the recurrence across the band around the turning point
/// (up to about 28 nu^(1/3) steps of 20-36 ns: Y of orders up to about 1e14,
/// J up to 8e14, 47 ms at most).
inline constexpr double kDebyeMaxSteps = 1.3e6;
/// J_nu(x) or Y_nu(x) (want_y) for nu > 0, x > 0 by Debye's expansions: with
/// nu = x sech(alpha) above x, nu = x cos(beta) below, and across the band
/// |nu - x| < 14 nu^(1/3) around the turning point by the three-term
/// recurrence (J from x on downward from above the band, Y and J below x
/// upward from below it), or where that needs more than kDebyeMaxSteps steps,
/// and upward beyond kDebyeMaxPhaseArg, by bessel_airy.
/// overflow: |Y| passes the splitting limit; refused (out unwritten): the
/// band beyond bessel_airy's reach.
/// J below the smallest subnormal is 0.
DebyeStatus bessel_debye(const DDReal& nu, const DDReal& x, bool want_y, DDReal& out);
/// Lowest order of the expansion in Airy functions (bessel_airy.cpp).
inline constexpr double kAiryMinOrder = 1e12;
/// J_nu(x) or Y_nu(x) (want_y) for orders from kAiryMinOrder on with x near
/// nu (|nu - x| up to about 35 nu^(1/3)) by the uniform expansion in Airy
/// functions: where the band's recurrence would take too many steps or, from
/// x = 2^48 on, start below the band.  refused (out unwritten) elsewhere.
DebyeStatus bessel_airy(const DDReal& nu, const DDReal& x, bool want_y, DDReal& out);
/// Ai and Ai' (bi false) or Bi and Bi' at t + dt (dt a rounding error of t)
/// for |t| up to about 45.
void airy_functions(const DDReal& t, double dt, bool bi, DDReal& f, DDReal& fp);
/// K_nu(x), or I_nu(x) (want_i), for nu > 1e5 or x > kBesselIMaxArg by the uniform
/// expansion, sum_k (-+1)^k u_k(p) / nu^k with p = nu / sqrt(nu^2 + x^2).
/// Values below the smallest subnormal are 0; overflow: the value passes the
/// splitting limit; refused (out unwritten): the sums do not reach working
/// precision.  allow_dips: a term may rise above the one before it if not
/// above the one before that (see debye_sums), as at small orders with x
/// beyond kBesselIMaxArg.
DebyeStatus bessel_uniform(const DDReal& nu, const DDReal& x, bool want_i, DDReal& out, bool allow_dips = false);

}  // namespace dd::detail::bessel
