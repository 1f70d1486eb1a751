#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dictionary.h"

namespace velmora::diag {

// The error memory holds the current and the stored state of 32 errors.
inline constexpr std::size_t kMaxErrors = 32;

namespace catalogue_key {
inline constexpr std::string_view kOpen = "[ERROR_ECU_max_255]";
inline constexpr std::string_view kClose = "[END_ERROR_ECU]";
}  // namespace catalogue_key

// One error of the catalogue: its name and the texts of its states (no
// error, state 1, state 2).
struct CatalogueEntry {
  std::string name;
  std::array<std::string, 3> texts;
  friend bool operator==(const CatalogueEntry&, const CatalogueEntry&) = default;
};

// "name?text0|text1|text2", each part trimmed and a missing part empty; an
// entry without "?" is all name.
[[nodiscard]] CatalogueEntry ParseCatalogueEntry(std::string_view entry);

// The catalogue between its markers in the reading language; nullopt when a
// marker is missing. Markers in the wrong order give no errors, and a
// catalogue longer than the error memory is cut to it.
[[nodiscard]] std::optional<std::vector<CatalogueEntry>> LoadCatalogue(
    const core::ClsLingue& lingue);

}  // namespace velmora::diag
