// find_relation: the multi-level search (multilevel.hpp) on a caller's
// numbers, with the result returned; PSLQM1 itself at debug levels above 0.
//
// What this layer adds to the search:
//   - refusal of inputs the search cannot take: fewer than two numbers, more
//     than kMaxRelationSize, a non-finite number, all numbers zero, and
//     options outside their meaningful range (a threshold below 1e-31 asks
//     for more digits than double-double numbers carry);
//   - an exact rescaling by a power of two so that the largest |x(i)| lies in
//     [1, 2), which keeps the squares of the start away from overflow and
//     underflow;
//   - a zero number is the relation e(i) by itself; numbers below 2^-450 of
//     the largest cannot enter a relation of norm up to 10^31 holding to
//     10^-31, and the search runs on the others;
//   - for PSLQM1, a stop of the package inside the search (for instance
//     DDNINT on an overflowing multiplier) is thrown under a stop_guard on the
//     calling thread, caught, and returned as search_failed;
//   - the residual, the norm, the digits to which the relation holds and the
//     comparison with a chance relation.
#include "pslq/find_relation.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <utility>

#include "ddreal/power.hpp"
#include "ddreal/stop.hpp"
#include "pslq/multilevel.hpp"
#include "pslq/pslq.hpp"

namespace dd {

namespace {

// The largest |x(i)| is scaled into [1, 2); a last entry below 2^-450 of it
// has a square (2^-900) that still is normal, but anything smaller heads for
// an underflowing partial norm, and it is negligible at any threshold above
// 10^-135 anyway.
constexpr int kNegligibleExponent = -450;

// A DDReal holds integers exactly up to 2^105 (about 4e31), and DDNINT stops
// beyond that, so a norm bound above 10^31 cannot be honoured.
constexpr double kMaxLog10NormBound = 31.0;

// The smallest threshold a double-double search can honour: 2^-106 is about
// 1.2e-32, and a relation among numbers rounded to it holds to about 1e-32.
constexpr double kSmallestThreshold = 1e-31;

// Iterations of all levels together before the search gives up.
constexpr long kMaxIterations = 1000000;

// The chance warning fires when n log10(norm) comes within this many digits of
// the threshold's digits.
constexpr double kChanceMargin = 3.0;

bool finite(const DDReal& a) { return std::isfinite(a.hi) && std::isfinite(a.lo); }

std::string printf_string(const char* fmt, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

relation_result refuse(std::string why) {
  relation_result r;
  r.status = relation_status::bad_input;
  r.message = std::move(why);
  return r;
}

// Residual, norm, digits and the chance comparison of r.relation on x, where
// x is the caller's vector scaled by 2^-scale (the residual is formed on the
// scaled values, whose products cannot overflow, and scaled back exactly).
// The digits compare the residual with the largest term a relation of this
// size can have, max|a(i)| max|x(j)|: how much cancellation the relation
// shows against the size of the numbers.
void judge(std::span<const DDReal> x, int scale, const DDReal& threshold, relation_result& r) {
  DDReal sum(0.0), sq(0.0);
  double amax = 0.0, xmax = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const DDReal& a = r.relation[i];
    DDReal t;
    DDMUL(a, x[i], t);
    DDADD(sum, t, sum);
    DDMUL(a, a, t);
    DDADD(sq, t, sq);
    amax = std::max(amax, std::fabs(a.hi));
    xmax = std::max(xmax, std::fabs(x[i].hi));
  }
  DDABS(sum, r.residual);
  DDSQRT(sq, r.norm);
  if (r.residual.hi == 0.0 || amax == 0.0 || xmax == 0.0) {
    r.digits = kWorkingDigits;
  } else {
    r.digits = std::min(kWorkingDigits, std::log10(amax) + std::log10(xmax) - std::log10(r.residual.hi));
  }
  r.residual = DDReal(std::ldexp(r.residual.hi, scale), std::ldexp(r.residual.lo, scale));
  const double n = static_cast<double>(x.size());
  r.chance_digits = r.norm.hi > 0.0 ? n * std::log10(r.norm.hi) : 0.0;
  const double threshold_digits = -std::log10(threshold.hi);
  r.maybe_chance = r.chance_digits >= threshold_digits - kChanceMargin;
}

// x scaled exactly by 2^-e so that its largest |hi| lies in [1, 2) (e = 0 for a zero vector).
std::vector<DDReal> scaled(std::span<const DDReal> x, int& e) {
  double biggest = 0.0;
  for (const auto& v : x) biggest = std::max(biggest, std::fabs(v.hi));
  e = biggest == 0.0 ? 0 : std::ilogb(biggest);
  std::vector<DDReal> xs(x.begin(), x.end());
  if (e != 0)
    for (auto& v : xs) v = DDReal(std::ldexp(v.hi, -e), std::ldexp(v.lo, -e));
  return xs;
}

// found or too_large by the norm, with the message.
}  // namespace

void detail::classify_relation(relation_result& r, double log10_norm_bound) {
  if (std::log10(r.norm.hi) <= log10_norm_bound) {
    r.status = relation_status::found;
    r.message = "relation found, norm " + printf_string("%.6e", r.norm.hi) + ", holding to " +
                printf_string("%.1f", r.digits) + " digits";
  } else {
    r.status = relation_status::too_large;
    r.message = "the relation detected is too large: norm " + printf_string("%.6e", r.norm.hi) +
                " is above 10^" + printf_string("%g", log10_norm_bound);
  }
}

namespace {

// The search PSLQM1 itself, for callers that ask for its progress lines
// (debug level above 0); xs is the caller's x scaled by 2^-e.
relation_result find_relation_pslqm1(const std::vector<DDReal>& xs, int e, const relation_options& opt) {
  const std::size_t n = xs.size();
  relation_result r;
  r.working_digits = kWorkingDigits;
  std::vector<DDReal> rel(n);
  int ifound = 0;
  pslq::Exit outcome = pslq::Exit::precision_exhausted;
  try {
    const stop_guard guard;
    PSLQM1(opt.debug, static_cast<int>(n), opt.log10_norm_bound, opt.threshold, xs.data(), ifound, rel.data(),
           outcome);
  } catch (const stop_error& stop) {
    r.status = relation_status::search_failed;
    r.message = std::string("the search stopped: ") + stop.what();
    return r;
  }

  switch (outcome) {
    case pslq::Exit::accepted:
    case pslq::Exit::too_large:
      break;
    case pslq::Exit::precision_exhausted:
      r.status = relation_status::precision_exhausted;
      r.message = "no relation found: precision exhausted before any entry of y reached the threshold";
      return r;
    case pslq::Exit::iteration_limit:
      r.status = relation_status::iteration_limit;
      r.message = "no relation found: iteration limit exceeded";
      return r;
    case pslq::Exit::norm_bound_limit:
      r.status = relation_status::norm_bound;
      r.message = "no relation found: every relation has a norm above 10^" + printf_string("%g", opt.log10_norm_bound);
      return r;
  }
  for (const auto& a : rel) {
    if (!finite(a)) {
      r.status = relation_status::search_failed;
      r.message = "the search broke down: its relation has non-finite entries";
      return r;
    }
  }
  r.relation = std::move(rel);
  judge(xs, e, opt.threshold, r);
  detail::classify_relation(r, opt.log10_norm_bound);
  return r;
}

// The base-10^9 digits of m * 2^53 + q, least significant first.
std::string unsigned_text(std::uint64_t m, std::uint64_t q) {
  std::vector<std::uint64_t> limbs;
  constexpr std::uint64_t kBase = 1000000000;
  for (std::uint64_t v = m; v != 0; v /= kBase) limbs.push_back(v % kBase);
  auto mul = [&](std::uint64_t f) {  // f <= 2^26, so limb * f + carry < 2^63
    std::uint64_t carry = 0;
    for (auto& l : limbs) {
      const std::uint64_t t = l * f + carry;
      l = t % kBase;
      carry = t / kBase;
    }
    for (; carry != 0; carry /= kBase) limbs.push_back(carry % kBase);
  };
  mul(std::uint64_t{1} << 26);
  mul(std::uint64_t{1} << 26);
  mul(2);
  std::uint64_t carry = q;
  for (std::size_t k = 0; carry != 0; ++k) {
    if (k == limbs.size()) limbs.push_back(0);
    const std::uint64_t t = limbs[k] + carry;
    limbs[k] = t % kBase;
    carry = t / kBase;
  }
  if (limbs.empty()) return "0";
  std::string s = std::to_string(limbs.back());
  for (std::size_t k = limbs.size() - 1; k-- > 0;) {
    const std::string part = std::to_string(limbs[k]);
    s += std::string(9 - part.size(), '0') + part;
  }
  return s;
}

}  // namespace

const char* relation_status_text(relation_status s) noexcept {
  switch (s) {
    case relation_status::found: return "relation found";
    case relation_status::too_large: return "relation too large";
    case relation_status::iteration_limit: return "iteration limit";
    case relation_status::norm_bound: return "norm bound limit";
    case relation_status::precision_exhausted: return "precision exhausted";
    case relation_status::search_failed: return "search failed";
    case relation_status::bad_input: return "bad input";
  }
  return "unknown";
}

DDReal default_relation_threshold() {
  DDReal eps;
  DDNPWR(DDReal(10.0), -29, eps);
  return eps;
}

std::string integer_text(const DDReal& a) {
  constexpr double k53 = 9007199254740992.0;  // 2^53
  if (!finite(a) || std::fabs(a.hi) >= 0x1p105 || std::floor(a.hi) != a.hi || std::floor(a.lo) != a.lo)
    return printf_string("%.17e", a.hi);
  // Each word w = p * 2^53 + r with p = floor(w / 2^53) and 0 <= r < 2^53;
  // every step is exact (a power-of-two division, and a difference that is
  // a representable integer).
  std::int64_t p = 0, r = 0;
  for (const double w : {a.hi, a.lo}) {
    const double pw = std::floor(w / k53);
    p += static_cast<std::int64_t>(pw);
    r += static_cast<std::int64_t>(w - pw * k53);
  }
  p += r >> 53;  // r >= 0: carry into p so that 0 <= r < 2^53
  r &= (std::int64_t{1} << 53) - 1;
  if (p >= 0) return unsigned_text(static_cast<std::uint64_t>(p), static_cast<std::uint64_t>(r));
  // value = -(|p| * 2^53 - r) = -((|p| - 1) * 2^53 + (2^53 - r)).
  const std::uint64_t mp = static_cast<std::uint64_t>(-p);
  std::string s(1, '-');
  s.append(r == 0 ? unsigned_text(mp, 0)
                  : unsigned_text(mp - 1, (std::uint64_t{1} << 53) - static_cast<std::uint64_t>(r)));
  return s;
}

relation_result find_relation(std::span<const DDReal> x, const relation_options& opt) {
  const std::size_t n = x.size();
  if (n < 2) return refuse("need at least two numbers, got " + std::to_string(n));
  if (n > static_cast<std::size_t>(kMaxRelationSize))
    return refuse("at most " + std::to_string(kMaxRelationSize) + " numbers can be searched, got " +
                  std::to_string(n));
  if (!finite(opt.threshold) || !(opt.threshold.hi > 0.0) || !(opt.threshold.hi < 1.0))
    return refuse("the threshold must lie strictly between 0 and 1");
  if (opt.threshold.hi < kSmallestThreshold)
    return refuse("the threshold " + printf_string("%.3g", opt.threshold.hi) +
                  " asks for more digits than double-double numbers carry (about 32); the smallest threshold is "
                  "1e-31 (give the numbers as decimal text or MPFR values to work at more digits)");
  if (!(opt.log10_norm_bound > 0.0) || !(opt.log10_norm_bound <= kMaxLog10NormBound))
    return refuse("the norm bound must lie between 10^0 and 10^31 (log10 in (0, 31])");

  bool any_nonzero = false;
  for (std::size_t i = 0; i < n; ++i) {
    if (!finite(x[i])) return refuse("number " + std::to_string(i + 1) + " is not finite");
    if (x[i].hi != 0.0) any_nonzero = true;
  }
  if (!any_nonzero) return refuse("all the numbers are zero, so every integer vector is a relation");

  // Exact scaling by 2^-e, largest |x(i)| into [1, 2).
  int e = 0;
  const std::vector<DDReal> xs = scaled(x, e);

  relation_result r;
  r.working_digits = kWorkingDigits;
  for (std::size_t i = 0; i < n; ++i) {
    if (xs[i].hi != 0.0) continue;
    // A zero number is a relation by itself.
    r.status = relation_status::found;
    r.relation.assign(n, DDReal(0.0));
    r.relation[i] = DDReal(1.0);
    judge(xs, e, opt.threshold, r);
    r.message = "number " + std::to_string(i + 1) + " is zero, so it is a relation by itself";
    return r;
  }
  if (opt.debug > 0) return find_relation_pslqm1(xs, e, opt);

  // Numbers below 2^-450 of the largest cannot take part in a relation of
  // norm up to 10^31 that holds to 10^-31: their terms stay below 2^-346 of
  // the largest.  The search runs on the others, with coefficient 0 for them.
  std::vector<std::size_t> kept;
  for (std::size_t i = 0; i < n; ++i)
    if (std::ilogb(xs[i].hi) >= kNegligibleExponent) kept.push_back(i);
  if (kept.size() < 2) {
    r.status = relation_status::norm_bound;
    r.message = "no relation found: the numbers other than the largest lie below 2^-450 of it, too small to "
                "enter a relation of norm up to 10^" + printf_string("%g", opt.log10_norm_bound);
    return r;
  }
  std::vector<DDReal> xk;
  for (const std::size_t i : kept) xk.push_back(xs[i]);

  detail::ml::SearchLimits lim;
  lim.log2_eps = std::log2(opt.threshold.hi);
  lim.log10_norm_bound = opt.log10_norm_bound;
  lim.max_iterations = kMaxIterations;
  lim.log2_chance_norm = (-std::log10(opt.threshold.hi) - kChanceMargin) / static_cast<double>(xk.size()) * std::log2(10.0);
  // The lattice that ends a search without a sure relation weighs the
  // residuals by about 1000 / threshold: the threshold says how far the
  // numbers are trusted, and a true relation's last coordinate is then about
  // its norm or less.  2^104 at most, the integers of the last coordinate
  // stay below 2^104 (y0 below 1).
  lim.log2_weight = std::min(104, static_cast<int>(-std::log2(opt.threshold.hi)) + 10);
  detail::ml::DDField field;
  detail::ml::Binary64Inner inner;
  const auto out = detail::ml::run_search(field, static_cast<int>(xk.size()), xk.data(), lim, inner);
  r.iterations = out.iterations;
  if (detail::ml::unfound(r, out.end, out.why, opt.log10_norm_bound)) return r;
  r.relation.assign(n, DDReal(0.0));
  for (std::size_t k = 0; k < kept.size(); ++k) r.relation[kept[k]] = detail::ml::I128Big::to_dd(out.relation[k]);
  judge(xs, e, opt.threshold, r);
  detail::classify_relation(r, opt.log10_norm_bound);
  return r;
}

void detail::normalise_polynomial(relation_result& r) {
  std::vector<DDReal>& c = r.relation;
  std::vector<std::string>& t = r.coefficients;
  const bool text = t.size() == c.size();
  std::size_t j = 0;
  while (j + 1 < c.size() && c[j].hi == 0.0) ++j;
  c.erase(c.begin(), c.begin() + static_cast<std::ptrdiff_t>(j));
  if (text) t.erase(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(j));
  while (c.size() > 1 && c.back().hi == 0.0) {
    c.pop_back();
    if (text) t.pop_back();
  }
  if (c.back().hi < 0.0) {
    for (auto& a : c) DDNEG(a, a);
    if (text)
      for (auto& a : t) a = a.front() == '-' ? a.substr(1) : (a == "0" ? a : "-" + a);
  }
}

relation_result find_minimal_polynomial(const DDReal& x, int degree, const relation_options& opt) {
  if (degree < 1 || degree >= kMaxRelationSize)
    return refuse("the degree must lie between 1 and " + std::to_string(kMaxRelationSize - 1));
  if (!finite(x)) return refuse("the number is not finite");
  relation_result r;
  if (x.hi == 0.0) {
    r.status = relation_status::found;
    r.relation = {DDReal(0.0), DDReal(1.0)};
    const DDReal powers[2] = {DDReal(1.0), x};
    judge(powers, 0, opt.threshold, r);
    r.message = "the number is zero";
    return r;
  }
  std::vector<DDReal> v(static_cast<std::size_t>(degree) + 1);
  v[0] = DDReal(1.0);
  for (int k = 0; k < degree; ++k) {
    DDMUL(x, v[k], v[k + 1]);
    if (!finite(v[k + 1]))
      return refuse("x^" + std::to_string(k + 1) + " overflows: the number is too large for degree " +
                    std::to_string(degree));
  }
  r = detail::minimal_polynomial_search(degree, -std::log10(opt.threshold.hi), [&](int d) {
    return find_relation(std::span<const DDReal>(v.data(), static_cast<std::size_t>(d) + 1), opt);
  });
  if (r.status != relation_status::found && r.status != relation_status::too_large) return r;
  int e = 0;
  const std::vector<DDReal> vs = scaled(std::span<const DDReal>(v.data(), r.relation.size()), e);
  judge(vs, e, opt.threshold, r);
  return r;
}

std::string polynomial_text(std::span<const DDReal> coeffs, char var) {
  std::string s;
  for (std::size_t k = coeffs.size(); k-- > 0;) {
    const DDReal& a = coeffs[k];
    if (a.hi == 0.0) continue;
    const bool negative = a.hi < 0.0;
    DDReal m;
    DDABS(a, m);
    if (s.empty()) {
      if (negative) s += '-';
    } else {
      s += negative ? " - " : " + ";
    }
    const bool unit = m.hi == 1.0 && m.lo == 0.0;
    if (k == 0) {
      s += integer_text(m);
      continue;
    }
    if (!unit) {
      s.append(integer_text(m));
      s += '*';
    }
    s += var;
    if (k > 1) {
      s += '^';
      s.append(std::to_string(k));
    }
  }
  return s.empty() ? std::string("0") : s;
}

}  // namespace dd
