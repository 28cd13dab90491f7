// Runs a program in this console and reports what it did to the console.
//
//   console_probe --largest REPORT [BUFFER]
//   console_probe [--hold-guard] [--stdout-pipe | --stdout-file] REPORT BUFFER WINDOW
//                 PROGRAM [ARGUMENT...] [--then PROGRAM [ARGUMENT...]]...
//
// With --largest it only writes the largest window that this console can
// show on its screen with its font (GetLargestConsoleWindowSize); with a
// BUFFER too, it gives the console that buffer and also writes the largest
// window over it (GetConsoleScreenBufferInfo's maximum, which allows for
// the buffer's size).
//
// Otherwise it first gives the console a known state: a screen buffer of
// BUFFER cells and a window of WINDOW cells at the buffer's top-left corner
// (both written WIDTHxHEIGHT), blank, with the cursor home. With --hold-guard
// it then holds vantrel's guard event, as a run with the admin flag in
// another process would. It runs PROGRAM in this console, waits for it and
// for every process it started, then runs the next PROGRAM after --then, if
// any, in the console as that one left it; last it writes REPORT. With
// --stdout-pipe the programs' standard output is a pipe, with --stdout-file
// a new file (REPORT.out), while their standard input and error stay on the
// console.
//
// A process counts as started by PROGRAM when it is reported to the probe
// as a debugger (PROGRAM started it), or when it names PROGRAM as its parent
// and was created after it: the consent service (AppInfo) creates an
// elevated process itself and names the process that asked for it as its
// parent. The probe looks for those while PROGRAM runs and for a grace
// period after it has ended. A process found by its parent is reported once
// its name and its command line can be read: a process may be listed before
// it has them (Wine lists a new process before it has its image name). One
// that never has them by the end is reported as unreadable.
//
//   host CLASS        (the class of the console's window, or "(no window)")
//   largest W H
//   maximum W H       (with --largest and a BUFFER only)
//   before window W H at L T
//   before buffer W H
//   status S          (the exit code as a signed number, or "timeout")
//   started NAME N    (one line per process, PROGRAM first: the file name of
//                      its executable and the number of its arguments; "?"
//                      for N, and why, when its command line cannot be read)
//   after window W H at L T
//   after buffer W H
//                     (status, started and after again for each further run)
//   output "TEXT"     (what was written to the console, \n for a line end)
//   pipe "TEXT"       (with --stdout-pipe: what was written to the pipe)
//   file "TEXT"       (with --stdout-file: what was written to the file)
//
// When the probe cannot do its part, REPORT holds what it knows up to then
// (the host, and the largest window once it has the console) and then
// "error MESSAGE"; the probe ends with status 2.

#include "windows_command_line.hpp"

#include <windows.h>
// After windows.h, which they build on:
#include <shellapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// For each run of a program, with everything it starts.
constexpr ULONGLONG wait_limit_ms = 20000;
// How often the probe looks for processes that name the program as their
// parent, and for how long after the program has ended.
constexpr DWORD look_interval_ms = 10;
constexpr ULONGLONG grace_ms = 2000;
constexpr const wchar_t* guard_name = L"{29544E05-024F-4BC1-A272-452DBC8E17A4}";

struct cell_size {
  SHORT width;
  SHORT height;
};

