// Integer relations at any precision: numbers as decimal text or MPFR values,
// the multi-level search of pslq/multilevel.hpp over MPFR, GMP integers for
// the relation matrix.
#include "pslq/relations/relations.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "pslq/multilevel.hpp"
#include "pslq/relations/mp_field.hpp"

namespace dd {

namespace {

using detail::ml::Mp;
using detail::ml::MpField;
using detail::ml::Mpz;
using detail::ml::MpzBig;

// Most numbers searched at once at any precision.
constexpr int kMaxNumbers = 256;

// Guard bits above the digits the numbers carry.  The copies of H that the
// lower levels run on are formed from C = b^-T and lose about log2 max|C|
// bits; late in a search near the numbers' precision that reaches 160 bits of
// 200, and with fewer guard bits the lower levels give up there and the
// iterations crawl on at full precision.
constexpr int kGuardBits = 64;

// The search works at least at double-double precision: numbers given with
// fewer digits are taken as the exact decimals they are.
constexpr int kLeastDigits = 32;

// Up to this many digits the double-double search runs.
constexpr int kDoubleDoubleDigits = 32;

// From this many bits on, a double-double level runs between MPFR and binary64.
constexpr mpfr_prec_t kThreeLevelBits = 190;

// Iterations of all levels together before the search gives up.
constexpr long kMaxIterations = 2000000;

// The chance warning fires when n log10(norm) comes within this many digits of
// the threshold's digits.
constexpr double kChanceMargin = 3.0;

constexpr double kLog2Of10 = 3.321928094887362;

relation_result refuse(std::string why) {
  relation_result r;
  r.status = relation_status::bad_input;
  r.message = std::move(why);
  return r;
}

std::string fmt(const char* f, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, f, v);
  return buf;
}

mpfr_prec_t working_bits(int digits) {
  return static_cast<mpfr_prec_t>(std::ceil(digits * kLog2Of10)) + kGuardBits;
}

// The integer as the nearest DDReal (exact below 2^106).
DDReal to_ddreal(const Mpz& z) {
  Mp t(320);
  mpfr_set_z(t.get(), z.get(), MPFR_RNDN);
  const double hi = mpfr_get_d(t.get(), MPFR_RNDN);
  if (!std::isfinite(hi)) return DDReal(hi, 0.0);
  mpfr_sub_d(t.get(), t.get(), hi, MPFR_RNDN);
  return DDReal(hi, mpfr_get_d(t.get(), MPFR_RNDN));
}

// What the search needs to know besides the numbers.
struct Plan {
  int digits = 0;             // working digits
  double log10_eps = 0.0;     // detection threshold
  double log10_norm_bound = 20.0;
  int debug = 0;
  bool explicit_threshold = false;
};

// Checks the options against the digits the numbers carry.
bool make_plan(int carried, const relation_options& opt, Plan& plan, relation_result& refusal) {
  plan.digits = opt.digits > 0 ? opt.digits : carried;
  if (opt.digits < 0) {
    refusal = refuse("the working precision must be a positive number of digits");
    return false;
  }
  plan.log10_eps = opt.log10_threshold != 0.0 ? opt.log10_threshold : -(plan.digits - 3.0);
  if (!(plan.log10_eps < 0.0)) {
    refusal = refuse(plan.digits <= 3 ? "the numbers carry too few digits (" + std::to_string(plan.digits) +
                                            ") for a relation to be told from an accident"
                                      : "the threshold must lie strictly between 0 and 1");
    return false;
  }
  if (-plan.log10_eps > plan.digits) {
    refusal = refuse("the threshold 1e" + fmt("%.4g", plan.log10_eps) + " asks for " + fmt("%.4g", -plan.log10_eps) +
                     " digits but the search works at " + std::to_string(plan.digits) +
                     ": a true relation among the numbers cannot show that small a residual; give the numbers "
                     "to more digits or a larger threshold");
    return false;
  }
  plan.log10_norm_bound = opt.log10_norm_bound;
  plan.debug = opt.debug;
  plan.explicit_threshold = opt.log10_threshold != 0.0;
  if (!(plan.log10_norm_bound > 0.0) || !(plan.log10_norm_bound <= plan.digits + 31.0)) {
    refusal = refuse("the norm bound must lie between 10^0 and 10^" + std::to_string(plan.digits + 31) +
                     " (log10 in (0, digits + 31])");
    return false;
  }
  return true;
}

// Residual, norm, digits and the chance comparison of the relation c on x.
void judge(const std::vector<Mp>& x, const std::vector<Mpz>& c, const Plan& plan, relation_result& r) {
  const mpfr_prec_t p = mpfr_get_prec(x[0].get()) + 64;
  Mp sum(p), t(p), sq(p);
  double cmax = -HUGE_VAL, xmax = -HUGE_VAL;
  for (std::size_t i = 0; i < x.size(); ++i) {
    mpfr_mul_z(t.get(), x[i].get(), c[i].get(), MPFR_RNDN);
    mpfr_add(sum.get(), sum.get(), t.get(), MPFR_RNDN);
    mpfr_set_z(t.get(), c[i].get(), MPFR_RNDN);
    mpfr_sqr(t.get(), t.get(), MPFR_RNDN);
    mpfr_add(sq.get(), sq.get(), t.get(), MPFR_RNDN);
    if (mpz_sgn(c[i].get()) != 0) {
      cmax = std::max(cmax, MpzBig::log2_abs(c[i]));
      xmax = std::max(xmax, MpField::log2_abs(x[i]));
    }
  }
  mpfr_abs(sum.get(), sum.get(), MPFR_RNDN);
  mpfr_sqrt(sq.get(), sq.get(), MPFR_RNDN);
  r.norm = DDReal(mpfr_get_d(sq.get(), MPFR_RNDN));
  const double lres = MpField::log2_abs(sum);
  {
    const double hi = mpfr_get_d(sum.get(), MPFR_RNDN);
    mpfr_sub_d(t.get(), sum.get(), hi, MPFR_RNDN);
    r.residual = DDReal(hi, hi == 0.0 ? 0.0 : mpfr_get_d(t.get(), MPFR_RNDN));
  }
  const double cap = plan.digits;
  r.digits = std::isinf(lres) ? cap : std::min(cap, (cmax + xmax - lres) / kLog2Of10);
  const double n = static_cast<double>(x.size());
  r.chance_digits = r.norm.hi > 0.0 ? n * std::log10(r.norm.hi) : 0.0;
  r.maybe_chance = r.chance_digits >= -plan.log10_eps - kChanceMargin;
}

void fill_relation(const std::vector<Mpz>& c, relation_result& r) {
  r.relation.clear();
  r.coefficients.clear();
  for (const auto& a : c) {
    r.relation.push_back(to_ddreal(a));
    r.coefficients.push_back(MpzBig::text(a));
  }
}

// The search on x (at the working precision, all finite, not all zero).
relation_result search(const std::vector<Mp>& x, const Plan& plan) {
  const int n = static_cast<int>(x.size());
  relation_result r;
  r.working_digits = plan.digits;
  // A zero number is a relation by itself.
  for (int i = 0; i < n; ++i) {
    if (!mpfr_zero_p(x[i].get())) continue;
    std::vector<Mpz> c(n);
    mpz_set_ui(c[i].get(), 1);
    fill_relation(c, r);
    judge(x, c, plan, r);
    r.status = relation_status::found;
    r.message = "number " + std::to_string(i + 1) + " is zero, so it is a relation by itself";
    return r;
  }

  const mpfr_prec_t bits = mpfr_get_prec(x[0].get());
  if (plan.digits <= kDoubleDoubleDigits || plan.debug > 0) {
    // Double-double is enough, when the numbers lie within its range of one
    // another: they are scaled by one power of two, the largest into [1, 2).
    long emax = LONG_MIN, emin = LONG_MAX;
    for (const auto& v : x) {
      emax = std::max(emax, static_cast<long>(mpfr_get_exp(v.get())));
      emin = std::min(emin, static_cast<long>(mpfr_get_exp(v.get())));
    }
    if (emax - emin < 400) {
      // (At a debug level above 0 this is PSLQM1 itself, at double-double precision.)
      MpField f(bits);
      std::vector<DDReal> xd;
      for (const auto& v : x) xd.push_back(f.to_dd_2exp(v, static_cast<int>(emax - 1)));
      relation_options o;
      o.debug = plan.debug;
      // (Above its digits only PSLQM1 runs here: at its own threshold unless one was asked for.)
      o.threshold = plan.digits <= kDoubleDoubleDigits || plan.explicit_threshold
                        ? DDReal(std::pow(10.0, plan.log10_eps))
                        : default_relation_threshold();
      o.log10_norm_bound = std::min(plan.log10_norm_bound, 31.0);
      relation_result d = find_relation(std::span<const DDReal>(xd), o);
      if (d.status == relation_status::found || d.status == relation_status::too_large) {
        std::vector<Mpz> c(n);
        Mpz lo;
        for (int i = 0; i < n; ++i) {  // both words are integers
          mpz_set_d(c[i].get(), d.relation[i].hi);
          mpz_set_d(lo.get(), d.relation[i].lo);
          mpz_add(c[i].get(), c[i].get(), lo.get());
        }
        fill_relation(c, d);
        judge(x, c, plan, d);
        detail::classify_relation(d, plan.log10_norm_bound);
      }
      d.working_digits = plan.digits;
      return d;
    }
  }

  MpField f(bits);
  detail::ml::SearchLimits lim;
  lim.log2_eps = plan.log10_eps * kLog2Of10;
  lim.log10_norm_bound = plan.log10_norm_bound;
  lim.max_iterations = kMaxIterations;
  lim.log2_chance_norm = (-plan.log10_eps - kChanceMargin) / n * kLog2Of10;
  // The lattice that ends a search without a sure relation weighs the
  // residuals by 2^-3 10^digits: a true relation's last coordinate is then
  // about its norm or less.
  lim.log2_weight = static_cast<int>(plan.digits * kLog2Of10) - 3;
  detail::ml::SearchResult<MpzBig> out;
  if (bits >= kThreeLevelBits) {
    detail::ml::DDMiddle inner;
    out = detail::ml::run_search(f, n, x.data(), lim, inner);
  } else {
    detail::ml::Binary64Inner inner;
    out = detail::ml::run_search(f, n, x.data(), lim, inner);
  }
  r.iterations = out.iterations;
  if (detail::ml::unfound(r, out.end, out.why, plan.log10_norm_bound)) return r;
  fill_relation(out.relation, r);
  judge(x, out.relation, plan, r);
  detail::classify_relation(r, plan.log10_norm_bound);
  return r;
}

// Validates x and carries out the search at the plan's precision.
relation_result search_values(std::span<const mpfr_srcptr> x, int carried, const relation_options& opt) {
  const std::size_t n = x.size();
  if (n < 2) return refuse("need at least two numbers, got " + std::to_string(n));
  if (n > static_cast<std::size_t>(kMaxNumbers))
    return refuse("at most " + std::to_string(kMaxNumbers) + " numbers can be searched, got " + std::to_string(n));
  bool any_nonzero = false;
  for (std::size_t i = 0; i < n; ++i) {
    if (!mpfr_number_p(x[i])) return refuse("number " + std::to_string(i + 1) + " is not finite");
    if (!mpfr_zero_p(x[i])) any_nonzero = true;
  }
  if (!any_nonzero) return refuse("all the numbers are zero, so every integer vector is a relation");
  Plan plan;
  relation_result refusal;
  if (!make_plan(carried, opt, plan, refusal)) return refusal;
  std::vector<Mp> xs;
  const mpfr_prec_t bits = working_bits(plan.digits);
  for (const auto v : x) {
    xs.emplace_back(bits);
    mpfr_set(xs.back().get(), v, MPFR_RNDN);
  }
  return search(xs, plan);
}

int digits_of_precision(mpfr_prec_t p) { return static_cast<int>(std::floor(static_cast<double>(p) / kLog2Of10)); }

// Digits the texts carry: the fewest among the inexact ones, but at least
// kLeastDigits (shorter numbers are taken as the exact decimals they are);
// -1 when one is not a number (index in bad).
int carried_digits(std::span<const std::string> x, std::size_t& bad) {
  int carried = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const int d = decimal_digits(x[i]);
    if (d == 0) {
      bad = i;
      return -1;
    }
    if (d > 0) carried = carried == 0 ? d : std::min(carried, d);
  }
  return std::max(carried, kLeastDigits);
}

