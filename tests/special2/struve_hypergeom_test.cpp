#include <gtest/gtest.h>

#include <vector>

#include "special2_util.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::DDReal;
using dd::test::Mp;
using dd::test::rel_ulps;

/// H_n(x) by its power series at 2400 bits (its terms reach e^1000 at x = 1000).
void mp_struve(Mp& want, int n, const DDReal& x) {
  constexpr mpfr_prec_t kPrec = 2400;
  Mp mx(x, kPrec), first(kPrec), t(kPrec), g(kPrec), q(kPrec);
  mpfr_sqr(q, mx, MPFR_RNDN);
  mpfr_div_si(q, q, -4, MPFR_RNDN);
  mpfr_div_ui(t, mx, 2, MPFR_RNDN);
  mpfr_pow_ui(first, t, static_cast<unsigned long>(n + 1), MPFR_RNDN);
  mpfr_set_d(g, 1.5, MPFR_RNDN);
  mpfr_gamma(g, g, MPFR_RNDN);
  mpfr_div(first, first, g, MPFR_RNDN);
  mpfr_set_d(g, n + 1.5, MPFR_RNDN);
  mpfr_gamma(g, g, MPFR_RNDN);
  mpfr_div(first, first, g, MPFR_RNDN);
  Mp w(kPrec);
  dd::test::mp_series(w, first, [&](long k, mpfr_ptr r) {
    mpfr_set_d(r, (k + 0.5) * (k + n + 0.5), MPFR_RNDN);
    mpfr_div(r, q.get(), r, MPFR_RNDN);
  });
  mpfr_set(want, w, MPFR_RNDN);
}

TEST(struve, known_values) {
  DDReal y;
  dd::DDSTRUVEHN(0, DDReal(0.0), y);
  EXPECT_EQ(y.hi, 0.0);
  dd::DDSTRUVEHN(1, DDReal(0.0), y);
  EXPECT_EQ(y.hi, 0.0);
  dd::DDSTRUVEHN(0, DDReal(1.0), y);
  EXPECT_NEAR(y.hi, 0.5686566270482879, 1e-16);
  dd::DDSTRUVEHN(1, DDReal(1.0), y);
  EXPECT_NEAR(y.hi, 0.1984573362019444, 1e-16);
}

// The whole domain: the power series below 4, the series over Bessel
// functions beyond up to the limit 1000, both signs; orders up to 3000, where
// the asymptotic series and the power series in quotients take over (and
// some orders between x and about 2x above 100 are refused).
TEST(struve, accuracy_over_its_domain) {
  struct Part {
    int nlo, nhi;
    double xlo, xhi, bound;
  };
  const Part parts[] = {{0, 140, 0.01, 4.0, 16}, {0, 40, 4.0, 1000.0, 512}, {141, 3000, 0.01, 4.0, 16},
                        {41, 3000, 4.0, 1000.0, 512}};
  std::mt19937_64 g(dd::test::test_seed());
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::vector<dd::test::AccuracyRow> rows;
  for (const Part& p : parts) {
    dd::test::AccuracyRow row;
    row.routine = "`DDSTRUVEHN`";
    char range[80];
    std::snprintf(range, sizeof range, "n %d..%d, x +-%g..%g", p.nlo, p.nhi, p.xlo, p.xhi);
    row.range = range;
    row.points = 20;
    row.bound = p.bound;
    dd::test::measure_row(row, [&](int i, std::string& where) {
      const int n = static_cast<int>(std::exp(std::log(p.nlo + 1.0) + u(g) * std::log((p.nhi + 1.0) / (p.nlo + 1.0))) - 1.0);
      const double xv = p.xlo * std::pow(p.xhi / p.xlo, u(g));
      DDReal x = dd::test::random_dd(g, xv, xv);
      if (i % 4 == 3) dd::DDNEG(x, x);
      char at[64];
      std::snprintf(at, sizeof at, "%d, %.17g", n, x.hi);
      where = at;
      Mp want;
      mp_struve(want, n, x);
      DDReal y;
      dd::stop_guard guard;
      try {
        dd::DDSTRUVEHN(n, x, y);
      } catch (const dd::stop_error& e) {
        return std::string(e.what()) == "*** DDSTRUVEHN: Order too large for the argument" && p.nlo > 40 ? -1.0 : 1e300;
      }
      if (std::fabs(mpfr_get_d(want, MPFR_RNDN)) < 0x1p-960) return std::fabs(y.hi) < 0x1p-1000 ? 0.0 : 1e300;
      return rel_ulps(y, want);
    });
    EXPECT_LE(row.worst, p.bound) << row.range << " at " << row.at;
    rows.push_back(row);
  }
  dd::test::report_rows("struve", rows);
}

