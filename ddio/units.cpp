#include "ddio/units.hpp"

#include <map>
#include <mutex>

namespace dd {
namespace {

struct Bound {
  std::shared_ptr<std::FILE> f;  // closed when the last holder lets go
  unit_mode mode;
};

// Units bound to files, with the lock that guards the table (not the streams:
// a record's transfer locks its stream only).
std::mutex g_units_mutex;
std::map<int, Bound>& units() {
  static std::map<int, Bound> table;
  return table;
}

bool is_standard(int iu) { return iu == 5 || iu == 6; }

// The stream of a bound unit, shared with the table; empty when unbound or in the other mode.
std::shared_ptr<std::FILE> find_stream(int iu, unit_mode mode) {
  static const std::shared_ptr<std::FILE> in(stdin, [](std::FILE*) {});
  static const std::shared_ptr<std::FILE> out(stdout, [](std::FILE*) {});
  if (iu == 5 && mode == unit_mode::read) return in;
  if (iu == 6 && mode == unit_mode::write) return out;
  if (is_standard(iu)) return nullptr;
  const std::lock_guard<std::mutex> lock(g_units_mutex);
  const auto& table = units();
  const auto it = table.find(iu);
  if (it == table.end() || it->second.mode != mode) return nullptr;
  return it->second.f;
}

}  // namespace

bool bind_unit(int iu, const std::string& path, unit_mode mode) {
  if (is_standard(iu)) return false;
  unbind_unit(iu);
  std::FILE* f = std::fopen(path.c_str(), mode == unit_mode::read ? "r" : "w");
  if (f == nullptr) return false;
  std::shared_ptr<std::FILE> owned(f, [](std::FILE* g) { std::fclose(g); });
  const std::lock_guard<std::mutex> lock(g_units_mutex);
  units().insert_or_assign(iu, Bound{std::move(owned), mode});
  return true;
}

void unbind_unit(int iu) {
  if (is_standard(iu)) return;
  std::shared_ptr<std::FILE> closing;  // closed after the lock is released
  const std::lock_guard<std::mutex> lock(g_units_mutex);
  auto& table = units();
  if (auto it = table.find(iu); it != table.end()) {
    closing = std::move(it->second.f);
    table.erase(it);
  }
}

bool unit_is_bound(int iu, unit_mode mode) noexcept {
  try {
    return find_stream(iu, mode) != nullptr;
  } catch (...) {  // allocation of the shared handle failed
    return false;
  }
}

namespace detail {

unit_hold::unit_hold(int iu, unit_mode mode) : f_(find_stream(iu, mode)) {
  if (f_) flockfile(f_.get());
}

unit_hold::~unit_hold() {
  if (f_) funlockfile(f_.get());
}

}  // namespace detail

}  // namespace dd
