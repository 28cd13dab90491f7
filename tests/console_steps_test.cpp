// The elevated relaunch and the console sizing against a double of the
// platform: the answers that Wine cannot give (a refused consent prompt, a
// guard that cannot be created, an odd start error) and the exact calls made.

#include "console_steps.hpp"
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
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

const std::vector<std::string> relaunch_calls = {"CreateEventW", "GetModuleFileNameW 260",
                                                 "ShellExecuteExW"};
const std::vector<std::string> default_sizing_calls = {
    "GetStdHandle", "SetConsoleWindowInfo 0 0 39 39", "SetConsoleScreenBufferSize 1024 720"};

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
        relaunch_case{"started", 0, 0, 0,
                      joined(joined(relaunch_calls, {"Sleep 100"}), default_sizing_calls)},
        // The guard is held by another run, or could not be created at all.
        relaunch_case{"guard_already_exists", 183, 0, -1, {"CreateEventW", "print uac filed"}},
        relaunch_case{"guard_not_created", 5, 0, -1, {"CreateEventW", "print uac filed"}},
        // The user said no to the consent prompt; the executable was not found.
        relaunch_case{"consent_refused", 0, 1223, -1, joined(relaunch_calls, {"print uac filed"})},
        relaunch_case{"file_not_found", 0, 2, -1, joined(relaunch_calls, {"print uac filed"})},
        // Other start errors are not the user's refusal: the run goes on.
        relaunch_case{"access_denied", 0, 5, 0,
                      joined(joined(relaunch_calls, {"Sleep 100"}), default_sizing_calls)},
        relaunch_case{"no_association", 0, 1155, 0,
                      joined(joined(relaunch_calls, {"Sleep 100"}), default_sizing_calls)}),
    [](const ::testing::TestParamInfo<relaunch_case>& param) { return param.param.name; });

TEST(console_steps, relaunch_takes_the_guard_by_name_and_starts_its_own_executable) {
  recording_platform system;
  system.module_path = L"C:\\Program Files\\vantrel\\vantrel.exe";
  ASSERT_TRUE(vantrel::relaunch_elevated(system));
  EXPECT_EQ(system.event_name, L"{29544E05-024F-4BC1-A272-452DBC8E17A4}");
  // The double copies the path without a terminator, so this also shows
  // that the path buffer started out zeroed.
  EXPECT_EQ(system.started_file, system.module_path);
}

TEST(console_steps, refused_window_leaves_the_buffer_alone) {
  recording_platform system;
  system.window_accepted = false;
  EXPECT_FALSE(vantrel::size_console(system, {0, 0, 59, 19}, {200, 300}));
  EXPECT_THAT(system.calls,
              ElementsAre("GetStdHandle", "SetConsoleWindowInfo 0 0 59 19", "print resize failed"));
}

TEST(console_steps, refused_buffer_comes_after_the_window_was_set) {
  recording_platform system;
  system.buffer_accepted = false;
  EXPECT_FALSE(vantrel::size_console(system, {0, 0, 59, 19}, {40, 300}));
  EXPECT_THAT(system.calls,
              ElementsAre("GetStdHandle", "SetConsoleWindowInfo 0 0 59 19",
                          "SetConsoleScreenBufferSize 40 300", "print resize buffer failed"));
}

}  // namespace
