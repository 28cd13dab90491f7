// Parsing with option tables other than the program's: the program name,
// the short-character index, options without short names, named and
// position arguments.

#include "parser_fixture.hpp"

#include <gtest/gtest.h>

namespace {

using test_support::command_line;
using test_support::outcome;

class parse_test : public test_support::parser_test {
 protected:
  std::string actions_run;
  std::function<void()> action(std::string name) {
    return [this, name] { actions_run += name; };
  }
};

TEST_F(parse_test, program_name_comes_from_invocation_text_only_when_empty) {
  argparse::arg_parser unnamed("", io);
  const command_line line{"C:\\bin\\tool.exe"};
  EXPECT_EQ(run([&] { unnamed.parse(line.argc(), line.argv()); }),
            (outcome{0, "usage: C:\\bin\\tool.exe [options]\n", ""}));
  EXPECT_EQ(parse({"-x"}).status, -1);
  EXPECT_EQ(parser.program_name(), "prog");
}

TEST_F(parse_test, no_invocation_text_leaves_program_name_empty) {
  argparse::arg_parser unnamed("", io);
  unnamed.add_flag("-a", "--all", "");
  EXPECT_EQ(run([&] { unnamed.parse(0, nullptr); }), accepted());
  EXPECT_EQ(unnamed.program_name(), "");
  unnamed.add_position_argument<int>("count", "");
  const char* const no_texts[] = {nullptr};
  EXPECT_EQ(run([&] { unnamed.parse(-1, no_texts); }),
            failed("(parse error) position argument number missmatching, give 0, but need 1\n"
                   "uncaptured command line arguments:"));
}

TEST_F(parse_test, callback_with_empty_action_ends_quietly) {
  parser.add_callback_option("-q", "--quiet-exit", "", nullptr);
  EXPECT_EQ(parse({"--quiet-exit"}), (outcome{0, "", ""}));
  EXPECT_EQ(parse({"-xq"}), (outcome{0, "", ""}));
}

TEST_F(parse_test, first_registered_callback_wins_wherever_given) {
  parser.add_callback_option("-1", "--first", "", action("first"))
      .add_callback_option("-2", "--second", "", action("second"))
      .add_option("-n", "--number", "", 0);
  EXPECT_EQ(parse({"--second", "-n", "--first"}).status, 0);
  EXPECT_EQ(actions_run, "first");
}

// The index holds one number per character for two lists; a number that
// fits the other list, or a record there without a short name, must not
// select an option.
TEST_F(parse_test, short_characters_are_confirmed_against_their_own_list) {
  parser.add_callback_option("-c", "--callback", "", action("callback"))
      .add_callback_option("", "--unnamed-callback", "", action("unnamed"))
      .add_flag("", "--unnamed", "")
      .add_flag("-f", "--flag", "")
      .add_flag("-g", "--green", "");
  EXPECT_EQ(parse({"-gf"}), accepted());
  EXPECT_EQ(actions_run, "");
  EXPECT_TRUE(parser.get<bool>("--flag"));
  EXPECT_TRUE(parser.get<bool>("--green"));
  EXPECT_FALSE(parser.get<bool>("--unnamed"));
  EXPECT_EQ(parse({"-z"}), failed("(parse error) unrecognized short name option 'z' in -z"));
  EXPECT_EQ(parse({"-fc"}).status, 0);
  EXPECT_EQ(actions_run, "callback");
}

TEST_F(parse_test, options_without_short_names) {
  parser.add_option("", "--alpha", "", 3);
  EXPECT_EQ(parse({"--alpha"}), failed("(parse error) option  --alpha should have value"));
  EXPECT_EQ(parse({""}), failed("(parse error) position argument number missmatching, give 1, "
                                "but need 0\nuncaptured command line arguments:\n"));
  EXPECT_EQ(parser.get<int>("--alpha"), 3);
}

TEST_F(parse_test, bool_option_behaves_as_flag) {
  parser.add_option("-b", "--bold", "", false).add_option("-i", "--italic", "", false);
  EXPECT_EQ(parse({"-ib"}), accepted());
  EXPECT_TRUE(parser.get<bool>("--bold"));
  EXPECT_TRUE(parser.get<bool>("-i"));
}

TEST_F(parse_test, value_may_be_any_text) {
  parser.add_option("-n", "--number", "", 0).add_flag("-a", "--all", "");
  EXPECT_EQ(parse({"-n", "-a", "--number"}), failed("(parse error) unrecognized option--number"));
  EXPECT_EQ(parser.typed_options()[0].value, "-a");
}

class arguments_test : public test_support::parser_test {
 protected:
  arguments_test() {
    parser.add_flag("-a", "--all", "")
        .add_named_argument<int>("mode", "")
        .add_position_argument<int>("count", "");
  }
  std::string mode() const { return parser.named_arguments()[0].value; }
  std::string count() const { return parser.position_arguments()[0].value; }
};

// A position argument may share a named argument's name; lookups find the
// named one first.
TEST_F(arguments_test, named_text_anywhere_then_positions_in_order) {
  parser.add_position_argument<int>("mode", "");
  EXPECT_EQ(parse({"7", "-a", "mode=3", "9"}), accepted());
  EXPECT_EQ(mode(), "3");
  EXPECT_EQ(count(), "7");
  EXPECT_EQ(parser.get_argument<int>("mode"), 3);
  EXPECT_EQ(parser.get_argument<int>("count"), 7);
}

TEST_F(arguments_test, value_part_is_everything_after_first_equals) {
  EXPECT_EQ(parse({"mode=a=b", "=x"}), accepted());
  EXPECT_EQ(mode(), "a=b");
  EXPECT_EQ(count(), "=x");
}

TEST_F(arguments_test, reports) {
  const std::string count_report =
      "(parse error) position argument number missmatching, give 2, but need 1\n"
      "uncaptured command line arguments:\nmode=4\n7";
  const std::vector<std::pair<std::vector<std::string>, outcome>> cases = {
      {{"mode=3", "mode=4", "7"}, failed(count_report)},
      {{"mode=", "7"}, failed("(parse error) named_argument mode should have value")},
      {{"7", "Mode=1"}, failed("(parse error) named_argument mode should have value")},
      {{"modes=3", "7"}, failed("(parse error) named_argument mode should have value")},
      {{"-a"}, failed("(parse error) not enough named_arguments")},
      {{"mode=1"},
       failed("(parse error) position argument number missmatching, give 0, but "
              "need 1\nuncaptured command line arguments:")},
      {{}, {0, "usage: prog [options] [=mode] [count]\n", ""}}};
  for (const auto& [arguments, expected] : cases) {
    EXPECT_EQ(parse(arguments), expected) << ::testing::PrintToString(arguments);
  }
}

TEST_F(arguments_test, not_enough_texts_is_judged_before_any_match) {
  parser.add_named_argument<int>("size", "");
  EXPECT_EQ(parse({"size=1"}), failed("(parse error) not enough named_arguments"));
}

TEST_F(arguments_test, named_default_stays_when_no_text_names_it) {
  argparse::arg_parser defaults("", io);
  defaults.add_named_argument<int>("mode", "", 5).add_named_argument<bool>("fast", "", true);
  const command_line line{"prog", "x", "fast=0"};
  EXPECT_EQ(run([&] { defaults.parse(line.argc(), line.argv()); }),
            failed("(parse error) position argument number missmatching, give 1, but need 0\n"
                   "uncaptured command line arguments:\nx"));
  EXPECT_EQ(defaults.get_argument<int>("mode"), 5);
  EXPECT_FALSE(defaults.get_argument<bool>("fast"));
}

TEST_F(arguments_test, lookup_reports) {
  EXPECT_EQ(run([&] { parser.get_argument<int>("--all"); }),
            failed("(get error) argument not found: --all"));
  EXPECT_EQ(run([&] { parser.get_argument<bool>("count"); }),
            failed("(get error) argument type mismatch: set 'int' but you try get with 'bool'"));
}

}  // namespace
