#include "ddio/units.hpp"

#include <map>
#include <mutex>

namespace dd {
namespace {

struct Bound {
  std::FILE* f;
  unit_mode mode;
};

// Units bound to files, with the lock that guards the table.
std::mutex g_units_mutex;
std::map<int, Bound>& units() {
  static std::map<int, Bound> table;
  return table;
}

bool is_standard(int iu) { return iu == 5 || iu == 6; }

}  // namespace

bool bind_unit(int iu, const std::string& path, unit_mode mode) {
  if (is_standard(iu)) return false;
  std::lock_guard<std::mutex> lock(g_units_mutex);
  auto& table = units();
  if (auto it = table.find(iu); it != table.end()) {
    std::fclose(it->second.f);
    table.erase(it);
  }
  std::FILE* f = std::fopen(path.c_str(), mode == unit_mode::read ? "r" : "w");
  if (f == nullptr) return false;
  table.emplace(iu, Bound{f, mode});
  return true;
}

void unbind_unit(int iu) {
  if (is_standard(iu)) return;
  std::lock_guard<std::mutex> lock(g_units_mutex);
  auto& table = units();
  if (auto it = table.find(iu); it != table.end()) {
    std::fclose(it->second.f);
    table.erase(it);
  }
}

bool unit_is_bound(int iu, unit_mode mode) noexcept { return detail::unit_stream(iu, mode) != nullptr; }

namespace detail {
std::FILE* unit_stream(int iu, unit_mode mode) noexcept {
  if (iu == 5) return mode == unit_mode::read ? stdin : nullptr;
  if (iu == 6) return mode == unit_mode::write ? stdout : nullptr;
  std::lock_guard<std::mutex> lock(g_units_mutex);
  const auto& table = units();
  const auto it = table.find(iu);
  if (it == table.end() || it->second.mode != mode) return nullptr;
  return it->second.f;
}
}  // namespace detail

}  // namespace dd
