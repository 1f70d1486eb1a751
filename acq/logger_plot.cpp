#include "acq/logger_plot.h"

#include <algorithm>
#include <limits>

namespace velmora::acq {

namespace {

constexpr double kPercent = 100.0;

// Columns of the recorded plot: x = 150 + (t - start) x zoom / 100 twips.
ColumnMap WindowColumns(const TimeWindow& w) {
  return {w.start_ms, static_cast<double>(logger::kLeftMarginTwips) / logger::kTwipsPerPixel,
          static_cast<double>(w.zoom) / kPercent / logger::kTwipsPerPixel};
}

YMap ChannelY(const Channel& c, const PlotSize& size) {
  return {c.offset, c.zoom, size.HeightTwips()};
}

}  // namespace

std::array<std::optional<int>, logger::kChannels> ArrowTops(const Channels& channels,
                                                            const PlotSize& size) {
  std::array<std::optional<int>, logger::kChannels> tops{};
  for (std::size_t c = 0; c < channels.size(); ++c) {
    if (channels[c].visible) {
      tops[c] = static_cast<int>(std::int64_t{channels[c].offset} * size.height_px / 100);
    }
  }
  return tops;
}

PlotLayout RecordedLayout(const SampleTable& samples, const Channels& channels,
                          const TimeWindow& window, const PlotSize& size) {
  PlotLayout layout;
  layout.arrows = ArrowTops(channels, size);
  const ColumnMap map = WindowColumns(window);
  std::vector<TraceColumn> columns;
  for (std::size_t c = 0; c < channels.size(); ++c) {
    if (!channels[c].visible) {
      continue;
    }
    ReduceTrace({samples.live, c}, window.first_sample, map, size.width_px, columns);
    TraceLayout t{c, channels[c].colour, {}};
    TracePolyline(columns, ChannelY(channels[c], size), t.points);
    layout.traces.push_back(std::move(t));
  }
  const std::int64_t span = VisibleSpanMs(size.WidthTwips(), window.zoom);
  for (std::int64_t t = window.start_ms; t <= window.start_ms + span; t += 1000) {
    layout.second_lines.push_back(map.Column(t));
  }
  return layout;
}

std::size_t RecordsPerSweep(const PlotSize& size) {
  const std::int64_t room = size.WidthTwips() - logger::kLeftMarginTwips;
  return room > 0 ? static_cast<std::size_t>(room / logger::kRunStepTwips) + 1 : 1;
}

PlotLayout PlottaPuntiniRunTime(const SampleRing& ring, const Channels& channels,
                                const PlotSize& size) {
  PlotLayout layout;
  layout.arrows = ArrowTops(channels, size);
  if (ring.Size() == 0) {
    return layout;
  }
  // Records are numbered from the start of the recording; the ring holds
  // the newest ones, and the pen's sweep began at a multiple of its length.
  const std::uint64_t total = ring.Total();
  const std::uint64_t oldest_held = total - ring.Size();
  const std::uint64_t per_sweep = std::min<std::uint64_t>(RecordsPerSweep(size), ring.Capacity());
  const std::uint64_t sweep_start = (total - 1) / per_sweep * per_sweep;
  const std::uint64_t from = std::max(sweep_start, oldest_held);
  const auto x_of = [&](std::uint64_t record) {
    const auto step = static_cast<std::int64_t>(record - sweep_start);
    return static_cast<int>((logger::kLeftMarginTwips + step * logger::kRunStepTwips) /
                            logger::kTwipsPerPixel);
  };
  for (std::size_t c = 0; c < channels.size(); ++c) {
    if (!channels[c].visible) {
      continue;
    }
    TraceLayout t{c, channels[c].colour, {}};
    const YMap y = ChannelY(channels[c], size);
    for (std::uint64_t r = from; r < total; ++r) {
      t.points.push_back(
          {x_of(r), y.Pixel(ring.Live(static_cast<std::size_t>(r - oldest_held))[1 + c])});
    }
    layout.traces.push_back(std::move(t));
  }
  layout.pen_x = x_of(total - 1);
  return layout;
}

OverviewLayout Overview(const SampleTable& samples, const Channels& channels,
                        const TimeWindow& window, std::int64_t span_ms, const PlotSize& strip) {
  OverviewLayout o;
  if (samples.Empty() || strip.width_px <= 0 || strip.height_px <= 1) {
    return o;
  }
  const std::int64_t t0 = samples.Time(0);
  const std::int64_t duration = std::max<std::int64_t>(samples.Time(samples.Count() - 1) - t0, 1);
  const ColumnMap map{t0, 0.0,
                      static_cast<double>(strip.width_px - 1) / static_cast<double>(duration)};
  o.window_x0 = std::clamp(map.Column(window.start_ms), 0, strip.width_px);
  o.window_x1 = std::clamp(map.Column(window.start_ms + span_ms), o.window_x0 + 1, strip.width_px);
  std::vector<TraceColumn> columns;
  for (std::size_t c = 0; c < channels.size(); ++c) {
    if (!channels[c].visible) {
      continue;
    }
    ReduceTrace({samples.live, c}, 0, map, strip.width_px, columns);
    std::int32_t lo = std::numeric_limits<std::int32_t>::max();
    std::int32_t hi = std::numeric_limits<std::int32_t>::min();
    for (const TraceColumn& col : columns) {
      lo = std::min(lo, col.lo);
      hi = std::max(hi, col.hi);
    }
    const double range = std::max<double>(static_cast<double>(hi) - lo, 1.0);
    const int h = strip.height_px - 1;
    TraceLayout t{c, channels[c].colour, {}};
    TracePolylineWith(columns, t.points, [&](std::int32_t v) {
      return h - static_cast<int>((static_cast<double>(v) - lo) * h / range);
    });
    o.traces.push_back(std::move(t));
  }
  return o;
}

std::optional<std::size_t> SampleAt(const SampleTable& samples, std::int64_t t_ms) {
  if (samples.Empty()) {
    return std::nullopt;
  }
  std::size_t at = 0;
  for (std::size_t s = 0; s < samples.Count() && samples.Time(s) <= t_ms; ++s) {
    at = s;
  }
  return at;
}

std::int64_t TimeAtColumn(const TimeWindow& window, int x_px) {
  const std::int64_t twips = std::int64_t{x_px} * logger::kTwipsPerPixel - logger::kLeftMarginTwips;
  return window.zoom > 0 ? window.start_ms + twips * 100 / window.zoom : window.start_ms;
}

}  // namespace velmora::acq

