#include "pages/gas_management_page.h"

#include <algorithm>

#include "core/text.h"

namespace velmora::pages {

namespace mt = management_text;
namespace rb = record_byte;
namespace req = session::request;

namespace {

// Built-in texts, by dictionary index.
constexpr std::array<std::string_view, mt::kCount> kDefaultTexts = {
    "",
    "Gas management",
    "Petrol injector dead time",
    "Gas injector dead time",
    "Minimum gas injector opening",
    "High speed feeding",
    "Low speed feeding",
    "Gas only",
    "Petrol contribution",
    "Back to petrol",
    "Idle speed",
    "Up to engine speed",
    "From engine speed",
    "To engine speed",
    "Petrol injection time",
    "Petrol contribution value",
    "Petrol contribution cycles",
    "Maximum duty cycle time",
    "Maximum duty cycle hysteresis",
    "Maximum duty cycle check",
    "Maximum power hysteresis (rpm)",
    "Maximum power hysteresis (\u00B5s)",
    "Injections for the return to gas",
    "Pressure threshold for leaving gas",
    "Single fuel",
    "Off",
    "On",
    "ECU state",
    "Changing the gas injector dead time changes the whole carburation: check the maps "
    "afterwards.",
    "Injection sequence",
    "Fuel in use",
    "Petrol",
    "Gas",
    "Switching to gas",
    "Engine speed",
    "Advanced settings",
    "Injectors",
};

// A byte of the parameter record: the item's number in thousandths divided
// by `divisor`, truncated (x 1000 / 32 is a divisor of 32; / 50 of 50 000).
struct RecordSpec {
  std::string_view key;
  std::size_t byte;
  std::size_t second_byte;  // kNoByte: one byte
  std::int64_t divisor;
};
constexpr std::size_t kNoByte = 99;
constexpr std::array<RecordSpec, record_combo::kCount> kRecord = {{
    {"[TMORTOINJ]", 1, kNoByte, 32},
    {"[RPMperMinPower]", 6, 7, 50'000},
    {"[RPMperMinPowerUPTH]", 7, kNoByte, 50'000},
    {"[RPMperMaxPower]", 8, kNoByte, 100'000},
    {"[cmbTempoInjBen]", 9, kNoByte, 256},
    {"[CONTRIBUTO]", 10, kNoByte, 32},
    {"[RPMperMaxPower]", 14, kNoByte, 100'000},
}};

// How a write-list word comes from the chosen item.
enum class Scale {
  kSwitch,       // bit `mode` set for any item but the first
  kNumber,       // the number shown
  kThousandths,  // number x 1000
  kEighths,      // number x 1000 / 8
  kPosition,     // the list position
  kPosition20,   // the list position x 20
};

// A word, its items (a dictionary key, or built-in items when the key is
// empty; the switches take the page's off and on texts) and its request.
struct WordSpec {
  std::string_view key;
  std::string_view items;
  std::size_t entry;
  std::size_t field;
  std::int32_t mode;
  Scale scale;
  std::int32_t max;
  int request;
};
constexpr std::int32_t kByte = 255;
constexpr std::int32_t kWord = 0xFFFF;
constexpr std::array<WordSpec, word_combo::kCount> kWords = {{
    {"", "", 2, 2, 128, Scale::kSwitch, kByte, req::kEntry2List},
    {"[Piedistallo Tempo Inj minimo us]", "", 3, 36, 0, Scale::kEighths, kWord, req::kEntry3List},
    {"[TMORTOINJ]", "", 15, 0, 0, Scale::kThousandths, kWord, req::kEntry15List},
    {"", "20 ms|40 ms|60 ms|80 ms|100 ms|150 ms|200 ms|300 ms|500 ms", 15, 1, 0, Scale::kNumber,
     kWord, req::kEntry15List},
    {"", "1 %|2 %|3 %|5 %|8 %|10 %|15 %|20 %", 15, 2, 0, Scale::kNumber, kWord, req::kEntry15List},
    {"", "", 15, 5, 1, Scale::kSwitch, kByte, req::kEntry15List},
    {"", "100 rpm|200 rpm|300 rpm|400 rpm|500 rpm|750 rpm|1000 rpm", 15, 75, 0, Scale::kNumber,
     kWord, req::kEntry15List},
    {"", "100 \u00B5s|200 \u00B5s|300 \u00B5s|500 \u00B5s|750 \u00B5s|1000 \u00B5s|1500 \u00B5s",
     15, 76, 0, Scale::kNumber, kWord, req::kEntry15List},
    {"[CmbNumIniettateRientro]", "", 15, 77, 0, Scale::kNumber, kByte, req::kEntry15List},
    {"[DECONTRIBUTOFACTOR]", "", 16, 8, 0, Scale::kPosition, kByte, req::kEntry16List},
    {"",
     "0 mbar|20 mbar|40 mbar|60 mbar|80 mbar|100 mbar|120 mbar|140 mbar|160 mbar|180 mbar|"
     "200 mbar",
     16, 13, 0, Scale::kPosition20, kByte, req::kEntry16List},
}};

constexpr std::int64_t kPositionStep = 20;

// The value a word gets from item `index`; nullopt for an item without a
// number where one is needed.
std::optional<std::int64_t> WordValue(const WordSpec& w, const std::string& item, int index) {
  switch (w.scale) {
    case Scale::kSwitch:
      return index != 0 ? 1 : 0;
    case Scale::kPosition:
      return index;
    case Scale::kPosition20:
      return index * kPositionStep;
    default:
      break;
  }
  const auto n = ItemNumber(item);
  if (!n) {
    return std::nullopt;
  }
  const std::int64_t milli = Thousandths(*n);
  constexpr std::int64_t kEighth = 8;
  switch (w.scale) {
    case Scale::kThousandths:
      return milli;
    case Scale::kEighths:
      return milli / kEighth;
    default:
      return core::RoundHalfEven(*n);
  }
}

// The byte a record combo's item gives, held within a byte.
std::optional<std::uint8_t> RecordValue(const RecordSpec& r, const std::string& item) {
  const auto n = ItemNumber(item);
  if (!n) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(ClampTo(Thousandths(*n) / r.divisor, 0, kByte));
}

bool InRange(int index, const ComboState& combo) {
  return index >= 0 && index < static_cast<int>(combo.items.size());
}

}  // namespace

FrmKvxGestione::FrmKvxGestione(PageEnv& env) : env_(env) {
  CaricaLingua();
}

std::string FrmKvxGestione::Text(int k) const {
  const std::string_view fallback =
      k >= 0 && k < mt::kCount ? kDefaultTexts[static_cast<std::size_t>(k)] : std::string_view();
  return texts_.Text(k, fallback);
}

void FrmKvxGestione::CaricaLingua() {
  texts_ = core::TextBlock(env_.lingue, mt::kMarker);
  RiempiCmbSwtch();
  AggiornaSelezioni();
}

void FrmKvxGestione::RiempiCmbSwtch() {
  Loading loading(loading_);
  for (std::size_t i = 0; i < kRecord.size(); ++i) {
    c_.record[i].items = KeyItems(env_.lingue, kRecord[i].key);
  }
  for (std::size_t i = 0; i < kWords.size(); ++i) {
    const WordSpec& w = kWords[i];
    if (w.scale == Scale::kSwitch) {
      c_.words[i].items = {Text(mt::kOff), Text(mt::kOn)};
    } else {
      c_.words[i].items = w.key.empty() ? SplitItems(w.items) : KeyItems(env_.lingue, w.key);
    }
  }
}

bool FrmKvxGestione::RecordReadable() const {
  return env_.image.companion.size() == rb::kSize;
}

bool FrmKvxGestione::RecordComboShown(int combo) const {
  if (combo == record_combo::kIdleSpeed) {
    return !env_.image.flags.direct_injection;
  }
  if (combo == record_combo::kUpToSpeed) {
    return env_.image.flags.direct_injection;
  }
  return combo >= 0 && combo < record_combo::kCount;
}

void FrmKvxGestione::ShowRecord() {
  c_.record_known = RecordReadable();
  const Bytes& record = env_.image.companion;
  for (std::size_t i = 0; i < kRecord.size(); ++i) {
    ComboState& combo = c_.record[i];
    combo.enabled = c_.record_known;
    combo.index =
        !c_.record_known
            ? -1
            : IndexOfValue(combo.items, record[kRecord[i].byte], [&](const std::string& item, int) {
                const auto b = RecordValue(kRecord[i], item);
                return b ? std::optional<std::int64_t>(*b) : std::nullopt;
              });
  }
  const auto feeding = [&](std::uint8_t mask, int shift) {
    const int v = c_.record_known ? (record[rb::kFeeding] & mask) >> shift : -1;
    return v >= 0 && v < rb::kFeedingChoices ? v : -1;
  };
  c_.high_feeding = feeding(rb::kHighMask, rb::kHighShift);
  c_.low_feeding = feeding(rb::kLowMask, rb::kLowShift);
}

void FrmKvxGestione::ShowWords() {
  for (std::size_t i = 0; i < kWords.size(); ++i) {
    const WordSpec& w = kWords[i];
    ComboState& combo = c_.words[i];
    const std::int32_t word = env_.table.Value(w.entry, w.field);
    if (w.scale == Scale::kSwitch) {
      combo.index = (word & w.mode) != 0 ? 1 : 0;
      continue;
    }
    combo.index = IndexOfValue(combo.items, word, [&w](const std::string& item, int index) {
      return WordValue(w, item, index);
    });
  }
}

void FrmKvxGestione::AggiornaSelezioni() {
  Loading loading(loading_);
  ShowRecord();
  ShowWords();
  AggiornaStatoEcu_FrmParam();
  shown_.Remember(env_.table, &env_.image.companion);
  stale_ = false;
}

void FrmKvxGestione::AggiornaStatoEcu_FrmParam() {
  constexpr std::size_t kLive = 1;
  constexpr std::size_t kFuel = 1;
  constexpr std::size_t kPhase = 2;
  constexpr std::size_t kRpm = 32;
  constexpr std::int32_t kSwitchingPhase = 1;
  state_.valid = env_.session.Connected() && !env_.table.LastAnswer(kLive).empty();
  if (!state_.valid) {
    state_.fuel = state_.rpm = "- - -";
    return;
  }
  const bool gas = env_.table.Value(kLive, kFuel) == 1;
  const bool switching = env_.table.Value(kLive, kPhase) == kSwitchingPhase;
  state_.fuel = Text(switching ? mt::kSwitching : gas ? mt::kGas : mt::kPetrol);
  state_.rpm = std::to_string(env_.table.Value(kLive, kRpm)) + " rpm";
}

void FrmKvxGestione::LiveTick() {
  AggiornaStatoEcu_FrmParam();
  if (env_.session.SlotFree() && (stale_ || shown_.Changed(env_.table, &env_.image.companion))) {
    AggiornaSelezioni();
  }
}

bool FrmKvxGestione::Ready() {
  if (loading_) {
    return false;
  }
  stale_ = true;
  return env_.session.SlotFree();
}

void FrmKvxGestione::WriteRecordBytes(
    const std::vector<std::pair<std::size_t, std::uint8_t>>& bytes) {
  // The record read last is the write copy: the bytes change in it only
  // once the write is sure to go.
  if (!RecordReadable() || !env_.session.PostRequest(req::kParameterRecord)) {
    return;
  }
  for (const auto& [at, value] : bytes) {
    env_.image.companion[at] = value;
  }
}

void FrmKvxGestione::ChooseRecord(int combo, int index) {
  if (combo < 0 || combo >= record_combo::kCount || !Ready()) {
    return;
  }
  ComboState& box = c_.record[static_cast<std::size_t>(combo)];
  const RecordSpec& field = kRecord[static_cast<std::size_t>(combo)];
  if (!InRange(index, box)) {
    return;
  }
  const auto value = RecordValue(field, box.items[static_cast<std::size_t>(index)]);
  if (!value) {
    return;
  }
  box.index = index;
  std::vector<std::pair<std::size_t, std::uint8_t>> bytes{{field.byte, *value}};
  if (field.second_byte != kNoByte) {
    bytes.emplace_back(field.second_byte, *value);
  }
  WriteRecordBytes(bytes);
}

void FrmKvxGestione::ChooseHighFeeding(int choice) {
  if (choice < 0 || choice >= rb::kFeedingChoices || !Ready() || !RecordReadable()) {
    return;
  }
  c_.high_feeding = choice;
  const std::uint8_t now = env_.image.companion[rb::kFeeding];
  WriteRecordBytes({{rb::kFeeding, static_cast<std::uint8_t>((now & ~rb::kHighMask) |
                                                             (choice << rb::kHighShift))}});
}

void FrmKvxGestione::ChooseLowFeeding(int choice) {
  if (choice < 0 || choice >= rb::kFeedingChoices || !Ready() || !RecordReadable()) {
    return;
  }
  c_.low_feeding = choice;
  const std::uint8_t now = env_.image.companion[rb::kFeeding];
  WriteRecordBytes({{rb::kFeeding, static_cast<std::uint8_t>((now & ~rb::kLowMask) |
                                                             (choice << rb::kLowShift))}});
}

void FrmKvxGestione::ChooseWord(int combo, int index) {
  if (combo < 0 || combo >= word_combo::kCount || !Ready()) {
    return;
  }
  if (!InRange(index, c_.words[static_cast<std::size_t>(combo)])) {
    return;
  }
  if (combo == word_combo::kGasDeadTime) {
    // The whole carburation rests on the dead time: the fitter is told
    // before it changes.
    env_.box.Show(Text(mt::kDeadTimeWarning), env_.main_title, platform::BoxKind::Exclamation);
    if (!env_.session.SlotFree()) {
      return;
    }
  }
  PostWord(combo, index);
}

void FrmKvxGestione::PostWord(int combo, int index) {
  const WordSpec& w = kWords[static_cast<std::size_t>(combo)];
  ComboState& box = c_.words[static_cast<std::size_t>(combo)];
  const auto value = WordValue(w, box.items[static_cast<std::size_t>(index)], index);
  if (!value) {
    return;
  }
  box.index = index;
  const std::int32_t v =
      w.scale == Scale::kSwitch ? static_cast<std::int32_t>(*value) : ClampTo(*value, 0, w.max);
  (void)PostRecords(env_.session, w.request,
                    {{w.entry, {v, static_cast<std::int32_t>(w.field), w.mode}}});
}

void FrmKvxGestione::ToggleAdvanced() {
  c_.advanced = !c_.advanced;
}

void FrmKvxGestione::OpenSequence() {
  env_.window.SelezioneScheda(session::page_id::kInjectionSequence);
}

}  // namespace velmora::pages
