#include "pages/switch_over_rules.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "core/text.h"

namespace velmora::pages {

namespace rc = rpm_conversion;

namespace {

constexpr std::size_t kMaxCylinders = 8;
constexpr std::int32_t kOutputOn = 1;
constexpr std::int32_t kEnableBoth = 3;  // monitored, with the second action
constexpr double kSensorMvPerStep = 5000.0 / 255;

// The integer part of a quotient, 65535 when it is not below 65535.
std::int32_t Period(double quotient) {
  if (!(quotient < rc::kInvalid) || quotient < 0) {
    return rc::kInvalid;
  }
  return static_cast<std::int32_t>(std::floor(quotient));
}

}  // namespace

float ConstantA(std::int32_t coils, std::int32_t cylinders) {
  if (cylinders == 0 || coils >= rc::kMaxLayout || cylinders >= rc::kMaxLayout) {
    return 1.0F;
  }
  return static_cast<float>((static_cast<double>(coils) * rc::kCoilNumerator) /
                            (static_cast<double>(cylinders) * rc::kCylinderDivisor));
}

SpeedWords RpmConversion(double rpm, std::int32_t coils, std::int32_t cylinders,
                         std::int32_t factor) {
  const double r = rpm > rc::kOffset ? rpm - rc::kOffset : rpm;
  if (!(r != 0) || !std::isfinite(r)) {
    return {};
  }
  const double a = ConstantA(coils, cylinders);
  const double b = factor == rc::kFactorTwo ? rc::kFactor2Numerator : rc::kFactor1Numerator;
  return {Period(a / r), Period(b / r)};
}

std::optional<std::int32_t> ShownSwitchSpeed(std::int32_t coils, std::int32_t cylinders,
                                             std::int32_t period) {
  if (period == 0) {
    return std::nullopt;
  }
  const double a = ConstantA(coils, cylinders);
  auto v = static_cast<std::int32_t>(std::trunc(a / period));
  if (v > rc::kOffset) {
    v -= rc::kOffset;
  }
  return v;
}

std::optional<double> LeadingNumber(std::string_view item) {
  const std::string_view t = core::Trim(item);
  std::string norm;
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '-' || t[i] == '+')) {
    norm.push_back(t[i++]);
  }
  bool digits = false;
  bool point = false;
  for (; i < t.size(); ++i) {
    const char c = t[i];
    if (c >= '0' && c <= '9') {
      norm.push_back(c);
      digits = true;
    } else if ((c == '.' || c == ',') && !point) {
      norm.push_back('.');
      point = true;
    } else {
      break;
    }
  }
  if (!digits) {
    return std::nullopt;
  }
  const auto v = core::PlainDecimal(norm);
  return v && std::isfinite(*v) ? v : std::nullopt;
}

int FirstNotBelow(const std::vector<std::optional<double>>& numbers, double v) {
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (numbers[i] && *numbers[i] >= v) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int FirstEqual(const std::vector<std::optional<double>>& numbers, double v) {
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (numbers[i] && *numbers[i] == v) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::vector<std::int32_t> SensitivitySteps(const core::ClsLingue& lingue) {
  std::vector<std::string> items = KeyItems(lingue, kSensitivityKey);
  if (items.empty()) {
    items = core::Split(kBuiltInSensitivity, '|');
  }
  std::vector<std::int32_t> steps;
  for (const std::string& item : items) {
    if (const auto v = core::ParseInt32(item)) {
      steps.push_back(*v);
    }
  }
  return steps;
}

std::string SensitivityText(std::int32_t step) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.0f mV", std::round(step * kSensorMvPerStep));
  return buf;
}

std::vector<CylinderRecord> CylinderRecords(std::int32_t cylinders) {
  std::vector<CylinderRecord> out;
  out.push_back({sw_word::kBlock3, static_cast<std::int32_t>(sw_word::kCylinders), cylinders});
  for (std::size_t k = 0; k < kMaxCylinders; ++k) {
    const auto present = static_cast<std::int32_t>(k) < cylinders || k == 0;
    out.push_back({sw_word::kBlock3, static_cast<std::int32_t>(sw_word::kLastOutput - k),
                   present ? kOutputOn : 0});
  }
  for (std::size_t k = 0; k < kMaxCylinders; ++k) {
    out.push_back({sw_word::kBlock6, static_cast<std::int32_t>(sw_word::kFirstChannel + k),
                   static_cast<std::int32_t>(k)});
  }
  for (std::size_t k = 0; k < kMaxCylinders; ++k) {
    out.push_back({sw_word::kBlock6, static_cast<std::int32_t>(sw_word::kFirstEnable + k),
                   static_cast<std::int32_t>(k) < cylinders ? kEnableBoth : 0});
  }
  return out;
}

}  // namespace velmora::pages
