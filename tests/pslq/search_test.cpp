// The relation search: starting state, bit-exact agreement of itermp with a
// plain transcription of its steps, outcomes and what each debug level prints,
// and the refusal of inputs the search cannot take.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "ddbatch/target.hpp"
#include "ddtyped/real.hpp"
#include "pslq/pslq.hpp"
#include "pslq/pslq_impl.hpp"
#include "support/mpfr_ref.hpp"
#include "support/stop_capture.hpp"

namespace {

using dd::DDReal;

// x(i) = alpha^(i-1), alpha = 3^(1/3) - 2^(1/3), formed as the test program forms it.
std::vector<DDReal> test_vector() {
  const DDReal alpha = dd::nroot(dd::to_ddreal(3.0), 3) - dd::nroot(dd::to_ddreal(2.0), 3);
  std::vector<DDReal> x(10);
  x[0] = dd::to_ddreal(1.0);
  for (int i = 1; i < 10; ++i) x[i] = alpha * x[i - 1];
  return x;
}

DDReal ten_to(int k) { return dd::pow(dd::to_ddreal(10.0), k); }

std::vector<std::string> lines_of(const std::string& s) {
  std::vector<std::string> v;
  for (std::size_t p = 0, q; (q = s.find('\n', p)) != std::string::npos; p = q + 1) v.push_back(s.substr(p, q - p));
  return v;
}

struct SearchRun {
  int ifound = -1;
  std::vector<DDReal> rel;
  std::vector<std::string> lines;
};

SearchRun run_pslqm1(int idebug, const std::vector<DDReal>& x, double rb = 20.0, DDReal eps = ten_to(-29)) {
  SearchRun r;
  r.rel.assign(x.size(), DDReal(-7.0));
  testing::internal::CaptureStdout();
  dd::PSLQM1(idebug, static_cast<int>(x.size()), rb, eps, x.data(), r.ifound, r.rel.data());
  r.lines = lines_of(testing::internal::GetCapturedStdout());
  return r;
}

// ---------------------------------------------------------------------------
// Starting state.

struct State {
  int n;
  std::vector<DDReal> b, h, ysave, y;
  explicit State(int n_) : n(n_), b(n_ * n_), h(n_ * n_), ysave(n_ * dd::pslq::kNsave), y(n_) {}
  DDReal& B(int i, int j) { return b[(i - 1) + (j - 1) * n]; }
  DDReal& H(int i, int j) { return h[(i - 1) + (j - 1) * n]; }
  DDReal& S(int i, int j) { return ysave[(i - 1) + (j - 1) * n]; }
};

State start(const std::vector<DDReal>& x) {
  State s(static_cast<int>(x.size()));
  dd::initmp(0, s.n, dd::pslq::kNsave, s.b.data(), s.h.data(), s.ysave.data(), x.data(), s.y.data());
  return s;
}

TEST(initmp, columns_of_h_orthonormal_and_orthogonal_to_y) {
  const std::vector<DDReal> x = test_vector();
  State s = start(x);
  const int n = s.n;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) {
      EXPECT_EQ(s.B(i, j).hi, i == j ? 1.0 : 0.0);
      EXPECT_EQ(s.B(i, j).lo, 0.0);
    }
  for (int j = 1; j <= n - 1; ++j) {
    DDReal yh = dd::to_ddreal(0.0);
    for (int i = 1; i <= n; ++i) yh = yh + s.y[i - 1] * s.H(i, j);
    EXPECT_LT(std::fabs(yh.hi), 1e-31) << "column " << j;
    for (int k = 1; k <= n - 1; ++k) {
      DDReal hh = dd::to_ddreal(0.0);
      for (int i = 1; i <= n; ++i) hh = hh + s.H(i, j) * s.H(i, k);
      EXPECT_LT(std::fabs((hh - (j == k ? 1.0 : 0.0)).hi), 4e-31) << j << ", " << k;  // 1.4e-31 at most
    }
    for (int i = 1; i < j; ++i) EXPECT_EQ(s.H(i, j).hi, 0.0);
  }
  for (const DDReal& v : s.ysave) EXPECT_EQ(v.hi, 0.0);

