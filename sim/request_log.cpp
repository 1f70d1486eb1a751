#include "sim/request_log.h"

#include <fcntl.h>

#include "core/hex.h"
#include "platform/sys_io.h"

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
  // A full disk loses the log, never the ECU.
  (void)platform::WriteFully(
      platform::PosixSysIo(), fd_.Get(),
      std::span(reinterpret_cast<const std::uint8_t*>(line.data()), line.size()));
}

}  // namespace velmora::sim
