#pragma once

#include "tuning/autotune_context.h"
#include "tuning/autotune_correction.h"

namespace velmora::tuning {

// What the measuring steps leave for the end of the run.
struct RunOutcome {
  int idle_reference = 0;  // step 3, microseconds
  int target = 0;          // step 4
  PressureSum pressure;    // step 6's gas pressure readings
};

// The map built from the idle calibration (unless the map configuration
// block takes the alternative path) and the gas-pressure table centred. A
// result code.
[[nodiscard]] int BuildAndCentre(RunContext& ctx, const RunOutcome& out);

// The map written with its configuration block, then the map pages shown
// again. A result code.
[[nodiscard]] int WriteResult(RunContext& ctx);

}  // namespace velmora::tuning
