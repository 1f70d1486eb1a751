#include "core/language_choice.h"

#include <algorithm>
#include <cmath>

namespace velmora::core {

std::vector<LanguageOption> LanguageOptions(const ClsLingue& lingue) {
  std::vector<LanguageOption> out;
  for (int i = 0; i <= lingue.UboundLingue(); ++i) {
    out.push_back({i, lingue.NomeLingua(i)});
  }
  return out;
}

GridCell LanguageGridCell(int index, int columns) {
  if (columns < 1) {
    columns = 1;
  }
  if (index < 0) {
    index = 0;
  }
  return {index / columns, index % columns};
}

int LanguageGridColumns(int count) {
  if (count <= 1) {
    return 1;
  }
  const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(count))));
  return std::clamp(side, 1, 4);
}

}  // namespace velmora::core
