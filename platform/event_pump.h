#pragma once

#include <cstdint>

namespace velmora::platform {

// Keeps the user interface alive during a blocking exchange. WaitReadable
// dispatches pending events, then blocks until `fd` is readable or at most
// `max_micros` have passed, whichever comes first; the wait is an upper bound,
// never a floor. A negative fd just waits (used by plain timed waits).
class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void Pump() = 0;
  // Returns true when fd became readable.
  virtual bool WaitReadable(int fd, std::int64_t max_micros) = 0;
};

}  // namespace velmora::platform
