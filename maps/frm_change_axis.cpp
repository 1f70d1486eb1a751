#include "maps/frm_change_axis.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>

#include "calib/calibration_import.h"
#include "core/paths.h"
#include "core/text.h"
#include "core/text_block.h"

namespace velmora::maps {

namespace {

constexpr std::string_view kReferenceFile = "00 Direct Inj Custom.xsi";
constexpr std::string_view kLineBreak = "\r\n";
// Either separator is taken on input, whatever the locale says.
constexpr char kInputComma = ',';

[[nodiscard]] std::uint8_t ToByte(std::int64_t v) {
  return static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255));
}

// A breakpoint byte in the grid's unit.
[[nodiscard]] double Shown(std::uint8_t byte, bool rpm) {
  return rpm ? byte * axis::kRpmStep
             : static_cast<double>(byte) * axis::kTimeStepUs / axis::kTimeScale;
}

// A value in the grid's unit normalised to its axis step, in the working
// unit (rpm or us).
[[nodiscard]] std::int64_t Normalised(double shown, bool rpm) {
  const int step = rpm ? axis::kRpmStep : axis::kTimeStepUs;
  const double work = rpm ? shown : shown * axis::kTimeScale;
  return core::RoundHalfEven(work / step) * step;
}

[[nodiscard]] int FindOnScale(std::uint8_t b, std::span<const double> list, bool rpm) {
  const int step = rpm ? axis::kRpmStep : axis::kTimeStepUs;
  const std::int64_t target = static_cast<std::int64_t>(b) * step;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::int64_t n = Normalised(list[i], rpm);
    if (n == target) {
      return static_cast<int>(i);
    }
    if (n >= target + step) {
      return static_cast<int>(i) - 1;
    }
  }
  return -1;
}

// Digits with at most one "." or "," and nothing else; an empty text is 0.
// Not through the C library, whose conversion follows the locale the
// window toolkit sets.
[[nodiscard]] std::optional<double> ParseAxisText(std::string_view text) {
  text = core::Trim(text);
  if (text.empty()) {
    return 0.0;
  }
  double whole = 0;
  double frac = 0;
  double scale = 1;
  bool in_frac = false;
  bool digit = false;
  for (char c : text) {
    if (c == '.' || c == kInputComma) {
      if (in_frac) {
        return std::nullopt;
      }
      in_frac = true;
    } else if (c >= '0' && c <= '9') {
      digit = true;
      if (in_frac) {
        scale /= 10;
        frac += (c - '0') * scale;
      } else {
        whole = whole * 10 + (c - '0');
      }
    } else {
      return std::nullopt;
    }
  }
  if (!digit) {
    return std::nullopt;
  }
  return whole + frac;
}

[[nodiscard]] bool IsRpm(int col) {
  return col == axis::kColRpm;
}
[[nodiscard]] int RowsOf(int col) {
  return IsRpm(col) ? axis::kRpmRows : axis::kTimeRows;
}

}  // namespace

AxisTexts LoadAxisTexts(const core::ClsLingue& lingue) {
  namespace t = axis_text;
  AxisTexts texts;
  for (int i = 0; i < axis::kPrincipalCount; ++i) {
    texts.rpm_tips[static_cast<std::size_t>(i)] = "rpm breakpoint " + std::to_string(i + 1);
    texts.time_tips[static_cast<std::size_t>(i)] =
        "Injection time breakpoint " + std::to_string(i + 1);
  }
  const core::TextBlock block(lingue, t::kMarker);
  block.Take(t::kCaption, texts.caption);
  block.Take(t::kHeadingTime, texts.heading_time);
  block.Take(t::kHeadingRpm, texts.heading_rpm);
  block.Take(t::kOk, texts.ok);
  block.Take(t::kCancel, texts.cancel);
  block.Take(t::kDefault, texts.default_axes);
  block.Take(t::kAutoscaleX, texts.autoscale_x);
  block.Take(t::kAutoscaleY, texts.autoscale_y);
  block.Take(t::kAutoscaleAsk, texts.autoscale_ask);
  block.Take(t::kAutoscaleContinue, texts.autoscale_continue);
  block.Take(t::kDefaultAsk, texts.default_ask);
  block.Take(t::kInvalid, texts.invalid);
  block.Take(t::kLabelRpm, texts.label_rpm);
  block.Take(t::kLabelTime, texts.label_time);
  block.Take(t::kPrincipal, texts.principal);
  for (int i = 0; i < axis::kPrincipalCount; ++i) {
    block.Take(t::kRpmBoxTip + i, texts.rpm_tips[static_cast<std::size_t>(i)]);
    block.Take(t::kTimeBoxTip + i, texts.time_tips[static_cast<std::size_t>(i)]);
  }
  block.Take(t::kReferenceMissing, texts.reference_missing);
  for (int i = 0; i < 4; ++i) {
    block.Take(t::kFailureFirst + i, texts.failures[static_cast<std::size_t>(i)]);
  }
  block.Take(t::kFailureOther, texts.failures[4]);
  return texts;
}

