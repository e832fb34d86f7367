// Helpers for the decimal output tests.
#pragma once

#include <string>

#include "ddio/output.hpp"
#include "support/words.hpp"

namespace dd::test {

inline std::string eformat(const DDReal& a, int nb, int nd) {
  std::string s(static_cast<std::size_t>(nb), '?');
  DDEFORMAT(a, nb, nd, s.data());
  return s;
}

inline std::string fformat(const DDReal& a, int nb, int nd) {
  std::string s(static_cast<std::size_t>(nb), '?');
  DDFFORMAT(a, nb, nd, s.data());
  return s;
}

/// text padded with blanks on the right to nb characters.
inline std::string left(const std::string& text, int nb) {
  return text + std::string(static_cast<std::size_t>(nb) - text.size(), ' ');
}

/// text preceded by blanks to nb characters.
inline std::string right(const std::string& text, int nb) {
  return std::string(static_cast<std::size_t>(nb) - text.size(), ' ') + text;
}

}  // namespace dd::test
