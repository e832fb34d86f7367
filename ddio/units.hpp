// Numbered input/output units.
//
// Unit 5 reads standard input and unit 6 writes standard output.  Any other
// unit number can be bound to a file opened for reading or for writing, and
// unbound again (which closes the file).  Binding a unit that is already
// bound closes the previous file first.  Units 5 and 6 cannot be rebound.
//
// Units may be used from several threads at once: each record is read or
// written as a whole (two threads reading one unit get whole records each),
// and a file unbound while a record is in transfer is closed once that
// record is done.
#pragma once

#include <cstdio>
#include <memory>
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

/// The stream of unit iu held for the transfer of one record: while the hold
/// lives, the stream stays open and other threads' transfers on it wait.
/// stream() is nullptr when the unit is not bound in that mode (unit 5 is
/// stdin for reading, unit 6 stdout for writing).
class unit_hold {
 public:
  unit_hold(int iu, unit_mode mode);
  ~unit_hold();
  unit_hold(const unit_hold&) = delete;
  unit_hold& operator=(const unit_hold&) = delete;
  std::FILE* stream() const noexcept { return f_.get(); }

 private:
  std::shared_ptr<std::FILE> f_;
};

}  // namespace detail

}  // namespace dd
