#include "link/message_table.h"

#include <algorithm>

#include "core/hex.h"
#include "core/smoothing.h"
#include "core/text.h"
#include "link/message_table_codec.h"

namespace velmora::link {

namespace {

constexpr std::int32_t kMaxMessageNumber = 0xFF;

std::string EntryLabel(std::size_t index, const core::MessageEntry& e) {
  return "[MSG] " + std::to_string(index) + " (" + e.name + ")";
}

}  // namespace

MessageTable::MessageTable(std::vector<core::MessageEntry> entries, WarningLog log)
    : log_(std::move(log)) {
  slots_.reserve(entries.size());
  for (auto& e : entries) {
    Slot s;
    s.entry = std::move(e);
    // Values always match the field list, whoever built the entry.
    s.entry.values.resize(s.entry.fields.size(), 0);
    s.smoothed.assign(s.entry.fields.size(), 0);
    slots_.push_back(std::move(s));
  }
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    const auto& fields = slots_[i].entry.fields;
    for (std::size_t f = 0; f < fields.size(); ++f) {
      if (!fields[f].type.empty() && FieldTypeOf(fields[f].type) == FieldType::kUnknown) {
        Warn(EntryLabel(i, slots_[i].entry) + ": field " + std::to_string(f) +
             " has the unknown type \"" + fields[f].type + "\"; it is never decoded");
      }
      if (fields[f].multiplier == 0) {
        Warn(EntryLabel(i, slots_[i].entry) + ": field " + std::to_string(f) +
             " has the multiplier 0; it is taken as 1");
      }
    }
  }
}

void MessageTable::Warn(std::string text) {
  if (log_) {
    log_(text);
  }
  warnings_.push_back(std::move(text));
}

void MessageTable::SetSmoothingWeights(int k_lambda, int k_pressure) {
  k_lambda_ = core::ClampSmoothingWeight(k_lambda);
  k_pressure_ = core::ClampSmoothingWeight(k_pressure);
}

const core::MessageEntry* MessageTable::Entry(std::size_t entry) const {
  return entry < slots_.size() ? &slots_[entry].entry : nullptr;
}

std::size_t MessageTable::FieldCount(std::size_t entry) const {
  return entry < slots_.size() ? slots_[entry].entry.values.size() : 0;
}

std::int32_t MessageTable::Value(std::size_t entry, std::size_t field) const {
  if (entry >= slots_.size() || field >= slots_[entry].entry.values.size()) {
    return 0;
  }
  return slots_[entry].entry.values[field];
}

void MessageTable::SetValue(std::size_t entry, std::size_t field, std::int32_t value) {
  if (entry >= slots_.size() || field >= slots_[entry].entry.values.size()) {
    return;
  }
  slots_[entry].entry.values[field] = value;
}

bool MessageTable::IsSmoothed(std::size_t field) {
  return std::find(live::kLambdaFields.begin(), live::kLambdaFields.end(), field) !=
             live::kLambdaFields.end() ||
         std::find(live::kPressureFields.begin(), live::kPressureFields.end(), field) !=
             live::kPressureFields.end();
}

std::int32_t MessageTable::Shown(std::size_t entry, std::size_t field) const {
  if (entry >= slots_.size() || field >= slots_[entry].smoothed.size()) {
    return 0;
  }
  const Slot& s = slots_[entry];
  if (s.entry.number == live::kMainRecordNumber && IsSmoothed(field)) {
    return s.smoothed[field];
  }
  return s.entry.values[field];
}

const Bytes& MessageTable::LastAnswer(std::size_t entry) const {
  static const Bytes kNone;
  return entry < slots_.size() ? slots_[entry].entry.last_answer : kNone;
}

void MessageTable::SetLastAnswer(std::size_t entry, Bytes answer) {
  if (entry < slots_.size()) {
    slots_[entry].entry.last_answer = std::move(answer);
  }
}

bool MessageTable::Periodic(std::size_t entry) const {
  return entry < slots_.size() && slots_[entry].entry.periodic;
}

void MessageTable::DecodificaRisposta(std::span<const std::uint8_t> answer, std::size_t entry) {
  if (entry >= slots_.size()) {
    return;
  }
  Slot& slot = slots_[entry];
  const auto& fields = slot.entry.fields;
  std::size_t first_beyond = fields.size();
  bool rpm_decoded = false;
  for (std::size_t f = 0; f < fields.size(); ++f) {
    const DecodedField d = DecodeField(fields[f], answer);
    if (d.status == DecodeStatus::kDecoded) {
      slot.entry.values[f] = d.value;
      rpm_decoded = rpm_decoded || f == live::kRpmField;
    } else if (d.status == DecodeStatus::kBeyondAnswer && first_beyond == fields.size()) {
      first_beyond = f;
    }
  }
  if (first_beyond < fields.size() && !slot.short_answer_reported) {
    slot.short_answer_reported = true;
    Warn(EntryLabel(entry, slot.entry) + ": field " + std::to_string(first_beyond) +
         " lies beyond the " + std::to_string(answer.size()) +
         "-byte answer; such fields keep their previous values");
  }

  switch (slot.entry.number) {
    case live::kMainRecordNumber:
      PostProcessMainRecord(slot, rpm_decoded);
      Record(slot, answer);
      break;
    case live::kBlock3Number:
      PostProcessBlock3();
      break;
    case live::kConnectionNumber:
    case live::kObdDataNumber:
      Record(slot, answer);
      break;
    default:
      break;
  }
}

