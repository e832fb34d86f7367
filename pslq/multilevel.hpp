// A multi-level multipair PSLQ search.
//
// The state of the search (the normalised vector y, the lower-trapezoidal
// matrix H and the integer matrix b whose rows are the candidate relations)
// is held at full precision: double-double here, any precision in the
// relations library.  The iterations themselves run on a scaled binary64 copy
// of y and H (run_binary64), which records its integer row operations in two
// exactly held integer matrices: A, with y_new = A y and b_new = A b, and G =
// A^-T, with H_new = G H Q for an orthogonal Q that is not kept.  When the
// copy runs out of significance (an entry of y falls to its rounding error, or
// a multiplier would take an entry of A or G past the exactly held range, or a
// diagonal entry of H vanishes), A and G are applied to the full-precision
// state with one matrix product each, H is brought back to lower-trapezoidal
// form (LQ by Householder reflections), and the relation test is made on the
// full-precision y.  When the binary64 copy cannot make one whole iteration
// (multipliers beyond 2^53, entries of H out of the binary64 range), one
// iteration runs at full precision instead.  A middle level (DDMiddle) runs
// the same scheme in double-double under an arbitrary-precision state, which
// makes three levels.  A search that ends without a sure relation (y spent
// with only a possible chance relation in hand, or none; the integers out of
// range) reduces the lattice of its rows of b with their weighted residuals
// (reduce.hpp) and takes the shortest reduced row that passes the relation
// test: where the numbers carry barely enough digits, that finds relations
// the iterations miss.
//
// The number types enter through a field (DDField here): in-place arithmetic
// and the scaled conversions to binary64 and double-double.  The integer
// matrix b enters through a big-integer type (I128Big here).
//
// Pair selection follows the multipair PSLQ of Bailey and Broadhurst
// ("Parallel integer relation detection: techniques and applications", Math.
// Comp. 70, 2001): keys gamma^i |h(i,i)|, gamma = sqrt(4/3), up to round(0.4 n)
// disjoint pairs (i, i+1), largest key first, a corner rotation, then a full
// Hermite reduction of H with nearest-integer multipliers.
#pragma once

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "ddreal/kernels.hpp"
#include "pslq/find_relation.hpp"
#include "pslq/reduce.hpp"

