#include "maps/frm_matrix.h"

#include <gtest/gtest.h>

#include <array>

#include "tests/maps/page_fakes.h"

namespace velmora::maps {
namespace {

using test::PageRig;

// A page of map `map` loaded and shown through its page code, as the
// window does it.
struct Shown {
  explicit Shown(int map) : page(rig.env, map) {
    page.Load();
    page.CambiaTipoGriglia(page.PageCode());
  }
  PageRig rig;
  FrmMatrix page;
};

TEST(FrmMatrix, LoadSetsTheConfigurationBytesAndShowingFillsTheGrid) {
  PageRig rig;
  rig.image.base_map[MapOffset(3, 2)] = 77;
  rig.image.companion[1] = 5;
  FrmMatrix page(rig.env, 0);
  page.Load();
  EXPECT_EQ(rig.image.companion[2], 10);
  EXPECT_EQ(rig.image.companion[3], 17);
  EXPECT_EQ(rig.image.companion[1], 5);
  EXPECT_EQ(page.EditingReady(), editing_ready::kNo);
  EXPECT_TRUE(page.Controls().simplified_checked);
  EXPECT_EQ(page.Grid().Text(4, 3), "77");

  page.CambiaTipoGriglia(12);
  EXPECT_EQ(page.EditingReady(), editing_ready::kYes);
  EXPECT_EQ(page.Grid().Text(0, 2), "32");   // rpm byte 5 x 64 / 10
  EXPECT_EQ(page.Grid().Text(2, 0), "0.9");  // time byte 7 x 0.128

  // A block never read stays as it is: no bytes made up.
  PageRig bare;
  bare.image.companion.clear();
  FrmMatrix other(bare.env, 1);
  other.Load();
  EXPECT_TRUE(bare.image.companion.empty());
}

TEST(FrmMatrix, PageCodesSetTheMapCombos) {
  PageRig rig;
  FrmMatrix page(rig.env, 0);
  page.Load();
  page.CambiaTipoGriglia(47);
  EXPECT_EQ(page.MapIndex(), 1);
  EXPECT_EQ(page.Controls().sel_page_0, 1);
  EXPECT_EQ(page.Controls().sel_page_1, 1);
  page.CambiaTipoGriglia(49);
  EXPECT_EQ(page.MapIndex(), 2);
  EXPECT_EQ(page.Controls().sel_page_0, 2);
  EXPECT_EQ(page.Controls().sel_page_1, -1);
  page.CambiaTipoGriglia(12);
  EXPECT_EQ(page.Controls().sel_page_1, 0);
  // Setting the combos is not a click: no page switch.
  EXPECT_TRUE(rig.window.pages.empty());
}

TEST(FrmMatrix, StepsStoreClampedPostEachMapsWriteAndWaitForIt) {
  Shown s(0);
  auto& rig = s.rig;
  rig.image.base_map[0] = 255;
  s.page.CambiaTipoGriglia(12);
  s.page.Grid().SetCurrent({1, 1});
  EXPECT_EQ(s.page.StepUp(), EditOutcome::kApplied);
  EXPECT_EQ(s.page.Grid().Text(1, 1), "256");
  EXPECT_EQ(rig.image.base_map[0], 255);
  EXPECT_EQ(rig.session.posted, (std::vector<int>{11}));
  EXPECT_FALSE(s.page.StepsEnabled());
  EXPECT_FALSE(s.page.Controls().undo_enabled);
  EXPECT_FALSE(s.page.Grid().Redraw());

  // Busy: every action is ignored and nothing changes.
  s.page.Grid().SetCurrent({2, 1});
  EXPECT_EQ(s.page.StepDown(), EditOutcome::kBusy);
  EXPECT_EQ(s.page.Paste("9"), EditOutcome::kBusy);
  EXPECT_EQ(s.page.Undo(), EditOutcome::kBusy);
  EXPECT_EQ(s.page.Enter(), EditOutcome::kBusy);
  EXPECT_FALSE(s.page.ChangeAxis());
  EXPECT_EQ(s.page.Grid().Text(2, 1), "0");
  EXPECT_TRUE(rig.window.asked_options.empty());
  EXPECT_EQ(rig.window.axis_editor, 0);

  // The write comes back: reloaded from the map, buttons and focus back.
  rig.session.Done();
  s.page.MapWritten(true);
  EXPECT_EQ(s.page.Grid().Text(1, 1), "255");
  EXPECT_TRUE(s.page.StepsEnabled());
  EXPECT_TRUE(s.page.Controls().undo_enabled);
  EXPECT_TRUE(s.page.Grid().Redraw());
  EXPECT_EQ(s.page.TakeFocusReturn(), Button::kUp);
  EXPECT_EQ(s.page.TakeFocusReturn(), Button::kNone);
  EXPECT_TRUE(s.page.ChangeAxis());
  EXPECT_EQ(rig.window.axis_editor, 1);

  // Maps 1 and 2 post their own writes into their own maps.
  Shown adaptive(1);
  EXPECT_EQ(adaptive.page.StepDown(), EditOutcome::kApplied);
  EXPECT_EQ(adaptive.rig.session.posted, (std::vector<int>{63}));
  Shown second(2);
  second.rig.image.second_map[0] = 4;
  second.page.CambiaTipoGriglia(49);
  EXPECT_EQ(second.page.StepDown(), EditOutcome::kApplied);
  EXPECT_EQ(second.rig.session.posted, (std::vector<int>{62}));
  EXPECT_EQ(second.rig.image.second_map[0], 3);
  EXPECT_EQ(second.rig.image.base_map[0], 0);
}

TEST(FrmMatrix, AFailedWriteGivesTheButtonsBackAndKeepsTheEditedGrid) {
  Shown s(0);
  s.page.Grid().SetCurrent({1, 1});
  ASSERT_EQ(s.page.StepUp(), EditOutcome::kApplied);
  s.rig.session.Done();
  s.rig.image.base_map[0] = 0;  // the ECU did not take it; the image says 0
  s.page.MapWritten(false);
  EXPECT_EQ(s.page.Grid().Text(1, 1), "1");
  EXPECT_TRUE(s.page.StepsEnabled());
  EXPECT_TRUE(s.page.Controls().undo_enabled);
  EXPECT_TRUE(s.page.Grid().Redraw());

  // A post the session refuses brings no write back, so the buttons come
  // back at once.
  s.rig.session.refuse = true;
  EXPECT_EQ(s.page.StepUp(), EditOutcome::kIgnored);
  EXPECT_TRUE(s.page.StepsEnabled());
  EXPECT_TRUE(s.page.Grid().Redraw());
  EXPECT_EQ(s.page.Undo(), EditOutcome::kIgnored);  // and the undo is put back
  EXPECT_EQ(s.rig.image.base_map[0], 2);
  EXPECT_EQ(s.page.Grid().Text(1, 1), "2");
}

TEST(FrmMatrix, NoEditBeforeTheMapWasRead) {
  Shown s(1);
  s.rig.image.adaptive_map.clear();
  s.page.CambiaTipoGriglia(47);
  s.rig.window.answers.push_back({pages::value_op::kSet, 7});
  EXPECT_FALSE(s.page.StepsEnabled());
  EXPECT_EQ(s.page.StepUp(), EditOutcome::kNotReady);
  EXPECT_EQ(s.page.Enter(), EditOutcome::kNotReady);
  EXPECT_EQ(s.page.Paste("1\t2"), EditOutcome::kNotReady);
  EXPECT_TRUE(s.rig.session.posted.empty());
  EXPECT_TRUE(s.rig.image.adaptive_map.empty());
}

TEST(FrmMatrix, EnterRunsTheDialogWithTheMapLimitsAndItsLastOption) {
  Shown s(0);
  auto& rig = s.rig;
  rig.image.base_map.assign(552, 10);
  s.page.CambiaTipoGriglia(12);

  // Cancel: a 600 Hz beep, nothing changed, nothing posted.
  const Bytes before = rig.image.base_map;
  EXPECT_EQ(s.page.Enter(), EditOutcome::kCancelled);
  ASSERT_EQ(rig.window.beeps.size(), 1u);
  EXPECT_EQ(rig.window.beeps[0].hertz, 600);
  EXPECT_EQ(rig.window.beeps[0].ms, 100);
  EXPECT_EQ(rig.image.base_map, before);
  EXPECT_EQ(rig.image.undo_available[0], 0);
  EXPECT_TRUE(rig.session.posted.empty());
  EXPECT_EQ(rig.window.asked_limits[0].set.max, 255);
  EXPECT_EQ(rig.window.asked_limits[0].percent.min, -50);
  EXPECT_EQ(rig.window.asked_options[0], 0);

  // -1 % on 10 gives 9 over the whole selection; the option is offered
  // again next time.
  s.page.Grid().Select({2, 1}, {2, 2});
  rig.window.answers.push_back({pages::value_op::kPercent, -1});
  EXPECT_EQ(s.page.Enter(), EditOutcome::kApplied);
  EXPECT_EQ(rig.image.base_map[MapOffset(1, 0)], 9);
  EXPECT_EQ(rig.image.base_map[MapOffset(1, 1)], 9);
  EXPECT_EQ(rig.image.base_map[MapOffset(2, 0)], 10);
  EXPECT_EQ(rig.session.posted, (std::vector<int>{11}));
  rig.session.Done();
  s.page.MapWritten(true);
  EXPECT_EQ(s.page.Enter(), EditOutcome::kCancelled);
  EXPECT_EQ(rig.window.asked_options.back(), pages::value_option::kPercent);

  // Not shown yet (editing not ready): no dialog.
  PageRig fresh;
  FrmMatrix idle(fresh.env, 0);
  idle.Load();
  EXPECT_EQ(idle.Enter(), EditOutcome::kNotReady);
  EXPECT_TRUE(fresh.window.asked_options.empty());
}

TEST(FrmMatrix, UndoSwapsMapAndConfigurationBytesAndTwiceRestores) {
  Shown s(0);
  auto& rig = s.rig;
  EXPECT_EQ(s.page.Undo(), EditOutcome::kIgnored);  // nothing saved yet
  EXPECT_EQ(rig.image.base_map.size(), 552u);
  EXPECT_TRUE(rig.session.posted.empty());

  rig.image.companion = {1, 2, 10, 17, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 8};
  s.page.Grid().SetCurrent({1, 1});
  ASSERT_EQ(s.page.StepUp(), EditOutcome::kApplied);  // saves the undo, 0 -> 1
  rig.session.Done();
  s.page.MapWritten(true);
  const Bytes edited = rig.image.base_map;
  // The ECU side changes bytes 0..3 after the save.
  rig.image.companion[0] = 40;
  rig.image.companion[4] = 41;

  EXPECT_EQ(s.page.Undo(), EditOutcome::kApplied);
  EXPECT_EQ(rig.image.base_map[0], 0);
  EXPECT_EQ(s.page.Grid().Text(1, 1), "0");
  EXPECT_EQ(rig.image.companion[0], 1);
  EXPECT_EQ(rig.image.companion[4], 41);  // only bytes 0..3 travel
  EXPECT_EQ(rig.session.posted.back(), 11);
  rig.session.Done();
  s.page.MapWritten(true);
  EXPECT_EQ(s.page.TakeFocusReturn(), Button::kUndo);

  EXPECT_EQ(s.page.Undo(), EditOutcome::kApplied);
  EXPECT_EQ(rig.image.base_map, edited);
  EXPECT_EQ(rig.image.companion[0], 40);

  // Map 1's undo leaves the configuration block alone.
  Shown adaptive(1);
  adaptive.rig.image.companion.assign(16, 3);
  adaptive.page.Grid().SetCurrent({1, 1});
  ASSERT_EQ(adaptive.page.StepUp(), EditOutcome::kApplied);
  adaptive.rig.session.Done();
  adaptive.rig.image.companion[0] = 9;
  EXPECT_EQ(adaptive.page.Undo(), EditOutcome::kApplied);
  EXPECT_EQ(adaptive.rig.image.companion[0], 9);
  EXPECT_EQ(adaptive.rig.image.adaptive_map[0], 0);
}

TEST(FrmMatrix, PasteWritesTheMapWithoutAnUndoSave) {
  Shown s(0);
  s.page.Grid().SetCurrent({1, 24});
  EXPECT_EQ(s.page.Paste("7\t8\r\nabc\t9\r\n\t\r\n300"), EditOutcome::kApplied);
  EXPECT_EQ(s.rig.image.base_map[MapOffset(0, 23)], 7);
  EXPECT_EQ(s.rig.image.base_map[MapOffset(1, 23)], 0);
  EXPECT_EQ(s.rig.image.base_map[MapOffset(3, 23)], 255);
  EXPECT_EQ(s.rig.image.undo_available[0], 0);
  EXPECT_EQ(s.rig.session.posted, (std::vector<int>{11}));
}

TEST(FrmMatrix, MapCombosSwitchToTheGridOrCarburationViewByTheViewBits) {
  Shown s(0);
  auto& rig = s.rig;
  rig.image.companion[15] = 0;
  s.page.SelPage0Click(0);
  s.page.SelPage0Click(1);
  s.page.SelPage0Click(2);
  s.page.SelPage1Click(2);  // CMB_SelPage_1 has two entries
  s.page.SelPage0Click(3);
  EXPECT_EQ(rig.window.pages, (std::vector<int>{12, 47, 49}));
  rig.window.pages.clear();
  rig.image.companion[15] = 8 | 2 | 1;
  s.page.SelPage0Click(0);
  s.page.SelPage0Click(1);
  s.page.SelPage0Click(2);
  EXPECT_EQ(rig.window.pages, (std::vector<int>{27, 48, 50}));
  rig.image.companion[15] = 2;
  rig.window.pages.clear();
  s.page.SelPage1Click(0);
  s.page.SelPage1Click(1);
  EXPECT_EQ(rig.window.pages, (std::vector<int>{12, 48}));
}

TEST(FrmMatrix, SimplifiedViewFollowsItsBitAndAClickPostsTheViewChange) {
  constexpr std::array<std::uint8_t, 3> kBits = {8, 2, 1};
  constexpr std::array<int, 3> kRequests = {58, 64, 51};
  for (int map = 0; map < 3; ++map) {
    SCOPED_TRACE(map);
    Shown s(map);
    auto& rig = s.rig;
    const std::uint8_t bit = kBits[static_cast<std::size_t>(map)];
    rig.image.companion[15] = 0x40;
    s.page.Tick();
    EXPECT_FALSE(s.page.Controls().simplified_checked);
    rig.image.companion[15] = static_cast<std::uint8_t>(0x40 | bit);
    s.page.Tick();
    EXPECT_TRUE(s.page.Controls().simplified_checked);

    s.page.SimplifiedClick(false);
    EXPECT_EQ(rig.image.companion[15], 0x40);
    EXPECT_EQ(rig.session.posted, std::vector<int>{kRequests[static_cast<std::size_t>(map)]});

    // Clicked while busy: kept, sent on a later tick once the slot is free,
    // and not overwritten from the block meanwhile.
    s.page.SimplifiedClick(true);
    s.page.Tick();
    EXPECT_TRUE(s.page.Controls().simplified_checked);
    EXPECT_EQ(rig.image.companion[15], 0x40);
    rig.session.Done();
    s.page.Tick();
    EXPECT_EQ(rig.image.companion[15], 0x40 | bit);
    EXPECT_EQ(rig.session.posted.size(), 2u);
    EXPECT_FALSE(s.page.Controls().simplified_tag);
  }

  // A block never read is not written.
  Shown s(0);
  s.rig.image.companion.clear();
  s.page.SimplifiedClick(false);
  EXPECT_TRUE(s.rig.session.posted.empty());
  EXPECT_FALSE(s.page.Controls().simplified_tag);
}

TEST(FrmMatrix, ParameterCombosFollowTheEcuAndSendTheUsersChoice) {
  const test::TestDictionary dictionary(
      "[MOLTIPLICATORE]\r\n1|2|x|4\r\nx 1|x 2|x 3\r\n"
      "[SECONDAINJ]\r\n0|5|10\r\n"
      "[Frm_Matrix]\r\nInjection map\r\nBase\r\nAdaptive\r\nPressure\r\nSimple\r\n");
  Shown s(0);
  auto& rig = s.rig;
  s.page.CaricaLingua(dictionary.lingue);
  EXPECT_EQ(s.page.Texts().simplified, "Simple");
  EXPECT_EQ(s.page.Texts().undo, "Undo");  // missing texts keep English
  const auto& mult = s.page.Controls().params[param::kMultiplier];
  EXPECT_EQ(mult.values, (std::vector<std::int32_t>{1, 2, 4}));
  // The caption lines up with its value; a value without a caption shows
  // the value.
  EXPECT_EQ(mult.items, (std::vector<std::string>{"x 1", "x 2", "4"}));
  EXPECT_EQ(s.page.Controls().params[param::kFourthInjection].items,
            (std::vector<std::string>{"0", "5", "10"}));

  rig.table.SetValue(15, 88, 4);
  rig.table.SetValue(16, 14, 5);
  rig.table.SetValue(16, 28, 7);  // not in the list
  s.page.Tick();
  EXPECT_EQ(s.page.Controls().params[0].index, 2);
  EXPECT_EQ(s.page.Controls().params[1].index, 1);
  EXPECT_EQ(s.page.Controls().params[2].index, -1);
  EXPECT_EQ(s.page.Controls().params[3].index, 0);
  EXPECT_TRUE(rig.session.posted.empty());

  s.page.ParamClick(param::kMultiplier, 1);
  ASSERT_EQ(rig.session.lists.Of(15).size(), 1u);
  EXPECT_EQ(rig.session.lists.Of(15)[0].value, 2);
  EXPECT_EQ(rig.session.lists.Of(15)[0].field, 88);
  EXPECT_EQ(rig.session.lists.Of(15)[0].mode, 0);
  EXPECT_EQ(rig.session.posted, (std::vector<int>{54}));

  // Busy: stays marked, the ECU's value does not overwrite the choice.
  s.page.ParamClick(param::kFourthInjection, 2);
  EXPECT_TRUE(rig.session.lists.Of(16).empty());
  rig.table.SetValue(16, 29, 5);
  s.page.Tick();
  EXPECT_EQ(s.page.Controls().params[3].index, 2);
  rig.session.Done();
  s.page.Tick();
  ASSERT_EQ(rig.session.lists.Of(16).size(), 1u);
  EXPECT_EQ(rig.session.lists.Of(16)[0].value, 10);
  EXPECT_EQ(rig.session.lists.Of(16)[0].field, 29);
  EXPECT_EQ(rig.session.posted, (std::vector<int>{54, 59}));
  EXPECT_FALSE(s.page.Controls().params[3].tag);

  // Out-of-range clicks do nothing.
  rig.session.Done();
  s.page.ParamClick(7, 0);
  s.page.ParamClick(param::kSecondInjection, 9);
  EXPECT_EQ(rig.session.posted.size(), 2u);
}

TEST(FrmMatrix, WorkingPointFromTheLiveRecordIsClampedToTheMap) {
  Shown s(0);
  auto& rig = s.rig;
  rig.image.base_map[MapOffset(4, 6)] = 123;
  rig.table.SetValue(1, 52, 4);
  rig.table.SetValue(1, 51, 6);
  s.page.Tick();
  EXPECT_TRUE(s.page.Controls().working_point_shown);
  EXPECT_EQ(s.page.Controls().working_point, (CellPos{5, 7}));
  EXPECT_EQ(s.page.Controls().marker_text, "123");
  rig.table.SetValue(1, 52, 40);
  rig.table.SetValue(1, 51, 99);
  s.page.Tick();
  EXPECT_EQ(s.page.Controls().working_point, (CellPos{23, 24}));
  s.page.VisualizzaPuntoMatrice(-5, -1);
  EXPECT_EQ(s.page.Controls().working_point, (CellPos{1, 1}));
  // A map not read yet has no byte to show.
  rig.image.base_map.clear();
  s.page.VisualizzaPuntoMatrice(0, 0);
  EXPECT_EQ(s.page.Controls().marker_text, "");
}

TEST(FrmMatrix, PressureMapHeadingsComeFromEntry18AndTheSystemsLine) {
  PageRig rig;
  calib::CoefficientList list;
  calib::CoefficientRecord rec;
  rec.id = 6;
  rec.div_fact = 10;
  rec.m_retta[0] = 20;  // m = 2
  rec.q_retta[0] = 10;  // q = 1
  list.records.push_back(rec);
  rig.env.coefficients = &list;
  for (std::size_t k = 0; k < 23; ++k) {
    rig.table.SetValue(18, k, static_cast<std::int32_t>(51 * (k % 3)));
  }
  FrmMatrix page(rig.env, 2);
  page.Load();
  page.CambiaTipoGriglia(49);
  EXPECT_EQ(page.Grid().Text(2, 0), "51");  // raw: no record with id 0
  rig.table.SetValue(15, 47, 6);
  page.CaricaAssi();
  EXPECT_EQ(page.Grid().Text(1, 0), "1");  // 0 x 2 + 1
  EXPECT_EQ(page.Grid().Text(2, 0), "3");  // 1 x 2 + 1
  EXPECT_EQ(page.Grid().Text(0, 2), "32");
}

}  // namespace
}  // namespace velmora::maps
