#include "core/key_file.h"

namespace velmora::core {

bool IsBracketKey(std::string_view line) {
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

std::vector<std::string> KeyFileCursor::TakeKey(std::size_t n) {
  std::vector<std::string> values;
  ++pos_;  // the key line
  // A damaged file with a value line missing must not swallow the next key.
  while (values.size() < n && pos_ < lines_.size() && !IsBracketKey(lines_[pos_])) {
    values.push_back(lines_[pos_++]);
  }
  return values;
}

std::vector<std::string> KeyFileCursor::TakeUntil(std::string_view end) {
  std::vector<std::string> values;
  ++pos_;
  while (pos_ < lines_.size()) {
    if (lines_[pos_] == end) {
      ++pos_;
      break;
    }
    values.push_back(lines_[pos_++]);
  }
  return values;
}

}  // namespace velmora::core
