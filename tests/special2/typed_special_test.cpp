#include <gtest/gtest.h>

#include <vector>

#include "dd.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::DDReal;

void expect_same(const DDReal& a, const DDReal& b) {
  EXPECT_EQ(a.hi, b.hi);
  EXPECT_EQ(a.lo, b.lo);
}

// Every entry returns exactly what its routine writes.
TEST(typed_special, every_entry_forwards_to_its_routine) {
  const DDReal x(0.375), s(3.5), big(2.25);
  DDReal r;
  std::vector<DDReal> bern(47);
  dd::DDBERNE(bern);
  std::vector<DDReal> bern_raw(47);
  dd::DDBERNE(47, bern_raw.data());
  dd::DDBERNER(47, bern_raw.data());
  expect_same(bern[46], bern_raw[46]);
  EXPECT_EQ(bern[0].hi, 1.0 / 6.0);

  dd::DDGAMMAR(s, r), expect_same(dd::gamma_fn(s), r);
  dd::DDINCGAMMAR(s, big, r), expect_same(dd::inc_gamma(s, big), r);
  dd::DDEXPINT(big, r), expect_same(dd::expint(big), r);
  dd::DDZETAR(s, r), expect_same(dd::zeta(s), r);
  dd::DDZETAINTR(5, r), expect_same(dd::zeta_int(5), r);
  dd::DDZETABE(47, bern.data(), s, r);
  expect_same(dd::zeta_be(bern, s), r);
  expect_same(dd::zeta_be(47, bern.data(), s), r);
  dd::DDPOLYGAMMA(2, x, r), expect_same(dd::polygamma(2, x), r);
  dd::DDPOLYGAMMABE(47, bern.data(), 2, big, r);
  expect_same(dd::polygamma_be(bern, 2, big), r);
  expect_same(dd::polygamma_be(47, bern.data(), 2, big), r);
  dd::DDDIGAMMABE(47, bern.data(), big, r);
  expect_same(dd::digamma_be(bern, big), r);
  expect_same(dd::digamma_be(47, bern.data(), big), r);
  dd::DDHURWITZZETAN(3, x, r), expect_same(dd::hurwitz_zeta(3, x), r);
  dd::DDHURWITZZETANBE(47, bern.data(), 3, big, r);
  expect_same(dd::hurwitz_zeta_be(bern, 3, big), r);
  expect_same(dd::hurwitz_zeta_be(47, bern.data(), 3, big), r);

  dd::DDPOLYLOGPOS(3, x, r), expect_same(dd::polylog_pos(3, x), r);
  std::vector<DDReal> eul(5);
  dd::polylog_ini(eul);
  std::vector<DDReal> eul_raw(5);
  dd::polylog_ini(-5, eul_raw.data());
  EXPECT_EQ(eul[2].hi, 66.0);
  expect_same(eul[2], eul_raw[2]);
  dd::DDPOLYLOGNEG(-5, eul.data(), x, r);
  expect_same(dd::polylog_neg(eul, x), r);
  expect_same(dd::polylog_neg(5, eul.data(), x), r);

  dd::DDERFR(x, r), expect_same(dd::erf(x), r);
  dd::DDERFCR(x, r), expect_same(dd::erfc(x), r);

  dd::DDBESSELJNR(0, big, r), expect_same(dd::bessel_j0(big), r), expect_same(dd::bessel_jn(0, big), r);
  dd::DDBESSELJNR(1, big, r), expect_same(dd::bessel_j1(big), r);
  dd::DDBESSELJNR(3, big, r), expect_same(dd::bessel_jn(3, big), r);
  dd::DDBESSELJR(x, big, r), expect_same(dd::bessel_j(x, big), r);
  dd::DDBESSELYNR(0, big, r), expect_same(dd::bessel_y0(big), r);
  dd::DDBESSELYNR(1, big, r), expect_same(dd::bessel_y1(big), r), expect_same(dd::bessel_yn(1, big), r);
  dd::DDBESSELYNR(3, big, r), expect_same(dd::bessel_yn(3, big), r);
  dd::DDBESSELYR(x, big, r), expect_same(dd::bessel_y(x, big), r);
  dd::DDBESSELINR(2, big, r), expect_same(dd::bessel_in(2, big), r);
  dd::DDBESSELIR(x, big, r), expect_same(dd::bessel_i(x, big), r);
  dd::DDBESSELKNR(2, big, r), expect_same(dd::bessel_kn(2, big), r);
  dd::DDBESSELKR(x, big, r), expect_same(dd::bessel_k(x, big), r);

  dd::DDSTRUVEHN(1, big, r), expect_same(dd::struve_h(1, big), r);
  const std::vector<DDReal> aa = {DDReal(0.5), DDReal(1.5)}, bb = {DDReal(2.5)};
  dd::DDHYPERGEOMPFQ(2, 1, aa.data(), bb.data(), x, r);
  expect_same(dd::hypergeom_pfq(aa, bb, x), r);
  expect_same(dd::hypergeom_pfq(2, 1, aa.data(), bb.data(), x), r);
}

TEST(typed_special, refusals_pass_through_unchanged) {
  EXPECT_DD_STOP(dd::bessel_j0(DDReal(0.0)), "*** DDBESSELJNR: Second argument is zero");
  std::vector<DDReal> unset(3, DDReal(0.0));
  EXPECT_DD_STOP(dd::polylog_neg(unset, DDReal(0.5)),
                 "*** DDPOLYLOGNEG: Uninitialized or inadequately sized arrays\n"
                 "Call ddpolylogini or polylog_ini to initialize array. See documentation.");
  const std::vector<DDReal> none;
  const std::vector<DDReal> one = {DDReal(1.0)};
  EXPECT_DD_STOP(dd::hypergeom_pfq(none, one, DDReal(0.5)),
                 "*** DDHYPERGEOMPFQ: NP and NQ must be between 1 and  10");
}

}  // namespace
