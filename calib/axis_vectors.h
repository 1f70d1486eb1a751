#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/bytes.h"

namespace velmora::calib {

// The breakpoints of the map axes and the ECU's lookup tables they become.
namespace axis {
inline constexpr std::size_t kRpmBreakpoints = 24;   // map columns
inline constexpr std::size_t kTimeBreakpoints = 23;  // map rows
inline constexpr std::size_t kRpmTableSize = 128;    // entry v: rpm v x 64
inline constexpr std::size_t kTimeTableSize = 180;   // entry v: v x 128 us
inline constexpr int kRpmStep = 64;                  // rpm per byte
inline constexpr int kTimeStepUs = 128;              // microseconds per byte
}  // namespace axis

// Why a conversion failed; the number is the one the user is told.
enum class AxisFailure {
  kNone = 0,
  kUnexpected = 1,
  kIndexJump = 2,   // a table's index does not start at 0 or rise by one
  kRpmVector = 3,   // rpm breakpoints not 0, rising, at most 127
  kTimeVector = 4,  // injection-time breakpoints not 0, rising, at most 179
};

struct AxisBreakpoints {
  std::array<std::uint8_t, axis::kRpmBreakpoints> rpm{};
  std::array<std::uint8_t, axis::kTimeBreakpoints> time{};
  friend bool operator==(const AxisBreakpoints&, const AxisBreakpoints&) = default;
};

struct AxisTables {
  Bytes rpm;   // 128 bytes
  Bytes time;  // 180 bytes
};

// Breakpoints to lookup tables. On failure `out` is left as it was.
[[nodiscard]] AxisFailure VectorsToTables(const AxisBreakpoints& vectors, AxisTables* out);

// Lookup tables to breakpoints: the entry at which index k first appears
// is breakpoint k. A table of the wrong size gives kUnexpected; one whose
// index does not start at 0, skips a value, passes the last breakpoint or
// never reaches it gives kIndexJump. On failure `out` is left as it was.
[[nodiscard]] AxisFailure TablesToVectors(std::span<const std::uint8_t> rpm_table,
                                          std::span<const std::uint8_t> time_table,
                                          AxisBreakpoints* out);

}  // namespace velmora::calib
