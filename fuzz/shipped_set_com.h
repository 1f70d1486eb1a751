#pragma once

// The shipped SetCom.ini, read once per process: targets that decode ECU
// answers use its message table and firmware lists, as the workstation does.
// The repository keeps it with LF lines (installing makes them CR LF), so
// both line ends are taken here.

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/files.h"
#include "core/set_com.h"

namespace velmora::fuzz {

inline const core::SetComConfig& ShippedSetCom() {
  static const core::SetComConfig config = [] {
    std::string text;
    (void)core::ReadWholeFile(std::string(VELMORA_DATA_DIR) + "/bin/SetCom.ini", text);
    std::vector<std::string> lines;
    std::string_view rest = text;
    while (!rest.empty()) {
      const auto end = std::min(rest.find('\n'), rest.size());
      std::string_view line = rest.substr(0, end);
      if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
      }
      lines.emplace_back(line);
      rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return core::LeggiSetCom(lines);
  }();
  return config;
}

}  // namespace velmora::fuzz
