#include <cerrno>

#include "platform/sys_io.h"

// The loops over one call, shared by every system's call table.

namespace velmora::platform {

IoResult WriteFully(SysIo& io, int fd, std::span<const std::uint8_t> bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const IoResult r = io.Write(fd, bytes.data() + sent, bytes.size() - sent);
    if (r.value > 0) {
      sent += static_cast<std::size_t>(r.value);
    } else if (r.value == 0) {
      return {-1, EIO};
    } else if (r.error != EINTR) {
      return r;
    }
  }
  return {static_cast<long>(sent), 0};
}

IoResult ReadFully(SysIo& io, int fd, std::span<std::uint8_t> out) {
  std::size_t got = 0;
  while (got < out.size()) {
    const IoResult r = io.Read(fd, out.data() + got, out.size() - got);
    if (r.value > 0) {
      got += static_cast<std::size_t>(r.value);
    } else if (r.value == 0) {
      break;
    } else if (r.error != EINTR) {
      return r;
    }
  }
  return {static_cast<long>(got), 0};
}

}  // namespace velmora::platform
