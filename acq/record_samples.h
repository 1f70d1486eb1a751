#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "acq/logger_types.h"

namespace velmora::acq {

// The two kinds of record the logger keeps, told apart by the answer they
// came from.
enum class RecordKind { kLive, kObd };

// Where the logger finds its values in the decoded records.
namespace record_fields {
// The OBD data record: fuel-system status (PID 03, two banks), then the four
// fuel trims, which are kept as percent.
inline constexpr std::array<std::size_t, 6> kObdLogged = {26, 27, 30, 34, 38, 42};
inline constexpr std::array<std::size_t, 4> kObdTrims = {30, 34, 38, 42};
inline constexpr std::int32_t kTrimZero = 128;   // raw count of a 0 % trim
inline constexpr std::int32_t kTrimRange = 100;  // percent at raw 0 (negative) and 256
}  // namespace record_fields

// A raw fuel-trim count as percent: the integer part (rounded down) of
// 100 / 128 x raw - 100, so 128 gives 0, 0 gives -100 and 255 gives 99.
[[nodiscard]] std::int32_t TrimPercent(std::int32_t raw);

using SampleRow = std::array<std::int32_t, logger::kStride>;

// The row a decoded live record gives: its time, then the field each
// channel shows (0 for a field the record lacks).
[[nodiscard]] SampleRow LiveRow(std::span<const std::int32_t> fields, const ChannelIds& ids,
                                std::int32_t ms);
// The row a decoded OBD data record gives: its time, the six logged fields
// with the trims as percent, then two zeros.
[[nodiscard]] SampleRow ObdRow(std::span<const std::int32_t> fields, std::int32_t ms);

// Appends one sample to both arrays: `row` to the array of its kind, the
// other array's previous values (zeros before its first record) with the
// same time.
void AppendSample(SampleTable& table, RecordKind kind, const SampleRow& row);

}  // namespace velmora::acq
