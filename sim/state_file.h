#pragma once

#include <string>

#include "sim/ecu_memory.h"

namespace velmora::sim {

// Loads the memory saved by an earlier run; false (memory untouched) when
// the file cannot be read. Regions missing from the file keep their values.
[[nodiscard]] bool LoadState(const std::string& path, EcuMemory& memory);

// Saves the memory so that a crash mid-way leaves the previous file whole.
[[nodiscard]] bool SaveState(const std::string& path, const EcuMemory& memory);

}  // namespace velmora::sim
