#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/unique_fd.h"

namespace velmora::sim {

// The requests the ECU received, one line each as upper-case hexadecimal, so
// that a test can tell exactly what a workstation procedure sent. A frame
// the ECU did not accept (wrong check byte, length or start) carries
// " ignored" after it. Each line is written whole with one write before the
// answer leaves, so a reader that has the answer finds the line.
class RequestLog {
 public:
  // Creates or empties the file; nullopt when it cannot be opened.
  [[nodiscard]] static std::optional<RequestLog> Open(const std::string& path);

  void Record(std::span<const std::uint8_t> frame, bool accepted);

 private:
  explicit RequestLog(platform::UniqueFd fd) : fd_(std::move(fd)) {}
  platform::UniqueFd fd_;
};

}  // namespace velmora::sim
