// Bessel functions J, Y (first and second kind) and the modified functions
// I, K, of integer order (DDBESSEL?NR) and of real order (DDBESSEL?R).
//
// Every routine uses a power series while the hi word of |x| is below
// kBesselSwitch and an asymptotic expansion from it on: Hankel's P and Q for
// J and Y, the single large-argument series for I and K.  Both series stop at
// the first term of at most 2^-106 of the sum, after at most kBesselMaxTerms
// terms ("Loop end error 1" for the power series, "2" for the asymptotic one).
//
// Accuracy.  The power series of J and Y alternate and grow to about e^x
// before they sum to a value of size 1/sqrt(x): they would lose about
// 1.44 x bits, some 2^69 just below the switch.  So from x = kBesselMillerFrom
// (8) up to the switch, J (integer and real order) comes from Miller's
// backward recurrence and Y_n from the Neumann series over those J values.
// Y of real order is (J_nu cos nu pi - J_-nu) / sin nu pi, except within 1/8
// of an integer, where that quotient divides a cancelled difference by a small
// sine: there Y_mu (|mu| <= 1/8) comes from Temme's series below x = 2, from
// Steed's complex fraction and Miller's J up to the switch, from Hankel's Y
// form above, and the recurrence (or Y_-a = cos(a pi) Y_a + sin(a pi) J_a)
// gives the order.  I loses
// nothing (all terms positive).  K's series cancels against e^{-x}, losing
// about 2.9 x bits; so K (integer and real order) is taken for
// 2 <= x < kBesselSwitch from Steed's continued fraction (Temme's form) for
// K_mu, K_{mu+1}, |mu| <= 1/2, and the upward recurrence
// K_{v+1} = K_{v-1} + (2v/x) K_v, which is stable for K.  For real orders K
// above the switch is the K form of the large-argument series (the difference
// of two I values would cancel to zero there), and below x = 2 Temme's
// series (the difference of I values divided by sin nu pi lost 2^12 units
// in a random sample of orders, and all its digits as nu nears an integer).
//
// Hankel's phase x - (nu/2 + 1/4) pi takes (nu/2) pi from nu modulo 4 for
// orders from 2^20 on (pi nu in double-double would keep only |nu| 2^-106).
//
// Large orders.  Where Hankel's expansion does not reach working precision
// (orders beyond about 5 sqrt(x)) and the recurrences are out of reach
// (x > kBesselMaxRecurrence for J, orders above it for J and Y), J and Y come
// from Debye's expansions (bessel_debye.cpp): above the turning point
// (nu >= x + 14 nu^(1/3)) J = e^-E S / sqrt(2 pi sq) and Y = -e^E S' sqrt(2/(pi sq)),
// sq = sqrt(nu^2 - x^2), E = nu (alpha - tanh alpha), with E in three doubles
// (J's relative error is E's absolute error); below it (nu <= x - 14 nu^(1/3))
// the oscillatory form with the phase w - nu atan(w/nu) - pi/4,
// w = sqrt(x^2 - nu^2), formed in three doubles and reduced exactly modulo
// pi/2 (J's error is the phase's absolute error, and the phase is as large
// as x).  Across the band between, J of orders from x on runs down from two
// orders above it, Y and the rest of J up from two orders below it (J is
// the dominant solution downward above x, Y upward, and neither grows below
// x), by the three-term recurrence in difference form; the difference of
// its two start values is formed from the difference of the two
// expansions' parts.
// Limits: the band takes up to about 28 nu^(1/3) steps (J 14), at most
// 1.3e6 (Y of orders up to about 1e14, J up to 8e14).  Beyond, and from
// x = 2^48 on for Y and for J below x (where the start below the band needs
// the multiword phase, and the steps add up to 2^8.5 units at order 1e15),
// J and Y come from Olver's uniform expansion in Airy functions
// (bessel_airy.cpp): J = phi [Ai(t) (1 + A_1/nu^2) + Ai'(t) B_0/nu^(4/3)] / nu^(1/3),
// Y the same with -Bi, -Bi', t = nu^(2/3) zeta formed from nu - x (exact)
// and (2/nu)^(1/3), and zeta, phi, A_1, B_0 series in 1 - x/nu; Ai, Bi and
// their derivatives by Taylor's series from a table at j/4 for |t| <= 16, by
// their asymptotic expansions beyond.  It serves orders from 1e12 with
// |nu - x| up to about 35 nu^(1/3) (|t| <= 45); the terms it leaves out
// (A_2/nu^4, B_1/nu^(10/3)) are below 2^-140 there.  The phase is formed
// directly up to x = 2^48 (2.8e14); beyond, as x - nu pi/2 - pi/4 + x h(s)
// with s = nu/x, h(s) = s^2/2 + s^4/24 + ... by its series in three doubles
// (x reduced exactly, nu modulo 4), for s <= 1/8 and x h(s), about
// nu^2/(2x), below 2^55 (orders from about 5 sqrt(x), Hankel's reach, up to
// min(x/8, 2^28 sqrt(x))); for the other orders up to the band, in quarter
// turns (w - nu atan(w/nu)) 2/pi - 1/2 modulo 4 in a multiword binary
// number (ddspecial/multiword_impl.hpp) with bits down to about 2^-150, for
// x up to the splitting limit.  Beyond x = 2^48 the band itself
// (|nu - x| < 14 nu^(1/3)) is the Airy expansion's (above).  J below the smallest
// subnormal is 0; |Y| beyond the splitting limit stops with "Result
// overflows" (also J of a negative non-integral order, through its Y term).
// Measured against mpmath (Debye's sums at 60 digits, the trapezoid sum of
// J_n's integral, the recurrence at 60 digits): at most 2^4.5 units (J
// relative to the envelope or, above the turning point, relative; Y likewise)
// at x from 1e5 to 1e12, 2^7.1 for Y at 1e14 (the band's rounding errors add
// up as the square root of its steps), below 1 unit from x = 1e15 to 1e30;
// with the multiword phase below 1.7 units from x = 2^48.5 to 2^993 (940
// random points, orders from 2^28 sqrt(x) to next to the band, double and
// double-double, positive and negative); by the Airy expansion at most 1.1
// units at orders 1e15 to 1e299 with |nu - x| up to 31 nu^(1/3) (relative
// above x, against the Airy envelope (2/nu)^(1/3) |t|^(-1/4) / sqrt(pi)
// below; t and zeta carry their roundings as a first-order correction),
// against its closed forms with two more terms and mpmath's Airy functions.
// A call takes about 10 us beside the band (with the multiword phase 13 us at
// x = 1e20, 20 us at 1e100, 60 us at 1e298), 2.3 us (1.7-5 us) by the Airy
// expansion; in the band 20-36 ns a step more (6 ms at x = 1e12, 37 ms for Y
// at 1e14, 47 ms at most).
//
// I and K of orders above kBesselMaxRecurrence, where the large-argument
// series falls short, come from the uniform expansion (bessel_uniform):
// K = sqrt(pi/(2 sq)) e^{-nu eta} sum_k (-1)^k u_k(p)/nu^k,
// I = e^{nu eta} / sqrt(2 pi sq) sum_k u_k(p)/nu^k, sq = sqrt(nu^2 + x^2),
// p = nu/sq, nu eta = sq - nu atanh(p) in three doubles (K's relative error
// is nu eta's absolute error).  K is representable only in a band of x around
// 0.6627 nu (about +-370 wide, where |nu eta| < 700): below it K stops with
// "Result overflows", above it K is 0; I of these orders is 0 for every
// x <= kBesselIMaxArg.  Above order 2^64, where three doubles no longer
// carry nu eta, it is formed in a multiword binary number wherever it may
// be below 4000 in magnitude (about 2^-130 absolute up to the splitting
// limit).  The band keeps its width in x at every order: beyond about
// 2^115 it is narrower than the spacing of double-double arguments, and
// the neighbours of 0.6627 nu mostly give "Result overflows" or 0.
// Measured against mpmath (K's integral by quadrature at 60-90 digits):
// below 1 unit up to nu = 1e14, 2^0.7 at 1e15, 2^7.3 at 1e18, 2^14.4 at 1e19,
// 1.01 at most from 2^64 to 2^112 (the multiword exponent; 90 random points).
// A call takes about 5 us (14 us above 2^64).
//
// Measured maximum errors in units of 2^-104 (J and Y relative to their
// envelope sqrt(2/(pi x)), the others relative), orders 0-3 and real orders in
// (-3, 3), against MPFR at 600-1200 bits:
//                 x < 2    2-8     8-47.86   47.87-250
//   J_n, J_nu     1, 128   2^9     2^9.6     2^12 (relative near zeros)
//   Y_n           2^7      2^7     2^9.4     2^10
//   Y_nu          2^7      2^7     2^7       2^8 (orders down to 2^-63 from an integer)
//   I_n, I_nu     1, 2^7   2^7     2^7       2^6
//   K_n, K_nu     -, 2^8   2^5.4   2^6.4     2^6
#pragma once

