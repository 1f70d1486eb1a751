#pragma once

#include <cstdint>

namespace velmora::core {

// Smoothing weights are tenths: 10 shows the raw reading, 1 moves a tenth of
// the way towards it per reading.
namespace smoothing {
inline constexpr int kMinWeight = 1;
inline constexpr int kMaxWeight = 10;
inline constexpr int kScale = 10;
}  // namespace smoothing

[[nodiscard]] constexpr int ClampSmoothingWeight(int k) {
  return k < smoothing::kMinWeight   ? smoothing::kMinWeight
         : k > smoothing::kMaxWeight ? smoothing::kMaxWeight
                                     : k;
}

// K/10 of the new reading plus (1 - K/10) of the value shown before, rounded
// to the nearest integer with halves to even. Worked in exact integers, so a
// steady reading is reached exactly and never overshot; the result always
// lies between the two inputs, so it fits 32 bits. A weight outside 1..10 is
// clamped first.
[[nodiscard]] constexpr std::int32_t SmoothReading(std::int32_t previous_shown,
                                                   std::int32_t reading, int k) {
  const std::int64_t w = ClampSmoothingWeight(k);
  const std::int64_t sum =
      w * static_cast<std::int64_t>(reading) + (smoothing::kScale - w) * previous_shown;
  std::int64_t q = sum / smoothing::kScale;
  std::int64_t r = sum % smoothing::kScale;
  if (r < 0) {  // floor division, so the remainder below is 0..9
    --q;
    r += smoothing::kScale;
  }
  if (2 * r > smoothing::kScale || (2 * r == smoothing::kScale && (q & 1) != 0)) {
    ++q;
  }
  return static_cast<std::int32_t>(q);
}

}  // namespace velmora::core
