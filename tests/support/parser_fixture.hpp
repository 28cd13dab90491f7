#pragma once

// A parser whose output and exit are captured, for tests that build their
// own option tables.

#include "captured_io.hpp"

#include <argparse/arg_parser.hpp>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test_support {

class parser_test : public ::testing::Test {
 protected:
  captured_io io;
  argparse::arg_parser parser{"describes the program", io};

  parser_test() { parser.set_program_name("prog"); }

  /// Runs `code` against the parser and reports what it wrote and how the
  /// process would have ended.
  outcome run(const std::function<void()>& code) { return capture(io, code); }

  /// Parses the texts given after the invocation text.
  outcome parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "prog.exe");
    const command_line line(std::move(arguments));
    return run([&] { parser.parse(line.argc(), line.argv()); });
  }

  static outcome failed(std::string report) { return {-1, "", std::move(report) + "\n"}; }
  static outcome accepted() { return {std::nullopt, "", ""}; }
};

}  // namespace test_support
