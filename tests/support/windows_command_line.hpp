#pragma once

// How a list of arguments becomes one Windows command line that the C
// runtime's parser reads back as the same arguments: empty arguments and
// those with blanks or quotes are quoted, and backslashes are doubled only
// where they stand before a quote.

#include <string>
#include <vector>

namespace test_support {

inline std::string quoted_argument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
    return argument;
  }
  std::string text = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    text.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    text.push_back(c);
  }
  text.append(backslashes * 2, '\\');
  return text + "\"";
}

inline std::string windows_command_line(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& argument : arguments) {
    if (!line.empty()) {
      line += ' ';
    }
    line += quoted_argument(argument);
  }
  return line;
}

}  // namespace test_support
