#pragma once

#include <string>
#include <string_view>

#include "core/dictionary.h"

namespace velmora::core {

// The texts of one window's block of the dictionary, in the chosen language,
// with built-in fallbacks: a dictionary without the block, or with an empty
// entry, keeps the caller's own text.
class TextBlock {
 public:
  TextBlock() = default;
  // Entry 0 is the language's title, so a found marker is never at 0.
  TextBlock(const ClsLingue& lingue, std::string_view marker)
      : lingue_(&lingue), offset_(lingue.MarkerOffset(marker)) {}

  [[nodiscard]] bool Found() const { return lingue_ != nullptr && offset_ > 0; }

  // Text k of the block, or `fallback`.
  [[nodiscard]] std::string Text(int k, std::string_view fallback) const {
    std::string t = Found() ? lingue_->Testo(offset_, k) : std::string();
    return t.empty() ? std::string(fallback) : t;
  }

  // Replaces `into` with text k when the dictionary has it.
  void Take(int k, std::string& into) const { into = Text(k, into); }

 private:
  const ClsLingue* lingue_ = nullptr;
  int offset_ = 0;
};

// The application title in the chosen language (entry 0), or `fallback`.
[[nodiscard]] inline std::string TitleText(const ClsLingue& lingue, std::string_view fallback) {
  std::string t = lingue.VoceDizionario(lingue.IdLingua(), 0);
  return t.empty() ? std::string(fallback) : t;
}

}  // namespace velmora::core
