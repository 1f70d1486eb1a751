#pragma once

// Image files as the tests write them: S2 records with their byte count
// and checksum, an identification, and the shipped sector table.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "core/hex.h"
#include "firmware/flash_layout.h"

namespace velmora::firmware::test {

// An S2 line: count, address, data, checksum (ones' complement of the sum
// of count, address and data bytes); `bad_checksum` spoils the last.
inline std::string S2Line(std::uint32_t address, const Bytes& data, bool bad_checksum = false) {
  Bytes body{static_cast<std::uint8_t>(data.size() + 4), static_cast<std::uint8_t>(address >> 16),
             static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
  body.insert(body.end(), data.begin(), data.end());
  std::uint8_t sum = 0;
  for (const std::uint8_t b : body) {
    sum = static_cast<std::uint8_t>(sum + b);
  }
  const std::uint8_t checksum = static_cast<std::uint8_t>(~sum ^ (bad_checksum ? 0x5A : 0));
  body.push_back(checksum);
  return "S2" + core::BinToHex(body);
}

// The 38 identification bytes: version, date, text padded with blanks.
inline Bytes Identification(std::uint8_t major, std::uint8_t minor, std::uint8_t day,
                            std::uint8_t month, std::uint16_t year_bcd, std::string text) {
  Bytes id{major,
           minor,
           day,
           month,
           static_cast<std::uint8_t>(year_bcd >> 8),
           static_cast<std::uint8_t>(year_bcd)};
  text.resize(32, ' ');
  id.insert(id.end(), text.begin(), text.end());
  return id;
}

inline const std::string kNexText = "GASECU SEQ NEXHW 8CYL R03";

// Flash.ini lines: `count` sectors of `size` bytes from `start`.
inline std::vector<std::string> SectorLines(std::uint32_t start, std::uint32_t size, int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) {
    char line[32];
    std::snprintf(line, sizeof line, "H%08X - H%08X", static_cast<unsigned>(start + i * size),
                  static_cast<unsigned>(start + (i + 1) * size - 1));
    lines.emplace_back(line);
  }
  return lines;
}

// The shipped geometry: 14 sectors of 16 KB from 0xFC8000.
inline std::vector<std::string> ShippedSectors() {
  return SectorLines(0x00FC8000, 0x4000, 14);
}

// An image: [AdrFrmwarEcu] at 0xFFE000, `code` at `code_at`, the
// identification.
inline std::vector<std::string> ImageLines(const Bytes& code, std::uint32_t code_at,
                                           const Bytes& identification) {
  std::vector<std::string> lines = {"[AdrFrmwarEcu]", "00FFE000"};
  for (std::size_t i = 0; i < code.size(); i += 32) {
    const std::size_t n = std::min<std::size_t>(32, code.size() - i);
    lines.push_back(S2Line(static_cast<std::uint32_t>(code_at + i),
                           Bytes(code.begin() + static_cast<std::ptrdiff_t>(i),
                                 code.begin() + static_cast<std::ptrdiff_t>(i + n))));
  }
  lines.push_back(S2Line(0x00FFE000, identification));
  lines.push_back("S804000000FB");
  return lines;
}

}  // namespace velmora::firmware::test
