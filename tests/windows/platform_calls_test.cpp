// Checks what the Windows platform (launcher/platform_windows.cpp) hands the
// system for the guard event and for the elevated start, and how it finds
// the shell and the name of a window's class.
//
//   platform_calls_test
//
// The program carries the platform's code itself. For the guard it points its
// own import of CreateEventW at a stand-in that records what it is given,
// calls the platform, puts the import back and compares; the stand-in passes
// the call on, so the event that results is checked as well. For the start it
// gives the platform a lookup of ShellExecuteExW that returns a recording
// stand-in, which starts nothing. For the lookup of the shell it points its
// imports of LoadLibraryExW and GetProcAddress at stand-ins that record every
// call in order, pass them on, and can play an older loader: one that
// refuses a LOAD_LIBRARY_SEARCH flag, or has no SetDefaultDllDirectories.
// Prints one line per failed check and ends with status 1 if any failed.

#include "captured_io.hpp"
#include "console_steps.hpp"
#include "platform_windows.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

int failures = 0;

struct check {
  const char* what;
  bool passed;
};

template <std::size_t count>
void expect(const char* step, const check (&checks)[count]) {
  for (const check& each : checks) {
    if (!each.passed) {
      std::printf("FAILED %s: %s\n", step, each.what);
      ++failures;
    }
  }
}

std::wstring text_of(const wchar_t* text) { return text == nullptr ? L"(null)" : text; }

// The slot of this program's import address table through which it calls
// FUNCTION of DLL, or null when it does not import it.
ULONG_PTR* import_slot(const char* dll, const char* function) {
  auto* const base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  const auto* const dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* const headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* module =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       module->Name != 0; ++module) {
    if (_stricmp(reinterpret_cast<const char*>(base + module->Name), dll) != 0) {
      continue;
    }
    const auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
    for (; name->u1.AddressOfData != 0; ++name, ++slot) {
      if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) {
        continue;
      }
      const auto* by_name =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) == 0) {
        return reinterpret_cast<ULONG_PTR*>(&slot->u1.Function);
      }
    }
  }
  return nullptr;
}

void write_slot(ULONG_PTR* slot, ULONG_PTR value) {
  DWORD protection = 0;
  VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &protection);
  *slot = value;
  VirtualProtect(slot, sizeof(*slot), protection, &protection);
}

// Points this program's import of a system function at a stand-in while it
// lives, and keeps the function itself at hand.
template <typename function>
class replaced_import {
 public:
  replaced_import(const char* dll, const char* name, function* stand_in)
      : slot_(import_slot(dll, name)) {
    if (slot_ == nullptr) {
      std::printf("FAILED: this program does not import %s from %s\n", name, dll);
      std::exit(1);
    }
    original_ = *slot_;
    write_slot(slot_, reinterpret_cast<ULONG_PTR>(stand_in));
  }
  ~replaced_import() { write_slot(slot_, original_); }
  replaced_import(const replaced_import&) = delete;
  replaced_import& operator=(const replaced_import&) = delete;

  function* original() const { return reinterpret_cast<function*>(original_); }

 private:
  ULONG_PTR* slot_;
  ULONG_PTR original_ = 0;
};

// --- The guard event ---------------------------------------------------------

struct event_call {
  int count = 0;
  const SECURITY_ATTRIBUTES* attributes = nullptr;
  BOOL manual_reset = FALSE;
  BOOL initially_signalled = FALSE;
  std::wstring name;
  DWORD error_on_entry = ERROR_SUCCESS;
};

event_call event_seen;
decltype(&CreateEventW) create_event = nullptr;

// Passes the call on. A successful creation need not touch the last error,
// so like such a system this stand-in then leaves it as it found it: a code
// that an earlier call left behind is still there unless the platform
// cleared it first.
HANDLE WINAPI record_create_event(LPSECURITY_ATTRIBUTES attributes, BOOL manual_reset,
                                  BOOL initially_signalled, LPCWSTR name) {
  const DWORD error_on_entry = GetLastError();
  event_seen = {event_seen.count + 1, attributes,    manual_reset,
                initially_signalled,  text_of(name), error_on_entry};
  const HANDLE event = create_event(attributes, manual_reset, initially_signalled, name);
  if (event != nullptr && GetLastError() == ERROR_SUCCESS) {
    SetLastError(error_on_entry);
  }
  return event;
}

