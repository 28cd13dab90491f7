#pragma once

#include "platform.hpp"

#include <argparse/arg_parser.hpp>
#include <argparse/process_io.hpp>

#include <cstdint>

namespace vantrel {

/// The low 16 bits of `value`, read as a signed 16-bit number.
std::int16_t low_16_bits(std::uint32_t value);

/// The console window for the given edges; `right` and `bottom` are
/// exclusive, the rectangle's cells inclusive.
SMALL_RECT window_rectangle(int left, int top, int right, int bottom);

COORD buffer_size(int bufferx, int buffery);

/// What the program's help listing says it is.
inline constexpr const char* program_description = "A tool to vantrel with specified settings";

/// Names `parser` "vantrel" and registers the program's nine options on it;
/// help prints `parser`'s listing and version writes to `io`. Returns
/// `parser`, ready for `parse`.
argparse::arg_parser& add_program_options(argparse::arg_parser& parser, argparse::process_io& io);

/// The whole run: parses the command line, optionally relaunches elevated,
/// sizes the console and returns the exit status (0 or -1). Every text goes
/// to `io`. Help, version, the bare usage line and every parser error end the
/// process through it.
int run(int argc, const char* const* argv, platform& system, argparse::process_io& io);

}  // namespace vantrel
