// The binary64 level of the multi-level PSLQ search (multilevel.hpp).
//
// Its copy of y and H is approximate: y and H are recomputed at full
// precision from the integer matrices A and G, which are exact.  So the
// binary64 arithmetic here decides only which row operations are made, never
// what they do to the full-precision state; a poor decision costs time, not
// correctness.  Exactness of A and G: every entry stays at most int_limit <=
// 2^52 in magnitude, checked before each row operation from the largest entry
// of the two rows (amax, gmax), so each product t a(i,k) and each sum lies
// below 2^53 and is exact.
#include "pslq/multilevel.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <limits>

namespace dd::detail::ml {

namespace {

// A y entry is spent once it is within this factor of its error bound.
constexpr double kSpent = 0x1p10;

// The binary64 copy of H is given up once 2^-53 max|G| max|H| reaches this
// fraction of its smallest diagonal entry.
constexpr double kNoiseMargin = 0x1p12;
constexpr double kHNoise = 0x1p-53 * kNoiseMargin;

// a(k) += t c(k), k < n; returns the largest |a(k)| afterwards.
double row_addmul(double* a, const double* c, double t, int n) {
  double m = 0.0;
  for (int k = 0; k < n; ++k) {
    a[k] += t * c[k];
    m = std::max(m, std::fabs(a[k]));
  }
  return m;
}

}  // namespace

void Binary64State::resize(int size) {
  n = size;
  const std::size_t nn = static_cast<std::size_t>(size);
  const std::size_t m = size > 1 ? nn - 1 : 1;
  y.assign(nn, 0.0);
  yerr.assign(nn, 0.0);
  h.assign(nn * m, 0.0);
  key.assign(m, 0.0);
  amax.assign(nn, 0.0);
  gmax.assign(nn, 0.0);
  order.assign(m, 0);
  pairs.assign(nn, 0);
  used.assign(nn, 0);
  gpow.assign(m, 0.0);
  const double gamma = std::sqrt(4.0 / 3.0);
  double g = 1.0;
  for (std::size_t i = 0; i < m; ++i) {
    g *= gamma;
    gpow[i] = g;
  }
}

int run_binary64(Binary64State& s, IntMatrix& A, IntMatrix& G, double int_limit, int max_iter, double base_noise,
                 RunEnd& end) {
  const int n = s.n, m = n - 1;
  A.reset(n);
  G.reset(n);
  for (int i = 0; i < n; ++i) s.amax[i] = s.gmax[i] = 1.0;
  double* const y = s.y.data();
  double* const yerr = s.yerr.data();
  double* const h = s.h.data();
  const auto H = [h, m](int i, int j) -> double& { return h[static_cast<std::size_t>(i) * m + j]; };
  const int want = std::max(1, static_cast<int>(std::lround(0.4 * n)));

  double hstart = 0.0;
  for (const double v : s.h) hstart = std::max(hstart, std::fabs(v));
  int done = 0;
  end = RunEnd::budget;
  while (done < max_iter) {
    // Keys and disjoint pairs, largest key first (lower index on ties).
    for (int i = 0; i < m; ++i) {
      s.key[i] = s.gpow[i] * std::fabs(H(i, i));
      s.order[i] = i;
    }
    std::sort(s.order.begin(), s.order.begin() + m, [&](int a, int c) {
      return s.key[a] > s.key[c] || (s.key[a] == s.key[c] && a < c);
    });
    std::fill(s.used.begin(), s.used.end(), 0);
    int np = 0;
    for (int p = 0; p < m && np < want; ++p) {
      const int i = s.order[p];
      if (s.used[i] || s.used[i + 1]) continue;
      s.used[i] = s.used[i + 1] = 1;
      s.pairs[np++] = i;
    }
    // An exchange that would bring a diagonal entry down to the noise of the
    // copy (as when a relation appears) is left to the full precision.
    double gbig = 0.0;
    for (int i = 0; i < n; ++i) gbig = std::max(gbig, s.gmax[i]);
    const double noise = gbig * hstart * (kHNoise + base_noise * kNoiseMargin);
    for (int k = 0; k < np; ++k) {
      const int i = s.pairs[k];
      double d;
      if (i + 1 < m) {
        const double nd = std::sqrt(H(i + 1, i) * H(i + 1, i) + H(i + 1, i + 1) * H(i + 1, i + 1));
        d = std::min(nd, std::fabs(H(i, i) * H(i + 1, i + 1)) / nd);
      } else {
        d = std::fabs(H(i + 1, i));
      }
      if (!(d > noise)) {
        end = RunEnd::significance;
        return done;
      }
    }
    // Exchanges.
    for (int k = 0; k < np; ++k) {
      const int i = s.pairs[k];
      std::swap(y[i], y[i + 1]);
      std::swap(yerr[i], yerr[i + 1]);
      std::swap_ranges(&H(i, 0), &H(i, 0) + m, &H(i + 1, 0));
      std::swap_ranges(A.row(i), A.row(i) + n, A.row(i + 1));
      std::swap_ranges(G.row(i), G.row(i) + n, G.row(i + 1));
      std::swap(s.amax[i], s.amax[i + 1]);
      std::swap(s.gmax[i], s.gmax[i + 1]);
    }
    // Corners: a rotation of columns i, i+1 clears h(i, i+1).
    for (int k = 0; k < np; ++k) {
      const int i = s.pairs[k];
      if (i + 1 >= m) continue;
      double t1 = H(i, i), t2 = H(i, i + 1);
      const double t3 = std::sqrt(t1 * t1 + t2 * t2);
      if (!(t3 > 0.0)) continue;
      t1 = t1 / t3;
      t2 = t2 / t3;
      for (int l = i; l < n; ++l) {
        const double t4 = H(l, i), t5 = H(l, i + 1);
        H(l, i) = t1 * t4 + t2 * t5;
        H(l, i + 1) = t1 * t5 - t2 * t4;
      }
      H(i, i + 1) = 0.0;
    }
    // Hermite reduction, row by row, each row from the diagonal outwards.
    for (int i = 1; i < n; ++i) {
      for (int j = std::min(i - 1, m - 1); j >= 0; --j) {
        const double hjj = H(j, j);
        if (!(std::fabs(hjj) > 0x1p-1000) || !(std::fabs(hjj) < 0x1p1000)) {
          end = RunEnd::breakdown;
          return done;
        }
        const double q = H(i, j) / hjj;
        if (!(std::fabs(q) >= 0.5)) {
          if (std::isnan(q)) {
            end = RunEnd::breakdown;
            return done;
          }
          continue;
        }
        const double t = std::round(q);
        const double at = std::fabs(t);
        if (!(at <= int_limit) || s.amax[j] + at * s.amax[i] > int_limit ||
            s.gmax[i] + at * s.gmax[j] > int_limit) {
          end = RunEnd::integers;
          return done;
        }
        for (int k = 0; k <= j; ++k) H(i, k) -= t * H(j, k);
        const double ty = t * y[i];
        y[j] += ty;
        yerr[j] += at * yerr[i] + 0x1p-52 * (std::fabs(ty) + std::fabs(y[j]));
        s.amax[j] = row_addmul(A.row(j), A.row(i), t, n);
        s.gmax[i] = row_addmul(G.row(i), G.row(j), -t, n);
      }
    }
    ++done;
    // The copy of H carries errors up to about 2^-53 max|G| max|H at start|;
    // once they come near its smallest diagonal entry its decisions are noise.
    double dmin = std::numeric_limits<double>::infinity();
    gbig = 0.0;
    for (int i = 0; i < n; ++i) gbig = std::max(gbig, s.gmax[i]);
    for (int j = 0; j < m; ++j) dmin = std::min(dmin, std::fabs(H(j, j)));
    if (gbig * hstart * (kHNoise + base_noise * kNoiseMargin) > dmin) {
      end = RunEnd::significance;
      return done;
    }
    for (int i = 0; i < n; ++i) {
      if (!(std::fabs(y[i]) > kSpent * yerr[i])) {
        end = RunEnd::significance;
        return done;
      }
    }
  }
  return done;
}

bool unfound(relation_result& r, SearchEnd end, const std::string& why, double log10_norm_bound) {
  switch (end) {
    case SearchEnd::relation:
      return false;
    case SearchEnd::precision_exhausted:
      r.status = relation_status::precision_exhausted;
      r.message = "no relation found: precision exhausted (" + why + ")";
      return true;
    case SearchEnd::iteration_limit:
      r.status = relation_status::iteration_limit;
      r.message = "no relation found: iteration limit exceeded";
      return true;
    case SearchEnd::norm_bound: {
      char bound[32];
      std::snprintf(bound, sizeof bound, "%g", log10_norm_bound);
      r.status = relation_status::norm_bound;
      r.message = std::string("no relation found: every relation has a norm above 10^") + bound;
      return true;
    }
  }
  return false;
}

bool multiply_exact(const IntMatrix& X, const IntMatrix& Y, IntMatrix& C) {
  const int n = X.n;
  C.n = n;
  C.v.assign(static_cast<std::size_t>(n) * n, 0.0);
  // Every partial sum of row i of C is bounded by sum_l |x(i,l)| max|Y|.
  const double ymax = Y.max_abs();
  for (int i = 0; i < n; ++i) {
    const double* x = X.row(i);
    double s = 0.0;
    for (int l = 0; l < n; ++l) s += std::fabs(x[l]);
    if (s * ymax > kExactIntegers) return false;
    double* c = C.row(i);
    for (int l = 0; l < n; ++l) {
      if (x[l] == 0.0) continue;
      const double* yr = Y.row(l);
      for (int k = 0; k < n; ++k) c[k] += x[l] * yr[k];
    }
  }
  return true;
}

}  // namespace dd::detail::ml
