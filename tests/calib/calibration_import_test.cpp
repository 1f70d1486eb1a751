// Single sections taken from a file: the compensation imports, the tuning
// result import, the map and axis readers, one block variable, and the
// reference calibrations of the language folder.

#include <gtest/gtest.h>

#include "calib/calibration_frames.h"
#include "calib/calibration_import.h"
#include "calib/calibration_reference.h"
#include "calib/calibration_save.h"
#include "core/hex.h"
#include "tests/calib/calibration_test_ecu.h"

namespace velmora::calib {
namespace {

using testing::CalibrationRig;
using testing::FileLines;
using testing::LineAfter;
using testing::TempDir;
using testing::WithLine;
using testing::WriteText;

std::string SaveFrom(CalibrationRig& rig, const std::string& path) {
  EXPECT_TRUE(SaveCalibrationFromEcu(rig.env, rig.access, path));
  rig.ecu.frames.clear();
  rig.ecu.parameters.clear();
  rig.channel.link.requests.clear();
  return path;
}

TEST(CalibrationImport, CompensationTablesAreWrittenAndReadBack) {
  TempDir dir;
  CalibrationRig source(3);
  source.ecu.Block(9).assign(source.ecu.Block(9).size(), 0x21);
  source.ecu.Block(17).assign(source.ecu.Block(17).size(), 0x31);
  const std::string path = SaveFrom(source, dir.File("a.xsi"));

  CalibrationRig rig(3);
  ASSERT_TRUE(ImportComPGasX(rig.env, rig.access, path));
  ASSERT_TRUE(ImportComPBenX(rig.env, rig.access, path));
  EXPECT_EQ(rig.ecu.Commands(), (std::vector<std::uint8_t>{0x7F, 0x7E, 0x81, 0x80}));
  EXPECT_EQ(rig.ecu.Block(9), source.ecu.Block(9));
  EXPECT_EQ(FrameData(rig.table.LastAnswer(9)), source.ecu.Block(9));
  EXPECT_EQ(rig.table.Value(9, 0) & 0xFF, 0x21);  // decoded
  EXPECT_EQ(FrameData(rig.table.LastAnswer(17)), source.ecu.Block(17));

  // A second, different section further down is not taken.
  auto lines = FileLines(path);
  lines.push_back("[COM_PGASX]");
  lines.push_back(core::BinToHex(MakeStoredFrame(0x7E, Bytes(47, 0x99)).value()));
  WriteText(dir.File("twice.xsi"), core::JoinCrLf(lines));
  ASSERT_TRUE(ImportComPGasX(rig.env, rig.access, dir.File("twice.xsi")));
  EXPECT_EQ(rig.ecu.Block(9), source.ecu.Block(9));

  rig.ecu.frames.clear();
  CalibrationOutcome outcome;
  WriteText(dir.File("bad.xsi"), core::JoinCrLf(WithLine(FileLines(path), "[COM_PBENX]", "42G1")));
  EXPECT_FALSE(ImportComPBenX(rig.env, rig.access, dir.File("bad.xsi"), &outcome));
  EXPECT_EQ(outcome.error, CalibrationError::kDamagedSection);
  WriteText(dir.File("none.xsi"), core::JoinCrLf(WithLine(FileLines(path), "[COM_PBENX]", "")));
  EXPECT_FALSE(ImportComPBenX(rig.env, rig.access, dir.File("none.xsi"), &outcome));
  EXPECT_EQ(outcome.error, CalibrationError::kMissingSection);
  EXPECT_FALSE(ImportComPGasX(rig.env, rig.access, dir.File("missing.xsi"), &outcome));
  EXPECT_EQ(outcome.error, CalibrationError::kMissingFile);
  EXPECT_TRUE(rig.ecu.frames.empty());
}

TEST(CalibrationImport, TuningResultAsksBeforeTouchingTheLink) {
  TempDir dir;
  CalibrationRig source(3);
  Bytes& cells = source.ecu.blocks.at(0x20);
  for (std::size_t i = 0; i < cells.size(); ++i) {
    cells[i] = static_cast<std::uint8_t>(i);
  }
  const std::string path = SaveFrom(source, dir.File("a.xsi"));

  CalibrationRig rig(3);
  rig.channel.box.answers.push_back(false);
  const TuningImportResult refused = LeggiMappeVcmRpmDafileEScarica(rig.env, rig.access, path);
  EXPECT_EQ(refused.status, TuningImportStatus::kRefused);
  EXPECT_TRUE(rig.channel.link.requests.empty());  // not even the link parameter
  ASSERT_EQ(rig.channel.box.shown.size(), 1u);
  EXPECT_EQ(rig.channel.box.shown[0].kind, platform::BoxKind::Question);

  rig.channel.box.answers.push_back(true);
  const TuningImportResult done = LeggiMappeVcmRpmDafileEScarica(rig.env, rig.access, path);
  EXPECT_EQ(done.status, TuningImportStatus::kDone);
  EXPECT_EQ(rig.ecu.Commands(), (std::vector<std::uint8_t>{0x1E, 0x40, 0x3F}));
  ASSERT_EQ(rig.ecu.frames[1].size(), 125u);
  EXPECT_EQ(rig.ecu.frames[1][4], 1);  // the first cell, after the table's header byte
  EXPECT_EQ(rig.ecu.frames[1][123], 120);
  EXPECT_EQ(rig.ecu.parameters, (std::vector<int>{2, 0}));

  // A link failure is a link code, never the refusal.
  CalibrationRig failing(3);
  failing.channel.box.answers.push_back(true);
  failing.ecu.fail_at_frame = 2;
  const TuningImportResult broken =
      LeggiMappeVcmRpmDafileEScarica(failing.env, failing.access, path);
  EXPECT_EQ(broken.status, TuningImportStatus::kLinkError);
  EXPECT_NE(broken.link_code, 0);
  EXPECT_EQ(failing.ecu.frames.size(), 2u);

  WriteText(dir.File("short.xsi"),
            core::JoinCrLf(WithLine(FileLines(path), "[TRisult]",
                                    core::BinToHex(MakeStoredFrame(0x20, Bytes(120, 1)).value()))));
  CalibrationRig quiet(3);
  EXPECT_EQ(LeggiMappeVcmRpmDafileEScarica(quiet.env, quiet.access, dir.File("short.xsi")).status,
            TuningImportStatus::kNoSection);
  EXPECT_TRUE(quiet.channel.box.shown.empty());
  EXPECT_TRUE(quiet.channel.link.requests.empty());
}

TEST(CalibrationImport, MapAxesAndBlockVariablesFromAFile) {
  TempDir dir;
  CalibrationRig source(3);
  const std::string path = SaveFrom(source, dir.File("a.xsi"));
  const auto grid = ReadMapFromFile(path);
  ASSERT_TRUE(grid.has_value());
  const Bytes& bank = source.ecu.paged.at(0x12);
  EXPECT_EQ((*grid)[0][0], bank[0]);
  EXPECT_EQ((*grid)[1][0], bank[23]);
  EXPECT_EQ((*grid)[23][22], bank[551]);

  const auto axes = ReadAxisVectorsFromFile(path);
  ASSERT_TRUE(axes.has_value());
  EXPECT_EQ(axes->rpm, source.ecu.paged.at(0x4B));
  EXPECT_EQ(axes->time, source.ecu.paged.at(0x4E));

  source.ecu.Block(15).at(52) = 42;  // the system identifier
  SaveFrom(source, dir.File("b.xsi"));
  EXPECT_EQ(ReadBlockVariableFromFile(source.table, 15, dir.File("b.xsi"), "[BLK_6]", 47), 42);
  EXPECT_EQ(ReadBlockVariableFromFile(source.table, 15, dir.File("b.xsi"), "[BLK_6]", 999),
            std::nullopt);
  EXPECT_EQ(ReadBlockVariableFromFile(source.table, 15, dir.File("b.xsi"), "[NOPE]", 47),
            std::nullopt);
  // The entry itself is untouched by the lookup.
  link::MessageTable fresh(testing::ShippedSetCom().messages);
  EXPECT_EQ(ReadBlockVariableFromFile(fresh, 15, dir.File("b.xsi"), "[BLK_6]", 47), 42);
  EXPECT_EQ(fresh.Value(15, 47), 0);
  EXPECT_TRUE(fresh.LastAnswer(15).empty());

  auto lines = FileLines(path);
  WriteText(dir.File("noaxis.xsi"), core::JoinCrLf(WithLine(lines, "[VET_TINJ_1]", "")));
  EXPECT_EQ(ReadAxisVectorsFromFile(dir.File("noaxis.xsi")), std::nullopt);
  WriteText(dir.File("cut.xsi"),
            core::JoinCrLf(WithLine(lines, "[MAP_4]", LineAfter(lines, "[MAP_4]").substr(0, 232))));
  EXPECT_EQ(ReadMapFromFile(dir.File("cut.xsi")), std::nullopt);
  EXPECT_EQ(ReadMapFromFile(dir.File("missing.xsi")), std::nullopt);
}

TEST(CalibrationReference, ListedByTheirSystemAndUsedForMissingBlocks) {
  TempDir dir;
  const std::string lng = dir.Path();
  CalibrationRig source(3);
  source.ecu.Block(15).at(52) = 7;
  source.ecu.Block(18).assign(source.ecu.Block(18).size(), 0x18);
  source.ecu.Block(19).assign(source.ecu.Block(19).size(), 0x19);
  SaveFrom(source, dir.File("B petrol.xsi"));
  source.ecu.Block(15).at(52) = 9;
  SaveFrom(source, dir.File("A lpg.XSI"));
  WriteText(dir.File("notes.txt"), "[BLK_6]\r\n00\r\n");
  WriteText(dir.File("C broken.xsi"), "[BLK_6]\r\nzz\r\n");

  const auto list = ListReferenceCalibrations(source.table, lng);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].name, "A lpg");
  EXPECT_EQ(list[0].system_id, 9);
  EXPECT_EQ(list[1].name, "B petrol");
  EXPECT_EQ(list[1].system_id, 7);
  EXPECT_EQ(list[1].path, dir.File("B petrol.xsi"));
  EXPECT_EQ(list[2].system_id, std::nullopt);
  EXPECT_EQ(ChooseReferenceFile(list, 7, "/default.xsi"), dir.File("B petrol.xsi"));
  EXPECT_EQ(ChooseReferenceFile(list, 8, "/default.xsi"), "/default.xsi");
  EXPECT_TRUE(ListReferenceCalibrations(source.table, dir.File("nowhere")).empty());

