#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/text_block.h"

#include "pages/config_page_lists.h"
#include "pages/page_registry.h"
#include "pages/page_services.h"

namespace velmora::pages {

// The page's texts, relative to "[Frm_Param]".
namespace management_text {
inline constexpr std::string_view kMarker = "[Frm_Param]";
inline constexpr int kCaption = 1;
inline constexpr int kHighFeeding = 5;
inline constexpr int kLowFeeding = 6;
inline constexpr int kFeedingTypes = 7;  // 7..9: gas only, petrol contribution, back to petrol
inline constexpr int kOff = 25;
inline constexpr int kOn = 26;
inline constexpr int kEcuState = 27;
inline constexpr int kDeadTimeWarning = 28;
inline constexpr int kSequence = 29;
inline constexpr int kFuelInUse = 30;
inline constexpr int kPetrol = 31;
inline constexpr int kGas = 32;
inline constexpr int kSwitching = 33;
inline constexpr int kEngineSpeed = 34;
inline constexpr int kAdvanced = 35;
inline constexpr int kInjectors = 36;
inline constexpr int kCount = 37;
}  // namespace management_text

// The byte combos of the parameter record ("[BLK_5]", written with 28).
namespace record_combo {
inline constexpr int kPetrolDeadTime = 0;  // CmbTempoMortoBenz
inline constexpr int kIdleSpeed = 1;       // cmbGiriMinimo
inline constexpr int kUpToSpeed = 2;       // cmbGiriA
inline constexpr int kFromSpeed = 3;       // cmbGiriDaQVD
inline constexpr int kPetrolTime = 4;      // cmbTempoInjBenQVD
inline constexpr int kContribution = 5;    // cmbValoreContr
inline constexpr int kToSpeed = 6;         // cmbGiriFineQVD
inline constexpr int kCount = 7;
}  // namespace record_combo

// The combos written through write lists.
namespace word_combo {
inline constexpr int kMonoFuel = 0;            // CmbMonoFuel
inline constexpr int kMinOpening = 1;          // CmbMinOn
inline constexpr int kGasDeadTime = 2;         // CmbTempoMortoGas
inline constexpr int kMaxDutyTime = 3;         // cmb_maxduty_time
inline constexpr int kMaxDutyHysteresis = 4;   // cmb_maxduty_isteresi
inline constexpr int kMaxDutyCheck = 5;        // cmb_maxduty_enter
inline constexpr int kMaxPowerRpm = 6;         // cmb_maxp_isteresi_rpm
inline constexpr int kMaxPowerTime = 7;        // cmb_maxp_isteresi_tinj
inline constexpr int kReturnInjections = 8;    // CmbNumIniettateRientro
inline constexpr int kContributionCycles = 9;  // cmbContrIDCicli
inline constexpr int kExitPressure = 10;       // cmbsogliauscitapress
inline constexpr int kCount = 11;
}  // namespace word_combo

// The parameter record's bytes this page writes.
namespace record_byte {
inline constexpr std::size_t kSize = 16;
inline constexpr std::size_t kFeeding = 15;
inline constexpr std::uint8_t kHighMask = 0xC0;  // bits 6-7: 64 type 1, 128 type 2
inline constexpr std::uint8_t kLowMask = 0x30;   // bits 4-5: 16 type 1, 32 type 2
inline constexpr int kHighShift = 6;
inline constexpr int kLowShift = 4;
inline constexpr int kFeedingChoices = 3;
}  // namespace record_byte

// The ECU's state as the page shows it (AggiornaStatoEcu_FrmParam).
struct ManagementState {
  bool valid = false;
  std::string fuel;  // petrol, switching, gas
  std::string rpm;
};

struct ManagementControls {
  std::array<ComboState, record_combo::kCount> record;
  std::array<ComboState, word_combo::kCount> words;
  int high_feeding = -1;      // optionHigh: 0..2, -1 for none
  int low_feeding = -1;       // optionLow
  bool record_known = false;  // the parameter record has been read
  bool advanced = false;      // CMDAdvanced: FRM_ADV shown
};

// FRM_KVXGestione without its window: dead times, minimum opening, the
// speed windows of the feeding types, petrol contribution, duty-cycle and
// power limits, the return to gas and single-fuel operation. The parameter
// record goes whole with request 28; block words with 27, 7, 54 and 59.
class FrmKvxGestione final : public PageModel {
 public:
  explicit FrmKvxGestione(PageEnv& env);

  void Shown() override { AggiornaSelezioni(); }
  void Refresh() override { AggiornaSelezioni(); }
  void CalibrationRead() override { AggiornaSelezioni(); }
  void LiveTick() override;
  void SetEnabled(bool enable) override { enabled_ = enable; }
  [[nodiscard]] bool Enabled() const override { return enabled_; }

  void CaricaLingua();
  void RiempiCmbSwtch();
  void AggiornaSelezioni();
  void AggiornaStatoEcu_FrmParam();

  [[nodiscard]] const ManagementControls& Controls() const { return c_; }
  [[nodiscard]] const ManagementState& State() const { return state_; }
  [[nodiscard]] std::string Text(int k) const;
  // Which of the two idle-speed windows this ECU has: cmbGiriA on ECUs
  // with direct injection, cmbGiriMinimo on the others.
  [[nodiscard]] bool RecordComboShown(int combo) const;
  // CMDAdvanced's caption: ">>>" while the advanced frame is hidden.
  [[nodiscard]] std::string AdvancedCaption() const { return c_.advanced ? "<<<" : ">>>"; }

  void ChooseRecord(int combo, int index);  // a byte of the parameter record
  void ChooseWord(int combo, int index);    // a write-list word
  void ChooseHighFeeding(int choice);       // optionHigh (i)
  void ChooseLowFeeding(int choice);        // optionLow (i)
  void ToggleAdvanced();                    // CMDAdvanced
  void OpenSequence();                      // CmdSeqInj

 private:
  [[nodiscard]] bool Ready();
  [[nodiscard]] bool RecordReadable() const;
  void WriteRecordBytes(const std::vector<std::pair<std::size_t, std::uint8_t>>& bytes);
  void ShowRecord();
  void ShowWords();
  void PostWord(int combo, int index);

  PageEnv& env_;
  core::TextBlock texts_;
  ManagementControls c_;
  ManagementState state_;
  ShownBlocks shown_{{2, 3, 15, 16}};
  bool loading_ = false;
  bool stale_ = false;
  bool enabled_ = true;
};

}  // namespace velmora::pages
