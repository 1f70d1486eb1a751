#include "sim/state_file.h"

#include "core/files.h"

namespace velmora::sim {

bool LoadState(const std::string& path, EcuMemory& memory) {
  std::string text;
  if (!core::ReadWholeFile(path, text)) {
    return false;
  }
  (void)memory.FromText(text);
  return true;
}

bool SaveState(const std::string& path, const EcuMemory& memory) {
  return core::WriteFileAtomic(path, memory.ToText());
}

}  // namespace velmora::sim
