// Test helpers for routines that print a message and stop the package.
//
// StopCapture installs a stop handler that throws StopError carrying the
// message, so a test can check the exact text and carry on in the same
// process; EXPECT_DD_STOP(statement, "message") wraps it.
#pragma once

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "ddreal/stop.hpp"

namespace dd::test {

struct StopError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

/// While alive, the package's stop throws StopError(message) instead of ending the process.
class StopCapture {
 public:
  StopCapture() : previous_(set_stop_handler(&throw_stop)) {}
  ~StopCapture() { set_stop_handler(previous_); }
  StopCapture(const StopCapture&) = delete;
  StopCapture& operator=(const StopCapture&) = delete;

 private:
  static void throw_stop(const std::string& message) { throw StopError(message); }
  stop_handler previous_;
};

}  // namespace dd::test

/// Expects statement to stop the package with exactly the message text (lines joined by '\n').
#define EXPECT_DD_STOP(statement, expected_message)                        \
  do {                                                                      \
    ::dd::test::StopCapture dd_stop_capture_;                               \
    try {                                                                   \
      statement;                                                            \
      ADD_FAILURE() << "expected a stop with: " << (expected_message);      \
    } catch (const ::dd::test::StopError& dd_stop_error_) {                 \
      EXPECT_EQ(std::string(dd_stop_error_.what()), (expected_message));    \
    }                                                                       \
  } while (0)
