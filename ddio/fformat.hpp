// F-format output: a DDReal in fixed-point form, right-justified.
#pragma once

#include "ddreal/kernels.hpp"

namespace dd {

namespace msg {
inline constexpr char kFformatSize[] = "('*** DDFFORMAT: uninitialized or inadequately sized arrays')";
inline constexpr char kFformatSyntax[] = "('*** DDFFORMAT: Syntax error in output of ddeformat')";
inline constexpr char kFformatImproperNd[] = "('*** DDFFORMAT: Improper value of ND',i10)";
}  // namespace msg

/// Writes a into the nb characters at b (not NUL-terminated) as blanks, "-"
/// for a negative value, the integer digits (0 below 1), "." and exactly nd
/// digits, ending at position nb; all asterisks when the integer digits do not
/// fit.  The digits are those of DDEFORMAT's text with nd + 3 + floor(log10|a|)
/// significant digits: there is no rounding to the last shown place (12345.678
/// with nd = 2 shows 12345.67).  Non-finite values are right-justified "NaN",
/// "Infinity" or "-Infinity" (asterisks when nb is too short).  nb < nd + 8
/// and nd < 0 stop with a message.
void DDFFORMAT(const DDReal& a, int nb, int nd, char* b);

}  // namespace dd
