#pragma once

#include "platform.hpp"

#include <argparse/process_io.hpp>

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
/// returns false.
bool size_console(platform& system, argparse::process_io& io, const SMALL_RECT& window,
                  COORD buffer_size);

}  // namespace vantrel
