#include "diag/obd_map_file.h"

#include <algorithm>

#include "core/files.h"
#include "core/hex.h"
#include "link/tuning_tables.h"

namespace velmora::diag {

namespace {

constexpr std::size_t kFrameSize = link::kAnswerDataOffset + link::kTuningTableData + 1;
constexpr std::array<std::uint8_t, 5> kHeader = {0x42, 0x01, 0x7D, 0x20, 0x00};

// The live record: the engine speed and the petrol injection times of
// cylinders 1 to 8, in microseconds.
constexpr std::size_t kLiveEntry = 1;
constexpr std::size_t kRpmField = 32;
constexpr std::size_t kFirstPetrolTime = 7;
constexpr std::size_t kCylinders = 8;
constexpr int kMicrosPerMs = 1000;

}  // namespace

ObdMapCells MapCells(const Bytes& frame) {
  ObdMapCells cells{};
  for (int r = 0; r < obd_map::kRows; ++r) {
    for (int c = 0; c < obd_map::kCols; ++c) {
      const std::size_t at = obd_map::kFirstCell + static_cast<std::size_t>(r * obd_map::kCols + c);
      if (at < frame.size()) {
        const int b = frame[at];
        cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = b < 128 ? b : b - 256;
      }
    }
  }
  return cells;
}

std::string MapFileText(const Bytes& frame, std::string_view info) {
  return core::JoinCrLf(
      {"[INFO]", std::string(info), std::string(obd_map::kSection), core::BinToHex(frame)});
}

bool SaveMapFile(const std::string& path, const Bytes& frame, std::string_view info) {
  if (frame.size() != kFrameSize || !std::equal(kHeader.begin(), kHeader.end(), frame.begin())) {
    return false;
  }
  return core::WriteFileAtomic(path, MapFileText(frame, info));
}

std::optional<MapCell> CurrentCell(const link::MessageTable& table) {
  if (table.LastAnswer(kLiveEntry).empty()) {
    return std::nullopt;
  }
  long long sum = 0;
  int running = 0;
  for (std::size_t c = 0; c < kCylinders; ++c) {
    const std::int32_t us = table.Value(kLiveEntry, kFirstPetrolTime + c);
    if (us > 0) {
      sum += us;
      ++running;
    }
  }
  const long long ms = running == 0 ? 0 : sum / running / kMicrosPerMs;
  const long long rpm = std::max<std::int32_t>(0, table.Value(kLiveEntry, kRpmField));
  return MapCell{static_cast<int>(std::min<long long>(obd_map::kRows - 1, rpm / obd_map::kRowRpm)),
                 static_cast<int>(std::min<long long>(obd_map::kCols - 1, ms / obd_map::kColMs))};
}

}  // namespace velmora::diag
