#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calib/calibration_file.h"
#include "calib/calibration_image.h"
#include "calib/calibration_sections.h"
#include "link/message_table.h"

namespace velmora::calib {

// How a part of a calibration is compared.
enum class UnitKind : std::uint8_t {
  kEntry,  // a message-table block, field by field
  kBytes,  // a record or an axis table, byte by byte
  kMap,    // a map image of five pages, cell by cell
};

// A part of the calibration the comparison shows and can copy: one block,
// one map, one axis table. Only what a calibration file carries to an ECU
// is compared (and the identification); the live record, the error memory
// and the tuning tables are the ECU's own.
struct CompareUnit {
  std::string_view title;  // "[BLK_3]", "map 0", "rpm axis"
  UnitKind kind;
  std::array<Section, sizes::kMapPages> sections;  // the first `count` are used
  std::size_t count = 1;
  int entry = -1;  // kEntry: the message-table entry
  int map = -1;    // kMap: 0 base, 1 adaptive, 2 second
};

[[nodiscard]] std::span<const CompareUnit> CompareUnits();

// Fields of written blocks the ECU changes on its own (running-time
// counters, live OBD values): neither compared nor copied.
[[nodiscard]] bool IsVolatileField(int entry, std::size_t field);

// One difference inside a unit: a field (index), a byte (index) or a map
// cell (row = injection-time index, column = rpm index).
struct Change {
  std::size_t index = 0;
  std::size_t column = 0;
  std::int32_t a = 0;
  std::int32_t b = 0;
  friend bool operator==(const Change&, const Change&) = default;
};

enum class Presence : std::uint8_t { kBoth, kOnlyA, kOnlyB };

// A unit whose two sides differ.
struct UnitDifference {
  std::size_t unit = 0;  // index in CompareUnits()
  Presence presence = Presence::kBoth;
  std::vector<Change> changes;
  // The blocks' data sizes, when they differ (fields beyond the shorter one
  // are not compared).
  std::size_t a_size = 0;
  std::size_t b_size = 0;
};

struct CalibrationDiff {
  std::vector<UnitDifference> units;  // in the order of CompareUnits()
  [[nodiscard]] bool Equal() const { return units.empty(); }
};

// The frames a save of the image would write: as FramesFromImage, with
// "[BLK_3]" normalised as a save from the ECU stores it.
[[nodiscard]] CalibrationFrames ImageFrames(const link::MessageTable& table,
                                            const CalibrationImage& image);

// A map of five page frames, 552 bytes; empty unless every page is there
// with the size it must have.
[[nodiscard]] Bytes JoinedMap(const CalibrationFrames& frames, const CompareUnit& unit);
// The data of every section of a bytes unit, joined; empty when one is
// missing.
[[nodiscard]] Bytes JoinedData(const CalibrationFrames& frames, const CompareUnit& unit);

// Compares side A with side B; `layouts` gives the blocks' field layouts.
[[nodiscard]] CalibrationDiff CompareCalibrations(const CalibrationFrames& a,
                                                  const CalibrationFrames& b,
                                                  const link::MessageTable& layouts);

// The fields of block `entry` its frame holds (the check byte is no
// field's), decoded with `layout`, without the volatile ones: what a copy
// of the block writes.
struct CopiedField {
  std::size_t field;
  std::int32_t value;
};
[[nodiscard]] std::vector<CopiedField> CopiedFields(const core::MessageEntry& layout, int entry,
                                                    const Bytes& frame);

// Puts the unit of `from` into the image as the image keeps it: a map into
// its map image, the record or an axis table into its bytes (the
// breakpoints follow the tables), a block as its entry's last answer,
// decoded. False, with nothing changed, when `from` lacks the unit or the
// unit is the identification, which belongs to the ECU.
[[nodiscard]] bool CopyUnitIntoImage(const CompareUnit& unit, const CalibrationFrames& from,
                                     link::MessageTable& table, CalibrationImage& image);

// The lines of one unit's difference: "[BLK_6]: only in A",
// "3.2 switch-over coolant temperature: 45 → 50", "[BLK_5] byte 3: 10 → 12",
// "map 0 row 2 col 6: 40 → 200", "[BLK_3] data bytes: 75 → 80".
[[nodiscard]] std::vector<std::string> DifferenceLines(const UnitDifference& difference);
// Every unit's lines, in order.
[[nodiscard]] std::vector<std::string> DifferenceLines(const CalibrationDiff& diff);

}  // namespace velmora::calib
