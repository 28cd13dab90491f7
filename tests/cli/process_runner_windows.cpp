// Runs a program as a child process on Windows: CreateProcessW, with both
// output streams on pipes, each read by a thread of its own so that neither
// can fill up and stall the program.

#include "process_runner.hpp"
#include "windows_command_line.hpp"

#include <windows.h>

#include <array>
#include <stdexcept>
#include <string>

namespace test_support {

namespace {

class handle {
 public:
  handle() = default;
  explicit handle(HANDLE value) : value_(value == INVALID_HANDLE_VALUE ? nullptr : value) {}
  ~handle() { reset(); }
  handle(const handle&) = delete;
  handle& operator=(const handle&) = delete;

  HANDLE get() const { return value_; }
  HANDLE* receive() {
    reset();
    return &value_;
  }
  void reset() {
    if (value_ != nullptr) {
      CloseHandle(value_);
      value_ = nullptr;
    }
  }

 private:
  HANDLE value_ = nullptr;
};

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error(what + " failed with error " + std::to_string(GetLastError()));
}

std::wstring widened(const std::string& text) {
  if (text.empty()) {
    return {};
  }
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

// A pipe whose writing end the child inherits and whose reading end stays
// here.
struct pipe_ends {
  handle read;
  handle write;
};

void make_pipe(pipe_ends& pipe) {
  SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
  if (!CreatePipe(pipe.read.receive(), pipe.write.receive(), &inherited, 0) ||
      !SetHandleInformation(pipe.read.get(), HANDLE_FLAG_INHERIT, 0)) {
    fail("CreatePipe");
  }
}

struct reading {
  HANDLE pipe;
  std::string* sink;
};

DWORD WINAPI read_to_end(void* context) {
  const auto* job = static_cast<const reading*>(context);
  std::array<char, 4096> buffer{};
  DWORD count = 0;
  while (ReadFile(job->pipe, buffer.data(), static_cast<DWORD>(buffer.size()), &count, nullptr) &&
         count > 0) {
    job->sink->append(buffer.data(), count);
  }
  return 0;
}

// The program word with the separators Windows writes, so that a path from
// the build system ("C:/build/vantrel.exe") is found as it is.
std::wstring program_path(std::string program) {
  for (char& c : program) {
    if (c == '/') {
      c = '\\';
    }
  }
  return widened(program);
}

}  // namespace

process_result run_process(const std::vector<std::string>& words, std::chrono::seconds timeout) {
  pipe_ends out;
  pipe_ends err;
  make_pipe(out);
  make_pipe(err);
  SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
  const handle empty_input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &inherited, OPEN_EXISTING, 0, nullptr));

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = empty_input.get();
  startup.hStdOutput = out.write.get();
  startup.hStdError = err.write.get();
  const std::wstring program = program_path(words.front());
  std::wstring line = widened(windows_command_line(words));
  PROCESS_INFORMATION started{};
  // No console of its own: its output streams are the pipes, whatever
  // console this runner has.
  if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &started)) {
    fail("CreateProcessW " + words.front());
  }
  const handle process(started.hProcess);
  const handle thread(started.hThread);
  // Only the child holds the writing ends now, so the pipes end with it.
  out.write.reset();
  err.write.reset();

  process_result result;
  reading out_job{out.read.get(), &result.out};
  reading err_job{err.read.get(), &result.err};
  const handle out_reader(CreateThread(nullptr, 0, read_to_end, &out_job, 0, nullptr));
  const handle err_reader(CreateThread(nullptr, 0, read_to_end, &err_job, 0, nullptr));
  if (out_reader.get() == nullptr || err_reader.get() == nullptr) {
    TerminateProcess(process.get(), 1);
    fail("CreateThread");
  }
  const auto limit = static_cast<DWORD>(std::chrono::milliseconds(timeout).count());
  const bool finished = WaitForSingleObject(process.get(), limit) == WAIT_OBJECT_0;
  if (!finished) {
    TerminateProcess(process.get(), 1);
  }
  // A process the program started may still hold a pipe open; its output is
  // not waited for.
  const std::array<HANDLE, 2> readers{out_reader.get(), err_reader.get()};
  constexpr DWORD reading_limit_ms = 10000;
  // A read is cancelled only while it waits, so the cancelling goes on until
  // both readers have seen it.
  constexpr DWORD cancel_interval_ms = 100;
  DWORD limit_ms = reading_limit_ms;
  while (WaitForMultipleObjects(static_cast<DWORD>(readers.size()), readers.data(), TRUE,
                                limit_ms) == WAIT_TIMEOUT) {
    for (const HANDLE reader : readers) {
      CancelSynchronousIo(reader);
    }
    limit_ms = cancel_interval_ms;
  }
  DWORD code = 0;
  if (finished && GetExitCodeProcess(process.get(), &code)) {
    result.status = static_cast<int>(code);
  }
  return result;
}

}  // namespace test_support
