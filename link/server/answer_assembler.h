#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "core/bytes.h"

namespace velmora::link::server {

// Collects an ECU answer frame from the bytes as they trickle in. Bytes
// before a 0x42 0x01 start are noise on the line and skipped; a complete
// frame for another command (a late answer to an earlier request) is passed
// over and the search goes on.
class AnswerAssembler {
 public:
  enum class State {
    kIncomplete,
    kComplete,
    kBadCheck,  // the expected answer arrived with a wrong check byte
  };

  // `command`: the command the answer must repeat; nullopt accepts any.
  explicit AnswerAssembler(std::optional<std::uint8_t> command) : command_(command) {}

  [[nodiscard]] State Feed(std::span<const std::uint8_t> bytes);
  // The complete frame once Feed returned kComplete (or the bad one).
  [[nodiscard]] const Bytes& Frame() const { return frame_; }

 private:
  [[nodiscard]] State Scan();

  std::optional<std::uint8_t> command_;
  Bytes pending_;
  Bytes frame_;
  State state_ = State::kIncomplete;
};

}  // namespace velmora::link::server
