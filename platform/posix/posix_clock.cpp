#include "platform/posix/posix_clock.h"

#include <chrono>

namespace velmora::platform {

std::int64_t PosixClock::NowMicros() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace velmora::platform
