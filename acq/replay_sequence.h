#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calib/calibration_image.h"
#include "core/bytes.h"
#include "link/message_table.h"
#include "link/tuning_tables.h"

namespace velmora::acq {

// A recorded sequence of ECU answers: the time of each step in ms and its
// answer as hexadecimal text.
struct ReplaySequence {
  std::vector<std::int32_t> times;
  std::vector<std::string> answers;
  [[nodiscard]] std::size_t Size() const { return times.size(); }
};

// The steps of a traffic log or view file: every answer line ("ms R hex")
// whose time is a number, in file order.
[[nodiscard]] ReplaySequence ReadReplaySequence(std::string_view text);

// Where a replayed answer goes, told by its command byte and its length
// byte: the answers the program records and the shapes older recordings
// carry.
enum class ReplayTargetKind { kEntry, kTuningTable };
struct ReplayTarget {
  std::uint8_t command;
  std::array<std::uint8_t, 2> lengths;  // accepted length bytes (0: none)
  ReplayTargetKind kind;
  std::size_t entry;        // kEntry
  link::TuningTable table;  // kTuningTable
};

namespace replay_target {
inline constexpr std::size_t kObdEntry = 12;
inline constexpr std::array<ReplayTarget, 8> kTargets = {{
    {0x0C, {0x7C, 0x63}, ReplayTargetKind::kEntry, 1, link::TuningTable::kTBenz},
    {0x0D, {0x18, 0x0E}, ReplayTargetKind::kEntry, 2, link::TuningTable::kTBenz},
    {0x0E, {0x4F, 0x00}, ReplayTargetKind::kEntry, 3, link::TuningTable::kTBenz},
    {0x1B, {0x7D, 0x00}, ReplayTargetKind::kTuningTable, 0, link::TuningTable::kTBenz},
    {0x1C, {0x7D, 0x00}, ReplayTargetKind::kTuningTable, 0, link::TuningTable::kTGas},
    {0x20, {0x7D, 0x00}, ReplayTargetKind::kTuningTable, 0, link::TuningTable::kTRisult},
    {0x1F, {0x7D, 0x00}, ReplayTargetKind::kTuningTable, 0, link::TuningTable::kTIsto},
    {0x44, {0x5C, 0x3E}, ReplayTargetKind::kEntry, kObdEntry, link::TuningTable::kTBenz},
}};
}  // namespace replay_target

// The place of a target in the table.
[[nodiscard]] std::size_t TargetIndex(const ReplayTarget& target);

// The target of a whole answer frame (42 01 L command ... check, its
// length and check byte right); nullopt for anything else.
[[nodiscard]] std::optional<ReplayTarget> TargetOf(const Bytes& frame);

// Decodes one answer into its target as the session does with what it
// reads: an entry keeps it as its last answer and decodes it, a tuning
// table keeps the frame. Nothing happens to an answer without a target.
// The target, when there was one.
[[nodiscard]] std::optional<ReplayTarget> ReplayAnswer(std::string_view hex,
                                                       link::MessageTable& table,
                                                       calib::CalibrationImage& image);

}  // namespace velmora::acq
