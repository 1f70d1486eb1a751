#pragma once

#include "platform/serial_enumerator.h"

namespace velmora::platform {

// The serial devices libserialport finds (on Linux: the tty devices of
// /sys/class/tty backed by real hardware), with the /dev/serial/by-path link
// of each when udev made one.
class LibserialportEnumerator final : public SerialEnumerator {
 public:
  [[nodiscard]] bool Available() override;
  [[nodiscard]] SerialListing List() override;
};

}  // namespace velmora::platform
