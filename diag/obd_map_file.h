#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "link/message_table.h"

namespace velmora::diag {

// The OBD correction map: 15 rows of engine speed by 8 columns of
// injection time, signed cells, held in the "[TRisult]" record.
namespace obd_map {
inline constexpr int kRows = 15;
inline constexpr int kCols = 8;
inline constexpr std::size_t kFirstCell = 6;  // of the record's frame
inline constexpr int kRowRpm = 500;           // each row spans 500 rpm
inline constexpr int kColMs = 2;              // each column 2 ms
inline constexpr std::string_view kSection = "[TRisult]";
inline constexpr std::string_view kExtension = "tun";
}  // namespace obd_map

using ObdMapCells = std::array<std::array<int, obd_map::kCols>, obd_map::kRows>;

// The cells of the record's frame; cells the frame does not reach are 0.
[[nodiscard]] ObdMapCells MapCells(const Bytes& frame);

// A map file: the "[INFO]" line and the "[TRisult]" record as the
// calibration files hold it, so that the tuning-result import reads it.
[[nodiscard]] std::string MapFileText(const Bytes& frame, std::string_view info);
// Written to a temporary name and renamed; false when the frame is not a
// whole record or the file could not be written.
[[nodiscard]] bool SaveMapFile(const std::string& path, const Bytes& frame, std::string_view info);

// The cell the engine runs in now: the row of its speed, the column of its
// mean petrol injection time; nullopt before the live record was read.
struct MapCell {
  int row = 0;
  int col = 0;
  friend bool operator==(const MapCell&, const MapCell&) = default;
};
[[nodiscard]] std::optional<MapCell> CurrentCell(const link::MessageTable& table);

}  // namespace velmora::diag
