#pragma once

#include <string_view>

#include "link/ecu_access.h"
#include "pages/page_services.h"
#include "platform/event_pump.h"
#include "session/calibration_service.h"

namespace velmora::tuning {

// What a step, and so the whole run, ends with.
namespace tune_result {
inline constexpr int kDone = 0;            // go on / finished and written
inline constexpr int kCancelled = 1;       // the fitter pressed Cancel
inline constexpr int kEngineStopped = 2;   // rpm fell below "Rpm minimi" or to 0
inline constexpr int kOutOfTolerance = 5;  // more out-of-tolerance cycles than allowed
inline constexpr int kStateRefused = 6;    // the ECU's operating state forbids measuring
inline constexpr int kNotStarted = -1;     // refused before step 1 (parameter file)
inline constexpr int kLinkFailed = 7;      // an ECU exchange or the final map write failed
}  // namespace tune_result

// The live values the window shows while the procedure runs.
struct TuningLive {
  int rpm = 0;
  int reducer_temperature = 0;
  int gas_pressure = 0;
  int petrol_us = 0;  // mean petrol injection time of the present cylinders
  int gas_us = 0;     // mean gas injection time
};

// Whoever watches a run: the auto-tuning window or the command line.
class TuningObserver {
 public:
  virtual ~TuningObserver() = default;
  // Step 0..7, its progress round(100 / 7 * step) and its title.
  virtual void StepChanged(int step, int percent, std::string_view title) = 0;
  // An instruction or a warning for the fitter.
  virtual void Instruction(std::string_view text) = 0;
  // The cylinder being tuned, counted from 1; 0 outside the injector step.
  virtual void Cylinder(int cylinder) = 0;
  // One sample taken: petrol and gas times (microseconds), count and wanted.
  virtual void Sample(int petrol_us, int gas_us, int count, int wanted) = 0;
  // The values of every poll.
  virtual void Live(const TuningLive& live) = 0;
  // The run ended: its result code and the text that explains it.
  virtual void Finished(int result, std::string_view text) = 0;
};

// The fitter's buttons, read by the procedure at every poll.
struct TuningControl {
  bool cancel = false;  // CmdCalCancel
  bool accept = false;  // CmdCalOk
};

// What the procedure needs beyond a page's environment. Nothing is owned.
struct TuningLinks {
  link::EcuAccess& ecu;
  session::CalibrationService& calibration;
  platform::EventPump& pump;
};

// CmdCalStart's rules: false in session state 4 or with a shifted injection
// sequence (the caller shows text 47). Otherwise, with the ECU in operating
// state 3 and field 1 = 0, the entry-15 bit-4 write is posted and served
// first (request 54, then 500 ms of pumped waiting).
[[nodiscard]] bool PrepareAutoTuningStart(const pages::PageEnv& env, const TuningLinks& links);

// The whole procedure: log rotation, steps 1 to 6, the map build, the
// final write and the page reloads. Runs while the session is in state 7;
// every wait pumps events and reads `control`. The result code.
[[nodiscard]] int RunAutoTuning(const pages::PageEnv& env, const TuningLinks& links,
                                TuningObserver& observer, TuningControl& control);

}  // namespace velmora::tuning
