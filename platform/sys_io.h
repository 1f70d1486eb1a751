#pragma once

#include <poll.h>

#include <cstddef>

namespace velmora::platform {

// The outcome of one system call: `value` as the call returns it, and the
// errno it left when `value` is negative. Carrying the error in the result
// keeps fakes free of the global errno.
struct IoResult {
  long value = 0;
  int error = 0;
};

// The system calls the pipe channel and the process launcher make. Production
// code uses the POSIX table; tests substitute one that returns EINTR, short
// counts, broken pipes or failed pipe creation on demand.
class SysIo {
 public:
  virtual ~SysIo() = default;
  virtual IoResult Write(int fd, const void* buf, std::size_t count) = 0;
  virtual IoResult Read(int fd, void* buf, std::size_t count) = 0;
  virtual IoResult Poll(pollfd* fds, nfds_t count, int timeout_ms) = 0;
  // pipe2(2); fds[0] is the read end.
  virtual IoResult Pipe(int fds[2], int flags) = 0;
};

// The real calls. Write never raises SIGPIPE: a reader that went away is an
// EPIPE result like any other failed write.
[[nodiscard]] SysIo& PosixSysIo();

}  // namespace velmora::platform