// Reads texts rounded to the working precision (and 64 bits more).
std::vector<Mp> read_all(std::span<const std::string> x, int digits) {
  std::vector<Mp> v;
  for (const auto& s : x) {
    v.emplace_back(working_bits(digits) + 64);
    read_decimal(s, v.back().get());
  }
  return v;
}

// Minimal polynomial of x (precision fixed) working at plan's digits.
relation_result minimal_polynomial(const Mp& x, int carried, int degree, const relation_options& opt) {
  if (degree < 1 || degree >= kMaxNumbers)
    return refuse("the degree must lie between 1 and " + std::to_string(kMaxNumbers - 1));
  if (!mpfr_number_p(x.get())) return refuse("the number is not finite");
  Plan plan;
  relation_result refusal;
  if (!make_plan(carried, opt, plan, refusal)) return refusal;
  const mpfr_prec_t bits = working_bits(plan.digits);
  if (mpfr_zero_p(x.get())) {
    relation_result r;
    r.status = relation_status::found;
    r.relation = {DDReal(0.0), DDReal(1.0)};
    r.coefficients = {"0", "1"};
    r.working_digits = plan.digits;
    r.digits = plan.digits;
    r.norm = DDReal(1.0);
    r.message = "the number is zero";
    return r;
  }
  std::vector<Mp> v;
  v.emplace_back(bits);
  mpfr_set_ui(v[0].get(), 1, MPFR_RNDN);
  v.emplace_back(bits);
  mpfr_set(v[1].get(), x.get(), MPFR_RNDN);
  for (int k = 2; k <= degree; ++k) {
    v.emplace_back(bits);
    mpfr_mul(v[k].get(), v[k - 1].get(), v[1].get(), MPFR_RNDN);
  }
  relation_result r = detail::minimal_polynomial_search(degree, -plan.log10_eps, [&](int d) {
    return search(std::vector<Mp>(v.begin(), v.begin() + d + 1), plan);
  });
  if (r.status != relation_status::found && r.status != relation_status::too_large) return r;
  std::vector<Mpz> c(r.coefficients.size());
  for (std::size_t i = 0; i < c.size(); ++i) mpz_set_str(c[i].get(), r.coefficients[i].c_str(), 10);
  judge(std::vector<Mp>(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(c.size())), c, plan, r);
  return r;
}

}  // namespace

