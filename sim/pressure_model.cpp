#include "sim/pressure_model.h"

#include <algorithm>
#include <cmath>

namespace velmora::sim {

namespace {

// How far each pressure moves per mbar of manifold pressure away from idle.
constexpr double kIdleManifoldMbar = 335;
constexpr double kGasMbarPerManifoldMbar = 0.25;
constexpr double kPetrolMvPerManifoldMbar = 0.35;

}  // namespace

void ApplyLoadToPressures(EngineState& s) {
  const double load = s.manifold_mbar - kIdleManifoldMbar;
  // No gas pressure before the reducer is in use.
  if (s.gas_pressure_mbar > 0) {
    s.gas_pressure_mbar = std::max(0, static_cast<std::int32_t>(std::lround(
                                          s.gas_pressure_mbar + kGasMbarPerManifoldMbar * load)));
  }
  s.petrol_pressure_mv = std::max(0, static_cast<std::int32_t>(std::lround(
                                         s.petrol_pressure_mv + kPetrolMvPerManifoldMbar * load)));
}

}  // namespace velmora::sim
