#pragma once

// The Windows platform, visible to its own source and to the Windows test of
// what it hands the system. Everything else goes through `host_platform()`.

#include "platform.hpp"

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

 private:
  shell_execute_lookup lookup_;
  // The guard holds only while its event exists, so the handle is never
  // closed: the event goes when the process ends.
  HANDLE guard_ = nullptr;
};

}  // namespace vantrel
