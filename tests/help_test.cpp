// The usage line and the help listing: columns, fills, type parts and
// indented help lines.

#include "parser_fixture.hpp"

#include <gtest/gtest.h>

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

TEST_F(help_test, lays_out_every_kind_of_entry_in_the_default_column) {
  parser.add_callback_option("", "--plain", "no short name", nullptr)
      .add_option("-n", "--abcdefghijklmnopqrs", "name width is the column", 1)
      .add_flag("-f", "--flag", "ends with a line feed\n")
      .add_option("", "--empty", "", 0)
      .add_flag("-d", "--double", "a\n\nb\r")
      .add_named_argument<bool>("verbose", "x\ny")
      .add_position_argument<int>("count", "");
  const std::string listing =
      "usage: prog [options] [=verbose] [count]\n"
      "\n"
      "describes the program\n"
      "\n"
      "Options:\n"
      "  --plain" +
      spaces(18) +
      "no short name\n"
      "  -n, --abcdefghijklmnopqrs(int) name width is the column\n"
      "  -f, --flag" +
      spaces(15) + "ends with a line feed\n" + spaces(27) +
      "\n"
      "  --empty" +
      spaces(18) +
      "(int) \n"
      "  -d, --double" +
      spaces(13) + "a\n" + spaces(27) + "\n" + spaces(27) +
      "b\r\n"
      "\n"
      "Named arguments:\n"
      "  verbose" +
      spaces(18) + "(bool) x\n" + spaces(27) +
      "y\n"
      "\n"
      "Position arguments:\n"
      "  count" +
      spaces(20) + "(int) \n";
  EXPECT_EQ(help(), listing);
  EXPECT_EQ(help(), listing);
}

TEST_F(help_test, widest_name_widens_only_its_own_section) {
  const std::string long_name = "--" + std::string(28, 'o');
  const std::string named = std::string(40, 'n');
  parser.add_flag("-s", "--short", "two\nlines")
      .add_option("-w", long_name, "wide", 0)
      .add_named_argument<int>(named, "h\ni")
      .add_named_argument<int>("m", "")
      .add_position_argument<bool>("p", "q");
  const std::string listing = "usage: prog [options] [=" + named +
                              "] [=m] [p]\n"
                              "\n"
                              "describes the program\n"
                              "\n"
                              "Options:\n"
                              "  -s, --short" +
                              spaces(23) + "two\n" + spaces(36) +
                              "lines\n"
                              "  -w, " +
                              long_name +
                              "(int) wide\n"
                              "\n"
                              "Named arguments:\n"
                              "  " +
                              named + "(int) h\n" + spaces(42) +
                              "i\n"
                              "  m" +
                              spaces(39) +
                              "(int) \n"
                              "\n"
                              "Position arguments:\n"
                              "  p" +
                              spaces(24) + "(bool) q\n";
  EXPECT_EQ(help(), listing);
}

TEST_F(help_test, only_the_usage_line_depends_on_parse) {
  parser.add_option("-n", "--number", "", 0);
  const std::string usage = run([&] { parser.print_usage(); }).out;
  EXPECT_EQ(usage, "usage: prog [options]\n");
  ASSERT_EQ(parse({"-n", "5"}), accepted());
  EXPECT_EQ(run([&] { parser.print_usage(); }).out, usage);
}

}  // namespace
