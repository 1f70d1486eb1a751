#include <array>
#include <string>

#include "link/ecu_frame.h"
#include "sim/commands.h"
#include "sim/region_commands.h"

namespace velmora::sim {
namespace {

constexpr std::size_t kBankSize = 552;
constexpr std::size_t kRowSize = 23;
constexpr std::size_t kCompanionSize = 16;

constexpr std::array<RegionCommands, 3> kBanks = {{
    {region::kBank1, link::cmd::kReadBank1, link::cmd::kWriteBank1},
    {region::kBank2, link::cmd::kReadBank2, link::cmd::kWriteBank2},
    {region::kBank3, link::cmd::kReadBank3, link::cmd::kWriteBank3},
}};

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
    memory.Define(kBanks[i].region, InitialBank(i));
    AddPieceRead(table, kBanks[i].read, kBanks[i].region);
    AddPieceWrite(table, kBanks[i].write, kBanks[i].region);
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
  // Gas management as fitted: petrol dead time 1.2 ms (x 1000 / 32), idle
  // and low-feeding speed 1500 rpm (/ 50), high feeding from 3000 to 5000
  // rpm (/ 100), petrol injection time 5 ms (x 1000 / 256), contribution
  // 1.0 ms (x 1000 / 32).
  companion[1] = 37;
  companion[6] = 30;
  companion[7] = 30;
  companion[8] = 30;
  companion[9] = 19;
  companion[10] = 31;
  companion[14] = 50;
  // The OBD adaptation's choices, as list positions: engine speed, vacuum
  // threshold, acquisition period; the target trim 0 %.
  companion[5] = 2;
  companion[11] = 3;
  companion[12] = 1;
  companion[13] = 0;
  memory.Define(region::kCompanion, companion);
  AddWholeRead(table, link::cmd::kReadCompanion, region::kCompanion);
  AddWholeWrite(table, link::cmd::kWriteCompanion, region::kCompanion);
}

}  // namespace velmora::sim
