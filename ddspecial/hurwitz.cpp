// Hurwitz zeta function.
//
// DDHURWITZZETAN uses the expansion in regularized incomplete gamma functions
// P1(x) = Gamma(s/2, x) / Gamma(s/2) and P2(x) = Gamma((1+s)/2, x) / Gamma((1+s)/2):
//   zeta(s, a) = pi^(s/2) / ((s-1) Gamma(s/2))
//              + 1/2 sum_{n in Z} (P1(pi (n+a)^2) + sign(n+a) P2(pi (n+a)^2)) / |n+a|^s
//              + pi^(s-1/2) sum_{k>=1} (Gamma((1-s)/2, pi k^2) cos(2 pi k a) / Gamma(s/2)
//                                      + Gamma(1 - s/2, pi k^2) sin(2 pi k a) / Gamma((1+s)/2)) k^(s-1),
// whose terms fall like e^(-pi k^2): six or seven steps give full precision.
//
// DDHURWITZZETANBE shifts a up to N = a + m >= 19.1455 and applies
// Euler-Maclaurin summation from N with the even-Bernoulli table.
#include "ddspecial/hurwitz.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddreal/rounding.hpp"
#include "ddspecial/bernoulli.hpp"
#include "ddspecial/gamma.hpp"
#include "ddspecial/incgamma.hpp"
#include "ddspecial/scaled_impl.hpp"
#include "ddspecial/series.hpp"

