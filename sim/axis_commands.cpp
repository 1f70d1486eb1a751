#include <array>

#include "link/ecu_frame.h"
#include "sim/axis_tables.h"
#include "sim/commands.h"
#include "sim/region_commands.h"

namespace velmora::sim {
namespace {

constexpr std::array<RegionCommands, 2> kAxes = {{
    {region::kRpmTable, link::cmd::kReadSpeedAxis, link::cmd::kWriteSpeedAxis},
    {region::kTimeTable, link::cmd::kReadTimeAxis, link::cmd::kWriteTimeAxis},
}};

}  // namespace

void RegisterAxisTables(CommandTable& table, EcuMemory& memory, const SimSetup& /*setup*/) {
  memory.Define(region::kRpmTable, FactoryRpmTable());
  memory.Define(region::kTimeTable, FactoryTimeTable());
  for (const RegionCommands& a : kAxes) {
    AddPieceRead(table, a.read, a.region);
    // The ECU takes the table as it comes: the workstation builds it from
    // breakpoints it has already checked.
    AddPieceWrite(table, a.write, a.region);
  }
}

}  // namespace velmora::sim