  // y = x / |x| against a 256-bit reference.
  dd::test::Mp norm, t, q;
  for (const DDReal& v : x) {
    dd::test::Mp xv(v);
    mpfr_fma(norm, xv, xv, norm, MPFR_RNDN);
  }
  mpfr_sqrt(norm, norm, MPFR_RNDN);
  for (int i = 0; i < n; ++i) {
    t.set(x[i]);
    mpfr_div(q, t, norm, MPFR_RNDN);
    EXPECT_LT(dd::test::rel_error(s.y[i], q), 1e-30) << i;
  }
}

// ---------------------------------------------------------------------------
// itermp against a plain transcription of its steps: every product, sum and
// comparison in the written order, no work skipped.  The two must agree bit
// for bit in y, b, h, ysave, dupflag and istatus after every iteration.

// The reduction of h with multipliers tmat (n x n), and y <- (I+T)^T y.
void reference_reduce(State& s, std::vector<DDReal>& tm) {
  const int n = s.n;
  auto T = [&](int i, int j) -> DDReal& { return tm[(i - 1) + (j - 1) * n]; };
  for (int d = 1; d <= n - 1; ++d)
    for (int r = d + 1; r <= n; ++r) {
      const int j = r - d;
      for (int m = j + 1; m <= r - 1; ++m) s.H(r, j) = s.H(r, j) - T(r, m) * s.H(m, j);
      if (std::fabs(s.H(j, j).hi) > 0.0) {
        T(r, j) = dd::nearest_integer(s.H(r, j) / s.H(j, j));
        s.H(r, j) = s.H(r, j) - T(r, j) * s.H(j, j);
      } else {
        T(r, j) = dd::to_ddreal(0.0);
      }
    }
  for (int j = 1; j <= n - 1; ++j)
    for (int m = j + 1; m <= n; ++m) s.y[j - 1] = s.y[j - 1] + T(m, j) * s.y[m - 1];
}