namespace dd {

namespace {

constexpr int kHurwitzMaxSteps = 1000000;
constexpr int kHurwitzTableMinimum = 44;
/// DDHURWITZZETANBE sums directly above this order.
constexpr int kHurwitzDirectAbove = 16;
/// The Euler-Maclaurin starting point: N = a + m is at least this.
constexpr double kHurwitzShiftTo = 19.1455077242292;
/// The shift used when the correction sum cannot converge from the first.
constexpr double kHurwitzRefitShiftTo = 40.0;

/// A difference of two values that is smaller than a quarter of them is
/// formed another way (two bits lost at most).
constexpr double kCancelFactor = 4.0;
/// Sines below this size are recomputed from the reduced angle.
constexpr double kSineRecomputeBelow = 0.25;

/// Above this order the expansion's incomplete gamma functions leave their
/// range (from about IS = 296 on, with the exponential over its whole range;
/// up to here it was right to 2^10.2 units on a grid of a).
constexpr int kHurwitzExpansionMaxOrder = 280;
/// Below 2^-969 the power |v|^IS of v = a or 1 - a (in the expansion) or
/// a^ISS (in the direct series) has a subnormal low word, and the sums that
/// divide by it lose digits gradually; below kLowWordLossLimit the scaled
/// sums take over.
const double kPowerLog2Min = std::log2(detail::kLowWordLossLimit);
/// The scaled direct series is used while it needs at most this many terms.
constexpr double kScaledDirectTerms = 400.0;
/// The even-Bernoulli table DDHURWITZZETAN uses for its scaled sums.
constexpr int kOwnTableSize = 60;

using detail::negligible;
using detail::Scaled;

/// Terms of the direct series sum_n (a + n)^-s before one falls to 2^-106 of
/// the partial sum: the first n with (a + n)^-s <= 2^-106 zeta(s, a), where
/// zeta(s, a) a^s = a / (s - 1) + 1/2 + s / (12 a) + ... (the partial sum is
/// the whole to far better than the 2^-20 that matters here).
double direct_terms(double s, double a) {
  const double lead = std::log2(a / (s - 1.0) + 0.5 + s / (12.0 * a));
  return a * (std::exp2(std::max(1.0, 106.0 - lead) / s) - 1.0);
}

/// True when |term| <= 2^-106 |sum|.
bool negligible_scaled(const Scaled& term, const Scaled& sum) {
  const std::int64_t d = term.e - sum.e;
  if (d < -120) return true;
  if (d > 0) return false;
  return negligible(detail::ldexp_words(term.m, static_cast<int>(d)), detail::kSeriesEps, sum.m);
}

/// N / (s - 1) + 1/2 + sum_k B(2k) s (s+1) ... (s+2k-2) / ((2k)! N^(2k-1)): the
/// Euler-Maclaurin tail sum_{n>=0} (N + n)^-s divided by N^-s.  The
/// correction terms stop at 2^-106 of the whole.
DDReal euler_maclaurin_bracket(int s, const DDReal& n, int nb2, const DDReal* table, const char* loop_end) {
  const double ds = static_cast<double>(s);
  DDReal br, x, x2, p, corr(0.0, 0.0);
  DDDIVD(n, ds - 1.0, br);
  DDADD(br, DDReal(0.5, 0.0), br);
  DDDIV(DDReal(1.0, 0.0), n, x);
  DDMUL(x, x, x2);
  DDMULD(x, ds * 0.5, p);  // s / (2 N)
  detail::run_series(nb2, loop_end, [&](int k) {
    if (k > 1) {
      DDMULD(p, ds + static_cast<double>(2 * k - 3), p);
      DDMULD(p, ds + static_cast<double>(2 * k - 2), p);
      DDDIVD(p, static_cast<double>(2 * k - 1) * static_cast<double>(2 * k), p);
      DDMUL(p, x2, p);
    }
    DDReal term, whole;
    DDMUL(table[k - 1], p, term);
    DDADD(corr, term, corr);
    DDADD(br, corr, whole);
    return negligible(term, detail::kSeriesEps, whole);
  });
  DDADD(br, corr, br);
  return br;
}

const DDReal* own_bernoulli_table() {
  static const std::vector<DDReal> t = [] {
    std::vector<DDReal> v(kOwnTableSize);
    DDBERNER(kOwnTableSize, v.data());
    return v;
  }();
  return t.data();
}

}  // namespace

namespace detail {

bool hurwitz_expansion_fits(int is, const DDReal& a) {
  DDReal oma;
  DDSUB(DDReal(1.0, 0.0), a, oma);
  const double v = std::min(a.hi, oma.hi);
  return is <= kHurwitzExpansionMaxOrder && static_cast<double>(is) * std::log2(v) >= kPowerLog2Min;
}

Scaled hurwitz_unit_scaled(int is, const DDReal& a) {
  return hurwitz_scaled(is, a, kOwnTableSize, own_bernoulli_table(), msg::kHurwitzLoopEnd);
}

}  // namespace detail

namespace {

/// pi x^2.
void pi_sq(const DDReal& pi, const DDReal& x, DDReal& r) {
  DDReal xx;
  DDMUL(x, x, xx);
  DDMUL(pi, xx, r);
}

/// The regularized lower incomplete gamma function P(h, x) = 1 - Gamma(h, x) / Gamma(h)
/// for h > 0 an integer or half an odd integer, from x^h e^-x / Gamma(h + 1) sum_k x^k / ((h+1)...(h+k)); g = Gamma(h).
void lower_regularized(const DDReal& h, const DDReal& g, const DDReal& x, DDReal& p) {
  const DDReal sum = detail::lower_gamma_sum(h, x, DDReal(1.0, 0.0), kHurwitzMaxSteps, msg::kHurwitzLoopEnd);
  // h is an integer or half an odd integer: x^h as an integer power times
  // sqrt(x), exact to a few units where exp(h log x) would lose |h log x| units.
  DDReal xh, ex, hg;
  const double whole = std::floor(h.hi);
  DDNPWR(x, static_cast<int>(whole), xh);
  if (h.hi != whole) {
    DDReal r;
    DDSQRT(x, r);
    DDMUL(xh, r, xh);
  }
  DDEXP(x, ex);
  DDDIV(xh, ex, xh);
  DDMUL(h, g, hg);
  DDDIV(xh, hg, xh);
  DDMUL(xh, sum, p);
}

/// (P1(x) + sign P2(x)) with P = Gamma(h, x) / G.  Where the difference
/// cancels (x near 0, so both are near 1, which happens for a near 1 at
/// k = 1) it is taken instead as the difference of the lower functions: both
/// then are small and differ in size, and the division by |a - 1|^IS that
/// follows would otherwise magnify the cancellation error (by 2^45 at
/// IS = 8, a = 0.986).
void p_pair(const DDReal& h1, const DDReal& g1, const DDReal& h2, const DDReal& g2, const DDReal& x, bool add,
            DDReal& r) {
  DDReal a, b;
  DDINCGAMMAR(h1, x, a);
  DDDIV(a, g1, a);
  DDINCGAMMAR(h2, x, b);
  DDDIV(b, g2, b);
  if (add) {
    DDADD(a, b, r);
  } else {
    DDSUB(a, b, r);
    if (std::fabs(r.hi) * kCancelFactor < std::fabs(a.hi)) {
      lower_regularized(h1, g1, x, a);
      lower_regularized(h2, g2, x, b);
      DDSUB(b, a, r);
    }
  }
}

enum class EmOutcome { met, fallback, fail };

/// Euler-Maclaurin summation of zeta(ISS, a) from N = a + m, m the whole part
/// of max(0, shift_to - a):
///   sum_{i<m} (a+i)^-ISS + N^(1-ISS)/(ISS-1) + N^-ISS/2
///   + sum_k B(2k) ISS (ISS+1)...(ISS+2k-2) / ((2k)! N^(ISS+2k-1)).
/// The correction sum stops at its first term within 2^-106 of itself (met).
/// Failing that by the end of the table, the sum as it stood at the first
/// term within 2^-106 of the whole serves (fallback); failing both, fail.
EmOutcome euler_maclaurin(int NB2, const DDReal* table, int ISS, const DDReal& a, double shift_to,
                          const DDReal& eps, DDReal& z) {
  const int m = static_cast<int>(std::max(0.0, shift_to - a.hi));
  DDReal s1(0.0, 0.0);
  for (int i = 0; i <= m - 1; ++i) {
    DDReal v, p, term;
    DDADD(a, DDReal(static_cast<double>(i), 0.0), v);
    DDNPWR(v, ISS, p);
    DDDIV(DDReal(1.0, 0.0), p, term);
    DDADD(s1, term, s1);
  }
  DDReal n;
  DDADD(a, DDReal(static_cast<double>(m), 0.0), n);
  DDReal s2, s3, p;
  DDNPWR(n, ISS - 1, p);
  DDMULD(p, static_cast<double>(ISS - 1), s2);
  DDDIV(DDReal(1.0, 0.0), s2, s2);
  DDNPWR(n, ISS, p);
  DDMULD(p, 2.0, s3);
  DDDIV(DDReal(1.0, 0.0), s3, s3);

  DDReal sigma(static_cast<double>(ISS), 0.0), f(1.0, 0.0), q, n2, s4(0.0, 0.0);
  DDNPWR(n, ISS - 1, q);
  DDMUL(n, n, n2);
  DDReal head;
  DDADD(s1, s2, head);
  DDADD(head, s3, head);
  detail::SeriesFallback fallback{std::fabs(head.hi)};
  bool done = false;
  for (int k = 1; k <= NB2; ++k) {
    const double j = static_cast<double>(ISS + 2 * k - 3);
    if (k > 1) {
      DDMULD(sigma, j, sigma);
      DDMULD(sigma, j + 1.0, sigma);
    }
    DDMULD(f, static_cast<double>(2 * k - 1), f);
    DDMULD(f, static_cast<double>(2 * k), f);
    DDMUL(q, n2, q);
    DDReal num, den, term;
    DDMUL(table[k - 1], sigma, num);
    DDMUL(f, q, den);
    DDDIV(num, den, term);
    DDADD(s4, term, s4);
    if (negligible(term, eps, s4)) {
      done = true;
      break;
    }
    fallback.note(term, s4);
  }
  if (!done) {
    if (!fallback.have) return EmOutcome::fail;
    s4 = fallback.sum;
  }
  DDReal r;
  DDADD(s1, s2, r);
  DDADD(r, s3, r);
  DDADD(r, s4, z);
  return done ? EmOutcome::met : EmOutcome::fallback;
}

/// sn = sin(2 pi k a) from the fraction phi of k a nearest zero, through
/// the angle 2 pi psi with |psi| <= 1/4 that has the same sine.  The circular
/// routine takes the sine from the cosine, so its relative error grows like
/// 2^-106 / sin^2 as k a nears a multiple of 1/2; for a near 0 or 1 the
/// k = 1 term of the third sum then lost up to 2^18 units of 2^-104 of the
/// result at a = 1 - 10^-7.
void sine_of_turns(const DDReal& a, int k, DDReal& sn) {
  DDReal ka, near, phi, pi, angle;
  DDMULD(a, static_cast<double>(k), ka);
  DDNINT(ka, near);
  DDSUB(ka, near, phi);
  if (phi.hi > 0.25) {
    DDSUB(DDReal(0.5, 0.0), phi, phi);
  } else if (phi.hi < -0.25) {
    DDSUB(DDReal(-0.5, 0.0), phi, phi);
  }
  DDPI(pi);
  DDMULD(pi, 2.0, angle);
  DDMUL(angle, phi, angle);
  detail::small_angle_sine(angle, sn);
}

}  // namespace

namespace detail {

bool hurwitz_be_sums_fit(int iss, const DDReal& a) {
  const double s = static_cast<double>(iss);
  if (s * std::log2(a.hi) < kPowerLog2Min) return false;
  if (iss > kHurwitzDirectAbove) {
    const double n = direct_terms(s, a.hi);
    // The series forms (a + i)^ISS for i up to n, and at least for i = 1.
    return n < kHurwitzMaxSteps - 100 && s * std::log2(a.hi + std::max(n, 1.0)) < std::log2(detail::kSplitLimit) - 1.0;
  }
  return (s + 3.0) * std::log2(std::max(a.hi, kHurwitzRefitShiftTo)) < 990.0;
}

Scaled hurwitz_scaled(int s, const DDReal& a, int nb2, const DDReal* table, const char* loop_end) {
  const double ds = static_cast<double>(s);
  Scaled sum;
  auto add_power = [&](double i) {
    DDReal v;
    DDADD(a, DDReal(i, 0.0), v);
    const Scaled t = pow_scaled(v, -static_cast<std::int64_t>(s));
    sum = add(sum, t);
    return t;
  };
  if (direct_terms(ds, a.hi) <= kScaledDirectTerms) {
    run_series(kHurwitzMaxSteps, loop_end, [&](int k) {
      const Scaled t = add_power(static_cast<double>(k - 1));
      return negligible_scaled(t, sum);
    });
    return sum;
  }
  const double target = std::max(kHurwitzShiftTo, 0.64 * (ds + 60.0));
  const int m = a.hi < target ? static_cast<int>(std::ceil(target - a.hi)) : 0;
  for (int i = 0; i < m; ++i) add_power(static_cast<double>(i));
  DDReal n;
  DDADD(a, DDReal(static_cast<double>(m), 0.0), n);
  const DDReal br = euler_maclaurin_bracket(s, n, nb2, table, loop_end);
  return add(sum, mul(to_scaled(br), pow_scaled(n, -static_cast<std::int64_t>(s))));
}

}  // namespace detail

void DDHURWITZZETAN(int IS, const DDReal& AA, DDReal& z) {
  if (detail::is_nan(AA)) {
    z = detail::kNaNWords;
    return;
  }
  if (IS <= 0) detail::fail(msg::kHurwitzIsNotPositive);
  if (IS == 1) detail::fail(msg::kHurwitzIsOne);
  int c0, c1;
  DDCOMPARE(AA, DDReal(0.0, 0.0), c0);
  DDCOMPARE(AA, DDReal(1.0, 0.0), c1);
  if (c0 <= 0 || c1 >= 0) detail::fail(msg::kHurwitzRange);
  const DDReal a = AA;
  if (!detail::hurwitz_expansion_fits(IS, a)) {
    z = detail::to_dd(detail::hurwitz_unit_scaled(IS, a));
    return;
  }

  const DDReal eps = detail::kSeriesEps;
  const DDReal s(static_cast<double>(IS), 0.0);
  DDReal h1, h2, h3, h4, g1, g2;
  DDMULD(s, 0.5, h1);
  DDADD(DDReal(1.0, 0.0), s, h2);
  DDMULD(h2, 0.5, h2);
  DDSUB(DDReal(1.0, 0.0), s, h3);
  DDMULD(h3, 0.5, h3);
  DDSUB(DDReal(1.0, 0.0), h1, h4);
  DDGAMMAR(h1, g1);
  DDGAMMAR(h2, g2);

  DDReal pi;
  DDPI(pi);
  DDReal x, s1, pw;
  pi_sq(pi, a, x);
  p_pair(h1, g1, h2, g2, x, true, s1);
  DDReal absa;
  DDABS(a, absa);
  DDNPWR(absa, IS, pw);
  DDDIV(s1, pw, s1);
  DDReal s2(0.0, 0.0), s3(0.0, 0.0);

  detail::run_series(kHurwitzMaxSteps, msg::kHurwitzLoopEnd, [&](int k) {
    const DDReal dk(static_cast<double>(k), 0.0);
    DDReal u1, u2, u3, v, av;
    DDADD(dk, a, v);
    pi_sq(pi, v, x);
    p_pair(h1, g1, h2, g2, x, true, u1);
    DDABS(v, av);
    DDNPWR(av, IS, pw);
    DDDIV(u1, pw, u1);

    DDSUB(a, dk, v);
    pi_sq(pi, v, x);
    p_pair(h1, g1, h2, g2, x, false, u2);
    DDABS(v, av);
    DDNPWR(av, IS, pw);
    DDDIV(u2, pw, u2);

    DDReal angle, cs, sn, ga, gb;
    DDMULD(pi, 2.0 * static_cast<double>(k), angle);
    DDMUL(angle, a, angle);
    DDCSSNR(angle, cs, sn);
    if (std::fabs(sn.hi) < kSineRecomputeBelow) sine_of_turns(a, k, sn);
    pi_sq(pi, dk, x);
    DDINCGAMMAR(h3, x, ga);
    DDMUL(ga, cs, ga);
    DDDIV(ga, g1, ga);
    DDINCGAMMAR(h4, x, gb);
    DDMUL(gb, sn, gb);
    DDDIV(gb, g2, gb);
    DDADD(ga, gb, u3);
    DDNPWR(dk, 1 - IS, pw);
    DDDIV(u3, pw, u3);

    DDADD(s1, u1, s1);
    DDADD(s2, u2, s2);
    DDADD(s3, u3, s3);
    return negligible(u1, eps, s1) && negligible(u2, eps, s2) && negligible(u3, eps, s3);
  });

  DDReal ppow, sqpi, l, den;
  DDSQRT(pi, sqpi);
  if (IS % 2 == 1) {
    DDNPWR(pi, (IS - 1) / 2, ppow);
    DDMUL(ppow, sqpi, ppow);
  } else {
    DDNPWR(pi, IS / 2, ppow);
  }
  DDSUB(s, DDReal(1.0, 0.0), den);
  DDMUL(den, g1, den);
  DDDIV(ppow, den, l);

  DDReal r, t;
  DDMULD(s1, 0.5, t);
  DDADD(l, t, r);
  DDMULD(s2, 0.5, t);
  DDADD(r, t, r);
  DDReal pis;
  DDNPWR(pi, IS, pis);
  DDDIV(pis, sqpi, pis);
  DDMUL(pis, s3, t);
  DDADD(r, t, z);
}

void DDHURWITZZETANBE(int NB2, const DDReal* table, int ISS, const DDReal& AA, DDReal& z) {
  detail::check_bernoulli_table(NB2, table, kHurwitzTableMinimum, msg::kHurwitzBeTable);
  if (detail::is_nan(AA)) {
    z = detail::kNaNWords;
    return;
  }
  if (ISS <= 0) detail::fail(msg::kHurwitzBeIssNotPositive);
  if (ISS == 1) detail::fail(msg::kHurwitzBeIssOne);
  if (DDSIGN(AA) < 0) detail::fail(msg::kHurwitzBeNegative);
  if (DDSIGN(AA) == 0) detail::fail(msg::kHurwitzBeZero);
  const DDReal a = AA;
  const DDReal eps = detail::kSeriesEps;
  if (!detail::hurwitz_be_sums_fit(ISS, a)) {
    z = detail::to_dd(detail::hurwitz_scaled(ISS, a, NB2, table, msg::kHurwitzBeLoop2));
    return;
  }

  if (ISS > kHurwitzDirectAbove) {
    DDReal sum(0.0, 0.0);
    // Step j adds the term of i = j - 1.
    detail::run_series(kHurwitzMaxSteps + 1, msg::kHurwitzBeLoop1, [&](int j) {
      DDReal v, p, term;
      DDADD(a, DDReal(static_cast<double>(j - 1), 0.0), v);
      DDNPWR(v, ISS, p);
      DDDIV(DDReal(1.0, 0.0), p, term);
      DDADD(sum, term, sum);
      return negligible(term, eps, sum);
    });
    z = sum;
    return;
  }

  DDReal r;
  if (euler_maclaurin(NB2, table, ISS, a, kHurwitzShiftTo, eps, r) == EmOutcome::fail) {
    // The correction sum could not reach 2^-106 of the whole before the table
    // ended (ISS near 16 with a >= 1: with N near 19 its smallest term is
    // itself near 2^-104 of the result, reached only past entry 44).  A
    // larger shift makes the terms fall fast enough.
    if (euler_maclaurin(NB2, table, ISS, a, kHurwitzRefitShiftTo, eps, r) == EmOutcome::fail) {
      detail::fail(msg::kHurwitzBeLoop2);
    }
  }
  z = r;
}

}  // namespace dd
