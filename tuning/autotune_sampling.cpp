#include "tuning/autotune_sampling.h"

#include <cstdlib>

#include "core/text.h"
#include "tuning/autotune_texts.h"

namespace velmora::tuning {
namespace {

namespace at = autotune_text;

// Why sampling cannot go on at this poll; 0 when it can.
int SamplingStop(const RunContext& ctx, const LiveValues& v) {
  if (v.state == 3) {
    return tune_result::kStateRefused;
  }
  if (v.rpm == 0 || v.rpm < ctx.params.rpm_minimi) {
    return tune_result::kEngineStopped;
  }
  return tune_result::kDone;
}

// One poll while sampling: why the step must end now, or kDone.
int SamplingPoll(RunContext& ctx, LiveValues& v) {
  if (ctx.Cancelled()) {
    return tune_result::kCancelled;
  }
  if (!ctx.Poll(v)) {
    return tune_result::kLinkFailed;
  }
  return SamplingStop(ctx, v);
}

bool Ready(const RunContext& ctx, const LiveValues& v) {
  return !(v.state == 3 && v.sub_state == 0) && v.rpm >= ctx.params.rpm_minimi &&
         v.temperature >= ctx.params.temp_taratura;
}

int WhatIsMissing(const RunContext& ctx, const LiveValues& v) {
  if (v.rpm < ctx.params.rpm_minimi) {
    return at::kStartEngine;
  }
  return v.temperature < ctx.params.temp_taratura ? at::kWarmUp : at::kSwitchToGas;
}

}  // namespace

int WaitUntilReady(RunContext& ctx) {
  GraceCounter grace;
  int shown = -1;
  for (;;) {
    if (ctx.Cancelled()) {
      return tune_result::kCancelled;
    }
    LiveValues v;
    if (!ctx.Poll(v)) {
      return tune_result::kLinkFailed;
    }
    if (Ready(ctx, v)) {
      return tune_result::kDone;
    }
    if (grace.Lost(v.rpm, ctx.params.rpm_minimi)) {
      return tune_result::kEngineStopped;
    }
    if (const int text = WhatIsMissing(ctx, v); text != shown) {
      shown = text;
      ctx.Say(text);
    }
    if (!ctx.Wait(tune_timing::kPollMs)) {
      return tune_result::kCancelled;
    }
  }
}

int WaitForRaisedSpeed(RunContext& ctx) {
  ctx.Say(at::kRaiseSpeed);
  for (;;) {
    LiveValues v;
    if (const int stop = SamplingPoll(ctx, v); stop != tune_result::kDone) {
      return stop;
    }
    if (std::abs(v.rpm - ctx.params.rpm_massimo) <= ctx.params.delta_rpm_max) {
      return tune_result::kDone;
    }
    if (!ctx.Wait(tune_timing::kPollMs)) {
      return tune_result::kCancelled;
    }
  }
}

std::string SampleLine(const RunContext& ctx, int count, const LiveValues& v) {
  std::string line = std::to_string(ctx.Elapsed());
  for (const int value :
       {count, v.sample, v.petrol_min, v.petrol_max, v.gas, v.rpm, v.correction}) {
    line += '\t' + std::to_string(value);
  }
  return line;
}

int SampleStep(RunContext& ctx, const SampleSpec& figures, int& average) {
  ctx.log.Line(figures.title);
  ctx.log.Line(log_text::kColumns);
  std::int64_t sum = 0;
  int count = 0;
  const std::int64_t deadline = ctx.Now() + static_cast<std::int64_t>(figures.wait_ms * 1000);
  while (count < figures.count) {
    LiveValues v;
    if (const int stop = SamplingPoll(ctx, v); stop != tune_result::kDone) {
      return stop;
    }
    const bool settled = ctx.Now() >= deadline;
    if (settled) {
      sum += v.sample;
      ++count;
      ctx.log.Line(SampleLine(ctx, count, v));
    }
    ctx.observer.Sample(v.sample, v.gas, count, figures.count);
    if (count < figures.count && !ctx.Wait(settled ? figures.period_ms : tune_timing::kPollMs)) {
      return tune_result::kCancelled;
    }
  }
  average =
      count == 0 ? 0 : static_cast<int>(core::RoundHalfEven(static_cast<double>(sum) / count));
  return tune_result::kDone;
}

}  // namespace velmora::tuning
