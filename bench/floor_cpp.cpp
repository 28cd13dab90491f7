// The C++ floor: the program's three texts through std::cout and no parsing,
// to show what setting up the C++ runtime and its streams costs by itself.

#include <iostream>
#include <string_view>

#include "texts.h"

int main(int argc, char** argv) {
  const std::string_view first = argc > 1 ? argv[1] : "";
  if (first == "--help") {
    std::cout << program_help_listing;
    return 0;
  }
  if (first == "-v") {
    std::cout << vantrel_version << std::endl;
    return 0;
  }
  return fail_to_size_console(&default_run_values);
}
