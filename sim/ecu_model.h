#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "core/bytes.h"
#include "sim/command_table.h"
#include "sim/commands.h"
#include "sim/ecu_memory.h"

namespace velmora::sim {

struct ModelReply {
  Bytes frame;  // the whole answer frame, check byte included
  std::int64_t busy_us = 0;
  bool memory_changed = false;
};

// The ECU's logic: request frames in, answer frames out, memory kept. No I/O.
class EcuModel {
 public:
  explicit EcuModel(const SimSetup& setup);

  // nullopt when the frame is not a sound request (wrong start, length or
  // check byte), or when the ECU is off or restarting: a real ECU stays
  // silent then.
  [[nodiscard]] std::optional<ModelReply> Answer(std::span<const std::uint8_t> frame);

  [[nodiscard]] EcuMemory& Memory() { return memory_; }
  [[nodiscard]] const EcuMemory& Memory() const { return memory_; }

 private:
  CommandTable table_;
  EcuMemory memory_;
};

}  // namespace velmora::sim
