#pragma once

// What the program prints for --help and with no arguments, byte for byte.

#include "program_help.h"

#include <string_view>

namespace test_support {

inline constexpr std::string_view program_usage = "usage: vantrel [options]\n";

// Sized from the array itself, so the view is a constant for every compiler.
inline constexpr std::string_view program_help{program_help_listing,
                                               sizeof(program_help_listing) - 1};

inline constexpr std::string_view program_version = "0.2.3-beta\n";

}  // namespace test_support
