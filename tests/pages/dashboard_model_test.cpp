// The dashboard page's model: the live record in display units, and no
// values until the live record has been read.
#include "pages/dashboard_model.h"

#include <gtest/gtest.h>

#include "tests/pages/page_fakes.h"

namespace velmora::pages {
namespace {

// A live record as the message table hands it over: rpm already worked out,
// two of eight cylinders injecting.
void FillLiveRecord(link::MessageTable& table) {
  const std::vector<std::pair<std::size_t, std::int32_t>> fields = {
      {1, 1},     {2, 2},     {7, 3000},   {8, 3200}, {15, 4200}, {32, 812},
      {33, 1150}, {34, 3010}, {35, 14150}, {36, 830}, {37, 120},  {38, 1},
      {39, 640},  {40, 610},  {43, 78},    {44, -5},  {46, 62}};
  for (const auto& [field, value] : fields) {
    table.SetValue(dash_field::kEntry, field, value);
  }
  table.SetLastAnswer(dash_field::kEntry, Bytes{0x42});
}

TEST(DashboardModel, LiveRecordInDisplayUnitsOnceItWasRead) {
  link::MessageTable table = test::PageRig::Table(96);
  DashboardModel model(table);
  model.Shown();
  EXPECT_FALSE(model.Values().has_value());  // the instruments show dashes

  FillLiveRecord(table);
  model.LiveTick();
  ASSERT_TRUE(model.Values().has_value());
  const DashboardValues& v = *model.Values();
  EXPECT_EQ(v.rpm, 812);
  EXPECT_DOUBLE_EQ(v.gas_pressure_bar, 1.15);
  EXPECT_DOUBLE_EQ(v.petrol_pressure_v, 3.01);
  EXPECT_DOUBLE_EQ(v.battery_v, 14.15);
  EXPECT_EQ(v.lambda_mv, (std::array<double, 4>{830, 120, 640, 610}));
  EXPECT_EQ(v.reducer_c, 78);
  EXPECT_EQ(v.gas_c, -5);
  EXPECT_EQ(v.level_percent, 62);
  // The mean of the cylinders that inject: (3000 + 3200) / 2 us.
  EXPECT_DOUBLE_EQ(v.petrol_ms, 3.1);
  EXPECT_DOUBLE_EQ(v.gas_ms, 4.2);
  EXPECT_TRUE(v.on_gas);
  EXPECT_EQ(v.switch_phase, switch_phase::kGas);
  EXPECT_TRUE(v.engine_steady);

  // No cylinder injecting is 0 ms, not a division by zero.
  for (std::size_t c = 0; c < dash_field::kCylinders; ++c) {
    table.SetValue(dash_field::kEntry, dash_field::kPetrolTimeFirst + c, 0);
  }
  model.Refresh();
  EXPECT_EQ(model.Values()->petrol_ms, 0);
}

}  // namespace
}  // namespace velmora::pages