AxisEditorEnv AxisEditorEnvOf(const MapPageEnv& env) {
  return AxisEditorEnv{env.image, env.session, env.box, env.lng_dir, env.main_title};
}

double ControllaValore(double value, bool is_rpm) {
  const int step = is_rpm ? axis::kRpmStep : axis::kTimeStepUs;
  const int max = is_rpm ? axis::kRpmMax : axis::kTimeMaxUs;
  const int scale = is_rpm ? axis::kRpmScale : axis::kTimeScale;
  double work = value * scale;
  // Nothing typed in the grid is negative or this large; anything beyond
  // the top is clamped to it anyway, so the rounding below stays in range.
  if (!std::isfinite(work) || work < 0) {
    work = 0;
  }
  if (work > 2.0 * max) {
    work = 2.0 * max;
  }
  const std::int64_t units = core::RoundHalfEven(work);
  const std::int64_t q = core::RoundHalfEven(static_cast<double>(units) / step);
  const std::int64_t v = std::min<std::int64_t>(q * step, max);
  return static_cast<double>(v) / scale;
}

double ControllaValore(std::string_view text, bool is_rpm) {
  return ControllaValore(ParseAxisText(text).value_or(0.0), is_rpm);
}

std::string FormatAxisValue(double value, bool is_rpm) {
  if (!std::isfinite(value)) {
    return "0";
  }
  if (is_rpm) {
    return std::to_string(core::RoundHalfEven(value));
  }
  // Thousandths by hand: the C library's formatting follows the locale the
  // window toolkit sets, and the grid always shows ".".
  const std::int64_t milli = core::RoundHalfEven(value * 1000);
  const std::int64_t magnitude = milli < 0 ? -milli : milli;
  std::string s = (milli < 0 ? "-" : "") + std::to_string(magnitude / 1000);
  if (magnitude % 1000 != 0) {
    std::string digits = std::to_string(magnitude % 1000 + 1000).substr(1);
    while (digits.back() == '0') {
      digits.pop_back();
    }
    s += "." + digits;
  }
  return s;
}

std::vector<double> RpmList() {
  std::vector<double> list;
  for (int v = axis::kRpmListFirst; v <= axis::kRpmListLast; v += axis::kRpmListStep) {
    list.push_back(v);
  }
  return list;
}

std::vector<double> TimeList() {
  std::vector<double> list;
  for (int us = axis::kTimeListFirstUs;; us += axis::kTimeListStepUs) {
    list.push_back(static_cast<double>(us) / axis::kTimeScale);
    if (us >= axis::kTimeListEndUs) {
      break;
    }
  }
  return list;
}

int TrovaValoreRPM(std::uint8_t b, std::span<const double> list) {
  return FindOnScale(b, list, true);
}

int TrovaValoreTNJ(std::uint8_t b, std::span<const double> list) {
  return FindOnScale(b, list, false);
}

int TrovaValore(double value, std::span<const double> list) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i] == value) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

FrmChangeAxis::FrmChangeAxis(AxisEditorEnv env, AxisTexts texts)
    : env_(std::move(env)), texts_(std::move(texts)), grid_(axis::kRows, axis::kCols, 1, 0) {
  selected_rpm_.fill(-1);
  selected_time_.fill(-1);
}

void FrmChangeAxis::Load() {
  closed_ = false;
  PredisponiPuntatori();
  RiempiLeCombo();
  InizializzaDati();
  CaricaComboAssi();
  CaricaLingua();
  grid_.SetCurrent({2, axis::kColRpm});
}

void FrmChangeAxis::PredisponiPuntatori() {
  principal_rpm_ = principal::kRpm;
  principal_time_ = principal::kTime;
}

void FrmChangeAxis::RiempiLeCombo() {
  rpm_entries_ = RpmList();
  time_entries_ = TimeList();
}

