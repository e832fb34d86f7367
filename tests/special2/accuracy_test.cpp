// Accuracy of erf, erfc, the polylogarithms and pFq against MPFR, per routine
// and branch over their whole domains (fixed seeds).  Errors in units of
// 2^-104, relative unless the branch says otherwise; each branch fails above
// the bound written beside it.
//
// Their rows in tests/special2/ACCURACY.md are regenerated with
//   DD_ACCURACY_TABLE=tests/special2/ACCURACY.md build/tests/dd_test_special2 --gtest_filter='accuracy*'
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "dd.hpp"
#include "support/accuracy.hpp"
#include "support/mpfr_ref.hpp"
#include "support/random_dd.hpp"
#include "special2_util.hpp"

namespace {

using dd::DDReal;
using dd::test::Args;
using dd::test::Branch;
using dd::test::log_uniform;
using dd::test::mp_polylog_neg;
using dd::test::Make;
using dd::test::Mp;
using dd::test::negated;
using dd::test::uniform;
using dd::test::uniform_dd;

/// The natural size of Li_-n(x) for x < 0, where its value has zeros: the
/// smaller of 2 n! / (ln^2 |x| + pi^2)^((n+1)/2) (the leading pole term) and
/// Li_-n(|x|), or the value itself where that is larger.
void mp_polylog_neg_scale(int n, const DDReal& x, const Mp& value, Mp& out) {
  Mp ax(x), t, pi, f, alt;
  mpfr_abs(ax, ax, MPFR_RNDN);
  mpfr_log(t, ax, MPFR_RNDN);
  mpfr_sqr(t, t, MPFR_RNDN);
  mpfr_const_pi(pi, MPFR_RNDN);
  mpfr_sqr(pi, pi, MPFR_RNDN);
  mpfr_add(t, t, pi, MPFR_RNDN);
  mpfr_set_d(f, -(n + 1) / 2.0, MPFR_RNDN);
  mpfr_pow(t, t, f, MPFR_RNDN);
  mpfr_fac_ui(f, n, MPFR_RNDN);
  mpfr_mul(out, t, f, MPFR_RNDN);
  mpfr_mul_ui(out, out, 2, MPFR_RNDN);
  if (mpfr_cmp_ui(ax, 1) != 0) {
    mp_polylog_neg(n, dd::test::to_ddreal(ax), alt);
    mpfr_abs(alt, alt, MPFR_RNDN);
    if (mpfr_cmp(alt, out) < 0) mpfr_set(out, alt, MPFR_RNDN);
  }
  Mp av;
  mpfr_abs(av, value.get(), MPFR_RNDN);
  if (mpfr_cmp(av, out) > 0) mpfr_set(out, av, MPFR_RNDN);
}

/// sum_k prod_j (a_j)_k / prod_j (b_j)_k x^k / k! at 1500 bits; for 2F1 at
/// x < -1 (where the series diverges) (1 - x)^-a 2F1(a, c - b; c; x / (x - 1)).
void mp_pfq(int p, int q, const Args& v, Mp& out) {
  constexpr mpfr_prec_t kPrec = 1500;
  const DDReal& x = v[p + q];
  Mp sum(kPrec), t(kPrec), f(kPrec), xm(x, kPrec);
  if (p == 2 && q == 1 && x.hi < -1.0) {
    Mp a(v[0], kPrec), c(v[2], kPrec), omx(kPrec), z(kPrec), cb(kPrec);
    mpfr_ui_sub(omx, 1, xm, MPFR_RNDN);
    mpfr_div(z, xm, omx, MPFR_RNDN);
    mpfr_neg(z, z, MPFR_RNDN);  // x / (x - 1)
    mpfr_sub(cb, c, Mp(v[1], kPrec), MPFR_RNDN);
    mpfr_set_ui(sum, 1, MPFR_RNDN);
    mpfr_set_ui(t, 1, MPFR_RNDN);
    for (long i = 1; i < 100000000; ++i) {
      mpfr_add_si(f, a, i - 1, MPFR_RNDN);
      mpfr_mul(t, t, f, MPFR_RNDN);
      mpfr_add_si(f, cb, i - 1, MPFR_RNDN);
      mpfr_mul(t, t, f, MPFR_RNDN);
      mpfr_add_si(f, c, i - 1, MPFR_RNDN);
      mpfr_div(t, t, f, MPFR_RNDN);
      mpfr_mul(t, t, z, MPFR_RNDN);
      mpfr_div_ui(t, t, i, MPFR_RNDN);
      mpfr_add(sum, sum, t, MPFR_RNDN);
      if (mpfr_zero_p(t) || mpfr_get_exp(t) < mpfr_get_exp(sum) - 400) break;
    }
    mpfr_neg(a, a, MPFR_RNDN);
    mpfr_pow(omx, omx, a, MPFR_RNDN);
    mpfr_mul(out, sum, omx, MPFR_RNDN);
    return;
  }
  mpfr_set_ui(sum, 1, MPFR_RNDN);
  mpfr_set_ui(t, 1, MPFR_RNDN);
  for (long i = 1; i < 1000000; ++i) {
    for (int j = 0; j < p + q; ++j) {
      Mp pj(v[j], kPrec);
      mpfr_add_si(f, pj, i - 1, MPFR_RNDN);
      if (j < p) {
        mpfr_mul(t, t, f, MPFR_RNDN);
      } else {
        mpfr_div(t, t, f, MPFR_RNDN);
      }
    }
    mpfr_mul(t, t, xm, MPFR_RNDN);
    mpfr_div_ui(t, t, i, MPFR_RNDN);
    mpfr_add(sum, sum, t, MPFR_RNDN);
    if (mpfr_zero_p(t) || mpfr_get_exp(t) < mpfr_get_exp(sum) - 400) break;
  }
  mpfr_set(out, sum, MPFR_RNDN);
}

/// Li_n(x) = sum_k x^k / k^n for |x| <= 0.9 at 320 bits.
void mp_polylog_pos(int n, const DDReal& x, Mp& out) {
  Mp xm(x, 320), t(320), k(320), p(320);
  mpfr_set_zero(out, 1);
  mpfr_set_ui(p, 1, MPFR_RNDN);
  for (long i = 1; i < 100000; ++i) {
    mpfr_mul(p, p, xm, MPFR_RNDN);
    mpfr_set_ui(k, i, MPFR_RNDN);
    mpfr_pow_ui(k, k, n, MPFR_RNDN);
    mpfr_div(t, p, k, MPFR_RNDN);
    mpfr_add(out, out, t, MPFR_RNDN);
    if (mpfr_zero_p(t) || mpfr_get_exp(t) < mpfr_get_exp(out) - 340) break;
  }
}

/// An order n in [nlo, nhi] and an argument from make; for x > 0, cut to
/// where Li_-n(x) ~ n! / |ln x|^(n+1) stays below 2^900.
Make order_and(int nlo, int nhi, Make make) {
  return [=](std::mt19937_64& rng, Args& x, int& n) {
    n = std::uniform_int_distribution<int>(nlo, nhi)(rng);
    int unused = 0;
    make(rng, x, unused);
    const double lx = std::fabs(std::log(std::fabs(x[0].hi)));
    const double lmin = std::exp2((std::lgamma(n + 1.0) / std::log(2.0) - 900.0) / (n + 1));
    if (x[0].hi > 0.0 && lx < lmin) x[0] = DDReal(x[0].hi < 1.0 ? std::exp(-lmin) : std::exp(lmin));
  };
}

/// pFq parameters: p numerators in (alo, ahi), q denominators in (blo, bhi)
/// above the numerators where `ordered` (terms of one sign after Kummer's and
/// Pfaff's transformations), and x in (xlo, xhi).
Make pfq_args(int p, int q, double alo, double ahi, double blo, double bhi, double xlo, double xhi, bool ordered) {
  return [=](std::mt19937_64& rng, Args& x, int& n) {
    n = p * 16 + q;
    x.clear();
    for (int j = 0; j < p; ++j) x.push_back(uniform_dd(rng, alo, ahi));
    for (int j = 0; j < q; ++j) {
      const double lo = ordered ? std::max(blo, x[0].hi + (p == 2 ? x[1].hi : 0.0) + 0.1) : blo;
      x.push_back(uniform_dd(rng, lo, std::max(bhi, lo + 1.0)));
    }
    x.push_back(uniform_dd(rng, xlo, xhi));
  };
}

std::vector<Branch> branches() {
  using V = const Args&;
  auto erf = [](V x, int, DDReal& r) { dd::DDERFR(x[0], r); };
  auto erfc = [](V x, int, DDReal& r) { dd::DDERFCR(x[0], r); };
  auto mp_erf = [](V x, int, Mp& r) { mpfr_erf(r, Mp(x[0]), MPFR_RNDN); };
  auto mp_erfc = [](V x, int, Mp& r) { mpfr_erfc(r, Mp(x[0]), MPFR_RNDN); };
  auto li_pos = [](V x, int n, DDReal& r) { dd::DDPOLYLOGPOS(n, x[0], r); };
  auto mp_li_pos = [](V x, int n, Mp& r) { mp_polylog_pos(n, x[0], r); };
  auto li_neg = [](V x, int n, DDReal& r) {
    std::vector<DDReal> t(n);
    dd::DDPOLYLOGINI(n, t.data());
    dd::DDPOLYLOGNEG(-n, t.data(), x[0], r);
  };
  auto mp_li_neg = [](V x, int n, Mp& r) { mp_polylog_neg(n, x[0], r); };
  auto li_neg_scale = [](V x, int n, Mp& r) {
    Mp v;
    mp_polylog_neg(n, x[0], v);
    mp_polylog_neg_scale(n, x[0], v, r);
  };
  auto pfq = [](V x, int n, DDReal& r) { dd::DDHYPERGEOMPFQ(n / 16, n % 16, x.data(), x.data() + n / 16, x.back(), r); };
  auto mp_pfq_ref = [](V x, int n, Mp& r) { mp_pfq(n / 16, n % 16, x, r); };
  return {
      {"DDERFR", "\\|z\\| in (2^-40, 1), both signs", 128, 300, log_uniform(0x1p-40, 1.0, true), erf, mp_erf},
      {"DDERFR", "z in (-6.75, 6.75) series", 128, 300, uniform(-6.75, 6.75), erf, mp_erf},
      {"DDERFR", "\\|z\\| in (6.75, 10), 1 - erfc and the limits", 32, 200, log_uniform(6.75, 10.0, true), erf, mp_erf},
      {"DDERFCR", "z in (-9.5, 1], 1 - erf and 2 - erfc", 256, 300, uniform(-9.5, 1.0), erfc, mp_erfc},
      {"DDERFCR", "z in (1, 9) Taylor about 32 anchors", 8, 300, uniform(1.0, 9.0), erfc, mp_erfc},
      {"DDERFCR", "z in [9, 17.3) asymptotic", 256, 200, uniform(9.0, 17.3), erfc, mp_erfc},
      {"DDERFCR", "z in (17.3, 25.8) asymptotic, e^(z^2) past 2^433", 512, 200, uniform(17.3, 25.8), erfc, mp_erfc},
      {"DDPOLYLOGPOS", "n 1..40, x in (-0.9, 0.9)", 64, 200, dd::test::int_and(1, 40, -0.9, 0.9), li_pos, mp_li_pos},
      {"DDPOLYLOGNEG", "n 1..20, x in (-1e3, -1e-3), against the natural size", 1024, 100,
       order_and(1, 20, negated(log_uniform(1e-3, 1e3))), li_neg, mp_li_neg, false, li_neg_scale},
      {"DDPOLYLOGNEG", "n 21..200, x in (-1e3, -1e-3), against the natural size", 1 << 18, 100,
       order_and(21, 200, negated(log_uniform(1e-3, 1e3))), li_neg, mp_li_neg, false, li_neg_scale},
      {"DDPOLYLOGNEG", "n 1..200, x in (0, 1), value below 2^900", 64, 100, order_and(1, 200, uniform(1e-3, 0.999)),
       li_neg, mp_li_neg},
      {"DDPOLYLOGNEG", "n 1..60, x in (1.001, 1e30)", 16, 100, order_and(1, 60, log_uniform(1.001, 1e30)), li_neg,
       mp_li_neg},
      {"DDHYPERGEOMPFQ", "1F1, x in (0, 60)", 128, 100, pfq_args(1, 1, -5, 5, 0.1, 6, 0, 60, false), pfq, mp_pfq_ref},
      {"DDHYPERGEOMPFQ", "1F1(a; b > a; x), x in (-60, 0) (Kummer where it cancels)", 1 << 15, 100,
       pfq_args(1, 1, -5, 5, 0.1, 6, -60, 0, true), pfq, mp_pfq_ref},
      {"DDHYPERGEOMPFQ", "2F1(a, b; c > a + b; x), \\|x\\| < 0.95", 256, 100,
       pfq_args(2, 1, 0.1, 3, 0.1, 8, -0.95, 0.95, true), pfq, mp_pfq_ref},
      {"DDHYPERGEOMPFQ", "2F1(a, b; c > a + b; x), x in (-30, -1) (Pfaff where it cancels)", 256, 60,
       pfq_args(2, 1, 0.1, 3, 0.1, 8, -30, -1, true), pfq, mp_pfq_ref},
  };
}

const char kTableNotes[] = R"(
Notes on these rows:

- erf and erfc: the literal series everywhere they stay in range; erfc from
  Taylor's series about 32 anchors on (1, 9); past z^2 = 689, where
  sqrt(pi) e^(z^2) passes the kernels' splitting limit, the asymptotic sum
  is multiplied by e^(-z^2) formed scaled, so erfc keeps its digits down to
  2^-969 (z near 25.8) and fades gradually to zero at z = 27.3.
- DDPOLYLOGNEG at x < 0 has zeros; its error there is measured against its
  natural size, the smaller of 2 n! / (ln^2|x| + pi^2)^((n+1)/2) and
  Li_-n(|x|).  The Eulerian closed form stands where its estimated error
  stays below 2^18 units of that size (it reaches 2^16.6 at n = 31,
  x = -1.55); elsewhere the sum over the poles (its error grows with n
  through the angle (n+1) arg(t - i pi): 2^12 at n = 163) or the defining
  series.
- DDHYPERGEOMPFQ: the defining series; where an alternating series would be
  off by more than 2^18 units, 1F1 and 2F1 at negative x take Kummer's and
  Pfaff's transformations and other series stop with a message.  Below that
  the series stands: 2^14 units for 1F1(-4.41; 0.90; -42.4).  2F1 at
  x <= -1 (where its series diverges) is Pfaff's sum.
)";

TEST(accuracy, every_branch_within_its_bound) { dd::test::run_branches(branches(), "erf-polylog-pfq", kTableNotes); }

}  // namespace
