#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "link/ecu_frame.h"

namespace velmora::calib {

// Every section of a calibration file, in the order the file holds them.
enum class Section : std::uint8_t {
  kFw,
  kColl,
  kBlk1,
  kBlk2,
  kBlk3,
  kBlk5,
  kBlk6,
  kBlk8,
  kMap0,
  kMap1,
  kMap2,
  kMap3,
  kMap4,
  kAdat0,
  kAdat1,
  kAdat2,
  kAdat3,
  kAdat4,
  kMape0,
  kMape1,
  kMape2,
  kMape3,
  kMape4,
  kRitCom,
  kComTgasx,
  kComTridx,
  kComPgasx,
  kComPbenx,
  kComSmag,
  kEmulaLambda,
  kTBenz,
  kTGas,
  kTRisult,
  kTIsto,
  kObdData,
  kObdData2,
  kErrorEcu,
  kFreezeFrame,
  kVetRpm0,
  kVetRpm1,
  kVetTinj0,
  kVetTinj1,
  kBlkDinst,
  kObdErr,
  kObdInfoErr,
};
inline constexpr std::size_t kSectionCount = static_cast<std::size_t>(Section::kObdInfoErr) + 1;

[[nodiscard]] constexpr std::size_t Index(Section s) {
  return static_cast<std::size_t>(s);
}

// Where the image keeps a section's block.
enum class Holder : std::uint8_t {
  kIdentification,  // message-table entry 0 (the whole identification answer)
  kEntry,           // the last answer of a message-table entry
  kCompanion,       // the 16-byte "[BLK_5]" record
  kBaseMap,         // a page of one of the three 552-byte map images
  kAdaptiveMap,
  kSecondMap,
  kTuningTable,  // one of the four tuning tables, kept as whole frames
  kRpmAxis,      // a half of the 128-byte rpm axis vector
  kTimeAxis,     // a half of the 180-byte injection-time axis vector
};

struct SectionInfo {
  Section id;
  std::string_view key;
  Holder holder;
  int entry;                   // message-table entry, -1 for the fixed requests
  int part;                    // map page, axis half or tuning table index; 0 otherwise
  std::uint8_t read_command;   // fixed requests only (0 for entries)
  std::uint8_t write_command;  // 0: the load never writes it
};

namespace entry {
inline constexpr int kIdent = 0;
inline constexpr int kLive = 1;
inline constexpr int kBlock2 = 2;
inline constexpr int kBlock3 = 3;
inline constexpr int kErrors = 4;
inline constexpr int kConnection = 5;
inline constexpr int kRitCom = 6;
inline constexpr int kComTridx = 7;
inline constexpr int kComTgasx = 8;
inline constexpr int kComPgasx = 9;
inline constexpr int kFreezeFrame = 10;
inline constexpr int kEmulaLambda = 11;
inline constexpr int kObdData = 12;
inline constexpr int kComSmag = 13;
inline constexpr int kObdData2 = 14;
inline constexpr int kBlock6 = 15;
inline constexpr int kBlock8 = 16;
inline constexpr int kComPbenx = 17;
inline constexpr int kDirectInjection = 18;
inline constexpr int kObdErrors = 19;
inline constexpr int kObdErrorInfo = 20;
}  // namespace entry

// The section table, in file order (kSections[Index(s)].id == s).
inline constexpr std::array<SectionInfo, kSectionCount> kSections{{
    {Section::kFw, "[FW]", Holder::kIdentification, entry::kIdent, 0, link::cmd::kIdentify, 0},
    {Section::kColl, "[COLL]", Holder::kEntry, entry::kConnection, 0, 0, 0},
    {Section::kBlk1, "[BLK_1]", Holder::kEntry, entry::kLive, 0, 0, 0},
    {Section::kBlk2, "[BLK_2]", Holder::kEntry, entry::kBlock2, 0, 0, link::cmd::kWriteBlock2},
    {Section::kBlk3, "[BLK_3]", Holder::kEntry, entry::kBlock3, 0, 0, link::cmd::kWriteBlock3},
    {Section::kBlk5, "[BLK_5]", Holder::kCompanion, -1, 0, link::cmd::kReadCompanion,
     link::cmd::kWriteCompanion},
    {Section::kBlk6, "[BLK_6]", Holder::kEntry, entry::kBlock6, 0, 0, link::cmd::kWriteBlock6},
    {Section::kBlk8, "[BLK_8]", Holder::kEntry, entry::kBlock8, 0, 0, link::cmd::kWriteBlock8},
    {Section::kMap0, "[MAP_0]", Holder::kBaseMap, -1, 0, link::cmd::kReadBank1,
     link::cmd::kWriteBank1},
    {Section::kMap1, "[MAP_1]", Holder::kBaseMap, -1, 1, link::cmd::kReadBank1,
     link::cmd::kWriteBank1},
    {Section::kMap2, "[MAP_2]", Holder::kBaseMap, -1, 2, link::cmd::kReadBank1,
     link::cmd::kWriteBank1},
    {Section::kMap3, "[MAP_3]", Holder::kBaseMap, -1, 3, link::cmd::kReadBank1,
     link::cmd::kWriteBank1},
    {Section::kMap4, "[MAP_4]", Holder::kBaseMap, -1, 4, link::cmd::kReadBank1,
     link::cmd::kWriteBank1},
    {Section::kAdat0, "[ADAT_0]", Holder::kAdaptiveMap, -1, 0, link::cmd::kReadBank2,
     link::cmd::kWriteBank2},
    {Section::kAdat1, "[ADAT_1]", Holder::kAdaptiveMap, -1, 1, link::cmd::kReadBank2,
     link::cmd::kWriteBank2},
    {Section::kAdat2, "[ADAT_2]", Holder::kAdaptiveMap, -1, 2, link::cmd::kReadBank2,
     link::cmd::kWriteBank2},
    {Section::kAdat3, "[ADAT_3]", Holder::kAdaptiveMap, -1, 3, link::cmd::kReadBank2,
     link::cmd::kWriteBank2},
    {Section::kAdat4, "[ADAT_4]", Holder::kAdaptiveMap, -1, 4, link::cmd::kReadBank2,
     link::cmd::kWriteBank2},
    {Section::kMape0, "[MAPE_0]", Holder::kSecondMap, -1, 0, link::cmd::kReadBank3,
     link::cmd::kWriteBank3},
    {Section::kMape1, "[MAPE_1]", Holder::kSecondMap, -1, 1, link::cmd::kReadBank3,
     link::cmd::kWriteBank3},
    {Section::kMape2, "[MAPE_2]", Holder::kSecondMap, -1, 2, link::cmd::kReadBank3,
     link::cmd::kWriteBank3},
    {Section::kMape3, "[MAPE_3]", Holder::kSecondMap, -1, 3, link::cmd::kReadBank3,
     link::cmd::kWriteBank3},
    {Section::kMape4, "[MAPE_4]", Holder::kSecondMap, -1, 4, link::cmd::kReadBank3,
     link::cmd::kWriteBank3},
    {Section::kRitCom, "[RIT_COM]", Holder::kEntry, entry::kRitCom, 0, 0, link::cmd::kWriteRitCom},
    {Section::kComTgasx, "[COM_TGASX]", Holder::kEntry, entry::kComTgasx, 0, 0,
     link::cmd::kWriteComTgasx},
    {Section::kComTridx, "[COM_TRIDX]", Holder::kEntry, entry::kComTridx, 0, 0,
     link::cmd::kWriteComTridx},
    {Section::kComPgasx, "[COM_PGASX]", Holder::kEntry, entry::kComPgasx, 0, 0,
     link::cmd::kWriteComPgasx},
    {Section::kComPbenx, "[COM_PBENX]", Holder::kEntry, entry::kComPbenx, 0, 0,
     link::cmd::kWriteComPbenx},
    {Section::kComSmag, "[COM_SMAG]", Holder::kEntry, entry::kComSmag, 0, 0,
     link::cmd::kWriteComSmag},
    {Section::kEmulaLambda, "[EMULA_LAMBDA]", Holder::kEntry, entry::kEmulaLambda, 0, 0,
     link::cmd::kWriteLambdaEmulation},
    {Section::kTBenz, "[TBenz]", Holder::kTuningTable, -1, 0, link::cmd::kReadTBenz, 0},
    {Section::kTGas, "[TGas]", Holder::kTuningTable, -1, 1, link::cmd::kReadTGas, 0},
    {Section::kTRisult, "[TRisult]", Holder::kTuningTable, -1, 2, link::cmd::kReadTRisult, 0},
    {Section::kTIsto, "[TIsto]", Holder::kTuningTable, -1, 3, link::cmd::kReadTIsto, 0},
    {Section::kObdData, "[OBD_DATA]", Holder::kEntry, entry::kObdData, 0, 0,
     link::cmd::kWriteObdData},
    {Section::kObdData2, "[OBD_DATA_DAT2]", Holder::kEntry, entry::kObdData2, 0, 0,
     link::cmd::kWriteObdData2},
    {Section::kErrorEcu, "[ERROR_ECU]", Holder::kEntry, entry::kErrors, 0, 0, 0},
    {Section::kFreezeFrame, "[FREEZE_FRAME]", Holder::kEntry, entry::kFreezeFrame, 0, 0, 0},
    {Section::kVetRpm0, "[VET_RPM_0]", Holder::kRpmAxis, -1, 0, link::cmd::kReadSpeedAxis,
     link::cmd::kWriteSpeedAxis},
    {Section::kVetRpm1, "[VET_RPM_1]", Holder::kRpmAxis, -1, 1, link::cmd::kReadSpeedAxis,
     link::cmd::kWriteSpeedAxis},
    {Section::kVetTinj0, "[VET_TINJ_0]", Holder::kTimeAxis, -1, 0, link::cmd::kReadTimeAxis,
     link::cmd::kWriteTimeAxis},
    {Section::kVetTinj1, "[VET_TINJ_1]", Holder::kTimeAxis, -1, 1, link::cmd::kReadTimeAxis,
     link::cmd::kWriteTimeAxis},
    {Section::kBlkDinst, "[BLK_DINST]", Holder::kEntry, entry::kDirectInjection, 0, 0,
     link::cmd::kWriteDirectInjection},
    {Section::kObdErr, "[OBD_ERR]", Holder::kEntry, entry::kObdErrors, 0, 0,
     link::cmd::kWriteObdErrors},
    {Section::kObdInfoErr, "[OBD_INFO_ERR]", Holder::kEntry, entry::kObdErrorInfo, 0, 0, 0},
}};

[[nodiscard]] constexpr const SectionInfo& InfoOf(Section s) {
  return kSections[Index(s)];
}

// The section whose key is `key` exactly; nullopt for "[INFO]", "[NOTE]" and
// anything unknown.
[[nodiscard]] std::optional<Section> SectionOfKey(std::string_view key);

// Sizes the sections must have.
namespace sizes {
inline constexpr std::size_t kMapImage = 552;
inline constexpr std::size_t kMapPages = 5;
inline constexpr std::size_t kCompanion = 16;
inline constexpr std::size_t kRpmAxis = 128;
inline constexpr std::size_t kTimeAxis = 180;
inline constexpr std::size_t kRpmHalf = kRpmAxis / 2;
inline constexpr std::size_t kTimeHalf = kTimeAxis / 2;
inline constexpr std::size_t kTuningTableData = 121;  // a header byte and 120 cells
inline constexpr std::size_t kTuningCells = 120;
inline constexpr std::size_t kIdentification = 38;  // at least, in "[FW]"
inline constexpr std::size_t kMapRows = 24;
inline constexpr std::size_t kMapColumns = 23;
}  // namespace sizes

// The data bytes a fixed section must carry; nullopt when the message table
// and the ECU decide ("[FW]" needs at least kIdentification).
[[nodiscard]] std::optional<std::size_t> FixedDataSize(Section s);

// The three address bytes (address low, high, count) of a map page or an
// axis half; nullopt for other sections.
[[nodiscard]] std::optional<std::array<std::uint8_t, 3>> PagedAddress(Section s);

[[nodiscard]] bool IsMapSection(Section s);  // base, adaptive or second map page

}  // namespace velmora::calib
