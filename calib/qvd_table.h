#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace velmora::calib {

// The direct-injection reference block of ConfigScale.ini (older ECU family).
namespace qvd {
inline constexpr const char* kStart = "[QVD_TAB_START]";
inline constexpr const char* kRpm = "[QVD_RPM]";
inline constexpr const char* kMap = "[QVD_MAP]";
inline constexpr const char* kEnd = "[QVD_TAB_END]";
inline constexpr char kSep = '|';
inline constexpr std::size_t kMaxBreakpoints = 24;
inline constexpr std::size_t kMaxMapLines = 23;
}  // namespace qvd

using QvdPair = std::pair<std::int32_t, std::int32_t>;

struct QvdTable {
  bool present = false;           // the block start was found
  std::vector<std::int32_t> rpm;  // at most 24 breakpoints
  std::vector<QvdPair> map;       // at most 23 two-column lines
  std::vector<QvdPair> extra;     // the open-ended list after them
};

// Reads the first reference block from the top of the lines. The block ends
// at "[QVD_TAB_END]", at any other key line or at the end of the input, so a
// block whose end line was lost never swallows the keys after it. A missing
// value of a pair reads as 0; blank and ";" comment lines of the open list
// carry no pair.
[[nodiscard]] QvdTable ReadQvdTable(const std::vector<std::string>& lines);

}  // namespace velmora::calib
