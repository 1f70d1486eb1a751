#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace velmora::pages {

// The six-point gas-level curve: sensor readings, one byte each, in steps of
// 5 V / 255 (19.6 mV), from the empty end (point 0) to the full end
// (point 5).
namespace level_curve {
inline constexpr std::size_t kPoints = 6;
inline constexpr double kStepMv = 19.6;
inline constexpr std::int32_t kMaxStep = 255;
}  // namespace level_curve

using LevelCurve = std::array<std::int32_t, level_curve::kPoints>;

enum class CurveEnd { kEmpty, kFull };

// The curve stretched so that its `end` meets `target` while the other end
// stays: every point keeps its share of the way between the ends. A curve
// whose ends coincide is laid out evenly between them instead. Points are
// rounded halves to even and kept within a byte.
[[nodiscard]] LevelCurve RescaleCurve(const LevelCurve& curve, CurveEnd end, std::int32_t target);

// A reading in millivolts as a curve step, kept within a byte.
[[nodiscard]] std::int32_t StepOfMv(double mv);

// A point as the page shows it: volts with two decimals and " (v)".
[[nodiscard]] std::string PointText(std::int32_t step);

}  // namespace velmora::pages
