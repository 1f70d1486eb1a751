#include "pages/config_page_lists.h"

#include <algorithm>

#include "core/text.h"

namespace velmora::pages {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The leading "[-]digits[(.|,)digits]" of `s`, written with ".".
std::string LeadingNumberText(std::string_view s) {
  std::string out;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
    out.push_back(s[i++]);
  }
  bool digits = false;
  while (i < s.size() && IsDigit(s[i])) {
    out.push_back(s[i++]);
    digits = true;
  }
  if (digits && i + 1 < s.size() && (s[i] == '.' || s[i] == ',') && IsDigit(s[i + 1])) {
    out.push_back('.');
    ++i;
    while (i < s.size() && IsDigit(s[i])) {
      out.push_back(s[i++]);
    }
  }
  return digits ? out : std::string();
}

}  // namespace

std::optional<double> ItemNumber(std::string_view item) {
  const std::string number = LeadingNumberText(core::Trim(item));
  if (number.empty()) {
    return std::nullopt;
  }
  return core::PlainDecimal(number);
}

std::int64_t Thousandths(double number) {
  constexpr double kPerUnit = 1000;
  return core::RoundHalfEven(number * kPerUnit);
}

std::optional<double> ParseEntered(std::string_view text) {
  // A comma is read as the decimal separator whatever the system says.
  return core::ParseDecimal(text, ',');
}

std::vector<std::string> KeyItems(const core::ClsLingue& lingue, std::string_view key) {
  const int at = lingue.MarkerOffset(key);
  if (at <= 0) {
    return {};
  }
  const std::string line = lingue.Testo(at, 1);
  if (core::Trim(line).empty()) {
    return {};
  }
  return SplitItems(line);
}

std::vector<std::string> SplitItems(std::string_view list) {
  std::vector<std::string> items;
  for (const std::string& item : core::Split(list, '|')) {
    items.emplace_back(core::Trim(item));
  }
  return items;
}

std::int32_t ClampTo(std::int64_t value, std::int32_t lo, std::int32_t hi) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, lo, hi));
}

bool PostRecords(PageSession& session, int code, const std::vector<EntryRecord>& records) {
  if (!session.SlotFree()) {
    return false;
  }
  for (const EntryRecord& r : records) {
    (void)session.Lists().Append(r.entry, r.record);
  }
  if (session.PostRequest(code)) {
    return true;
  }
  for (const EntryRecord& r : records) {
    session.Lists().Clear(r.entry);
  }
  return false;
}

void ShownBlocks::Remember(const link::MessageTable& table, const Bytes* record) {
  answers_.clear();
  for (const std::size_t entry : entries_) {
    answers_.push_back(table.LastAnswer(entry));
  }
  record_ = record != nullptr ? *record : Bytes{};
}

bool ShownBlocks::Changed(const link::MessageTable& table, const Bytes* record) const {
  if (answers_.size() != entries_.size()) {
    return true;
  }
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (table.LastAnswer(entries_[i]) != answers_[i]) {
      return true;
    }
  }
  return record != nullptr && *record != record_;
}

}  // namespace velmora::pages
