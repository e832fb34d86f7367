// Accuracy of the elementary functions against MPFR at 256 bits, on random
// arguments over the range each routine accepts.  Errors are in units of
// 2^-104; each bound is the largest error measured over these arguments with
// some margin, so a change that costs digits shows up here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>

#include "ddelem/ddelem.hpp"
#include "ddtyped/real.hpp"
#include "support/mpfr_ref.hpp"
#include "support/random_dd.hpp"

namespace {

using dd::DDReal;
using dd::test::abs_ulps;
using dd::test::log_uniform_dd;
using dd::test::Mp;
using dd::test::rel_ulps;
using dd::test::uniform_dd;

constexpr int kSamples = 2000;

/// Tracks the largest error and the argument that produced it.
struct MaxErr {
  double err = 0.0;
  DDReal at{0.0, 0.0};
  void add(double e, const DDReal& a) {
    if (!(e <= err)) {
      err = e;
      at = a;
    }
  }
};

void report(const char* what, const MaxErr& m, double bound, const char* unit = "2^-104") {
  std::printf("[ accuracy ] %-30s max %8.3f x %s at %.17g  (bound %g)\n", what, m.err, unit, m.at.hi, bound);
  EXPECT_LE(m.err, bound) << what << " at " << m.at.hi << " + " << m.at.lo;
}

TEST(elem_accuracy, exp_relative) {
  std::mt19937_64 g(1);
  MaxErr m;
  for (int k = 0; k < kSamples; ++k) {
    const DDReal a = k % 2 ? uniform_dd(g, -299.0, 299.0) : uniform_dd(g, -2.0, 2.0);
    DDReal b;
    dd::DDEXP(a, b);
    Mp want(a);
    mpfr_exp(want, want, MPFR_RNDN);
    m.add(rel_ulps(b, want), a);
  }
  // The six squarings double the series' relative error each time, and the
  // reduction carries n times the error of ln 2.
  report("DDEXP relative", m, 160.0);
}

TEST(elem_accuracy, log_relative_over_the_whole_range) {
  std::mt19937_64 g(2);
  MaxErr m;
  for (int k = 0; k < kSamples; ++k) {
    const DDReal a = log_uniform_dd(g, 1e-307, 1e307);
    if (std::fabs(a.hi - 1.0) < 0.5) continue;  // near 1 only the absolute error is small
    DDReal b;
    dd::DDLOG(a, b);
    Mp want(a);
    mpfr_log(want, want, MPFR_RNDN);
    m.add(rel_ulps(b, want), a);
  }
  report("DDLOG relative", m, 10.0);
}

TEST(elem_accuracy, log_absolute_near_one) {
  std::mt19937_64 g(3);
  MaxErr m;
  for (int k = 0; k < kSamples; ++k) {
    const DDReal a = uniform_dd(g, 0.5, 1.5);
    DDReal b;
    dd::DDLOG(a, b);
    Mp want(a);
    mpfr_log(want, want, MPFR_RNDN);
    m.add(abs_ulps(b, want), a);
  }
  // Each Newton step inherits DDEXP's error.
  report("DDLOG absolute near 1", m, 100.0);
}

TEST(elem_accuracy, power_relative) {
  std::mt19937_64 g(4);
  MaxErr m;
  for (int k = 0; k < kSamples; ++k) {
    const DDReal a = log_uniform_dd(g, 1e-3, 1e3);
    const DDReal b = uniform_dd(g, -40.0, 40.0);
    DDReal p;
    dd::DDPOWER(a, b, p);
    Mp want(a), e(b);
    mpfr_pow(want, want, e, MPFR_RNDN);
    m.add(rel_ulps(p, want), a);
  }
  // The error of b ln a (up to about 276 in size) is carried into the exponent.
  report("DDPOWER relative", m, 2500.0);
}

// The cosine is built by five angle doublings, which multiply its absolute
// error by about 4^5; the sine is sqrt(1 - cos^2), so its absolute error is
// that of the cosine divided by |sin|.  Both laws are checked: the cosine's
// absolute error, and the sine's absolute error times |sin|.
TEST(elem_accuracy, cos_sin) {
  std::mt19937_64 g(5);
  MaxErr cos_abs, sin_scaled;
  for (int k = 0; k < kSamples; ++k) {
    const DDReal a = k % 2 ? uniform_dd(g, -100.0, 100.0) : uniform_dd(g, -4.0, 4.0);
    DDReal c, s;
    dd::DDCSSNR(a, c, s);
    Mp wc(a), ws(a);
    mpfr_cos(wc, wc, MPFR_RNDN);
    mpfr_sin(ws, ws, MPFR_RNDN);
    cos_abs.add(abs_ulps(c, wc), a);
    sin_scaled.add(abs_ulps(s, ws) * std::fabs(s.hi), a);
  }
  report("DDCSSNR cos absolute", cos_abs, 100.0);
  report("DDCSSNR sin absolute x |sin|", sin_scaled, 100.0);
}

TEST(elem_accuracy, sine_near_multiples_of_pi) {
  std::mt19937_64 g(6);
  MaxErr sin_scaled, sin_tiny;
  std::uniform_int_distribution<int> kpi(-30, 30);
  for (int k = 0; k < 400; ++k) {
    DDReal a;
    const DDReal off = uniform_dd(g, -1e-6, 1e-6);
    dd::DDMULD(dd::detail::kPi, static_cast<double>(kpi(g)), a);
    dd::DDADD(a, off, a);
    DDReal c, s;
    dd::DDCSSNR(a, c, s);
    Mp ws(a);
    mpfr_sin(ws, ws, MPFR_RNDN);
    sin_scaled.add(abs_ulps(s, ws) * std::fabs(s.hi), a);
    // For tiny arguments 1 - cos^2 lives in the cosine's low word, so the
    // sine keeps binary64 relative accuracy and no more.
    const DDReal t = log_uniform_dd(g, 1e-150, 1e-20);
    dd::DDCSSNR(t, c, s);
    Mp wt(t);
    mpfr_sin(wt, wt, MPFR_RNDN);
    sin_tiny.add(dd::test::rel_error(s, wt) / 0x1p-53, t);
  }
  report("DDCSSNR sin near k pi, x |sin|", sin_scaled, 100.0);
  report("DDCSSNR sin relative, tiny a", sin_tiny, 1.0, "2^-53");
}

// Off the diagonals the angle solves sin a = y/r, so it inherits the sine's
// error law: absolute error times |sin a| is what stays bounded.
TEST(elem_accuracy, angle) {
  std::mt19937_64 g(7);
  MaxErr m;
  for (int k = 0; k < kSamples; ++k) {
    const DDReal x = uniform_dd(g, -10.0, 10.0);
    const DDReal y = uniform_dd(g, -10.0, 10.0);
    DDReal a;
    dd::DDANG(x, y, a);
    Mp want, mx(x), my(y);
    mpfr_atan2(want, my, mx, MPFR_RNDN);
    m.add(abs_ulps(a, want) * std::fabs(std::sin(a.hi)), x);
  }
  report("DDANG absolute x |sin a|", m, 100.0);
}

TEST(elem_accuracy, angle_of_points_beyond_the_squares_range) {
  // Coordinates whose squares overflow or lose their low words are scaled.
  std::mt19937_64 g(8);
  MaxErr m;
  for (int k = 0; k < 400; ++k) {
    const double scale = k % 2 ? 0x1p700 : 0x1p-700;
    DDReal x = uniform_dd(g, -10.0, 10.0), y = uniform_dd(g, -10.0, 10.0);
    x = DDReal(x.hi * scale, x.lo * scale);
    y = DDReal(y.hi * scale, y.lo * scale);
    DDReal a;
    dd::DDANG(x, y, a);
    Mp want, mx(x), my(y);
    mpfr_atan2(want, my, mx, MPFR_RNDN);
    m.add(abs_ulps(a, want) * std::fabs(std::sin(a.hi)), x);
  }
  report("DDANG |x| ~ 2^+-700, x |sin a|", m, 100.0);
}

TEST(elem_accuracy, cosh_sinh) {
  std::mt19937_64 g(9);
  MaxErr ch, sh, sh_small;
  for (int k = 0; k < kSamples; ++k) {
    const DDReal a = k % 2 ? uniform_dd(g, -299.0, 299.0) : uniform_dd(g, -3.0, 3.0);
    DDReal c, s;
    dd::DDCOSHSINH(a, c, s);
    Mp wc(a), ws(a);
    mpfr_cosh(wc, wc, MPFR_RNDN);
    mpfr_sinh(ws, ws, MPFR_RNDN);
    ch.add(rel_ulps(c, wc), a);
    if (std::fabs(a.hi) > 0.5) sh.add(rel_ulps(s, ws), a);
    else sh_small.add(abs_ulps(s, ws), a);
  }
  report("DDCOSHSINH cosh relative", ch, 160.0);
  report("DDCOSHSINH sinh rel |a|>0.5", sh, 160.0);
  report("DDCOSHSINH sinh abs |a|<=0.5", sh_small, 80.0);
}

TEST(elem_accuracy, inverse_hyperbolic) {
  std::mt19937_64 g(10);
  MaxErr as_pos, as_small, as_neg, ac, at;
  for (int k = 0; k < kSamples; ++k) {
    // Below 1 the logarithm of a + sqrt(a^2 + 1), near 1, is good absolutely.
    const DDReal p = log_uniform_dd(g, 1e-3, 1e300);
    DDReal b;
    dd::DDASINH(p, b);
    Mp w(p);
    mpfr_asinh(w, w, MPFR_RNDN);
    if (p.hi >= 1.0) as_pos.add(rel_ulps(b, w), p);
    else as_small.add(abs_ulps(b, w), p);

    // Negative arguments cancel in a + sqrt(a^2 + 1): absolute error, which
    // grows like a^2 up to |a| = 2^26 and stays small beyond it.
    const DDReal n = -log_uniform_dd(g, 1.0, 1e300);
    dd::DDASINH(n, b);
    Mp wn(n);
    mpfr_asinh(wn, wn, MPFR_RNDN);
    const double allowed = std::max(1.0, std::min(n.hi * n.hi, 0x1p52));
    as_neg.add(abs_ulps(b, wn) / allowed, n);

    const DDReal c = log_uniform_dd(g, 1.001, 1e300);
    dd::DDACOSH(c, b);
    Mp wc(c);
    mpfr_acosh(wc, wc, MPFR_RNDN);
    ac.add(rel_ulps(b, wc), c);

    const DDReal t = uniform_dd(g, -0.999, 0.999);
    dd::DDATANH(t, b);
    Mp wt(t);
    mpfr_atanh(wt, wt, MPFR_RNDN);
    at.add(abs_ulps(b, wt), t);
  }
  report("DDASINH relative, a >= 1", as_pos, 100.0);
  report("DDASINH absolute, 0 < a < 1", as_small, 100.0);
  report("DDASINH abs / max(1,a^2), a<0", as_neg, 100.0);
  report("DDACOSH relative", ac, 100.0);
  report("DDATANH absolute", at, 100.0);
}

TEST(elem_accuracy, agm_relative) {
  std::mt19937_64 g(11);
  MaxErr m;
  for (int k = 0; k < kSamples; ++k) {
    const DDReal a = log_uniform_dd(g, 1e-5, 1e5);
    const DDReal b = log_uniform_dd(g, 1e-5, 1e5);
    DDReal r;
    dd::DDAGMR(a, b, r);
    Mp want, ma(a), mb(b);
    mpfr_agm(want, ma, mb, MPFR_RNDN);
    m.add(rel_ulps(r, want), a);
  }
  report("DDAGMR relative", m, 12.0);
}

}  // namespace
