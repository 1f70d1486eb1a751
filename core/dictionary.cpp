#include "core/dictionary.h"

#include <algorithm>
#include <iterator>
#include <limits>

#include "core/files.h"
#include "core/text.h"

namespace velmora::core {

namespace {

constexpr std::string_view kLanguageStart = "###";
constexpr std::string_view kBlank = "_BLANK_";

std::int16_t ToInt16(std::int32_t v) {
  return static_cast<std::int16_t>(std::clamp<std::int32_t>(
      v, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

// Reads the lines of diz.diz into languages: a "###" line starts a language
// whose header follows, empty and "VELTRANO" lines are skipped, every other
// line is the next entry of the current language.
class DictionaryReader {
 public:
  DictionaryReader(const std::vector<std::string>& lines, std::vector<Language>& languages,
                   std::int16_t& count)
      : lines_(lines), languages_(languages), count_(count) {}

  void Run();

  // The readers of the three kinds of line.
  void Skip(const std::string& /*line*/) {}

  void StartLanguage(const std::string& /*line*/) {
    // A language needs a header and at least one more line.
    if (at_ + 2 >= lines_.size()) {
      done_ = true;
      return;
    }
    ++count_;
    if (count_ > 0) {
      languages_.push_back(Language{});
    }
    Language& lang = languages_.back();
    lang.index = count_;
    lang.entries.assign(1, std::string());
    entry_ = 0;
    const std::string& header = lines_[++at_];
    const auto amp = header.find('&');
    lang.name = header.substr(0, amp);
    lang.charset = 1;
    if (amp != std::string::npos) {
      if (auto cs = ParseInt32(std::string_view(header).substr(amp + 1))) {
        lang.charset = ToInt16(*cs);
      }
    }
  }

  void Entry(const std::string& line) {
    if (count_ < 0) {
      return;  // text before the first language belongs to none
    }
    auto& entries = languages_.back().entries;
    if (entries.size() <= entry_) {
      entries.resize(entry_ + 1);
    }
    entries[entry_++] = line;
  }

 private:
  const std::vector<std::string>& lines_;
  std::vector<Language>& languages_;
  std::int16_t& count_;
  std::size_t at_ = 0;
  std::size_t entry_ = 0;
  bool done_ = false;
};

// The lines read otherwise than as an entry.
struct LineRule {
  std::string_view text;
  void (DictionaryReader::*read)(const std::string& line);
};
constexpr LineRule kLineRules[] = {
    {"", &DictionaryReader::Skip},
    {"VELTRANO", &DictionaryReader::Skip},
    {kLanguageStart, &DictionaryReader::StartLanguage},
};

void DictionaryReader::Run() {
  count_ = -1;
  languages_.assign(1, Language{});
  for (at_ = 0; at_ < lines_.size() && !done_; ++at_) {
    const std::string& line = lines_[at_];
    const auto rule = std::find_if(std::begin(kLineRules), std::end(kLineRules),
                                   [&](const LineRule& r) { return line == r.text; });
    (this->*(rule != std::end(kLineRules) ? rule->read : &DictionaryReader::Entry))(line);
  }
}

// The folder part of a path with its last separator; empty for a bare name.
std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

}  // namespace

ClsLingue::ClsLingue() {
  languages_.push_back(Language{});
}

std::int16_t ParseLanguageChoice(std::string_view text) {
  for (const auto& l : SplitCrLf(text)) {
    // Each line may also end in a bare LF when edited by hand.
    std::string_view t = l;
    while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) {
      t.remove_suffix(1);
    }
    if (auto n = ParseInt32(t)) {
      return ToInt16(*n);
    }
  }
  return -1;
}

std::int16_t ClsLingue::ReadChoiceFile() const {
  std::string text;
  if (!ReadWholeFile(path_choice_, text)) {
    return -1;
  }
  return ParseLanguageChoice(text);
}

void ClsLingue::SetPathAttualeLingua(std::string path) {
  path_choice_ = std::move(path);
  language_id_ = ReadChoiceFile();
}

void ClsLingue::SetIdLingua(std::int16_t index) {
  if (EsisteFile(path_choice_)) {
    (void)WriteFileAtomic(path_choice_, std::to_string(index) + "\r\n");
  }
  language_id_ = ReadChoiceFile();
}

bool ClsLingue::ValidLanguage(int index) const {
  return index >= 0 && static_cast<std::size_t>(index) < languages_.size();
}

std::string ClsLingue::NomeLingua(int index) const {
  if (!ValidLanguage(index)) {
    return {};
  }
  const std::string& n = languages_[static_cast<std::size_t>(index)].name;
  if (n.size() >= 2 && n[0] == '#') {
    return n.substr(1);
  }
  return {};
}

void ClsLingue::NuovaLingua(const std::string& name) {
  for (const auto& l : languages_) {
    if (!l.name.empty() && l.name == name) {
      return;
    }
  }
  for (auto& l : languages_) {
    if (l.name.empty()) {
      l.name = name;
      l.charset = 1;
      l.entries.assign(1, std::string());
      count_ = std::max<std::int16_t>(count_, l.index);
      return;
    }
  }
  Language l;
  l.index = ToInt16(static_cast<std::int32_t>(languages_.size()));
  l.name = name;
  languages_.push_back(std::move(l));
  count_ = ToInt16(static_cast<std::int32_t>(languages_.size()) - 1);
}

std::int16_t ClsLingue::UboundVoci() const {
  return UboundVociLingua(0);
}

std::int16_t ClsLingue::UboundVociLingua(int index) const {
  if (!ValidLanguage(index)) {
    return -1;
  }
  return ToInt16(
      static_cast<std::int32_t>(languages_[static_cast<std::size_t>(index)].entries.size()) - 1);
}

void ClsLingue::LoadDizionario() {
  std::string text;
  (void)ReadWholeFile(dictionary_path_, text);  // a missing file leaves one empty language
  ParseDizionario(text);
  LoadChoice();
}

void ClsLingue::ParseDizionario(std::string_view text) {
  DictionaryReader(SplitCrLf(text), languages_, count_).Run();
}

void ClsLingue::LoadChoice() {
  if (EsisteFile(path_choice_)) {
    language_id_ = ReadChoiceFile();
    if (language_id_ > count_) {
      SetIdLingua(0);
    }
    return;
  }
  // The choice file is made with the dictionary's name, holding -1, in the
  // folder the choice was expected in: next to the dictionary in a writable
  // installation, in the user's own folder beside a read-only one.
  const std::string folder =
      FolderOf(path_choice_).empty() ? FolderOf(dictionary_path_) : FolderOf(path_choice_);
  std::string name = dictionary_path_.substr(FolderOf(dictionary_path_).size());
  const auto pos = name.rfind("diz");
  if (pos != std::string::npos) {
    name.replace(pos, 3, "con");
  } else {
    name += ".con";
  }
  path_choice_ = folder + name;
  if (WriteFileAtomic(path_choice_, " \r\n")) {
    SetIdLingua(-1);
  } else {
    language_id_ = -1;
  }
}

bool ClsLingue::SaveDizionario() const {
  if (!EsisteFile(dictionary_path_)) {
    return false;
  }
  return WriteFileAtomic(dictionary_path_, DictionaryText());
}

std::string ClsLingue::DictionaryText() const {
  std::vector<std::string> out;
  for (const auto& l : languages_) {
    if (l.index > count_) {
      break;
    }
    out.emplace_back(kLanguageStart);
    // The character set is written too, so a saved dictionary reloads as it was.
    out.push_back(l.name + "&" + std::to_string(l.charset));
    for (const auto& v : l.entries) {
      out.push_back(v.empty() ? std::string(kBlank) : v);
    }
  }
  return JoinCrLf(out);
}

std::string ClsLingue::VoceDizionario(int language, int entry) const {
  if (!ValidLanguage(language) || language > count_ || entry < 0) {
    return {};
  }
  const auto& entries = languages_[static_cast<std::size_t>(language)].entries;
  if (static_cast<std::size_t>(entry) >= entries.size()) {
    return {};
  }
  return entries[static_cast<std::size_t>(entry)];
}

void ClsLingue::SetVoceDizionario(int language, int entry, const std::string& text) {
  if (!ValidLanguage(language) || entry < 0) {
    return;
  }
  auto& entries = languages_[static_cast<std::size_t>(language)].entries;
  if (entries.size() <= static_cast<std::size_t>(entry)) {
    entries.resize(static_cast<std::size_t>(entry) + 1);
  }
  entries[static_cast<std::size_t>(entry)] = text;
}

void ClsLingue::NuovaVoce(int position, const std::string& text) {
  for (auto& l : languages_) {
    const auto at =
        static_cast<std::size_t>(std::clamp<int>(position, 0, static_cast<int>(l.entries.size())));
    l.entries.insert(l.entries.begin() + static_cast<std::ptrdiff_t>(at), text);
  }
}

void ClsLingue::EliminaVoce(int entry) {
  if (entry < 0) {
    return;
  }
  for (auto& l : languages_) {
    const auto at = static_cast<std::size_t>(entry);
    if (at >= l.entries.size()) {
      continue;
    }
    l.entries.erase(l.entries.begin() + static_cast<std::ptrdiff_t>(at));
    l.entries.emplace_back();
  }
}

void ClsLingue::EliminaLingua(int language) {
  if (!ValidLanguage(language)) {
    return;
  }
  languages_.erase(languages_.begin() + language);
  if (languages_.empty()) {
    languages_.push_back(Language{});
    count_ = -1;
    return;
  }
  for (std::size_t i = 0; i < languages_.size(); ++i) {
    languages_[i].index = ToInt16(static_cast<std::int32_t>(i));
  }
  if (count_ >= 0) {
    --count_;
  }
}

std::int16_t ClsLingue::CharsetLingua(int language) const {
  if (!ValidLanguage(language)) {
    return 1;
  }
  return languages_[static_cast<std::size_t>(language)].charset;
}

int ClsLingue::MarkerOffset(std::string_view marker) const {
  const auto& entries = languages_.front().entries;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == marker) {
      return static_cast<int>(i);
    }
  }
  return 0;
}

void ChooseLanguage(ClsLingue& dictionary, std::int16_t index, const std::string& title) {
  dictionary.SetIdLingua(index);
  dictionary.SetVoceDizionario(index, 0, title);
}

}  // namespace velmora::core
