// The program's run sequence in-process: command lines against its option
// table, with the platform calls recorded by a double.

#include "run.hpp"

#include "command_line_text.hpp"
#include "count_report.hpp"
#include "program_run.hpp"
#include "program_texts.hpp"
#include "recording_platform.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>

namespace {

using test_support::outcome;
using test_support::recording_platform;
using test_support::run_result;
using test_support::run_vantrel;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

using call_list = std::vector<std::string>;

call_list sized(const std::string& window, const std::string& buffer = "1024 720") {
  return {"GetStdHandle", "GetConsoleMode", "SetConsoleWindowInfo " + window,
          "SetConsoleScreenBufferSize " + buffer};
}

const call_list default_sizing = sized("0 0 39 39");

const call_list relaunch_then_default_sizing = {"CreateEventW",
                                                "GetModuleFileNameW 260",
                                                "ShellExecuteExW",
                                                "Sleep 100",
                                                "GetStdHandle",
                                                "GetConsoleMode",
                                                "SetConsoleWindowInfo 0 0 39 39",
                                                "SetConsoleScreenBufferSize 1024 720"};

// The program registers no position arguments, so every text left over is
// reported.
std::string leftover_report(const std::vector<std::string>& texts) {
  return test_support::count_report(texts, 0);
}

struct command_line_case {
  std::vector<std::string> arguments;
  int status;
  std::string out;
  std::string err;
  call_list calls;
};

std::ostream& operator<<(std::ostream& stream, const command_line_case& row) {
  return test_support::print_command_line(stream, row.arguments);
}

class program_command_line : public ::testing::TestWithParam<command_line_case> {};

TEST_P(program_command_line, writes_exits_and_sizes_as_expected) {
  const command_line_case& row = GetParam();
  const run_result run = run_vantrel(row.arguments);
  EXPECT_EQ(run.result, (outcome{row.status, row.out, row.err}));
  EXPECT_THAT(run.calls, ElementsAreArray(row.calls));
}

const std::string help(test_support::program_help);
const std::string usage(test_support::program_usage);
const std::string version(test_support::program_version);

// clang-format off
INSTANTIATE_TEST_SUITE_P(ending_early, program_command_line, ::testing::Values(
    command_line_case{{}, 0, usage, "", {}},
    command_line_case{{"--help"}, 0, help, "", {}},
    command_line_case{{"-?"}, 0, help, "", {}},
    command_line_case{{"--version"}, 0, version, "", {}},
    command_line_case{{"--version", "--help"}, 0, help, "", {}},
    command_line_case{{"--bogus", "--help"}, 0, help, "", {}},
    command_line_case{{"--left", "-v"}, 0, version, "", {}},
    command_line_case{{"-a", "--left", "1", "-?"}, 0, help, "", {}},
    command_line_case{{"-xv"}, 0, version, "", {}},
    command_line_case{{"-a?"}, 0, help, "", {}},
    command_line_case{{"-?x"}, 0, help, "", {}}));

INSTANTIATE_TEST_SUITE_P(parse_errors, program_command_line, ::testing::Values(
    command_line_case{{"--left=5"}, -1, "", "(parse error) unrecognized option--left=5\n", {}},
    command_line_case{{"--lef", "5"}, -1, "", "(parse error) unrecognized option--lef\n", {}},
    command_line_case{{"-l5"}, -1, "", "(parse error) aggregation short name option must be bool\n", {}},
    command_line_case{{"-5"}, -1, "", "(parse error) unrecognized short name option '5' in -5\n", {}},
    command_line_case{{"-l"}, -1, "", "(parse error) option -l --left should have value\n", {}},
    command_line_case{{"-h"}, -1, "", "(parse error) option -h --buffery should have value\n", {}},
    command_line_case{{"-t", "-l", "5"}, -1, "", "(parse error) option -t --top should have value\n", {}},
    command_line_case{{"-l", "-t", "5"}, -1, "", leftover_report({"5"}), {}},
    command_line_case{{"-a", "-a", "-a"}, -1, "", leftover_report({"-a"}), {}},
    command_line_case{{"-a", "--admin"}, -1, "", "(parse error) unrecognized option--admin\n", {}},
    command_line_case{{"--admin", "0"}, -1, "", leftover_report({"0"}), {}},
    command_line_case{{"-l", "1", "-l", "2"}, -1, "", "(parse error) aggregation short name option must be bool\n", {}},
    command_line_case{{"--left", "1", "-l", "2"}, -1, "", "(parse error) aggregation short name option must be bool\n", {}},
    command_line_case{{"--left", "1", "--left", "2"}, -1, "", "(parse error) unrecognized option--left\n", {}},
    command_line_case{{"-"}, -1, "", "(parse error) bare unexcepted '-'\n", {}},
    command_line_case{{"--"}, -1, "", "(parse error) unrecognized option--\n", {}},
    command_line_case{{"-ax"}, -1, "", "(parse error) unrecognized short name option 'x' in -ax\n", {}},
    command_line_case{{"-al"}, -1, "", "(parse error) aggregation short name option must be bool\n", {}},
    command_line_case{{"-aa", "-x"}, -1, "", leftover_report({"-x"}), {}},
    command_line_case{{"--bogus", "-xv"}, -1, "", "(parse error) unrecognized option--bogus\n", {}},
    command_line_case{{"5"}, -1, "", leftover_report({"5"}), {}},
    command_line_case{{"mode=fast", "--LEFT"}, -1, "", "(parse error) unrecognized option--LEFT\n", {}},
    command_line_case{{""}, -1, "", leftover_report({""}), {}}));

INSTANTIATE_TEST_SUITE_P(accepted, program_command_line, ::testing::Values(
    command_line_case{{"--left", "10", "--right", "120", "-w", "300"}, 0, "", "", sized("10 0 119 39", "300 720")},
    command_line_case{{"--left", "0"}, 0, "", "", default_sizing},
    command_line_case{{"--left", "-5"}, 0, "", "", sized("-5 0 39 39")},
    command_line_case{{"-h", "300"}, 0, "", "", sized("0 0 39 39", "1024 300")},
    command_line_case{{"-b", "25", "-t", "5", "-r", "80", "-l", "2"}, 0, "", "", sized("2 5 79 24")},
    command_line_case{{"--right", "0", "--bottom", "0"}, 0, "", "", sized("0 0 -1 -1")},
    command_line_case{{"--bufferx", "65536", "--buffery", "98304"}, 0, "", "", sized("0 0 39 39", "0 -32768")},
    command_line_case{{"--left", "32768", "--top", "-32769"}, 0, "", "", sized("-32768 32767 39 39")},
    command_line_case{{"--right", "-2147483648", "--bottom", "-2147483648"}, 0, "", "", sized("0 0 -1 -1")},
    command_line_case{{"--left", "2147483647"}, 0, "", "", sized("-1 0 39 39")},
    command_line_case{{"--left", "x", "--top", " 7px"}, 0, "", "", sized("0 7 39 39")},
    command_line_case{{"--left", "99999999999", "--top", "-99999999999"}, 0, "", "", sized("-1 0 39 39")},
    command_line_case{{"--left", "", "--top", "+12"}, 0, "", "", sized("0 12 39 39")},
    command_line_case{{"-l", "-t"}, 0, "", "", default_sizing},
    command_line_case{{"-a"}, 0, "", "", relaunch_then_default_sizing},
    command_line_case{{"-a", "-a"}, 0, "", "", relaunch_then_default_sizing},
    command_line_case{{"--admin", "-a"}, 0, "", "", relaunch_then_default_sizing},
    command_line_case{{"-aaa"}, 0, "", "", relaunch_then_default_sizing}));
// clang-format on

// Only the usage line of the listing is flushed by the program itself; the
// rest reaches the terminal when the process ends. The version is flushed.
TEST(run_sequence, flushes_usage_line_and_version) {
  EXPECT_EQ(run_vantrel({"--help"}).flushed_out, usage);
  EXPECT_EQ(run_vantrel({}).flushed_out, usage);
  EXPECT_EQ(run_vantrel({"-v"}).flushed_out, version);
}

// A step that fails ends the run with -1 and its message, and nothing after
// it runs: a failed relaunch leaves the console alone.
TEST(run_sequence, failed_step_ends_the_run) {
  recording_platform guard_taken;
  guard_taken.event_error = 183;
  const run_result relaunch = run_vantrel({"-a", "--left", "5"}, guard_taken);
  EXPECT_EQ(relaunch.result, (outcome{-1, "uac filed", ""}));
  EXPECT_THAT(relaunch.calls, ElementsAre("CreateEventW"));

  recording_platform refusing_buffer;
  refusing_buffer.buffer_accepted = false;
  const run_result sizing = run_vantrel({"-w", "10"}, refusing_buffer);
  EXPECT_EQ(sizing.result, (outcome{-1, "resize buffer failed", ""}));
  EXPECT_THAT(sizing.calls, ElementsAreArray(sized("0 0 39 39", "10 720")));
}

TEST(run_sequence, callback_and_errors_touch_no_platform_call) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{{"-a", "-v"}, {"-a", "-"}}) {
    EXPECT_THAT(run_vantrel(arguments).calls, IsEmpty());
  }
}

TEST(low_16_bits, keeps_the_low_half_as_signed) {
  // Rows rather than pairs: a pair built from an int would narrow it inside
  // <utility>, where MSVC warns.
  struct row {
    std::uint32_t value;
    std::int16_t expected;
  };
  const std::vector<row> cases = {
      {0u, 0},          {1u, 1},          {0x7FFFu, 32767},   {0x8000u, -32768},
      {0xFFFFu, -1},    {0x10000u, 0},    {0x12345u, 0x2345}, {0xFFFFFFFFu, -1},
      {0x80000000u, 0}, {0x8000FFFEu, -2}};
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(vantrel::low_16_bits(value), expected) << value;
  }
}

}  // namespace