namespace velmora::acq {

namespace {

constexpr std::int64_t kLaneFillPercent = 85;
constexpr std::int64_t kLaneMarginTwips = 60;

std::int32_t LargestMagnitude(const SampleTable& samples, std::size_t c) {
  std::int64_t most = 0;
  for (std::size_t s = 0; s < samples.Count(); ++s) {
    most = std::max<std::int64_t>(most, std::abs(std::int64_t{samples.Value(s, c)}));
  }
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(most, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

void FitChannels(Channels& channels, const SampleTable& samples, const PlotSize& size) {
  const auto n = static_cast<std::int64_t>(
      std::count_if(channels.begin(), channels.end(), [](const Channel& c) { return c.visible; }));
  const std::int64_t height = size.HeightTwips();
  if (n == 0 || height <= 0) {
    return;
  }
  const std::int64_t lane = height / n;
  std::int64_t k = 0;
  for (std::size_t c = 0; c < channels.size(); ++c) {
    Channel& ch = channels[c];
    if (!ch.visible) {
      continue;
    }
    const std::int64_t zero = (k + 1) * lane - kLaneMarginTwips;
    ch.offset = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        (zero - logger::kArrowCentreTwips) * 100 / height, 0, logger::kMaxOffset));
    const std::int32_t most = LargestMagnitude(samples, c);
    if (most > 0) {
      const GainStep g = GainStepOf(ch.variable_id);
      const std::int64_t wanted = lane * kLaneFillPercent / 100 * logger::kZoomDivisor / most;
      ch.zoom = static_cast<std::int32_t>(
          std::clamp<std::int64_t>(wanted / g.step * g.step, g.step, g.max));
    }
    ++k;
  }
}

}  // namespace velmora::acq
