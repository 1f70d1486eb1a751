#include <fcntl.h>
#include <io.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string_view>

#include "platform/sys_io.h"
#include "platform/win/win_handles.h"

namespace velmora::platform {

namespace {

constexpr DWORD kPipeBufferBytes = 64 * 1024;
// Room for what a device name stands for, such as \Device\Serial0.
constexpr DWORD kDeviceTargetChars = 512;

// The C runtime cannot stat a device name such as \\.\COM3. The object
// manager knows the name of a present port; where it does not answer (Wine
// maps COM names to serial nodes only when they are opened), a port that
// opens, or is refused because another program holds it, is present too.
constexpr std::string_view kDevicePrefix = "\\\\.\\";

bool DeviceExists(const char* path) {
  char target[kDeviceTargetChars];
  if (QueryDosDeviceA(path + kDevicePrefix.size(), target, sizeof target) != 0) {
    return true;
  }
  // No access asked for: the probe reads nothing and changes no line setting.
  const HANDLE h = CreateFileA(path, 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return true;
  }
  const DWORD error = GetLastError();
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

// A pipe's non-blocking flag lives in the pipe handle itself (PIPE_NOWAIT),
// so it goes away with the handle whoever closes the descriptor.
bool NonBlockingPipe(HANDLE h) {
  DWORD state = 0;
  return GetFileType(h) == FILE_TYPE_PIPE &&
         GetNamedPipeHandleState(h, &state, nullptr, nullptr, nullptr, nullptr, 0) &&
         (state & PIPE_NOWAIT) != 0;
}

bool SetNonBlocking(HANDLE h, bool on) {
  DWORD mode = PIPE_READMODE_BYTE | (on ? PIPE_NOWAIT : PIPE_WAIT);
  return SetNamedPipeHandleState(h, &mode, nullptr, nullptr) != 0;
}

IoResult Result(long value) {
  return {value, value < 0 ? errno : 0};
}

IoResult Win32Failure() {
  return {-1, win::ErrnoFromLastError()};
}

unsigned Clamp(std::size_t count) {
  return static_cast<unsigned>(std::min<std::size_t>(count, INT_MAX));
}

class WindowsSysIo final : public SysIo {
 public:
  WindowsSysIo() {
    // The pipe protocol is bytes: no newline translation on the standard
    // streams a link server talks through.
    (void)_setmode(0, _O_BINARY);
    (void)_setmode(1, _O_BINARY);
  }
  IoResult Write(int fd, const void* buf, std::size_t count) override {
    const HANDLE h = win::HandleOf(fd);
    if (h == INVALID_HANDLE_VALUE) {
      return {-1, EBADF};
    }
    if (GetFileType(h) != FILE_TYPE_PIPE) {
      return Result(_write(fd, buf, Clamp(count)));
    }
    DWORD written = 0;
    if (!WriteFile(h, buf, Clamp(count), &written, nullptr)) {
      return Win32Failure();
    }
    if (written == 0 && count > 0 && NonBlockingPipe(h)) {
      return {-1, EAGAIN};
    }
    return {static_cast<long>(written), 0};
  }
  IoResult Read(int fd, void* buf, std::size_t count) override {
    const HANDLE h = win::HandleOf(fd);
    if (h == INVALID_HANDLE_VALUE) {
      return {-1, EBADF};
    }
    if (NonBlockingPipe(h)) {
      const long avail = win::PipeBytesAvailable(h);
      if (avail < 0) {
        return {0, 0};  // the writer has gone: end of input
      }
      if (avail == 0) {
        return {-1, EAGAIN};
      }
      count = std::min<std::size_t>(count, static_cast<std::size_t>(avail));
    }
    return Result(_read(fd, buf, Clamp(count)));
  }
  IoResult Poll(pollfd* fds, nfds_t count, int timeout_ms) override {
    return {win::PollDescriptors(fds, count, timeout_ms), 0};
  }
  IoResult Pipe(int fds[2], int flags) override;
  IoResult Open(const char* path, int flags, unsigned mode) override {
    const int pmode = static_cast<int>(mode) & (_S_IREAD | _S_IWRITE);
    return Result(_open(path, (flags & ~O_NONBLOCK) | _O_BINARY, pmode));
  }
  IoResult Close(int fd) override { return Result(_close(fd)); }
  IoResult Fsync(int fd) override { return Result(_commit(fd)); }
  IoResult Rename(const char* from, const char* to) override {
    // Replacing the target in one step, as rename(2) does.
    if (!MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return Win32Failure();
    }
    return {0, 0};
  }
  IoResult Unlink(const char* path) override { return Result(_unlink(path)); }
  IoResult Flock(int fd, int operation) override;
  IoResult Fcntl(int fd, int command, int arg) override;
  IoResult Stat(const char* path) override {
    if (std::string_view(path).starts_with(kDevicePrefix)) {
      return DeviceExists(path) ? IoResult{0, 0} : IoResult{-1, ENOENT};
    }
    struct _stat64 st {};
    return Result(_stat64(path, &st));
  }
  IoResult Access(const char* path, int mode) override {
    // The C runtime knows existence, read and write; execute has no meaning
    // for a data folder here.
    constexpr int kReadWrite = 6;
    return Result(_access(path, mode & kReadWrite));
  }
};

IoResult WindowsSysIo::Pipe(int fds[2], int flags) {
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  // Not inheritable: a child gets only the ends it is handed explicitly.
  if (!CreatePipe(&read_end, &write_end, nullptr, kPipeBufferBytes)) {
    return Win32Failure();
  }
  if ((flags & O_NONBLOCK) != 0) {
    (void)SetNonBlocking(read_end, true);
    (void)SetNonBlocking(write_end, true);
  }
  fds[0] = _open_osfhandle(reinterpret_cast<intptr_t>(read_end), _O_RDONLY | _O_BINARY);
  fds[1] = _open_osfhandle(reinterpret_cast<intptr_t>(write_end), _O_WRONLY | _O_BINARY);
  if (fds[0] < 0 || fds[1] < 0) {
    const int error = errno;
    fds[0] < 0 ? CloseHandle(read_end) : _close(fds[0]);
    fds[1] < 0 ? CloseHandle(write_end) : _close(fds[1]);
    fds[0] = fds[1] = -1;
    return {-1, error};
  }
  return {0, 0};
}

IoResult WindowsSysIo::Flock(int fd, int operation) {
  const HANDLE h = win::HandleOf(fd);
  if (h == INVALID_HANDLE_VALUE) {
    return {-1, EBADF};
  }
  OVERLAPPED whole{};
  if ((operation & LOCK_UN) != 0) {
    return UnlockFileEx(h, 0, MAXDWORD, MAXDWORD, &whole) ? IoResult{0, 0} : Win32Failure();
  }
  DWORD how = (operation & LOCK_EX) != 0 ? LOCKFILE_EXCLUSIVE_LOCK : 0;
  if ((operation & LOCK_NB) != 0) {
    how |= LOCKFILE_FAIL_IMMEDIATELY;
  }
  if (!LockFileEx(h, how, 0, MAXDWORD, MAXDWORD, &whole)) {
    return GetLastError() == ERROR_LOCK_VIOLATION ? IoResult{-1, EWOULDBLOCK} : Win32Failure();
  }
  return {0, 0};
}

IoResult WindowsSysIo::Fcntl(int fd, int command, int arg) {
  const HANDLE h = win::HandleOf(fd);
  if (h == INVALID_HANDLE_VALUE) {
    return {-1, EBADF};
  }
  if (command == F_GETFL) {
    return {NonBlockingPipe(h) ? O_NONBLOCK : 0, 0};
  }
  if (command == F_SETFL) {
    if (GetFileType(h) != FILE_TYPE_PIPE) {
      return {0, 0};  // files never block for long: nothing to change
    }
    return SetNonBlocking(h, (arg & O_NONBLOCK) != 0) ? IoResult{0, 0} : Win32Failure();
  }
  return {-1, EINVAL};
}

}  // namespace

SysIo& PosixSysIo() {
  static WindowsSysIo io;
  return io;
}

}  // namespace velmora::platform
