// The logger over an hour of eight channels: the time to rebuild the sample
// table from a synthetic one-hour traffic log (target: under 0.5 s), and the
// time to reduce and lay out one screen of it, the plot at its widest time
// zoom and the overview of the whole hour (target: under one 16 ms frame).
// Prints figures; never judges them.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "acq/log_rebuild.h"
#include "acq/logger_plot.h"
#include "acq/synthetic_log.h"
#include "core/files.h"
#include "core/set_com.h"
#include "link/message_table.h"

namespace {

using namespace velmora;
using Clock = std::chrono::steady_clock;

constexpr double kHourSeconds = 3600;
constexpr int kRecordsPerSecond = 20;
constexpr int kObdEvery = 20;  // one OBD data record a second
constexpr int kRebuilds = 3;
constexpr int kLayouts = 20;
constexpr acq::PlotSize kPlot{1200, 520};
constexpr acq::PlotSize kStrip{1200, 70};

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

link::MessageTable ShippedTable() {
  std::vector<std::string> lines;
  (void)core::LeggiRighe(std::string(VELMORA_STAGE_DEFAULT) + "/bin/SetCom.ini", lines);
  link::MessageTable table(core::LeggiSetCom(lines).messages);
  table.SetValue(link::live::kBlock3Index, link::live::kRpmFactorField, 1);
  return table;
}

}  // namespace

int main() {
  const link::MessageTable table = ShippedTable();
  if (table.FieldCount(link::live::kMainRecordIndex) == 0) {
    std::fprintf(stderr, "logger_bench: no staged SetCom.ini\n");
    return 1;
  }
  auto start = Clock::now();
  const std::string log =
      acq::SyntheticTrafficLog(table, kHourSeconds, kRecordsPerSecond, kObdEvery);
  std::printf("synthetic log:        %.1f MB, made in %.0f ms\n",
              static_cast<double>(log.size()) / 1e6, MsSince(start));

  const acq::Channels channels = acq::DefaultChannels();
  acq::SampleTable samples;
  std::vector<double> rebuilds;
  for (int i = 0; i < kRebuilds; ++i) {
    start = Clock::now();
    samples = acq::RebuildSamples(log, table, acq::IdsOf(channels));
    rebuilds.push_back(MsSince(start));
  }
  std::printf("rebuild of one hour:  %zu samples, median %.0f ms (target under 500 ms)\n",
              samples.Count(), Median(rebuilds));

  acq::TimeWindow window;
  window.zoom = acq::logger::kTimeZooms.back();
  window.start_ms = 1'800'000;
  window.first_sample = acq::FirstSampleAtOrAfter(samples, window.start_ms);
  const std::int64_t span = acq::VisibleSpanMs(kPlot.WidthTwips(), window.zoom);
  std::vector<double> layouts;
  std::size_t points = 0;
  for (int i = 0; i < kLayouts; ++i) {
    start = Clock::now();
    const acq::PlotLayout plot = acq::RecordedLayout(samples, channels, window, kPlot);
    const acq::OverviewLayout whole = acq::Overview(samples, channels, window, span, kStrip);
    layouts.push_back(MsSince(start));
    points = 0;
    for (const auto& t : plot.traces) {
      points += t.points.size();
    }
    for (const auto& t : whole.traces) {
      points += t.points.size();
    }
  }
  std::printf(
      "one screen laid out:  %zu points (%lld s plot + the whole hour), median %.2f ms "
      "(target under 16 ms)\n",
      points, static_cast<long long>(span / 1000), Median(layouts));
  return 0;
}