void reference_itermp(int iter, const DDReal& eps, State& s, int& dupflag, int& istatus) {
  using dd::abs;
  const int n = s.n;
  const int nsave = dd::pslq::kNsave;
  istatus = 0;
  const DDReal eps16 = eps * 16.0;
  const DDReal gamma = dd::sqrt(dd::to_ddreal(4.0) / dd::to_ddreal(3.0));
  std::vector<DDReal> qkey(n);
  std::vector<int> iperm(n), iused(n + 2, 0), ipair;
  for (int i = 1; i <= n - 1; ++i) qkey[i - 1] = dd::pow(gamma, i) * abs(s.H(i, i));
  dd::sortidx(n - 1, qkey.data(), iperm.data());
  int npairs;
  if (dupflag != 0) {
    dupflag = 0;
    npairs = 1;
  } else {
    npairs = static_cast<int>(std::lround(n * 0.4));
  }
  for (int p = n - 1; p >= 1 && static_cast<int>(ipair.size()) < npairs; --p) {
    const int i = iperm[p - 1];
    if (iused[i] == 0 && iused[i + 1] == 0) {
      iused[i] = iused[i + 1] = 1;
      ipair.push_back(i);
    }
  }
  for (int i : ipair) {
    std::swap(s.y[i - 1], s.y[i]);
    for (int l = 1; l <= n; ++l) std::swap(s.B(i, l), s.B(i + 1, l));
    for (int l = 1; l <= n - 1; ++l) std::swap(s.H(i, l), s.H(i + 1, l));
  }
  for (int i : ipair) {
    if (i >= n - 1) continue;
    DDReal t1 = s.H(i, i), t2 = s.H(i, i + 1);
    const DDReal t3 = dd::sqrt(dd::pow(t1, 2) + dd::pow(t2, 2));
    if (t3.hi == 0.0) continue;
    t1 = t1 / t3;
    t2 = t2 / t3;
    for (int l = i; l <= n; ++l) {
      const DDReal t4 = s.H(l, i), t5 = s.H(l, i + 1);
      s.H(l, i) = t1 * t4 + t2 * t5;
      s.H(l, i + 1) = -(t2 * t4) + t1 * t5;
    }
  }
  bool rank_lost = false;
  for (int j = 1; j <= n - 1; ++j) rank_lost = rank_lost || !(std::fabs(s.H(j, j).hi) > 0.0);
  std::vector<DDReal> tm(n * n, DDReal(0.0));
  auto T = [&](int i, int j) -> DDReal& { return tm[(i - 1) + (j - 1) * n]; };
  reference_reduce(s, tm);
  DDReal ymin = abs(s.y[n - 1]);
  int jmin = n;
  for (int j = 1; j <= n - 1; ++j) {
    if (abs(s.y[j - 1]) < ymin) {
      ymin = abs(s.y[j - 1]);
      jmin = j;
    }
  }
  for (int l = 1; l <= n; ++l)
    for (int j = 1; j <= n - 1; ++j)
      for (int m = j + 1; m <= n; ++m) s.B(j, l) = s.B(j, l) + T(m, j) * s.B(m, l);
  DDReal bmax = dd::to_ddreal(0.0);
  for (int l = 1; l <= n; ++l) bmax = dd::max(bmax, abs(s.B(jmin, l)));
  if (ymin <= bmax * eps16) istatus = ymin <= bmax * eps ? 1 : 2;
  if (rank_lost && istatus == 0) istatus = 2;
  for (int j = 1; j <= nsave; ++j) {
    DDReal t = dd::to_ddreal(0.0);
    for (int i = 1; i <= n; ++i) t = dd::max(t, abs(s.y[i - 1] - s.S(i, j)));
    if (t <= bmax * eps16) {
      dupflag = 1;
      break;
    }
  }
  for (int i = 1; i <= n; ++i) s.S(i, iter % nsave + 1) = s.y[i - 1];
}

bool same_bits(const std::vector<DDReal>& a, const std::vector<DDReal>& b, std::size_t count) {
  return std::memcmp(a.data(), b.data(), count * sizeof(DDReal)) == 0;
}

// Runs both from the same state for up to max_iter iterations; returns the
// number of iterations and counts the duplicates seen.
int compare_from(const State& s0, const DDReal& eps, int max_iter, int& duplicates) {
  State fast = s0;
  State ref = s0;
  const int n = fast.n;
  int dup_fast = 0, dup_ref = 0, st_fast = 0, st_ref = 0;
  for (int iter = 1; iter <= max_iter; ++iter) {
    dd::itermp(0, iter, n, dd::pslq::kNsave, eps, fast.b.data(), fast.h.data(), fast.ysave.data(), fast.y.data(),
               dup_fast, st_fast);
    reference_itermp(iter, eps, ref, dup_ref, st_ref);
    duplicates += dup_ref;
    const std::size_t nh = static_cast<std::size_t>(n) * (n - 1);
    if (!(same_bits(fast.y, ref.y, n) && same_bits(fast.b, ref.b, n * n) && same_bits(fast.h, ref.h, nh) &&
          same_bits(fast.ysave, ref.ysave, fast.ysave.size()) && dup_fast == dup_ref && st_fast == st_ref)) {
      ADD_FAILURE() << "state differs after iteration " << iter << " (n = " << n << ")";
      return iter;
    }
    if (st_ref != 0) return iter;
  }
  return max_iter;
}

int compare_with_reference(const std::vector<DDReal>& x, const DDReal& eps, int max_iter, int& duplicates) {
  return compare_from(start(x), eps, max_iter, duplicates);
}

