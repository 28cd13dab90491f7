// Registering options: the name rules, the order of the checks, and what a
// registration stores.

#include "parser_fixture.hpp"

#include <gmock/gmock.h>

#include <cctype>
#include <climits>
#include <ostream>

namespace {

using argparse::arg_parser;
using test_support::outcome;
using ::testing::IsEmpty;
using ::testing::Pair;
using ::testing::UnorderedElementsAre;

const std::string long_shape =
    "(build error) long option name must be `--` followed by one or more characters";
const std::string short_shape =
    "(build error) short option name must be `-` followed by one character";

void noop() {}

struct registration_case {
  std::string name;
  std::function<void(arg_parser&)> steps;
  std::string report;  // empty when every step is accepted
};

std::ostream& operator<<(std::ostream& stream, const registration_case& row) {
  return stream << row.name;
}

class registration : public test_support::parser_test,
                     public ::testing::WithParamInterface<registration_case> {};

TEST_P(registration, reports_the_first_failing_check) {
  const registration_case& row = GetParam();
  const outcome expected = row.report.empty() ? accepted() : failed(row.report);
  EXPECT_EQ(run([&] { row.steps(parser); }), expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(name_rules, registration, ::testing::Values(
    registration_case{"empty_long", [](arg_parser& p) { p.add_flag("-a", "", ""); },
                      "(build error) long option name cannot be empty"},
    registration_case{"two_dashes", [](arg_parser& p) { p.add_flag("", "--", ""); }, long_shape},
    registration_case{"one_dash", [](arg_parser& p) { p.add_flag("", "-x", ""); }, long_shape},
    registration_case{"no_dashes", [](arg_parser& p) { p.add_option("", "abc", "", 1); }, long_shape},
    registration_case{"one_leading_dash", [](arg_parser& p) { p.add_callback_option("", "-ab", "", noop); }, long_shape},
    registration_case{"three_dashes", [](arg_parser& p) { p.add_flag("", "---", ""); }, ""},
    registration_case{"one_letter", [](arg_parser& p) { p.add_flag("", "--a", ""); }, ""},
    registration_case{"dash_short", [](arg_parser& p) { p.add_flag("--", "--dash", ""); }, ""},
    registration_case{"any_short_character", [](arg_parser& p) { p.add_flag("-\x7f", "--odd", "").add_flag("- ", "--space", ""); }, ""},
    registration_case{"short_alone", [](arg_parser& p) { p.add_flag("-", "--ok", ""); }, short_shape},
    registration_case{"short_too_long", [](arg_parser& p) { p.add_flag("-ab", "--ok", ""); }, short_shape},
    registration_case{"short_no_dash", [](arg_parser& p) { p.add_option("x-", "--ok", "", 1); }, short_shape},
    registration_case{"short_on_callback", [](arg_parser& p) { p.add_callback_option("x", "--ok", "", noop); }, short_shape},
    registration_case{"many_empty_shorts", [](arg_parser& p) { p.add_flag("", "--a1", "").add_option("", "--a2", "", 0).add_callback_option("", "--a3", "", noop); }, ""}));

INSTANTIATE_TEST_SUITE_P(names_taken, registration, ::testing::Values(
    registration_case{"long_of_callback", [](arg_parser& p) { p.add_callback_option("-?", "--help", "", noop).add_flag("", "--help", ""); },
                      "(build error) long option name --help already exists"},
    registration_case{"long_of_typed", [](arg_parser& p) { p.add_option("", "--left", "", 0).add_callback_option("", "--left", "", noop); },
                      "(build error) long option name --left already exists"},
    registration_case{"short_of_callback", [](arg_parser& p) { p.add_callback_option("-v", "--version", "", noop).add_flag("-v", "--verbose", ""); },
                      "(build error) short option name -v already exists"},
    registration_case{"short_of_typed", [](arg_parser& p) { p.add_flag("-a", "--admin", "").add_callback_option("-a", "--about", "", noop); },
                      "(build error) short option name -a already exists"},
    registration_case{"long_differs_in_case", [](arg_parser& p) { p.add_flag("", "--left", "").add_flag("", "--Left", ""); }, ""}));

INSTANTIATE_TEST_SUITE_P(check_order, registration, ::testing::Values(
    registration_case{"long_before_short", [](arg_parser& p) { p.add_flag("bad", "bad", ""); }, long_shape},
    registration_case{"long_taken_before_short_taken", [](arg_parser& p) { p.add_flag("-a", "--a", "").add_flag("-a", "--a", ""); },
                      "(build error) long option name --a already exists"},
    registration_case{"type_before_names", [](arg_parser& p) { p.add_option("bad", "", "", 1.5); },
                      "(build error) unsupport type for option: double"},
    registration_case{"unsigned_refused", [](arg_parser& p) { p.add_option("-u", "--u", "", 1u); },
                      "(build error) unsupport type for option: unsigned int"}));
// clang-format on

class registration_records : public test_support::parser_test {};

TEST_F(registration_records, store_type_names_and_default_texts) {
  EXPECT_EQ(&parser.add_flag("-a", "--admin", "admin help"), &parser);
  parser.add_option("-r", "--right", "right help", 40)
      .add_option("", "--low", "", INT_MIN)
      .add_option("-y", "--yes", "", true)
      .add_option("-n", "--no", "", false);
  const auto& options = parser.typed_options();
  ASSERT_EQ(options.size(), 5u);
  const std::vector<std::vector<std::string>> expected = {
      {"-a", "--admin", "admin help", "bool", "0"},
      {"-r", "--right", "right help", "int", "40"},
      {"", "--low", "", "int", "-2147483648"},
      {"-y", "--yes", "", "bool", "1"},
      {"-n", "--no", "", "bool", "0"}};
  for (std::size_t i = 0; i < options.size(); ++i) {
    const auto& option = options[i];
    EXPECT_EQ((std::vector<std::string>{option.short_name, option.long_name, option.help,
                                        option.type_name, option.value}),
              expected[i]);
  }
}

TEST_F(registration_records, refused_registration_stores_nothing) {
  parser.add_flag("-a", "--admin", "");
  EXPECT_EQ(run([&] { parser.add_option("-a", "--again", "", 1); }).status, -1);
  EXPECT_EQ(parser.typed_options().size(), 1u);
  EXPECT_THAT(parser.short_name_index(), UnorderedElementsAre(Pair('a', 0u)));
  EXPECT_THAT(parser.callback_options(), IsEmpty());
}

TEST_F(registration_records, index_survives_growing_lists) {
  std::string flags = "-";
  for (char c = 'A'; c <= 'z'; ++c) {
    if (std::isalpha(static_cast<unsigned char>(c)) == 0) {
      continue;
    }
    const std::string name(1, c);
    parser.add_flag("-" + name, "--flag-" + name, "");
    parser.add_option("", "--value-" + name, "", 0);
    if (c % 3 == 0) {
      flags += name;
    }
  }
  ASSERT_EQ(parse({flags, "--value-q", "9"}), accepted());
  for (const auto& option : parser.typed_options()) {
    if (option.short_name.empty()) {
      EXPECT_EQ(option.value, option.long_name == "--value-q" ? "9" : "0") << option.long_name;
    } else {
      const bool given = flags.find(option.short_name[1]) != std::string::npos;
      EXPECT_EQ(parser.get<bool>(option.short_name), given) << option.short_name;
      EXPECT_EQ(parser.short_name_index().at(option.short_name[1]),
                static_cast<std::uint64_t>(&option - parser.typed_options().data()));
    }
  }
}

}  // namespace
