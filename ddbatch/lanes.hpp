// Double-double arithmetic in SIMD lanes: the kernels of ddreal/kernels.hpp
// written once over a vector of W binary64 lanes, operation for operation, so
// that each lane's words are exactly those of the scalar kernel on that
// lane's operands.  IEEE vector operations round each lane as the scalar
// operation does; this header is compiled with -ffp-contract=off and without
// FMA, like the rest of the package, so no product is fused into a sum.
//
// Private to the batch routines.  Each translation unit that includes it
// defines DD_LANES (the lane count, 4 or 8) and DD_LANES_NS (a namespace name
// of its own), so that code compiled for different instruction sets never
// shares a symbol: the linker cannot pick an AVX-512 copy of a function for
// a caller that runs on a CPU without it.
#pragma once

#if !defined(DD_LANES) || !defined(DD_LANES_NS)
#error "define DD_LANES and DD_LANES_NS before including ddbatch/lanes.hpp"
#endif

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__AVX512F__) || defined(__AVX__)
#include <immintrin.h>
#endif

#include "ddreal/kernels.hpp"

namespace dd::batch::detail::DD_LANES_NS {

inline constexpr int W = DD_LANES;
static_assert(W == 4 || W == 8, "4 or 8 lanes");

/// W binary64 lanes, and W 64-bit integer lanes (masks: all ones or zero).
typedef double Vd __attribute__((vector_size(8 * W)));
typedef std::int64_t Vi __attribute__((vector_size(8 * W)));

/// A double-double number in every lane: hi and lo words as two vectors.
struct DD {
  Vd hi, lo;
};

inline Vd splat(double x) noexcept {
  // A broadcast (-0 stays -0), written out so that it compiles to one.
#if DD_LANES == 4
  return Vd{x, x, x, x};
#else
  return Vd{x, x, x, x, x, x, x, x};
#endif
}
inline DD splat(const DDReal& a) noexcept { return {splat(a.hi), splat(a.lo)}; }

inline Vi mask_true() noexcept { return Vi{} - 1; }
/// The lanes' sign bits, lane i in bit i (masks are all ones or zero).
inline unsigned signs(Vi m) noexcept {
#if DD_LANES == 8 && defined(__AVX512DQ__)
  return _mm512_movepi64_mask((__m512i)m);
#elif DD_LANES == 4 && defined(__AVX__)
  return static_cast<unsigned>(_mm256_movemask_pd((__m256d)m));
#else
  std::int64_t t[W];
  std::memcpy(t, &m, sizeof m);
  unsigned r = 0;
  for (int i = 0; i < W; ++i) r |= (t[i] < 0 ? 1u : 0u) << i;
  return r;
#endif
}
inline bool any(Vi m) noexcept { return signs(m) != 0; }
inline bool all(Vi m) noexcept { return signs(m) == (1u << W) - 1; }
inline bool lane(Vi m, int i) noexcept {
  std::int64_t t[W];
  std::memcpy(t, &m, sizeof m);
  return t[i] != 0;
}

// Comparisons give integer masks; the casts only relabel the lanes' bits.
inline Vi lt(Vd a, Vd b) noexcept { return (Vi)(a < b); }
inline Vi le(Vd a, Vd b) noexcept { return (Vi)(a <= b); }
inline Vi eq(Vd a, Vd b) noexcept { return (Vi)(a == b); }
inline Vi ne(Vd a, Vd b) noexcept { return (Vi)(a != b); }

/// m ? a : b, lane by lane (bit selection: no arithmetic on the words).
inline Vd sel(Vi m, Vd a, Vd b) noexcept { return (Vd)(((Vi)a & m) | ((Vi)b & ~m)); }
inline DD sel(Vi m, const DD& a, const DD& b) noexcept { return {sel(m, a.hi, b.hi), sel(m, a.lo, b.lo)}; }

/// |a| by clearing the sign bit, as std::fabs does.
inline Vd vabs(Vd a) noexcept { return (Vd)((Vi)a & (Vi{} + INT64_MAX)); }

/// The correctly rounded square root of each lane.
inline Vd vsqrt(Vd x) noexcept {
#if DD_LANES == 8 && defined(__AVX512F__)
  return (Vd)_mm512_mask_sqrt_pd((__m512d)x, 0xFF, (__m512d)x);  // every lane
#elif DD_LANES == 4 && defined(__AVX__)
  return (Vd)_mm256_sqrt_pd((__m256d)x);
#else
  double t[W];
  std::memcpy(t, &x, sizeof x);
  for (int i = 0; i < W; ++i) t[i] = __builtin_sqrt(t[i]);
  std::memcpy(&x, t, sizeof x);
  return x;
#endif
}

/// Applies the binary64 function f to each lane (the libm starting values:
/// the same call as in the scalar routine, so the same bits).
template <class F>
inline Vd per_lane(Vd x, F f) {
  double t[W];
  std::memcpy(t, &x, sizeof x);
#if defined(__AVX__)
  _mm256_zeroupper();  // the library's code may be legacy SSE, which waits on dirty upper halves
#endif
  for (int i = 0; i < W; ++i) t[i] = f(t[i]);
  std::memcpy(&x, t, sizeof x);
  return x;
}

/// Clears the upper halves of the vector registers before returning to
/// code compiled for the baseline: legacy SSE instructions that run while
/// they are dirty wait on them, and would slow every later scalar routine.
struct LeaveClean {
  ~LeaveClean() {
#if defined(__AVX__)
    _mm256_zeroupper();
#endif
  }
};

/// Runs f, a call into code compiled for the baseline, with clean registers.
template <class F>
inline void call_scalar(F f) {
#if defined(__AVX__)
  _mm256_zeroupper();
#endif
  f();
}

// ---- loading and storing: DDReal arrays hold hi, lo, hi, lo, ... --------------

inline DD load(const DDReal* p) noexcept {
  Vd a, b;
  std::memcpy(&a, p, sizeof a);
  std::memcpy(&b, reinterpret_cast<const char*>(p) + sizeof a, sizeof b);
#if DD_LANES == 4
  return {__builtin_shufflevector(a, b, 0, 2, 4, 6), __builtin_shufflevector(a, b, 1, 3, 5, 7)};
#else
  return {__builtin_shufflevector(a, b, 0, 2, 4, 6, 8, 10, 12, 14),
          __builtin_shufflevector(a, b, 1, 3, 5, 7, 9, 11, 13, 15)};
#endif
}

/// The words of x interleaved as a DDReal array holds them: two vectors.
inline void interleave(const DD& x, Vd& a, Vd& b) noexcept {
#if DD_LANES == 4
  a = __builtin_shufflevector(x.hi, x.lo, 0, 4, 1, 5);
  b = __builtin_shufflevector(x.hi, x.lo, 2, 6, 3, 7);
#else
  a = __builtin_shufflevector(x.hi, x.lo, 0, 8, 1, 9, 2, 10, 3, 11);
  b = __builtin_shufflevector(x.hi, x.lo, 4, 12, 5, 13, 6, 14, 7, 15);
#endif
}

inline void store(DDReal* p, const DD& x) noexcept {
  Vd a, b;
  interleave(x, a, b);
  std::memcpy(p, &a, sizeof a);
  std::memcpy(reinterpret_cast<char*>(p) + sizeof a, &b, sizeof b);
}

inline Vd load(const double* p) noexcept {
  Vd a;
  std::memcpy(&a, p, sizeof a);
  return a;
}

inline void store(double* p, Vd a) noexcept { std::memcpy(p, &a, sizeof a); }

/// Lane i's words as a DDReal.
inline DDReal get(const DD& x, int i) noexcept {
  double h[W], l[W];
  std::memcpy(h, &x.hi, sizeof h);
  std::memcpy(l, &x.lo, sizeof l);
  return DDReal(h[i], l[i]);
}

// Values at a fixed step in memory, moved without passing through a buffer:
// a buffer written value by value and read back as one vector waits for
// every earlier instruction to retire (the store cannot be forwarded), which
// would serialise loops that are otherwise free to overlap.

/// The first count lanes set (count from 0 to W).
inline Vi first_lanes(int count) noexcept {
  Vi iota;
  for (int i = 0; i < W; ++i) iota[i] = i;
  return iota < (Vi{} + count);
}

/// p[0], p[step], ..., p[(count - 1) step] in the first count lanes, pad in
/// the others.
inline DD gather(const DDReal* p, std::ptrdiff_t step, int count, const DDReal& pad) noexcept {
#if DD_LANES == 8 && defined(__AVX512F__)
  const double* w = &p->hi;
  const long long s = 2 * step;
  const __m512i idx = _mm512_set_epi64(7 * s, 6 * s, 5 * s, 4 * s, 3 * s, 2 * s, s, 0);
  const __mmask8 m = static_cast<__mmask8>((1u << count) - 1);
  return {(Vd)_mm512_mask_i64gather_pd(_mm512_set1_pd(pad.hi), m, idx, w, 8),
          (Vd)_mm512_mask_i64gather_pd(_mm512_set1_pd(pad.lo), m, idx, w + 1, 8)};
#elif DD_LANES == 4 && defined(__AVX2__)
  const double* w = &p->hi;
  const long long s = 2 * step;
  const __m256i idx = _mm256_set_epi64x(3 * s, 2 * s, s, 0);
  const __m256d m = (__m256d)first_lanes(count);
  return {(Vd)_mm256_mask_i64gather_pd(_mm256_set1_pd(pad.hi), w, idx, m, 8),
          (Vd)_mm256_mask_i64gather_pd(_mm256_set1_pd(pad.lo), w + 1, idx, m, 8)};
#else
  DDReal v[W];
  for (int k = 0; k < W; ++k) v[k] = k < count ? p[k * step] : pad;
  return load(v);
#endif
}

/// p[0 .. count-1] in the first count lanes, pad in the others, by masked
/// loads of the consecutive words (nothing is read beyond p[count - 1]).
inline DD load_first(const DDReal* p, int count, const DDReal& pad) noexcept {
#if (DD_LANES == 8 && defined(__AVX512F__)) || (DD_LANES == 4 && defined(__AVX__))
  Vd a, b;
  interleave(DD{splat(pad.hi), splat(pad.lo)}, a, b);
  const double* w = &p->hi;
#if DD_LANES == 8
  const unsigned bits = (1u << (2 * count)) - 1;
  a = (Vd)_mm512_mask_loadu_pd((__m512d)a, static_cast<__mmask8>(bits), w);
  b = (Vd)_mm512_mask_loadu_pd((__m512d)b, static_cast<__mmask8>(bits >> 8), w + 8);
  return {__builtin_shufflevector(a, b, 0, 2, 4, 6, 8, 10, 12, 14),
          __builtin_shufflevector(a, b, 1, 3, 5, 7, 9, 11, 13, 15)};
#elif defined(__AVX512VL__)
  // Through a mask register: cheaper than the vector-masked form on CPUs
  // that microcode it (the masked-off words are not touched either way).
  const unsigned bits = (1u << (2 * count)) - 1;
  a = (Vd)_mm256_mask_loadu_pd((__m256d)a, static_cast<__mmask8>(bits & 15u), w);
  b = (Vd)_mm256_mask_loadu_pd((__m256d)b, static_cast<__mmask8>(bits >> 4), w + 4);
  return {__builtin_shufflevector(a, b, 0, 2, 4, 6), __builtin_shufflevector(a, b, 1, 3, 5, 7)};
#else
  Vi iota;
  for (int i = 0; i < W; ++i) iota[i] = i;
  const Vi ma = iota < (Vi{} + 2 * count), mb = (iota + W) < (Vi{} + 2 * count);
  a = sel(ma, (Vd)_mm256_maskload_pd(w, (__m256i)ma), a);
  b = sel(mb, (Vd)_mm256_maskload_pd(w + 4, (__m256i)mb), b);
  return {__builtin_shufflevector(a, b, 0, 2, 4, 6), __builtin_shufflevector(a, b, 1, 3, 5, 7)};
#endif
#else
  return gather(p, 1, count, pad);
#endif
}

/// p[k step] = lane k of x for k < count.
inline void scatter(DDReal* p, std::ptrdiff_t step, int count, const DD& x) noexcept {
#if defined(__AVX__)
  // Each lane's two words joined in a 128-bit half, stored whole.
  const auto put = [&](int k, __m128d v) {
    if (k < count) _mm_storeu_pd(&p[k * step].hi, v);
  };
  const auto quarter = [&](int k, __m128d h, __m128d l) {
    put(k, _mm_unpacklo_pd(h, l));
    put(k + 1, _mm_unpackhi_pd(h, l));
  };
#if DD_LANES == 8
  const __m512d h = (__m512d)x.hi, l = (__m512d)x.lo;
  quarter(0, _mm512_extractf64x2_pd(h, 0), _mm512_extractf64x2_pd(l, 0));
  quarter(2, _mm512_extractf64x2_pd(h, 1), _mm512_extractf64x2_pd(l, 1));
  quarter(4, _mm512_extractf64x2_pd(h, 2), _mm512_extractf64x2_pd(l, 2));
  quarter(6, _mm512_extractf64x2_pd(h, 3), _mm512_extractf64x2_pd(l, 3));
#else
  const __m256d h = (__m256d)x.hi, l = (__m256d)x.lo;
  quarter(0, _mm256_castpd256_pd128(h), _mm256_castpd256_pd128(l));
  quarter(2, _mm256_extractf128_pd(h, 1), _mm256_extractf128_pd(l, 1));
#endif
#else
  for (int k = 0; k < count; ++k) p[k * step] = get(x, k);
#endif
}


/// p[k] = lane k of x for k < count, by masked stores of the consecutive words.
inline void store_first(DDReal* p, int count, const DD& x) noexcept {
#if (DD_LANES == 8 && defined(__AVX512F__)) || (DD_LANES == 4 && defined(__AVX__))
  Vd a, b;
  interleave(x, a, b);
  double* w = &p->hi;
#if DD_LANES == 8
  const unsigned bits = (1u << (2 * count)) - 1;
  _mm512_mask_storeu_pd(w, static_cast<__mmask8>(bits), (__m512d)a);
  _mm512_mask_storeu_pd(w + 8, static_cast<__mmask8>(bits >> 8), (__m512d)b);
#elif defined(__AVX512VL__)
  const unsigned bits = (1u << (2 * count)) - 1;
  _mm256_mask_storeu_pd(w, static_cast<__mmask8>(bits & 15u), (__m256d)a);
  _mm256_mask_storeu_pd(w + 4, static_cast<__mmask8>(bits >> 4), (__m256d)b);
#else
  Vi iota;
  for (int i = 0; i < W; ++i) iota[i] = i;
  _mm256_maskstore_pd(w, (__m256i)(iota < (Vi{} + 2 * count)), (__m256d)a);
  _mm256_maskstore_pd(w + 4, (__m256i)((iota + W) < (Vi{} + 2 * count)), (__m256d)b);
#endif
#else
  scatter(p, 1, count, x);
#endif
}

// ---- the four primitives and the kernels, as in ddreal/kernels.hpp -------------

inline void split(Vd x, Vd& xh, Vd& xl) noexcept {
  const Vd t = dd::detail::kSplitter * x;
  xh = t - (t - x);
  xl = x - xh;
}

inline Vd prod_err(Vd x, Vd y, Vd p) noexcept {
  Vd xh, xl, yh, yl;
  split(x, xh, xl);
  split(y, yh, yl);
  return (((xh * yh - p) + xh * yl) + xl * yh) + xl * yl;
}

inline Vd two_sum_err(Vd u, Vd v, Vd s) noexcept {
  const Vd w = s - u;
  return (u - (s - w)) + (v - w);
}

inline DD quick_two_sum(Vd s, Vd e) noexcept {
  const Vd h = s + e;
  return {h, e - (h - s)};
}

/// DDNEG: both sign bits flipped.
inline DD neg(const DD& a) noexcept { return {-a.hi, -a.lo}; }

/// DDADD.
inline DD add(const DD& a, const DD& b) noexcept {
  const Vd s = a.hi + b.hi;
  Vd e = two_sum_err(a.hi, b.hi, s);
  e = e + a.lo;
  e = e + b.lo;
  return quick_two_sum(s, e);
}

/// DDSUB.
inline DD sub(const DD& a, const DD& b) noexcept {
  const Vd s = a.hi - b.hi;
  const Vd w = s - a.hi;
  Vd e = (a.hi - (s - w)) + (-b.hi - w);
  e = e + a.lo;
  e = e - b.lo;
  return quick_two_sum(s, e);
}

/// DDMUL.
inline DD mul(const DD& a, const DD& b) noexcept {
  const Vd p = a.hi * b.hi;
  const Vd q = a.hi * b.lo + b.hi * a.lo;
  const Vd s = p + q;
  Vd e = prod_err(a.hi, b.hi, p) + two_sum_err(p, q, s);
  e = e + a.lo * b.lo;
  return quick_two_sum(s, e);
}

/// DDMULD.
inline DD muld(const DD& a, Vd d) noexcept {
  const Vd p = a.hi * d;
  const Vd q = a.lo * d;
  const Vd s = p + q;
  const Vd e = prod_err(a.hi, d, p) + two_sum_err(p, q, s);
  return quick_two_sum(s, e);
}

/// DDMULDD (not renormalised).
inline DD muldd(Vd x, Vd y) noexcept {
  const Vd p = x * y;
  return {p, prod_err(x, y, p)};
}

/// DDDIV.
inline DD div(const DD& a, const DD& b) noexcept {
  const Vd q1 = a.hi / b.hi;
  const Vd p = b.hi * q1;
  const Vd q = b.lo * q1;
  const Vd s = p + q;
  const Vd e = prod_err(q1, b.hi, p) + two_sum_err(p, q, s);
  const DD rem = sub(a, quick_two_sum(s, e));
  const Vd q2 = rem.hi / b.hi;
  return quick_two_sum(q1, q2);
}

/// DDDIVD.
inline DD divd(const DD& a, Vd d) noexcept {
  const Vd q1 = a.hi / d;
  const DD rem = sub(a, muldd(q1, d));
  const Vd q2 = rem.hi / d;
  return quick_two_sum(q1, q2);
}

/// DDSQRT: (0, 0) where the hi word is zero.
inline DD sqrt(const DD& a) noexcept {
  const Vd g = 1.0 / vsqrt(a.hi);
  const Vd s = a.hi * g;
  const DD rem = sub(a, muldd(s, s));
  const Vd t = (rem.hi * 0.5) * g;
  const DD r = add(DD{s, Vd{}}, DD{t, Vd{}});
  return sel(eq(a.hi, Vd{}), DD{Vd{}, Vd{}}, r);
}

}  // namespace dd::batch::detail::DD_LANES_NS
