// The fitter's actions on the compensation page: centring, typed and
// stepped corrections, the switches, the lean-out settings, the last-point
// correction, the ABS flag, and the tooltips that say what each value is.
#include <algorithm>
#include <cmath>

#include "core/text.h"
#include "maps/frm_compensa.h"
#include "session/request_codes.h"

namespace velmora::maps {

namespace cp = compensation;

namespace {

// CmdCentraQui's beeps.
namespace beep {
constexpr int kRefusedHz = 200;
constexpr int kRefusedMs = 750;
constexpr int kDoneHz = 600;
constexpr int kDoneMs = 100;
}  // namespace beep

constexpr int kMaxFactor = 100;

std::size_t K(int kind) {
  return static_cast<std::size_t>(kind);
}

bool ValidKind(int kind) {
  return kind >= 0 && kind < cp::kKinds;
}

std::int32_t ClampCorrection(double v) {
  if (!std::isfinite(v)) {
    return 0;
  }
  return static_cast<std::int32_t>(std::clamp(std::trunc(v),
                                              static_cast<double>(cp::kMinCorrection),
                                              static_cast<double>(cp::kMaxCorrection)));
}

}  // namespace

std::vector<int> FrmCompensa::SelectedCorrectionColumns(int kind) const {
  const CellRect sel = grids_[K(kind)].Selection();
  std::vector<int> out;
  if (sel.top > cp::kCorrectionRow || sel.bottom < cp::kCorrectionRow) {
    return out;
  }
  for (int c = std::max(1, sel.left); c <= sel.right && c < cp::kColumns; ++c) {
    out.push_back(c);
  }
  return out;
}

void FrmCompensa::TakeCorrections(int kind) {
  GridModel& g = grids_[K(kind)];
  for (int c = 1; c < cp::kColumns; ++c) {
    const std::int32_t shown = ClampCorrection(CellNumber(g.Text(cp::kCorrectionRow, c)));
    data_[K(kind)].corrections[static_cast<std::size_t>(c - 1)] =
        RawCorrection(kind, shown, c, scaling_);
  }
}

void FrmCompensa::MarkChanged(int kind, const std::vector<int>& columns) {
  for (const int c : columns) {
    marks_[K(kind)][static_cast<std::size_t>(c)] = Mark::kPending;
  }
  waiting_[K(kind)] = true;
  Render(kind);
}

void FrmCompensa::Changed(int kind, const std::vector<int>& columns) {
  MarkChanged(kind, columns);
  SendWaiting();
}

CompensaOutcome FrmCompensa::CmdCentraQui(int kind) {
  if (Ignored() || !ValidKind(kind)) {
    return CompensaOutcome::kIgnored;
  }
  GridModel& g = grids_[K(kind)];
  const CellPos at = g.Current();
  std::optional<std::vector<std::int32_t>> centred;
  if (at.row == cp::kBreakpointRow) {
    std::vector<double> x;
    for (int c = 1; c < cp::kColumns; ++c) {
      x.push_back(CellNumber(g.Text(cp::kBreakpointRow, c)));
    }
    const double f = std::trunc(CellNumber(controls_.tables[K(kind)].factor_text));
    centred = CentredCorrections(kind, x, at.col,
                                 static_cast<int>(std::clamp<double>(f, -kMaxFactor, kMaxFactor)));
  }
  if (!centred) {
    env_.window.Beep(beep::kRefusedHz, beep::kRefusedMs);
    return CompensaOutcome::kRefused;
  }
  env_.window.Beep(beep::kDoneHz, beep::kDoneMs);
  std::vector<int> changed;
  for (int c = 1; c < cp::kColumns; ++c) {
    const std::string text = std::to_string((*centred)[static_cast<std::size_t>(c - 1)]);
    if (g.Text(cp::kCorrectionRow, c) != text) {
      g.SetText(cp::kCorrectionRow, c, text);
      changed.push_back(c);
    }
  }
  TakeCorrections(kind);
  Changed(kind, changed);
  return CompensaOutcome::kApplied;
}

void FrmCompensa::SetFactorText(int kind, std::string text) {
  if (ValidKind(kind)) {
    controls_.tables[K(kind)].factor_text = std::move(text);
  }
}

CompensaOutcome FrmCompensa::Enter(int kind) {
  if (Ignored() || !ValidKind(kind)) {
    return CompensaOutcome::kIgnored;
  }
  const std::vector<int> columns = SelectedCorrectionColumns(kind);
  if (columns.empty()) {
    return CompensaOutcome::kIgnored;
  }
  const pages::EnteredValue r = env_.window.AskValue(kCompensationLimits, last_option_);
  if (r.operation == pages::value_op::kCancelled) {
    env_.window.Beep(beep::kDoneHz, beep::kDoneMs);
    return CompensaOutcome::kCancelled;
  }
  last_option_ = pages::OptionOfOperation(r.operation).value_or(last_option_);
  // The operation on the corrections of the selection only: breakpoints
  // are the ECU's axis.
  GridModel& g = grids_[K(kind)];
  const CellPos current = g.Current();
  const CellPos opposite = g.Opposite();
  g.Select({cp::kCorrectionRow, columns.front()}, {cp::kCorrectionRow, columns.back()});
  ModificaValoriGrigliaLibera(g, r.operation, r.value, 1);
  g.Select(current, opposite);
  for (const int c : columns) {
    g.SetText(cp::kCorrectionRow, c,
              std::to_string(ClampCorrection(CellNumber(g.Text(cp::kCorrectionRow, c)))));
  }
  TakeCorrections(kind);
  Changed(kind, columns);
  return CompensaOutcome::kApplied;
}

CompensaOutcome FrmCompensa::Step(int kind, int delta) {
  if (Ignored() || !ValidKind(kind)) {
    return CompensaOutcome::kIgnored;
  }
  const std::vector<int> columns = SelectedCorrectionColumns(kind);
  if (columns.empty()) {
    return CompensaOutcome::kIgnored;
  }
  GridModel& g = grids_[K(kind)];
  for (const int c : columns) {
    const double v = CellNumber(g.Text(cp::kCorrectionRow, c)) + delta;
    g.SetText(cp::kCorrectionRow, c, std::to_string(ClampCorrection(v)));
  }
  TakeCorrections(kind);
  Changed(kind, columns);
  return CompensaOutcome::kApplied;
}

void FrmCompensa::ChkGrdClick(int kind, bool checked) {
  if (Ignored() || !ValidKind(kind)) {
    return;
  }
  TableControls& t = controls_.tables[K(kind)];
  t.active = checked;
  t.active_mark = Mark::kPending;
  data_[K(kind)].in_use = checked ? cp::kPairsInUse : 0;
  Changed(kind, {});
}

void FrmCompensa::LeanEntryClick(int index) {
  PageCombo& c = controls_.lean_entry;
  if (Ignored() || index < 0 || static_cast<std::size_t>(index) >= c.items.size()) {
    return;
  }
  c.index = index;
  c.mark = Mark::kPending;
  lean_[0] = index;
  Changed(cp::kLeanOut, {});
}

void FrmCompensa::LeanExitClick(int index) {
  PageCombo& c = controls_.lean_exit;
  if (Ignored() || index < 0 || static_cast<std::size_t>(index) >= c.items.size()) {
    return;
  }
  c.index = index;
  c.mark = Mark::kPending;
  lean_[1] = index;
  controls_.persistence = index + 1;
  Changed(cp::kLeanOut, {});
}

void FrmCompensa::PermanenceScroll(int value) {
  controls_.persistence = value;
  if (!updating_) {
    LeanExitClick(value - 1);
  }
}

void FrmCompensa::CorrectionScroll(int value) {
  controls_.correction = value;
  // A lean-out (a negative correction) reads as the amount taken off.
  controls_.correction_text =
      (value < 0 ? "+ " + std::to_string(-value) : std::to_string(value)) + " %";
  if (Ignored()) {
    return;
  }
  const std::string text = std::to_string(ClampCorrection(value));
  for (int k = 0; k < cp::kKinds; ++k) {
    GridModel& g = grids_[K(k)];
    if (g.Text(cp::kCorrectionRow, cp::kPairs) == text) {
      continue;
    }
    g.SetText(cp::kCorrectionRow, cp::kPairs, text);
    TakeCorrections(k);
    MarkChanged(k, {cp::kPairs});
  }
  // Every table changed goes in one request.
  SendWaiting();
}

void FrmCompensa::AbsClick(bool checked) {
  if (Ignored() || !env_.session.SlotFree()) {
    return;  // the box goes back to the ECU's state on the next update
  }
  auto& lists = env_.session.Lists();
  if (!lists.Append(abs_flag::kEntry, {checked ? 1 : 0, abs_flag::kField, abs_flag::kBit})) {
    return;
  }
  if (!env_.session.PostRequest(session::request::kEntry16List)) {
    lists.Clear(abs_flag::kEntry);
    return;
  }
  controls_.abs_checked = checked;
  controls_.abs_mark = Mark::kPending;
  abs_awaited_ = true;
  abs_wanted_ = checked;
}

void FrmCompensa::ResolveAbs() {
  if (!abs_awaited_ || env_.session.PendingRequest() == session::request::kEntry16List) {
    return;
  }
  abs_awaited_ = false;
  AggiornaTabelledaVettori();
  if (controls_.abs_checked != abs_wanted_) {
    controls_.abs_checked = abs_wanted_;
    controls_.abs_mark = Mark::kFailed;
  }
}

void FrmCompensa::EvenPressureBreakpoints() {
  if (Ignored()) {
    return;
  }
  CompensationValues& v = data_[K(cp::kGasPressure)];
  const double first = v.breakpoints.front();
  const double step = (v.breakpoints.back() - first) / (cp::kColumns - 2);
  std::vector<int> changed;
  for (int c = 1; c < cp::kColumns; ++c) {
    auto& b = v.breakpoints[static_cast<std::size_t>(c - 1)];
    const auto even = static_cast<std::int32_t>(core::RoundHalfEven(first + step * (c - 1)));
    if (b != even) {
      b = even;
      changed.push_back(c);
    }
  }
  Changed(cp::kGasPressure, changed);
}

void FrmCompensa::EvenPressureCorrections() {
  if (Ignored()) {
    return;
  }
  GridModel& g = grids_[K(cp::kGasPressure)];
  const double first = CellNumber(g.Text(cp::kCorrectionRow, 1));
  const double step =
      (CellNumber(g.Text(cp::kCorrectionRow, cp::kPairs)) - first) / (cp::kColumns - 2);
  std::vector<int> changed;
  for (int c = 1; c < cp::kColumns; ++c) {
    const std::string text = std::to_string(
        ClampCorrection(static_cast<double>(core::RoundHalfEven(first + step * (c - 1)))));
    if (g.Text(cp::kCorrectionRow, c) != text) {
      g.SetText(cp::kCorrectionRow, c, text);
      changed.push_back(c);
    }
  }
  TakeCorrections(cp::kGasPressure);
  Changed(cp::kGasPressure, changed);
}

std::string FrmCompensa::FactorTip() const {
  return texts_.factor + ". " + texts_.range + ": -" + std::to_string(kMaxFactor) + " .. " +
         std::to_string(kMaxFactor);
}

std::string FrmCompensa::CellTip(int kind, int row, int column) const {
  if (!ValidKind(kind) || column < 0 || column >= cp::kColumns) {
    return {};
  }
  const std::string& unit = grids_[K(kind)].Text(cp::kBreakpointRow, 0);
  if (column == 0) {
    return texts_.tables[K(kind)];
  }
  if (row == cp::kBreakpointRow) {
    std::string tip = texts_.breakpoint_hint + " (" + unit + ")";
    if (kind == cp::kPetrolPressure) {
      tip +=
          ": " + controls_.petrol_bar[static_cast<std::size_t>(column - 1)] + " " + texts_.units[1];
    }
    return tip;
  }
  std::string tip = texts_.correction + " (" + texts_.units[4] + "). " + texts_.range + ": " +
                    std::to_string(cp::kMinCorrection) + " .. " +
                    std::to_string(cp::kMaxCorrection) + " " + texts_.units[4] + ". " +
                    texts_.keys_hint;
  const Mark m = CellMark(kind, column);
  if (m == Mark::kPending) {
    tip += "\n" + texts_.pending;
  } else if (m == Mark::kFailed) {
    const std::size_t entry = kCompensationKinds[K(kind)].entry;
    const std::int32_t held =
        env_.table.Value(entry, static_cast<std::size_t>(2 * (column - 1) + 1));
    tip += "\n" + texts_.failed + ". " + texts_.ecu_holds + " " +
           std::to_string(ShownCorrection(kind, held, column, scaling_)) + " " + texts_.units[4];
  }
  return tip;
}

}  // namespace velmora::maps
