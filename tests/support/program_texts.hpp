#pragma once

// What the program prints for --help and with no arguments, byte for byte.

#include <string_view>

namespace test_support {

inline constexpr std::string_view program_usage = "usage: vantrel [options]\n";

inline constexpr std::string_view program_help =
    "usage: vantrel [options]\n"
    "\n"
    "A tool to vantrel with specified settings\n"
    "\n"
    "Options:\n"
    "  -?, --help               show this help message\n"
    "  -v, --version            show version info\n"
    "  -a, --admin              run bat file as admin or not.\n"
    "  -l, --left               (int) set cmd window's left position.\n"
    "                           default is 0\n"
    "  -t, --top                (int) set cmd window's top position.\n"
    "                           default is 0\n"
    "  -r, --right              (int) set cmd window's right position.\n"
    "                           default is 40\n"
    "  -b, --bottom             (int) set cmd window's bottom position.\n"
    "                           default is 40\n"
    "  -w, --bufferx            (int) set cmd window's buffer size's x.\n"
    "                           default is 1024\n"
    "  -h, --buffery            (int) set cmd window's buffer size's y.\n"
    "                           default is 720\n";

inline constexpr std::string_view program_version = "0.2.3-beta\n";

}  // namespace test_support
