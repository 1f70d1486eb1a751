#pragma once

#include <string>
#include <vector>

#include "calib/qvd_table.h"
#include "calib/smoothing_weights.h"

namespace velmora::calib {

// What the start-up reads from ConfigScale.ini besides the model
// configuration: the smoothing weights and the direct-injection table.
struct SensorTables {
  SmoothingWeights weights;
  QvdTable qvd;
};

[[nodiscard]] SensorTables ReadSensorTables(const std::vector<std::string>& config_scale_lines);

}  // namespace velmora::calib
