#pragma once

#include <optional>

#include "calib/calibration_image.h"
#include "calib/coefficient_file.h"
#include "core/bytes.h"
#include "tuning/autotune_context.h"

namespace velmora::tuning {

// What the idle calibration leaves for the map.
struct MapBuildInput {
  int idle_reference = 0;   // R, microseconds; above 0
  int idle_correction = 0;  // C, microseconds
  int rpm_index = 0;        // the idle working point
  int time_index = 0;
  const calib::CoefficientRecord* record = nullptr;  // none: the map stays flat
  bool stepped = false;
};

// round(128 x (R + C) / R), kept to a byte; nullopt when R is not above 0.
[[nodiscard]] std::optional<int> IdleValue(int idle_reference, int idle_correction);

// The base map the run leaves: every cell the idle value, shaped by the
// record's per-cell line, made stepped when asked, then shifted so that the
// idle working point holds the idle value; nullopt when R is not above 0.
[[nodiscard]] std::optional<Bytes> BuildTunedMap(const MapBuildInput& in);

// The first record of the list whose identifier is `id`.
[[nodiscard]] const calib::CoefficientRecord* FindRecord(const calib::CoefficientList* list,
                                                         std::int32_t id);

// The idle working point: the integer mean of five readings 200 ms apart.
// A result code.
[[nodiscard]] int ReadWorkingPoint(RunContext& ctx, int& rpm_index, int& time_index);

// The built map into the image ahead of its write. Its undo copy holds no
// map yet (every cell 255), so Undo is not offered until the write put one
// there.
void TakeTunedMap(calib::CalibrationImage& image, Bytes map);
// After the write: the undo copy is the map the ECU now holds.
void KeepWrittenMap(calib::CalibrationImage& image);

}  // namespace velmora::tuning
