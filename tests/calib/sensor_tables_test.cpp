#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "calib/sensor_tables.h"
#include "core/files.h"

namespace velmora::calib {
namespace {

TEST(ReadSmoothingWeights, ClampsExactKeysAndKeepsDefaults) {
  const auto none = ReadSmoothingWeights({});
  EXPECT_EQ(none.k_lambda, 10);
  EXPECT_EQ(none.k_pressure, 10);
  EXPECT_EQ(none.k_barre, 10);

  const auto w = ReadSmoothingWeights({"[K_Lambda]", "25", "[K_Pressure]", "0", "[K_Barre]", "-4"});
  EXPECT_EQ(w.k_lambda, 10);
  EXPECT_EQ(w.k_pressure, 1);
  EXPECT_EQ(w.k_barre, 1);

  // Case differs: not the key. A later key overrides an earlier one; a value
  // that is not an integer leaves the earlier one.
  const auto v = ReadSmoothingWeights({"[k_lambda]", "3", "[K_Pressure]", " 6 ", "[K_Pressure]",
                                       "4", "[K_Barre]", "7", "[K_Barre]", "7.5"});
  EXPECT_EQ(v.k_lambda, 10);
  EXPECT_EQ(v.k_pressure, 4);
  EXPECT_EQ(v.k_barre, 7);
}

TEST(ReadSmoothingWeights, KeyWithoutValueDoesNotSwallowTheNext) {
  const auto w = ReadSmoothingWeights({"[K_Lambda]", "[K_Pressure]", "3", "[K_Barre]"});
  EXPECT_EQ(w.k_lambda, 10);
  EXPECT_EQ(w.k_pressure, 3);
  EXPECT_EQ(w.k_barre, 10);
}

TEST(ReadQvdTable, FullBlock) {
  const auto t = ReadQvdTable({"[SPARK]", "7000", "[QVD_TAB_START]", "[QVD_RPM]", "0|800| 1600 |x",
                               "[QVD_MAP]", "0|0", "10|12", "20", "[QVD_TAB_END]", "1|2"});
  EXPECT_TRUE(t.present);
  EXPECT_EQ(t.rpm, (std::vector<std::int32_t>{0, 800, 1600, 0}));
  ASSERT_EQ(t.map.size(), 3u);
  EXPECT_EQ(t.map[1], QvdPair(10, 12));
  EXPECT_EQ(t.map[2], QvdPair(20, 0));
  EXPECT_TRUE(t.extra.empty());
}

TEST(ReadQvdTable, LimitsAndOpenList) {
  std::vector<std::string> lines{"[QVD_TAB_START]", "[QVD_RPM]"};
  std::string rpm;
  for (int i = 0; i < 30; ++i) {
    rpm += std::to_string(i * 100) + "|";
  }
  lines.push_back(rpm);
  lines.push_back("[QVD_MAP]");
  for (int i = 0; i < 26; ++i) {
    lines.push_back(std::to_string(i) + "|" + std::to_string(i * 2));
  }
  lines.push_back("");
  lines.push_back("; comment");
  lines.push_back("99999999999|-5");
  lines.push_back("[QVD_TAB_END]");
  const auto t = ReadQvdTable(lines);
  ASSERT_EQ(t.rpm.size(), 24u);
  EXPECT_EQ(t.rpm[23], 2300);
  ASSERT_EQ(t.map.size(), 23u);
  EXPECT_EQ(t.map[22], QvdPair(22, 44));
  ASSERT_EQ(t.extra.size(), 4u);
  EXPECT_EQ(t.extra[0], QvdPair(23, 46));
  EXPECT_EQ(t.extra[3], QvdPair(0, -5));
}

TEST(ReadQvdTable, CutShortBlocks) {
  // No block at all.
  EXPECT_FALSE(ReadQvdTable({"[QVD_RPM]", "1|2"}).present);

  // The input ends inside the map lines, and right after the rpm key.
  const auto a = ReadQvdTable({"[QVD_TAB_START]", "[QVD_RPM]", "5|6", "[QVD_MAP]", "1|1", "2|2"});
  EXPECT_EQ(a.rpm, (std::vector<std::int32_t>{5, 6}));
  EXPECT_EQ(a.map.size(), 2u);
  const auto b = ReadQvdTable({"[QVD_TAB_START]", "[QVD_RPM]"});
  EXPECT_TRUE(b.present);
  EXPECT_TRUE(b.rpm.empty());

  // A lost end line: the next key of the file ends the block, it is neither a
  // map line nor an open-list entry, and nothing after it is taken.
  const auto c = ReadQvdTable(
      {"[QVD_TAB_START]", "[QVD_RPM]", "[QVD_MAP]", "3|4", "[Moltiplicatore Correzione]", "1000"});
  EXPECT_TRUE(c.rpm.empty());
  ASSERT_EQ(c.map.size(), 1u);
  EXPECT_TRUE(c.extra.empty());
}

std::vector<std::string> StagedConfigScale() {
  const char* stage = std::getenv("VELMORA_STAGE");
  std::vector<std::string> lines;
  if (stage != nullptr) {
    (void)core::LeggiRighe(std::string(stage) + "/lng/ConfigScale.ini", lines);
  }
  return lines;
}

TEST(ReadSensorTables, ShippedConfigScale) {
  const auto lines = StagedConfigScale();
  ASSERT_FALSE(lines.empty()) << "staged lng/ConfigScale.ini not found";
  const auto t = ReadSensorTables(lines);
  for (const int k : {t.weights.k_lambda, t.weights.k_pressure, t.weights.k_barre}) {
    EXPECT_GE(k, 1);
    EXPECT_LE(k, 10);
  }
  // The shipped file sets every weight, so none may be the default.
  EXPECT_NE(t.weights.k_lambda, 10);
  EXPECT_NE(t.weights.k_pressure, 10);
  ASSERT_TRUE(t.qvd.present);
  ASSERT_EQ(t.qvd.rpm.size(), 24u);
  EXPECT_EQ(t.qvd.rpm.front(), 0);
  for (std::size_t i = 1; i < t.qvd.rpm.size(); ++i) {
    EXPECT_GT(t.qvd.rpm[i], t.qvd.rpm[i - 1]) << "breakpoint " << i;
  }
  EXPECT_EQ(t.qvd.map.size(), 23u);
  EXPECT_FALSE(t.qvd.extra.empty());
}

}  // namespace
}  // namespace velmora::calib
