#pragma once

#include <cstdint>

#include "tuning/autotune_context.h"

namespace velmora::tuning {

// One phase's figures of the correction cycle.
struct CycleSpec {
  double first_wait_ms = 0;
  double wait_ms = 0;  // after each correction
  int samples = 0;
  double period_ms = 0;
  int in_tolerance_needed = 0;
  int max_out_of_tolerance = 0;
  int tolerance_pct = 0;
  int step_pct = 0;
  int max_correction_us = 0;
};
[[nodiscard]] CycleSpec InjectorCycle(const TuningParameters& p);
[[nodiscard]] CycleSpec IdleCycle(const TuningParameters& p);

// The tolerance is a share of the measured value, limit included.
[[nodiscard]] bool WithinTolerance(int measured, int target, int tolerance_pct);
// step % of (measured - target), rounded, kept within +-max_us.
[[nodiscard]] int CorrectionStep(int measured, int target, int step_pct, int max_us);

// Step 5 for one cylinder (counted from 1) or step 6 (cylinder 0): cycles
// of samples against `target`, each out-of-tolerance cycle followed by a
// correction written to the ECU, until enough cycles in a row were in
// tolerance (and, in step 6, the fitter accepted). Step 6 also sums the gas
// pressure into `pressure_sum`/`pressure_count`. A result code.
struct PressureSum {
  std::int64_t sum = 0;
  int count = 0;
};
[[nodiscard]] int CorrectionCycle(RunContext& ctx, const CycleSpec& figures, int cylinder,
                                  int target, PressureSum* pressure);

}  // namespace velmora::tuning