struct guard_case {
  const char* name;
  DWORD stale_error;  // left by an earlier call, before the platform's
};

const guard_case guard_cases[] = {
    {"a new event", ERROR_SUCCESS},
    {"a new event after a call that failed", ERROR_INVALID_HANDLE},
};

void creates_an_auto_reset_unsignalled_event_by_the_name_given(const guard_case& row) {
  // Not the guard's name: the console tests of the same Wine prefix may be
  // relaunching at the same time.
  const std::wstring name = L"vantrel-platform-calls-" + std::to_wstring(GetCurrentProcessId()) +
                            L"-" + std::to_wstring(row.stale_error);
  std::uint32_t error = 0;
  event_seen = {};
  {
    replaced_import<decltype(CreateEventW)> stand_in("kernel32.dll", "CreateEventW",
                                                     &record_create_event);
    create_event = stand_in.original();
    vantrel::windows_platform system;
    SetLastError(row.stale_error);
    error = system.create_named_event(name.c_str());
  }
  const std::string step = std::string("CreateEventW, ") + row.name;
  expect(step.c_str(), {
                           {"called once", event_seen.count == 1},
                           {"no security attributes", event_seen.attributes == nullptr},
                           {"manual reset FALSE", event_seen.manual_reset == FALSE},
                           {"initial state FALSE", event_seen.initially_signalled == FALSE},
                           {"the name as given, with no namespace prefix", event_seen.name == name},
                           {"reported as newly created (0)", error == 0},
                       });

  // The event itself, found by its name as another run would find it.
  const HANDLE event = OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, name.c_str());
  const bool found = event != nullptr;
  // Each of these holds trivially for an event that was not found.
  const bool unsignalled = !found || WaitForSingleObject(event, 0) == WAIT_TIMEOUT;
  const bool wakes_one_wait =
      !found || (SetEvent(event) && WaitForSingleObject(event, 0) == WAIT_OBJECT_0);
  const bool resets_itself = !found || WaitForSingleObject(event, 0) == WAIT_TIMEOUT;
  expect("the event", {
                          {"opened by its name", found},
                          {"not signalled", unsignalled},
                          {"signalled by SetEvent", wakes_one_wait},
                          {"reset by the wait it woke", resets_itself},
                      });
}

// --- The elevated start ------------------------------------------------------

struct start_call {
  int count = 0;
  SHELLEXECUTEINFOW request{};
  std::wstring verb;
  std::wstring file;
};

start_call start_seen;
BOOL start_answer = TRUE;
DWORD start_error = ERROR_SUCCESS;
DWORD lookup_error = ERROR_SUCCESS;

BOOL WINAPI record_shell_execute(SHELLEXECUTEINFOW* request) {
  start_seen = {start_seen.count + 1, *request, text_of(request->lpVerb), text_of(request->lpFile)};
  SetLastError(start_error);
  return start_answer;
}

vantrel::shell_execute_function find_recording_shell() { return &record_shell_execute; }

vantrel::shell_execute_function find_no_shell() {
  SetLastError(lookup_error);
  return nullptr;
}

void asks_the_shell_to_run_the_file_as_administrator() {
  const std::wstring file = L"C:\\tools\\vantrel.exe";
  start_seen = {};
  start_answer = TRUE;
  start_error = ERROR_SUCCESS;
  vantrel::windows_platform system(&find_recording_shell);
  const std::uint32_t error = system.shell_execute_runas(file.c_str());
  // Every field not named in the request is zero.
  const SHELLEXECUTEINFOW& request = start_seen.request;
  expect("ShellExecuteExW",
         {
             {"called once", start_seen.count == 1},
             {"cbSize 112", request.cbSize == 112},
             {"fMask 0: no process handle, nothing waited for", request.fMask == 0},
             {"hwnd empty", request.hwnd == nullptr},
             {"lpVerb \"runas\"", start_seen.verb == L"runas"},
             {"lpFile the file given", start_seen.file == file},
             {"lpParameters empty: the copy gets no arguments", request.lpParameters == nullptr},
             {"lpDirectory empty", request.lpDirectory == nullptr},
             {"nShow SW_SHOWNORMAL (1)", request.nShow == SW_SHOWNORMAL},
             {"hInstApp empty", request.hInstApp == nullptr},
             {"lpIDList empty", request.lpIDList == nullptr},
             {"lpClass empty", request.lpClass == nullptr},
             {"hkeyClass empty", request.hkeyClass == nullptr},
             {"dwHotKey 0", request.dwHotKey == 0},
             {"hIcon or hMonitor empty", request.hIcon == nullptr},
             {"hProcess empty", request.hProcess == nullptr},
             {"an accepted start reported as 0", error == 0},
         });
}

