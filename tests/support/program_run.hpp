#pragma once

// The program's run sequence in-process, as its tests drive it: a command
// line against a double of the platform calls, with the output captured and
// the end of the process caught.

#include "captured_io.hpp"
#include "recording_platform.hpp"
#include "run.hpp"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace test_support {

struct run_result {
  outcome result;
  std::vector<std::string> calls;
  std::string flushed_out;  // what standard output held at its last flush
};

/// Runs the program with `arguments` after its invocation text; the status
/// is the one it ended the process with or returned.
inline run_result run_vantrel(std::vector<std::string> arguments, recording_platform system = {}) {
  arguments.insert(arguments.begin(), "C:\\tools\\vantrel.exe");
  const command_line line(std::move(arguments));
  captured_io io;
  std::optional<int> returned;
  outcome result =
      capture(io, [&] { returned = vantrel::run(line.argc(), line.argv(), system, io); });
  if (returned) {
    result.status = returned;
  }
  return {result, system.calls, io.flushed_out_text()};
}

}  // namespace test_support
