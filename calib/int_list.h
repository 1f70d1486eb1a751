#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora::calib {

// The integers of one value line split at `sep`, at most `max_count` of them.
// An item that is not a 32-bit integer reads as 0, items past `max_count` are
// ignored, and a blank line holds no items at all.
[[nodiscard]] std::vector<std::int32_t> ParseIntList(std::string_view line, char sep,
                                                     std::size_t max_count);

}  // namespace velmora::calib
