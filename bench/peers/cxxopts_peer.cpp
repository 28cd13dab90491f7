// The program's nine options through cxxopts, used as its documentation
// shows: the same names, defaults, help texts and version, and the same end
// for an accepted line ("resize failed", status -1) as vantrel has off
// Windows. The help listing is cxxopts's own layout. cxxopts takes no "?" as
// a short name, so help is --help alone.

#include <cxxopts.hpp>

#include <iostream>

#include "texts.h"

int main(int argc, char** argv) {
  cxxopts::Options options("vantrel", "A tool to vantrel with specified settings");
  // clang-format off
  options.add_options()
      ("help", "show this help message")
      ("v,version", "show version info")
      ("a,admin", "run bat file as admin or not.")
      ("l,left", "set cmd window's left position.\ndefault is 0",
       cxxopts::value<int>()->default_value("0"))
      ("t,top", "set cmd window's top position.\ndefault is 0",
       cxxopts::value<int>()->default_value("0"))
      ("r,right", "set cmd window's right position.\ndefault is 40",
       cxxopts::value<int>()->default_value("40"))
      ("b,bottom", "set cmd window's bottom position.\ndefault is 40",
       cxxopts::value<int>()->default_value("40"))
      ("w,bufferx", "set cmd window's buffer size's x.\ndefault is 1024",
       cxxopts::value<int>()->default_value("1024"))
      ("h,buffery", "set cmd window's buffer size's y.\ndefault is 720",
       cxxopts::value<int>()->default_value("720"));
  // clang-format on
  try {
    const cxxopts::ParseResult result = options.parse(argc, argv);
    if (result.count("help") != 0) {
      std::cout << options.help() << std::flush;
      return 0;
    }
    if (result.count("version") != 0) {
      std::cout << vantrel_version << std::endl;
      return 0;
    }
    const run_values values = {
        result["admin"].as<bool>() ? 1 : 0, result["left"].as<int>(),   result["top"].as<int>(),
        result["right"].as<int>(),          result["bottom"].as<int>(), result["bufferx"].as<int>(),
        result["buffery"].as<int>()};
    return fail_to_size_console(&values);
  } catch (const cxxopts::exceptions::exception& error) {
    std::cerr << error.what() << std::endl;
    return -1;
  }
}
