// Drives the program's run sequence in-process with a command line decoded
// from the fuzz input and the platform calls answered and recorded by a
// double. It checks that exactly the expected calls reach the platform, with
// the low 16 bits of the values that the parser hands back, and that a run
// the parser ends touches the platform not at all.
//
// Input: three bytes for the double's answers, then argument texts (see
// fuzz_input.hpp).
//   byte 1: the guard's last error: 0 or '0' when the guard is taken, else
//           that byte ('e' stands for ERROR_ALREADY_EXISTS)
//   byte 2: the shell's last error: 0 or '0' when it started the copy, 'c'
//           for ERROR_CANCELLED, 'f' for ERROR_FILE_NOT_FOUND, else the byte
//   byte 3: bit 0 refuses the window, bit 1 refuses the buffer size

#include "captured_io.hpp"
#include "console_steps.hpp"
#include "fuzz_check.hpp"
#include "fuzz_input.hpp"
#include "program_texts.hpp"
#include "recording_platform.hpp"
#include "run.hpp"

#include <argparse/arg_parser.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

using fuzz_support::fuzz_input;
using fuzz_support::require;
using test_support::captured_io;
using test_support::command_line;
using test_support::process_ended;
using test_support::recording_platform;

constexpr std::uint32_t error_already_exists = 183;
constexpr int failure_status = -1;

std::uint32_t error_from(unsigned char byte) {
  switch (byte) {
    case 0:
    case '0':
      return 0;
    case 'e':
      return error_already_exists;
    case 'c':
      return vantrel::error_cancelled;
    case 'f':
      return vantrel::error_file_not_found;
    default:
      return byte;
  }
}

recording_platform platform_from(fuzz_input& input) {
  recording_platform system;
  system.event_error = error_from(input.byte());
  system.start_error = error_from(input.byte());
  const unsigned char refusals = input.byte();
  system.window_accepted = (refusals & 1u) == 0;
  system.buffer_accepted = (refusals & 2u) == 0;
  return system;
}

std::vector<std::string> command_line_from(fuzz_input& input) {
  std::vector<std::string> texts{"vantrel.exe"};
  while (!input.at_end()) {
    texts.push_back(fuzz_support::without_nul(input.text()));
  }
  return texts;
}

// What the run reads back from its parser.
struct settings {
  int left, top, right, bottom, bufferx, buffery;
  bool admin;
};

// The settings a parser with the program's table reads from `line`, or none
// when parsing ends the process.
std::optional<settings> settings_from(const command_line& line) {
  captured_io io;
  argparse::arg_parser parser(vantrel::program_description, io);
  try {
    vantrel::add_program_options(parser, io).parse(line.argc(), line.argv());
  } catch (const process_ended&) {
    return std::nullopt;
  }
  return settings{parser.get<int>("--left"),    parser.get<int>("--top"),
                  parser.get<int>("--right"),   parser.get<int>("--bottom"),
                  parser.get<int>("--bufferx"), parser.get<int>("--buffery"),
                  parser.get<bool>("--admin")};
}

std::string low_16_bits(std::int64_t value) {
  return std::to_string(static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF)));
}

bool start_refused(std::uint32_t error) {
  return error == vantrel::error_cancelled || error == vantrel::error_file_not_found;
}

struct expected_run {
  std::vector<std::string> calls;  // as the double records them
  std::string out;                 // the failure message, if any
  int status;
};

// The platform calls that a run with these settings and answers makes, what
// it writes and the status it returns.
expected_run expected_run_for(const recording_platform& answers, const settings& values) {
  std::vector<std::string> calls;
  if (values.admin) {
    calls.emplace_back("CreateEventW");
    if (answers.event_error != 0) {
      return {calls, "uac filed", failure_status};
    }
    calls.emplace_back("GetModuleFileNameW 260");
    calls.emplace_back("ShellExecuteExW");
    if (start_refused(answers.start_error)) {
      return {calls, "uac filed", failure_status};
    }
    calls.emplace_back("Sleep 100");
  }
  calls.emplace_back("GetStdHandle");
  calls.emplace_back("GetConsoleMode");  // the double's output is no console
  calls.push_back("SetConsoleWindowInfo " + low_16_bits(values.left) + " " +
                  low_16_bits(values.top) + " " + low_16_bits(std::int64_t{values.right} - 1) +
                  " " + low_16_bits(std::int64_t{values.bottom} - 1));
  if (!answers.window_accepted) {
    return {calls, "resize failed", failure_status};
  }
  calls.push_back("SetConsoleScreenBufferSize " + low_16_bits(values.bufferx) + " " +
                  low_16_bits(values.buffery));
  if (!answers.buffer_accepted) {
    return {calls, "resize buffer failed", failure_status};
  }
  return {calls, "", 0};
}

bool is_status_0_output(const std::string& out) {
  return out == test_support::program_usage || out == test_support::program_version ||
         out == test_support::program_help;
}

std::string joined(const std::vector<std::string>& calls) {
  std::string text;
  for (const std::string& call : calls) {
    text.append(call).append("\n");
  }
  return text;
}

void check_ended_run(int status, const captured_io& io, const recording_platform& system) {
  require(system.calls.empty(), "a run that the parser ends touches no platform call",
          joined(system.calls), io.err_text());
  if (status == 0) {
    require(io.err_text().empty() && is_status_0_output(io.out_text()),
            "status 0 from the parser follows the usage line, help or version", io.out_text(),
            io.err_text());
    return;
  }
  require(status == failure_status && io.out_text().empty() &&
              io.err_text().starts_with("(parse error) "),
          "the parser ends a run only with a parse report and status -1", io.out_text(),
          io.err_text());
}

void check_returned_run(int status, const settings& values, const captured_io& io,
                        const recording_platform& system) {
  const expected_run expected = expected_run_for(system, values);
  require(io.out_text() == expected.out && io.err_text().empty(),
          "a parsed run writes its failure message only", io.out_text(), io.err_text());
  require(system.calls == expected.calls && status == expected.status,
          "the platform gets exactly the expected calls, with the low 16 bits of each value",
          joined(system.calls), joined(expected.calls));
  if (values.admin) {
    require(system.event_name == L"{29544E05-024F-4BC1-A272-452DBC8E17A4}",
            "the guard has its fixed name", "", "");
  }
  if (values.admin && system.event_error == 0) {
    require(system.started_file == system.module_path, "the copy started is this executable", "",
            "");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_input input(data, size);
  recording_platform system = platform_from(input);
  const command_line line(command_line_from(input));
  captured_io io;
  int returned = 0;
  const std::optional<int> ended = test_support::capture(io, [&] {
                                     returned = vantrel::run(line.argc(), line.argv(), system, io);
                                   }).status;
  const std::optional<settings> values = settings_from(line);
  require(values.has_value() == !ended.has_value(),
          "the run returns exactly when its command line is accepted", io.out_text(),
          io.err_text());
  if (ended) {
    check_ended_run(*ended, io, system);
  } else {
    check_returned_run(returned, *values, io, system);
  }
  return 0;
}
