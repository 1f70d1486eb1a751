#include "sim/request_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "core/hex.h"

namespace velmora::sim {

std::optional<RequestLog> RequestLog::Open(const std::string& path) {
  platform::UniqueFd fd(
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644));
  if (!fd.Valid()) {
    return std::nullopt;
  }
  return RequestLog(std::move(fd));
}

void RequestLog::Record(std::span<const std::uint8_t> frame, bool accepted) {
  std::string line = core::BinToHex(frame);
  if (!accepted) {
    line += " ignored";
  }
  line += '\n';
  std::size_t at = 0;
  while (at < line.size()) {
    const ssize_t n = ::write(fd_.Get(), line.data() + at, line.size() - at);
    if (n > 0) {
      at += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return;  // a full disk loses the log, never the ECU
    }
  }
}

}  // namespace velmora::sim
