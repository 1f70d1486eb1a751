// A map view as the workstation's page registry drives it.
#include "maps/map_page_model.h"

#include <gtest/gtest.h>

#include "tests/maps/page_fakes.h"

namespace velmora::maps {
namespace {

using test::PageRig;

TEST(MapPageModel, RowOpensTheViewTheFlagChoosesAndWritesReachOnlyTheirMap) {
  PageRig rig;
  const MapInfo& adaptive = InfoOfMap(1);
  MapGridModel grid(rig.env, adaptive.grid_page);
  EXPECT_EQ(grid.Model().MapIndex(), 1);
  EXPECT_EQ(grid.RowOpens(adaptive.grid_page), adaptive.grid_page);
  rig.image.companion[config_block::kViewByte] = InfoOfMap(0).view_bit;  // another map's flag
  EXPECT_EQ(grid.RowOpens(adaptive.grid_page), adaptive.grid_page);
  rig.image.companion[config_block::kViewByte] |= adaptive.view_bit;
  EXPECT_EQ(grid.RowOpens(adaptive.grid_page), adaptive.carb_page);
  rig.image.companion.resize(config_block::kViewByte);  // a block too short to say
  EXPECT_EQ(grid.RowOpens(adaptive.grid_page), adaptive.grid_page);

  // Shown before any live record: ready to edit, no working point yet.
  grid.Shown();
  EXPECT_EQ(grid.Model().EditingReady(), editing_ready::kYes);
  EXPECT_FALSE(grid.Model().Controls().working_point_shown);
  rig.table.SetLastAnswer(live_point::kEntry, Bytes{0x42});
  grid.Shown();
  EXPECT_TRUE(grid.Model().Controls().working_point_shown);

  // An edit waits for its map's write, not another map's.
  ASSERT_EQ(grid.Model().StepUp(), EditOutcome::kApplied);
  EXPECT_FALSE(grid.Model().Controls().steps_enabled);
  grid.MapWritten(0, true);
  EXPECT_FALSE(grid.Model().Controls().steps_enabled);
  grid.MapWritten(1, false);
  EXPECT_TRUE(grid.Model().Controls().steps_enabled);

  EXPECT_TRUE(grid.Enabled());
  grid.SetEnabled(false);
  EXPECT_FALSE(grid.Enabled());
}

}  // namespace
}  // namespace velmora::maps
