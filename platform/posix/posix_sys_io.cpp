#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/sys_io.h"

namespace velmora::platform {

namespace {

// SIGPIPE is blocked around the write instead of being ignored process-wide:
// the program's signal dispositions stay as the application set them. A
// SIGPIPE raised by our own write is consumed before the mask is restored,
// unless one was already pending from somewhere else.
IoResult WriteNoSigpipe(int fd, const void* buf, std::size_t count) {
  sigset_t pipe_only;
  sigemptyset(&pipe_only);
  sigaddset(&pipe_only, SIGPIPE);
  sigset_t pending;
  sigemptyset(&pending);
  sigpending(&pending);
  const bool was_pending = sigismember(&pending, SIGPIPE) == 1;
  sigset_t old;
  pthread_sigmask(SIG_BLOCK, &pipe_only, &old);
  const ssize_t n = ::write(fd, buf, count);
  const int err = errno;
  if (n < 0 && err == EPIPE && !was_pending) {
    const timespec zero{0, 0};
    while (sigtimedwait(&pipe_only, nullptr, &zero) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return {static_cast<long>(n), n < 0 ? err : 0};
}

// A call's integer result with the errno it left.
IoResult Result(long value) {
  return {value, value < 0 ? errno : 0};
}

class RealSysIo final : public SysIo {
 public:
  IoResult Write(int fd, const void* buf, std::size_t count) override {
    return WriteNoSigpipe(fd, buf, count);
  }
  IoResult Read(int fd, void* buf, std::size_t count) override {
    return Result(::read(fd, buf, count));
  }
  IoResult Poll(pollfd* fds, nfds_t count, int timeout_ms) override {
    return Result(::poll(fds, count, timeout_ms));
  }
  IoResult Pipe(int fds[2], int flags) override { return Result(::pipe2(fds, flags)); }
  IoResult Open(const char* path, int flags, unsigned mode) override {
    return Result(::open(path, flags, static_cast<mode_t>(mode)));
  }
  IoResult Close(int fd) override { return Result(::close(fd)); }
  IoResult Fsync(int fd) override { return Result(::fsync(fd)); }
  IoResult Rename(const char* from, const char* to) override {
    return Result(std::rename(from, to));
  }
  IoResult Unlink(const char* path) override { return Result(::unlink(path)); }
  IoResult Flock(int fd, int operation) override { return Result(::flock(fd, operation)); }
  IoResult Fcntl(int fd, int command, int arg) override {
    return Result(::fcntl(fd, command, arg));
  }
  IoResult Stat(const char* path) override {
    struct stat st {};
    return Result(::stat(path, &st));
  }
  IoResult Access(const char* path, int mode) override {
    return Result(::faccessat(AT_FDCWD, path, mode, AT_EACCESS));
  }
};

}  // namespace

SysIo& PosixSysIo() {
  static RealSysIo io;
  return io;
}

}  // namespace velmora::platform
