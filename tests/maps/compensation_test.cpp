// The compensation page over a fake session: centring by the physical
// rules and its refusals, edits waiting for the request slot and going out
// as request 15, the read-back marks, the ABS flag and the pressure
// scaling lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/bytes.h"
#include "core/files.h"
#include "maps/frm_compensa.h"
#include "session/request_codes.h"
#include "tests/pages/page_fakes.h"

namespace velmora::maps {
namespace {

namespace cp = compensation;
namespace rq = session::request;
using pages::test::PageRig;

constexpr const char* kScaling =
    "[Moltiplicatore Scala Pressioni]\r\n"
    "1000|1000|1000|1000|1000|1000|1000|1000|1000|1000|1000|1000|1000|1000|1000\r\n"
    "[Moltiplicatore Correzione]\r\n"
    "1000|1000|1000|1000|1000|1000|1000|1000|1000|1000|1000|1000|1000|1000|1000\r\n";

// A rig whose ECU holds gas temperatures -20..120 C in steps of 10 and
// gas pressures 500, 750 .. 4000 mbar, every correction 0.
struct Rig {
  explicit Rig(bool scaling = true) {
    std::filesystem::create_directories(std::filesystem::path(r.paths.config_scale).parent_path());
    if (scaling) {
      EXPECT_TRUE(core::WriteFileAtomic(r.paths.config_scale, kScaling));
    }
    for (std::size_t i = 0; i < cp::kPairs; ++i) {
      const auto k = static_cast<std::int32_t>(i);
      r.table.SetValue(8, 2 * i, -20 + 10 * k);
      r.table.SetValue(9, 2 * i, 500 + 250 * k);
    }
    page = std::make_unique<FrmCompensa>(r.env);
  }
  // The session runs request 15's work.
  bool RunPending() {
    EXPECT_EQ(r.session.pending, rq::kCompensation);
    const bool ok = r.requests.Find(rq::kCompensation)->run();
    r.session.Done();
    return ok;
  }
  PageRig r;
  std::unique_ptr<FrmCompensa> page;
};

TEST(Compensation, CentringFollowsThePhysicalRules) {
  Rig rig;
  FrmCompensa& p = *rig.page;
  // Gas temperature centred at 20 C (column 5) with F = 10.
  p.Grid(cp::kGasTemperature).SetCurrent({cp::kBreakpointRow, 5});
  ASSERT_EQ(p.CmdCentraQui(cp::kGasTemperature), CompensaOutcome::kApplied);
  const GridModel& t = p.Grid(cp::kGasTemperature);
  EXPECT_EQ(t.Text(cp::kCorrectionRow, 11), "1");  // 80 C
  EXPECT_EQ(t.Text(cp::kCorrectionRow, 5), "0");   // the centre
  EXPECT_EQ(t.Text(cp::kCorrectionRow, 1), "-1");  // -20 C
  EXPECT_EQ(rig.r.window.beeps.back().hertz, 600);
  EXPECT_EQ(rig.r.session.posted, (std::vector<int>{rq::kCompensation}));
  EXPECT_EQ(p.CellMark(cp::kGasTemperature, 11), Mark::kPending);

  // The work writes block 8 with its command and the ECU's read-back
  // settles the marks.
  EXPECT_TRUE(rig.RunPending());
  ASSERT_EQ(rig.r.session.written.size(), 1u);
  EXPECT_EQ(rig.r.session.written[0], (std::pair<std::size_t, std::uint8_t>{8, 0x7D}));
  EXPECT_EQ(rig.r.table.Value(8, 2 * 10 + 1), 1);
  EXPECT_EQ(p.CellMark(cp::kGasTemperature, 11), Mark::kNone);

  // Gas pressure at 1.0 bar (column 3): 2.0 bar gets -4, 0.5 bar gets 3.
  EXPECT_EQ(p.Grid(cp::kGasPressure).Text(cp::kBreakpointRow, 3), "1.00");
  p.Grid(cp::kGasPressure).SetCurrent({cp::kBreakpointRow, 3});
  p.CmdCentraQui(cp::kGasPressure);
  EXPECT_EQ(p.Grid(cp::kGasPressure).Text(cp::kCorrectionRow, 7), "-4");
  EXPECT_EQ(p.Grid(cp::kGasPressure).Text(cp::kCorrectionRow, 1), "3");
  EXPECT_TRUE(rig.RunPending());
  EXPECT_EQ(rig.r.session.written.back(), (std::pair<std::size_t, std::uint8_t>{9, 0x7F}));
}

TEST(Compensation, CentringIsRefusedWhereTheRuleHasNoReference) {
  Rig rig;
  FrmCompensa& p = *rig.page;
  const auto refused = [&](int kind, CellPos at) {
    p.Grid(kind).SetCurrent(at);
    const auto before = p.Grid(kind).Text(cp::kCorrectionRow, 2);
    const bool r = p.CmdCentraQui(kind) == CompensaOutcome::kRefused &&
                   rig.r.window.beeps.back().hertz == 200 && rig.r.window.beeps.back().ms == 750 &&
                   p.Grid(kind).Text(cp::kCorrectionRow, 2) == before;
    return r;
  };
  EXPECT_TRUE(refused(cp::kGasTemperature, {cp::kBreakpointRow, 1}));
  EXPECT_TRUE(refused(cp::kGasTemperature, {cp::kBreakpointRow, 14}));
  EXPECT_TRUE(refused(cp::kGasTemperature, {cp::kCorrectionRow, 5}));
  EXPECT_TRUE(refused(cp::kLeanOut, {cp::kBreakpointRow, 5}));
  // A pressure breakpoint of 0 as the reference: the rule would divide by
  // it.
  rig.r.table.SetValue(9, 2, 0);
  p.CalibrationRead();
  EXPECT_TRUE(refused(cp::kGasPressure, {cp::kBreakpointRow, 2}));
  EXPECT_TRUE(rig.r.session.posted.empty());
}

TEST(Compensation, EditsWaitForTheSlotAndAFailedWriteIsMarked) {
  Rig rig;
  FrmCompensa& p = *rig.page;
  rig.r.session.pending = rq::kEntry3List;  // another page's request
  GridModel& g = p.Grid(cp::kReducerTemperature);
  g.Select({cp::kCorrectionRow, 2}, {cp::kCorrectionRow, 3});
  rig.r.window.answers.push_back({pages::value_op::kSet, 150});
  EXPECT_EQ(p.Enter(cp::kReducerTemperature), CompensaOutcome::kApplied);
  EXPECT_EQ(rig.r.window.asked_limits.back().percent.max, 100);
  EXPECT_EQ(g.Text(cp::kCorrectionRow, 2), "100");  // kept within the range
  p.ChkGrdClick(cp::kLeanOut, true);
  EXPECT_TRUE(rig.r.session.posted.empty());

  // Free again: both tables go in one request, kind 255.
  rig.r.session.Done();
  p.LiveTick();
  EXPECT_EQ(rig.r.session.posted, (std::vector<int>{rq::kCompensation}));
  rig.r.session.exchange_ok = false;
  EXPECT_FALSE(rig.RunPending());
  // The first failed write ends the request: the second was not sent.
  EXPECT_EQ(rig.r.session.written.size(), 1u);
  EXPECT_EQ(p.CellMark(cp::kReducerTemperature, 2), Mark::kFailed);
  EXPECT_EQ(g.Text(cp::kCorrectionRow, 2), "100");  // the typed value stays
  EXPECT_EQ(p.Controls().tables[cp::kLeanOut].active_mark, Mark::kFailed);
  EXPECT_NE(p.CellTip(cp::kReducerTemperature, 1, 2).find("Not taken by the ECU"),
            std::string::npos);
}

TEST(Compensation, AbsFlagGoesThroughBlock16AndShowsTheReadBack) {
  Rig rig;
  FrmCompensa& p = *rig.page;
  p.AbsClick(true);
  ASSERT_EQ(rig.r.session.lists.Of(16).size(), 1u);
  const auto rec = rig.r.session.lists.Of(16)[0];
  EXPECT_EQ(rec.value, 1);
  EXPECT_EQ(rec.field, 44);
  EXPECT_EQ(rec.mode, 4);
  EXPECT_EQ(rig.r.session.posted, (std::vector<int>{rq::kEntry16List}));
  // The ECU did not take it: the box stays checked, marked failed.
  rig.r.session.Done();
  p.LiveTick();
  EXPECT_TRUE(p.Controls().abs_checked);
  EXPECT_EQ(p.Controls().abs_mark, Mark::kFailed);
}

TEST(Compensation, OperatingPointsAndLeanOutControls) {
  Rig rig;
  FrmCompensa& p = *rig.page;
  p.LiveTick();
  EXPECT_FALSE(p.Controls().tables[cp::kGasTemperature].point_shown);  // nothing read yet
  rig.r.table.SetValue(1, 44, 25);                                     // gas temperature
  rig.r.table.SetValue(1, 33, 1150);                                   // gas pressure, mbar
  for (std::size_t f = 7; f <= 10; ++f) {
    rig.r.table.SetValue(1, f, 3000);  // petrol injection, us
  }
  rig.r.table.SetLastAnswer(1, Bytes{0x42});
  p.LiveTick();
  const auto& t = p.Controls().tables;
  EXPECT_EQ(t[cp::kGasTemperature].point_column, 5);  // 20 <= 25 < 30
  EXPECT_EQ(t[cp::kGasTemperature].point_text, "25 °C");
  EXPECT_EQ(t[cp::kGasPressure].point_column, 3);  // 1000 <= 1150 < 1250
  EXPECT_EQ(t[cp::kGasPressure].point_text, "1.15 Bar");
  EXPECT_EQ(t[cp::kLeanOut].point_text, "3.0 ms");

  // The persistence scroll bar chooses the lean-out exit item and writes
  // the lean-out table.
  p.PermanenceScroll(4);
  EXPECT_EQ(p.Controls().lean_exit.index, 3);
  EXPECT_TRUE(rig.RunPending());
  EXPECT_EQ(rig.r.session.written.back(), (std::pair<std::size_t, std::uint8_t>{13, 0x5E}));
  EXPECT_EQ(rig.r.table.Value(13, 31), 3);
  EXPECT_EQ(p.Controls().lean_exit.mark, Mark::kNone);

  // The last point's correction goes into every table: kind 255.
  p.CorrectionScroll(-5);
  EXPECT_EQ(p.Controls().correction_text, "+ 5 %");
  EXPECT_EQ(p.Grid(cp::kReducerTemperature).Text(cp::kCorrectionRow, cp::kPairs), "-5");
  EXPECT_TRUE(rig.RunPending());
  EXPECT_EQ(rig.r.session.written.size(), 1u + cp::kKinds);
  EXPECT_EQ(rig.r.table.Value(7, 29), -5);

  // A write the session dropped (the ECU went away) is marked as not taken.
  p.Step(cp::kGasTemperature, 1);
  rig.r.requests.Find(rq::kCompensation)->dropped();
  EXPECT_EQ(p.CellMark(cp::kGasTemperature, 1), Mark::kFailed);
}

TEST(Compensation, ScalingListsSensorLineAndCorrectionRange) {
  const PressureScaling s = ReadPressureScaling(
      {"[Moltiplicatore Scala Pressioni]", "2000|0|x", "[Moltiplicatore Correzione]", "500"});
  EXPECT_TRUE(s.errors.empty());
  EXPECT_EQ(BreakpointText(cp::kGasPressure, 1000, 1, s), "2.00");
  EXPECT_EQ(BreakpointText(cp::kGasPressure, 1000, 2, s), "1.00");  // 0 counts as 1000
  EXPECT_EQ(BreakpointText(cp::kGasPressure, 1000, 9, s), "1.00");  // beyond the list
  // A correction through its multiplier, and back to the ECU's value.
  EXPECT_EQ(ShownCorrection(cp::kGasPressure, 10, 1, s), 5);
  EXPECT_EQ(RawCorrection(cp::kGasPressure, 5, 1, s), 10);
  EXPECT_EQ(ShownCorrection(cp::kGasTemperature, 10, 1, s), 10);
  // The petrol pressure sensor byte: volts, and bar through the line.
  EXPECT_EQ(BreakpointText(cp::kPetrolPressure, 102, 1, s), "2.00");
  EXPECT_EQ(PetrolBarText(102, {2.5, -0.5}), "4.50");
  EXPECT_EQ(PetrolBarText(102, {}), "102");
  // A large amplitude stays within the corrections' range.
  const std::vector<double> x = {0.5, 1,   2,   4,    8,    16,   32,  64,
                                 128, 256, 512, 1024, 2048, 4096, 8192};
  const auto c = CentredCorrections(cp::kGasPressure, x, 2, 100);
  ASSERT_TRUE(c.has_value());
  EXPECT_EQ(c->back(), cp::kMinCorrection);
  EXPECT_EQ((*c)[1], 0);
}

TEST(Compensation, MissingScalingListsAreToldOnceAndLeaveRawHeadings) {
  Rig rig(false);
  rig.page->Shown();
  rig.page->Shown();
  ASSERT_EQ(rig.r.box.shown.size(), 2u);
  EXPECT_EQ(rig.r.box.shown[0].text, "Error: \"[Moltiplicatore Scala Pressioni]\" not found!");
  EXPECT_EQ(rig.r.box.shown[1].text, "Error: \"[Moltiplicatore Correzione]\" not found!");
  EXPECT_EQ(rig.page->Grid(cp::kGasPressure).Text(cp::kBreakpointRow, 3), "1000");
  EXPECT_DOUBLE_EQ(PressureHeading(1500, 999), 1.5);  // trunc(1498.5) / 1000
}

}  // namespace
}  // namespace velmora::maps
