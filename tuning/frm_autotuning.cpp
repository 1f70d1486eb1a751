#include "tuning/frm_autotuning.h"

#include <algorithm>
#include <cmath>

#include "pages/dashboard_model.h"
#include "pages/switch_over_rules.h"

namespace velmora::tuning {

namespace {

namespace at = autotuning_text;
namespace av = autotuning_view;
namespace df = pages::dash_field;

constexpr int kPetrolFirstStep = 3;  // idle and raised-speed sampling
constexpr int kGasFirstStep = 5;     // injector and idle correction
constexpr int kGasLastStep = 6;
constexpr double kMicrosPerMilli = 1000.0;
constexpr const char* kNoValue = "-";

std::string Micros(int us) {
  return std::to_string(us) + " \u00b5s";
}

void Append(std::vector<SampleRow>& grid, int count, int wanted, int us) {
  grid.push_back({std::to_string(count) + " / " + std::to_string(wanted), Micros(us)});
  if (grid.size() > av::kMaxSampleRows) {
    grid.erase(grid.begin(),
               grid.begin() + static_cast<std::ptrdiff_t>(grid.size() - av::kMaxSampleRows));
  }
}

}  // namespace

int StepPercent(int step) {
  const int s = std::clamp(step, 0, av::kSteps);
  return static_cast<int>(std::lrint(100.0 / av::kSteps * s));
}

TuningProcedure ProcedureOver(const pages::PageEnv& env, const TuningLinks& links) {
  return {[&env, &links] { return PrepareAutoTuningStart(env, links); },
          [&env, &links](TuningObserver& observer, TuningControl& control) {
            return RunAutoTuning(env, links, observer, control);
          }};
}

FrmAutoTuning::FrmAutoTuning(pages::PageEnv& env, TuningProcedure procedure)
    : env_(env), procedure_(std::move(procedure)), texts_(env.lingue) {
  for (const core::InjectorType& t :
       env.scale != nullptr ? env.scale->injectors : std::vector<core::InjectorType>{}) {
    shown_.injector_types.push_back(t.name);
  }
  PresettaLaFinestra();
}

void FrmAutoTuning::Changed() {
  UpdateButtons();
  if (changed_) {
    changed_();
  }
}

void FrmAutoTuning::UpdateButtons() {
  shown_.can_start =
      !shown_.running && procedure_.prepare && procedure_.run && env_.session.Connected();
  shown_.can_accept = shown_.running;
}

void FrmAutoTuning::CaricaLingua() {
  texts_ = AutoTuningTexts(env_.lingue);
  if (!shown_.running && shown_.status_kind == TuningStatus::kIdle) {
    PresettaLaFinestra();
  }
  Changed();
}

void FrmAutoTuning::PresettaLaFinestra() {
  ShowStep(0, 0, {});
  shown_.message = texts_[at::kIdleInstruction];
  shown_.status = texts_[at::kReady];
  shown_.status_kind = TuningStatus::kIdle;
  shown_.petrol = kNoValue;
  shown_.gas = kNoValue;
  shown_.cylinder = texts_[at::kCylinder] + " " + kNoValue;
  shown_.petrol_lit = false;
  shown_.gas_lit = false;
  shown_.petrol_samples.clear();
  shown_.gas_samples.clear();
  Changed();
}

void FrmAutoTuning::ShowStep(int step, int /*percent*/, std::string_view title) {
  shown_.step = std::clamp(step, 0, av::kSteps);
  // The bar follows the step alone, whatever the caller worked out.
  shown_.percent = StepPercent(step);
  const std::string name = title.empty() ? texts_.StepTitle(shown_.step) : std::string(title);
  shown_.step_text = name + " - " + std::to_string(shown_.percent) + " %";
}

void FrmAutoTuning::CmdCalStart() {
  if (shown_.running || !procedure_.prepare || !procedure_.run) {
    return;
  }
  if (!env_.session.Connected() || !procedure_.prepare()) {
    env_.box.Show(texts_[at::kStartRefused], env_.main_title, platform::BoxKind::Critical);
    return;
  }
  control_ = {};
  finished_ = false;
  PresettaLaFinestra();
  shown_.running = true;
  shown_.status = texts_[at::kKeepEngineOn];
  shown_.status_kind = TuningStatus::kRunning;
  env_.session.EnablePages(false);
  handed_ = ++runs_;
  const unsigned id = handed_;
  env_.session.RunInStepState([this, id] { RunHanded(id); });
  Changed();
}

void FrmAutoTuning::RunHanded(unsigned id) {
  if (id != handed_) {
    return;  // cancelled while it waited for the session
  }
  handed_ = 0;
  const int result = procedure_.run(*this, control_);
  if (!finished_) {
    Finished(result, {});
  }
  EndRun();
}

void FrmAutoTuning::EndRun() {
  shown_.running = false;
  shown_.petrol_lit = false;
  shown_.gas_lit = false;
  env_.session.EnablePages(true);
  Changed();
}

void FrmAutoTuning::CmdCalOk() {
  if (shown_.running) {
    control_.accept = true;
  }
}

void FrmAutoTuning::CmdCalCancel() {
  if (!shown_.running) {
    return;
  }
  control_.cancel = true;
  if (handed_ != 0) {
    // The session has not begun the run yet: it never will.
    handed_ = 0;
    Finished(tune_result::kCancelled, {});
    EndRun();
  }
}

void FrmAutoTuning::SetNozzle(int tenths) {
  if (!shown_.running) {
    shown_.nozzle = std::clamp(tenths, av::kNozzleMin, av::kNozzleMax);
  }
  Changed();
}

void FrmAutoTuning::Closing() {
  // A run still going ends at its next poll; nothing is written then.
  control_.cancel = true;
}

void FrmAutoTuning::Shown() {
  ReadInjectorType();
  LiveTick();
}

void FrmAutoTuning::LiveTick() {
  // While a run goes the procedure reports the values it polled itself.
  if (!shown_.running && env_.session.Connected()) {
    VisualizzaDatiTune(LiveFromTable());
  }
  Changed();
}

void FrmAutoTuning::ReadInjectorType() {
  shown_.injector_type = -1;
  if (env_.scale == nullptr) {
    return;
  }
  const std::int32_t id = env_.table.Value(pages::sw_word::kBlock3, pages::sw_word::kInjectionType);
  const auto& types = env_.scale->injectors;
  for (std::size_t i = 0; i < types.size() && i < shown_.injector_types.size(); ++i) {
    if (types[i].id == id) {
      shown_.injector_type = static_cast<int>(i);
      break;
    }
  }
}

TuningLive FrmAutoTuning::LiveFromTable() const {
  const auto value = [this](int entry, int field) {
    return static_cast<int>(
        env_.table.Value(static_cast<std::size_t>(entry), static_cast<std::size_t>(field)));
  };
  TuningLive live;
  live.rpm = value(df::kEntry, df::kRpm);
  live.reducer_temperature = value(df::kEntry, df::kReducerTemperature);
  live.gas_pressure = value(df::kEntry, df::kGasPressure);
  live.petrol_us = static_cast<int>(
      std::lrint(pages::MeanInjectionMs(value, df::kPetrolTimeFirst) * kMicrosPerMilli));
  live.gas_us = static_cast<int>(
      std::lrint(pages::MeanInjectionMs(value, df::kGasTimeFirst) * kMicrosPerMilli));
  return live;
}

void FrmAutoTuning::VisualizzaDatiTune(const TuningLive& live) {
  shown_.live = live;
  shown_.has_live = true;
  shown_.petrol = Micros(live.petrol_us);
  shown_.gas = Micros(live.gas_us);
}

void FrmAutoTuning::VisualizzaTempiCampionamentoBenzina(int petrol_us, int count, int wanted) {
  Append(shown_.petrol_samples, count, wanted, petrol_us);
  shown_.petrol = Micros(petrol_us);
}

void FrmAutoTuning::VisualizzaTempiCampionamentoGas(int gas_us, int count, int wanted) {
  Append(shown_.gas_samples, count, wanted, gas_us);
  shown_.gas = Micros(gas_us);
}

void FrmAutoTuning::LampeggioInTaratura() {
  const bool on = shown_.running && (env_.clock.NowMicros() / av::kBlinkHalfMicros) % 2 == 0;
  const bool petrol = shown_.step >= kPetrolFirstStep && shown_.step < kGasFirstStep;
  const bool gas = shown_.step >= kGasFirstStep && shown_.step <= kGasLastStep;
  shown_.petrol_lit = on && petrol;
  shown_.gas_lit = on && gas;
}

void FrmAutoTuning::StepChanged(int step, int percent, std::string_view title) {
  ShowStep(step, percent, title);
  // Each step samples afresh.
  shown_.petrol_samples.clear();
  shown_.gas_samples.clear();
  LampeggioInTaratura();
  Changed();
}

void FrmAutoTuning::Instruction(std::string_view text) {
  shown_.message = std::string(text);
  Changed();
}

void FrmAutoTuning::Cylinder(int cylinder) {
  shown_.cylinder =
      texts_[at::kCylinder] + " " + (cylinder > 0 ? std::to_string(cylinder) : kNoValue);
  Changed();
}

void FrmAutoTuning::Sample(int petrol_us, int gas_us, int count, int wanted) {
  VisualizzaTempiCampionamentoBenzina(petrol_us, count, wanted);
  VisualizzaTempiCampionamentoGas(gas_us, count, wanted);
  LampeggioInTaratura();
  Changed();
}

void FrmAutoTuning::Live(const TuningLive& live) {
  VisualizzaDatiTune(live);
  LampeggioInTaratura();
  Changed();
}

void FrmAutoTuning::Finished(int result, std::string_view text) {
  finished_ = true;
  shown_.status = text.empty() ? texts_.ResultText(result) : std::string(text);
  shown_.status_kind = result == tune_result::kDone ? TuningStatus::kDone : TuningStatus::kStopped;
  shown_.cylinder = texts_[at::kCylinder] + " " + kNoValue;
  Changed();
}

}  // namespace velmora::tuning
