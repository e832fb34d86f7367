#include "ddspecial/struve.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "ddreal/outfmt.hpp"
#include "ddreal/power.hpp"
#include "ddspecial/bessel_impl.hpp"
#include "ddspecial/scaled_impl.hpp"
#include "ddspecial/series.hpp"

namespace dd {

namespace {
using detail::negligible;

/// H_nu(x) for x > 0 by the series over J_{2k+nu+1}(x).  With
/// r_k = Gamma(k+nu+1) / (k! Gamma(nu+1/2)) (r_0 = prod_{i<=nu} i/(i-1/2) / sqrt(pi),
/// r_k = r_{k-1} (k+nu)/k), H = (4/sqrt(pi)) sum_k r_k (2k+nu+1) J_{2k+nu+1} / ((2k+1)(2k+2nu+1)).
/// The table of J values first reaches the order of Miller's start for
/// nu + 1; where its last term is still above 2^-96 of the sum (r_k grows
/// with the order, so from about nu = x on), it is extended.  False where the terms cancel by
/// more than 2^18 (large orders below x: they oscillate), or where a term
/// that counts meets a J value too small for the table to hold.
bool struve_bessel_series(int nu, const DDReal& x, DDReal& out) {
  std::vector<DDReal> j;
  DDReal pi, rp, r0(1.0);
  DDPI(pi);
  DDSQRT(pi, rp);
  for (int i = 1; i <= nu; ++i) {
    DDMULD(r0, static_cast<double>(i), r0);
    DDDIVD(r0, static_cast<double>(i) - 0.5, r0);
  }
  DDDIV(r0, rp, r0);
  for (long long order = nu + 1;; order = 2 * order + 64) {
    if (order > kBesselMaxRecurrence) return false;
    detail::bessel::bessel_j_table(x, static_cast<int>(order), j);
    DDReal r = r0, s(0.0), t(0.0);
    double largest = 0.0, hidden = 0.0;
    int scaled = 0;  // r is held in units of 2^scaled, the J values it meets in units of 2^-scaled
    const long long top = static_cast<long long>(j.size()) - 1;
    for (long long k = 0; 2 * k + nu + 1 <= top; ++k) {
      const double kd = static_cast<double>(k), nd = static_cast<double>(nu);
      if (k > 0) {
        DDMULD(r, kd + nd, r);
        DDDIVD(r, kd, r);
      }
      if (std::fabs(r.hi) > 0x1p600) {  // r_k grows like k^nu while J falls faster: exact rescaling
        r.hi = std::ldexp(r.hi, -600);
        r.lo = std::ldexp(r.lo, -600);
        scaled += 600;
      }
      DDMULD(r, (2.0 * kd + nd) + 1.0, t);
      DDDIVD(t, (2.0 * kd + 1.0) * ((2.0 * kd + 2.0 * nd) + 1.0), t);
      DDReal jk = j[static_cast<std::size_t>(2 * k + nu + 1)];
      // A J value below the full-precision range may hide a term that counts.
      if (std::fabs(jk.hi) < detail::kFullPrecisionMin) {
        hidden = std::max(hidden, std::ldexp(std::fabs(t.hi) * detail::kFullPrecisionMin, scaled));
      }
      if (scaled != 0) {
        if (std::fabs(jk.hi) > std::ldexp(detail::kSplitLimit, -scaled)) return false;
        jk.hi = std::ldexp(jk.hi, scaled);
        jk.lo = std::ldexp(jk.lo, scaled);
      }
      DDMUL(t, jk, t);
      DDADD(s, t, s);
      largest = std::max(largest, std::fabs(t.hi));
    }
    if (s.hi == 0.0 || !(largest <= 0x1p18 * std::fabs(s.hi)) || hidden > 0x1p-100 * std::fabs(s.hi)) return false;
    if (!(std::fabs(t.hi) > 0x1p-96 * std::fabs(s.hi))) {
      DDMULD(s, 4.0, s);
      DDDIV(s, rp, out);
      return true;
    }
  }
}

/// H_nu(x) = c sum_k (-x^2/4)^k / prod_{j=1..k} ((j+1/2)(j+nu+1/2)) with
/// c = (x/2)^(nu+1) / (Gamma(3/2) Gamma(nu+3/2)) formed as a product of
/// nu + 1 quotients, so that neither the power nor the gamma value leaves
/// the kernels' range.  False where x^2/4 passes 4 (nu + 3/2), beyond which
/// the alternating terms would cancel by more than about 2^12.
bool struve_scaled_series(int nu, const DDReal& x, DDReal& out) {
  // The terms grow to about e^{x^2 / (4 nu + 6)} before they fall.
  if ((x.hi * x.hi) * 0.25 > 4.0 * (static_cast<double>(nu) + 1.5)) return false;
  const DDReal eps = detail::kSeriesEps;
  DDReal pi, g, h, c, w, t(1.0), s(1.0);
  DDPI(pi);
  DDSQRT(pi, g);
  DDMULD(g, 0.5, g);  // Gamma(3/2)
  DDMULD(x, 0.5, h);
  DDDIV(h, g, c);
  DDDIV(c, g, c);
  for (int i = 1; i <= nu; ++i) {
    DDMUL(c, h, c);
    DDDIVD(c, static_cast<double>(i) + 0.5, c);
  }
  DDMUL(h, h, w);
  DDNEG(w, w);
  double largest = 1.0;
  detail::run_series(kStruveMaxTerms, msg::kStruveLoopEnd, [&](int k) {
    DDMUL(t, w, t);
    DDDIVD(t, (static_cast<double>(k) + 0.5) * ((static_cast<double>(k) + static_cast<double>(nu)) + 0.5), t);
    DDADD(s, t, s);
    largest = std::max(largest, std::fabs(t.hi));
    return !(largest <= detail::kSplitLimit) || negligible(t, eps, s);
  });
  if (!(std::fabs(s.hi) <= detail::kSplitLimit) || !(largest <= 0x1p18 * std::fabs(s.hi)) ||
      !(std::fabs(c.hi) <= detail::kSplitLimit)) {
    return false;
  }
  DDMUL(c, s, out);
  return true;
}

/// H_nu(x) = Y_nu(x) + (1/pi) sum_k Gamma(k+1/2) (x/2)^(nu-2k-1) / Gamma(nu+1/2-k)
/// for x above the Bessel switch and orders below x, where this asymptotic
/// series reaches working precision; false elsewhere.  Its first
/// term is (2/x) prod_{i<nu} (x/2)/(i+1/2) times sqrt(pi)/sqrt(pi).
bool struve_asymptotic(int nu, const DDReal& x, DDReal& out) {
  if (std::fabs(x.hi) < kBesselSwitch || static_cast<double>(nu) >= x.hi) return false;
  const DDReal eps = detail::kSeriesEps;
  DDReal h, h2, t, s;
  DDMULD(x, 0.5, h);
  DDDIV(DDReal(1.0), h, t);
  for (int i = 0; i < nu; ++i) {
    DDMUL(t, h, t);
    DDDIVD(t, static_cast<double>(i) + 0.5, t);
  }
  DDMUL(h, h, h2);
  s = t;
  detail::bessel::TermWatch watch;
  watch.note(t.hi);
  for (int k = 0; k < kStruveMaxTerms; ++k) {
    const double kd = static_cast<double>(k);
    DDMULD(t, (kd + 0.5) * ((static_cast<double>(nu) - 0.5) - kd), t);
    DDDIV(t, h2, t);
    DDADD(s, t, s);
    watch.note(t.hi);
    if (watch.diverged) return false;
    if (negligible(t, eps, s)) break;
  }
  if (!watch.within(std::fabs(s.hi))) return false;
  DDReal pi, y;
  DDPI(pi);
  DDDIV(s, pi, s);
  DDBESSELYNR(nu, x, y);
  DDADD(y, s, out);
  return true;
}

/// The 160-point Gauss-Legendre rule on [-1, 1] (tools/gauss_legendre.py):
/// the positive nodes t and their weights w; the rule also takes every -t.
struct GaussNode {
  DDReal t, w;
};
constexpr GaussNode kGaussLegendre160[] = {
    {{0x1.fff149975c1aap-1, 0x1.6bdfa5dfafdcfp-55}, {0x1.2e0d1f596c717p-12, -0x1.fbf83a61005d4p-66}},
    {{0x1.ffb27c99fd60cp-1, 0x1.a6e142d4b854ap-55}, {0x1.5f80b545b6684p-11, -0x1.910de4004e4dfp-66}},
    {{0x1.ff418754200dap-1, -0x1.4e7872ab92d3ep-55}, {0x1.141233a486d59p-10, 0x1.64bf9282e8f5fp-66}},
    {{0x1.fe9e6e6cf88b3p-1, 0x1.1edc472c0654bp-55}, {0x1.784c4652c6c89p-10, -0x1.0881f9548f951p-64}},
    {{0x1.fdc9411a14de9p-1, 0x1.41930d46c78f8p-56}, {0x1.dc621a95ac10fp-10, 0x1.c3a0ca0d3f7fap-64}},
    {{0x1.fcc21413d03cdp-1, -0x1.f83e714b1d80ep-57}, {0x1.2024b44984e1ep-9, -0x1.9cd07ebfc4f18p-63}},
    {{0x1.fb890119ff702p-1, 0x1.a3f80cc618ac1p-55}, {0x1.51fc222f27b25p-9, -0x1.07e75ccaaaf08p-63}},
    {{0x1.fa1e26dacee1bp-1, -0x1.8e9320bd3fbdfp-55}, {0x1.83b26e3134263p-9, 0x1.1787f199cb9e1p-63}},
    {{0x1.f881a8e9be0eap-1, -0x1.a1d7c6e080d0cp-62}, {0x1.b542b5f8f5b0ep-9, -0x1.0d99868a85533p-63}},
    {{0x1.f6b3afba22aadp-1, -0x1.55434795d169ep-55}, {0x1.e6a81c1754d3bp-9, -0x1.b24661c345b04p-63}},
    {{0x1.f4b4689a69fa4p-1, 0x1.93566326dcd35p-56}, {0x1.0beee3e7da03dp-8, -0x1.79b5e45bc993cp-62}},
    {{0x1.f28405af504c8p-1, 0x1.5e34c14acc293p-55}, {0x1.246f72a6edf62p-8, -0x1.2c7d1296b5514p-62}},
    {{0x1.f022bdeecc649p-1, 0x1.1e6009946a435p-57}, {0x1.3cd353010eb4ep-8, 0x1.519b80d3f206cp-62}},
    {{0x1.ed90cd1a96236p-1, -0x1.f672beeba30eap-56}, {0x1.551820863a577p-8, 0x1.7d2eaf4b40bd3p-63}},
    {{0x1.eace73ba3e7fdp-1, -0x1.b7f2db114a0f0p-55}, {0x1.6d3b79d6f4036p-8, -0x1.f71d23c112e57p-62}},
    {{0x1.e7dbf714d4a28p-1, 0x1.9176eb1093348p-60}, {0x1.853b00de3efeep-8, 0x1.a13f33713b977p-62}},
    {{0x1.e4b9a12a167afp-1, -0x1.9dcdf701ca44cp-56}, {0x1.9d145b0c13083p-8, -0x1.ccfb57f7483d5p-63}},
    {{0x1.e167c0ab2c4cfp-1, -0x1.abaf2dde0f318p-55}, {0x1.b4c5318fe35eap-8, -0x1.d7a43a62ebb79p-62}},
    {{0x1.dde6a8f2ef4d2p-1, -0x1.15c1960185b9ep-56}, {0x1.cc4b3193026dep-8, 0x1.97d0018c56f36p-63}},
    {{0x1.da36b1fdbbb47p-1, -0x1.4a659db5dc969p-55}, {0x1.e3a40c72c31dep-8, -0x1.739ba78ab5b1ap-63}},
    {{0x1.d6583860cee3ep-1, 0x1.1b26e94703b14p-56}, {0x1.facd77fa4454dp-8, -0x1.5dfee90edfeb5p-62}},
    {{0x1.d24b9d4132531p-1, -0x1.e3ff492d610f7p-56}, {0x1.08e2974deca08p-7, 0x1.3bd32c2f56cd9p-63}},
    {{0x1.ce11464a34197p-1, 0x1.340b1dbfb381ap-55}, {0x1.144477d50222ep-7, 0x1.696f79961f06bp-62}},
    {{0x1.c9a99da36df6cp-1, -0x1.fd8367a722510p-60}, {0x1.1f8b3fc7fe20cp-7, -0x1.afaba623988e5p-61}},
    {{0x1.c51511e65bcbep-1, 0x1.f1d8ffbcef377p-55}, {0x1.2ab5d404da7cdp-7, -0x1.c2e6816a53caep-61}},
    {{0x1.c054161382860p-1, -0x1.8c5c1b9dd79cbp-56}, {0x1.35c31c2db211ap-7, -0x1.bb682ab8d9ce3p-62}},
    {{0x1.bb67218728875p-1, 0x1.29bb284a233a3p-55}, {0x1.40b202c43e756p-7, -0x1.7c3f546100db5p-61}},
    {{0x1.b64eafeda0a81p-1, -0x1.ef6480d76b1bbp-56}, {0x1.4b8175450e131p-7, -0x1.a099969034e68p-63}},
    {{0x1.b10b413728f23p-1, -0x1.c37f97004be9fp-57}, {0x1.563064426fc90p-7, -0x1.2c2576361b481p-62}},
    {{0x1.ab9d598b5e48fp-1, -0x1.8b515d9eb43fdp-55}, {0x1.60bdc37f114eep-7, 0x1.606c4e618232fp-62}},
    {{0x1.a605813c46351p-1, 0x1.ff5298c3fa80cp-55}, {0x1.6b288a084db68p-7, -0x1.b4aeacc808c0cp-63}},
    {{0x1.a04444b8f01bfp-1, -0x1.960d5a7aca863p-57}, {0x1.756fb2502965fp-7, -0x1.58c2ef5650f6ep-62}},
    {{0x1.9a5a347faf2f2p-1, 0x1.060c0c52b5972p-55}, {0x1.7f923a46f8f6ep-7, 0x1.a86c5bf9a8280p-62}},
    {{0x1.9447e50fee701p-1, -0x1.ab1cebbf6f3a8p-56}, {0x1.898f2374b070bp-7, -0x1.5ece14ca526e7p-61}},
    {{0x1.8e0deedba0294p-1, 0x1.1c595ca033c46p-56}, {0x1.93657311d85d1p-7, 0x1.1b8ff0c015ac5p-61}},
    {{0x1.87acee384a4c6p-1, 0x1.c209bdb13d587p-58}, {0x1.9d14322026429p-7, -0x1.2a602f509eab9p-61}},
    {{0x1.8125834fb12b2p-1, -0x1.5be9824282b44p-55}, {0x1.a69a6d82b6176p-7, 0x1.7468c75d8da5ap-64}},
    {{0x1.7a785210220c8p-1, 0x1.59e89133f30e4p-55}, {0x1.aff73615e24c6p-7, 0x1.87f49a3c37d5cp-64}},
    {{0x1.73a6021c5f290p-1, -0x1.45c03ca82af0ap-55}, {0x1.b929a0c6b816bp-7, 0x1.2e8c04ed00ffcp-66}},
    {{0x1.6caf3ebb2ea03p-1, -0x1.84b739e462f2ep-55}, {0x1.c230c6aa05ab1p-7, 0x1.deb40957dbdaap-62}},
    {{0x1.6594b6c68e062p-1, 0x1.b7c9bbc065b09p-59}, {0x1.cb0bc51300270p-7, -0x1.16a8f11c0e84bp-69}},
    {{0x1.5e571c9a8c2d1p-1, -0x1.01534b1954590p-55}, {0x1.d3b9bda97eee3p-7, 0x1.8113d02f816e9p-61}},
    {{0x1.56f72603cada4p-1, -0x1.0f59de4981f6dp-58}, {0x1.dc39d67fca4e5p-7, -0x1.b9d6201cc646dp-61}},
    {{0x1.4f758c2daa1dbp-1, 0x1.ef5be62d2b456p-57}, {0x1.e48b3a27fb443p-7, -0x1.7ae3cec9cd9b7p-61}},
    {{0x1.47d30b901f0bap-1, 0x1.ee1e12ee76c2bp-56}, {0x1.ecad17c8ea4adp-7, -0x1.964088455f8a2p-61}},
    {{0x1.401063dd37a06p-1, 0x1.7f7ef6e42cab6p-55}, {0x1.f49ea332ab250p-7, 0x1.3ef51b6347ccdp-61}},
    {{0x1.382e57ee4d9e6p-1, -0x1.62ecc02cf9d7ep-56}, {0x1.fc5f14f293a06p-7, 0x1.e0cac1da7c1ccp-62}},
    {{0x1.302dadb0ea3e5p-1, 0x1.0d4f255748518p-56}, {0x1.01f6d53365acep-6, -0x1.cbb9a32c64a9bp-60}},
    {{0x1.280f2e135c91ep-1, -0x1.13a2e6c108091p-57}, {0x1.05a4d2e8b14c1p-6, 0x1.f91b2529bb837p-60}},
    {{0x1.1fd3a4f1047f6p-1, 0x1.382aa7c9cec29p-55}, {0x1.0939273577300p-6, -0x1.d83bdfa853f68p-62}},
    {{0x1.177be0fe54465p-1, 0x1.82f3b29b82cb8p-55}, {0x1.0cb3783a53f43p-6, -0x1.b952177fa38ccp-62}},
    {{0x1.0f08b3b48a81dp-1, 0x1.bfc38cb658cacp-55}, {0x1.10136ea506d77p-6, -0x1.95b7b82b2e172p-60}},
    {{0x1.067af13d26a6cp-1, -0x1.aa096168246b6p-57}, {0x1.1358b5b902363p-6, -0x1.7b784133c304bp-60}},
    {{0x1.fba6e0ba34019p-2, 0x1.197d1e3d5126ep-56}, {0x1.1682fb57bb1f4p-6, -0x1.107fb57b1b47fp-60}},
    {{0x1.ea2614bf6e730p-2, 0x1.55e04ee5897e6p-56}, {0x1.1991f008b731bp-6, -0x1.ea7233959bd8ap-60}},
    {{0x1.d8753602c4f35p-2, 0x1.f2d5ec68bd4dep-56}, {0x1.1c85470157f9bp-6, 0x1.6d1cf6ed977bep-60}},
    {{0x1.c69600b40878cp-2, 0x1.3f668305e3074p-56}, {0x1.1f5cb62c63094p-6, 0x1.c7d538a2fc988p-62}},
    {{0x1.b48a358e81e20p-2, 0x1.dda601ac3658bp-60}, {0x1.2217f631460e6p-6, -0x1.a1983bb6b3402p-62}},
    {{0x1.a25399acef1d7p-2, -0x1.638454a4fbb18p-56}, {0x1.24b6c27b1631cp-6, -0x1.20f4114891fa9p-60}},
    {{0x1.8ff3f65d1284bp-2, 0x1.3f5a56ae591f4p-56}, {0x1.2738d93f4a0d3p-6, -0x1.ae54cbe3cd932p-61}},
    {{0x1.7d6d18f2d8c8dp-2, -0x1.5f86ef68c8c84p-56}, {0x1.299dfb842d916p-6, 0x1.16517db3dc943p-60}},
    {{0x1.6ac0d29b19d42p-2, -0x1.1ada716179bcap-56}, {0x1.2be5ed270f38ep-6, 0x1.442ef25580680p-63}},
    {{0x1.57f0f82df9136p-2, 0x1.85e867605408dp-57}, {0x1.2e1074e225ecfp-6, 0x1.3a236fd217edep-61}},
    {{0x1.44ff6200e99e7p-2, -0x1.d12c53f3cc94ap-56}, {0x1.301d5c522f08dp-6, -0x1.d8921233ba25fp-60}},
    {{0x1.31edebb85ac35p-2, 0x1.1992668019bbbp-56}, {0x1.320c6ffbc3ed7p-6, 0x1.c5392db357799p-61}},
    {{0x1.1ebe7419117fcp-2, -0x1.69a3e66c5e51ap-56}, {0x1.33dd7f5066a0fp-6, 0x1.12997eb73d8fdp-61}},
    {{0x1.0b72dcd9337abp-2, 0x1.da4f84d765100p-59}, {0x1.35905cb344f98p-6, -0x1.f2c847cc15ea7p-67}},
    {{0x1.f01a14e21035ep-3, 0x1.1c1ac538fa43dp-58}, {0x1.3724dd7db1dd9p-6, 0x1.916106834c7bfp-63}},
    {{0x1.c91dc7d6e8b68p-3, 0x1.d0f3abd4e55d5p-57}, {0x1.389ada0354282p-6, 0x1.b2ec796199042p-60}},
    {{0x1.a1f4a56c6c0c9p-3, -0x1.f8529724d98e8p-59}, {0x1.39f22d960ac88p-6, -0x1.8562cffab280cp-60}},
    {{0x1.7aa284e3c611ep-3, 0x1.9f50ee94a55cfp-59}, {0x1.3b2ab68985bb4p-6, -0x1.fac008a178cfep-62}},
    {{0x1.532b418363222p-3, -0x1.ae3c5347187ebp-57}, {0x1.3c44563693833p-6, 0x1.ad01d67a9c8a0p-61}},
    {{0x1.2b92ba361b64dp-3, -0x1.2e945759128b0p-57}, {0x1.3d3ef0fe22ce1p-6, 0x1.34e6fef5d45f2p-60}},
    {{0x1.03dcd12a02a47p-3, 0x1.26e7886997726p-57}, {0x1.3e1a6e4bf7fa6p-6, 0x1.eba7ba7e0f653p-60}},
    {{0x1.b81ad6ddcc746p-4, -0x1.36814e764e656p-58}, {0x1.3ed6b899163a2p-6, 0x1.cd4beb8d530e0p-60}},
    {{0x1.6850e129053cep-4, -0x1.ed8a778086ab7p-58}, {0x1.3f73bd6ddc15cp-6, 0x1.52cde0401ea4cp-60}},
    {{0x1.18639490f46c6p-4, -0x1.0f2940212048bp-58}, {0x1.3ff16d63d31a8p-6, -0x1.ca496de7d649dp-61}},
    {{0x1.90b58fd05be83p-5, -0x1.0f6db13cf2561p-59}, {0x1.404fbc2732868p-6, -0x1.cc35248f90036p-60}},
    {{0x1.e0f952cf04cf5p-6, 0x1.b8a00cf7f7340p-62}, {0x1.408ea07814ccfp-6, -0x1.faef613cdbcf2p-61}},
    {{0x1.40b0b3310c453p-7, 0x1.08c8bf6e8258ap-61}, {0x1.40ae142b5fd3bp-6, -0x1.58af9d3ccc66bp-64}},
};

/// H_nu(x) = (2/pi) c int_0^1 sin(x u) (1 - u^2)^(nu - 1/2) du with
/// c = sqrt(pi) (x/2)^nu / Gamma(nu + 1/2) = prod_{i=1..nu} (x/2) / (i - 1/2),
/// for the orders from about x on where the other series cancel.  The
/// factor (1 - u^2)^(nu - 1/2) is a bump of width about 1/sqrt(nu); the
/// integral runs to b where it has fallen below 2^-120, by the rule above.
/// On [0, b] the integrand is analytic far around, and the rule's error
/// falls like e^{-(2N - x b / 2)^2 / 84} (N = 160 nodes; measured 2^-120 at
/// x = nu = 1000, where x b = 288).  False where the rule would not reach
/// that (x b above 350), where b passes 0.55 (orders below about 280, for
/// which the series of ln(1 - u^2) is not made), or where the integral
/// cancels so that the rounding of the phase x u and of the nodes, about
/// x b 2^-107 of each term, would pass 2^16 units of the result.
bool struve_integral(int nu, const DDReal& x, DDReal& out) {
  // ln(1 - b^2) < -b^2, so (1 - b^2)^(nu - 1/2) < 2^-120 for (nu - 1/2) b^2 = 120 ln 2.
  constexpr double kCutExponent = 83.177661667193433;
  const double power = static_cast<double>(nu) - 0.5;
  const double b = std::sqrt(kCutExponent / power);
  if (!(b <= 0.55) || x.hi * b > 350.0) return false;
  const double half = 0.5 * b;
  DDReal sum(0.0), u, l, e, sn;
  double total = 0.0;
  for (const GaussNode& g : kGaussLegendre160) {
    for (const double side : {half, -half}) {
      DDMULD(g.t, side, u);
      DDADD(u, DDReal(half), u);
      DDMUL(u, u, l);
      DDNEG(l, l);
      DDMULD(detail::log1p_series(l), power, l);
      DDEXP(l, e);
      DDMUL(x, u, u);
      detail::cos_sin_accurate(u, nullptr, &sn);
      DDMUL(sn, e, u);
      DDMUL(u, g.w, u);
      DDADD(sum, u, sum);
      total += std::fabs(u.hi);
    }
  }
  if (!(total * (x.hi * b + 64.0) <= 0x1p18 * std::fabs(sum.hi))) return false;
  // c, rescaled by exact powers of two on the way (it passes e^x before it falls).
  DDReal c(1.0), h, pi;
  DDMULD(x, 0.5, h);
  std::int64_t scale = 0;
  for (int i = 1; i <= nu; ++i) {
    DDMUL(c, h, c);
    DDDIVD(c, static_cast<double>(i) - 0.5, c);
    const detail::Scaled r = detail::to_scaled(c);
    c = r.m;
    scale += r.e;
  }
  DDPI(pi);
  DDMULD(sum, half, sum);
  DDMUL(c, sum, c);
  DDDIV(c, pi, c);
  DDMULD(c, 2.0, c);
  const DDReal v = detail::to_dd(detail::normalise(c, scale));
  if (!(std::fabs(v.hi) <= detail::kSplitLimit)) return false;
  out = v;
  return true;
}

/// True when |H_nu(x)| (x > 0) is certainly below half the smallest
/// subnormal, by the bound (x/2)^(nu+1) e^{x^2/(4 nu + 6)} / (Gamma(3/2) Gamma(nu+3/2)).
bool struve_underflows(int nu, double x) noexcept {
  const double n = static_cast<double>(nu);
  const double l = (n + 1.0) * std::log(x * 0.5) - std::lgamma(n + 1.5) - std::lgamma(1.5) + (x * x) / (4.0 * n + 6.0);
  return l < -760.0;
}
}  // namespace

void DDSTRUVEHN(int nu, const DDReal& ss, DDReal& zz) {
  if (nu < 0) detail::fail(msg::kStruveNuNegative);
  if (!std::isfinite(ss.hi) || !std::isfinite(ss.lo)) {  // NaN words for a NaN or infinite argument
    zz = DDReal(std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN());
    return;
  }
  if (std::fabs(ss.hi) > kStruveMaxArg) detail::fail(msg::kStruveTooLarge, {kStruveMaxArg});
  if (ss.hi != 0.0 && struve_underflows(nu, std::fabs(ss.hi))) {
    zz = DDReal(0.0);
    return;
  }
  if (std::fabs(ss.hi) >= kStruveBesselFrom || nu > kBesselSeriesMaxOrder) {
    // The Bessel series, else the asymptotic series, else the power series
    // in a form whose factors stay in range.
    DDReal ax, h;
    DDABS(ss, ax);
    const bool ok = (std::fabs(ss.hi) >= kStruveBesselFrom && struve_bessel_series(nu, ax, h)) ||
                    struve_asymptotic(nu, ax, h) || struve_scaled_series(nu, ax, h) ||
                    struve_integral(nu, ax, h);
    if (!ok) detail::fail(msg::kStruveOrder);
    if (ss.hi < 0.0 && (nu & 1) == 0) DDNEG(h, h);
    zz = h;
    return;
  }
  const DDReal eps = detail::kSeriesEps;
  const DDReal x = ss;
  DDReal t(1.0), x2, w;
  DDMUL(x, x, x2);
  DDMULD(x2, -0.25, w);
  DDReal pi, g1, g2;
  DDPI(pi);
  DDSQRT(pi, g1);
  DDMULD(g1, 0.5, g1);  // Gamma(3/2)
  g2 = g1;
  for (int i = 1; i <= nu; ++i) DDMULD(g2, static_cast<double>(i) + 0.5, g2);  // Gamma(nu + 3/2)
  DDReal g, s;
  DDMUL(g1, g2, g);
  DDDIV(t, g, s);
  detail::run_series(kStruveMaxTerms, msg::kStruveLoopEnd, [&](int k) {
    DDMUL(w, t, t);
    DDMULD(g1, static_cast<double>(k) + 0.5, g1);
    DDMULD(g2, (static_cast<double>(k) + static_cast<double>(nu)) + 0.5, g2);
    DDReal u;
    DDMUL(g1, g2, g);
    DDDIV(t, g, u);
    DDADD(s, u, s);
    return negligible(u, eps, s);
  });
  DDReal h, p;
  DDMULD(x, 0.5, h);
  DDNPWR(h, nu + 1, p);
  DDMUL(p, s, zz);
}

}  // namespace dd
