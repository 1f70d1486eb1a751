#include "sim/live_record.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "sim/axis_tables.h"

namespace velmora::sim {
namespace {

// Data byte offsets of the main live record.
namespace live_at {
constexpr std::size_t kOperatingState = 0;
constexpr std::size_t kFuel = 1;
constexpr std::size_t kSwitchPhase = 2;
constexpr std::size_t kLevelLeds = 4;
constexpr std::size_t kPetrolTimes = 7;  // 8 words
constexpr std::size_t kGasTimes = 23;    // 8 words
constexpr std::size_t kGasCorrections = 39;
constexpr std::size_t kRpmPeriod = 57;
constexpr std::size_t kGasPressure = 59;
constexpr std::size_t kPetrolPressure = 61;
constexpr std::size_t kBattery = 63;
constexpr std::size_t kLambda1 = 65;
constexpr std::size_t kLambda2 = 67;
constexpr std::size_t kStatus = 69;
constexpr std::size_t kLambda1Post = 70;
constexpr std::size_t kLambda2Post = 72;
constexpr std::size_t kLevelRaw = 74;
constexpr std::size_t kLevel = 76;
constexpr std::size_t kReducerTemp = 78;
constexpr std::size_t kGasTemp = 80;
constexpr std::size_t kFlags = 82;
constexpr std::size_t kLevelPercent = 83;
constexpr std::size_t kManifold = 88;
constexpr std::size_t kRpmIndex = 92;
constexpr std::size_t kTimeIndex = 93;
}  // namespace live_at

constexpr std::uint8_t kEngineConditionOk = 0x01;  // idling steadily
constexpr std::uint8_t kTraceTrigger = 0x80;
constexpr std::int32_t kSteadyIdleMaxRpm = 1200;

constexpr double kRpmPeriodNumerator = 15'000'000;
constexpr std::int32_t kMaxWord = 0xFFFF;

// OBD readings: fuel trims around 128 (0 %), sensor voltages in 5 mV steps.
namespace obd {
constexpr std::uint8_t kValid = 1;
constexpr std::uint8_t kFuelSystemClosedLoop = 2;
constexpr std::uint8_t kFuelSystemOpenLoop = 1;
constexpr std::uint8_t kTrimZero = 128;
constexpr int kShortTrimSwing = 6;
constexpr std::uint8_t kLongTrimPetrol = 131;
constexpr std::uint8_t kLongTrimGas = 136;
constexpr std::uint8_t kLongTrimBank2 = 129;
constexpr std::uint8_t kNotUsed = 0xFF;
constexpr int kMvPerStep = 5;
constexpr int kPercentToByte = 255;
constexpr int kMidLambdaMv = 450;
constexpr int kLambdaSwingMv = 380;
constexpr std::array<std::uint8_t, 8> kPids = {0x03, 0x06, 0x07, 0x08, 0x09, 0x11, 0x14, 0x15};
constexpr std::size_t kGroupSize = 4;  // valid, PID, A, B
}  // namespace obd

void PutWord(Bytes& d, std::size_t at, std::int32_t v) {
  const auto w = static_cast<std::uint16_t>(v);  // signed words as two's complement
  d[at] = static_cast<std::uint8_t>(w & 0xFF);
  d[at + 1] = static_cast<std::uint8_t>(w >> 8);
}

std::uint8_t Byte(std::int32_t v) {
  return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

}  // namespace

int RpmIndex(std::int32_t rpm) {
  static const Bytes table = FactoryRpmTable();
  return RpmIndexIn(table, rpm);
}

int InjectionTimeIndex(std::int32_t injection_us) {
  static const Bytes table = FactoryTimeTable();
  return TimeIndexIn(table, injection_us);
}

std::uint16_t RpmPeriod(std::int32_t rpm, int factor) {
  if (rpm <= 0) {
    return 0;
  }
  const double f = factor == 2 ? 2 : 1;
  const double period = std::round(kRpmPeriodNumerator / (rpm * f));
  return static_cast<std::uint16_t>(std::min<double>(period, kMaxWord));
}

bool EngineConditionOk(const EngineState& s) {
  return s.rpm > 0 && s.rpm < kSteadyIdleMaxRpm && !s.blip;
}

Bytes LiveRecordData(const EngineState& s, int cylinders, int rpm_factor, const AxisLookup& axes) {
  Bytes d(kLiveRecordSize, 0);
  d[live_at::kOperatingState] = 0;
  d[live_at::kFuel] = s.on_gas ? 1 : 0;
  d[live_at::kSwitchPhase] = static_cast<std::uint8_t>(s.switch_phase);
  d[live_at::kLevelLeds] = Byte(s.level_leds);
  std::int64_t sum = 0;
  int present = 0;
  for (std::size_t c = 0; c < kMaxCylinders; ++c) {
    PutWord(d, live_at::kPetrolTimes + 2 * c, s.petrol_us[c]);
    PutWord(d, live_at::kGasTimes + 2 * c, s.gas_us[c]);
    PutWord(d, live_at::kGasCorrections + 2 * c, s.gas_correction_us[c]);
    if (static_cast<int>(c) < cylinders && s.petrol_us[c] > 0) {
      sum += s.petrol_us[c];
      ++present;
    }
  }
  PutWord(d, live_at::kRpmPeriod, RpmPeriod(s.rpm, rpm_factor));
  PutWord(d, live_at::kGasPressure, s.gas_pressure_mbar);
  PutWord(d, live_at::kPetrolPressure, s.petrol_pressure_mv);
  PutWord(d, live_at::kBattery, s.battery_mv);
  PutWord(d, live_at::kLambda1, s.lambda_mv[0]);
  PutWord(d, live_at::kLambda2, s.lambda_mv[1]);
  d[live_at::kStatus] = EngineConditionOk(s) ? kEngineConditionOk : 0;
  PutWord(d, live_at::kLambda1Post, s.lambda_mv[2]);
  PutWord(d, live_at::kLambda2Post, s.lambda_mv[3]);
  PutWord(d, live_at::kLevelRaw, s.level_raw_mv);
  PutWord(d, live_at::kLevel, s.level_mv);
  PutWord(d, live_at::kReducerTemp, s.reducer_c);
  PutWord(d, live_at::kGasTemp, s.gas_c);
  d[live_at::kFlags] = s.blip ? kTraceTrigger : 0;
  d[live_at::kLevelPercent] = Byte(s.level_percent);
  PutWord(d, live_at::kManifold, s.manifold_mbar);
  d[live_at::kRpmIndex] = static_cast<std::uint8_t>(RpmIndexIn(axes.rpm, s.rpm));
  const std::int32_t mean = present == 0 ? 0 : static_cast<std::int32_t>(sum / present);
  d[live_at::kTimeIndex] = static_cast<std::uint8_t>(TimeIndexIn(axes.time, mean));
  return d;
}

void PutObdReadings(const EngineState& s, std::span<std::uint8_t> o) {
  if (o.size() <= kObdLiveLast) {
    return;
  }
  // The short-term trim follows the front probe: lean pulls it up.
  const int lean =
      (obd::kMidLambdaMv - s.lambda_mv[0]) * obd::kShortTrimSwing / obd::kLambdaSwingMv;
  const std::uint8_t shortTrim = s.lambda_active ? Byte(obd::kTrimZero + lean) : obd::kTrimZero;
  const std::uint8_t longTrim = s.on_gas ? obd::kLongTrimGas : obd::kLongTrimPetrol;
  const std::array<std::array<std::uint8_t, 2>, 8> ab = {{
      {s.lambda_active ? obd::kFuelSystemClosedLoop : obd::kFuelSystemOpenLoop, 0},
      {shortTrim, obd::kNotUsed},
      {longTrim, obd::kNotUsed},
      {obd::kTrimZero, obd::kNotUsed},
      {obd::kLongTrimBank2, obd::kNotUsed},
      {Byte(s.throttle_percent * obd::kPercentToByte / 100), 0},
      {Byte(s.lambda_mv[0] / obd::kMvPerStep), obd::kNotUsed},
      {Byte(s.lambda_mv[2] / obd::kMvPerStep), obd::kNotUsed},
  }};
  // Groups of four bytes from data byte 24; the group of PID 03 shares its
  // first byte with the run flag, which the workstation owns.
  for (std::size_t g = 0; g < obd::kPids.size(); ++g) {
    const std::size_t at = kObdLiveFirst - 1 + g * obd::kGroupSize;
    if (g != 0) {
      o[at] = obd::kValid;
    }
    o[at + 1] = obd::kPids[g];
    o[at + 2] = ab[g][0];
    o[at + 3] = ab[g][1];
  }
}

Bytes Mem10Data(const EngineState& s, std::uint8_t counter) {
  // Sequence number, the working point and the gas system, the rest spare.
  Bytes d(kMem10Size, 0);
  std::size_t at = 0;
  d[at++] = counter;
  for (const std::int32_t word :
       {s.rpm, s.manifold_mbar, s.petrol_us[0], s.gas_us[0], s.gas_pressure_mbar}) {
    PutWord(d, at, word);
    at += 2;
  }
  d[at++] = Byte(s.reducer_c);
  d[at++] = Byte(s.gas_c);
  d[at++] = Byte(s.lambda_mv[0] / obd::kMvPerStep);
  d[at++] = s.on_gas ? 1 : 0;
  d[at] = static_cast<std::uint8_t>(s.switch_phase);
  return d;
}

}  // namespace velmora::sim
