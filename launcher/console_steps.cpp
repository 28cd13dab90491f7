#include "console_steps.hpp"

#include <array>
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
  if (!system.set_console_window_info(console, window)) {
    return report_failure(io, "resize failed");
  }
  if (!system.set_console_screen_buffer_size(console, buffer_size)) {
    return report_failure(io, "resize buffer failed");
  }
  return true;
}

}  // namespace vantrel