#include "ddelem/ddelem.hpp"
#include "ddreal/kernels.hpp"

namespace dd {

/// Power series below this value of |hi word of x|, asymptotic expansion from it on.
inline constexpr double kBesselSwitch = 47.863769310573005;
/// Most terms of each series.
inline constexpr int kBesselMaxTerms = 1000000;
/// J and Y of integer order by Miller's recurrence and the Neumann series from
/// this x up to the switch, where the power series would lose more than
/// about 2^8 to cancellation.
inline constexpr double kBesselMillerFrom = 8.0;
/// Y of a real order within this distance of an integer is computed without
/// the division by sin(nu pi) (Temme's series, Steed's fraction, Hankel's Y form).
inline constexpr double kBesselYNearInteger = 0.125;
/// Largest |x| for which the I routines form e^x, which must stay below
/// 1.34e300, where the kernels can no longer split a word (x < 690.8).
/// Beyond it I_nu comes from the uniform expansion (its sums need only a few
/// terms there, 1/sqrt(nu^2 + x^2) < 1/690): representable at orders above
/// about sqrt(2x(x - 694)) (I_1000(800) ~ 1.8e99), and 0 below the
/// subnormals; the routines stop with "I overflows" only where I does.
/// (K, for its part, falls below 2e-292 near x = 665, where its low word
/// becomes subnormal and digits are lost, and underflows to 0 past 745.)
inline constexpr double kBesselIMaxArg = 690.0;
/// K by the continued fraction from this x (below kBesselSwitch); the power
/// series, or the difference of I values for real orders, below it.
inline constexpr double kBesselKFractionFrom = 2.0;
/// Orders up to this magnitude are summed by the power series below the switch;
/// beyond it their factorials and gamma values leave the kernels' range, and
/// J and I come from Miller's recurrence, Y and K from upward recurrences.
inline constexpr int kBesselSeriesMaxOrder = 140;
/// Most steps of a recurrence: orders of larger magnitude, and where Miller's
/// recurrence would have to start beyond the argument, arguments above it,
/// are computed only where the asymptotic expansions reach working precision
/// (for J and Y: Hankel's or Debye's, see above) or the value lies below the
/// smallest subnormal (J, I: zero); elsewhere the routines stop with their
/// "Order too large" message (I and K; J and Y only beyond Debye's limits).
inline constexpr int kBesselMaxRecurrence = 100000;

namespace msg {
inline constexpr char kBesselJnrZero[] = "('*** DDBESSELJNR: Second argument is zero')";
inline constexpr char kBesselJnrLoop1[] = "('*** DDBESSELJNR: Loop end error 1')";
inline constexpr char kBesselJnrLoop2[] = "('*** DDBESSELJNR: Loop end error 2')";
inline constexpr char kBesselYnrZero[] = "('*** DDBESSELYNR: argument is negative or too large')";
inline constexpr char kBesselYnrLoop1[] = "('*** DDBESSELYNR: Loop end error 1')";
inline constexpr char kBesselYnrLoop2[] = "('*** DDBESSELYNR: Loop end error 2')";
inline constexpr char kBesselJrNotPositive[] = "('*** DDBESSELJR: Second argument <= 0')";
inline constexpr char kBesselJrLoop1[] = "('*** DDBESSELJR: Loop end error 1')";
inline constexpr char kBesselJrLoop2[] = "('*** DDBESSELJR: Loop end error 2')";
inline constexpr char kBesselYrLoop1[] = "('*** DDBESSELYR: Loop end error 1')";
inline constexpr char kBesselYrLoop2[] = "('*** DDBESSELYR: Loop end error 2')";
inline constexpr char kBesselYrDomain[] = "('*** DDBESSELYR: First argument < 0 and second argument <= 0')";
inline constexpr char kBesselInrZero[] = "('*** DDBESSELINR: Second argument is zero')";
inline constexpr char kBesselInrLoop1[] = "('*** DDBESSELINR: Loop end error 1')";
inline constexpr char kBesselInrLoop2[] = "('*** DDBESSELINR: Loop end error 2')";
inline constexpr char kBesselKnrZero[] = "('*** DDBESSELKNR: Second argument is zero')";
inline constexpr char kBesselKnrLoop1[] = "('*** DDBESSELKNR: Loop end error 1')";
inline constexpr char kBesselKnrLoop2[] = "('*** DDBESSELKNR: Loop end error 2')";
inline constexpr char kBesselIrDomain[] = "('*** DDBESSELIR: First argument < 0 and second argument <= 0')";
inline constexpr char kBesselInrTooLarge[] = "('*** DDBESSELINR: |Second argument| >',f7.1,'; I overflows')";
inline constexpr char kBesselIrTooLarge[] = "('*** DDBESSELIR: |Second argument| >',f7.1,'; I overflows')";
inline constexpr char kBesselIrLoop1[] = "('*** DDBESSELIR: Loop end error 1')";
inline constexpr char kBesselIrLoop2[] = "('*** DDBESSELIR: Loop end error 2')";
inline constexpr char kBesselKrDomain[] = "('*** DDBESSELKR: First argument < 0 and second argument <= 0')";
inline constexpr char kBesselKrLoop1[] = "('*** DDBESSELKR: Loop end error 1')";
inline constexpr char kBesselKrLoop2[] = "('*** DDBESSELKR: Loop end error 2')";
inline constexpr char kBesselJnrOrder[] = "('*** DDBESSELJNR: Order too large for the argument')";
inline constexpr char kBesselJnrOverflow[] = "('*** DDBESSELJNR: Result overflows')";
inline constexpr char kBesselYnrOrder[] = "('*** DDBESSELYNR: Order too large for the argument')";
inline constexpr char kBesselYnrOverflow[] = "('*** DDBESSELYNR: Result overflows')";
inline constexpr char kBesselInrOrder[] = "('*** DDBESSELINR: Order too large for the argument')";
inline constexpr char kBesselInrOverflow[] = "('*** DDBESSELINR: Result overflows')";
inline constexpr char kBesselKnrOrder[] = "('*** DDBESSELKNR: Order too large for the argument')";
inline constexpr char kBesselKnrOverflow[] = "('*** DDBESSELKNR: Result overflows')";
inline constexpr char kBesselJrOrder[] = "('*** DDBESSELJR: Order too large for the argument')";
inline constexpr char kBesselJrOverflow[] = "('*** DDBESSELJR: Result overflows')";
inline constexpr char kBesselYrOrder[] = "('*** DDBESSELYR: Order too large for the argument')";
inline constexpr char kBesselYrOverflow[] = "('*** DDBESSELYR: Result overflows')";
inline constexpr char kBesselIrOrder[] = "('*** DDBESSELIR: Order too large for the argument')";
inline constexpr char kBesselIrOverflow[] = "('*** DDBESSELIR: Result overflows')";
inline constexpr char kBesselKrOrder[] = "('*** DDBESSELKR: Order too large for the argument')";
inline constexpr char kBesselKrOverflow[] = "('*** DDBESSELKR: Result overflows')";
}  // namespace msg

/// zz = J_nu(rr); rr = 0 is refused.  J_{-n} = (-1)^n J_n, J_n(-x) = (-1)^n J_n(x).
void DDBESSELJNR(int nu, const DDReal& rr, DDReal& zz);
/// zz = Y_nu(rr); rr = 0 is refused.  Negative orders and arguments follow J's sign rule.
void DDBESSELYNR(int nu, const DDReal& rr, DDReal& zz);
/// zz = J_nu(rr) for a real order; an integral nu goes to DDBESSELJNR, otherwise rr <= 0 is refused.
void DDBESSELJR(const DDReal& nu, const DDReal& rr, DDReal& zz);
/// zz = Y_nu(rr) = (J_nu cos(nu pi) - J_{-nu}) / sin(nu pi) for a non-integral order.
void DDBESSELYR(const DDReal& nu, const DDReal& rr, DDReal& zz);
/// zz = I_nu(rr); rr = 0 is refused.  I_{-n} = I_n, I_n(-x) = (-1)^n I_n(x).
void DDBESSELINR(int nu, const DDReal& rr, DDReal& zz);
/// zz = K_nu(rr); rr = 0 is refused.  K_{-n} = K_n; a negative rr gives (-1)^n K_n(|rr|).
void DDBESSELKNR(int nu, const DDReal& rr, DDReal& zz);
/// zz = I_nu(rr) for a real order; nu < 0 with rr <= 0 is refused; rr < 0 gives I_nu(|rr|).
void DDBESSELIR(const DDReal& nu, const DDReal& rr, DDReal& zz);
/// zz = K_nu(rr) for a real order; nu < 0 with rr <= 0 is refused (and rr <= 0 by DDBESSELIR).
void DDBESSELKR(const DDReal& nu, const DDReal& rr, DDReal& zz);

}  // namespace dd
