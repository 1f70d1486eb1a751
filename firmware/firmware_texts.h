#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/dictionary.h"

namespace velmora::firmware {

// The firmware window's texts, by their place after its dictionary marker.
namespace firmware_text {
inline constexpr std::string_view kMarker = "[Frm_Firmware]";
inline constexpr int kTitle = 1;
inline constexpr int kEcuFirmware = 2;
inline constexpr int kImageFirmware = 3;
inline constexpr int kChoose = 4;
inline constexpr int kUpdate = 5;
inline constexpr int kClose = 6;
inline constexpr int kVersion = 7;
inline constexpr int kPrepare = 8;
inline constexpr int kStartProgramming = 9;
inline constexpr int kErase = 10;
inline constexpr int kWrite = 11;
inline constexpr int kFinish = 12;
inline constexpr int kRestart = 13;
inline constexpr int kNewer = 14;
inline constexpr int kNotStarted = 15;  // with 16: result codes 1, 2 and 9
inline constexpr int kNotChanged = 16;
inline constexpr int kProgrammingFailed = 17;  // with 18: result codes 3 to 7
inline constexpr int kNoValidFirmware = 18;
inline constexpr int kNotRestored = 19;  // with 20: result code 10
inline constexpr int kPowerCycle = 20;
inline constexpr int kSuccess = 21;
inline constexpr int kSame = 22;
inline constexpr int kDate = 23;
inline constexpr int kHardware = 24;
inline constexpr int kOtherHardware = 25;
inline constexpr int kOlder = 26;
inline constexpr int kKeepPower = 27;
inline constexpr int kProgress = 28;
inline constexpr int kCurrentImage = 29;
inline constexpr int kBadImage = 30;
inline constexpr int kNoProgram = 31;  // an image without S2 records
inline constexpr int kVerify = 32;
inline constexpr int kBackup = 33;
inline constexpr int kVerifyFailed = 34;
inline constexpr int kKeptIn = 35;
inline constexpr int kNoFirmware = 36;
inline constexpr int kImageMissing = 37;
inline constexpr int kNoImages = 38;
inline constexpr int kBlocks = 39;
inline constexpr int kNoEcu = 40;
inline constexpr int kNoBackup = 41;
inline constexpr int kCount = 42;
}  // namespace firmware_text

// The firmware window's texts in the chosen language; a dictionary without
// the block, or without one of its texts, keeps the English text.
class FirmwareTexts {
 public:
  FirmwareTexts();
  explicit FirmwareTexts(const core::ClsLingue& lingue);

  // Text k of the block; empty outside it.
  [[nodiscard]] std::string operator[](int k) const;

 private:
  std::array<std::string, firmware_text::kCount> texts_;
};

}  // namespace velmora::firmware
