#include "calib/axis_vectors.h"

#include <algorithm>

namespace velmora::calib {
namespace {

// Fills `table` so that entry v holds the index of the interval of
// `points` that contains v; false when the points do not start at 0, do
// not rise strictly or reach past the table.
template <std::size_t N>
[[nodiscard]] bool FillTable(const std::array<std::uint8_t, N>& points, Bytes* table) {
  const std::size_t size = table->size();
  if (points[0] != 0) {
    return false;
  }
  for (std::size_t i = 1; i < N; ++i) {
    if (points[i] <= points[i - 1] || points[i] >= size) {
      return false;
    }
  }
  for (std::size_t i = 1; i < N; ++i) {
    std::fill(table->begin() + points[i - 1], table->begin() + points[i],
              static_cast<std::uint8_t>(i - 1));
  }
  std::fill(table->begin() + points[N - 1], table->end(), static_cast<std::uint8_t>(N - 1));
  return true;
}

// The entry at which each index first appears. The index must start at 0,
// rise by exactly one where it changes, and end on the last breakpoint:
// a table that stops short leaves the upper breakpoints undefined, and no
// set of breakpoints produces one.
template <std::size_t N>
[[nodiscard]] bool ReadTable(std::span<const std::uint8_t> table,
                             std::array<std::uint8_t, N>* points) {
  std::array<std::uint8_t, N> found{};
  if (table.empty() || table[0] != 0) {
    return false;
  }
  std::size_t index = 0;
  for (std::size_t v = 1; v < table.size(); ++v) {
    if (table[v] == index) {
      continue;
    }
    if (table[v] != index + 1 || index + 1 >= N) {
      return false;
    }
    ++index;
    found[index] = static_cast<std::uint8_t>(v);
  }
  if (index != N - 1) {
    return false;
  }
  *points = found;
  return true;
}

}  // namespace

AxisFailure VectorsToTables(const AxisBreakpoints& vectors, AxisTables* out) {
  if (out == nullptr) {
    return AxisFailure::kUnexpected;
  }
  Bytes rpm(axis::kRpmTableSize, 0);
  Bytes time(axis::kTimeTableSize, 0);
  if (!FillTable(vectors.rpm, &rpm)) {
    return AxisFailure::kRpmVector;
  }
  if (!FillTable(vectors.time, &time)) {
    return AxisFailure::kTimeVector;
  }
  out->rpm = std::move(rpm);
  out->time = std::move(time);
  return AxisFailure::kNone;
}

AxisFailure TablesToVectors(std::span<const std::uint8_t> rpm_table,
                            std::span<const std::uint8_t> time_table, AxisBreakpoints* out) {
  if (out == nullptr || rpm_table.size() != axis::kRpmTableSize ||
      time_table.size() != axis::kTimeTableSize) {
    return AxisFailure::kUnexpected;
  }
  AxisBreakpoints found;
  if (!ReadTable(rpm_table, &found.rpm) || !ReadTable(time_table, &found.time)) {
    return AxisFailure::kIndexJump;
  }
  *out = found;
  return AxisFailure::kNone;
}

}  // namespace velmora::calib
