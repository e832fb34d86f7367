// Polylogarithm Li_n(x) = sum_{k>=1} x^k / k^n of an integer order n.
//
//   DDPOLYLOGPOS  n >= 0, |x| < 1: the defining series (n = 0 in closed form).
//   DDPOLYLOGINI  the Eulerian numbers A(n, 1..n) that DDPOLYLOGNEG needs.
//   DDPOLYLOGNEG  n < 0: sum_m A(|n|, m) x^m / (1 - x)^(|n|+1).
#pragma once

#include "ddreal/kernels.hpp"

namespace dd {

namespace msg {
inline constexpr char kPolylogPosNegative[] =
    "('*** DDPOLYLOGPOS: N is less than zero.'/"
    " 'For negative n, call ddpolylogneg or polylog_neg. See documentation.')";
inline constexpr char kPolylogPosRange[] = "('*** DDPOLYLOGPOS: |X| must be less than one.')";
inline constexpr char kPolylogPosLoopEnd[] = "('*** DDPOLYLOGPOS: Loop end error')";
inline constexpr char kPolylogNegTable[] =
    "('*** DDPOLYLOGNEG: Uninitialized or inadequately sized arrays'/"
    " 'Call ddpolylogini or polylog_ini to initialize array. See documentation.')";
inline constexpr char kPolylogNegZeroOrder[] =
    "('*** DDPOLYLOGNEG: NN must not be zero; for order 0 call ddpolylogpos or polylog_pos.')";
inline constexpr char kPolylogNegAtOne[] = "('*** DDPOLYLOGNEG: X must not be one (pole).')";
inline constexpr char kPolylogNegLoopEnd[] = "('*** DDPOLYLOGNEG: Loop end error')";
}  // namespace msg

/// Most terms of the DDPOLYLOGPOS series.
inline constexpr int kPolylogPosMaxTerms = 1000000;
/// Beyond this |x| (hi word) the defining series would need nearly 10^6 terms
/// (about 73.5 / |ln |x||) for orders below kPolylogLogSeriesOrders; there the
/// series in mu = ln x takes over.  Higher orders converge through k^-n.
inline constexpr double kPolylogNearOne = 0.9999;
inline constexpr int kPolylogLogSeriesOrders = 30;

/// y = Li_n(x) for n >= 0 and |x| < 1.  n = 0 is x / (1 - x); n >= 1 sums
/// x^k / k^n (k^n by DDNPWR) until a term is at most 2^-106 of the sum.
/// For 0.9999 < |x| < 1 and 1 <= n < 30:
///   Li_n(e^mu) = sum_{k != n-1} zeta(n-k) mu^k / k! + mu^(n-1) / (n-1)! (H_{n-1} - ln(-mu)),
/// mu = ln x = ln(1 - (1 - x)) by its own series (no cancellation), and for
/// negative x, Li_n(x) = 2^(1-n) Li_n(x^2) - Li_n(|x|).
void DDPOLYLOGPOS(int n, const DDReal& x, DDReal& y);

/// table[0 .. |nn|-1] = the Eulerian numbers A(|nn|, 1 .. |nn|) (exact
/// integers; rows of the triangle by A(k, j) = (k+1-j) A(k-1, j-1) + j A(k-1, j)).
/// nn = 0 writes nothing.
void DDPOLYLOGINI(int nn, DDReal* table);

/// y = Li_{-|nn|}(x) = sum_{m=1..|nn|} A(|nn|, m) x^m / (1 - x)^(|nn|+1), with
/// table from DDPOLYLOGINI(nn).  Refuses nn = 0, a table whose first or last
/// entry is not 1, and x = 1 (the pole).  Where that closed form cancels
/// (x < 0) beyond 2^18 units of the function's natural size, or its factors
/// leave the kernels' range, the value comes from the sum over the poles or
/// the defining series with scaled powers (ddspecial/polylog.cpp).
void DDPOLYLOGNEG(int nn, const DDReal* table, const DDReal& x, DDReal& y);

}  // namespace dd
