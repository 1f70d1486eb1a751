#pragma once

#include <string>

#include "calib/calibration_env.h"
#include "calib/calibration_file.h"
#include "link/ecu_access.h"

namespace velmora::calib {

// The order in which a save reads the sections from the ECU.
inline constexpr std::array<Section, kSectionCount> kSaveReadOrder{{
    Section::kFw,         Section::kBlk1,     Section::kBlk2,     Section::kBlk3,
    Section::kColl,       Section::kMap0,     Section::kMap1,     Section::kMap2,
    Section::kMap3,       Section::kMap4,     Section::kAdat0,    Section::kAdat1,
    Section::kAdat2,      Section::kAdat3,    Section::kAdat4,    Section::kMape0,
    Section::kMape1,      Section::kMape2,    Section::kMape3,    Section::kMape4,
    Section::kBlk5,       Section::kRitCom,   Section::kComTridx, Section::kComTgasx,
    Section::kComPgasx,   Section::kComPbenx, Section::kComSmag,  Section::kEmulaLambda,
    Section::kObdData,    Section::kObdData2, Section::kTBenz,    Section::kTGas,
    Section::kTRisult,    Section::kTIsto,    Section::kErrorEcu, Section::kFreezeFrame,
    Section::kVetRpm0,    Section::kVetRpm1,  Section::kVetTinj0, Section::kVetTinj1,
    Section::kBlk6,       Section::kBlk8,     Section::kBlkDinst, Section::kObdErr,
    Section::kObdInfoErr,
}};

// Reads the whole calibration from the ECU and gives the frames as stored
// ("[BLK_3]" normalised). Runs under link parameter 2 and restores the
// previous parameter only when every read succeeded. The entries read are
// kept in the message table as LeggiVoce keeps them, and the tuning tables in
// the image. nullopt on the first failure (described in `outcome`).
[[nodiscard]] std::optional<CalibrationFrames> ReadCalibrationFromEcu(
    CalibrationEnv& env, link::EcuAccess& ecu, CalibrationOutcome* outcome = nullptr);

// The frames of the image in memory: "[FW]" rebuilt as the 44-byte frame from
// the identification, "[BLK_5]", the map pages and the axis halves framed
// from their bytes, the tuning tables as held, everything else the entries'
// last answers.
[[nodiscard]] CalibrationFrames FramesFromImage(const link::MessageTable& table,
                                                const CalibrationImage& image);

// The file text of `frames` with today's information line and the image's
// note.
[[nodiscard]] std::string CalibrationText(CalibrationEnv& env, const CalibrationFrames& frames);

// Reads the calibration from the ECU and, only when every read succeeded,
// writes the file (to a temporary name, renamed over `path`). A failed read
// or a failed write leaves an existing file as it was; a failed write shows
// the file message.
[[nodiscard]] bool SaveCalibrationFromEcu(CalibrationEnv& env, link::EcuAccess& ecu,
                                          const std::string& path,
                                          CalibrationOutcome* outcome = nullptr);

// Writes the file from the image in memory, no ECU traffic. A map page in
// front stores its grid into the image before calling this.
[[nodiscard]] bool SaveCalibrationFromImage(CalibrationEnv& env, const std::string& path,
                                            CalibrationOutcome* outcome = nullptr);

}  // namespace velmora::calib
