#pragma once

#include <optional>
#include <string>

#include "platform/unique_fd.h"

namespace velmora::sim {

// The ECU's end of the serial line.
struct EcuLine {
  platform::UniqueFd io;  // read requests, write answers (non-blocking)
  // For a pseudo-terminal: our own handle on the device side, so the line
  // stays up (no hang-up) while no link server has it open.
  platform::UniqueFd keep_open;
  std::string path;  // what the link server opens
};

// A new pseudo-terminal in raw mode; its device side is `path`.
[[nodiscard]] std::optional<EcuLine> OpenPseudoTerminal(int baud, std::string& error);
// A serial device in raw mode, 8N1 at `baud`.
[[nodiscard]] std::optional<EcuLine> OpenSerialDevice(const std::string& path, int baud,
                                                      std::string& error);

}  // namespace velmora::sim