void MessageTable::PostProcessMainRecord(Slot& slot, bool rpm_decoded) {
  auto& values = slot.entry.values;
  // A period that was not in this answer is still the rpm of the last one:
  // dividing it again would turn it into nonsense.
  if (rpm_decoded) {
    const std::int64_t product = static_cast<std::int64_t>(values[live::kRpmField]) *
                                 Value(live::kBlock3Index, live::kRpmFactorField);
    values[live::kRpmField] =
        product == 0 ? 0 : static_cast<std::int32_t>(live::kRpmPeriodNumerator / product);
  }
  for (const std::size_t f : live::kLambdaFields) {
    if (f < values.size()) {
      slot.smoothed[f] = core::SmoothReading(slot.smoothed[f], values[f], k_lambda_);
    }
  }
  for (const std::size_t f : live::kPressureFields) {
    if (f < values.size()) {
      slot.smoothed[f] = core::SmoothReading(slot.smoothed[f], values[f], k_pressure_);
    }
  }
}

void MessageTable::PostProcessBlock3() {
  const std::int32_t bits = Value(live::kBlock3Index, live::kStatusField);
  const std::int32_t code =
      (bits & live::kStatusBit) != 0 ? live::kStatusBitSet : live::kStatusBitClear;
  if (code != status_code_) {
    status_code_ = code;
  }
}

void MessageTable::Record(const Slot& slot, std::span<const std::uint8_t> answer) {
  if (sink_ == nullptr || !sink_->Recording()) {
    return;
  }
  const std::int64_t ms = sink_->ElapsedMs();
  sink_->AppendRecord(slot.entry, answer, ms);
  std::string_view name = slot.entry.name;
  std::string_view request = slot.entry.request_hex;
  if (slot.entry.number == live::kMainRecordNumber) {
    name = live::kTraceMainRecord;
    request = kCmdReadMem1;
  } else if (slot.entry.number == live::kObdDataNumber) {
    name = live::kTraceObdData;
    request = kCmdReadObdData;
  }
  const std::string stamp = std::to_string(ms);
  sink_->WriteTraceLine(name);
  sink_->WriteTraceLine(stamp + " T " + std::string(request));
  sink_->WriteTraceLine(stamp + " R " + core::BinToHex(answer));
}

Bytes MessageTable::CodificaValori(std::size_t entry) const {
  Bytes out;
  if (entry >= slots_.size()) {
    return out;
  }
  const auto& e = slots_[entry].entry;
  for (std::size_t f = 0; f < e.fields.size(); ++f) {
    EncodeField(e.fields[f], e.values[f], out);
  }
  return out;
}

int MessageTable::LeggiVoce(EcuAccess& ecu, std::size_t entry) {
  if (entry >= slots_.size()) {
    return kInvalidRequest;
  }
  const auto frame = core::HexToBin(core::Trim(slots_[entry].entry.request_hex));
  if (!frame || frame->empty()) {
    return kInvalidRequest;
  }
  Bytes answer;
  const int code = ecu.InviaComando(*frame, &answer);
  if (code != kOk) {
    return code;
  }
  slots_[entry].entry.last_answer = answer;
  DecodificaRisposta(answer, entry);
  return kOk;
}

int MessageTable::AttivaPeriodico(EcuAccess& ecu, std::size_t entry, bool on) {
  if (entry >= slots_.size()) {
    return kInvalidRequest;
  }
  const std::int32_t number = slots_[entry].entry.number;
  if (number < 0 || number > kMaxMessageNumber) {
    return kInvalidRequest;
  }
  const std::uint8_t payload[2] = {static_cast<std::uint8_t>(number),
                                   static_cast<std::uint8_t>(on ? 1 : 0)};
  const int code = ecu.Message(MsgType::kPeriodic, payload);
  if (code == kOk) {
    slots_[entry].entry.periodic = on;
  }
  return code;
}

int MessageTable::AlignObdPeriodic(EcuAccess& ecu) {
  if (live::kObdDataIndex >= slots_.size()) {
    return kOk;
  }
  const bool wanted =
      (Value(live::kBlock2Index, live::kPeriodicSwitchField) & live::kPeriodicSwitchBit) != 0;
  if (wanted == Periodic(live::kObdDataIndex)) {
    return kOk;
  }
  return AttivaPeriodico(ecu, live::kObdDataIndex, wanted);
}

}  // namespace velmora::link