TEST(itermp, agrees_bit_for_bit_with_the_plain_sequence) {
  int duplicates = 0;
  EXPECT_EQ(compare_with_reference(test_vector(), ten_to(-29), 200, duplicates), 57);

  std::mt19937_64 rng(2024);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  // One draw per statement, so that every compiler draws the same numbers.
  auto random_dd = [&] {
    const double lo = u(rng) * 1e-17;
    return DDReal(u(rng)) + DDReal(lo);
  };
  int total = 0;
  for (int n = 2; n <= 16; ++n) {
    // Powers of an algebraic number of degree 6 (a relation when n > 6) ...
    const DDReal r3 = dd::nroot(dd::to_ddreal(5.0 + (rng() % 5)), 3);
    const DDReal a = dd::nroot(dd::to_ddreal(2.0 + (rng() % 7)), 2) + r3;
    std::vector<DDReal> x(n);
    x[0] = dd::to_ddreal(1.0);
    for (int i = 1; i < n; ++i) x[i] = a * x[i - 1];
    total += compare_with_reference(x, ten_to(-29), 300, duplicates);
    // ... random numbers (no small relation: the search runs out of precision) ...
    for (auto& v : x) v = random_dd();
    total += compare_with_reference(x, ten_to(-29), 300, duplicates);
    // ... and small integers with repeats, zeros and signs.
    for (auto& v : x) v = DDReal(static_cast<double>(static_cast<int>(rng() % 9) - 4));
    x[n - 1] = DDReal(3.0);
    total += compare_with_reference(x, ten_to(-29), 300, duplicates);
  }
  EXPECT_GT(total, 1000);     // 1622 iterations compared
  EXPECT_GE(duplicates, 1);   // the single-pair step after a duplicate y is among them
}

TEST(itermp, agrees_bit_for_bit_from_states_off_the_usual_path) {
  // b with fractional entries, low words of -0 and large values, h with
  // negative zeros, none of which a search produces: every zero multiplier
  // must then be applied or skipped exactly as the plain sequence does.
  std::mt19937_64 rng(77);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  int duplicates = 0;
  int total = 0;
  for (int trial = 0; trial < 40; ++trial) {
    const int n = 3 + trial % 8;
    State s(n);
    for (int i = 1; i <= n; ++i) {
      const DDReal head(u(rng));
      s.y[i - 1] = head + DDReal(u(rng) * 1e-17);
      for (int j = 1; j <= n; ++j) {
        const int kind = static_cast<int>(rng() % 6);
        const double v = std::round(u(rng) * 4.0);
        const double w = kind == 1 ? u(rng) : 0.0;
        const double w_lo = kind == 1 ? u(rng) * 1e-17 : 0.0;
        s.B(i, j) = kind == 0   ? DDReal(v, -0.0)
                    : kind == 1 ? DDReal(w, w_lo)
                    : kind == 2 ? DDReal(0x1p60 * v, 1.0)
                                : DDReal(v);
      }
      for (int j = 1; j <= std::min(i, n - 1); ++j)
        if (rng() % 4 == 0) {
          s.H(i, j) = DDReal(-0.0, -0.0);
        } else {
          const DDReal head(u(rng));
          s.H(i, j) = head + DDReal(u(rng) * 1e-17);
        }
    }
    for (int j = 1; j <= n - 1; ++j) s.H(j, j) = DDReal(0.5 + 0.5 * std::fabs(u(rng)));
    total += compare_from(s, ten_to(-29), 25, duplicates);
  }
  EXPECT_GT(total, 200);
}

