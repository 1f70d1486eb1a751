#include "pages/lambda_page.h"

#include <algorithm>

#include "core/text.h"

namespace velmora::pages {

namespace lf = lambda_field;
namespace lt = lambda_text;
namespace req = session::request;

namespace {

// Built-in texts, by dictionary index.
constexpr std::array<std::string_view, lt::kCount> kDefaultTexts = {
    "",
    "Lambda probes",
    "Lambda probe type",
    "Probe 1 signal",
    "Probe 2 signal",
    "Lambda filter",
    "Probe emulation",
    "Emulation delay (s)",
    "Emulation levels",
    "High level, pre-catalyst (V)",
    "Low level, pre-catalyst (V)",
    "High level, post-catalyst (V)",
    "Low level, post-catalyst (V)",
    "Emulation table",
    "Engine speed (rpm)",
    "Manifold pressure (mbar)",
    "Probe 1, pre-catalyst (mV)",
    "Probe 2, pre-catalyst (mV)",
    "Probe 1, post-catalyst (mV)",
    "No filter",
    "Emulation off",
    "Emulation on",
    "Narrow band 0-1 V",
    "Narrow band 0-5 V",
    "Inverted signal 1-0 V",
    "No lambda probe",
    "Default levels",
    "Offset rows",
    "Value rows",
    "Lean",
    "Rich",
    "Voltage step: 19.6 mV",
    "Probe wiring",
    "Live values",
    "Probe 2, post-catalyst (mV)",
    "Emulation active",
    "The emulation cannot be switched now: the OBD reading is running. Stop it and try again.",
};

constexpr int kMaxFilterChoices = 16;  // a nibble
constexpr std::size_t kLevelCount = 4;

bool IsHighLevel(std::size_t which) {
  return which % 2 == 0;
}

int KindIndex(std::int32_t kind) {
  return kind >= 0 && kind < lf::kSignalKinds ? kind : -1;
}

}  // namespace

FrmKvxLambda::FrmKvxLambda(PageEnv& env) : env_(env) {
  if (env_.scale != nullptr) {
    records_ = env_.scale->lambdas;
  }
  CaricaLingua();
}

std::string FrmKvxLambda::Text(int k) const {
  const std::string_view fallback =
      k >= 0 && k < lt::kCount ? kDefaultTexts[static_cast<std::size_t>(k)] : std::string_view();
  return texts_.Text(k, fallback);
}

void FrmKvxLambda::CaricaLingua() {
  texts_ = core::TextBlock(env_.lingue, lt::kMarker);
  RiempiCmbSwtch();
  AggiornaSelezioni();
}

void FrmKvxLambda::RiempiCmbSwtch() {
  Loading loading(loading_);
  c_.delay.items = KeyItems(env_.lingue, lt::kDelayKey);
  c_.filter.items = {Text(lt::kNoFilter)};
  for (std::string& item : KeyItems(env_.lingue, lt::kFilterKey)) {
    if (c_.filter.items.size() < kMaxFilterChoices) {
      c_.filter.items.push_back(std::move(item));
    }
  }
  c_.emulation.items = {Text(lt::kEmulationOff), Text(lt::kEmulationOff + 1)};
  c_.probe1.items.clear();
  for (int k = 0; k < lf::kSignalKinds; ++k) {
    c_.probe1.items.push_back(Text(lt::kSignalKind0 + k));
  }
  c_.probe2.items = c_.probe1.items;
  c_.probe_type.items = {Text(lt::kNoProbe)};
  for (const core::LambdaSensor& r : records_) {
    c_.probe_type.items.push_back(r.name);
  }
}

std::int32_t FrmKvxLambda::Field11(std::size_t field) const {
  return env_.table.Value(lf::kEmulation, field);
}

int FrmKvxLambda::ProbeIndex() const {
  return c_.probe_type.index;
}

void FrmKvxLambda::AggiornaSelezioni() {
  Loading loading(loading_);
  const std::int32_t id = env_.table.Value(lf::kBlock3, lf::kProbeType);
  c_.probe_type.index = id == 0 ? 0 : -1;
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (records_[i].id == id) {
      c_.probe_type.index = static_cast<int>(i) + 1;
      break;
    }
  }
  const bool on = (env_.table.Value(lf::kBlock2, lf::kOptions) & lf::kEmulationBit) != 0;
  c_.emulation.index = on ? 1 : 0;
  const std::int32_t wiring = Field11(lf::kProbe2KindAndFilter);
  c_.probe1.index = KindIndex(Field11(lf::kProbe1Kind));
  c_.probe2.index = KindIndex(wiring & lf::kLowNibble);
  const int filter = (wiring & lf::kHighNibble) / lf::kNibble;
  c_.filter.index = filter < static_cast<int>(c_.filter.items.size()) ? filter : -1;
  c_.delay.index =
      IndexOfValue(c_.delay.items, Field11(lf::kDelay), [](const std::string& item, int) {
        const auto s = ItemNumber(item);
        return s ? std::optional<std::int64_t>(core::RoundHalfEven(*s * lf::kMsPerSecond))
                 : std::nullopt;
      });
  ShowLevels(on);
  ShowTable();
  c_.grids_enabled = on && ProbeIndex() != lambda_code::kNoProbe;
  shown_.Remember(env_.table);
  stale_ = false;
}

