#pragma once

#include "link/server/serial_port.h"

namespace velmora::link::server {

// Opens serial devices through libserialport. Devices libserialport does not
// know (it refuses pseudo-terminals, which have no entry in the kernel's tty
// class) are opened directly with termios, so virtual ECUs work the same way.
class PosixSerialOpener final : public SerialOpener {
 public:
  [[nodiscard]] OpenResult Open(const std::string& device) override;
};

}  // namespace velmora::link::server
