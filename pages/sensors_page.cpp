#include "pages/sensors_page.h"

#include <algorithm>
#include <cmath>

#include "core/text.h"

namespace velmora::pages {

namespace sf = sensor_field;
namespace tx = sensors_text;
namespace req = session::request;

namespace {

constexpr std::int32_t kMaxByte = 255;
constexpr std::int32_t kMaxWord = 0xFFFF;
constexpr std::int32_t kMinSigned = -32768;
constexpr std::int32_t kMaxSigned = 32767;
constexpr double kTimes1000 = 1000;
constexpr int kLeds = 5;
const std::vector<std::string> kTempSensors = {"10K", "4K7"};

bool InRange(int index, const ComboState& combo) {
  return index >= 0 && index < static_cast<int>(combo.items.size());
}

const std::string& ItemAt(const ComboState& combo, int index) {
  return combo.items[static_cast<std::size_t>(index)];
}

std::optional<std::int64_t> Times1000(const std::string& item, int /*index*/) {
  const auto n = ItemNumber(item);
  return n ? std::optional<std::int64_t>(core::RoundHalfEven(*n * kTimes1000)) : std::nullopt;
}

std::optional<std::int64_t> WholeNumber(const std::string& item, int /*index*/) {
  const auto n = ItemNumber(item);
  return n ? std::optional<std::int64_t>(static_cast<std::int64_t>(std::trunc(*n))) : std::nullopt;
}

int ListPosition(std::int32_t value, const ComboState& combo) {
  return InRange(value, combo) ? value : -1;
}

std::string Decimals(double v, int decimals) {
  // Written by hand: the C library's separator follows the system's locale.
  const double scale = std::pow(10, decimals);
  const std::int64_t n = core::RoundHalfEven(v * scale);
  const auto unit = static_cast<std::int64_t>(scale);
  const std::int64_t a = n < 0 ? -n : n;
  std::string frac = std::to_string(a % unit);
  frac.insert(0, static_cast<std::size_t>(decimals) - frac.size(), '0');
  return std::string(n < 0 ? "-" : "") + std::to_string(a / unit) + "." + frac;
}

}  // namespace

FrmKvxSensori::FrmKvxSensori(PageEnv& env) : env_(env) {
  if (env_.scale != nullptr) {
    records_ = env_.scale->gas_levels;
  }
  CaricaLingua();
}

void FrmKvxSensori::CaricaLingua() {
  RiempiCmbSwtch();
  AggiornaSelezioni();
  CaricaLivelliAttuale();
}

void FrmKvxSensori::RiempiCmbSwtch() {
  Loading loading(loading_);
  c_.level_type.items.clear();
  for (const core::GasLevelSensor& r : records_) {
    c_.level_type.items.push_back(r.name);
  }
  c_.turbo.items = {Text(tx::kAspirated), Text(tx::kTurbocharged)};
  c_.end_of_gas.items = {Text(tx::kOff), Text(tx::kOn)};
  c_.end_pressure.items = KeyItems(env_.lingue, tx::kEndPressureKey);
  c_.end_delay.items = KeyItems(env_.lingue, tx::kEndDelayKey);
  c_.temp_sensor.items = kTempSensors;
  c_.temp_sensor_low.items = kTempSensors;
  c_.pressure_sensor.items = KeyItems(env_.lingue, tx::kPressureSensorKey);
  c_.min_temp.items = KeyItems(env_.lingue, tx::kMinTempKey);
  c_.min_temp_delta.items = KeyItems(env_.lingue, tx::kMinTempDeltaKey);
}

int FrmKvxSensori::RecordIndex() const {
  // The record that holds everything the ECU holds, else the first whose
  // two parameters match.
  int by_params = -1;
  for (std::size_t i = 0; i < records_.size(); ++i) {
    const core::GasLevelSensor& r = records_[i];
    if (r.first != Value(sf::kBlock3, sf::kLevelFirst) ||
        r.last != Value(sf::kBlock3, sf::kLevelLast)) {
      continue;
    }
    if (std::equal(r.curve.begin(), r.curve.end(), c_.curve.begin())) {
      return static_cast<int>(i);
    }
    if (by_params < 0) {
      by_params = static_cast<int>(i);
    }
  }
  return by_params;
}

void FrmKvxSensori::AggiornaSelezioni() {
  Loading loading(loading_);
  CaricaSoglieLivello();
  c_.level_type.index = RecordIndex();
  const std::int32_t options = Value(sf::kBlock3, sf::kOptions);
  c_.turbo.index = (options & sf::kTurboBit) != 0 ? 1 : 0;
  c_.end_of_gas.index = (options & sf::kEndOfGasBit) != 0 ? 1 : 0;
  c_.end_pressure.index =
      IndexOfValue(c_.end_pressure.items, Value(sf::kBlock3, sf::kEndPressure), Times1000);
  c_.end_delay.index =
      IndexOfValue(c_.end_delay.items, Value(sf::kBlock3, sf::kEndDelay), Times1000);
  c_.temp_sensor.index = ListPosition(Value(sf::kBlock3, sf::kTempSensor), c_.temp_sensor);
  c_.temp_sensor_low.index = c_.temp_sensor.index;
  c_.pressure_sensor.index =
      ListPosition(Value(sf::kBlock3, sf::kPressureSensor), c_.pressure_sensor);
  // The first item stands for "no minimum": the check bit is clear.
  if ((Value(sf::kBlock6, sf::kBlock6Options) & sf::kMinTempBit) == 0) {
    c_.min_temp.index = c_.min_temp.items.empty() ? -1 : 0;
  } else {
    const std::int32_t t = Value(sf::kBlock6, sf::kMinTemp);
    c_.min_temp.index = IndexOfValue(c_.min_temp.items, t, [](const std::string& item, int i) {
      return i == 0 ? std::nullopt : WholeNumber(item, i);
    });
  }
  c_.min_temp_delta.index =
      IndexOfValue(c_.min_temp_delta.items, Value(sf::kBlock6, sf::kMinTempDelta), WholeNumber);
  shown_.Remember(env_.table);
  stale_ = false;
}

void FrmKvxSensori::CaricaSoglieLivello() {
  for (std::size_t i = 0; i < level_curve::kPoints; ++i) {
    c_.curve[i] = Value(sf::kBlock3, sf::kCurve + i);
    c_.curve_texts[i] = PointText(c_.curve[i]);
  }
  c_.scroll = std::clamp(c_.curve.back(), 0, kMaxByte);
}

void FrmKvxSensori::CaricaLivelliAttuale() {
  const link::MessageTable& t = env_.table;
  r_.valid = env_.session.Connected() && !t.LastAnswer(sf::kLive).empty();
  if (!r_.valid) {
    const std::string none(tx::kNoValue);
    r_ = {false, none, none, none, 0, none, none};
    return;
  }
  constexpr double kMbarPerBar = 1000;
  r_.filtered = std::to_string(t.Value(sf::kLive, sf::kLevelFiltered));
  r_.unfiltered = std::to_string(t.Value(sf::kLive, sf::kLevelRaw));
  r_.level = std::to_string(t.Value(sf::kLive, sf::kLevelPercent)) + " %";
  r_.leds = std::clamp(t.Value(sf::kLive, sf::kLevelLeds), 0, kLeds);
  r_.pressure = Decimals(t.Shown(sf::kLive, sf::kGasPressure) / kMbarPerBar, 2) + " bar";
  r_.temperature = std::to_string(t.Value(sf::kLive, sf::kGasTemperature)) + " \u00B0C";
}

void FrmKvxSensori::LiveTick() {
  CaricaLivelliAttuale();
  if (env_.session.SlotFree() && (stale_ || shown_.Changed(env_.table))) {
    AggiornaSelezioni();
  }
}

bool FrmKvxSensori::Ready() {
  if (loading_) {
    return false;
  }
  stale_ = true;
  return env_.session.SlotFree();
}

void FrmKvxSensori::PostBlock3(std::vector<EntryRecord> records) {
  (void)PostRecords(env_.session, req::kEntry3List, records);
}

void FrmKvxSensori::WriteCurve(const LevelCurve& curve) {
  std::vector<EntryRecord> records;
  for (std::size_t i = 0; i < level_curve::kPoints; ++i) {
    records.push_back(
        {sf::kBlock3,
         {std::clamp(curve[i], 0, kMaxByte), static_cast<std::int32_t>(sf::kCurve + i), 0}});
  }
  c_.curve = curve;
  PostBlock3(std::move(records));
}

void FrmKvxSensori::ChooseLevelType(int index) {
  if (!Ready() || !InRange(index, c_.level_type)) {
    return;
  }
  c_.level_type.index = index;
  const core::GasLevelSensor& r = records_[static_cast<std::size_t>(index)];
  std::vector<EntryRecord> records{
      {sf::kBlock3,
       {std::clamp(r.first, 0, kMaxByte), static_cast<std::int32_t>(sf::kLevelFirst), 0}},
      {sf::kBlock3,
       {std::clamp(r.last, 0, kMaxByte), static_cast<std::int32_t>(sf::kLevelLast), 0}}};
  for (std::size_t i = 0; i < level_curve::kPoints; ++i) {
    records.push_back(
        {sf::kBlock3,
         {std::clamp(r.curve[i], 0, kMaxByte), static_cast<std::int32_t>(sf::kCurve + i), 0}});
  }
  PostBlock3(std::move(records));
}

void FrmKvxSensori::LevelDefaults() {
  if (!Ready() || !InRange(c_.level_type.index, c_.level_type)) {
    return;
  }
  WriteCurve(records_[static_cast<std::size_t>(c_.level_type.index)].curve);
}

void FrmKvxSensori::SetFull() {
  if (!Ready() || env_.table.LastAnswer(sf::kLive).empty()) {
    return;
  }
  const double mv = env_.table.Value(sf::kLive, sf::kLevelFiltered);
  WriteCurve(RescaleCurve(c_.curve, CurveEnd::kFull, StepOfMv(mv)));
}

void FrmKvxSensori::SetEmpty() {
  if (!Ready() || env_.table.LastAnswer(sf::kLive).empty()) {
    return;
  }
  const double mv = env_.table.Value(sf::kLive, sf::kLevelFiltered);
  WriteCurve(RescaleCurve(c_.curve, CurveEnd::kEmpty, StepOfMv(mv)));
}

void FrmKvxSensori::ScrollLevel(int step) {
  if (!Ready()) {
    return;
  }
  c_.scroll = std::clamp(step, 0, kMaxByte);
  WriteCurve(RescaleCurve(c_.curve, CurveEnd::kFull, c_.scroll));
}

void FrmKvxSensori::WriteBit(ComboState& combo, int index, std::int32_t bit) {
  if (!Ready() || !InRange(index, combo)) {
    return;
  }
  combo.index = index;
  PostBlock3({{sf::kBlock3, {index, static_cast<std::int32_t>(sf::kOptions), bit}}});
}

void FrmKvxSensori::ChooseTurbo(int index) {
  WriteBit(c_.turbo, index, sf::kTurboBit);
}

void FrmKvxSensori::ChooseEndOfGas(int index) {
  WriteBit(c_.end_of_gas, index, sf::kEndOfGasBit);
}

void FrmKvxSensori::WriteItemTimes1000(const ComboState& combo, int index, std::size_t field) {
  const auto v = Times1000(ItemAt(combo, index), index);
  if (!v) {
    return;
  }
  PostBlock3({{sf::kBlock3, {ClampTo(*v, 0, kMaxWord), static_cast<std::int32_t>(field), 0}}});
}

void FrmKvxSensori::ChooseEndPressure(int index) {
  if (!Ready() || !InRange(index, c_.end_pressure)) {
    return;
  }
  c_.end_pressure.index = index;
  WriteItemTimes1000(c_.end_pressure, index, sf::kEndPressure);
}

void FrmKvxSensori::ChooseEndDelay(int index) {
  if (!Ready() || !InRange(index, c_.end_delay)) {
    return;
  }
  c_.end_delay.index = index;
  WriteItemTimes1000(c_.end_delay, index, sf::kEndDelay);
}

void FrmKvxSensori::WritePosition(ComboState& combo, int index, std::size_t field) {
  if (!Ready() || !InRange(index, combo)) {
    return;
  }
  combo.index = index;
  PostBlock3({{sf::kBlock3, {index, static_cast<std::int32_t>(field), 0}}});
}

void FrmKvxSensori::ChooseTempSensor(int index) {
  WritePosition(c_.temp_sensor, index, sf::kTempSensor);
  c_.temp_sensor_low.index = c_.temp_sensor.index;
}

void FrmKvxSensori::ChoosePressureSensor(int index) {
  WritePosition(c_.pressure_sensor, index, sf::kPressureSensor);
}

void FrmKvxSensori::ChooseMinTemp(int index) {
  // The first item stands for no minimum: the second item's number goes
  // into the word and the check is switched off.
  if (!Ready() || !InRange(index, c_.min_temp) || c_.min_temp.items.size() < 2) {
    return;
  }
  const int shown = index == 0 ? 1 : index;
  const auto t = WholeNumber(ItemAt(c_.min_temp, shown), shown);
  if (!t) {
    return;
  }
  c_.min_temp.index = index;
  (void)PostRecords(
      env_.session, req::kEntry15List,
      {{sf::kBlock6,
        {ClampTo(*t, kMinSigned, kMaxSigned), static_cast<std::int32_t>(sf::kMinTemp), 0}},
       {sf::kBlock6,
        {index == 0 ? 0 : 1, static_cast<std::int32_t>(sf::kBlock6Options), sf::kMinTempBit}}});
}

void FrmKvxSensori::ChooseMinTempDelta(int index) {
  if (!Ready() || !InRange(index, c_.min_temp_delta)) {
    return;
  }
  const auto d = WholeNumber(ItemAt(c_.min_temp_delta, index), index);
  if (!d) {
    return;
  }
  c_.min_temp_delta.index = index;
  (void)PostRecords(
      env_.session, req::kEntry15List,
      {{sf::kBlock6, {ClampTo(*d, 0, kMaxWord), static_cast<std::int32_t>(sf::kMinTempDelta), 0}}});
}

void FrmKvxSensori::SwitchFrames() {
  c_.level_frame = !c_.level_frame;
}

}  // namespace velmora::pages
