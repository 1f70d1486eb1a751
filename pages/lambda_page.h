#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/config_scale.h"
#include "core/text_block.h"
#include "pages/config_page_lists.h"
#include "pages/lambda_emulation.h"
#include "pages/page_registry.h"
#include "pages/page_services.h"

namespace velmora::pages {

// Where the lambda page's settings live in the message table.
namespace lambda_field {
inline constexpr std::size_t kBlock2 = 2;
inline constexpr std::size_t kOptions = 2;           // block 2 field 2
inline constexpr std::int32_t kEmulationBit = 0x10;  // emulation on
inline constexpr std::int32_t kLockBit = 0x04;       // emulation switch locked
inline constexpr std::size_t kBlock3 = 3;
inline constexpr std::size_t kProbeType = 38;  // block 3 field 38
inline constexpr std::size_t kEmulation = 11;  // the emulation block
inline constexpr std::size_t kRpmAxis = 0;     // 12 breakpoints
inline constexpr std::size_t kBarAxis = 12;    // 4 breakpoints
inline constexpr std::size_t kCells = 16;      // 48 cells
inline constexpr std::size_t kDelay = 64;      // ms
inline constexpr std::size_t kLevels = 65;     // high pre, low pre, high post, low post
inline constexpr std::size_t kProbe1Kind = 69;
inline constexpr std::size_t kProbe2KindAndFilter = 70;
inline constexpr std::int32_t kLowNibble = 0x0F;
inline constexpr std::int32_t kHighNibble = 0xF0;
inline constexpr std::int32_t kNibble = 16;
inline constexpr int kSignalKinds = 3;
inline constexpr std::size_t kLive = 1;  // the live record's probe voltages, mV
inline constexpr std::array<std::size_t, 4> kLiveProbes = {36, 37, 39, 40};
inline constexpr std::size_t kFuel = 1;  // live record field 1: 1 on gas
inline constexpr double kStoichiometricMv = 450;
inline constexpr std::int32_t kMsPerSecond = 1000;
}  // namespace lambda_field

// The page's texts, relative to its marker.
namespace lambda_text {
inline constexpr std::string_view kMarker = "[Frm_ConfLambda]";
inline constexpr std::string_view kDelayKey = "[Ritardo attivazione Emulaz s]";
inline constexpr std::string_view kFilterKey = "[Filtro lambda]";
inline constexpr int kCaption = 1;
inline constexpr int kProbeType = 2;
inline constexpr int kProbe1 = 3;
inline constexpr int kProbe2 = 4;
inline constexpr int kFilter = 5;
inline constexpr int kEmulation = 6;
inline constexpr int kDelay = 7;
inline constexpr int kLevels = 8;
inline constexpr int kHighPre = 9;  // 9..12: the four levels
inline constexpr int kTable = 13;
inline constexpr int kRpmAxis = 14;
inline constexpr int kBarAxis = 15;
inline constexpr int kLive1Pre = 16;
inline constexpr int kLive2Pre = 17;
inline constexpr int kLive1Post = 18;
inline constexpr int kNoFilter = 19;
inline constexpr int kEmulationOff = 20;  // 20, 21
inline constexpr int kSignalKind0 = 22;   // 22..24
inline constexpr int kNoProbe = 25;
inline constexpr int kDefaultLevels = 26;
inline constexpr int kOffsetRows = 27;
inline constexpr int kValueRows = 28;
inline constexpr int kLean = 29;
inline constexpr int kRich = 30;
inline constexpr int kVoltageStep = 31;
inline constexpr int kWiring = 32;
inline constexpr int kLiveValues = 33;
inline constexpr int kLive2Post = 34;
inline constexpr int kEmulating = 35;
inline constexpr int kSwitchRefused = 36;
inline constexpr int kCount = 37;
}  // namespace lambda_text

// An emulation level box: its text, the text it had when it took the focus,
// and whether it takes changes.
struct LevelBox {
  std::string text;
  std::string on_focus;
  bool enabled = false;
};

// The page's controls as the model keeps them.
struct LambdaControls {
  ComboState probe_type;  // CmbSondaSel
  ComboState emulation;   // CmbAbilEmula
  ComboState probe1;      // CmbSonda1
  ComboState probe2;      // CmbSonda2
  ComboState filter;      // CmbFiltro
  ComboState delay;       // CmbRitardo
  // TxtEmulLevAltoAnte, TxtEmulLevBassoAnte, TxtEmulLevAltoPost, TxtEmulLevBassoPost
  std::array<LevelBox, 4> levels;
  std::array<std::int32_t, emulation::kRows> rpm_axis{};  // GrdRpm
  std::array<std::int32_t, emulation::kCols> bar_axis{};  // GrdBar
  EmulationCells cells{};                                 // GrdEmul, as stored
  CellBlock selection;
  bool grids_enabled = false;
};

// One probe of the live display.
struct ProbeReading {
  std::int32_t mv = 0;
  bool rich = false;
};

// AggiornaVisualizzazioniLambda: both probes before and after the catalyst.
struct LambdaLive {
  bool valid = false;  // the live record has been read
  std::array<ProbeReading, 4> probes;
  bool emulating = false;  // emulation on while the engine runs on gas
};

// FRM_KVXLambda without its window: the lambda probe, its signals, filter
// and emulation. Every change goes to the session as a write list and a
// request (27 block 2, 40 the emulation block, 41 block 3 then the
// emulation block); the controls show the blocks as read back.
class FrmKvxLambda final : public PageModel {
 public:
  explicit FrmKvxLambda(PageEnv& env);

