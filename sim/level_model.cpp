#include "sim/level_model.h"

#include <algorithm>
#include <cmath>

namespace velmora::sim {

namespace {
constexpr double kMvPerStep = 19.6;  // one step of the ECU's converter
}  // namespace

std::int32_t LevelLeds(std::int32_t level_mv, const LevelCurveSteps& curve, std::int32_t fallback) {
  if (std::all_of(curve.begin(), curve.end(), [](std::int32_t p) { return p == 0; })) {
    return fallback;
  }
  const auto step = static_cast<std::int32_t>(std::lround(level_mv / kMvPerStep));
  const bool rising = curve.back() >= curve.front();
  std::int32_t leds = 0;
  for (std::size_t i = 1; i < curve.size(); ++i) {
    leds += (rising ? step >= curve[i] : step <= curve[i]) ? 1 : 0;
  }
  return leds;
}

}  // namespace velmora::sim