TEST(struve, refusals) {
  DDReal y;
  EXPECT_DD_STOP(dd::DDSTRUVEHN(-1, DDReal(1.0), y), "*** DDSTRUVEHN: NU < 0");
  EXPECT_DD_STOP(dd::DDSTRUVEHN(0, DDReal(1000.5), y), "*** DDSTRUVEHN: ABS(SS) > 1000.00");
  EXPECT_DD_STOP(dd::DDSTRUVEHN(0, DDReal(-1000.5), y), "*** DDSTRUVEHN: ABS(SS) > 1000.00");
  dd::DDSTRUVEHN(0, DDReal(1000.0), y);
  EXPECT_TRUE(std::isfinite(y.hi));
  // Orders whose value is below the smallest subnormal: zero, without a loop over the order.
  dd::DDSTRUVEHN(2147483647, DDReal(1000.0), y);
  EXPECT_EQ(y.hi, 0.0);
}

DDReal pfq(std::vector<DDReal> a, std::vector<DDReal> b, const DDReal& x) {
  DDReal y;
  dd::DDHYPERGEOMPFQ(static_cast<int>(a.size()), static_cast<int>(b.size()), a.data(), b.data(), x, y);
  return y;
}

TEST(hypergeom, closed_forms) {
  std::mt19937_64 g(dd::test::test_seed());
  double worst_exp = 0.0, worst_log = 0.0;
  for (int i = 0; i < 100; ++i) {
    // 1F1(a; a; x) = e^x for x >= 0 (no cancellation), also where the separate products overflow (x > 25).
    const DDReal x = dd::test::random_dd(g, 0.0, 60.0);
    const DDReal a = dd::test::random_dd(g, 0.5, 3.0);
    Mp want(x);
    mpfr_exp(want, want, MPFR_RNDN);
    worst_exp = std::max(worst_exp, rel_ulps(pfq({a}, {a}, x), want));
    // 2F1(1, 1; 2; x) = -log(1 - x) / x, also for |x| above 0.47.
    const DDReal z = dd::test::random_dd(g, -0.95, 0.95);
    Mp mz(z), l;
    mpfr_neg(l, mz, MPFR_RNDN);
    mpfr_log1p(l, l, MPFR_RNDN);
    mpfr_div(l, l, mz, MPFR_RNDN);
    mpfr_neg(l, l, MPFR_RNDN);
    worst_log = std::max(worst_log, rel_ulps(pfq({1.0, 1.0}, {2.0}, z), l));
  }
  RecordProperty("1f1_exp_max_units", std::to_string(worst_exp));
  RecordProperty("2f1_log_max_units", std::to_string(worst_log));
  EXPECT_LT(worst_exp, 64.0);
  EXPECT_LT(worst_log, 64.0);
}

TEST(hypergeom, terminating_series_and_poles) {
  // 2F1(-2, 1; 1; x) = (1 - x)^2: three terms, then exact zeros.
  const DDReal y = pfq({-2.0, 1.0}, {1.0}, DDReal(3.0));
  EXPECT_EQ(y.hi, 4.0);
  EXPECT_EQ(y.lo, 0.0);
  // 2F1(-2, 1; -5; x) ends before the denominator reaches zero: 1 + 2x/5 + x^2/10.
  const DDReal z = pfq({-2.0, 1.0}, {-5.0}, DDReal(2.0));
  EXPECT_NEAR(z.hi, 1.0 + 0.8 + 0.4, 1e-15);
  DDReal r;
  std::vector<DDReal> a = {1.0}, b = {-3.0};
  EXPECT_DD_STOP(dd::DDHYPERGEOMPFQ(1, 1, a.data(), b.data(), DDReal(0.5), r),
                 "*** DDHYPERGEOMPFQ: Denominator parameter  1 is zero or a negative integer.");
  std::vector<DDReal> b2 = {2.0, 0.0};
  EXPECT_DD_STOP(dd::DDHYPERGEOMPFQ(1, 2, a.data(), b2.data(), DDReal(0.5), r),
                 "*** DDHYPERGEOMPFQ: Denominator parameter  2 is zero or a negative integer.");
}

