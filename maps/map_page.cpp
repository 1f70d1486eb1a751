#include "maps/map_page.h"

#include <algorithm>

#include "core/text.h"
#include "core/text_block.h"

namespace velmora::maps {

namespace {

constexpr std::int32_t kNeverRead = std::numeric_limits<std::int32_t>::min();

// What a cancelled value entry sounds like.
namespace cancel_beep {
constexpr int kHertz = 600;
constexpr int kMs = 100;
}  // namespace cancel_beep

}  // namespace

MapPage::MapPage(MapPageEnv& env, int map, int grid_rows, int grid_cols)
    : env_(env), map_(InfoOfMap(map).map), grid_(grid_rows, grid_cols) {
  last_values_.fill(kNeverRead);
  grid_.SetFont(std::string(map_shape::kFont));
}

void MapPage::SetMapIndex(int map) {
  map_ = InfoOfMap(map).map;
}

Button MapPage::TakeFocusReturn() {
  const Button p = controls_.focus_return;
  controls_.focus_return = Button::kNone;
  return p;
}

void MapPage::Load() {
  controls_.pressed = Button::kNone;
  controls_.simplified_tag = false;
  for (auto& c : controls_.params) {
    c.tag = false;
  }
  {
    Suppress s(*this);
    controls_.simplified_checked = true;
  }
  editing_ready_ = editing_ready::kNo;
  Bytes& block = env_.image.companion;
  if (block.size() >= config_block::kSize) {
    block[config_block::kByte2] = config_block::kByte2OnLoad;
    block[config_block::kByte3] = config_block::kByte3OnLoad;
  }
  ColoraMatriceVuota(grid_);
  LoadGrid();
}

void MapPage::CambiaTipoGriglia(int page_code) {
  const int map = MapOfPage(page_code);
  if (map >= 0) {
    map_ = map;
  }
  {
    Suppress s(*this);
    if (map_ == map_info::kPressureMap) {
      controls_.sel_page_0 = map_info::kPressureMap;
      controls_.sel_page_1 = -1;
    } else {
      controls_.sel_page_0 = map_;
      controls_.sel_page_1 = map_;
    }
  }
  CaricaAssi();
  LoadGrid();
  Shade();
  editing_ready_ = editing_ready::kYes;
  AbilitaTasti();
}

std::int32_t MapPage::SystemId() const {
  return env_.table.Value(pressure_axis::kSystemIdEntry, pressure_axis::kSystemIdField);
}

void MapPage::CaricaAssi() {
  const auto& img = env_.image;
  if (map_ != map_info::kPressureMap) {
    ShowHeadings(img.rpm_vector, img.time_vector);
    return;
  }
  Bytes pressure;
  for (int r = 0; r < map_shape::kTimeRows; ++r) {
    const std::int32_t v = env_.table.Value(
        pressure_axis::kEntry, pressure_axis::kFirstField + static_cast<std::size_t>(r));
    pressure.push_back(static_cast<std::uint8_t>(std::clamp(v, 0, map_shape::kMaxByte)));
  }
  ShowPressureHeadings(img.rpm_vector, pressure, PressureLineFor(env_.coefficients, SystemId()));
}

void MapPage::ShowHeadings(std::span<const std::uint8_t> rpm, std::span<const std::uint8_t> time) {
  CaricaAssiInMatrice(grid_, rpm, time);
}

void MapPage::ShowPressureHeadings(std::span<const std::uint8_t> rpm,
                                   std::span<const std::uint8_t> pressure, PressureLine line) {
  CaricaAssiInMatricePressione(grid_, rpm, pressure, line);
}

void MapPage::LoadGrid() {
  CaricaMatriceInGriglia(grid_, Map(), 1);
}

bool MapPage::StoreGrid() {
  CaricaGrigliaInMatrice(grid_, Map(), 1);
  return true;
}

void MapPage::Shade() {
  ColoraMatriceGradiente(grid_);
}

void MapPage::MapWritten(bool ok) {
  if (ok) {
    // Shown as the ECU now holds it, shaded on those values.
    LoadGrid();
    Shade();
  }
  AbilitaTasti();
}

void MapPage::AbilitaTasti() {
  controls_.steps_enabled = true;
  grid_.SetRedraw(true);
  controls_.undo_enabled = env_.image.undo_available[static_cast<std::size_t>(map_)] == 1;
  if (controls_.pressed != Button::kNone) {
    controls_.focus_return = controls_.pressed;
    controls_.pressed = Button::kNone;
  }
}

void MapPage::Tick() {
  VisualizzaPuntoMatrice(env_.table.Value(live_point::kEntry, live_point::kTimeField),
                         env_.table.Value(live_point::kEntry, live_point::kRpmField));
  AggiornaCursMappa();
}

void MapPage::VisualizzaPuntoMatrice(int time_index, int rpm_index) {
  const int r = std::clamp(time_index, 0, map_shape::kMaxTimeIndex);
  const int c = std::clamp(rpm_index, 0, map_shape::kMaxRpmIndex);
  controls_.working_point_shown = true;
  controls_.working_point = {r + 1, c + 1};
  const Bytes& map = MapBytes();
  const auto offset = static_cast<std::size_t>(MapOffset(r, c));
  controls_.marker_text = offset < map.size() ? std::to_string(map[offset]) : std::string();
}

std::uint8_t MapPage::ViewFlags() const {
  const Bytes& block = env_.image.companion;
  return block.size() > config_block::kViewByte ? block[config_block::kViewByte] : 0;
}

void MapPage::AggiornaCursMappa() {
  FollowView();
  FollowParams();
  SendParams();
  FollowOwnControls();
}

void MapPage::FollowView() {
  if (controls_.simplified_tag) {
    SendView();
    return;
  }
  Suppress s(*this);
  controls_.simplified_checked = (ViewFlags() & Info().view_bit) != 0;
}

void MapPage::FollowParams() {
  for (std::size_t i = 0; i < kParams.size(); ++i) {
    ComboState& combo = controls_.params[i];
    const std::int32_t word = env_.table.Value(kParams[i].entry, kParams[i].field);
    if (combo.tag || word == last_values_[i]) {
      continue;
    }
    Suppress s(*this);
    last_values_[i] = word;
    const auto it = std::find(combo.values.begin(), combo.values.end(), word);
    combo.index = it == combo.values.end() ? -1 : static_cast<int>(it - combo.values.begin());
  }
}

void MapPage::SendView() {
  if (!controls_.simplified_tag || !env_.session.SlotFree()) {
    return;
  }
  Bytes& block = env_.image.companion;
  if (block.size() < config_block::kSize) {
    // The block was never read: writing it would send made-up bytes.
    controls_.simplified_tag = false;
    return;
  }
  auto& flags = block[config_block::kViewByte];
  if (controls_.simplified_checked) {
    flags = static_cast<std::uint8_t>(flags | Info().view_bit);
  } else {
    flags = static_cast<std::uint8_t>(flags & ~Info().view_bit);
  }
  if (env_.session.PostRequest(Info().view_request)) {
    controls_.simplified_tag = false;
  }
}

void MapPage::SendParams() {
  for (int i = 0; i < param::kCount; ++i) {
    auto& combo = controls_.params[static_cast<std::size_t>(i)];
    if (!combo.tag || !env_.session.SlotFree()) {
      continue;
    }
    const ParamInfo& p = kParams[static_cast<std::size_t>(i)];
    if (combo.index < 0 || combo.index >= static_cast<int>(combo.values.size())) {
      combo.tag = false;
      continue;
    }
    const std::int32_t value = combo.values[static_cast<std::size_t>(combo.index)];
    if (!env_.session.Lists().Append(p.entry,
                                     {value, static_cast<std::int32_t>(p.field), /*mode=*/0})) {
      combo.tag = false;
      continue;
    }
    if (env_.session.PostRequest(p.request)) {
      combo.tag = false;
    }
  }
}

void MapPage::CaricaLingua(const core::ClsLingue& lingue) {
  const core::TextBlock block(lingue, matrix_text::kMarker);
  block.Take(matrix_text::kCaption, texts_.caption);
  for (std::size_t i = 0; i < texts_.map_names.size(); ++i) {
    block.Take(matrix_text::kMapNames + static_cast<int>(i), texts_.map_names[i]);
    block.Take(matrix_text::kMapEntries + static_cast<int>(i), texts_.map_entries[i]);
  }
  block.Take(matrix_text::kSimplified, texts_.simplified);
  block.Take(matrix_text::kChangeAxis, texts_.change_axis);
  block.Take(matrix_text::kUndo, texts_.undo);
  block.Take(matrix_text::kUp, texts_.up);
  block.Take(matrix_text::kDown, texts_.down);
  block.Take(matrix_text::kMultiplier, texts_.params[param::kMultiplier]);
  for (int i = param::kSecondInjection; i <= param::kFourthInjection; ++i) {
    block.Take(matrix_text::kInjections + i - param::kSecondInjection,
               texts_.params[static_cast<std::size_t>(i)]);
  }
  block.Take(matrix_text::kTimeTitle, texts_.time_title);
  block.Take(matrix_text::kRpmTitle, texts_.rpm_title);
  block.Take(matrix_text::kPressureTitle, texts_.pressure_title);
  block.Take(matrix_text::kWorkingPoint, texts_.working_point);
  block.Take(matrix_text::kMapSelection, texts_.map_selection);
  block.Take(matrix_text::kResetQuestion, texts_.reset_question);
  block.Take(matrix_text::kNotice, texts_.notice);
  RiempiCmbSwtch(lingue);
}

void MapPage::RiempiCmbSwtch(const core::ClsLingue& lingue) {
  const auto fill = [&](ComboState& combo, const std::string& values_line,
                        const std::string* captions_line) {
    const auto values = core::Split(values_line, '|');
    const auto captions =
        captions_line != nullptr ? core::Split(*captions_line, '|') : std::vector<std::string>();
    combo.items.clear();
    combo.values.clear();
    for (std::size_t k = 0; k < values.size(); ++k) {
      const auto v = core::ParseInt32(values[k]);
      if (!v) {
        continue;
      }
      combo.values.push_back(*v);
      combo.items.push_back(k < captions.size() && !core::Trim(captions[k]).empty()
                                ? captions[k]
                                : std::string(core::Trim(values[k])));
    }
    combo.index = -1;
  };
  Suppress s(*this);
  const int mult = lingue.MarkerOffset(matrix_text::kMultiplierKey);
  if (mult > 0) {
    const std::string captions = lingue.Testo(mult, 2);
    fill(controls_.params[param::kMultiplier], lingue.Testo(mult, 1), &captions);
  }
  const int sec = lingue.MarkerOffset(matrix_text::kSecondInjKey);
  if (sec > 0) {
    const std::string values = lingue.Testo(sec, 1);
    for (int i = param::kSecondInjection; i <= param::kFourthInjection; ++i) {
      fill(controls_.params[static_cast<std::size_t>(i)], values, nullptr);
    }
  }
  // The new lists select what the ECU holds on the next tick.
  last_values_.fill(kNeverRead);
}

void MapPage::AggiornaUndo() {
  auto& img = env_.image;
  const auto m = static_cast<std::size_t>(map_);
  img.undo_available[m] = 1;
  img.undo_maps[m] = Map();
  if (map_ == 0) {
    img.companion_undo = img.companion;
  }
}

void MapPage::ReplaceUndo() {
  auto& img = env_.image;
  const auto m = static_cast<std::size_t>(map_);
  std::swap(Map(), img.undo_maps[m]);
  if (map_ == 0 && img.companion.size() >= config_block::kUndoBytes &&
      img.companion_undo.size() >= config_block::kUndoBytes) {
    std::swap_ranges(img.companion.begin(),
                     img.companion.begin() + static_cast<std::ptrdiff_t>(config_block::kUndoBytes),
                     img.companion_undo.begin());
  }
  img.undo_available[m] = 1;
}

void MapPage::BeginEdit(Button button) {
  controls_.undo_enabled = false;
  controls_.steps_enabled = false;
  grid_.SetRedraw(false);
  controls_.pressed = button;
}

EditOutcome MapPage::Commit() {
  if (!StoreGrid() || !env_.session.PostRequest(Info().write_request)) {
    // Nothing goes to the ECU, so no write will bring the buttons back.
    AbilitaTasti();
    return EditOutcome::kIgnored;
  }
  return EditOutcome::kApplied;
}

bool MapPage::HasMap() const {
  return env_.image.Map(map_).size() == static_cast<std::size_t>(map_shape::kCells);
}

std::optional<EditOutcome> MapPage::Refusal() const {
  if (!env_.session.SlotFree()) {
    return EditOutcome::kBusy;
  }
  if (!HasMap()) {
    return EditOutcome::kNotReady;
  }
  return std::nullopt;
}

EditOutcome MapPage::Step(Button button, int delta) {
  if (const auto refused = Refusal()) {
    return *refused;
  }
  BeforeEdit();
  BeginEdit(button);
  AggiornaUndo();
  if (editing_ready_ == editing_ready::kYes) {
    ModificaValoriGrigliaLibera(grid_, edit_mode::kAdd, static_cast<float>(delta), 1);
  }
  return Commit();
}

EditOutcome MapPage::Enter() {
  if (const auto refused = Refusal()) {
    return *refused;
  }
  if (editing_ready_ != editing_ready::kYes) {
    return EditOutcome::kNotReady;
  }
  const pages::EnteredValue r = env_.window.AskValue(pages::grid_limits::kMap, last_option_);
  if (r.operation == pages::value_op::kCancelled || r.operation < 0 ||
      r.operation > edit_mode::kSet) {
    env_.window.Beep(cancel_beep::kHertz, cancel_beep::kMs);
    return EditOutcome::kCancelled;
  }
  // Window events flowed while the dialog was open.
  if (!env_.session.SlotFree()) {
    env_.window.Beep(cancel_beep::kHertz, cancel_beep::kMs);
    return EditOutcome::kBusy;
  }
  last_option_ = std::clamp(r.operation - 1, 0, 2);
  BeforeEdit();
  BeginEdit(Button::kNone);
  AggiornaUndo();
  ModificaValoriGrigliaLibera(grid_, r.operation, r.value, 1);
  return Commit();
}

EditOutcome MapPage::Paste(std::string_view text) {
  if (const auto refused = Refusal()) {
    return *refused;
  }
  BeforeEdit();
  BeginEdit(Button::kNone);
  static_cast<void>(PasteText(grid_, text));
  return Commit();
}

EditOutcome MapPage::Undo() {
  if (!env_.session.SlotFree()) {
    return EditOutcome::kBusy;
  }
  const auto m = static_cast<std::size_t>(map_);
  if (env_.image.undo_available[m] != 1 ||
      env_.image.undo_maps[m].size() != static_cast<std::size_t>(map_shape::kCells)) {
    // Swapping with a buffer never saved would empty the map.
    return EditOutcome::kIgnored;
  }
  BeforeEdit();
  BeginEdit(Button::kUndo);
  ReplaceUndo();
  if (!env_.session.PostRequest(Info().write_request)) {
    ReplaceUndo();  // back as it was: nothing will be written
    LoadGrid();
    AbilitaTasti();
    return EditOutcome::kIgnored;
  }
  LoadGrid();
  return EditOutcome::kApplied;
}

bool MapPage::ChangeAxis() {
  if (!env_.session.SlotFree()) {
    return false;
  }
  env_.window.OpenAxisEditor();
  return true;
}

void MapPage::SelPage0Click(int index) {
  if (Suppressed()) {
    return;
  }
  if (index < 0 || index >= map_info::kCount) {
    return;
  }
  env_.window.SelezioneScheda(PageOfMap(index, ViewFlags()));
}

void MapPage::SelPage1Click(int index) {
  if (index < 0 || index >= map_info::kSelPage1Entries) {
    return;
  }
  SelPage0Click(index);
}

void MapPage::SimplifiedClick(bool checked) {
  if (Suppressed()) {
    return;
  }
  controls_.simplified_checked = checked;
  controls_.simplified_tag = true;
  SendView();
}

void MapPage::ParamClick(int which, int index) {
  if (Suppressed() || which < 0 || which >= param::kCount) {
    return;
  }
  auto& combo = controls_.params[static_cast<std::size_t>(which)];
  if (index < 0 || index >= static_cast<int>(combo.values.size())) {
    return;
  }
  combo.index = index;
  combo.tag = true;
  SendParams();
}

}  // namespace velmora::maps
