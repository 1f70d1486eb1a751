#include "core/hex.h"

#include <limits>

#include "core/hex_digit.h"

namespace velmora::core {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

}  // namespace

std::optional<Bytes> HexToBin(std::string_view text) {
  Bytes out;
  out.reserve(text.size() / 2 + 1);
  std::size_t i = 0;
  int pending = -1;
  if (text.size() % 2 == 1) {
    pending = 0;  // the leading "0" of an odd-length text
  }
  for (; i < text.size(); ++i) {
    const int d = HexDigitValue(text[i]);
    if (d < 0) {
      return std::nullopt;
    }
    if (pending < 0) {
      pending = d;
    } else {
      out.push_back(static_cast<std::uint8_t>(pending * 16 + d));
      pending = -1;
    }
  }
  return out;
}

std::string BinToHex(std::span<const std::uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const std::uint8_t b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0x0F]);
  }
  return out;
}

std::optional<std::uint64_t> HexToLong(std::string_view text) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  std::uint64_t value = 0;
  for (const char c : text) {
    const int d = HexDigitValue(c);
    if (d < 0) {
      return std::nullopt;
    }
    if (value > (kMax - static_cast<std::uint64_t>(d)) / 16) {
      value = kMax;
    } else {
      value = value * 16 + static_cast<std::uint64_t>(d);
    }
  }
  return value;
}

std::string DataVersioneEcu(std::span<const std::uint8_t> field) {
  if (field.size() != 6) {
    return "00.00 - 00/00/0000";
  }
  auto h = [&](std::size_t i) { return BinToHex(field.subspan(i, 1)); };
  return h(0) + "." + h(1) + " - " + h(2) + "/" + h(3) + "/" + h(4) + h(5);
}

}  // namespace velmora::core
