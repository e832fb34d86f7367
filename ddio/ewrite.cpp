#include "ddio/ewrite.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "ddio/eformat.hpp"
#include "ddio/units.hpp"
#include "ddreal/outfmt.hpp"

namespace dd {

void DDEWRITE(int iu, int nb, int nd, const DDReal& a) {
  std::string s(static_cast<std::size_t>(std::max(nb, 1)), ' ');
  DDEFORMAT(a, nb, nd, s.data());
  s.resize(static_cast<std::size_t>(nb));
  const std::vector<detail::FmtItem> items = detail::char_items(s);
  const std::string lines = detail::format_lines("(120a1)", items);
  const detail::unit_hold hold(iu, unit_mode::write);
  if (hold.stream() == nullptr) detail::fail(msg::kEwriteUnit, {iu});
  std::fwrite(lines.data(), 1, lines.size(), hold.stream());
}

}  // namespace dd
