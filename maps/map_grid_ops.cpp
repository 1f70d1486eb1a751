#include "maps/map_grid_ops.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/text.h"

namespace velmora::maps {

namespace {

constexpr std::string_view kTab = "\t";
constexpr std::string_view kCrLf = "\r\n";

std::uint8_t ClampByte(double v) {
  if (!(v > 0)) {  // also NaN
    return 0;
  }
  return v >= map_shape::kMaxByte ? static_cast<std::uint8_t>(map_shape::kMaxByte)
                                  : static_cast<std::uint8_t>(v);
}

std::uint8_t ClampColour(double v) {
  const std::int64_t r = core::RoundHalfEven(std::clamp(v, 0.0, 255.0));
  return static_cast<std::uint8_t>(r);
}

// Lines at LF with a trailing CR dropped, so both CR LF and LF texts paste.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  while (true) {
    const std::size_t lf = text.find('\n', start);
    std::string_view line =
        text.substr(start, lf == std::string_view::npos ? std::string_view::npos : lf - start);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    out.push_back(line);
    if (lf == std::string_view::npos) {
      break;
    }
    start = lf + 1;
  }
  return out;
}

}  // namespace

double CellNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
    ++i;
  }
  std::string norm;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    norm.push_back(text[i]);
    ++i;
  }
  bool digits = false;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      digits = true;
      norm.push_back(c);
    } else if (c == '.' && !point) {
      point = true;
      norm.push_back(c);
    } else {
      break;
    }
  }
  if (!digits) {
    return 0;
  }
  const double v = core::PlainDecimal(norm).value_or(0);
  return std::isfinite(v) ? v : 0;
}

std::string FormatCell(double value) {
  constexpr int kCellDigits = 7;
  return core::FormatNumber(value, kCellDigits);
}

void CaricaMatriceInGriglia(GridModel& grid, std::span<const std::uint8_t> map, float factor) {
  for (int c = 0; c < map_shape::kRpmCols; ++c) {
    for (int r = 0; r < map_shape::kTimeRows; ++r) {
      const auto offset = static_cast<std::size_t>(MapOffset(r, c));
      std::string text;
      if (offset < map.size()) {
        const double v = static_cast<double>(map[offset]) * static_cast<double>(factor);
        if (factor >= 1) {
          text = FormatCell(std::floor(v));
        } else {
          char buf[32];
          std::snprintf(buf, sizeof buf, "%.2f",
                        static_cast<double>(core::RoundHalfEven(v * 100)) / 100);
          text = std::string(core::Trim(buf));
        }
      }
      grid.SetText(r + 1, c + 1, std::move(text));
    }
  }
}

void CaricaGrigliaInMatrice(const GridModel& grid, Bytes& map, float factor) {
  const double f = (std::isfinite(factor) && factor > 0) ? static_cast<double>(factor) : 1.0;
  if (map.size() != static_cast<std::size_t>(map_shape::kCells)) {
    map.resize(static_cast<std::size_t>(map_shape::kCells), 0);
  }
  for (int c = 0; c < map_shape::kRpmCols; ++c) {
    for (int r = 0; r < map_shape::kTimeRows; ++r) {
      const std::string& text = grid.Text(r + 1, c + 1);
      const double v = text.empty() ? 0 : std::floor(CellNumber(text) / f);
      map[static_cast<std::size_t>(MapOffset(r, c))] = ClampByte(v);
    }
  }
}

void ModificaValoriGrigliaLibera(GridModel& grid, int mode, float value, int factor) {
  if (mode == edit_mode::kNone) {
    return;
  }
  const double f = factor > 0 ? factor : 1;
  const double val = static_cast<double>(value);
  const CellRect sel = grid.Selection();
  for (int row = sel.top; row <= sel.bottom; ++row) {
    for (int col = sel.left; col <= sel.right; ++col) {
      const double cell = CellNumber(grid.Text(row, col));
      double next = cell;
      switch (mode) {
        case edit_mode::kAdd:
          next = cell + val;
          break;
        case edit_mode::kSet:
          next = val;
          break;
        case edit_mode::kPercent: {
          const double old = std::floor(cell);
          const double raw = static_cast<double>(core::RoundHalfEven(cell * f * (1 + val / 100)));
          next = raw / f;
          if (next == old) {
            next = old + (val >= 0 ? 1 : -1);
          }
          break;
        }
        default:
          return;
      }
      grid.SetText(row, col, FormatCell(next));
    }
  }
}

