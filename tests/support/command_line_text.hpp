#pragma once

// How a table row's command line is named in test output: each argument in
// brackets, so empty and blank arguments stay visible.

#include <ostream>
#include <string>
#include <vector>

namespace test_support {

inline std::ostream& print_command_line(std::ostream& stream,
                                        const std::vector<std::string>& arguments) {
  stream << "vantrel";
  for (const std::string& argument : arguments) {
    stream << " [" << argument << "]";
  }
  return stream;
}

}  // namespace test_support