std::optional<cell_size> read_size(const std::string& text) {
  int width = 0;
  int height = 0;
  if (std::sscanf(text.c_str(), "%dx%d", &width, &height) != 2 || width <= 0 || height <= 0) {
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

std::string describe_largest(HANDLE console) {
  const COORD largest = GetLargestConsoleWindowSize(console);
  return "largest " + std::to_string(largest.X) + " " + std::to_string(largest.Y) + "\n";
}

std::string describe_maximum(HANDLE console) {
  const COORD maximum = console_info(console).dwMaximumWindowSize;
  return "maximum " + std::to_string(maximum.X) + " " + std::to_string(maximum.Y) + "\n";
}

// Text for the report, with "?" for what is not ASCII.
std::string ascii(std::wstring_view text) {
  std::string result;
  for (const wchar_t c : text) {
    result.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  return result;
}

std::string describe_host() {
  wchar_t name[256] = L"";
  const HWND window = GetConsoleWindow();
  if (window == nullptr || GetClassNameW(window, name, 256) == 0) {
    return "host (no window)\n";
  }
  return "host " + ascii(name) + "\n";
}

// First shrinks the window to what both the current and the wanted buffer
// hold, so that neither size call can be refused for the other's sake (not
// below the wanted window, so that a window of at least two cells each way,
// as Windows documents, is never shrunk to fewer); then clears the buffer
// and homes the cursor.
bool prepare_console(HANDLE console, cell_size buffer, cell_size window) {
  const SMALL_RECT current = console_info(console).srWindow;
  const SMALL_RECT shrunk{
      0, 0, static_cast<SHORT>(std::min(current.Right - current.Left, window.width - 1)),
      static_cast<SHORT>(std::min(current.Bottom - current.Top, window.height - 1))};
  const SMALL_RECT wanted{0, 0, static_cast<SHORT>(window.width - 1),
                          static_cast<SHORT>(window.height - 1)};
  if (!SetConsoleWindowInfo(console, TRUE, &shrunk) ||
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

// The command line of a process, read from its memory; nothing when it
// cannot be read.
std::optional<std::wstring> command_line(HANDLE process) {
  PROCESS_BASIC_INFORMATION basic{};
  PEB peb{};
  RTL_USER_PROCESS_PARAMETERS parameters{};
  const NTSTATUS status =
      NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), nullptr);
  // A negative NTSTATUS is a failure.
  if (status < 0 || !ReadProcessMemory(process, basic.PebBaseAddress, &peb, sizeof(peb), nullptr) ||
      !ReadProcessMemory(process, peb.ProcessParameters, &parameters, sizeof(parameters),
                         nullptr)) {
    return std::nullopt;
  }
  std::wstring line(parameters.CommandLine.Length / sizeof(wchar_t), L'\0');
  if (!line.empty() && !ReadProcessMemory(process, parameters.CommandLine.Buffer, line.data(),
                                          parameters.CommandLine.Length, nullptr)) {
    return std::nullopt;
  }
  return line;
}

// The number of arguments on a command line, its program apart.
int argument_count(const std::wstring& line) {
  // CommandLineToArgvW reads an empty line as this program's own path.
  int count = 0;
  if (!line.empty()) {
    LocalFree(CommandLineToArgvW(line.c_str(), &count));
  }
  return count > 0 ? count - 1 : 0;
}

// "NAME N": the name of a process's executable and the number of arguments
// on its command line. A command line that cannot be read gives "?" for N,
// which no scenario expects.
std::string describe_started(const std::string& name, HANDLE process) {
  const std::optional<std::wstring> line = command_line(process);
  if (!line) {
    return name + " ? (its command line could not be read)";
  }
  return name + " " + std::to_string(argument_count(*line));
}

// The file name of a process's executable, asked of the process itself;
// empty when it cannot be had.
std::string image_name(HANDLE process) {
  std::wstring image(MAX_PATH, L'\0');
  DWORD length = MAX_PATH;
  if (!QueryFullProcessImageNameW(process, 0, image.data(), &length)) {
    return "";
  }
  image.resize(length);
  return ascii(image.substr(image.find_last_of(L'\\') + 1));
}

struct run_result {
  std::string status = "timeout";
  std::vector<std::string> started;
};

// The console host and, under Wine, its desktop process, started to give a
// new console its window. They outlive the programs they serve, so they are
// reported but not waited for.
bool is_console_host(const std::string& started) {
  return started.starts_with("conhost.exe ") || started.starts_with("explorer.exe ");
}

// One run of a program and what it started, as far as seen so far.
struct watched_run {
  PROCESS_INFORMATION program{};
  FILETIME program_created{};
  std::optional<ULONGLONG> program_ended;  // GetTickCount64's time
  run_result result;
  std::vector<DWORD> seen;                        // every process looked at, reported or not
  std::vector<std::pair<DWORD, HANDLE>> unnamed;  // found by their parent, not readable yet
  std::vector<DWORD> debugged;  // under this debugger and still running, hosts apart
  std::vector<DWORD> hosts;     // under this debugger, to be let go at the end
  std::vector<HANDLE> linked;   // found by their parent, hosts apart, until they end
};

bool was_seen(const watched_run& run, DWORD process_id) {
  return std::find(run.seen.begin(), run.seen.end(), process_id) != run.seen.end();
}

// A process found both ways is reported once.
void report_started(watched_run& run, DWORD process_id, const std::string& started) {
  if (!was_seen(run, process_id)) {
    run.seen.push_back(process_id);
    run.result.started.push_back(started);
  }
  std::erase_if(run.unnamed, [process_id](const std::pair<DWORD, HANDLE>& child) {
    if (child.first != process_id) {
      return false;
    }
    CloseHandle(child.second);
    return true;
  });
}

// The reply to the event: the loader's breakpoints are meant for us,
// anything else is the program's.
DWORD handle_debug_event(watched_run& run, const DEBUG_EVENT& event) {
  const DWORD id = event.dwProcessId;
  switch (event.dwDebugEventCode) {
    case CREATE_PROCESS_DEBUG_EVENT: {
      const HANDLE process = event.u.CreateProcessInfo.hProcess;
      const std::string name = image_name(process);
      const std::string started = describe_started(name.empty() ? "?" : name, process);
      report_started(run, id, started);
      (is_console_host(started) ? run.hosts : run.debugged).push_back(id);
      CloseHandle(event.u.CreateProcessInfo.hFile);
      return DBG_CONTINUE;
    }
    case EXIT_PROCESS_DEBUG_EVENT:
      std::erase(run.debugged, id);
      std::erase(run.hosts, id);
      if (id == run.program.dwProcessId) {
        run.result.status = std::to_string(static_cast<int>(event.u.ExitProcess.dwExitCode));
        run.program_ended = GetTickCount64();
      }
      return DBG_CONTINUE;
    case LOAD_DLL_DEBUG_EVENT:
      CloseHandle(event.u.LoadDll.hFile);
      return DBG_CONTINUE;
    case EXCEPTION_DEBUG_EVENT:
      return event.u.Exception.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT
                 ? DBG_CONTINUE
                 : DBG_EXCEPTION_NOT_HANDLED;
    default:
      return DBG_CONTINUE;
  }
}

// Process IDs are reused: a process whose parent ended before the program
// started may name the program's ID as its parent's.
bool created_after_program(const watched_run& run, HANDLE process) {
  FILETIME created{};
  FILETIME unused{};
  return GetProcessTimes(process, &created, &unused, &unused, &unused) &&
         CompareFileTime(&created, &run.program_created) >= 0;
}

// The name and the argument count of a process found by its parent, once
// both can be read: its name from the snapshot or from the process itself,
// and a command line that is not empty (every started process has its
// program on it). Nothing before that.
std::optional<std::string> readable_start(const PROCESSENTRY32W& entry, HANDLE process) {
  std::string name = ascii(entry.szExeFile);
  if (name.empty()) {
    name = image_name(process);
  }
  const std::optional<std::wstring> line = command_line(process);
  if (name.empty() || !line || line->empty()) {
    return std::nullopt;
  }
  return name + " " + std::to_string(argument_count(*line));
}

// A process that names the program as its parent. One that cannot be
// opened is reported as unreadable: it may be the program's. One whose name
// or command line cannot be read yet is looked at again next time.
void look_at_child(watched_run& run, const PROCESSENTRY32W& entry) {
  const std::string name = ascii(entry.szExeFile);
  const HANDLE process =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE,
                  entry.th32ProcessID);
  if (process == nullptr) {
    report_started(
        run, entry.th32ProcessID,
        name + " ? (it could not be opened, error " + std::to_string(GetLastError()) + ")");
    return;
  }
  if (!created_after_program(run, process)) {
    run.seen.push_back(entry.th32ProcessID);
    CloseHandle(process);
    return;
  }
  const std::optional<std::string> started = readable_start(entry, process);
  if (!started) {
    // The first handle is kept, so that its end is seen even once the
    // snapshot no longer lists it.
    const bool known = std::any_of(run.unnamed.begin(), run.unnamed.end(),
                                   [&entry](const std::pair<DWORD, HANDLE>& child) {
                                     return child.first == entry.th32ProcessID;
                                   });
    if (known) {
      CloseHandle(process);
    } else {
      run.unnamed.emplace_back(entry.th32ProcessID, process);
    }
    return;
  }
  report_started(run, entry.th32ProcessID, *started);
  if (is_console_host(*started)) {
    CloseHandle(process);
  } else {
    run.linked.push_back(process);
  }
}

// Every process not seen yet that names the program as its parent, whether
// or not it also reaches this debugger.
void look_for_children(watched_run& run) {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) {
    return;
  }
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID == run.program.dwProcessId &&
        !was_seen(run, entry.th32ProcessID)) {
      look_at_child(run, entry);
    }
  }
  CloseHandle(snapshot);
}

