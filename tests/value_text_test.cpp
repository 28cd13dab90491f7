// Values kept as text: type names and the two conversions. Value texts are
// read without a string stream, so readings are also checked against what
// one formatted extraction from a string stream makes of the same text.

#include "stream_extraction.hpp"

#include <argparse/value_text.hpp>

#include <gtest/gtest.h>

#include <climits>
#include <locale>
#include <random>
#include <sstream>
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
                                                          {"\f5", 5},
                                                          {"\r5", 5},
                                                          {"\v5", 5},
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

using test_support::extracted_by_stream;

const std::vector<std::string> edge_texts = {"",
                                             " ",
                                             "\t\n\v\f\r",
                                             "0",
                                             "-0",
                                             "+0",
                                             "00042",
                                             "42",
                                             "+42",
                                             "-42",
                                             " 42",
                                             "\t-7",
                                             "\v9",
                                             "42abc",
                                             "12px",
                                             "0x10",
                                             "5 6",
                                             "1,000",
                                             "010",
                                             "abc",
                                             "-",
                                             "+",
                                             "--5",
                                             "+-5",
                                             "- 5",
                                             "x5",
                                             "1e3",
                                             "3.9",
                                             "2147483647",
                                             "2147483648",
                                             "-2147483647",
                                             "-2147483648",
                                             "-2147483649",
                                             "99999999999",
                                             "-99999999999",
                                             "9223372036854775807",
                                             "9223372036854775808",
                                             "-9223372036854775809",
                                             "18446744073709551616",
                                             "000000000000000000000000000001",
                                             "1",
                                             "2",
                                             "-1",
                                             std::string("4\0"
                                                         "2",
                                                         3),
                                             "\xA0"
                                             "5",
                                             "\x85"
                                             "5",
                                             "\xFF"};

// Texts of the characters that matter to the reading: blanks, signs, digits
// and a few others, in every order.
std::vector<std::string> generated_texts() {
  const std::string alphabet = " \t\n+-0123456789x.9999";
  std::mt19937 random(20240607);
  std::uniform_int_distribution<std::size_t> length(0, 14);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::vector<std::string> texts;
  for (int i = 0; i < 20000; ++i) {
    std::string text(length(random), ' ');
    for (char& character : text) {
      character = alphabet[pick(random)];
    }
    texts.push_back(text);
  }
  return texts;
}

class value_text_reading : public ::testing::TestWithParam<std::string> {};

TEST_P(value_text_reading, int_as_the_stream_reads_it) {
  EXPECT_EQ(argparse::from_value_text<int>(GetParam()), extracted_by_stream<int>(GetParam()));
}

TEST_P(value_text_reading, bool_as_the_stream_reads_it) {
  EXPECT_EQ(argparse::from_value_text<bool>(GetParam()), extracted_by_stream<bool>(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(edge_texts, value_text_reading, ::testing::ValuesIn(edge_texts));

TEST(value_text_reading_generated, int_and_bool_as_the_stream_reads_them) {
  for (const std::string& text : generated_texts()) {
    ASSERT_EQ(argparse::from_value_text<int>(text), extracted_by_stream<int>(text)) << text;
    ASSERT_EQ(argparse::from_value_text<bool>(text), extracted_by_stream<bool>(text)) << text;
  }
}

}  // namespace
