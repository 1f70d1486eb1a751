#include "link/server/answer_assembler.h"

#include "link/ecu_frame.h"

namespace velmora::link::server {
namespace {

// Far more than any answer; only a line spewing noise comes near it.
constexpr std::size_t kMaxPending = 4096;

}  // namespace

AnswerAssembler::State AnswerAssembler::Feed(std::span<const std::uint8_t> bytes) {
  if (state_ != State::kIncomplete) {
    return state_;
  }
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  state_ = Scan();
  return state_;
}

AnswerAssembler::State AnswerAssembler::Scan() {
  // Every 0x42 0x01 is a possible start: noise that looks like a start with a
  // large length byte must not hide the real answer behind it, so each
  // candidate is judged on its own once its length is in.
  const std::size_t n = pending_.size();
  for (std::size_t i = 0; i + frame_at::kLength < n; ++i) {
    if (pending_[i] != kAnswerFirst || pending_[i + 1] != kAnswerSecond) {
      continue;
    }
    const std::uint8_t length = pending_[i + frame_at::kLength];
    const std::size_t whole = static_cast<std::size_t>(length) + 2;
    if (length < kMinLength || i + whole > n) {
      continue;
    }
    const std::span<const std::uint8_t> frame(pending_.data() + i, whole);
    if (command_ && frame[frame_at::kCommand] != *command_) {
      continue;  // a late answer to an earlier request, or noise
    }
    frame_.assign(frame.begin(), frame.end());
    return CheckXor(frame) == 0 ? State::kComplete : State::kBadCheck;
  }
  if (n > kMaxPending) {
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n / 2));
  }
  return State::kIncomplete;
}

}  // namespace velmora::link::server
