#include "maps/frm_change_axis.h"
#include "tests/maps/page_fakes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "calib/calibration_import.h"
#include "platform/fake/fakes.h"

namespace velmora::maps {
namespace {

using calib::AxisBreakpoints;
using calib::AxisFailure;
using platform::BoxKind;

using FakeSession = maps::test::FakePageSession;

using test::PutAxes;
using test::StandardAxes;

class AxisEditorTest : public ::testing::Test {
 protected:
  void SetUp() override { PutAxes(StandardAxes(), image); }

  FrmChangeAxis& Open() {
    dlg.emplace(AxisEditorEnv{image, session, box, lng_dir, "Velmora"});
    dlg->Load();
    return *dlg;
  }
  // Clears the cell and types `text` into it, without Enter.
  void Type(CellPos cell, std::string_view text) {
    dlg->SelectCell(cell);
    while (!dlg->Grid().Text(cell.row, cell.col).empty()) {
      ASSERT_TRUE(dlg->TypeKey(axis_key::kBackspace));
    }
    for (char c : text) {
      (void)dlg->TypeKey(static_cast<char32_t>(c));
    }
  }
  void TypeEnter(CellPos cell, std::string_view text) {
    Type(cell, text);
    ASSERT_TRUE(dlg->TypeKey(axis_key::kEnter));
  }
  [[nodiscard]] std::string Cell(int row, int col) const { return dlg->Grid().Text(row, col); }
  void ExpectImageUntouched() const {
    calib::CalibrationImage fresh;
    PutAxes(StandardAxes(), fresh);
    EXPECT_EQ(image.rpm_axis, fresh.rpm_axis);
    EXPECT_EQ(image.time_axis, fresh.time_axis);
    EXPECT_EQ(image.rpm_vector, fresh.rpm_vector);
    EXPECT_EQ(image.time_vector, fresh.time_vector);
  }

