#pragma once

// The Windows platform, visible to its own source and to the Windows test of
// what it hands the system. Everything else goes through `host_platform()`.

#include "platform.hpp"

#include <optional>

#include <windows.h>
// After windows.h, which it builds on:
#include <shellapi.h>

namespace vantrel {

/// The shell's ShellExecuteExW.
using shell_execute_function = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);

/// Finds ShellExecuteExW when a relaunch needs it. Returns null, with the
/// last error set, when the function cannot be had.
using shell_execute_lookup = shell_execute_function (*)();

/// Loads shell32.dll by its full path in the system directory and looks the
/// function up. From then on the process searches only the system directory
/// for the modules that it, and the shell in it, load by name; never the
/// executable's folder, the current directory or PATH. On a Windows 7 loader
/// without its 2011 update, which cannot search that way, the shell is
/// loaded with its dependencies searched from its own folder first.
/// The module stays loaded until the process ends.
shell_execute_function load_shell_execute();

/// The two functions of user32.dll that tell what a console's window is.
struct window_functions {
  int(WINAPI* get_class_name)(HWND, LPWSTR, int) = nullptr;
  BOOL(WINAPI* is_window_visible)(HWND) = nullptr;
};

/// Loads user32.dll from the system directory only, as the shell is
/// loaded, and looks the two functions up; each null when it cannot be had.
/// The module stays loaded until the process ends.
window_functions load_window_functions();

class windows_platform final : public platform {
 public:
  /// The shell is looked up through `lookup` at the relaunch and at no other
  /// time, so that a run without it never loads the shell nor changes where
  /// the process finds modules.
  explicit windows_platform(shell_execute_lookup lookup = load_shell_execute) noexcept
      : lookup_(lookup) {}

  std::uint32_t create_named_event(const wchar_t* name) override;
  void module_file_name(wchar_t* buffer, std::uint32_t size) override;
  std::uint32_t shell_execute_runas(const wchar_t* file) override;
  void sleep(std::uint32_t milliseconds) override;
  console_handle std_output_handle() override;
  bool set_console_window_info(console_handle console, const SMALL_RECT& window) override;
  bool set_console_screen_buffer_size(console_handle console, COORD size) override;
  std::optional<std::uint32_t> console_mode(console_handle console) override;
  bool set_console_mode(console_handle console, std::uint32_t mode) override;
  window_handle console_window() override;
  std::optional<std::wstring> window_class_name(window_handle window) override;
  std::optional<bool> window_visible(window_handle window) override;
  bool write_console(console_handle console, std::string_view text) override;

 private:
  // Looked up at the first question about the console's window.
  const window_functions& windows();

  shell_execute_lookup lookup_;
  std::optional<window_functions> window_functions_;
  // The guard holds only while its event exists, so the handle is never
  // closed: the event goes when the process ends.
  HANDLE guard_ = nullptr;
};

}  // namespace vantrel
