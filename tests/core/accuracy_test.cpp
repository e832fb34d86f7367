// Accuracy of the arithmetic against MPFR at 256 bits, on random operands of
// wide magnitude range.  Each case prints the worst relative error it saw.
//
// Errors are relative to the exact result, except for sums of operands of
// opposite signs: the add and sub kernels bound their error by the operands'
// magnitudes (|a| + |b|), not by a result that may have cancelled.
//
// Worst errors measured on these samples (20000 each):
//   add  2.4e-32 (2^-105.0)   add, opposite signs  2.2e-32 of |a| + |b|
//   sub  2.2e-32              sub, cancelling      2.3e-32 of |a| + |b|
//   mul  3.0e-32 (2^-104.7)   muld 1.8e-32         div  6.7e-32 (2^-103.6)
//   divd 2.8e-32              sqrt 7.8e-32 (2^-103.3)
//   npwr 5.4e-31 (|n| <= 40)  nrt  5.4e-32 (n <= 40)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "ddtyped/real.hpp"
#include "support/mpfr_ref.hpp"
#include "support/random_dd.hpp"

namespace {

using dd::DDReal;
using dd::test::Mp;

constexpr int kSamples = 20000;

struct Sample {
  DDReal got;
  Mp want;
  Mp scale;  // the error is |got - want| / |scale|
};

struct AccuracyCase {
  std::string name;
  double bound;
  // Fills one sample from the random source.
  std::function<void(dd::test::RandomDD&, Sample&)> run;
};

std::ostream& operator<<(std::ostream& os, const AccuracyCase& c) { return os << c.name; }

// b's exponent lies within 110 of a's, so the operands overlap in every way.
void operand_pair(dd::test::RandomDD& rnd, int emax, int sign_rel, DDReal& a, DDReal& b) {
  const int ea = rnd.integer(-emax, emax);
  a = rnd(ea, ea);
  b = rnd(std::max(ea - 110, -emax - 110), std::min(ea + 110, emax + 110));
  if (sign_rel != 0 && (std::signbit(a.hi) == std::signbit(b.hi)) != (sign_rel > 0)) dd::DDNEG(b, b);
}

void magnitude_sum(const DDReal& a, const DDReal& b, Mp& scale) {
  Mp aa(a), bb(b);
  mpfr_abs(aa, aa, MPFR_RNDN);
  mpfr_abs(bb, bb, MPFR_RNDN);
  mpfr_add(scale, aa, bb, MPFR_RNDN);
}

AccuracyCase add_case(const char* name, int sign_rel, bool subtract) {
  return {name, sign_rel > 0 ? 4e-32 : 3e-32, [=](dd::test::RandomDD& rnd, Sample& s) {
            DDReal a, b;
            operand_pair(rnd, 900, subtract ? -sign_rel : sign_rel, a, b);
            if (subtract) {
              dd::DDSUB(a, b, s.got);
              mpfr_sub(s.want, Mp(a), Mp(b), MPFR_RNDN);
            } else {
              dd::DDADD(a, b, s.got);
              mpfr_add(s.want, Mp(a), Mp(b), MPFR_RNDN);
            }
            if (sign_rel > 0) {
              mpfr_set(s.scale, s.want, MPFR_RNDN);
            } else {
              magnitude_sum(a, b, s.scale);
            }
          }};
}

const AccuracyCase kCases[] = {
    add_case("add_same_sign", 1, false),
    add_case("add_opposite_signs", -1, false),
    add_case("sub_same_sign_result", 1, true),
    add_case("sub_cancelling", -1, true),
    {"mul", 6e-32,
     [](dd::test::RandomDD& rnd, Sample& s) {
       const DDReal a = rnd(-450, 450), b = rnd(-450, 450);
       dd::DDMUL(a, b, s.got);
       mpfr_mul(s.want, Mp(a), Mp(b), MPFR_RNDN);
       mpfr_set(s.scale, s.want, MPFR_RNDN);
     }},
    {"muld", 4e-32,
     [](dd::test::RandomDD& rnd, Sample& s) {
       const DDReal a = rnd(-450, 450);
       const double d = rnd(-450, 450).hi;
       dd::DDMULD(a, d, s.got);
       mpfr_mul_d(s.want, Mp(a), d, MPFR_RNDN);
       mpfr_set(s.scale, s.want, MPFR_RNDN);
     }},
    {"div", 1e-31,
     [](dd::test::RandomDD& rnd, Sample& s) {
       const DDReal a = rnd(-450, 450), b = rnd(-450, 450);
       dd::DDDIV(a, b, s.got);
       mpfr_div(s.want, Mp(a), Mp(b), MPFR_RNDN);
       mpfr_set(s.scale, s.want, MPFR_RNDN);
     }},
    {"divd", 1e-31,
     [](dd::test::RandomDD& rnd, Sample& s) {
       const DDReal a = rnd(-450, 450);
       const double d = rnd(-450, 450).hi;
       dd::DDDIVD(a, d, s.got);
       mpfr_div_d(s.want, Mp(a), d, MPFR_RNDN);
       mpfr_set(s.scale, s.want, MPFR_RNDN);
     }},
    {"sqrt", 1e-31,
     [](dd::test::RandomDD& rnd, Sample& s) {
       const DDReal a = rnd(-960, 960, true);
       dd::DDSQRT(a, s.got);
       mpfr_sqrt(s.want, Mp(a), MPFR_RNDN);
       mpfr_set(s.scale, s.want, MPFR_RNDN);
     }},
    // Each squaring doubles the error carried so far: about |n| roundings of
    // 2^-105 for |n| <= 40.
    {"npwr", 1.5e-30,
     [](dd::test::RandomDD& rnd, Sample& s) {
       const DDReal a = rnd(-6, 6);
       const int n = rnd.integer(-40, 40);
       dd::DDNPWR(a, n, s.got);
       mpfr_pow_si(s.want, Mp(a), n, MPFR_RNDN);
       mpfr_set(s.scale, s.want, MPFR_RNDN);
     }},
    {"nrt", 2e-31,
     [](dd::test::RandomDD& rnd, Sample& s) {
       const DDReal a = rnd(-300, 300, true);
       const int n = rnd.integer(1, 40);
       dd::DDNRT(a, n, s.got);
       mpfr_rootn_ui(s.want, Mp(a), static_cast<unsigned long>(n), MPFR_RNDN);
       mpfr_set(s.scale, s.want, MPFR_RNDN);
     }},
};

class accuracy : public ::testing::TestWithParam<AccuracyCase> {};

TEST_P(accuracy, worst_relative_error_against_mpfr) {
  const AccuracyCase& c = GetParam();
  dd::test::RandomDD rnd(0x5eed + c.name.size());
  double worst = 0.0;
  DDReal worst_got{};
  for (int k = 0; k < kSamples; ++k) {
    Sample s;
    c.run(rnd, s);
    ASSERT_TRUE(std::isfinite(s.got.hi) && std::isfinite(s.got.lo)) << c.name << " sample " << k;
    Mp err;
    mpfr_sub(err, Mp(s.got), s.want, MPFR_RNDN);
    if (!mpfr_zero_p(s.scale)) mpfr_div(err, err, s.scale, MPFR_RNDN);
    const double e = std::fabs(mpfr_get_d(err, MPFR_RNDN));
    if (e > worst) {
      worst = e;
      worst_got = s.got;
    }
  }
  std::printf("[ accuracy ] %-22s worst relative error %.3g (2^%.2f) over %d samples\n", c.name.c_str(), worst,
              worst > 0 ? std::log2(worst) : -INFINITY, kSamples);
  RecordProperty("worst_relative_error", std::to_string(worst));
  EXPECT_LT(worst, c.bound) << "worst at (" << worst_got.hi << ", " << worst_got.lo << ")";
}

INSTANTIATE_TEST_SUITE_P(kernels, accuracy, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<AccuracyCase>& i) { return i.param.name; });

}  // namespace
