#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "acq/logger_types.h"

namespace velmora::acq {

// The part of a recording the plot shows: it starts at a whole second and
// spans the plot's width at the time zoom (100 = 1 ms per twip).
struct TimeWindow {
  std::int64_t start_ms = 0;
  std::size_t first_sample = 0;  // the first sample at or after the start
  int zoom = logger::kTimeZooms.front();
};

// width x 100 / zoom: the milliseconds a plot `width_twips` wide shows.
[[nodiscard]] std::int64_t VisibleSpanMs(std::int64_t width_twips, int zoom);
// Half the visible span, rounded down to a whole second: one scroll step.
[[nodiscard]] std::int64_t ScrollStepMs(std::int64_t width_twips, int zoom);
// The index of the first sample whose time is not before `t_ms` (the
// sample count when there is none).
[[nodiscard]] std::size_t FirstSampleAtOrAfter(const SampleTable& samples, std::int64_t t_ms);

// CmdNext: one step later (never past the last sample).
void StepNext(TimeWindow& w, const SampleTable& samples, std::int64_t width_twips);
// CmdPrev: one step earlier, never before the first sample's time.
void StepPrev(TimeWindow& w, const SampleTable& samples, std::int64_t width_twips);

// The next time zoom inwards (100 -> 50 -> 20 -> 10) or outwards; nullopt
// at the end of the steps.
[[nodiscard]] std::optional<int> TimeZoomIn(int zoom);
[[nodiscard]] std::optional<int> TimeZoomOut(int zoom);

// Where a sample at `t_ms` is drawn: 150 + (t - start) x zoom / 100 twips.
[[nodiscard]] std::int64_t XTwips(const TimeWindow& w, std::int64_t t_ms);
// The zero line's height of a channel and the height of a value on it:
// offset% of the plot height + 135 - value x zoom / 1000 twips.
[[nodiscard]] std::int64_t YTwips(std::int32_t value, std::int32_t offset, std::int32_t zoom,
                                  std::int64_t height_twips);

// "Time: m's"mmm" for a cursor at `t_ms` (negative times show as 0).
[[nodiscard]] std::string CursorTimeText(std::int64_t t_ms);

}  // namespace velmora::acq
