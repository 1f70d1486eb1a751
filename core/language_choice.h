#pragma once

#include <string>
#include <vector>

#include "core/dictionary.h"

namespace velmora::core {

// One button of a language selection window.
struct LanguageOption {
  int index = 0;
  std::string caption;  // NomeLingua
};

[[nodiscard]] std::vector<LanguageOption> LanguageOptions(const ClsLingue& lingue);

// Where option `index` sits in a grid of `columns` columns, filled row by row.
struct GridCell {
  int row = 0;
  int column = 0;
};
[[nodiscard]] GridCell LanguageGridCell(int index, int columns);

// Columns for n options: a square-ish grid, at most four across.
[[nodiscard]] int LanguageGridColumns(int count);

}  // namespace velmora::core
