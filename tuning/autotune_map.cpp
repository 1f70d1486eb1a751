#include "tuning/autotune_map.h"

#include <algorithm>
#include <array>

#include "core/text.h"
#include "maps/carburation_grid.h"

namespace velmora::tuning {
namespace {

constexpr int kRows = 24;  // rpm
constexpr int kCols = 23;  // injection time
constexpr int kCells = kRows * kCols;
constexpr double kIdleScale = 128;
constexpr int kByteMax = 255;
constexpr int kPointReadings = 5;
constexpr double kPointGapMs = 200;

using Working = std::array<std::int64_t, kCells>;

std::size_t At(int rpm, int time) {
  return static_cast<std::size_t>(rpm * kCols + time);
}

void ApplyRecord(Working& w, const calib::CoefficientRecord& rec) {
  // A divisor of 0 has no line to apply.
  if (rec.div_fact == 0) {
    return;
  }
  const double d = rec.div_fact;
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double v = static_cast<double>(w[i]) * rec.m_mappa[i] / d + rec.q_mappa[i] / d;
    w[i] = core::RoundHalfEven(v);
  }
}

// The carburation page's stepping, which works on byte maps, run on the
// cells' own coordinates: it only ever copies cells, so stepping a matrix of
// row numbers and one of column numbers tells where each cell comes from.
void MakeStepped(Working& w) {
  maps::carb::MapMatrix rows{};
  maps::carb::MapMatrix cols{};
  for (int t = 0; t < kCols; ++t) {
    for (int r = 0; r < kRows; ++r) {
      rows[static_cast<std::size_t>(t)][static_cast<std::size_t>(r)] = static_cast<std::uint8_t>(t);
      cols[static_cast<std::size_t>(t)][static_cast<std::size_t>(r)] = static_cast<std::uint8_t>(r);
    }
  }
  maps::carb::SpianaInterpolazionedellaMappa(rows);
  maps::carb::SpianaInterpolazionedellaMappa(cols);
  const Working from = w;
  for (int t = 0; t < kCols; ++t) {
    for (int r = 0; r < kRows; ++r) {
      const auto ts = static_cast<std::size_t>(t);
      const auto rs = static_cast<std::size_t>(r);
      w[At(r, t)] = from[At(cols[ts][rs], rows[ts][rs])];
    }
  }
}

}  // namespace

std::optional<int> IdleValue(int idle_reference, int idle_correction) {
  if (idle_reference <= 0) {
    return std::nullopt;
  }
  const double v =
      kIdleScale * (static_cast<double>(idle_reference) + idle_correction) / idle_reference;
  return static_cast<int>(std::clamp<std::int64_t>(core::RoundHalfEven(v), 0, kByteMax));
}

std::optional<Bytes> BuildTunedMap(const MapBuildInput& in) {
  const std::optional<int> v = IdleValue(in.idle_reference, in.idle_correction);
  if (!v) {
    return std::nullopt;
  }
  Working w;
  w.fill(*v);
  if (in.record != nullptr) {
    ApplyRecord(w, *in.record);
  }
  if (in.stepped) {
    MakeStepped(w);
  }
  // Without a working point inside the map there is nothing to line up.
  if (in.rpm_index >= 0 && in.rpm_index < kRows && in.time_index >= 0 && in.time_index < kCols) {
    const std::int64_t shift = *v - w[At(in.rpm_index, in.time_index)];
    for (std::int64_t& cell : w) {
      cell += shift;
    }
  }
  Bytes map(kCells);
  std::transform(w.begin(), w.end(), map.begin(), [](std::int64_t cell) {
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(cell, 0, kByteMax));
  });
  return map;
}

const calib::CoefficientRecord* FindRecord(const calib::CoefficientList* list, std::int32_t id) {
  if (list == nullptr) {
    return nullptr;
  }
  const auto it = std::find_if(list->records.begin(), list->records.end(),
                               [id](const calib::CoefficientRecord& r) { return r.id == id; });
  return it == list->records.end() ? nullptr : &*it;
}

int ReadWorkingPoint(RunContext& ctx, int& rpm_index, int& time_index) {
  std::int64_t rpm_sum = 0;
  std::int64_t time_sum = 0;
  for (int k = 0; k < kPointReadings; ++k) {
    if (k > 0 && !ctx.Wait(kPointGapMs)) {
      return tune_result::kCancelled;
    }
    if (!ctx.Read(tune_field::kLive)) {
      return tune_result::kLinkFailed;
    }
    rpm_sum += ctx.Value(tune_field::kLive, tune_field::kRpmIndex);
    time_sum += ctx.Value(tune_field::kLive, tune_field::kTimeIndex);
  }
  rpm_index = static_cast<int>(rpm_sum / kPointReadings);
  time_index = static_cast<int>(time_sum / kPointReadings);
  return tune_result::kDone;
}

void TakeTunedMap(calib::CalibrationImage& image, Bytes map) {
  image.base_map = std::move(map);
  image.undo_maps[0].assign(kCells, kByteMax);
  image.undo_available[0] = 0;
}

void KeepWrittenMap(calib::CalibrationImage& image) {
  image.undo_maps[0] = image.base_map;
}

}  // namespace velmora::tuning
