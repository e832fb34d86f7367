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
  std::FILE* f = detail::unit_stream(iu, unit_mode::write);
  if (f == nullptr) detail::fail(msg::kEwriteUnit, {iu});
  const std::vector<detail::FmtItem> items = detail::char_items(s);
  detail::write_lines(f, "(120a1)", items);
}

}  // namespace dd
