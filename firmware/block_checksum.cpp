#include "firmware/block_checksum.h"

namespace velmora::firmware {

namespace {
constexpr std::uint16_t kPolynomial = 0x1021;
constexpr std::uint16_t kStart = 0xFFFF;
constexpr std::uint16_t kTopBit = 0x8000;
}  // namespace

std::uint16_t BlockChecksum(std::span<const std::uint8_t> block) {
  std::uint16_t crc = kStart;
  for (const std::uint8_t b : block) {
    crc = static_cast<std::uint16_t>(crc ^ (b << 8));
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & kTopBit) != 0 ? static_cast<std::uint16_t>((crc << 1) ^ kPolynomial)
                                 : static_cast<std::uint16_t>(crc << 1);
    }
  }
  return crc;
}

}  // namespace velmora::firmware