// How the shell's answer decides the relaunch: only the user's refusal and a
// missing executable stop the run; any other start error, a shell that
// cannot be loaded included, lets it go on to the sizing.
struct start_case {
  const char* name;
  vantrel::shell_execute_lookup lookup;
  BOOL answer;
  DWORD error;  // the shell's last error, or the lookup's
  std::uint32_t reported;
  bool goes_on;
};

const start_case start_cases[] = {
    {"consent refused", &find_recording_shell, FALSE, ERROR_CANCELLED, ERROR_CANCELLED, false},
    {"executable not found", &find_recording_shell, FALSE, ERROR_FILE_NOT_FOUND,
     ERROR_FILE_NOT_FOUND, false},
    {"no association", &find_recording_shell, FALSE, ERROR_NO_ASSOCIATION, ERROR_NO_ASSOCIATION,
     true},
    {"access denied", &find_recording_shell, FALSE, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, true},
    {"shell not loaded", &find_no_shell, FALSE, ERROR_MOD_NOT_FOUND, ERROR_MOD_NOT_FOUND, true},
    {"shell not loaded, no error set", &find_no_shell, FALSE, ERROR_SUCCESS, ERROR_PROC_NOT_FOUND,
     true},
};

HANDLE WINAPI create_unnamed_event(LPSECURITY_ATTRIBUTES attributes, BOOL manual_reset,
                                   BOOL initially_signalled, LPCWSTR /*name*/) {
  return create_event(attributes, manual_reset, initially_signalled, nullptr);
}

void decides_the_relaunch_by_the_start_error(const start_case& row) {
  start_answer = row.answer;
  start_error = row.error;
  lookup_error = row.error;
  vantrel::windows_platform system(row.lookup);
  const std::uint32_t reported = system.shell_execute_runas(L"C:\\tools\\vantrel.exe");
  // The whole step, with the guard made unnamed: each row takes it anew,
  // and the console tests of this prefix may hold the real one.
  test_support::captured_io io;
  bool went_on = false;
  {
    replaced_import<decltype(CreateEventW)> stand_in("kernel32.dll", "CreateEventW",
                                                     &create_unnamed_event);
    create_event = stand_in.original();
    went_on = vantrel::relaunch_elevated(system, io);
  }
  const std::string step = std::string("start refused or not: ") + row.name;
  expect(step.c_str(),
         {
             {"the error reported", reported == row.reported},
             {"the run goes on, or stops with \"uac filed\"",
              went_on == row.goes_on && io.out_text() == (row.goes_on ? "" : "uac filed")},
         });
}

// --- Finding the shell -------------------------------------------------------

std::wstring system_directory() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetSystemDirectoryW(path.data(), MAX_PATH));
  return path;
}

std::wstring module_path(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(module, path.data(), MAX_PATH));
  return path;
}

using any_function = void (*)();

// What the lookup of the shell asks of the loader, one line per call, in the
// order of the calls.
std::vector<std::string> loader_calls;

std::string flags_text(DWORD flags) {
  switch (flags) {
    case LOAD_LIBRARY_SEARCH_SYSTEM32:
      return "LOAD_LIBRARY_SEARCH_SYSTEM32";
    case LOAD_WITH_ALTERED_SEARCH_PATH:
      return "LOAD_WITH_ALTERED_SEARCH_PATH";
    default:
      return "flags " + std::to_string(flags);
  }
}

// The shell's own path as "<system>\shell32.dll", any other path as it is.
std::string path_text(LPCWSTR path) {
  const std::wstring shell = system_directory() + L"\\shell32.dll";
  if (path != nullptr && _wcsicmp(path, shell.c_str()) == 0) {
    return "<system>\\shell32.dll";
  }
  std::string text;
  for (const wchar_t each : text_of(path)) {
    text += each < 0x80 ? static_cast<char>(each) : '?';
  }
  return text;
}

