#pragma once

#include <string_view>

namespace argparse {

/// Where the parser writes and how it ends the process. A program uses
/// `standard_io()`; a test or a fuzzer passes its own implementation to watch
/// the texts, the flushes and the exit status in-process.
class process_io {
 public:
  virtual ~process_io() = default;

  /// Writes `text` to standard output (usage line, help listing, what
  /// callback actions print, and whatever else the program using the parser
  /// writes there), then flushes it if `flush` is set.
  virtual void write_out(std::string_view text, bool flush) = 0;
  /// Writes `text` to standard error (the parser's error reports) and
  /// flushes it.
  virtual void write_err(std::string_view text) = 0;
  /// Ends the process with `status`. Must not return; an implementation for
  /// tests may throw instead.
  [[noreturn]] virtual void exit(int status) = 0;
};

/// Standard output, standard error and std::exit: the real process. Texts go
/// through C's stdout and stderr, so they keep their order with C's formatted
/// print; standard output is flushed before an error is written. std::exit
/// flushes standard output and does not unwind the stack.
process_io& standard_io() noexcept;

}  // namespace argparse
