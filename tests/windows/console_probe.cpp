// Runs a program in this console and reports what it did to the console.
//
//   console_probe [--hold-guard] [--stdout-pipe] REPORT BUFFER WINDOW PROGRAM [ARGUMENT...]
//
// It first gives the console a known state: a screen buffer of BUFFER cells
// and a window of WINDOW cells at the buffer's top-left corner (both written
// WIDTHxHEIGHT), blank, with the cursor home. With --hold-guard it then holds
// vantrel's guard event, as a run with the admin flag in another process
// would. It runs PROGRAM in this console, waits for it and for every
// process it started, and writes REPORT. With --stdout-pipe the program's
// standard output is a pipe, while its standard input and error stay on the
// console.
//
//   before window W H at L T
//   before buffer W H
//   status S          (the exit code as a signed number, or "timeout")
//   started NAME N    (one line per process, PROGRAM first: the file name of
//                      its executable and the number of its arguments)
//   after window W H at L T
//   after buffer W H
//   output "TEXT"     (what was written to the console, \n for a line end)
//   pipe "TEXT"       (with --stdout-pipe: what was written to the pipe)

#include "windows_command_line.hpp"

#include <windows.h>
// After windows.h, which they build on:
#include <shellapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD wait_limit_ms = 30000;
constexpr const wchar_t* guard_name = L"{29544E05-024F-4BC1-A272-452DBC8E17A4}";

struct cell_size {
  SHORT width;
  SHORT height;
};

std::optional<cell_size> read_size(const char* text) {
  int width = 0;
  int height = 0;
  if (std::sscanf(text, "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) {
    return std::nullopt;
  }
  return cell_size{static_cast<SHORT>(width), static_cast<SHORT>(height)};
}

// This console's input ("CONIN$") or output ("CONOUT$"); an inheritable
// handle when `inherited` says so.
HANDLE open_console(const wchar_t* name, SECURITY_ATTRIBUTES* inherited = nullptr) {
  return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     inherited, OPEN_EXISTING, 0, nullptr);
}

CONSOLE_SCREEN_BUFFER_INFO console_info(HANDLE console) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  GetConsoleScreenBufferInfo(console, &info);
  return info;
}

std::string describe(const char* when, const CONSOLE_SCREEN_BUFFER_INFO& info) {
  const SMALL_RECT& window = info.srWindow;
  std::ostringstream text;
  text << when << " window " << window.Right - window.Left + 1 << ' '
       << window.Bottom - window.Top + 1 << " at " << window.Left << ' ' << window.Top << '\n'
       << when << " buffer " << info.dwSize.X << ' ' << info.dwSize.Y << '\n';
  return text.str();
}

// Shrinks the window first so that neither call can be refused for the
// other's sake, then clears the buffer and homes the cursor.
bool prepare_console(HANDLE console, cell_size buffer, cell_size window) {
  const SMALL_RECT one_cell{0, 0, 0, 0};
  const SMALL_RECT wanted{0, 0, static_cast<SHORT>(window.width - 1),
                          static_cast<SHORT>(window.height - 1)};
  if (!SetConsoleWindowInfo(console, TRUE, &one_cell) ||
      !SetConsoleScreenBufferSize(console, COORD{buffer.width, buffer.height}) ||
      !SetConsoleWindowInfo(console, TRUE, &wanted)) {
    return false;
  }
  DWORD written = 0;
  const auto cells = static_cast<DWORD>(buffer.width) * static_cast<DWORD>(buffer.height);
  return FillConsoleOutputCharacterW(console, L' ', cells, COORD{0, 0}, &written) &&
         SetConsoleCursorPosition(console, COORD{0, 0});
}

