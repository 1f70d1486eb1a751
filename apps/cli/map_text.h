#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calib/axis_vectors.h"
#include "calib/calibration_image.h"
#include "core/bytes.h"
#include "link/message_table.h"

namespace velmora::cli {

// A map as the grid pages show it: injection-time rows by rpm columns; the
// byte of row r, column c sits at c x 23 + r.
namespace map_grid {
inline constexpr std::size_t kRows = calib::axis::kTimeBreakpoints;    // 23
inline constexpr std::size_t kColumns = calib::axis::kRpmBreakpoints;  // 24
inline constexpr std::size_t kPressureEntry = 18;                      // map 2's rows: fields 0..22
inline constexpr int kMaps = 3;
inline constexpr int kPressureMap = 2;
inline constexpr int kMaxValue = 255;
}  // namespace map_grid

[[nodiscard]] constexpr std::size_t CellOffset(std::size_t row, std::size_t column) {
  return column * map_grid::kRows + row;
}

// The grid of `map` (0, 1, 2) of the image with its headings: rpm over the
// columns, injection time in ms (map 2: the pressure bytes) before the rows;
// bare indexes where the image has no breakpoints. Empty when the image has
// no such map.
[[nodiscard]] std::string MapGridText(int map, const calib::CalibrationImage& image,
                                      const link::MessageTable& table);

// Both breakpoint vectors, as bytes and in rpm and ms.
[[nodiscard]] std::string AxesText(const calib::CalibrationImage& image);

// "b0,b1,..." of exactly `count` whole numbers 0..255.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> ParseByteList(const std::string& text,
                                                                     std::size_t count);

}  // namespace velmora::cli