  // Page hooks: shown, written, read, ticked, enabled.
  void Shown() override { AggiornaSelezioni(); }
  void Refresh() override { AggiornaSelezioni(); }
  void CalibrationRead() override { AggiornaSelezioni(); }
  void LiveTick() override;
  void SetEnabled(bool enable) override { enabled_ = enable; }
  [[nodiscard]] bool Enabled() const override { return enabled_; }

  // The lists from the dictionary and the probe records, then the controls.
  void CaricaLingua();
  void RiempiCmbSwtch();
  void AggiornaSelezioni();
  void AggiornaVisualizzazioniLambda();

  [[nodiscard]] const LambdaControls& Controls() const { return c_; }
  [[nodiscard]] const LambdaLive& Live() const { return live_; }
  [[nodiscard]] std::string Text(int k) const;

  // Change handlers: each does nothing while the page is loading or a
  // request is pending.
  void ChooseProbeType(int index);  // CmbSondaSel
  void ChooseEmulation(int index);  // CmbAbilEmula
  void ChooseProbe1(int index);     // CmbSonda1
  void ChooseProbe2(int index);     // CmbSonda2
  void ChooseFilter(int index);     // CmbFiltro
  void ChooseDelay(int index);      // CmbRitardo
  // Level box `which` (0 high pre .. 3 low post): focus taken, text typed,
  // Enter, focus left without Enter.
  void LevelFocused(std::size_t which);
  void LevelEdited(std::size_t which, std::string text);
  void LevelEntered(std::size_t which);
  void LevelLeft(std::size_t which);
  // + or - on a breakpoint of GrdRpm or GrdBar.
  void RpmKey(std::size_t row, bool up, bool shift);
  void BarKey(std::size_t col, bool up, bool shift);
  // GrdEmul: the selection, + or -, and Enter (the value entry dialog).
  void SelectCells(const CellBlock& block);
  void CellKey(bool up, bool shift);
  void CellEnter();

 private:
  [[nodiscard]] bool Ready();
  [[nodiscard]] int ProbeIndex() const;
  [[nodiscard]] std::int32_t Field11(std::size_t field) const;
  [[nodiscard]] bool PostEmulation(std::vector<EntryRecord> records);
  void ShowLevels(bool emulation_on);
  void ShowTable();
  void WriteAxis(std::size_t first, std::span<const std::int32_t> values);
  void WriteCells();

  PageEnv& env_;
  core::TextBlock texts_;
  std::vector<core::LambdaSensor> records_;
  LambdaControls c_;
  LambdaLive live_;
  ShownBlocks shown_{{lambda_field::kBlock2, lambda_field::kBlock3, lambda_field::kEmulation}};
  bool loading_ = false;
  bool stale_ = false;  // a change was asked for: show the blocks again once free
  bool enabled_ = true;
  int last_option_ = value_option::kAdd;
};

}  // namespace velmora::pages
