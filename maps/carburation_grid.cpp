#include "maps/carburation_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "core/text.h"

namespace velmora::maps::carb {

namespace {

// A cell's number never carries more decimals than this.
constexpr int kTextDecimals = 4;
// A text read back and multiplied by its factor may miss the whole number
// it was written from by the rounding of its last decimal (times the
// factor); the integer part must not.
constexpr double kFloorSlack = 1e-4;
// Working values stay far inside int64 whatever a cell holds.
constexpr double kWorkLimit = 1e9;

std::string FormatNumber(double v, int decimals) {
  if (!std::isfinite(v)) {
    return {};
  }
  // What would print as "-0" prints as "0".
  if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals)) {
    v = 0;
  }
  char buf[64];
  const int n = std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  if (n <= 0 || n >= static_cast<int>(sizeof buf)) {
    return {};
  }
  std::size_t len = static_cast<std::size_t>(n);
  if (std::string_view(buf, len).find('.') != std::string_view::npos) {
    while (len > 0 && buf[len - 1] == '0') {
      --len;
    }
    if (len > 0 && buf[len - 1] == '.') {
      --len;
    }
  }
  return std::string(buf, len);
}

std::optional<double> StrictNumber(const std::string& text) {
  std::optional<double> v = core::ParseDecimal(text, ',');
  if (!v || !std::isfinite(*v)) {
    return std::nullopt;
  }
  return v;
}

std::uint8_t ClampByte(std::int64_t v) {
  return static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 0, 255));
}

// One line of the working matrix: fills each unset place from the set
// places either side of it (the lower one alone when stepped, or when there
// is nothing beyond it).
void FillLine(std::array<std::optional<std::int64_t>*, map_shape::kRpmCols>& line, int count,
              bool stepped) {
  for (int j = 0; j < count; ++j) {
    if (line[static_cast<std::size_t>(j)]->has_value()) {
      continue;
    }
    int lo = j - 1;
    while (lo >= 0 && !line[static_cast<std::size_t>(lo)]->has_value()) {
      --lo;
    }
    int hi = j + 1;
    while (hi < count && !line[static_cast<std::size_t>(hi)]->has_value()) {
      ++hi;
    }
    const bool has_lo = lo >= 0;
    const bool has_hi = hi < count;
    if (!has_lo && !has_hi) {
      continue;
    }
    if (!has_lo) {
      *line[static_cast<std::size_t>(j)] = **line[static_cast<std::size_t>(hi)];
      continue;
    }
    const std::int64_t a = **line[static_cast<std::size_t>(lo)];
    if (stepped || !has_hi) {
      *line[static_cast<std::size_t>(j)] = a;
      continue;
    }
    const std::int64_t b = **line[static_cast<std::size_t>(hi)];
    const double step = static_cast<double>(b - a) / static_cast<double>(hi - lo);
    *line[static_cast<std::size_t>(j)] = a + core::RoundHalfEven(step * (j - lo));
  }
}

std::string TimeHeading(std::uint8_t byte) {
  const double ms = static_cast<double>(byte) * heading::kTimeUsPerByte / heading::kUsPerMs;
  const double raster =
      static_cast<double>(core::RoundHalfEven(ms / kTimeRasterMs)) * kTimeRasterMs;
  return FormatNumber(raster, 3);
}

std::string RpmHeading(std::uint8_t byte) {
  const double rpm = static_cast<double>(byte) * heading::kRpmPerByte;
  return std::to_string(core::RoundHalfEven(rpm / kRpmRaster) * kRpmRaster);
}

void RpmHeadings(GridModel& grid, std::span<const std::uint8_t> rpm_vector) {
  for (int c = 1; c <= kSide; ++c) {
    const auto i = static_cast<std::size_t>(principal::kRpm[static_cast<std::size_t>(c - 1)]);
    grid.SetText(0, c, i < rpm_vector.size() ? RpmHeading(rpm_vector[i]) : std::string());
  }
}

}  // namespace

