#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "calib/calibration_image.h"
#include "link/ecu_access.h"
#include "link/message_table.h"
#include "pages/page_services.h"
#include "session/write_list.h"

// The ECU work of the diagnostic pages' request codes, run by the session on
// its tick: the error memory, the OBD data and the tuning tables.
namespace velmora::diag {

// The entries the diagnostic pages read and write.
namespace diag_entry {
inline constexpr std::size_t kLive = 1;
inline constexpr std::size_t kBlock2 = 2;
inline constexpr std::size_t kBlock3 = 3;
inline constexpr std::size_t kErrors = 4;
inline constexpr std::size_t kObdData = 12;
inline constexpr std::size_t kObdData2 = 14;
inline constexpr std::size_t kBlock6 = 15;
inline constexpr std::size_t kBlock8 = 16;
inline constexpr std::size_t kObdErrors = 19;
inline constexpr std::size_t kObdInfo = 20;
}  // namespace diag_entry

// Entry 12's fields the pages and the protocol search read.
namespace obd_field {
inline constexpr std::size_t kEcus = 0;
inline constexpr std::size_t kProtocol = 1;
inline constexpr std::size_t kAddress = 2;
inline constexpr std::size_t kEnabled = 3;
inline constexpr std::size_t kProtocolChoice = 4;  // 0 any, 1 CAN, 2 K-line
inline constexpr std::size_t kBank2 = 5;
inline constexpr std::size_t kRailPid = 23;
inline constexpr std::size_t kRun = 24;
inline constexpr std::size_t kStatusBank1 = 26;
inline constexpr std::size_t kStatusBank2 = 27;
}  // namespace obd_field

// What the work runs on, all owned by the session's side.
struct DiagLink {
  link::EcuAccess& ecu;
  link::MessageTable& table;
  calib::CalibrationImage& image;
};

// 22: entry 4 again.
[[nodiscard]] bool ReadErrorMemory(const DiagLink& link);
// 4: the erase command, then entry 4 again (also when the ECU said no, so
// the page shows what it holds); false when the ECU did not erase.
[[nodiscard]] bool EraseErrorMemory(const DiagLink& link);
// 33: the four tuning tables (the OBD correction map among them) and the
// OBD data.
[[nodiscard]] bool ReadObdData(const DiagLink& link);
// 31 (petrol and histogram) and 32 (gas, result and histogram): the tables
// cleared, then all four read again.
[[nodiscard]] bool ResetTuningTables(const DiagLink& link, int code);
// 66: the car's stored trouble codes as the ECU last read them (entry 20).
[[nodiscard]] bool ReadObdInfoErrors(const DiagLink& link);
// 61: the adaptive map into the image (an ECU without it has nothing to read).
[[nodiscard]] bool ReadAdaptiveMap(const DiagLink& link);
// 20: the entry-12 list (the run flag), then, when the ECU has no protocol
// settled, the protocol search of the family its protocol choice names;
// `trying` is told each protocol tried.
[[nodiscard]] bool StartObdReading(const DiagLink& link, session::WriteLists& lists,
                                   const std::function<void(int)>& trying);

// The search family of entry 12's protocol choice.
[[nodiscard]] int SearchFamilyOf(int protocol_choice);

// A request code's work, registered for a page model that hands out
// `alive`: once the model is gone the work does nothing and fails.
struct DiagWork {
  int code = 0;
  std::function<bool(const DiagLink&)> run;
  std::string failure_text;
  std::vector<std::size_t> lists;  // write lists it applies
  bool refresh_page = false;
};
void RegisterDiagWork(pages::PageEnv& env, const std::weak_ptr<const bool>& alive, DiagWork work);

}  // namespace velmora::diag
