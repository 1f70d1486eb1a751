#pragma once

// A process whose output is read while it runs: a test waits (bounded, on
// the pipes) for a line to appear, acts, and waits for the next one.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace velmora::e2e {

class WatchedProcess {
 public:
  WatchedProcess(const std::string& exe, const std::vector<std::string>& args) {
    const Spawned sp = SpawnWithOutput(exe, args);
    pid_ = sp.pid;
    pidfd_ = sp.pidfd;
    out_ = sp.out;
    err_ = sp.err;
  }
  WatchedProcess(const WatchedProcess&) = delete;
  WatchedProcess& operator=(const WatchedProcess&) = delete;
  ~WatchedProcess() {
    if (pid_ > 0 && !exited_) {
      ::kill(pid_, SIGKILL);
      int status = 0;
      ::waitpid(pid_, &status, 0);
    }
    for (const int fd : {out_, err_, pidfd_}) {
      if (fd >= 0) {
        ::close(fd);
      }
    }
  }

  [[nodiscard]] bool Started() const { return pid_ > 0 && pidfd_ >= 0; }

  // Waits at most `ms` for `text` to appear in standard output (or, with
  // `in_errors`, standard error) after `from`; the position just past it.
  [[nodiscard]] std::optional<std::size_t> WaitFor(std::string_view text, int ms,
                                                   bool in_errors = false, std::size_t from = 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      const std::string& where = in_errors ? err_text : out_text;
      if (const auto at = where.find(text, from); at != std::string::npos) {
        return at + text.size();
      }
      if (exited_ || (!Collect(MsLeft(deadline)) && MsLeft(deadline) == 0)) {
        return std::nullopt;
      }
    }
  }

  void Signal(int sig) {
    if (pid_ > 0 && !exited_) {
      ::kill(pid_, sig);
    }
  }

  // Waits at most `ms` for the exit, collecting the output; the exit code,
  // or nullopt when it did not end in time.
  [[nodiscard]] std::optional<int> Wait(int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!exited_) {
      if (!Collect(MsLeft(deadline)) && MsLeft(deadline) == 0) {
        return std::nullopt;
      }
    }
    return status_;
  }

  std::string out_text;
  std::string err_text;

 private:
  // One poll of the pipes and the process; false when nothing happened.
  bool Collect(int ms) {
    if (exited_) {
      return false;
    }
    // A pipe at its end is polled no more.
    pollfd p[3] = {{pidfd_, POLLIN, 0},
                   {out_open_ ? out_ : -1, POLLIN, 0},
                   {err_open_ ? err_ : -1, POLLIN, 0}};
    const int r = ::poll(p, 3, ms);
    if (r <= 0) {
      return false;
    }
    if (p[1].revents != 0) {
      out_open_ = Drain(out_, out_text);
    }
    if (p[2].revents != 0) {
      err_open_ = Drain(err_, err_text);
    }
    if (p[0].revents != 0) {
      int status = 0;
      ::waitpid(pid_, &status, 0);
      exited_ = true;
      (void)Drain(out_, out_text);
      (void)Drain(err_, err_text);
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return true;
  }

  pid_t pid_ = -1;
  int pidfd_ = -1;
  int out_ = -1;
  int err_ = -1;
  bool out_open_ = true;
  bool err_open_ = true;
  bool exited_ = false;
  int status_ = -1;
};

}  // namespace velmora::e2e
