#include "sim/region_commands.h"

#include <algorithm>
#include <optional>
#include <span>
#include <utility>

namespace velmora::sim {
namespace {

// Request data before a piece's bytes: address low, address high, count.
constexpr std::size_t kPieceHeader = 3;

struct Piece {
  std::size_t address;
  std::size_t count;
};

// The piece of a region of `size` bytes a request names; nullopt when it is
// empty or reaches past the region.
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

void AddWholeRead(CommandTable& table, std::uint8_t command, std::string region) {
  table.Add(command, [name = std::move(region)](const EcuRequest& r, EcuMemory& m) {
    if (!r.data.empty()) {
      return Refused();
    }
    const auto bytes = m.Region(name);
    return Ok(Bytes(bytes.begin(), bytes.end()));
  });
}

void AddWholeWrite(CommandTable& table, std::uint8_t command, std::string region) {
  table.Add(command, [name = std::move(region)](const EcuRequest& r, EcuMemory& m) {
    const auto bytes = m.Region(name);
    if (r.data.size() != bytes.size()) {
      return Refused();
    }
    std::copy(r.data.begin(), r.data.end(), bytes.begin());
    return Written();
  });
}

void AddPieceRead(CommandTable& table, std::uint8_t command, std::string region) {
  table.Add(command, [name = std::move(region)](const EcuRequest& r, EcuMemory& m) {
    const auto bytes = m.Region(name);
    const auto piece = PieceOf(r.data, bytes.size());
    if (!piece || r.data.size() != kPieceHeader) {
      return Refused();
    }
    const auto wanted = bytes.subspan(piece->address, piece->count);
    return Ok(Bytes(wanted.begin(), wanted.end()));
  });
}

void AddPieceWrite(CommandTable& table, std::uint8_t command, std::string region) {
  table.Add(command, [name = std::move(region)](const EcuRequest& r, EcuMemory& m) {
    const auto bytes = m.Region(name);
    const auto piece = PieceOf(r.data, bytes.size());
    if (!piece || r.data.size() != kPieceHeader + piece->count) {
      return Refused();
    }
    const auto carried = r.data.subspan(kPieceHeader);
    std::copy(carried.begin(), carried.end(),
              bytes.begin() + static_cast<std::ptrdiff_t>(piece->address));
    return Written();
  });
}

}  // namespace velmora::sim
