// Typed interface to the special functions: each entry passes its arguments,
// unchanged and in order, to one routine and returns the DDReal that routine
// writes.  Checks, messages and stops are the routine's own.
//
// Tables (the even-Bernoulli table, the Eulerian-number table, the parameter
// lists of pFq) come in two forms: the routine's (a count and a pointer to
// entry 1) and a std::span, whose size is the count, so the two cannot
// disagree.  A std::vector<DDReal> converts to either span:
//
//   std::vector<dd::DDReal> b(47);
//   dd::DDBERNE(b);                            // fills B(2) .. B(94)
//   dd::DDReal z = dd::zeta_be(b, 3.5);        // zeta(3.5)
//   std::vector<dd::DDReal> e(3);
//   dd::polylog_ini(e);                        // Eulerian numbers 1, 4, 1
//   dd::DDReal li = dd::polylog_neg(e, 0.25);  // Li_{-3}(1/4)
//
// The routines still test a table's contents (entry 1 of a Bernoulli table
// must be 1/6; an Eulerian table must begin and end with 1).
#pragma once

#include <cstddef>
#include <limits>
#include <span>

#include "ddreal/kernels.hpp"
#include "ddspecial/ddspecial.hpp"

namespace dd {

namespace detail {
/// A span's size as the routines' 32-bit count (sizes past INT_MAX are capped).
inline int table_count(std::size_t n) noexcept {
  return n > static_cast<std::size_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                        : static_cast<int>(n);
}
}  // namespace detail

// ---- gamma, incomplete gamma, exponential integral -----------------------------

inline DDReal gamma_fn(const DDReal& t) { DDReal r; DDGAMMAR(t, r); return r; }
inline DDReal inc_gamma(const DDReal& s, const DDReal& z) { DDReal r; DDINCGAMMAR(s, z, r); return r; }
inline DDReal expint(const DDReal& x) { DDReal r; DDEXPINT(x, r); return r; }

// ---- zeta, polygamma, Hurwitz zeta ------------------------------------------------

inline DDReal zeta(const DDReal& s) { DDReal r; DDZETAR(s, r); return r; }
inline DDReal zeta_int(int is) { DDReal r; DDZETAINTR(is, r); return r; }
inline DDReal zeta_be(int nb2, const DDReal* table, const DDReal& s) { DDReal r; DDZETABE(nb2, table, s, r); return r; }
inline DDReal zeta_be(std::span<const DDReal> table, const DDReal& s) {
  return zeta_be(detail::table_count(table.size()), table.data(), s);
}

inline DDReal polygamma(int nn, const DDReal& x) { DDReal r; DDPOLYGAMMA(nn, x, r); return r; }
inline DDReal polygamma_be(int nb2, const DDReal* table, int nn, const DDReal& x) {
  DDReal r;
  DDPOLYGAMMABE(nb2, table, nn, x, r);
  return r;
}
inline DDReal polygamma_be(std::span<const DDReal> table, int nn, const DDReal& x) {
  return polygamma_be(detail::table_count(table.size()), table.data(), nn, x);
}
inline DDReal digamma_be(int nb2, const DDReal* table, const DDReal& x) {
  DDReal r;
  DDDIGAMMABE(nb2, table, x, r);
  return r;
}
inline DDReal digamma_be(std::span<const DDReal> table, const DDReal& x) {
  return digamma_be(detail::table_count(table.size()), table.data(), x);
}

inline DDReal hurwitz_zeta(int is, const DDReal& aa) { DDReal r; DDHURWITZZETAN(is, aa, r); return r; }
inline DDReal hurwitz_zeta_be(int nb2, const DDReal* table, int iss, const DDReal& aa) {
  DDReal r;
  DDHURWITZZETANBE(nb2, table, iss, aa, r);
  return r;
}
inline DDReal hurwitz_zeta_be(std::span<const DDReal> table, int iss, const DDReal& aa) {
  return hurwitz_zeta_be(detail::table_count(table.size()), table.data(), iss, aa);
}

/// Fills table[0 .. nb2-1] with B(2), B(4), ..., B(2 nb2).
inline void DDBERNE(int nb2, DDReal* table) { DDBERNER(nb2, table); }
/// Fills the whole span: its size is NB2.
inline void DDBERNE(std::span<DDReal> table) { DDBERNER(detail::table_count(table.size()), table.data()); }

// ---- polylogarithm -------------------------------------------------------------------

inline DDReal polylog_pos(int n, const DDReal& x) { DDReal r; DDPOLYLOGPOS(n, x, r); return r; }
inline DDReal polylog_neg(int nn, const DDReal* table, const DDReal& x) {
  DDReal r;
  DDPOLYLOGNEG(nn, table, x, r);
  return r;
}
/// Li_{-n}(x) with n = the table's size.
inline DDReal polylog_neg(std::span<const DDReal> table, const DDReal& x) {
  return polylog_neg(-detail::table_count(table.size()), table.data(), x);
}
/// Fills table[0 .. |nn|-1] with the Eulerian numbers of row |nn|.
inline void polylog_ini(int nn, DDReal* table) { DDPOLYLOGINI(nn, table); }
/// Fills the whole span with the Eulerian numbers of the row of its size.
inline void polylog_ini(std::span<DDReal> table) { DDPOLYLOGINI(detail::table_count(table.size()), table.data()); }

// ---- error functions --------------------------------------------------------------------

inline DDReal erf(const DDReal& z) { DDReal r; DDERFR(z, r); return r; }
inline DDReal erfc(const DDReal& z) { DDReal r; DDERFCR(z, r); return r; }

// ---- Bessel functions -----------------------------------------------------------------------

inline DDReal bessel_jn(int nu, const DDReal& rr) { DDReal r; DDBESSELJNR(nu, rr, r); return r; }
inline DDReal bessel_j0(const DDReal& rr) { return bessel_jn(0, rr); }
inline DDReal bessel_j1(const DDReal& rr) { return bessel_jn(1, rr); }
inline DDReal bessel_j(const DDReal& nu, const DDReal& rr) { DDReal r; DDBESSELJR(nu, rr, r); return r; }
inline DDReal bessel_yn(int nu, const DDReal& rr) { DDReal r; DDBESSELYNR(nu, rr, r); return r; }
inline DDReal bessel_y0(const DDReal& rr) { return bessel_yn(0, rr); }
inline DDReal bessel_y1(const DDReal& rr) { return bessel_yn(1, rr); }
inline DDReal bessel_y(const DDReal& nu, const DDReal& rr) { DDReal r; DDBESSELYR(nu, rr, r); return r; }
inline DDReal bessel_in(int nu, const DDReal& rr) { DDReal r; DDBESSELINR(nu, rr, r); return r; }
inline DDReal bessel_i(const DDReal& nu, const DDReal& rr) { DDReal r; DDBESSELIR(nu, rr, r); return r; }
inline DDReal bessel_kn(int nu, const DDReal& rr) { DDReal r; DDBESSELKNR(nu, rr, r); return r; }
inline DDReal bessel_k(const DDReal& nu, const DDReal& rr) { DDReal r; DDBESSELKR(nu, rr, r); return r; }

// ---- Struve and hypergeometric functions ---------------------------------------------------

inline DDReal struve_h(int nu, const DDReal& ss) { DDReal r; DDSTRUVEHN(nu, ss, r); return r; }
inline DDReal hypergeom_pfq(int np, int nq, const DDReal* aa, const DDReal* bb, const DDReal& xx) {
  DDReal r;
  DDHYPERGEOMPFQ(np, nq, aa, bb, xx, r);
  return r;
}
/// pFq with p = aa.size() and q = bb.size().
inline DDReal hypergeom_pfq(std::span<const DDReal> aa, std::span<const DDReal> bb, const DDReal& xx) {
  return hypergeom_pfq(detail::table_count(aa.size()), detail::table_count(bb.size()), aa.data(), bb.data(), xx);
}

}  // namespace dd
