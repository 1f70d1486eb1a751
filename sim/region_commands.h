#pragma once

#include <cstdint>
#include <string>

#include "sim/command_table.h"

namespace velmora::sim {

// The commands that move a memory region's bytes as they stand, which is
// what most of the ECU's records and tables are.

// A region with the commands that read and write it.
struct RegionCommands {
  const char* region;
  std::uint8_t read;
  std::uint8_t write;
};

// A read without data answers the whole region.
void AddWholeRead(CommandTable& table, std::uint8_t command, std::string region);
// A write of exactly the region's size replaces it.
void AddWholeWrite(CommandTable& table, std::uint8_t command, std::string region);

// A piece of the region named by the request: address low, address high,
// count, then (for a write) that many bytes. A piece that is empty or
// reaches past the region is refused.
void AddPieceRead(CommandTable& table, std::uint8_t command, std::string region);
void AddPieceWrite(CommandTable& table, std::uint8_t command, std::string region);

}  // namespace velmora::sim
