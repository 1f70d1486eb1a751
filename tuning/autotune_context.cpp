#include "tuning/autotune_context.h"

#include <algorithm>
#include <cmath>

#include "core/text.h"
#include "tuning/autotune_texts.h"
#include "tuning/sequence_rules.h"

namespace velmora::tuning {

namespace tf = tune_field;

constexpr std::string_view kMarker = "[Frm_AutoTuning]";

RunContext::RunContext(const pages::PageEnv& e, const TuningLinks& l, TuningObserver& o,
                       TuningControl& c, TuningParameters p)
    : env(e),
      links(l),
      observer(o),
      control(c),
      params(p),
      log(e.paths),
      texts_(e.lingue, kMarker),
      started_(e.clock.NowMicros()) {}

std::string RunContext::Text(int k) const {
  // An installation where no language was chosen yet speaks the first.
  if (env.lingue.IdLingua() < 0) {
    const int marker = env.lingue.MarkerOffset(kMarker);
    return marker > 0 ? env.lingue.VoceDizionario(0, marker + k) : std::string();
  }
  return texts_.Text(k, "");
}

std::int64_t RunContext::Now() const {
  return env.clock.NowMicros();
}

bool PumpedWait(platform::Clock& clock, platform::EventPump& pump, double ms, const bool* cancel) {
  const auto stop = [cancel] { return cancel != nullptr && *cancel; };
  const std::int64_t deadline =
      clock.NowMicros() + static_cast<std::int64_t>(std::max(ms, 0.0) * 1000);
  pump.Pump();
  for (std::int64_t now = clock.NowMicros(); now < deadline && !stop(); now = clock.NowMicros()) {
    (void)pump.WaitReadable(
        -1, std::min<std::int64_t>(static_cast<std::int64_t>(tune_timing::kPumpSliceUs),
                                   deadline - now));
  }
  return !stop();
}

bool RunContext::Wait(double ms) {
  return PumpedWait(env.clock, links.pump, ms, &control.cancel);
}

bool RunContext::Read(std::size_t entry) {
  return env.table.LeggiVoce(links.ecu, entry) == link::kOk;
}

std::vector<int> RunContext::PresentCylinders() const {
  std::vector<int> present;
  const int n = CylinderCount(env.table);
  for (int i = 0; i < n; ++i) {
    if (Value(tf::kConfig, tf::kFirstCylinderMark - static_cast<std::size_t>(i)) > 0) {
      present.push_back(i + 1);
    }
  }
  return present;
}

bool RunContext::Poll(LiveValues& v) {
  if (!Read(tf::kLive) || !Read(tf::kBlock2)) {
    return false;
  }
  v.state = Value(tf::kBlock2, tf::kState);
  v.sub_state = Value(tf::kBlock2, tf::kSubState);
  v.correction = Value(tf::kBlock2, tf::kCorrection);
  v.rpm = Value(tf::kLive, tf::kRpm);
  v.temperature = Value(tf::kLive, tf::kTemperature);
  v.pressure = Value(tf::kLive, tf::kGasPressure);
  std::int64_t petrol = 0;
  std::int64_t gas = 0;
  v.petrol_min = 0;
  v.petrol_max = 0;
  const std::vector<int> present = PresentCylinders();
  for (std::size_t k = 0; k < present.size(); ++k) {
    const auto at = static_cast<std::size_t>(present[k] - 1);
    const int p = Value(tf::kLive, tf::kFirstPetrol + at);
    petrol += p;
    gas += Value(tf::kLive, tf::kFirstGas + at);
    v.petrol_min = k == 0 ? p : std::min(v.petrol_min, p);
    v.petrol_max = std::max(v.petrol_max, p);
  }
  const auto n = static_cast<double>(present.size());
  v.sample = present.empty() ? 0 : static_cast<int>(core::RoundHalfEven(petrol / n));
  v.gas = present.empty() ? 0 : static_cast<int>(core::RoundHalfEven(gas / n));
  observer.Live(TuningLive{v.rpm, v.temperature, v.pressure, v.sample, v.gas});
  return true;
}

bool RunContext::Write(std::size_t entry, const std::vector<session::WriteRecord>& records) {
  session::WriteLists& lists = env.session.Lists();
  for (const session::WriteRecord& r : records) {
    (void)lists.Append(entry, r);
  }
  return session::ApplicaListaScrittura(links.ecu, env.table, lists, entry) == link::kOk;
}

bool RunContext::SetPhase(int step, int cylinder) {
  return Write(tf::kBlock2, {{step, static_cast<std::int32_t>(tf::kPhase), 0},
                             {cylinder, static_cast<std::int32_t>(tf::kSelector), 0}});
}

void RunContext::ShowStep(int step) {
  const int percent = static_cast<int>(
      core::RoundHalfEven(100.0 / tune_timing::kSteps * static_cast<double>(step)));
  observer.StepChanged(
      step, percent,
      Text(step == 0 ? autotune_text::kReady : autotune_text::kFirstStep + step - 1));
}

bool RunContext::AlternativePath() const {
  const Bytes& record = env.image.companion;
  return record.size() > tf::kViewByte && (record[tf::kViewByte] & tf::kAlternativeBit) != 0;
}

}  // namespace velmora::tuning
