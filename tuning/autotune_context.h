#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/text_block.h"
#include "session/write_list.h"
#include "tuning/autotune_log.h"
#include "tuning/autotune_params.h"
#include "tuning/autotune_run.h"

namespace velmora::tuning {

// Where the procedure reads and writes, by entry and field.
namespace tune_field {
inline constexpr std::size_t kLive = 1;
inline constexpr std::size_t kFirstPetrol = 7;  // cylinder 1; 8 words
inline constexpr std::size_t kFirstGas = 15;
inline constexpr std::size_t kRpm = 32;
inline constexpr std::size_t kGasPressure = 33;
inline constexpr std::size_t kTemperature = 43;
inline constexpr std::size_t kTemperature1 = 44;
inline constexpr std::size_t kRpmIndex = 51;
inline constexpr std::size_t kTimeIndex = 52;

inline constexpr std::size_t kBlock2 = 2;
inline constexpr std::size_t kState = 0;
inline constexpr std::size_t kSubState = 1;
// The cylinder field 6 stands for: 0 all (the idle correction), i the
// cylinder i; selecting one makes the ECU run only that one on gas.
inline constexpr std::size_t kSelector = 5;
inline constexpr std::size_t kCorrection = 6;
// The step being run (0: none), which the ECU shows and holds its own
// adaptation under.
inline constexpr std::size_t kPhase = 8;

inline constexpr std::size_t kConfig = 3;
inline constexpr std::size_t kOptions = 33;
inline constexpr std::int32_t kSecondSetBit = 32;
inline constexpr std::size_t kFirstCylinderMark = 16;  // cylinder i + 1 at 16 - i

inline constexpr std::size_t kBlock6 = 15;
inline constexpr std::size_t kBlock6Bits = 5;
inline constexpr std::int32_t kStartBit = 16;
inline constexpr std::int32_t kSteppedBit = 64;
inline constexpr std::size_t kSystemId = 47;

inline constexpr std::size_t kPressureTable = 9;
inline constexpr std::size_t kCentredFlag = 30;
inline constexpr std::size_t kPairsInUse = 31;

// Byte 15 of the map configuration block: the alternative path.
inline constexpr std::size_t kViewByte = 15;
inline constexpr std::uint8_t kAlternativeBit = 4;
inline constexpr std::uint8_t kMapViewBit = 8;
}  // namespace tune_field

namespace tune_timing {
inline constexpr double kPollMs = 50;
inline constexpr double kPumpSliceUs = 10'000;
inline constexpr int kGraceReload = 10;
inline constexpr int kSteps = 7;
}  // namespace tune_timing

// What one poll of the live blocks gives.
struct LiveValues {
  int state = 0;
  int sub_state = 0;
  int rpm = 0;
  int temperature = 0;
  int sample = 0;  // mean petrol time of the present cylinders
  int petrol_min = 0;
  int petrol_max = 0;
  int gas = 0;
  int pressure = 0;
  int correction = 0;
};

// The engine-speed watch of step 1 and step 6: a running engine reloads
// it, every other poll takes one away; lost below 0.
class GraceCounter {
 public:
  [[nodiscard]] bool Lost(int rpm, int rpm_min) {
    left_ = rpm > 0 && rpm >= rpm_min ? tune_timing::kGraceReload : left_ - 1;
    return left_ < 0;
  }

 private:
  int left_ = tune_timing::kGraceReload;
};

// Waits `ms` on `clock` while `pump` keeps events flowing; false when
// `cancel` (when given) was set meanwhile.
[[nodiscard]] bool PumpedWait(platform::Clock& clock, platform::EventPump& pump, double ms,
                              const bool* cancel);

// One run: its links, parameters, log and fitter's buttons.
class RunContext {
 public:
  RunContext(const pages::PageEnv& env, const TuningLinks& links, TuningObserver& observer,
             TuningControl& control, TuningParameters params);

  const pages::PageEnv& env;
  const TuningLinks& links;
  TuningObserver& observer;
  TuningControl& control;
  TuningParameters params;
  TuningLog log;
  std::string refusal;  // why the parameter file cannot be used

  [[nodiscard]] std::string Text(int k) const;
  [[nodiscard]] std::int64_t Now() const;
  // Microseconds since the run started.
  [[nodiscard]] std::int64_t Elapsed() const { return Now() - started_; }
  [[nodiscard]] bool Cancelled() const { return control.cancel; }

  // Waits while events flow; false when Cancel was pressed meanwhile.
  [[nodiscard]] bool Wait(double ms);
  // Reads the live record and block 2 and shows them; false when an
  // exchange failed.
  [[nodiscard]] bool Poll(LiveValues& out);
  // One entry read; false when it failed.
  [[nodiscard]] bool Read(std::size_t entry);
  // Write-list records applied to `entry` at once.
  [[nodiscard]] bool Write(std::size_t entry, const std::vector<session::WriteRecord>& records);
  // The step the ECU runs under and the cylinder it stands for.
  [[nodiscard]] bool SetPhase(int step, int cylinder = 0);
  void ShowStep(int step);
  void Say(int text) { observer.Instruction(Text(text)); }

  [[nodiscard]] std::int32_t Value(std::size_t entry, std::size_t field) const {
    return env.table.Value(entry, field);
  }
  // The present cylinders, counted from 1.
  [[nodiscard]] std::vector<int> PresentCylinders() const;
  [[nodiscard]] bool AlternativePath() const;

 private:
  core::TextBlock texts_;
  std::int64_t started_;
};

}  // namespace velmora::tuning
