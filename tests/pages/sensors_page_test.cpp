// The sensors page's model: the level sensor's records and curve, the
// end-of-gas and minimum-temperature words, and the readings.
#include "pages/sensors_page.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/pages/config_rig.h"

namespace velmora::pages {
namespace {

namespace sf = sensor_field;
using Rec = std::tuple<std::int32_t, std::int32_t, std::int32_t>;

std::vector<Rec> Records(const std::vector<session::WriteRecord>& list) {
  std::vector<Rec> out;
  for (const auto& r : list) {
    out.emplace_back(r.value, r.field, r.mode);
  }
  return out;
}

struct SensorsTest : ::testing::Test {
  void Done() {
    t.rig.session.Done();
    t.rig.session.lists.ClearAll();
  }
  void SetCurve(const LevelCurve& curve) {
    for (std::size_t i = 0; i < curve.size(); ++i) {
      t.rig.table.SetValue(sf::kBlock3, sf::kCurve + i, curve[i]);
    }
  }
  test::ConfigRig t;
  FrmKvxSensori page{t.env};
};

TEST_F(SensorsTest, LevelSensorTypeWritesEightWordsInOneWrite) {
  page.ChooseLevelType(1);
  EXPECT_EQ(t.rig.session.posted, std::vector<int>{session::request::kEntry3List});
  EXPECT_EQ(Records(t.List(3)), (std::vector<Rec>{{2, 25, 0},
                                                  {6, 26, 0},
                                                  {25, 27, 0},
                                                  {65, 28, 0},
                                                  {105, 29, 0},
                                                  {145, 30, 0},
                                                  {185, 31, 0},
                                                  {225, 32, 0}}));
  // Read back, the page finds the record again.
  for (const auto& [value, field, mode] : Records(t.List(3))) {
    t.rig.table.SetValue(sf::kBlock3, static_cast<std::size_t>(field), value);
  }
  Done();
  page.AggiornaSelezioni();
  EXPECT_EQ(page.Controls().level_type.index, 1);
  EXPECT_EQ(page.Controls().curve_texts[0], "0.49 (v)");
  page.LevelDefaults();
  EXPECT_EQ(t.List(3).size(), 6u);
}

TEST_F(SensorsTest, FullAndEmptyEndsMeetTheReading) {
  SetCurve({20, 58, 96, 134, 172, 210});
  page.AggiornaSelezioni();
  page.SetFull();  // no reading yet: nothing
  EXPECT_TRUE(t.rig.session.posted.empty());
  t.rig.table.SetValue(sf::kLive, sf::kLevelFiltered, 2940);  // 150 steps
  t.rig.table.SetLastAnswer(sf::kLive, Bytes{1});
  page.SetFull();
  EXPECT_EQ(Records(t.List(3)).back(), (Rec{150, 32, 0}));
  EXPECT_EQ(Records(t.List(3)).front(), (Rec{20, 27, 0}));
  EXPECT_EQ(Records(t.List(3))[2], (Rec{72, 29, 0}));  // 20 + 0.4 x 130
  Done();
  page.SetEmpty();  // the empty end moves to the reading, the full end stays
  EXPECT_EQ(Records(t.List(3)).front(), (Rec{150, 27, 0}));
  EXPECT_EQ(Records(t.List(3)).back(), (Rec{150, 32, 0}));
  EXPECT_EQ(RescaleCurve({7, 7, 7, 7, 7, 7}, CurveEnd::kFull, 300),
            (LevelCurve{7, 57, 106, 156, 205, 255}));
}

TEST_F(SensorsTest, EndOfGasAndMinimumTemperature) {
  page.ChooseEndPressure(1);  // "0,8 bar"
  EXPECT_EQ(Records(t.List(3)), (std::vector<Rec>{{800, 39, 0}}));
  Done();
  page.ChooseEndOfGas(1);
  EXPECT_EQ(Records(t.List(3)), (std::vector<Rec>{{1, 33, 128}}));
  Done();
  page.ChooseMinTemp(0);  // no minimum: the second item's number, check off
  EXPECT_EQ(t.rig.session.posted.back(), session::request::kEntry15List);
  EXPECT_EQ(Records(t.List(15)), (std::vector<Rec>{{-20, 3, 0}, {0, 5, 2}}));
  Done();
  page.ChooseMinTemp(3);
  EXPECT_EQ(Records(t.List(15)), (std::vector<Rec>{{10, 3, 0}, {1, 5, 2}}));
  Done();
  t.rig.table.SetValue(sf::kBlock6, sf::kMinTemp, -15);
  t.rig.table.SetValue(sf::kBlock6, sf::kBlock6Options, 2);
  t.rig.table.SetValue(sf::kBlock3, sf::kEndPressure, 1000);
  t.rig.table.SetLastAnswer(sf::kBlock6, Bytes{1});
  page.LiveTick();
  EXPECT_EQ(page.Controls().min_temp.index, 2);
  EXPECT_EQ(page.Controls().end_pressure.index, 2);
  EXPECT_EQ(page.Readings().filtered, "- - -");
}

}  // namespace
}  // namespace velmora::pages
