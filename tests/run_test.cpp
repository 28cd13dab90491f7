#include "run.hpp"

#include "captured_io.hpp"
#include "recording_platform.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>

namespace {

using test_support::captured_io;
using test_support::command_line;
using test_support::outcome;
using test_support::recording_platform;
using ::testing::ElementsAre;

struct run_result {
  outcome result;
  std::vector<std::string> calls;
};

run_result run_vantrel(std::vector<std::string> arguments, recording_platform system = {}) {
  arguments.insert(arguments.begin(), "C:\\tools\\vantrel.exe");
  const command_line line(std::move(arguments));
  captured_io io;
  std::optional<int> returned;
  outcome result = test_support::capture(
      io, [&] { returned = vantrel::run(line.argc(), line.argv(), system, io); });
  if (returned) {
    result.status = returned;
  }
  return {result, system.calls};
}

TEST(run_sequence, typical_line_sets_window_then_buffer) {
  const run_result run = run_vantrel({"--left", "10", "--right", "120", "-w", "300"});
  EXPECT_EQ(run.result, (outcome{0, "", ""}));
  EXPECT_THAT(run.calls, ElementsAre("GetStdHandle", "SetConsoleWindowInfo 10 0 119 39",
                                     "SetConsoleScreenBufferSize 300 720"));
}

}  // namespace
