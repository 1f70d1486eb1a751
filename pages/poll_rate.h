#pragma once

#include <cstdint>
#include <deque>

namespace velmora::pages {

// The achieved live poll rate: the session's poll counter sampled on each
// user-interface tick, turned into polls per second over the last second.
class PollRateMeter {
 public:
  static constexpr std::int64_t kWindowUs = 1'000'000;

  // The counter read at `now_us`. A clock or a counter that goes back (a new
  // session) starts the measurement again.
  void Add(std::int64_t now_us, std::int64_t polls);
  void Reset() { samples_.clear(); }

  // Polls per second between the oldest kept sample and the newest; 0 until
  // the samples span some time.
  [[nodiscard]] double Rate() const;

 private:
  struct Sample {
    std::int64_t at_us;
    std::int64_t polls;
  };
  std::deque<Sample> samples_;
};

}  // namespace velmora::pages
