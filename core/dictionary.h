#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::core {

// One language of the dictionary: the same ordered entries in every language.
struct Language {
  std::int16_t index = 0;
  std::string name;  // as written in its header, leading "#" included
  std::int16_t charset = 1;
  std::vector<std::string> entries{std::string()};
};

// The multilingual dictionary and the remembered language choice.
class ClsLingue {
 public:
  ClsLingue();

  // The chosen language: the first numeric line of the choice file, -1 when
  // the file is missing or holds no number.
  [[nodiscard]] std::int16_t IdLingua() const { return language_id_; }
  // Rewrites the choice file (when it exists) to hold just the number.
  void SetIdLingua(std::int16_t index);

  [[nodiscard]] std::string NomeLingua(int index) const;
  void NuovaLingua(const std::string& name);
  [[nodiscard]] std::int16_t UboundLingue() const { return count_; }
  [[nodiscard]] std::int16_t UboundVoci() const;
  [[nodiscard]] std::int16_t UboundVociLingua(int index) const;

  void LoadDizionario();
  // The languages of a dictionary text already in memory; the choice is kept.
  void ParseDizionario(std::string_view text);
  // The dictionary as SaveDizionario writes it.
  [[nodiscard]] std::string DictionaryText() const;
  // Rewrites the dictionary as plain text, only when the file exists.
  bool SaveDizionario() const;

  [[nodiscard]] const std::string& PathDizionario() const { return dictionary_path_; }
  void SetPathDizionario(std::string path) { dictionary_path_ = std::move(path); }
  [[nodiscard]] const std::string& PathAttualeLingua() const { return path_choice_; }
  void SetPathAttualeLingua(std::string path);

  [[nodiscard]] std::string VoceDizionario(int language, int entry) const;
  void SetVoceDizionario(int language, int entry, const std::string& text);
  void NuovaVoce(int position, const std::string& text);
  void EliminaVoce(int entry);
  void EliminaLingua(int language);
  [[nodiscard]] std::int16_t CharsetLingua(int language) const;

  // The first entry of language 0 equal to `marker`; 0 when there is none.
  [[nodiscard]] int MarkerOffset(std::string_view marker) const;
  // Text k of a window whose marker sits at `offset`, in the chosen language.
  [[nodiscard]] std::string Testo(int offset, int k) const {
    return VoceDizionario(language_id_, offset + k);
  }

 private:
  [[nodiscard]] std::int16_t ReadChoiceFile() const;
  // Reads the choice file, or makes it when it is missing.
  void LoadChoice();
  [[nodiscard]] bool ValidLanguage(int index) const;

  std::int16_t count_ = -1;
  std::vector<Language> languages_;
  std::string dictionary_path_;
  std::string path_choice_;
  std::int16_t language_id_ = -1;
};

// The language index a choice file's text holds: its first numeric line,
// -1 when there is none.
[[nodiscard]] std::int16_t ParseLanguageChoice(std::string_view text);

// Choosing language L: remember it and give it the application title.
void ChooseLanguage(ClsLingue& dictionary, std::int16_t index, const std::string& title);

}  // namespace velmora::core
