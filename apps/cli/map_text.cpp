#include "apps/cli/map_text.h"

#include <cstdio>

#include "core/text.h"

namespace velmora::cli {

namespace {

constexpr int kCellWidth = 6;
constexpr int kHeadWidth = 7;

std::string Padded(const std::string& text, int width) {
  const auto w = static_cast<std::size_t>(width);
  return text.size() >= w ? text + " " : std::string(w - text.size(), ' ') + text;
}

std::string Milliseconds(std::uint8_t step) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.3f", step * calib::axis::kTimeStepUs / 1000.0);
  return buf;
}

std::string Rpm(std::uint8_t step) {
  return std::to_string(step * calib::axis::kRpmStep);
}

std::string Joined(const Bytes& values, std::string (*as)(std::uint8_t)) {
  std::string out;
  for (std::size_t i = 0; i < values.size(); ++i) {
    out += (i == 0 ? "" : ",") + as(values[i]);
  }
  return out;
}

std::string Raw(std::uint8_t b) {
  return std::to_string(b);
}

}  // namespace

std::string MapGridText(int map, const calib::CalibrationImage& image,
                        const link::MessageTable& table) {
  using namespace map_grid;
  const Bytes& cells = image.Map(map);
  if (map < 0 || map >= kMaps || cells.size() != kRows * kColumns) {
    return {};
  }
  const bool pressure = map == kPressureMap;
  const bool rpm_known = image.rpm_vector.size() == kColumns;
  const bool time_known = image.time_vector.size() == kRows;
  std::string out = Padded(pressure ? "P\\rpm" : "ms\\rpm", kHeadWidth);
  for (std::size_t c = 0; c < kColumns; ++c) {
    out += Padded(rpm_known ? Rpm(image.rpm_vector[c]) : "#" + std::to_string(c), kCellWidth);
  }
  out += "\n";
  for (std::size_t r = 0; r < kRows; ++r) {
    std::string head;
    if (pressure) {
      head = std::to_string(table.Value(kPressureEntry, r));
    } else {
      head = time_known ? Milliseconds(image.time_vector[r]) : "#" + std::to_string(r);
    }
    out += Padded(head, kHeadWidth);
    for (std::size_t c = 0; c < kColumns; ++c) {
      out += Padded(std::to_string(cells[CellOffset(r, c)]), kCellWidth);
    }
    out += "\n";
  }
  return out;
}

std::string AxesText(const calib::CalibrationImage& image) {
  if (image.rpm_vector.size() != map_grid::kColumns ||
      image.time_vector.size() != map_grid::kRows) {
    return "the ECU's lookup tables give no breakpoints\n";
  }
  return "rpm breakpoints: " + Joined(image.rpm_vector, Raw) + "\n" +
         "rpm: " + Joined(image.rpm_vector, Rpm) + "\n" +
         "time breakpoints: " + Joined(image.time_vector, Raw) + "\n" +
         "time ms: " + Joined(image.time_vector, Milliseconds) + "\n";
}

std::optional<std::vector<std::uint8_t>> ParseByteList(const std::string& text, std::size_t count) {
  const auto parts = core::Split(text, ',');
  if (parts.size() != count) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> out;
  for (const std::string& p : parts) {
    const auto v = core::ParseInt32(core::Trim(p));
    if (!v || *v < 0 || *v > map_grid::kMaxValue) {
      return std::nullopt;
    }
    out.push_back(static_cast<std::uint8_t>(*v));
  }
  return out;
}

}  // namespace velmora::cli
