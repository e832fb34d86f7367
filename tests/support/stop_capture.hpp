// Test helpers for routines that print a message and stop the package.
//
// EXPECT_DD_STOP(statement, "message") runs statement under a dd::stop_guard,
// so that the package's stop throws dd::stop_error carrying the message, and
// checks the exact text; the test carries on in the same process.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "ddreal/stop.hpp"

/// Expects statement to stop the package with exactly the message text (lines joined by '\n').
#define EXPECT_DD_STOP(statement, expected_message)                        \
  do {                                                                      \
    ::dd::stop_guard dd_stop_capture_;                                      \
    try {                                                                   \
      statement;                                                            \
      ADD_FAILURE() << "expected a stop with: " << (expected_message);      \
    } catch (const ::dd::stop_error& dd_stop_error_) {                      \
      EXPECT_EQ(std::string(dd_stop_error_.what()), (expected_message));    \
    }                                                                       \
  } while (0)
