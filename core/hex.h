#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace velmora::core {

// Hexadecimal digit pairs to bytes; an odd-length text gets a leading "0".
// Text with anything but hexadecimal digits is invalid (nullopt): callers
// decide what a bad frame means for them.
[[nodiscard]] std::optional<Bytes> HexToBin(std::string_view text);

// Each byte as two upper-case digits, no separators.
[[nodiscard]] std::string BinToHex(std::span<const std::uint8_t> bytes);

// Digits folded left to right. Values past 64 bits saturate instead of
// wrapping; a text with a non-hexadecimal character is invalid.
[[nodiscard]] std::optional<std::uint64_t> HexToLong(std::string_view text);

// The six-byte ECU version field as "VV.vv - DD/MM/YYYY" (each part the hex
// form of its byte); anything but six bytes gives "00.00 - 00/00/0000".
[[nodiscard]] std::string DataVersioneEcu(std::span<const std::uint8_t> field);

}  // namespace velmora::core
