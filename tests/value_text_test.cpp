// Values kept as text: type names and the two conversions.

#include <argparse/value_text.hpp>

#include <gtest/gtest.h>

#include <climits>
#include <locale>
#include <string>
#include <utility>
#include <vector>

namespace {

using argparse::from_value_text;
using argparse::to_value_text;
using argparse::type_name_of;

TEST(type_name_of, names_bool_and_int_only) {
  EXPECT_EQ(type_name_of<bool>(), "bool");
  EXPECT_EQ(type_name_of<int>(), "int");
  EXPECT_EQ(type_name_of<unsigned>(), "null");
  EXPECT_EQ(type_name_of<long>(), "null");
  EXPECT_EQ(type_name_of<std::string>(), "null");
}

TEST(from_value_text, reads_the_leading_decimal_number) {
  const std::vector<std::pair<std::string, int>> cases = {{"42", 42},
                                                          {" 42", 42},
                                                          {"\t\n 42", 42},
                                                          {"+42", 42},
                                                          {"42abc", 42},
                                                          {"-0", 0},
                                                          {"12px", 12},
                                                          {"0x10", 0},
                                                          {"5 6", 5},
                                                          {"1,000", 1},
                                                          {"010", 10},
                                                          {"-17", -17},
                                                          {"2147483647", INT_MAX},
                                                          {"-2147483648", INT_MIN}};
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(from_value_text<int>(text), value) << '"' << text << '"';
  }
}

TEST(from_value_text, gives_defined_values_when_no_int_is_read) {
  const std::vector<std::pair<std::string, int>> cases = {{"", 0},
                                                          {"   ", 0},
                                                          {"abc", 0},
                                                          {"-", 0},
                                                          {"+", 0},
                                                          {"- 5", 0},
                                                          {"99999999999", INT_MAX},
                                                          {"2147483648", INT_MAX},
                                                          {"-2147483649", INT_MIN},
                                                          {"-99999999999", INT_MIN}};
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(from_value_text<int>(text), value) << '"' << text << '"';
  }
}

TEST(from_value_text, reads_flags) {
  EXPECT_FALSE(from_value_text<bool>("0"));
  EXPECT_TRUE(from_value_text<bool>("1"));
  EXPECT_FALSE(from_value_text<bool>(""));
}

TEST(to_value_text, writes_plain_decimal_that_reads_back) {
  const std::vector<std::pair<int, std::string>> cases = {
      {0, "0"},   {40, "40"},           {1024, "1024"},           {720, "720"},
      {-1, "-1"}, {1000000, "1000000"}, {INT_MIN, "-2147483648"}, {INT_MAX, "2147483647"}};
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(to_value_text(value), text);
    EXPECT_EQ(from_value_text<int>(text), value);
  }
  EXPECT_EQ(to_value_text(true), "1");
  EXPECT_EQ(to_value_text(false), "0");
}

// A global locale that groups digits must not leak into value texts.
class grouping : public std::numpunct<char> {
 protected:
  char do_thousands_sep() const override { return ','; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(value_texts, ignore_the_global_locale) {
  const std::locale previous =
      std::locale::global(std::locale(std::locale::classic(), new grouping));
  const std::string written = to_value_text(1234567);
  const int read = from_value_text<int>("1,000");
  std::locale::global(previous);
  EXPECT_EQ(written, "1234567");
  EXPECT_EQ(read, 1);
}

}  // namespace
