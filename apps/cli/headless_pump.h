#pragma once

#include <cstdint>
#include <functional>

#include "platform/event_pump.h"
#include "platform/posix/poll_event_pump.h"

namespace velmora::cli {

// The event pump of the headless workstation. What a window's event loop
// would deliver while an exchange waits (the user closing the window, the
// search window's stop button) comes from `hook`, which runs before every
// wait; the wait itself is a poll.
class HeadlessPump final : public platform::EventPump {
 public:
  void Pump() override { Run(); }
  bool WaitReadable(int fd, std::int64_t max_micros) override {
    Run();
    return inner_.WaitReadable(fd, max_micros);
  }

  std::function<void()> hook;

 private:
  void Run() {
    if (hook) {
      hook();
    }
  }
  platform::PollEventPump inner_;
};

}  // namespace velmora::cli
