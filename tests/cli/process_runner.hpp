#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace test_support {

struct process_result {
  int status;  ///< exit status as the shell sees it (0 to 255); -1 when killed
  std::string out;
  std::string err;
};

/// Runs `command` (program and its first arguments) followed by
/// `arguments`, with both output streams read through pipes and standard
/// input empty. A run that takes longer than `timeout` is killed.
process_result run_process(const std::vector<std::string>& command,
                           const std::vector<std::string>& arguments,
                           std::chrono::seconds timeout = std::chrono::seconds(60));

}  // namespace test_support
