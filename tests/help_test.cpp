// The usage line and the help listing: columns, fills, type parts and
// indented help lines.

#include "parser_fixture.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace {

using test_support::outcome;

std::string spaces(std::size_t count) { return std::string(count, ' '); }

class help_test : public test_support::parser_test {
 protected:
  std::string help() {
    return run([&] { parser.print_help(); }).out;
  }
};

TEST_F(help_test, empty_parser_still_has_the_options_title) {
  EXPECT_EQ(help(), "usage: prog [options]\n\ndescribes the program\n\nOptions:\n");
  argparse::arg_parser unnamed("", io);
  EXPECT_EQ(run([&] { unnamed.print_help(); }).out, "usage:  [options]\n\n\n\nOptions:\n");
}

// A registration table and the listing it must give.
struct layout_case {
  std::string name;
  std::function<void(argparse::arg_parser&)> steps;
  std::string listing;
};

std::ostream& operator<<(std::ostream& stream, const layout_case& row) {
  return stream << row.name;
}

class help_layout : public help_test, public ::testing::WithParamInterface<layout_case> {};

TEST_P(help_layout, writes_its_listing_each_time) {
  GetParam().steps(parser);
  EXPECT_EQ(help(), GetParam().listing);
  EXPECT_EQ(help(), GetParam().listing);
}

const std::string heading =
    "usage: prog [options]\n"
    "\n"
    "describes the program\n"
    "\n"
    "Options:\n";
const std::string wide_name = "--" + std::string(28, 'o');
const std::string named = std::string(40, 'n');

// clang-format off
INSTANTIATE_TEST_SUITE_P(listings, help_layout, ::testing::Values(
    layout_case{"every_kind_of_entry_in_the_default_column",
                [](argparse::arg_parser& p) {
                  p.add_callback_option("", "--plain", "no short name", nullptr)
                      .add_option("-n", "--abcdefghijklmnopqrs", "name width is the column", 1)
                      .add_flag("-f", "--flag", "ends with a line feed\n")
                      .add_option("", "--empty", "", 0)
                      .add_flag("-d", "--double", "a\n\nb\r")
                      .add_named_argument<bool>("verbose", "x\ny")
                      .add_position_argument<int>("count", "");
                },
                "usage: prog [options] [=verbose] [count]\n"
                "\n"
                "describes the program\n"
                "\n"
                "Options:\n"
                "  --plain" + spaces(18) + "no short name\n"
                "  -n, --abcdefghijklmnopqrs(int) name width is the column\n"
                "  -f, --flag" + spaces(15) + "ends with a line feed\n" + spaces(27) + "\n"
                "  --empty" + spaces(18) + "(int) \n"
                "  -d, --double" + spaces(13) + "a\n" + spaces(27) + "\n" + spaces(27) + "b\r\n"
                "\n"
                "Named arguments:\n"
                "  verbose" + spaces(18) + "(bool) x\n" + spaces(27) + "y\n"
                "\n"
                "Position arguments:\n"
                "  count" + spaces(20) + "(int) \n"},
    layout_case{"widest_name_widens_only_its_own_section",
                [](argparse::arg_parser& p) {
                  p.add_flag("-s", "--short", "two\nlines")
                      .add_option("-w", wide_name, "wide", 0)
                      .add_named_argument<int>(named, "h\ni")
                      .add_named_argument<int>("m", "")
                      .add_position_argument<bool>("p", "q");
                },
                "usage: prog [options] [=" + named + "] [=m] [p]\n"
                "\n"
                "describes the program\n"
                "\n"
                "Options:\n"
                "  -s, --short" + spaces(23) + "two\n" + spaces(36) + "lines\n"
                "  -w, " + wide_name + "(int) wide\n"
                "\n"
                "Named arguments:\n"
                "  " + named + "(int) h\n" + spaces(42) + "i\n"
                "  m" + spaces(39) + "(int) \n"
                "\n"
                "Position arguments:\n"
                "  p" + spaces(24) + "(bool) q\n"},
    layout_case{"callback_option_widens_the_column",
                [](argparse::arg_parser& p) {
                  p.add_callback_option("-c", wide_name, "wide", nullptr)
                      .add_option("-n", "--number", "two\nlines", 0);
                },
                heading +
                "  -c, " + wide_name + "wide\n"
                "  -n, --number" + spaces(22) + "(int) two\n" + spaces(36) + "lines\n"}),
    [](const ::testing::TestParamInfo<layout_case>& row) { return row.param.name; });
// clang-format on

TEST_F(help_test, only_the_usage_line_depends_on_parse) {
  parser.add_option("-n", "--number", "", 0);
  const std::string usage = run([&] { parser.print_usage(); }).out;
  EXPECT_EQ(usage, "usage: prog [options]\n");
  ASSERT_EQ(parse({"-n", "5"}), accepted());
  EXPECT_EQ(run([&] { parser.print_usage(); }).out, usage);
}

}  // namespace
