#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace velmora::sim {

// The virtual ECU's memory as named regions of fixed size. Each command file
// declares the regions it serves, so a new block is one new file and the state
// file picks it up without further code.
class EcuMemory {
 public:
  // Declares a region with its initial contents; a name already declared
  // keeps its first declaration.
  void Define(const std::string& name, Bytes initial);
  // The region's bytes; an empty span for a name never declared.
  [[nodiscard]] std::span<std::uint8_t> Region(std::string_view name);
  [[nodiscard]] std::span<const std::uint8_t> Region(std::string_view name) const;
  [[nodiscard]] const std::map<std::string, Bytes, std::less<>>& Regions() const {
    return regions_;
  }

  // Bracket-key text: a "[NAME]" line, then the region as hexadecimal.
  [[nodiscard]] std::string ToText() const;
  // Takes every region of the text that is declared here and has the declared
  // size; anything else in the text is ignored. Returns how many were taken.
  int FromText(std::string_view text);

 private:
  std::map<std::string, Bytes, std::less<>> regions_;
};

}  // namespace velmora::sim
