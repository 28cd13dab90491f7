#pragma once

// The reading that value texts must give: what one formatted extraction from
// a string stream in the classic locale stores, starting from 0 (false).

#include <locale>
#include <sstream>
#include <string>

namespace test_support {

template <typename T>
T extracted_by_stream(const std::string& text) {
  T value{};
  std::istringstream stream(text);
  stream.imbue(std::locale::classic());
  stream >> value;
  return value;
}

}  // namespace test_support