std::string module_text(HMODULE module) {
  if (module == GetModuleHandleW(L"kernel32.dll")) {
    return "kernel32";
  }
  if (module != nullptr && module == GetModuleHandleW(L"shell32.dll")) {
    return "shell32";
  }
  return "another module";
}

// The loader that a row stands for. On Windows 7 without its loader update
// of 2011 (KB2533623), kernel32 has no SetDefaultDllDirectories and
// LoadLibraryExW refuses the LOAD_LIBRARY_SEARCH flags with
// ERROR_INVALID_PARAMETER.
struct loader_case {
  const char* name;
  bool has_set_default_dll_directories;
  DWORD search_refusal;  // the error of the first load with a LOAD_LIBRARY_SEARCH flag, or 0
  std::vector<std::string> calls;
  DWORD error;  // 0 when ShellExecuteExW is found; else the error of the lookup that failed
};

constexpr const char* find_set_default = "GetProcAddress kernel32 SetDefaultDllDirectories";
constexpr const char* set_default = "SetDefaultDllDirectories LOAD_LIBRARY_SEARCH_SYSTEM32";
constexpr const char* load_searching_system =
    "LoadLibraryExW <system>\\shell32.dll LOAD_LIBRARY_SEARCH_SYSTEM32";
constexpr const char* load_altered =
    "LoadLibraryExW <system>\\shell32.dll LOAD_WITH_ALTERED_SEARCH_PATH";
constexpr const char* find_start = "GetProcAddress shell32 ShellExecuteExW";

// The first row loads the shell; the others find it loaded.
const loader_case loader_cases[] = {
    {"a loader with the search flags",
     true,
     0,
     {find_set_default, set_default, load_searching_system, find_start},
     ERROR_SUCCESS},
    {"the search flag refused",
     true,
     ERROR_INVALID_PARAMETER,
     {find_set_default, set_default, load_searching_system, load_altered, find_start},
     ERROR_SUCCESS},
    {"no SetDefaultDllDirectories",
     false,
     0,
     {find_set_default, load_altered, find_start},
     ERROR_SUCCESS},
    // Its dependencies not all in the system directory: a second try with the
    // older search would look for them in the executable's folder too.
    {"the shell not loadable that way",
     true,
     ERROR_MOD_NOT_FOUND,
     {find_set_default, set_default, load_searching_system},
     ERROR_MOD_NOT_FOUND},
};

const loader_case* loader_row = nullptr;
DWORD search_refusal_left = 0;
decltype(&LoadLibraryExW) load_library = nullptr;
decltype(&GetProcAddress) get_proc_address = nullptr;

BOOL WINAPI record_set_default_dll_directories(DWORD flags) {
  loader_calls.push_back("SetDefaultDllDirectories " + flags_text(flags));
  return TRUE;
}

HMODULE WINAPI record_load_library(LPCWSTR path, HANDLE file, DWORD flags) {
  loader_calls.push_back("LoadLibraryExW " + path_text(path) + " " + flags_text(flags));
  constexpr DWORD search_flags = LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR |
                                 LOAD_LIBRARY_SEARCH_APPLICATION_DIR |
                                 LOAD_LIBRARY_SEARCH_USER_DIRS | LOAD_LIBRARY_SEARCH_SYSTEM32 |
                                 LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;
  if ((flags & search_flags) != 0 && search_refusal_left != ERROR_SUCCESS) {
    SetLastError(std::exchange(search_refusal_left, ERROR_SUCCESS));
    return nullptr;
  }
  return load_library(path, file, flags);
}

// Passes every lookup on but SetDefaultDllDirectories's, which finds a
// recording stand-in or, for a loader without it, nothing.
FARPROC WINAPI record_get_proc_address(HMODULE module, LPCSTR name) {
  const std::string name_text = IS_INTRESOURCE(name) ? "an ordinal" : name;
  loader_calls.push_back("GetProcAddress " + module_text(module) + " " + name_text);
  if (name_text != "SetDefaultDllDirectories") {
    return get_proc_address(module, name);
  }
  if (!loader_row->has_set_default_dll_directories) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(
      reinterpret_cast<any_function>(&record_set_default_dll_directories));
}

