#pragma once

#include "platform.hpp"

#include <argparse/process_io.hpp>

#include <string>

namespace vantrel {

/// Windows error codes that the relaunch tells apart.
inline constexpr std::uint32_t error_file_not_found = 2;
inline constexpr std::uint32_t error_cancelled = 1223;

/// Takes the guard of this session (a named event: one relaunch at a time in
/// each Windows session) and asks the shell to start an elevated copy of this
/// executable with no arguments, then pauses briefly. On failure it has
/// written "uac filed" to `io`'s output and returns false.
bool relaunch_elevated(platform& system, argparse::process_io& io);

/// Sets the console window, then the screen buffer size. On failure it has
/// written "resize failed" or "resize buffer failed" to `io`'s output and
/// returns false. A console whose screen is a terminal (a pseudoconsole, as
/// in Windows Terminal) is first asked, through the terminal, for a window
/// of that size; see `request_terminal_window`.
bool size_console(platform& system, argparse::process_io& io, const SMALL_RECT& window,
                  COORD buffer_size);

/// The terminal's request for a window of `window`'s size,
/// "ESC [ 8 ; ROWS ; COLUMNS t"; empty when either count is not between 1
/// and 32767.
std::string terminal_window_request(const SMALL_RECT& window);

/// When `console` is a console whose screen is a terminal rather than a
/// window of its own, writes `terminal_window_request(window)` to it with
/// virtual-terminal processing on, and puts the output mode back. Anything
/// that fails on the way ends the request quietly.
void request_terminal_window(platform& system, console_handle console, const SMALL_RECT& window);

}  // namespace vantrel
