#pragma once

// Real processes for the end-to-end tests and the benchmark: a private
// installation root per test, the virtual ECU, and velmora-cli runs with
// bounded waits. Nothing here sleeps: every wait is a poll on a descriptor
// with a deadline.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/files.h"
#include "core/hex.h"
#include "core/text.h"
#include "platform/posix/proc_process_list.h"
#include "tests/core/temp_dir.h"

extern char** environ;

namespace velmora::e2e {

namespace fs = std::filesystem;

inline std::string StageBin() {
  const char* stage = std::getenv("VELMORA_STAGE");
  return std::string(stage != nullptr ? stage : "") + "/bin";
}

// Milliseconds left until `deadline`, never negative.
inline int MsLeft(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
  return left < 0 ? 0 : static_cast<int>(left);
}

// Appends whatever `fd` has ready; false at end of file or error.
inline bool Drain(int fd, std::string& into) {
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      into.append(buf, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) {
      continue;
    }
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
  }
}

// An installation of its own: bin/ with copies of the link server and the
// command-line tool (so that link servers are told apart by folder) and the
// staged SetCom.ini, with chosen keys replaced.
using SetComValues = std::vector<std::pair<std::string, std::string>>;

class TempRoot {
 public:
  explicit TempRoot(const SetComValues& setcom_values = {}) {
    std::error_code ec;
    fs::create_directories(Bin(), ec);
    for (const char* name : {"LinkSrv", "velmora-cli"}) {
      fs::copy_file(StageBin() + "/" + name, Bin() + "/" + name, ec);
    }
    std::vector<std::string> lines;
    (void)core::LeggiRighe(StageBin() + "/SetCom.ini", lines);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
      for (const auto& [key, value] : setcom_values) {
        if (core::EqualsNoCase(core::Trim(lines[i]), key)) {
          lines[i + 1] = value;
        }
      }
    }
    (void)core::WriteFileAtomic(Bin() + "/SetCom.ini", core::JoinCrLf(lines));
  }
  [[nodiscard]] const std::string& Root() const { return dir_.Path(); }
  [[nodiscard]] std::string Bin() const { return Root() + "/bin"; }

 private:
  test::TempDir dir_;
};

// A started process whose standard output and error come back on pipes,
// read while it runs: a test waits (bounded, on the pipes) for a text to
// appear, acts, and waits for the next one or for the exit.
class Process {
 public:
  // pid -1 (Started() false) when it could not start.
  Process(const std::string& exe, const std::vector<std::string>& args) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
      return;
    }
    if (::pipe2(err, O_CLOEXEC) != 0) {
      ::close(out[0]);
      ::close(out[1]);
      return;
    }
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_adddup2(&fa, err[1], 2);
    std::vector<std::string> all{exe};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) {
      argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, exe.c_str(), &fa, nullptr, argv.data(), environ) == 0) {
      pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    } else {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&fa);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
    ::fcntl(out_, F_SETFL, O_NONBLOCK);
    ::fcntl(err_, F_SETFL, O_NONBLOCK);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() {
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

  // The first line of standard output, waiting at most `ms`.
  [[nodiscard]] std::optional<std::string> FirstLine(int ms) {
    const auto end = WaitFor("\n", ms);
    if (!end) {
      return std::nullopt;
    }
    return out_text.substr(0, *end - 1);
  }

  void Signal(int sig) {
    if (pid_ > 0 && !exited_) {
      ::kill(pid_, sig);
    }
  }

  // Waits at most `ms` for the exit, collecting the output; the exit code,
  // or nullopt when it did not end in time (the destructor kills it).
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
      // Whatever the process wrote before it ended; a child of it may still
      // hold the pipes, so read what is there instead of waiting for the end.
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

// The virtual ECU serving a root; its first output line names its device
// and port number.
class Sim {
 public:
  Sim(const TempRoot& root, std::vector<std::string> args)
      : process_(StageBin() + "/velmora-ecusim", WithRoot(root, std::move(args))) {
    if (!process_.Started()) {
      return;
    }
    if (const auto line = process_.FirstLine(10'000)) {
      const auto parts = core::Split(*line, ' ');
      if (parts.size() == 2) {
        device_ = parts[0];
        port_ = core::ParseInt32(parts[1]).value_or(-1);
      }
    }
  }
  [[nodiscard]] bool Ready() const { return port_ >= 0; }
  [[nodiscard]] int Port() const { return port_; }
  [[nodiscard]] const std::string& Device() const { return device_; }
  [[nodiscard]] std::string Errors() { return process_.err_text; }
  // Ends it without the chance to unregister its device; false when it did
  // not end.
  [[nodiscard]] bool KillHard() {
    process_.Signal(SIGKILL);
    return process_.Wait(10'000).has_value();
  }

 private:
  static std::vector<std::string> WithRoot(const TempRoot& root, std::vector<std::string> args) {
    args.insert(args.begin(), {"--root", root.Root()});
    return args;
  }
  Process process_;
  std::string device_;
  int port_ = -1;
};

struct CliRun {
  std::optional<int> exit_code;  // nullopt: it hung and was killed
  std::string out;
  std::string err;
};

inline CliRun RunCli(const TempRoot& root, const std::vector<std::string>& args,
                     int timeout_ms = 30'000) {
  Process p(root.Bin() + "/velmora-cli", args);
  CliRun run;
  if (p.Started()) {
    run.exit_code = p.Wait(timeout_ms);
  }
  run.out = p.out_text;
  run.err = p.err_text;
  return run;
}

// The command bytes of the requests a virtual ECU started with `--record
// Path()` received.
class RequestRecord {
 public:
  explicit RequestRecord(std::string path) : path_(std::move(path)) {}
  [[nodiscard]] const std::string& Path() const { return path_; }
  // The commands received since the last call.
  std::vector<std::uint8_t> Commands() {
    std::string text;
    (void)core::ReadWholeFile(path_, text);
    std::vector<std::uint8_t> out;
    for (const std::string& line : core::Split(text.substr(std::min(seen_, text.size())), '\n')) {
      const auto frame = core::HexToBin(line.substr(0, line.find(' ')));
      if (frame && frame->size() > 3) {
        out.push_back((*frame)[3]);
      }
    }
    seen_ = text.size();
    return out;
  }

 private:
  std::string path_;
  std::size_t seen_ = 0;
};

// A program's output as its lines, blank ones left out.
inline std::vector<std::string> NonEmptyLines(const std::string& text) {
  std::vector<std::string> lines;
  for (const std::string& line : core::Split(text, '\n')) {
    if (!line.empty()) {
      lines.push_back(line);
    }
  }
  return lines;
}

// The tool's arguments with the virtual ECU's port in front.
inline std::vector<std::string> WithPort(const Sim& sim, std::vector<std::string> args) {
  args.insert(args.begin(), {"--port", std::to_string(sim.Port())});
  return args;
}

// A bounded wait (10 s) for the link server of `root` to leave.
inline bool LinkServerGone(const TempRoot& root) {
  platform::ProcProcessList processes;
  const std::string exe = root.Bin() + "/LinkSrv";
  for (int round = 0; round < 1000; ++round) {
    bool found = false;
    for (const auto& p : processes.List()) {
      found = found || p.exe_path == exe;
    }
    if (!found) {
      return true;
    }
    pollfd none{-1, 0, 0};
    ::poll(&none, 0, 10);
  }
  return false;
}

}  // namespace velmora::e2e
