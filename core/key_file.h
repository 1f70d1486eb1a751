#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::core {

// True for a line that is a name in square brackets, such as "[SPARK]".
[[nodiscard]] bool IsBracketKey(std::string_view line);

// Walks the lines of a bracket-key file: a key line, then its value lines.
// Value reads stop at the end of the input: a key near the end yields fewer
// values, and the reader never looks past the last line.
class KeyFileCursor {
 public:
  explicit KeyFileCursor(const std::vector<std::string>& lines) : lines_(lines) {}

  [[nodiscard]] bool Done() const { return pos_ >= lines_.size(); }
  [[nodiscard]] const std::string& Line() const { return lines_[pos_]; }
  // Moves past the current line.
  void Next() { ++pos_; }
  // Consumes the current key line and up to `n` value lines after it; stops
  // early at the end of input or at the next key line.
  [[nodiscard]] std::vector<std::string> TakeKey(std::size_t n);
  // Consumes the current key line and the value lines up to (not including)
  // the first line equal to `end`, which is consumed too when present.
  [[nodiscard]] std::vector<std::string> TakeUntil(std::string_view end);

 private:
  const std::vector<std::string>& lines_;
  std::size_t pos_ = 0;
};

}  // namespace velmora::core
