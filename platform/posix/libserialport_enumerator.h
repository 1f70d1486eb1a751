#pragma once

#include <string>
#include <utility>

#include "platform/serial_enumerator.h"

namespace velmora::platform {

// The serial devices libserialport finds (on Linux: the tty devices of
// /sys/class/tty backed by real hardware), with the /dev/serial/by-path link
// of each when udev made one, then the Bluetooth serial ports bound as
// rfcommN in `dev_dir`, which libserialport passes over as virtual devices.
class LibserialportEnumerator final : public SerialEnumerator {
 public:
  explicit LibserialportEnumerator(std::string dev_dir = "/dev") : dev_dir_(std::move(dev_dir)) {}
  [[nodiscard]] bool Available() override;
  [[nodiscard]] SerialListing List() override;

 private:
  std::string dev_dir_;
};

}  // namespace velmora::platform