  calib::CalibrationImage image;
  FakeSession session;
  platform::FakeMessageBox box;
  std::string lng_dir;
  std::optional<FrmChangeAxis> dlg;
};

constexpr int kT = axis::kColTime;
constexpr int kR = axis::kColRpm;

TEST(AxisValues, TypedValuesSnapToTheirAxis) {
  EXPECT_EQ(ControllaValore("1000", true), 1024);
  EXPECT_EQ(ControllaValore("9000", true), 8000);
  EXPECT_EQ(ControllaValore("", true), 0);
  EXPECT_EQ(ControllaValore("32", true), 0);  // half a step goes to the even step
  EXPECT_EQ(ControllaValore("96", true), 128);
  EXPECT_EQ(ControllaValore("999999999", true), 8000);
  EXPECT_DOUBLE_EQ(ControllaValore("1.3", false), 1.28);
  EXPECT_DOUBLE_EQ(ControllaValore("1,3", false), 1.28);
  EXPECT_DOUBLE_EQ(ControllaValore("30", false), 22.784);
  EXPECT_DOUBLE_EQ(ControllaValore(",", false), 0);
  EXPECT_EQ(FormatAxisValue(1.28, false), "1.28");
  EXPECT_EQ(FormatAxisValue(0.128, false), "0.128");
  EXPECT_EQ(FormatAxisValue(0, false), "0");
  EXPECT_EQ(FormatAxisValue(20, false), "20");
  EXPECT_EQ(FormatAxisValue(1024, true), "1024");
}

TEST(AxisValues, PrincipalBoxListsAndLookups) {
  const std::vector<double> rpm = RpmList();
  ASSERT_EQ(rpm.size(), 29u);
  EXPECT_EQ(rpm.front(), 500);
  EXPECT_EQ(rpm.back(), 7500);
  const std::vector<double> time = TimeList();
  ASSERT_EQ(time.size(), 159u);
  EXPECT_EQ(time.front(), 0.25);
  EXPECT_EQ(time.back(), 20);

  EXPECT_EQ(TrovaValoreRPM(16, rpm), 2);    // 1000 normalises to 1024
  EXPECT_EQ(TrovaValoreRPM(17, rpm), 2);    // 1088: the entry below it
  EXPECT_EQ(TrovaValoreRPM(5, rpm), -1);    // 320: below the list
  EXPECT_EQ(TrovaValoreRPM(125, rpm), -1);  // 8000: no entry reaches it
  EXPECT_EQ(TrovaValoreTNJ(10, time), 8);   // 1.28 ms: 1.25 normalises to it
  EXPECT_EQ(TrovaValoreTNJ(0, time), -1);
  EXPECT_EQ(TrovaValore(0.375, time), 1);
  EXPECT_EQ(TrovaValore(0.3, time), -1);
  EXPECT_EQ(TrovaValore(7500, rpm), 28);
}

TEST(AxisValues, TextsComeFromTheirDictionaryBlock) {
  std::string diz = "[Frm_Other]\r\nx\r\n[Frm_Assi]\r\n";
  for (int k = 1; k <= 70; ++k) {
    diz += "a" + std::to_string(k) + "\r\n";
  }
  const test::TestDictionary dictionary(diz);
  const AxisTexts t = LoadAxisTexts(dictionary.lingue);
  EXPECT_EQ(t.caption, "a1");
  EXPECT_EQ(t.rpm_tips[11], "a28");
  EXPECT_EQ(t.time_tips[0], "a29");
  EXPECT_EQ(t.failures[3], "a69");
  EXPECT_EQ(t.failures[4], "a70");

  core::ClsLingue empty;
  EXPECT_EQ(LoadAxisTexts(empty).heading_rpm, AxisTexts{}.heading_rpm);
  EXPECT_EQ(LoadAxisTexts(empty).rpm_tips[0], "rpm breakpoint 1");
}

TEST_F(AxisEditorTest, LoadShowsTheBreakpointsAndTheirBoxes) {
  FrmChangeAxis& d = Open();
  EXPECT_EQ(Cell(0, kT), d.Texts().heading_time);
  EXPECT_EQ(Cell(0, kR), d.Texts().heading_rpm);
  EXPECT_EQ(Cell(1, kT), "0");
  EXPECT_EQ(Cell(1, kR), "0");
  EXPECT_EQ(Cell(2, kR), "320");
  EXPECT_EQ(Cell(2, kT), "0.896");
  EXPECT_EQ(Cell(23, kT), "19.712");
  EXPECT_EQ(Cell(24, kR), "7360");
  EXPECT_EQ(Cell(24, kT), "");
  EXPECT_EQ(d.Breakpoints(), StandardAxes());
  // Box 0 is breakpoint 1 (320, below the list); box 2 is breakpoint 4
  // (1280, the 1250 entry).
  EXPECT_EQ(d.SelectedRpm()[0], -1);
  EXPECT_EQ(d.SelectedRpm()[2], 3);
  EXPECT_EQ(d.SelectedRpm()[11], TrovaValoreRPM(115, d.RpmEntries()));
  EXPECT_EQ(d.SelectedTime()[11], TrovaValoreTNJ(154, d.TimeEntries()));

  // Breakpoints not known: taken from the tables; neither known: zeros.
  image.rpm_vector.clear();
  image.time_vector.clear();
  EXPECT_EQ(Open().Breakpoints(), StandardAxes());
  image.rpm_axis.clear();
  EXPECT_EQ(Open().Breakpoints(), AxisBreakpoints{});
  EXPECT_EQ(Cell(24, kR), "0");
  EXPECT_EQ(dlg->CmdOk(), AxisOutcome::kStay);
  EXPECT_TRUE(session.posted.empty());
}

TEST_F(AxisEditorTest, TypingFollowsTheColumnRules) {
  FrmChangeAxis& d = Open();
  TypeEnter({5, kR}, "1000");
  EXPECT_EQ(Cell(5, kR), "1024");
  EXPECT_EQ(d.Breakpoints().rpm[4], 16);

  Type({6, kR}, "2,5a.");  // no separator or letter in the rpm column
  EXPECT_EQ(Cell(6, kR), "25");
  EXPECT_FALSE(d.TypeKey(U'x'));
  EXPECT_FALSE(d.TypeKey(U','));

  TypeEnter({4, kT}, "1,3");
  EXPECT_EQ(Cell(4, kT), "1.28");
  TypeEnter({5, kT}, "2.3,5");      // one separator only
  EXPECT_EQ(Cell(5, kT), "2.304");  // 2.35 ms -> 18 x 128 us

  // Leaving a cell snaps it, and its box follows.
  Type({24, kR}, "9000");
  EXPECT_EQ(Cell(24, kR), "9000");
  d.SelectCell({3, kT});
  EXPECT_EQ(Cell(24, kR), "8000");
  EXPECT_EQ(d.SelectedRpm()[11], -1);
  EXPECT_EQ(Cell(6, kR), "0");  // the "25" typed above was snapped on leaving

  // Backspace takes the last character; long texts stop growing.
  Type({7, kR}, "1234567890123");
  EXPECT_EQ(Cell(7, kR), "123456789");
  EXPECT_TRUE(d.TypeKey(axis_key::kBackspace));
  EXPECT_EQ(Cell(7, kR), "12345678");

  // Breakpoint 0 and the row below the injection-time column take nothing.
  d.SelectCell({1, kR});
  EXPECT_FALSE(d.TypeKey(U'5'));
  EXPECT_FALSE(d.TypeKey(axis_key::kEnter));
  EXPECT_EQ(Cell(1, kR), "0");
  d.SelectCell({24, kT});
  EXPECT_FALSE(d.TypeKey(U'5'));
  EXPECT_EQ(Cell(24, kT), "");
  EXPECT_EQ(Cell(7, kR), "8000");  // left: snapped and clamped
  ExpectImageUntouched();
}

TEST_F(AxisEditorTest, PrincipalBoxChoicesMustStayBetweenTheirNeighbours) {
  FrmChangeAxis& d = Open();
  // Box 5 is breakpoint 10, between box 4 (2500 -> 2496) and box 6
  // (3750 -> 3776).
  ASSERT_EQ(d.PrincipalRpm()[5], 10);
  const auto before = d.SelectedRpm();
  d.ChooseRpm(5, TrovaValore(2500, d.RpmEntries()));
  d.ChooseRpm(5, TrovaValore(4000, d.RpmEntries()));
  d.ChooseRpm(5, -1);
  ASSERT_EQ(box.shown.size(), 3u);
  for (const auto& b : box.shown) {
    EXPECT_EQ(b.text, d.Texts().invalid);
    EXPECT_EQ(b.kind, BoxKind::Exclamation);
  }
  EXPECT_EQ(d.SelectedRpm(), before);
  EXPECT_EQ(d.Breakpoints(), StandardAxes());

  // 3000 normalises to 3008 (47); breakpoints 9 and 11 become halfway.
  d.ChooseRpm(5, TrovaValore(3000, d.RpmEntries()));
  EXPECT_EQ(box.shown.size(), 3u);
  EXPECT_EQ(d.SelectedRpm()[5], TrovaValore(3000, d.RpmEntries()));
  EXPECT_EQ(Cell(11, kR), "3008");
  EXPECT_EQ(Cell(10, kR), "2816");  // 40 + round(3.5) = 44
  EXPECT_EQ(Cell(12, kR), "3392");  // 47 + round(6.5) = 53
  EXPECT_EQ(d.Breakpoints().rpm[9], 44);
  EXPECT_EQ(d.Breakpoints().rpm[11], 53);

  // The last rpm segment is split in three: 100 .. 117 gives 106, 112.
  d.ChooseRpm(11, TrovaValore(7500, d.RpmEntries()));
  EXPECT_EQ(Cell(24, kR), "7488");
  EXPECT_EQ(Cell(22, kR), "6784");
  EXPECT_EQ(Cell(23, kR), "7168");

  // Injection time: box 1 (breakpoint 2) between box 0 (breakpoint 1,
  // 0.896 ms) and box 2 (breakpoint 4, 3.584 ms).
  d.ChooseTime(1, TrovaValore(0.75, d.TimeEntries()));
  EXPECT_EQ(box.shown.size(), 4u);  // 0.768 is below 0.896
  d.ChooseTime(1, TrovaValore(2.5, d.TimeEntries()));
  EXPECT_EQ(box.shown.size(), 4u);
  EXPECT_EQ(Cell(3, kT), "2.56");   // 20
  EXPECT_EQ(Cell(4, kT), "3.072");  // 20 + (28 - 20) / 2
  EXPECT_EQ(d.Breakpoints().time[3], 24);
  ExpectImageUntouched();
}

TEST_F(AxisEditorTest, AutoscaleAsksSpreadsAndChecks) {
  FrmChangeAxis& d = Open();
  TypeEnter({24, kR}, "8000");
  box.answers = {false};
  d.CmdAutoscaleX();
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, d.Texts().autoscale_ask + " " + d.Texts().heading_rpm + "\r\n" +
                                   d.Texts().autoscale_continue);
  EXPECT_EQ(Cell(2, kR), "320");

