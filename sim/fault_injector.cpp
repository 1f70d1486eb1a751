#include "sim/fault_injector.h"

#include "link/ecu_frame.h"

namespace velmora::sim {
namespace {

constexpr std::int64_t kMicrosPerMilli = 1000;

}  // namespace

ShapedAnswer FaultInjector::Shape(Bytes answer) {
  const long n = ++seen_;
  ShapedAnswer out;
  if (Hits(options_.delay_every, n)) {
    out.extra_delay_us = options_.delay_ms * kMicrosPerMilli;
  }
  if (options_.silent_after >= 0 && n > options_.silent_after) {
    out.kind = FaultKind::kSilent;
    return out;
  }
  if (Hits(options_.drop_every, n)) {
    out.kind = FaultKind::kDrop;
    return out;
  }
  if (Hits(options_.garbage_every, n)) {
    out.kind = FaultKind::kGarbage;
    Bytes noise(answer.size());
    std::uniform_int_distribution<int> byte(0, 255);
    for (std::uint8_t& b : noise) {
      b = static_cast<std::uint8_t>(byte(rng_));
      // Never the start of an answer, so the noise cannot pass for one.
      if (b == link::kAnswerFirst) {
        b = 0x00;
      }
    }
    out.bytes = std::move(noise);
    return out;
  }
  if (Hits(options_.truncate_every, n)) {
    out.kind = FaultKind::kTruncate;
    answer.resize(answer.size() / 2);
    out.bytes = std::move(answer);
    return out;
  }
  if (Hits(options_.bad_xor_every, n) && !answer.empty()) {
    out.kind = FaultKind::kBadXor;
    answer.back() ^= 0xFF;
    out.bytes = std::move(answer);
    return out;
  }
  out.bytes = std::move(answer);
  return out;
}

}  // namespace velmora::sim
