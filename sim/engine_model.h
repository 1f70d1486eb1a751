#pragma once

#include <array>
#include <cstdint>

#include "sim/level_model.h"
#include "sim/split_mix.h"

namespace velmora::sim {

inline constexpr std::size_t kMaxCylinders = 8;

// What the engine model takes from the ECU's configuration.
struct EngineInputs {
  int cylinders = 4;
  int switch_temperature_c = 40;  // reducer temperature for the switch to gas
  LevelCurveSteps level_curve{};  // the level display's curve; zeros: none
};

// The engine and gas system at one moment, in physical units.
struct EngineState {
  std::int32_t rpm = 0;
  std::array<std::int32_t, kMaxCylinders> petrol_us{};  // 0 for absent cylinders
  std::array<std::int32_t, kMaxCylinders> gas_us{};     // 0 while on petrol
  std::array<std::int32_t, kMaxCylinders> gas_correction_us{};
  bool on_gas = false;
  int switch_phase = 0;  // 0 petrol, 1 switching, 2 gas
  bool blip = false;     // the throttle is open beyond idle
  std::int32_t manifold_mbar = 0;
  std::int32_t gas_pressure_mbar = 0;  // above the manifold
  std::int32_t petrol_pressure_mv = 0;
  std::int32_t battery_mv = 0;
  std::array<std::int32_t, 4> lambda_mv{};  // probe 1, 2 before the catalyst, 1, 2 after
  bool lambda_active = false;               // probes hot, closed loop
  std::int32_t level_raw_mv = 0;
  std::int32_t level_mv = 0;
  std::int32_t level_percent = 0;
  std::int32_t level_leds = 0;
  std::int32_t reducer_c = 0;
  std::int32_t gas_c = 0;
  std::int32_t throttle_percent = 0;
};

// A petrol engine with a sequential gas system, from a cold start: idling
// at about 800 rpm with noise and now and then a blip of the throttle, the
// reducer and the gas warming up over minutes, the switch to gas once the
// reducer is warm, the lambda probes switching rich and lean about once a
// second once hot. The same seed and the same sequence of times give the
// same states.
class EngineModel {
 public:
  explicit EngineModel(std::uint64_t seed);

  // The state `t_us` microseconds after the start. Times are taken in
  // order; one earlier than the last is taken as the last.
  [[nodiscard]] EngineState At(std::int64_t t_us, const EngineInputs& inputs);

 private:
  struct Blip {
    double start_s = 0;
    double length_s = 0;
    double extra_rpm = 0;
  };

  // How far the throttle is into a blip: the extra speed share, open (1)
  // or shut, and the overrun share after the peak.
  struct Throttle {
    double extra = 0;
    double open = 0;
    double overrun = 0;
  };

  // The steps of At, in the order they draw their noise.
  [[nodiscard]] Throttle ThrottleAt(double t) const;
  void SetSpeedAndLoad(EngineState& s, double t, const Throttle& th);
  // The time of the switch to gas.
  double SetWarmUp(EngineState& s, double t, const EngineInputs& inputs);
  void SetInjection(EngineState& s, double t, double switch_at, int cylinders, const Throttle& th);
  void SetLambda(EngineState& s, double t);
  void SetLevel(EngineState& s, double t, double switch_at);

  [[nodiscard]] double Uniform(double lo, double hi);
  [[nodiscard]] double Noise(double amplitude) { return Uniform(-amplitude, amplitude); }
  void ScheduleAfter(double t_s);

  SplitMix64 rng_;
  double last_s_ = 0;
  Blip blip_;
  std::array<std::int32_t, kMaxCylinders> trim_us_{};  // fixed per-cylinder spread
};

}  // namespace velmora::sim
