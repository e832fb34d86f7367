// PLACEHOLDER: replaced by the real template formatter.
#include "ddreal/outfmt.hpp"

#include "ddreal/stop.hpp"

namespace dd::detail {

std::string format_lines(std::string_view tmpl, std::span<const FmtItem> items) {
  std::string out(tmpl);
  for (const auto& it : items) {
    out += ' ';
    if (it.kind == FmtItem::Kind::integer) out += std::to_string(it.i);
    else if (it.kind == FmtItem::Kind::real) out += std::to_string(it.d);
    else out += std::string(it.s);
  }
  return out + '\n';
}

std::vector<FmtItem> char_items(std::string_view s) {
  std::vector<FmtItem> v;
  for (std::size_t k = 0; k < s.size(); ++k) v.emplace_back(s.substr(k, 1));
  return v;
}

void write_lines(std::FILE* f, std::string_view tmpl, std::span<const FmtItem> items) {
  const std::string s = format_lines(tmpl, items);
  std::fwrite(s.data(), 1, s.size(), f);
}

void fail(std::string_view tmpl, std::initializer_list<FmtItem> items) {
  stop_with_message(format_lines(tmpl, std::span<const FmtItem>(items.begin(), items.size())));
}

}  // namespace dd::detail
