#pragma once

#include <array>
#include <string>

#include "core/dictionary.h"
#include "link/message_table.h"

namespace velmora::diag {

// The OBD values the OBD page and the map window show from entry 12.
struct ObdLive {
  bool read = false;  // entry 12 has answered
  int ecus = 0;
  int protocol = 0;
  int address = 0;
  bool bank2 = false;  // the second bank is in use
  // Short- and long-term trims of bank 1, then of bank 2, in percent.
  std::array<int, 4> trims{};
  std::array<int, 2> fuel_status{};  // PID 03, bank 1 and bank 2
  int average = 0;                   // of the trims of the banks in use
  [[nodiscard]] bool ClosedLoop(std::size_t bank) const;
};

[[nodiscard]] ObdLive ReadObdLive(const link::MessageTable& table);

// The texts of the fuel-system status (PID 03) bits: open loop, closed
// loop, open loop for the driving conditions, open loop for a fault,
// closed loop with a sensor fault.
struct FuelStatusTexts {
  std::array<std::string, 5> bits = {"Open loop", "Closed loop", "Open loop (driving conditions)",
                                     "Open loop (system fault)", "Closed loop (sensor fault)"};
  [[nodiscard]] std::string Of(int status) const;
};

// The fuel-system texts of the OBD block ("[Frm_MapObd]").
[[nodiscard]] FuelStatusTexts FuelStatusTextsFrom(const core::ClsLingue& lingue);

// What a value that cannot be read shows.
inline constexpr std::string_view kNoValue = " - - ";

}  // namespace velmora::diag
