#pragma once

// How the fuzz targets report a broken rule: the rule and what was written
// go to standard error, then abort() makes the fuzzer keep the input.

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz_support {

inline void print_excerpt(const char* label, std::string_view text) {
  constexpr std::size_t shown = 2000;
  std::fprintf(stderr, "%s (%zu bytes): \"%.*s\"%s\n", label, text.size(),
               static_cast<int>(std::min(text.size(), shown)), text.data(),
               text.size() > shown ? " ..." : "");
}

inline void require(bool rule_holds, std::string_view rule, std::string_view out,
                    std::string_view err) {
  if (rule_holds) {
    return;
  }
  std::fprintf(stderr, "\nbroken rule: %.*s\n", static_cast<int>(rule.size()), rule.data());
  print_excerpt("output stream", out);
  print_excerpt("error stream", err);
  std::abort();
}

/// The lines of a text whose every line ends with a line break.
inline std::vector<std::string> lines_of(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

}  // namespace fuzz_support
