// E-format output: a DDReal as a leading digit, a point, further digits, "e"
// and a decimal exponent, left-justified in a blank-filled field.
#pragma once

#include "ddreal/kernels.hpp"

namespace dd {

namespace msg {
inline constexpr char kEformatSize[] = "('*** DDEFORMAT: uninitialized or inadequately sized arrays')";
inline constexpr char kEformatSpace[] = "('DDEFORMAT: Insufficient space in B2 array.')";
inline constexpr char kEformatImproperNd[] = "('*** DDEFORMAT: Improper value of ND',i10)";
}  // namespace msg

/// Writes a into the nb characters at b (not NUL-terminated) in the layout
///   [-]D.F...Fe[-]X...X   then blanks up to nb
/// with nd + 1 mantissa characters (D, the point and nd - 1 digits; nd = 0
/// shows D alone) and the exponent without leading zeros.
///
/// The digits come from a itself: it is scaled into [1, 10) by a power of ten
/// (DDNPWR), 15-digit groups are split off with DDINFR, and a unit is added at
/// the last generated digit when the last shown one is 5 or more, so shown
/// digits change only when every hidden generated digit is a nine.  Shown
/// digits are therefore the truncated decimal expansion of a, except that
/// values whose expansion runs into nines at the 15th (30th, ...) generated
/// digit are rounded up.  Against MPFR, for nd <= 31 the value shown differs
/// from a by less than one unit of its last shown digit.
///
/// A value just below a power of ten whose high part rounds up to it (such as
/// 1 - 1e-20) has the leading digit 0 followed by nines; unless the carry
/// reaches that 0 (it does for nd <= 14), the field shows it so.  Beyond |hi| in
/// [1e-300, 1e301), where 10^|nexp| would overflow the kernels' splitting
/// step, the value is scaled by 2^-nexp and divided or multiplied by 5^|nexp|.
/// Non-finite values give "NaN", "Infinity" or "-Infinity" (asterisks when nb
/// is too short).  A pair that is not normalised is renormalised first.
/// nb < nd + 8 and nd < 0 stop with a message.
void DDEFORMAT(const DDReal& a, int nb, int nd, char* b);

namespace detail {
/// (hi, lo) renormalised by an exact two-sum: a normalised pair comes back
/// unchanged word for word; a pair whose lo word is not below half an ulp of
/// hi (which range tests on hi would misjudge) becomes the normalised pair of
/// the same value.
inline DDReal renormalised(const DDReal& a) noexcept {
  const double s = a.hi + a.lo;
  return DDReal(s, two_sum_err(a.hi, a.lo, s));
}
}  // namespace detail

}  // namespace dd
