#pragma once

#include <cstdint>
#include <optional>
#include <random>

#include "core/bytes.h"
#include "sim/command_silence.h"

namespace velmora::sim {

// Faults on the answers, each counted over the requests the ECU accepted
// (1, 2, 3, ...): "every N" hits request N, 2N, ...; 0 switches it off.
struct FaultOptions {
  long drop_every = 0;      // no answer at all
  long bad_xor_every = 0;   // the check byte is wrong
  long truncate_every = 0;  // only the first half of the answer
  long delay_every = 0;     // the answer comes delay_ms late
  long delay_ms = 0;
  long garbage_every = 0;  // random bytes instead of the answer
  long silent_after = -1;  // no answers after this many requests; -1 = never
  CommandSilence silent_after_command{};
};

enum class FaultKind { kNone, kSilent, kDrop, kGarbage, kTruncate, kBadXor };

struct ShapedAnswer {
  FaultKind kind = FaultKind::kNone;
  std::optional<Bytes> bytes;  // nullopt: nothing is sent
  std::int64_t extra_delay_us = 0;
};

class FaultInjector {
 public:
  explicit FaultInjector(const FaultOptions& options, std::uint32_t seed = 1)
      : options_(options), rng_(seed) {}

  // Called once for every accepted request with the answer the ECU gives.
  [[nodiscard]] ShapedAnswer Shape(Bytes answer);
  [[nodiscard]] long RequestsSeen() const { return seen_; }
  [[nodiscard]] bool Silences(std::span<const std::uint8_t> request) {
    return options_.silent_after_command.Silences(request);
  }

 private:
  [[nodiscard]] static bool Hits(long every, long n) { return every > 0 && n % every == 0; }

  FaultOptions options_;
  std::mt19937 rng_;
  long seen_ = 0;
};

}  // namespace velmora::sim
