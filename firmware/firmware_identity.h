#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/bytes.h"

namespace velmora::firmware {

// The 38-byte identification of a firmware: major and minor version, day,
// month, year (two bytes whose hexadecimal digits read as the decimal year),
// then a text of words separated by blanks whose third word names the
// hardware.
class FirmwareIdentity {
 public:
  static constexpr std::size_t kSize = 38;
  static constexpr std::size_t kVersionSize = 6;

  // nullopt unless `bytes` is 38 bytes long.
  [[nodiscard]] static std::optional<FirmwareIdentity> From(std::span<const std::uint8_t> bytes);

  [[nodiscard]] const std::array<std::uint8_t, kSize>& Bytes() const { return bytes_; }
  // "VV.vv - DD/MM/YYYY".
  [[nodiscard]] std::string VersionText() const;
  [[nodiscard]] std::string Text() const;
  [[nodiscard]] std::vector<std::string> Words() const;
  // The third word; nullopt when the text has fewer than three.
  [[nodiscard]] std::optional<std::string> HardwareWord() const;
  // Every byte 0 (a missing image has no identification).
  [[nodiscard]] bool Empty() const;

  // Negative, 0 or positive as this firmware is older than, the same as or
  // newer than `other`: major, minor, then year, month, day.
  [[nodiscard]] int Compare(const FirmwareIdentity& other) const;
  // Major or minor version differ.
  [[nodiscard]] bool OtherVersion(const FirmwareIdentity& other) const;

 private:
  std::array<std::uint8_t, kSize> bytes_{};
};

// What the connected ECU says of its firmware, from its identification
// answer (entry 0's last answer).
struct EcuFirmware {
  enum class State {
    kNone,        // no answer: no ECU connected
    kBlank,       // the blank identification: no valid firmware
    kIdentified,  // a firmware with its identification
  };
  State state = State::kNone;
  std::optional<FirmwareIdentity> identity;
};

// An answer whose identification bytes are all 0xFF, or one that carries no
// identification at all (a refusal, the short blank frame), is a blank ECU.
[[nodiscard]] EcuFirmware EcuFirmwareOf(std::span<const std::uint8_t> answer);

// How the image stands to the ECU's firmware.
enum class Verdict { kNewer, kSame, kOlder };

// Why an image may not be written.
enum class Refusal {
  kNone,
  kNoEcu,          // no ECU identification
  kNoImage,        // no image, or an image without identification
  kOtherHardware,  // the third words differ
};

struct Decision {
  Refusal refusal = Refusal::kNone;
  Verdict verdict = Verdict::kSame;
  bool changes_version = false;  // major or minor differ, or the ECU is blank

  [[nodiscard]] bool Allowed() const { return refusal == Refusal::kNone; }
};

// CaricaVersioneCentralina's decision: written only onto an identified ECU
// of the same hardware word, or onto a blank ECU (which cannot say its
// hardware). Newer, same and older images are all allowed; the verdict
// tells the fitter which it is. A blank ECU always takes the image as newer.
[[nodiscard]] Decision Decide(const EcuFirmware& ecu, const std::optional<FirmwareIdentity>& image);

}  // namespace velmora::firmware
