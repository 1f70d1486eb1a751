#include "tuning/autotune_run.h"

#include <string>

#include "core/session_flags.h"
#include "session/request_codes.h"
#include "tuning/autotune_centring.h"
#include "tuning/autotune_context.h"
#include "tuning/autotune_correction.h"
#include "tuning/autotune_finish.h"
#include "tuning/autotune_map.h"
#include "tuning/autotune_sampling.h"
#include "tuning/autotune_texts.h"
#include "tuning/sequence_rules.h"

namespace velmora::tuning {
namespace {

namespace tf = tune_field;
namespace at = autotune_text;

constexpr double kStartWriteWaitMs = 500;

bool CentringOn(const RunContext& ctx) {
  return ctx.params.disabilita_centraggio == 1;
}

int Step1(RunContext& ctx) {
  ctx.ShowStep(1);
  // The run is shown to the ECU from its first step on, so that the idle it
  // waits for is the one it will measure.
  if (!ctx.SetPhase(1)) {
    return tune_result::kLinkFailed;
  }
  if (const int r = WaitUntilReady(ctx); r != tune_result::kDone) {
    return r;
  }
  if (!ctx.Read(tf::kConfig)) {
    return tune_result::kLinkFailed;
  }
  const bool second = (ctx.Value(tf::kConfig, tf::kOptions) & tf::kSecondSetBit) != 0;
  ParameterRead read = ReadTuningParameterFile(ctx.env.paths.tuning_parameters, second);
  if (!read.error.empty()) {
    ctx.refusal = ctx.env.paths.tuning_parameters + ": " + read.error;
    return tune_result::kNotStarted;
  }
  ctx.params = read.values;
  return tune_result::kDone;
}

// The ECU set for measuring: the blocks read afresh, the run's step shown to
// it, and the pressure table marked not centred when it will be centred.
int Step2(RunContext& ctx) {
  ctx.ShowStep(2);
  for (const std::size_t entry : {tf::kLive, tf::kBlock2, tf::kConfig, tf::kBlock6}) {
    if (!ctx.Read(entry)) {
      return tune_result::kLinkFailed;
    }
  }
  if (!ctx.SetPhase(2) || (CentringOn(ctx) && !ClearCentredFlag(ctx))) {
    return tune_result::kLinkFailed;
  }
  return ctx.Cancelled() ? tune_result::kCancelled : tune_result::kDone;
}

int SampleSteps(RunContext& ctx, RunOutcome& out) {
  const TuningParameters& p = ctx.params;
  ctx.ShowStep(3);
  if (!ctx.SetPhase(3)) {
    return tune_result::kLinkFailed;
  }
  ctx.Say(at::kKeepIdle);
  const SampleSpec idle{log_text::kSampleIdle, p.attesa_minimo_ms, p.freq_campioni_minimo_ms,
                        p.num_campioni_minimo};
  if (const int r = SampleStep(ctx, idle, out.idle_reference); r != tune_result::kDone) {
    return r;
  }
  // No petrol time was seen: nothing to calibrate against.
  if (out.idle_reference <= 0) {
    return tune_result::kStateRefused;
  }
  ctx.ShowStep(4);
  if (p.rpm_massimo == 0) {
    ctx.log.Line(log_text::kNoRaised);
    out.target = out.idle_reference;
    return tune_result::kDone;
  }
  if (!ctx.SetPhase(4)) {
    return tune_result::kLinkFailed;
  }
  if (const int r = WaitForRaisedSpeed(ctx); r != tune_result::kDone) {
    return r;
  }
  const SampleSpec raised{log_text::kSampleRaised, p.attesa_massimo_ms, p.freq_campioni_massimo_ms,
                          p.num_campioni_massimo};
  return SampleStep(ctx, raised, out.target);
}

int Step5(RunContext& ctx, const RunOutcome& out) {
  ctx.ShowStep(5);
  ctx.log.Line(log_text::kInjectors);
  ctx.Say(at::kCalibrating);
  for (const int cylinder : ctx.PresentCylinders()) {
    ctx.observer.Cylinder(cylinder);
    ctx.log.Line(std::string(log_text::kCylinder) + std::to_string(cylinder));
    if (!ctx.SetPhase(5, cylinder)) {
      return tune_result::kLinkFailed;
    }
    const int r = CorrectionCycle(ctx, InjectorCycle(ctx.params), cylinder, out.target, nullptr);
    if (r != tune_result::kDone) {
      return r;
    }
  }
  ctx.observer.Cylinder(0);
  return tune_result::kDone;
}

int WaitForIdle(RunContext& ctx) {
  ctx.Say(at::kReleaseThrottle);
  const std::int64_t deadline =
      ctx.Now() + static_cast<std::int64_t>(ctx.params.attesa_ritorno_minimo_ms * 1000);
  while (ctx.Now() < deadline) {
    LiveValues v;
    if (!ctx.Poll(v)) {
      return tune_result::kLinkFailed;
    }
    if (v.rpm < ctx.params.rpm_ritorno_minimo) {
      break;
    }
    if (!ctx.Wait(tune_timing::kPollMs)) {
      return tune_result::kCancelled;
    }
  }
  return ctx.Cancelled() ? tune_result::kCancelled : tune_result::kDone;
}

int Step6(RunContext& ctx, RunOutcome& out) {
  ctx.ShowStep(6);
  if (!ctx.SetPhase(6)) {
    return tune_result::kLinkFailed;
  }
  if (ctx.params.rpm_massimo != 0) {
    if (const int r = WaitForIdle(ctx); r != tune_result::kDone) {
      return r;
    }
  }
  ctx.log.Line(log_text::kIdle);
  ctx.Say(at::kKeepIdle);
  return CorrectionCycle(ctx, IdleCycle(ctx.params), 0, out.idle_reference,
                         CentringOn(ctx) ? &out.pressure : nullptr);
}

int RunSteps(RunContext& ctx, RunOutcome& out) {
  for (const auto& step : {Step1, Step2}) {
    if (const int r = step(ctx); r != tune_result::kDone) {
      return r;
    }
  }
  if (const int r = SampleSteps(ctx, out); r != tune_result::kDone) {
    return r;
  }
  if (const int r = Step5(ctx, out); r != tune_result::kDone) {
    return r;
  }
  if (const int r = Step6(ctx, out); r != tune_result::kDone) {
    return r;
  }
  if (const int r = BuildAndCentre(ctx, out); r != tune_result::kDone) {
    return r;
  }
  return WriteResult(ctx);
}

int ResultText(int result) {
  switch (result) {
    case tune_result::kDone:
      return at::kDone;
    case tune_result::kCancelled:
      return at::kCancelled;
    case tune_result::kEngineStopped:
      return at::kEngineStopped;
    case tune_result::kOutOfTolerance:
      return at::kOutOfTolerance;
    case tune_result::kStateRefused:
      return at::kStateRefused;
    default:
      return at::kWriteFailed;
  }
}

void StartLog(RunContext& ctx) {
  ctx.log.Rotate();
  ctx.log.Line(ctx.env.main_title + " - " + TodayText());
  ctx.log.Line(std::string(log_text::kTemp) +
               std::to_string(ctx.Value(tf::kLive, tf::kTemperature)));
  ctx.log.Line(std::string(log_text::kTemp1) +
               std::to_string(ctx.Value(tf::kLive, tf::kTemperature1)));
}

}  // namespace

bool PrepareAutoTuningStart(const pages::PageEnv& env, const TuningLinks& links) {
  if (env.session.State() == core::session_state::kDisconnected || IsShiftedSequence(env.table)) {
    return false;
  }
  if (env.table.Value(tf::kBlock2, tf::kState) == 3 &&
      env.table.Value(tf::kBlock2, tf::kSubState) == 0) {
    (void)env.session.Lists().Append(
        tf::kBlock6, {tf::kStartBit, static_cast<std::int32_t>(tf::kBlock6Bits), tf::kStartBit});
    (void)env.session.PostRequest(session::request::kEntry15List);
    (void)PumpedWait(env.clock, links.pump, kStartWriteWaitMs, nullptr);
  }
  return true;
}

int RunAutoTuning(const pages::PageEnv& env, const TuningLinks& links, TuningObserver& observer,
                  TuningControl& control) {
  const ParameterRead first = ReadTuningParameterFile(env.paths.tuning_parameters, false);
  RunContext ctx(env, links, observer, control, first.values);
  if (!first.error.empty()) {
    const std::string text = env.paths.tuning_parameters + ": " + first.error;
    observer.Finished(tune_result::kNotStarted, text);
    return tune_result::kNotStarted;
  }
  env.session.EnablePages(false);
  ctx.ShowStep(0);
  int result = ctx.Read(tf::kLive) ? tune_result::kDone : tune_result::kLinkFailed;
  if (result == tune_result::kDone) {
    StartLog(ctx);
    RunOutcome out;
    result = RunSteps(ctx, out);
    // The ECU back to its own running, whatever the end.
    (void)ctx.SetPhase(0);
  }
  if (env.session.Connected()) {
    env.session.EnablePages(true);
  }
  observer.Finished(
      result, result == tune_result::kNotStarted ? ctx.refusal : ctx.Text(ResultText(result)));
  return result;
}

}  // namespace velmora::tuning
