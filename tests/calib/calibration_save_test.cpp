// Saving a calibration from the ECU and from memory, and opening it again,
// against an ECU behind the fake link.

#include <gtest/gtest.h>

#include "calib/calibration_frames.h"
#include "calib/calibration_import.h"
#include "calib/calibration_save.h"
#include "core/hex.h"
#include "tests/calib/calibration_test_ecu.h"

namespace velmora::calib {
namespace {

using testing::CalibrationRig;
using testing::FileLines;
using testing::FileText;
using testing::LineAfter;
using testing::TempDir;

TEST(CalibrationSave, FromEcuWritesEveryBlockAsReceived) {
  TempDir dir;
  CalibrationRig rig(3);
  rig.image.note = "line one\r\nline two";
  const std::string path = dir.File("car.xsi");
  CalibrationOutcome outcome;
  ASSERT_TRUE(SaveCalibrationFromEcu(rig.env, rig.access, path, &outcome));
  EXPECT_EQ(outcome.error, CalibrationError::kNone);

  const auto lines = FileLines(path);
  ASSERT_GT(lines.size(), 5u);
  EXPECT_EQ(lines[0], "[INFO]");
  EXPECT_EQ(lines[1].substr(0, 19), "Velmora Workstation");
  EXPECT_EQ(lines[1].substr(lines[1].size() - 27), "  , file created 07/03/2024");
  EXPECT_EQ(lines[2], "[NOTE]");
  EXPECT_EQ(lines[3], "line one");
  EXPECT_EQ(lines[4], "line two");
  EXPECT_EQ(lines[5], "[FW]");

  const auto answer = [&](std::uint8_t command) {
    return core::BinToHex(testing::CalibrationEcu::Answer(command, rig.ecu.blocks.at(command)));
  };
  // "[FW]" keeps the 68-byte identification answer as received.
  EXPECT_EQ(LineAfter(lines, "[FW]").size(), 136u);
  EXPECT_EQ(LineAfter(lines, "[FW]"), answer(0x21));
  EXPECT_EQ(LineAfter(lines, "[BLK_2]"), answer(0x0D));
  EXPECT_EQ(LineAfter(lines, "[BLK_5]").substr(0, 10), "4201143100");
  EXPECT_EQ(LineAfter(lines, "[MAP_0]").size(), 232u);
  EXPECT_EQ(LineAfter(lines, "[MAP_4]").size(), 236u);
  EXPECT_EQ(LineAfter(lines, "[MAPE_4]").substr(0, 10), "4201747800");
  EXPECT_EQ(LineAfter(lines, "[TRisult]").size(), 254u);
  EXPECT_EQ(LineAfter(lines, "[VET_TINJ_1]").size(), 192u);
  EXPECT_EQ(LineAfter(lines, "[OBD_INFO_ERR]"), answer(0x9D));
  // The tuning tables are kept in memory too.
  EXPECT_EQ(core::BinToHex(rig.image.tuning.trisult), LineAfter(lines, "[TRisult]"));

  // "[BLK_3]" normalised: cylinder flags 1, and a correct check byte.
  const auto blk3 = core::HexToBin(LineAfter(lines, "[BLK_3]")).value();
  EXPECT_EQ(blk3[26], 1);
  for (std::size_t i = 19; i < 26; ++i) {
    EXPECT_LE(blk3[i], 1) << i;
  }
  EXPECT_EQ(link::CheckXor(blk3), 0);

  // Under link parameter 2, restored at the end.
  ASSERT_FALSE(rig.ecu.parameters.empty());
  EXPECT_EQ(rig.ecu.parameters.front(), 2);
  EXPECT_EQ(rig.ecu.parameters.back(), 0);
  EXPECT_TRUE(rig.channel.box.shown.empty());
}

TEST(CalibrationSave, BlocksTheEcuLacksComeFromMemory) {
  TempDir dir;
  CalibrationRig rig(1);  // no adaptive maps, no direct injection, no OBD errors
  const Bytes default_dinst = MakeStoredFrame(0x51, Bytes(64, 0x77)).value();
  rig.table.SetLastAnswer(18, default_dinst);
  const std::string path = dir.File("old.xsi");
  ASSERT_TRUE(SaveCalibrationFromEcu(rig.env, rig.access, path));
  const std::string text = FileText(path);
  EXPECT_EQ(text.find("[ADAT_"), std::string::npos);
  EXPECT_EQ(text.find("[MAPE_"), std::string::npos);
  const auto lines = FileLines(path);
  EXPECT_EQ(LineAfter(lines, "[BLK_DINST]"), core::BinToHex(default_dinst));
  EXPECT_EQ(LineAfter(lines, "[OBD_ERR]"), "");
  const auto commands = rig.ecu.Commands();
  for (const std::uint8_t not_read : {0x16, 0x78, 0x51, 0x9B, 0x9D}) {
    EXPECT_EQ(std::count(commands.begin(), commands.end(), not_read), 0) << int(not_read);
  }
}

TEST(CalibrationSave, DroppedLinkOrBadAnswerLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir.File("car.xsi");
  testing::WriteText(path, "old contents\r\n");
  for (const int drop_at : {1, 9, 40}) {
    CalibrationRig rig(3);
    rig.ecu.fail_at_frame = drop_at;
    CalibrationOutcome outcome;
    EXPECT_FALSE(SaveCalibrationFromEcu(rig.env, rig.access, path, &outcome)) << drop_at;
    EXPECT_EQ(outcome.error, CalibrationError::kLink);
    EXPECT_EQ(FileText(path), "old contents\r\n");
    EXPECT_EQ(static_cast<int>(rig.ecu.frames.size()), drop_at);  // nothing after the failure
    EXPECT_EQ(rig.ecu.parameters.back(), 2);                      // the link is not given back
  }
  // A map page answered with the wrong size is no page: nothing written.
  CalibrationRig rig(3);
  rig.ecu.paged.at(0x12).resize(500);
  rig.ecu.paged.at(0x12).shrink_to_fit();
  EXPECT_FALSE(SaveCalibrationFromEcu(rig.env, rig.access, dir.File("new.xsi")));
  EXPECT_FALSE(core::EsisteFile(dir.File("new.xsi")));
  EXPECT_EQ(FileText(path), "old contents\r\n");
  // Nothing but the file itself in the folder: no temporary left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(CalibrationSave, WriteErrorIsReportedAndNothingIsLeft) {
  TempDir dir;
  CalibrationRig rig(3);
  const std::string path = dir.File("missing-folder/car.xsi");
  CalibrationOutcome outcome;
  EXPECT_FALSE(SaveCalibrationFromImage(rig.env, path, &outcome));
  EXPECT_EQ(outcome.error, CalibrationError::kWriteFile);
  ASSERT_EQ(rig.channel.box.shown.size(), 1u);
  EXPECT_NE(rig.channel.box.shown[0].text.find("The file could not be written"), std::string::npos);
  // A folder in the way of the file: the folder stays.
  std::filesystem::create_directory(dir.File("taken.xsi"));
  EXPECT_FALSE(SaveCalibrationFromEcu(rig.env, rig.access, dir.File("taken.xsi")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken.xsi")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(CalibrationSave, SaveOpenSaveGivesTheSameFile) {
  TempDir dir;
  CalibrationRig ecu_side(3);
  ecu_side.image.note = "two\r\nlines";
  ASSERT_TRUE(SaveCalibrationFromEcu(ecu_side.env, ecu_side.access, dir.File("a.xsi")));

  // Offline: a fresh workstation opens the file and saves it from memory.
  CalibrationRig offline(3);
  ASSERT_TRUE(OpenCalibrationFile(offline.env, dir.File("a.xsi")));
  EXPECT_EQ(offline.image.note, "two\r\nlines");
  EXPECT_EQ(offline.image.base_map, ecu_side.ecu.paged.at(0x12));
  EXPECT_EQ(offline.image.rpm_axis, ecu_side.ecu.paged.at(0x4B));
  EXPECT_EQ(offline.image.companion, ecu_side.ecu.blocks.at(0x31));
  ASSERT_TRUE(SaveCalibrationFromImage(offline.env, dir.File("b.xsi")));
  const auto a = FileLines(dir.File("a.xsi"));
  const auto b = FileLines(dir.File("b.xsi"));
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (i > 0 && a[i - 1] == "[FW]") {
      // From memory "[FW]" is the 44-byte frame of the same 38 bytes.
      EXPECT_EQ(b[i].size(), 88u);
      EXPECT_EQ(b[i].substr(10, 76), a[i].substr(10, 76));
      continue;
    }
    EXPECT_EQ(a[i], b[i]) << "line " << i << " after " << (i > 0 ? a[i - 1] : "");
  }

  // From memory again: byte for byte the same file.
  CalibrationRig again(3);
  ASSERT_TRUE(OpenCalibrationFile(again.env, dir.File("b.xsi")));
  ASSERT_TRUE(SaveCalibrationFromImage(again.env, dir.File("c.xsi")));
  EXPECT_EQ(FileText(dir.File("b.xsi")), FileText(dir.File("c.xsi")));
  // Opening decodes the blocks into their entries.
  EXPECT_EQ(again.table.Value(3, 1), 6);
  EXPECT_EQ(again.table.LastAnswer(15), offline.table.LastAnswer(15));
}

TEST(CalibrationOpen, DamagedSectionsAreLeftOutAndMissingFilesRefused) {
  TempDir dir;
  CalibrationRig rig(3);
  ASSERT_TRUE(SaveCalibrationFromEcu(rig.env, rig.access, dir.File("a.xsi")));
  auto lines = FileLines(dir.File("a.xsi"));
  const std::string blk6 = LineAfter(lines, "[BLK_6]");
  lines = testing::WithLine(lines, "[MAP_1]", LineAfter(lines, "[MAP_1]").substr(0, 200));
  lines = testing::WithLine(lines, "[BLK_6]", "not a frame");
  lines = testing::WithLine(lines, "[VET_RPM_0]", "");
  testing::WriteText(dir.File("b.xsi"), core::JoinCrLf(lines));

  CalibrationRig offline(3);
  offline.image.base_map.assign(552, 0xEE);
  offline.image.rpm_axis.assign(128, 0xDD);
  CalibrationOutcome outcome;
  ASSERT_TRUE(OpenCalibrationFile(offline.env, dir.File("b.xsi"), &outcome));
  EXPECT_EQ(outcome.error, CalibrationError::kDamagedSection);
  EXPECT_EQ(outcome.section, Section::kBlk6);
  // Page 1 kept its old bytes, pages 0 and 2 came from the file.
  EXPECT_EQ(offline.image.base_map[110], 0xEE);
  EXPECT_EQ(offline.image.base_map[0], rig.ecu.paged.at(0x12)[0]);
  EXPECT_EQ(offline.image.base_map[220], rig.ecu.paged.at(0x12)[220]);
  EXPECT_TRUE(offline.table.LastAnswer(15).empty());
  EXPECT_EQ(offline.image.rpm_axis[0], 0xDD);  // absent: unchanged
  EXPECT_EQ(offline.image.rpm_axis[64], rig.ecu.paged.at(0x4B)[64]);

  CalibrationOutcome missing;
  EXPECT_FALSE(OpenCalibrationFile(offline.env, dir.File("none.xsi"), &missing));
  EXPECT_EQ(missing.error, CalibrationError::kMissingFile);
  EXPECT_TRUE(offline.channel.link.requests.empty());
  EXPECT_FALSE(blk6.empty());
}

}  // namespace
}  // namespace velmora::calib