std::string CopySelection(const GridModel& grid) {
  const CellRect sel = grid.Selection();
  std::string out(kTab);
  for (int col = sel.left; col <= sel.right; ++col) {
    out += grid.Text(0, col);
    if (col < sel.right) {
      out += kTab;
    }
  }
  out += kCrLf;
  for (int row = sel.top; row <= sel.bottom; ++row) {
    out += grid.Text(row, 0);
    out += kTab;
    for (int col = sel.left; col <= sel.right; ++col) {
      out += grid.Text(row, col);
      if (col < sel.right) {
        out += kTab;
      }
    }
    out += row < sel.bottom ? kCrLf : kTab;
  }
  return out;
}

int PasteText(GridModel& grid, std::string_view text) {
  const CellPos origin = grid.Current();
  int written = 0;
  const auto lines = Lines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto items = core::Split(lines[i], '\t');
    for (std::size_t j = 0; j < items.size(); ++j) {
      const long long row = origin.row + static_cast<long long>(i);
      const long long col = origin.col + static_cast<long long>(j);
      if (row >= grid.Rows() || col >= grid.Cols()) {
        continue;
      }
      const auto number = core::ParseDecimal(items[j], ',');
      if (!number) {
        continue;
      }
      grid.SetText(static_cast<int>(row), static_cast<int>(col),
                   std::to_string(ClampByte(std::floor(*number))));
      ++written;
    }
  }
  return written;
}

void ColoraMatriceVuota(GridModel& grid) {
  for (int row = 0; row < grid.Rows(); ++row) {
    for (int col = 0; col < grid.Cols(); ++col) {
      const bool fixed = grid.IsFixed(row, col);
      grid.SetBack(row, col, fixed ? colour::kButtonFace : colour::kWhite);
      grid.SetFore(row, col, fixed ? colour::kButtonText : colour::kBlack);
    }
  }
  grid.SetCurrent({grid.FixedRows(), grid.FixedCols()});
}

Rgb GradientColour(double value, double min, double max) {
  const double t = (value - min) / (max - min) * shading::kSpan;
  const std::uint8_t rg = ClampColour(255 - t);
  return {rg, rg, 255};
}

void ColoraMatriceGradiente(GridModel& grid) {
  const CellPos current = grid.Current();
  const CellPos opposite = grid.Opposite();
  const bool redraw = grid.Redraw();
  grid.SetRedraw(false);
  double max = shading::kMaxStart;
  double min = shading::kMinStart;
  for (int row = 0; row < grid.Rows(); ++row) {
    for (int col = 0; col < grid.Cols(); ++col) {
      if (grid.IsFixed(row, col)) {
        grid.SetBack(row, col, colour::kGrey);
        continue;
      }
      const double v = CellNumber(grid.Text(row, col));
      max = std::max(max, v);
      min = std::min(min, v);
    }
  }
  if (max == min) {
    max = min + 1;
  }
  for (int row = grid.FixedRows(); row < grid.Rows(); ++row) {
    for (int col = grid.FixedCols(); col < grid.Cols(); ++col) {
      grid.SetBack(row, col, GradientColour(CellNumber(grid.Text(row, col)), min, max));
      grid.SetFore(row, col, colour::kBlack);
    }
  }
  grid.Select(current, opposite);
  grid.SetRedraw(redraw);
}

