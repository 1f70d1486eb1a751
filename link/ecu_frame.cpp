#include "link/ecu_frame.h"

namespace velmora::link {

std::uint8_t CheckXor(std::span<const std::uint8_t> bytes) {
  std::uint8_t x = 0;
  for (const std::uint8_t b : bytes) {
    x ^= b;
  }
  return x;
}

std::optional<Bytes> ComponiFrame(std::uint8_t first, std::uint8_t second, std::uint8_t command,
                                  std::span<const std::uint8_t> data) {
  if (data.size() > kMaxFrameData) {
    return std::nullopt;
  }
  Bytes f;
  f.reserve(data.size() + 5);
  f.push_back(first);
  f.push_back(second);
  f.push_back(static_cast<std::uint8_t>(data.size() + 3));
  f.push_back(command);
  f.insert(f.end(), data.begin(), data.end());
  f.push_back(CheckXor(f));
  return f;
}

std::optional<Bytes> RequestFrame(std::uint8_t command, std::span<const std::uint8_t> data) {
  return ComponiFrame(kRequestFirst, kRequestSecond, command, data);
}

}  // namespace velmora::link
