#pragma once

#include <cstdint>

namespace velmora::platform {

// Monotonic microsecond clock (the time base of every wait and time-out).
class Clock {
 public:
  virtual ~Clock() = default;
  [[nodiscard]] virtual std::int64_t NowMicros() = 0;
};

}  // namespace velmora::platform
