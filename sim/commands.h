#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "firmware/flash_layout.h"
#include "sim/command_table.h"
#include "sim/ecu_errors.h"
#include "sim/ecu_memory.h"
#include "sim/hardware.h"

namespace velmora::sim {

// What the command families need to know about the ECU they make up.
struct SimSetup {
  Hardware hardware = Hardware::kNex;
  std::int64_t slow_command_us = 1'500'000;
  std::uint64_t seed = 1;  // the engine model's noise and throttle blips
  // Monotonic microseconds for the engine model; empty: the system clock.
  std::function<std::int64_t()> clock_us = nullptr;
  // The boot loader: the flash's sectors (empty: the factory geometry of
  // 14 sectors of 16 KB below 2^24), the erase's working time, how long the
  // ECU stays silent while it restarts after programming, and a power cut
  // after the N-th block write (0: none) lasting power_off_us.
  std::optional<firmware::FlashLayout> flash = std::nullopt;
  std::int64_t erase_us = 1'400'000;
  std::int64_t restart_us = 2'000'000;
  long power_loss_after_block = 0;
  std::int64_t power_off_us = 1'000'000;
  std::vector<EcuError> ecu_errors{};  // present from the start
  int bad_injector = 0;                // 1..8: that injector never comes right; 0: none
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
inline constexpr const char* kObdData = "OBD_DATA";
inline constexpr const char* kErrorMemory = "ERROR_ECU";
inline constexpr const char* kRpmTable = "VET_RPM";
inline constexpr const char* kTimeTable = "VET_TINJ";
inline constexpr const char* kFlash = "FLASH";  // the program flash
inline constexpr const char* kBoot = "BOOT";    // byte 0: 1 while the flash holds a firmware
}  // namespace region

// Data bytes of block 3 that other command families read.
namespace block3 {
inline constexpr std::size_t kSize = 75;
inline constexpr std::size_t kCylinders = 1;
inline constexpr std::size_t kSwitchTemperature = 2;  // degrees C
inline constexpr std::size_t kRpmFactor = 54;         // 1 or 2
inline constexpr std::size_t kLevelCurve = 32;        // six sensor steps
}  // namespace block3

// One registration function per command family, each in its own file.
void RegisterIdentification(CommandTable& table, EcuMemory& memory, const SimSetup& setup);
void RegisterBanks(CommandTable& table, EcuMemory& memory, const SimSetup& setup);
void RegisterTuningTables(CommandTable& table, EcuMemory& memory, const SimSetup& setup);
void RegisterBlocks(CommandTable& table, EcuMemory& memory, const SimSetup& setup);
void RegisterSlowCommand(CommandTable& table, EcuMemory& memory, const SimSetup& setup);
// The stored records of the message table without a family of their own.
void RegisterDataBlocks(CommandTable& table, EcuMemory& memory, const SimSetup& setup);
// The axis lookup tables of the maps.
void RegisterAxisTables(CommandTable& table, EcuMemory& memory, const SimSetup& setup);
// The commands that close a calibration load: 0x14 takes the new calibration
// into use.
void RegisterFinishCommands(CommandTable& table, EcuMemory& memory, const SimSetup& setup);
// The records the engine model keeps alive: main live record, OBD data,
// memory trace.
void RegisterLiveData(CommandTable& table, EcuMemory& memory, const SimSetup& setup);

// The boot loader: the program flash with the firmware's identification,
// programming start, erase, block writes, block checksums, end and restart.
// It answers the identification from the flash, and while the flash holds
// no firmware only its own commands. An erase brings every region declared
// before it back to the factory's, so it is registered after the others.
void RegisterFlash(CommandTable& table, EcuMemory& memory, const SimSetup& setup);
// The error memory and its erase, and the car's side of the OBD link.
void RegisterDiagnostics(CommandTable& table, EcuMemory& memory, const SimSetup& setup);
// The injection sequence acquisition (0x5C): the firing order learnt while
// the engine idles, kept in block 6.
void RegisterSequenceAcquisition(CommandTable& table, EcuMemory& memory, const SimSetup& setup);

// The corrections the auto-tuning writes (sim/tuning_model.h).
void RegisterTuningModel(CommandTable& table, EcuMemory& memory, const SimSetup& setup);

// Every family above; a new family adds one line there.
void RegisterAllCommands(CommandTable& table, EcuMemory& memory, const SimSetup& setup);

}  // namespace velmora::sim
