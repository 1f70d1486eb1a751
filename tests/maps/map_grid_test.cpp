#include <gtest/gtest.h>

#include "maps/map_grid_ops.h"

namespace velmora::maps {
namespace {

GridModel MapGrid() {
  return GridModel(map_shape::kGridRows, map_shape::kGridCols);
}

Bytes Ramp() {
  Bytes map(map_shape::kCells);
  for (std::size_t i = 0; i < map.size(); ++i) {
    map[i] = static_cast<std::uint8_t>(i % 256);
  }
  return map;
}

TEST(MapGrid, MapBytesGoColumnByColumnAndComeBackClamped) {
  GridModel grid = MapGrid();
  const Bytes map = Ramp();
  CaricaMatriceInGriglia(grid, map, 1);
  // rpm index 2, injection-time index 5: offset 2*23+5 = 51.
  EXPECT_EQ(grid.Text(6, 3), "51");
  EXPECT_EQ(grid.Text(1, 1), "0");
  EXPECT_EQ(grid.Text(23, 24), std::to_string(551 % 256));
  EXPECT_EQ(grid.Text(0, 1), "");  // headings untouched

  Bytes back;                   // wrong size: made 552 first
  grid.SetText(1, 1, "");       // empty -> 0
  grid.SetText(2, 1, "300");    // clamped
  grid.SetText(3, 1, "-4");     // clamped
  grid.SetText(4, 1, "7.9");    // floor
  grid.SetText(5, 1, "abc");    // non-numeric -> 0
  grid.SetText(6, 1, "12abc");  // leading number
  CaricaGrigliaInMatrice(grid, back, 1);
  ASSERT_EQ(back.size(), 552u);
  EXPECT_EQ(back[0], 0);
  EXPECT_EQ(back[1], 255);
  EXPECT_EQ(back[2], 0);
  EXPECT_EQ(back[3], 7);
  EXPECT_EQ(back[4], 0);
  EXPECT_EQ(back[5], 12);
  for (std::size_t i = 6; i < back.size(); ++i) {
    ASSERT_EQ(back[i], map[i]) << i;
  }

  // Other factors: the whole part above 1, two decimals below; a zero
  // factor on the way back counts as 1.
  CaricaMatriceInGriglia(grid, Bytes{3, 10}, 0.5F);
  EXPECT_EQ(grid.Text(1, 1), "1.50");
  EXPECT_EQ(grid.Text(2, 1), "5.00");
  EXPECT_EQ(grid.Text(3, 1), "");  // the map had no such byte
  CaricaMatriceInGriglia(grid, Bytes{3}, 2.5F);
  EXPECT_EQ(grid.Text(1, 1), "7");
  grid.SetText(1, 1, "9");
  CaricaGrigliaInMatrice(grid, back, 0);
  EXPECT_EQ(back[0], 9);
}

TEST(MapGrid, OperationsOnTheSelection) {
  GridModel grid = MapGrid();
  Bytes map(map_shape::kCells, 10);
  map[MapOffset(0, 0)] = 255;
  CaricaMatriceInGriglia(grid, map, 1);

  // +1 at 255: the grid shows 256, the map keeps 255.
  grid.SetCurrent({1, 1});
  ModificaValoriGrigliaLibera(grid, edit_mode::kAdd, 1, 1);
  EXPECT_EQ(grid.Text(1, 1), "256");
  EXPECT_EQ(grid.Text(1, 2), "10");  // outside the selection
  CaricaGrigliaInMatrice(grid, map, 1);
  EXPECT_EQ(map[0], 255);

  // Percentages too small to move a cell move it by one unit.
  grid.Select({2, 2}, {3, 3});
  ModificaValoriGrigliaLibera(grid, edit_mode::kPercent, 1, 1);
  EXPECT_EQ(grid.Text(2, 2), "11");
  EXPECT_EQ(grid.Text(3, 3), "11");
  EXPECT_EQ(grid.Text(4, 4), "10");
  grid.SetCurrent({4, 4});
  ModificaValoriGrigliaLibera(grid, edit_mode::kPercent, -1, 1);
  EXPECT_EQ(grid.Text(4, 4), "9");
  // Larger ones round half to even: 10 x 1.25 = 12.5 -> 12.
  grid.SetText(4, 4, "10");
  ModificaValoriGrigliaLibera(grid, edit_mode::kPercent, 25, 1);
  EXPECT_EQ(grid.Text(4, 4), "12");
  grid.SetText(4, 4, "100");
  ModificaValoriGrigliaLibera(grid, edit_mode::kPercent, -50, 1);
  EXPECT_EQ(grid.Text(4, 4), "50");

  // Set and add over a selection dragged backwards; non-numeric cells
  // count as 0; fractions stay in the text until the grid is stored.
  grid.Select({6, 6}, {5, 5});
  ModificaValoriGrigliaLibera(grid, edit_mode::kSet, 100, 1);
  EXPECT_EQ(grid.Text(5, 5), "100");
  EXPECT_EQ(grid.Text(6, 6), "100");
  EXPECT_EQ(grid.Text(7, 7), "10");
  grid.SetText(5, 5, "abc");
  ModificaValoriGrigliaLibera(grid, edit_mode::kAdd, -2.5F, 1);
  EXPECT_EQ(grid.Text(5, 5), "-2.5");
  EXPECT_EQ(grid.Text(6, 6), "97.5");
  // Mode 0 and unknown modes change nothing.
  ModificaValoriGrigliaLibera(grid, edit_mode::kNone, 9, 1);
  ModificaValoriGrigliaLibera(grid, 7, 9, 1);
  EXPECT_EQ(grid.Text(6, 6), "97.5");
  CaricaGrigliaInMatrice(grid, map, 1);
  EXPECT_EQ(map[MapOffset(4, 4)], 0);
  EXPECT_EQ(map[MapOffset(5, 5)], 97);
}

TEST(MapGrid, CopyGivesHeadingsAndRowsAndPasteSkipsWhatItCannotPlace) {
  GridModel grid = MapGrid();
  CaricaMatriceInGriglia(grid, Ramp(), 1);
  CaricaAssiInMatrice(grid, Bytes{0, 16, 32, 48}, Bytes{0, 8, 16});
  grid.Select({1, 2}, {2, 3});
  const std::string copied = CopySelection(grid);
  EXPECT_EQ(copied, "\t102\t205\r\n0\t23\t46\r\n1\t24\t47\t");

  // Pasted back at the same top-left cell, the block shifts by the
  // headings: the first item is empty, the headings land in cells.
  grid.SetCurrent({1, 2});
  EXPECT_EQ(PasteText(grid, copied), 2 + 3 + 3);
  EXPECT_EQ(grid.Text(1, 2), "23");   // unchanged: the leading empty item
  EXPECT_EQ(grid.Text(1, 3), "102");  // heading
  EXPECT_EQ(grid.Text(1, 4), "205");  // heading
  EXPECT_EQ(grid.Text(2, 2), "0");    // row heading
  EXPECT_EQ(grid.Text(2, 3), "23");
  EXPECT_EQ(grid.Text(3, 2), "1");  // row heading "1" -> 1
  EXPECT_EQ(grid.Text(3, 4), "47");

  // A 3 x 2 block at the last data column: only the cells that exist;
  // "abc" and "" leave theirs; numbers clamp; LF-only lines work too.
  grid.SetText(10, 24, "5");
  grid.SetText(11, 24, "6");
  grid.SetCurrent({10, 24});
  EXPECT_EQ(PasteText(grid, "abc\t1\t2\n300\t3\t4"), 1);
  EXPECT_EQ(grid.Text(10, 24), "5");
  EXPECT_EQ(grid.Text(11, 24), "255");
  grid.SetCurrent({23, 1});
  EXPECT_EQ(PasteText(grid, "\t-3\r\n7\r\n"), 1);  // the second line is past the grid
  EXPECT_EQ(grid.Text(23, 1), std::to_string((23 - 1) % 256));
  EXPECT_EQ(grid.Text(23, 2), "0");
  // A decimal comma or point: the whole part.
  grid.SetCurrent({5, 5});
  EXPECT_EQ(PasteText(grid, "12,7\t8.9"), 2);
  EXPECT_EQ(grid.Text(5, 5), "12");
  EXPECT_EQ(grid.Text(5, 6), "8");
  EXPECT_EQ(PasteText(grid, ""), 0);
}

TEST(MapGrid, ShadingRunsFromWhiteToBlueVioletAndKeepsTheSelection) {
  GridModel grid = MapGrid();
  grid.Select({3, 4}, {5, 6});
  grid.SetRedraw(true);
  CaricaMatriceInGriglia(grid, Bytes(map_shape::kCells, 200), 1);
  ColoraMatriceGradiente(grid);
  EXPECT_EQ(grid.Back(0, 0), colour::kGrey);
  EXPECT_EQ(grid.Back(0, 5), colour::kGrey);
  EXPECT_EQ(grid.Back(7, 0), colour::kGrey);
  for (int r = 1; r < grid.Rows(); ++r) {
    for (int c = 1; c < grid.Cols(); ++c) {
      ASSERT_EQ(grid.Back(r, c), (Rgb{105, 105, 255})) << r << "," << c;
      ASSERT_EQ(grid.Fore(r, c), colour::kBlack);
    }
  }
  EXPECT_EQ(grid.Selection(), (CellRect{3, 4, 5, 6}));
  EXPECT_TRUE(grid.Redraw());

  CaricaMatriceInGriglia(grid, Bytes(map_shape::kCells, 0), 1);
  ColoraMatriceGradiente(grid);
  EXPECT_EQ(grid.Back(1, 1), colour::kWhite);
  EXPECT_EQ(grid.Back(23, 24), colour::kWhite);

  // Between the two: 100 of 0..200 is half way; a cell above the map's
  // range (256 shown after a step) stays within the colours.
  Bytes map(map_shape::kCells, 0);
  map[1] = 200;
  map[2] = 100;
  CaricaMatriceInGriglia(grid, map, 1);
  ColoraMatriceGradiente(grid);
  EXPECT_EQ(grid.Back(3, 1), (Rgb{180, 180, 255}));
  EXPECT_EQ(GradientColour(400, 0, 200), (Rgb{0, 0, 255}));

  ColoraMatriceVuota(grid);
  EXPECT_EQ(grid.Back(0, 3), colour::kButtonFace);
  EXPECT_EQ(grid.Back(3, 3), colour::kWhite);
  EXPECT_EQ(grid.Current(), (CellPos{1, 1}));
}

TEST(MapGrid, HeadingsOnTheirScales) {
  GridModel grid = MapGrid();
  // rpm: 13 x 64 / 10 = 83.2 -> 83; 125 x 64 / 10 = 800. ms: 10 x 0.128 =
  // 1.28 -> 1.3; 0 -> 0; 125 x 0.128 = 16.
  CaricaAssiInMatrice(grid, Bytes{0, 13, 125}, Bytes{0, 10, 125});
  EXPECT_EQ(grid.Text(0, 1), "0");
  EXPECT_EQ(grid.Text(0, 2), "83");
  EXPECT_EQ(grid.Text(0, 3), "800");
  EXPECT_EQ(grid.Text(0, 4), "");
  EXPECT_EQ(grid.Text(1, 0), "0");
  EXPECT_EQ(grid.Text(2, 0), "1.3");
  EXPECT_EQ(grid.Text(3, 0), "16");
  EXPECT_EQ(grid.Text(4, 0), "");

  CaricaAssiInMatricePressione(grid, Bytes{0, 13}, Bytes{51, 102, 7}, {});
  EXPECT_EQ(grid.Text(1, 0), "51");  // raw bytes without a line
  EXPECT_EQ(grid.Text(3, 0), "7");
  CaricaAssiInMatricePressione(grid, Bytes{0, 13}, Bytes{51, 102, 25}, {2.0, 0.5});
  EXPECT_EQ(grid.Text(1, 0), "2");  // 1 x 2 + 0.5 = 2.5 -> 2
  EXPECT_EQ(grid.Text(2, 0), "4");  // 4.5 -> 4
  EXPECT_EQ(grid.Text(3, 0), "1");  // 25/51 x 2 + 0.5 = 1.48 -> 1

  calib::CoefficientList list;
  calib::CoefficientRecord a;
  a.id = 3;
  a.div_fact = 100;
  a.m_retta[0] = 250;
  a.q_retta[0] = -50;
  calib::CoefficientRecord b = a;
  b.id = 4;
  b.div_fact = 0;  // no division by zero: taken as 1
  list.records = {a, b};
  EXPECT_EQ(PressureLineFor(&list, 3), (PressureLine{2.5, -0.5}));
  EXPECT_EQ(PressureLineFor(&list, 4), (PressureLine{250, -50}));
  EXPECT_EQ(PressureLineFor(&list, 9), PressureLine{});
  EXPECT_EQ(PressureLineFor(nullptr, 3), PressureLine{});
}

TEST(MapGrid, HeatMapCellsTileTheAreaAndTheRampRunsBlueToRed) {
  int covered = 0;
  for (int r = 0; r < map_shape::kTimeRows; ++r) {
    for (int c = 0; c < map_shape::kRpmCols; ++c) {
      const PixelRect px = HeatCellRect(250, 100, r, c);
      covered += px.w * px.h;
      if (c + 1 < map_shape::kRpmCols) {
        ASSERT_EQ(px.x + px.w, HeatCellRect(250, 100, r, c + 1).x);
      }
      if (r + 1 < map_shape::kTimeRows) {
        ASSERT_EQ(px.y + px.h, HeatCellRect(250, 100, r + 1, c).y);
      }
    }
  }
  EXPECT_EQ(covered, 250 * 100);
  EXPECT_EQ(HeatCellRect(250, 100, 0, 0).x, 0);
  EXPECT_EQ(HeatCellRect(250, 100, 23, 0), PixelRect{});
  EXPECT_EQ(HeatCellRect(250, 100, 0, 24), PixelRect{});
  EXPECT_EQ(HeatCellRect(0, 100, 0, 0), PixelRect{});

  const Rgb lo = HeatColour(0);
  const Rgb hi = HeatColour(1);
  EXPECT_GT(lo.b, lo.r);
  EXPECT_GT(hi.r, hi.b);
  EXPECT_EQ(HeatColour(-3), lo);
  EXPECT_EQ(HeatColour(7), hi);
}

}  // namespace
}  // namespace velmora::maps
