#include "tuning/autotune_correction.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/text.h"
#include "tuning/autotune_texts.h"

namespace velmora::tuning {
namespace {

namespace tf = tune_field;

constexpr double kPercent = 100.0;

// Why the cycle cannot go on at this poll; 0 when it can.
int CycleStop(RunContext& ctx, const LiveValues& v, bool idle, GraceCounter& grace) {
  if (!idle) {
    if (v.state == 3) {
      return tune_result::kStateRefused;
    }
    return v.rpm == 0 || v.rpm < ctx.params.rpm_minimi ? tune_result::kEngineStopped
                                                       : tune_result::kDone;
  }
  if (v.state == 0 && ctx.params.attiva_tutti_cil == 0) {
    return tune_result::kStateRefused;
  }
  return grace.Lost(v.rpm, ctx.params.rpm_minimi) ? tune_result::kEngineStopped
                                                  : tune_result::kDone;
}

struct Measured {
  std::int64_t sum = 0;
  int count = 0;
  int average = 0;
};

int Measure(RunContext& ctx, const CycleSpec& figures, int cylinder, GraceCounter& grace,
            PressureSum* pressure, Measured& m) {
  for (int k = 0; k < figures.samples; ++k) {
    if (ctx.Cancelled()) {
      return tune_result::kCancelled;
    }
    LiveValues v;
    if (!ctx.Poll(v)) {
      return tune_result::kLinkFailed;
    }
    if (const int stop = CycleStop(ctx, v, cylinder == 0, grace); stop != tune_result::kDone) {
      return stop;
    }
    m.sum += v.sample;
    ++m.count;
    if (pressure != nullptr) {
      pressure->sum += v.pressure;
      ++pressure->count;
    }
    ctx.observer.Sample(v.sample, v.gas, m.count, figures.samples);
    if (k + 1 < figures.samples && !ctx.Wait(figures.period_ms)) {
      return tune_result::kCancelled;
    }
  }
  m.average = m.count == 0
                  ? 0
                  : static_cast<int>(core::RoundHalfEven(static_cast<double>(m.sum) / m.count));
  return tune_result::kDone;
}

std::string CycleLine(int cylinder, const Measured& m, int target) {
  std::string line = "#";
  for (const std::int64_t value : {std::int64_t{cylinder}, std::int64_t{m.count}, m.sum,
                                   std::int64_t{m.average}, std::int64_t{target}}) {
    line += '\t' + std::to_string(value);
  }
  return line;
}

// The correction written for this cycle. False when the write failed.
bool Correct(RunContext& ctx, const CycleSpec& figures, int cylinder, int measured, int target) {
  const int step = CorrectionStep(measured, target, figures.step_pct, figures.max_correction_us);
  std::int32_t value = ctx.Value(tf::kBlock2, tf::kCorrection) + step;
  if (value < 0 && ctx.AlternativePath()) {
    value = 0;
  }
  return ctx.Write(tf::kBlock2, {{cylinder, static_cast<std::int32_t>(tf::kSelector), 0},
                                 {value, static_cast<std::int32_t>(tf::kCorrection), 0}});
}

}  // namespace

CycleSpec InjectorCycle(const TuningParameters& p) {
  return {p.prima_attesa_ms,           p.attesa_corr_inj_ms,   p.num_campioni_corr_inj,
          p.freq_campioni_corr_inj_ms, p.cicli_tolleranza_inj, p.max_cicli_fuori_inj,
          p.tolleranza_inj_pct,        p.step_inj_pct,         p.max_correzione_inj_us};
}

CycleSpec IdleCycle(const TuningParameters& p) {
  return {p.prima_attesa_ms,          p.attesa_corr_minimo_ms,
          p.num_campioni_corr_minimo, p.freq_campioni_corr_minimo_ms,
          p.cicli_tolleranza_minimo,  p.max_cicli_fuori_minimo,
          p.tolleranza_minimo_pct,    p.step_minimo_pct,
          p.max_correzione_minimo_us};
}

bool WithinTolerance(int measured, int target, int tolerance_pct) {
  const double tolerance = tolerance_pct / kPercent * measured;
  return tolerance >= std::abs(static_cast<double>(measured) - target);
}

int CorrectionStep(int measured, int target, int step_pct, int max_us) {
  const auto step = static_cast<std::int64_t>(
      core::RoundHalfEven(step_pct / kPercent * (static_cast<double>(measured) - target)));
  const std::int64_t limit = std::abs(static_cast<std::int64_t>(max_us));
  return static_cast<int>(std::clamp(step, -limit, limit));
}

int CorrectionCycle(RunContext& ctx, const CycleSpec& figures, int cylinder, int target,
                    PressureSum* pressure) {
  if (!ctx.Wait(figures.first_wait_ms)) {
    return tune_result::kCancelled;
  }
  GraceCounter grace;
  int in_tolerance = 0;
  int out_of_tolerance = 0;
  bool asked = false;
  for (;;) {
    Measured m;
    if (const int r = Measure(ctx, figures, cylinder, grace, pressure, m);
        r != tune_result::kDone) {
      return r;
    }
    ctx.log.Line(CycleLine(cylinder, m, target));
    if (WithinTolerance(m.average, target, figures.tolerance_pct)) {
      ++in_tolerance;
      if (in_tolerance >= figures.in_tolerance_needed) {
        if (cylinder != 0 || ctx.control.accept) {
          return tune_result::kDone;
        }
        if (!asked) {
          asked = true;
          ctx.Say(autotune_text::kPressConfirm);
        }
      }
      continue;
    }
    if (++out_of_tolerance > figures.max_out_of_tolerance) {
      return tune_result::kOutOfTolerance;
    }
    in_tolerance = 0;
    if (!Correct(ctx, figures, cylinder, m.average, target)) {
      return tune_result::kLinkFailed;
    }
    if (!ctx.Wait(figures.wait_ms)) {
      return tune_result::kCancelled;
    }
  }
}

}  // namespace velmora::tuning
