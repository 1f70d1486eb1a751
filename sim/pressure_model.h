#pragma once

#include "sim/engine_model.h"

namespace velmora::sim {

// The pressures follow the load: the reducer holds its outlet a set amount
// above the manifold, so the gas pressure the ECU reads rises as the
// throttle opens and falls on the overrun; the petrol rail's regulator is
// referenced to the manifold as well. Applied to a state whose speed, load
// and injection are set; draws no noise, so a seed gives the same states.
void ApplyLoadToPressures(EngineState& s);

}  // namespace velmora::sim
