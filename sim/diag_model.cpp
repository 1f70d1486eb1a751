#include "sim/diag_model.h"

#include <algorithm>
#include <array>

#include "core/text.h"
#include "sim/commands.h"
#include "sim/live_record.h"

namespace velmora::sim {

namespace {

// The errors the self-diagnosis detects itself.
namespace detected {
constexpr std::size_t kBattery = 16;      // 1 too low, 2 too high
constexpr std::size_t kLevelSensor = 18;  // 1 open circuit, 2 short circuit
constexpr std::size_t kInjector = 20;     // the dead injector's number
constexpr std::int32_t kBatteryLowMv = 10'500;
constexpr std::int32_t kBatteryHighMv = 15'500;
constexpr std::int32_t kLevelOpenMv = 50;
constexpr std::int32_t kLevelShortMv = 4'950;
constexpr int kLow = 1;
constexpr int kHigh = 2;
}  // namespace detected

// Block 2's running-time counters (data bytes of 16-bit words).
namespace counters {
constexpr std::size_t kGasHours = 3;
constexpr std::size_t kPetrolHours = 5;
constexpr std::size_t kSinceService = 10;
constexpr std::size_t kSharedMinutes = 15;  // gas and since-service
constexpr std::size_t kPetrolMinutes = 17;
constexpr std::size_t kEnd = 19;
constexpr std::uint16_t kMinutesPerHour = 60;
constexpr std::uint16_t kMaxHours = 65'534;  // 65535 is the reset command
}  // namespace counters

constexpr std::int64_t kMinuteUs = 60'000'000;
constexpr int kStoredError = 5;  // an injector fault from an earlier drive

std::uint16_t Word(std::span<const std::uint8_t> d, std::size_t at) {
  return static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8));
}

void PutWord(std::span<std::uint8_t> d, std::size_t at, std::uint16_t v) {
  d[at] = static_cast<std::uint8_t>(v & 0xFF);
  d[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

std::int64_t Get(std::span<const std::uint8_t> d, std::size_t at, std::size_t bytes) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < bytes; ++i) {
    v |= static_cast<std::uint64_t>(d[at + i]) << (8 * i);
  }
  return static_cast<std::int64_t>(v);
}

