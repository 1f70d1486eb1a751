#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "acq/live_recorder.h"
#include "acq/logger_types.h"
#include "acq/time_window.h"
#include "acq/trace_layout.h"

namespace velmora::acq {

// The plot's size in pixels; the model's geometry is in twips, 15 a pixel.
struct PlotSize {
  int width_px = 600;
  int height_px = 400;
  [[nodiscard]] std::int64_t WidthTwips() const {
    return std::int64_t{width_px} * logger::kTwipsPerPixel;
  }
  [[nodiscard]] std::int64_t HeightTwips() const {
    return std::int64_t{height_px} * logger::kTwipsPerPixel;
  }
};

// One visible channel's trace, ready to draw.
struct TraceLayout {
  std::size_t channel = 0;
  std::int32_t colour = 0;  // 0x00BBGGRR
  std::vector<PlotPoint> points;
};

// What the plot shows: the traces of the visible channels, each channel's
// arrow (LblFreccia, its top in px; none for a hidden channel), and either
// the pen of the recording or the whole seconds of the window.
struct PlotLayout {
  std::vector<TraceLayout> traces;
  std::array<std::optional<int>, logger::kChannels> arrows{};
  std::optional<int> pen_x;
  std::vector<int> second_lines;  // x in px
};

// The arrows of the visible channels: offset% of the plot height.
[[nodiscard]] std::array<std::optional<int>, logger::kChannels> ArrowTops(const Channels& channels,
                                                                          const PlotSize& size);

// A recorded window: from the first sample at or after the window's start,
// each visible channel reduced to one column per pixel.
[[nodiscard]] PlotLayout RecordedLayout(const SampleTable& samples, const Channels& channels,
                                        const TimeWindow& window, const PlotSize& size);

// The recording display: the pen advances 225 twips a record from the left
// margin and starts again at the left once it passes the right edge; the
// traces join this sweep's records and the pen marks the newest.
[[nodiscard]] PlotLayout PlottaPuntiniRunTime(const SampleRing& ring, const Channels& channels,
                                              const PlotSize& size);
// Records in one sweep of the pen across a plot of this width.
[[nodiscard]] std::size_t RecordsPerSweep(const PlotSize& size);

// The whole recording in a strip: each visible channel scaled to the
// strip's height between its own lowest and highest value, one column per
// pixel, and the window shown by the main plot as [window_x0, window_x1).
struct OverviewLayout {
  std::vector<TraceLayout> traces;
  int window_x0 = 0;
  int window_x1 = 0;
};
[[nodiscard]] OverviewLayout Overview(const SampleTable& samples, const Channels& channels,
                                      const TimeWindow& window, std::int64_t span_ms,
                                      const PlotSize& strip);

// The sample shown at time `t_ms`: the last one not after it (the first
// sample when all are after it); nullopt without samples.
[[nodiscard]] std::optional<std::size_t> SampleAt(const SampleTable& samples, std::int64_t t_ms);
// The time at a pixel column of the recorded plot.
[[nodiscard]] std::int64_t TimeAtColumn(const TimeWindow& window, int x_px);

}  // namespace velmora::acq

namespace velmora::acq {

// "Fit": the visible channels get a lane each, top to bottom in channel
// order, with the zero line near the lane's bottom and the gain (in the
// variable's steps, within its limits) that lets the largest value of
// `samples` fill most of the lane. Hidden channels keep their settings.
void FitChannels(Channels& channels, const SampleTable& samples, const PlotSize& size);

}  // namespace velmora::acq