int decimal_digits(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  int count = 0, mant = 0;
  bool started = false, point = false, exponent = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      ++mant;
      if (c != '0') started = true;
      if (started) ++count;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (mant == 0) return 0;
  if (i < s.size()) {
    const char c = s[i];
    if (c != 'e' && c != 'E' && c != 'd' && c != 'D') return 0;
    exponent = true;
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) ++digits;
    if (digits == 0 || i != s.size()) return 0;
  }
  if (!point && !exponent) return -1;
  return std::max(count, 1);
}

bool read_decimal(std::string_view text, mpfr_ptr v) {
  if (decimal_digits(text) == 0) return false;
  std::string t(text);
  for (auto& c : t)
    if (c == 'd' || c == 'D') c = 'e';
  // An exponent past the range of a long is beyond any number MPFR holds.
  char* end = nullptr;
  const char* begin = t.c_str();
  while (std::isspace(static_cast<unsigned char>(*begin))) ++begin;
  mpfr_strtofr(v, begin, &end, 10, MPFR_RNDN);
  return mpfr_number_p(v) != 0;
}

bool named_constant(std::string_view name, mpfr_ptr v) {
  long power = 1;
  if (const auto caret = name.find('^'); caret != std::string_view::npos) {
    const std::string p(name.substr(caret + 1));
    char* end = nullptr;
    power = std::strtol(p.c_str(), &end, 10);
    if (p.empty() || *end != '\0' || power == 0) return false;
    name = name.substr(0, caret);
  }
  const std::string n(name);
  if (n == "1") {
    mpfr_set_ui(v, 1, MPFR_RNDN);
  } else if (n == "pi") {
    mpfr_const_pi(v, MPFR_RNDN);
  } else if (n == "e") {
    mpfr_set_ui(v, 1, MPFR_RNDN);
    mpfr_exp(v, v, MPFR_RNDN);
  } else if (n == "ln2") {
    mpfr_const_log2(v, MPFR_RNDN);
  } else if (n == "ln3" || n == "ln10") {
    mpfr_set_ui(v, n == "ln3" ? 3 : 10, MPFR_RNDN);
    mpfr_log(v, v, MPFR_RNDN);
  } else if (n == "zeta3" || n == "zeta5") {
    mpfr_zeta_ui(v, n == "zeta3" ? 3 : 5, MPFR_RNDN);
  } else if (n == "catalan") {
    mpfr_const_catalan(v, MPFR_RNDN);
  } else if (n == "euler") {
    mpfr_const_euler(v, MPFR_RNDN);
  } else if (n.rfind("sqrt", 0) == 0 || n.rfind("cbrt", 0) == 0) {
    const std::string k = n.substr(4);
    if (k.empty() || k.find_first_not_of("0123456789") != std::string::npos || k.size() > 9) return false;
    const unsigned long m = std::stoul(k);
    if (m == 0) return false;
    if (n[0] == 's') {
      mpfr_sqrt_ui(v, m, MPFR_RNDN);
    } else {
      mpfr_set_ui(v, m, MPFR_RNDN);
      mpfr_cbrt(v, v, MPFR_RNDN);
    }
  } else {
    return false;
  }
  if (power != 1) mpfr_pow_si(v, v, power, MPFR_RNDN);
  return true;
}

