#include "core/gauge_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace velmora::core {

namespace {

// Multipliers of a power of ten that read well on a dial.
constexpr std::array<double, 4> kNiceMantissas = {1, 2, 2.5, 5};
constexpr int kMaxDecimals = 3;

bool Usable(const GaugeScale& s) {
  return std::isfinite(s.min) && std::isfinite(s.max) && s.max > s.min &&
         std::isfinite(s.max - s.min);
}

}  // namespace

double ClampToScale(double value, const GaugeScale& scale) {
  if (!Usable(scale) || std::isnan(value)) {
    return std::isfinite(scale.min) ? scale.min : 0;
  }
  return std::clamp(value, scale.min, scale.max);
}

double ScaleFraction(double value, const GaugeScale& scale) {
  if (!Usable(scale)) {
    return 0;
  }
  return (ClampToScale(value, scale) - scale.min) / (scale.max - scale.min);
}

double NeedleAngle(double value, const GaugeScale& scale) {
  return scale.start_deg - ScaleFraction(value, scale) * scale.sweep_deg;
}

double NiceStep(double span, int max_steps) {
  if (!std::isfinite(span) || span <= 0 || max_steps < 1) {
    return 1;
  }
  const double raw = span / max_steps;
  double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (int round = 0; round < 2; ++round) {
    for (double m : kNiceMantissas) {
      // A small tolerance keeps 8000 / 8 from coming out as 2000.
      if (m * power >= raw * (1 - 1e-9)) {
        return m * power;
      }
    }
    power *= 10;
  }
  return power;
}

int StepDecimals(double step) {
  if (!std::isfinite(step) || step <= 0) {
    return 0;
  }
  for (int d = 0; d < kMaxDecimals; ++d) {
    const double scaled = step * std::pow(10.0, d);
    if (std::fabs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, scaled)) {
      return d;
    }
  }
  return kMaxDecimals;
}

std::string FormatFixed(double value, int decimals) {
  if (!std::isfinite(value)) {
    return "-";
  }
  decimals = std::clamp(decimals, 0, kMaxDecimals + 3);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  std::string s = buf;
  // Rounding a small negative value must not leave a minus sign alone.
  if (s.front() == '-' && s.find_first_not_of("-0.") == std::string::npos) {
    s.erase(0, 1);
  }
  return s;
}

std::vector<GaugeTick> GaugeTicks(const GaugeScale& scale, int max_major, int minor_per_major,
                                  double label_divisor) {
  std::vector<GaugeTick> ticks;
  if (!Usable(scale)) {
    return ticks;
  }
  max_major = std::clamp(max_major, 1, gauge_dial::kMaxMajorTicks);
  minor_per_major = std::clamp(minor_per_major, 1, gauge_dial::kMaxMinorPerMajor);
  if (!std::isfinite(label_divisor) || label_divisor == 0) {
    label_divisor = 1;
  }
  const double step = NiceStep(scale.max - scale.min, max_major);
  const double minor = step / minor_per_major;
  const int decimals = StepDecimals(step / label_divisor);
  const double first = std::ceil(scale.min / minor - 1e-9);
  const double last = std::floor(scale.max / minor + 1e-9);
  // A round step never gives more ticks than this; the cap also keeps a
  // scale too wide for double precision from looping.
  const int cap = (max_major + 1) * minor_per_major + 1;
  const double count = last - first + 1;
  if (!std::isfinite(count) || count < 1) {
    return ticks;
  }
  const int n = static_cast<int>(std::min<double>(count, cap));
  for (int i = 0; i < n; ++i) {
    const double v = (first + i) * minor;
    GaugeTick t;
    t.value = v;
    t.angle_deg = NeedleAngle(v, scale);
    const double in_step = v / step;
    t.major = std::fabs(in_step - std::round(in_step)) < 1e-6;
    if (t.major) {
      t.label = FormatFixed(v / label_divisor, decimals);
    }
    ticks.push_back(std::move(t));
  }
  return ticks;
}

ArcSpan ZoneArc(double from, double to, const GaugeScale& scale) {
  const double a = NeedleAngle(std::min(from, to), scale);
  const double b = NeedleAngle(std::max(from, to), scale);
  return {a, b - a};
}

}  // namespace velmora::core
