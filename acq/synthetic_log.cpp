#include "acq/synthetic_log.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "acq/log_rebuild.h"
#include "acq/traffic_log.h"
#include "core/hex.h"
#include "link/ecu_access.h"

namespace velmora::acq {

namespace af = answer_frame;

namespace {

constexpr std::uint8_t kAnswerStart = 0x42;
constexpr std::uint8_t kAnswerDirection = 0x01;
constexpr std::size_t kFrameOverhead = 4;  // L counts the data, command, status and check

void PutField(Bytes& frame, const core::FieldSpec& field, std::int32_t value) {
  const std::int32_t raw = field.multiplier != 0 ? value / field.multiplier : value;
  const auto at = static_cast<std::size_t>(field.position - 1);
  const bool wide = field.type == "UW" || field.type == "SW";
  const bool narrow = field.type == "UB" || field.type == "SB";
  if (field.position < 1 || (!wide && !narrow) || at + (wide ? 2 : 1) > frame.size() - 1) {
    return;
  }
  frame[at] = static_cast<std::uint8_t>(raw & 0xFF);
  if (wide) {
    frame[at + 1] = static_cast<std::uint8_t>((raw >> 8) & 0xFF);
  }
}

// The engine at `t` seconds, as the fields of the main live record.
std::vector<FieldValue> EngineAt(double t) {
  constexpr double kBlipEvery = 12.0;
  constexpr double kBlipLength = 3.0;
  const double phase = std::fmod(t, kBlipEvery);
  const double blip = phase < kBlipLength ? std::sin(std::numbers::pi * phase / kBlipLength) : 0.0;
  const double rpm = 820.0 + 35.0 * std::sin(t * 2.3) + 2400.0 * blip;
  const double warm = 1.0 - std::exp(-t / 240.0);
  const bool gas = t > 20.0;
  const double petrol_us = 2600.0 + 3200.0 * blip + 80.0 * std::sin(t * 5.0);
  const double lambda = std::sin(t * 2.0 * std::numbers::pi * 0.9) > 0 ? 780.0 : 120.0;
  std::vector<FieldValue> v = {
      {1, gas ? 1 : 0},
      {32, static_cast<std::int32_t>(15'000'000.0 / rpm)},
      {33, static_cast<std::int32_t>(1150.0 + 120.0 * blip + 15.0 * std::sin(t * 3.1))},
      {34, 3010},
      {35, 13'900},
      {36, static_cast<std::int32_t>(lambda)},
      {37, static_cast<std::int32_t>(900.0 - lambda)},
      {43, static_cast<std::int32_t>(22.0 + 55.0 * warm)},
      {44, static_cast<std::int32_t>(18.0 + 20.0 * warm)},
      {49, static_cast<std::int32_t>(330.0 + 520.0 * blip)},
  };
  for (std::size_t cyl = 0; cyl < 4; ++cyl) {
    v.push_back({7 + cyl, static_cast<std::int32_t>(petrol_us + 20.0 * static_cast<double>(cyl))});
    v.push_back({15 + cyl, gas ? static_cast<std::int32_t>(petrol_us * 1.25) : 0});
  }
  return v;
}

std::vector<FieldValue> ObdAt(double t) {
  const auto trim = [t](double f) {
    return static_cast<std::int32_t>(128.0 + 14.0 * std::sin(t * f));
  };
  return {{26, 2}, {27, 2}, {30, trim(0.7)}, {34, trim(0.05)}, {38, trim(0.9)}, {42, trim(0.04)}};
}

void AppendRecord(std::string& out, std::string_view name, std::string_view request,
                  std::int64_t ms, const Bytes& answer) {
  const std::string stamp = std::to_string(ms);
  out += name;
  out += traffic_log::kLineEnd;
  out += stamp + std::string(traffic_log::kRequestMark) + std::string(request);
  out += traffic_log::kLineEnd;
  out += stamp + std::string(traffic_log::kAnswerMark) + core::BinToHex(answer);
  out += traffic_log::kLineEnd;
}

}  // namespace

Bytes AnswerFrame(std::uint8_t command, std::size_t data_bytes, const core::MessageEntry& layout,
                  std::span<const FieldValue> values) {
  Bytes frame(af::kHeaderBytes + data_bytes + 1, 0);
  frame[0] = kAnswerStart;
  frame[1] = kAnswerDirection;
  frame[2] = static_cast<std::uint8_t>(data_bytes + kFrameOverhead);
  frame[3] = command;
  for (const auto& [field, value] : values) {
    if (field < layout.fields.size()) {
      PutField(frame, layout.fields[field], value);
    }
  }
  frame.back() = XorOf(std::span<const std::uint8_t>(frame).first(frame.size() - 1));
  return frame;
}

std::string SyntheticTrafficLog(const link::MessageTable& table, double seconds, int per_second,
                                int obd_every) {
  const core::MessageEntry* live = table.Entry(link::live::kMainRecordIndex);
  const core::MessageEntry* obd = table.Entry(link::live::kObdDataIndex);
  const int records = static_cast<int>(seconds * per_second);
  std::string out;
  out.reserve(static_cast<std::size_t>(records) * 300);
  out += std::string(traffic_log::kFirstLine) + "0" + std::string(traffic_log::kNow) +
         LocalDateTimeText();
  out += traffic_log::kLineEnd;
  for (int r = 0; r < records && live != nullptr; ++r) {
    const std::int64_t ms = std::int64_t{r} * 1000 / std::max(per_second, 1);
    const double t = static_cast<double>(ms) / 1000.0;
    const auto values = EngineAt(t);
    AppendRecord(out, link::live::kTraceMainRecord, link::kCmdReadMem1, ms,
                 AnswerFrame(af::kLiveCommand, af::kLiveDataBytes, *live, values));
    if (obd != nullptr && obd_every > 0 && r % obd_every == 0) {
      const auto trims = ObdAt(t);
      AppendRecord(out, link::live::kTraceObdData, link::kCmdReadObdData, ms,
                   AnswerFrame(af::kObdCommand, af::kObdDataBytes, *obd, trims));
    }
  }
  return out;
}

}  // namespace velmora::acq