TEST(itermp, lane_multipliers_near_half_integers_and_2_to_the_39) {
  // Quotients h(j+1, j) / h(j, j) at relative distances 2^-36 .. 2^-55 from a
  // half-integer, small and near 2^39: where the lanes round x.hi / h(j, j)
  // without dividing and where they must leave it to the division.
  const dd::batch::detail::PslqReduce reduce = dd::batch::detail::active_table().pslq_reduce;
  if (reduce == nullptr) GTEST_SKIP() << "no SIMD lanes on this CPU";
  const int n = 5;
  std::vector<double> lanes(dd::detail::itermp_lane_words(n));
  std::vector<int> nonzero(n);
  for (const double base : {0.5, 1.5, 6.5, 0x1p38 + 0.5, 0x1p39 - 0.5, 0x1p39 + 0.5})
    for (int e = 36; e <= 55; ++e) {
      State s(n);
      for (int j = 1; j <= n - 1; ++j) {
        const double hjj = 0.75 + j / 64.0;
        s.H(j, j) = DDReal(hjj);
        s.H(j + 1, j) = DDReal((base + (j % 2 ? 1 : -j) * std::ldexp(base, -e)) * hjj);
      }
      for (int i = 1; i <= n; ++i) s.y[i - 1] = DDReal(1.0 / i);
      State ref = s;
      std::vector<DDReal> t_lanes(n * n, DDReal(0.0)), t_ref = t_lanes;
      reduce(s.h.data(), t_lanes.data(), s.y.data(), n, lanes.data(), nonzero.data());
      reference_reduce(ref, t_ref);
      EXPECT_TRUE(same_bits(s.h, ref.h, s.h.size()) && same_bits(t_lanes, t_ref, t_ref.size()) &&
                  same_bits(s.y, ref.y, n))
          << "base " << base << ", distance 2^-" << e;
    }
}

TEST(itermp, zero_diagonal_ends_the_search_as_precision_exhausted) {
  // h has lost rank (h(2,2) = 0) while no entry of y is small: no division by zero, status 2.
  State s(3);
  for (int i = 1; i <= 3; ++i) {
    s.B(i, i) = DDReal(1.0);
    s.y[i - 1] = DDReal(0.5773502691896258);
  }
  s.H(1, 1) = DDReal(1.0);
  s.H(3, 2) = DDReal(1.0);
  int dup = 0, st = 0;
  testing::internal::CaptureStdout();
  dd::itermp(1, 5, 3, dd::pslq::kNsave, ten_to(-29), s.b.data(), s.h.data(), s.ysave.data(), s.y.data(), dup, st);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Iteration      5   itermp: Precision exhausted.\n");
  EXPECT_EQ(st, 2);
  for (const DDReal& v : s.h) EXPECT_FALSE(std::isnan(v.hi));
  for (const DDReal& v : s.y) EXPECT_FALSE(std::isnan(v.hi));
}

TEST(itermp, zero_multiplier_shortcuts_match_the_kernels) {
  // reduction_multiplier(a, b) is nearest_integer(a / b) bit for bit, and a
  // zero term that zero_term_keeps accepts leaves x unchanged.
  std::mt19937_64 rng(99);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const double scales[] = {1.0, 0.5, 0.25, 0.499999999999, 0.5000000001, 1e-20, 1e20, 3.0};
  for (int k = 0; k < 200000; ++k) {
    const double bm = u(rng);
    const DDReal b0(bm * std::ldexp(1.0, static_cast<int>(rng() % 200) - 100));
    const DDReal b = b0 * (1.0 + 1e-17 * u(rng));
    const double sc0 = scales[rng() % 8];
    const double sc = sc0 * (1.0 + 1e-15 * u(rng));
    const DDReal a0 = b * DDReal(sc * u(rng));
    const DDReal a = a0 + DDReal(b.hi * 1e-17 * u(rng));
    const DDReal got = dd::detail::reduction_multiplier(a, b);
    const DDReal want = dd::nearest_integer(a / b);
    ASSERT_EQ(std::memcmp(&got, &want, sizeof(DDReal)), 0) << a.hi << " " << a.lo << " / " << b.hi << " " << b.lo;

    const DDReal x = a;
    const DDReal v = b;
    if (dd::detail::zero_term_keeps(x, v)) {
      for (const DDReal zero : {DDReal(0.0, 0.0), DDReal(-0.0, 0.0), DDReal(0.0, -0.0), DDReal(-0.0, -0.0)}) {
        const DDReal s1 = x + zero * v;
        const DDReal s2 = x - zero * v;
        ASSERT_EQ(std::memcmp(&s1, &x, sizeof(DDReal)), 0);
        ASSERT_EQ(std::memcmp(&s2, &x, sizeof(DDReal)), 0);
      }
    }
  }
  // Short integer terms x + t v formed directly agree with the operators.
  std::uniform_int_distribution<int> small(-(1 << 25), 1 << 25);
  for (int k = 0; k < 200000; ++k) {
    const int pick = static_cast<int>(rng() % 4);
    const DDReal x(static_cast<double>(pick == 0 ? 0 : small(rng)), 0.0);
    const DDReal t(static_cast<double>(small(rng) | 1), 0.0);
    const DDReal v(static_cast<double>(pick == 1 ? 0 : pick == 2 ? small(rng) % 8 : small(rng)), 0.0);
    ASSERT_TRUE(dd::detail::short_integer_entry(x) && dd::detail::short_integer_entry(v));
    const DDReal want = x + t * v;
    const DDReal got = dd::detail::short_integer_update(x, t, v);
    ASSERT_EQ(std::memcmp(&got, &want, sizeof(DDReal)), 0) << x.hi << " + " << t.hi << " * " << v.hi;
  }
  EXPECT_FALSE(dd::detail::short_integer_entry(DDReal(0.5)));
  EXPECT_FALSE(dd::detail::short_integer_entry(DDReal(0x1p26)));
  EXPECT_FALSE(dd::detail::short_integer_entry(DDReal(3.0, -0.0)));
  EXPECT_FALSE(dd::detail::short_integer_entry(DDReal(-0.0)));

  // Negative zeros in x are not absorbed: those updates are carried out.
  EXPECT_FALSE(dd::detail::absorbs_zero(DDReal(1.0, -0.0)));
  EXPECT_FALSE(dd::detail::absorbs_zero(DDReal(-0.0, 0.0)));
  EXPECT_TRUE(dd::detail::absorbs_zero(DDReal(0.0, 0.0)));
  EXPECT_FALSE(dd::detail::gives_zero_product(DDReal(2e300, 0.0)));
}

