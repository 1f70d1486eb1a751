#include "session/calibration_service.h"

#include "calib/calibration_image.h"

namespace velmora::session {

EcuCapabilities CapabilitiesOf(int generation) {
  const calib::CapabilityFlags f = calib::FlagsForGeneration(generation);
  return {f.adaptive_maps, f.direct_injection, f.obd_errors};
}

}  // namespace velmora::session
