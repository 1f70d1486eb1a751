#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dictionary.h"
#include "maps/compensation_table.h"
#include "maps/grid_model.h"
#include "pages/page_registry.h"
#include "pages/page_services.h"
#include "pages/value_mark.h"

namespace velmora::maps {

// The page's texts, relative to "[FrmCompensaTbl]".
namespace compensa_text {
inline constexpr std::string_view kMarker = "[FrmCompensaTbl]";
inline constexpr std::string_view kSwitchKey = "[Pressione Compensazione]";
inline constexpr int kTitle = 1;
inline constexpr int kTableNames = 2;  // 2..6, one per kind
inline constexpr int kUnits = 7;       // 7 degrees, 8 bar, 9 volts, 10 ms, 11 percent
inline constexpr int kCentre = 12;
inline constexpr int kFactor = 13;
inline constexpr int kActive = 14;
inline constexpr int kLastCorrection = 15;
inline constexpr int kPersistence = 16;
inline constexpr int kLeanEntry = 17;
inline constexpr int kLeanExit = 18;
inline constexpr int kAbs = 19;
inline constexpr int kEvenBar = 20;
inline constexpr int kEvenPercent = 21;
inline constexpr int kNewValue = 22;
inline constexpr int kPetrolBar = 24;
inline constexpr int kOperatingPoint = 27;
inline constexpr int kCorrection = 28;
inline constexpr int kRange = 29;
inline constexpr int kPending = 30;
inline constexpr int kFailed = 31;
inline constexpr int kBreakpointHint = 32;
inline constexpr int kKeysHint = 33;
inline constexpr int kEcuHolds = 34;
}  // namespace compensa_text

// The page's captions in the chosen language; English until loaded.
struct CompensaTexts {
  std::string title = "Compensation tables";
  std::array<std::string, compensation::kKinds> tables = {"Gas temperature", "Reducer temperature",
                                                          "Gas pressure", "Petrol pressure",
                                                          "Lean-out on acceleration"};
  std::array<std::string, compensation::kKinds> units = {"°C", "Bar", "V", "ms", "%"};
  std::string centre = "Centre here";
  std::string factor = "Factor (%)";
  std::string active = "Table active";
  std::string last_correction = "Correction of the last point";
  std::string persistence = "Persistence";
  std::string lean_entry = "Lean-out entry";
  std::string lean_exit = "Lean-out exit";
  std::string abs = "ABS compensation";
  std::string even_bar = "Pressure min/max (bar)";
  std::string even_percent = "Pressure min/max (%)";
  std::string new_value = "New value";
  std::string petrol_bar = "Petrol pressure (bar)";
  std::string operating_point = "Operating point";
  std::string correction = "Correction";
  std::string range = "Allowed range";
  std::string pending = "Waiting for the ECU to confirm";
  std::string failed = "Not taken by the ECU";
  std::string breakpoint_hint = "Breakpoint: select it and press Centre here";
  std::string keys_hint =
      "Enter: new value for the selected corrections; + and -: step (Shift: 10)";
  std::string ecu_holds = "The ECU holds";
};

using pages::Mark;

// A table's own controls besides its grid.
struct TableControls {
  std::string factor_text = "10";  // TXTFactor
  bool active = false;             // ChkGrd
  Mark active_mark = Mark::kNone;
  bool point_shown = false;  // VisualizzaPuntoTabella
  int point_column = 1;
  std::string point_text;
};

// A combo box: its items, the selected one (-1 none) and its mark.
struct PageCombo {
  std::vector<std::string> items;
  int index = -1;
  Mark mark = Mark::kNone;
};

// Everything the view shows besides the grids.
struct CompensaControls {
  std::array<TableControls, compensation::kKinds> tables;
  PageCombo lean_entry;  // CmbSmagAccIngresso
  PageCombo lean_exit;   // CmbSmagAccUscita
  int persistence = 1;   // HSC_Permanenza, TXT_Permanenza
  int correction = 0;    // HSC_Correzione
  std::string correction_text = "0 %";
  bool abs_checked = false;  // ChkABS
  Mark abs_mark = Mark::kNone;
  std::array<std::string, compensation::kPairs> petrol_bar;  // GrdBar
};

// What became of a centring or an edit.
enum class CompensaOutcome { kApplied, kRefused, kIgnored, kCancelled };

// The value entry dialog's limits for a correction.
inline constexpr pages::Limits kCompensationLimits{
    {compensation::kMaxCorrection, compensation::kMinCorrection},
    {compensation::kMaxCorrection, compensation::kMinCorrection},
    {compensation::kMaxCorrection, compensation::kMinCorrection}};

// FrmCompensa without its window: the five compensation tables as grids
// (units in column 0, breakpoints in row 0, corrections in row 1), their
// centring, switches and live operating points, the lean-out settings and
// the ABS flag. An edit changes the page's copy of a table; the copy goes
// into the message table's entry and request 15 names the table to write
// as soon as the request slot is free. The session writes the block and
// reads it back; the page then shows what the ECU holds, and marks a value
// the ECU did not take.
class FrmCompensa final : public pages::PageModel {
 public:
  explicit FrmCompensa(pages::PageEnv& env);
  ~FrmCompensa() override;
  FrmCompensa(const FrmCompensa&) = delete;
  FrmCompensa& operator=(const FrmCompensa&) = delete;

