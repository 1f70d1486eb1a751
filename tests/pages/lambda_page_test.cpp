// The lambda page's model: what each control lists for the session, the
// voltage codes and probe limits, the axis and table edits, and the
// controls shown from the blocks read back.
#include "pages/lambda_page.h"

#include <gtest/gtest.h>

#include <tuple>

#include "tests/pages/config_rig.h"

namespace velmora::pages {
namespace {

namespace lf = lambda_field;
using Rec = std::tuple<std::int32_t, std::int32_t, std::int32_t>;

std::vector<Rec> Records(const std::vector<session::WriteRecord>& list) {
  std::vector<Rec> out;
  for (const auto& r : list) {
    out.emplace_back(r.value, r.field, r.mode);
  }
  return out;
}

struct LambdaTest : ::testing::Test {
  // The ECU with emulation on and the probe at list position `probe`.
  FrmKvxLambda& Page(int probe_id = 1) {
    t.rig.table.SetValue(lf::kBlock2, lf::kOptions, lf::kEmulationBit);
    t.rig.table.SetValue(lf::kBlock3, lf::kProbeType, probe_id);
    t.rig.table.SetValue(lf::kEmulation, lf::kLevels + 1, 9);  // low pre: 0.20 V
    page.AggiornaSelezioni();
    return page;
  }
  void Done() {
    t.rig.session.Done();
    t.rig.session.lists.ClearAll();
  }
  test::ConfigRig t;
  FrmKvxLambda page{t.env};
};

TEST_F(LambdaTest, ProbeTypeWritesItsIdentifierAndDefaultLevelsInOneRequest) {
  Page().ChooseProbeType(1);
  EXPECT_EQ(t.rig.session.posted, std::vector<int>{session::request::kEntry3And11});
  EXPECT_EQ(Records(t.List(3)), (std::vector<Rec>{{1, 38, 0}}));
  EXPECT_EQ(Records(t.List(11)),
            (std::vector<Rec>{{45, 65, 0}, {4, 66, 0}, {40, 67, 0}, {9, 68, 0}}));
  Done();
  page.ChooseProbeType(0);  // no probe: identifier 0, no levels
  EXPECT_EQ(Records(t.List(3)), (std::vector<Rec>{{0, 38, 0}}));
  EXPECT_TRUE(t.List(11).empty());
}

TEST_F(LambdaTest, LevelsKeepToTheProbeAndToTheLowLevel) {
  FrmKvxLambda& p = Page(1);  // position 1: at most 1000 mV
  const auto enter = [&](std::size_t which, const std::string& text) {
    Done();
    p.LevelEdited(which, text);
    p.LevelEntered(which);
    return Records(t.List(11));
  };
  EXPECT_EQ(enter(0, "1.2"), (std::vector<Rec>{{50, 65, 0}}));
  EXPECT_EQ(p.Controls().levels[0].text, "1.00");
  EXPECT_EQ(enter(0, "0,1"), (std::vector<Rec>{{9, 65, 0}}));  // below low 0.20: the low level
  EXPECT_TRUE(enter(2, "abc").empty());                        // not a number: nothing
  EXPECT_TRUE(t.rig.session.posted.size() == 2);
  p.LevelLeft(2);
  EXPECT_EQ(p.Controls().levels[2].text, "0.00");        // back to the text it had
  t.rig.table.SetValue(lf::kBlock3, lf::kProbeType, 4);  // 800..1600 mV
  p.AggiornaSelezioni();
  EXPECT_EQ(enter(3, "0.5"), (std::vector<Rec>{{40, 68, 0}}));
  t.rig.table.SetValue(lf::kBlock3, lf::kProbeType, 3);  // no limit of its own: a byte's
  p.AggiornaSelezioni();
  EXPECT_EQ(enter(1, "9.9"), (std::vector<Rec>{{254, 66, 0}}));
  EXPECT_EQ(LevelCode(0), 0);
}

TEST_F(LambdaTest, WiringFilterAndEmulationSwitch) {
  FrmKvxLambda& p = Page();
  t.rig.table.SetValue(lf::kEmulation, lf::kProbe2KindAndFilter, 0x01);
  p.ChooseFilter(3);
  EXPECT_EQ(Records(t.List(11)), (std::vector<Rec>{{0x31, 70, 0}}));
  p.ChooseProbe1(2);  // a request is pending: dropped
  EXPECT_EQ(t.rig.session.posted.size(), 1u);
  Done();
  p.ChooseEmulation(0);
  EXPECT_EQ(Records(t.List(2)), (std::vector<Rec>{{0, 2, 0x10}}));
  Done();
  t.rig.table.SetValue(lf::kBlock2, lf::kOptions, lf::kEmulationBit | lf::kLockBit);
  p.ChooseEmulation(0);
  EXPECT_TRUE(t.List(2).empty());
  ASSERT_EQ(t.rig.box.shown.size(), 1u);
  EXPECT_EQ(t.rig.box.shown[0].text, p.Text(lambda_text::kSwitchRefused));
}

TEST_F(LambdaTest, AxesStayBetweenTheirNeighboursAndTheTableInItsBytes) {
  FrmKvxLambda& p = Page();
  for (std::size_t i = 0; i < emulation::kRows; ++i) {
    t.rig.table.SetValue(lf::kEmulation, lf::kRpmAxis + i, static_cast<std::int32_t>(500 * i));
  }
  t.rig.table.SetValue(lf::kEmulation, lf::kRpmAxis + 11, 5950);
  t.rig.table.SetValue(lf::kEmulation, lf::kCells, 250);  // offset +123
  p.AggiornaSelezioni();
  p.RpmKey(11, true, true);
  EXPECT_EQ(t.List(11).size(), 12u);
  EXPECT_EQ(Records(t.List(11)).back(), (Rec{6000, 11, 0}));
  Done();
  p.RpmKey(3, false, true);  // 1500 - 1000 stops at the breakpoint before it
  EXPECT_EQ(p.Controls().rpm_axis[3], 1000);
  Done();
  p.CellKey(true, true);  // +10 on an offset of +123: held at +128
  ASSERT_EQ(t.List(11).size(), 48u);
  EXPECT_EQ(Records(t.List(11))[0], (Rec{255, 16, 0}));
  Done();
  // A voltage row set to 2 V on a 0..1 V probe: 1000 mV at most.
  p.SelectCells({11, 0, 11, 3});
  t.rig.window.answers.push_back({value_op::kSet, 2.0F});
  p.CellEnter();
  EXPECT_EQ(Records(t.List(11)).back(), (Rec{51, 63, 0}));
  EXPECT_EQ(CellText(51, emulation::RowKind::kVoltage), "1.00");
  Done();
  p.CellEnter();  // cancelled: a beep and nothing written
  EXPECT_EQ(t.rig.window.beeps.size(), 1u);
  EXPECT_TRUE(t.List(11).empty());
}

TEST_F(LambdaTest, ControlsShowTheBlocksAndTheirEnabling) {
  t.rig.table.SetValue(lf::kEmulation, lf::kProbe2KindAndFilter, 0x21);
  t.rig.table.SetValue(lf::kEmulation, lf::kProbe1Kind, 7);
  t.rig.table.SetValue(lf::kEmulation, lf::kDelay, 5000);
  FrmKvxLambda& p = Page(5);  // no pre-catalyst emulation
  const LambdaControls& c = p.Controls();
  EXPECT_EQ(c.probe_type.index, 5);
  EXPECT_EQ(c.emulation.index, 1);
  EXPECT_EQ(c.probe1.index, -1);  // not a kind the list has
  EXPECT_EQ(c.probe2.index, 1);
  EXPECT_EQ(c.filter.index, 2);
  EXPECT_EQ(c.delay.index, 2);
  EXPECT_FALSE(c.levels[0].enabled);
  EXPECT_TRUE(c.levels[2].enabled);
  EXPECT_TRUE(c.grids_enabled);
  t.rig.table.SetValue(lf::kBlock2, lf::kOptions, 0);
  t.rig.table.SetLastAnswer(lf::kBlock2, Bytes{1});  // read again by the session
  p.LiveTick();
  EXPECT_FALSE(c.grids_enabled);
  EXPECT_FALSE(c.levels[2].enabled);
}

}  // namespace
}  // namespace velmora::pages
