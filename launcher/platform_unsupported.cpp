// The platform calls on a host without Windows consoles: nothing can be
// created, started or resized here, so every call reports failure.

#include "platform.hpp"

namespace vantrel {

namespace {

constexpr std::uint32_t error_not_supported = 50;

class unsupported_platform final : public platform {
 public:
  std::uint32_t create_named_event(const wchar_t* /*name*/) override { return error_not_supported; }
  void module_file_name(wchar_t* buffer, std::uint32_t size) override {
    if (size > 0) {
      buffer[0] = L'\0';
    }
  }
  std::uint32_t shell_execute_runas(const wchar_t* /*file*/) override {
    return error_not_supported;
  }
  void sleep(std::uint32_t /*milliseconds*/) override {}
  console_handle std_output_handle() override { return nullptr; }
  bool set_console_window_info(console_handle /*console*/, const SMALL_RECT& /*window*/) override {
    return false;
  }
  bool set_console_screen_buffer_size(console_handle /*console*/, COORD /*size*/) override {
    return false;
  }
  std::optional<std::uint32_t> console_mode(console_handle /*console*/) override {
    return std::nullopt;
  }
  bool set_console_mode(console_handle /*console*/, std::uint32_t /*mode*/) override {
    return false;
  }
  window_handle console_window() override { return nullptr; }
  std::optional<std::wstring> window_class_name(window_handle /*window*/) override {
    return std::nullopt;
  }
  std::optional<bool> window_visible(window_handle /*window*/) override { return std::nullopt; }
  bool write_console(console_handle /*console*/, std::string_view /*text*/) override {
    return false;
  }
};

}  // namespace

platform& host_platform() {
  static unsupported_platform system;
  return system;
}

}  // namespace vantrel
