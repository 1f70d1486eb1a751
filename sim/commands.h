#pragma once

#include <cstdint>

#include "sim/command_table.h"
#include "sim/ecu_memory.h"
#include "sim/hardware.h"

namespace velmora::sim {

// What the command families need to know about the ECU they make up.
struct SimSetup {
  Hardware hardware = Hardware::kNex;
  std::int64_t slow_command_us = 1'500'000;
};

// Names of the memory regions (also the keys of the state file).
namespace region {
inline constexpr const char* kBank1 = "BANK1";
inline constexpr const char* kBank2 = "BANK2";
inline constexpr const char* kBank3 = "BANK3";
inline constexpr const char* kCompanion = "COMPANION";
inline constexpr const char* kTBenz = "TBENZ";
inline constexpr const char* kTGas = "TGAS";
inline constexpr const char* kTRisult = "TRISULT";
inline constexpr const char* kTIsto = "TISTO";
inline constexpr const char* kBlock2 = "BLK2";
inline constexpr const char* kBlock3 = "BLK3";
inline constexpr const char* kConnection = "COLL";
}  // namespace region

// One registration function per command family, each in its own file.
void RegisterIdentification(CommandTable& table, EcuMemory& memory, const SimSetup& setup);
void RegisterBanks(CommandTable& table, EcuMemory& memory, const SimSetup& setup);
void RegisterTuningTables(CommandTable& table, EcuMemory& memory, const SimSetup& setup);
void RegisterBlocks(CommandTable& table, EcuMemory& memory, const SimSetup& setup);
void RegisterSlowCommand(CommandTable& table, EcuMemory& memory, const SimSetup& setup);

// Every family above; a new family adds one line there.
void RegisterAllCommands(CommandTable& table, EcuMemory& memory, const SimSetup& setup);

}  // namespace velmora::sim
