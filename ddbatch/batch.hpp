// Batch routines: a kernel or a function applied to every element of a span,
// several elements at once in SIMD lanes.
//
//   std::vector<dd::DDReal> x = ..., y(x.size());
//   dd::batch::exp(x, y);                  // y[i] = dd::exp(x[i])
//   dd::batch::mul(x, y, y);               // y[i] = x[i] * y[i]
//
// Each element's result is bit for bit the scalar routine's for that element
// (named beside each entry), whatever the length, alignment or position in
// the span.  Elements that take a rare branch of the scalar routine (zero,
// range ends, NaN) are handed to that routine; an element the scalar routine
// refuses stops, or throws from the installed stop handler, after every
// element before it has been written and before any element after it is.
//
// An output span has the length of the input spans (otherwise the call stops
// with a message) and may be the same storage as one of them; other overlaps
// are not allowed, nor may the two outputs of cos_sin and cosh_sinh overlap.
//
// The lanes are those of the widest instruction set that the CPU offers,
// chosen at the first call: AVX-512 (8 lanes), AVX2 (4), or portable vector
// code (4 lanes, on every machine).  The environment variable DD_SIMD
// (scalar, generic, avx2 or avx512) or use() forces one; "scalar" runs the
// plain loop over the scalar routines.  No target uses fused multiply-add.
#pragma once

#include <span>

#include "ddreal/kernels.hpp"

namespace dd::batch {

/// The instruction-set targets of the batch routines.
enum class target { scalar, generic, avx2, avx512 };

/// True when t can run on this CPU (scalar and generic always can).
bool available(target t) noexcept;
/// The target in use.
target active() noexcept;
/// Makes t the target of every later call (all threads); false, leaving the
/// choice as it was, when t cannot run here.
bool use(target t) noexcept;
/// "scalar", "generic", "avx2" or "avx512".
const char* name(target t) noexcept;

// ---- kernels: r[i] = a[i] op b[i] ------------------------------------------------

void add(std::span<const DDReal> a, std::span<const DDReal> b, std::span<DDReal> r);  ///< DDADD
void sub(std::span<const DDReal> a, std::span<const DDReal> b, std::span<DDReal> r);  ///< DDSUB
void mul(std::span<const DDReal> a, std::span<const DDReal> b, std::span<DDReal> r);  ///< DDMUL
void div(std::span<const DDReal> a, std::span<const DDReal> b, std::span<DDReal> r);  ///< DDDIV

/// With a binary64 operand, as the typed operators: a + d is DDADD(a, (d, 0)),
/// a * d and d * a are DDMULD(a, d), a / d is DDDIVD, d / b is DDDIV((d, 0), b).
void add(std::span<const DDReal> a, std::span<const double> d, std::span<DDReal> r);
void add(std::span<const double> d, std::span<const DDReal> b, std::span<DDReal> r);
void sub(std::span<const DDReal> a, std::span<const double> d, std::span<DDReal> r);
void sub(std::span<const double> d, std::span<const DDReal> b, std::span<DDReal> r);
void mul(std::span<const DDReal> a, std::span<const double> d, std::span<DDReal> r);
void mul(std::span<const double> d, std::span<const DDReal> b, std::span<DDReal> r);
void div(std::span<const DDReal> a, std::span<const double> d, std::span<DDReal> r);
void div(std::span<const double> d, std::span<const DDReal> b, std::span<DDReal> r);

/// r[i] = sqrt(a[i]) (DDSQRT).
void sqrt(std::span<const DDReal> a, std::span<DDReal> r);

// ---- functions --------------------------------------------------------------------

void exp(std::span<const DDReal> a, std::span<DDReal> r);                             ///< DDEXP
void log(std::span<const DDReal> a, std::span<DDReal> r);                             ///< DDLOG
void pow(std::span<const DDReal> a, std::span<const DDReal> b, std::span<DDReal> r);  ///< dd::pow(a, b)
/// c[i] = cos a[i], s[i] = sin a[i] (DDCSSNR).
void cos_sin(std::span<const DDReal> a, std::span<DDReal> c, std::span<DDReal> s);
/// r[i] = dd::atan2(y[i], x[i]), the angle of the point (x[i], y[i]) (DDANG).
void atan2(std::span<const DDReal> y, std::span<const DDReal> x, std::span<DDReal> r);
/// c[i] = cosh a[i], s[i] = sinh a[i] (DDCOSHSINH).
void cosh_sinh(std::span<const DDReal> a, std::span<DDReal> c, std::span<DDReal> s);
void erf(std::span<const DDReal> a, std::span<DDReal> r);       ///< DDERFR
void gamma_fn(std::span<const DDReal> a, std::span<DDReal> r);  ///< DDGAMMAR

}  // namespace dd::batch
