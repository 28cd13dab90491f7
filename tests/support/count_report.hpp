#pragma once

// The parse report of a wrong number of texts left for the position
// arguments, written out from its documented text, for tests and fuzzers to
// compare the parser's report with.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

/// How the report begins; the number of texts left follows.
inline constexpr std::string_view count_report_start =
    "(parse error) position argument number missmatching, give ";

/// The report's first two lines: `given` texts left, `needed` position
/// arguments.
inline std::string count_report_head(std::size_t given, std::size_t needed) {
  return std::string(count_report_start) + std::to_string(given) + ", but need " +
         std::to_string(needed) + "\nuncaptured command line arguments:\n";
}

/// The whole report: the two lines, then each text left on a line of its own.
inline std::string count_report(const std::vector<std::string>& left, std::size_t needed) {
  std::string report = count_report_head(left.size(), needed);
  for (const std::string& text : left) {
    report.append(text).append(1, '\n');
  }
  return report;
}

}  // namespace test_support
