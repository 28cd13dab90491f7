// The elevated relaunch against answers of the platform that Wine cannot
// give: a refused consent prompt, a missing executable, other start errors
// and a guard that could not be created. (The plain relaunch, a guard held
// elsewhere and refused sizes are in run_test.cpp.)

#include "run.hpp"

#include "captured_io.hpp"
#include "recording_platform.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace {

using test_support::recording_platform;
using ::testing::ElementsAreArray;

const std::vector<std::string> relaunch_calls = {"CreateEventW", "GetModuleFileNameW 260",
                                                 "ShellExecuteExW"};
const std::vector<std::string> pause_then_default_sizing = {"Sleep 100", "GetStdHandle",
                                                            "SetConsoleWindowInfo 0 0 39 39",
                                                            "SetConsoleScreenBufferSize 1024 720"};

std::vector<std::string> joined(std::vector<std::string> first,
                                const std::vector<std::string>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

/// `vantrel -a` against the double; returns the exit status.
int run_admin(recording_platform& system) {
  const test_support::command_line line{"vantrel", "-a"};
  test_support::captured_io io;
  return vantrel::run(line.argc(), line.argv(), system, io);
}

struct relaunch_case {
  const char* name;
  std::uint32_t event_error;
  std::uint32_t start_error;
  int status;
  std::vector<std::string> calls;

  friend void PrintTo(const relaunch_case& c, std::ostream* out) { *out << c.name; }
};

class relaunch : public ::testing::TestWithParam<relaunch_case> {};

TEST_P(relaunch, decides_between_uac_failure_and_sizing) {
  const relaunch_case& expected = GetParam();
  recording_platform system;
  system.event_error = expected.event_error;
  system.start_error = expected.start_error;
  EXPECT_EQ(run_admin(system), expected.status);
  EXPECT_THAT(system.calls, ElementsAreArray(expected.calls));
}

INSTANTIATE_TEST_SUITE_P(
    console_steps, relaunch,
    ::testing::Values(
        // The event could not be created at all (here: access denied).
        relaunch_case{"guard_not_created", 5, 0, -1, {"CreateEventW", "print uac filed"}},
        // The user said no to the consent prompt; the executable was not found.
        relaunch_case{"consent_refused", 0, 1223, -1, joined(relaunch_calls, {"print uac filed"})},
        relaunch_case{"file_not_found", 0, 2, -1, joined(relaunch_calls, {"print uac filed"})},
        // Other start errors are not the user's refusal: the run goes on.
        relaunch_case{"access_denied", 0, 5, 0, joined(relaunch_calls, pause_then_default_sizing)},
        relaunch_case{"no_association", 0, 1155, 0,
                      joined(relaunch_calls, pause_then_default_sizing)}),
    [](const ::testing::TestParamInfo<relaunch_case>& param) { return param.param.name; });

}  // namespace
