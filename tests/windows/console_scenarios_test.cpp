// vantrel.exe in a real console, as a batch file runs it: each scenario
// starts the console probe (console_probe.cpp) in a new console of its own,
// waits for it, and compares the probe's report with what the console rules
// of Windows give. Options after the test framework's own:
//   --probe=PATH    console_probe.exe
//   --program=PATH  vantrel.exe
//   --reports=DIR   where to keep the probe's reports, one file per report
//                   (made if missing): SCENARIO.txt for each scenario's run,
//                   largest.txt and largest_over_WxH.txt for the runs that
//                   measure the largest window; each replaces an earlier one
//
// Every new console must be the classic console host's (see
// has_the_classic_console_host). Two things are left out of the
// comparison: where the window stands (" at L T": only its size matters
// here) and the console host processes (conhost.exe, and explorer.exe under
// Wine) that a new console brings. The whole report is printed for the
// record.
//
// Where Wine's console does what Windows documents it refuses, the scenario
// says so and is skipped, not passed; the same outcome on Windows fails.

#include "windows_command_line.hpp"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct settings {
  std::string probe;
  std::string program;
  std::string reports;
};

settings& given() {
  static settings values;
  return values;
}

// Well within the test's own limit, also for two probes in one test.
constexpr DWORD probe_time_limit_ms = 45000;

struct cell_size {
  int width;
  int height;
};

struct console_state {
  cell_size window;
  cell_size buffer;
};

// Every scenario that does not depend on the screen starts from this.
constexpr console_state usual_start{{80, 25}, {120, 50}};

// One run of vantrel.exe and what it leaves behind.
struct run {
  std::vector<std::string> arguments;
  int status;
  console_state after;
  std::vector<std::string> started{};  // processes it starts: "NAME ARGUMENT_COUNT"
};

enum class redirection { none, pipe, file };

struct scenario {
  console_state start;
  std::vector<run> runs;  // one after the other, in the same console
  std::string output{};   // on the console, after the last run
  redirection standard_output = redirection::none;
  std::string redirected{};  // what reached the pipe or the file
  bool hold_guard = false;
};

std::string size_text(cell_size size, char separator) {
  return std::to_string(size.width) + separator + std::to_string(size.height);
}

std::vector<std::string> sizing(cell_size window, cell_size buffer) {
  return {"--left",   "0",
          "--top",    "0",
          "--right",  std::to_string(window.width),
          "--bottom", std::to_string(window.height),
          "-w",       std::to_string(buffer.width),
          "-h",       std::to_string(buffer.height)};
}

cell_size within(cell_size wanted, cell_size limit) {
  return {std::min(wanted.width, limit.width), std::min(wanted.height, limit.height)};
}

bool running_on_wine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string new_report_path() {
  char folder[MAX_PATH] = "";
  char path[MAX_PATH] = "";
  if (GetTempPathA(MAX_PATH, folder) == 0 || GetTempFileNameA(folder, "vcs", 0, path) == 0) {
    return "console-report-" + std::to_string(GetCurrentProcessId());
  }
  return path;
}

// Keeps the probe's report as NAME.txt in the folder that --reports names,
// if any, in place of an earlier one; also a failed scenario's.
void keep_report(const std::string& name, const std::string& report) {
  if (given().reports.empty()) {
    return;
  }
  std::error_code ignored;
  std::filesystem::create_directories(given().reports, ignored);
  const std::filesystem::path path = std::filesystem::path(given().reports) / (name + ".txt");
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << (report.empty() ? "no report: the probe wrote none\n" : report);
  if (!file) {
    ADD_FAILURE() << "cannot keep the probe's report as " << path.string();
  }
}

// The scenarios are about the classic console host and its own window
// (class ConsoleWindowClass), which a new console has where no terminal
// application takes consoles over. Any other host fails them, and says
// which it is: a pseudoconsole, whose terminal sets its size (a window of
// another class, or none), or a console with no window at all. Wine's
// console has a host of its own, whose window class is WineConsoleClass:
// that is accepted under Wine only.
bool has_the_classic_console_host(const std::string& report) {
  const std::string classic = running_on_wine() ? "WineConsoleClass" : "ConsoleWindowClass";
  const std::string host = report.substr(0, report.find('\n'));
  if (host == "host " + classic) {
    return true;
  }
  ADD_FAILURE() << "the scenarios need a new console of the classic console host, whose "
                   "window's class is "
                << classic << "; the probe's report says \"" << host << "\"";
  return false;
}

