#pragma once

// Runs parser and program code in-process: the output streams are captured
// and ending the process becomes an exception that the test catches.

#include <argparse/process_io.hpp>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

struct process_ended {
  int status;
};

class captured_io final : public argparse::process_io {
 public:
  void write_out(std::string_view text, bool flush) override {
    out_.append(text);
    if (flush) {
      flushed_out_ = out_;
    }
  }
  void write_err(std::string_view text) override { err_.append(text); }
  [[noreturn]] void exit(int status) override { throw process_ended{status}; }

  const std::string& out_text() const { return out_; }
  const std::string& err_text() const { return err_; }
  /// What standard output held at its last flush.
  const std::string& flushed_out_text() const { return flushed_out_; }

 private:
  std::string out_;
  std::string err_;
  std::string flushed_out_;
};

/// What a piece of code did: the exit status if it ended the process (none
/// when it returned), and what it wrote while it ran.
struct outcome {
  std::optional<int> status;
  std::string out;
  std::string err;

  friend bool operator==(const outcome&, const outcome&) = default;
};

inline outcome capture(captured_io& io, const std::function<void()>& code) {
  const std::size_t out_before = io.out_text().size();
  const std::size_t err_before = io.err_text().size();
  std::optional<int> status;
  try {
    code();
  } catch (const process_ended& ended) {
    status = ended.status;
  }
  return {status, io.out_text().substr(out_before), io.err_text().substr(err_before)};
}

/// An argv built from texts, the invocation text first.
class command_line {
 public:
  command_line(std::initializer_list<std::string> arguments) : texts_(arguments) { point(); }
  explicit command_line(std::vector<std::string> arguments) : texts_(std::move(arguments)) {
    point();
  }
  command_line(const command_line&) = delete;
  command_line& operator=(const command_line&) = delete;

  int argc() const { return static_cast<int>(texts_.size()); }
  const char* const* argv() const { return pointers_.data(); }

 private:
  void point() {
    for (const std::string& text : texts_) {
      pointers_.push_back(text.c_str());
    }
    pointers_.push_back(nullptr);
  }

  std::vector<std::string> texts_;
  std::vector<const char*> pointers_;
};

}  // namespace test_support
