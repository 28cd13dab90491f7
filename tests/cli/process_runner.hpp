#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

struct process_result {
  /// The exit status as the program's caller sees it: on Windows the whole
  /// code read as signed (-1 stays -1), elsewhere 0 to 255 (-1 is 255). None
  /// when the run was killed for taking too long.
  std::optional<int> status;
  std::string out;
  std::string err;
};

/// Runs the program `words[0]` with the arguments that follow it, with both
/// output streams read through pipes and standard input empty. A run that
/// takes longer than `timeout` is killed.
process_result run_process(const std::vector<std::string>& words,
                           std::chrono::seconds timeout = std::chrono::seconds(60));

}  // namespace test_support
