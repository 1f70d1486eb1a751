#pragma once

#include <cstdint>
#include <span>

#include "core/bytes.h"
#include "sim/engine_model.h"

namespace velmora::sim {

// Sizes of the answers built from the engine state.
inline constexpr std::size_t kLiveRecordSize = 120;
inline constexpr std::size_t kObdDataSize = 88;
inline constexpr std::size_t kMem10Size = 32;

// The ECU's working point under a stock calibration's axis tables: the row
// and column of the maps it is using.
[[nodiscard]] int RpmIndex(std::int32_t rpm);
[[nodiscard]] int InjectionTimeIndex(std::int32_t injection_us);

// The axis lookup tables the ECU holds (see sim/axis_tables.h).
struct AxisLookup {
  std::span<const std::uint8_t> rpm;
  std::span<const std::uint8_t> time;
};

// The raw rpm signal period the ECU measures: 15 000 000 / (rpm x factor),
// rounded, at most 65535; a factor other than 2 counts as 1, and a stopped
// engine gives 0.
[[nodiscard]] std::uint16_t RpmPeriod(std::int32_t rpm, int factor);

// The engine condition the ECU reports (live record field 38, bit 0): a
// steady idle, under which acquisitions and the error erase are allowed.
[[nodiscard]] bool EngineConditionOk(const EngineState& s);

// The 120 data bytes of the main live record; the working point is looked
// up in `axes`.
[[nodiscard]] Bytes LiveRecordData(const EngineState& s, int cylinders, int rpm_factor,
                                   const AxisLookup& axes);

// Writes the OBD readings the ECU gathers from the car (the PID groups of
// data bytes 25..55) into the 88 data bytes of the OBD data record.
void PutObdReadings(const EngineState& s, std::span<std::uint8_t> obd);
inline constexpr std::size_t kObdLiveFirst = 25;
inline constexpr std::size_t kObdLiveLast = 55;

// A 32-byte memory trace record of the moment.
[[nodiscard]] Bytes Mem10Data(const EngineState& s, std::uint8_t counter);

}  // namespace velmora::sim
