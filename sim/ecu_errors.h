#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace velmora::sim {

// An error the virtual ECU starts with: its number (0..31) and the state
// its memory words hold (1 present, 2 the second state; for the injector
// errors 20 and 24 the injector, 1..8).
struct EcuError {
  int number = 0;
  int state = 1;
  friend bool operator==(const EcuError&, const EcuError&) = default;
};

// "CODE[:STATE][,CODE[:STATE]...]", such as "20:3,12"; nullopt for anything
// else.
[[nodiscard]] std::optional<std::vector<EcuError>> ParseEcuErrors(std::string_view text);

}  // namespace velmora::sim
