#include <array>
#include <optional>
#include <string>

#include "link/ecu_frame.h"
#include "sim/axis_tables.h"
#include "sim/commands.h"

namespace velmora::sim {
namespace {

// Request data: address low, address high, count (then the bytes for a write).
constexpr std::size_t kPieceHeader = 3;

struct AxisCommands {
  const char* region;
  std::uint8_t read;
  std::uint8_t write;
};

constexpr std::array<AxisCommands, 2> kAxes = {{
    {region::kRpmTable, link::cmd::kReadSpeedAxis, link::cmd::kWriteSpeedAxis},
    {region::kTimeTable, link::cmd::kReadTimeAxis, link::cmd::kWriteTimeAxis},
}};

struct Piece {
  std::size_t address;
  std::size_t count;
};

// The piece of a table of `size` bytes a request names; nullopt when it is
// empty or reaches past the table.
std::optional<Piece> PieceOf(std::span<const std::uint8_t> data, std::size_t size) {
  if (data.size() < kPieceHeader) {
    return std::nullopt;
  }
  const Piece p{data[0] + static_cast<std::size_t>(data[1]) * 256, data[2]};
  if (p.count == 0 || p.address >= size || p.count > size - p.address) {
    return std::nullopt;
  }
  return p;
}

}  // namespace

void RegisterAxisTables(CommandTable& table, EcuMemory& memory, const SimSetup& /*setup*/) {
  memory.Define(region::kRpmTable, FactoryRpmTable());
  memory.Define(region::kTimeTable, FactoryTimeTable());
  for (const AxisCommands& a : kAxes) {
    const std::string name = a.region;
    table.Add(a.read, [name](const EcuRequest& r, EcuMemory& m) {
      const auto t = m.Region(name);
      const auto piece = PieceOf(r.data, t.size());
      if (!piece || r.data.size() != kPieceHeader) {
        return Refused();
      }
      const auto bytes = t.subspan(piece->address, piece->count);
      return Ok(Bytes(bytes.begin(), bytes.end()));
    });
    // The ECU takes the table as it comes: the workstation builds it from
    // breakpoints it has already checked.
    table.Add(a.write, [name](const EcuRequest& r, EcuMemory& m) {
      const auto t = m.Region(name);
      const auto piece = PieceOf(r.data, t.size());
      if (!piece || r.data.size() != kPieceHeader + piece->count) {
        return Refused();
      }
      const auto bytes = r.data.subspan(kPieceHeader);
      std::copy(bytes.begin(), bytes.end(), t.begin() + piece->address);
      return Written();
    });
  }
}

}  // namespace velmora::sim
