#pragma once

// Reads the fuzz input as a stream of single bytes and of texts. A text runs
// up to the next NUL byte, which ends it; the byte 0x01 makes the byte after
// it part of the text whatever it is, so a text may hold NUL and 0x01 too.
// Past the end every read gives 0 or an empty text, so any input decodes.

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz_support {

class fuzz_input {
 public:
  fuzz_input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool at_end() const { return position_ == size_; }

  unsigned char byte() {
    if (at_end()) {
      return 0;
    }
    return data_[position_++];
  }

  std::string text() {
    std::string result;
    while (!at_end()) {
      unsigned char next = byte();
      if (next == text_end) {
        break;
      }
      if (next == escape && !at_end()) {
        next = byte();
      }
      result.push_back(static_cast<char>(next));
    }
    return result;
  }

 private:
  static constexpr unsigned char text_end = 0x00;
  static constexpr unsigned char escape = 0x01;

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

/// The text as a process argument can carry it: without NUL bytes.
inline std::string without_nul(std::string text) {
  std::erase(text, '\0');
  return text;
}

}  // namespace fuzz_support
