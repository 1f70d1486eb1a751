#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace velmora::sim {

// An ECU that dies in the middle of one kind of work: after it has answered
// `after` requests carrying `command`, it answers nothing more at all.
// Lets a test cut a save, a load, a bank write or a firmware update short
// at a chosen point instead of at a request count that shifts whenever the
// connection sequence changes.
struct CommandSilence {
  int command = -1;  // -1: never silent
  long after = 0;
  long seen = 0;

  // Called with every complete request before it is worked on; true when
  // the ECU stays silent on it (and does not act on it).
  [[nodiscard]] bool Silences(std::span<const std::uint8_t> request);
};

// "CMD:N" with CMD the command byte in hexadecimal (two digits) and N the
// number of its requests still answered; false for anything else.
[[nodiscard]] bool ParseCommandSilence(std::string_view text, CommandSilence& into);

}  // namespace velmora::sim
