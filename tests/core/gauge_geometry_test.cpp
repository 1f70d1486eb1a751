#include "core/gauge_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace velmora::core {
namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(GaugeGeometry, NeedleSweepsFromLowerLeftOverTheTopToLowerRight) {
  const GaugeScale rpm{0, 8000};
  EXPECT_DOUBLE_EQ(NeedleAngle(0, rpm), 225);
  EXPECT_DOUBLE_EQ(NeedleAngle(4000, rpm), 90);  // straight up
  EXPECT_DOUBLE_EQ(NeedleAngle(8000, rpm), -45);
  EXPECT_DOUBLE_EQ(NeedleAngle(2000, rpm), 157.5);

  // Off-scale and unreadable values rest on the stops.
  EXPECT_DOUBLE_EQ(NeedleAngle(-300, rpm), 225);
  EXPECT_DOUBLE_EQ(NeedleAngle(12000, rpm), -45);
  EXPECT_DOUBLE_EQ(NeedleAngle(kNan, rpm), 225);
  EXPECT_DOUBLE_EQ(NeedleAngle(kInf, rpm), -45);
  EXPECT_DOUBLE_EQ(ClampToScale(kNan, rpm), 0);

  // A scale with a negative minimum.
  const GaugeScale temp{-20, 120};
  EXPECT_DOUBLE_EQ(ScaleFraction(50, temp), 0.5);
  EXPECT_DOUBLE_EQ(ClampToScale(-40, temp), -20);

  // Senseless scales hold the needle at the start instead of dividing by 0.
  for (const GaugeScale& bad :
       {GaugeScale{5, 5}, GaugeScale{10, 0}, GaugeScale{kNan, 1}, GaugeScale{-1e308, 1e308}}) {
    EXPECT_DOUBLE_EQ(ScaleFraction(3, bad), 0);
    EXPECT_DOUBLE_EQ(NeedleAngle(3, bad), 225);
    EXPECT_TRUE(GaugeTicks(bad, 8, 5).empty());
  }
}

TEST(GaugeGeometry, StepsAreRoundAndFitTheRequestedCount) {
  EXPECT_DOUBLE_EQ(NiceStep(8000, 8), 1000);
  EXPECT_DOUBLE_EQ(NiceStep(140, 8), 20);
  EXPECT_DOUBLE_EQ(NiceStep(3, 6), 0.5);
  EXPECT_DOUBLE_EQ(NiceStep(1000, 4), 250);
  EXPECT_DOUBLE_EQ(NiceStep(100, 10), 10);
  EXPECT_DOUBLE_EQ(NiceStep(0.9, 10), 0.1);
  EXPECT_DOUBLE_EQ(NiceStep(9.5, 1), 10);
  EXPECT_DOUBLE_EQ(NiceStep(0, 5), 1);
  EXPECT_DOUBLE_EQ(NiceStep(-4, 5), 1);
  EXPECT_DOUBLE_EQ(NiceStep(kInf, 5), 1);
  EXPECT_DOUBLE_EQ(NiceStep(10, 0), 1);
  for (double span : {1.0, 3.7, 17.0, 99.0, 250.0, 1234.0, 65535.0}) {
    for (int n = 1; n <= 12; ++n) {
      const double s = NiceStep(span, n);
      EXPECT_LE(span / s, n + 1e-9) << span << " " << n;
    }
  }
  EXPECT_EQ(StepDecimals(1000), 0);
  EXPECT_EQ(StepDecimals(0.5), 1);
  EXPECT_EQ(StepDecimals(0.25), 2);
  EXPECT_EQ(StepDecimals(0.1), 1);
  EXPECT_EQ(FormatFixed(-0.04, 1), "0.0");
  EXPECT_EQ(FormatFixed(1.25, 1), "1.2");  // printf rounds the binary value
  EXPECT_EQ(FormatFixed(-3.5, 0), "-4");
  EXPECT_EQ(FormatFixed(kNan, 2), "-");
}

TEST(GaugeGeometry, TicksCarryLabelsOnTheMajorOnes) {
  const auto ticks = GaugeTicks(GaugeScale{0, 8000}, 8, 5, 1000);
  ASSERT_EQ(ticks.size(), 41u);
  EXPECT_TRUE(ticks.front().major);
  EXPECT_EQ(ticks.front().label, "0");
  EXPECT_DOUBLE_EQ(ticks.front().angle_deg, 225);
  EXPECT_EQ(ticks[5].label, "1");
  EXPECT_FALSE(ticks[6].major);
  EXPECT_TRUE(ticks[6].label.empty());
  EXPECT_EQ(ticks.back().label, "8");
  EXPECT_DOUBLE_EQ(ticks.back().angle_deg, -45);
  int majors = 0;
  for (const auto& t : ticks) {
    majors += t.major ? 1 : 0;
  }
  EXPECT_EQ(majors, 9);

  // Fractional steps label with the decimals they need; ends off the step
  // are not ticked.
  const auto bar = GaugeTicks(GaugeScale{0, 2.7}, 6, 2);
  ASSERT_FALSE(bar.empty());
  EXPECT_EQ(bar[1].label, "");
  EXPECT_EQ(bar[2].label, "0.5");
  EXPECT_LE(bar.back().value, 2.7);
  EXPECT_EQ(bar.back().label, "2.5");

  const auto temp = GaugeTicks(GaugeScale{-20, 120}, 7, 2);
  EXPECT_EQ(temp.front().label, "-20");
  EXPECT_EQ(temp.back().label, "120");

  // However many ticks are asked for, the count stays bounded.
  EXPECT_LE(GaugeTicks(GaugeScale{0, 1}, 1000, 1000).size(),
            std::size_t((gauge_dial::kMaxMajorTicks + 1) * gauge_dial::kMaxMinorPerMajor + 1));
  EXPECT_LE(GaugeTicks(GaugeScale{1e17, 1e17 + 4096}, 8, 5).size(), 46u);
}

TEST(GaugeGeometry, ZonesRunClockwiseAndAreClipped) {
  const GaugeScale rpm{0, 8000};
  ArcSpan z = ZoneArc(6000, 8000, rpm);
  EXPECT_DOUBLE_EQ(z.start_deg, NeedleAngle(6000, rpm));
  EXPECT_DOUBLE_EQ(z.span_deg, -67.5);
  z = ZoneArc(9000, 6000, rpm);  // either order, clipped at the stop
  EXPECT_DOUBLE_EQ(z.span_deg, -67.5);
  z = ZoneArc(9000, 10000, rpm);
  EXPECT_DOUBLE_EQ(z.span_deg, 0);
}

}  // namespace
}  // namespace velmora::core
