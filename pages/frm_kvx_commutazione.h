#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config_scale.h"
#include "core/dictionary.h"
#include "pages/page_registry.h"
#include "pages/page_services.h"
#include "pages/switch_over_delay_grid.h"
#include "pages/switch_over_rules.h"
#include "pages/value_mark.h"

namespace velmora::pages {

// The page's texts, relative to "[Frm_Config]".
namespace config_text {
inline constexpr std::string_view kMarker = "[Frm_Config]";
inline constexpr int kTitle = 2;
inline constexpr int kSwitchRpm = 3;
inline constexpr int kSwitchTemperature = 4;
inline constexpr int kHysteresis = 5;
inline constexpr int kOverlap = 6;
inline constexpr int kSequenceDelay = 7;
inline constexpr int kForce = 8;
inline constexpr int kWarmUp = 9;
inline constexpr int kCoils = 10;
inline constexpr int kCylinders = 11;
inline constexpr int kFactor = 12;
inline constexpr int kSensitivity = 13;
inline constexpr int kRpmCycles = 14;
inline constexpr int kRpmSource = 15;
inline constexpr int kFromCoil = 16;
inline constexpr int kFromWire = 17;
inline constexpr int kDirection = 18;
inline constexpr int kOnAcceleration = 19;
inline constexpr int kOnDeceleration = 20;
inline constexpr int kServices = 21;
inline constexpr int kFuelType = 22;
inline constexpr int kLpg = 23;
inline constexpr int kCng = 24;
inline constexpr int kEmergency = 25;
inline constexpr int kSpark = 26;
inline constexpr int kStartStop = 27;
inline constexpr int kOff = 28;
inline constexpr int kOn = 29;
inline constexpr int kSystem = 30;
inline constexpr int kSystemId = 31;
inline constexpr int kInjectorType = 32;
inline constexpr int kBadBit = 33;
inline constexpr int kTemperatureGrid = 34;
inline constexpr int kConfirmSystem = 35;
inline constexpr int kSparkSetting = 47;
inline constexpr int kIgnition = 48;
inline constexpr int kOptions = 49;
inline constexpr int kSystemCard = 50;
inline constexpr int kWord33 = 51;
inline constexpr int kWord49 = 52;
inline constexpr int kBlock2Word = 53;
inline constexpr int kGridTemperature = 54;
inline constexpr int kGridDelay = 55;
inline constexpr int kRange = 56;
inline constexpr int kPending = 57;
inline constexpr int kFailed = 58;
inline constexpr int kEcuHolds = 59;
inline constexpr int kBitValue = 60;
inline constexpr int kGridKeys = 61;
inline constexpr int kSparkHint = 62;
inline constexpr int kCount = 63;
}  // namespace config_text

// The page's combo boxes, by index.
namespace sw_combo {
inline constexpr int kSwtchRpm = 0;
inline constexpr int kSwtchIsteresi = 1;
inline constexpr int kSwtchTemp = 2;
inline constexpr int kDefCicliRpm = 3;
inline constexpr int kSwtchForce = 4;
inline constexpr int kSwitchSovrap = 5;
inline constexpr int kTempoSeqInj = 6;
inline constexpr int kNumBobine = 7;
inline constexpr int kTempoAutoCalda = 8;
inline constexpr int kFattorex1x2 = 9;
inline constexpr int kSogliaTensRpm = 10;
inline constexpr int kFiloRpm = 11;
inline constexpr int kSwitchDir = 12;
inline constexpr int kServizi = 13;
inline constexpr int kTipoAlim = 14;
inline constexpr int kEmergenza = 15;
inline constexpr int kSpark = 16;
inline constexpr int kStartStop = 17;
inline constexpr int kNumCilindri = 18;
inline constexpr int kConfSistema = 19;
inline constexpr int kConfSistemaId = 20;
inline constexpr int kTipoInj = 21;
inline constexpr int kCount = 22;
}  // namespace sw_combo

// The three rows of option check boxes: Check2 (entry 3 word 33), Check4
// (entry 3 word 49), Check3 (entry 2 word 2); box i sets bit value 2^i.
namespace sw_check {
inline constexpr int kCheck2 = 0;
inline constexpr int kCheck4 = 1;
inline constexpr int kCheck3 = 2;
inline constexpr int kRows = 3;
inline constexpr int kBits = 8;
}  // namespace sw_check

struct SwitchCombo {
  std::vector<std::string> items;
  std::vector<std::optional<double>> numbers;  // the number each item stands for
  int index = -1;
  Mark mark = Mark::kNone;
};

struct OptionRow {
  std::array<bool, sw_check::kBits> checked{};
  std::array<Mark, sw_check::kBits> marks{};
};

// Everything the view shows besides the temperature grid.
struct SwitchControls {
  std::array<SwitchCombo, sw_combo::kCount> combos;
  std::string spark_text;  // TEXT_SPARK
  bool spark_tag = false;  // typed, not yet sent
  Mark spark_mark = Mark::kNone;
  int bad_bit = 0;  // SldBadBit
  int bad_bit_max = 15;
  Mark bad_bit_mark = Mark::kNone;
  std::array<OptionRow, sw_check::kRows> checks;
};

// FRM_KVXCommutazione without its window: when and how the ECU switches to
// gas. Every choice becomes write-list records of the block that holds it
// and a request code for the session; when the request has run, the page
// shows the values read back (AggiornaSelezioni) and marks a choice the ECU
// did not take. The calibration list names the reference calibration the
// carburation reset and the auto-tuning load (the page session keeps it).
class FrmKvxCommutazione final : public PageModel {
 public:
  explicit FrmKvxCommutazione(PageEnv& env);
  ~FrmKvxCommutazione() override;
  FrmKvxCommutazione(const FrmKvxCommutazione&) = delete;
  FrmKvxCommutazione& operator=(const FrmKvxCommutazione&) = delete;

