// Lattice reduction of the relation matrix, the last step of a search that
// ends without a sure relation.
//
// The integer vectors a with a.x = 0 to d digits are the short vectors of the
// lattice spanned by the rows (e_l, X(l)), X = round(2^w y0) for the
// normalised starting vector y0 and 2^w about 10^d: the last coordinate of a
// true relation is its residual, of the size of the rounding of the numbers,
// while a vector of norm N that is no relation has one near 2^w N^(1-n) or
// more.  The rows of b with the last coordinate b(j).X span the same lattice,
// and after the multipair iterations most of them already have small last
// coordinates.  That basis is reduced by LLL and, when that leaves no sure
// relation, again with deep insertions, which bring a relation of about the
// size of the chance vectors to the front where LLL alone may leave a longer
// one.  The rows of the reduced basis are then the candidates: the shortest
// one that passes the relation test is the relation.
//
// Exactness: the basis is held exactly (the rows of b and their last
// coordinates as big integers, every operation checked), so the reduced
// basis is a basis of the same lattice whatever the rounding errors of the
// Gram-Schmidt data, which are held in binary64 and only decide which
// integer operations are made.  A product whose terms cancel by more than
// 2^-20 of their size is formed again in double-double.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "ddreal/kernels.hpp"

namespace dd::detail::ml {

/// Works on the rows of a big-integer matrix with a weighted last coordinate.
/// While every entry is at most 2^52 the rows are held as binary64 integers
/// (exact: each row operation is checked against that bound), else as big
/// integers with binary64 copies for the Gram-Schmidt data.
template <class Big>
class RelationLattice {
 public:
  using B = typename Big::B;

  /// b: n x n row-major, the basis rows; xw: round(2^w y0), n big integers.  False when a last coordinate leaves the big-integer range.
  bool reset(int n, const std::vector<B>& b, const std::vector<B>& xw) {
    n_ = n;
    d_ = n + 1;
    rows_.assign(static_cast<std::size_t>(n) * d_, B{});
    for (int j = 0; j < n; ++j) {
      B* r = big_row(j);
      Big::set_zero(r[n]);
      for (int l = 0; l < n; ++l) {
        r[l] = b[static_cast<std::size_t>(j) * n + l];
        if (!Big::is_zero(r[l]) && !Big::addmul(r[n], xw[l], r[l])) return false;
      }
    }
    v_.assign(static_cast<std::size_t>(n) * d_, 0.0);
    norm2_.assign(n, 0.0);
    rmax_.assign(n, 0.0);
    exact_ = true;
    for (int j = 0; j < n; ++j) {
      refresh(j);
      for (int l = 0; l < d_; ++l) rmax_[j] = std::max(rmax_[j], std::fabs(v(j)[l]));
      exact_ &= rmax_[j] <= kExact;
    }
    synced_.assign(n, 1);
    mu_.assign(static_cast<std::size_t>(n) * n, 0.0);
    r_.assign(static_cast<std::size_t>(n) * n, 0.0);
    c_.assign(n, 0.0);
    return true;
  }

  /// LLL with factor delta (the integral form of Cohen's book, in binary64:
  /// the Gram-Schmidt data of a row are formed once, when the reduction
  /// first comes to it, and then updated by the exchanges), with deep
  /// insertions into the first depth rows (0: none).  Whenever a
  /// size-reduced row k is shorter than sqrt(stop_norm2), stop(k) is asked
  /// whether to end there.  Ends after max_swaps exchanges (the basis is
  /// still a basis then).  False when an integer leaves the big-integer
  /// range or the Gram-Schmidt data break down; the rows are a basis of the
  /// lattice in every case.
  template <class Stop>
  bool reduce(double delta, long max_swaps, int depth, double stop_norm2, Stop&& stop) {
    if (n_ < 2) return true;
    c_[0] = norm2_[0];
    if (!(c_[0] > 0.0)) return false;
    if (norm2_[0] < stop_norm2 && stop(0)) return true;
    long swaps = 0;
    int k = 1, kmax = 0;
    while (k < n_) {
      if (k > kmax) {
        kmax = k;
        if (!first_reduction(k) && !(rebuild(0, k - 1) && first_reduction(k))) return false;
      }
      if (!reduce_against(k, k - 1, k - 1)) return false;
      const double m = mu(k, k - 1);
      if (c_[k] < (delta - m * m) * c_[k - 1]) {
        if (++swaps > max_swaps) return true;
        if (!swap_rows(k, kmax) && !rebuild(0, kmax)) return false;
        k = std::max(k - 1, 1);
        continue;
      }
      if (!reduce_against(k, k - 2, 0)) return false;
      // Deep insertion: row k goes before the first row i < depth whose
      // Gram-Schmidt vector is longer than row k's projection orthogonal to
      // rows 0..i-1 (by the factor delta); i = k-1 is the exchange above.
      // The shortest vectors gather in the first rows, where it pays most.
      double proj = norm2_[k];
      int i = 0;
      for (; i < std::min(k - 1, depth) && !(proj < delta * c_[i]); ++i) proj -= mu(k, i) * mu(k, i) * c_[i];
      if (i < std::min(k - 1, depth)) {
        if (++swaps > max_swaps) return true;
        // Rows past k lose their Gram-Schmidt data: they are formed again
        // when the reduction comes back to them.
        insert_row(k, i);
        kmax = k;
        if (!rebuild(i, kmax)) return false;
        k = std::max(i, 1);
        continue;
      }
      if (norm2_[k] < stop_norm2 && stop(k)) return true;
      ++k;
    }
    return true;
  }