relation_result find_relation(std::span<const std::string> x, const relation_options& opt) {
  std::size_t bad = 0;
  const int carried = carried_digits(x, bad);
  if (carried < 0) return refuse("number " + std::to_string(bad + 1) + " is not a decimal number");
  const std::vector<Mp> v = read_all(x, opt.digits > 0 ? opt.digits : carried);
  std::vector<mpfr_srcptr> p;
  for (const auto& a : v) p.push_back(a.get());
  return search_values(p, carried, opt);
}

relation_result find_relation(std::span<const mpfr_srcptr> x, const relation_options& opt) {
  int carried = 0;
  for (const auto v : x) {
    const int d = digits_of_precision(mpfr_get_prec(v));
    carried = carried == 0 ? d : std::min(carried, d);
  }
  return search_values(x, std::max(carried, 1), opt);
}

relation_result find_minimal_polynomial(std::string_view x, int degree, const relation_options& opt) {
  const int d = decimal_digits(x);
  if (d == 0) return refuse("the number is not a decimal number");
  const std::string s(x);
  const std::vector<Mp> v =
      read_all(std::span<const std::string>(&s, 1), opt.digits > 0 ? opt.digits : std::max(d, kLeastDigits));
  return minimal_polynomial(v[0], std::max(d, kLeastDigits), degree, opt);
}

relation_result find_minimal_polynomial(mpfr_srcptr x, int degree, const relation_options& opt) {
  Mp v(mpfr_get_prec(x));
  mpfr_set(v.get(), x, MPFR_RNDN);
  return minimal_polynomial(v, std::max(digits_of_precision(mpfr_get_prec(x)), 1), degree, opt);
}

}  // namespace dd
