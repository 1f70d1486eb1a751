// The plot's layouts without painting: a trace reduced to one column per
// pixel keeps every column's range, the recording display sweeps and wraps,
// and an hour of eight channels lays out in a bounded number of points.

#include <gtest/gtest.h>

#include <vector>

#include "acq/logger_plot.h"
#include "acq/record_samples.h"
#include "acq/trace_layout.h"

namespace velmora::acq {
namespace {

SampleTable Samples(const std::vector<std::pair<std::int32_t, std::int32_t>>& time_value) {
  SampleTable s;
  for (const auto& [t, v] : time_value) {
    AppendSample(s, RecordKind::kLive, SampleRow{t, v});
  }
  return s;
}

TEST(TraceLayout, ColumnsKeepTheirRangeAndTheTraceRunsOutOfThePlot) {
  const SampleTable s = Samples({{0, 5}, {1, 9}, {2, 1}, {3, 4}, {4, 7}, {10, 2}, {20, 3}});
  std::vector<TraceColumn> cols;
  // Half a pixel per ms: samples 0..3 fill columns 0 and 1; the one at 10
  // ms lies past column 4, so it is the last one taken.
  ReduceTrace({s.live, 0}, 0, ColumnMap{0, 0.0, 0.5}, 5, cols);
  ASSERT_EQ(cols.size(), 4u);
  EXPECT_EQ(cols[0].x, 0);
  EXPECT_EQ((std::vector<std::int32_t>{cols[0].first, cols[0].last, cols[0].lo, cols[0].hi}),
            (std::vector<std::int32_t>{5, 9, 5, 9}));
  EXPECT_EQ((std::vector<std::int32_t>{cols[1].first, cols[1].last, cols[1].lo, cols[1].hi}),
            (std::vector<std::int32_t>{1, 4, 1, 4}));
  EXPECT_EQ(cols[3].x, 5);

  std::vector<PlotPoint> points;
  const YMap y{0, 1000, 15'000};  // a value of v twips rises v / 15 px above 135 twips
  TracePolyline(std::vector<TraceColumn>{{3, 150, 0, 0, 300}}, y, points);
  // Falling column: from the first value up to the highest, down to the
  // lowest, and the last.
  EXPECT_EQ(points, (std::vector<PlotPoint>{{3, -1}, {3, -11}, {3, 9}, {3, 9}}));
}

TEST(TraceLayout, RecordingSweepsAcrossThePlotAndStartsAgain) {
  const PlotSize size{60, 100};  // 900 twips: (900 - 150) / 225 + 1 = 4 records a sweep
  ASSERT_EQ(RecordsPerSweep(size), 4u);
  Channels ch = DefaultChannels();
  for (std::size_t c = 1; c < ch.size(); ++c) {
    ch[c].visible = false;
  }
  SampleRing ring(16);
  for (std::int32_t r = 0; r < 6; ++r) {
    ring.Append(RecordKind::kLive, SampleRow{r * 50, r * 1000});
  }
  const PlotLayout l = PlottaPuntiniRunTime(ring, ch, size);
  ASSERT_EQ(l.traces.size(), 1u);
  // Records 4 and 5 open the second sweep at the left margin.
  ASSERT_EQ(l.traces[0].points.size(), 2u);
  EXPECT_EQ(l.traces[0].points[0].x, 10);
  EXPECT_EQ(l.traces[0].points[1].x, 25);
  EXPECT_EQ(l.pen_x, 25);
  EXPECT_EQ(l.arrows[0], 0);
  EXPECT_FALSE(l.arrows[1].has_value());
}

TEST(TraceLayout, AnHourOfEightChannelsLaysOutWithinFourPointsAColumn) {
  SampleTable s;
  for (std::int32_t r = 0; r < 72'000; ++r) {
    SampleRow row{};
    row[0] = r * 50;
    for (std::size_t c = 1; c < row.size(); ++c) {
      row[c] = (r * static_cast<std::int32_t>(c)) % 997;
    }
    AppendSample(s, RecordKind::kLive, row);
  }
  const PlotSize strip{1200, 80};
  const OverviewLayout o = Overview(s, DefaultChannels(), TimeWindow{}, 9000, strip);
  ASSERT_EQ(o.traces.size(), logger::kChannels);
  for (const TraceLayout& t : o.traces) {
    EXPECT_LE(t.points.size(), 4u * 1200u);
    for (const PlotPoint& p : t.points) {
      EXPECT_GE(p.y, 0);
      EXPECT_LT(p.y, strip.height_px);
    }
  }
  EXPECT_EQ(o.window_x0, 0);
  EXPECT_EQ(o.window_x1, 2);  // 9 s of an hour
}

}  // namespace
}  // namespace velmora::acq
