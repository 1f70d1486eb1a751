#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/bytes.h"

namespace velmora::sim {

// Cuts the incoming byte stream into request frames by their length byte.
// Bytes before a 0x41 0x02 start are skipped; a partial frame followed by a
// silence longer than the gap is dropped, so a lost byte costs one request
// and never swallows the next one.
class RequestSplitter {
 public:
  explicit RequestSplitter(std::int64_t gap_us) : gap_us_(gap_us) {}

  // Bytes that arrived at `now_us`; returns the frames completed by them
  // (their check bytes are not judged here).
  [[nodiscard]] std::vector<Bytes> Feed(std::span<const std::uint8_t> bytes, std::int64_t now_us);

 private:
  std::int64_t gap_us_;
  std::int64_t last_us_ = 0;
  Bytes pending_;
};

}  // namespace velmora::sim