PressureLine PressureLineFor(const calib::CoefficientList* list, std::int32_t system_id) {
  if (list == nullptr) {
    return {};
  }
  for (const auto& rec : list->records) {
    if (rec.id == system_id) {
      const double div = rec.div_fact == 0 ? 1.0 : static_cast<double>(rec.div_fact);
      return {rec.m_retta[0] / div, rec.q_retta[0] / div};
    }
  }
  return {};
}

namespace {

void RpmHeadings(GridModel& grid, std::span<const std::uint8_t> rpm) {
  for (int c = 0; c < map_shape::kRpmCols; ++c) {
    std::string text;
    if (static_cast<std::size_t>(c) < rpm.size()) {
      const double v = static_cast<double>(rpm[static_cast<std::size_t>(c)]) *
                       heading::kRpmPerByte / heading::kRpmShownPer;
      text = std::to_string(core::RoundHalfEven(v));
    }
    grid.SetText(0, c + 1, std::move(text));
  }
}

}  // namespace

void CaricaAssiInMatrice(GridModel& grid, std::span<const std::uint8_t> rpm,
                         std::span<const std::uint8_t> time) {
  RpmHeadings(grid, rpm);
  for (int r = 0; r < map_shape::kTimeRows; ++r) {
    std::string text;
    if (static_cast<std::size_t>(r) < time.size()) {
      const double ms = static_cast<double>(time[static_cast<std::size_t>(r)]) *
                        heading::kTimeUsPerByte / heading::kUsPerMs;
      text = FormatCell(static_cast<double>(core::RoundHalfEven(ms * 10)) / 10);
    }
    grid.SetText(r + 1, 0, std::move(text));
  }
}

void CaricaAssiInMatricePressione(GridModel& grid, std::span<const std::uint8_t> rpm,
                                  std::span<const std::uint8_t> pressure, PressureLine line) {
  RpmHeadings(grid, rpm);
  const bool raw = line.m == 0 && line.q == 0;
  for (int r = 0; r < map_shape::kTimeRows; ++r) {
    std::string text;
    if (static_cast<std::size_t>(r) < pressure.size()) {
      const double b = pressure[static_cast<std::size_t>(r)];
      text = raw ? FormatCell(b)
                 : std::to_string(
                       core::RoundHalfEven(b / heading::kPressureSensorDiv * line.m + line.q));
    }
    grid.SetText(r + 1, 0, std::move(text));
  }
}

Rgb HeatColour(double t) {
  if (!(t > 0)) {
    t = 0;
  }
  t = std::min(t, 1.0);
  // Four stops: blue, cyan-green, yellow, red.
  struct Stop {
    double at;
    double r, g, b;
  };
  static constexpr Stop kStops[] = {
      {0.0, 40, 70, 200}, {0.35, 40, 190, 120}, {0.7, 245, 220, 50}, {1.0, 220, 40, 30}};
  for (std::size_t i = 1; i < std::size(kStops); ++i) {
    if (t <= kStops[i].at) {
      const Stop& a = kStops[i - 1];
      const Stop& b = kStops[i];
      const double u = (t - a.at) / (b.at - a.at);
      return {ClampColour(a.r + (b.r - a.r) * u), ClampColour(a.g + (b.g - a.g) * u),
              ClampColour(a.b + (b.b - a.b) * u)};
    }
  }
  return {220, 40, 30};
}

PixelRect HeatCellRect(int width, int height, int time_index, int rpm_index) {
  if (width <= 0 || height <= 0 || time_index < 0 || time_index > map_shape::kMaxTimeIndex ||
      rpm_index < 0 || rpm_index > map_shape::kMaxRpmIndex) {
    return {};
  }
  const auto edge = [](int extent, int index, int count) {
    return static_cast<int>(static_cast<long long>(extent) * index / count);
  };
  const int x0 = edge(width, rpm_index, map_shape::kRpmCols);
  const int x1 = edge(width, rpm_index + 1, map_shape::kRpmCols);
  const int y0 = edge(height, time_index, map_shape::kTimeRows);
  const int y1 = edge(height, time_index + 1, map_shape::kTimeRows);
  return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace velmora::maps
