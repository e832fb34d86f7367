// The fuzz targets run each input under a dd::stop_guard: a package stop
// throws dd::stop_error with its message, so an input that the package
// refuses ends the call, not the process, and the target can check that the
// message is one it may give.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

#include "ddreal/stop.hpp"

namespace dd::fuzz {

/// Aborts (a finding) unless the stop's message is one of allowed.
inline void expect_message(const stop_error& s, std::initializer_list<std::string_view> allowed) {
  for (const std::string_view m : allowed) {
    if (s.what() == m) return;
  }
  std::fprintf(stderr, "unexpected stop message: %s\n", s.what());
  std::abort();
}

}  // namespace dd::fuzz
