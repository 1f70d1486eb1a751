#include "diag/frm_obd.h"

#include <algorithm>
#include <cstdio>

#include "diag/diag_requests.h"
#include "diag/diag_text.h"
#include "diag/mod_nex_obd.h"
#include "session/request_codes.h"

namespace velmora::diag {

namespace {

namespace request = session::request;
using enum ObdControl;

constexpr std::int64_t kRefreshUs = 3'000'000;
constexpr std::size_t kRecordSize = 16;
// Entry 19: the number of codes in the selective-clear list, then the codes.
constexpr std::size_t kSelectiveCount = 1;
constexpr std::size_t kFirstSelective = 2;
constexpr std::size_t kMaxSelective = 10;
// Entry 20: the car's stored codes, the lamp, then the codes.
constexpr std::size_t kStoredCount = 0;
constexpr std::size_t kMilState = 1;
constexpr std::size_t kFirstStored = 2;
constexpr std::size_t kMaxStored = 10;

constexpr std::array<std::string_view, 4> kRailPidItems = {"ADDR. &H0A", "ADDR. &H22", "ADDR. &H23",
                                                           "ADDR. &H59"};

std::size_t Index(ObdControl id) {
  return static_cast<std::size_t>(id);
}

// The codes a list entry holds: its count (at most `max`) of 16-bit codes.
std::vector<std::uint16_t> CodesOf(const link::MessageTable& table, std::size_t entry,
                                   std::size_t count_field, std::size_t first, std::size_t max) {
  const auto count = static_cast<std::size_t>(
      std::clamp<std::int32_t>(table.Value(entry, count_field), 0, static_cast<int>(max)));
  std::vector<std::uint16_t> codes;
  for (std::size_t i = 0; i < count; ++i) {
    codes.push_back(static_cast<std::uint16_t>(table.Value(entry, first + i)));
  }
  return codes;
}

std::string Hex2(int v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02X", v & 0xFF);
  return buf;
}

}  // namespace

FrmObd::FrmObd(pages::PageEnv& env, int map_page) : env_(env), map_page_(map_page) {
  CaricaLingua();
}

void FrmObd::RegisterRequests() {
  DiagWork run{request::kObdRun,
               [this](const DiagLink& link) {
                 const bool ok = StartObdReading(link, env_.session.Lists(), [this](int p) {
                   start_protocol_ = std::string(ProtocolName(p));
                 });
                 start_window_ = false;
                 return ok;
               },
               texts_.obd[obd_text::kStartFailed],
               {diag_entry::kObdData},
               true};
  RegisterDiagWork(env_, alive_, std::move(run));
  RegisterDiagWork(env_, alive_, {request::kReadTuningTables, ReadObdData, {}, {}, false});
  RegisterDiagWork(env_, alive_, {request::kObdInfoError, ReadObdInfoErrors, {}, {}, false});
}

void FrmObd::CaricaLingua() {
  texts_ = ObdTextsFrom(env_.lingue);
  RiempiCmbSwtch();
  RegisterRequests();
}

void FrmObd::RiempiCmbSwtch() {
  for (std::size_t i = 0; i < kObdControls; ++i) {
    const ControlSpec& control = SpecOf(static_cast<ObdControl>(i));
    if (!control.key.empty()) {
      controls_[i].items = ListAfterKey(env_.lingue, control.key);
    }
  }
  const auto& t = texts_.obd;
  auto& pid = controls_[Index(kRailPid)].items;
  pid = {texts_.injdir[injdir_text::kNoRailPid]};
  pid.insert(pid.end(), kRailPidItems.begin(), kRailPidItems.end());
  controls_[Index(kLink)].items = {t[obd_text::kDisabled], t[obd_text::kDisabled + 1]};
  controls_[Index(kManagement)].items = {t[obd_text::kReadOnly], t[obd_text::kReadOnly + 1]};
  controls_[Index(kProtocolChoice)].items = {t[obd_text::kAutomatic], t[obd_text::kAutomatic + 1],
                                             t[obd_text::kAutomatic + 2]};
  AzzeraRiferimenti();
}

void FrmObd::Choose(ObdControl id, int choice) {
  if (updating_) {
    return;
  }
  ObdControlState& c = controls_[Index(id)];
  c.choice = choice;
  c.pending = true;
  if (id == kRun) {
    start_window_ = true;
    start_protocol_.clear();
  }
}

void FrmObd::AddDtc() {
  dtc_to_add_ = DtcFromText(dtc_text_);
  if (!dtc_to_add_) {
    notice_ = texts_.tuning[tuning_text::kInvalidDtc];
    return;
  }
  notice_.clear();
  Choose(kAddDtc, 1);
}

void FrmObd::RemoveDtc() {
  if (dtcs_.selected >= 0 && dtcs_.selected < static_cast<int>(dtcs_.selective.size())) {
    Choose(kRemoveDtc, dtcs_.selected);
  }
}

void FrmObd::ToggleAdvanced() {
  advanced_ = !advanced_;
  // The trouble-code frame shows the car's codes as the ECU reads them now.
  info_tag_ = info_tag_ || advanced_;
}

void FrmObd::OpenMapWindow() {
  env_.window.SelezioneScheda(map_page_);
}

bool FrmObd::Running() const {
  return env_.table.Value(diag_entry::kObdData, obd_field::kRun) != 0;
}

std::vector<session::WriteRecord> FrmObd::DtcRecords(bool add) {
  auto codes =
      CodesOf(env_.table, diag_entry::kObdErrors, kSelectiveCount, kFirstSelective, kMaxSelective);
  const std::size_t before = codes.size();
  if (add) {
    if (!dtc_to_add_ || codes.size() >= kMaxSelective ||
        std::find(codes.begin(), codes.end(), *dtc_to_add_) != codes.end()) {
      return {};
    }
    codes.push_back(*dtc_to_add_);
  } else {
    const int k = controls_[Index(kRemoveDtc)].choice;
    if (k < 0 || static_cast<std::size_t>(k) >= codes.size()) {
      return {};
    }
    codes.erase(codes.begin() + k);
  }
  std::vector<session::WriteRecord> records;
  for (std::size_t i = 0; i < std::max(before, codes.size()); ++i) {
    const std::int32_t code = i < codes.size() ? codes[i] : 0;
    records.push_back({code, static_cast<std::int32_t>(kFirstSelective + i), 0});
  }
  records.push_back(
      {static_cast<std::int32_t>(codes.size()), static_cast<std::int32_t>(kSelectiveCount), 0});
  return records;
}

bool FrmObd::PostRecords(std::size_t entry, const std::vector<session::WriteRecord>& records,
                         int request) {
  for (const auto& r : records) {
    env_.session.Lists().Append(entry, r);
  }
  if (env_.session.PostRequest(request)) {
    return true;
  }
  env_.session.Lists().Clear(entry);
  return false;
}

bool FrmObd::PostRecordByte(const ControlSpec& control, std::int32_t value) {
  Bytes& record = env_.image.companion;
  if (record.size() != kRecordSize) {
    return true;  // no record read yet: nothing to copy the byte into
  }
  const std::uint8_t before = record[control.field];
  record[control.field] = static_cast<std::uint8_t>(value);
  if (env_.session.PostRequest(control.request)) {
    return true;
  }
  record[control.field] = before;
  return false;
}

bool FrmObd::Post(ObdControl id) {
  const ControlSpec& control = SpecOf(id);
  const ObdControlState& c = controls_[Index(id)];
  if (control.coding == Coding::kDtcList) {
    const auto records = DtcRecords(id == kAddDtc);
    if (records.empty()) {
      return true;
    }
    info_tag_ = true;  // the ECU clears the listed codes in the car
    return PostRecords(control.entry, records, control.request);
  }
  const auto value = ValueFor(control, c.items, c.choice);
  if (!value) {
    return true;
  }
  if (control.target == Target::kRecord) {
    return PostRecordByte(control, *value);
  }
  const std::int32_t mode = control.coding == Coding::kBit ? control.bit : 0;
  return PostRecords(control.entry, {{*value, static_cast<std::int32_t>(control.field), mode}},
                     control.request);
}

void FrmObd::AggiornaVisualizzazione() {
  for (std::size_t i = Index(kFirstLinkControl); i < kObdControls && env_.session.SlotFree(); ++i) {
    if (controls_[i].pending) {
      controls_[i].pending = false;
      controls_[i].pending = !Post(static_cast<ObdControl>(i));
      break;
    }
  }
  AggiornaParametriObd();
  AggiornaVisualizzazioneNew();
}

void FrmObd::AggiornaVisualizzazioni() {
  bool posted = false;
  for (std::size_t i = 0; i < Index(kFirstLinkControl) && env_.session.SlotFree(); ++i) {
    if (controls_[i].pending) {
      controls_[i].pending = false;
      controls_[i].pending = !Post(static_cast<ObdControl>(i));
      posted = true;
      break;
    }
  }
  const std::int64_t now = env_.clock.NowMicros();
  if (!posted && env_.session.SlotFree()) {
    if (info_tag_) {
      info_tag_ = !env_.session.PostRequest(request::kObdInfoError);
    } else if (now >= next_refresh_us_) {
      (void)env_.session.PostRequest(request::kReadTuningTables);
      next_refresh_us_ = now + kRefreshUs;
    }
  }
  ShowFromEcu(false);
}

std::optional<std::int32_t> FrmObd::EcuValue(const ControlSpec& control) const {
  if (control.target == Target::kRecord) {
    const Bytes& record = env_.image.companion;
    return record.size() == kRecordSize ? std::optional<std::int32_t>(record[control.field])
                                        : std::nullopt;
  }
  if (env_.table.LastAnswer(control.entry).empty()) {
    return std::nullopt;
  }
  return env_.table.Value(control.entry, control.field);
}

void FrmObd::ShowFromEcu(bool all) {
  updating_ = true;
  for (std::size_t i = 0; i < kObdControls; ++i) {
    const ControlSpec& control = SpecOf(static_cast<ObdControl>(i));
    ObdControlState& c = controls_[i];
    const auto ecu = EcuValue(control);
    if (control.coding == Coding::kFixed || control.coding == Coding::kDtcList || !ecu) {
      continue;
    }
    if (all || !c.last_ecu || *c.last_ecu != *ecu) {
      c.last_ecu = ecu;
      if (!c.pending) {
        c.choice = ChoiceFor(control, c.items, *ecu);
        c.unlisted = c.choice < 0 ? std::to_string(*ecu) : std::string();
      }
    }
  }
  updating_ = false;
}

void FrmObd::AggiornaSelezioniObd() {
  ShowFromEcu(true);
}

void FrmObd::AzzeraRiferimenti() {
  for (ObdControlState& c : controls_) {
    c.last_ecu.reset();
  }
}

void FrmObd::AggiornaParametriObd() {
  live_ = ReadObdLive(env_.table);
  const std::string none(kNoValue);
  const bool named = live_.read && !ProtocolName(live_.protocol).empty();
  technical_ = "NUM ECU: " + (live_.read ? std::to_string(live_.ecus) : none) +
               "\nINIT: " + (named ? std::string(ProtocolName(live_.protocol)) : none) +
               "\nADR: " + (live_.read ? Hex2(live_.address) : none);
}

void FrmObd::AggiornaVisualizzazioneNew() {
  dtcs_.selective.clear();
  for (const std::uint16_t code : CodesOf(env_.table, diag_entry::kObdErrors, kSelectiveCount,
                                          kFirstSelective, kMaxSelective)) {
    dtcs_.selective.push_back(diag::DtcText(code));
  }
  if (dtcs_.selected >= static_cast<int>(dtcs_.selective.size())) {
    dtcs_.selected = -1;
  }
  dtcs_.stored.clear();
  dtcs_.stored_read = !env_.table.LastAnswer(diag_entry::kObdInfo).empty();
  for (const std::uint16_t code :
       CodesOf(env_.table, diag_entry::kObdInfo, kStoredCount, kFirstStored, kMaxStored)) {
    dtcs_.stored.push_back(diag::DtcText(code));
  }
  dtcs_.mil_on = env_.table.Value(diag_entry::kObdInfo, kMilState) != 0;
}

void FrmObd::Shown() {
  // While the page is open the live poll keeps the OBD data's periodic
  // transmission in step with block 2.
  env_.session.SetPollMarker(session::poll_marker::kAlignObdPeriodic);
  Refresh();
}

void FrmObd::LiveTick() {
  AggiornaVisualizzazione();
  AggiornaVisualizzazioni();
}

void FrmObd::Refresh() {
  AggiornaSelezioniObd();
  AggiornaParametriObd();
  AggiornaVisualizzazioneNew();
}

void FrmObd::CalibrationRead() {
  AzzeraRiferimenti();
  Refresh();
}

}  // namespace velmora::diag
