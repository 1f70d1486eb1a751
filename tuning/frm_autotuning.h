#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pages/page_registry.h"
#include "pages/page_services.h"
#include "tuning/autotune_run.h"
#include "tuning/frm_autotuning_texts.h"

namespace velmora::tuning {

// The auto-tuning page's code for the page switch (no ECU page uses it).
inline constexpr int kAutoTuningPage = 23;

// How the window shows its controls; the view only draws them.
namespace autotuning_view {
inline constexpr int kSteps = 7;
inline constexpr std::size_t kMaxSampleRows = 200;  // the grids keep the newest
inline constexpr int kNozzleMin = 10;               // SLD_Ugelli, tenths of a millimetre
inline constexpr int kNozzleMax = 35;
inline constexpr int kNozzleDefault = 20;
inline constexpr std::int64_t kBlinkHalfMicros = 500'000;
}  // namespace autotuning_view

// What LAB_STATUS reports, for its colour.
enum class TuningStatus { kIdle, kRunning, kDone, kStopped };

// One line of a sample grid: "count / wanted" and the time.
struct SampleRow {
  std::string count;
  std::string time;
};

// Everything the window shows, as plain texts and control states.
struct AutoTuningShown {
  int step = 0;
  int percent = 0;        // PRG_Avanzamento, 0..100
  std::string step_text;  // LblCalStep: the step's title and its percentage
  std::string message;    // LblCalMsg: what the fitter must do
  std::string status;     // LAB_STATUS
  TuningStatus status_kind = TuningStatus::kIdle;
  std::string petrol;       // LblTaraTbenz, "4012 µs"
  std::string gas;          // LblTaraTGas
  std::string cylinder;     // LBL_Iniettore: "Cylinder 3", "Cylinder -" outside the injector step
  bool petrol_lit = false;  // ShpTaraTbenz: blinks while petrol times are sampled
  bool gas_lit = false;     // ShpTaraTgas: blinks while the gas injectors are corrected
  bool has_live = false;    // PI_RPM, PI_TRID, PI_Press show dashes without it
  TuningLive live;
  std::vector<SampleRow> petrol_samples;         // VisualizzaTempiCampionamentoBenzina
  std::vector<SampleRow> gas_samples;            // VisualizzaTempiCampionamentoGas
  int nozzle = autotuning_view::kNozzleDefault;  // SLD_Ugelli
  std::vector<std::string> injector_types;       // CmbTipoInj
  int injector_type = -1;                        // the ECU's, -1 for none listed
  bool running = false;
  bool can_start = false;   // CmdCalStart: idle, connected, with a procedure
  bool can_accept = false;  // CmdCalOk and CmdCalCancel: while running
};

// What starting and running the procedure is made of. The workstation's is
// the procedure over the session's link; tests give their own. Empty: the
// window cannot start anything.
struct TuningProcedure {
  std::function<bool()> prepare;  // false: the start is refused
  std::function<int(TuningObserver&, TuningControl&)> run;
};

// The procedure of autotune_run over `links`, for the window made with `env`.
[[nodiscard]] TuningProcedure ProcedureOver(const pages::PageEnv& env, const TuningLinks& links);

// FrmAutoTuning: the window the fitter starts the auto-tuning from, watches
// it in (step, instructions, live values, samples, cylinder) and confirms
// or cancels it. The run is handed to the session's state 7 and watched
// through TuningObserver; the other pages are off while it runs.
class FrmAutoTuning final : public pages::PageModel, public TuningObserver {
 public:
  FrmAutoTuning(pages::PageEnv& env, TuningProcedure procedure);

  // The page shows the model again.
  void SetOnChange(std::function<void()> changed) { changed_ = std::move(changed); }
  [[nodiscard]] const AutoTuningShown& View() const { return shown_; }
  [[nodiscard]] const AutoTuningTexts& Texts() const { return texts_; }
  [[nodiscard]] const TuningControl& Control() const { return control_; }

  void CaricaLingua();
  // The window's state before a run.
  void PresettaLaFinestra();

  void CmdCalStart();
  void CmdCalOk();
  void CmdCalCancel();
  // SLD_Ugelli moved by the fitter (ignored while running).
  void SetNozzle(int tenths);

  // PageModel
  void Shown() override;
  void LiveTick() override;
  void CalibrationRead() override { Shown(); }
  void Closing() override;

  // TuningObserver
  void StepChanged(int step, int percent, std::string_view title) override;
  void Instruction(std::string_view text) override;
  void Cylinder(int cylinder) override;
  void Sample(int petrol_us, int gas_us, int count, int wanted) override;
  void Live(const TuningLive& live) override;
  void Finished(int result, std::string_view text) override;

 private:
  void Changed();
  void UpdateButtons();
  // The run the session's state 7 starts; `id` tells a run abandoned
  // before it began.
  void RunHanded(unsigned id);
  void EndRun();
  void VisualizzaTempiCampionamentoBenzina(int petrol_us, int count, int wanted);
  void VisualizzaTempiCampionamentoGas(int gas_us, int count, int wanted);
  void LampeggioInTaratura();
  void VisualizzaDatiTune(const TuningLive& live);
  void ShowStep(int step, int percent, std::string_view title);
  void ReadInjectorType();
  [[nodiscard]] TuningLive LiveFromTable() const;

  pages::PageEnv& env_;
  TuningProcedure procedure_;
  AutoTuningTexts texts_;
  AutoTuningShown shown_;
  TuningControl control_;
  unsigned handed_ = 0;  // the run waiting for state 7; 0 when none
  unsigned runs_ = 0;
  bool finished_ = false;
  std::function<void()> changed_;
};

// round(100 / 7 * step), the progress of a step.
[[nodiscard]] int StepPercent(int step);

}  // namespace velmora::tuning