void FrmKvxLambda::ShowLevels(bool emulation_on) {
  const int probe = ProbeIndex();
  for (std::size_t i = 0; i < kLevelCount; ++i) {
    LevelBox& box = c_.levels[i];
    box.text = VoltsText(LevelMv(Field11(lf::kLevels + i)));
    box.on_focus = box.text;
    const bool pre_catalyst = i < 2;
    box.enabled = emulation_on && probe != lambda_code::kNoProbe &&
                  !(pre_catalyst && probe == lambda_code::kNoPreCatalyst);
  }
}

void FrmKvxLambda::ShowTable() {
  for (std::size_t i = 0; i < emulation::kRows; ++i) {
    c_.rpm_axis[i] = Field11(lf::kRpmAxis + i);
  }
  for (std::size_t i = 0; i < emulation::kCols; ++i) {
    c_.bar_axis[i] = Field11(lf::kBarAxis + i);
  }
  for (std::size_t i = 0; i < emulation::kCells; ++i) {
    c_.cells[i] = Field11(lf::kCells + i);
  }
}

void FrmKvxLambda::AggiornaVisualizzazioniLambda() {
  const link::MessageTable& t = env_.table;
  live_.valid = !t.LastAnswer(lf::kLive).empty();
  for (std::size_t p = 0; p < live_.probes.size(); ++p) {
    const std::int32_t mv = t.Shown(lf::kLive, lf::kLiveProbes[p]);
    live_.probes[p] = {mv, mv > lf::kStoichiometricMv};
  }
  live_.emulating = c_.emulation.index == 1 && t.Value(lf::kLive, lf::kFuel) == 1;
}

void FrmKvxLambda::LiveTick() {
  AggiornaVisualizzazioniLambda();
  if (env_.session.SlotFree() && (stale_ || shown_.Changed(env_.table))) {
    AggiornaSelezioni();
  }
}

bool FrmKvxLambda::Ready() {
  if (loading_) {
    return false;
  }
  // Whatever happens now, the controls show the blocks again once the
  // session is free.
  stale_ = true;
  return env_.session.SlotFree();
}

bool FrmKvxLambda::PostEmulation(std::vector<EntryRecord> records) {
  return PostRecords(env_.session, req::kEntry11List, records);
}