// Starts the probe in a new console, with its options, the report's path
// and the rest of its arguments, keeps its report under `name` and returns
// it; an empty text, with the failure recorded, when there is none or the
// console is not the one the scenarios are for.
std::string run_probe(const std::string& name, const std::vector<std::string>& options,
                      const std::vector<std::string>& rest) {
  if (given().probe.empty() || given().program.empty()) {
    ADD_FAILURE() << "--probe and --program name the console probe and vantrel.exe";
    return "";
  }
  const std::string report = new_report_path();
  std::vector<std::string> words{given().probe};
  words.insert(words.end(), options.begin(), options.end());
  words.push_back(report);
  words.insert(words.end(), rest.begin(), rest.end());
  std::string line = test_support::windows_command_line(words);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION probe{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                      nullptr, &startup, &probe)) {
    ADD_FAILURE() << "cannot start " << line << ": error " << GetLastError();
    return "";
  }
  if (WaitForSingleObject(probe.hProcess, probe_time_limit_ms) != WAIT_OBJECT_0) {
    TerminateProcess(probe.hProcess, 3);
    WaitForSingleObject(probe.hProcess, INFINITE);
    ADD_FAILURE() << "the probe took longer than " << probe_time_limit_ms / 1000 << " s";
  }
  CloseHandle(probe.hThread);
  CloseHandle(probe.hProcess);
  std::string text = read_file(report);
  DeleteFileA(report.c_str());
  keep_report(name, text);
  std::printf("The probe's report (%s):\n%s", name.c_str(), text.c_str());
  // The host is judged also when the probe could not go on, which another
  // host may be the cause of.
  const bool classic = text.empty() || has_the_classic_console_host(text);
  if (text.empty() || text.starts_with("error ") || text.find("\nerror ") != std::string::npos) {
    ADD_FAILURE() << "the probe did not run the scenario: " << (text.empty() ? "no report\n" : text)
                  << (running_on_wine() ? "(Under Wine, a new console needs an X display.)" : "");
    return "";
  }
  return classic ? text : "";
}

// The size on the report's line "KEY W H"; 0x0, with the failure recorded,
// when there is none.
cell_size reported_size(const std::string& report, const std::string& key) {
  std::istringstream lines(report);
  for (std::string line; std::getline(lines, line);) {
    cell_size size{0, 0};
    if (line.starts_with(key + " ") &&
        std::istringstream(line.substr(key.size() + 1)) >> size.width >> size.height &&
        size.width > 0 && size.height > 0) {
      return size;
    }
  }
  ADD_FAILURE() << "no size \"" << key << "\" in the probe's report: " << report;
  return {0, 0};
}

// The largest window that a new console can show, as the console reports it
// (GetLargestConsoleWindowSize): it follows the screen and the font, whatever
// the buffer.
cell_size largest_window() {
  return reported_size(run_probe("largest", {"--largest"}, {}), "largest");
}

// The largest window over a buffer of that size, as the console reports it
// (GetConsoleScreenBufferInfo's maximum): it also allows for the buffer,
// whose scroll bars take room where it is larger than the window.
cell_size largest_window_over(cell_size buffer) {
  return reported_size(
      run_probe("largest_over_" + size_text(buffer, 'x'), {"--largest"}, {size_text(buffer, 'x')}),
      "maximum");
}

std::string expected_report(const scenario& wanted) {
  std::ostringstream text;
  text << "before window " << size_text(wanted.start.window, ' ') << "\n"
       << "before buffer " << size_text(wanted.start.buffer, ' ') << "\n";
  for (const run& each : wanted.runs) {
    text << "status " << each.status << "\n"
         << "started vantrel.exe " << each.arguments.size() << "\n";
    for (const std::string& started : each.started) {
      text << "started " << started << "\n";
    }
    text << "after window " << size_text(each.after.window, ' ') << "\n"
         << "after buffer " << size_text(each.after.buffer, ' ') << "\n";
  }
  text << "output \"" << wanted.output << "\"\n";
  if (wanted.standard_output == redirection::pipe) {
    text << "pipe \"" << wanted.redirected << "\"\n";
  } else if (wanted.standard_output == redirection::file) {
    text << "file \"" << wanted.redirected << "\"\n";
  }
  return text.str();
}

