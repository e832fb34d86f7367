// A file that includes only the typed interface's real header gets the
// specialised std::numeric_limits and the <numbers> constants of DDReal, and
// a DDComplex starts at zero like std::complex.
#include <gtest/gtest.h>

#include <limits>
#include <numbers>

#include "ddcomplex/ddcomplex.hpp"
#include "ddtyped/real.hpp"
#include "support/mpfr_ref.hpp"

namespace {

using dd::DDReal;

static_assert(std::numeric_limits<DDReal>::is_specialized);
static_assert(std::numeric_limits<DDReal>::epsilon().hi == 0x1p-104);
static_assert(std::numeric_limits<DDReal>::digits == 106);
static_assert(std::numbers::pi_v<DDReal>.hi == std::numbers::pi);

/// Each constant is the pair nearest to its value: hi and lo both rounded to nearest.
TEST(generic_limits, numbers_are_the_nearest_pairs) {
  struct Constant {
    const char* name;
    DDReal value;
    void (*ref)(mpfr_ptr);
  };
  using dd::test::Mp;
  const Constant constants[] = {
      {"e", std::numbers::e_v<DDReal>, [](mpfr_ptr x) { mpfr_set_ui(x, 1, MPFR_RNDN); mpfr_exp(x, x, MPFR_RNDN); }},
      {"log2e", std::numbers::log2e_v<DDReal>, [](mpfr_ptr x) { mpfr_const_log2(x, MPFR_RNDN); mpfr_ui_div(x, 1, x, MPFR_RNDN); }},
      {"log10e", std::numbers::log10e_v<DDReal>,
       [](mpfr_ptr x) { mpfr_set_ui(x, 10, MPFR_RNDN); mpfr_log(x, x, MPFR_RNDN); mpfr_ui_div(x, 1, x, MPFR_RNDN); }},
      {"pi", std::numbers::pi_v<DDReal>, [](mpfr_ptr x) { mpfr_const_pi(x, MPFR_RNDN); }},
      {"inv_pi", std::numbers::inv_pi_v<DDReal>, [](mpfr_ptr x) { mpfr_const_pi(x, MPFR_RNDN); mpfr_ui_div(x, 1, x, MPFR_RNDN); }},
      {"inv_sqrtpi", std::numbers::inv_sqrtpi_v<DDReal>, [](mpfr_ptr x) { mpfr_const_pi(x, MPFR_RNDN); mpfr_rec_sqrt(x, x, MPFR_RNDN); }},
      {"ln2", std::numbers::ln2_v<DDReal>, [](mpfr_ptr x) { mpfr_const_log2(x, MPFR_RNDN); }},
      {"ln10", std::numbers::ln10_v<DDReal>, [](mpfr_ptr x) { mpfr_set_ui(x, 10, MPFR_RNDN); mpfr_log(x, x, MPFR_RNDN); }},
      {"sqrt2", std::numbers::sqrt2_v<DDReal>, [](mpfr_ptr x) { mpfr_sqrt_ui(x, 2, MPFR_RNDN); }},
      {"sqrt3", std::numbers::sqrt3_v<DDReal>, [](mpfr_ptr x) { mpfr_sqrt_ui(x, 3, MPFR_RNDN); }},
      {"inv_sqrt3", std::numbers::inv_sqrt3_v<DDReal>, [](mpfr_ptr x) { mpfr_set_ui(x, 3, MPFR_RNDN); mpfr_rec_sqrt(x, x, MPFR_RNDN); }},
      {"egamma", std::numbers::egamma_v<DDReal>, [](mpfr_ptr x) { mpfr_const_euler(x, MPFR_RNDN); }},
      {"phi", std::numbers::phi_v<DDReal>,
       [](mpfr_ptr x) { mpfr_sqrt_ui(x, 5, MPFR_RNDN); mpfr_add_ui(x, x, 1, MPFR_RNDN); mpfr_div_2ui(x, x, 1, MPFR_RNDN); }},
  };
  for (const Constant& c : constants) {
    Mp want(400);
    c.ref(want);
    const DDReal nearest = dd::test::to_ddreal(want);
    EXPECT_EQ(c.value.hi, nearest.hi) << c.name;
    EXPECT_EQ(c.value.lo, nearest.lo) << c.name;
  }
}

TEST(generic_limits, complex_defaults_to_zero_and_has_parts) {
  dd::DDComplex z;
  EXPECT_EQ(z.real().hi, 0.0);
  EXPECT_EQ(z.imag().lo, 0.0);
  z.imag(DDReal(2.0, 1e-20));
  EXPECT_EQ(z.im.lo, 1e-20);
  EXPECT_EQ(z.re.hi, 0.0);
}

}  // namespace
