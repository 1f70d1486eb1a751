#include "diag/error_catalogue.h"

#include <algorithm>

#include "core/text.h"
#include "diag/diag_text.h"

namespace velmora::diag {

CatalogueEntry ParseCatalogueEntry(std::string_view entry) {
  CatalogueEntry e;
  const std::size_t mark = entry.find('?');
  e.name = core::Trim(entry.substr(0, mark));
  if (mark == std::string_view::npos) {
    return e;
  }
  const auto parts = core::Split(entry.substr(mark + 1), '|');
  for (std::size_t i = 0; i < e.texts.size() && i < parts.size(); ++i) {
    e.texts[i] = core::Trim(parts[i]);
  }
  return e;
}

std::optional<std::vector<CatalogueEntry>> LoadCatalogue(const core::ClsLingue& lingue) {
  const int open = KeyIndex(lingue, catalogue_key::kOpen);
  const int close = KeyIndex(lingue, catalogue_key::kClose);
  if (open < 0 || close < 0) {
    return std::nullopt;
  }
  // Only as many errors as the memory holds states for: a longer catalogue
  // would name fields past the entry, reversed markers name none.
  const int count = std::clamp(close - open - 1, 0, static_cast<int>(kMaxErrors));
  std::vector<CatalogueEntry> errors;
  errors.reserve(static_cast<std::size_t>(count));
  for (int k = 1; k <= count; ++k) {
    errors.push_back(ParseCatalogueEntry(EntryText(lingue, open + k)));
  }
  return errors;
}

}  // namespace velmora::diag
