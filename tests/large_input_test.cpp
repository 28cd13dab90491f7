// Inputs far beyond what a person types: command lines of 100,000 texts,
// texts of 1 MiB and a table of 10,000 options still end exactly as for small
// ones, texts, statuses and values included.

#include "captured_io.hpp"
#include "count_report.hpp"
#include "program_texts.hpp"
#include "run.hpp"

#include <gtest/gtest.h>
#include <argparse/arg_parser.hpp>

#include <climits>
#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

namespace {

using test_support::captured_io;
using test_support::command_line;
using test_support::count_report;
using test_support::outcome;

constexpr std::size_t many_texts = 100'000;
constexpr std::size_t mebibyte = std::size_t{1} << 20;
constexpr std::size_t many_options = 10'000;

// A parser with the program's option table, its texts captured.
class program_parser {
 public:
  program_parser() { vantrel::add_program_options(parser, io); }

  outcome parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "vantrel");
    const command_line line(std::move(arguments));
    return test_support::capture(io, [&] { parser.parse(line.argc(), line.argv()); });
  }

  captured_io io;
  argparse::arg_parser parser{vantrel::program_description, io};
};

std::vector<std::string> numbered_texts(std::size_t count) {
  std::vector<std::string> texts;
  texts.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    texts.push_back(std::to_string(i));
  }
  return texts;
}

std::string position_name(std::size_t i) { return std::string("p").append(std::to_string(i)); }

std::vector<std::string> then(std::vector<std::string> texts, const std::string& last) {
  texts.push_back(last);
  return texts;
}

outcome parse_error(const std::string& report) { return {-1, "", report}; }

struct ending_case {
  const char* name;
  std::vector<std::string> arguments;
  outcome expected;
};

void expect_endings(const std::vector<ending_case>& cases) {
  for (const ending_case& c : cases) {
    SCOPED_TRACE(c.name);
    program_parser program;
    EXPECT_EQ(program.parse(c.arguments), c.expected);
  }
}

TEST(large_input, hundred_thousand_texts_end_as_for_a_few) {
  expect_endings({
      {"version behind every other text",
       then(numbered_texts(many_texts - 1), "--version"),
       {0, std::string(test_support::program_version), ""}},
      {"every text left over is listed", numbered_texts(many_texts),
       parse_error(count_report(numbered_texts(many_texts), 0))},
      {"a repeated flag is taken twice and the rest listed",
       std::vector<std::string>(many_texts, "-a"),
       parse_error(count_report(std::vector<std::string>(many_texts - 2, "-a"), 0))},
  });
}

TEST(large_input, hundred_thousand_texts_fill_as_many_position_arguments) {
  program_parser program;
  for (std::size_t i = 0; i + 2 < many_texts; ++i) {
    program.parser.add_position_argument<int>(position_name(i), "");
  }
  const std::vector<std::string> positions = numbered_texts(many_texts - 2);
  std::vector<std::string> arguments = positions;
  arguments.insert(arguments.end(), {"-l", "7"});

  ASSERT_EQ(program.parse(arguments), (outcome{std::nullopt, "", ""}));
  EXPECT_EQ(program.parser.get<int>("--left"), 7);
  std::vector<std::string> values;
  for (const argparse::position_argument& argument : program.parser.position_arguments()) {
    values.push_back(argument.value);
  }
  EXPECT_EQ(values, positions);
  EXPECT_EQ(program.parser.get_argument<int>(position_name(many_texts - 3)),
            static_cast<int>(many_texts - 3));
}

TEST(large_input, mebibyte_texts_are_reported_whole) {
  const std::string dashes_and_x = "--" + std::string(mebibyte, 'x');
  const std::string flags_then_x = "-" + std::string(mebibyte, 'a') + "x";
  const std::string flags_then_int = "-" + std::string(mebibyte, 'a') + "l";
  const std::string plain(mebibyte, 'x');
  expect_endings({
      {"long option",
       {dashes_and_x},
       parse_error("(parse error) unrecognized option" + dashes_and_x + "\n")},
      {"unknown character after a mebibyte of flags",
       {flags_then_x},
       parse_error("(parse error) unrecognized short name option 'x' in " + flags_then_x + "\n")},
      {"int option after a mebibyte of flags",
       {flags_then_int},
       parse_error("(parse error) aggregation short name option must be bool\n")},
      {"left over", {"-a", plain}, parse_error(count_report({plain}, 0))},
  });
}

