#pragma once

#include <span>

#include "core/bytes.h"

namespace velmora::link::server {

enum class PipeStatus {
  kMessage,
  kEnd,  // the workstation closed its end: time to go
  kError,
};

struct PipeMessage {
  PipeStatus status = PipeStatus::kError;
  Bytes bytes;  // the whole request, header included
};

// Reads one request: the two length bytes, then the rest, however the pipe
// cuts it. A length below the header size still consumes what it claims.
[[nodiscard]] PipeMessage ReadRequestMessage(int fd);

// Writes one reply; the reply goes out in one write() whenever the pipe
// takes it whole.
[[nodiscard]] bool WriteReplyMessage(int fd, std::span<const std::uint8_t> reply);

}  // namespace velmora::link::server