  box.answers = {true};
  d.CmdAutoscaleX();
  EXPECT_EQ(box.shown.size(), 2u);  // sound: no spacing message
  EXPECT_EQ(Cell(2, kR), "320");    // 347.8 -> 5 x 64
  EXPECT_EQ(Cell(3, kR), "704");    // 695.7 -> 11 x 64
  EXPECT_EQ(Cell(23, kR), "7680");  // 7652.2 -> 120 x 64
  EXPECT_EQ(Cell(24, kR), "8000");

  // Injection time up to 2.048 ms over 22 steps: 0.093 ms apart, too close.
  TypeEnter({23, kT}, "2.048");
  box.answers = {true};
  d.CmdAutoscaleY();
  ASSERT_EQ(box.shown.size(), 4u);
  EXPECT_EQ(box.shown[2].text, d.Texts().autoscale_ask + " " + d.Texts().heading_time + "\r\n" +
                                   d.Texts().autoscale_continue);
  EXPECT_EQ(box.shown[3].kind, BoxKind::Exclamation);
  EXPECT_EQ(box.shown[3].text.rfind(d.Texts().invalid + "\r\n", 0), 0u);
  EXPECT_NE(box.shown[3].text.find(d.Texts().heading_time + ": "), std::string::npos);
  EXPECT_EQ(Cell(2, kT), "0.128");
  EXPECT_EQ(d.Closed(), false);
  ExpectImageUntouched();
}

TEST_F(AxisEditorTest, SpacingViolationsAreListedAndKeepTheDialogOpen) {
  FrmChangeAxis& d = Open();
  TypeEnter({5, kR}, "1024");
  TypeEnter({6, kR}, "1024");
  EXPECT_EQ(d.InvalidLines(), d.Texts().heading_rpm + ": 1024/1024\r\n");
  EXPECT_EQ(d.CmdOk(), AxisOutcome::kStay);
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text,
            d.Texts().invalid + "\r\n" + d.Texts().heading_rpm + ": 1024/1024\r\n");
  EXPECT_EQ(box.shown[0].caption, "Velmora");

