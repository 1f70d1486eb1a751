#include <io.h>
#include <poll.h>

#include <cerrno>
#include <chrono>

#include "platform/win/win_handles.h"

namespace velmora::platform::win {

namespace {

// Anonymous pipes cannot be waited on: readiness is looked at again after
// this pause until the deadline.
constexpr DWORD kNapMs = 1;

short Readiness(const pollfd& p) {
  const HANDLE h = HandleOf(p.fd);
  if (h == INVALID_HANDLE_VALUE) {
    return POLLNVAL;
  }
  const long avail = PipeBytesAvailable(h);
  if (avail == -2) {
    return static_cast<short>(p.events & (POLLIN | POLLOUT));  // a file: always ready
  }
  if (avail == -1) {
    return POLLHUP;
  }
  short r = static_cast<short>(p.events & POLLOUT);  // writes never wait here
  if (avail > 0) {
    r = static_cast<short>(r | (p.events & POLLIN));
  }
  return r;
}

}  // namespace

HANDLE HandleOf(int fd) {
  if (fd < 0) {
    return INVALID_HANDLE_VALUE;
  }
  return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

int ErrnoFromLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
      return EPIPE;
    case ERROR_INVALID_HANDLE:
      return EBADF;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

long PipeBytesAvailable(HANDLE h) {
  if (GetFileType(h) != FILE_TYPE_PIPE) {
    return -2;
  }
  DWORD avail = 0;
  if (!PeekNamedPipe(h, nullptr, 0, nullptr, &avail, nullptr)) {
    return -1;
  }
  return static_cast<long>(avail);
}

int PollDescriptors(pollfd* fds, unsigned long count, int timeout_ms) {
  using clock = std::chrono::steady_clock;
  const auto deadline = clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
  for (;;) {
    int ready = 0;
    for (unsigned long i = 0; i < count; ++i) {
      fds[i].revents = Readiness(fds[i]);
      ready += fds[i].revents != 0 ? 1 : 0;
    }
    if (ready > 0 || (timeout_ms >= 0 && clock::now() >= deadline)) {
      return ready;
    }
    Sleep(kNapMs);
  }
}

}  // namespace velmora::platform::win
