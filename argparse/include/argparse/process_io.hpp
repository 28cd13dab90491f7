#pragma once

#include <iosfwd>

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
};

/// std::cout, std::cerr and std::exit: the real process. std::exit flushes
/// standard output and does not unwind the stack.
process_io& standard_io() noexcept;

}  // namespace argparse
