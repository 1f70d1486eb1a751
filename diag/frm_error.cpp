#include "diag/frm_error.h"

#include "core/text_block.h"
#include "diag/diag_requests.h"
#include "diag/diag_text.h"
#include "session/request_codes.h"

namespace velmora::diag {

namespace {

namespace request = session::request;

// Entry 4: the current state of error n is field n, the stored one field
// 32 + n; errors 20 and 24 hold the number of the faulty injector.
constexpr std::size_t kStoredOffset = 32;
constexpr std::array<std::size_t, 2> kInjectorErrors = {20, 24};
constexpr int kMaxInjector = 8;
constexpr int kStatePresent = 1;
constexpr int kStateSecond = 2;

// Entry 15: the enable word of error n.
constexpr std::int32_t kFirstEnableField = 15;
constexpr std::int32_t kMonitorBit = 1;
constexpr std::int32_t kSecondActionBit = 2;

// Entry 2: the running-time counters and the service interval.
namespace counter {
constexpr std::size_t kGasHours = 3;
constexpr std::size_t kPetrolHours = 4;
constexpr std::size_t kSinceService = 7;
constexpr std::size_t kInterval = 9;
constexpr std::size_t kSharedMinutes = 10;
constexpr std::size_t kPetrolMinutes = 11;
constexpr std::int32_t kReset = 65535;
// Bit 15 of the interval restarts the count since the last service; it is
// not part of the hours.
constexpr std::int32_t kRestart = 0x8000;
constexpr std::int32_t kHoursMask = 0x7FFF;
}  // namespace counter

// Entry 1 field 38 bit 0: the ECU allows the erase now.
constexpr std::size_t kEraseAllowedField = 38;
constexpr std::int32_t kEraseAllowedBit = 1;

constexpr std::int64_t kRefreshUs = 2'000'000;
// The older hardware generations take the short service intervals.
constexpr int kLastLowGeneration = 1;

std::string Label(std::size_t error) {
  const std::string digits = std::to_string(error);
  return "Err " + std::string(digits.size() < 2 ? 1 : 0, '0') + digits;
}

ServiceList ListOf(const core::ClsLingue& lingue, std::string_view key) {
  ServiceList list;
  list.items = ListAfterKey(lingue, key);
  for (std::size_t k = 0; k < list.items.size(); ++k) {
    const auto n = LeadingNumber(list.items[k]);
    list.hours.push_back(k == 0 ? 0 : (n && *n >= 0 ? static_cast<int>(*n) : -1));
  }
  return list;
}

void Select(ServiceList& list, int hours) {
  list.index = -1;
  for (std::size_t k = 0; k < list.hours.size(); ++k) {
    if (list.hours[k] == hours) {
      list.index = static_cast<int>(k);
      return;
    }
  }
}

}  // namespace

FrmError::FrmError(pages::PageEnv& env) : env_(env) {
  CaricaLingua();
}

void FrmError::RegisterRequests() {
  RegisterDiagWork(env_, alive_, {request::kReadErrors, ReadErrorMemory, {}, {}, false});
  RegisterDiagWork(env_, alive_,
                   {request::kEraseErrors, EraseErrorMemory, texts_.erase_refused, {}, false});
}

void FrmError::LoadTexts() {
  const core::TextBlock service(env_.lingue, error_text::kServiceMarker);
  std::string* captions[] = {
      &texts_.title,      &texts_.gas,          &texts_.petrol,       &texts_.service,
      &texts_.to_service, &texts_.reset_gas,    &texts_.reset_petrol, &texts_.restart_service,
      &texts_.erase,      &texts_.errors_title, &texts_.short_list,   &texts_.overdue};
  for (int k = 0; k < static_cast<int>(std::size(captions)); ++k) {
    service.Take(error_text::kTitle + k, *captions[k]);
  }
  const core::TextBlock grid(env_.lingue, error_text::kGridMarker);
  for (std::size_t k = 0; k < texts_.headers.size(); ++k) {
    grid.Take(static_cast<int>(k) + 1, texts_.headers[k]);
  }
  grid.Take(error_text::kHint, texts_.hint);
  const std::string refused = EntryText(env_.lingue, error_text::kEraseRefusedEntry);
  if (!refused.empty()) {
    texts_.erase_refused = refused;
  }
}

void FrmError::CaricaLingua() {
  LoadTexts();
  if (const auto catalogue = LoadCatalogue(env_.lingue)) {
    rows_.clear();
    for (std::size_t n = 0; n < catalogue->size(); ++n) {
      ErrorRow row;
      row.label = Label(n);
      row.entry = (*catalogue)[n];
      rows_.push_back(std::move(row));
    }
  }
  RiempiCmbSwtch();
  RegisterRequests();
  shown_errors_.reset();
  VisualizzaErrori();
  AggiornaAbilitazioni();
  AggiornaVisualizzazioni();
}

void FrmError::RiempiCmbSwtch() {
  service_ = ListOf(env_.lingue, error_text::kServiceKey);
  service_low_ = ListOf(env_.lingue, error_text::kServiceLowKey);
}

std::string FrmError::StateText(std::size_t row, int word) const {
  const CatalogueEntry& e = rows_[row].entry;
  const bool injector = row == kInjectorErrors[0] || row == kInjectorErrors[1];
  if (injector) {
    return word >= 1 && word <= kMaxInjector ? e.texts[1] + " Inj " + std::to_string(word)
                                             : e.texts[0];
  }
  if (word == kStatePresent) {
    return e.texts[1];
  }
  return word == kStateSecond ? e.texts[2] : e.texts[0];
}

void FrmError::VisualizzaErrori() {
  const Bytes& answer = env_.table.LastAnswer(diag_entry::kErrors);
  if (answer.empty()) {
    ClearErrori();
    return;
  }
  if (shown_errors_ && *shown_errors_ == answer) {
    return;
  }
  shown_errors_ = answer;
  for (std::size_t n = 0; n < rows_.size(); ++n) {
    ErrorRow& row = rows_[n];
    row.current_state = env_.table.Value(diag_entry::kErrors, n);
    row.stored_state = env_.table.Value(diag_entry::kErrors, n + kStoredOffset);
    row.current = StateText(n, row.current_state);
    row.stored = StateText(n, row.stored_state);
  }
}

void FrmError::ClearErrori() {
  shown_errors_.reset();
  for (ErrorRow& row : rows_) {
    row.current = row.stored = row.entry.texts[0];
    row.current_state = row.stored_state = 0;
  }
}

void FrmError::AggiornaAbilitazioni() {
  for (std::size_t n = 0; n < rows_.size(); ++n) {
    const std::int32_t v =
        env_.table.Value(diag_entry::kBlock6, kFirstEnableField + static_cast<std::size_t>(n));
    rows_[n].monitored = (v & kMonitorBit) != 0;
    rows_[n].second_action = (v & kSecondActionBit) != 0;
  }
}

void FrmError::ClickGrid(int row, int col) {
  const bool data_row = row >= 1 && row <= static_cast<int>(rows_.size());
  if (!data_row || (col != error_column::kMonitored && col != error_column::kSecondAction)) {
    grid_tag_ = false;
    edit_value_ = edit_field_ = 0;
    return;
  }
  const std::int32_t field = kFirstEnableField + row - 1;
  std::int32_t v = env_.table.Value(diag_entry::kBlock6, static_cast<std::size_t>(field));
  if (col == error_column::kMonitored) {
    v = (v ^ kMonitorBit) & ~kSecondActionBit;
  } else {
    v ^= kSecondActionBit;
    if ((v & kSecondActionBit) != 0) {
      v |= kMonitorBit;
    }
  }
  edit_value_ = v;
  edit_field_ = field;
  grid_tag_ = true;
}

void FrmError::RichiediAggiornamentoErrori() {
  const std::int64_t now = env_.clock.NowMicros();
  if (now > next_refresh_us_ && env_.session.SlotFree()) {
    (void)env_.session.PostRequest(request::kReadErrors);
    // The counters move while the engine runs: the live poll reads block 2.
    env_.session.SetPollMarker(session::poll_marker::kReadBlock2);
    next_refresh_us_ = now + kRefreshUs;
  }
  if (erase_tag_ && env_.session.SlotFree()) {
    erase_tag_ = false;
    if (EraseAllowed()) {
      (void)env_.session.PostRequest(request::kEraseErrors);
    } else {
      env_.box.Show(texts_.erase_refused, env_.main_title, platform::BoxKind::Critical);
    }
  } else if (grid_tag_ && env_.session.SlotFree()) {
    env_.session.Lists().Append(diag_entry::kBlock6, {edit_value_, edit_field_, 0});
    if (!env_.session.PostRequest(request::kEntry15List)) {
      env_.session.Lists().Clear(diag_entry::kBlock6);
      return;
    }
    grid_tag_ = false;
  }
}

bool FrmError::EraseAllowed() const {
  return (env_.table.Value(diag_entry::kLive, kEraseAllowedField) & kEraseAllowedBit) != 0;
}

void FrmError::AggiornaVisualizzazioni() {
  const auto value = [this](std::size_t field) {
    return static_cast<long long>(env_.table.Value(diag_entry::kBlock2, field));
  };
  counters_.gas = HoursDotMinutes(60 * value(counter::kGasHours) + value(counter::kSharedMinutes));
  counters_.petrol =
      HoursDotMinutes(60 * value(counter::kPetrolHours) + value(counter::kPetrolMinutes));
  const long long interval = value(counter::kInterval) & counter::kHoursMask;
  if (interval == 0) {
    counters_.to_service = " - - ";
    counters_.overdue = false;
  } else {
    const long long left =
        60 * interval - (60 * value(counter::kSinceService) + value(counter::kSharedMinutes));
    counters_.overdue = left < 0;
    counters_.to_service = left < 0 ? " -" + HoursDotMinutes(-left) : HoursDotMinutes(left);
  }
  ShowServiceLists(static_cast<int>(interval));
}

void FrmError::ShowServiceLists(int hours) {
  updating_ = true;
  Select(service_, hours);
  Select(service_low_, hours);
  updating_ = false;
}

bool FrmError::LowListShown() const {
  return env_.image.generation <= kLastLowGeneration && !service_low_.items.empty();
}

void FrmError::PostCounterWrite(std::int32_t field, std::int32_t value) {
  if (!env_.session.SlotFree()) {
    return;
  }
  env_.session.Lists().Append(diag_entry::kBlock2, {value, field, 0});
  if (!env_.session.PostRequest(request::kEntry2List)) {
    env_.session.Lists().Clear(diag_entry::kBlock2);
  }
}

void FrmError::ResetGasCounter() {
  PostCounterWrite(counter::kGasHours, counter::kReset);
}

void FrmError::ResetPetrolCounter() {
  PostCounterWrite(counter::kPetrolHours, counter::kReset);
}

void FrmError::RestartService() {
  // OR, not +32768: an interval that already carries the restart bit keeps
  // it instead of wrapping into the next word.
  PostCounterWrite(counter::kInterval,
                   env_.table.Value(diag_entry::kBlock2, counter::kInterval) | counter::kRestart);
}

void FrmError::ChooseService(bool low_list, int index) {
  ServiceList& list = low_list ? service_low_ : service_;
  if (updating_ || index < 0 || index >= static_cast<int>(list.hours.size()) ||
      !env_.session.SlotFree()) {
    return;
  }
  const int hours = list.hours[static_cast<std::size_t>(index)];
  if (hours < 0) {
    return;
  }
  list.index = index;
  PostCounterWrite(counter::kInterval, (hours & counter::kHoursMask) | counter::kRestart);
}

void FrmError::Shown() {
  shown_errors_.reset();
  VisualizzaErrori();
  AggiornaAbilitazioni();
  AggiornaVisualizzazioni();
}

void FrmError::LiveTick() {
  RichiediAggiornamentoErrori();
  VisualizzaErrori();
  AggiornaAbilitazioni();
  AggiornaVisualizzazioni();
}

}  // namespace velmora::diag
