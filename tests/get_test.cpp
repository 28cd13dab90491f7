// Reading values back by name.

#include "parser_fixture.hpp"

#include <gtest/gtest.h>

namespace {

class get_test : public test_support::parser_test {
 protected:
  get_test() {
    parser.add_callback_option("-?", "--help", "", nullptr)
        .add_flag("-a", "--admin", "")
        .add_option("", "--unnamed", "", 5)
        .add_option("-l", "--left", "", 0)
        .add_option("-r", "--right", "", 40);
  }
};

TEST_F(get_test, reports_unknown_names_and_wrong_types) {
  const std::vector<std::pair<std::function<void()>, std::string>> cases = {
      {[&] { parser.get<int>("--admin"); },
       "(get error) option type mismatch: set 'bool' but you try get with 'int'"},
      {[&] { parser.get<bool>("--left"); },
       "(get error) option type mismatch: set 'int' but you try get with 'bool'"},
      {[&] { parser.get<bool>("--help"); }, "(get error) option not found: --help"},
      {[&] { parser.get<int>(""); }, "(get error) option not found: "},
      {[&] { parser.get<int>("-L"); }, "(get error) option not found: -L"},
      {[&] { parser.get<int>("left"); }, "(get error) option not found: left"}};
  for (const auto& [lookup, report] : cases) {
    EXPECT_EQ(run(lookup), failed(report));
  }
}

TEST_F(get_test, returns_defaults_until_the_command_line_gives_values) {
  EXPECT_EQ(parser.get<int>("--right"), 40);
  EXPECT_FALSE(parser.get<bool>("-a"));
  ASSERT_EQ(parse({"-l", " -12px", "-a"}), accepted());
  EXPECT_EQ(parser.get<int>("-l"), -12);
  EXPECT_EQ(parser.get<int>("--left"), -12);
  EXPECT_EQ(parser.get<int>("--right"), 40);
  EXPECT_EQ(parser.get<int>("--unnamed"), 5);
  EXPECT_TRUE(parser.get<bool>("--admin"));
  EXPECT_TRUE(parser.get<bool>("--admin"));
}

}  // namespace