void FrmKvxLambda::ChooseProbeType(int index) {
  if (!Ready() || index < 0 || index >= static_cast<int>(c_.probe_type.items.size())) {
    return;
  }
  c_.probe_type.index = index;
  // Position 0 is "no probe": identifier 0 and no default levels.
  const core::LambdaSensor* r =
      index == 0 ? nullptr : &records_[static_cast<std::size_t>(index - 1)];
  std::vector<EntryRecord> records{
      {lf::kBlock3, {r != nullptr ? r->id : 0, static_cast<std::int32_t>(lf::kProbeType), 0}}};
  if (r != nullptr) {
    // The last four integers of the record: its default levels in mV.
    constexpr std::size_t kFirstLevel = 2;
    for (std::size_t i = 0; i < kLevelCount; ++i) {
      records.push_back(
          {lf::kEmulation,
           {LevelCode(r->params[kFirstLevel + i]), static_cast<std::int32_t>(lf::kLevels + i), 0}});
    }
  }
  (void)PostRecords(env_.session, req::kEntry3And11, records);
}

void FrmKvxLambda::ChooseEmulation(int index) {
  if (!Ready() || index < 0) {
    return;
  }
  if ((env_.table.Value(lf::kBlock2, lf::kOptions) & lf::kLockBit) != 0) {
    env_.box.Show(Text(lt::kSwitchRefused), env_.main_title, platform::BoxKind::Information);
    return;
  }
  c_.emulation.index = index;
  (void)PostRecords(
      env_.session, req::kEntry2List,
      {{lf::kBlock2,
        {index != 0 ? 1 : 0, static_cast<std::int32_t>(lf::kOptions), lf::kEmulationBit}}});
}

void FrmKvxLambda::ChooseProbe1(int index) {
  if (!Ready() || KindIndex(index) < 0) {
    return;
  }
  c_.probe1.index = index;
  (void)PostEmulation({{lf::kEmulation, {index, static_cast<std::int32_t>(lf::kProbe1Kind), 0}}});
}

void FrmKvxLambda::ChooseProbe2(int index) {
  if (!Ready() || KindIndex(index) < 0) {
    return;
  }
  c_.probe2.index = index;
  const std::int32_t v = (Field11(lf::kProbe2KindAndFilter) & lf::kHighNibble) | index;
  (void)PostEmulation(
      {{lf::kEmulation, {v, static_cast<std::int32_t>(lf::kProbe2KindAndFilter), 0}}});
}

void FrmKvxLambda::ChooseFilter(int index) {
  if (!Ready() || index < 0 || index >= kMaxFilterChoices) {
    return;
  }
  c_.filter.index = index;
  const std::int32_t v =
      (Field11(lf::kProbe2KindAndFilter) & lf::kLowNibble) | (index * lf::kNibble);
  (void)PostEmulation(
      {{lf::kEmulation, {v, static_cast<std::int32_t>(lf::kProbe2KindAndFilter), 0}}});
}

void FrmKvxLambda::ChooseDelay(int index) {
  if (!Ready() || index < 0 || index >= static_cast<int>(c_.delay.items.size())) {
    return;
  }
  const auto seconds = ItemNumber(c_.delay.items[static_cast<std::size_t>(index)]);
  if (!seconds) {
    return;
  }
  c_.delay.index = index;
  constexpr std::int32_t kMaxWord = 0xFFFF;
  const std::int32_t ms = ClampTo(core::RoundHalfEven(*seconds * lf::kMsPerSecond), 0, kMaxWord);
  (void)PostEmulation({{lf::kEmulation, {ms, static_cast<std::int32_t>(lf::kDelay), 0}}});
}

void FrmKvxLambda::LevelFocused(std::size_t which) {
  if (which < kLevelCount) {
    c_.levels[which].on_focus = c_.levels[which].text;
  }
}

void FrmKvxLambda::LevelLeft(std::size_t which) {
  if (which < kLevelCount) {
    c_.levels[which].text = c_.levels[which].on_focus;
  }
}