bool is_console_host(const std::string& line) {
  return line.starts_with("started conhost.exe ") ||
         (running_on_wine() && line.starts_with("started explorer.exe "));
}

// The report without what is not compared (see the top): the largest size
// and the host, where the window stands, and the console hosts started.
std::string compared_part(const std::string& report) {
  std::istringstream lines(report);
  std::string kept;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("largest ") || line.starts_with("host ") || is_console_host(line)) {
      continue;
    }
    const std::size_t position = line.find(" at ");
    if (line.find(" window ") != std::string::npos && position != std::string::npos) {
      line.erase(position);
    }
    kept += line + "\n";
  }
  return kept;
}

std::vector<std::string> probe_options(const scenario& wanted) {
  std::vector<std::string> options;
  if (wanted.hold_guard) {
    options.emplace_back("--hold-guard");
  }
  if (wanted.standard_output == redirection::pipe) {
    options.emplace_back("--stdout-pipe");
  } else if (wanted.standard_output == redirection::file) {
    options.emplace_back("--stdout-file");
  }
  return options;
}

// Runs the scenario and returns the compared part of the probe's report.
std::string run_scenario(const scenario& wanted) {
  std::vector<std::string> rest{size_text(wanted.start.buffer, 'x'),
                                size_text(wanted.start.window, 'x')};
  for (const run& each : wanted.runs) {
    if (&each != &wanted.runs.front()) {
      rest.emplace_back("--then");
    }
    rest.push_back(given().program);
    rest.insert(rest.end(), each.arguments.begin(), each.arguments.end());
  }
  const std::string report = run_probe(
      ::testing::UnitTest::GetInstance()->current_test_info()->name(), probe_options(wanted), rest);
  return report.empty() ? "" : compared_part(report);
}

void expect_scenario(const scenario& wanted) {
  EXPECT_EQ(run_scenario(wanted), expected_report(wanted));
}

// A window of `window` cells, beyond what the screen allows, is refused and
// changes nothing. Wine's console takes it, which Windows does not.
void expect_refused_beyond_the_screen(const console_state& start, cell_size window) {
  const std::vector<std::string> arguments = sizing(window, start.buffer);
  const scenario refused{.start = start,
                         .runs = {{.arguments = arguments, .status = -1, .after = start}},
                         .output = "resize failed"};
  const scenario taken{
      .start = start,
      .runs = {{.arguments = arguments, .status = 0, .after = {window, start.buffer}}}};
  const std::string report = run_scenario(refused);
  if (running_on_wine() && report == expected_report(taken)) {
    GTEST_SKIP() << "Wine's console took a window of " << size_text(window, 'x')
                 << " cells, larger than GetLargestConsoleWindowSize reports; Windows refuses it";
  }
  EXPECT_EQ(report, expected_report(refused));
}

// The start for the screen's limit: a buffer one cell larger than the
// largest window each way, so that only the screen can refuse a window one
// cell too wide or too tall.
console_state beyond_the_screen_start(cell_size largest) {
  return {within(usual_start.window, largest), {largest.width + 1, largest.height + 1}};
}

TEST(console, sets_window_then_buffer) {
  expect_scenario({.start = usual_start,
                   .runs = {{.arguments = sizing({60, 20}, {200, 300}),
                             .status = 0,
                             .after = {{60, 20}, {200, 300}}}}});
}

// The window is set first, so it may not be wider than the buffer it finds.
// Only that can refuse it: the window is as wide as the largest that the
// screen allows, the buffer one column narrower and as tall as the window,
// so that no scroll bar takes room.
TEST(console, window_wider_than_buffer) {
  const cell_size largest = largest_window();
  if (HasFailure()) {
    return;
  }
  const cell_size buffer{largest.width - 1, std::min(20, largest.height)};
  const console_state start{within(usual_start.window, buffer), buffer};
  expect_scenario(
      {.start = start,
       .runs = {{.arguments = sizing({largest.width, buffer.height}, {largest.width, 300}),
                 .status = -1,
                 .after = start}},
       .output = "resize failed"});
}

