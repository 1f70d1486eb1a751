#include "sim/tuning_model.h"

#include <algorithm>
#include <cmath>

#include "sim/commands.h"

namespace velmora::sim {
namespace {

constexpr const char* kTuneRegion = "TUNE";  // byte 0 the selection, then 9 words

// Block 2 data bytes the auto-tuning uses.
namespace b2 {
constexpr std::size_t kSelector = 7;
constexpr std::size_t kCorrection = 8;
constexpr std::size_t kPhase = 12;
}  // namespace b2

namespace phase {
constexpr int kWaitReady = 1;
constexpr int kSampleIdle = 3;
constexpr int kSampleRaised = 4;
constexpr int kInjectors = 5;
}  // namespace phase

namespace fig {
// A fast idle the fitter holds through the run, above the parameter file's
// first-set "Rpm minimi" (900) and below its "Rpm ritorno minimo" (1200).
constexpr double kIdleRpm = 1000;
constexpr double kRaisedRpm = 2500;
constexpr double kRpmTauS = 0.6;
constexpr double kRpmNoise = 8;
constexpr double kIdlePetrolUs = 2977;
constexpr double kRaisedPetrolUs = 3680;
constexpr double kPetrolNoiseUs = 30;
constexpr double kCorrectionTauS = 0.3;
// The corrections that would be right, per cylinder, and the idle extra.
constexpr std::array<double, 8> kRightUs = {260, -220, 300, -250, 200, -180, 240, -160};
constexpr double kIdleExtraUs = 170;
constexpr double kBadInjectorUs = 600;
constexpr double kGasRatio = 1.3;
constexpr double kGasDeadUs = 300;
constexpr double kGasPressureMbar = 1150;
constexpr double kIdleManifoldMbar = 335;
constexpr double kRaisedManifoldMbar = 450;
}  // namespace fig

constexpr std::size_t kSlots = 9;
constexpr std::size_t kRegionSize = 1 + 2 * kSlots;

std::int16_t WordAt(std::span<const std::uint8_t> d, std::size_t at) {
  return static_cast<std::int16_t>(d[at] | (d[at + 1] << 8));
}
void PutWord(std::span<std::uint8_t> d, std::size_t at, std::int16_t v) {
  const auto w = static_cast<std::uint16_t>(v);
  d[at] = static_cast<std::uint8_t>(w & 0xFF);
  d[at + 1] = static_cast<std::uint8_t>(w >> 8);
}

std::size_t Selection(std::span<const std::uint8_t> block2) {
  const std::size_t s = block2[b2::kSelector];
  return s < kSlots ? s : 0;
}

std::int32_t Round(double v) {
  return static_cast<std::int32_t>(std::lround(v));
}

}  // namespace

TuningModel::TuningModel(std::uint64_t seed, int bad_injector)
    : rng_(seed ^ SplitMix64::kGolden), bad_injector_(bad_injector) {}

double TuningModel::Noise(double amplitude) {
  const double unit = rng_.Unit();
  return amplitude * (2 * unit - 1);
}

void TuningModel::Follow(const EcuMemory& m, double t) {
  const auto b = m.Region(region::kBlock2);
  const auto tune = m.Region(kTuneRegion);
  const int step = b[b2::kPhase];
  const double wanted =
      step == phase::kSampleRaised || step == phase::kInjectors ? fig::kRaisedRpm : fig::kIdleRpm;
  const double dt = last_s_ < 0 ? 0 : std::max(0.0, t - last_s_);
  if (last_s_ < 0) {
    rpm_ = fig::kIdleRpm;
  }
  last_s_ = std::max(last_s_, t);
  rpm_ += (wanted - rpm_) * (1 - std::exp(-dt / fig::kRpmTauS));
  const double share = 1 - std::exp(-dt / fig::kCorrectionTauS);
  for (std::size_t k = 0; k < kSlots; ++k) {
    effective_[k] += (WordAt(tune, 1 + 2 * k) - effective_[k]) * share;
  }
}

void TuningModel::SetInjection(EngineState& s, const EcuMemory& m, int step) {
  const int cylinders =
      std::clamp<int>(m.Region(region::kBlock3)[block3::kCylinders], 0, kMaxCylinders);
  const std::size_t selected = Selection(m.Region(region::kBlock2));
  const auto on_gas = [&](int c) {
    if (step == phase::kSampleIdle || step == phase::kSampleRaised) {
      return false;
    }
    return step != phase::kInjectors || static_cast<std::size_t>(c + 1) == selected;
  };
  int gas_count = 0;
  for (int c = 0; c < cylinders; ++c) {
    gas_count += on_gas(c) ? 1 : 0;
  }
  const double raised = (rpm_ - fig::kIdleRpm) / (fig::kRaisedRpm - fig::kIdleRpm);
  const double base = fig::kIdlePetrolUs + raised * (fig::kRaisedPetrolUs - fig::kIdlePetrolUs);
  s.manifold_mbar =
      Round(fig::kIdleManifoldMbar + raised * (fig::kRaisedManifoldMbar - fig::kIdleManifoldMbar));
  for (int c = 0; c < cylinders; ++c) {
    const auto k = static_cast<std::size_t>(c);
    const double correction = effective_[0] + effective_[k + 1];
    double petrol = base + Noise(fig::kPetrolNoiseUs);
    if (on_gas(c)) {
      const double idle = step == phase::kInjectors ? 0 : fig::kIdleExtraUs;
      const double error =
          c + 1 == bad_injector_ ? fig::kBadInjectorUs : fig::kRightUs[k] + idle - correction;
      petrol += error * cylinders / std::max(gas_count, 1);
    }
    s.petrol_us[k] = std::max(0, Round(petrol));
    s.gas_correction_us[k] = Round(correction);
    s.gas_us[k] = on_gas(c) ? Round(petrol * fig::kGasRatio + fig::kGasDeadUs + correction) : 0;
  }
  s.on_gas = gas_count > 0;
  s.switch_phase = s.on_gas ? 2 : 0;
  if (s.on_gas && s.gas_pressure_mbar == 0) {
    s.gas_pressure_mbar = Round(fig::kGasPressureMbar + Noise(fig::kPetrolNoiseUs));
  }
}

EngineState TuningModel::Apply(EngineState s, const EcuMemory& m, std::int64_t t_us) {
  const auto b = m.Region(region::kBlock2);
  if (b.size() <= b2::kPhase || m.Region(kTuneRegion).size() != kRegionSize ||
      m.Region(region::kBlock3).size() <= block3::kCylinders) {
    return s;
  }
  Follow(m, static_cast<double>(t_us) / 1e6);
  const int step = b[b2::kPhase];
  if (step < phase::kWaitReady) {
    return s;
  }
  s.rpm = Round(rpm_ + Noise(fig::kRpmNoise));
  s.blip = false;
  SetInjection(s, m, step);
  return s;
}

void ObserveTuningWrite(EcuMemory& m) {
  const auto b = m.Region(region::kBlock2);
  const auto tune = m.Region(kTuneRegion);
  if (b.size() <= b2::kPhase || tune.size() != kRegionSize) {
    return;
  }
  const std::size_t selected = Selection(b);
  const std::size_t slot = 1 + 2 * selected;
  if (selected != tune[0]) {
    tune[0] = static_cast<std::uint8_t>(selected);
    PutWord(b, b2::kCorrection, WordAt(tune, slot));
  } else {
    PutWord(tune, slot, WordAt(b, b2::kCorrection));
  }
}

void RegisterTuningModel(CommandTable& /*table*/, EcuMemory& memory, const SimSetup& /*setup*/) {
  memory.Define(kTuneRegion, Bytes(kRegionSize, 0));
}

}  // namespace velmora::sim
