#pragma once

// The operating-system calls that the console steps make, behind one small
// interface: Windows provides them for real, other hosts report that they
// cannot do them, and tests substitute a double that records each call.
//
// Nothing here needs a system header: the two console structures are declared
// with the layout Windows gives them, and the Windows platform converts them.
// What the steps write for the user goes through the parser's `process_io`,
// like every other text of the program, not through this interface.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

/// A console window rectangle in buffer cells, edges inclusive, as Windows
/// lays it out: signed 16-bit fields.
struct SMALL_RECT {
  std::int16_t Left;
  std::int16_t Top;
  std::int16_t Right;
  std::int16_t Bottom;
};

/// A console buffer size in cells, as Windows lays it out.
struct COORD {
  std::int16_t X;
  std::int16_t Y;
};

/// An opaque console handle (a Windows HANDLE).
using console_handle = void*;

/// An opaque window handle (a Windows HWND).
using window_handle = void*;

/// The console output mode that makes the console read what is written to
/// it as virtual-terminal sequences.
inline constexpr std::uint32_t enable_virtual_terminal_processing = 0x0004;

class platform {
 public:
  virtual ~platform() = default;

  /// Creates the named event (auto reset, not signalled) and returns the last
  /// error read right after, with no earlier code left to pick up: 0 only when
  /// this call created the event. The event stays open until the process ends.
  virtual std::uint32_t create_named_event(const wchar_t* name) = 0;

  /// Fills `buffer` with the full path of this program's executable, cut to
  /// `size` characters including the terminating NUL.
  virtual void module_file_name(wchar_t* buffer, std::uint32_t size) = 0;

  /// Asks the shell to start `file` with the verb "runas", no parameters and
  /// no directory, shown normally and not waited for. Returns 0 when the shell
  /// accepted the start, else the last error. A shell that cannot be loaded
  /// is a start error like any other.
  virtual std::uint32_t shell_execute_runas(const wchar_t* file) = 0;

  virtual void sleep(std::uint32_t milliseconds) = 0;

  virtual console_handle std_output_handle() = 0;

  /// Sets the console window to `window`, in absolute buffer coordinates.
  virtual bool set_console_window_info(console_handle console, const SMALL_RECT& window) = 0;

  virtual bool set_console_screen_buffer_size(console_handle console, COORD size) = 0;

  /// The output mode of `console`; nothing when it is no console (a pipe, a
  /// file, an unusable handle).
  virtual std::optional<std::uint32_t> console_mode(console_handle console) = 0;

  virtual bool set_console_mode(console_handle console, std::uint32_t mode) = 0;

  /// The window of this process's console; null when there is none.
  virtual window_handle console_window() = 0;

  /// The class name of `window`; nothing when it cannot be had. The window
  /// functions are looked up at the first call of this or of
  /// `window_visible`, not before.
  virtual std::optional<std::wstring> window_class_name(window_handle window) = 0;

  /// Whether `window` is shown; nothing when that cannot be had.
  virtual std::optional<bool> window_visible(window_handle window) = 0;

  /// Writes `text` to `console` as it is; true when all of it was written.
  virtual bool write_console(console_handle console, std::string_view text) = 0;
};

/// The calls of the system this program was built for.
platform& host_platform();

}  // namespace vantrel
