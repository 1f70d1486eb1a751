#include "platform/posix/poll_event_pump.h"

#include <poll.h>
#include <time.h>

#include <cerrno>
#include <chrono>

namespace velmora::platform {

bool PollReadable(int fd, std::int64_t max_micros) {
  using clock = std::chrono::steady_clock;
  const auto deadline = clock::now() + std::chrono::microseconds(max_micros < 0 ? 0 : max_micros);
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::microseconds>(deadline - clock::now()).count();
    const std::int64_t wait_us = left < 0 ? 0 : left;
    if (fd < 0) {
      if (wait_us == 0) {
        return false;
      }
      timespec ts{static_cast<time_t>(wait_us / 1000000),
                  static_cast<long>(wait_us % 1000000) * 1000};
      if (nanosleep(&ts, nullptr) == 0 || errno != EINTR) {
        return false;
      }
      continue;
    }
    pollfd p{fd, POLLIN, 0};
    // poll takes milliseconds; round up so a short wait is not a busy loop.
    const int ms = static_cast<int>((wait_us + 999) / 1000);
    const int r = ::poll(&p, 1, ms);
    if (r > 0) {
      return true;  // readable, or hung up: the reader finds out which
    }
    if (r == 0) {
      return false;
    }
    if (errno != EINTR) {
      return false;
    }
  }
}

bool PollEventPump::WaitReadable(int fd, std::int64_t max_micros) {
  return PollReadable(fd, max_micros);
}

}  // namespace velmora::platform
