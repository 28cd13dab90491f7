// Value texts are read without a string stream, so every reading is checked
// against what one formatted extraction from a string stream makes of the
// same text: that is what the conversion must stay equal to.

#include <argparse/value_text.hpp>

#include <gtest/gtest.h>

#include <climits>
#include <locale>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

template <typename T>
T extracted_by_stream(const std::string& text) {
  T value{};
  std::istringstream stream(text);
  stream.imbue(std::locale::classic());
  stream >> value;
  return value;
}

template <typename T>
std::string written_by_stream(T value) {
  std::ostringstream stream;
  stream.imbue(std::locale::classic());
  stream << value;
  return stream.str();
}

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

TEST(value_text_writing, ints_as_the_stream_writes_them_and_back) {
  for (const int value : {0, 1, -1, 40, 720, 1024, 65536, -65536, INT_MAX, INT_MIN, INT_MIN + 1}) {
    const std::string text = argparse::to_value_text(value);
    EXPECT_EQ(text, written_by_stream(value));
    EXPECT_EQ(argparse::from_value_text<int>(text), value);
  }
}

TEST(value_text_writing, bools_as_the_stream_writes_them_and_back) {
  for (const bool value : {false, true}) {
    const std::string text = argparse::to_value_text(value);
    EXPECT_EQ(text, written_by_stream(value));
    EXPECT_EQ(argparse::from_value_text<bool>(text), value);
  }
}

}  // namespace
