#include "sim/ecu_memory.h"

#include <algorithm>
#include <vector>

#include "core/files.h"
#include "core/hex.h"
#include "core/key_file.h"
#include "core/text.h"

namespace velmora::sim {

void EcuMemory::Define(const std::string& name, Bytes initial) {
  regions_.try_emplace(name, std::move(initial));
}

std::span<std::uint8_t> EcuMemory::Region(std::string_view name) {
  const auto it = regions_.find(name);
  return it == regions_.end() ? std::span<std::uint8_t>() : std::span<std::uint8_t>(it->second);
}

std::span<const std::uint8_t> EcuMemory::Region(std::string_view name) const {
  const auto it = regions_.find(name);
  return it == regions_.end() ? std::span<const std::uint8_t>()
                              : std::span<const std::uint8_t>(it->second);
}

std::string EcuMemory::ToText() const {
  std::vector<std::string> lines;
  for (const auto& [name, bytes] : regions_) {
    lines.push_back("[" + name + "]");
    lines.push_back(core::BinToHex(bytes));
  }
  return core::JoinCrLf(lines);
}

int EcuMemory::FromText(std::string_view text) {
  const std::vector<std::string> lines = core::SplitCrLf(text);
  int taken = 0;
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    const std::string_view key = core::Trim(lines[i]);
    if (!core::IsBracketKey(key)) {
      continue;
    }
    const auto it = regions_.find(key.substr(1, key.size() - 2));
    if (it == regions_.end()) {
      continue;
    }
    const auto bytes = core::HexToBin(core::Trim(lines[i + 1]));
    if (bytes && bytes->size() == it->second.size()) {
      it->second = *bytes;
      ++taken;
      ++i;
    }
  }
  return taken;
}

}  // namespace velmora::sim