void FrmChangeAxis::InizializzaDati() {
  const calib::CalibrationImage& image = env_.image;
  calib::AxisBreakpoints v;
  if (image.rpm_vector.size() == v.rpm.size() && image.time_vector.size() == v.time.size()) {
    std::copy(image.rpm_vector.begin(), image.rpm_vector.end(), v.rpm.begin());
    std::copy(image.time_vector.begin(), image.time_vector.end(), v.time.begin());
  } else if (calib::TablesToVectors(image.rpm_axis, image.time_axis, &v) !=
             calib::AxisFailure::kNone) {
    // Nothing known to start from: zeros, which OK refuses until the
    // fitter types or loads the defaults.
    v = calib::AxisBreakpoints{};
  }
  Fill(v);
}

void FrmChangeAxis::Fill(const calib::AxisBreakpoints& v) {
  breakpoints_ = v;
  for (int i = 0; i < axis::kTimeRows; ++i) {
    WriteRow(axis::kColTime, i, v.time[static_cast<std::size_t>(i)]);
  }
  for (int i = 0; i < axis::kRpmRows; ++i) {
    WriteRow(axis::kColRpm, i, v.rpm[static_cast<std::size_t>(i)]);
  }
}

void FrmChangeAxis::CaricaComboAssi() {
  for (std::size_t i = 0; i < axis::kPrincipalCount; ++i) {
    selected_rpm_[i] =
        TrovaValoreRPM(breakpoints_.rpm[static_cast<std::size_t>(principal_rpm_[i])], rpm_entries_);
    selected_time_[i] = TrovaValoreTNJ(
        breakpoints_.time[static_cast<std::size_t>(principal_time_[i])], time_entries_);
  }
}

void FrmChangeAxis::CaricaLingua() {
  grid_.SetText(0, axis::kColTime, texts_.heading_time);
  grid_.SetText(0, axis::kColRpm, texts_.heading_rpm);
}

double FrmChangeAxis::CellValue(int row, int col) const {
  const std::optional<double> v = ParseAxisText(grid_.Text(row, col));
  return v && std::isfinite(*v) ? *v : 0;
}

bool FrmChangeAxis::Editable(CellPos cell) const {
  // Row 1 is breakpoint 0, which is always 0.
  return cell.row >= 2 && cell.row <= RowsOf(cell.col) && cell.col >= 0 && cell.col < axis::kCols;
}

void FrmChangeAxis::SnapCell(CellPos cell) {
  if (!Editable(cell)) {
    return;
  }
  const bool rpm = IsRpm(cell.col);
  grid_.SetText(cell.row, cell.col,
                FormatAxisValue(ControllaValore(grid_.Text(cell.row, cell.col), rpm), rpm));
  StoreGrid();
  CaricaComboAssi();
}

void FrmChangeAxis::WriteRow(int col, int index, std::uint8_t byte) {
  const bool rpm = IsRpm(col);
  grid_.SetText(index + 1, col, FormatAxisValue(Shown(byte, rpm), rpm));
}

void FrmChangeAxis::SelectCell(CellPos cell) {
  const CellPos before = grid_.Current();
  if (before == cell) {
    return;
  }
  SnapCell(before);
  grid_.SetCurrent(cell);
}

bool FrmChangeAxis::TypeKey(char32_t key) {
  const CellPos cell = grid_.Current();
  if (!Editable(cell)) {
    return false;
  }
  if (key == axis_key::kEnter) {
    SnapCell(cell);
    return true;
  }
  std::string text = grid_.Text(cell.row, cell.col);
  if (key == axis_key::kBackspace) {
    if (!text.empty()) {
      text.pop_back();
    }
  } else if (key >= U'0' && key <= U'9') {
    if (text.size() >= axis::kMaxCellChars) {
      return false;
    }
    text.push_back(static_cast<char>(key));
  } else if ((key == U',' || key == U'.') && cell.col == axis::kColTime) {
    // One separator per number.
    if (text.size() >= axis::kMaxCellChars || text.find_first_of(",.") != std::string::npos) {
      return false;
    }
    text.push_back(static_cast<char>(key));
  } else {
    return false;
  }
  grid_.SetText(cell.row, cell.col, std::move(text));
  return true;
}

void FrmChangeAxis::CommitCell() {
  SnapCell(grid_.Current());
}

void FrmChangeAxis::StoreGrid() {
  breakpoints_.rpm[0] = 0;
  breakpoints_.time[0] = 0;
  for (int i = 1; i < axis::kRpmRows; ++i) {
    breakpoints_.rpm[static_cast<std::size_t>(i)] =
        ToByte(core::RoundHalfEven(CellValue(i + 1, axis::kColRpm) / axis::kRpmStep));
  }
  for (int i = 1; i < axis::kTimeRows; ++i) {
    breakpoints_.time[static_cast<std::size_t>(i)] = ToByte(core::RoundHalfEven(
        CellValue(i + 1, axis::kColTime) * axis::kTimeScale / axis::kTimeStepUs));
  }
}

