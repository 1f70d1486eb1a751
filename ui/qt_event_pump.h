#pragma once

#include "platform/event_pump.h"

namespace velmora::ui {

// Keeps windows and timers alive while an exchange waits for its reply.
class QtEventPump final : public platform::EventPump {
 public:
  void Pump() override;
  bool WaitReadable(int fd, std::int64_t max_micros) override;
};

}  // namespace velmora::ui
