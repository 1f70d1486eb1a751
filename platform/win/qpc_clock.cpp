#include "platform/posix/posix_clock.h"
#include "platform/win/win_handles.h"

// The Windows build's monotonic clock (declared with the POSIX one): the
// performance counter, converted without overflowing for years of uptime.

namespace velmora::platform {

std::int64_t PosixClock::NowMicros() {
  static const std::int64_t frequency = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return f.QuadPart > 0 ? f.QuadPart : 1;
  }();
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  const std::int64_t ticks = now.QuadPart;
  return ticks / frequency * 1'000'000 + ticks % frequency * 1'000'000 / frequency;
}

}  // namespace velmora::platform
