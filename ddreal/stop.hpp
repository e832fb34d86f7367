// The package's stop: every routine that detects an error builds its message
// and stops through here.  What a stop does is chosen per thread:
//
//  - Inside the scope of a stop_guard on the calling thread, the stop throws
//    dd::stop_error carrying the message; nothing is printed.  The routine
//    that stopped leaves nothing behind: its work arrays are released as the
//    exception passes, and the caller's outputs are those of a partial run
//    (treat them as unset).
//  - Otherwise, when a handler is installed with set_stop_handler (one for the
//    whole process), the message is printed on standard output and the
//    handler is called with it; a handler that returns is followed by the
//    default stop.
//  - Otherwise the default stop: the message is printed on standard output,
//    standard output is flushed and the process ends with exit status 1.
//
// A guard wins over an installed handler inside its scope.  Guards nest; each
// restores on destruction what its thread had before, also when the scope is
// left by an exception.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace dd {

/// What a stop throws inside a stop_guard: what() is the routine's message
/// (its lines joined by '\n', without a final newline), "DDABORT" for a bare DDABORT call.
class stop_error : public std::runtime_error {
 public:
  explicit stop_error(const std::string& message) : std::runtime_error(message) {}
};

/// While alive, every stop of the package on the thread that made it throws
/// stop_error instead of ending the process.  Make and destroy it on the same
/// thread (an ordinary local variable does).
class stop_guard {
 public:
  stop_guard() noexcept;
  ~stop_guard();
  stop_guard(const stop_guard&) = delete;
  stop_guard& operator=(const stop_guard&) = delete;

 private:
  bool previous_;
};

/// True when a stop on this thread throws stop_error (a stop_guard is alive on it).
bool stop_throws() noexcept;

/// Called with the text of the message that was printed (lines joined by
/// '\n', without a final newline; empty for a bare DDABORT).  It may throw;
/// if it returns, the process ends as with the default stop.
using stop_handler = void (*)(const std::string& message);

/// Installs h for the whole process (nullptr restores the default) and
/// returns the previous handler.  A stop_guard takes precedence on its thread.
stop_handler set_stop_handler(stop_handler h) noexcept;

/// The currently installed handler (nullptr when the default is in force).
stop_handler get_stop_handler() noexcept;

/// Stops without a message.
[[noreturn]] void DDABORT();

/// Stops with message (one or more complete lines, each ending in '\n'):
/// throws stop_error inside a stop_guard, otherwise prints it on standard
/// output and runs the handler or the default stop.
[[noreturn]] void stop_with_message(std::string_view message);

}  // namespace dd
