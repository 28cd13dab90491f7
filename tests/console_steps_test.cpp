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
#include <optional>
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

const call_list window_set = {"GetStdHandle", "GetConsoleMode", "SetConsoleWindowInfo -5 0 119 -1"};
const call_list both_set = joined(window_set, {"SetConsoleScreenBufferSize 300 -32768"});

INSTANTIATE_TEST_SUITE_P(
    answers, sizing,
    ::testing::Values(
        sizing_case{"both_accepted", true, true, true, both_set, ""},
        // The buffer is left alone when the window is refused.
        sizing_case{"window_refused", false, true, false, window_set, "resize failed"},
        sizing_case{"buffer_refused", true, false, false, both_set, "resize buffer failed"}),
    [](const ::testing::TestParamInfo<sizing_case>& param) { return param.param.name; });

struct request_case {
  vantrel::SMALL_RECT window;
  std::string request;
};

// The counts are taken from the 16-bit edges, as the console gets them.
TEST(terminal_window_request, asks_for_the_rectangles_rows_and_columns) {
  const std::vector<request_case> cases = {
      {{0, 0, 39, 39}, "\x1b[8;40;40t"},     // the defaults
      {{10, 0, 109, 39}, "\x1b[8;40;100t"},  // --left 10 --right 110
      {{2, 5, 79, 24}, "\x1b[8;20;78t"},     // every edge moved
      {{-5, 0, 0, 0}, "\x1b[8;1;6t"},        // a negative edge, one row
      {{0, 0, 32766, 32766}, "\x1b[8;32767;32767t"},
      {{0, 0, 32767, 39}, ""},                // --right 32768: 32768 columns
      {{0, 0, 4463, 39}, "\x1b[8;40;4464t"},  // --right 70000 keeps its low 16 bits
      {{-32768, 0, 32767, 39}, ""},           // 65536 columns
      {{10, 0, 9, 39}, ""},                   // --left 10 --right 10: no column
      {{10, 0, 4, 39}, ""},                   // left past right
      {{0, 0, 39, -1}, ""},                   // --bottom 0
      {{0, 0, 39, 32767}, ""},                // --bottom 32768: 32768 rows
  };
  for (const request_case& row : cases) {
    EXPECT_EQ(vantrel::terminal_window_request(row.window), row.request)
        << row.window.Left << " " << row.window.Top << " " << row.window.Right << " "
        << row.window.Bottom;
  }
}

struct terminal_case {
  const char* name;
  call_list request_calls;  // between GetStdHandle and the window
  // What differs from a pseudoconsole's console.
  void (*console)(recording_platform&) = [](recording_platform&) {};
  vantrel::SMALL_RECT window{10, 0, 109, 39};

  friend void PrintTo(const terminal_case& c, std::ostream* os) { *os << c.name; }
};

class terminal : public ::testing::TestWithParam<terminal_case> {};

// Whatever the request meets, the window and the buffer are set as ever,
// and only they decide the message and the result.
TEST_P(terminal, asks_only_a_terminal_and_changes_nothing_else) {
  const terminal_case& row = GetParam();
  for (const bool window_accepted : {true, false}) {
    recording_platform system;
    system.output_mode = 3;
    system.has_window = true;
    system.window_class = L"PseudoConsoleWindow";
    system.window_shown = false;
    row.console(system);
    system.window_accepted = window_accepted;
    captured_io io;
    EXPECT_EQ(vantrel::size_console(system, io, row.window, {100, 300}), window_accepted);
    call_list calls = joined({"GetStdHandle"}, row.request_calls);
    calls.push_back("SetConsoleWindowInfo " + std::to_string(row.window.Left) + " " +
                    std::to_string(row.window.Top) + " " + std::to_string(row.window.Right) + " " +
                    std::to_string(row.window.Bottom));
    if (window_accepted) {
      calls.emplace_back("SetConsoleScreenBufferSize 100 300");
    }
    EXPECT_THAT(system.calls, ElementsAreArray(calls));
    EXPECT_EQ(io.out_text(), window_accepted ? "" : "resize failed");
    EXPECT_EQ(io.err_text(), "");
  }
}

const call_list asked_of = {"GetConsoleMode", "GetConsoleWindow", "GetClassNameW"};
const call_list asked_and_shown = joined(asked_of, {"IsWindowVisible"});
const call_list request_written = {"SetConsoleMode 7", "WriteConsoleA \\e[8;40;100t",
                                   "SetConsoleMode 3"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(consoles, terminal, ::testing::Values(
    terminal_case{"pseudoconsole", joined(asked_of, request_written)},
    // Wine's console behind a Unix terminal: its window is never shown.
    terminal_case{"hidden_window", joined(asked_and_shown, request_written),
                  [](recording_platform& s) { s.window_class = L"WineConsoleClass"; }},
    // Processing already on stays on.
    terminal_case{"processing_on", joined(asked_of, {"SetConsoleMode 7", "WriteConsoleA \\e[8;40;100t", "SetConsoleMode 7"}),
                  [](recording_platform& s) { s.output_mode = 7; }},
    // A window of the console's own: the classic host's, shown or not, and
    // Wine's windowed console.
    terminal_case{"classic_window", asked_of,
                  [](recording_platform& s) { s.window_class = L"ConsoleWindowClass"; s.window_shown = true; }},
    terminal_case{"classic_window_hidden", asked_of,
                  [](recording_platform& s) { s.window_class = L"ConsoleWindowClass"; }},
    terminal_case{"shown_window", asked_and_shown,
                  [](recording_platform& s) { s.window_class = L"WineConsoleClass"; s.window_shown = true; }},
    terminal_case{"no_window", {"GetConsoleMode", "GetConsoleWindow"},
                  [](recording_platform& s) { s.has_window = false; }},
    terminal_case{"no_console", {"GetConsoleMode"},
                  [](recording_platform& s) { s.output_mode = std::nullopt; }},
    // A rectangle with no column asks nothing, and so needs no window.
    terminal_case{"nothing_to_ask", {"GetConsoleMode"}, [](recording_platform&) {}, {10, 0, 9, 39}},
    // What cannot be found out, or done, ends the request.
    terminal_case{"class_unknown", asked_of,
                  [](recording_platform& s) { s.window_class = std::nullopt; }},
    terminal_case{"visibility_unknown", asked_and_shown,
                  [](recording_platform& s) { s.window_class = L"WineConsoleClass"; s.window_shown = std::nullopt; }},
    terminal_case{"mode_refused", joined(asked_of, {"SetConsoleMode 7"}),
                  [](recording_platform& s) { s.mode_accepted = false; }},
    terminal_case{"write_refused", joined(asked_of, request_written),
                  [](recording_platform& s) { s.write_accepted = false; }}),
    [](const ::testing::TestParamInfo<terminal_case>& param) { return param.param.name; });
// clang-format on

}  // namespace