  /// Row j of the basis: n coefficients, then the last coordinate.
  const B* row(int j) {
    if (!synced_[j]) {
      B* r = big_row(j);
      for (int l = 0; l < d_; ++l) Big::set_small(r[l], v(j)[l]);
      synced_[j] = 1;
    }
    return big_row(j);
  }

 private:
  static constexpr double kExact = 0x1p52;

  B* big_row(int j) { return rows_.data() + static_cast<std::size_t>(j) * d_; }
  double& mu(int i, int j) { return mu_[static_cast<std::size_t>(i) * n_ + j]; }
  double& rr(int i, int j) { return r_[static_cast<std::size_t>(i) * n_ + j]; }
  double* v(int j) { return v_.data() + static_cast<std::size_t>(j) * d_; }

  // The binary64 copy of big row j and its squared norm.
  void refresh(int j) {
    double* out = v(j);
    const B* r = big_row(j);
    for (int l = 0; l < d_; ++l) out[l] = Big::to_d(r[l]);
    norm2_[j] = sum_of_products(out, out);
  }

  // sum a(l) b(l) over the d coordinates, in four partial sums.
  double sum_of_products(const double* a, const double* b) const {
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
    int l = 0;
    for (; l + 4 <= d_; l += 4) {
      s0 += a[l] * b[l];
      s1 += a[l + 1] * b[l + 1];
      s2 += a[l + 2] * b[l + 2];
      s3 += a[l + 3] * b[l + 3];
    }
    for (; l < d_; ++l) s0 += a[l] * b[l];
    return (s0 + s1) + (s2 + s3);
  }

  // Leaves the binary64 integers for the big ones (an entry would pass 2^52).
  void to_big() {
    for (int j = 0; j < n_; ++j) row(j);
    exact_ = false;
  }

  // <row i, row j>; again in double-double when binary64 loses more than 20
  // bits to cancellation (binary64 products of the integers are exact while
  // they stay below 2^26).
  double dot(int i, int j) {
    const double* a = v(i);
    const double* b = v(j);
    const double s = sum_of_products(a, b);
    if (exact_ && rmax_[i] * rmax_[j] * d_ < 0x1p53) return s;
    double size = 0.0;
    for (int l = 0; l < d_; ++l) size += std::fabs(a[l] * b[l]);
    if (std::fabs(s) >= 0x1p-20 * size) return s;
    DDReal acc(0.0), p;
    for (int l = 0; l < d_; ++l) {
      if (exact_) {
        DDMUL(DDReal(a[l]), DDReal(b[l]), p);
      } else {
        DDMUL(Big::to_dd(row(i)[l]), Big::to_dd(row(j)[l]), p);
      }
      DDADD(acc, p, acc);
    }
    return acc.hi;
  }

  // Gram-Schmidt data of row k from those of rows 0..k-1, in the Cholesky
  // form: r(k,j) = <b_k, b*_j>, mu(k,j) = r(k,j) / c(j), c(k) = |b*_k|^2.
  void gram_schmidt(int k) {
    for (int j = 0; j < k; ++j) {
      double s = dot(k, j);
      for (int i = 0; i < j; ++i) s -= mu(j, i) * rr(k, i);
      rr(k, j) = s;
      mu(k, j) = s / c_[j];
    }
    double s = norm2_[k];
    for (int j = 0; j < k; ++j) s -= mu(k, j) * rr(k, j);
    c_[k] = s;
  }

  // b_k -= q b_j for the rows and the Gram-Schmidt coefficients of row k.
  bool subtract(int k, int j, double q) {
    const double aq = std::fabs(q);
    if (exact_ && aq <= kExact && rmax_[k] + aq * rmax_[j] > kExact) {
      double m = 0.0;  // the bound may be loose: the largest entry itself
      for (int l = 0; l < d_; ++l) m = std::max(m, std::fabs(v(k)[l]));
      rmax_[k] = m;
    }
    if (exact_ && (aq > kExact || rmax_[k] + aq * rmax_[j] > kExact)) to_big();
    if (exact_) {
      double* a = v(k);
      const double* s = v(j);
      for (int l = 0; l < d_; ++l) a[l] -= q * s[l];  // exact: every term stays below 2^52
      rmax_[k] += aq * rmax_[j];
      synced_[k] = 0;
    } else {
      B* a = big_row(k);
      const B* s = big_row(j);
      if (aq < 0x1p62) {
        for (int l = 0; l < d_; ++l)
          if (!Big::is_zero(s[l]) && !Big::addmul_d(a[l], s[l], -q)) return false;
      } else {
        B t;
        if (!Big::from_d(t, -q)) return false;
        for (int l = 0; l < d_; ++l)
          if (!Big::is_zero(s[l]) && !Big::addmul(a[l], s[l], t)) return false;
      }
    }
    for (int i = 0; i < j; ++i) mu(k, i) -= q * mu(j, i);
    mu(k, j) -= q;
    return true;
  }

