#pragma once

#include "platform/event_pump.h"

namespace velmora::platform {

// Event pump for headless programs: no events to dispatch, the wait is a
// poll(2) on the descriptor.
class PollEventPump final : public EventPump {
 public:
  void Pump() override {}
  bool WaitReadable(int fd, std::int64_t max_micros) override;
};

// poll(2) for readability, restarting on EINTR with the remaining time.
[[nodiscard]] bool PollReadable(int fd, std::int64_t max_micros);

}  // namespace velmora::platform