  // Injection-time gaps under 0.128 ms: 0.896 twice, 2.688 then 2.56.
  TypeEnter({6, kR}, "1088");
  TypeEnter({3, kT}, "0.896");
  TypeEnter({5, kT}, "2.56");
  EXPECT_EQ(d.InvalidLines(), d.Texts().heading_time + ": 0.896/0.896\r\n" +
                                  d.Texts().heading_time + ": 2.688/2.56\r\n");
  EXPECT_FALSE(d.Closed());
  EXPECT_TRUE(session.posted.empty());
  ExpectImageUntouched();
}

TEST_F(AxisEditorTest, OkWaitsForAFreeSlotThenConvertsStoresAndPosts) {
  FrmChangeAxis& d = Open();
  Type({5, kR}, "1000");  // committed by OK itself
  session.pending = session::request::kEntry15List;
  EXPECT_EQ(d.CmdOk(), AxisOutcome::kBusy);
  EXPECT_FALSE(d.Closed());
  ExpectImageUntouched();

  session.pending = session::request::kNone;
  EXPECT_EQ(d.CmdOk(), AxisOutcome::kClose);
  EXPECT_TRUE(d.Closed());
  EXPECT_EQ(session.posted, std::vector<int>{session::request::kAxes});
  AxisBreakpoints expected = StandardAxes();
  expected.rpm[4] = 16;
  calib::AxisTables t;
  ASSERT_EQ(calib::VectorsToTables(expected, &t), AxisFailure::kNone);
  EXPECT_EQ(image.rpm_axis, t.rpm);
  EXPECT_EQ(image.time_axis, t.time);
  EXPECT_EQ(image.rpm_vector, Bytes(expected.rpm.begin(), expected.rpm.end()));
  EXPECT_EQ(image.time_vector, Bytes(expected.time.begin(), expected.time.end()));
  EXPECT_TRUE(box.shown.empty());
}

