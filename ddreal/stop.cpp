#include "ddreal/stop.hpp"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace dd {
namespace {

std::atomic<stop_handler> g_handler{nullptr};

[[noreturn]] void stop_now(const std::string& message) {
  if (stop_handler h = g_handler.load(std::memory_order_acquire)) h(message);
  std::fflush(stdout);
  std::exit(1);
}

}  // namespace

stop_handler set_stop_handler(stop_handler h) noexcept {
  return g_handler.exchange(h, std::memory_order_acq_rel);
}

stop_handler get_stop_handler() noexcept { return g_handler.load(std::memory_order_acquire); }

void DDABORT() { stop_now(std::string()); }

void stop_with_message(std::string_view message) {
  std::fwrite(message.data(), 1, message.size(), stdout);
  std::fflush(stdout);
  std::string text(message);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  stop_now(text);
}

}  // namespace dd
