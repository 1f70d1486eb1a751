#include "calib/calibration_image.h"

#include "link/ecu_identity.h"

namespace velmora::calib {

CapabilityFlags FlagsForGeneration(int generation) {
  switch (generation) {
    case link::generation::kNex:
      return CapabilityFlags{true, true, true};
    case link::generation::k3rd:
      return CapabilityFlags{true, false, true};
    default:
      return CapabilityFlags{};
  }
}

const Bytes& TuningFrame(const link::TuningTables& tables, int part) {
  switch (part) {
    case 1:
      return tables.tgas;
    case 2:
      return tables.trisult;
    case 3:
      return tables.tisto;
    default:
      return tables.tbenz;
  }
}

Bytes& TuningFrame(link::TuningTables& tables, int part) {
  return const_cast<Bytes&>(TuningFrame(static_cast<const link::TuningTables&>(tables), part));
}

void CalibrationImage::SetGeneration(int g) {
  generation = g;
  flags = FlagsForGeneration(g);
}

Bytes* CalibrationImage::MapOf(Holder holder) {
  return const_cast<Bytes*>(static_cast<const CalibrationImage*>(this)->MapOf(holder));
}

const Bytes* CalibrationImage::MapOf(Holder holder) const {
  switch (holder) {
    case Holder::kBaseMap:
      return &base_map;
    case Holder::kAdaptiveMap:
      return &adaptive_map;
    case Holder::kSecondMap:
      return &second_map;
    default:
      return nullptr;
  }
}

const Bytes& CalibrationImage::Map(int index) const {
  switch (index) {
    case 1:
      return adaptive_map;
    case 2:
      return second_map;
    default:
      return base_map;
  }
}

Bytes& CalibrationImage::Map(int index) {
  return const_cast<Bytes&>(static_cast<const CalibrationImage*>(this)->Map(index));
}

}  // namespace velmora::calib
