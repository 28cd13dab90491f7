#pragma once

// Values of options and arguments are kept as text and converted only when
// they are read back. This header names the supported value types and holds
// the two conversions between a value and its text.

#include <charconv>
#include <string>
#include <string_view>
#include <type_traits>

namespace argparse {

/// True for the value types the parser supports: bool and int.
template <typename T>
inline constexpr bool is_value_type = std::is_same_v<T, bool> || std::is_same_v<T, int>;

/// The type name stored beside a value: "bool", "int", or "null" for any
/// type the parser does not support.
template <typename T>
constexpr std::string_view type_name_of() noexcept {
  if constexpr (std::is_same_v<T, bool>) {
    return "bool";
  } else if constexpr (std::is_same_v<T, int>) {
    return "int";
  } else {
    return "null";
  }
}

/// The value text of `value`, as formatted output in the classic locale
/// writes it: an int is plain decimal ("-1", "40") and a bool is "0" or "1".
template <typename T>
std::string to_value_text(const T& value) {
  static_assert(is_value_type<T>, "only bool and int have value texts");
  // Sign and ten digits.
  char digits[11];
  const auto end = std::to_chars(digits, digits + sizeof digits, static_cast<int>(value)).ptr;
  return std::string(digits, end);
}

/// What one formatted extraction of an int from `text` stores in the classic
/// locale: leading white space is skipped, a sign is taken, and reading stops
/// at the first character that is not a decimal digit. A text that holds no
/// number (empty or blank included) reads as 0; a number beyond the int range
/// reads as the nearest int limit.
int read_int_value_text(std::string_view text) noexcept;

/// Reads a value back from its text as one formatted extraction in the
/// classic locale would; see `read_int_value_text`. Nothing is reported. A
/// bool reads as false from a text that holds 0 or no number, else as true.
template <typename T>
T from_value_text(const std::string& text) {
  static_assert(is_value_type<T>, "only bool and int are read from value texts");
  const int value = read_int_value_text(text);
  if constexpr (std::is_same_v<T, bool>) {
    return value != 0;
  } else {
    return value;
  }
}

}  // namespace argparse