bool children_found_have_ended(watched_run& run) {
  std::erase_if(run.linked, [](HANDLE process) {
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    if (ended) {
      CloseHandle(process);
    }
    return ended;
  });
  return run.linked.empty();
}

// Waits also for every process found by its parent to become readable.
bool everything_has_ended(watched_run& run, ULONGLONG now) {
  return run.program_ended && now - *run.program_ended >= grace_ms && run.debugged.empty() &&
         run.unnamed.empty() && children_found_have_ended(run);
}

// What was found by its parent and never became readable fails the
// scenario: at once when it has ended unread, else when the time is up.
void report_unreadable(watched_run& run, bool ended_only) {
  for (const auto& [process_id, process] : std::vector(run.unnamed)) {
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    if (ended || !ended_only) {
      const std::string name = image_name(process);
      report_started(run, process_id,
                     (name.empty() ? "?" : name) + " ? (process " + std::to_string(process_id) +
                         (ended ? " ended before its command line could be read)"
                                : ": its name or command line could not be read)"));
    }
  }
}

// Takes the debug events as they come and looks for children by their
// parent every few milliseconds, until the program and everything found
// have ended and the grace period is over, or the time is up.
void watch(watched_run& run) {
  const ULONGLONG start = GetTickCount64();
  ULONGLONG next_look = start;
  while (GetTickCount64() - start < wait_limit_ms) {
    DEBUG_EVENT event{};
    if (WaitForDebugEvent(&event, look_interval_ms)) {
      ContinueDebugEvent(event.dwProcessId, event.dwThreadId, handle_debug_event(run, event));
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= next_look) {
      look_for_children(run);
      report_unreadable(run, true);
      next_look = now + look_interval_ms;
    }
    if (everything_has_ended(run, now)) {
      return;
    }
  }
  report_unreadable(run, false);
}

