#include "acq/replay_sequence.h"

#include <algorithm>

#include "acq/log_rebuild.h"
#include "acq/traffic_log.h"
#include "core/text.h"

namespace velmora::acq {

namespace {

constexpr std::uint8_t kAnswerStart = 0x42;
constexpr std::uint8_t kAnswerDirection = 0x01;
constexpr std::size_t kLengthByte = 2;
constexpr std::size_t kCommandByte = 3;
constexpr std::size_t kShortestFrame = 6;
constexpr std::size_t kLengthOverhead = 2;  // the start and direction bytes

}  // namespace

ReplaySequence ReadReplaySequence(std::string_view text) {
  ReplaySequence seq;
  for (const std::string_view line : LinesOf(text)) {
    const AnswerLine a = SplitAnswerLine(line);
    if (a.mark != traffic_log::kAnswerWord || a.answer.empty()) {
      continue;
    }
    if (const auto ms = core::ParseInt32(a.time)) {
      seq.times.push_back(*ms);
      seq.answers.emplace_back(a.answer);
    }
  }
  return seq;
}

std::size_t TargetIndex(const ReplayTarget& target) {
  for (std::size_t i = 0; i < replay_target::kTargets.size(); ++i) {
    if (replay_target::kTargets[i].command == target.command) {
      return i;
    }
  }
  return 0;
}

std::optional<ReplayTarget> TargetOf(const Bytes& frame) {
  if (frame.size() < kShortestFrame || frame[0] != kAnswerStart || frame[1] != kAnswerDirection ||
      frame.size() != frame[kLengthByte] + kLengthOverhead || XorOf(frame) != 0) {
    return std::nullopt;
  }
  for (const ReplayTarget& t : replay_target::kTargets) {
    if (t.command == frame[kCommandByte] &&
        std::find(t.lengths.begin(), t.lengths.end(), frame[kLengthByte]) != t.lengths.end()) {
      return t;
    }
  }
  return std::nullopt;
}

std::optional<ReplayTarget> ReplayAnswer(std::string_view hex, link::MessageTable& table,
                                         calib::CalibrationImage& image) {
  Bytes frame;
  if (!HexInto(hex, frame)) {
    return std::nullopt;
  }
  const std::optional<ReplayTarget> target = TargetOf(frame);
  if (!target) {
    return std::nullopt;
  }
  if (target->kind == ReplayTargetKind::kTuningTable) {
    image.tuning.Get(target->table) = std::move(frame);
  } else {
    table.SetLastAnswer(target->entry, frame);
    table.DecodificaRisposta(frame, target->entry);
  }
  return target;
}

}  // namespace velmora::acq
