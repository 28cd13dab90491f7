// Runs a program as a child process on POSIX systems: posix_spawnp, with
// both output streams on pipes read through poll.

#include "process_runner.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>
#include <system_error>

extern char** environ;

namespace test_support {

namespace {

class pipe_pair {
 public:
  pipe_pair() {
    // pipe2 is not POSIX (macOS lacks it). The test program starts its
    // children from one thread, so no other spawn can inherit the ends
    // before they are marked close-on-exec.
    if (::pipe(ends_.data()) != 0) {
      throw std::system_error(errno, std::generic_category(), "pipe");
    }
    for (const int end : ends_) {
      if (::fcntl(end, F_SETFD, FD_CLOEXEC) == -1) {
        const int error = errno;
        close_read();
        close_write();
        throw std::system_error(error, std::generic_category(), "fcntl FD_CLOEXEC");
      }
    }
  }
  ~pipe_pair() {
    close_read();
    close_write();
  }
  pipe_pair(const pipe_pair&) = delete;
  pipe_pair& operator=(const pipe_pair&) = delete;

  int read_end() const { return ends_[0]; }
  int write_end() const { return ends_[1]; }
  void close_read() { close_end(0); }
  void close_write() { close_end(1); }

 private:
  void close_end(std::size_t which) {
    if (ends_[which] >= 0) {
      ::close(ends_[which]);
      ends_[which] = -1;
    }
  }
  std::array<int, 2> ends_{-1, -1};
};

pid_t spawn(const std::vector<std::string>& words, pipe_pair& out, pipe_pair& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out.write_end(), 1);
  posix_spawn_file_actions_adddup2(&actions, err.write_end(), 2);
  std::vector<char*> argv;
  for (const std::string& word : words) {
    argv.push_back(const_cast<char*>(word.c_str()));
  }
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int failed = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) {
    throw std::system_error(failed, std::generic_category(), "posix_spawnp " + words[0]);
  }
  return pid;
}

// Reads both pipes until both are closed or the deadline passes; returns
// false on timeout.
bool drain(pipe_pair& out, pipe_pair& err, process_result& result,
           std::chrono::steady_clock::time_point deadline) {
  std::array<pollfd, 2> fds{pollfd{out.read_end(), POLLIN, 0}, pollfd{err.read_end(), POLLIN, 0}};
  std::array<std::string*, 2> sinks{&result.out, &result.err};
  int open = 2;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      return false;
    }
    if (::poll(fds.data(), fds.size(), static_cast<int>(left.count())) < 0 && errno != EINTR) {
      throw std::system_error(errno, std::generic_category(), "poll");
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) {
        continue;
      }
      std::array<char, 4096> buffer{};
      const ssize_t count = ::read(fds[i].fd, buffer.data(), buffer.size());
      if (count > 0) {
        sinks[i]->append(buffer.data(), static_cast<std::size_t>(count));
      } else {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  return true;
}

}  // namespace

process_result run_process(const std::vector<std::string>& words, std::chrono::seconds timeout) {
  pipe_pair out;
  pipe_pair err;
  const pid_t pid = spawn(words, out, err);
  out.close_write();
  err.close_write();

  process_result result;
  const bool finished = drain(out, err, result, std::chrono::steady_clock::now() + timeout);
  if (!finished) {
    ::kill(pid, SIGKILL);
  }
  int wait_status = 0;
  ::waitpid(pid, &wait_status, 0);
  if (finished && WIFEXITED(wait_status)) {
    result.status = WEXITSTATUS(wait_status);
  }
  return result;
}

}  // namespace test_support
