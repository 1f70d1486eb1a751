#include "acq/record_samples.h"

#include <algorithm>

namespace velmora::acq {

namespace rf = record_fields;

std::int32_t TrimPercent(std::int32_t raw) {
  // 100 / 128 x raw - 100 = (100 x raw - 12800) / 128, rounded down.
  const std::int64_t num = static_cast<std::int64_t>(rf::kTrimRange) * raw -
                           std::int64_t{rf::kTrimRange} * rf::kTrimZero;
  const std::int64_t q = num / rf::kTrimZero;
  return static_cast<std::int32_t>((num % rf::kTrimZero != 0 && num < 0) ? q - 1 : q);
}

namespace {

std::int32_t FieldOr0(std::span<const std::int32_t> fields, std::int64_t index) {
  return index >= 0 && static_cast<std::size_t>(index) < fields.size()
             ? fields[static_cast<std::size_t>(index)]
             : 0;
}

}  // namespace

SampleRow LiveRow(std::span<const std::int32_t> fields, const ChannelIds& ids, std::int32_t ms) {
  SampleRow row{};
  row[0] = ms;
  for (std::size_t c = 0; c < ids.size(); ++c) {
    row[1 + c] = FieldOr0(fields, ids[c]);
  }
  return row;
}

SampleRow ObdRow(std::span<const std::int32_t> fields, std::int32_t ms) {
  SampleRow row{};
  row[0] = ms;
  for (std::size_t k = 0; k < rf::kObdLogged.size(); ++k) {
    const std::size_t f = rf::kObdLogged[k];
    const std::int32_t raw = FieldOr0(fields, static_cast<std::int64_t>(f));
    const bool trim =
        std::find(rf::kObdTrims.begin(), rf::kObdTrims.end(), f) != rf::kObdTrims.end();
    row[1 + k] = trim ? TrimPercent(raw) : raw;
  }
  return row;
}

void AppendSample(SampleTable& table, RecordKind kind, const SampleRow& row) {
  auto& own = kind == RecordKind::kLive ? table.live : table.obd;
  auto& other = kind == RecordKind::kLive ? table.obd : table.live;
  SampleRow carried{};
  if (other.size() >= logger::kStride) {
    std::copy(other.end() - static_cast<std::ptrdiff_t>(logger::kStride), other.end(),
              carried.begin());
  }
  carried[0] = row[0];
  own.insert(own.end(), row.begin(), row.end());
  other.insert(other.end(), carried.begin(), carried.end());
}

}  // namespace velmora::acq