MapMatrix MatrixOf(std::span<const std::uint8_t> map) {
  MapMatrix m{};
  for (int r = 0; r < map_shape::kTimeRows; ++r) {
    for (int c = 0; c < map_shape::kRpmCols; ++c) {
      const auto off = static_cast<std::size_t>(MapOffset(r, c));
      m[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
          off < map.size() ? map[off] : std::uint8_t{0};
    }
  }
  return m;
}

Bytes MapOf(const MapMatrix& m) {
  Bytes map(static_cast<std::size_t>(map_shape::kCells));
  for (int r = 0; r < map_shape::kTimeRows; ++r) {
    for (int c = 0; c < map_shape::kRpmCols; ++c) {
      map[static_cast<std::size_t>(MapOffset(r, c))] =
          m[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
    }
  }
  return map;
}

GridModel NewSmallGrid() {
  return GridModel(kGridSide, kGridSide, 1, 1);
}

void CaricaMatriceInGriglia(GridModel& grid, std::span<const std::uint8_t> map, int factor) {
  const int f = std::max(factor, 1);
  for (int r = 1; r <= kSide; ++r) {
    for (int c = 1; c <= kSide; ++c) {
      const auto off = static_cast<std::size_t>(MapOffset(PrincipalIndex(r), PrincipalIndex(c)));
      grid.SetText(r, c,
                   off < map.size() ? FormatNumber(static_cast<double>(map[off]) / f, kTextDecimals)
                                    : std::string());
    }
  }
}

bool CaricaGrigliaInMatrice(const GridModel& grid, Bytes& map, int factor, bool stepped) {
  if (map.size() != static_cast<std::size_t>(map_shape::kCells) || grid.Rows() < kGridSide ||
      grid.Cols() < kGridSide) {
    return false;
  }
  const int f = std::max(factor, 1);
  using Cell = std::optional<std::int64_t>;
  std::array<std::array<Cell, map_shape::kRpmCols>, map_shape::kTimeRows> work{};

  for (int r = 1; r <= kSide; ++r) {
    for (int c = 1; c <= kSide; ++c) {
      const std::string& text = grid.Text(r, c);
      std::int64_t v = kEmptyCellValue;
      if (!core::Trim(text).empty()) {
        const std::optional<double> n = StrictNumber(text);
        if (!n) {
          return false;
        }
        v = static_cast<std::int64_t>(
            std::floor(std::clamp(*n * f, -kWorkLimit, kWorkLimit) + kFloorSlack * f));
      }
      work[static_cast<std::size_t>(PrincipalIndex(r))]
          [static_cast<std::size_t>(PrincipalIndex(c))] = v;
    }
  }

  // Down the principal rpm columns first, so the rpm direction then finds
  // every row of those columns set.
  for (int c = 0; c < map_shape::kRpmCols - 1; c += 2) {
    std::array<Cell*, map_shape::kRpmCols> line{};
    for (int r = 0; r < map_shape::kTimeRows; ++r) {
      line[static_cast<std::size_t>(r)] =
          &work[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
    }
    FillLine(line, map_shape::kTimeRows, stepped);
  }
  for (int r = 0; r < map_shape::kTimeRows; ++r) {
    std::array<Cell*, map_shape::kRpmCols> line{};
    for (int c = 0; c < map_shape::kRpmCols - 1; ++c) {
      line[static_cast<std::size_t>(c)] =
          &work[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
    }
    FillLine(line, map_shape::kRpmCols - 1, stepped);
    auto& row = work[static_cast<std::size_t>(r)];
    row[map_shape::kRpmCols - 1] = row[map_shape::kRpmCols - 2];
  }

  MapMatrix out{};
  for (int r = 0; r < map_shape::kTimeRows; ++r) {
    for (int c = 0; c < map_shape::kRpmCols; ++c) {
      const Cell& cell = work[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
      out[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = ClampByte(cell.value_or(0));
    }
  }
  map = MapOf(out);
  return true;
}

void SpianaInterpolazionedellaMappa(MapMatrix& m) {
  for (auto& row : m) {
    for (std::size_t c = 0; c + 1 < row.size(); c += 2) {
      row[c + 1] = row[c];
    }
  }
  for (std::size_t r = 0; r + 2 < m.size(); r += 2) {
    m[r + 1] = m[r];
  }
}

void ColoraMatriceGradiente2(GridModel& grid, bool gradient) {
  const bool redraw = grid.Redraw();
  grid.SetRedraw(false);

  double max = 0;
  double min = 255;
  for (int r = grid.FixedRows(); r < grid.Rows(); ++r) {
    for (int c = grid.FixedCols(); c < grid.Cols(); ++c) {
      if (const std::optional<double> v = StrictNumber(grid.Text(r, c))) {
        max = std::max(max, *v);
        min = std::min(min, *v);
      }
    }
  }
  if (max <= min) {
    max = min + 1;
  }

  for (int r = 0; r < grid.Rows(); ++r) {
    for (int c = 0; c < grid.Cols(); ++c) {
      grid.SetFore(r, c, colour::kBlack);
      if (grid.IsFixed(r, c)) {
        grid.SetBack(r, c, colour::kGrey);
        continue;
      }
      if (!gradient) {
        grid.SetBack(r, c, kFlatColour);
        continue;
      }
      // A cell without a number is shaded as the lowest.
      const double v = StrictNumber(grid.Text(r, c)).value_or(min);
      const double t = std::clamp((v - min) / (max - min) * kGradientSpan, 0.0, kGradientSpan);
      const auto level = static_cast<std::uint8_t>(255 - static_cast<int>(t));
      grid.SetBack(r, c, Rgb{level, level, 255});
    }
  }
  grid.SetRedraw(redraw);
}

void CaricaAssiInMatrice(GridModel& grid, std::span<const std::uint8_t> rpm_vector,
                         std::span<const std::uint8_t> time_vector) {
  RpmHeadings(grid, rpm_vector);
  for (int r = 1; r <= kSide; ++r) {
    const auto i = static_cast<std::size_t>(principal::kTime[static_cast<std::size_t>(r - 1)]);
    grid.SetText(r, 0, i < time_vector.size() ? TimeHeading(time_vector[i]) : std::string());
  }
}

void CaricaAssiInMatricePressione(GridModel& grid, std::span<const std::uint8_t> rpm_vector,
                                  std::span<const std::uint8_t> pressure_vector,
                                  PressureLine line) {
  RpmHeadings(grid, rpm_vector);
  const bool raw = line.m == 0 && line.q == 0;
  for (int r = 1; r <= kSide; ++r) {
    const auto i = static_cast<std::size_t>(principal::kTime[static_cast<std::size_t>(r - 1)]);
    std::string text;
    if (i < pressure_vector.size()) {
      const double byte = pressure_vector[i];
      if (raw) {
        text = std::to_string(pressure_vector[i]);
      } else {
        const double v = std::clamp(byte / heading::kPressureSensorDiv * line.m + line.q,
                                    -kWorkLimit, kWorkLimit);
        text = std::to_string(core::RoundHalfEven(v));
      }
    }
    grid.SetText(r, 0, std::move(text));
  }
}

}  // namespace velmora::maps::carb
