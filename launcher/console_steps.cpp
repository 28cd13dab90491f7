#include "console_steps.hpp"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

namespace {

// Only one elevated relaunch may be under way at a time in a session: a name
// without the "Global\" prefix lives in the namespace of the session that
// creates it, so users in other sessions (Remote Desktop, fast user
// switching) have guards of their own.
constexpr const wchar_t* guard_name = L"{29544E05-024F-4BC1-A272-452DBC8E17A4}";
constexpr std::uint32_t max_path = 260;
constexpr std::uint32_t relaunch_pause_ms = 100;

// The step's failure message is the whole output, with no line break; it
// reaches the terminal when the process ends.
bool report_failure(argparse::process_io& io, std::string_view message) {
  io.write_out(message, false);
  return false;
}

bool start_refused(std::uint32_t error) {
  return error == error_cancelled || error == error_file_not_found;
}

// The window that a pseudoconsole's host makes for a console: it serves
// messages only and is never shown, since the terminal shows the screen.
constexpr std::wstring_view pseudoconsole_window_class = L"PseudoConsoleWindow";
// The classic console host's own window, which its calls size.
constexpr std::wstring_view classic_window_class = L"ConsoleWindowClass";

constexpr int largest_cell_count = 32767;

// A screen that is a terminal, not a window of the console's own: a
// pseudoconsole's window, or another host's window that is not shown (Wine's
// console behind a Unix terminal). The classic host's window never is,
// shown or not. Asked only of a console that has a window.
bool screen_is_a_terminal(platform& system, window_handle window) {
  const std::optional<std::wstring> class_name = system.window_class_name(window);
  if (!class_name || *class_name == classic_window_class) {
    return false;
  }
  if (*class_name == pseudoconsole_window_class) {
    return true;
  }
  const std::optional<bool> visible = system.window_visible(window);
  return visible && !*visible;
}

// Writes `request` with virtual-terminal processing on for the write.
void write_as_terminal_sequence(platform& system, console_handle console, std::uint32_t mode,
                                std::string_view request) {
  if (!system.set_console_mode(console, mode | enable_virtual_terminal_processing)) {
    return;
  }
  system.write_console(console, request);
  system.set_console_mode(console, mode);
}

}  // namespace

bool relaunch_elevated(platform& system, argparse::process_io& io) {
  if (system.create_named_event(guard_name) != 0) {
    return report_failure(io, "uac filed");
  }
  std::array<wchar_t, max_path> path{};
  system.module_file_name(path.data(), max_path);
  // Other start errors are not the user's refusal; the run goes on.
  if (start_refused(system.shell_execute_runas(path.data()))) {
    return report_failure(io, "uac filed");
  }
  system.sleep(relaunch_pause_ms);
  return true;
}

bool size_console(platform& system, argparse::process_io& io, const SMALL_RECT& window,
                  COORD buffer_size) {
  const console_handle console = system.std_output_handle();
  request_terminal_window(system, console, window);
  if (!system.set_console_window_info(console, window)) {
    return report_failure(io, "resize failed");
  }
  if (!system.set_console_screen_buffer_size(console, buffer_size)) {
    return report_failure(io, "resize buffer failed");
  }
  return true;
}

// The counts come from the 16-bit fields as the console gets them, so a
// rectangle whose right edge is left of its left edge asks for nothing.
std::string terminal_window_request(const SMALL_RECT& window) {
  const int columns = window.Right - window.Left + 1;
  const int rows = window.Bottom - window.Top + 1;
  if (columns < 1 || columns > largest_cell_count || rows < 1 || rows > largest_cell_count) {
    return {};
  }
  return "\x1b[8;" + std::to_string(rows) + ";" + std::to_string(columns) + "t";
}

// The request goes first: a pseudoconsole's host that reads it also sizes
// its own buffer to it (as wide as the request, and at least as tall), so
// the window and buffer steps after it decide what the console ends with,
// as they do everywhere else. The user32 functions behind the window's
// class are looked up only once the output is known to be a console with a
// window.
void request_terminal_window(platform& system, console_handle console, const SMALL_RECT& window) {
  const std::optional<std::uint32_t> mode = system.console_mode(console);
  const std::string request = terminal_window_request(window);
  if (!mode || request.empty()) {
    return;
  }
  const window_handle console_window = system.console_window();
  if (console_window == nullptr || !screen_is_a_terminal(system, console_window)) {
    return;
  }
  write_as_terminal_sequence(system, console, *mode, request);
}

}  // namespace vantrel
