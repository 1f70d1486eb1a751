#include <array>

#include "link/ecu_frame.h"
#include "sim/commands.h"

namespace velmora::sim {
namespace {

constexpr std::size_t kBlock2Size = 20;
constexpr std::size_t kBlock3Size = 75;
// The cylinder count: data byte 1 of block 3, and the 16-bit word at data
// bytes 12..13 of the connection block, which must always agree.
constexpr std::size_t kBlock3Cylinders = 1;
constexpr std::size_t kConnectionCylinders = 12;

Bytes InitialBlock3(std::uint8_t cylinders) {
  Bytes b(kBlock3Size, 0);
  b[0] = 4;  // ignition coils
  b[kBlock3Cylinders] = cylinders;
  b[2] = 40;    // switch-over coolant temperature
  b[3] = 0xFF;  // switch-over speed period: not set
  b[4] = 0xFF;
  b[41] = 0xFF;  // factor-scaled switch-over period: not set
  b[42] = 0xFF;
  b[54] = 1;  // rpm signal factor, never 0
  return b;
}

Bytes InitialConnection(std::uint8_t cylinders) {
  // Eight little-endian words: installation data, cylinders, reserved.
  const std::array<std::uint16_t, 8> words = {666, 1280, 2322, 20, 281, 32774, cylinders, 4};
  Bytes b;
  for (const std::uint16_t w : words) {
    b.push_back(static_cast<std::uint8_t>(w & 0xFF));
    b.push_back(static_cast<std::uint8_t>(w >> 8));
  }
  return b;
}

void AddBlockRead(CommandTable& table, std::uint8_t command, const char* name) {
  table.Add(command, [name](const EcuRequest& r, EcuMemory& m) {
    if (!r.data.empty()) {
      return Refused();
    }
    const auto b = m.Region(name);
    return Ok(Bytes(b.begin(), b.end()));
  });
}

}  // namespace

void RegisterBlocks(CommandTable& table, EcuMemory& memory, const SimSetup& setup) {
  const std::uint8_t cylinders = ProfileOf(setup.hardware).cylinders;
  memory.Define(region::kBlock2, Bytes(kBlock2Size, 0));
  memory.Define(region::kBlock3, InitialBlock3(cylinders));
  memory.Define(region::kConnection, InitialConnection(cylinders));

  AddBlockRead(table, link::cmd::kReadBlock2, region::kBlock2);
  AddBlockRead(table, link::cmd::kReadBlock3, region::kBlock3);
  AddBlockRead(table, link::cmd::kReadConnection, region::kConnection);

  table.Add(link::cmd::kWriteBlock2, [](const EcuRequest& r, EcuMemory& m) {
    if (r.data.size() != kBlock2Size) {
      return Refused();
    }
    std::copy(r.data.begin(), r.data.end(), m.Region(region::kBlock2).begin());
    return Written();
  });
  table.Add(link::cmd::kWriteBlock3, [](const EcuRequest& r, EcuMemory& m) {
    if (r.data.size() != kBlock3Size) {
      return Refused();
    }
    std::copy(r.data.begin(), r.data.end(), m.Region(region::kBlock3).begin());
    const auto coll = m.Region(region::kConnection);
    coll[kConnectionCylinders] = r.data[kBlock3Cylinders];
    coll[kConnectionCylinders + 1] = 0;
    return Written();
  });
}

}  // namespace velmora::sim
