#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "core/set_com.h"
#include "link/ecu_access.h"
#include "link/live_record_sink.h"

namespace velmora::link {

// Entries and fields with a fixed role in the live data.
namespace live {
// Entry numbers that select post-processing.
inline constexpr std::int32_t kMainRecordNumber = 1;
inline constexpr std::int32_t kBlock3Number = 3;
inline constexpr std::int32_t kConnectionNumber = 5;
inline constexpr std::int32_t kObdDataNumber = 12;
// Entry indexes read by the post-processing and the periodic switch.
inline constexpr std::size_t kMainRecordIndex = 1;
inline constexpr std::size_t kBlock2Index = 2;
inline constexpr std::size_t kBlock3Index = 3;
inline constexpr std::size_t kObdDataIndex = 12;
// Main live record: the rpm signal period, turned into rpm.
inline constexpr std::size_t kRpmField = 32;
inline constexpr std::int64_t kRpmPeriodNumerator = 15'000'000;
// Block 3: the rpm signal factor (1 or 2) and the status bits.
inline constexpr std::size_t kRpmFactorField = 42;
inline constexpr std::size_t kStatusField = 49;
inline constexpr std::int32_t kStatusBit = 2;
inline constexpr std::int32_t kStatusBitSet = 64;
inline constexpr std::int32_t kStatusBitClear = 128;
// Block 2: the switch of the OBD data's periodic transmission.
inline constexpr std::size_t kPeriodicSwitchField = 2;
inline constexpr std::int32_t kPeriodicSwitchBit = 4;
// Main live record fields kept smoothed beside their raw values.
inline constexpr std::array<std::size_t, 4> kLambdaFields = {36, 37, 39, 40};
inline constexpr std::array<std::size_t, 2> kPressureFields = {33, 49};
// Names of the traced commands in the traffic log.
inline constexpr std::string_view kTraceMainRecord = "CMD_READ_MEM1";
inline constexpr std::string_view kTraceObdData = "CMD_READ_OBD_DATA";
}  // namespace live

// The message table: one entry per "[MSG]" of SetCom.ini, each an ECU
// request with the layout of its answer and the values decoded from the last
// one. Every reader takes values through Value(entry, field); an entry or
// field index outside the table reads 0 and a write to it does nothing, so a
// shorter SetCom.ini never takes the program down.
class MessageTable {
 public:
  // Receives each configuration warning once, as it is found.
  using WarningLog = std::function<void(std::string_view)>;

  MessageTable() = default;
  explicit MessageTable(std::vector<core::MessageEntry> entries, WarningLog log = {});

  // The weights (tenths, clamped to 1..10) of the lambda and pressure
  // fields of the main live record.
  void SetSmoothingWeights(int k_lambda, int k_pressure);
  // Not owned; nullptr detaches.
  void SetRecordSink(LiveRecordSink* sink) { sink_ = sink; }

  [[nodiscard]] std::size_t Size() const { return slots_.size(); }
  // nullptr outside the table.
  [[nodiscard]] const core::MessageEntry* Entry(std::size_t entry) const;
  [[nodiscard]] std::size_t FieldCount(std::size_t entry) const;

  [[nodiscard]] std::int32_t Value(std::size_t entry, std::size_t field) const;
  void SetValue(std::size_t entry, std::size_t field, std::int32_t value);
  // The smoothed value of a smoothed field of the main live record; the
  // value itself for every other field.
  [[nodiscard]] std::int32_t Shown(std::size_t entry, std::size_t field) const;

  // Empty outside the table.
  [[nodiscard]] const Bytes& LastAnswer(std::size_t entry) const;
  void SetLastAnswer(std::size_t entry, Bytes answer);

  [[nodiscard]] bool Periodic(std::size_t entry) const;
  // 64 or 128 once block 3 has been decoded, 0 before.
  [[nodiscard]] std::int32_t StatusCode() const { return status_code_; }

  // Decodes every field of the entry from `answer`, then runs the entry's
  // post-processing. A field whose bytes lie beyond the answer, or whose
  // type is unknown, keeps its previous value.
  void DecodificaRisposta(std::span<const std::uint8_t> answer, std::size_t entry);

  // The entry's values as the data bytes of its write command. Empty outside
  // the table.
  [[nodiscard]] Bytes CodificaValori(std::size_t entry) const;

  // Sends the entry's request (message 6); on success keeps the answer as
  // the entry's last answer and decodes it. On failure the values and the
  // last answer stay as they were. A request that is not hexadecimal, or an
  // entry outside the table, is not sent: kInvalidRequest.
  [[nodiscard]] int LeggiVoce(EcuAccess& ecu, std::size_t entry);

  // Message 11 with the entry's number and 0 or 1; the periodic flag follows
  // on success. kInvalidRequest (nothing sent) outside the table or for a
  // number that does not fit the message's byte.
  [[nodiscard]] int AttivaPeriodico(EcuAccess& ecu, std::size_t entry, bool on);

  // Keeps the OBD data's periodic transmission in step with bit 2 of block 2
  // field 2: switched off when the bit is clear and it is on, switched on when
  // the bit is set and it is off. kOk when nothing needed sending.
  [[nodiscard]] int AlignObdPeriodic(EcuAccess& ecu);

  // Configuration warnings found so far, in order.
  [[nodiscard]] const std::vector<std::string>& Warnings() const { return warnings_; }

 private:
  struct Slot {
    core::MessageEntry entry;
    std::vector<std::int32_t> smoothed;  // beside `entry.values`, same indexes
    bool short_answer_reported = false;
  };

  void Warn(std::string text);
  void PostProcessMainRecord(Slot& slot, bool rpm_decoded);
  void PostProcessBlock3();
  void Record(const Slot& slot, std::span<const std::uint8_t> answer);
  [[nodiscard]] static bool IsSmoothed(std::size_t field);

  std::vector<Slot> slots_;
  WarningLog log_;
  std::vector<std::string> warnings_;
  LiveRecordSink* sink_ = nullptr;
  int k_lambda_ = 10;
  int k_pressure_ = 10;
  std::int32_t status_code_ = 0;
};

}  // namespace velmora::link
