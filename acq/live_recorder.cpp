#include "acq/live_recorder.h"

#include <limits>

#include "core/text.h"
#include "link/message_table.h"

namespace velmora::acq {

SampleRing::SampleRing(std::size_t capacity)
    : live_(std::max<std::size_t>(capacity, 1)), obd_(std::max<std::size_t>(capacity, 1)) {}

void SampleRing::Clear() {
  head_ = 0;
  size_ = 0;
  total_ = 0;
  last_live_ = {};
  last_obd_ = {};
}

void SampleRing::Append(RecordKind kind, const SampleRow& row) {
  SampleRow& own = kind == RecordKind::kLive ? last_live_ : last_obd_;
  SampleRow& other = kind == RecordKind::kLive ? last_obd_ : last_live_;
  own = row;
  other[0] = row[0];
  live_[head_] = last_live_;
  obd_[head_] = last_obd_;
  head_ = (head_ + 1) % live_.size();
  size_ = std::min(size_ + 1, live_.size());
  ++total_;
}

std::int64_t LiveRecorder::NowMs() {
  return core::RoundHalfEven(static_cast<double>(clock_.NowMicros()) / 1000.0);
}

bool LiveRecorder::Start(const std::string& path, const Bytes& live_record, const ChannelIds& ids,
                         std::string_view now_text) {
  const std::int64_t start = NowMs();
  if (!file_.Open(path)) {
    return false;
  }
  for (const std::string& line : StartLines(start, now_text, live_record)) {
    file_.WriteLine(line);
  }
  start_ms_ = start;
  stop_ms_ = start;
  ids_ = ids;
  ring_.Clear();
  records_ = 0;
  state_ = LoggerState::kRecording;
  return true;
}

void LiveRecorder::Stop() {
  if (state_ != LoggerState::kRecording) {
    return;
  }
  state_ = LoggerState::kStopped;
  stop_ms_ = NowMs();
  file_.Close();
}

void LiveRecorder::Close() {
  Stop();
  file_.Close();
}

void LiveRecorder::AppendRecord(const core::MessageEntry& entry,
                                std::span<const std::uint8_t> /*answer*/, std::int64_t ms) {
  ++records_;
  const std::int32_t t = static_cast<std::int32_t>(
      std::clamp<std::int64_t>(ms, 0, std::numeric_limits<std::int32_t>::max()));
  if (entry.number == link::live::kMainRecordNumber) {
    ring_.Append(RecordKind::kLive, LiveRow(entry.values, ids_, t));
  } else if (entry.number == link::live::kObdDataNumber) {
    ring_.Append(RecordKind::kObd, ObdRow(entry.values, t));
  }
}

}  // namespace velmora::acq