// Runs the program as a debugger would: every process it starts, directly or
// through the shell, is reported to us before it runs its first instruction,
// so none can end unseen; a process that another starts for it is looked
// for by its parent (see the top). Returns once all of them have ended. With
// no `output` the program inherits this console; otherwise its standard
// output is `output` and its input and error are this console.
run_result run_watched(const std::vector<std::string>& arguments, HANDLE output) {
  std::string line = test_support::windows_command_line(arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  const bool redirected = output != nullptr;
  if (redirected) {
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = open_console(L"CONIN$", &inherited);
    startup.hStdOutput = output;
    startup.hStdError = open_console(L"CONOUT$", &inherited);
  }
  watched_run run;
  const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, redirected,
                                      DEBUG_PROCESS, nullptr, nullptr, &startup, &run.program);
  if (redirected) {
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdError);
  }
  if (!started) {
    return {"not started, error " + std::to_string(GetLastError()), {}};
  }
  FILETIME unused{};
  GetProcessTimes(run.program.hProcess, &run.program_created, &unused, &unused, &unused);
  watch(run);
  // Left running, not ended with this debugger.
  for (const DWORD host : run.hosts) {
    DebugActiveProcessStop(host);
  }
  for (const HANDLE child : run.linked) {
    CloseHandle(child);
  }
  CloseHandle(run.program.hThread);
  CloseHandle(run.program.hProcess);
  return run.result;
}

