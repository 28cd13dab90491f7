// Checks what the Windows platform (launcher/platform_windows.cpp) hands the
// system for the guard event and for the elevated start.
//
//   platform_calls_test
//
// The program carries the platform's code itself. For each check it points
// its own import of CreateEventW or ShellExecuteExW at a stand-in that
// records what it is given, calls the platform, puts the import back and
// compares. The guard event's stand-in passes the call on, so the event that
// results is checked as well; the start's stand-in starts nothing. Prints one
// line per failed check and ends with status 1 if any failed.

#include "platform.hpp"

#include <windows.h>
// After windows.h, which it builds on:
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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
};

event_call event_seen;
decltype(&CreateEventW) create_event = nullptr;

HANDLE WINAPI record_create_event(LPSECURITY_ATTRIBUTES attributes, BOOL manual_reset,
                                  BOOL initially_signalled, LPCWSTR name) {
  event_seen = {event_seen.count + 1, attributes, manual_reset, initially_signalled, text_of(name)};
  return create_event(attributes, manual_reset, initially_signalled, name);
}

void creates_an_auto_reset_unsignalled_event_by_the_name_given() {
  // Not the guard's name: the console tests of the same Wine prefix may be
  // relaunching at the same time.
  const std::wstring name = L"vantrel-platform-calls-" + std::to_wstring(GetCurrentProcessId());
  std::uint32_t error = 0;
  {
    replaced_import<decltype(CreateEventW)> stand_in("kernel32.dll", "CreateEventW",
                                                     &record_create_event);
    create_event = stand_in.original();
    error = vantrel::host_platform().create_named_event(name.c_str());
  }
  expect("CreateEventW",
         {
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

BOOL WINAPI record_shell_execute(SHELLEXECUTEINFOW* request) {
  start_seen = {start_seen.count + 1, *request, text_of(request->lpVerb), text_of(request->lpFile)};
  SetLastError(start_error);
  return start_answer;
}

void asks_the_shell_to_run_the_file_as_administrator() {
  const std::wstring file = L"C:\\tools\\vantrel.exe";
  std::uint32_t error = 0;
  {
    replaced_import<decltype(ShellExecuteExW)> stand_in("shell32.dll", "ShellExecuteExW",
                                                        &record_shell_execute);
    error = vantrel::host_platform().shell_execute_runas(file.c_str());
  }
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

// A refused start is reported with the shell's last error, which tells the
// user's refusal apart from other failures.
void reports_a_refused_start_by_its_error() {
  start_answer = FALSE;
  start_error = ERROR_CANCELLED;
  std::uint32_t error = 0;
  {
    replaced_import<decltype(ShellExecuteExW)> stand_in("shell32.dll", "ShellExecuteExW",
                                                        &record_shell_execute);
    error = vantrel::host_platform().shell_execute_runas(L"C:\\tools\\vantrel.exe");
  }
  expect("ShellExecuteExW refused", {{"reported as ERROR_CANCELLED", error == ERROR_CANCELLED}});
}

}  // namespace

int main() {
  creates_an_auto_reset_unsignalled_event_by_the_name_given();
  asks_the_shell_to_run_the_file_as_administrator();
  reports_a_refused_start_by_its_error();
  std::printf("%s\n", failures == 0 ? "all platform call checks passed" : "platform calls wrong");
  return failures == 0 ? 0 : 1;
}
