#pragma once

#include <cstdint>
#include <span>

#include "core/bytes.h"
#include "link/ecu_access.h"
#include "link/message_table.h"

namespace velmora::firmware {

// How one exchange of the update ended.
enum class Exchange {
  kDone,
  kRefused,  // the ECU answered, with a result byte other than 0x00
  kFailed,   // no usable answer, or the link is no longer connected after it
};

// The update's exchanges. Each counts as failed when, after it, the link
// does not report itself connected; an ECU frame counts as refused when the
// answer is not the command's or carries a result byte other than 0x00
// (a block the boot loader did not take must not pass for written).
class FlashLink {
 public:
  explicit FlashLink(link::EcuAccess& ecu) : ecu_(ecu) {}

  // The frame of `command` with the reply time-out times `timeout_factor`.
  [[nodiscard]] Exchange Send(std::uint8_t command, std::span<const std::uint8_t> data,
                              Bytes* answer = nullptr, int timeout_factor = 1);
  // Send, done or not.
  [[nodiscard]] bool Command(std::uint8_t command, std::span<const std::uint8_t> data = {}) {
    return Send(command, data) == Exchange::kDone;
  }
  // Message 8: the long wait (the global wait times its multiplier) or the
  // short one (the global wait).
  [[nodiscard]] bool SetWait(bool long_wait);
  // The entry read as the message table reads it.
  [[nodiscard]] bool ReadEntry(link::MessageTable& table, std::size_t entry);
  // A wait that keeps events flowing.
  void Wait(std::int64_t micros) { ecu_.Pipe().Attendi(micros); }

  [[nodiscard]] link::EcuAccess& Ecu() { return ecu_; }

 private:
  [[nodiscard]] bool Connected() const { return ecu_.Pipe().Last().header.link_state == 1; }

  link::EcuAccess& ecu_;
};

}  // namespace velmora::firmware