std::string read_row(HANDLE console, SHORT row, SHORT length) {
  std::wstring cells(static_cast<std::size_t>(length), L' ');
  DWORD read = 0;
  ReadConsoleOutputCharacterW(console, cells.data(), static_cast<DWORD>(length), COORD{0, row},
                              &read);
  std::string text;
  for (DWORD i = 0; i < read; ++i) {
    text.push_back(cells[i] < 0x80 ? static_cast<char>(cells[i]) : '?');
  }
  return text;
}

// Everything from the buffer's first cell up to the cursor: full rows lose
// their trailing blanks and end in "\n", the cursor's row is cut at the cursor.
std::string console_output(HANDLE console) {
  const CONSOLE_SCREEN_BUFFER_INFO info = console_info(console);
  const COORD cursor = info.dwCursorPosition;
  std::string text;
  for (SHORT row = 0; row < cursor.Y; ++row) {
    std::string line = read_row(console, row, info.dwSize.X);
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\\n";
  }
  return text + read_row(console, cursor.Y, cursor.X);
}

// The file name of a process's executable and the number of arguments on
// its command line, read from its memory (the new process is held still by
// the debugger while this runs).
std::string describe_started(HANDLE process) {
  std::wstring image(MAX_PATH, L'\0');
  DWORD image_length = MAX_PATH;
  QueryFullProcessImageNameW(process, 0, image.data(), &image_length);
  image.resize(image_length);
  std::string name;
  for (const wchar_t c : image.substr(image.find_last_of(L'\\') + 1)) {
    name.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  PROCESS_BASIC_INFORMATION basic{};
  PEB peb{};
  RTL_USER_PROCESS_PARAMETERS parameters{};
  NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr);
  ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), nullptr);
  ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof(parameters), nullptr);
  std::wstring line(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
  ReadProcessMemory(process, parameters.CommandLine.Buffer, line.data(),
                    parameters.CommandLine.Length, nullptr);
  // CommandLineToArgvW reads an empty line as this program's own path.
  int count = 0;
  if (!line.empty()) {
    LocalFree(CommandLineToArgvW(line.c_str(), &count));
  }
  return name + " " + std::to_string(count > 0 ? count - 1 : 0);
}

struct run_result {
  std::string status = "timeout";
  std::vector<std::string> started;
};

// The processes that Wine starts to give a new console its window: the
// console host and the desktop. They outlive the programs they serve, so
// they are reported but not waited for.
bool is_wine_console_host(const std::string& started) {
  return started.starts_with("conhost.exe ") || started.starts_with("explorer.exe ");
}

// Runs the program as a debugger would: every process it starts, directly or
// through the shell, is reported to us before it runs its first instruction,
// so none can end unseen. Returns once the last of them has ended. With a
// `pipe`, the program's standard output is that pipe's writing end and its
// standard input and error are this console.
run_result run_watched(const std::vector<std::string>& arguments, HANDLE pipe) {
  std::string line = test_support::windows_command_line(arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  if (pipe != nullptr) {
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = open_console(L"CONIN$", &inherited);
    startup.hStdOutput = pipe;
    startup.hStdError = open_console(L"CONOUT$", &inherited);
  }
  PROCESS_INFORMATION program{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, pipe != nullptr, DEBUG_PROCESS,
                      nullptr, nullptr, &startup, &program)) {
    return {"not started, error " + std::to_string(GetLastError()), {}};
  }
  run_result result;
  int alive = 0;
  std::vector<DWORD> hosts;
  DEBUG_EVENT event{};
  while (WaitForDebugEvent(&event, wait_limit_ms)) {
    DWORD reply = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        result.started.push_back(describe_started(event.u.CreateProcessInfo.hProcess));
        if (is_wine_console_host(result.started.back())) {
          hosts.push_back(event.dwProcessId);
        } else {
          ++alive;
        }
        CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        if (std::find(hosts.begin(), hosts.end(), event.dwProcessId) == hosts.end()) {
          --alive;
        } else {
          std::erase(hosts, event.dwProcessId);
        }
        if (event.dwProcessId == program.dwProcessId) {
          result.status = std::to_string(static_cast<int>(event.u.ExitProcess.dwExitCode));
        }
        break;
      case LOAD_DLL_DEBUG_EVENT:
        CloseHandle(event.u.LoadDll.hFile);
        break;
      case EXCEPTION_DEBUG_EVENT:
        // The loader's breakpoints are meant for us; anything else is the program's.
        if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
          reply = DBG_EXCEPTION_NOT_HANDLED;
        }
        break;
      default:
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, reply);
    if (alive == 0) {
      break;
    }
  }
  // Left running, not ended with this debugger.
  for (const DWORD host : hosts) {
    DebugActiveProcessStop(host);
  }
  return result;
}