// ---------------------------------------------------------------------------
// PSLQM1: outcomes and printed lines.

TEST(pslqm1, test_vector_at_each_debug_level) {
  const std::vector<DDReal> x = test_vector();
  const double want[] = {-1, 0, 0, 165, 0, 0, -3, 0, 0, 1};

  const SearchRun quiet = run_pslqm1(0, x);
  EXPECT_EQ(quiet.ifound, 1);
  EXPECT_TRUE(quiet.lines.empty());
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(quiet.rel[i].hi, want[i]);
    EXPECT_EQ(quiet.rel[i].lo, 0.0);
  }

  const SearchRun one = run_pslqm1(1, x);
  EXPECT_EQ(one.ifound, 1);
  ASSERT_EQ(one.lines.size(), 4u);
  EXPECT_EQ(one.lines[0], "Iteration     57   Relation detected");
  EXPECT_EQ(one.lines[1], "Min, max of y =   3.379064e  -32   1.100961e  -22");
  EXPECT_EQ(one.lines[2].substr(0, 12), "Max. bound =");
  EXPECT_EQ(one.lines[3].substr(0, 43), "Index of relation =   4   Norm =   1.650333");

  const SearchRun two = run_pslqm1(2, x);
  ASSERT_EQ(two.lines.size(), 12u);
  EXPECT_EQ(two.lines[0], "PSLQM1 integer relation detection: n =   10");
  EXPECT_EQ(two.lines[1], "Iteration      0   Initialization");
  EXPECT_EQ(two.lines[2], "Iteration      0   Start iterations");
  EXPECT_EQ(two.lines[3], "Iteration     25");
  EXPECT_EQ(two.lines[4], "Iteration     50");
  EXPECT_EQ(two.lines[5], "Iteration     57   itermp: Small value in y =   3.379064e  -32");
  EXPECT_EQ(two.lines[10], "CPU times:");
  EXPECT_EQ(two.lines[11].size(), 24u);

  // 3: a progress line before every iteration, and the dumps of initmp and itermp.
  const SearchRun three = run_pslqm1(3, x);
  EXPECT_EQ(three.ifound, 1);
  int progress = 0, dumps_y = 0;
  for (const auto& l : three.lines) {
    if (l.size() == 16 && l.rfind("Iteration", 0) == 0) ++progress;
    if (l == "itermp: Updated y:") ++dumps_y;
  }
  EXPECT_EQ(progress, 57);
  EXPECT_EQ(dumps_y, 57);
  EXPECT_EQ(three.lines[1], "Iteration      0   Initialization");
  EXPECT_EQ(three.lines[2], "initmp: Input x vector:");
  EXPECT_EQ(three.lines[3], "Row  1");
  EXPECT_EQ(three.lines[4], "   1.00000000e    0   1.82328520e   -1   3.32436894e   -2   6.06127269e   -3");

  // 4: progress every 25 iterations, as at 2, with the dumps of 3.
  const SearchRun four = run_pslqm1(4, x);
  progress = 0;
  for (const auto& l : four.lines)
    if (l.size() == 16 && l.rfind("Iteration", 0) == 0) ++progress;
  EXPECT_EQ(progress, 2);
}

