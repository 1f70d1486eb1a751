// The fitter's choices on the switch-over page and how each reaches the
// ECU; the work of requests 13 and 14; the tooltips.
#include <algorithm>
#include <cmath>

#include "core/text.h"
#include "pages/frm_kvx_commutazione.h"
#include "pages/switch_over_combos.h"

namespace velmora::pages {

namespace ct = config_text;

namespace {

constexpr std::int32_t kMaxWord = 65535;
constexpr std::int32_t kMinOpeningUnitUs = 8;
constexpr double kMsPerSecond = 1000;
constexpr std::size_t kDeadTimeParam = 0;
constexpr std::size_t kMinOpeningParam = 1;

// The value entry dialog's cancel beep.
constexpr int kCancelHz = 600;
constexpr int kCancelMs = 100;

std::size_t C(int combo) {
  return static_cast<std::size_t>(combo);
}

// A list item's number as an ECU word's value; an item too large for any
// word (dictionary data) is kept within 32 bits rather than wrapped.
std::int32_t Whole(double v) {
  if (!std::isfinite(v)) {
    return 0;
  }
  constexpr double kLimit = 2147483647.0;
  return static_cast<std::int32_t>(core::RoundHalfEven(std::clamp(v, -kLimit, kLimit)));
}

}  // namespace

bool FrmKvxCommutazione::Write(int code, std::vector<Expect> records, Mark* mark) {
  // The marks of an earlier request first; the controls follow on the next
  // tick, so the choice just made stays in place.
  if (Resolve()) {
    stale_ = true;
  }
  if (Ignored()) {
    return false;
  }
  auto& lists = env_.session.Lists();
  const auto unlist = [&] {
    for (const Expect& e : records) {
      lists.Clear(e.entry);
    }
    stale_ = true;
    return false;
  };
  if (!env_.session.SlotFree()) {
    stale_ = true;
    return false;
  }
  for (const Expect& e : records) {
    if (!lists.Append(e.entry, {e.value, e.field, e.mode})) {
      return unlist();
    }
  }
  if (!env_.session.PostRequest(code)) {
    return unlist();
  }
  *mark = Mark::kPending;
  awaited_.push_back({mark, std::move(records)});
  awaited_code_ = code;
  return true;
}

void FrmKvxCommutazione::ComboClick(int combo, int index) {
  if (combo < 0 || combo >= sw_combo::kCount || Ignored()) {
    return;
  }
  SwitchCombo& c = controls_.combos[C(combo)];
  if (index < 0 || static_cast<std::size_t>(index) >= c.items.size()) {
    return;
  }
  // The control keeps the new position; when nothing is sent the next
  // AggiornaSelezioni puts it back.
  c.index = index;
  c.mark = Mark::kNone;
  const ComboSpec& s = kComboSpecs[C(combo)];
  const std::optional<double> number = c.numbers[static_cast<std::size_t>(index)];
  const auto field = static_cast<std::int32_t>(s.field);
  switch (s.write) {
    case ComboWrite::kNumber:
      if (number) {
        Write(s.request, {{s.entry, field, 0, Whole(*number)}}, &c.mark);
      }
      return;
    case ComboWrite::kForce:
      if (index == 0 || number) {
        const std::int32_t ms = index == 0 ? 0 : Whole(*number * kMsPerSecond);
        Write(s.request, {{s.entry, field, 0, ms}}, &c.mark);
      }
      return;
    case ComboWrite::kBitPosition:
      Write(s.request, {{s.entry, field, s.bit, index}}, &c.mark);
      return;
    case ComboWrite::kPosition:
      Write(s.request, {{s.entry, field, 0, index}}, &c.mark);
      return;
    case ComboWrite::kOwn:
      SpecialClick(combo, index);
      return;
  }
}

std::vector<FrmKvxCommutazione::Expect> FrmKvxCommutazione::SpeedRecords(
    int combo, int index, std::optional<double> number) const {
  const std::size_t b3 = sw_word::kBlock3;
  const auto f = [](std::size_t field) { return static_cast<std::int32_t>(field); };
  const std::int32_t coils = Value(b3, sw_word::kCoils);
  const std::int32_t cylinders = Value(b3, sw_word::kCylinders);
  const std::int32_t factor = Value(b3, sw_word::kFactor);
  const std::optional<double> rpm = SelectedNumber(sw_combo::kSwtchRpm);
  std::vector<Expect> r;
  if (combo == sw_combo::kSwtchRpm && number) {
    const SpeedWords w = RpmConversion(*number, coils, cylinders, factor);
    r = {{b3, f(sw_word::kSpeedPeriod), 0, w.period},
         {b3, f(sw_word::kFactorPeriod), 0, w.factor_period}};
  } else if (combo == sw_combo::kNumBobine && number) {
    r = {{b3, f(sw_word::kCoils), 0, Whole(*number)}};
    if (rpm) {
      r.push_back({b3, f(sw_word::kSpeedPeriod), 0,
                   RpmConversion(*rpm, Whole(*number), cylinders, factor).period});
    }
  } else if (combo == sw_combo::kFattorex1x2) {
    const std::int32_t chosen = index == 1 ? rpm_conversion::kFactorTwo : 1;
    r = {{b3, f(sw_word::kFactor), 0, chosen}};
    if (rpm) {
      r.push_back({b3, f(sw_word::kFactorPeriod), 0,
                   RpmConversion(*rpm, coils, cylinders, chosen).factor_period});
    }
  } else if (combo == sw_combo::kNumCilindri) {
    const std::int32_t n = index + 1;
    for (const CylinderRecord& cr : CylinderRecords(n)) {
      r.push_back({cr.entry, cr.field, 0, cr.value});
    }
    // The switch-over speed's period depends on the cylinders too.
    if (rpm) {
      r.push_back({b3, f(sw_word::kSpeedPeriod), 0, RpmConversion(*rpm, coils, n, factor).period});
    }
  }
  return r;
}

void FrmKvxCommutazione::SpecialClick(int combo, int index) {
  SwitchCombo& c = controls_.combos[C(combo)];
  const std::optional<double> number = c.numbers[static_cast<std::size_t>(index)];
  const std::size_t b3 = sw_word::kBlock3;
  const auto f = [](std::size_t field) { return static_cast<std::int32_t>(field); };
  std::vector<Expect> r;
  if (combo == sw_combo::kConfSistema) {
    ConfSistemaClick(index);
    return;
  }
  if (combo == sw_combo::kSwtchTemp && number) {
    r = {{b3, f(sw_word::kOptions), sw_bit::kTemperatureSwitch, 1},
         {b3, f(sw_word::kTemperature), 0, Whole(*number)}};
  } else if (combo == sw_combo::kSpark) {
    const bool on = index == 1;
    const auto typed = core::ParseInt32(controls_.spark_text);
    const std::int32_t spark = !on ? 0 : (typed && *typed > 0 ? *typed : config_.spark);
    r = {{b3, f(sw_word::kOptions2), sw_bit::kSpark, on ? 1 : 0},
         {b3, f(sw_word::kSpark), 0, spark}};
  } else if (combo == sw_combo::kTipoInj) {
    const core::InjectorType& t = config_.injectors[static_cast<std::size_t>(index)];
    r = {{b3, f(sw_word::kInjectionType), 0, t.id},
         {b3, f(sw_word::kMinOpening), 0, t.params[kMinOpeningParam] / kMinOpeningUnitUs},
         {sw_word::kBlock6, f(sw_word::kGasDeadTime), 0, t.params[kDeadTimeParam]}};
  } else {
    r = SpeedRecords(combo, index, number);
  }
  if (!r.empty()) {
    Write(kComboSpecs[C(combo)].request, std::move(r), &c.mark);
  }
}

void FrmKvxCommutazione::ConfSistemaClick(int index) {
  SwitchCombo& c = controls_.combos[C(sw_combo::kConfSistema)];
  if (!env_.session.SlotFree()) {
    stale_ = true;
    return;
  }
  if (!env_.box.Ask(Text(ct::kConfirmSystem), env_.main_title)) {
    stale_ = true;
    return;
  }
  const auto i = static_cast<std::size_t>(index);
  if (!env_.session.PostFileRequest(session::request::kLoadAll, calibration_paths_[i])) {
    stale_ = true;
    return;
  }
  env_.session.SetChosenCalibration(c.items[i]);
  c.mark = Mark::kPending;
  std::vector<Expect> expect;
  if (calibration_ids_[i]) {
    expect.push_back(
        {sw_word::kBlock6, static_cast<std::int32_t>(sw_word::kSystemId), 0, *calibration_ids_[i]});
  }
  awaited_.push_back({&c.mark, std::move(expect)});
  awaited_code_ = session::request::kLoadAll;
}

void FrmKvxCommutazione::SparkTyped(std::string text) {
  if (Ignored()) {
    return;
  }
  controls_.spark_text = std::move(text);
  controls_.spark_tag = true;
  controls_.spark_mark = Mark::kPending;
}

void FrmKvxCommutazione::SparkCommit() {
  if (!controls_.spark_tag || Ignored()) {
    return;
  }
  const std::string_view text = core::Trim(controls_.spark_text);
  if (text.empty()) {
    // Nothing typed: nothing written, and the box shows the ECU's value.
    controls_.spark_tag = false;
    controls_.spark_mark = Mark::kNone;
    controls_.spark_text = std::to_string(Value(sw_word::kBlock3, sw_word::kSpark));
    return;
  }
  const auto v = core::ParseInt32(text);
  if (!v || *v < 0 || *v > kMaxWord) {
    controls_.spark_tag = false;
    controls_.spark_mark = Mark::kFailed;
    return;
  }
  if (Write(kComboSpecs[C(sw_combo::kSpark)].request,
            {{sw_word::kBlock3, static_cast<std::int32_t>(sw_word::kSpark), 0, *v}},
            &controls_.spark_mark)) {
    controls_.spark_tag = false;
  }
}

void FrmKvxCommutazione::BadBitChanged(int value) {
  if (Ignored()) {
    return;
  }
  controls_.bad_bit = value;
  controls_.bad_bit_mark = Mark::kNone;
  Write(session::request::kEntry3List,
        {{sw_word::kBlock3, static_cast<std::int32_t>(sw_word::kBadBit), 0, value}},
        &controls_.bad_bit_mark);
}

void FrmKvxCommutazione::CheckClick(int row, int bit, bool checked) {
  if (row < 0 || row >= sw_check::kRows || bit < 0 || bit >= sw_check::kBits || Ignored()) {
    return;
  }
  const CheckSpec& s = kCheckSpecs[static_cast<std::size_t>(row)];
  OptionRow& r = controls_.checks[static_cast<std::size_t>(row)];
  const auto b = static_cast<std::size_t>(bit);
  r.checked[b] = checked;
  r.marks[b] = Mark::kNone;
  Write(s.request, {{s.entry, static_cast<std::int32_t>(s.field), 1 << bit, checked ? 1 : 0}},
        &r.marks[b]);
}

bool FrmKvxCommutazione::GridKeyDown(int key_code, bool shift) {
  return !Ignored() && grid_.KeyDown(key_code, shift);
}

void FrmKvxCommutazione::GridKeyUp() {
  if (grid_.KeyUp()) {
    grid_waiting_ = true;
    SendGrid();
  }
}

void FrmKvxCommutazione::GridEnter() {
  if (Ignored()) {
    return;
  }
  const EnteredValue r = env_.window.AskValue(grid_limits::kLambda, last_option_);
  if (r.operation == value_op::kCancelled) {
    env_.window.Beep(kCancelHz, kCancelMs);
    return;
  }
  last_option_ = OptionOfOperation(r.operation).value_or(last_option_);
  grid_.Apply(r);
  if (grid_.Changed()) {
    grid_waiting_ = true;
    SendGrid();
  }
}

void FrmKvxCommutazione::SendGrid() {
  if (!env_.session.SlotFree() || !enabled_) {
    return;  // the Tag: sent by a later tick
  }
  grid_.Store(env_.table);
  grid_.MarkSent();
  if (env_.session.PostRequest(session::request::kRitCom)) {
    grid_waiting_ = false;
    grid_in_flight_ = true;
  }
}

bool FrmKvxCommutazione::RunDelayGrid() {
  const bool ok = env_.session.WriteEntry(delay_grid::kEntry, delay_grid::kWriteCommand);
  grid_in_flight_ = false;
  grid_.Settle(env_.table, ok);
  return ok;
}

void FrmKvxCommutazione::GridDropped() {
  grid_in_flight_ = false;
  grid_.Settle(env_.table, false);
}

bool FrmKvxCommutazione::RunCylinders() {
  return env_.session.ApplyLists({sw_word::kBlock3, sw_word::kBlock6});
}

namespace {

std::string MarkLine(const FrmKvxCommutazione& page, Mark m) {
  if (m == Mark::kPending) {
    return "\n" + page.Text(ct::kPending);
  }
  if (m == Mark::kFailed) {
    return "\n" + page.Text(ct::kFailed);
  }
  return {};
}

}  // namespace

std::string FrmKvxCommutazione::ComboTip(int combo) const {
  if (combo < 0 || combo >= sw_combo::kCount) {
    return {};
  }
  const ComboSpec& s = kComboSpecs[C(combo)];
  const SwitchCombo& c = controls_.combos[C(combo)];
  std::string tip = Text(s.caption);
  if (!s.words.empty()) {
    tip += " (ECU " + std::string(s.words) + ")";
  }
  if (!c.items.empty()) {
    tip += "\n" + Text(ct::kRange) + ": " + c.items.front() + " .. " + c.items.back();
  }
  return tip + MarkLine(*this, c.mark);
}

std::string FrmKvxCommutazione::SparkTip() const {
  std::string tip = Text(ct::kSparkSetting) + " (ECU 3.44)\n" + Text(ct::kRange) + ": 0 .. " +
                    std::to_string(kMaxWord) + "\n" + Text(ct::kSparkHint);
  if (controls_.spark_mark == Mark::kFailed) {
    tip += MarkLine(*this, Mark::kFailed) + ". " + Text(ct::kEcuHolds) + " " +
           std::to_string(Value(sw_word::kBlock3, sw_word::kSpark));
    return tip;
  }
  return tip + MarkLine(*this, controls_.spark_mark);
}

std::string FrmKvxCommutazione::BadBitTip() const {
  std::string tip = Text(ct::kBadBit) + " (ECU 3.47)\n" + Text(ct::kRange) + ": 0 .. " +
                    std::to_string(controls_.bad_bit_max) + MarkLine(*this, controls_.bad_bit_mark);
  if (controls_.bad_bit_mark == Mark::kFailed) {
    tip += ". " + Text(ct::kEcuHolds) + " " +
           std::to_string(Value(sw_word::kBlock3, sw_word::kBadBit));
  }
  return tip;
}

std::string FrmKvxCommutazione::CheckTip(int row, int bit) const {
  if (row < 0 || row >= sw_check::kRows || bit < 0 || bit >= sw_check::kBits) {
    return {};
  }
  const CheckSpec& s = kCheckSpecs[static_cast<std::size_t>(row)];
  return Text(s.caption) + "\n" + Text(ct::kBitValue) + " " + std::to_string(1 << bit) +
         MarkLine(
             *this,
             controls_.checks[static_cast<std::size_t>(row)].marks[static_cast<std::size_t>(bit)]);
}

std::string FrmKvxCommutazione::GridTip(int row, int column) const {
  if (column < 0 || column >= delay_grid::kColumns) {
    return {};
  }
  const auto c = static_cast<std::size_t>(column);
  std::string tip =
      Text(column == delay_grid::kTemperature ? ct::kGridTemperature : ct::kGridDelay) +
      " (ECU 6." + std::to_string(column * delay_grid::kRows + row) + ")\n" + Text(ct::kRange) +
      ": " + std::to_string(delay_grid::kMin) + " .. " + std::to_string(delay_grid::kMax[c]) +
      "\n" + Text(ct::kGridKeys);
  const Mark m = grid_.MarkOf(row, column);
  tip += MarkLine(*this, m);
  if (m == Mark::kFailed) {
    tip += ". " + Text(ct::kEcuHolds) + " " +
           std::to_string(Value(delay_grid::kEntry,
                                static_cast<std::size_t>(column * delay_grid::kRows + row)));
  }
  return tip;
}

}  // namespace velmora::pages
