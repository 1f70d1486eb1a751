#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "calib/coefficient_file.h"
#include "core/files.h"
#include "tests/core/temp_dir.h"

namespace velmora::calib {
namespace {

// A complete file; grid cell (row r, column c) holds m = 1000 + 100 * r + c
// and q = -(100 * r + c), written as line c with rows 0..23.
std::vector<std::string> CompleteLines(const std::string& note = "Sensor A", int id = 7) {
  std::vector<std::string> l{"[note]",     note,
                             "[id]",       std::to_string(id),
                             "[div_fact]", "1000",
                             "[m_retta]",  "1,2,3,4,5,6,7,8,9",
                             "[q_retta]",  "-1,-2,-3,-4,-5,-6,-7,-8,-9"};
  for (const bool m : {true, false}) {
    l.push_back(m ? "[m_mappa]" : "[q_mappa]");
    for (int c = 0; c < 23; ++c) {
      std::string line;
      for (int r = 0; r < 24; ++r) {
        const int v = 100 * r + c;
        line += (r > 0 ? "," : "") + std::to_string(m ? 1000 + v : -v);
      }
      l.push_back(line);
    }
  }
  return l;
}

std::vector<std::string> Without(std::vector<std::string> lines, const std::string& key,
                                 std::size_t value_lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == key) {
      lines.erase(lines.begin() + i, lines.begin() + i + 1 + value_lines);
      break;
    }
  }
  return lines;
}

TEST(ParseCoefficientLines, CompleteFileInAnyKeyOrder) {
  auto lines = CompleteLines("  Rail  ");
  // "[note]" and "[id]" moved to the end, unknown lines before the first key.
  std::rotate(lines.begin(), lines.begin() + 4, lines.end());
  lines.insert(lines.begin(), {"; comment", "junk"});
  const auto rec = ParseCoefficientLines(lines);
  ASSERT_TRUE(rec.has_value());
  EXPECT_EQ(rec->note, "Rail");
  EXPECT_EQ(rec->id, 7);
  EXPECT_EQ(rec->div_fact, 1000);
  EXPECT_EQ(rec->m_retta[0], 1);
  EXPECT_EQ(rec->m_retta[8], 9);
  EXPECT_EQ(rec->q_retta[4], -5);
  // Line c is column c: the grid is transposed into rows of 23 cells.
  EXPECT_EQ(rec->m_mappa[0], 1000);
  EXPECT_EQ(rec->m_mappa[1], 1001);   // row 0, column 1
  EXPECT_EQ(rec->m_mappa[23], 1100);  // row 1, column 0
  EXPECT_EQ(rec->m_mappa[5 * 23 + 17], 1517);
  EXPECT_EQ(rec->q_mappa[23 * 23 + 22], -2322);  // last cell
}

TEST(ParseCoefficientLines, RefusesAnyMissingKey) {
  EXPECT_FALSE(ParseCoefficientLines(Without(CompleteLines(), "[note]", 1)).has_value());
  EXPECT_FALSE(ParseCoefficientLines(Without(CompleteLines(), "[q_mappa]", 23)).has_value());
  EXPECT_FALSE(ParseCoefficientLines({}).has_value());

  // A repeated key standing in for a missing one.
  auto swapped = Without(CompleteLines(), "[id]", 1);
  swapped.insert(swapped.end(), {"[div_fact]", "10"});
  EXPECT_FALSE(ParseCoefficientLines(swapped).has_value());

  // All seven present, one of them twice: accepted, the later value wins.
  auto repeated = CompleteLines();
  repeated.insert(repeated.end(), {"[note]", "again"});
  const auto rec = ParseCoefficientLines(repeated);
  ASSERT_TRUE(rec.has_value());
  EXPECT_EQ(rec->note, "again");

  // Keys match exactly.
  auto upper = CompleteLines();
  upper[0] = "[NOTE]";
  EXPECT_FALSE(ParseCoefficientLines(upper).has_value());
}