void FrmKvxLambda::LevelEdited(std::size_t which, std::string text) {
  if (which < kLevelCount) {
    c_.levels[which].text = std::move(text);
  }
}

void FrmKvxLambda::LevelEntered(std::size_t which) {
  if (which >= kLevelCount || !c_.levels[which].enabled || !Ready()) {
    return;
  }
  const auto volts = ParseEntered(c_.levels[which].text);
  if (!volts) {
    return;  // not a number: nothing is written
  }
  double mv = *volts * lambda_code::kMvPerVolt;
  const MvRange range = ProbeRange(ProbeIndex());
  if (ProbeIndex() == lambda_code::kZeroToOneVolt || ProbeIndex() == lambda_code::kOffsetProbe) {
    mv = std::clamp(mv, range.lo, range.hi);
  }
  if (IsHighLevel(which)) {
    // A high level never lies below the low level of its probe.
    const auto low = ParseEntered(c_.levels[which + 1].on_focus);
    const double low_mv =
        low ? *low * lambda_code::kMvPerVolt : LevelMv(Field11(lf::kLevels + which + 1));
    mv = std::max(mv, low_mv);
  }
  const std::int32_t code = LevelCode(mv);
  c_.levels[which].text = VoltsText(LevelMv(code));
  c_.levels[which].on_focus = c_.levels[which].text;
  (void)PostEmulation(
      {{lf::kEmulation, {code, static_cast<std::int32_t>(lf::kLevels + which), 0}}});
}

void FrmKvxLambda::WriteAxis(std::size_t first, std::span<const std::int32_t> values) {
  std::vector<EntryRecord> records;
  for (std::size_t i = 0; i < values.size(); ++i) {
    records.push_back({lf::kEmulation, {values[i], static_cast<std::int32_t>(first + i), 0}});
  }
  (void)PostEmulation(std::move(records));
}

void FrmKvxLambda::RpmKey(std::size_t row, bool up, bool shift) {
  if (row >= emulation::kRows || !c_.grids_enabled || !Ready()) {
    return;
  }
  c_.rpm_axis[row] = SteppedBreakpoint(c_.rpm_axis, row, up, shift, emulation::kRpmAxis);
  WriteAxis(lf::kRpmAxis, c_.rpm_axis);
}

void FrmKvxLambda::BarKey(std::size_t col, bool up, bool shift) {
  if (col >= emulation::kCols || !c_.grids_enabled || !Ready()) {
    return;
  }
  c_.bar_axis[col] = SteppedBreakpoint(c_.bar_axis, col, up, shift, emulation::kBarAxis);
  WriteAxis(lf::kBarAxis, c_.bar_axis);
}

void FrmKvxLambda::SelectCells(const CellBlock& block) {
  c_.selection = {std::min(block.top, block.bottom), std::min(block.left, block.right),
                  std::min(std::max(block.top, block.bottom), emulation::kRows - 1),
                  std::min(std::max(block.left, block.right), emulation::kCols - 1)};
}

void FrmKvxLambda::WriteCells() {
  WriteAxis(lf::kCells, c_.cells);
}

void FrmKvxLambda::CellKey(bool up, bool shift) {
  if (!c_.grids_enabled || !Ready()) {
    return;
  }
  StepCells(c_.cells, c_.selection, up, shift, ProbeIndex());
  WriteCells();
}

void FrmKvxLambda::CellEnter() {
  if (!c_.grids_enabled || !Ready()) {
    return;
  }
  const EnteredValue entered = env_.window.AskValue(grid_limits::kLambda, last_option_);
  const auto option = OptionOfOperation(entered.operation);
  if (!option) {
    constexpr int kCancelHz = 600;
    constexpr int kCancelMs = 100;
    env_.window.Beep(kCancelHz, kCancelMs);
    return;
  }
  last_option_ = *option;
  ApplyEnteredValue(c_.cells, c_.selection, entered, ProbeIndex());
  WriteCells();
}

}  // namespace velmora::pages
