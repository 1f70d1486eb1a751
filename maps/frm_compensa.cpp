#include "maps/frm_compensa.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "core/files.h"
#include "core/text.h"
#include "core/text_block.h"
#include "maps/map_page.h"
#include "session/request_codes.h"

namespace velmora::maps {

namespace cp = compensation;
namespace ct = compensa_text;
namespace live = compensation_live;

// Who request 15's work reaches: the page while it lives.
struct FrmCompensa::Link {
  FrmCompensa* page = nullptr;
};

namespace {

// The grid's colours: headings, breakpoints, corrections, and the marks.
namespace shade {
constexpr Rgb kHeading{228, 233, 238};
constexpr Rgb kBreakpoint{214, 230, 245};
constexpr Rgb kText{31, 41, 51};
constexpr Rgb kPending{255, 236, 179};
constexpr Rgb kFailed{248, 215, 213};
constexpr Rgb kFailedText{160, 30, 30};
}  // namespace shade

// The unit text (index into CompensaTexts::units) of each kind's breakpoints.
constexpr std::array<std::size_t, cp::kKinds> kBreakpointUnit = {0, 0, 1, 2, 3};
constexpr std::size_t kPercentUnit = 4;

std::size_t K(int kind) {
  return static_cast<std::size_t>(kind);
}

bool ValidKind(int kind) {
  return kind >= 0 && kind < cp::kKinds;
}

std::string Fixed(double v, int decimals) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

}  // namespace

FrmCompensa::FrmCompensa(pages::PageEnv& env) : env_(env), link_(std::make_shared<Link>()) {
  link_->page = this;
  grids_.reserve(cp::kKinds);
  for (int k = 0; k < cp::kKinds; ++k) {
    grids_.emplace_back(2, cp::kColumns, 0, 1);
    grids_.back().SetCurrent({cp::kCorrectionRow, 1});
  }
  session::RequestWork work;
  work.run = [link = link_] { return link->page == nullptr || link->page->WriteTables(); };
  work.dropped = [link = link_] {
    if (link->page != nullptr) {
      link->page->WritesDropped();
    }
  };
  work.session_text = &session::SessionTexts::write_failed;
  work.writes_image = true;
  env_.requests.Register(session::request::kCompensation, std::move(work));

  std::vector<std::string> lines;
  static_cast<void>(core::LeggiRighe(env_.paths.config_scale, lines));
  scaling_ = ReadPressureScaling(lines);
  CaricaLingua(env_.lingue);
  AggiornaTabelledaVettori();
}

FrmCompensa::~FrmCompensa() {
  link_->page = nullptr;
}

GridModel& FrmCompensa::Grid(int kind) {
  return grids_[K(std::clamp(kind, 0, cp::kKinds - 1))];
}

Mark FrmCompensa::CellMark(int kind, int column) const {
  if (!ValidKind(kind) || column < 1 || column >= cp::kColumns) {
    return Mark::kNone;
  }
  return marks_[K(kind)][static_cast<std::size_t>(column)];
}

void FrmCompensa::Shown() {
  ShowScalingErrors();
  if (!loaded_) {
    AggiornaTabelledaVettori();
  }
  ResolveAbs();
  VisualizzaPuntoTabella();
  SendWaiting();
}

void FrmCompensa::CalibrationRead() {
  ResetMarks();
  abs_awaited_ = false;
  AggiornaTabelledaVettori();
}

void FrmCompensa::LiveTick() {
  VisualizzaPuntoTabella();
  ResolveAbs();
  SendWaiting();
}

void FrmCompensa::ShowScalingErrors() {
  if (scaling_told_) {
    return;
  }
  scaling_told_ = true;
  for (const std::string& e : scaling_.errors) {
    env_.box.Show(e, env_.main_title, platform::BoxKind::Critical);
  }
}

void FrmCompensa::CaricaLingua(const core::ClsLingue& lingue) {
  const core::TextBlock b(lingue, ct::kMarker);
  CompensaTexts& t = texts_;
  b.Take(ct::kTitle, t.title);
  for (std::size_t k = 0; k < t.tables.size(); ++k) {
    b.Take(ct::kTableNames + static_cast<int>(k), t.tables[k]);
    b.Take(ct::kUnits + static_cast<int>(k), t.units[k]);
  }
  const std::pair<int, std::string*> rest[] = {
      {ct::kCentre, &t.centre},
      {ct::kFactor, &t.factor},
      {ct::kActive, &t.active},
      {ct::kLastCorrection, &t.last_correction},
      {ct::kPersistence, &t.persistence},
      {ct::kLeanEntry, &t.lean_entry},
      {ct::kLeanExit, &t.lean_exit},
      {ct::kAbs, &t.abs},
      {ct::kEvenBar, &t.even_bar},
      {ct::kEvenPercent, &t.even_percent},
      {ct::kNewValue, &t.new_value},
      {ct::kPetrolBar, &t.petrol_bar},
      {ct::kOperatingPoint, &t.operating_point},
      {ct::kCorrection, &t.correction},
      {ct::kRange, &t.range},
      {ct::kPending, &t.pending},
      {ct::kFailed, &t.failed},
      {ct::kBreakpointHint, &t.breakpoint_hint},
      {ct::kKeysHint, &t.keys_hint},
      {ct::kEcuHolds, &t.ecu_holds},
  };
  for (const auto& [k, into] : rest) {
    b.Take(k, *into);
  }
  RiempiComboSwitch(lingue);
  for (int k = 0; k < cp::kKinds; ++k) {
    Render(k);
  }
}

void FrmCompensa::RiempiComboSwitch(const core::ClsLingue& lingue) {
  const int key = lingue.MarkerOffset(ct::kSwitchKey);
  controls_.lean_entry.items.clear();
  if (key > 0) {
    for (const std::string& item : core::Split(lingue.Testo(key, 1), '|')) {
      controls_.lean_entry.items.emplace_back(core::Trim(item));
    }
  }
  controls_.lean_exit.items.clear();
  for (int i = 1; i <= lean_out::kExitSteps; ++i) {
    controls_.lean_exit.items.push_back(std::to_string(i));
  }
  const auto index = [](std::int32_t v, const PageCombo& c) {
    return v >= 0 && static_cast<std::size_t>(v) < c.items.size() ? static_cast<int>(v) : -1;
  };
  controls_.lean_entry.index = index(lean_[0], controls_.lean_entry);
  controls_.lean_exit.index = index(lean_[1], controls_.lean_exit);
}

void FrmCompensa::Render(int kind) {
  GridModel& g = grids_[K(kind)];
  const CompensationValues& v = data_[K(kind)];
  g.SetText(cp::kBreakpointRow, 0, texts_.units[kBreakpointUnit[K(kind)]]);
  g.SetText(cp::kCorrectionRow, 0, texts_.units[kPercentUnit]);
  for (int c = 1; c < cp::kColumns; ++c) {
    const auto i = static_cast<std::size_t>(c - 1);
    g.SetText(cp::kBreakpointRow, c, BreakpointText(kind, v.breakpoints[i], c, scaling_));
    g.SetText(cp::kCorrectionRow, c,
              std::to_string(ShownCorrection(kind, v.corrections[i], c, scaling_)));
  }
  if (kind == cp::kPetrolPressure) {
    for (std::size_t i = 0; i < cp::kPairs; ++i) {
      controls_.petrol_bar[i] = PetrolBarText(v.breakpoints[i], line_);
    }
  }
  RenderColours(kind);
}

void FrmCompensa::RenderColours(int kind) {
  GridModel& g = grids_[K(kind)];
  for (int r = 0; r < 2; ++r) {
    g.SetBack(r, 0, shade::kHeading);
    g.SetFore(r, 0, shade::kText);
  }
  for (int c = 1; c < cp::kColumns; ++c) {
    g.SetBack(cp::kBreakpointRow, c, shade::kBreakpoint);
    g.SetFore(cp::kBreakpointRow, c, shade::kText);
    const Mark m = marks_[K(kind)][static_cast<std::size_t>(c)];
    g.SetBack(cp::kCorrectionRow, c,
              m == Mark::kPending  ? shade::kPending
              : m == Mark::kFailed ? shade::kFailed
                                   : colour::kWhite);
    g.SetFore(cp::kCorrectionRow, c, m == Mark::kFailed ? shade::kFailedText : shade::kText);
  }
}

void FrmCompensa::ResetMarks() {
  for (auto& row : marks_) {
    row.fill(Mark::kNone);
  }
  waiting_.fill(false);
  in_flight_.fill(false);
  for (TableControls& t : controls_.tables) {
    t.active_mark = Mark::kNone;
  }
  controls_.lean_entry.mark = Mark::kNone;
  controls_.lean_exit.mark = Mark::kNone;
}

void FrmCompensa::AggiornaTabelledaVettori() {
  updating_ = true;
  if (!loaded_) {
    ResetMarks();
  }
  line_ = PressureLineFor(env_.coefficients, env_.table.Value(pressure_axis::kSystemIdEntry,
                                                              pressure_axis::kSystemIdField));
  for (int k = 0; k < cp::kKinds; ++k) {
    // A table whose edit waits keeps the page's copy until it is written.
    if (!waiting_[K(k)] && !in_flight_[K(k)]) {
      data_[K(k)] = ReadCompensation(env_.table, k);
      marks_[K(k)].fill(Mark::kNone);
      controls_.tables[K(k)].active_mark = Mark::kNone;
      if (k == cp::kLeanOut) {
        const std::size_t entry = kCompensationKinds[K(k)].entry;
        lean_ = {env_.table.Value(entry, lean_out::kEntryField),
                 env_.table.Value(entry, lean_out::kExitField)};
        controls_.lean_entry.mark = Mark::kNone;
        controls_.lean_exit.mark = Mark::kNone;
      }
    }
    controls_.tables[K(k)].active = data_[K(k)].in_use > 0;
    Render(k);
  }
  RiempiComboSwitch(env_.lingue);
  controls_.persistence = std::max(1, controls_.lean_exit.index + 1);
  const CompensationValues& lean = data_[K(cp::kLeanOut)];
  controls_.correction = lean.corrections.back();
  CorrectionScroll(controls_.correction);
  if (!abs_awaited_) {
    controls_.abs_checked =
        (env_.table.Value(abs_flag::kEntry, abs_flag::kField) & abs_flag::kBit) != 0;
    controls_.abs_mark = Mark::kNone;
  }
  loaded_ = true;
  updating_ = false;
}

std::optional<double> FrmCompensa::LiveValue(int kind) const {
  if (env_.table.LastAnswer(live::kEntry).empty()) {
    return std::nullopt;
  }
  switch (kind) {
    case cp::kGasTemperature:
      return env_.table.Value(live::kEntry, live::kGasTemperature);
    case cp::kReducerTemperature:
      return env_.table.Value(live::kEntry, live::kReducerTemperature);
    case cp::kGasPressure:
      return env_.table.Shown(live::kEntry, live::kGasPressure);
    case cp::kPetrolPressure:
      return env_.table.Value(live::kEntry, live::kPetrolPressure) / live::kSensorMvPerByte;
    default: {
      double sum = 0;
      int n = 0;
      for (std::size_t c = 0; c < live::kCylinders; ++c) {
        const std::int32_t us = env_.table.Value(live::kEntry, live::kFirstPetrolTime + c);
        if (us > 0) {
          sum += us;
          ++n;
        }
      }
      if (n == 0) {
        return std::nullopt;
      }
      return sum / n / live::kUsPerMs;
    }
  }
}

std::string FrmCompensa::PointText(int kind, double value) const {
  switch (kind) {
    case cp::kGasTemperature:
    case cp::kReducerTemperature:
      return Fixed(value, 0) + " " + texts_.units[0];
    case cp::kGasPressure:
      return Fixed(value / cp::kPressureScale, 2) + " " + texts_.units[1];
    case cp::kPetrolPressure: {
      std::string t = Fixed(value / heading::kPressureSensorDiv, 2) + " " + texts_.units[2];
      if (line_.m != 0 || line_.q != 0) {
        t += " (" + PetrolBarText(static_cast<std::int32_t>(std::lround(value)), line_) + " " +
             texts_.units[1] + ")";
      }
      return t;
    }
    default:
      return Fixed(value, 1) + " " + texts_.units[3];
  }
}

void FrmCompensa::VisualizzaPuntoTabella() {
  for (int k = 0; k < cp::kKinds; ++k) {
    TableControls& t = controls_.tables[K(k)];
    const auto v = LiveValue(k);
    t.point_shown = v.has_value();
    if (v) {
      t.point_column = OperatingColumn(data_[K(k)], *v);
      t.point_text = PointText(k, *v);
    }
  }
}

void FrmCompensa::SendWaiting() {
  if (!env_.session.SlotFree() || !enabled_) {
    return;
  }
  std::vector<int> kinds;
  for (int k = 0; k < cp::kKinds; ++k) {
    if (waiting_[K(k)]) {
      kinds.push_back(k);
    }
  }
  if (kinds.empty()) {
    return;
  }
  write_kind_ = kinds.size() == 1 ? kinds.front() : cp::kAllKinds;
  for (const int k : kinds) {
    StoreCompensation(env_.table, k, data_[K(k)]);
    if (k == cp::kLeanOut) {
      const std::size_t entry = kCompensationKinds[K(k)].entry;
      env_.table.SetValue(entry, lean_out::kEntryField, lean_[0]);
      env_.table.SetValue(entry, lean_out::kExitField, lean_[1]);
    }
  }
  if (!env_.session.PostRequest(session::request::kCompensation)) {
    return;  // taken in between: tried again on the next tick
  }
  for (const int k : kinds) {
    waiting_[K(k)] = false;
    in_flight_[K(k)] = true;
  }
}

bool FrmCompensa::WriteTables() {
  bool ok = true;
  for (int k = 0; k < cp::kKinds; ++k) {
    if (write_kind_ != cp::kAllKinds && write_kind_ != k) {
      continue;
    }
    const CompensationKind& info = kCompensationKinds[K(k)];
    // The first failed exchange ends the request; the tables after it were
    // not written either.
    ok = ok && env_.session.WriteEntry(info.entry, info.write_command);
    Written(k, ok);
  }
  return ok;
}

void FrmCompensa::WritesDropped() {
  for (int k = 0; k < cp::kKinds; ++k) {
    if (in_flight_[K(k)]) {
      Written(k, false);
    }
  }
}

void FrmCompensa::Written(int kind, bool ok) {
  const std::size_t k = K(kind);
  const bool sent = in_flight_[k];
  in_flight_[k] = false;
  const auto settle = [ok](Mark& m, bool held) {
    if (m == Mark::kPending) {
      m = ok && held ? Mark::kNone : Mark::kFailed;
    }
  };
  if (!ok || !sent || waiting_[k]) {
    // Not written, or edited again meanwhile: the page's copy stays.
    for (Mark& m : marks_[k]) {
      settle(m, false);
    }
    settle(controls_.tables[k].active_mark, false);
    if (kind == cp::kLeanOut) {
      settle(controls_.lean_entry.mark, false);
      settle(controls_.lean_exit.mark, false);
    }
    RenderColours(kind);
    return;
  }
  const CompensationValues wanted = data_[k];
  const std::array<std::int32_t, 2> wanted_lean = lean_;
  data_[k] = ReadCompensation(env_.table, kind);
  for (int c = 1; c < cp::kColumns; ++c) {
    const auto i = static_cast<std::size_t>(c - 1);
    settle(marks_[k][static_cast<std::size_t>(c)],
           data_[k].corrections[i] == wanted.corrections[i] &&
               data_[k].breakpoints[i] == wanted.breakpoints[i]);
  }
  settle(controls_.tables[k].active_mark, (data_[k].in_use > 0) == (wanted.in_use > 0));
  controls_.tables[k].active = data_[k].in_use > 0;
  if (kind == cp::kLeanOut) {
    const std::size_t entry = kCompensationKinds[k].entry;
    lean_ = {env_.table.Value(entry, lean_out::kEntryField),
             env_.table.Value(entry, lean_out::kExitField)};
    settle(controls_.lean_entry.mark, lean_[0] == wanted_lean[0]);
    settle(controls_.lean_exit.mark, lean_[1] == wanted_lean[1]);
    RiempiComboSwitch(env_.lingue);
  }
  Render(kind);
}

std::unique_ptr<pages::PageModel> NewCompensationModel(pages::PageEnv& env, int /*code*/) {
  return std::make_unique<FrmCompensa>(env);
}

}  // namespace velmora::maps
