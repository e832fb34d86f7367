// The fuzz targets' stop handler: a package stop throws Stopped with its
// message, so an input that the package refuses ends the call, not the
// process, and the target can check that the message is one it may give.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

#include "ddreal/stop.hpp"

namespace dd::fuzz {

struct Stopped : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline void throw_stop(const std::string& message) { throw Stopped(message); }

/// Installs the throwing handler once.
inline void install_stop_handler() {
  static const bool installed = (set_stop_handler(&throw_stop), true);
  (void)installed;
}

/// Aborts (a finding) unless message is one of allowed.
inline void expect_message(const Stopped& s, std::initializer_list<std::string_view> allowed) {
  for (const std::string_view m : allowed) {
    if (s.what() == m) return;
  }
  std::fprintf(stderr, "unexpected stop message: %s\n", s.what());
  std::abort();
}

}  // namespace dd::fuzz
