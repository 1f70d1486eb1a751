#include "core/session/calibration_service.h"

#include "link/ecu_identity.h"

namespace velmora::session {

EcuCapabilities CapabilitiesOf(int generation) {
  switch (generation) {
    case link::generation::kNex:
      return {true, true, true};
    case link::generation::k3rd:
      return {true, false, true};
    default:
      return {};
  }
}

}  // namespace velmora::session