void FrmChangeAxis::Refuse() {
  env_.box.Show(texts_.invalid, env_.main_title, platform::BoxKind::Exclamation);
  CaricaComboAssi();
}

void FrmChangeAxis::ChooseRpm(int box, int index) {
  ChoosePrincipal(true, box, index);
}
void FrmChangeAxis::ChooseTime(int box, int index) {
  ChoosePrincipal(false, box, index);
}

void FrmChangeAxis::ChoosePrincipal(bool rpm, int box, int index) {
  if (box < 0 || box >= axis::kPrincipalCount) {
    return;
  }
  const std::vector<double>& list = rpm ? rpm_entries_ : time_entries_;
  auto& sel = rpm ? selected_rpm_ : selected_time_;
  const auto& indices = rpm ? principal_rpm_ : principal_time_;
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) {
    Refuse();
    return;
  }
  // What a neighbouring box stands for: its chosen entry, or the breakpoint
  // itself when no entry matches it.
  auto neighbour = [&](int b) -> std::int64_t {
    const int s = sel[static_cast<std::size_t>(b)];
    if (s >= 0 && static_cast<std::size_t>(s) < list.size()) {
      return Normalised(list[static_cast<std::size_t>(s)], rpm);
    }
    const std::size_t at = static_cast<std::size_t>(indices[static_cast<std::size_t>(b)]);
    const std::uint8_t byte = rpm ? breakpoints_.rpm[at] : breakpoints_.time[at];
    return static_cast<std::int64_t>(byte) * (rpm ? axis::kRpmStep : axis::kTimeStepUs);
  };
  const std::int64_t chosen = Normalised(list[static_cast<std::size_t>(index)], rpm);
  if ((box > 0 && chosen <= neighbour(box - 1)) ||
      (box + 1 < axis::kPrincipalCount && chosen >= neighbour(box + 1))) {
    Refuse();
    return;
  }
  sel[static_cast<std::size_t>(box)] = index;
  const int col = rpm ? axis::kColRpm : axis::kColTime;
  const double shown =
      rpm ? static_cast<double>(chosen) : static_cast<double>(chosen) / axis::kTimeScale;
  grid_.SetText(indices[static_cast<std::size_t>(box)] + 1, col, FormatAxisValue(shown, rpm));
  StoreGrid();
  SpianaAssi();
}

void FrmChangeAxis::SpianaAssi() {
  auto halfway = [](std::uint8_t a, std::uint8_t b) {
    return ToByte(a + core::RoundHalfEven((static_cast<double>(b) - a) / 2));
  };
  // Between principal indices 2k and 2k + 2; indices 0..2 are never computed.
  for (std::size_t k = 1; k <= 9; ++k) {
    breakpoints_.rpm[2 * k + 1] = halfway(breakpoints_.rpm[2 * k], breakpoints_.rpm[2 * k + 2]);
  }
  for (std::size_t k = 1; k <= 10; ++k) {
    breakpoints_.time[2 * k + 1] = halfway(breakpoints_.time[2 * k], breakpoints_.time[2 * k + 2]);
  }
  // The last rpm segment spans three steps (20 to 23).
  const std::uint8_t a = breakpoints_.rpm[20];
  const std::uint8_t b = breakpoints_.rpm[23];
  const std::int64_t d = core::RoundHalfEven((static_cast<double>(b) - a) / 3);
  breakpoints_.rpm[21] = ToByte(a + d);
  breakpoints_.rpm[22] = ToByte(a + 2 * d);
  for (int i = 3; i <= 19; i += 2) {
    WriteRow(axis::kColRpm, i, breakpoints_.rpm[static_cast<std::size_t>(i)]);
  }
  WriteRow(axis::kColRpm, 21, breakpoints_.rpm[21]);
  WriteRow(axis::kColRpm, 22, breakpoints_.rpm[22]);
  for (int i = 3; i < axis::kTimeRows; i += 2) {
    WriteRow(axis::kColTime, i, breakpoints_.time[static_cast<std::size_t>(i)]);
  }
}

