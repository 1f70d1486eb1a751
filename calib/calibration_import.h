#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calib/calibration_env.h"
#include "calib/calibration_file.h"
#include "core/bytes.h"
#include "link/ecu_access.h"
#include "link/message_table.h"

namespace velmora::calib {

// Reads every section of the file into the image: entry blocks become their
// entries' last answers and are decoded, maps, "[BLK_5]", axes and tuning
// tables fill the image, the note becomes the image's note. Damaged sections
// are left out (`outcome->section` names the first one); missing ones leave
// their blocks as they were. No ECU traffic; false only when the file cannot
// be read.
[[nodiscard]] bool OpenCalibrationFile(CalibrationEnv& env, const std::string& path,
                                       CalibrationOutcome* outcome = nullptr);

// Puts the valid sections of a parsed file into the image.
void ApplyToImage(const ParsedCalibration& file, link::MessageTable& table,
                  CalibrationImage& image);

// A 24 x 23 map as rows of cells (row r = rpm breakpoint r).
using MapGrid = std::array<std::array<std::uint8_t, sizes::kMapColumns>, sizes::kMapRows>;
[[nodiscard]] MapGrid GridFromImage(std::span<const std::uint8_t> image552);

// The base map of the five "[MAP_*]" sections (first occurrences); nullopt
// unless all five are present and valid.
[[nodiscard]] std::optional<MapGrid> ReadMapFromFile(const std::string& path);
[[nodiscard]] std::optional<MapGrid> ReadMapFromLines(const std::vector<std::string>& lines);

struct AxisVectors {
  Bytes rpm;   // 128 bytes
  Bytes time;  // 180 bytes
};
// Both vectors, or nothing unless all four axis sections are present and
// valid.
[[nodiscard]] std::optional<AxisVectors> ReadAxisVectorsFromFile(const std::string& path);
[[nodiscard]] std::optional<AxisVectors> ReadAxisVectorsFromLines(
    const std::vector<std::string>& lines);

// One variable of a section, decoded with the layout of `entry_index`; the
// entry itself is not touched. nullopt when the file, the section or the
// field is missing, or the line is not a frame.
[[nodiscard]] std::optional<std::int32_t> ReadBlockVariableFromFile(const link::MessageTable& table,
                                                                    std::size_t entry_index,
                                                                    const std::string& path,
                                                                    std::string_view section_key,
                                                                    std::size_t field);

// Writes the file's "[COM_PGASX]" (0x7F) or "[COM_PBENX]" (0x81) into the ECU
// and reads the block back with its entry (9 or 17), which keeps the answer.
[[nodiscard]] bool ImportComPGasX(CalibrationEnv& env, link::EcuAccess& ecu,
                                  const std::string& path, CalibrationOutcome* outcome = nullptr);
[[nodiscard]] bool ImportComPBenX(CalibrationEnv& env, link::EcuAccess& ecu,
                                  const std::string& path, CalibrationOutcome* outcome = nullptr);

// The result of the tuning result import: a refusal is not an exchange code.
enum class TuningImportStatus {
  kDone,
  kNoSection,  // the file has no usable "[TRisult]" (or cannot be read); nothing sent
  kRefused,    // the user said no; nothing sent
  kLinkError,  // `link_code` holds the failing exchange's code
};
struct TuningImportResult {
  TuningImportStatus status = TuningImportStatus::kNoSection;
  int link_code = 0;
};

// Asks first; on yes, under link parameter 2: clears the gas tuning table,
// sends the file's 120 result cells with 0x40, clears the histogram, and
// restores the parameter.
[[nodiscard]] TuningImportResult LeggiMappeVcmRpmDafileEScarica(CalibrationEnv& env,
                                                                link::EcuAccess& ecu,
                                                                const std::string& path);

}  // namespace velmora::calib
