#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calib/axis_vectors.h"
#include "calib/calibration_image.h"
#include "core/dictionary.h"
#include "maps/grid_model.h"
#include "maps/map_grid_ops.h"
#include "maps/map_page_env.h"
#include "platform/message_box.h"

namespace velmora::maps {

// Texts of the axis editor, relative to its marker.
namespace axis_text {
inline constexpr std::string_view kMarker = "[Frm_Assi]";
inline constexpr int kCaption = 1;
inline constexpr int kHeadingTime = 2;
inline constexpr int kHeadingRpm = 3;
inline constexpr int kOk = 4;
inline constexpr int kCancel = 5;
inline constexpr int kDefault = 6;
inline constexpr int kAutoscaleX = 7;
inline constexpr int kAutoscaleY = 8;
inline constexpr int kAutoscaleAsk = 9;  // + column heading + kAutoscaleContinue
inline constexpr int kAutoscaleContinue = 10;
inline constexpr int kDefaultAsk = 11;
inline constexpr int kInvalid = 12;  // refused principal choice, spacing lines
inline constexpr int kLabelRpm = 13;
inline constexpr int kLabelTime = 14;
inline constexpr int kPrincipal = 15;
inline constexpr int kRpmBoxTip = 17;   // 17..28, one per principal rpm box
inline constexpr int kTimeBoxTip = 29;  // 29..40
inline constexpr int kReferenceMissing = 63;
inline constexpr int kFailureFirst = 66;  // 66 + failure - 1 for failures 1..4
inline constexpr int kFailureOther = 70;
}  // namespace axis_text

// The editor's grid, its scales and its principal breakpoints.
namespace axis {
inline constexpr int kColTime = 0;  // injection time in ms, rows 1..23
inline constexpr int kColRpm = 1;   // rpm, rows 1..24
inline constexpr int kRows = 25;    // heading row + 24 breakpoints
inline constexpr int kCols = 2;
inline constexpr int kTimeRows = map_shape::kTimeRows;
inline constexpr int kRpmRows = map_shape::kRpmCols;
inline constexpr int kPrincipalCount = principal::kCount;
// Typed values: the step they snap to, the highest value and the factor
// from the shown unit to the working one (ms to us).
inline constexpr int kRpmStep = heading::kRpmPerByte;
inline constexpr int kRpmMax = 8000;
inline constexpr int kRpmScale = 1;
inline constexpr int kTimeStepUs = heading::kTimeUsPerByte;
inline constexpr int kTimeMaxUs = 22784;
inline constexpr int kTimeScale = 1000;
// The last rpm breakpoint one step above 8000 rpm is pulled back to it.
inline constexpr int kRpmOverTop = 8064;
inline constexpr std::uint8_t kRpmTop = 125;
// The principal boxes' lists.
inline constexpr int kRpmListFirst = 500;
inline constexpr int kRpmListLast = 7500;
inline constexpr int kRpmListStep = 250;
inline constexpr int kTimeListFirstUs = 250;
inline constexpr int kTimeListStepUs = 125;
inline constexpr int kTimeListEndUs = 20000;  // the list ends on the first value >= this
// A typed cell holds at most this many characters.
inline constexpr std::size_t kMaxCellChars = 9;
}  // namespace axis

// Keys the grid takes besides digits and the decimal separator.
namespace axis_key {
inline constexpr char32_t kBackspace = 8;
inline constexpr char32_t kEnter = 13;
}  // namespace axis_key

struct AxisTexts {
  std::string caption = "Map axes";
  std::string heading_time = "Injection time (ms)";
  std::string heading_rpm = "Engine speed (rpm)";
  std::string ok = "OK";
  std::string cancel = "Cancel";
  std::string default_axes = "Default axes";
  std::string autoscale_x = "Spread rpm evenly";
  std::string autoscale_y = "Spread injection time evenly";
  std::string autoscale_ask =
      "Spread the breakpoints evenly between the first and the last value of the column:";
  std::string autoscale_continue = "Continue?";
  std::string default_ask = "Reload the default axes from the reference calibration?";
  std::string invalid = "Invalid breakpoints: each value must be greater than the previous one";
  std::string label_rpm = "rpm";
  std::string label_time = "ms";
  std::string principal = "Principal breakpoints";
  std::array<std::string, axis::kPrincipalCount> rpm_tips;
  std::array<std::string, axis::kPrincipalCount> time_tips;
  std::string reference_missing = "The reference calibration file is missing";
  // Failures 1..4, then any other.
  std::array<std::string, 5> failures = {
      "Unexpected error while converting the axes",
      "The axis table of the ECU is not valid: the index does not increase by one",
      "The rpm breakpoints are not valid: they must start at 0 and increase up to 8000 rpm",
      "The injection time breakpoints are not valid: they must start at 0 and increase up to "
      "22.9 ms",
      "The axes could not be converted"};
};

// The texts of "[Frm_Assi]" in the chosen language; missing or empty ones
// keep the built-in English texts.
[[nodiscard]] AxisTexts LoadAxisTexts(const core::ClsLingue& lingue);

// What the editor works on. Nothing here is owned.
struct AxisEditorEnv {
  calib::CalibrationImage& image;
  pages::PageSession& session;
  platform::MessageBox& box;
  std::string lng_dir;     // holds "00 Direct Inj Custom.xsi"
  std::string main_title;  // caption of the editor's message boxes
};
[[nodiscard]] AxisEditorEnv AxisEditorEnvOf(const MapPageEnv& env);

// A typed value snapped to its axis: an empty or unreadable text counts as
// 0; rpm to steps of 64 up to 8000, injection time (ms) to steps of 0.128
// up to 22.784. Either "." or "," separates the decimals.
[[nodiscard]] double ControllaValore(std::string_view text, bool is_rpm);
[[nodiscard]] double ControllaValore(double value, bool is_rpm);
// A value as the grid and the boxes show it: rpm whole, ms with up to three
// decimals after a ".".
[[nodiscard]] std::string FormatAxisValue(double value, bool is_rpm);

// The principal boxes' lists (rpm, ms).
[[nodiscard]] std::vector<double> RpmList();
[[nodiscard]] std::vector<double> TimeList();

// The box entry that stands for breakpoint byte `b`: the entry that
// normalises to it, else the last one below it; -1 when none.
[[nodiscard]] int TrovaValoreRPM(std::uint8_t b, std::span<const double> list);
[[nodiscard]] int TrovaValoreTNJ(std::uint8_t b, std::span<const double> list);
// The entry numerically equal to `value`; -1 when none.
[[nodiscard]] int TrovaValore(double value, std::span<const double> list);

// How a closing button ended.
enum class AxisOutcome {
  kClose,  // done: the dialog closes
  kStay,   // refused, failed or not confirmed: the dialog stays open
  kBusy,   // another request is pending: nothing changed, try again
};

// The map axis editor without its window. Works on its own copy of the
// breakpoints; the image changes only when OK converts and posts the write.
class FrmChangeAxis {
 public:
  explicit FrmChangeAxis(AxisEditorEnv env, AxisTexts texts = {});

