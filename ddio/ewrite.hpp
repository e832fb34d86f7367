// The line writer: one DDReal in E format, written to an output unit.
#pragma once

#include "ddreal/kernels.hpp"

namespace dd {

namespace msg {
inline constexpr char kEwriteUnit[] = "('*** DDEWRITE: Unit ',i0,' is not open for writing.')";
}  // namespace msg

/// Formats a with DDEFORMAT(a, nb, nd) and writes the nb characters to unit
/// iu (6: standard output; others bound with bind_unit) as one line, or as
/// lines of 120 characters when nb > 120.  Output goes through C stdio, so it
/// stays in order with the rest of the package's output.  A unit that is not
/// open for writing stops with a message.
void DDEWRITE(int iu, int nb, int nd, const DDReal& a);

}  // namespace dd
