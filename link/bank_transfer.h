#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/bytes.h"
#include "link/ecu_access.h"
#include "link/ecu_frame.h"

namespace velmora::link {

// A memory bank: one 24 x 23 map, row after row.
inline constexpr std::size_t kBankSize = 552;
// Bank 1's companion record.
inline constexpr std::size_t kCompanionSize = 16;

struct BankChunk {
  std::uint16_t address;
  std::uint8_t count;
};
// Banks move in five chunks, each one calibration section.
inline constexpr std::array<BankChunk, 5> kBankChunks{
    {{0, 110}, {110, 110}, {220, 110}, {330, 110}, {440, 112}}};

struct BankCommands {
  std::uint8_t read;
  std::uint8_t write;
};
namespace bank {
inline constexpr BankCommands kBase{cmd::kReadBank1, cmd::kWriteBank1};
inline constexpr BankCommands kAdaptive{cmd::kReadBank2, cmd::kWriteBank2};
inline constexpr BankCommands kSecond{cmd::kReadBank3, cmd::kWriteBank3};
}  // namespace bank

// A bank as read from or written to the ECU. `companion` is used by bank 1
// only and stays empty for the others.
struct BankImage {
  Bytes map;
  Bytes companion;
};

// The frame data of a chunk transfer: address low, address high, count.
[[nodiscard]] std::array<std::uint8_t, 3> ChunkAddress(const BankChunk& chunk);

// Reads a whole bank (and bank 1's companion record) under the link
// parameter wrap. On failure `out` is left as it was and the parameter stays
// at the long-operation value.
[[nodiscard]] int LeggiBanco(EcuAccess& ecu, std::uint8_t read_command, BankImage* out);

// Writes the chunks (and bank 1's companion record) that differ from the ECU
// copy, or all of them when forced, then reads the bank back into
// `read_back`. A bank of the wrong size, or a bank-1 companion that is not
// 16 bytes, is refused with kInvalidRequest before anything is sent. An ECU
// copy of the wrong size counts as different everywhere.
[[nodiscard]] int ScriviBanco(EcuAccess& ecu, std::uint8_t write_command, std::uint8_t read_command,
                              const BankImage& wanted, const BankImage& ecu_copy, bool force,
                              BankImage* read_back);

}  // namespace velmora::link
