// The level display's LEDs from the curve block 3 holds.
#include "sim/level_model.h"

#include <gtest/gtest.h>

namespace velmora::sim {
namespace {

TEST(LevelModel, LedsCountTheCurvePointsTheReadingReached) {
  const LevelCurveSteps rising = {20, 58, 96, 134, 172, 210};
  EXPECT_EQ(LevelLeds(300, rising, 9), 0);   // 15 steps: below the reserve mark
  EXPECT_EQ(LevelLeds(2600, rising, 9), 2);  // 132.6 steps
  EXPECT_EQ(LevelLeds(4200, rising, 9), 5);
  const LevelCurveSteps falling = {210, 172, 134, 96, 58, 20};
  EXPECT_EQ(LevelLeds(2600, falling, 9), 2);
  EXPECT_EQ(LevelLeds(2600, LevelCurveSteps{}, 4), 4);  // never set: the engine's own
}

}  // namespace
}  // namespace velmora::sim
