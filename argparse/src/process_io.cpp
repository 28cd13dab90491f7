#include <argparse/process_io.hpp>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <streambuf>

namespace argparse {

void process_io::write_out(std::string_view text, bool flush) {
  out() << text;
  if (flush) {
    out() << std::flush;
  }
}

void process_io::write_err(std::string_view text) { err() << text << std::flush; }

namespace {

// Hands every character straight to a C stream, as the standard streams do
// when they are synchronized with C's: nothing is held back here, so output
// through the C++ stream and through C's formatted print stays in order.
class c_stream_buffer final : public std::streambuf {
 public:
  explicit c_stream_buffer(std::FILE* file) : file_(file) {}

 protected:
  int_type overflow(int_type character) override {
    if (traits_type::eq_int_type(character, traits_type::eof())) {
      return traits_type::not_eof(character);
    }
    return std::fputc(character, file_) == EOF ? traits_type::eof() : character;
  }
  std::streamsize xsputn(const char_type* text, std::streamsize size) override {
    return static_cast<std::streamsize>(
        std::fwrite(text, 1, static_cast<std::size_t>(size), file_));
  }
  int sync() override { return std::fflush(file_); }

 private:
  std::FILE* file_;
};

class c_ostream final : public std::ostream {
 public:
  c_ostream(std::FILE* file, std::ostream* tied) : std::ostream(nullptr), buffer_(file) {
    rdbuf(&buffer_);
    tie(tied);
  }

 private:
  c_stream_buffer buffer_;
};

// Standard output and error through C's streams, without the standard C++
// stream objects: setting those up costs more than a whole short run of the
// parser, so a C++ stream is made only when a caller asks for one. Each is
// made once and never destroyed, so that it serves until the process ends.
class standard_process_io final : public process_io {
 public:
  std::ostream& out() override {
    static c_ostream& stream = *new c_ostream(stdout, nullptr);
    return stream;
  }
  // As with std::cerr, standard output is flushed before an error is written.
  std::ostream& err() override {
    static c_ostream& stream = *new c_ostream(stderr, &out());
    return stream;
  }
  [[noreturn]] void exit(int status) override { std::exit(status); }
  void write_out(std::string_view text, bool flush) override {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (flush) {
      std::fflush(stdout);
    }
  }
  void write_err(std::string_view text) override {
    std::fflush(stdout);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }
};

}  // namespace

process_io& standard_io() noexcept {
  static standard_process_io io;
  return io;
}

}  // namespace argparse