  // --- the registry's hooks
  void Shown() override;
  void LiveTick() override;
  void CalibrationRead() override;
  void SetEnabled(bool enable) override { enabled_ = enable; }
  [[nodiscard]] bool Enabled() const override { return enabled_; }

  // --- what the view reads
  [[nodiscard]] const SwitchControls& Controls() const { return controls_; }
  [[nodiscard]] const std::string& Text(int k) const;
  [[nodiscard]] const DelayGrid& Grid() const { return grid_; }
  [[nodiscard]] bool Updating() const { return updating_; }
  [[nodiscard]] int LastGridOption() const { return last_option_; }
  // The reference calibration chosen in CmbConfSistema.
  [[nodiscard]] const std::string& ChosenCalibration() const;
  // The sequence label: the injection sequence page's mode text and
  // NORM./ANTICIP., as that page last set it.
  [[nodiscard]] const std::string& SequenceCaption() const {
    return env_.session.SequenceCaption();
  }
  [[nodiscard]] std::string ComboTip(int combo) const;
  [[nodiscard]] std::string SparkTip() const;
  [[nodiscard]] std::string BadBitTip() const;
  [[nodiscard]] std::string CheckTip(int row, int bit) const;
  [[nodiscard]] std::string GridTip(int row, int column) const;

  // --- the page's procedures
  void CaricaLingua(const core::ClsLingue& lingue);
  void RiempiCmbSwtch(const core::ClsLingue& lingue);
  void PredisponiSensibilita(const core::ClsLingue& lingue);
  // Every control from the blocks, with the updating flag up; a choice
  // still waiting for the ECU, or one it did not take, keeps its place.
  void AggiornaSelezioni();

  // --- the user's actions
  void ComboClick(int combo, int index);
  // TEXT_SPARK: typing only marks the box; Enter or leaving it sends the
  // number (SparkCommit), an empty box nothing.
  void SparkTyped(std::string text);
  void SparkCommit();
  // RealTimeMonitor: the bad-bit slider's value.
  void BadBitChanged(int value);
  void CheckClick(int row, int bit, bool checked);
  // GrdTemp: the selection, the step keys (held keys repeat through
  // GridRepeat every 150 ms), Enter with the value entry dialog.
  void GridSelect(const DelayCells& cells) { grid_.Select(cells); }
  bool GridKeyDown(int key_code, bool shift);
  void GridRepeat() { grid_.Repeat(); }
  void GridKeyUp();
  void GridEnter();

  // --- the work of requests 13 and 14, run by the session
  [[nodiscard]] bool RunCylinders();
  [[nodiscard]] bool RunDelayGrid();
  void GridDropped();

 private:
  struct Link;
  // One record of a write and what the ECU must hold afterwards.
  struct Expect {
    std::size_t entry;
    std::int32_t field;
    std::int32_t mode;  // 0 stores the value, else the bits of the mode
    std::int32_t value;
  };
  struct Awaited {
    Mark* mark;
    std::vector<Expect> expect;
  };

  void RegisterWork();
  void LoadConfigScale();
  void FillBuiltInLists();
  void FillCalibrationLists();
  // Lists `records`, posts `code` and marks the control pending; false (and
  // nothing listed) while the page fills its controls, a request is
  // pending, or the post is refused.
  bool Write(int code, std::vector<Expect> records, Mark* mark);
  [[nodiscard]] bool Holds(const Expect& e) const;
  // Once the awaited request has run: each choice it carried is steady
  // when the ECU holds it, else marked failed. True when it had run.
  bool Resolve();
  void SendGrid();
  void SelectCombos();
  void SelectChecks();
  void SetCombo(int combo, int index);
  [[nodiscard]] std::int32_t Value(std::size_t entry, std::size_t field) const;
  [[nodiscard]] std::optional<double> SelectedNumber(int combo) const;
  void SpecialClick(int combo, int index);
  // The records of the controls the rpm conversion depends on: the speed,
  // the coils, the factor, the cylinders. Empty for none.
  [[nodiscard]] std::vector<Expect> SpeedRecords(int combo, int index,
                                                 std::optional<double> number) const;
  void ConfSistemaClick(int index);
  [[nodiscard]] bool Ignored() const { return updating_ || !enabled_; }

  PageEnv& env_;
  std::shared_ptr<Link> link_;
  SwitchControls controls_;
  std::array<std::string, config_text::kCount> texts_;
  DelayGrid grid_;
  core::ConfigScale config_;
  std::vector<std::string> calibration_paths_;  // beside CmbConfSistema's items
  std::vector<std::optional<std::int32_t>> calibration_ids_;
  std::vector<Awaited> awaited_;
  int awaited_code_ = 0;
  bool grid_waiting_ = false;  // edited, not yet posted
  bool grid_in_flight_ = false;
  bool stale_ = false;  // a choice was ignored: put it back when free
  bool updating_ = false;
  bool enabled_ = true;
  int last_option_ = value_option::kAdd;
};

// The factory the workstation's page table names.
[[nodiscard]] std::unique_ptr<PageModel> NewSwitchOverModel(PageEnv& env, int code);

}  // namespace velmora::pages
