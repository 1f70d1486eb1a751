#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/set_com.h"

namespace velmora::link {

// Where decoded live records go while the logger records. The message table
// asks it on every decode of the traced entries (numbers 1, 5 and 12) and
// hands it nothing while it is not recording.
class LiveRecordSink {
 public:
  virtual ~LiveRecordSink() = default;

  [[nodiscard]] virtual bool Recording() const = 0;
  // Milliseconds since the recording started, rounded to whole milliseconds.
  [[nodiscard]] virtual std::int64_t ElapsedMs() = 0;
  // A copy of the decoded entry with the answer it came from, stamped `ms`.
  virtual void AppendRecord(const core::MessageEntry& entry, std::span<const std::uint8_t> answer,
                            std::int64_t ms) = 0;
  // One line of the traffic log.
  virtual void WriteTraceLine(std::string_view line) = 0;
};

}  // namespace velmora::link
