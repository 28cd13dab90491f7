#include <argparse/value_text.hpp>

#include <cstddef>
#include <cstdint>
#include <limits>

namespace argparse {

namespace {

// The white space of the classic locale.
bool is_blank(char character) {
  switch (character) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
      return true;
    default:
      return false;
  }
}

bool is_digit(char character) { return character >= '0' && character <= '9'; }

}  // namespace

int read_int_value_text(std::string_view text) noexcept {
  std::size_t position = 0;
  while (position < text.size() && is_blank(text[position])) {
    ++position;
  }
  bool negative = false;
  if (position < text.size() && (text[position] == '-' || text[position] == '+')) {
    negative = text[position] == '-';
    ++position;
  }
  // Past this magnitude every number lands on a limit, so counting stops.
  constexpr std::uint64_t beyond_int = std::uint64_t{1} << 32;
  std::uint64_t magnitude = 0;
  for (; position < text.size() && is_digit(text[position]); ++position) {
    if (magnitude < beyond_int) {
      magnitude = magnitude * 10 + static_cast<std::uint64_t>(text[position] - '0');
    }
  }
  constexpr auto max = static_cast<std::uint64_t>(std::numeric_limits<int>::max());
  if (negative) {
    return magnitude > max ? std::numeric_limits<int>::min() : -static_cast<int>(magnitude);
  }
  return magnitude > max ? std::numeric_limits<int>::max() : static_cast<int>(magnitude);
}

}  // namespace argparse
