#include "diag/diag_text.h"

#include <cctype>
#include <cstdio>

#include "core/text.h"

namespace velmora::diag {

int ReadingLanguage(const core::ClsLingue& lingue) {
  const int chosen = lingue.IdLingua();
  return chosen >= 0 && chosen <= lingue.UboundLingue() ? chosen : 0;
}

int KeyIndex(const core::ClsLingue& lingue, std::string_view key) {
  const int language = ReadingLanguage(lingue);
  const int last = lingue.UboundVociLingua(language);
  for (int i = 0; i <= last; ++i) {
    if (lingue.VoceDizionario(language, i) == key) {
      return i;
    }
  }
  return -1;
}

std::string EntryText(const core::ClsLingue& lingue, int index) {
  if (index < 0 || index > lingue.UboundVociLingua(ReadingLanguage(lingue))) {
    return {};
  }
  return lingue.VoceDizionario(ReadingLanguage(lingue), index);
}

std::vector<std::string> ListAfterKey(const core::ClsLingue& lingue, std::string_view key) {
  const int at = KeyIndex(lingue, key);
  if (at < 0) {
    return {};
  }
  std::vector<std::string> items;
  for (const std::string& item : core::Split(EntryText(lingue, at + 1), '|')) {
    items.emplace_back(core::Trim(item));
  }
  return items;
}

std::optional<double> LeadingNumber(std::string_view item) {
  item = core::Trim(item);
  std::size_t end = 0;
  if (end < item.size() && (item[end] == '-' || item[end] == '+')) {
    ++end;
  }
  bool digits = false;
  bool point = false;
  std::string plain(item.substr(0, end));
  for (; end < item.size(); ++end) {
    const char c = item[end];
    if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
      digits = true;
      plain += c;
    } else if ((c == '.' || c == ',') && !point) {
      point = true;
      plain += '.';
    } else {
      break;
    }
  }
  if (!digits) {
    return std::nullopt;
  }
  if (plain.back() == '.') {
    plain.pop_back();
  }
  return core::PlainDecimal(plain);
}

std::string HoursDotMinutes(long long minutes) {
  char buf[32];
  std::snprintf(buf, sizeof buf, " %lld.%02lld", minutes / 60, minutes % 60);
  return buf;
}

}  // namespace velmora::diag
