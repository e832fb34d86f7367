// Numbered input/output units.
//
// Unit 5 reads standard input and unit 6 writes standard output.  Any other
// unit number can be bound to a file opened for reading or for writing, and
// unbound again (which closes the file).  Binding a unit that is already
// bound closes the previous file first.  Units 5 and 6 cannot be rebound.
#pragma once

#include <cstdio>
#include <string>

namespace dd {

enum class unit_mode { read, write };

/// Opens path for reading or writing (truncating) and binds it to unit iu.
/// Returns false, leaving the unit unbound, when the file cannot be opened or iu is 5 or 6.
bool bind_unit(int iu, const std::string& path, unit_mode mode);

/// Closes and unbinds unit iu; nothing happens when it is not bound (or is 5 or 6).
void unbind_unit(int iu);

/// True when unit iu can be used in the given mode.
bool unit_is_bound(int iu, unit_mode mode) noexcept;

namespace detail {
/// The stream of unit iu in the given mode, or nullptr when the unit is not
/// bound in that mode.  Unit 5 is stdin (read), unit 6 is stdout (write).
std::FILE* unit_stream(int iu, unit_mode mode) noexcept;
}  // namespace detail

}  // namespace dd