namespace dd::detail::ml {

/// Integers below this magnitude are exact in binary64, and so is the sum or
/// difference of two of them that again lies below it.
inline constexpr double kExactIntegers = 0x1p52;

/// Row-major n x n integer matrix held exactly in binary64 words.
struct IntMatrix {
  int n = 0;
  std::vector<double> v;
  void reset(int size) {
    n = size;
    v.assign(static_cast<std::size_t>(size) * size, 0.0);
    for (int i = 0; i < size; ++i) v[static_cast<std::size_t>(i) * size + i] = 1.0;
  }
  double* row(int i) { return v.data() + static_cast<std::size_t>(i) * n; }
  const double* row(int i) const { return v.data() + static_cast<std::size_t>(i) * n; }
  double max_abs() const {
    double m = 0.0;
    for (const double a : v) m = std::max(m, std::fabs(a));
    return m;
  }
};

/// The binary64 copy of y and H with its working arrays.  h is n x (n-1),
/// row-major; yerr(i) bounds the error of y(i) against the exact transform of
/// the y the copy was made from.
struct Binary64State {
  int n = 0;
  std::vector<double> y, yerr, h, gpow, key, amax, gmax;
  std::vector<int> order, pairs;
  std::vector<char> used;
  void resize(int size);
};

/// Why a binary64 run ended.
enum class RunEnd {
  budget,        ///< the iteration budget was used up
  significance,  ///< an entry of y fell to within 2^10 of its error bound
  integers,      ///< a multiplier would take A or G past the integer limit
  breakdown,     ///< a diagonal entry of H vanished or left the binary64 range
};

/// Runs up to max_iter multipair iterations on s, starting A and G from the
/// identity; every row operation is applied to A and G as well, and only
/// while their entries stay at most int_limit (<= 2^52), so both stay exact
/// and G = A^-T.  Returns the number of whole iterations made; the work of a
/// last partial iteration (ended by `integers` or `breakdown`) is included in
/// A and G, and is a valid transform like the rest.  base_noise is the
/// relative error of the H it was copied from (against its largest entry):
/// the run stops before an exchange would bring a diagonal entry near the
/// errors of the copy, 2^12 (2^-53 + base_noise) max|G| max|H|.
int run_binary64(Binary64State& s, IntMatrix& A, IntMatrix& G, double int_limit, int max_iter, double base_noise,
                 RunEnd& end);

/// C = X * Y for exact integer matrices, false (C unspecified) when an entry
/// or a partial sum could pass kExactIntegers.
bool multiply_exact(const IntMatrix& X, const IntMatrix& Y, IntMatrix& C);

// ---------------------------------------------------------------------------
// 128-bit integers for the double-double search.  Relations up to 10^31 in
// norm are asked for there, and a product of two entries of b below 2^105
// does not always fit; every operation checks.

__extension__ using i128 = __int128;
__extension__ using u128 = unsigned __int128;

struct I128Big {
  using B = i128;
  /// a as a binary64 integer, when |a| <= 2^52.
  static bool to_small(const B& a, double& v) {
    if (a > (B{1} << 52) || a < -(B{1} << 52)) return false;
    v = static_cast<double>(static_cast<std::int64_t>(a));
    return true;
  }
  static void set_small(B& r, double v) { r = static_cast<B>(static_cast<std::int64_t>(v)); }
  /// The integer-valued v; false when it is not below 2^126.
  static bool from_d(B& r, double v) {
    if (!(std::fabs(v) < 0x1p126)) return false;
    r = static_cast<B>(v);
    return true;
  }
  static void set_zero(B& r) { r = 0; }
  static void set_one(B& r) { r = 1; }
  static bool is_zero(const B& a) { return a == 0; }
  static void negate(B& a) { a = -a; }
  /// r += a * t for an integer-valued binary64 t (|t| < 2^63); false on overflow.
  static bool addmul_d(B& r, const B& a, double t) {
    const B tt = static_cast<B>(static_cast<std::int64_t>(t));
    B p;
    if (__builtin_mul_overflow(a, tt, &p)) return false;
    return !__builtin_add_overflow(r, p, &r);
  }
  /// r += a * t; false on overflow.
  static bool addmul(B& r, const B& a, const B& t) {
    B p;
    if (__builtin_mul_overflow(a, t, &p)) return false;
    return !__builtin_add_overflow(r, p, &r);
  }
  static double log2_abs(const B& a) {
    const B m = a < 0 ? -a : a;
    return std::log2(static_cast<double>(m));
  }
  static double to_d(const B& a) { return static_cast<double>(a); }
  static DDReal to_dd(const B& a) {
    const double hi = static_cast<double>(a);
    const B rest = a - static_cast<B>(hi);
    return DDReal(hi, static_cast<double>(rest));
  }
  static std::string text(const B& a) {
    if (a == 0) return "0";
    u128 m = a < 0 ? -static_cast<u128>(a) : static_cast<u128>(a);
    std::string s;
    while (m != 0) {
      s.push_back(static_cast<char>('0' + static_cast<int>(m % 10)));
      m /= 10;
    }
    if (a < 0) s.push_back('-');
    return std::string(s.rbegin(), s.rend());
  }
};

// ---------------------------------------------------------------------------
// Double-double as a field.

struct DDField {
  using T = DDReal;
  using Big = I128Big;
  T make() const { return T(0.0); }
  static void set(T& r, const T& a) { r = a; }
  static void set_d(T& r, double d) { r = T(d); }
  static void add(T& r, const T& a, const T& b) { DDADD(a, b, r); }
  static void sub(T& r, const T& a, const T& b) { DDSUB(a, b, r); }
  static void mul(T& r, const T& a, const T& b) { DDMUL(a, b, r); }
  static void mul_d(T& r, const T& a, double d) { DDMULD(a, d, r); }
  static void div(T& r, const T& a, const T& b) { DDDIV(a, b, r); }
  static void sqrt(T& r, const T& a) { DDSQRT(a, r); }
  static void neg(T& r, const T& a) { DDNEG(a, r); }
  static void abs(T& r, const T& a) { DDABS(a, r); }
  static bool is_zero(const T& a) { return a.hi == 0.0; }
  static bool negative(const T& a) { return a.hi < 0.0; }
  /// Relative precision of the arithmetic, in bits.
  static int precision_bits() { return 104; }
  static bool finite(const T& a) { return std::isfinite(a.hi) && std::isfinite(a.lo); }
  /// log2 |a| (-inf for zero); only its first few digits matter.
  static double log2_abs(const T& a) { return std::log2(std::fabs(a.hi)); }
  /// e with 2^e <= |a| < 2^(e+1); INT_MIN for zero.
  static int exponent(const T& a) { return a.hi == 0.0 ? INT_MIN : std::ilogb(a.hi); }
  /// a * 2^-e, rounded to binary64 and to double-double.
  static double to_d_2exp(const T& a, int e) { return std::ldexp(a.hi, -e); }
  static DDReal to_dd_2exp(const T& a, int e) { return DDReal(std::ldexp(a.hi, -e), std::ldexp(a.lo, -e)); }
  /// r = a * 2^e (exact while no word leaves the binary64 range).
  static void mul_2exp(T& r, const T& a, int e) { r = DDReal(std::ldexp(a.hi, e), std::ldexp(a.lo, e)); }
  /// r = an integer within 1 of q (the nearest one but for halves in the low
  /// word); false when q is not finite or not below 2^104.
  static bool round_to_integer(T& r, const T& q) {
    if (!finite(q) || !(std::fabs(q.hi) < 0x1p104)) return false;
    const double h = std::round(q.hi);
    const double l = h == q.hi ? std::round(q.lo) : 0.0;
    detail::quick_two_sum(h, l, r.hi, r.lo);
    return true;
  }
  /// r = a * b for a big integer b (scratch may be used).
  static void mul_big(T& r, const T& a, const Big::B& b, T&) {
    const double d = static_cast<double>(b);
    if (d > -0x1p53 && d < 0x1p53) {
      DDMULD(a, d, r);  // b is exactly d
    } else {
      DDMUL(a, Big::to_dd(b), r);
    }
  }
  /// The integer-valued t as a big integer.
  static bool to_big(Big::B& b, const T& t) {
    b = static_cast<Big::B>(t.hi) + static_cast<Big::B>(t.lo);
    return true;
  }
};

// ---------------------------------------------------------------------------
// Generic pieces over a field.

/// y <- A y (n entries); tmp holds n values of the field.
template <class Fld>
void apply_to_vector(const Fld& f, const IntMatrix& A, std::vector<typename Fld::T>& y,
                     std::vector<typename Fld::T>& tmp, typename Fld::T& t) {
  const int n = A.n;
  for (int i = 0; i < n; ++i) {
    const double* a = A.row(i);
    f.set_d(tmp[i], 0.0);
    for (int l = 0; l < n; ++l) {
      if (a[l] == 0.0) continue;
      if (a[l] == 1.0) {
        f.add(tmp[i], tmp[i], y[l]);
      } else {
        f.mul_d(t, y[l], a[l]);
        f.add(tmp[i], tmp[i], t);
      }
    }
  }
  using std::swap;
  for (int i = 0; i < n; ++i) swap(y[i], tmp[i]);
}

/// H <- G H for the n x (n-1) lower-trapezoidal H (row-major); the result is full.
template <class Fld>
void apply_to_h(const Fld& f, const IntMatrix& G, std::vector<typename Fld::T>& h,
                std::vector<typename Fld::T>& tmp, typename Fld::T& t) {
  const int n = G.n, m = n - 1;
  for (int i = 0; i < n; ++i) {
    const double* g = G.row(i);
    typename Fld::T* out = tmp.data() + static_cast<std::size_t>(i) * m;
    for (int k = 0; k < m; ++k) f.set_d(out[k], 0.0);
    for (int l = 0; l < n; ++l) {
      if (g[l] == 0.0) continue;
      const typename Fld::T* in = h.data() + static_cast<std::size_t>(l) * m;
      const int kend = std::min(l, m - 1);  // row l of H is zero past column l
      for (int k = 0; k <= kend; ++k) {
        if (g[l] == 1.0) {
          f.add(out[k], out[k], in[k]);
        } else {
          f.mul_d(t, in[k], g[l]);
          f.add(out[k], out[k], t);
        }
      }
    }
  }
  using std::swap;
  for (std::size_t k = 0; k < static_cast<std::size_t>(n) * m; ++k) swap(h[k], tmp[k]);
}

/// Brings the n x (n-1) matrix h (row-major) to lower-trapezoidal form by
/// Householder reflections of its columns: h <- h Q with Q orthogonal.
/// v holds n - 1 values, t[0..3] scratch values.
template <class Fld>
void lq_lower(const Fld& f, int n, std::vector<typename Fld::T>& h, std::vector<typename Fld::T>& v,
              typename Fld::T* t) {
  using T = typename Fld::T;
  const int m = n - 1;
  T &s = t[0], &nrm = t[1], &dot = t[2], &w = t[3];
  for (int i = 0; i + 1 < m; ++i) {
    T* hi = h.data() + static_cast<std::size_t>(i) * m;
    f.set_d(s, 0.0);
    for (int k = i + 1; k < m; ++k) {
      f.mul(w, hi[k], hi[k]);
      f.add(s, s, w);
    }
    if (f.is_zero(s)) continue;  // row i already has its zeros
    f.mul(w, hi[i], hi[i]);
    f.add(w, w, s);
    f.sqrt(nrm, w);
    // v = row i (columns i..m-1) + sign(h(i,i)) |row| e_i: no cancellation.
    // v^T v = 2 |row| (|row| + |h(i,i)|).
    const bool neg = f.negative(hi[i]);
    for (int k = i; k < m; ++k) f.set(v[k], hi[k]);
    if (neg) {
      f.sub(v[i], v[i], nrm);
    } else {
      f.add(v[i], v[i], nrm);
    }
    // vv / 2 = nrm * |v(i)|
    f.abs(w, v[i]);
    f.mul(s, nrm, w);  // s = v^T v / 2
    for (int r = i + 1; r < n; ++r) {
      T* hr = h.data() + static_cast<std::size_t>(r) * m;
      f.set_d(dot, 0.0);
      for (int k = i; k < m; ++k) {
        f.mul(w, hr[k], v[k]);
        f.add(dot, dot, w);
      }
      if (f.is_zero(dot)) continue;
      f.div(dot, dot, s);
      for (int k = i; k < m; ++k) {
        f.mul(w, dot, v[k]);
        f.sub(hr[k], hr[k], w);
      }
    }
    if (neg) {
      f.set(hi[i], nrm);
    } else {
      f.neg(hi[i], nrm);
    }
    for (int k = i + 1; k < m; ++k) f.set_d(hi[k], 0.0);
  }
}

/// The starting state from x (nonzero tail norms assumed): y = x / |x|, H
/// with orthonormal columns orthogonal to y, lower trapezoidal (the classical
/// PSLQ start): h(j,j) = s(j+1)/s(j), h(i,j) = -y(i) u(j) for i > j, with
/// s(k) the norm of y(k..n) and u(j) = y(j)/(s(j) s(j+1)), kept in ucol.
/// t holds 4 scratch values; snorm n values.
template <class Fld>
void start_state(const Fld& f, int n, const typename Fld::T* x, std::vector<typename Fld::T>& y,
                 std::vector<typename Fld::T>& h, std::vector<typename Fld::T>& snorm, std::vector<typename Fld::T>& ucol,
                 typename Fld::T* t) {
  using T = typename Fld::T;
  const int m = n - 1;
  T &sum = t[0], &w = t[1], &u = t[2];
  f.set_d(sum, 0.0);
  for (int k = n - 1; k >= 0; --k) {
    f.mul(w, x[k], x[k]);
    f.add(sum, sum, w);
    f.sqrt(snorm[k], sum);
  }
  f.set_d(w, 1.0);
  f.div(u, w, snorm[0]);
  for (int k = 0; k < n; ++k) {
    f.mul(y[k], u, x[k]);
    f.mul(snorm[k], u, snorm[k]);
  }
  for (int j = 0; j < m; ++j) {
    T* col = h.data() + j;
    for (int i = 0; i < j; ++i) f.set_d(col[static_cast<std::size_t>(i) * m], 0.0);
    f.div(col[static_cast<std::size_t>(j) * m], snorm[j + 1], snorm[j]);
    f.mul(w, snorm[j], snorm[j + 1]);
    f.div(u, y[j], w);
    f.set(ucol[j], u);
    for (int i = j + 1; i < n; ++i) {
      f.mul(w, y[i], u);
      f.neg(col[static_cast<std::size_t>(i) * m], w);
    }
  }
}

/// Copies y and H of the field into the binary64 state, each scaled by a
/// power of two (the scale of H changes no multiplier and no key; that of y
/// no test).  yerr starts at the rounding error of each entry.
template <class Fld>
void to_binary64(const Fld& f, int n, const std::vector<typename Fld::T>& y, const std::vector<typename Fld::T>& h,
                 Binary64State& s) {
  const int m = n - 1;
  int ey = INT_MIN, eh = INT_MIN;
  for (int i = 0; i < n; ++i) ey = std::max(ey, f.exponent(y[i]));
  for (std::size_t k = 0; k < h.size(); ++k) eh = std::max(eh, f.exponent(h[k]));
  if (ey == INT_MIN) ey = 0;
  if (eh == INT_MIN) eh = 0;
  for (int i = 0; i < n; ++i) {
    s.y[i] = f.to_d_2exp(y[i], ey);
    s.yerr[i] = std::fabs(s.y[i]) * 0x1p-52 + 0x1p-1060;
  }
  for (std::size_t k = 0; k < static_cast<std::size_t>(n) * m; ++k) s.h[k] = f.to_d_2exp(h[k], eh);
}

/// out = A b in binary64 when every entry of b is at most 2^52 and every
/// partial sum provably stays below 2^53 (sum_l |a(i,l)| max|b| <= 2^52), the
/// usual case: most relation matrices hold small integers.  False, out
/// untouched, otherwise.
template <class Big>
bool small_product(const IntMatrix& A, const std::vector<typename Big::B>& b, std::vector<typename Big::B>& out) {
  const int n = A.n;
  std::vector<double> bd(b.size()), od(b.size(), 0.0);
  double bmax = 0.0;
  for (std::size_t k = 0; k < b.size(); ++k) {
    if (!Big::to_small(b[k], bd[k])) return false;
    bmax = std::max(bmax, std::fabs(bd[k]));
  }
  for (int i = 0; i < n; ++i) {
    double s = 0.0;
    for (int l = 0; l < n; ++l) s += std::fabs(A.row(i)[l]);
    if (s * bmax > kExactIntegers) return false;
  }
  for (int i = 0; i < n; ++i) {
    const double* a = A.row(i);
    double* o = od.data() + static_cast<std::size_t>(i) * n;
    for (int l = 0; l < n; ++l) {
      if (a[l] == 0.0) continue;
      const double* in = bd.data() + static_cast<std::size_t>(l) * n;
      for (int c = 0; c < n; ++c) o[c] += a[l] * in[c];
    }
  }
  for (std::size_t k = 0; k < b.size(); ++k) Big::set_small(out[k], od[k]);
  return true;
}

/// b <- A b for the n x n matrix b of big integers (row-major); false when an
/// entry overflows the big-integer type.
template <class Big>
bool apply_to_b(const IntMatrix& A, std::vector<typename Big::B>& b, std::vector<typename Big::B>& tmp) {
  const int n = A.n;
  if (small_product<Big>(A, b, tmp)) {
    std::swap(b, tmp);
    return true;
  }
  for (int i = 0; i < n; ++i) {
    const double* a = A.row(i);
    typename Big::B* out = tmp.data() + static_cast<std::size_t>(i) * n;
    for (int c = 0; c < n; ++c) Big::set_zero(out[c]);
    for (int l = 0; l < n; ++l) {
      if (a[l] == 0.0) continue;
      const typename Big::B* in = b.data() + static_cast<std::size_t>(l) * n;
      for (int c = 0; c < n; ++c)
        if (!Big::addmul_d(out[c], in[c], a[l])) return false;
    }
  }
  std::swap(b, tmp);
  return true;
}

// ---------------------------------------------------------------------------
// The inner levels.

/// The binary64 level under a field: copies y and H, runs run_binary64.
struct Binary64Inner {
  Binary64State s;
  double int_limit = kExactIntegers;
  int max_iter = 400;
  double base_noise = 0.0;
  RunEnd end = RunEnd::budget;
  template <class Fld>
  int run(const Fld& f, const std::vector<typename Fld::T>& y, const std::vector<typename Fld::T>& h, IntMatrix& A,
          IntMatrix& G) {
    const int n = static_cast<int>(y.size());
    if (s.n != n) s.resize(n);
    to_binary64(f, n, y, h, s);
    return run_binary64(s, A, G, int_limit, max_iter, base_noise, end);
  }
};

/// The double-double level under a wider field: copies y and H into
/// double-double (scaled by powers of two), runs binary64 runs on that copy,
/// applying each to it (one product, an LQ step), and returns the product of
/// their transforms.  It stops when an entry of its y falls to within 2^10 of
/// its error bound, when the accumulated integers leave too little room for
/// another run, or when a binary64 run cannot make an iteration.
struct DDMiddle {
  DDField dd;
  Binary64Inner inner;
  std::vector<DDReal> y, h, tmp, v;
  std::vector<double> yerr, yerr_tmp;
  IntMatrix A0, G0, Ac, Gc;
  DDReal t[4];
  int max_runs = 64;
  double base_noise = 0.0;  ///< relative error of the H it is given