void FrmChangeAxis::AdattaScala(int count, int column) {
  if (column < 0 || column >= axis::kCols || count < 2 || count > RowsOf(column)) {
    return;
  }
  // The end points are read from the grid: a value still being typed
  // counts as the fitter will see it.
  CommitCell();
  const bool rpm = IsRpm(column);
  const std::string& heading = rpm ? texts_.heading_rpm : texts_.heading_time;
  const std::string question =
      texts_.autoscale_ask + " " + heading + std::string(kLineBreak) + texts_.autoscale_continue;
  if (!env_.box.Ask(question, env_.main_title)) {
    return;
  }
  const double first = CellValue(1, column);
  const double last = CellValue(count, column);
  const double step = (last - first) / (count - 1);
  for (int row = 2; row < count; ++row) {
    grid_.SetText(row, column,
                  FormatAxisValue(ControllaValore(first + (row - 1) * step, rpm), rpm));
  }
  StoreGrid();
  CaricaComboAssi();
  Check();
}

std::string FrmChangeAxis::InvalidLines() const {
  std::string lines;
  auto line = [&](const std::string& heading, int row, int col) {
    lines += heading + ": " + grid_.Text(row - 1, col) + "/" + grid_.Text(row, col) +
             std::string(kLineBreak);
  };
  for (int row = 2; row <= axis::kRpmRows; ++row) {
    if (CellValue(row, axis::kColRpm) - CellValue(row - 1, axis::kColRpm) < axis::kRpmStep) {
      line(texts_.heading_rpm, row, axis::kColRpm);
    }
  }
  for (int row = 2; row <= axis::kTimeRows; ++row) {
    const double gap = CellValue(row, axis::kColTime) - CellValue(row - 1, axis::kColTime);
    if (core::RoundHalfEven(gap * axis::kTimeScale) < axis::kTimeStepUs) {
      line(texts_.heading_time, row, axis::kColTime);
    }
  }
  return lines;
}

bool FrmChangeAxis::Check() {
  const std::string lines = InvalidLines();
  if (lines.empty()) {
    return true;
  }
  env_.box.Show(texts_.invalid + std::string(kLineBreak) + lines, env_.main_title,
                platform::BoxKind::Exclamation);
  return false;
}

void FrmChangeAxis::ShowFailure(calib::AxisFailure failure) {
  const int n = static_cast<int>(failure);
  const std::size_t at = n >= 1 && n <= 4 ? static_cast<std::size_t>(n - 1) : 4;
  env_.box.Show(texts_.failures[at], env_.main_title, platform::BoxKind::Critical);
}

AxisOutcome FrmChangeAxis::CmdOk() {
  CommitCell();
  if (!Check()) {
    return AxisOutcome::kStay;
  }
  StoreGrid();
  if (static_cast<int>(breakpoints_.rpm[axis::kRpmRows - 1]) * axis::kRpmStep ==
      axis::kRpmOverTop) {
    breakpoints_.rpm[axis::kRpmRows - 1] = axis::kRpmTop;
  }
  calib::AxisTables tables;
  const calib::AxisFailure failure = calib::VectorsToTables(breakpoints_, &tables);
  if (failure != calib::AxisFailure::kNone) {
    ShowFailure(failure);
    return AxisOutcome::kStay;
  }
  // First request wins: with another one pending the image stays as it
  // was, so it never holds axes the ECU was not asked to take.
  if (!env_.session.PostRequest(session::request::kAxes)) {
    return AxisOutcome::kBusy;
  }
  calib::CalibrationImage& image = env_.image;
  image.rpm_axis = std::move(tables.rpm);
  image.time_axis = std::move(tables.time);
  image.rpm_vector.assign(breakpoints_.rpm.begin(), breakpoints_.rpm.end());
  image.time_vector.assign(breakpoints_.time.begin(), breakpoints_.time.end());
  closed_ = true;
  return AxisOutcome::kClose;
}

AxisOutcome FrmChangeAxis::CmdDefault() {
  if (!env_.box.Ask(texts_.default_ask, env_.main_title)) {
    return AxisOutcome::kStay;
  }
  std::string path = env_.lng_dir;
  if (!path.empty() && path.back() != core::kSep) {
    path.push_back(core::kSep);
  }
  path += kReferenceFile;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    env_.box.Show(texts_.reference_missing, env_.main_title, platform::BoxKind::Critical);
    return AxisOutcome::kStay;
  }
  const std::optional<calib::AxisVectors> read = calib::ReadAxisVectorsFromFile(path);
  if (!read) {
    ShowFailure(calib::AxisFailure::kUnexpected);
    return AxisOutcome::kStay;
  }
  calib::AxisBreakpoints v;
  const calib::AxisFailure failure = calib::TablesToVectors(read->rpm, read->time, &v);
  if (failure != calib::AxisFailure::kNone) {
    ShowFailure(failure);
    return AxisOutcome::kStay;
  }
  Fill(v);
  CaricaComboAssi();
  return CmdOk();
}

}  // namespace velmora::maps
