#include <array>
#include <string>

#include "link/ecu_frame.h"
#include "sim/commands.h"

namespace velmora::sim {
namespace {

constexpr std::size_t kBankSize = 552;
constexpr std::size_t kRowSize = 23;
constexpr std::size_t kCompanionSize = 16;
// Chunk data: address low, address high, count (then the bytes for a write).
constexpr std::size_t kChunkHeader = 3;

struct BankCommands {
  const char* region;
  std::uint8_t read;
  std::uint8_t write;
};

constexpr std::array<BankCommands, 3> kBanks = {{
    {region::kBank1, link::cmd::kReadBank1, link::cmd::kWriteBank1},
    {region::kBank2, link::cmd::kReadBank2, link::cmd::kWriteBank2},
    {region::kBank3, link::cmd::kReadBank3, link::cmd::kWriteBank3},
}};

struct Chunk {
  std::size_t address;
  std::size_t count;
};

// The chunk a request names, when it lies inside the bank.
std::optional<Chunk> ChunkOf(std::span<const std::uint8_t> data) {
  if (data.size() < kChunkHeader) {
    return std::nullopt;
  }
  const Chunk c{data[0] + static_cast<std::size_t>(data[1]) * 256, data[2]};
  if (c.count == 0 || c.address + c.count > kBankSize) {
    return std::nullopt;
  }
  return c;
}

Bytes InitialBank(std::size_t bank) {
  Bytes b(kBankSize);
  for (std::size_t i = 0; i < kBankSize; ++i) {
    const std::size_t row = i / kRowSize;
    const std::size_t col = i % kRowSize;
    switch (bank) {
      case 0:  // base map: grows with speed and injection time
        b[i] = static_cast<std::uint8_t>(90 + row + col);
        break;
      case 1:  // adaptive map: neutral
        b[i] = 0x80;
        break;
      default:  // second map
        b[i] = static_cast<std::uint8_t>(100 + row);
        break;
    }
  }
  return b;
}

}  // namespace

void RegisterBanks(CommandTable& table, EcuMemory& memory, const SimSetup& /*setup*/) {
  for (std::size_t i = 0; i < kBanks.size(); ++i) {
    const std::string name = kBanks[i].region;
    memory.Define(name, InitialBank(i));
    table.Add(kBanks[i].read, [name](const EcuRequest& r, EcuMemory& m) {
      const auto chunk = ChunkOf(r.data);
      if (!chunk || r.data.size() != kChunkHeader) {
        return Refused();
      }
      const auto bank = m.Region(name).subspan(chunk->address, chunk->count);
      return Ok(Bytes(bank.begin(), bank.end()));
    });
    table.Add(kBanks[i].write, [name](const EcuRequest& r, EcuMemory& m) {
      const auto chunk = ChunkOf(r.data);
      if (!chunk || r.data.size() != kChunkHeader + chunk->count) {
        return Refused();
      }
      const auto bytes = r.data.subspan(kChunkHeader);
      std::copy(bytes.begin(), bytes.end(), m.Region(name).begin() + chunk->address);
      return Written();
    });
  }

  Bytes companion(kCompanionSize);
  for (std::size_t i = 0; i < kCompanionSize; ++i) {
    companion[i] = static_cast<std::uint8_t>(1 + 3 * i);
  }
  // As the map pages leave it, and every map in its full grid view as a
  // stock ECU has them.
  companion[2] = 10;
  companion[3] = 17;
  companion[15] = 0;
  // The OBD adaptation's choices, as list positions: engine speed, vacuum
  // threshold, acquisition period; the target trim 0 %.
  companion[5] = 2;
  companion[11] = 3;
  companion[12] = 1;
  companion[13] = 0;
  memory.Define(region::kCompanion, companion);
  table.Add(link::cmd::kReadCompanion, [](const EcuRequest& r, EcuMemory& m) {
    if (!r.data.empty()) {
      return Refused();
    }
    const auto rec = m.Region(region::kCompanion);
    return Ok(Bytes(rec.begin(), rec.end()));
  });
  table.Add(link::cmd::kWriteCompanion, [](const EcuRequest& r, EcuMemory& m) {
    if (r.data.size() != kCompanionSize) {
      return Refused();
    }
    std::copy(r.data.begin(), r.data.end(), m.Region(region::kCompanion).begin());
    return Written();
  });
}

}  // namespace velmora::sim
