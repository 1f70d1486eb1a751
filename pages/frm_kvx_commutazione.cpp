#include "pages/frm_kvx_commutazione.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "calib/calibration_reference.h"
#include "core/files.h"
#include "core/text_block.h"
#include "pages/switch_over_combos.h"

namespace velmora::pages {

namespace ct = config_text;

// Who the work of requests 13 and 14 reaches: the page while it lives.
struct FrmKvxCommutazione::Link {
  FrmKvxCommutazione* page = nullptr;
};

namespace {

// The captions in English, by text number, until the dictionary gives its
// own; the gaps belong to other pages of the block.
constexpr std::array<std::string_view, ct::kCount> kFallback = {
    "",
    "Configuration",
    "Switch-over",
    "Switch-over engine speed",
    "Switch-over temperature",
    "Deceleration hysteresis",
    "Petrol/gas overlap",
    "Delay between injectors",
    "Forced switch-over",
    "Automatic warm-up",
    "Ignition coils",
    "Cylinders",
    "Rpm signal factor",
    "Rpm signal sensitivity",
    "Rpm reading cycles",
    "Rpm signal source",
    "From the ignition coil",
    "From the rpm wire",
    "Switch-over direction",
    "On acceleration",
    "On deceleration",
    "Service outputs",
    "Fuel type",
    "LPG",
    "CNG",
    "Emergency start",
    "Spark handling",
    "Start-stop handling",
    "Off",
    "On",
    "System configuration",
    "System identifier",
    "Injector type",
    "Bad-bit threshold",
    "Temperature grid",
    "Changing the system configuration loads a new reference calibration into the ECU. Continue?",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "Spark setting",
    "Ignition",
    "Options",
    "System",
    "Options of block 3 word 33",
    "Options of block 3 word 49",
    "Options of block 2 word 2",
    "Coolant temperature (°C)",
    "Switch-over delay (s)",
    "Allowed range",
    "Waiting for the ECU to confirm",
    "Not taken by the ECU",
    "The ECU holds",
    "Bit value",
    "Enter: value for the selected cells; + and -: step (Shift: 10), hold to repeat",
    "Type the number, then press Enter or leave the box"};

constexpr int kMaxCylinders = 8;
constexpr std::array<std::string_view, 2> kFactorItems = {" x 1", " x 2"};

std::size_t C(int combo) {
  return static_cast<std::size_t>(combo);
}

}  // namespace

FrmKvxCommutazione::FrmKvxCommutazione(PageEnv& env) : env_(env), link_(std::make_shared<Link>()) {
  link_->page = this;
  for (std::size_t k = 0; k < texts_.size(); ++k) {
    texts_[k] = kFallback[k];
  }
  RegisterWork();
  LoadConfigScale();
  CaricaLingua(env_.lingue);
  AggiornaSelezioni();
}

FrmKvxCommutazione::~FrmKvxCommutazione() {
  link_->page = nullptr;
}

void FrmKvxCommutazione::RegisterWork() {
  session::RequestWork cylinders;
  cylinders.run = [link = link_] { return link->page == nullptr || link->page->RunCylinders(); };
  cylinders.lists = {sw_word::kBlock3, sw_word::kBlock6};
  cylinders.session_text = &session::SessionTexts::write_failed;
  env_.requests.Register(session::request::kCylinders, std::move(cylinders));

  session::RequestWork grid;
  grid.run = [link = link_] { return link->page == nullptr || link->page->RunDelayGrid(); };
  grid.dropped = [link = link_] {
    if (link->page != nullptr) {
      link->page->GridDropped();
    }
  };
  grid.session_text = &session::SessionTexts::write_failed;
  grid.writes_image = true;
  env_.requests.Register(session::request::kRitCom, std::move(grid));
}

void FrmKvxCommutazione::LoadConfigScale() {
  std::vector<std::string> lines;
  if (core::LeggiRighe(env_.paths.config_scale, lines)) {
    config_ = core::LeggiConfigScale(lines, '.');
  }
  controls_.bad_bit_max = std::max(1, config_.max_bad_bit);
}

const std::string& FrmKvxCommutazione::Text(int k) const {
  static const std::string kNone;
  return k >= 0 && k < ct::kCount ? texts_[static_cast<std::size_t>(k)] : kNone;
}

const std::string& FrmKvxCommutazione::ChosenCalibration() const {
  return env_.session.ChosenCalibration();
}

void FrmKvxCommutazione::CaricaLingua(const core::ClsLingue& lingue) {
  const core::TextBlock block(lingue, ct::kMarker);
  for (int k = 1; k < ct::kCount; ++k) {
    if (!kFallback[static_cast<std::size_t>(k)].empty()) {
      texts_[static_cast<std::size_t>(k)] = block.Text(k, kFallback[static_cast<std::size_t>(k)]);
    }
  }
  RiempiCmbSwtch(lingue);
  AggiornaSelezioni();
}

void FrmKvxCommutazione::RiempiCmbSwtch(const core::ClsLingue& lingue) {
  for (const ComboSpec& s : kComboSpecs) {
    if (s.key.empty()) {
      continue;
    }
    SwitchCombo& c = controls_.combos[C(s.combo)];
    c.items = KeyItems(lingue, s.key);
    c.numbers.clear();
    for (const std::string& item : c.items) {
      c.numbers.push_back(LeadingNumber(item));
    }
  }
  FillBuiltInLists();
  PredisponiSensibilita(lingue);
  FillCalibrationLists();
}

void FrmKvxCommutazione::FillBuiltInLists() {
  const auto fill = [this](int combo, std::vector<std::string> items) {
    SwitchCombo& c = controls_.combos[C(combo)];
    c.items = std::move(items);
    c.numbers.clear();
    for (const std::string& item : c.items) {
      c.numbers.push_back(LeadingNumber(item));
    }
  };
  const auto pair = [this](int a, int b) { return std::vector<std::string>{Text(a), Text(b)}; };
  fill(sw_combo::kFattorex1x2, {std::string(kFactorItems[0]), std::string(kFactorItems[1])});
  fill(sw_combo::kFiloRpm, pair(ct::kFromCoil, ct::kFromWire));
  fill(sw_combo::kSwitchDir, pair(ct::kOnAcceleration, ct::kOnDeceleration));
  fill(sw_combo::kTipoAlim, pair(ct::kLpg, ct::kCng));
  for (const int combo :
       {sw_combo::kServizi, sw_combo::kEmergenza, sw_combo::kSpark, sw_combo::kStartStop}) {
    fill(combo, pair(ct::kOff, ct::kOn));
  }
  std::vector<std::string> cylinders;
  for (int n = 1; n <= kMaxCylinders; ++n) {
    cylinders.push_back(std::to_string(n));
  }
  fill(sw_combo::kNumCilindri, std::move(cylinders));
  std::vector<std::string> injectors;
  for (const core::InjectorType& t : config_.injectors) {
    injectors.push_back(t.name);
  }
  fill(sw_combo::kTipoInj, std::move(injectors));
}

void FrmKvxCommutazione::PredisponiSensibilita(const core::ClsLingue& lingue) {
  SwitchCombo& c = controls_.combos[C(sw_combo::kSogliaTensRpm)];
  c.items.clear();
  c.numbers.clear();
  for (const std::int32_t step : SensitivitySteps(lingue)) {
    c.items.push_back(SensitivityText(step));
    c.numbers.push_back(step);
  }
}

void FrmKvxCommutazione::FillCalibrationLists() {
  const auto list = calib::ListReferenceCalibrations(env_.table, env_.paths.lng);
  SwitchCombo& names = controls_.combos[C(sw_combo::kConfSistema)];
  names.items.clear();
  names.numbers.clear();
  calibration_paths_.clear();
  calibration_ids_.clear();
  std::set<std::int32_t> ids;
  for (const calib::ReferenceCalibration& r : list) {
    names.items.push_back(r.name);
    names.numbers.emplace_back(std::nullopt);
    calibration_paths_.push_back(r.path);
    calibration_ids_.push_back(r.system_id);
    if (r.system_id) {
      ids.insert(*r.system_id);
    }
  }
  if (env_.coefficients != nullptr) {
    for (const auto& rec : env_.coefficients->records) {
      ids.insert(rec.id);
    }
  }
  ids.insert(Value(sw_word::kBlock6, sw_word::kSystemId));
  SwitchCombo& id_combo = controls_.combos[C(sw_combo::kConfSistemaId)];
  id_combo.items.clear();
  id_combo.numbers.clear();
  for (const std::int32_t id : ids) {
    std::string item = std::to_string(id);
    for (const calib::ReferenceCalibration& r : list) {
      if (r.system_id == id) {
        item += " - " + r.name;
        break;
      }
    }
    id_combo.items.push_back(std::move(item));
    id_combo.numbers.emplace_back(id);
  }
}

std::int32_t FrmKvxCommutazione::Value(std::size_t entry, std::size_t field) const {
  return env_.table.Value(entry, field);
}

std::optional<double> FrmKvxCommutazione::SelectedNumber(int combo) const {
  const SwitchCombo& c = controls_.combos[C(combo)];
  if (c.index < 0 || static_cast<std::size_t>(c.index) >= c.numbers.size()) {
    return std::nullopt;
  }
  return c.numbers[static_cast<std::size_t>(c.index)];
}

void FrmKvxCommutazione::SetCombo(int combo, int index) {
  SwitchCombo& c = controls_.combos[C(combo)];
  // A choice on its way to the ECU, or one it did not take, keeps its place.
  if (c.mark == Mark::kNone) {
    c.index = index >= 0 && static_cast<std::size_t>(index) < c.items.size() ? index : -1;
  }
}

void FrmKvxCommutazione::AggiornaSelezioni() {
  updating_ = true;
  FillCalibrationLists();
  SelectCombos();
  SelectChecks();
  if (controls_.spark_mark == Mark::kNone && !controls_.spark_tag) {
    controls_.spark_text = std::to_string(Value(sw_word::kBlock3, sw_word::kSpark));
  }
  if (controls_.bad_bit_mark == Mark::kNone) {
    controls_.bad_bit = std::clamp(Value(sw_word::kBlock3, sw_word::kBadBit), 0,
                                   std::max(controls_.bad_bit_max, 0));
  }
  if (!grid_waiting_ && !grid_in_flight_ && !grid_.Marked()) {
    grid_.Load(env_.table);
  }
  stale_ = false;
  updating_ = false;
}

void FrmKvxCommutazione::SelectCombos() {
  const std::int32_t coils = Value(sw_word::kBlock3, sw_word::kCoils);
  const std::int32_t cylinders = Value(sw_word::kBlock3, sw_word::kCylinders);
  for (const ComboSpec& s : kComboSpecs) {
    const SwitchCombo& c = controls_.combos[C(s.combo)];
    const std::int32_t v = Value(s.entry, s.field);
    switch (s.write) {
      case ComboWrite::kNumber:
        SetCombo(s.combo, FirstEqual(c.numbers, v));
        break;
      case ComboWrite::kForce:
        SetCombo(s.combo, v == 0 ? 0 : FirstEqual(c.numbers, v / 1000.0));
        break;
      case ComboWrite::kBitPosition:
        SetCombo(s.combo, (v & s.bit) != 0 ? 1 : 0);
        break;
      case ComboWrite::kPosition:
        SetCombo(s.combo, v);
        break;
      case ComboWrite::kOwn:
        break;
    }
  }
  const auto speed =
      ShownSwitchSpeed(coils, cylinders, Value(sw_word::kBlock3, sw_word::kSpeedPeriod));
  const auto& rpm = controls_.combos[C(sw_combo::kSwtchRpm)].numbers;
  SetCombo(sw_combo::kSwtchRpm, speed ? FirstNotBelow(rpm, *speed) : -1);
  SetCombo(sw_combo::kSwtchTemp, FirstEqual(controls_.combos[C(sw_combo::kSwtchTemp)].numbers,
                                            Value(sw_word::kBlock3, sw_word::kTemperature)));
  SetCombo(sw_combo::kNumBobine,
           FirstEqual(controls_.combos[C(sw_combo::kNumBobine)].numbers, coils));
  SetCombo(sw_combo::kFattorex1x2,
           Value(sw_word::kBlock3, sw_word::kFactor) == rpm_conversion::kFactorTwo ? 1 : 0);
  SetCombo(sw_combo::kSpark,
           (Value(sw_word::kBlock3, sw_word::kOptions2) & sw_bit::kSpark) != 0 ? 1 : 0);
  SetCombo(sw_combo::kNumCilindri, cylinders - 1);
  const std::int32_t type = Value(sw_word::kBlock3, sw_word::kInjectionType);
  int type_index = -1;
  for (std::size_t i = 0; i < config_.injectors.size(); ++i) {
    if (config_.injectors[i].id == type) {
      type_index = static_cast<int>(i);
    }
  }
  SetCombo(sw_combo::kTipoInj, type_index);
  // The calibration list shows the reference calibration of the ECU's
  // system, and that is the calibration chosen.
  const std::int32_t system = Value(sw_word::kBlock6, sw_word::kSystemId);
  int chosen = -1;
  for (std::size_t i = 0; i < calibration_ids_.size(); ++i) {
    if (chosen < 0 && calibration_ids_[i] == system) {
      chosen = static_cast<int>(i);
    }
  }
  SetCombo(sw_combo::kConfSistema, chosen);
  const SwitchCombo& names = controls_.combos[C(sw_combo::kConfSistema)];
  if (names.index >= 0) {
    env_.session.SetChosenCalibration(names.items[static_cast<std::size_t>(names.index)]);
  }
}

void FrmKvxCommutazione::SelectChecks() {
  for (int row = 0; row < sw_check::kRows; ++row) {
    const CheckSpec& s = kCheckSpecs[static_cast<std::size_t>(row)];
    OptionRow& r = controls_.checks[static_cast<std::size_t>(row)];
    const std::int32_t v = Value(s.entry, s.field);
    for (int i = 0; i < sw_check::kBits; ++i) {
      const auto b = static_cast<std::size_t>(i);
      if (r.marks[b] == Mark::kNone) {
        r.checked[b] = (v & (1 << i)) != 0;
      }
    }
  }
}

bool FrmKvxCommutazione::Holds(const Expect& e) const {
  const std::int32_t v = Value(e.entry, static_cast<std::size_t>(e.field));
  if (e.mode > 0) {
    return ((v & e.mode) != 0) == (e.value != 0);
  }
  return v == e.value;
}

bool FrmKvxCommutazione::Resolve() {
  if (awaited_code_ == 0 || env_.session.PendingRequest() == awaited_code_) {
    return false;
  }
  for (Awaited& a : awaited_) {
    if (*a.mark != Mark::kPending) {
      continue;
    }
    const bool held =
        std::all_of(a.expect.begin(), a.expect.end(), [this](const Expect& e) { return Holds(e); });
    *a.mark = held ? Mark::kNone : Mark::kFailed;
  }
  awaited_.clear();
  awaited_code_ = 0;
  return true;
}

void FrmKvxCommutazione::Shown() {
  static_cast<void>(Resolve());
  AggiornaSelezioni();
}

void FrmKvxCommutazione::LiveTick() {
  // The request ran: show what the ECU now holds.
  if (Resolve()) {
    AggiornaSelezioni();
  }
  if (controls_.spark_tag) {
    SparkCommit();
  }
  if (grid_waiting_) {
    SendGrid();
  }
  if (stale_ && env_.session.SlotFree()) {
    AggiornaSelezioni();
  }
}

void FrmKvxCommutazione::CalibrationRead() {
  for (SwitchCombo& c : controls_.combos) {
    c.mark = Mark::kNone;
  }
  for (OptionRow& r : controls_.checks) {
    r.marks.fill(Mark::kNone);
  }
  controls_.spark_mark = Mark::kNone;
  controls_.spark_tag = false;
  controls_.bad_bit_mark = Mark::kNone;
  awaited_.clear();
  awaited_code_ = 0;
  grid_waiting_ = false;
  grid_in_flight_ = false;
  grid_.Load(env_.table);
  RiempiCmbSwtch(env_.lingue);
  AggiornaSelezioni();
}

std::unique_ptr<PageModel> NewSwitchOverModel(PageEnv& env, int /*code*/) {
  return std::make_unique<FrmKvxCommutazione>(env);
}

}  // namespace velmora::pages