  template <class Fld>
  int run(const Fld& f, const std::vector<typename Fld::T>& yf, const std::vector<typename Fld::T>& hf, IntMatrix& A,
          IntMatrix& G) {
    const int n = static_cast<int>(yf.size()), m = n - 1;
    y.resize(n);
    h.resize(static_cast<std::size_t>(n) * m);
    tmp.resize(static_cast<std::size_t>(n) * m);
    v.resize(n);
    yerr.resize(n);
    int ey = INT_MIN, eh = INT_MIN;
    for (int i = 0; i < n; ++i) ey = std::max(ey, f.exponent(yf[i]));
    for (const auto& a : hf) eh = std::max(eh, f.exponent(a));
    if (ey == INT_MIN) ey = 0;
    if (eh == INT_MIN) eh = 0;
    for (int i = 0; i < n; ++i) {
      y[i] = f.to_dd_2exp(yf[i], ey);
      yerr[i] = std::fabs(y[i].hi) * 0x1p-104 + 0x1p-1060;
    }
    for (std::size_t k = 0; k < hf.size(); ++k) h[k] = f.to_dd_2exp(hf[k], eh);
    A.reset(n);
    G.reset(n);
    int total = 0;
    for (int run = 0; run < max_runs; ++run) {
      const double big = std::max(A.max_abs(), G.max_abs());
      const double room = std::floor(kExactIntegers / (big * n));
      if (room < 0x1p12) break;
      inner.int_limit = std::min(kExactIntegers, room);
      // The copy's H is G H_start: its errors grow with G.
      inner.base_noise = (0x1p-104 * n + base_noise) * std::max(1.0, G.max_abs());
      if (inner.base_noise > 0x1p-60) break;
      const int k = inner.run(dd, y, h, A0, G0);
      if (k == 0) break;
      if (!multiply_exact(A0, A, Ac) || !multiply_exact(G0, G, Gc)) break;
      std::swap(A, Ac);
      std::swap(G, Gc);
      total += k;
      // y's error bounds follow the product: each term carries its own bound
      // and the rounding of the double-double operations.
      yerr_tmp.assign(n, 0.0);
      for (int i = 0; i < n; ++i) {
        const double* a = A0.row(i);
        for (int l = 0; l < n; ++l)
          yerr_tmp[i] += std::fabs(a[l]) * (yerr[l] + std::fabs(y[l].hi) * 0x1p-103);
      }
      apply_to_vector(dd, A0, y, tmp, t[0]);
      std::swap(yerr, yerr_tmp);
      apply_to_h(dd, G0, h, tmp, t[0]);
      lq_lower(dd, n, h, v, t);
      bool spent = false;
      for (int i = 0; i < n; ++i) spent |= !(std::fabs(y[i].hi) > 0x1p10 * yerr[i]);
      if (spent) break;
    }
    return total;
  }
};

// ---------------------------------------------------------------------------
// The search at full precision.

/// How a search ended.
enum class SearchEnd { relation, iteration_limit, norm_bound, precision_exhausted };

struct SearchLimits {
  double log2_eps = -96.0;          ///< detection threshold, as log2
  double log10_norm_bound = 20.0;   ///< give up once every relation is known to be larger
  long max_iterations = 1000000;    ///< iterations of all levels together
  /// A relation whose Euclidean norm is at least 2^log2_chance_norm may be an
  /// accident of the precision: the search then goes on for a smaller one
  /// until no smaller one can exist (the norm bound passes it), y is spent
  /// to the working precision, or the iterations run out, and returns the
  /// smallest it saw.
  double log2_chance_norm = std::numeric_limits<double>::infinity();
  /// A search that ends without a relation below the chance norm reduces
  /// the lattice of its rows of b weighted by 2^log2_weight (reduce.hpp),
  /// about 10^digits of the numbers; 0: no reduction.
  int log2_weight = 0;
};

template <class Big>
struct SearchResult {
  SearchEnd end = SearchEnd::precision_exhausted;
  std::vector<typename Big::B> relation;  ///< the row of b, for SearchEnd::relation
  long iterations = 0;
  long full_iterations = 0;  ///< iterations made at full precision
  long updates = 0;          ///< applications of a lower level's transform
  std::string why;           ///< for precision_exhausted: what broke down
};

/// For a search that ended without a relation: r's status and message, and
/// true.  False, r untouched, when it ended with one.
bool unfound(relation_result& r, SearchEnd end, const std::string& why, double log10_norm_bound);

/// One multipair iteration at full precision, on y, h and b themselves, with
/// big-integer multipliers.  False (with why) when a multiplier or an entry
/// of b leaves the big-integer range or a diagonal entry of h vanishes.
template <class Fld>
bool full_iteration(const Fld& f, int n, std::vector<typename Fld::T>& y, std::vector<typename Fld::T>& h,
                    std::vector<typename Fld::Big::B>& b, std::vector<typename Fld::Big::B>& c, typename Fld::T* t,
                    std::string& why) {
  using T = typename Fld::T;
  using Big = typename Fld::Big;
  const int m = n - 1;
  auto H = [&](int i, int j) -> T& { return h[static_cast<std::size_t>(i) * m + j]; };
  // Keys gamma^(i+1) |h(i,i)|, compared as logarithms.
  const double lg = 0.5 * std::log2(4.0 / 3.0);
  std::vector<double> key(m);
  std::vector<int> order(m);
  for (int i = 0; i < m; ++i) {
    key[i] = f.log2_abs(H(i, i)) + lg * (i + 1);
    order[i] = i;
  }
  std::stable_sort(order.begin(), order.end(), [&](int a, int c) { return key[a] > key[c]; });
  std::vector<char> used(n, 0);
  const int want = std::max(1, static_cast<int>(std::lround(0.4 * n)));
  std::vector<int> pairs;
  for (const int i : order) {
    if (static_cast<int>(pairs.size()) == want) break;
    if (used[i] || used[i + 1]) continue;
    used[i] = used[i + 1] = 1;
    pairs.push_back(i);
  }
  using std::swap;
  for (const int i : pairs) {
    swap(y[i], y[i + 1]);
    for (int k = 0; k < m; ++k) swap(H(i, k), H(i + 1, k));
    for (int k = 0; k < n; ++k) {
      swap(b[static_cast<std::size_t>(i) * n + k], b[static_cast<std::size_t>(i + 1) * n + k]);
      swap(c[static_cast<std::size_t>(i) * n + k], c[static_cast<std::size_t>(i + 1) * n + k]);
    }
  }
  T &t1 = t[0], &t2 = t[1], &t3 = t[2], &w = t[3];
  T u1 = f.make(), u2 = f.make();
  for (const int i : pairs) {
    if (i + 1 >= m) continue;
    f.mul(w, H(i, i), H(i, i));
    f.mul(t3, H(i, i + 1), H(i, i + 1));
    f.add(w, w, t3);
    f.sqrt(t3, w);
    if (f.is_zero(t3)) continue;
    f.div(t1, H(i, i), t3);
    f.div(t2, H(i, i + 1), t3);
    for (int l = i; l < n; ++l) {
      f.mul(u1, t1, H(l, i));
      f.mul(w, t2, H(l, i + 1));
      f.add(u1, u1, w);
      f.mul(u2, t1, H(l, i + 1));
      f.mul(w, t2, H(l, i));
      f.sub(u2, u2, w);
      f.set(H(l, i), u1);
      f.set(H(l, i + 1), u2);
    }
    f.set_d(H(i, i + 1), 0.0);
  }
  typename Big::B tb{};
  for (int i = 1; i < n; ++i) {
    for (int j = std::min(i - 1, m - 1); j >= 0; --j) {
      if (f.is_zero(H(j, j))) {
        why = "a diagonal entry of H vanished";
        return false;
      }
      f.div(w, H(i, j), H(j, j));
      if (!f.round_to_integer(t1, w) || !f.to_big(tb, t1)) {
        why = "a multiplier left the range of exact integers";
        return false;
      }
      if (f.is_zero(t1)) continue;
      for (int k = 0; k <= j; ++k) {
        f.mul(w, t1, H(j, k));
        f.sub(H(i, k), H(i, k), w);
      }
      f.mul(w, t1, y[i]);
      f.add(y[j], y[j], w);
      for (int k = 0; k < n; ++k)
        if (!Big::addmul(b[static_cast<std::size_t>(j) * n + k], b[static_cast<std::size_t>(i) * n + k], tb)) {
          why = "an entry of the relation matrix left the range of exact integers";
          return false;
        }
      Big::negate(tb);
      for (int k = 0; k < n; ++k)
        if (!Big::addmul(c[static_cast<std::size_t>(i) * n + k], c[static_cast<std::size_t>(j) * n + k], tb)) {
          why = "an entry of the relation matrix left the range of exact integers";
          return false;
        }
    }
  }
  return true;
}

/// y = row . y0 for a row of n big integers, summed in order.
template <class Fld>
void row_times_y0(const Fld& f, int n, const typename Fld::Big::B* row, const std::vector<typename Fld::T>& y0,
                  typename Fld::T& y, typename Fld::T* t) {
  f.set_d(y, 0.0);
  for (int l = 0; l < n; ++l) {
    if (Fld::Big::is_zero(row[l])) continue;
    f.mul_big(t[1], y0[l], row[l], t[0]);
    f.add(y, y, t[1]);
  }
}

/// y = b y0: each entry from its row of b and the starting y, so that its
/// error is that of the sum, whatever transforms led to b.
template <class Fld>
void y_from_b(const Fld& f, int n, const std::vector<typename Fld::Big::B>& b, const std::vector<typename Fld::T>& y0,
              std::vector<typename Fld::T>& y, typename Fld::T* t) {
  for (int j = 0; j < n; ++j) row_times_y0(f, n, b.data() + static_cast<std::size_t>(j) * n, y0, y[j], t);
}

/// The LQ step of an update.  Reflections from the right keep each row's
/// errors at the rounding of that row's own norm, so for a field wider than
/// double-double the reflections run in double-double on a copy scaled by a
/// power of two: the copies of H that the lower levels use carry no more,
/// and the norm bound needs a few digits.  (The product C h0 before it, where
/// cancellation is, stays at full precision.)  Entries spread over more than
/// 2^450 keep the reflections at full precision.
template <class Fld>
void lq_reflections(const Fld& f, int n, std::vector<typename Fld::T>& h, std::vector<typename Fld::T>& v,
                    typename Fld::T* t) {
  if constexpr (std::is_same_v<Fld, DDField>) {
    lq_lower(f, n, h, v, t);
  } else {
    int emax = INT_MIN, emin = INT_MAX;
    for (const auto& e : h)
      if (!f.is_zero(e)) {
        emax = std::max(emax, f.exponent(e));
        emin = std::min(emin, f.exponent(e));
      }
    // Entries scaled into [2^-450, 2): their squares stay normal.
    if (emax == INT_MIN || emax - emin > 450) {
      lq_lower(f, n, h, v, t);
      return;
    }
    const int e0 = emax;
    std::vector<DDReal> hd(h.size()), vd(static_cast<std::size_t>(n));
    for (std::size_t k = 0; k < h.size(); ++k) hd[k] = f.to_dd_2exp(h[k], e0);
    DDReal td[4];
    lq_lower(DDField{}, n, hd, vd, td);
    for (std::size_t k = 0; k < h.size(); ++k) f.from_dd_2exp(h[k], hd[k], e0);
  }
}

/// h = LQ(C h0): H from the starting H and C = b^-T, so that its errors
/// are those of one product, whatever transforms led to C.  With the start's
/// form, (C h0)(i,j) = C(i,j) h0(j,j) - u(j) sum_{l>j} C(i,l) y0(l): a suffix
/// sum per row, O(n^2) in all.
template <class Fld>
void h_from_c(const Fld& f, int n, const std::vector<typename Fld::Big::B>& c, const std::vector<typename Fld::T>& h0,
              const std::vector<typename Fld::T>& ucol, const std::vector<typename Fld::T>& y0,
              std::vector<typename Fld::T>& h, std::vector<typename Fld::T>& v, typename Fld::T* t) {
  const int m = n - 1;
  for (int i = 0; i < n; ++i) {
    const auto* ci = c.data() + static_cast<std::size_t>(i) * n;
    typename Fld::T* out = h.data() + static_cast<std::size_t>(i) * m;
    typename Fld::T& suffix = t[2];
    f.set_d(suffix, 0.0);
    for (int j = m - 1; j >= 0; --j) {
      if (!Fld::Big::is_zero(ci[j + 1])) {
        f.mul_big(t[1], y0[j + 1], ci[j + 1], t[0]);
        f.add(suffix, suffix, t[1]);
      }
      f.mul(out[j], ucol[j], suffix);
      f.neg(out[j], out[j]);
      if (!Fld::Big::is_zero(ci[j])) {
        f.mul_big(t[1], h0[static_cast<std::size_t>(j) * m + j], ci[j], t[0]);
        f.add(out[j], out[j], t[1]);
      }
    }
  }
  lq_reflections(f, n, h, v, t);
}

/// The relation test on a row of b (n big integers) whose residual against
/// the starting y0 has log2 |row . y0| = ly: the row passes when that lies
/// log2_eps below its largest term.  spent takes the least of ly less that
/// term; lnorm is log2 of the row's Euclidean norm for a row that passes.
template <class Big>
bool relation_test(const typename Big::B* row, int n, double ly, const std::vector<double>& y0log, double log2_eps,
                   double& spent, double& lnorm) {
  double top = -std::numeric_limits<double>::infinity(), size = top;
  for (int l = 0; l < n; ++l) {
    if (Big::is_zero(row[l])) continue;
    const double lb = Big::log2_abs(row[l]);
    top = std::max(top, lb + y0log[l]);
    size = std::max(size, lb);
  }
  // log2 of sum |b(j,l)| |y0(l)| lies within log2(n) of its largest term.
  spent = std::min(spent, ly - top);
  if (ly - (log2_eps + top) > 0.0) return false;
  double sq = 0.0;  // sum of (b(j,l) / 2^size)^2
  for (int l = 0; l < n; ++l)
    if (!Big::is_zero(row[l])) sq += std::exp2(2.0 * (Big::log2_abs(row[l]) - size));
  lnorm = size + 0.5 * std::log2(sq);
  return true;
}

/// Deep insertions of the final reduction go into this many first rows.
inline constexpr int kDeepRows = 8;

/// Searches on more numbers end without the reduction: its cost grows as
/// n^4 (a second at 100 numbers), and a relation it could add among that
/// many numbers is mostly of the size of the chance ones.
inline constexpr int kMaxReduced = 64;

/// The reduction that ends a search without a sure relation: the rows of b
/// with last coordinates b(j) . round(2^w y0) reduced (reduce.hpp), and the
/// shortest reduced row that passes the relation test, when it is shorter
/// than the one in res (if any): true, res.relation and lnorm set then.
template <class Fld>
bool reduce_and_pick(const Fld& f, int n, const std::vector<typename Fld::Big::B>& b,
                     const std::vector<typename Fld::T>& y0, const std::vector<double>& y0log, const SearchLimits& lim,
                     SearchResult<typename Fld::Big>& res, double& lnorm) {
  using Big = typename Fld::Big;
  if (lim.log2_weight <= 0 || n < 3 || n > kMaxReduced) return false;
  std::vector<typename Big::B> xw(n);
  typename Fld::T t[2] = {f.make(), f.make()};
  for (int l = 0; l < n; ++l) {
    f.mul_2exp(t[0], y0[l], lim.log2_weight);
    if (!f.round_to_integer(t[1], t[0]) || !f.to_big(xw[l], t[1])) return false;
  }
  RelationLattice<Big> lat;
  if (!lat.reset(n, b, xw)) return false;
  const double log2_bound = lim.log10_norm_bound * std::log2(10.0);
  bool found = false;
  typename Fld::T y = f.make();
  // Tests row j of the reduced basis; true when it is a relation below the chance norm.
  const auto consider = [&](int j) {
    const auto* row = lat.row(j);
    if (std::all_of(row, row + n, [](const auto& e) { return Big::is_zero(e); })) return false;
    row_times_y0(f, n, row, y0, y, t);
    double spent = 0.0, ln = 0.0;
    if (!relation_test<Big>(row, n, f.log2_abs(y), y0log, lim.log2_eps, spent, ln)) return false;
    if (ln > log2_bound || ((!res.relation.empty() || found) && !(ln < lnorm))) return false;
    res.relation.assign(row, row + n);
    lnorm = ln;
    found = true;
    return ln < lim.log2_chance_norm;
  };
  const double stop2 = std::isfinite(lim.log2_chance_norm) ? std::exp2(2.0 * lim.log2_chance_norm) : 0.0;
  const auto scan = [&] {
    for (int j = 0; j < n; ++j)
      if (consider(j)) return true;
    return false;
  };
  // LLL first; the deep insertions only when it leaves no sure relation.
  // (When a reduction breaks down its rows are still a basis.)  Each
  // insertion forms the Gram-Schmidt data again: the second pass gets a
  // tenth of the exchanges (about 25 n are used on 30 to 40 numbers).
  const long max_swaps = 200L * n * n;
  if ((lat.reduce(0.99, max_swaps, 0, stop2, consider) && found && lnorm < lim.log2_chance_norm) || scan()) return true;
  if ((lat.reduce(0.99, max_swaps / 10, kDeepRows, stop2, consider) && found && lnorm < lim.log2_chance_norm) ||
      scan())
    return true;
  return found;
}

/// Multi-level search on x (n >= 2 values of the field, every tail x(j..n)
/// of nonzero norm): the lower level is inner (Binary64Inner or DDMiddle).
/// A relation is reported for row j of b once |y(j)| <= eps sum_l |b(j,l)| |y0(l)|,
/// y0 the starting y: the relation then holds to eps against the size of
/// its own terms.
template <class Fld, class Inner>
SearchResult<typename Fld::Big> run_search(const Fld& f, int n, const typename Fld::T* x, const SearchLimits& lim,
                                           Inner& inner) {
  using T = typename Fld::T;
  using Big = typename Fld::Big;
  const int m = n - 1;
  SearchResult<Big> res;
  std::vector<T> y(n, f.make()), h(static_cast<std::size_t>(n) * m, f.make()), tmp(static_cast<std::size_t>(n) * n, f.make()),
      v(n, f.make());
  T t[4] = {f.make(), f.make(), f.make(), f.make()};
  std::vector<T> ucol(n, f.make());
  start_state(f, n, x, y, h, v, ucol, t);
  std::vector<double> y0log(n);
  for (int i = 0; i < n; ++i) y0log[i] = f.log2_abs(y[i]);
  std::vector<T> y0(n, f.make());
  for (int i = 0; i < n; ++i) f.set(y0[i], y[i]);
  // b, and C = b^-T for H.
  std::vector<typename Big::B> b(static_cast<std::size_t>(n) * n), c(static_cast<std::size_t>(n) * n),
      btmp(static_cast<std::size_t>(n) * n);
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < n; ++k) {
      auto& e = b[static_cast<std::size_t>(i) * n + k];
      if (i == k) {
        Big::set_one(e);
        Big::set_one(c[static_cast<std::size_t>(i) * n + k]);
      } else {
        Big::set_zero(e);
        Big::set_zero(c[static_cast<std::size_t>(i) * n + k]);
      }
    }
  const std::vector<T> h0 = h;
  double h0max = -std::numeric_limits<double>::infinity();
  for (const auto& e : h0)
    if (!f.is_zero(e)) h0max = std::max(h0max, f.log2_abs(e));
  IntMatrix A, G;
  const double log2_bound = lim.log10_norm_bound * std::log2(10.0);
  double best_seen = std::numeric_limits<double>::infinity();
  // Every end without a relation below the chance norm goes through the
  // lattice reduction, which may find a shorter one.
  const auto finish = [&](SearchEnd end) {
    if (reduce_and_pick(f, n, b, y0, y0log, lim, res, best_seen) || !res.relation.empty()) end = SearchEnd::relation;
    res.end = end;
    return res;
  };
  for (;;) {
    // The relation test on the full-precision y: |y(j)| against the size of
    // the terms of row j of b.  Of the rows that pass (one run of a lower
    // level may bring several below the threshold), the one of smallest norm
    // is the relation.
    int jrel = -1;
    double best = 0.0, spent = std::numeric_limits<double>::infinity();
    for (int j = 0; j < n; ++j) {
      double lnorm = 0.0;
      if (!relation_test<Big>(b.data() + static_cast<std::size_t>(j) * n, n, f.log2_abs(y[j]), y0log, lim.log2_eps,
                              spent, lnorm))
        continue;
      if (jrel < 0 || lnorm < best) {
        jrel = j;
        best = lnorm;
      }
    }
    const auto take = [&](int j) {
      res.end = SearchEnd::relation;
      res.relation.assign(b.begin() + static_cast<std::ptrdiff_t>(j) * n,
                          b.begin() + static_cast<std::ptrdiff_t>(j + 1) * n);
    };
    if (jrel >= 0 && best < lim.log2_chance_norm) {
      take(jrel);
      return res;
    }
    if (jrel >= 0 && (!res.relation.size() || best < best_seen)) {
      take(jrel);
      best_seen = best;
    }
    double lmax = -std::numeric_limits<double>::infinity();
    for (int j = 0; j < m; ++j) {
      const auto& d = h[static_cast<std::size_t>(j) * m + j];
      if (!f.is_zero(d)) lmax = std::max(lmax, f.log2_abs(d));
    }
    if (!res.relation.empty()) {
      // A relation that may be a chance one is in hand: go on while a smaller
      // one can still turn up and y has digits left.
      // y is spent once it falls 16 bits below the threshold (the numbers
      // carry little more) or to the working precision.
      const double floor = std::max(lim.log2_eps - 16.0, -(f.precision_bits() - 16.0));
      if (-lmax >= best_seen || spent < floor || res.iterations > lim.max_iterations)
        return finish(SearchEnd::relation);
    } else if (-lmax > log2_bound) {
      return finish(SearchEnd::norm_bound);
    } else if (res.iterations > lim.max_iterations) {
      return finish(SearchEnd::iteration_limit);
    }
    // The errors of h: 2^-p n max|C| max|h0|, against its largest entry.
    double cmax = 0.0, hmax = -std::numeric_limits<double>::infinity();
    for (const auto& e : c)
      if (!Big::is_zero(e)) cmax = std::max(cmax, Big::log2_abs(e));
    for (const auto& e : h)
      if (!f.is_zero(e)) hmax = std::max(hmax, static_cast<double>(f.exponent(e)));
    inner.base_noise = std::exp2(cmax + h0max - hmax - f.precision_bits() + std::log2(static_cast<double>(n))) +
                       0x1p-104 * n;  // the reflections in double-double
    const int k = inner.run(f, y, h, A, G);
    if (k > 0) {
      if (!apply_to_b<Big>(A, b, btmp) || !apply_to_b<Big>(G, c, btmp)) {
        res.why = "an entry of the relation matrix left the range of exact integers";
        return finish(SearchEnd::precision_exhausted);
      }
      y_from_b(f, n, b, y0, y, t);
      h_from_c(f, n, c, h0, ucol, y0, h, v, t);
      res.iterations += k;
      ++res.updates;
    } else {
      if (!full_iteration(f, n, y, h, b, c, t, res.why)) return finish(SearchEnd::precision_exhausted);
      ++res.iterations;
      ++res.full_iterations;
    }
  }
}

}  // namespace dd::detail::ml
