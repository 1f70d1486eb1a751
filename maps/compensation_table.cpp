#include "maps/compensation_table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "core/key_file.h"
#include "core/text.h"

namespace velmora::maps {

namespace cp = compensation;

namespace {

constexpr double kSensorDiv = heading::kPressureSensorDiv;

bool Valid(int kind) {
  return kind >= 0 && kind < cp::kKinds;
}

std::string TwoDecimals(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(core::RoundHalfEven(v * 100)) / 100);
  return buf;
}

std::vector<std::int32_t> Multipliers(const std::string& line) {
  std::vector<std::int32_t> out;
  for (const std::string& item : core::Split(line, '|')) {
    out.push_back(core::ParseInt32(item).value_or(0));
  }
  return out;
}

}  // namespace

CompensationValues ReadCompensation(const link::MessageTable& table, int kind) {
  CompensationValues v;
  if (!Valid(kind)) {
    return v;
  }
  const CompensationKind& k = kCompensationKinds[static_cast<std::size_t>(kind)];
  for (std::size_t i = 0; i < cp::kPairs; ++i) {
    v.breakpoints[i] = table.Value(k.entry, 2 * i);
    v.corrections[i] = table.Value(k.entry, 2 * i + 1);
  }
  v.in_use = table.Value(k.entry, k.in_use_field);
  return v;
}

void StoreCompensation(link::MessageTable& table, int kind, const CompensationValues& values) {
  if (!Valid(kind)) {
    return;
  }
  const CompensationKind& k = kCompensationKinds[static_cast<std::size_t>(kind)];
  for (std::size_t i = 0; i < cp::kPairs; ++i) {
    table.SetValue(k.entry, 2 * i, values.breakpoints[i]);
    table.SetValue(k.entry, 2 * i + 1, values.corrections[i]);
  }
  table.SetValue(k.entry, k.in_use_field, values.in_use);
}

std::int32_t PressureScaling::Of(const std::optional<std::vector<std::int32_t>>& list, int column) {
  if (!list || column < 1 || static_cast<std::size_t>(column) > list->size()) {
    return cp::kDefaultMultiplier;
  }
  const std::int32_t m = (*list)[static_cast<std::size_t>(column - 1)];
  return m == 0 ? cp::kDefaultMultiplier : m;
}

PressureScaling ReadPressureScaling(const std::vector<std::string>& lines) {
  PressureScaling s;
  core::KeyFileCursor cursor(lines);
  while (!cursor.Done()) {
    const std::string_view key = core::Trim(cursor.Line());
    std::optional<std::vector<std::int32_t>>* into =
        key == kScaleKey ? &s.breakpoints : (key == kCorrectionKey ? &s.corrections : nullptr);
    if (into == nullptr) {
      cursor.Next();
      continue;
    }
    const auto values = cursor.TakeKey(1);
    *into = Multipliers(values.empty() ? std::string() : values.front());
  }
  for (const auto& [list, key] :
       {std::pair{&s.breakpoints, kScaleKey}, std::pair{&s.corrections, kCorrectionKey}}) {
    if (!*list) {
      s.errors.push_back("Error: \"" + std::string(key) + "\" not found!");
    }
  }
  return s;
}

double PressureHeading(std::int32_t multiplier, std::int32_t mbar) {
  const double scaled = std::trunc(static_cast<double>(multiplier) * mbar / cp::kPressureScale);
  return static_cast<double>(core::RoundHalfEven(scaled / cp::kPressureScale * 100)) / 100;
}

std::string BreakpointText(int kind, std::int32_t raw, int column, const PressureScaling& scaling) {
  switch (kind) {
    case cp::kGasPressure:
      if (!scaling.breakpoints) {
        return std::to_string(raw);
      }
      return TwoDecimals(PressureHeading(PressureScaling::Of(scaling.breakpoints, column), raw));
    case cp::kPetrolPressure:
      return TwoDecimals(raw / kSensorDiv);
    default:
      return std::to_string(raw);
  }
}

std::string PetrolBarText(std::int32_t byte, PressureLine line) {
  if (line.m == 0 && line.q == 0) {
    return std::to_string(byte);
  }
  return TwoDecimals(byte / kSensorDiv * line.m + line.q);
}

std::int32_t ShownCorrection(int kind, std::int32_t raw, int column,
                             const PressureScaling& scaling) {
  if (kind != cp::kGasPressure) {
    return raw;
  }
  const double m = PressureScaling::Of(scaling.corrections, column);
  return static_cast<std::int32_t>(core::RoundHalfEven(raw * m / cp::kPressureScale));
}

std::int32_t RawCorrection(int kind, std::int32_t shown, int column,
                           const PressureScaling& scaling) {
  if (kind != cp::kGasPressure) {
    return shown;
  }
  const double m = PressureScaling::Of(scaling.corrections, column);
  return static_cast<std::int32_t>(core::RoundHalfEven(shown * cp::kPressureScale / m));
}

std::optional<std::vector<std::int32_t>> CentredCorrections(int kind, std::span<const double> x,
                                                            int column, int factor) {
  const bool temperature = kind == cp::kGasTemperature || kind == cp::kReducerTemperature;
  const bool pressure = kind == cp::kGasPressure || kind == cp::kPetrolPressure;
  if ((!temperature && !pressure) || column < cp::kFirstCentreColumn ||
      column > cp::kLastCentreColumn || static_cast<std::size_t>(column) > x.size()) {
    return std::nullopt;
  }
  const double x0 = x[static_cast<std::size_t>(column - 1)];
  // The rule divides by the reference: a pressure of 0 (an unset
  // breakpoint) would make every other column infinite.
  if ((pressure && !(x0 > 0)) || (temperature && !(x0 + cp::kZeroCelsiusK > 0))) {
    return std::nullopt;
  }
  const double f = factor;
  std::vector<std::int32_t> out;
  out.reserve(x.size());
  for (const double xc : x) {
    double c = 0;
    if (temperature) {
      c = f * std::sqrt(std::max(0.0, (xc + cp::kZeroCelsiusK) / (x0 + cp::kZeroCelsiusK))) - f;
    } else {
      c = f - f * std::sqrt(std::max(0.0, xc / x0));
    }
    const auto rounded = core::RoundHalfEven(c);
    out.push_back(static_cast<std::int32_t>(
        std::clamp<std::int64_t>(rounded, cp::kMinCorrection, cp::kMaxCorrection)));
  }
  return out;
}

int OperatingColumn(const CompensationValues& values, double value) {
  int column = 1;
  for (int i = 0; i < cp::kPairs; ++i) {
    if (values.breakpoints[static_cast<std::size_t>(i)] > value) {
      break;
    }
    column = i + 1;
  }
  return column;
}

}  // namespace velmora::maps
