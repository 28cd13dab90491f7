// The built program as a real process: what scripts see on each stream and
// as exit status. Options after the test framework's own:
//   --command=WORD   the program to run, one word per option, so that an
//                    emulator can stand in front of it;
//   --crlf           read "\r\n" line ends as "\n";
//   --platform=NAME  "unsupported" where no console can be sized, "wine"
//                    under Wine, "windows" on Windows.

#include "command_line_text.hpp"
#include "count_report.hpp"
#include "process_runner.hpp"
#include "program_texts.hpp"

#include <gtest/gtest.h>

#include <ostream>
#include <string_view>

namespace {

using test_support::count_report;
using test_support::process_result;

struct settings {
  std::vector<std::string> command;
  bool crlf = false;
  std::string platform;
};

settings& program_settings() {
  static settings values;
  return values;
}

std::string with_lf_line_ends(std::string text) {
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
    text.erase(at, 1);
  }
  return text;
}

// Under load, Wine now and then fails to start a process: status 1 and no
// output at all. The program never exits with 1, so that one case is tried
// once more; a second such failure is a failure.
bool wine_failed_to_start(const process_result& result) {
  return result.status == 1 && result.out.empty() && result.err.empty();
}

process_result run_program(const std::vector<std::string>& arguments) {
  const settings& given = program_settings();
  if (given.command.empty()) {
    ADD_FAILURE() << "no --command names the program";
    return {};
  }
  std::vector<std::string> words = given.command;
  words.insert(words.end(), arguments.begin(), arguments.end());
  process_result result = test_support::run_process(words);
  if (given.platform == "wine" && wine_failed_to_start(result)) {
    result = test_support::run_process(words);
  }
  if (given.crlf) {
    result.out = with_lf_line_ends(result.out);
    result.err = with_lf_line_ends(result.err);
  }
  return result;
}

struct program_case {
  std::vector<std::string> arguments;
  int status;
  std::string out;
  std::string err;
};

// The status as the runner reports it: Windows keeps the whole code, while a
// POSIX caller sees its low 8 bits (-1 is 255).
int as_reported(int status) {
#if defined(_WIN32)
  return status;
#else
  return status & 0xFF;
#endif
}

std::ostream& operator<<(std::ostream& stream, const program_case& row) {
  return test_support::print_command_line(stream, row.arguments);
}

class program : public ::testing::TestWithParam<program_case> {};

TEST_P(program, writes_each_text_to_its_stream_and_exits) {
  const program_case& row = GetParam();
  const process_result result = run_program(row.arguments);
  EXPECT_EQ(result.out, row.out);
  EXPECT_EQ(result.err, row.err);
  EXPECT_EQ(result.status, as_reported(row.status));
}

const std::string help(test_support::program_help);
const std::string usage(test_support::program_usage);
const std::string version(test_support::program_version);

// clang-format off
INSTANTIATE_TEST_SUITE_P(texts_for_people, program, ::testing::Values(
    program_case{{}, 0, usage, ""},
    program_case{{"--help"}, 0, help, ""},
    program_case{{"-?"}, 0, help, ""},
    program_case{{"-v"}, 0, version, ""},
    program_case{{"--version", "--help"}, 0, help, ""},
    program_case{{"--left", "-v"}, 0, version, ""},
    program_case{{"-a?"}, 0, help, ""}));

INSTANTIATE_TEST_SUITE_P(parse_errors, program, ::testing::Values(
    program_case{{"--left=5"}, -1, "", "(parse error) unrecognized option--left=5\n"},
    program_case{{"-l"}, -1, "", "(parse error) option -l --left should have value\n"},
    program_case{{"-"}, -1, "", "(parse error) bare unexcepted '-'\n"},
    program_case{{"-ax"}, -1, "", "(parse error) unrecognized short name option 'x' in -ax\n"},
    program_case{{"-l5"}, -1, "", "(parse error) aggregation short name option must be bool\n"},
    program_case{{"-l", "-t", "5", ""}, -1, "",
                 "(parse error) position argument number missmatching, give 2, but need 0\n"
                 "uncaptured command line arguments:\n5\n\n"},
    // Look-alikes, never their best fit '-' or "100": U+FF0D FULLWIDTH HYPHEN-MINUS,
    // U+2212 MINUS SIGN, fullwidth "100" (as UTF-8 bytes, for every compiler).
    program_case{{"\xEF\xBC\x8D" "a"}, -1, "", count_report({"\xEF\xBC\x8D" "a"}, 0)},
    program_case{{"\xE2\x88\x92" "a"}, -1, "", count_report({"\xE2\x88\x92" "a"}, 0)},
    program_case{{"\xEF\xBC\x8D\xEF\xBC\x8D" "version"}, -1, "",
                 count_report({"\xEF\xBC\x8D\xEF\xBC\x8D" "version"}, 0)},
    program_case{{"\xEF\xBC\x91\xEF\xBC\x90\xEF\xBC\x90"}, -1, "",
                 count_report({"\xEF\xBC\x91\xEF\xBC\x90\xEF\xBC\x90"}, 0)}));

// Without a console to size, an accepted command line fails at the window.
INSTANTIATE_TEST_SUITE_P(accepted_without_console, program, ::testing::Values(
    program_case{{"--left", "10", "--right", "120", "-w", "300"}, -1, "resize failed", ""},
    program_case{{"-h", "30", "-l", "x"}, -1, "resize failed", ""}));
// clang-format on

// Where no elevated copy can be started, the admin flag fails before the
// console is touched.
TEST(program_without_windows, admin_flag_reports_uac_failure) {
  if (program_settings().platform != "unsupported") {
    GTEST_SKIP() << "the relaunch is tested against Windows consoles";
  }
  const process_result result = run_program({"-a", "--left", "5"});
  EXPECT_EQ(result.out, "uac filed");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.status, as_reported(-1));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  settings& given = program_settings();
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option.starts_with("--command=")) {
      given.command.emplace_back(option.substr(std::string_view("--command=").size()));
    } else if (option == "--crlf") {
      given.crlf = true;
    } else if (option.starts_with("--platform=")) {
      given.platform = option.substr(std::string_view("--platform=").size());
    }
  }
  return RUN_ALL_TESTS();
}
