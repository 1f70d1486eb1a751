#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/bytes.h"
#include "maps/grid_model.h"
#include "maps/map_grid_ops.h"

namespace velmora::maps::carb {

// Shape of the simplified view: 12 x 12 principal cells standing for the
// even breakpoint indices 0, 2, ..., 22 of both axes, under one heading row
// and beside one heading column. The headings name the principal
// breakpoints, so the first row and the last column show breakpoints 1 and
// 23 although their cells stand for 0 and 22.
inline constexpr int kSide = principal::kCount;
inline constexpr int kGridSide = kSide + 1;
// What an emptied principal cell stands for.
inline constexpr int kEmptyCellValue = 128;

// The heading rasters.
inline constexpr double kTimeRasterMs = 0.125;
inline constexpr int kRpmRaster = 250;

// Shading of the data cells.
inline constexpr Rgb kFlatColour{160, 160, 250};
inline constexpr double kGradientSpan = 235.0;

// The map index a principal cell's row or column stands for: 2(i - 1).
[[nodiscard]] constexpr int PrincipalIndex(int grid_index) {
  return 2 * (grid_index - 1);
}

// A whole map as rows of injection time (0..22) by columns of rpm (0..23).
using MapMatrix = std::array<std::array<std::uint8_t, map_shape::kRpmCols>, map_shape::kTimeRows>;

// The map image as a matrix; cells beyond a short image read 0.
[[nodiscard]] MapMatrix MatrixOf(std::span<const std::uint8_t> map);
// The matrix as a 552-byte map image.
[[nodiscard]] Bytes MapOf(const MapMatrix& m);

// A fresh 13 x 13 grid with one fixed row and column.
[[nodiscard]] GridModel NewSmallGrid();

// Writes the 12 x 12 principal cells: text = map byte / factor (a factor
// below 1 counts as 1). Cells whose byte lies beyond a short image are
// emptied.
void CaricaMatriceInGriglia(GridModel& grid, std::span<const std::uint8_t> map, int factor);

// Expands the principal cells into the whole map: in-between cells take the
// midpoint of their two principal neighbours (round half to even), or the
// lower neighbour when the map is stepped; the last rpm column repeats the
// one before it; values are clamped to 0..255. An emptied cell stands for
// 128. False, with the map untouched, when a cell holds something that is
// not a number or the map is not a whole 552-byte image.
[[nodiscard]] bool CaricaGrigliaInMatrice(const GridModel& grid, Bytes& map, int factor,
                                          bool stepped);

// Makes a matrix stepped: every odd rpm column copies the column before it,
// then every odd injection-time row 1..21 copies the row above it.
void SpianaInterpolazionedellaMappa(MapMatrix& m);

// Fixed cells grey; data cells shaded from white (lowest) towards blue
// (highest) when `gradient` is on, else all one flat colour. Text black.
void ColoraMatriceGradiente2(GridModel& grid, bool gradient);

// Headings on the 250 rpm and 0.125 ms rasters. A breakpoint missing from a
// short vector leaves its heading empty.
void CaricaAssiInMatrice(GridModel& grid, std::span<const std::uint8_t> rpm_vector,
                         std::span<const std::uint8_t> time_vector);

// rpm headings as above; rows show the raw pressure byte when m and q are
// both 0, else round(byte / 51 * m + q).
void CaricaAssiInMatricePressione(GridModel& grid, std::span<const std::uint8_t> rpm_vector,
                                  std::span<const std::uint8_t> pressure_vector, PressureLine line);

}  // namespace velmora::maps::carb
