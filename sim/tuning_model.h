#pragma once

#include <array>
#include <cstdint>

#include "sim/command_table.h"
#include "sim/ecu_memory.h"
#include "sim/engine_model.h"

namespace velmora::sim {

struct SimSetup;

// How the virtual engine answers an auto-tuning run.
//
// The workstation tells the ECU which step it runs (block 2 data byte 12,
// 0 = none) and which cylinder the correction word (data bytes 8..9) stands
// for (data byte 7: 0 = the idle correction of every cylinder, i = cylinder
// i). While a step runs, the fitter obeys the prompts: the engine idles,
// and runs at a steady raised speed in steps 4 and 5; the throttle is not
// blipped. Steps 3 and 4 sample on petrol; in step 5 only the selected
// cylinder runs on gas, in steps 2 and 6 all of them. The petrol control
// unit lengthens its injection times when the gas mixture is lean: a
// cylinder on gas shows its error (the right correction, unknown to the
// workstation, less the correction in force) on its petrol time, spread
// over the cylinders running on gas. Corrections take effect with a lag.
// A bad injector ignores its corrections and stays lean.
class TuningModel {
 public:
  TuningModel(std::uint64_t seed, int bad_injector);

  // `s` as the engine runs under the step the ECU was told, `t_us` after
  // the start.
  [[nodiscard]] EngineState Apply(EngineState s, const EcuMemory& m, std::int64_t t_us);

 private:
  [[nodiscard]] double Noise(double amplitude);
  void Follow(const EcuMemory& m, double t);
  void SetInjection(EngineState& s, const EcuMemory& m, int phase);

  SplitMix64 rng_;
  int bad_injector_;
  double last_s_ = -1;
  double rpm_ = 0;
  std::array<double, 9> effective_{};  // idle correction, then cylinders 1..8
};

// The corrections each cylinder keeps, and the one the correction word
// shows: selecting another cylinder shows its correction, a write that
// keeps the selection sets it.
void ObserveTuningWrite(EcuMemory& m);

// Declares the corrections the ECU keeps.
void RegisterTuningModel(CommandTable& table, EcuMemory& memory, const SimSetup& setup);

}  // namespace velmora::sim
