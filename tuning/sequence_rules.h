#pragma once

#include <cstddef>

#include "link/message_table.h"

namespace velmora::tuning {

// Where the injection sequence lives in the calibration image.
namespace sequence_field {
inline constexpr std::size_t kSequenceEntry = 15;  // assignment, mode and reported order
inline constexpr std::size_t kFirstOutput = 6;     // gas output of channel i at 6 + i
inline constexpr std::size_t kMode = 78;           // sequence mode the ECU reports
inline constexpr std::size_t kFirstReported = 79;  // reported position of channel i
inline constexpr std::size_t kConfigEntry = 3;
inline constexpr std::size_t kCylinderCount = 1;  // entry 3
inline constexpr int kMaxChannels = 8;
}  // namespace sequence_field

// The cylinder count of entry 3, kept to 0..8: it indexes per-channel
// fields and, counted down from field 16, per-cylinder ones; a larger
// value from a damaged image must not reach past them.
[[nodiscard]] int CylinderCount(const link::MessageTable& table);

// True when every channel drives its own gas output (field 6 + i = i).
[[nodiscard]] bool IsStraightSequence(const link::MessageTable& table);

// SonoAnticipato's answer without the page: a shifted assignment while the
// ECU reports a mode other than 1 and 2. The auto-tuning refuses to start
// on it.
[[nodiscard]] bool IsShiftedSequence(const link::MessageTable& table);

}  // namespace velmora::tuning
