#include "link/server/answer_assembler.h"

#include "link/ecu_frame.h"

namespace velmora::link::server {
namespace {

// Length byte + command + check byte: the least a frame can count.
constexpr std::uint8_t kMinLength = 3;
constexpr std::size_t kLengthOffset = 2;
constexpr std::size_t kCommandOffset = 3;

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
  std::size_t start = 0;
  auto drop = [&](std::size_t n) { start += n; };
  State result = State::kIncomplete;
  for (;;) {
    const std::size_t left = pending_.size() - start;
    const std::uint8_t* p = pending_.data() + start;
    if (left == 0) {
      break;
    }
    if (p[0] != kAnswerFirst || (left >= 2 && p[1] != kAnswerSecond)) {
      drop(1);
      continue;
    }
    if (left <= kLengthOffset) {
      break;
    }
    const std::uint8_t length = p[kLengthOffset];
    if (length < kMinLength) {
      drop(1);
      continue;
    }
    const std::size_t whole = static_cast<std::size_t>(length) + 2;
    if (left < whole) {
      break;
    }
    const std::span<const std::uint8_t> frame(p, whole);
    const bool ours = !command_ || frame[kCommandOffset] == *command_;
    const bool check_ok = CheckXor(frame) == 0;
    if (ours && check_ok) {
      frame_.assign(frame.begin(), frame.end());
      result = State::kComplete;
      break;
    }
    if (ours) {
      frame_.assign(frame.begin(), frame.end());
      result = State::kBadCheck;
      break;
    }
    // A frame for another command: skip it whole when it is sound, else the
    // start was noise and the real start may lie inside it.
    drop(check_ok ? whole : 1);
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
  return result;
}

}  // namespace velmora::link::server
