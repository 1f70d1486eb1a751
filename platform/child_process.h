#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/sys_io.h"
#include "platform/unique_fd.h"

namespace velmora::platform {

// Where starting a child on two pipes can fail, in the order of the steps.
enum class SpawnFailure {
  kNone,
  kRequestPipe,  // the pipe that becomes the child's standard input
  kReplyPipe,    // the pipe that becomes the child's standard output
  kStdin,        // the child could not take the request pipe as its input
  kStdout,       // the child could not take the reply pipe as its output
  kProcess,      // fork or exec failed
};

struct SpawnRequest {
  std::string executable;  // full path; run without a shell
  std::vector<std::string> args;
  // Added to (or replacing in) the inherited environment.
  std::vector<std::pair<std::string, std::string>> env;
};

// A started child as the parent sees it: our ends of its two pipes. The
// child is detached at start (double fork), so there is nothing to wait for
// and no zombie when it ends; it is found again by name, like any process.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(UniqueFd to_child, UniqueFd from_child, int pid)
      : to_child_(std::move(to_child)), from_child_(std::move(from_child)), pid_(pid) {}
  ChildProcess(ChildProcess&&) noexcept = default;
  ChildProcess& operator=(ChildProcess&&) noexcept = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() = default;

  // The write end of the child's standard input.
  [[nodiscard]] UniqueFd& ToChild() { return to_child_; }
  // The read end of the child's standard output.
  [[nodiscard]] UniqueFd& FromChild() { return from_child_; }
  // The child's process id as it was at start (informational: the process
  // may have ended and the id been reused since).
  [[nodiscard]] int Pid() const { return pid_; }

 private:
  UniqueFd to_child_;
  UniqueFd from_child_;
  int pid_ = -1;
};

struct SpawnResult {
  SpawnFailure failure = SpawnFailure::kNone;
  int error = 0;  // errno of the failing step
  ChildProcess child;
};

// Starts `request.executable` with its standard input and output on two new
// pipes. Our ends are close-on-exec; so is every other descriptor of this
// process as far as the child is concerned, so the child holds nothing of
// ours but its two pipe ends. Returns only after the exec has succeeded or
// failed. Pipe creation goes through `io` so tests can make it fail.
[[nodiscard]] SpawnResult SpawnWithPipes(const SpawnRequest& request, SysIo& io);

}  // namespace velmora::platform
