#include "sim/axis_tables.h"

#include <algorithm>
#include <array>

namespace velmora::sim {
namespace {

// 24 speeds in steps of 64 rpm (0 .. 8000 rpm) and 23 petrol injection times
// in steps of 128 us (0 .. 20 ms), dense where an engine spends its time.
constexpr std::array<int, axis::kRpmBreakpoints> kFactoryRpm = {0,  9,  12, 16, 20,  23,  27,  31,
                                                                35, 39, 43, 47, 51,  55,  59,  63,
                                                                70, 78, 86, 94, 102, 109, 117, 125};
constexpr std::array<int, axis::kTimeBreakpoints> kFactoryTime = {
    0,  12, 16, 20, 23, 27,  31,  35,  39,  43,  47, 55,
    62, 70, 78, 86, 94, 102, 109, 117, 125, 141, 156};

int IndexIn(std::span<const std::uint8_t> table, std::int32_t step_value) {
  if (table.empty()) {
    return 0;
  }
  const auto last = static_cast<std::int32_t>(table.size()) - 1;
  return table[static_cast<std::size_t>(std::clamp(step_value, 0, last))];
}

}  // namespace

Bytes AxisTableFromBreakpoints(std::span<const int> breakpoints, std::size_t size) {
  if (breakpoints.empty() || breakpoints.front() != 0) {
    return {};
  }
  for (std::size_t i = 1; i < breakpoints.size(); ++i) {
    if (breakpoints[i] <= breakpoints[i - 1] || breakpoints[i] >= static_cast<int>(size)) {
      return {};
    }
  }
  Bytes table(size);
  std::size_t k = 0;
  for (std::size_t v = 0; v < size; ++v) {
    while (k + 1 < breakpoints.size() && static_cast<int>(v) >= breakpoints[k + 1]) {
      ++k;
    }
    table[v] = static_cast<std::uint8_t>(k);
  }
  return table;
}

Bytes FactoryRpmTable() {
  return AxisTableFromBreakpoints(kFactoryRpm, axis::kRpmTableSize);
}

Bytes FactoryTimeTable() {
  return AxisTableFromBreakpoints(kFactoryTime, axis::kTimeTableSize);
}

int RpmIndexIn(std::span<const std::uint8_t> table, std::int32_t rpm) {
  return IndexIn(table, rpm / axis::kRpmStep);
}

int TimeIndexIn(std::span<const std::uint8_t> table, std::int32_t injection_us) {
  return IndexIn(table, injection_us / axis::kTimeStepUs);
}

}  // namespace velmora::sim
