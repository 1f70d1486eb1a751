#include "link/port_com.h"

#include <vector>

#include "core/files.h"
#include "core/text.h"
#include "link/port_registry.h"

namespace velmora::link {

std::optional<int> ReadRememberedPort(const std::string& port_com_file) {
  std::vector<std::string> lines;
  if (!core::LeggiRighe(port_com_file, lines) || lines.empty()) {
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
