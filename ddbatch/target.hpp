// The table of batch routines that each instruction-set target provides, and
// the targets compiled into the library.  Private to the batch routines.
#pragma once

#include <cstddef>

#include "ddreal/kernels.hpp"

/// x86-64 builds carry the AVX2 and AVX-512 targets beside the portable one.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define DD_BATCH_X86 1
#endif

namespace dd::batch::detail {

/// The four arithmetic kernels, in the order of Table's arrays.
enum Op : int { kAdd = 0, kSub = 1, kMul = 2, kDiv = 3, kOps = 4 };

using Unary = void (*)(const DDReal* a, DDReal* r, std::size_t n);
using Binary = void (*)(const DDReal* a, const DDReal* b, DDReal* r, std::size_t n);
using BinaryDD_D = void (*)(const DDReal* a, const double* b, DDReal* r, std::size_t n);
using BinaryD_DD = void (*)(const double* a, const DDReal* b, DDReal* r, std::size_t n);
using TwoResults = void (*)(const DDReal* a, DDReal* r1, DDReal* r2, std::size_t n);
/// The corner rotations of the relation search's iteration (pslq/itermp.cpp)
/// for the pairs ipair[0 .. npairs-1], on h (n x n, column-major).
using PslqCorner = void (*)(DDReal* h, int n, const int* ipair, int npairs);
/// Its reduction of h, writing the multipliers to tmat (n x n) and the
/// number of nonzero ones in column j to nonzero[j - 1], and its update of
/// y (n values); scratch holds dd::detail::itermp_lane_words(n) values
/// (pslq/pslq.hpp).
using PslqReduce = void (*)(DDReal* h, DDReal* tmat, DDReal* y, int n, double* scratch, int* nonzero);

/// Every batch routine of one target.  Each writes r[i] (and r2[i]) for i
/// from 0 to n - 1, bit for bit the scalar routine's result for element i;
/// an element that the scalar routine refuses stops (or throws) through the
/// scalar routine, after every element before it has been written.
struct Table {
  const char* name;
  Binary dd_dd[kOps];      ///< a op b
  BinaryDD_D dd_d[kOps];   ///< a op (d, 0); a * d is DDMULD, a / d is DDDIVD
  BinaryD_DD d_dd[kOps];   ///< (d, 0) op b; d * b is DDMULD(b, d)
  Unary sqrt;
  Unary exp;
  Unary log;
  Binary pow;              ///< dd::pow(a, b)
  TwoResults cos_sin;      ///< DDCSSNR
  Binary atan2;            ///< dd::atan2(y, x) = DDANG(x, y)
  TwoResults cosh_sinh;    ///< DDCOSHSINH
  Unary erf;               ///< DDERFR
  Unary gamma;             ///< DDGAMMAR
  PslqCorner pslq_corner;  ///< null: itermp's own loops
  PslqReduce pslq_reduce;  ///< null: itermp's own loops
};

/// The table of the target in use.
const Table& active_table() noexcept;

/// The plain loops over the scalar routines (every machine).
const Table& scalar_table() noexcept;
/// Four lanes in portable vector code (every machine; SSE2 on x86-64).
const Table& generic_table() noexcept;
#if defined(DD_BATCH_X86)
/// Four lanes of AVX2, eight of AVX-512 (F and DQ); compiled without FMA.
const Table& avx2_table() noexcept;
const Table& avx512_table() noexcept;
/// The relation search's corner rotations and reduction for the AVX-512
/// target: four lanes compiled for AVX-512 where the CPU has VL as well, the
/// AVX2 table's else.
PslqCorner avx512_pslq_corner() noexcept;
PslqReduce avx512_pslq_reduce() noexcept;
#endif

}  // namespace dd::batch::detail
