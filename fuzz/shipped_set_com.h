#pragma once

// The shipped SetCom.ini, read once per process: targets that decode ECU
// answers use its message table and firmware lists, as the workstation does.

#include <string>
#include <vector>

#include "core/files.h"
#include "core/set_com.h"

namespace velmora::fuzz {

inline const core::SetComConfig& ShippedSetCom() {
  static const core::SetComConfig config = [] {
    std::vector<std::string> lines;
    (void)core::LeggiRighe(std::string(VELMORA_DATA_DIR) + "/bin/SetCom.ini", lines);
    return core::LeggiSetCom(lines);
  }();
  return config;
}

}  // namespace velmora::fuzz
