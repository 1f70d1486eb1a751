#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/bytes.h"

namespace velmora::sim {

enum class Hardware { kNex, kThird, kSecond, kBlank };

struct HardwareProfile {
  std::string_view option;  // value of --hw
  std::array<std::uint8_t, 6> version;
  std::string_view text;       // 32 characters once padded
  std::string_view signature;  // 14 characters
  std::uint8_t cylinders;
};

[[nodiscard]] std::optional<Hardware> ParseHardware(std::string_view option);
[[nodiscard]] const HardwareProfile& ProfileOf(Hardware hw);

// The 62 data bytes of the identification answer: version, text, serial and
// reserved bytes, signature. A blank ECU gives its blank reference bytes.
[[nodiscard]] Bytes IdentificationData(Hardware hw);

}  // namespace velmora::sim
