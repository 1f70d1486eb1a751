#include "acq/trace_layout.h"

#include <algorithm>
#include <cmath>

#include "acq/time_window.h"

namespace velmora::acq {

int ColumnMap::Column(std::int64_t t_ms) const {
  const double x = x0_px + static_cast<double>(t_ms - t0_ms) * px_per_ms;
  // Truncation rounds down from 0 on; everything left of the plot is -1.
  return x >= 0 ? static_cast<int>(std::min(x, 1e9)) : -1;
}

void ReduceTrace(const ChannelSamples& samples, std::size_t first, const ColumnMap& map,
                 int columns, std::vector<TraceColumn>& out) {
  out.clear();
  const std::size_t n = samples.Count();
  for (std::size_t s = first; s < n; ++s) {
    const int x = map.Column(samples.Time(s));
    if (x < 0) {
      continue;
    }
    const std::int32_t v = samples.Value(s);
    if (!out.empty() && out.back().x == x) {
      TraceColumn& c = out.back();
      c.last = v;
      c.lo = std::min(c.lo, v);
      c.hi = std::max(c.hi, v);
    } else {
      out.push_back({x, v, v, v, v});
    }
    if (x >= columns) {
      break;
    }
  }
}

int YMap::Pixel(std::int32_t value) const {
  const std::int64_t twips = YTwips(value, offset, zoom, height_twips);
  const std::int64_t q = twips / logger::kTwipsPerPixel;
  return static_cast<int>(twips % logger::kTwipsPerPixel != 0 && twips < 0 ? q - 1 : q);
}

void TracePolyline(std::span<const TraceColumn> columns, const YMap& y,
                   std::vector<PlotPoint>& out) {
  TracePolylineWith(columns, out, [&y](std::int32_t v) { return y.Pixel(v); });
}

}  // namespace velmora::acq