  link::MessageTable table(testing::ShippedSetCom().messages);
  EXPECT_EQ(FillDefaultBlockImages(table, dir.File("B petrol.xsi"), FlagsForGeneration(2)), 1);
  EXPECT_EQ(FrameData(table.LastAnswer(18)), source.ecu.Block(18));
  EXPECT_EQ(table.Value(18, 0), 0x18);
  EXPECT_TRUE(table.LastAnswer(19).empty());
  EXPECT_EQ(FillDefaultBlockImages(table, dir.File("B petrol.xsi"), FlagsForGeneration(0)), 3);
  EXPECT_EQ(FrameData(table.LastAnswer(19)), source.ecu.Block(19));
  EXPECT_EQ(FillDefaultBlockImages(table, dir.File("C broken.xsi"), FlagsForGeneration(0)), 0);
  EXPECT_EQ(FillDefaultBlockImages(table, dir.File("nothing.xsi"), FlagsForGeneration(0)), 0);

  EXPECT_EQ(FlagsForGeneration(3), (CapabilityFlags{true, true, true}));
  EXPECT_EQ(FlagsForGeneration(2), (CapabilityFlags{true, false, true}));
  EXPECT_EQ(FlagsForGeneration(1), CapabilityFlags{});
  EXPECT_EQ(FlagsForGeneration(0), CapabilityFlags{});
}

}  // namespace
}  // namespace velmora::calib
