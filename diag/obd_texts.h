#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/dictionary.h"
#include "diag/obd_live.h"

namespace velmora::diag {

// One window block's texts by their number, with built-in English
// fallbacks for a dictionary that lacks the block or a text.
class BlockTexts {
 public:
  BlockTexts() = default;
  BlockTexts(const core::ClsLingue& lingue, std::string_view marker,
             std::span<const std::string_view> fallbacks);
  // Text k; empty for a number the block has no fallback for.
  [[nodiscard]] const std::string& operator[](int k) const;

 private:
  std::vector<std::string> texts_;
};

// "[Frm_MapObd]": the OBD page's and the map window's own texts.
namespace obd_text {
inline constexpr std::string_view kMarker = "[Frm_MapObd]";
inline constexpr int kCaption = 1;
inline constexpr int kRun = 2;
inline constexpr int kStop = 3;
inline constexpr int kLink = 4;
inline constexpr int kDisabled = 5;  // and kEnabled = 6: the link's items
inline constexpr int kManagement = 7;
inline constexpr int kReadOnly = 8;  // and 9 "Adaptation": the management items
inline constexpr int kProtocol = 10;
inline constexpr int kAutomatic = 11;  // 11, 12, 13: the protocol choice's items
inline constexpr int kBank2 = 14;
inline constexpr int kTrims = 15;  // four labels, short and long bank 1, bank 2
inline constexpr int kFuelStatus = 19;
inline constexpr int kCorrectionMap = 25;
inline constexpr int kOpenMap = 26;
inline constexpr int kResetMap = 27;
inline constexpr int kSaveMap = 28;
inline constexpr int kCopy = 29;
inline constexpr int kRowLimits = 30;
inline constexpr int kAgent = 31;
inline constexpr int kMapDivider = 32;
inline constexpr int kStarting = 33;
inline constexpr int kDtc = 34;
inline constexpr int kAddCode = 35;
inline constexpr int kRemoveCode = 36;
inline constexpr int kMil = 37;
inline constexpr int kAgentItems = 38;
inline constexpr int kStoredDtcs = 39;
inline constexpr int kMilOn = 40;
inline constexpr int kMilOff = 41;
inline constexpr int kBank = 42;  // "Bank 1", "Bank 2"
inline constexpr int kWriteLimits = 44;
inline constexpr int kCancel = 45;
inline constexpr int kCurrentCell = 46;
inline constexpr int kSaveFailed = 47;
inline constexpr int kLoadFailed = 48;
inline constexpr int kResetFailed = 49;
inline constexpr int kStartFailed = 50;
inline constexpr int kRowsTitle = 51;
inline constexpr int kColumnsTitle = 52;
inline constexpr int kNoStoredDtcs = 53;
inline constexpr int kMapFiles = 54;
inline constexpr int kBadLimit = 55;
inline constexpr int kCount = 56;
}  // namespace obd_text

// "[Frm_Tuning]": the adaptation and the trouble-code settings.
namespace tuning_text {
inline constexpr std::string_view kMarker = "[Frm_Tuning]";
inline constexpr int kAdaptation = 1;
inline constexpr int kPeriod = 2;  // 2..10: the adaptation combos, in the order below
inline constexpr int kBlockObd = 11;
inline constexpr int kMilKeyOn = 12;
inline constexpr int kMilKeyOff = 13;
inline constexpr int kMilAlways = 14;
inline constexpr int kMilOnce = 15;
inline constexpr int kSelective = 16;
inline constexpr int kInvalidDtc = 17;
inline constexpr int kAdvanced = 18;
inline constexpr int kEcus = 19;
inline constexpr int kAverage = 20;
inline constexpr int kCount = 21;
}  // namespace tuning_text

// "[Start_InjDir]": the rail-pressure PID and the OBD notices.
namespace injdir_text {
inline constexpr std::string_view kMarker = "[Start_InjDir]";
inline constexpr int kRailPid = 2;
inline constexpr int kNoRailPid = 3;
inline constexpr int kMapWindow = 8;
inline constexpr int kNotAvailable = 9;
inline constexpr int kReading = 13;
inline constexpr int kNoObd = 14;
inline constexpr int kClose = 15;
inline constexpr int kCount = 16;
}  // namespace injdir_text

struct ObdTexts {
  BlockTexts obd;
  BlockTexts tuning;
  BlockTexts injdir;
  FuelStatusTexts fuel;
};

[[nodiscard]] ObdTexts ObdTextsFrom(const core::ClsLingue& lingue);

}  // namespace velmora::diag
