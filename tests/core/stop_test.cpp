// The package's stop: the default ends the process with status 1, a
// stop_guard turns every stop on its thread into dd::stop_error, and a
// process-wide handler still works where no guard is.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "ddreal/power.hpp"
#include "ddreal/stop.hpp"

namespace {

using dd::DDReal;

void negative_root() {
  DDReal r;
  dd::DDNRT(DDReal(-2.0), 2, r);
}
constexpr char kNegativeRoot[] = "*** DDNRT: Argument is negative.";

TEST(stop, default_prints_and_exits_with_status_1) {
  EXPECT_EXIT(negative_root(), testing::ExitedWithCode(1), "");
  EXPECT_EXIT(dd::DDABORT(), testing::ExitedWithCode(1), "");
}

TEST(stop, guard_throws_the_message_and_restores_on_every_exit) {
  EXPECT_FALSE(dd::stop_throws());
  try {
    const dd::stop_guard outer;
    {
      const dd::stop_guard inner;
    }
    EXPECT_TRUE(dd::stop_throws());  // the inner guard restored the outer one's state
    testing::internal::CaptureStdout();
    negative_root();
    ADD_FAILURE() << "no stop";
  } catch (const dd::stop_error& e) {
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // nothing printed
    EXPECT_STREQ(e.what(), kNegativeRoot);
  }
  EXPECT_FALSE(dd::stop_throws());  // left by the exception, the guard restored the default
  try {
    const dd::stop_guard guard;
    dd::DDABORT();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "DDABORT");
  }
}

std::string g_seen;
[[noreturn]] void recording_handler(const std::string& message) {
  g_seen = message;
  throw 7;
}

// The handler serves threads without a guard; a guard wins on its own thread only.
TEST(stop, handler_and_guard_together) {
  const dd::stop_handler before = dd::set_stop_handler(&recording_handler);
  testing::internal::CaptureStdout();
  EXPECT_THROW(negative_root(), int);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), std::string(kNegativeRoot) + "\n");
  EXPECT_EQ(g_seen, kNegativeRoot);
  g_seen.clear();
  {
    const dd::stop_guard guard;
    EXPECT_THROW(negative_root(), dd::stop_error);
    EXPECT_EQ(g_seen, "");
    std::thread other([] { EXPECT_THROW(negative_root(), int); });
    other.join();
    EXPECT_EQ(g_seen, kNegativeRoot);
  }
  dd::set_stop_handler(before);
}

}  // namespace
