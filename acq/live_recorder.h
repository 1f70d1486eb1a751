#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "acq/logger_types.h"
#include "acq/record_samples.h"
#include "acq/traffic_log.h"
#include "link/live_record_sink.h"
#include "platform/clock.h"

namespace velmora::acq {

// The newest samples of a recording for the live plot, in a buffer sized
// once: appending never allocates, however long the engine runs.
class SampleRing {
 public:
  explicit SampleRing(std::size_t capacity = logger::kLiveWindowRecords);

  void Clear();
  // One sample; the other kind's values are carried over from the last one.
  void Append(RecordKind kind, const SampleRow& row);
  [[nodiscard]] std::size_t Capacity() const { return live_.size(); }
  // Samples held, at most the capacity.
  [[nodiscard]] std::size_t Size() const { return size_; }
  // Samples appended since the last Clear.
  [[nodiscard]] std::uint64_t Total() const { return total_; }
  // Held sample `k`, 0 the oldest held.
  [[nodiscard]] const SampleRow& Live(std::size_t k) const { return live_[Slot(k)]; }
  [[nodiscard]] const SampleRow& Obd(std::size_t k) const { return obd_[Slot(k)]; }

 private:
  [[nodiscard]] std::size_t Slot(std::size_t k) const {
    return (head_ + live_.size() - size_ + k) % live_.size();
  }
  std::vector<SampleRow> live_;
  std::vector<SampleRow> obd_;
  std::size_t head_ = 0;  // where the next sample goes
  std::size_t size_ = 0;
  std::uint64_t total_ = 0;
  SampleRow last_live_{};
  SampleRow last_obd_{};
};

// The logger's recording: the sink the message table hands the traced
// entries to while the state is 1. Every record goes to the traffic log
// (three lines) and, as a sample, to the live window.
class LiveRecorder final : public link::LiveRecordSink {
 public:
  explicit LiveRecorder(platform::Clock& clock) : clock_(clock) {}

  // Takes the start time, replaces the traffic log at `path` with its start
  // lines (the live record held now as the record at 0 ms), empties the
  // live window and sets state 1. False, state unchanged, when the file
  // cannot be written.
  [[nodiscard]] bool Start(const std::string& path, const Bytes& live_record, const ChannelIds& ids,
                           std::string_view now_text);
  // State 2: the stop time is taken and the traffic log closed.
  void Stop();
  // Closes the traffic log (the program ends); a recording stops.
  void Close();
  void SetState(LoggerState state) { state_ = state; }
  // The fields the live window shows from the next record on.
  void SetIds(const ChannelIds& ids) { ids_ = ids; }

  [[nodiscard]] LoggerState State() const { return state_; }
  [[nodiscard]] std::int64_t StartMs() const { return start_ms_; }
  [[nodiscard]] std::int64_t StopMs() const { return stop_ms_; }
  [[nodiscard]] const SampleRing& Window() const { return ring_; }
  // Records written to the traffic log since the start.
  [[nodiscard]] std::uint64_t Records() const { return records_; }
  // A line could not be written (a full disk, say).
  [[nodiscard]] bool WriteFailed() const { return file_.Failed(); }
  [[nodiscard]] bool FileOpen() const { return file_.IsOpen(); }
  [[nodiscard]] const std::string& Path() const { return file_.Path(); }

  // link::LiveRecordSink
  [[nodiscard]] bool Recording() const override { return state_ == LoggerState::kRecording; }
  [[nodiscard]] std::int64_t ElapsedMs() override { return NowMs() - start_ms_; }
  void AppendRecord(const core::MessageEntry& entry, std::span<const std::uint8_t> answer,
                    std::int64_t ms) override;
  void WriteTraceLine(std::string_view line) override { file_.WriteLine(line); }

 private:
  [[nodiscard]] std::int64_t NowMs();

  platform::Clock& clock_;
  LineFile file_;
  SampleRing ring_;
  ChannelIds ids_{};
  LoggerState state_ = LoggerState::kIdle;
  std::int64_t start_ms_ = 0;
  std::int64_t stop_ms_ = 0;
  std::uint64_t records_ = 0;
};

}  // namespace velmora::acq