  // --- the registry's hooks
  void Shown() override;
  void LiveTick() override;
  // A new image: every table as the ECU holds it, nothing left to write.
  void CalibrationRead() override;
  void SetEnabled(bool enable) override { enabled_ = enable; }
  [[nodiscard]] bool Enabled() const override { return enabled_; }

  // --- what the view reads
  [[nodiscard]] GridModel& Grid(int kind);
  [[nodiscard]] const CompensaControls& Controls() const { return controls_; }
  [[nodiscard]] const CompensaTexts& Texts() const { return texts_; }
  [[nodiscard]] Mark CellMark(int kind, int column) const;
  // The tooltip of a cell: what it is, its unit and range, and its mark.
  [[nodiscard]] std::string CellTip(int kind, int row, int column) const;
  // The tooltip of a table's factor box.
  [[nodiscard]] std::string FactorTip() const;
  [[nodiscard]] const PressureScaling& Scaling() const { return scaling_; }
  [[nodiscard]] bool Updating() const { return updating_; }
  [[nodiscard]] int LastOption() const { return last_option_; }

  // --- the page's procedures
  void CaricaLingua(const core::ClsLingue& lingue);
  void RiempiComboSwitch(const core::ClsLingue& lingue);
  // Every table, the petrol pressure in bar, the switches, the lean-out
  // settings and the ABS flag from the blocks, with the updating flag up.
  // A table whose edit still waits to be written keeps the page's copy.
  void AggiornaTabelledaVettori();
  // The operating point of each table from the main live record.
  void VisualizzaPuntoTabella();

  // --- the user's actions
  CompensaOutcome CmdCentraQui(int kind);
  void SetFactorText(int kind, std::string text);
  // Enter on a grid: the value entry dialog, then its operation on the
  // selected corrections.
  CompensaOutcome Enter(int kind);
  // + and - on a grid: the selected corrections by `delta`.
  CompensaOutcome Step(int kind, int delta);
  void ChkGrdClick(int kind, bool checked);
  void LeanEntryClick(int index);
  void LeanExitClick(int index);
  void PermanenceScroll(int value);
  void CorrectionScroll(int value);
  void AbsClick(bool checked);
  // CmdMinMaxPressBar, CmdMinMaxPressPer: the gas-pressure breakpoints, or
  // corrections, evenly between the first and the last column.
  void EvenPressureBreakpoints();
  void EvenPressureCorrections();

  // --- request 15's work, run by the session
  [[nodiscard]] bool WriteTables();
  void WritesDropped();

 private:
  struct Link;
  void Render(int kind);
  void RenderColours(int kind);
  void ResetMarks();
  // The grid's corrections into the page's copy of the table.
  void TakeCorrections(int kind);
  // Marks the changed corrections and the table to be written; Changed
  // also sends it when the request slot is free.
  void MarkChanged(int kind, const std::vector<int>& columns);
  void Changed(int kind, const std::vector<int>& columns);
  void SendWaiting();
  void Written(int kind, bool ok);
  void ResolveAbs();
  void ShowScalingErrors();
  [[nodiscard]] std::vector<int> SelectedCorrectionColumns(int kind) const;
  [[nodiscard]] std::optional<double> LiveValue(int kind) const;
  [[nodiscard]] std::string PointText(int kind, double value) const;
  [[nodiscard]] bool Ignored() const { return updating_ || !enabled_; }

  pages::PageEnv& env_;
  std::shared_ptr<Link> link_;
  std::vector<GridModel> grids_;
  std::array<CompensationValues, compensation::kKinds> data_{};
  std::array<std::array<Mark, compensation::kColumns>, compensation::kKinds> marks_{};
  std::array<bool, compensation::kKinds> waiting_{};    // edited, not yet posted
  std::array<bool, compensation::kKinds> in_flight_{};  // posted with request 15
  int write_kind_ = 0;                                  // the table to write
  std::array<std::int32_t, 2> lean_{};                  // the lean-out settings' fields
  CompensaControls controls_;
  CompensaTexts texts_;
  PressureScaling scaling_;
  PressureLine line_;
  bool updating_ = false;
  bool enabled_ = true;
  bool loaded_ = false;
  bool scaling_told_ = false;
  bool abs_awaited_ = false;
  bool abs_wanted_ = false;
  int last_option_ = pages::value_option::kAdd;
};

// The factory the workstation's page table names.
[[nodiscard]] std::unique_ptr<pages::PageModel> NewCompensationModel(pages::PageEnv& env, int code);

}  // namespace velmora::maps
