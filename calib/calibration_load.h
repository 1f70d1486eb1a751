#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "calib/calibration_env.h"
#include "calib/calibration_file.h"
#include "calib/calibration_image.h"
#include "core/bytes.h"
#include "link/ecu_access.h"
#include "link/message_table.h"

namespace velmora::calib {

// The session's request codes that load a file, each naming what it loads.
enum class LoadScope : int {
  kSettings = 9,     // every block but the maps; no finishing commands
  kMaps = 17,        // "[BLK_5]", the maps and the axis vectors
  kAll = 18,         // everything, then the finishing commands
  kSwitchOver = 53,  // the five switch-over tables
};
[[nodiscard]] std::optional<LoadScope> LoadScopeOfRequest(int code);

// The sending groups, in order; each lists the scopes it is sent under.
namespace load_group {
inline constexpr int kBlocks = 1;           // "[BLK_2]", "[BLK_3]", "[BLK_6]"
inline constexpr int kBaseMap = 2;          // "[BLK_5]", "[MAP_0]" .. "[MAP_4]"
inline constexpr int kOtherMaps = 3;        // "[ADAT_*]", "[MAPE_*]"
inline constexpr int kRitCom = 4;           // "[RIT_COM]"
inline constexpr int kSwitchOver = 5;       // the five "[COM_*]" tables
inline constexpr int kLambda = 6;           // "[EMULA_LAMBDA]"
inline constexpr int kObdErrors = 7;        // "[OBD_ERR]"
inline constexpr int kObd = 8;              // "[OBD_DATA]", "[OBD_DATA_DAT2]", "[BLK_8]"
inline constexpr int kDirectInjection = 9;  // "[BLK_DINST]"
inline constexpr int kAxes = 10;            // the four axis halves
}  // namespace load_group
[[nodiscard]] bool GroupInScope(int group, LoadScope scope);

// The sections a load reads; every other section of the file is ignored.
[[nodiscard]] bool LoadReads(Section s);

// The firmware year of a "[FW]" frame: data bytes 4 and 5 written as four
// hexadecimal digits and read as a decimal number (20 17 gives 2017).
// nullopt when the frame is too short or the digits are not decimal.
[[nodiscard]] std::optional<int> FirmwareYear(std::span<const std::uint8_t> fw_frame);
inline constexpr int kFirstCurrentFirmwareYear = 2018;

// One prepared write.
struct LoadRequest {
  Section section;
  int group = 0;
  Bytes frame;    // the complete request frame
  Bytes written;  // the block's data as written (without address bytes)
};

// What a load sends, worked out from the file and the connected ECU's
// current values before anything is sent.
struct LoadPlan {
  bool current_file = true;
  bool old_firmware = false;
  std::vector<LoadRequest> requests;  // in sending order, scope not yet applied
  // "[BLK_DINST]" as stored; it is written only when the ECU has the block,
  // otherwise it becomes entry 18's last answer. Empty when absent.
  Bytes direct_injection;
};

// What the preparation reads besides the file.
struct LoadInputs {
  // The connected ECU's current values of entries 2 and 5, and the layouts
  // of entries 2 and 16.
  const link::MessageTable& table;
  CapabilityFlags flags;
  int generation = 0;
  bool current_file = true;
  // A field of the reference calibration's "[BLK_8]" (for foreign files of
  // old firmware); nullopt when it cannot be read.
  std::function<std::optional<std::int32_t>(std::size_t field)> reference_block8;
};

// Whether the file can be loaded under `scope` into an ECU with `flags`,
// worked out before anything is sent. A file with a damaged section the load
// reads, with no section the scope writes to this ECU, or without its
// identification ("[FW]") is damaged (kDamagedSection, naming the damaged
// section, "[FW]", or none when nothing would be written).
[[nodiscard]] bool CheckLoadable(const ParsedCalibration& file, const CapabilityFlags& flags,
                                 LoadScope scope, CalibrationOutcome* outcome = nullptr);

// Applies every fix-up and builds the requests. No ECU traffic and no
// messages. nullopt when a section the load reads is damaged (`outcome` names
// it), so that a damaged file sends nothing.
[[nodiscard]] std::optional<LoadPlan> PrepareLoad(const ParsedCalibration& file,
                                                  const LoadInputs& inputs,
                                                  CalibrationOutcome* outcome = nullptr);

struct LoadOptions {
  LoadScope scope = LoadScope::kAll;
  // The reference calibration whose "[BLK_8]" values replace those of a
  // foreign file of old firmware.
  std::string reference_path;
  // Applies the default direct-injection calibration when the file has no
  // "[BLK_DINST]" (the direct-injection page's concern); may be empty.
  std::function<void()> default_direct_injection;
};

// Reads the file, checks it (CheckLoadable), runs the block-2 toggle routine
// when the ECU asks for it, prepares the requests and sends those of the
// scope, reads the maps back and compares them, then runs the finishing
// steps. A file that is refused sends nothing. The link parameter is restored only
// when everything succeeded.
[[nodiscard]] bool LoadCalibrationToEcu(CalibrationEnv& env, link::EcuAccess& ecu,
                                        const std::string& path, const LoadOptions& options,
                                        CalibrationOutcome* outcome = nullptr);

// The block-2 toggle routine: reads entries 2 and 3, inverts bit 0 of entry
// 2 field 2, writes entry 2 back and waits 500 ms.
[[nodiscard]] int ToggleBlock2(link::MessageTable& table, link::EcuAccess& ecu);

}  // namespace velmora::calib
