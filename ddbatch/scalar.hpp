// The scalar routine behind each batch routine, out of line in a translation
// unit compiled for the baseline instruction set: the lanes call these for
// the elements that leave their common path.  Private to the batch routines.
#pragma once

#include "ddreal/kernels.hpp"

namespace dd::batch::detail::scalar {

void exp(const DDReal& a, DDReal& r);
void log(const DDReal& a, DDReal& r);
/// dd::pow(a, b): exp(log(a) * b).
void pow(const DDReal& a, const DDReal& b, DDReal& r);
void cos_sin(const DDReal& a, DDReal& c, DDReal& s);
/// dd::atan2(y, x): DDANG(x, y).
void atan2(const DDReal& y, const DDReal& x, DDReal& r);
void cosh_sinh(const DDReal& a, DDReal& c, DDReal& s);
void erf(const DDReal& a, DDReal& r);
void gamma(const DDReal& a, DDReal& r);

}  // namespace dd::batch::detail::scalar
