#include "link/server/pipe_io.h"

#include <unistd.h>

#include <cerrno>

namespace velmora::link::server {
namespace {

constexpr std::size_t kLengthBytes = 2;

// Reads exactly `out.size()` bytes; false at end of input or on an error.
PipeStatus ReadExactly(int fd, std::span<std::uint8_t> out) {
  std::size_t got = 0;
  while (got < out.size()) {
    const ssize_t n = ::read(fd, out.data() + got, out.size() - got);
    if (n > 0) {
      got += static_cast<std::size_t>(n);
    } else if (n == 0) {
      return PipeStatus::kEnd;
    } else if (errno != EINTR) {
      return PipeStatus::kError;
    }
  }
  return PipeStatus::kMessage;
}

}  // namespace

PipeMessage ReadRequestMessage(int fd) {
  PipeMessage m;
  m.bytes.resize(kLengthBytes);
  m.status = ReadExactly(fd, m.bytes);
  if (m.status != PipeStatus::kMessage) {
    return m;
  }
  const std::size_t total = m.bytes[0] + static_cast<std::size_t>(m.bytes[1]) * 256;
  if (total > kLengthBytes) {
    m.bytes.resize(total);
    m.status = ReadExactly(fd, std::span<std::uint8_t>(m.bytes).subspan(kLengthBytes));
  }
  return m;
}

bool WriteReplyMessage(int fd, std::span<const std::uint8_t> reply) {
  std::size_t sent = 0;
  while (sent < reply.size()) {
    const ssize_t n = ::write(fd, reply.data() + sent, reply.size() - sent);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      return false;
    }
  }
  return true;
}

}  // namespace velmora::link::server
