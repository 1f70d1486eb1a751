#pragma once

#include <cstdint>
#include <span>

#include "core/bytes.h"

namespace velmora::sim {

// The ECU finds the map cell of its working point through two lookup tables:
// entry v of the rpm table (v = rpm / 64) is the map's rpm index, entry v of
// the injection-time table (v = petrol time / 128 us) its injection-time
// index.
namespace axis {
inline constexpr std::size_t kRpmTableSize = 128;
inline constexpr std::size_t kTimeTableSize = 180;
inline constexpr std::int32_t kRpmStep = 64;
inline constexpr std::int32_t kTimeStepUs = 128;
inline constexpr std::size_t kRpmBreakpoints = 24;
inline constexpr std::size_t kTimeBreakpoints = 23;
}  // namespace axis

// The lookup table for breakpoints that start at 0 and rise strictly, each
// below `size`: entries from breakpoint k up to the next hold k, entries from
// the last breakpoint on hold the last index. Empty for breakpoints that do
// not qualify.
[[nodiscard]] Bytes AxisTableFromBreakpoints(std::span<const int> breakpoints, std::size_t size);

// The tables of a stock calibration.
[[nodiscard]] Bytes FactoryRpmTable();
[[nodiscard]] Bytes FactoryTimeTable();

// The index the table gives for a value; values beyond the table take its
// last entry, an empty table gives 0.
[[nodiscard]] int RpmIndexIn(std::span<const std::uint8_t> table, std::int32_t rpm);
[[nodiscard]] int TimeIndexIn(std::span<const std::uint8_t> table, std::int32_t injection_us);

}  // namespace velmora::sim
