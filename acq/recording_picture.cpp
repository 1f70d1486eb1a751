#include "acq/recording_picture.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>

#include "acq/logger_export.h"
#include "acq/trace_layout.h"

namespace velmora::acq {

namespace {

constexpr Rgb kBackground{255, 255, 255};
constexpr Rgb kLaneShade{243, 245, 247};
constexpr Rgb kGrid{216, 222, 228};
constexpr Rgb kText{31, 41, 51};
constexpr Rgb kMuted{102, 120, 138};
constexpr int kMargin = 16;
constexpr int kTitleHeight = 40;
constexpr int kLabelWidth = 330;
constexpr int kAxisHeight = 44;
constexpr int kLanePad = 8;
constexpr int kTextScale = 2;
constexpr int kLineHeight = 18;
constexpr int kMinTickPx = 90;
constexpr std::size_t kNameChars = 25;
constexpr std::array<std::int64_t, 13> kTickSeconds = {1,   2,   5,   10,   15,   30,  60,
                                                       120, 300, 600, 1200, 1800, 3600};

struct Frame {
  int plot_x0;
  int plot_x1;
  int lanes_y0;
  int lanes;
};

void DrawLane(RasterImage& img, const Frame& f, int k, const SampleTable& samples,
              const Channel& ch, std::size_t c, std::vector<TraceColumn>& columns) {
  const int y0 = f.lanes_y0 + k * picture::kLaneHeight;
  if (k % 2 == 0) {
    img.FillRect(f.plot_x0, y0, f.plot_x1 - f.plot_x0, picture::kLaneHeight, kLaneShade);
  }
  const Rgb colour = RgbOfChannelColour(ch.colour);
  img.FillRect(kMargin, y0 + kLanePad, 6, picture::kLaneHeight - 2 * kLanePad, colour);
  img.Text(kMargin + 14, y0 + kLanePad + 4, ch.name.substr(0, kNameChars), kText, kTextScale);

  const std::int64_t t0 = samples.Time(0);
  const std::int64_t span = std::max<std::int64_t>(samples.Time(samples.Count() - 1) - t0, 1);
  const int width = f.plot_x1 - f.plot_x0;
  const ColumnMap map{t0, static_cast<double>(f.plot_x0),
                      static_cast<double>(width - 1) / static_cast<double>(span)};
  ReduceTrace({samples.live, c}, 0, map, f.plot_x1, columns);
  std::int32_t lo = std::numeric_limits<std::int32_t>::max();
  std::int32_t hi = std::numeric_limits<std::int32_t>::min();
  for (const TraceColumn& col : columns) {
    lo = std::min(lo, col.lo);
    hi = std::max(hi, col.hi);
  }
  const std::string range = ScaledText(lo, ch.scale) + " .. " + ScaledText(hi, ch.scale) +
                            (ch.text.empty() ? "" : " " + ch.text);
  img.Text(kMargin + 14, y0 + kLanePad + 4 + kLineHeight + 4, range, kMuted, kTextScale);

  const int top = y0 + kLanePad;
  const int h = picture::kLaneHeight - 2 * kLanePad - 1;
  const double r = std::max<double>(static_cast<double>(hi) - lo, 1.0);
  std::vector<PlotPoint> points;
  TracePolylineWith(columns, points, [&](std::int32_t v) {
    return top + h - static_cast<int>((static_cast<double>(v) - lo) * h / r);
  });
  for (std::size_t i = 1; i < points.size(); ++i) {
    img.Line(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, colour);
  }
}

void DrawAxis(RasterImage& img, const Frame& f, const SampleTable& samples) {
  const int y = f.lanes_y0 + f.lanes * picture::kLaneHeight;
  img.Line(f.plot_x0, y, f.plot_x1, y, kMuted);
  const std::int64_t t0 = samples.Time(0);
  const std::int64_t span = std::max<std::int64_t>(samples.Time(samples.Count() - 1) - t0, 1);
  const double px_per_ms =
      static_cast<double>(f.plot_x1 - f.plot_x0 - 1) / static_cast<double>(span);
  std::int64_t tick = kTickSeconds.back();
  for (const std::int64_t s : kTickSeconds) {
    if (static_cast<double>(s) * 1000.0 * px_per_ms >= kMinTickPx) {
      tick = s;
      break;
    }
  }
  for (std::int64_t s = 0; s * 1000 <= span; s += tick) {
    const int x = f.plot_x0 + static_cast<int>(static_cast<double>(s) * 1000.0 * px_per_ms);
    img.Line(x, f.lanes_y0, x, y + 6, kGrid);
    img.Line(x, y, x, y + 6, kMuted);
    img.Text(x - 4, y + 12, std::to_string(s) + " S", kText, kTextScale);
  }
}

}  // namespace

RasterImage RecordingPicture(const SampleTable& samples, const Channels& channels, int width) {
  std::vector<std::size_t> shown;
  for (std::size_t c = 0; c < channels.size(); ++c) {
    if (channels[c].visible) {
      shown.push_back(c);
    }
  }
  const int lanes = static_cast<int>(std::max<std::size_t>(shown.size(), 1));
  const Frame f{kMargin + kLabelWidth, std::max(width, kMargin * 3 + kLabelWidth + 100) - kMargin,
                kMargin + kTitleHeight, lanes};
  const int height = f.lanes_y0 + lanes * picture::kLaneHeight + kAxisHeight + kMargin;
  RasterImage img(f.plot_x1 + kMargin, height, kBackground);
  const double seconds =
      samples.Empty()
          ? 0.0
          : static_cast<double>(samples.Time(samples.Count() - 1) - samples.Time(0)) / 1000.0;
  img.Text(kMargin, kMargin,
           "VELMORA RECORDING  " + std::to_string(samples.Count()) + " SAMPLES  " +
               ScaledText(static_cast<std::int32_t>(seconds * 10), 0.1F) + " S",
           kText, kTextScale);
  if (samples.Empty()) {
    return img;
  }
  std::vector<TraceColumn> columns;
  for (std::size_t k = 0; k < shown.size(); ++k) {
    DrawLane(img, f, static_cast<int>(k), samples, channels[shown[k]], shown[k], columns);
  }
  DrawAxis(img, f, samples);
  return img;
}

}  // namespace velmora::acq
