#include <argparse/process_io.hpp>

#include <cstdio>
#include <cstdlib>

namespace argparse {

namespace {

// C's streams rather than the C++ stream objects: setting those up costs
// more than a whole short run of the parser.
class standard_process_io final : public process_io {
 public:
  void write_out(std::string_view text, bool flush) override {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (flush) {
      std::fflush(stdout);
    }
  }
  // Standard output goes first, so that a terminal showing both streams shows
  // them in the order they were written.
  void write_err(std::string_view text) override {
    std::fflush(stdout);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }
  [[noreturn]] void exit(int status) override { std::exit(status); }
};

}  // namespace

process_io& standard_io() noexcept {
  static standard_process_io io;
  return io;
}

}  // namespace argparse
