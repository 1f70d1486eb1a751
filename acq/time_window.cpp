#include "acq/time_window.h"

#include <algorithm>
#include <cstdio>

namespace velmora::acq {

namespace {

constexpr std::int64_t kMsPerSecond = 1000;
constexpr std::int64_t kPercent = 100;
constexpr std::int64_t kSecondsPerMinute = 60;

std::int64_t FloorToSecond(std::int64_t ms) {
  const std::int64_t q = ms / kMsPerSecond;
  return (ms % kMsPerSecond != 0 && ms < 0 ? q - 1 : q) * kMsPerSecond;
}

}  // namespace

std::int64_t VisibleSpanMs(std::int64_t width_twips, int zoom) {
  return zoom > 0 ? width_twips * kPercent / zoom : 0;
}

std::int64_t ScrollStepMs(std::int64_t width_twips, int zoom) {
  return FloorToSecond(VisibleSpanMs(width_twips, zoom) / 2);
}

std::size_t FirstSampleAtOrAfter(const SampleTable& samples, std::int64_t t_ms) {
  const std::size_t n = samples.Count();
  for (std::size_t s = 0; s < n; ++s) {
    if (samples.Time(s) >= t_ms) {
      return s;
    }
  }
  return n;
}

void StepNext(TimeWindow& w, const SampleTable& samples, std::int64_t width_twips) {
  if (samples.Empty()) {
    return;
  }
  const std::int64_t last = samples.Time(samples.Count() - 1);
  const std::int64_t next = w.start_ms + ScrollStepMs(width_twips, w.zoom);
  // Beyond the last sample there is nothing left to show.
  if (next <= last) {
    w.start_ms = next;
  }
  w.first_sample = FirstSampleAtOrAfter(samples, w.start_ms);
}

void StepPrev(TimeWindow& w, const SampleTable& samples, std::int64_t width_twips) {
  if (samples.Empty()) {
    return;
  }
  w.start_ms =
      std::max<std::int64_t>(w.start_ms - ScrollStepMs(width_twips, w.zoom), samples.Time(0));
  w.first_sample = FirstSampleAtOrAfter(samples, w.start_ms);
}

std::optional<int> TimeZoomIn(int zoom) {
  const auto& z = logger::kTimeZooms;
  const auto it = std::find(z.begin(), z.end(), zoom);
  if (it == z.end() || it + 1 == z.end()) {
    return std::nullopt;
  }
  return *(it + 1);
}

std::optional<int> TimeZoomOut(int zoom) {
  const auto& z = logger::kTimeZooms;
  const auto it = std::find(z.begin(), z.end(), zoom);
  if (it == z.end() || it == z.begin()) {
    return std::nullopt;
  }
  return *(it - 1);
}

std::int64_t XTwips(const TimeWindow& w, std::int64_t t_ms) {
  return logger::kLeftMarginTwips + (t_ms - w.start_ms) * w.zoom / kPercent;
}

std::int64_t YTwips(std::int32_t value, std::int32_t offset, std::int32_t zoom,
                    std::int64_t height_twips) {
  return std::int64_t{offset} * height_twips / kPercent + logger::kArrowCentreTwips -
         std::int64_t{value} * zoom / logger::kZoomDivisor;
}

std::string CursorTimeText(std::int64_t t_ms) {
  const std::int64_t t = std::max<std::int64_t>(t_ms, 0);
  const std::int64_t minutes = t / (kSecondsPerMinute * kMsPerSecond);
  const std::int64_t seconds = t / kMsPerSecond % kSecondsPerMinute;
  const std::int64_t ms = t % kMsPerSecond;
  char text[48];
  std::snprintf(text, sizeof text, "Time: %lld'%02lld\"%03lld", static_cast<long long>(minutes),
                static_cast<long long>(seconds), static_cast<long long>(ms));
  return text;
}

}  // namespace velmora::acq
