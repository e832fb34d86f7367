#include "ddreal/stop.hpp"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace dd {
namespace {

std::atomic<stop_handler> g_handler{nullptr};
thread_local bool t_throws = false;

// The message as the handler and the exception carry it: without final newlines.
std::string message_text(std::string_view message) {
  while (!message.empty() && message.back() == '\n') message.remove_suffix(1);
  return std::string(message);
}

[[noreturn]] void stop_now(const std::string& message) {
  if (stop_handler h = g_handler.load(std::memory_order_acquire)) h(message);
  std::fflush(stdout);
  std::exit(1);
}

}  // namespace

stop_guard::stop_guard() noexcept : previous_(t_throws) { t_throws = true; }
stop_guard::~stop_guard() { t_throws = previous_; }

bool stop_throws() noexcept { return t_throws; }

stop_handler set_stop_handler(stop_handler h) noexcept {
  return g_handler.exchange(h, std::memory_order_acq_rel);
}

stop_handler get_stop_handler() noexcept { return g_handler.load(std::memory_order_acquire); }

void DDABORT() {
  if (t_throws) throw stop_error("DDABORT");
  stop_now(std::string());
}

void stop_with_message(std::string_view message) {
  if (t_throws) throw stop_error(message_text(message));
  std::fwrite(message.data(), 1, message.size(), stdout);
  std::fflush(stdout);
  stop_now(message_text(message));
}

}  // namespace dd
