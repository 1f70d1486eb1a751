#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "calib/coefficient_file.h"
#include "core/bytes.h"
#include "maps/grid_model.h"

namespace velmora::maps {

// The shape of an injection map and of the grid that shows it whole.
namespace map_shape {
inline constexpr int kTimeRows = 23;  // injection-time (or pressure) breakpoints
inline constexpr int kRpmCols = 24;   // rpm breakpoints
inline constexpr int kCells = kTimeRows * kRpmCols;
inline constexpr int kGridRows = kTimeRows + 1;  // one heading row
inline constexpr int kGridCols = kRpmCols + 1;   // one heading column
inline constexpr int kMaxTimeIndex = kTimeRows - 1;
inline constexpr int kMaxRpmIndex = kRpmCols - 1;
inline constexpr int kMaxByte = 255;
inline constexpr std::string_view kFont = "Arial Narrow";
}  // namespace map_shape

// The twelve principal breakpoints of each axis: the cells the carburation
// page shows and the breakpoints the axis editor offers in its boxes.
namespace principal {
inline constexpr int kCount = 12;
inline constexpr std::array<int, kCount> kTime = {1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22};
inline constexpr std::array<int, kCount> kRpm = {1, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 23};
}  // namespace principal

// The operations ModificaValoriGrigliaLibera applies to the selection.
namespace edit_mode {
inline constexpr int kNone = 0;
inline constexpr int kAdd = 1;
inline constexpr int kPercent = 2;
inline constexpr int kSet = 3;
}  // namespace edit_mode

// The value shading of the map grid.
namespace shading {
inline constexpr double kMinStart = 5;  // the scan's minimum starts here
inline constexpr double kMaxStart = 0;
inline constexpr double kSpan = 150;  // white at the minimum, RGB(105,105,255) at the maximum
}  // namespace shading

// The headings' scales.
namespace heading {
inline constexpr int kRpmPerByte = 64;
inline constexpr int kRpmShownPer = 10;  // headings in tens of rpm
inline constexpr int kTimeUsPerByte = 128;
inline constexpr double kUsPerMs = 1000;
inline constexpr double kPressureSensorDiv = 51;
}  // namespace heading

// Byte offset of map cell (injection-time index r, rpm index c).
[[nodiscard]] constexpr int MapOffset(int time_index, int rpm_index) {
  return rpm_index * map_shape::kTimeRows + time_index;
}

// A cell's number as the grid reads it: the leading number of the text
// (sign, digits, one "."), so "" and "abc" are 0 and "12abc" is 12.
[[nodiscard]] double CellNumber(std::string_view text);

// A number as a cell shows it: whole numbers without decimals, others with
// up to seven significant digits.
[[nodiscard]] std::string FormatCell(double value);

// Map bytes into the data cells: row r+1, column c+1 shows byte c*23+r.
// Factor 1 or more: the whole part of byte x factor; below 1: byte x factor
// on two decimals. Bytes the map does not have show empty.
void CaricaMatriceInGriglia(GridModel& grid, std::span<const std::uint8_t> map, float factor);

// The data cells back into the map: empty text 0, else floor(value /
// factor) clamped to 0..255. A map of any other size is made 552 bytes
// first; a factor that is not a positive number counts as 1.
void CaricaGrigliaInMatrice(const GridModel& grid, Bytes& map, float factor);

// One operation (edit_mode::) on every cell of the grid's selection, rows outer,
// columns inner. Non-numeric cells count as 0. Nothing is clamped here.
void ModificaValoriGrigliaLibera(GridModel& grid, int mode, float value, int factor);

// The selection as the clipboard gets it: a TAB and the column headings,
// CR LF, then each row's heading and cells, TAB separated; rows end with
// CR LF except the last, whose last cell is followed by a TAB.
[[nodiscard]] std::string CopySelection(const GridModel& grid);

// Pastes TAB-separated lines (CR LF, or LF alone) from the current cell on.
// Numeric items land as their whole part clamped to 0..255; empty and
// non-numeric items, and items beyond the grid, change nothing. Returns the
// number of cells written.
int PasteText(GridModel& grid, std::string_view text);

// Headings in the system's button colours, data cells white on black; the
// current cell goes to the first data cell.
void ColoraMatriceVuota(GridModel& grid);

// Headings grey, data cells from white (minimum) to blue-violet (maximum).
// The selection and the redraw switch are as they were afterwards.
void ColoraMatriceGradiente(GridModel& grid);

// The shading of one value between min and max (max > min).
[[nodiscard]] Rgb GradientColour(double value, double min, double max);

// The pressure sensor line: display = byte / 51 x m + q.
struct PressureLine {
  double m = 0;
  double q = 0;
  friend bool operator==(const PressureLine&, const PressureLine&) = default;
};

// The line of the coefficient record whose id is `system_id`: pair 0, m and
// q divided by the record's division factor (a factor of 0 counts as 1).
// No list or no such record: m = q = 0, raw bytes are shown.
[[nodiscard]] PressureLine PressureLineFor(const calib::CoefficientList* list,
                                           std::int32_t system_id);

// Column c (1..24) = rpm byte x 64 / 10, rounded (tens of rpm); row r
// (1..23) = injection-time byte x 128 / 1000 on one decimal (ms). Headings
// the vectors do not have stay empty.
void CaricaAssiInMatrice(GridModel& grid, std::span<const std::uint8_t> rpm,
                         std::span<const std::uint8_t> time);

// The same rpm headings; rows show the raw pressure byte when m = q = 0,
// else round(byte / 51 x m + q).
void CaricaAssiInMatricePressione(GridModel& grid, std::span<const std::uint8_t> rpm,
                                  std::span<const std::uint8_t> pressure, PressureLine line);

// The heat map beside the grid: a colour ramp from blue (low) through
// green and yellow to red (high), t in 0..1 (clamped).
[[nodiscard]] Rgb HeatColour(double t);

struct PixelRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Where map cell (time index, rpm index) lies on a heat map of width x
// height pixels: rpm left to right, injection time top to bottom, the
// cells tiling the area without gaps. Empty for indexes outside the map.
[[nodiscard]] PixelRect HeatCellRect(int width, int height, int time_index, int rpm_index);

}  // namespace velmora::maps
