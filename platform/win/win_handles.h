#pragma once

// Shared by the Windows implementations: descriptors of the C runtime are
// the program's currency (as on POSIX), the Win32 handle behind one is
// looked up where a Win32 call needs it.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>

namespace velmora::platform::win {

// The handle behind a C runtime descriptor; INVALID_HANDLE_VALUE when none.
[[nodiscard]] HANDLE HandleOf(int fd);

// errno for the last Win32 error (the few the program tells apart).
[[nodiscard]] int ErrnoFromLastError();

// Bytes waiting in a pipe: -1 when the writer has gone (end of input), -2
// when `h` is not a pipe at all.
[[nodiscard]] long PipeBytesAvailable(HANDLE h);

// poll(2) over pipes and files: pipes by PeekNamedPipe, anything else is
// always ready. Waits by short naps up to `timeout_ms` (negative: forever).
[[nodiscard]] int PollDescriptors(struct pollfd* fds, unsigned long count, int timeout_ms);

}  // namespace velmora::platform::win