TEST(pslqm1, relation_norm_against_rb) {
  const std::vector<DDReal> x = test_vector();
  // log10 of the norm is 2.2176: refused under rb = 2, accepted under 2.3.
  const SearchRun small = run_pslqm1(2, x, 2.0);
  EXPECT_EQ(small.ifound, 0);
  EXPECT_EQ(small.lines[small.lines.size() - 3], "Relation is too large.");
  EXPECT_EQ(small.rel[3].hi, 165.0);  // the detected row is still handed back
  EXPECT_EQ(run_pslqm1(1, x, 2.0).lines.size(), 4u);  // the refusal is printed only above 1
  EXPECT_EQ(run_pslqm1(0, x, 2.3).ifound, 1);
}

TEST(pslqm1, precision_exhausted_between_eps_and_16_eps) {
  // At iteration 57 the smallest |y| is 3.38e-32 and max |b| of its row is 165:
  // with eps = 1e-34 it lies between 165 eps and 165 * 16 eps.
  const std::vector<DDReal> x = test_vector();
  const SearchRun two = run_pslqm1(2, x, 20.0, ten_to(-34));
  EXPECT_EQ(two.ifound, 0);
  ASSERT_GE(two.lines.size(), 4u);
  EXPECT_EQ(two.lines[5], "Iteration     57   itermp: Small value in y =   3.379064e  -32");
  EXPECT_EQ(two.lines[6], "Iteration     57   itermp: Precision exhausted.");
  EXPECT_EQ(two.lines[7], "CPU times:");
  const SearchRun one = run_pslqm1(1, x, 20.0, ten_to(-34));
  ASSERT_EQ(one.lines.size(), 1u);
  EXPECT_EQ(one.lines[0], "Iteration     57   itermp: Precision exhausted.");
}

TEST(pslqm1, norm_bound_limit_at_the_first_sample) {
  // Twenty random numbers keep the search going past iteration 100, and the
  // norm bound, 1 / max |h(i,i)|, is never below 1, so rb = -1 ends it there.
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> u(0.1, 1.0);
  std::vector<DDReal> x(20);
  for (auto& v : x) {
    const DDReal f(u(rng));
    v = f * DDReal(u(rng));
  }
  const SearchRun r = run_pslqm1(2, x, -1.0);
  EXPECT_EQ(r.ifound, 0);
  ASSERT_GE(r.lines.size(), 5u);
  const auto n = r.lines.size();
  EXPECT_EQ(r.lines[n - 5].substr(0, 35), "Iteration    100   Min, max of y = ");
  EXPECT_EQ(r.lines[n - 4].substr(0, 32), "Iteration    100   Norm bound = ");
  EXPECT_EQ(r.lines[n - 3], "Norm bound limit exceeded.  -1.000000D+00");
  EXPECT_EQ(run_pslqm1(0, x, -1.0).lines.size(), 0u);
}

