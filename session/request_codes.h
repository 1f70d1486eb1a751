#pragma once

namespace velmora::session {

// Pending request codes: what a page asks the session to do with the ECU.
// 0 means nothing is pending.
namespace request {
inline constexpr int kNone = 0;
inline constexpr int kEraseErrors = 4;
inline constexpr int kEntry3List = 7;
inline constexpr int kSaveFromEcu = 8;
inline constexpr int kLoadNoMaps = 9;
inline constexpr int kWriteBank1 = 11;
inline constexpr int kCylinders = 13;
inline constexpr int kRitCom = 14;
inline constexpr int kCompensation = 15;
inline constexpr int kSwitchTemperature = 16;  // an entry-3 list, like 7
inline constexpr int kLoadMaps = 17;
inline constexpr int kLoadAll = 18;
inline constexpr int kSlowCommand = 19;
inline constexpr int kObdRun = 20;
inline constexpr int kEntry12List = 21;
inline constexpr int kReadErrors = 22;
inline constexpr int kAxes = 23;
inline constexpr int kEntry2List = 27;
inline constexpr int kParameterRecord = 28;  // the "[BLK_5]" record, like 39
inline constexpr int kResetPetrolTables = 31;
inline constexpr int kResetGasTables = 32;
inline constexpr int kReadTuningTables = 33;
inline constexpr int kEntry3AndRecord = 35;
inline constexpr int kEntry3RecordEntry2 = 36;
inline constexpr int kTuningResultFromFile = 38;
inline constexpr int kWriteRecord = 39;
inline constexpr int kEntry11List = 40;
inline constexpr int kEntry3And11 = 41;
inline constexpr int kFileDialogHold = 48;  // a page's lock: neither run nor cleared here
inline constexpr int kEntry14List = 49;
inline constexpr int kRecordAfterMap2 = 51;
inline constexpr int kMainWrite = 52;
inline constexpr int kLoadSwitchOver = 53;
inline constexpr int kEntry15List = 54;
inline constexpr int kEntry3And14 = 55;
inline constexpr int kAcquisition = 56;
inline constexpr int kEntry3And15 = 57;
inline constexpr int kRecordAfterMap0 = 58;
inline constexpr int kEntry16List = 59;
inline constexpr int kReadAdaptive = 61;
inline constexpr int kWriteBank3 = 62;
inline constexpr int kWriteBank2 = 63;
inline constexpr int kRecordAfterMap1 = 64;
inline constexpr int kEntry19List = 65;
inline constexpr int kObdInfoError = 66;
inline constexpr int kEntry12And19 = 67;
inline constexpr int kAcquisitionMode4 = 68;
inline constexpr int kEntry15And16 = 73;
}  // namespace request

// Page identifiers refreshed after a write-list request.
namespace page_id {
inline constexpr int kObd = 7;
inline constexpr int kLambda = 17;
inline constexpr int kInjectionSequence = 22;
inline constexpr int kMainMenu = 24;
inline constexpr int kManagement = 44;
}  // namespace page_id

// The load scope a load request names is its own code.
[[nodiscard]] constexpr bool IsLoadRequest(int code) {
  return code == request::kLoadAll || code == request::kLoadNoMaps || code == request::kLoadMaps ||
         code == request::kLoadSwitchOver;
}

}  // namespace velmora::session
