#include "platform/child_process.h"
#include "platform/spawn_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace velmora::platform {

namespace {

// What the intermediate and the final child tell the parent through the
// status pipe. Each record is far below PIPE_BUF, so writes never interleave.
struct StatusRecord {
  int tag;
  int value;
  int error;
};
constexpr int kTagPid = 1;
constexpr int kTagFailure = 2;

void Report(int fd, int tag, int value, int error) {
  const StatusRecord rec{tag, value, error};
  while (::write(fd, &rec, sizeof rec) < 0 && errno == EINTR) {
  }
}

std::vector<std::string> BuildEnvironment(const SpawnRequest& request) {
  std::vector<std::string> out;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    const std::string entry(*e);
    bool replaced = false;
    for (const auto& [key, value] : request.env) {
      if (entry.size() > key.size() && entry.compare(0, key.size(), key) == 0 &&
          entry[key.size()] == '=') {
        replaced = true;
        break;
      }
    }
    if (!replaced) {
      out.push_back(entry);
    }
  }
  for (const auto& [key, value] : request.env) {
    out.push_back(key + "=" + value);
  }
  return out;
}

std::vector<char*> PointerList(std::vector<std::string>& strings) {
  std::vector<char*> out;
  out.reserve(strings.size() + 1);
  for (auto& s : strings) {
    out.push_back(s.data());
  }
  out.push_back(nullptr);
  return out;
}

// Runs in the final child: only async-signal-safe calls from here on.
[[noreturn]] void BecomeChild(int stdin_src, int stdout_src, int status_fd, const char* path,
                              char* const* argv, char* const* envp) {
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigaction(SIGPIPE, &dfl, nullptr);

  // Lift both ends above 2 first so that neither dup2 can overwrite the
  // other when this process was started with a standard stream closed.
  const int in = ::fcntl(stdin_src, F_DUPFD_CLOEXEC, 3);
  if (in < 0 || ::dup2(in, STDIN_FILENO) < 0) {
    Report(status_fd, kTagFailure, static_cast<int>(SpawnFailure::kStdin), errno);
    ::_exit(127);
  }
  const int out = ::fcntl(stdout_src, F_DUPFD_CLOEXEC, 3);
  if (out < 0 || ::dup2(out, STDOUT_FILENO) < 0) {
    Report(status_fd, kTagFailure, static_cast<int>(SpawnFailure::kStdout), errno);
    ::_exit(127);
  }
  // Whatever else this process has open (descriptors other code opened
  // without close-on-exec) must not live on in the link process.
  (void)::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
  ::execve(path, argv, envp);
  Report(status_fd, kTagFailure, static_cast<int>(SpawnFailure::kProcess), errno);
  ::_exit(127);
}

// The three pipes of a start: the child's input and output, and the status
// pipe its helpers report on.
struct SpawnPipes {
  UniqueFd request_read;
  UniqueFd request_write;
  UniqueFd reply_read;
  UniqueFd reply_write;
  UniqueFd status_read;
  UniqueFd status_write;
};

bool MakePipes(SysIo& io, SpawnPipes& p, SpawnResult& result) {
  return MakeSpawnPipe(io, p.request_read, p.request_write, SpawnFailure::kRequestPipe, result) &&
         MakeSpawnPipe(io, p.reply_read, p.reply_write, SpawnFailure::kReplyPipe, result) &&
         MakeSpawnPipe(PosixSysIo(), p.status_read, p.status_write, SpawnFailure::kProcess, result);
}

// Runs in the intermediate process: it only forks the real child and leaves,
// so the real child is adopted by init (or the nearest subreaper) and never
// becomes our zombie.
[[noreturn]] void ForkChild(const SpawnPipes& p, const char* path, char* const* argv,
                            char* const* envp) {
  const pid_t child = ::fork();
  if (child < 0) {
    Report(p.status_write.Get(), kTagFailure, static_cast<int>(SpawnFailure::kProcess), errno);
    ::_exit(127);
  }
  if (child == 0) {
    BecomeChild(p.request_read.Get(), p.reply_write.Get(), p.status_write.Get(), path, argv, envp);
  }
  Report(p.status_write.Get(), kTagPid, static_cast<int>(child), 0);
  ::_exit(0);
}

// Reads the status pipe to its end, which comes when the child's exec closed
// its copy (success) or the child exited after reporting a failure. The
// child's pid, or -1 with `result` holding the failure.
int CollectStatus(int status_fd, SpawnResult& result) {
  int child_pid = -1;
  bool failed = false;
  StatusRecord rec{};
  std::size_t have = 0;
  for (;;) {
    const ssize_t n = ::read(status_fd, reinterpret_cast<char*>(&rec) + have, sizeof rec - have);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      break;
    }
    have += static_cast<std::size_t>(n);
    if (have < sizeof rec) {
      continue;
    }
    have = 0;
    if (rec.tag == kTagPid) {
      child_pid = rec.value;
    } else if (rec.tag == kTagFailure && !failed) {
      failed = true;
      result.failure = static_cast<SpawnFailure>(rec.value);
      result.error = rec.error;
    }
  }
  if (failed) {
    return -1;
  }
  if (child_pid < 0) {
    result.failure = SpawnFailure::kProcess;
    result.error = ECHILD;
  }
  return child_pid;
}

}  // namespace

SpawnResult SpawnWithPipes(const SpawnRequest& request, SysIo& io) {
  SpawnResult result;
  SpawnPipes p;
  if (!MakePipes(io, p, result)) {
    return result;
  }
  // Everything the children need is built before fork: after it, the
  // children may only make async-signal-safe calls.
  std::vector<std::string> arg_strings;
  arg_strings.push_back(request.executable);
  arg_strings.insert(arg_strings.end(), request.args.begin(), request.args.end());
  std::vector<std::string> env_strings = BuildEnvironment(request);
  const std::vector<char*> argv = PointerList(arg_strings);
  const std::vector<char*> envp = PointerList(env_strings);

  const pid_t middle = ::fork();
  if (middle < 0) {
    result.failure = SpawnFailure::kProcess;
    result.error = errno;
    return result;
  }
  if (middle == 0) {
    ForkChild(p, request.executable.c_str(), argv.data(), envp.data());
  }
  p.status_write.Reset();
  p.request_read.Reset();
  p.reply_write.Reset();
  int wstatus = 0;
  while (::waitpid(middle, &wstatus, 0) < 0 && errno == EINTR) {
  }
  const int child_pid = CollectStatus(p.status_read.Get(), result);
  if (child_pid >= 0) {
    result.child = ChildProcess(std::move(p.request_write), std::move(p.reply_read), child_pid);
  }
  return result;
}

}  // namespace velmora::platform
