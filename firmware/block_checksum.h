#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora::firmware {

// What the ECU's boot loader reports for each flash block when asked for
// the blocks' checksums: CRC-16/CCITT (polynomial 0x1021, start 0xFFFF),
// high byte first on the line. A read-back of every byte would double the
// time on the line; the checksums cost two bytes a block.
[[nodiscard]] std::uint16_t BlockChecksum(std::span<const std::uint8_t> block);

// At most this many blocks per request: their checksums fill one answer.
inline constexpr std::size_t kChecksumsPerRequest = 120;

}  // namespace velmora::firmware