TEST_F(AxisEditorTest, TheLastRpmBreakpointOneStepAbove8000IsPulledBack) {
  AxisBreakpoints v = StandardAxes();
  v.rpm[23] = 126;  // 8064 rpm, as loaded
  PutAxes(v, image);
  FrmChangeAxis& d = Open();
  EXPECT_EQ(Cell(24, kR), "8064");
  EXPECT_EQ(d.CmdOk(), AxisOutcome::kClose);
  EXPECT_EQ(image.rpm_vector[23], 125);
  EXPECT_EQ(image.rpm_axis[125], 23);
  EXPECT_EQ(image.rpm_axis[124], 22);
}

TEST_F(AxisEditorTest, BreakpointsBeyondTheTablesFailWithTheirMessage) {
  AxisBreakpoints v = StandardAxes();
  v.time[22] = 200;  // 25.6 ms, loaded from a damaged file
  image.time_vector.assign(v.time.begin(), v.time.end());
  const calib::CalibrationImage before = image;
  FrmChangeAxis& d = Open();
  EXPECT_EQ(d.CmdOk(), AxisOutcome::kStay);
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_EQ(box.shown[0].text, d.Texts().failures[3]);
  EXPECT_EQ(box.shown[0].caption, "Velmora");
  EXPECT_EQ(box.shown[0].kind, BoxKind::Critical);

  EXPECT_TRUE(session.posted.empty());
  EXPECT_EQ(image.rpm_axis, before.rpm_axis);
  EXPECT_EQ(image.time_axis, before.time_axis);
}

TEST_F(AxisEditorTest, DefaultReloadsTheReferenceAxesAndWritesThem) {
  const char* stage = std::getenv("VELMORA_STAGE");
  ASSERT_NE(stage, nullptr);
  lng_dir = std::string(stage) + "/lng";
  const std::optional<calib::AxisVectors> file =
      calib::ReadAxisVectorsFromFile(lng_dir + "/00 Direct Inj Custom.xsi");
  ASSERT_TRUE(file.has_value());

  FrmChangeAxis& d = Open();
  box.answers = {false};
  EXPECT_EQ(d.CmdDefault(), AxisOutcome::kStay);
  EXPECT_EQ(box.shown.back().text, d.Texts().default_ask);
  EXPECT_EQ(box.shown.back().kind, BoxKind::Question);
  EXPECT_EQ(Cell(2, kR), "320");

  box.answers = {true};
  EXPECT_EQ(d.CmdDefault(), AxisOutcome::kClose);
  EXPECT_EQ(box.shown.size(), 2u);
  EXPECT_EQ(session.posted, std::vector<int>{session::request::kAxes});
  EXPECT_EQ(image.rpm_axis, file->rpm);
  EXPECT_EQ(image.time_axis, file->time);
  AxisBreakpoints v;
  ASSERT_EQ(calib::TablesToVectors(file->rpm, file->time, &v), AxisFailure::kNone);
  EXPECT_EQ(image.rpm_vector, Bytes(v.rpm.begin(), v.rpm.end()));
  EXPECT_EQ(Cell(24, kR), FormatAxisValue(v.rpm[23] * 64.0, true));

  // Without the reference file nothing changes.
  lng_dir = "/nonexistent-velmora-folder";
  session.pending = session::request::kNone;
  session.posted.clear();
  FrmChangeAxis& again = Open();
  box.answers = {true};
  EXPECT_EQ(again.CmdDefault(), AxisOutcome::kStay);
  EXPECT_EQ(box.shown.back().text, again.Texts().reference_missing);
  EXPECT_EQ(box.shown.back().kind, BoxKind::Critical);
  EXPECT_TRUE(session.posted.empty());
}

}  // namespace
}  // namespace velmora::maps
