// In-process timings of the parser: the program's own run on a typical
// command line and on --help, and how parsing grows with the number of texts
// and of options. Times are per text where the work is per text.

#include "captured_io.hpp"
#include "run.hpp"

#include <argparse/arg_parser.hpp>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using test_support::command_line;
using test_support::process_ended;

// Output goes nowhere; ending the process becomes an exception, so that a
// run that ends (help, a parse error) can be timed over and over.
class null_io final : public argparse::process_io {
 public:
  void write_out(std::string_view text, bool /*flush*/) override {
    benchmark::DoNotOptimize(text.data());
  }
  void write_err(std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
  [[noreturn]] void exit(int status) override { throw process_ended{status}; }
};

// A console that takes every size.
class accepting_platform final : public vantrel::platform {
 public:
  std::uint32_t create_named_event(const wchar_t* /*name*/) override { return 0; }
  void module_file_name(wchar_t* buffer, std::uint32_t size) override {
    if (size > 0) {
      buffer[0] = L'\0';
    }
  }
  std::uint32_t shell_execute_runas(const wchar_t* /*file*/) override { return 0; }
  void sleep(std::uint32_t /*milliseconds*/) override {}
  vantrel::console_handle std_output_handle() override { return nullptr; }
  bool set_console_window_info(vantrel::console_handle /*console*/,
                               const vantrel::SMALL_RECT& /*window*/) override {
    return true;
  }
  bool set_console_screen_buffer_size(vantrel::console_handle /*console*/,
                                      vantrel::COORD /*size*/) override {
    return true;
  }
};

// The texts behind the invocation text.
std::int64_t text_count(const command_line& line) { return line.argc() - 1; }

// The invocation text, the typical line, then plain values up to `texts`
// texts. The values are taken by no option, so every step of the parse walks
// the whole list and the last one reports every one of them.
command_line typical_line_padded_to(std::int64_t texts) {
  std::vector<std::string> arguments{"vantrel", "--left", "10", "--right", "120", "-w", "300"};
  while (static_cast<std::int64_t>(arguments.size()) <= texts) {
    arguments.emplace_back("7");
  }
  return command_line(std::move(arguments));
}

// Runs the program's sequence: registration, parse, the seven lookups and
// the console steps, or the end of the process that parse decides.
int run_program(const command_line& line) {
  static accepting_platform system;
  static null_io io;
  try {
    return vantrel::run(line.argc(), line.argv(), system, io);
  } catch (const process_ended& ended) {
    return ended.status;
  }
}

void report_per_text(benchmark::State& state, std::int64_t texts) {
  state.SetItemsProcessed(state.iterations() * texts);
  state.counters["texts"] = static_cast<double>(texts);
  state.counters["ns_per_text"] = benchmark::Counter(
      static_cast<double>(texts) * 1e-9,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void expect_status(benchmark::State& state, int status, int expected) {
  if (status != expected) {
    state.SkipWithError("the run ended with an unexpected status");
  }
}

// Runs the program over and over on one command line.
void time_program(benchmark::State& state, const command_line& line, int expected_status) {
  int status = expected_status;
  for (auto _ : state) {
    status = run_program(line);
    benchmark::DoNotOptimize(status);
  }
  expect_status(state, status, expected_status);
  report_per_text(state, text_count(line));
}

// Registration, parse and the seven lookups of --left 10 --right 120 -w 300.
void program_typical_line(benchmark::State& state) {
  time_program(state, command_line({"vantrel", "--left", "10", "--right", "120", "-w", "300"}), 0);
}
BENCHMARK(program_typical_line);

// Registration, parse, the whole help listing into a null stream, and the
// end of the process (as an exception).
void program_help(benchmark::State& state) {
  time_program(state, command_line({"vantrel", "--help"}), 0);
}
BENCHMARK(program_help);

// The part of the --help figure that stands for the end of the process: a
// real run calls std::exit there instead.
void exit_as_exception(benchmark::State& state) {
  null_io io;
  for (auto _ : state) {
    try {
      io.exit(0);
    } catch (const process_ended& ended) {
      benchmark::DoNotOptimize(ended.status);
    }
  }
}
BENCHMARK(exit_as_exception);

// The program's table against 10 to 100,000 texts; see typical_line_padded_to.
void program_texts(benchmark::State& state) {
  const command_line line = typical_line_padded_to(state.range(0));
  time_program(state, line, -1);
  state.SetComplexityN(text_count(line));
}
BENCHMARK(program_texts)->RangeMultiplier(10)->Range(10, 100'000)->Complexity(benchmark::oN);

// A parser of `options` int options named --option-0, --option-1, ..., with
// no short names.
void register_options(argparse::arg_parser& parser, std::int64_t options) {
  for (std::int64_t i = 0; i < options; ++i) {
    parser.add_option("", "--option-" + std::to_string(i), "an option", 0);
  }
}

// Parsing alone, `options` options against `texts` plain values that no
// option takes: every option scans every text, which is the most work a
// parse can do, before the texts are reported as left over.
void options_by_texts(benchmark::State& state) {
  const std::int64_t options = state.range(0);
  null_io io;
  argparse::arg_parser parser("options by texts", io);
  register_options(parser, options);
  const command_line line = [&] {
    std::vector<std::string> texts{"bench"};
    texts.resize(static_cast<std::size_t>(state.range(1)) + 1, "7");
    return command_line(std::move(texts));
  }();
  int status = 0;
  for (auto _ : state) {
    try {
      parser.parse(line.argc(), line.argv());
    } catch (const process_ended& ended) {
      status = ended.status;
    }
  }
  expect_status(state, status, -1);
  report_per_text(state, text_count(line));
  state.counters["options"] = static_cast<double>(options);
  state.counters["ns_per_option_text"] = benchmark::Counter(
      static_cast<double>(options * text_count(line)) * 1e-9,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetComplexityN(options * text_count(line));
}
BENCHMARK(options_by_texts)
    ->ArgsProduct({{9, 100, 1'000, 10'000}, {10, 100, 1'000, 10'000}})
    ->Complexity(benchmark::oN);

// Registration of `options` options, each name checked against all before.
void register_many(benchmark::State& state) {
  for (auto _ : state) {
    null_io io;
    argparse::arg_parser parser("registration", io);
    register_options(parser, state.range(0));
    benchmark::DoNotOptimize(parser);
  }
  state.counters["options"] = static_cast<double>(state.range(0));
}
BENCHMARK(register_many)->RangeMultiplier(10)->Range(10, 10'000)->Unit(benchmark::kMicrosecond);

// The help listing of `options` options into a null stream.
void help_many(benchmark::State& state) {
  null_io io;
  argparse::arg_parser parser("help listing", io);
  register_options(parser, state.range(0));
  for (auto _ : state) {
    parser.print_help();
  }
  state.counters["options"] = static_cast<double>(state.range(0));
  state.counters["ns_per_option"] = benchmark::Counter(
      static_cast<double>(state.range(0)) * 1e-9,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(help_many)->RangeMultiplier(10)->Range(10, 10'000);

}  // namespace

BENCHMARK_MAIN();
