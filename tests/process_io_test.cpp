// The parser's texts reach the process's streams through the standard
// process_io, which writes through C's stdout and stderr.

#include <argparse/process_io.hpp>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace {

// Points one of the process's standard streams at a file for the life of
// the object; what has reached the file can be read at any time. The file is
// named after the process too, as ctest runs tests side by side.
class redirected_stream {
 public:
  explicit redirected_stream(std::FILE* stream)
      : stream_(stream),
        path_(::testing::TempDir() + "process_io_" + std::to_string(getpid()) + "_" +
              std::to_string(count_++)) {
    std::fflush(stream_);
    saved_ = dup(fileno(stream_));
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    dup2(fileno(file), fileno(stream_));
    std::fclose(file);
    // Fully buffered, as a stream on a file is from the start, whatever it
    // was before (a terminal's stdout is line buffered, stderr unbuffered):
    // only the writes' own flushes then bring text to the file.
    std::setvbuf(stream_, nullptr, _IOFBF, BUFSIZ);
  }
  redirected_stream(const redirected_stream&) = delete;
  redirected_stream& operator=(const redirected_stream&) = delete;
  ~redirected_stream() {
    std::fflush(stream_);
    dup2(saved_, fileno(stream_));
    close(saved_);
    // Back to how the test program's own output is usually buffered.
    std::setvbuf(stream_, nullptr, stream_ == stderr ? _IONBF : _IOLBF, BUFSIZ);
    std::remove(path_.c_str());
  }

  // What the file holds now; nothing is flushed for it.
  std::string written() const {
    std::ifstream file(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

 private:
  static inline int count_ = 0;
  std::FILE* stream_;
  std::string path_;
  int saved_ = -1;
};

TEST(standard_io, keeps_the_order_of_its_writes_and_of_c_formatted_print) {
  redirected_stream out(stdout);
  argparse::process_io& io = argparse::standard_io();
  io.write_out("usage: a\n", true);
  io.write_out("listing ", false);
  std::printf("resize failed");
  std::fflush(stdout);
  EXPECT_EQ(out.written(), "usage: a\nlisting resize failed");
}

TEST(standard_io, flushes_output_when_asked_and_before_every_error) {
  redirected_stream out(stdout);
  redirected_stream err(stderr);
  argparse::process_io& io = argparse::standard_io();

  io.write_out("kept line\n", false);
  EXPECT_EQ(out.written(), "");
  io.write_out("line\n", true);
  EXPECT_EQ(out.written(), "kept line\nline\n");

  io.write_out("held", false);
  io.write_err("(parse error) one\n");
  EXPECT_EQ(out.written(), "kept line\nline\nheld");
  EXPECT_EQ(err.written(), "(parse error) one\n");

  io.write_out(" more", false);
  io.write_err("(get error) two\n");
  EXPECT_EQ(out.written(), "kept line\nline\nheld more");
  EXPECT_EQ(err.written(), "(parse error) one\n(get error) two\n");
}

}  // namespace
