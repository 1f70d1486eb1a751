#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora::calib {

// The numeric view of a 552-byte map image: its first 384 bytes as 192
// 16-bit values, low byte first, each with the scale of its position.
namespace map_values {
inline constexpr std::size_t kImageSize = 552;
inline constexpr std::size_t kCount = 192;
inline constexpr std::size_t kUsedBytes = kCount * 2;
// Values [0, kScaledEnd) are in units of 8/1000, [kScaledEnd, kRawEnd) are
// kept as read, [kRawEnd, kCount) are in thousandths.
inline constexpr std::size_t kScaledEnd = 180;
inline constexpr std::size_t kRawEnd = 182;
inline constexpr double kScaledMul = 8.0;
inline constexpr double kThousand = 1000.0;
// Raw values above kMaxPositive read as negative by subtracting kWrap, so
// 0xFFFF reads as 0 and the lowest value is -32767.
inline constexpr std::int32_t kMaxPositive = 32767;
inline constexpr std::int32_t kWrap = 65535;
inline constexpr std::int32_t kMinValue = kMaxPositive - kWrap + 1;  // -32767
}  // namespace map_values

using MapValues = std::array<float, map_values::kCount>;
using MapImage = std::array<std::uint8_t, map_values::kImageSize>;

// Bytes past the 552nd are ignored; an image shorter than 384 bytes yields
// only the values whose two bytes it holds, the rest stay 0.
[[nodiscard]] MapValues DecodeMapValues(std::span<const std::uint8_t> image);

// The reverse conversion: each number back to its raw value (rounded half to
// even), clamped to the range the decoding can give, -32767 .. 32767, and
// stored so that DecodeMapValues reads the same value again. Numbers past the
// 192nd are ignored, missing ones are 0, not-a-number is 0, and every byte
// after the 384th is 0.
[[nodiscard]] MapImage EncodeMapValues(std::span<const float> values);

}  // namespace velmora::calib