TEST(ParseCoefficientLines, ShortAndDamagedValuesReadAsZero) {
  auto lines = CompleteLines();
  // Short lists, bad and overflowing numbers.
  lines[7] = "5,x,99999999999";
  lines[9] = "";
  lines[3] = "seven";
  // The m grid cut to 2 lines, the second one short: the q grid key right
  // after it must still be found.
  const auto m_pos = std::find(lines.begin(), lines.end(), "[m_mappa]") - lines.begin();
  lines.erase(lines.begin() + m_pos + 3, lines.begin() + m_pos + 24);
  lines[m_pos + 2] = "11,12";
  // The input ends two lines into the q grid.
  const auto q_pos = std::find(lines.begin(), lines.end(), "[q_mappa]") - lines.begin();
  lines.resize(q_pos + 3);

  const auto rec = ParseCoefficientLines(lines);
  ASSERT_TRUE(rec.has_value());
  EXPECT_EQ(rec->id, 0);
  EXPECT_EQ(rec->m_retta[0], 5);
  EXPECT_EQ(rec->m_retta[1], 0);
  EXPECT_EQ(rec->m_retta[2], 0);
  EXPECT_EQ(rec->m_retta[3], 0);
  EXPECT_EQ(rec->q_retta[0], 0);
  EXPECT_EQ(rec->m_mappa[0], 1000);
  EXPECT_EQ(rec->m_mappa[1], 11);
  EXPECT_EQ(rec->m_mappa[23 + 1], 12);
  EXPECT_EQ(rec->m_mappa[2 * 23 + 1], 0);
  EXPECT_EQ(rec->m_mappa[2], 0);
  EXPECT_EQ(rec->q_mappa[23 + 1], -101);
  EXPECT_EQ(rec->q_mappa[2], 0);

  // A key as the very last line is counted with no values.
  auto last = Without(CompleteLines(), "[q_retta]", 1);
  last.push_back("[q_retta]");
  const auto r2 = ParseCoefficientLines(last);
  ASSERT_TRUE(r2.has_value());
  EXPECT_EQ(r2->q_retta[0], 0);
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  ASSERT_TRUE(core::WriteFileAtomic(path, core::JoinCrLf(lines)));
}

TEST(ListCoefficientFiles, AcceptedFilesInNameOrderAnyCaseExtensionNoneIsNotFound) {
  test::TempDir dir;
  EXPECT_FALSE(ListCoefficientFiles(dir.File("no such folder")).found);
  WriteLines(dir.File("refused.coe"), Without(CompleteLines(), "[note]", 1));
  EXPECT_FALSE(ListCoefficientFiles(dir.Path()).found);  // nothing accepted
  WriteLines(dir.File("c_sensor.Coe"), CompleteLines("third", 3));
  WriteLines(dir.File("A_sensor.COE"), CompleteLines("first", 1));
  WriteLines(dir.File("b_sensor.coe"), CompleteLines("second", 2));
  WriteLines(dir.File("other.txt"), CompleteLines("not a coefficient file", 9));
  WriteLines(dir.File("x.coe.bak"), CompleteLines("backup", 9));
  // A file whose lines end in LF only is one line, hence refused.
  ASSERT_TRUE(core::WriteFileAtomic(dir.File("lf_only.coe"), "[note]\nx\n[id]\n1\n"));
  std::filesystem::create_directory(dir.File("folder.coe"));

  const auto list = ListCoefficientFiles(dir.Path());
  EXPECT_TRUE(list.found);
  ASSERT_EQ(list.records.size(), 3u);
  EXPECT_EQ(list.records[0].note, "first");
  EXPECT_EQ(list.records[1].note, "second");
  EXPECT_EQ(list.records[2].note, "third");
  EXPECT_EQ(list.records[0].path, dir.File("A_sensor.COE"));

  const auto one = ReadCoefficientFile(dir.File("b_sensor.coe"));
  ASSERT_TRUE(one.has_value());
  EXPECT_EQ(one->id, 2);
  EXPECT_FALSE(ReadCoefficientFile(dir.File("missing.coe")).has_value());
  EXPECT_FALSE(ReadCoefficientFile(dir.File("folder.coe")).has_value());
}

TEST(ListCoefficientFiles, ShippedFiles) {
  const char* stage = std::getenv("VELMORA_STAGE");
  ASSERT_NE(stage, nullptr);
  const auto list = ListCoefficientFiles(std::string(stage) + "/lng");
  ASSERT_TRUE(list.found);
  ASSERT_GE(list.records.size(), 2u);
  for (std::size_t i = 0; i < list.records.size(); ++i) {
    const auto& r = list.records[i];
    SCOPED_TRACE(r.path);
    EXPECT_FALSE(r.note.empty());
    EXPECT_GT(r.div_fact, 0);
    // Every cell and line entry present: no slope left at 0.
    for (const auto m : r.m_mappa) {
      ASSERT_GT(m, 0);
    }
    for (const auto m : r.m_retta) {
      ASSERT_GT(m, 0);
    }
    for (std::size_t j = 0; j < i; ++j) {
      EXPECT_NE(r.id, list.records[j].id) << "identifiers must differ";
    }
  }
}

}  // namespace
}  // namespace velmora::calib