TEST(hypergeom, refusals) {
  std::vector<DDReal> a(11, DDReal(1.0)), b(11, DDReal(2.0));
  DDReal r;
  const char* size_msg = "*** DDHYPERGEOMPFQ: NP and NQ must be between 1 and  10";
  EXPECT_DD_STOP(dd::DDHYPERGEOMPFQ(0, 1, a.data(), b.data(), DDReal(0.5), r), size_msg);
  EXPECT_DD_STOP(dd::DDHYPERGEOMPFQ(1, 0, a.data(), b.data(), DDReal(0.5), r), size_msg);
  EXPECT_DD_STOP(dd::DDHYPERGEOMPFQ(11, 1, a.data(), b.data(), DDReal(0.5), r), size_msg);
  // 2F1(1, 1; 2; x) at x = 0.99999 needs more than 10^6 terms.
  EXPECT_DD_STOP(dd::DDHYPERGEOMPFQ(2, 1, a.data(), b.data(), DDReal(0.99999), r),
                 "*** DDHYPERGEOMPFQ: Loop end error   1000000");
  // 3F1 diverges for every x != 0, 2F1 for x > 1 (unless the series ends;
  // below -1 it is summed after Pfaff's transformation).
  std::vector<DDReal> a3(3, DDReal(1.0));
  const char* diverges = "*** DDHYPERGEOMPFQ: The series diverges for NP > NQ + 1, and for NP = NQ + 1 with |XX| > 1.";
  EXPECT_DD_STOP(dd::DDHYPERGEOMPFQ(3, 1, a3.data(), b.data(), DDReal(1e-3), r), diverges);
  EXPECT_DD_STOP(dd::DDHYPERGEOMPFQ(2, 1, a.data(), b.data(), DDReal(1.5), r), diverges);
}

}  // namespace

namespace {

// Alternating series: 1F1 and 2F1 at negative x through Kummer's and Pfaff's
// transformations where the series would cancel; other series say so.
TEST(hypergeom, alternating_series_transformed_or_refused) {
  // 1F1(1/2; 3/2; -x^2) = sqrt(pi) erf(x) / (2x): at x^2 = 50 the series
  // cancels 2^70-fold.
  const DDReal x(-50.0);
  Mp sx, e;
  mpfr_set_d(sx, 50.0, MPFR_RNDN);
  mpfr_sqrt(sx, sx, MPFR_RNDN);
  mpfr_erf(e, sx, MPFR_RNDN);
  mpfr_div(e, e, sx, MPFR_RNDN);
  Mp pi;
  mpfr_const_pi(pi, MPFR_RNDN);
  mpfr_sqrt(pi, pi, MPFR_RNDN);
  mpfr_mul(e, e, pi, MPFR_RNDN);
  mpfr_div_ui(e, e, 2, MPFR_RNDN);
  EXPECT_LT(rel_ulps(pfq({0.5}, {1.5}, x), e), 64.0);
  // 2F1(1, 1; 2; x) = log(1 - x) / x for x <= -1 (its series diverges there).
  for (double xv : {-1.0, -7.5, -100.0}) {
    Mp l, mx{DDReal(xv)};
    mpfr_neg(l, mx, MPFR_RNDN);
    mpfr_log1p(l, l, MPFR_RNDN);
    mpfr_div(l, l, mx, MPFR_RNDN);
    mpfr_neg(l, l, MPFR_RNDN);
    EXPECT_LT(rel_ulps(pfq({1.0, 1.0}, {2.0}, DDReal(xv)), l), 64.0) << xv;
  }
  // 2F2 has no transformation here: its lost digits are reported.
  std::vector<DDReal> a = {DDReal(0.5), DDReal(0.25)}, b = {DDReal(1.5), DDReal(1.75)};
  DDReal r;
  EXPECT_DD_STOP(dd::DDHYPERGEOMPFQ(2, 2, a.data(), b.data(), DDReal(-80.0), r),
                 "*** DDHYPERGEOMPFQ: The alternating series cancels; fewer than  1 digits would be right.");
  dd::DDHYPERGEOMPFQ(2, 2, a.data(), b.data(), DDReal(std::nan("")), r);
  EXPECT_TRUE(std::isnan(r.hi) && std::isnan(r.lo));
}

}  // namespace