  // Window load: principal indices, box lists, grid from the image's
  // breakpoints (or its tables when the breakpoints are not known; zeros
  // when neither is), box selections, texts.
  void Load();

  void PredisponiPuntatori();
  void RiempiLeCombo();
  void InizializzaDati();
  void CaricaComboAssi();
  void CaricaLingua();

  [[nodiscard]] const GridModel& Grid() const { return grid_; }
  [[nodiscard]] const AxisTexts& Texts() const { return texts_; }
  // A language change: new words, the same breakpoints.
  void SetTexts(AxisTexts texts) {
    texts_ = std::move(texts);
    CaricaLingua();
  }
  [[nodiscard]] const std::vector<double>& RpmEntries() const { return rpm_entries_; }
  [[nodiscard]] const std::vector<double>& TimeEntries() const { return time_entries_; }
  [[nodiscard]] const std::array<int, axis::kPrincipalCount>& PrincipalRpm() const {
    return principal_rpm_;
  }
  [[nodiscard]] const std::array<int, axis::kPrincipalCount>& PrincipalTime() const {
    return principal_time_;
  }
  // The selected entry of each principal box; -1 for none.
  [[nodiscard]] const std::array<int, axis::kPrincipalCount>& SelectedRpm() const {
    return selected_rpm_;
  }
  [[nodiscard]] const std::array<int, axis::kPrincipalCount>& SelectedTime() const {
    return selected_time_;
  }
  // The breakpoints as the grid has them.
  [[nodiscard]] const calib::AxisBreakpoints& Breakpoints() const { return breakpoints_; }
  [[nodiscard]] bool Closed() const { return closed_; }

  // Moves to another cell; the cell left is snapped first.
  void SelectCell(CellPos cell);
  // A key on the current cell: digits are appended, "," or "." only in the
  // injection-time column, Backspace removes the last character, Enter
  // snaps. Anything else, and any key on the heading row, the fixed first
  // breakpoint or the row below the injection-time column, is discarded
  // (false).
  bool TypeKey(char32_t key);
  // Snaps the current cell (Enter, leaving it, OK).
  void CommitCell();

  // A principal box's choice by the user; `index` -1 for none.
  void ChooseRpm(int box, int index);
  void ChooseTime(int box, int index);

  void SpianaAssi();
  // Even spacing of a column between its first and last row, after a
  // Yes/No question.
  void AdattaScala(int count, int column);
  void CmdAutoscaleX() { AdattaScala(axis::kRpmRows, axis::kColRpm); }
  void CmdAutoscaleY() { AdattaScala(axis::kTimeRows, axis::kColTime); }

  // The spacing violations, one "heading: previous/value" CR LF line each;
  // empty when the grid is sound.
  [[nodiscard]] std::string InvalidLines() const;
  // Shows the invalid-breakpoints message with the lines; true when sound.
  bool Check();

  AxisOutcome CmdOk();
  AxisOutcome CmdDefault();
  void CmdAnnulla() { closed_ = true; }

 private:
  [[nodiscard]] double CellValue(int row, int col) const;
  [[nodiscard]] bool Editable(CellPos cell) const;
  void SnapCell(CellPos cell);
  void WriteRow(int col, int index, std::uint8_t byte);
  void Fill(const calib::AxisBreakpoints& v);
  // The grid into the breakpoints (rounded to bytes, index 0 = 0).
  void StoreGrid();
  void ChoosePrincipal(bool rpm, int box, int index);
  void Refuse();
  void ShowFailure(calib::AxisFailure failure);

  AxisEditorEnv env_;
  AxisTexts texts_;
  GridModel grid_;
  std::vector<double> rpm_entries_;
  std::vector<double> time_entries_;
  std::array<int, axis::kPrincipalCount> principal_rpm_{};
  std::array<int, axis::kPrincipalCount> principal_time_{};
  std::array<int, axis::kPrincipalCount> selected_rpm_{};
  std::array<int, axis::kPrincipalCount> selected_time_{};
  calib::AxisBreakpoints breakpoints_;
  bool closed_ = false;
};

}  // namespace velmora::maps
