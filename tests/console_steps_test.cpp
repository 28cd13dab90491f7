// The two console steps against a recording double of the platform: the
// calls they make, with what, and what they write for each answer of the
// platform, including answers that Wine cannot give (a refused consent
// prompt, a guard that could not be created). How the run puts them together
// is in run_test.cpp.

#include "console_steps.hpp"

#include "captured_io.hpp"
#include "recording_platform.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace {

using test_support::captured_io;
using test_support::recording_platform;
using ::testing::ElementsAreArray;

using call_list = std::vector<std::string>;

call_list joined(call_list first, const call_list& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

const call_list start_calls = {"CreateEventW", "GetModuleFileNameW 260", "ShellExecuteExW"};
const call_list started = joined(start_calls, {"Sleep 100"});

struct relaunch_case {
  const char* name;
  std::uint32_t event_error;
  std::uint32_t start_error;
  bool goes_on;
  call_list calls;
  std::string out;

  friend void PrintTo(const relaunch_case& c, std::ostream* os) { *os << c.name; }
};

class relaunch : public ::testing::TestWithParam<relaunch_case> {};

TEST_P(relaunch, starts_the_copy_or_reports_uac_failure) {
  const relaunch_case& expected = GetParam();
  recording_platform system;
  system.event_error = expected.event_error;
  system.start_error = expected.start_error;
  captured_io io;
  EXPECT_EQ(vantrel::relaunch_elevated(system, io), expected.goes_on);
  EXPECT_THAT(system.calls, ElementsAreArray(expected.calls));
  EXPECT_EQ(io.out_text(), expected.out);
  EXPECT_EQ(io.err_text(), "");
}

INSTANTIATE_TEST_SUITE_P(
    answers, relaunch,
    ::testing::Values(relaunch_case{"started", 0, 0, true, started, ""},
                      // Another run holds the guard; or the event could not be created at
                      // all (here: access denied).
                      relaunch_case{"guard_taken", 183, 0, false, {"CreateEventW"}, "uac filed"},
                      relaunch_case{
                          "guard_not_created", 5, 0, false, {"CreateEventW"}, "uac filed"},
                      // The user said no to the consent prompt; the executable was not found.
                      relaunch_case{"consent_refused", 0, 1223, false, start_calls, "uac filed"},
                      relaunch_case{"file_not_found", 0, 2, false, start_calls, "uac filed"},
                      // Other start errors are not the user's refusal: the step goes on.
                      relaunch_case{"access_denied", 0, 5, true, started, ""},
                      relaunch_case{"no_association", 0, 1155, true, started, ""}),
    [](const ::testing::TestParamInfo<relaunch_case>& param) { return param.param.name; });

TEST(relaunch_elevated, starts_its_own_executable_under_the_guard) {
  recording_platform system;
  system.module_path = L"D:\\bin\\vantrel.exe";
  captured_io io;
  ASSERT_TRUE(vantrel::relaunch_elevated(system, io));
  EXPECT_EQ(system.event_name, L"{29544E05-024F-4BC1-A272-452DBC8E17A4}");
  EXPECT_EQ(system.started_file, L"D:\\bin\\vantrel.exe");
}

struct sizing_case {
  const char* name;
  bool window_accepted;
  bool buffer_accepted;
  bool sized;
  call_list calls;
  std::string out;

  friend void PrintTo(const sizing_case& c, std::ostream* os) { *os << c.name; }
};

class sizing : public ::testing::TestWithParam<sizing_case> {};

// The values pass unchanged, negative ones included.
TEST_P(sizing, sets_the_window_then_the_buffer) {
  const sizing_case& expected = GetParam();
  recording_platform system;
  system.window_accepted = expected.window_accepted;
  system.buffer_accepted = expected.buffer_accepted;
  captured_io io;
  EXPECT_EQ(vantrel::size_console(system, io, {-5, 0, 119, -1}, {300, -32768}), expected.sized);
  EXPECT_THAT(system.calls, ElementsAreArray(expected.calls));
  EXPECT_EQ(io.out_text(), expected.out);
  EXPECT_EQ(io.err_text(), "");
}

const call_list window_set = {"GetStdHandle", "SetConsoleWindowInfo -5 0 119 -1"};
const call_list both_set = joined(window_set, {"SetConsoleScreenBufferSize 300 -32768"});

INSTANTIATE_TEST_SUITE_P(
    answers, sizing,
    ::testing::Values(
        sizing_case{"both_accepted", true, true, true, both_set, ""},
        // The buffer is left alone when the window is refused.
        sizing_case{"window_refused", false, true, false, window_set, "resize failed"},
        sizing_case{"buffer_refused", true, false, false, both_set, "resize buffer failed"}),
    [](const ::testing::TestParamInfo<sizing_case>& param) { return param.param.name; });

}  // namespace
