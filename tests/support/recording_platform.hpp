#pragma once

// A double of the platform calls: it records each call with the values
// passed, as one line of text, and answers as the test sets it up.

#include "platform.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

class recording_platform final : public vantrel::platform {
 public:
  // Answers.
  std::uint32_t event_error = 0;
  std::uint32_t start_error = 0;
  bool window_accepted = true;
  bool buffer_accepted = true;
  std::wstring module_path = L"C:\\tools\\vantrel.exe";
  // Standard output is no console unless a mode is given.
  std::optional<std::uint32_t> output_mode;
  bool mode_accepted = true;
  bool has_window = false;
  std::optional<std::wstring> window_class;
  std::optional<bool> window_shown;
  bool write_accepted = true;

  // What happened, one line per call.
  std::vector<std::string> calls;
  std::wstring event_name;
  std::wstring started_file;

  std::uint32_t create_named_event(const wchar_t* name) override {
    event_name = name;
    calls.emplace_back("CreateEventW");
    return event_error;
  }
  // As GetModuleFileNameW does, a path too long for the buffer is cut so
  // that its terminating NUL still fits.
  void module_file_name(wchar_t* buffer, std::uint32_t size) override {
    calls.push_back("GetModuleFileNameW " + std::to_string(size));
    if (size == 0) {
      return;
    }
    buffer[module_path.copy(buffer, size - 1)] = L'\0';
  }
  std::uint32_t shell_execute_runas(const wchar_t* file) override {
    started_file = file;
    calls.emplace_back("ShellExecuteExW");
    return start_error;
  }
  void sleep(std::uint32_t milliseconds) override {
    calls.push_back("Sleep " + std::to_string(milliseconds));
  }
  vantrel::console_handle std_output_handle() override {
    calls.emplace_back("GetStdHandle");
    return this;
  }
  bool set_console_window_info(vantrel::console_handle console,
                               const vantrel::SMALL_RECT& window) override {
    calls.push_back("SetConsoleWindowInfo" + handle_note(console) + " " +
                    std::to_string(window.Left) + " " + std::to_string(window.Top) + " " +
                    std::to_string(window.Right) + " " + std::to_string(window.Bottom));
    return window_accepted;
  }
  bool set_console_screen_buffer_size(vantrel::console_handle console,
                                      vantrel::COORD size) override {
    calls.push_back(std::string("SetConsoleScreenBufferSize") + handle_note(console) + " " +
                    std::to_string(size.X) + " " + std::to_string(size.Y));
    return buffer_accepted;
  }
  std::optional<std::uint32_t> console_mode(vantrel::console_handle console) override {
    calls.push_back(std::string("GetConsoleMode") + handle_note(console));
    return output_mode;
  }
  bool set_console_mode(vantrel::console_handle console, std::uint32_t mode) override {
    calls.push_back("SetConsoleMode" + handle_note(console) + " " + std::to_string(mode));
    return mode_accepted;
  }
  vantrel::window_handle console_window() override {
    calls.emplace_back("GetConsoleWindow");
    return has_window ? &window_class : nullptr;
  }
  std::optional<std::wstring> window_class_name(vantrel::window_handle window) override {
    calls.push_back(std::string("GetClassNameW") + (window == &window_class ? "" : " bad window"));
    return window_class;
  }
  std::optional<bool> window_visible(vantrel::window_handle window) override {
    calls.push_back(std::string("IsWindowVisible") +
                    (window == &window_class ? "" : " bad window"));
    return window_shown;
  }
  // The text as written, with the escape character shown as "\e".
  bool write_console(vantrel::console_handle console, std::string_view text) override {
    std::string shown;
    for (const char c : text) {
      shown += c == '\x1b' ? std::string("\\e") : std::string(1, c);
    }
    calls.push_back("WriteConsoleA" + handle_note(console) + " " + shown);
    return write_accepted;
  }

 private:
  std::string handle_note(vantrel::console_handle console) const {
    return console == this ? "" : " bad handle";
  }
};

}  // namespace test_support