  // Size reduction of row k against rows hi down to lo.  A large
  // multiplier has large rounding errors: the Gram-Schmidt data of row k are
  // formed again after it and the reduction repeated.  The Gram-Schmidt
  // vector of row k and c(k) stay as they were.
  bool reduce_against(int k, int hi, int lo) {
    for (int pass = 0; pass < 64; ++pass) {
      bool large = false, any = false;
      for (int j = hi; j >= lo; --j) {
        const double q = std::round(mu(k, j));
        if (q == 0.0) continue;
        if (!std::isfinite(q)) return false;
        if (!subtract(k, j, q)) return false;
        any = true;
        large |= std::fabs(q) > 0x1p20;
      }
      if (!any) return true;
      if (exact_) {
        norm2_[k] = sum_of_products(v(k), v(k));
      } else {
        refresh(k);
      }
      if (!large) {
        for (int j = lo; j <= hi; ++j) rr(k, j) = mu(k, j) * c_[j];
        return true;
      }
      gram_schmidt(k);
    }
    return true;
  }

  // The Gram-Schmidt data of a row the reduction comes to for the first
  // time, from the row size-reduced against all before it: c(k) formed from
  // a long row would have lost its digits to cancellation.
  bool first_reduction(int k) {
    gram_schmidt(k);
    const double before = norm2_[k];
    if (!reduce_against(k, k - 1, 0)) return false;
    if (norm2_[k] != before) gram_schmidt(k);
    return c_[k] > 0.0;
  }

  // Forms the Gram-Schmidt data of rows from..kmax again (after an
  // insertion, or after rounding errors made an exchange break down); false
  // when they break down.
  bool rebuild(int from, int kmax) {
    if (from == 0) c_[0] = norm2_[0];
    for (int i = std::max(from, 1); i <= kmax; ++i) {
      gram_schmidt(i);
      if (!(c_[i] > 0.0)) return false;
    }
    return c_[0] > 0.0;
  }

  // Moves row k to position i < k, rows i..k-1 one down; the Gram-Schmidt
  // data of rows i.. are to be formed again.
  void insert_row(int k, int i) {
    for (int j = k; j > i; --j) {
      std::swap_ranges(big_row(j), big_row(j) + d_, big_row(j - 1));
      std::swap_ranges(v(j), v(j) + d_, v(j - 1));
      std::swap(norm2_[j], norm2_[j - 1]);
      std::swap(rmax_[j], rmax_[j - 1]);
      std::swap(synced_[j], synced_[j - 1]);
    }
  }

  // Exchanges rows k-1 and k and updates the Gram-Schmidt data of rows
  // k-1 .. kmax; false when they break down.
  bool swap_rows(int k, int kmax) {
    std::swap_ranges(big_row(k), big_row(k) + d_, big_row(k - 1));
    std::swap_ranges(v(k), v(k) + d_, v(k - 1));
    std::swap(norm2_[k], norm2_[k - 1]);
    std::swap(rmax_[k], rmax_[k - 1]);
    std::swap(synced_[k], synced_[k - 1]);
    for (int j = 0; j < k - 1; ++j) {
      std::swap(mu(k, j), mu(k - 1, j));
      std::swap(rr(k, j), rr(k - 1, j));
    }
    const double m = mu(k, k - 1);
    const double bk = c_[k] + m * m * c_[k - 1];
    if (!(bk > 0.0) || !std::isfinite(bk)) return false;
    const double mnew = m * c_[k - 1] / bk;
    c_[k] = c_[k - 1] * c_[k] / bk;
    c_[k - 1] = bk;
    mu(k, k - 1) = mnew;
    rr(k, k - 1) = mnew * bk;
    for (int i = k + 1; i <= kmax; ++i) {
      const double t = mu(i, k);
      mu(i, k) = mu(i, k - 1) - m * t;
      mu(i, k - 1) = t + mnew * mu(i, k);
      rr(i, k) = mu(i, k) * c_[k];
      rr(i, k - 1) = mu(i, k - 1) * c_[k - 1];
    }
    return c_[k] > 0.0;
  }

  int n_ = 0, d_ = 0;
  bool exact_ = true;
  std::vector<B> rows_;
  std::vector<char> synced_;
  std::vector<double> v_, norm2_, rmax_, mu_, r_, c_;
};

}  // namespace dd::detail::ml
