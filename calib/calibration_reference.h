#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calib/calibration_image.h"
#include "link/message_table.h"

namespace velmora::calib {

// The field of "[BLK_6]" (entry 15) that names the system a calibration is
// for.
inline constexpr std::size_t kSystemIdField = 47;

// A reference calibration of the language folder.
struct ReferenceCalibration {
  std::string path;                       // full path
  std::string name;                       // file name without the extension
  std::optional<std::int32_t> system_id;  // "[BLK_6]" field 47, when readable
};

// Every ".xsi" file (extension in any case) of `lng_dir`, sorted by name.
[[nodiscard]] std::vector<ReferenceCalibration> ListReferenceCalibrations(
    const link::MessageTable& table, const std::string& lng_dir);

// The listed file whose system identifier equals the ECU's, else
// `default_path` (the default calibration of the path table).
[[nodiscard]] std::string ChooseReferenceFile(const std::vector<ReferenceCalibration>& list,
                                              std::int32_t ecu_system_id,
                                              const std::string& default_path);

// Fills the blocks the ECU does not have from the reference file: entry 18
// ("[BLK_DINST]") without the direct-injection block, entries 19 and 20
// ("[OBD_ERR]", "[OBD_INFO_ERR]") without the OBD error blocks. Each found
// section becomes its entry's last answer and is decoded; a missing or bad
// section leaves its entry alone. Returns how many entries were filled.
int FillDefaultBlockImages(link::MessageTable& table, const std::string& reference_path,
                           const CapabilityFlags& flags);

}  // namespace velmora::calib
