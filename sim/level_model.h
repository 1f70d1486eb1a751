#pragma once

#include <array>
#include <cstdint>

namespace velmora::sim {

// The gas-level curve the ECU keeps in block 3 (data bytes 32..37): six
// sensor readings in 19.6 mV steps, from the reserve mark to full.
inline constexpr std::size_t kLevelCurvePoints = 6;
using LevelCurveSteps = std::array<std::int32_t, kLevelCurvePoints>;

// The LEDs of the level display for a sensor reading in mV: one for every
// curve point after the reserve mark that the reading has reached (a curve
// that falls towards full, as an inverted sensor gives, is read the other
// way). A curve of zeros was never set: `fallback` stands.
[[nodiscard]] std::int32_t LevelLeds(std::int32_t level_mv, const LevelCurveSteps& curve,
                                     std::int32_t fallback);

}  // namespace velmora::sim
