#include "calib/int_list.h"

#include "core/text.h"

namespace velmora::calib {

std::vector<std::int32_t> ParseIntList(std::string_view line, char sep, std::size_t max_count) {
  std::vector<std::int32_t> out;
  if (core::Trim(line).empty() || max_count == 0) {
    return out;
  }
  std::size_t start = 0;
  while (out.size() < max_count) {
    const std::size_t pos = line.find(sep, start);
    const std::string_view item =
        line.substr(start, pos == std::string_view::npos ? std::string_view::npos : pos - start);
    out.push_back(core::ParseInt32(item).value_or(0));
    if (pos == std::string_view::npos) {
      break;
    }
    start = pos + 1;
  }
  return out;
}

}  // namespace velmora::calib