TEST(large_input, mebibyte_values_read_as_numbers) {
  struct value_case {
    const char* name;
    std::vector<std::string> arguments;
    const char* key;
    int expected;
  };
  const std::vector<value_case> cases = {
      {"a mebibyte of digits is beyond int",
       {"--left", std::string(mebibyte, '1')},
       "--left",
       INT_MAX},
      {"a mebibyte of blanks is skipped", {"-t", std::string(mebibyte, ' ') + "42"}, "--top", 42},
      {"a mebibyte of leading zeros", {"-r", "-" + std::string(mebibyte, '0') + "5"}, "-r", -5},
  };
  for (const value_case& c : cases) {
    SCOPED_TRACE(c.name);
    program_parser program;
    ASSERT_EQ(program.parse(c.arguments), (outcome{std::nullopt, "", ""}));
    EXPECT_EQ(program.parser.get<int>(c.key), c.expected);
  }

  program_parser program;
  ASSERT_EQ(program.parse({"-" + std::string(mebibyte, 'a')}), (outcome{std::nullopt, "", ""}));
  EXPECT_TRUE(program.parser.get<bool>("--admin"));
}

TEST(large_input, mebibyte_long_name_sets_the_column) {
  const std::string name = "--" + std::string(mebibyte, 'n');
  captured_io io;
  argparse::arg_parser parser("", io);
  parser.add_flag("", name, "help").add_option("-i", "--int", "two\nlines", 0);

  ASSERT_EQ(test_support::capture(io, [&] { parser.print_help(); }).status, std::nullopt);
  const std::string column_fill(name.size() - std::string("-i, --int").size(), ' ');
  const std::string indent(name.size() + 2, ' ');
  EXPECT_EQ(io.out_text(), "usage:  [options]\n\n\n\nOptions:\n  " + name + "help\n  -i, --int" +
                               column_fill + "(int) two\n" + indent + "lines\n");

  const command_line line({"x", name, "-i", "3"});
  ASSERT_EQ(test_support::capture(io, [&] { parser.parse(line.argc(), line.argv()); }).status,
            std::nullopt);
  EXPECT_TRUE(parser.get<bool>(name));
  EXPECT_EQ(parser.get<int>("--int"), 3);
}

std::string numbered_option(std::size_t i) {
  std::string digits = std::to_string(i);
  return "--option-" + std::string(5 - digits.size(), '0') + digits;
}

// 10,000 int options, each with a two-line help text, and one flag whose long
// name widens the column to 40.
class ten_thousand_options : public ::testing::Test {
 protected:
  static constexpr std::size_t column = 40;

  ten_thousand_options() {
    for (std::size_t i = 0; i < many_options; ++i) {
      parser.add_option<int>("", numbered_option(i), "option " + std::to_string(i) + "\nmore",
                             static_cast<int>(i));
    }
    parser.add_flag("-w", "--" + std::string(column - 6, 'w'), "wide");
  }

  captured_io io;
  argparse::arg_parser parser{"many options", io};
};

TEST_F(ten_thousand_options, help_lists_every_option_in_one_column) {
  ASSERT_EQ(test_support::capture(io, [&] { parser.print_help(); }).status, std::nullopt);
  std::istringstream listing(io.out_text());
  std::vector<std::string> lines;
  for (std::string line; std::getline(listing, line);) {
    lines.push_back(line);
  }

  ASSERT_EQ(lines.size(), 5 + 2 * many_options + 1);
  EXPECT_EQ(lines[4], "Options:");
  for (std::size_t i = 0; i < many_options; ++i) {
    const std::string& entry = lines[5 + 2 * i];
    const std::string name = numbered_option(i);
    ASSERT_EQ(entry, "  " + name + std::string(column - name.size(), ' ') + "(int) option " +
                         std::to_string(i))
        << "entry " << i;
    ASSERT_EQ(lines[6 + 2 * i], std::string(column + 2, ' ') + "more") << "entry " << i;
  }
  EXPECT_EQ(lines.back(), "  -w, --" + std::string(column - 6, 'w') + "wide");
}

TEST_F(ten_thousand_options, parse_finds_the_last_option) {
  const command_line line({"x", numbered_option(many_options - 1), "5", "-w"});
  ASSERT_EQ(test_support::capture(io, [&] { parser.parse(line.argc(), line.argv()); }),
            (outcome{std::nullopt, "", ""}));
  EXPECT_EQ(parser.get<int>(numbered_option(many_options - 1)), 5);
  EXPECT_EQ(parser.get<int>(numbered_option(many_options - 2)), static_cast<int>(many_options - 2));
  EXPECT_TRUE(parser.get<bool>("-w"));
}

}  // namespace
