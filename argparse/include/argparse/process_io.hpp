#pragma once

#include <iosfwd>
#include <string_view>

namespace argparse {

/// The two output streams the parser writes to and the way it ends the
/// process. A program uses `standard_io()`; a test or a fuzzer passes its own
/// implementation to watch the texts and the exit status in-process.
class process_io {
 public:
  virtual ~process_io() = default;

  /// Usage line, help listing, and whatever callback actions print.
  virtual std::ostream& out() = 0;
  /// The "(build error) ", "(parse error) " and "(get error) " reports.
  virtual std::ostream& err() = 0;
  /// Ends the process with `status`. Must not return; an implementation for
  /// tests may throw instead.
  [[noreturn]] virtual void exit(int status) = 0;

  // The parser writes its texts through these two. By default they write to
  // `out()` and `err()`; an implementation may write the same bytes another
  // way, with the same flushes.

  /// Writes `text` to the output stream, then flushes it if `flush` is set.
  virtual void write_out(std::string_view text, bool flush);
  /// Writes `text` to the error stream and flushes it.
  virtual void write_err(std::string_view text);
};

/// Standard output, standard error and std::exit: the real process. Texts go
/// through C's stdout and stderr, as those of std::cout and std::cerr do, so
/// they keep their order with C's formatted print. std::exit flushes standard
/// output and does not unwind the stack.
process_io& standard_io() noexcept;

}  // namespace argparse
