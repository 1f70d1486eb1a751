#pragma once

#include <span>

#include "core/bytes.h"
#include "platform/sys_io.h"

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
[[nodiscard]] PipeMessage ReadRequestMessage(platform::SysIo& io, int fd);

// Writes one reply; the reply goes out in one write() whenever the pipe
// takes it whole. False when the workstation is gone (a broken pipe).
[[nodiscard]] bool WriteReplyMessage(platform::SysIo& io, int fd,
                                     std::span<const std::uint8_t> reply);

}  // namespace velmora::link::server
