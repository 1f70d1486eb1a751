#include "sim/engine_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/pressure_model.h"

namespace velmora::sim {
namespace {

// The engine's figures, all in the units of EngineState.
namespace engine {
constexpr double kIdleRpm = 800;
constexpr double kIdleWanderRpm = 15;  // slow hunting of the idle controller
constexpr double kIdleWanderHz = 0.2;
constexpr double kRpmNoise = 8;
constexpr double kBlipGapMinS = 4;
constexpr double kBlipGapMaxS = 12;
constexpr double kBlipLengthMinS = 1.2;
constexpr double kBlipLengthMaxS = 2.5;
constexpr double kBlipExtraMinRpm = 900;
constexpr double kBlipExtraMaxRpm = 2200;
constexpr double kBlipRiseShare = 0.25;  // share of a blip spent opening
constexpr double kBlipDecay = 4;         // per blip length, after the peak
constexpr double kIdleManifoldMbar = 335;
constexpr double kOpenManifoldMbar = 780;
constexpr double kOverrunManifoldMbar = 250;
constexpr double kManifoldNoise = 6;
// Petrol injection time against manifold pressure: about 3 ms at idle.
constexpr double kPetrolBaseUs = 900;
constexpr double kPetrolUsPerMbar = 6.2;
constexpr double kPetrolNoiseUs = 40;
constexpr double kCylinderSpreadUs = 20;  // per step of the fixed trim, -4..4 steps
// Gas injection: longer than petrol for the same mixture, plus the dead time.
constexpr double kGasRatio = 1.3;
constexpr double kGasDeadUs = 300;
constexpr double kGasCorrectionStepUs = 25;
constexpr double kGasPressureMbar = 1150;
constexpr double kGasPressureRiseS = 0.8;
constexpr double kGasPressureDropPerOpen = 40;
constexpr double kGasPressureNoise = 12;
constexpr double kPetrolPressureMv = 3000;
constexpr double kPetrolPressureNoise = 20;
constexpr double kBatteryMv = 14150;
constexpr double kBatteryBlipDropMv = 120;
constexpr double kBatteryNoise = 40;
// Lambda probes: cold and flat at first, then switching about once a second.
constexpr double kLambdaHotS = 20;
constexpr double kLambdaColdMv = 450;
constexpr double kLambdaMidMv = 450;
constexpr double kLambdaSwingMv = 380;
constexpr double kLambdaSharpness = 6;
constexpr double kLambdaHz = 1.0;
constexpr double kLambdaJitter = 0.15;
constexpr double kLambdaJitterHz = 0.37;
constexpr double kLambdaSecondProbeLag = 0.35;  // of a cycle
constexpr double kLambdaNoise = 15;
constexpr double kPostCatMv = 640;
constexpr double kPostCatSecondMv = 610;
constexpr double kPostCatSwing = 40;
constexpr double kPostCatHz = 0.2;
constexpr double kPostCatNoise = 10;
// Temperatures from a cold start.
constexpr double kAmbientC = 20;
constexpr double kReducerWarmC = 80;
constexpr double kReducerTauS = 150;
constexpr double kGasStartC = 18;
constexpr double kGasWarmC = 35;
constexpr double kGasTauS = 240;
constexpr double kMinSwitchS = 8;  // never on gas before this
constexpr double kSwitchingS = 2;  // the change-over itself
// Tank level: slowly falling while on gas.
constexpr double kLevelStartPercent = 62;
constexpr double kLevelPercentPerS = 1.0 / 600;
constexpr double kLevelMvPerPercent = 40;
constexpr double kLevelNoiseMv = 60;
constexpr double kLedPercent = 20;  // one LED per 20 %
constexpr double kMaxLeds = 5;
constexpr double kIdleThrottlePercent = 3;
constexpr double kOpenThrottlePercent = 35;
}  // namespace engine

constexpr double kMicrosPerSecond = 1e6;

std::int32_t Round(double v) {
  return static_cast<std::int32_t>(std::lround(v));
}

// 0..1 to 0..1, flat at both ends.
double Smooth(double x) {
  x = std::clamp(x, 0.0, 1.0);
  return x * x * (3 - 2 * x);
}

}  // namespace

EngineModel::EngineModel(std::uint64_t seed) : rng_(seed) {
  for (std::size_t i = 0; i < kMaxCylinders; ++i) {
    trim_us_[i] = static_cast<std::int32_t>(std::lround(Uniform(-4, 4))) *
                  static_cast<std::int32_t>(engine::kCylinderSpreadUs);
  }
  ScheduleAfter(0);
}

double EngineModel::Uniform(double lo, double hi) {
  const double unit = rng_.Unit();
  return lo + (hi - lo) * unit;
}

void EngineModel::ScheduleAfter(double t_s) {
  blip_.start_s = t_s + Uniform(engine::kBlipGapMinS, engine::kBlipGapMaxS);
  blip_.length_s = Uniform(engine::kBlipLengthMinS, engine::kBlipLengthMaxS);
  blip_.extra_rpm = Uniform(engine::kBlipExtraMinRpm, engine::kBlipExtraMaxRpm);
}

EngineModel::Throttle EngineModel::ThrottleAt(double t) const {
  using namespace engine;
  // The blip opens the throttle, then the engine overruns with the throttle
  // shut while the speed falls back.
  Throttle th;
  if (t >= blip_.start_s) {
    const double x = (t - blip_.start_s) / blip_.length_s;
    if (x < kBlipRiseShare) {
      th.extra = Smooth(x / kBlipRiseShare);
      th.open = 1;
    } else {
      th.extra = std::exp(-(x - kBlipRiseShare) * kBlipDecay);
      th.overrun = th.extra;
    }
  }
  return th;
}

void EngineModel::SetSpeedAndLoad(EngineState& s, double t, const Throttle& th) {
  using namespace engine;
  const double wander = kIdleWanderRpm * std::sin(2 * std::numbers::pi * kIdleWanderHz * t);
  s.rpm = Round(kIdleRpm + wander + th.extra * blip_.extra_rpm + Noise(kRpmNoise));
  s.blip = th.open > 0;
  s.throttle_percent = Round(kIdleThrottlePercent + th.open * kOpenThrottlePercent);
  s.manifold_mbar =
      Round(kIdleManifoldMbar + th.open * (kOpenManifoldMbar - kIdleManifoldMbar) -
            th.overrun * (kIdleManifoldMbar - kOverrunManifoldMbar) + Noise(kManifoldNoise));
}

double EngineModel::SetWarmUp(EngineState& s, double t, const EngineInputs& inputs) {
  using namespace engine;
  s.reducer_c = Round(kReducerWarmC - (kReducerWarmC - kAmbientC) * std::exp(-t / kReducerTauS));
  s.gas_c = Round(kGasWarmC - (kGasWarmC - kGasStartC) * std::exp(-t / kGasTauS));
  double switch_at = kMinSwitchS;
  const double needed = inputs.switch_temperature_c;
  if (needed >= kReducerWarmC) {
    switch_at = INFINITY;
  } else if (needed > kAmbientC) {
    switch_at = std::max(switch_at, -kReducerTauS * std::log((kReducerWarmC - needed) /
                                                             (kReducerWarmC - kAmbientC)));
  }
  s.on_gas = t >= switch_at;
  s.switch_phase = !s.on_gas ? 0 : (t < switch_at + kSwitchingS ? 1 : 2);
  return switch_at;
}

void EngineModel::SetInjection(EngineState& s, double t, double switch_at, int cylinders,
                               const Throttle& th) {
  using namespace engine;
  const double petrol = kPetrolBaseUs + kPetrolUsPerMbar * s.manifold_mbar;
  for (int i = 0; i < cylinders; ++i) {
    const auto c = static_cast<std::size_t>(i);
    s.petrol_us[c] = std::max(0, Round(petrol + trim_us_[c] + Noise(kPetrolNoiseUs)));
    s.gas_correction_us[c] = Round(((i % 3) - 1) * kGasCorrectionStepUs);
    if (s.on_gas) {
      s.gas_us[c] =
          std::max(0, Round(s.petrol_us[c] * kGasRatio + kGasDeadUs + s.gas_correction_us[c]));
    }
  }
  if (s.on_gas) {
    const double rise = 1 - std::exp(-(t - switch_at) / kGasPressureRiseS);
    s.gas_pressure_mbar =
        std::max(0, Round(rise * (kGasPressureMbar - th.open * kGasPressureDropPerOpen) +
                          Noise(kGasPressureNoise)));
  }
  s.petrol_pressure_mv = Round(kPetrolPressureMv + Noise(kPetrolPressureNoise));
  s.battery_mv = Round(kBatteryMv - th.open * kBatteryBlipDropMv + Noise(kBatteryNoise));
}

void EngineModel::SetLambda(EngineState& s, double t) {
  using namespace engine;
  s.lambda_active = t >= kLambdaHotS;
  const double phase =
      kLambdaHz * t + kLambdaJitter * std::sin(2 * std::numbers::pi * kLambdaJitterHz * t);
  for (std::size_t p = 0; p < 2; ++p) {
    const double cycle = phase - static_cast<double>(p) * kLambdaSecondProbeLag;
    const double swing =
        std::tanh(kLambdaSharpness * std::sin(2 * std::numbers::pi * cycle)) * kLambdaSwingMv;
    s.lambda_mv[p] = std::max(
        0, Round((s.lambda_active ? kLambdaMidMv + swing : kLambdaColdMv) + Noise(kLambdaNoise)));
  }
  const double post = kPostCatSwing * std::sin(2 * std::numbers::pi * kPostCatHz * t);
  s.lambda_mv[2] =
      Round((s.lambda_active ? kPostCatMv + post : kLambdaColdMv) + Noise(kPostCatNoise));
  s.lambda_mv[3] =
      Round((s.lambda_active ? kPostCatSecondMv - post : kLambdaColdMv) + Noise(kPostCatNoise));
}

void EngineModel::SetLevel(EngineState& s, double t, double switch_at) {
  using namespace engine;
  const double used = s.on_gas ? (t - switch_at) * kLevelPercentPerS : 0;
  const double percent = std::max(0.0, kLevelStartPercent - used);
  s.level_percent = Round(percent);
  s.level_leds = static_cast<std::int32_t>(std::min(kMaxLeds, std::ceil(percent / kLedPercent)));
  s.level_mv = Round(percent * kLevelMvPerPercent);
  s.level_raw_mv = std::max(0, Round(s.level_mv + Noise(kLevelNoiseMv)));
}

EngineState EngineModel::At(std::int64_t t_us, const EngineInputs& inputs) {
  const double t = std::max(last_s_, static_cast<double>(t_us) / kMicrosPerSecond);
  last_s_ = t;
  while (t >= blip_.start_s + blip_.length_s) {
    ScheduleAfter(blip_.start_s + blip_.length_s);
  }
  const int cylinders = std::clamp(inputs.cylinders, 0, static_cast<int>(kMaxCylinders));
  EngineState s;
  const Throttle th = ThrottleAt(t);
  SetSpeedAndLoad(s, t, th);
  const double switch_at = SetWarmUp(s, t, inputs);
  SetInjection(s, t, switch_at, cylinders, th);
  ApplyLoadToPressures(s);
  SetLambda(s, t);
  SetLevel(s, t, switch_at);
  s.level_leds = LevelLeds(s.level_mv, inputs.level_curve, s.level_leds);
  return s;
}

}  // namespace velmora::sim
