#pragma once

// The real system calls with faults on demand: any call can be made to fail
// with a chosen errno, reads and writes can be cut short, and a hook runs
// after every write. One fake for every test of code behind the seam.

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <limits>
#include <optional>

#include "platform/sys_io.h"

namespace velmora::platform {

class FakeSysIo final : public SysIo {
 public:
  enum Call {
    kWrite,
    kRead,
    kPoll,
    kPipe,
    kOpen,
    kClose,
    kFsync,
    kRename,
    kUnlink,
    kFlock,
    kFcntl,
    kStat,
    kAccess,
    kCallKinds
  };

  // The calls of `call` after the next `skip` fail with `error`, `times`
  // times; the others reach the system.
  void Fail(Call call, int error, int times = 1, int skip = 0) {
    faults_[call] = Fault{error, times, skip};
  }
  // How often `call` was made, failed calls included.
  [[nodiscard]] int Count(Call call) const { return counts_[call]; }

  IoResult Write(int fd, const void* buf, std::size_t count) override {
    if (const auto f = Take(kWrite)) {
      return *f;
    }
    const IoResult r = PosixSysIo().Write(fd, buf, std::min(count, max_write));
    if (after_write) {
      after_write();
    }
    return r;
  }
  IoResult Read(int fd, void* buf, std::size_t count) override {
    if (const auto f = Take(kRead)) {
      return *f;
    }
    return PosixSysIo().Read(fd, buf, std::min(count, max_read));
  }
  IoResult Poll(pollfd* fds, nfds_t count, int timeout_ms) override {
    return Pass(kPoll, [&] { return PosixSysIo().Poll(fds, count, timeout_ms); });
  }
  IoResult Pipe(int fds[2], int flags) override {
    return Pass(kPipe, [&] { return PosixSysIo().Pipe(fds, flags); });
  }
  IoResult Open(const char* path, int flags, unsigned mode) override {
    return Pass(kOpen, [&] { return PosixSysIo().Open(path, flags, mode); });
  }
  IoResult Close(int fd) override {
    return Pass(kClose, [&] { return PosixSysIo().Close(fd); });
  }
  IoResult Fsync(int fd) override {
    return Pass(kFsync, [&] { return PosixSysIo().Fsync(fd); });
  }
  IoResult Rename(const char* from, const char* to) override {
    return Pass(kRename, [&] { return PosixSysIo().Rename(from, to); });
  }
  IoResult Unlink(const char* path) override {
    return Pass(kUnlink, [&] { return PosixSysIo().Unlink(path); });
  }
  IoResult Flock(int fd, int operation) override {
    return Pass(kFlock, [&] { return PosixSysIo().Flock(fd, operation); });
  }
  IoResult Fcntl(int fd, int command, int arg) override {
    return Pass(kFcntl, [&] { return PosixSysIo().Fcntl(fd, command, arg); });
  }
  IoResult Stat(const char* path) override {
    return Pass(kStat, [&] { return PosixSysIo().Stat(path); });
  }
  IoResult Access(const char* path, int mode) override {
    return Pass(kAccess, [&] { return PosixSysIo().Access(path, mode); });
  }

  std::size_t max_write = std::numeric_limits<std::size_t>::max();
  std::size_t max_read = std::numeric_limits<std::size_t>::max();
  std::function<void()> after_write;

 private:
  struct Fault {
    int error = 0;
    int times = 0;
    int skip = 0;
  };

  // The injected failure of this call, if it is one; counts the call.
  std::optional<IoResult> Take(Call call) {
    ++counts_[call];
    Fault& f = faults_[call];
    if (f.times <= 0) {
      return std::nullopt;
    }
    if (f.skip > 0) {
      --f.skip;
      return std::nullopt;
    }
    --f.times;
    return IoResult{-1, f.error};
  }
  template <typename Real>
  IoResult Pass(Call call, Real real) {
    if (const auto f = Take(call)) {
      return *f;
    }
    return real();
  }

  std::array<Fault, kCallKinds> faults_{};
  std::array<int, kCallKinds> counts_{};
};

}  // namespace velmora::platform