// What is waiting in the pipe, with "\r\n" and "\n" written as \n.
std::string pipe_output(HANDLE pipe) {
  std::string text;
  DWORD waiting = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
    std::string chunk(waiting, '\0');
    DWORD read = 0;
    if (!ReadFile(pipe, chunk.data(), waiting, &read, nullptr)) {
      break;
    }
    for (const char c : chunk.substr(0, read)) {
      if (c == '\n') {
        text += "\\n";
      } else if (c != '\r') {
        text.push_back(c);
      }
    }
  }
  return text;
}

int fail(const char* message) {
  std::fprintf(stderr, "console_probe: %s\n", message);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // A crash of the program under test fails the test instead of opening a dialog.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  constexpr const char* usage =
      "usage: console_probe [--hold-guard] [--stdout-pipe] REPORT BUFFER WINDOW PROGRAM "
      "[ARGUMENT...]";
  std::vector<std::string> arguments(argv + 1, argv + argc);
  bool hold_guard = false;
  bool stdout_pipe = false;
  while (!arguments.empty() && arguments.front().starts_with("--")) {
    if (arguments.front() == "--hold-guard") {
      hold_guard = true;
    } else if (arguments.front() == "--stdout-pipe") {
      stdout_pipe = true;
    } else {
      return fail(usage);
    }
    arguments.erase(arguments.begin());
  }
  if (arguments.size() < 4) {
    return fail(usage);
  }
  const std::optional<cell_size> buffer = read_size(arguments[1].c_str());
  const std::optional<cell_size> window = read_size(arguments[2].c_str());
  if (!buffer || !window) {
    return fail("sizes are written WIDTHxHEIGHT");
  }
  const HANDLE console = open_console(L"CONOUT$");
  if (!prepare_console(console, *buffer, *window)) {
    return fail("this console refused the starting state");
  }
  SetLastError(ERROR_SUCCESS);
  const HANDLE guard = hold_guard ? CreateEventW(nullptr, FALSE, FALSE, guard_name) : nullptr;
  if (hold_guard && (guard == nullptr || GetLastError() != ERROR_SUCCESS)) {
    return fail("the guard event is held elsewhere");
  }
  HANDLE pipe_read = nullptr;
  HANDLE pipe_write = nullptr;
  SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
  // Only the writing end goes to the program.
  if (stdout_pipe && (!CreatePipe(&pipe_read, &pipe_write, &inherited, 0) ||
                      !SetHandleInformation(pipe_read, HANDLE_FLAG_INHERIT, 0))) {
    return fail("cannot make the pipe");
  }
  const std::string before = describe("before", console_info(console));
  const run_result run = run_watched({arguments.begin() + 3, arguments.end()}, pipe_write);
  std::ofstream report(arguments[0], std::ios::binary);
  report << before << "status " << run.status << '\n';
  for (const std::string& started : run.started) {
    report << "started " << started << '\n';
  }
  report << describe("after", console_info(console)) << "output \"" << console_output(console)
         << "\"\n";
  if (stdout_pipe) {
    report << "pipe \"" << pipe_output(pipe_read) << "\"\n";
  }
  return report ? 0 : fail("cannot write the report");
}
