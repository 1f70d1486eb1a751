#include <poll.h>

#include <algorithm>
#include <chrono>

#include "platform/posix/poll_event_pump.h"
#include "platform/win/win_handles.h"

// The headless event pump of the Windows build (declared with the POSIX one,
// which the front ends include by that name): a pipe is looked at with
// PeekNamedPipe until it has bytes, its writer went away or the time is up.

namespace velmora::platform {

bool PollReadable(int fd, std::int64_t max_micros) {
  const std::int64_t wait_us = std::max<std::int64_t>(max_micros, 0);
  if (fd < 0) {
    // A plain timed wait; milliseconds are the finest unit Sleep offers.
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(wait_us);
    while (std::chrono::steady_clock::now() < until) {
      Sleep(1);
    }
    return false;
  }
  pollfd p{fd, POLLIN, 0};
  return win::PollDescriptors(&p, 1, static_cast<int>((wait_us + 999) / 1000)) > 0;
}

bool PollEventPump::WaitReadable(int fd, std::int64_t max_micros) {
  return PollReadable(fd, max_micros);
}

}  // namespace velmora::platform