// Bytes as one report line's text: "\r\n" and "\n" written as \n.
std::string as_report_text(const std::string& bytes) {
  std::string text;
  for (const char c : bytes) {
    if (c == '\n') {
      text += "\\n";
    } else if (c != '\r') {
      text.push_back(c);
    }
  }
  return text;
}

// What is waiting in the pipe.
std::string pipe_output(HANDLE pipe) {
  std::string bytes;
  DWORD waiting = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
    std::string chunk(waiting, '\0');
    DWORD read = 0;
    if (!ReadFile(pipe, chunk.data(), waiting, &read, nullptr)) {
      break;
    }
    bytes += chunk.substr(0, read);
  }
  return as_report_text(bytes);
}

std::string file_output(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return as_report_text(
      std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
}

enum class redirection { none, pipe, file };

struct request {
  bool largest_only = false;
  bool hold_guard = false;
  redirection output = redirection::none;
  std::string report;
  cell_size buffer{};  // none (0x0) with --largest alone
  cell_size window{};
  std::vector<std::vector<std::string>> runs;  // each a program and its arguments
};

// The command line as described at the top, or nothing when it does not fit.
std::optional<request> read_request(std::vector<std::string> arguments) {
  request wanted;
  while (!arguments.empty() && arguments.front().starts_with("--")) {
    const std::string option = arguments.front();
    arguments.erase(arguments.begin());
    if (option == "--largest") {
      wanted.largest_only = true;
    } else if (option == "--hold-guard") {
      wanted.hold_guard = true;
    } else if (option == "--stdout-pipe") {
      wanted.output = redirection::pipe;
    } else if (option == "--stdout-file") {
      wanted.output = redirection::file;
    } else {
      return std::nullopt;
    }
  }
  if (wanted.largest_only) {
    if (arguments.empty() || arguments.size() > 2) {
      return std::nullopt;
    }
    wanted.report = arguments[0];
    if (arguments.size() == 2) {
      const std::optional<cell_size> buffer = read_size(arguments[1]);
      if (!buffer) {
        return std::nullopt;
      }
      wanted.buffer = *buffer;
    }
    return wanted;
  }
  if (arguments.size() < 4) {
    return std::nullopt;
  }
  wanted.report = arguments[0];
  const std::optional<cell_size> buffer = read_size(arguments[1]);
  const std::optional<cell_size> window = read_size(arguments[2]);
  if (!buffer || !window) {
    return std::nullopt;
  }
  wanted.buffer = *buffer;
  wanted.window = *window;
  wanted.runs.emplace_back();
  for (auto word = arguments.begin() + 3; word != arguments.end(); ++word) {
    if (*word == "--then") {
      wanted.runs.emplace_back();
    } else {
      wanted.runs.back().push_back(*word);
    }
  }
  const bool every_run_names_a_program =
      std::none_of(wanted.runs.begin(), wanted.runs.end(),
                   [](const std::vector<std::string>& run) { return run.empty(); });
  return every_run_names_a_program ? std::optional<request>(wanted) : std::nullopt;
}

int write_report(const std::string& path, const std::string& text) {
  std::ofstream report(path, std::ios::binary);
  report << text;
  return report ? 0 : 2;
}

// Writes what the probe knows so far (`known`) and the error to the report.
int fail(const std::string& report, const std::string& known, const std::string& message) {
  std::fprintf(stderr, "console_probe: %s\n", message.c_str());
  if (!report.empty()) {
    write_report(report, known + "error " + message + "\n");
  }
  return 2;
}

// Where the programs' standard output goes, and what reached it in the end.
class output_redirection {
 public:
  output_redirection(redirection kind, const std::string& report) : kind_(kind) {
    SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
    if (kind_ == redirection::pipe) {
      // Only the writing end goes to the programs.
      if (CreatePipe(&read_end_, &write_end_, &inherited, 0)) {
        SetHandleInformation(read_end_, HANDLE_FLAG_INHERIT, 0);
      }
    } else if (kind_ == redirection::file) {
      file_path_ = report + ".out";
      write_end_ = CreateFileA(file_path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (write_end_ == INVALID_HANDLE_VALUE) {
        write_end_ = nullptr;
      }
    }
  }
  ~output_redirection() {
    close(write_end_);
    close(read_end_);
    if (!file_path_.empty()) {
      DeleteFileA(file_path_.c_str());
    }
  }
  output_redirection(const output_redirection&) = delete;
  output_redirection& operator=(const output_redirection&) = delete;

  bool ready() const { return kind_ == redirection::none || write_end_ != nullptr; }
  // The programs' standard output; null when it is not redirected.
  HANDLE handle() const { return write_end_; }

  // The report's last line, once the programs are done.
  std::string report_line() {
    close(write_end_);
    if (kind_ == redirection::pipe) {
      return "pipe \"" + pipe_output(read_end_) + "\"\n";
    }
    if (kind_ == redirection::file) {
      return "file \"" + file_output(file_path_) + "\"\n";
    }
    return "";
  }

 private:
  static void close(HANDLE& handle) {
    if (handle != nullptr) {
      CloseHandle(handle);
      handle = nullptr;
    }
  }

  redirection kind_;
  HANDLE read_end_ = nullptr;
  HANDLE write_end_ = nullptr;
  std::string file_path_;
};

std::string describe_run(const run_result& run, HANDLE console) {
  std::string text = "status " + run.status + "\n";
  for (const std::string& started : run.started) {
    text += "started " + started + "\n";
  }
  return text + describe("after", console_info(console));
}

// The report so far and, with a buffer asked for, the largest window over
// it: the console gets that buffer under a window that fits both.
int report_largest(const request& wanted, HANDLE console, std::string report) {
  if (wanted.buffer.width > 0) {
    const SMALL_RECT current = console_info(console).srWindow;
    const cell_size window{
        static_cast<SHORT>(std::min(current.Right - current.Left + 1, int{wanted.buffer.width})),
        static_cast<SHORT>(std::min(current.Bottom - current.Top + 1, int{wanted.buffer.height}))};
    if (!prepare_console(console, wanted.buffer, window)) {
      return fail(wanted.report, report, "this console refused the buffer");
    }
    report += describe_maximum(console);
  }
  return write_report(wanted.report, report);
}

int probe(const request& wanted) {
  std::string report = describe_host();
  const HANDLE console = open_console(L"CONOUT$");
  if (console == INVALID_HANDLE_VALUE) {
    return fail(wanted.report, report, "this process has no console");
  }
  report += describe_largest(console);
  if (wanted.largest_only) {
    return report_largest(wanted, console, report);
  }
  if (!prepare_console(console, wanted.buffer, wanted.window)) {
    return fail(wanted.report, report, "this console refused the starting state");
  }
  SetLastError(ERROR_SUCCESS);
  const HANDLE guard =
      wanted.hold_guard ? CreateEventW(nullptr, FALSE, FALSE, guard_name) : nullptr;
  if (wanted.hold_guard && (guard == nullptr || GetLastError() != ERROR_SUCCESS)) {
    return fail(wanted.report, report, "the guard event is held elsewhere");
  }
  output_redirection output(wanted.output, wanted.report);
  if (!output.ready()) {
    return fail(wanted.report, report, "cannot redirect standard output");
  }
  report += describe("before", console_info(console));
  for (const std::vector<std::string>& run : wanted.runs) {
    report += describe_run(run_watched(run, output.handle()), console);
  }
  report += "output \"" + console_output(console) + "\"\n" + output.report_line();
  return write_report(wanted.report, report) == 0 ? 0 : fail("", "", "cannot write the report");
}

}  // namespace

int main(int argc, char** argv) {
  // A crash of the program under test fails the test instead of opening a dialog.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  const std::optional<request> wanted = read_request({argv + 1, argv + argc});
  if (!wanted) {
    return fail("", "",
                "usage: console_probe --largest REPORT [BUFFER] | [--hold-guard] "
                "[--stdout-pipe | --stdout-file] REPORT BUFFER WINDOW PROGRAM [ARGUMENT...] "
                "[--then PROGRAM [ARGUMENT...]]...");
  }
  return probe(*wanted);
}
