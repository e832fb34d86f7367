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
}  // namespace msg

/// Most terms of the DDPOLYLOGPOS series.
inline constexpr int kPolylogPosMaxTerms = 1000000;

/// y = Li_n(x) for n >= 0 and |x| < 1.  n = 0 is x / (1 - x); n >= 1 sums
/// x^k / k^n (k^n by DDNPWR) until a term is at most 2^-106 of the sum.
/// The number of terms grows like 73.5 / |ln |x||: beyond 10^6 terms
/// (|x| above about 0.99993) the routine stops with its loop end message.
void DDPOLYLOGPOS(int n, const DDReal& x, DDReal& y);

/// table[0 .. |nn|-1] = the Eulerian numbers A(|nn|, 1 .. |nn|) (exact
/// integers; rows of the triangle by A(k, j) = (k+1-j) A(k-1, j-1) + j A(k-1, j)).
/// nn = 0 writes nothing.
void DDPOLYLOGINI(int nn, DDReal* table);

/// y = Li_{-|nn|}(x) = sum_{m=1..|nn|} A(|nn|, m) x^m / (1 - x)^(|nn|+1), with
/// table from DDPOLYLOGINI(nn).  Refuses nn = 0, a table whose first or last
/// entry is not 1, and x = 1 (the pole).
void DDPOLYLOGNEG(int nn, const DDReal* table, const DDReal& x, DDReal& y);

}  // namespace dd
