// The platform calls on Windows: kernel, console and shell services.

#include "platform.hpp"

#include <windows.h>
// After windows.h, which it builds on:
#include <shellapi.h>

#include <cstdio>

namespace vantrel {

namespace {

// The start request has the x86-64 layout; a header or target with another
// one would hand the shell a structure it reads differently.
static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "SHELLEXECUTEINFOW must have its x86-64 size");

class windows_platform final : public platform {
 public:
  std::uint32_t create_named_event(const wchar_t* name) override {
    // A successful CreateEventW need not reset the last error, so clear it
    // first: otherwise a code left by an earlier call would read as "taken".
    SetLastError(ERROR_SUCCESS);
    guard_ = CreateEventW(nullptr, FALSE, FALSE, name);
    return GetLastError();
  }

  void module_file_name(wchar_t* buffer, std::uint32_t size) override {
    GetModuleFileNameW(nullptr, buffer, size);
  }

  std::uint32_t shell_execute_runas(const wchar_t* file) override {
    SHELLEXECUTEINFOW request{};
    request.cbSize = sizeof(request);
    request.fMask = 0;
    request.lpVerb = L"runas";
    request.lpFile = file;
    request.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&request) ? 0 : GetLastError();
  }

  void sleep(std::uint32_t milliseconds) override { Sleep(milliseconds); }

  console_handle std_output_handle() override { return GetStdHandle(STD_OUTPUT_HANDLE); }

  bool set_console_window_info(console_handle console, const SMALL_RECT& window) override {
    return SetConsoleWindowInfo(console, TRUE, &window) != 0;
  }

  bool set_console_screen_buffer_size(console_handle console, COORD size) override {
    return SetConsoleScreenBufferSize(console, size) != 0;
  }

  void print(const char* message) override { std::printf("%s", message); }

 private:
  // The guard holds only while its event exists, so the handle is never
  // closed: the event goes when the process ends.
  HANDLE guard_ = nullptr;
};

}  // namespace

platform& host_platform() {
  static windows_platform system;
  return system;
}

}  // namespace vantrel