void Put(std::span<std::uint8_t> d, std::size_t at, std::size_t bytes, std::int64_t value) {
  const auto v = static_cast<std::uint64_t>(value);
  for (std::size_t i = 0; i < bytes; ++i) {
    d[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
}

std::array<int, kErrorCount> Detect(const EngineState& s) {
  std::array<int, kErrorCount> e{};
  if (s.battery_mv < detected::kBatteryLowMv) {
    e[detected::kBattery] = detected::kLow;
  } else if (s.battery_mv > detected::kBatteryHighMv) {
    e[detected::kBattery] = detected::kHigh;
  }
  if (s.level_raw_mv < detected::kLevelOpenMv) {
    e[detected::kLevelSensor] = detected::kLow;
  } else if (s.level_raw_mv > detected::kLevelShortMv) {
    e[detected::kLevelSensor] = detected::kHigh;
  }
  for (std::size_t c = 0; s.switch_phase == 2 && c < kMaxCylinders; ++c) {
    if (s.petrol_us[c] > 0 && s.gas_us[c] == 0) {
      e[detected::kInjector] = static_cast<int>(c) + 1;
      break;
    }
  }
  return e;
}

// One more minute of running: on gas it counts towards the gas hours and
// the hours since the service, on petrol towards the petrol hours.
void CountMinute(std::span<std::uint8_t> b2, bool on_gas) {
  const std::size_t minutes = on_gas ? counters::kSharedMinutes : counters::kPetrolMinutes;
  const auto m = static_cast<std::uint16_t>(Word(b2, minutes) + 1);
  if (m < counters::kMinutesPerHour) {
    PutWord(b2, minutes, m);
    return;
  }
  PutWord(b2, minutes, 0);
  for (const std::size_t hours :
       on_gas ? std::vector<std::size_t>{counters::kGasHours, counters::kSinceService}
              : std::vector<std::size_t>{counters::kPetrolHours}) {
    PutWord(b2, hours, std::min<std::uint16_t>(counters::kMaxHours, Word(b2, hours) + 1));
  }
}

// The minutes run since the last look; true when one was counted.
bool AdvanceCounters(const EngineState& s, std::int64_t t_us, std::span<std::uint8_t> d,
                     EcuMemory& m) {
  const std::int64_t last = Get(d, diag_region::kLastTime, 8);
  Put(d, diag_region::kLastTime, 8, t_us);
  // A restarted ECU's clock begins again: nothing to count across it.
  if (t_us <= last || s.rpm <= 0) {
    return false;
  }
  std::int64_t run = Get(d, diag_region::kMinuteTime, 4) + (t_us - last);
  const auto b2 = m.Region(region::kBlock2);
  bool counted = false;
  for (; run >= kMinuteUs && b2.size() >= counters::kEnd; run -= kMinuteUs) {
    CountMinute(b2, s.on_gas);
    counted = true;
  }
  Put(d, diag_region::kMinuteTime, 4, run % kMinuteUs);
  return counted;
}

}  // namespace

std::optional<std::vector<EcuError>> ParseEcuErrors(std::string_view text) {
  std::vector<EcuError> errors;
  for (const std::string& item : core::Split(text, ',')) {
    const std::size_t colon = item.find(':');
    const auto number = core::ParseInt32(item.substr(0, colon));
    const auto state = colon == std::string::npos ? std::optional<std::int32_t>(1)
                                                  : core::ParseInt32(item.substr(colon + 1));
    if (!number || !state || *number < 0 || *number >= static_cast<int>(kErrorCount) ||
        *state < 1 || *state > 255) {
      return std::nullopt;
    }
    errors.push_back({*number, *state});
  }
  return errors;
}

Bytes InitialDiagnosis(const std::vector<EcuError>& errors) {
  Bytes d(diag_region::kSize, 0);
  d[diag_region::kEraseAllowed] = 1;
  for (const EcuError& e : errors) {
    d[diag_region::kInjected + static_cast<std::size_t>(e.number)] =
        static_cast<std::uint8_t>(e.state);
  }
  return d;
}

Bytes InitialErrorMemory(const std::vector<EcuError>& errors) {
  Bytes d(2 * kErrorCount, 0);
  d[kErrorCount + kStoredError] = 1;
  for (const EcuError& e : errors) {
    const auto n = static_cast<std::size_t>(e.number);
    d[n] = d[kErrorCount + n] = static_cast<std::uint8_t>(e.state);
  }
  return d;
}

bool ObserveEngine(const EngineState& s, std::int64_t t_us, EcuMemory& m) {
  const auto d = m.Region(diag_region::kName);
  const auto errors = m.Region(region::kErrorMemory);
  if (d.size() != diag_region::kSize || errors.size() != 2 * kErrorCount) {
    return false;
  }
  d[diag_region::kEraseAllowed] = EngineConditionOk(s) ? 1 : 0;
  const auto found = Detect(s);
  bool changed = false;
  for (std::size_t n = 0; n < kErrorCount; ++n) {
    const int injected = d[diag_region::kInjected + n];
    const auto now = static_cast<std::uint8_t>(injected != 0 ? injected : found[n]);
    changed = changed || errors[n] != now || (now != 0 && errors[kErrorCount + n] != now);
    errors[n] = now;
    if (now != 0) {
      errors[kErrorCount + n] = now;
    }
  }
  return AdvanceCounters(s, t_us, d, m) || changed;
}

bool EraseErrors(EcuMemory& m) {
  const auto d = m.Region(diag_region::kName);
  if (d.size() != diag_region::kSize || d[diag_region::kEraseAllowed] == 0) {
    return false;
  }
  std::fill(d.begin() + diag_region::kInjected, d.end(), 0);
  const auto errors = m.Region(region::kErrorMemory);
  std::fill(errors.begin(), errors.end(), 0);
  return true;
}

}  // namespace velmora::sim
