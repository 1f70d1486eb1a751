#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::firmware {

// Block writes carry three address bytes: the flash must lie below 2^24.
inline constexpr std::uint32_t kAddressLimit = 1u << 24;
// Only the first sectors of the table can be erased by the ECU.
inline constexpr std::size_t kErasableSectors = 14;

struct FlashSector {
  std::uint32_t first = 0;
  std::uint32_t last = 0;  // inclusive
};

// The ECU's flash sectors (bin/Flash.ini), ascending and not overlapping.
// The region runs from the first sector's start to the last sector's end.
struct FlashLayout {
  std::vector<FlashSector> sectors;

  [[nodiscard]] std::uint32_t Start() const { return sectors.front().first; }
  [[nodiscard]] std::uint32_t End() const { return sectors.back().last; }
  [[nodiscard]] std::size_t Size() const { return std::size_t{End()} - Start() + 1; }
  // Whether [address, address + count) lies inside the region.
  [[nodiscard]] bool Holds(std::uint64_t address, std::size_t count) const {
    return address >= Start() && address + count <= std::uint64_t{End()} + 1;
  }
};

// Why a sector table cannot be used.
enum class LayoutError {
  kNone,
  kMissing,       // the file cannot be read
  kEmpty,         // no sector line
  kBadLine,       // too short, or not "H" and eight hexadecimal digits at both ends
  kNotAscending,  // a sector ends before it starts, or overlaps the one before
  kTooHigh,       // a sector reaches 2^24, which three address bytes cannot carry
};

struct LayoutResult {
  std::optional<FlashLayout> layout;
  LayoutError error = LayoutError::kNone;
  std::size_t line = 0;  // 1-based line of a kBadLine or kNotAscending
};

// One sector per non-empty line: "H" and the first address in eight
// hexadecimal digits, anything, "H" and the last address.
[[nodiscard]] LayoutResult ParseFlashLayout(const std::vector<std::string>& lines);
[[nodiscard]] LayoutResult ReadFlashLayout(const std::string& path);

[[nodiscard]] std::string DescribeLayoutError(const LayoutResult& result);

}  // namespace velmora::firmware