void finds_the_shell_in_the_system_directory_only(const loader_case& row) {
  loader_calls.clear();
  loader_row = &row;
  search_refusal_left = row.search_refusal;
  vantrel::shell_execute_function found = nullptr;
  DWORD error = ERROR_SUCCESS;
  {
    replaced_import<decltype(LoadLibraryExW)> load_stand_in("kernel32.dll", "LoadLibraryExW",
                                                            &record_load_library);
    replaced_import<decltype(GetProcAddress)> lookup_stand_in("kernel32.dll", "GetProcAddress",
                                                              &record_get_proc_address);
    load_library = load_stand_in.original();
    get_proc_address = lookup_stand_in.original();
    SetLastError(ERROR_SUCCESS);
    found = vantrel::load_shell_execute();
    error = GetLastError();
  }
  const HMODULE shell = GetModuleHandleW(L"shell32.dll");
  const auto exported =
      shell == nullptr ? nullptr
                       : reinterpret_cast<any_function>(GetProcAddress(shell, "ShellExecuteExW"));
  const bool found_as_expected =
      row.error == ERROR_SUCCESS
          ? exported != nullptr && reinterpret_cast<any_function>(found) == exported
          : found == nullptr && error == row.error;
  const std::string step = std::string("load_shell_execute, ") + row.name;
  expect(step.c_str(), {
                           {"the loader asked for these, in this order", loader_calls == row.calls},
                           {row.error == ERROR_SUCCESS ? "ShellExecuteExW as the shell exports it"
                                                       : "nothing found, with the loader's error",
                            found_as_expected},
                       });
  if (loader_calls != row.calls) {
    for (const std::string& call : loader_calls) {
      std::printf("  asked: %s\n", call.c_str());
    }
  }
}

// Wine, like Windows for its known DLLs, would find the system's shell32.dll
// by its bare name too, so what the platform asks the loader for is checked
// as well as what it got.
void loads_the_shell_from_the_system_directory_when_asked() {
  const bool not_loaded_before = GetModuleHandleW(L"shell32.dll") == nullptr;
  for (const loader_case& row : loader_cases) {
    finds_the_shell_in_the_system_directory_only(row);
  }
  const HMODULE shell = GetModuleHandleW(L"shell32.dll");
  const std::wstring expected_path = system_directory() + L"\\shell32.dll";
  expect("load_shell_execute",
         {
             {"shell32.dll not loaded before", not_loaded_before},
             {"shell32.dll loaded from the system directory",
              shell != nullptr && _wcsicmp(module_path(shell).c_str(), expected_path.c_str()) == 0},
             // Imported, it would keep the program from starting where it is missing.
             {"SetDefaultDllDirectories looked up, not imported",
              import_slot("kernel32.dll", "SetDefaultDllDirectories") == nullptr},
         });
}

// A message-only window, which needs no display, of a class registered
// here: under Wine no console window has the pseudoconsole's class.
void names_a_windows_class_exactly() {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"PseudoConsoleWindow";
  const bool registered = RegisterClassExW(&window_class) != 0;
  const HWND window = CreateWindowExW(0, window_class.lpszClassName, L"", 0, 0, 0, 0, 0,
                                      HWND_MESSAGE, nullptr, window_class.hInstance, nullptr);
  vantrel::windows_platform system;
  expect("window_class_name", {{"the class's name, no more",
                                registered && window != nullptr &&
                                    system.window_class_name(window) == L"PseudoConsoleWindow"}});
  DestroyWindow(window);
}

}  // namespace

int main() {
  for (const guard_case& row : guard_cases) {
    creates_an_auto_reset_unsignalled_event_by_the_name_given(row);
  }
  asks_the_shell_to_run_the_file_as_administrator();
  for (const start_case& row : start_cases) {
    decides_the_relaunch_by_the_start_error(row);
  }
  loads_the_shell_from_the_system_directory_when_asked();
  names_a_windows_class_exactly();
  std::printf("%s\n", failures == 0 ? "all platform call checks passed" : "platform calls wrong");
  return failures == 0 ? 0 : 1;
}