// The buffer may not be smaller than the window just set, which stays:
// here one column narrower, far above the smallest buffer allowed.
TEST(console, buffer_smaller_than_window) {
  expect_scenario(
      {.start = usual_start,
       .runs = {{.arguments = {"--right", "60", "--bottom", "20", "-w", "59", "-h", "300"},
                 .status = -1,
                 .after = {{60, 20}, usual_start.buffer}}},
       .output = "resize buffer failed"});
}

// The console sized is standard output's: with that a pipe or a file, the
// sizes that the first case sets are refused, though standard error is the
// console, and the message goes where standard output goes.
void expect_refused_with_standard_output_to(redirection elsewhere) {
  expect_scenario(
      {.start = usual_start,
       .runs = {{.arguments = sizing({60, 20}, {200, 300}), .status = -1, .after = usual_start}},
       .standard_output = elsewhere,
       .redirected = "resize failed"});
}

TEST(console, sizes_the_console_of_standard_output) {
  expect_refused_with_standard_output_to(redirection::pipe);
}

TEST(console, standard_output_to_a_file) {
  expect_refused_with_standard_output_to(redirection::file);
}

TEST(console, guard_held_elsewhere) {
  expect_scenario({.start = usual_start,
                   .runs = {{.arguments = {"-a"}, .status = -1, .after = usual_start}},
                   .output = "uac filed",
                   .hold_guard = true});
}

// The copy gets a console of its own, so its usage line does not show here;
// the probe shows instead that it was started with no arguments. Then the
// run sizes its own console with the defaults and its --left.
TEST(console, relaunch_without_arguments) {
  expect_scenario({.start = usual_start,
                   .runs = {{.arguments = {"-a", "--left", "5"},
                             .status = 0,
                             .after = {{35, 40}, {1024, 720}},
                             .started = {"vantrel.exe 0"}}}});
}

TEST(console, window_one_cell_wider_than_the_screen_allows) {
  const cell_size largest = largest_window();
  if (HasFailure()) {
    return;
  }
  const console_state start = beyond_the_screen_start(largest);
  expect_refused_beyond_the_screen(start, {largest.width + 1, start.window.height});
}

TEST(console, window_one_cell_taller_than_the_screen_allows) {
  const cell_size largest = largest_window();
  if (HasFailure()) {
    return;
  }
  const console_state start = beyond_the_screen_start(largest);
  expect_refused_beyond_the_screen(start, {start.window.width, largest.height + 1});
}

// Over a buffer of the same size, so that no scroll bar takes room.
TEST(console, window_as_large_as_the_screen_allows) {
  const cell_size largest = largest_window();
  if (HasFailure()) {
    return;
  }
  expect_scenario(
      {.start = {within(usual_start.window, largest), largest},
       .runs = {
           {.arguments = sizing(largest, largest), .status = 0, .after = {largest, largest}}}});
}

// The README's example for a window wider than the current buffer: first the
// buffer, under a window that fits now, then the window. Its sizes are cut
// to the largest window over the example's buffer, 3000 rows tall, whose
// scroll bar takes room.
TEST(console, two_steps_grow_the_buffer_then_the_window) {
  const cell_size largest = largest_window_over({140, 3000});
  if (HasFailure()) {
    return;
  }
  const cell_size window = within({140, 35}, largest);
  const cell_size buffer{window.width, 3000};
  const cell_size first_window = within({80, 25}, largest);
  expect_scenario(
      {.start = usual_start,
       .runs = {{.arguments = sizing(first_window, buffer),
                 .status = 0,
                 .after = {first_window, buffer}},
                {.arguments = sizing(window, buffer), .status = 0, .after = {window, buffer}}}});
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // A crash of a program under test fails the test instead of opening a dialog.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option.starts_with("--probe=")) {
      given().probe = option.substr(std::string_view("--probe=").size());
    } else if (option.starts_with("--program=")) {
      given().program = option.substr(std::string_view("--program=").size());
    } else if (option.starts_with("--reports=")) {
      given().reports = option.substr(std::string_view("--reports=").size());
    }
  }
  return RUN_ALL_TESTS();
}
