// The package's stop: every routine that detects an error prints its message
// on standard output and then stops through here.
//
// The default stop flushes standard output and ends the process with exit
// status 1.  A program may install its own handler (for instance one that
// throws an exception carrying the message); a handler that returns is
// followed by the default stop, so the stop never returns to its caller.
#pragma once

#include <string>
#include <string_view>

namespace dd {

/// Called with the text of the message that was printed (lines joined by
/// '\n', without a final newline; empty for a bare DDABORT).  It may throw;
/// if it returns, the process ends as with the default stop.
using stop_handler = void (*)(const std::string& message);

/// Installs h (nullptr restores the default) and returns the previous handler.
stop_handler set_stop_handler(stop_handler h) noexcept;

/// The currently installed handler (nullptr when the default is in force).
stop_handler get_stop_handler() noexcept;

/// Stops: runs the installed handler, then flushes standard output and exits with status 1.
[[noreturn]] void DDABORT();

/// Prints message (one or more complete lines, each ending in '\n') on
/// standard output, flushes it and stops.
[[noreturn]] void stop_with_message(std::string_view message);

}  // namespace dd