TEST(pslqm1, exact_zero_entries) {
  // A zero entry is itself a relation; the rank of h is lost at once and no division by zero follows.
  const SearchRun r = run_pslqm1(0, {DDReal(0.0), DDReal(1.0)});
  EXPECT_EQ(r.ifound, 1);
  EXPECT_EQ(std::fabs(r.rel[0].hi), 1.0);
  EXPECT_EQ(r.rel[1].hi, 0.0);
  const SearchRun m = run_pslqm1(0, {DDReal(2.0), DDReal(0.0), DDReal(3.0)});
  EXPECT_EQ(m.ifound, 1);
  EXPECT_EQ(m.rel[0].hi, 0.0);
  EXPECT_EQ(std::fabs(m.rel[1].hi), 1.0);
  EXPECT_EQ(m.rel[2].hi, 0.0);
}

TEST(pslqm1, refuses_inputs_it_cannot_normalise) {
  int ifound = 5;
  std::vector<DDReal> rel(4);
  const DDReal eps = ten_to(-29);
  auto call = [&](std::vector<DDReal> x) {
    dd::PSLQM1(0, static_cast<int>(x.size()), 20.0, eps, x.data(), ifound, rel.data());
  };
  EXPECT_DD_STOP(call({DDReal(1.0)}), "*** PSLQM1: At least two input values are needed; n =         1");
  EXPECT_DD_STOP(dd::PSLQM1(0, 0, 20.0, eps, rel.data(), ifound, rel.data()),
                 "*** PSLQM1: At least two input values are needed; n =         0");
  EXPECT_DD_STOP(call({DDReal(1.0), DDReal(NAN), DDReal(2.0)}), "*** PSLQM1: Input value     2 is not finite.");
  EXPECT_DD_STOP(call({DDReal(1.0), DDReal(2.0, INFINITY)}), "*** PSLQM1: Input value     2 is not finite.");
  EXPECT_DD_STOP(call({DDReal(0.0), DDReal(-0.0), DDReal(0.0)}), "*** PSLQM1: Input vector is zero.");
  EXPECT_DD_STOP(call({DDReal(1.0), DDReal(2.0), DDReal(0.0), DDReal(0.0)}),
                 "*** PSLQM1: Input values     3 to     4 have zero norm; drop them or reorder x.");
  EXPECT_DD_STOP(call({DDReal(1.0), DDReal(1e-170)}),  // its square underflows
                 "*** PSLQM1: Input values     2 to     2 have zero norm; drop them or reorder x.");
  EXPECT_DD_STOP(call({DDReal(1e200), DDReal(1.0)}), "*** PSLQM1: Norm of the input vector overflows.");
  EXPECT_DD_STOP(call({DDReal(1e150), DDReal(1e-150), DDReal(1e-150)}),
                 "*** PSLQM1: Input values     3 to     3 are too small beside the others to be normalized.");
  EXPECT_EQ(ifound, 5);  // nothing was written
}

TEST(pslqm1, reports_how_the_search_ended) {
  using dd::pslq::Exit;
  const auto outcome = [](const std::vector<DDReal>& x, double rb, const DDReal& eps) {
    std::vector<DDReal> rel(x.size());
    int ifound = -1;
    Exit e = Exit::accepted;
    dd::PSLQM1(0, static_cast<int>(x.size()), rb, eps, x.data(), ifound, rel.data(), e);
    EXPECT_EQ(ifound, e == Exit::accepted ? 1 : 0);
    return e;
  };
  const std::vector<DDReal> x = test_vector();
  EXPECT_EQ(outcome(x, 20.0, ten_to(-29)), Exit::accepted);
  EXPECT_EQ(outcome(x, 2.0, ten_to(-29)), Exit::too_large);
  EXPECT_EQ(outcome(x, 20.0, ten_to(-34)), Exit::precision_exhausted);
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> u(0.1, 1.0);
  std::vector<DDReal> r(20);
  for (auto& v : r) {
    const DDReal f(u(rng));
    v = f * DDReal(u(rng));
  }
  EXPECT_EQ(outcome(r, -1.0, ten_to(-29)), Exit::norm_bound_limit);
}

}  // namespace
