#include "pages/poll_rate.h"

namespace velmora::pages {

void PollRateMeter::Add(std::int64_t now_us, std::int64_t polls) {
  if (!samples_.empty() && (now_us < samples_.back().at_us || polls < samples_.back().polls)) {
    samples_.clear();
  }
  samples_.push_back({now_us, polls});
  // Keep the newest sample that is at least a window old, so the rate
  // always covers a whole second once there is one.
  while (samples_.size() >= 2 && samples_[1].at_us <= now_us - kWindowUs) {
    samples_.pop_front();
  }
}

double PollRateMeter::Rate() const {
  if (samples_.size() < 2) {
    return 0;
  }
  const Sample& first = samples_.front();
  const Sample& last = samples_.back();
  const std::int64_t span = last.at_us - first.at_us;
  if (span <= 0) {
    return 0;
  }
  return static_cast<double>(last.polls - first.polls) * 1e6 / static_cast<double>(span);
}

}  // namespace velmora::pages
