#include "calib/sensor_tables.h"

namespace velmora::calib {

SensorTables ReadSensorTables(const std::vector<std::string>& config_scale_lines) {
  return SensorTables{ReadSmoothingWeights(config_scale_lines), ReadQvdTable(config_scale_lines)};
}

}  // namespace velmora::calib
