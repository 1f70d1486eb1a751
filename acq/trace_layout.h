#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "acq/logger_types.h"

namespace velmora::acq {

// Time to pixel column: column = x0 + (t - t0) x px_per_ms, rounded down.
struct ColumnMap {
  std::int64_t t0_ms = 0;
  double x0_px = 0;
  double px_per_ms = 1;
  [[nodiscard]] int Column(std::int64_t t_ms) const;
};

// One pixel column of a trace: the first and last value that fell in it
// and their range. A column with one sample has all four equal.
struct TraceColumn {
  int x = 0;
  std::int32_t first = 0;
  std::int32_t last = 0;
  std::int32_t lo = 0;
  std::int32_t hi = 0;
};

// The live values of one channel, strided as a sample table holds them.
struct ChannelSamples {
  std::span<const std::int32_t> live;  // 9 integers per sample
  std::size_t channel = 0;
  [[nodiscard]] std::size_t Count() const { return live.size() / logger::kStride; }
  [[nodiscard]] std::int64_t Time(std::size_t s) const { return live[s * logger::kStride]; }
  [[nodiscard]] std::int32_t Value(std::size_t s) const {
    return live[s * logger::kStride + 1 + channel];
  }
};

// Reduces the samples from `first` on to at most one column per pixel,
// in time order, until the first sample past column `columns - 1` (kept,
// so the trace runs out of the plot as a line would). Samples before
// column 0 are skipped. `out` is replaced; its storage is reused.
void ReduceTrace(const ChannelSamples& samples, std::size_t first, const ColumnMap& map,
                 int columns, std::vector<TraceColumn>& out);

// A point of a laid-out trace, in pixels.
struct PlotPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const PlotPoint&, const PlotPoint&) = default;
};

// How a channel's values become heights: the zero line's offset (percent
// of the plot height), the gain, the plot height; in twips, shown in px.
struct YMap {
  std::int32_t offset = 0;
  std::int32_t zoom = logger::kDefaultZoom;
  std::int64_t height_twips = 0;
  [[nodiscard]] int Pixel(std::int32_t value) const;
};

// The polyline through the reduced columns: first, low, high, last of each
// column, so a column that holds many samples shows their whole range.
// `y_of` turns a value into a height in pixels (growing downwards); `out`
// is replaced.
template <class YOf>
void TracePolylineWith(std::span<const TraceColumn> columns, std::vector<PlotPoint>& out,
                       const YOf& y_of) {
  out.clear();
  for (const TraceColumn& c : columns) {
    const int first = y_of(c.first);
    const int last = y_of(c.last);
    out.push_back({c.x, first});
    if (c.lo != c.hi) {
      // Larger values are drawn higher: a rising column visits its low
      // value first.
      const bool rising = c.last >= c.first;
      out.push_back({c.x, y_of(rising ? c.lo : c.hi)});
      out.push_back({c.x, y_of(rising ? c.hi : c.lo)});
    }
    if (last != first || c.lo != c.hi) {
      out.push_back({c.x, last});
    }
  }
}

// The same with a channel's heights.
void TracePolyline(std::span<const TraceColumn> columns, const YMap& y,
                   std::vector<PlotPoint>& out);

}  // namespace velmora::acq
