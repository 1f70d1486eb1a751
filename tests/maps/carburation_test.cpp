#include <gtest/gtest.h>

#include <string>

#include "maps/carburation_grid.h"

namespace velmora::maps {
namespace {

using carb::MapOffset;

Bytes Filled(std::uint8_t v) {
  return Bytes(carb::kMapSize, v);
}

// A small grid loaded from a map whose every cell holds `v`.
GridModel GridOf(const Bytes& map) {
  GridModel g = carb::NewSmallGrid();
  carb::CaricaMatriceInGriglia(g, map, 1);
  return g;
}

TEST(CarburationGrid, LoadShowsTheEvenCellsOfTheMap) {
  Bytes map(carb::kMapSize);
  for (std::size_t i = 0; i < map.size(); ++i) {
    map[i] = static_cast<std::uint8_t>(i % 251);
  }
  GridModel g = GridOf(map);
  EXPECT_EQ(g.Rows(), 13);
  EXPECT_EQ(g.Cols(), 13);
  // Cell (r, c) stands for time index 2(r-1), rpm index 2(c-1).
  EXPECT_EQ(g.Text(1, 1), std::to_string(map[MapOffset(0, 0)]));
  EXPECT_EQ(g.Text(3, 2), std::to_string(map[MapOffset(4, 2)]));
  EXPECT_EQ(g.Text(12, 12), std::to_string(map[MapOffset(22, 22)]));

  // A factor divides; a map too short empties the cells it does not reach
  // rather than reading past it.
  GridModel h = carb::NewSmallGrid();
  carb::CaricaMatriceInGriglia(h, Bytes(carb::kMapSize, 100), 4);
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
  Bytes map = Filled(0);
  // Odd cells start out with a value the expansion must overwrite.
  for (std::size_t i = 0; i < map.size(); ++i) {
    map[i] = 77;
  }
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
  for (int r = 0; r < carb::kTimeRows; ++r) {
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
  Bytes odd(carb::kMapSize);
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
  Bytes map(carb::kMapSize);
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
  EXPECT_EQ(g.Text(0, 12), "7250");
  // 220 / 51 * 100 + 5 = 436.37
  carb::CaricaAssiInMatricePressione(g, rpm, pressure, {100, 5});
  EXPECT_EQ(g.Text(12, 0), "436");
  EXPECT_EQ(g.Text(2, 0), "44");  // 20 / 51 * 100 + 5 = 44.2
}

TEST(CarburationGrid, PressureLineOfTheSystemsRecord) {
  calib::CoefficientList list;
  calib::CoefficientRecord a;
  a.id = 3;
  a.div_fact = 10;
  a.m_retta[0] = 250;
  a.q_retta[0] = -30;
  calib::CoefficientRecord zero;
  zero.id = 4;
  list.records = {zero, a};
  const carb::PressureLine l = carb::PressureLineOf(&list, 3);
  EXPECT_DOUBLE_EQ(l.m, 25.0);
  EXPECT_DOUBLE_EQ(l.q, -3.0);
  EXPECT_EQ(carb::PressureLineOf(&list, 4).m, 0);  // divisor 0
  EXPECT_EQ(carb::PressureLineOf(&list, 9).q, 0);
  EXPECT_EQ(carb::PressureLineOf(nullptr, 3).m, 0);
}

}  // namespace
}  // namespace velmora::maps
