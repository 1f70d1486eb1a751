#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "calib/calibration_sections.h"
#include "core/bytes.h"
#include "link/tuning_tables.h"

namespace velmora::calib {

// What the connected ECU carries beyond the common blocks.
struct CapabilityFlags {
  bool adaptive_maps = false;     // the adaptive and second map banks
  bool direct_injection = false;  // the "[BLK_DINST]" block
  bool obd_errors = false;        // the "[OBD_ERR]" and "[OBD_INFO_ERR]" blocks
  friend bool operator==(const CapabilityFlags&, const CapabilityFlags&) = default;
};

// By hardware generation (link/ecu_identity.h): the newest has all three, the
// one before it the adaptive maps and the OBD error blocks, older ones none.
[[nodiscard]] CapabilityFlags FlagsForGeneration(int generation);

// A tuning table by its place in the file (0 "[TBenz]", 1 "[TGas]",
// 2 "[TRisult]", 3 "[TIsto]"); part 0 for anything else.
[[nodiscard]] Bytes& TuningFrame(link::TuningTables& tables, int part);
[[nodiscard]] const Bytes& TuningFrame(const link::TuningTables& tables, int part);

// The part of the calibration image that is not a message-table entry.
//
// The blocks that belong to message-table entries (identification, "[COLL]",
// "[BLK_1]" ... "[OBD_INFO_ERR]") are not copied here: their stored frames
// are the entries' last answers in link::MessageTable, and their decoded
// values the entries' values, so the pages and the file always see one
// copy. This struct holds the rest. An empty member means "not known yet"
// and is written to a file as an empty section line.
struct CalibrationImage {
  Bytes base_map;             // 552 bytes, 24 groups of 23 cells
  Bytes adaptive_map;         // 552 bytes
  Bytes second_map;           // 552 bytes
  Bytes companion;            // the 16-byte "[BLK_5]" record
  Bytes rpm_axis;             // 128 bytes
  Bytes time_axis;            // 180 bytes
  link::TuningTables tuning;  // whole answer frames, as read
  int generation = 0;
  CapabilityFlags flags;
  std::string note;  // lines separated by CR LF

  // What the map pages keep beside the maps, never in a file: per map (0
  // base, 1 adaptive, 2 second) its one-level undo buffer and whether one
  // was saved; map 0 also keeps bytes 0..3 of "[BLK_5]" with its undo.
  std::array<Bytes, 3> undo_maps;
  std::array<std::uint8_t, 3> undo_available{};
  Bytes companion_undo;  // 16 bytes once map 0's undo was saved

  // The breakpoints the lookup tables stand for (rpm 24 bytes x 64 rpm,
  // injection time 23 bytes x 128 us); empty until tables that convert were
  // read or opened.
  Bytes rpm_vector;
  Bytes time_vector;

  // Sets the generation and the flags that follow from it.
  void SetGeneration(int g);

  // The map image a map section belongs to; nullptr for other holders.
  [[nodiscard]] Bytes* MapOf(Holder holder);
  [[nodiscard]] const Bytes* MapOf(Holder holder) const;
  // A map by the pages' index (0 base, 1 adaptive, 2 second); the base map
  // for any other index.
  [[nodiscard]] Bytes& Map(int index);
  [[nodiscard]] const Bytes& Map(int index) const;
};

}  // namespace velmora::calib
