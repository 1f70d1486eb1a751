#pragma once

#include <string>
#include <vector>

namespace velmora::core {

// The round gauges' dial: angles in degrees, counter-clockwise from three
// o'clock (the painter's convention). The scale starts at the lower left and
// sweeps clockwise over the top to the lower right.
namespace gauge_dial {
inline constexpr double kStartDeg = 225;
inline constexpr double kSweepDeg = 270;
// Bounds on the tick generation, whatever a scale asks for.
inline constexpr int kMaxMajorTicks = 20;
inline constexpr int kMaxMinorPerMajor = 10;
}  // namespace gauge_dial

struct GaugeScale {
  double min = 0;
  double max = 100;
  double start_deg = gauge_dial::kStartDeg;
  double sweep_deg = gauge_dial::kSweepDeg;
};

// `value` held inside the scale; a value that is not a number reads as the
// minimum. A scale whose maximum is not above its minimum holds everything
// at its minimum.
[[nodiscard]] double ClampToScale(double value, const GaugeScale& scale);

// Where `value` sits on the scale, 0 at the minimum and 1 at the maximum.
[[nodiscard]] double ScaleFraction(double value, const GaugeScale& scale);

// The needle's angle for `value`.
[[nodiscard]] double NeedleAngle(double value, const GaugeScale& scale);

// A round step (1, 2, 2.5 or 5 times a power of ten) that divides `span`
// into at most `max_steps` parts; 1 for an empty or senseless span.
[[nodiscard]] double NiceStep(double span, int max_steps);

// The decimals a label needs to show multiples of `step` exactly (0 to 3).
[[nodiscard]] int StepDecimals(double step);

// `value` with `decimals` decimals, never "-0".
[[nodiscard]] std::string FormatFixed(double value, int decimals);

struct GaugeTick {
  double value = 0;
  double angle_deg = 0;
  bool major = false;
  std::string label;  // major ticks only
};

// The dial's ticks from the minimum to the maximum: major ticks on round
// steps with their labels (values divided by `label_divisor`, so that 0..8000
// rpm can read 0..8), `minor_per_major` - 1 minor ticks between them.
[[nodiscard]] std::vector<GaugeTick> GaugeTicks(const GaugeScale& scale, int max_major,
                                                int minor_per_major, double label_divisor = 1);

// A coloured band of the dial, from one value to another (in either order),
// clipped to the scale: the start angle and the (negative, clockwise) span.
struct ArcSpan {
  double start_deg = 0;
  double span_deg = 0;
};
[[nodiscard]] ArcSpan ZoneArc(double from, double to, const GaugeScale& scale);

}  // namespace velmora::core
