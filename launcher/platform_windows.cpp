// The platform calls on Windows: kernel, console and shell services.

#include "platform_windows.hpp"

#include <string>
#include <string_view>

namespace vantrel {

namespace {

// The start request has the x86-64 layout; a header or target with another
// one would hand the shell a structure it reads differently.
static_assert(sizeof(SHELLEXECUTEINFOW) == 112, "SHELLEXECUTEINFOW must have its x86-64 size");

// The system directory, without a trailing separator; empty, with the last
// error set, when it cannot be had.
std::wstring system_directory() {
  const UINT size = GetSystemDirectoryW(nullptr, 0);  // counts the terminating NUL
  if (size == 0) {
    return {};
  }
  std::wstring path(size, L'\0');
  const UINT length = GetSystemDirectoryW(path.data(), size);
  if (length == 0 || length >= size) {
    return {};
  }
  path.resize(length);
  return path;
}

// Function pointers from GetProcAddress pass through this generic type,
// which converts to any other.
using any_function = void (*)();

using set_default_dll_directories_function = BOOL(WINAPI*)(DWORD);

// SetDefaultDllDirectories came to Windows 7 with its loader update of 2011
// (KB2533623), together with the LOAD_LIBRARY_SEARCH flags. It is looked up
// rather than imported, so that the program still starts without it; null
// when it is missing, which also tells that the flags are not understood.
set_default_dll_directories_function find_set_default_dll_directories() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<set_default_dll_directories_function>(
      reinterpret_cast<any_function>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
}

// Loads the module at PATH, a full path in the system directory. The path
// alone decides where the module itself comes from, also where the flags
// below are not understood, and it matches no module of that name loaded
// from elsewhere. Its dependencies are searched in the system directory
// only, and so, from just before, is every later load of the process by
// name, such as what the shell loads while it starts a program: never the
// executable's folder, the current directory or PATH. A loader without the
// 2011 update understands neither; the module is then loaded with its
// dependencies searched from its own folder first, and after that in the
// standard order. Any other failure is passed on: that search would only add
// the places that this one leaves out.
HMODULE load_from_system_directory_only(const std::wstring& path) {
  const set_default_dll_directories_function set_default_dll_directories =
      find_set_default_dll_directories();
  if (set_default_dll_directories != nullptr) {
    // A refusal would leave the search path as it was, which is no reason
    // to give up the relaunch.
    set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    const HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) {
      return module;
    }
  }
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

::SMALL_RECT to_windows(const SMALL_RECT& window) {
  return {window.Left, window.Top, window.Right, window.Bottom};
}

::COORD to_windows(COORD size) { return {size.X, size.Y}; }

// The module NAME of the system directory, loaded as
// load_from_system_directory_only says; null, with the last error set, when
// it cannot be had.
HMODULE load_system_module(const wchar_t* name) {
  std::wstring path = system_directory();
  if (path.empty()) {
    return nullptr;
  }
  path.append(L"\\").append(name);
  return load_from_system_directory_only(path);
}

template <typename Function>
Function find_function(HMODULE module, const char* name) {
  return module == nullptr ? nullptr
                           : reinterpret_cast<Function>(
                                 reinterpret_cast<any_function>(GetProcAddress(module, name)));
}

}  // namespace

shell_execute_function load_shell_execute() {
  return find_function<shell_execute_function>(load_system_module(L"shell32.dll"),
                                               "ShellExecuteExW");
}

window_functions load_window_functions() {
  const HMODULE user = load_system_module(L"user32.dll");
  window_functions found;
  found.get_class_name = find_function<decltype(found.get_class_name)>(user, "GetClassNameW");
  found.is_window_visible =
      find_function<decltype(found.is_window_visible)>(user, "IsWindowVisible");
  return found;
}

std::uint32_t windows_platform::create_named_event(const wchar_t* name) {
  // A successful CreateEventW need not reset the last error, so clear it
  // first: otherwise a code left by an earlier call would read as "taken".
  SetLastError(ERROR_SUCCESS);
  guard_ = CreateEventW(nullptr, FALSE, FALSE, name);
  return GetLastError();
}

void windows_platform::module_file_name(wchar_t* buffer, std::uint32_t size) {
  GetModuleFileNameW(nullptr, buffer, size);
}

std::uint32_t windows_platform::shell_execute_runas(const wchar_t* file) {
  const shell_execute_function shell_execute = lookup_();
  if (shell_execute == nullptr) {
    // Not the user's refusal: passed on like any other start error, and never
    // as 0, which would read as a start.
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_PROC_NOT_FOUND;
  }
  SHELLEXECUTEINFOW request{};
  request.cbSize = sizeof(request);
  request.fMask = 0;
  request.lpVerb = L"runas";
  request.lpFile = file;
  request.nShow = SW_SHOWNORMAL;
  return shell_execute(&request) ? 0 : GetLastError();
}

void windows_platform::sleep(std::uint32_t milliseconds) { Sleep(milliseconds); }

console_handle windows_platform::std_output_handle() { return GetStdHandle(STD_OUTPUT_HANDLE); }

bool windows_platform::set_console_window_info(console_handle console, const SMALL_RECT& window) {
  const ::SMALL_RECT rectangle = to_windows(window);
  return SetConsoleWindowInfo(console, TRUE, &rectangle) != 0;
}

bool windows_platform::set_console_screen_buffer_size(console_handle console, COORD size) {
  return SetConsoleScreenBufferSize(console, to_windows(size)) != 0;
}

std::optional<std::uint32_t> windows_platform::console_mode(console_handle console) {
  DWORD mode = 0;
  if (GetConsoleMode(console, &mode) == 0) {
    return std::nullopt;
  }
  return mode;
}

bool windows_platform::set_console_mode(console_handle console, std::uint32_t mode) {
  return SetConsoleMode(console, mode) != 0;
}

window_handle windows_platform::console_window() { return GetConsoleWindow(); }

const window_functions& windows_platform::windows() {
  if (!window_functions_) {
    window_functions_ = load_window_functions();
  }
  return *window_functions_;
}

std::optional<std::wstring> windows_platform::window_class_name(window_handle window) {
  const auto get_class_name = windows().get_class_name;
  if (get_class_name == nullptr) {
    return std::nullopt;
  }
  // 256 characters: the longest class name that Windows registers.
  std::wstring name(256, L'\0');
  const int length =
      get_class_name(static_cast<HWND>(window), name.data(), static_cast<int>(name.size()));
  if (length <= 0) {
    return std::nullopt;
  }
  name.resize(static_cast<std::size_t>(length));
  return name;
}

std::optional<bool> windows_platform::window_visible(window_handle window) {
  const auto is_window_visible = windows().is_window_visible;
  if (is_window_visible == nullptr) {
    return std::nullopt;
  }
  return is_window_visible(static_cast<HWND>(window)) != 0;
}

bool windows_platform::write_console(console_handle console, std::string_view text) {
  DWORD written = 0;
  return WriteConsoleA(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) !=
             0 &&
         written == text.size();
}

platform& host_platform() {
  static windows_platform system;
  return system;
}

}  // namespace vantrel
