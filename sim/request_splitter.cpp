#include "sim/request_splitter.h"

#include "link/ecu_frame.h"

namespace velmora::sim {

std::vector<Bytes> RequestSplitter::Feed(std::span<const std::uint8_t> bytes, std::int64_t now_us) {
  if (!pending_.empty() && now_us - last_us_ > gap_us_) {
    pending_.clear();
  }
  last_us_ = now_us;
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  std::vector<Bytes> frames;
  std::size_t start = 0;
  for (;;) {
    const std::size_t left = pending_.size() - start;
    const std::uint8_t* p = pending_.data() + start;
    if (left == 0) {
      break;
    }
    if (p[0] != link::kRequestFirst || (left >= 2 && p[1] != link::kRequestSecond)) {
      ++start;
      continue;
    }
    if (left <= link::frame_at::kLength) {
      break;
    }
    if (p[link::frame_at::kLength] < link::kMinLength) {
      ++start;
      continue;
    }
    const std::size_t whole = static_cast<std::size_t>(p[link::frame_at::kLength]) + 2;
    if (left < whole) {
      break;
    }
    frames.emplace_back(p, p + whole);
    start += whole;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
  return frames;
}

}  // namespace velmora::sim
