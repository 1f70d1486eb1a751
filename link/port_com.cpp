#include "link/port_com.h"

#include <vector>

#include "core/files.h"
#include "core/text.h"
#include "link/port_registry.h"

namespace velmora::link {

std::optional<int> ReadRememberedPort(const std::string& port_com_file) {
  std::string text;
  if (!core::ReadWholeFile(port_com_file, text)) {
    return std::nullopt;
  }
  return ParseRememberedPort(text);
}

std::optional<int> ParseRememberedPort(std::string_view text) {
  const std::vector<std::string> lines = core::SplitCrLf(text);
  if (lines.empty()) {
    return std::nullopt;
  }
  const auto number = core::ParseInt32(lines.front());
  if (!number || *number < 0 || *number > kMaxPortNumber) {
    return std::nullopt;
  }
  return *number;
}

bool WriteRememberedPort(const std::string& port_com_file, int number) {
  if (number < 0 || number > kMaxPortNumber) {
    return false;
  }
  return core::WriteFileAtomic(port_com_file, core::JoinCrLf({std::to_string(number)}));
}

}  // namespace velmora::link
