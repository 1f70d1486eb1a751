#include "link/server/pipe_io.h"

namespace velmora::link::server {
namespace {

constexpr std::size_t kLengthBytes = 2;

// Reads exactly `out.size()` bytes: kEnd when the input ends first.
PipeStatus ReadExactly(platform::SysIo& io, int fd, std::span<std::uint8_t> out) {
  const platform::IoResult r = platform::ReadFully(io, fd, out);
  if (r.value < 0) {
    return PipeStatus::kError;
  }
  return static_cast<std::size_t>(r.value) == out.size() ? PipeStatus::kMessage : PipeStatus::kEnd;
}

}  // namespace

PipeMessage ReadRequestMessage(platform::SysIo& io, int fd) {
  PipeMessage m;
  m.bytes.resize(kLengthBytes);
  m.status = ReadExactly(io, fd, m.bytes);
  if (m.status != PipeStatus::kMessage) {
    return m;
  }
  const std::size_t total = m.bytes[0] + static_cast<std::size_t>(m.bytes[1]) * 256;
  if (total > kLengthBytes) {
    m.bytes.resize(total);
    m.status = ReadExactly(io, fd, std::span<std::uint8_t>(m.bytes).subspan(kLengthBytes));
  }
  return m;
}

bool WriteReplyMessage(platform::SysIo& io, int fd, std::span<const std::uint8_t> reply) {
  return platform::WriteFully(io, fd, reply).value >= 0;
}

}  // namespace velmora::link::server
