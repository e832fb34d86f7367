// The scalar routines behind the batch routines, and the target that runs
// them in a plain loop (DD_SIMD=scalar).
#include "ddbatch/scalar.hpp"

#include <cstddef>

#include "ddbatch/target.hpp"
#include "ddelem/ddelem.hpp"
#include "ddspecial/ddspecial.hpp"
#include "ddtyped/elementary.hpp"
#include "ddtyped/real.hpp"

namespace dd::batch::detail {

namespace scalar {
void exp(const DDReal& a, DDReal& r) { DDEXP(a, r); }
void log(const DDReal& a, DDReal& r) { DDLOG(a, r); }
void pow(const DDReal& a, const DDReal& b, DDReal& r) { r = dd::pow(a, b); }
void cos_sin(const DDReal& a, DDReal& c, DDReal& s) { DDCSSNR(a, c, s); }
void atan2(const DDReal& y, const DDReal& x, DDReal& r) { r = dd::atan2(y, x); }
void cosh_sinh(const DDReal& a, DDReal& c, DDReal& s) { DDCOSHSINH(a, c, s); }
void erf(const DDReal& a, DDReal& r) { DDERFR(a, r); }
void gamma(const DDReal& a, DDReal& r) { DDGAMMAR(a, r); }
}  // namespace scalar

namespace {

template <class F>
void each(std::size_t n, F f) {
  for (std::size_t i = 0; i < n; ++i) f(i);
}

inline DDReal apply(int op, const DDReal& a, const DDReal& b) noexcept {
  DDReal r;
  switch (op) {
    case kAdd: DDADD(a, b, r); break;
    case kSub: DDSUB(a, b, r); break;
    case kMul: DDMUL(a, b, r); break;
    default: DDDIV(a, b, r); break;
  }
  return r;
}

template <int op>
void dd_dd(const DDReal* a, const DDReal* b, DDReal* r, std::size_t n) {
  each(n, [&](std::size_t i) { r[i] = apply(op, a[i], b[i]); });
}

template <int op>
void dd_d(const DDReal* a, const double* b, DDReal* r, std::size_t n) {
  each(n, [&](std::size_t i) {
    DDReal z;
    if constexpr (op == kMul) {
      DDMULD(a[i], b[i], z);
    } else if constexpr (op == kDiv) {
      DDDIVD(a[i], b[i], z);
    } else {
      z = apply(op, a[i], DDReal(b[i], 0.0));
    }
    r[i] = z;
  });
}

template <int op>
void d_dd(const double* a, const DDReal* b, DDReal* r, std::size_t n) {
  each(n, [&](std::size_t i) {
    DDReal z;
    if constexpr (op == kMul) {
      DDMULD(b[i], a[i], z);
    } else {
      z = apply(op, DDReal(a[i], 0.0), b[i]);
    }
    r[i] = z;
  });
}

template <void (*f)(const DDReal&, DDReal&)>
void unary(const DDReal* a, DDReal* r, std::size_t n) {
  each(n, [&](std::size_t i) { f(a[i], r[i]); });
}

template <void (*f)(const DDReal&, const DDReal&, DDReal&)>
void binary(const DDReal* a, const DDReal* b, DDReal* r, std::size_t n) {
  each(n, [&](std::size_t i) { f(a[i], b[i], r[i]); });
}

template <void (*f)(const DDReal&, DDReal&, DDReal&)>
void two_results(const DDReal* a, DDReal* r1, DDReal* r2, std::size_t n) {
  each(n, [&](std::size_t i) {
    DDReal x, y;
    f(a[i], x, y);
    r1[i] = x;
    r2[i] = y;
  });
}

void sqrt_one(const DDReal& a, DDReal& r) { DDSQRT(a, r); }

}  // namespace

const Table& scalar_table() noexcept {
  static const Table t = {
      "scalar",
      {dd_dd<kAdd>, dd_dd<kSub>, dd_dd<kMul>, dd_dd<kDiv>},
      {dd_d<kAdd>, dd_d<kSub>, dd_d<kMul>, dd_d<kDiv>},
      {d_dd<kAdd>, d_dd<kSub>, d_dd<kMul>, d_dd<kDiv>},
      unary<sqrt_one>,
      unary<scalar::exp>,
      unary<scalar::log>,
      binary<scalar::pow>,
      two_results<scalar::cos_sin>,
      binary<scalar::atan2>,
      two_results<scalar::cosh_sinh>,
      unary<scalar::erf>,
      unary<scalar::gamma>,
      nullptr,
      nullptr,
  };
  return t;
}

}  // namespace dd::batch::detail
