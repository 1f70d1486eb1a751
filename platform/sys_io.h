#pragma once

#include <poll.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora::platform {

// The outcome of one system call: `value` as the call returns it, and the
// errno it left when `value` is negative. Carrying the error in the result
// keeps fakes free of the global errno.
struct IoResult {
  long value = 0;
  int error = 0;
};

// The system calls the program makes outside this folder: the pipe channel,
// the process launcher, the link server's pipes, the atomic file writes and
// the port registry's lock. Production code uses the POSIX table; tests
// substitute one that returns EINTR, short counts, broken pipes, a full disk
// or failed pipe creation on demand.
class SysIo {
 public:
  virtual ~SysIo() = default;
  virtual IoResult Write(int fd, const void* buf, std::size_t count) = 0;
  virtual IoResult Read(int fd, void* buf, std::size_t count) = 0;
  virtual IoResult Poll(pollfd* fds, nfds_t count, int timeout_ms) = 0;
  // pipe2(2); fds[0] is the read end.
  virtual IoResult Pipe(int fds[2], int flags) = 0;
  // open(2); the value is the new descriptor.
  virtual IoResult Open(const char* path, int flags, unsigned mode) = 0;
  virtual IoResult Close(int fd) = 0;
  virtual IoResult Fsync(int fd) = 0;
  virtual IoResult Rename(const char* from, const char* to) = 0;
  virtual IoResult Unlink(const char* path) = 0;
  // flock(2) with LOCK_EX, LOCK_UN and so on.
  virtual IoResult Flock(int fd, int operation) = 0;
  // fcntl(2) with an integer argument (F_GETFL, F_SETFL).
  virtual IoResult Fcntl(int fd, int command, int arg) = 0;
  // stat(2) without the record: value 0 when the path exists.
  virtual IoResult Stat(const char* path) = 0;
  // access(2) with the effective user and groups (R_OK, W_OK, X_OK): value 0
  // when this process may use the path so.
  virtual IoResult Access(const char* path, int mode) = 0;
};

// The real calls. Write never raises SIGPIPE: a reader that went away is an
// EPIPE result like any other failed write.
[[nodiscard]] SysIo& PosixSysIo();

// Writes every byte, through short writes and interruptions. The value is
// the byte count, or -1 with the error of the write that failed (EIO for a
// write that took nothing, so a dead descriptor cannot hold the loop).
[[nodiscard]] IoResult WriteFully(SysIo& io, int fd, std::span<const std::uint8_t> bytes);

// Reads until `out` is full or the input ends, through short reads and
// interruptions. The value is the byte count (below the size at end of
// input), or -1 with the error.
[[nodiscard]] IoResult ReadFully(SysIo& io, int fd, std::span<std::uint8_t> out);

// One call, repeated while it is interrupted.
template <typename Call>
[[nodiscard]] IoResult RetryInterrupted(Call call) {
  for (;;) {
    const IoResult r = call();
    if (r.value >= 0 || r.error != EINTR) {
      return r;
    }
  }
}

[[nodiscard]] inline bool PathExists(SysIo& io, const char* path) {
  return io.Stat(path).value == 0;
}

}  // namespace velmora::platform
