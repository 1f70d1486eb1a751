#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "maps/carburation_grid.h"
#include "maps/frm_carburazione.h"
#include "tests/core/temp_dir.h"
#include "tests/maps/page_fakes.h"

namespace velmora::maps {
namespace {

Bytes Filled(std::uint8_t v) {
  return Bytes(static_cast<std::size_t>(map_shape::kCells), v);
}

// A small grid loaded from `map`.
GridModel GridOf(const Bytes& map) {
  GridModel g = carb::NewSmallGrid();
  carb::CaricaMatriceInGriglia(g, map, 1);
  return g;
}

TEST(CarburationGrid, LoadShowsTheEvenCellsOfTheMap) {
  Bytes map(static_cast<std::size_t>(map_shape::kCells));
  for (std::size_t i = 0; i < map.size(); ++i) {
    map[i] = static_cast<std::uint8_t>(i % 251);
  }
  GridModel g = GridOf(map);
  // Cell (r, c) stands for time index 2(r-1), rpm index 2(c-1).
  EXPECT_EQ(g.Text(1, 1), std::to_string(map[MapOffset(0, 0)]));
  EXPECT_EQ(g.Text(3, 2), std::to_string(map[MapOffset(4, 2)]));
  EXPECT_EQ(g.Text(12, 12), std::to_string(map[MapOffset(22, 22)]));

  // A factor divides; a map too short empties the cells it does not reach
  // rather than reading past it.
  GridModel h = carb::NewSmallGrid();
  carb::CaricaMatriceInGriglia(h, Bytes(static_cast<std::size_t>(map_shape::kCells), 100), 4);
  EXPECT_EQ(h.Text(5, 5), "25");
  carb::CaricaMatriceInGriglia(h, Bytes(30, 7), 1);
  EXPECT_EQ(h.Text(1, 1), "7");
  EXPECT_EQ(h.Text(1, 2), "");  // offset 2 * 23 lies beyond 30 bytes
}

TEST(CarburationGrid, ExpansionTakesMidpointsOrTheLowerNeighbour) {
  Bytes map = Filled(100);
  GridModel g = GridOf(map);
  // Principal rows 0 and 2 of rpm column 0: 100 and 120.
  g.SetText(2, 1, "120");
  ASSERT_TRUE(carb::CaricaGrigliaInMatrice(g, map, 1, false));
  EXPECT_EQ(map[MapOffset(2, 0)], 120);
  EXPECT_EQ(map[MapOffset(1, 0)], 110);
  EXPECT_EQ(map[MapOffset(3, 0)], 110);
  // rpm direction from the time-direction results: column 1 between 0 and 2.
  EXPECT_EQ(map[MapOffset(1, 1)], 105);

  Bytes stepped = Filled(100);
  ASSERT_TRUE(carb::CaricaGrigliaInMatrice(g, stepped, 1, true));
  EXPECT_EQ(stepped[MapOffset(1, 0)], 100);
  EXPECT_EQ(stepped[MapOffset(3, 0)], 120);
  EXPECT_EQ(stepped[MapOffset(2, 1)], 120);

  // 100 / 101: half a unit rounds to even, 0.
  g = GridOf(Filled(100));
  g.SetText(1, 2, "101");
  ASSERT_TRUE(carb::CaricaGrigliaInMatrice(g, map, 1, false));
  EXPECT_EQ(map[MapOffset(0, 1)], 100);
  EXPECT_EQ(map[MapOffset(0, 2)], 101);
  EXPECT_EQ(map[MapOffset(0, 3)], 101);  // 101 + round(-0.5) = 101 + 0
}

TEST(CarburationGrid, EmptyCellIs128AndEveryOtherCellIsSet) {
  // Cells start out with a value the expansion must overwrite.
  Bytes map = Filled(77);
  GridModel g = GridOf(Filled(100));
  g.SetText(6, 6, "");
  ASSERT_TRUE(carb::CaricaGrigliaInMatrice(g, map, 1, false));
  EXPECT_EQ(map[MapOffset(10, 10)], 128);
  EXPECT_EQ(map[MapOffset(9, 10)], 114);
  EXPECT_EQ(map[MapOffset(11, 10)], 114);
  EXPECT_EQ(map[MapOffset(10, 11)], 114);
  EXPECT_EQ(map[MapOffset(11, 11)], 107);  // between the two 114s of row 11

  // Row 21 (between principal rows 20 and 22) and column 23 are set;
  // nothing of the old 77s survives.
  g = GridOf(Filled(100));
  g.SetText(11, 4, "40");    // time 20, rpm 6
  g.SetText(12, 4, "60");    // time 22, rpm 6
  g.SetText(12, 12, "250");  // time 22, rpm 22
  map = Filled(77);
  ASSERT_TRUE(carb::CaricaGrigliaInMatrice(g, map, 1, false));
  EXPECT_EQ(map[MapOffset(21, 6)], 50);
  for (int r = 0; r < map_shape::kTimeRows; ++r) {
    EXPECT_EQ(map[MapOffset(r, 23)], map[MapOffset(r, 22)]) << "row " << r;
  }
  EXPECT_EQ(map[MapOffset(22, 23)], 250);
  for (std::uint8_t b : map) {
    EXPECT_NE(b, 77);
  }
}

TEST(CarburationGrid, ExpansionClampsAndRefusesWhatIsNotANumber) {
  Bytes map = Filled(100);
  GridModel g = GridOf(map);
  g.SetText(1, 1, "256");  // a +1 step on 255
  g.SetText(1, 2, "-4");
  g.SetText(1, 3, "12,9");  // decimal comma; integer part
  ASSERT_TRUE(carb::CaricaGrigliaInMatrice(g, map, 1, false));
  EXPECT_EQ(map[MapOffset(0, 0)], 255);
  EXPECT_EQ(map[MapOffset(0, 2)], 0);
  EXPECT_EQ(map[MapOffset(0, 1)], 126);  // midpoint of 256 and -4 before the clamp
  EXPECT_EQ(map[MapOffset(0, 4)], 12);

  const Bytes before = Filled(9);
  map = before;
  g.SetText(4, 4, "abc");
  EXPECT_FALSE(carb::CaricaGrigliaInMatrice(g, map, 1, false));
  EXPECT_EQ(map, before);

  Bytes shortmap(100, 9);
  g = GridOf(Filled(1));
  EXPECT_FALSE(carb::CaricaGrigliaInMatrice(g, shortmap, 1, false));
  EXPECT_EQ(shortmap, Bytes(100, 9));

  // A factor round trip keeps the bytes.
  Bytes odd(static_cast<std::size_t>(map_shape::kCells));
  for (std::size_t i = 0; i < odd.size(); ++i) {
    odd[i] = static_cast<std::uint8_t>(i * 7 % 256);
  }
  GridModel h = carb::NewSmallGrid();
  carb::CaricaMatriceInGriglia(h, odd, 3);
  Bytes back = odd;
  ASSERT_TRUE(carb::CaricaGrigliaInMatrice(h, back, 3, false));
  EXPECT_EQ(back[MapOffset(4, 6)], odd[MapOffset(4, 6)]);
  EXPECT_EQ(back[MapOffset(22, 22)], odd[MapOffset(22, 22)]);
}

TEST(CarburationGrid, SpianaCopiesTheLowerNeighbours) {
  carb::MapMatrix m{};
  for (std::size_t r = 0; r < m.size(); ++r) {
    for (std::size_t c = 0; c < m[r].size(); ++c) {
      m[r][c] = static_cast<std::uint8_t>(r * 24 + c);
    }
  }
  const carb::MapMatrix before = m;
  carb::SpianaInterpolazionedellaMappa(m);
  EXPECT_EQ(m[0][1], before[0][0]);
  EXPECT_EQ(m[0][23], before[0][22]);
  EXPECT_EQ(m[1][5], before[0][4]);
  EXPECT_EQ(m[21][3], before[20][2]);
  EXPECT_EQ(m[22][7], before[22][6]);  // row 22 keeps its own even cells
  EXPECT_EQ(m[22][6], before[22][6]);

  // Matrix and map image are one layout.
  Bytes map(static_cast<std::size_t>(map_shape::kCells));
  map[MapOffset(5, 7)] = 42;
  EXPECT_EQ(carb::MatrixOf(map)[5][7], 42);
  EXPECT_EQ(carb::MapOf(carb::MatrixOf(map)), map);
}

TEST(CarburationGrid, ShadingFlatOrGradient) {
  GridModel g = GridOf(Filled(100));
  g.SetText(1, 1, "20");
  g.SetText(2, 2, "220");
  carb::ColoraMatriceGradiente2(g, false);
  for (int r = 0; r < g.Rows(); ++r) {
    for (int c = 0; c < g.Cols(); ++c) {
      EXPECT_EQ(g.Back(r, c), g.IsFixed(r, c) ? colour::kGrey : carb::kFlatColour);
      EXPECT_EQ(g.Fore(r, c), colour::kBlack);
    }
  }
  EXPECT_TRUE(g.Redraw());

  carb::ColoraMatriceGradiente2(g, true);
  EXPECT_EQ(g.Back(1, 1), (Rgb{255, 255, 255}));
  EXPECT_EQ(g.Back(2, 2), (Rgb{20, 20, 255}));
  EXPECT_EQ(g.Back(0, 3), colour::kGrey);
  // 100: t = 80 / 200 * 235 = 94.
  EXPECT_EQ(g.Back(3, 3), (Rgb{161, 161, 255}));

  // All equal: max = min + 1, every cell white.
  GridModel flat = GridOf(Filled(60));
  carb::ColoraMatriceGradiente2(flat, true);
  EXPECT_EQ(flat.Back(7, 7), colour::kWhite);
}

TEST(CarburationGrid, HeadingsOnTheirRasters) {
  GridModel g = carb::NewSmallGrid();
  Bytes rpm(24);
  Bytes time(23);
  for (std::size_t i = 0; i < rpm.size(); ++i) {
    rpm[i] = static_cast<std::uint8_t>(i * 5);  // 320 rpm steps
  }
  for (std::size_t i = 0; i < time.size(); ++i) {
    time[i] = static_cast<std::uint8_t>(i * 7);  // 0.896 ms steps
  }
  carb::CaricaAssiInMatrice(g, rpm, time);
  // Column 1 = breakpoint 1: 320 rpm -> 250; column 12 = breakpoint 23:
  // 7360 -> 7250; column 2 = breakpoint 2: 640 -> 750 (2.56 -> 3).
  EXPECT_EQ(g.Text(0, 1), "250");
  EXPECT_EQ(g.Text(0, 2), "750");
  EXPECT_EQ(g.Text(0, 12), "7250");
  // Row 1 = breakpoint 1: 0.896 ms -> 0.875; row 12 = breakpoint 22:
  // 19.712 ms -> 19.75; row 2: 1.792 -> 1.75.
  EXPECT_EQ(g.Text(1, 0), "0.875");
  EXPECT_EQ(g.Text(2, 0), "1.75");
  EXPECT_EQ(g.Text(12, 0), "19.75");

  // Vectors not known yet: empty headings, nothing read past them.
  carb::CaricaAssiInMatrice(g, {}, Bytes(3, 40));
  EXPECT_EQ(g.Text(0, 1), "");
  EXPECT_EQ(g.Text(2, 0), "5.125");  // 40 * 128 = 5.12 ms
  EXPECT_EQ(g.Text(4, 0), "");

  Bytes pressure(23);
  for (std::size_t i = 0; i < pressure.size(); ++i) {
    pressure[i] = static_cast<std::uint8_t>(10 * i);
  }
  carb::CaricaAssiInMatricePressione(g, rpm, pressure, {});
  EXPECT_EQ(g.Text(1, 0), "10");
  EXPECT_EQ(g.Text(12, 0), "220");
  // 220 / 51 * 100 + 5 = 436.37
  carb::CaricaAssiInMatricePressione(g, rpm, pressure, {100, 5});
  EXPECT_EQ(g.Text(12, 0), "436");
  EXPECT_EQ(g.Text(2, 0), "44");  // 20 / 51 * 100 + 5 = 44.2
}

// A carburation page on a rig whose maps all hold `fill`, shown through the
// page switch as the session would.
struct CarbRig {
  explicit CarbRig(int map, std::uint8_t fill = 100) : page(rig.env, map) {
    for (int m = 0; m < 3; ++m) {
      rig.image.Map(m).assign(static_cast<std::size_t>(map_shape::kCells), fill);
    }
    page.Load();
    page.CambiaTipoGriglia(page.PageCode());
  }
  Bytes& MapBytes() { return rig.image.Map(page.MapIndex()); }
  test::PageRig rig;
  FrmCarburazione page;
};

TEST(FrmCarburazione, EditsOfThePrincipalCellsReachTheWholeMap) {
  CarbRig r(1);
  // A step on principal cells time 0..2, rpm 0..2.
  r.page.Grid().Select({1, 1}, {2, 2});
  EXPECT_EQ(r.page.StepUp(), EditOutcome::kApplied);
  EXPECT_EQ(r.rig.session.posted, std::vector<int>{session::request::kWriteBank2});
  const Bytes& m = r.MapBytes();
  EXPECT_EQ(m[MapOffset(0, 0)], 101);
  EXPECT_EQ(m[MapOffset(2, 2)], 101);
  EXPECT_EQ(m[MapOffset(1, 1)], 101);
  EXPECT_EQ(m[MapOffset(3, 0)], 101);  // 101 + round(-0.5)
  EXPECT_EQ(m[MapOffset(4, 0)], 100);
  EXPECT_EQ(m[MapOffset(0, 23)], 100);
  EXPECT_EQ(r.rig.image.undo_maps[1], Filled(100));
  r.rig.session.Done();
  r.page.MapWritten(true);

  // Enter with "set" on a block of principal cells: the cells between them
  // and their neighbours follow.
  r.page.Grid().Select({3, 4}, {4, 5});
  r.rig.window.answers.push_back({pages::value_op::kSet, 50});
  ASSERT_EQ(r.page.Enter(), EditOutcome::kApplied);
  EXPECT_EQ(m[MapOffset(4, 6)], 50);
  EXPECT_EQ(m[MapOffset(5, 7)], 50);  // between set cells
  EXPECT_EQ(m[MapOffset(3, 6)], 75);  // between 100 and 50
  EXPECT_EQ(m[MapOffset(7, 6)], 75);
  EXPECT_EQ(r.page.Grid().Text(3, 4), "50");
}

TEST(FrmCarburazione, EachEditStartsFromTheMap) {
  CarbRig r(0);
  // Text left in a cell that never reached the map is not carried along.
  r.page.Grid().SetText(8, 8, "7");
  r.page.Grid().SetCurrent({1, 1});
  ASSERT_EQ(r.page.StepDown(), EditOutcome::kApplied);
  EXPECT_EQ(r.MapBytes()[MapOffset(14, 14)], 100);
  EXPECT_EQ(r.MapBytes()[MapOffset(0, 0)], 99);

  // Undo swaps the whole map back.
  r.rig.session.Done();
  r.page.MapWritten(true);
  ASSERT_EQ(r.page.Undo(), EditOutcome::kApplied);
  EXPECT_EQ(r.MapBytes(), Filled(100));
  EXPECT_EQ(r.page.Grid().Text(1, 1), "100");
}

TEST(FrmCarburazione, SteppedFlagDecidesTheExpansionAndClicksGoThroughEntry15) {
  CarbRig r(2);
  r.rig.table.SetValue(stepped_flag::kEntry, stepped_flag::kField, 64 | 1);
  r.page.Tick();
  EXPECT_TRUE(r.page.Carb().stepped_checked);
  r.page.Grid().SetCurrent({2, 1});
  r.rig.window.answers.push_back({pages::value_op::kSet, 120});
  ASSERT_EQ(r.page.Enter(), EditOutcome::kApplied);
  EXPECT_EQ(r.MapBytes()[MapOffset(1, 0)], 100);  // stepped: the lower neighbour
  EXPECT_EQ(r.MapBytes()[MapOffset(3, 0)], 120);
  EXPECT_EQ(r.rig.session.posted.back(), session::request::kWriteBank3);

  // A click while the map write is pending waits for the slot.
  r.page.SteppedClick(false);
  EXPECT_TRUE(r.rig.session.lists.Of(stepped_flag::kEntry).empty());
  r.page.Tick();
  EXPECT_FALSE(r.page.Carb().stepped_checked);  // the user's choice stays shown
  r.rig.session.Done();
  r.page.Tick();
  ASSERT_EQ(r.rig.session.lists.Of(stepped_flag::kEntry).size(), 1U);
  const session::WriteRecord rec = r.rig.session.lists.Of(stepped_flag::kEntry)[0];
  EXPECT_EQ(rec.value, 0);
  EXPECT_EQ(rec.field, 5);
  EXPECT_EQ(rec.mode, 64);
  EXPECT_EQ(r.rig.session.posted.back(), session::request::kEntry15List);

  // Untouched again, the box follows the ECU.
  r.rig.session.Done();
  r.rig.table.SetValue(stepped_flag::kEntry, stepped_flag::kField, 64);
  r.page.Tick();
  EXPECT_TRUE(r.page.Carb().stepped_checked);
  EXPECT_EQ(r.rig.session.lists.Of(stepped_flag::kEntry).size(), 1U);
}

TEST(FrmCarburazione, ResetMapAsksAndLoadsAnExistingCalibration) {
  velmora::test::TempDir dir;
  { std::ofstream(dir.File("Petrol 4cyl.xsi")) << "[INFO]\r\n"; }
  CarbRig r(0);
  r.rig.env.lng_dir = dir.Path();
  r.page.SetChosenCalibration("Petrol 4cyl");

  r.rig.box.answers = {false, true};
  EXPECT_EQ(r.page.ResetMap(), ResetOutcome::kDeclined);
  EXPECT_TRUE(r.rig.session.posted.empty());
  ASSERT_EQ(r.rig.box.shown.size(), 1U);
  EXPECT_EQ(r.rig.box.shown[0].kind, platform::BoxKind::Question);
  EXPECT_EQ(r.rig.box.shown[0].text, carb_text::kResetFallback);

  EXPECT_EQ(r.page.ResetMap(), ResetOutcome::kPosted);
  EXPECT_EQ(r.rig.session.posted, std::vector<int>{session::request::kLoadMaps});
  EXPECT_EQ(r.rig.session.files, std::vector<std::string>{dir.File("Petrol 4cyl.xsi")});

  // A file that is not there: silently nothing.
  r.rig.session.Done();
  r.page.SetChosenCalibration("Missing");
  EXPECT_EQ(r.page.ResetMap(), ResetOutcome::kNoFile);
  EXPECT_EQ(r.rig.session.posted.size(), 1U);
  EXPECT_EQ(r.rig.box.shown.size(), 3U);  // the two questions and this one

  // Nothing chosen and no reference calibration for the system: nothing.
  r.page.SetChosenCalibration("");
  EXPECT_EQ(r.page.ResetMap(), ResetOutcome::kNoFile);
  EXPECT_EQ(r.rig.session.posted.size(), 1U);

  // While a request is pending nothing is asked.
  r.rig.session.pending = session::request::kWriteBank1;
  EXPECT_EQ(r.page.ResetMap(), ResetOutcome::kBusy);
  EXPECT_EQ(r.rig.box.shown.size(), 4U);
}

TEST(FrmCarburazione, WorkingPointShadingAndHeadings) {
  CarbRig r(0);
  r.rig.table.SetValue(1, 52, 5);   // injection-time index
  r.rig.table.SetValue(1, 51, 23);  // rpm index
  r.page.Tick();
  EXPECT_EQ(r.page.WorkingPointCell(), (CellPos{3, 12}));
  r.rig.table.SetValue(1, 52, 99);  // clamped to 22
  r.rig.table.SetValue(1, 51, 0);
  r.page.Tick();
  EXPECT_EQ(r.page.WorkingPointCell(), (CellPos{12, 1}));

  r.page.GradientClick(false);
  EXPECT_EQ(r.page.Grid().Back(5, 5), carb::kFlatColour);
  r.page.GradientClick(true);
  EXPECT_EQ(r.page.Grid().Back(5, 5), colour::kWhite);

  // Headings on the carburation rasters, pressure rows for map 2.
  EXPECT_EQ(r.page.Grid().Text(0, 12), "7250");
  EXPECT_EQ(r.page.Grid().Text(12, 0), "19.75");
  CarbRig p(2);
  for (std::size_t i = 0; i < 23; ++i) {
    p.rig.table.SetValue(18, i, static_cast<std::int32_t>(i * 10));
  }
  p.page.CaricaAssi();
  EXPECT_EQ(p.page.Grid().Text(12, 0), "220");
}

TEST(FrmCarburazione, LoadFollowsTheSteppedFlagAndTextsComeFromTheDictionary) {
  CarbRig r(0);
  r.rig.table.SetValue(stepped_flag::kEntry, stepped_flag::kField, 64);
  r.page.Load();
  EXPECT_TRUE(r.page.Carb().stepped_checked);

  std::string diz = "[Frm_Other]\r\nx\r\n[Frm_Matrix]\r\n";
  for (int k = 1; k <= 64; ++k) {
    diz += "t" + std::to_string(k) + "\r\n";
  }
  const test::TestDictionary dictionary(diz);
  r.page.CaricaLingua(dictionary.lingue);
  EXPECT_EQ(r.page.Texts().simplified, "t5");
  EXPECT_EQ(r.page.CarbCaptions().stepped, "t22");
  EXPECT_EQ(r.page.CarbCaptions().title, "t55");
  // The reset question is the dictionary's.
  r.rig.box.default_answer = false;
  EXPECT_EQ(r.page.ResetMap(), ResetOutcome::kDeclined);
  ASSERT_FALSE(r.rig.box.shown.empty());
  EXPECT_EQ(r.rig.box.shown.back().text, "t63");
}

}  // namespace
}  // namespace velmora::maps
