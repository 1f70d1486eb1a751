#pragma once

// A child program on pipes for process-level tests. Every wait is bounded
// by poll(); nothing sleeps.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "platform/unique_fd.h"

extern char** environ;

namespace velmora::testing {

class ChildProcess {
 public:
  // Starts `argv[0]` with its standard input and output on pipes.
  static std::optional<ChildProcess> Start(const std::vector<std::string>& argv) {
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
      return std::nullopt;
    }
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&fa, out[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (const std::string& a : argv) {
      args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, args[0], &fa, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    ::close(in[0]);
    ::close(out[1]);
    if (rc != 0) {
      ::close(in[1]);
      ::close(out[0]);
      return std::nullopt;
    }
    ChildProcess c;
    c.pid_ = pid;
    c.stdin_.Reset(in[1]);
    c.stdout_.Reset(out[0]);
    return c;
  }

  ChildProcess(ChildProcess&& o) noexcept
      : pid_(std::exchange(o.pid_, -1)),
        stdin_(std::move(o.stdin_)),
        stdout_(std::move(o.stdout_)) {}
  ChildProcess& operator=(ChildProcess&&) = delete;
  ~ChildProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  [[nodiscard]] bool Write(const Bytes& bytes) {
    return ::write(stdin_.Get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }

  // Exactly n bytes of output, or what came before the time ran out.
  [[nodiscard]] Bytes Read(std::size_t n, int timeout_ms) {
    Bytes out;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (out.size() < n) {
      if (!WaitReadable(deadline)) {
        break;
      }
      std::uint8_t buf[512];
      const ssize_t got = ::read(stdout_.Get(), buf, std::min(sizeof buf, n - out.size()));
      if (got <= 0) {
        break;
      }
      out.insert(out.end(), buf, buf + got);
    }
    return out;
  }

  // One line of output without its newline; nullopt when none came in time.
  [[nodiscard]] std::optional<std::string> ReadLine(int timeout_ms) {
    std::string line;
    for (;;) {
      const Bytes b = Read(1, timeout_ms);
      if (b.empty()) {
        return std::nullopt;
      }
      if (b[0] == '\n') {
        return line;
      }
      line.push_back(static_cast<char>(b[0]));
    }
  }

  void Signal(int sig) { ::kill(pid_, sig); }

  // Waits for the output to close (the child ended), then reaps it. The exit
  // status, or nullopt when it did not end in time.
  [[nodiscard]] std::optional<int> WaitExit(int timeout_ms) {
    stdin_.Reset();
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
      if (!WaitReadable(deadline)) {
        return std::nullopt;
      }
      std::uint8_t buf[512];
      if (::read(stdout_.Get(), buf, sizeof buf) <= 0) {
        break;
      }
    }
    int status = 0;
    if (::waitpid(pid_, &status, 0) != pid_) {
      return std::nullopt;
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  using Clock = std::chrono::steady_clock;
  ChildProcess() = default;

  bool WaitReadable(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      return false;
    }
    pollfd p{stdout_.Get(), POLLIN, 0};
    return ::poll(&p, 1, static_cast<int>(left)) > 0;
  }

  pid_t pid_ = -1;
  platform::UniqueFd stdin_;
  platform::UniqueFd stdout_;
};

}  // namespace velmora::testing
