// The relation search's machinery, shared by its sources and not installed:
// matrix views over caller storage, the iteration's work arrays, and the
// predicates of its fast paths (updates that cannot change a bit are skipped).
#pragma once

#include <cmath>
#include <cstddef>

#include "pslq/pslq.hpp"

namespace dd {

namespace detail {

/// A column-major matrix over caller storage, with 1-based indices.
template <class T>
struct ColMajor {
  T* p;
  int ld;
  T& operator()(int i, int j) const noexcept {
    return p[(i - 1) + static_cast<std::ptrdiff_t>(j - 1) * ld];
  }
};

/// A vector over caller storage, with 1-based indices.
template <class T>
struct OneBased {
  T* p;
  T& operator[](int i) const noexcept { return p[i - 1]; }
};

/// sortidx, returning the largest number of ranges its stack held.
int sortidx_depth(int m, const DDReal* a, int* ip);

/// Work arrays of itermp for dimension n: gpow(1..n-1) = gamma^i as filled
/// by gamma_powers; rwork for qkey(n) and tmat(n x n); iwork for iperm,
/// iused, ipair and two counts of nonzero multipliers (5n integers).
/// PSLQM1 keeps one for the whole search, and with it two facts about b and
/// h that itermp keeps up to date as it writes them (-1: not yet known):
/// every entry of b is a small_integer_entry (b_keeps), a short_integer_entry
/// (b_short); every entry of h (n x (n-1)) passes gives_zero_product.
/// lanes (itermp_lane_words(n) values) is the scratch area of the steps
/// done in SIMD lanes (ddbatch/lanes_pslq.hpp).
struct ItermpWork {
  const DDReal* gpow;
  DDReal* rwork;
  int* iwork;
  double* lanes;
  int b_keeps = -1;
  int b_short = -1;
  int h_gives_zero = -1;
};
inline std::size_t itermp_real_words(int n) { return static_cast<std::size_t>(n) * (n + 1); }
/// The steps in lanes keep the high and low words of h and tmat diagonal by
/// diagonal, and those of y, each padded to n + kLanePad entries (two groups
/// of up to 8 lanes).
inline constexpr int kLanePad = 16;
inline std::size_t itermp_lane_words(int n) {
  return (4 * static_cast<std::size_t>(n) + 2) * static_cast<std::size_t>(n + kLanePad);
}
inline std::size_t itermp_int_words(int n) { return 5 * static_cast<std::size_t>(n); }

/// gpow(i) = pow(gamma, i), i = 1..n-1, gamma = sqrt(4/3): the weights of the selection keys.
void gamma_powers(int n, DDReal* gpow);

// Most reduction multipliers are zero once h is nearly reduced, and a zero
// multiplier changes nothing: with the kernels, 0 * v (DDMUL) is (+0, +0)
// whenever |v.hi| < 1e300 (below the splitting limit) and v.lo is finite, and
// x + (+0, +0) and x - (+0, +0) (DDADD, DDSUB) give back x bit for bit exactly
// when fl(x.hi + x.lo) has the bits of x.hi and is finite and x.lo is not -0.
// Where both hold the update is skipped; elsewhere it is carried out, so the
// results are those of the full sequence in every case.

/// x + (+0, +0) and x - (+0, +0) are x, bit for bit.
inline bool absorbs_zero(const DDReal& x) noexcept {
  const double s = x.hi + x.lo;
  return (std::bit_cast<std::uint64_t>(s) == std::bit_cast<std::uint64_t>(x.hi)) & (std::fabs(s) <= DBL_MAX) &
         (std::bit_cast<std::uint64_t>(x.lo) != 0x8000000000000000u);
}
/// (0, 0) * v is (+0, +0), whatever the signs of the zeros.
inline bool gives_zero_product(const DDReal& v) noexcept {
  return (std::fabs(v.hi) < 1e300) & (std::fabs(v.lo) <= DBL_MAX);
}
/// Both words zero.
inline bool is_zero(const DDReal& t) noexcept { return (t.hi == 0.0) & (t.lo == 0.0); }
/// x + t * v and x - t * v are x, bit for bit, when t is zero.
inline bool zero_term_keeps(const DDReal& x, const DDReal& v) noexcept {
  return absorbs_zero(x) & gives_zero_product(v);
}

/// An entry of b as the search keeps it: an integer below 2^53 in the high
/// word, a +0 low word and no -0 high word.  Such an entry passes both
/// absorbs_zero and gives_zero_product, and is cheaper to recognise.
inline bool small_integer_entry(const DDReal& v) noexcept {
  return (std::bit_cast<std::uint64_t>(v.lo) == 0) & (std::fabs(v.hi) < 0x1p53) &
         (std::bit_cast<std::uint64_t>(v.hi) != 0x8000000000000000u);
}

/// An integer below 2^26 in the high word (no -0) with a +0 low word.
inline bool short_integer_entry(const DDReal& v) noexcept {
  constexpr double kRound = 0x1.8p52;  // adding and removing it rounds to an integer
  return (std::bit_cast<std::uint64_t>(v.lo) == 0) & (std::fabs(v.hi) < 0x1p26) &
         ((v.hi + kRound) - kRound == v.hi) & (std::bit_cast<std::uint64_t>(v.hi) != 0x8000000000000000u);
}

/// x + t * v for short integer entries x, t and v, bit for bit as DDMUL and
/// DDADD form it: the product t.hi v.hi is exact and below 2^52, so DDMUL
/// gives (p, +0) with p + 0.0 in place of a -0 product, and the sum below 2^53
/// is exact, so DDADD gives (x.hi + p, +0).
inline DDReal short_integer_update(const DDReal& x, const DDReal& t, const DDReal& v) noexcept {
  const double p = t.hi * v.hi + 0.0;
  return DDReal(x.hi + p, 0.0);
}

/// True when nearest_integer(a / b) is known to be (+0, +0) without dividing
/// (rounded_quotient in itermp.cpp gives the bounds).
inline bool quotient_rounds_to_zero(const DDReal& a, const DDReal& b) noexcept {
  const double ah = std::fabs(a.hi);
  const double bh = std::fabs(b.hi);
  return (ah <= (0.5 - 0x1p-38) * bh) & (std::fabs(a.lo) <= 0x1p-50 * ah) & (std::fabs(b.lo) <= 0x1p-50 * bh) &
         (bh >= 0x1p-960) & (bh < 1e300);
}

/// nearest_integer(a / b) for a quotient that quotient_rounds_to_zero could not settle.
DDReal rounded_quotient(const DDReal& a, const DDReal& b);

/// nearest_integer(a / b), bit for bit, skipping the work where the result is known to be zero.
inline DDReal reduction_multiplier(const DDReal& a, const DDReal& b) {
  return quotient_rounds_to_zero(a, b) ? DDReal(0.0, 0.0) : rounded_quotient(a, b);
}

/// itermp with caller-provided work arrays; same results as itermp.
void itermp(int idebug, int iter, int n, int nsave, const DDReal& eps, DDReal* b, DDReal* h, DDReal* ysave,
            DDReal* y, int& dupflag, int& istatus, ItermpWork& work);

}  // namespace detail

}  // namespace dd
