#include <algorithm>
#include <array>
#include <string>

#include "link/ecu_frame.h"
#include "sim/commands.h"
#include "sim/region_commands.h"

namespace velmora::sim {
namespace {

// A header byte (the table format: 15 rows of 8 cells), then the cells.
constexpr std::uint8_t kTableFormat = 0x0F;
constexpr std::size_t kCells = 120;
constexpr std::size_t kHeader = 1;

struct TableCommands {
  const char* region;
  std::uint8_t read;
  std::uint8_t reset;
  bool reset_carries_cells;  // the result table is reset by sending its cells
};

constexpr std::array<TableCommands, 4> kTables = {{
    {region::kTBenz, link::cmd::kReadTBenz, link::cmd::kResetTBenz, false},
    {region::kTGas, link::cmd::kReadTGas, link::cmd::kResetTGas, false},
    {region::kTRisult, link::cmd::kReadTRisult, link::cmd::kResetTRisult, true},
    {region::kTIsto, link::cmd::kReadTIsto, link::cmd::kResetTIsto, false},
}};

Bytes InitialTable(std::size_t table) {
  Bytes t(kHeader + kCells);
  t[0] = kTableFormat;
  for (std::size_t i = 0; i < kCells; ++i) {
    // Small signed corrections for the result table, counts for the others.
    t[kHeader + i] = table == 2 ? static_cast<std::uint8_t>(static_cast<int>(i % 11) - 5)
                                : static_cast<std::uint8_t>((i * 7 + table) & 0x7F);
  }
  return t;
}

}  // namespace

void RegisterTuningTables(CommandTable& table, EcuMemory& memory, const SimSetup& /*setup*/) {
  for (std::size_t i = 0; i < kTables.size(); ++i) {
    const std::string name = kTables[i].region;
    memory.Define(name, InitialTable(i));
    AddWholeRead(table, kTables[i].read, name);
    const bool carries = kTables[i].reset_carries_cells;
    table.Add(kTables[i].reset, [name, carries](const EcuRequest& r, EcuMemory& m) {
      const auto cells = m.Region(name).subspan(kHeader);
      if (carries) {
        if (r.data.size() != kCells) {
          return Refused();
        }
        std::copy(r.data.begin(), r.data.end(), cells.begin());
      } else {
        if (!r.data.empty()) {
          return Refused();
        }
        std::fill(cells.begin(), cells.end(), 0);
      }
      return Written();
    });
  }
}

}  // namespace velmora::sim
