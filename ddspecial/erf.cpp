#include "ddspecial/erf.hpp"

#include <cmath>

#include "ddelem/ddelem.hpp"
#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddspecial/scaled_impl.hpp"
#include "ddspecial/series.hpp"

namespace dd {

namespace {

/// Magnitude above which the series' terms are not formed: near the
/// kernels' split limit (2^27 + 1 times a word overflows past 1.34e300).
constexpr double kTermLimit = 1.0e300;

using detail::negligible;

/// From here on erfc z rounds to zero in binary64.
constexpr double kErfcZeroFrom = 27.3;
/// From this z^2 on sqrt(pi) e^{z^2} passes the kernels' splitting limit.
constexpr double kErfcScaleFrom = 689.0;

constexpr int kConvergent = 1;
constexpr int kAsymptotic = 2;

/// The shared loop of both series.  z2 = z*z.  Stops at the first term whose
/// ratio r to the sum has |r| <= 2^-106, or when |r| stops decreasing (the
/// asymptotic series has begun to diverge).  Returns false, leaving s unset,
/// when the convergent series' numerator or denominator leaves the splitting
/// range; the asymptotic series never comes near it for z >= 9.
bool erf_series(const DDReal& z, const DDReal& z2, int branch, const char* limit_msg, DDReal& s) {
  const DDReal eps = detail::kSeriesEps;
  DDReal f, u, v;
  DDMULD(z2, 2.0, f);
  if (branch == kConvergent) {
    u = z;
    v = DDReal(1.0);
  } else {
    u = DDReal(1.0);
    DDABS(z, v);
  }
  DDReal rho(1.0e10);
  DDReal sum(0.0);
  // The stop test needs r = term / sum (and the previous r) exactly only when
  // r is near eps or near the previous r; elsewhere a binary64 estimate
  // (within 2^-50 of r) decides the same way, and the division is skipped.
  // The exact previous r is recomputed from its term and sum when needed.
  DDReal prev_term, prev_sum;
  bool have_prev = false;
  double rho_d = 1.0e10;
  bool out_of_range = false;
  // Step j sums term j - 1; past term kErfMaxTerms the series has failed.
  detail::run_series(kErfMaxTerms + 1, limit_msg, [&](int j) {
    DDReal term;
    DDDIV(u, v, term);
    DDADD(sum, term, sum);
    const double rd = std::fabs(term.hi / sum.hi);
    if (!(rd > eps.hi * (1.0 + 0x1p-30)) || !(rd < rho_d * (1.0 - 0x1p-30))) {
      DDReal r;
      DDDIV(term, sum, r);
      // |r|: the asymptotic series alternates; the convergent one has r > 0.
      DDABS(r, r);
      if (have_prev) {
        DDDIV(prev_term, prev_sum, rho);
        DDABS(rho, rho);
      }
      int ic1, ic2;
      DDCOMPARE(r, eps, ic1);
      DDCOMPARE(r, rho, ic2);
      if (ic1 <= 0 || ic2 >= 0) return true;
    }
    rho_d = rd;
    prev_term = term;
    prev_sum = sum;
    have_prev = true;
    const int k = j;  // the index of the next term
    if (k > kErfMaxTerms) return false;  // the series has failed
    if (branch == kConvergent) {
      DDMUL(f, u, u);
      DDMULD(v, static_cast<double>(2 * k + 1), v);
      out_of_range = std::fabs(u.hi) > kTermLimit || std::fabs(v.hi) > kTermLimit;
      return out_of_range;
    }
    DDMULD(u, -static_cast<double>(2 * k - 1), u);
    DDMUL(v, f, v);
    return false;
  }, {branch, kErfMaxTerms});
  if (out_of_range) return false;
  s = sum;
  return true;
}

/// E = sqrt(pi) e^{z^2}.
void erf_scale(const DDReal& z2, DDReal& e) {
  DDReal pi, rp, ex;
  DDPI(pi);
  DDSQRT(pi, rp);
  DDEXP(z2, ex);
  DDMUL(rp, ex, e);
}

/// Anchors of the Taylor expansion of erfc (tools/erfc_anchors.py): z0,
/// erfc(z0) and (2/sqrt(pi)) e^{-z0^2}, the last two as double-double pairs.
struct ErfcAnchor {
  double z0;
  DDReal erfc_z0;
  DDReal scale;
};
constexpr ErfcAnchor kErfcAnchors[] = {
    {1.125, {0x1.c9296beb09cf1p-4, -0x1.5224acd170beep-59}, {0x1.45e99bcbb7915p-2, 0x1.7bcd0125a8155p-56}},
    {1.375, {0x1.a8973c4b5c03ep-5, 0x1.d27662c1d9dc2p-59}, {0x1.5ce595c455b0ap-3, 0x1.c317415c2c6e1p-59}},
    {1.625, {0x1.612d893085125p-6, -0x1.7847afe4f2a7bp-62}, {0x1.499d478bca735p-4, 0x1.31c41d17378e2p-60}},
    {1.875, {0x1.0678442cc256fp-7, -0x1.77b62199d8601p-61}, {0x1.12ceb37ff9bc3p-5, 0x1.a3b0b09d34761p-59}},
    {2.125, {0x1.5bde729a6b60fp-9, 0x1.999ec7becc5c7p-65}, {0x1.94624e78e0fafp-7, -0x1.41864737c78ffp-61}},
    {2.375, {0x1.9a7c305336484p-11, 0x1.6394dd2ff0093p-65}, {0x1.06918b6355624p-8, 0x1.21b463b8e3a00p-62}},
    {2.625, {0x1.aeb4423e690e7p-13, -0x1.a732e928e4c5dp-68}, {0x1.2ce898809244ep-10, 0x1.092b45493a9e8p-64}},
    {2.875, {0x1.916f7c5f2f764p-15, 0x1.84e95673c70a1p-70}, {0x1.30538fbb77ecdp-12, 0x1.8c5e8c1b3532fp-69}},
    {3.125, {0x1.4c144d984e1b8p-17, 0x1.2d1f7068bf3fbp-74}, {0x1.0f9e1b4dd36dfp-14, -0x1.3fedc80d9c7aep-71}},
    {3.375, {0x1.e749309831666p-20, -0x1.76172989e68aep-76}, {0x1.abe09e9144b5ep-17, 0x1.308300923fe4bp-71}},
    {3.625, {0x1.3ce784b411931p-22, -0x1.8c77157062626p-76}, {0x1.296a70f414053p-19, 0x1.036e65808a17dp-74}},
    {3.875, {0x1.6d3126d74b6ccp-25, -0x1.301eb5249fe1dp-79}, {0x1.6ce1aa3fd7bddp-22, 0x1.bf15b0bc56aabp-80}},
    {4.125, {0x1.74b179d1eba81p-28, -0x1.83473776fe2fcp-82}, {0x1.8b0cfce0579e0p-25, -0x1.e8bad9967ec2cp-79}},
    {4.375, {0x1.50b75c536f927p-31, -0x1.3c10e160b737ep-89}, {0x1.7974e743dea3dp-28, -0x1.b6101ddd90bdbp-82}},
    {4.625, {0x1.0d3b35021d695p-34, -0x1.42a25e7a42894p-89}, {0x1.3e44e45301b92p-31, 0x1.1a5c00d13a5f2p-85}},
    {4.875, {0x1.7cef42e9a617dp-38, 0x1.22a7daf8a3e2fp-92}, {0x1.d9a880f306bd8p-35, -0x1.fbec4689ff1dap-94}},
    {5.125, {0x1.dcc4fabf32f1cp-42, -0x1.748a050f39acfp-96}, {0x1.370ab8327af5ep-38, -0x1.1cdf083ee84bcp-92}},
    {5.375, {0x1.07dd6833bb380p-45, -0x1.63b11e0c47d2ap-99}, {0x1.68823e52970bep-42, 0x1.24038ae49efbdp-98}},
    {5.625, {0x1.0241de6c31e5bp-49, -0x1.636c6dd3916b0p-103}, {0x1.70beaf9c7ffb6p-46, -0x1.b0d0718f5cfd3p-103}},
    {5.875, {0x1.bef1b1a12823ep-54, -0x1.b1807c3b357d3p-108}, {0x1.4cd9c04158cd7p-50, 0x1.533947579e54dp-104}},
    {6.125, {0x1.55df1790f2f61p-58, 0x1.ec3d39d9bc1d6p-113}, {0x1.09257fca001c0p-54, -0x1.baeb82076e9dap-109}},
    {6.375, {0x1.ce42dd8e4fa23p-63, 0x1.8bad2d1795b81p-117}, {0x1.74ca889bbacd5p-59, 0x1.9dc85afd5c571p-113}},
    {6.625, {0x1.1432649c86c4dp-67, -0x1.76681db3323e7p-121}, {0x1.ce8cc007a6432p-64, -0x1.c386f701261b1p-120}},
    {6.875, {0x1.23a85891dc72bp-72, 0x1.fe4810babd776p-127}, {0x1.fa7b9159fc471p-69, -0x1.0b6a8e5b40bc7p-123}},
    {7.125, {0x1.1022313b11381p-77, 0x1.e521cbf9cf10ep-131}, {0x1.e96c265c21fbfp-74, -0x1.4ba831c003c2bp-128}},
    {7.375, {0x1.c0aee6d6b1406p-83, 0x1.01c2b84c30198p-139}, {0x1.a15d86bb23572p-79, -0x1.acbf4366253cbp-133}},
    {7.625, {0x1.46c779ebb14aep-88, 0x1.61c0b9f885047p-144}, {0x1.3a1882865d26ep-84, -0x1.76c19317e6c5dp-138}},
    {7.875, {0x1.a47db588b15cfp-94, 0x1.6268156643083p-148}, {0x1.a134d30d655e4p-90, 0x1.29888cf2f3331p-146}},
    {8.125, {0x1.ddf56913a541ep-100, 0x1.099b82891a35dp-154}, {0x1.e90cb5cac7057p-96, -0x1.2d793a7ccdd64p-152}},
    {8.375, {0x1.dfe0c1b8af1f3p-106, 0x1.2e9765a21e903p-161}, {0x1.f9e77238e0031p-102, 0x1.d467693949a9fp-156}},
    {8.625, {0x1.a98e26924c6c8p-112, -0x1.b4fab86673155p-166}, {0x1.cdd86b83e679dp-108, -0x1.2ef1dd410d4e6p-163}},
    {8.875, {0x1.4d4ec8ea8ee67p-118, -0x1.61d73c8f3ef76p-172}, {0x1.7414e5b5ca43cp-114, 0x1.ec33c601742a0p-168}},
};

/// y = erfc z for 1 < z < 9 by Taylor's series about the nearest anchor z0
/// (|h| = |z - z0| <= 1/8):
///   erfc(z0 + h) = erfc(z0) + (2/sqrt(pi)) e^{-z0^2} sum_{n>=1} (-h)^n H_{n-1}(z0) / n!,
/// with the Hermite polynomials H_0 = 1, H_1 = 2 z0, H_{k+1} = 2 z0 H_k - 2k H_{k-1}.
/// 20 to 40 terms; with h > 0 the sum removes at most 1 - e^{-2.2} of
/// erfc(z0) (1.5 bits, at z0 = 8.875).  No exponential is evaluated, so the
/// result keeps its relative accuracy however small erfc is.
void erfc_taylor(const DDReal& z, DDReal& y) {
  const DDReal eps = detail::kSeriesEps;
  int i = static_cast<int>((z.hi - 1.0) * 4.0);
  i = i < 0 ? 0 : i > 31 ? 31 : i;
  const ErfcAnchor& a = kErfcAnchors[i];
  DDReal mh, hk(1.0), hm(0.0), p(1.0), s(0.0);
  DDSUB(DDReal(a.z0), z, mh);  // -h, exact
  for (int n = 1; n < 200; ++n) {
    // p = (-h)^n / n!, hk = H_{n-1}(z0), hm = H_{n-2}(z0)
    DDMUL(p, mh, p);
    DDDIVD(p, static_cast<double>(n), p);
    if (n >= 2) {
      DDReal t, u;
      DDMULD(hk, 2.0 * a.z0, t);
      DDMULD(hm, 2.0 * (n - 2), u);
      DDSUB(t, u, t);
      hm = hk;
      hk = t;
    }
    DDReal term;
    DDMUL(p, hk, term);
    DDADD(s, term, s);
    if (negligible(term, eps, s)) break;
  }
  DDMUL(a.scale, s, s);
  DDADD(a.erfc_z0, s, y);
}

}  // namespace

void DDERFR(const DDReal& z, DDReal& y) {
  if (detail::is_nan(z)) {
    y = detail::kNaNWords;
    return;
  }
  const DDReal x = z;
  int ic1, ic2, ic3;
  DDCOMPARE(x, DDReal(9.0), ic1);
  DDCOMPARE(x, DDReal(-9.0), ic2);
  DDCOMPARE(x, DDReal(9.0), ic3);
  if (DDSIGN(x) == 0) {
    y = DDReal(0.0);
  } else if (ic1 > 0) {
    DDJOINEXP(1.0, 0, y);
  } else if (ic2 < 0) {
    DDJOINEXP(-1.0, 0, y);
  } else {
    DDReal z2, s, e, t;
    DDMUL(x, x, z2);
    if (ic3 < 0) {
      if (erf_series(x, z2, kConvergent, msg::kErfIterLimit, s)) {
        erf_scale(z2, e);
        DDMULD(s, 2.0, t);
        DDDIV(t, e, y);
        return;
      }
      // |z| > 6.75: erf = 1 - erfc, erfc below 2e-21.
      DDReal ax, c;
      DDABS(x, ax);
      erfc_taylor(ax, c);
      DDSUB(DDReal(1.0), c, t);
      if (x.hi < 0.0) DDNEG(t, t);
      y = t;
    } else {  // z = 9
      erf_series(x, z2, kAsymptotic, msg::kErfIterLimit, s);
      erf_scale(z2, e);
      DDDIV(s, e, t);
      DDSUB(DDReal(1.0), t, t);
      if (x.hi < 0.0) DDNEG(t, t);
      y = t;
    }
  }
}

void DDERFCR(const DDReal& z, DDReal& y) {
  if (detail::is_nan(z)) {
    y = detail::kNaNWords;
    return;
  }
  const DDReal x = z;
  if (x.hi >= kErfcZeroFrom) {
    // erfc z < 2^-1075 (half the least subnormal) from z = 27.2261 on; z * z
    // would overflow from about 1.34e154 on and turn the series into NaN.
    y = DDReal(0.0, 0.0);
    return;
  }
  int ic2, ic3;
  DDCOMPARE(x, DDReal(-9.0), ic2);
  DDCOMPARE(x, DDReal(9.0), ic3);
  if (DDSIGN(x) == 0) {
    DDJOINEXP(1.0, 0, y);
    return;
  }
  if (ic2 < 0) {
    DDJOINEXP(2.0, 0, y);
    return;
  }
  DDReal z2, s, e, t;
  DDMUL(x, x, z2);
  if (ic3 >= 0) {
    // z >= 9: the asymptotic series over sqrt(pi) e^{z^2}, while that stays
    // below the kernels' splitting limit (z^2 < 689, z < 26.25); beyond, down
    // to where erfc rounds to zero, times e^{-z^2} formed scaled.
    erf_series(x, z2, kAsymptotic, msg::kErfcIterLimit, s);
    if (z2.hi < kErfcScaleFrom) {
      erf_scale(z2, e);
      DDDIV(s, e, y);
    } else {
      DDReal mz2, pi, rp;
      DDNEG(z2, mz2);
      DDPI(pi);
      DDSQRT(pi, rp);
      y = detail::to_dd(detail::div(detail::mul(detail::to_scaled(s), detail::exp_scaled(mz2)), detail::to_scaled(rp)));
    }
    return;
  }
  if (x.hi > kErfcTaylorFrom) {
    erfc_taylor(x, y);
    return;
  }
  if (erf_series(x, z2, kConvergent, msg::kErfcIterLimit, s)) {
    erf_scale(z2, e);
    DDMULD(s, 2.0, t);
    DDDIV(t, e, t);
    DDSUB(DDReal(1.0), t, y);
    return;
  }
  // z < -6.75: erfc z = 2 - erfc |z|.
  DDReal ax, c;
  DDABS(x, ax);
  erfc_taylor(ax, c);
  DDSUB(DDReal(2.0), c, y);
}

}  // namespace dd
