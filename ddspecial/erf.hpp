// Error function erf and complementary error function erfc of a DDReal.
//
//   |z| < 9   the convergent series erf z = (2 / (sqrt(pi) e^{z^2}))
//             sum_k 2^k z^(2k+1) / (1*3*...*(2k+1)), all terms of one sign;
//   z = 9     and erfc beyond: the asymptotic series
//             erfc z = (1 / (sqrt(pi) e^{z^2})) sum_k (-1)^k 1*3*...*(2k-1) / (z (2z^2)^k);
//   z > 9     erf z = 1 (erfc 9 < 4.2e-37, below 2^-106), erf(-z) = -1, erfc(-z) = 2;
//   erfc      for 1 < z < 9, where 1 - erf z would cancel, by Taylor's series
//             about the nearest of 32 anchors whose erfc and e^{-z0^2} are
//             tabulated (tools/erfc_anchors.py).
// The convergent series keeps its numerator and denominator apart; for
// |z| above about 6.75 they pass 1.34e300, where the splitting step of the
// products overflows.  The routines detect that and take erf = 1 - erfc from
// the Taylor series instead (erfc(6.75) < 2e-21, so nothing cancels).
//
// Measured maximum errors: tests/special2/ACCURACY.md.
#pragma once

#include "ddreal/kernels.hpp"

namespace dd {

/// Most terms of either series.
inline constexpr int kErfMaxTerms = 100000;
/// Up to this z (included), erfc z = 1 - erf z by the series (erfc z >= 0.157:
/// at most 3 bits lost to the subtraction); above it, up to 9, Taylor's series
/// about the nearest of 32 anchors 1.125, 1.375, ..., 8.875.
inline constexpr double kErfcTaylorFrom = 1.0;

namespace msg {
inline constexpr char kErfIterLimit[] = "('*** DDERFR: iteration limit exceeded',2i10)";
inline constexpr char kErfcIterLimit[] = "('*** DDERFCR: iteration limit exceeded',2i10)";
}  // namespace msg

/// y = erf(z).
void DDERFR(const DDReal& z, DDReal& y);
/// y = erfc(z) = 1 - erf(z), to full relative accuracy down to 2^-969 (z
/// about 25.8), fading gradually below; 0 from z = 27.3 on.
void DDERFCR(const DDReal& z, DDReal& y);

}  // namespace dd
