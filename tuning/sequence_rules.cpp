#include "tuning/sequence_rules.h"

#include <algorithm>

namespace velmora::tuning {

namespace sf = sequence_field;

int CylinderCount(const link::MessageTable& table) {
  return std::clamp(table.Value(sf::kConfigEntry, sf::kCylinderCount), 0, sf::kMaxChannels);
}

bool IsStraightSequence(const link::MessageTable& table) {
  const int n = CylinderCount(table);
  for (int i = 0; i < n; ++i) {
    const auto field = sf::kFirstOutput + static_cast<std::size_t>(i);
    if (table.Value(sf::kSequenceEntry, field) != i) {
      return false;
    }
  }
  return true;
}

bool IsShiftedSequence(const link::MessageTable& table) {
  const int mode = table.Value(sf::kSequenceEntry, sf::kMode);
  return !IsStraightSequence(table) && mode != 1 && mode != 2;
}

}  // namespace velmora::tuning
