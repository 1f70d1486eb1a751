// Two calibrations compared part by part, and a part copied into the image,
// on the shipped reference calibration and message table.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "calib/calibration_diff.h"
#include "calib/calibration_env.h"
#include "calib/calibration_import.h"
#include "core/files.h"
#include "core/hex.h"
#include "platform/fake/fakes.h"

namespace velmora::calib {
namespace {

std::string Stage() {
  const char* stage = std::getenv("VELMORA_STAGE");
  return stage != nullptr ? stage : ".";
}

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  EXPECT_TRUE(core::LeggiRighe(path, lines)) << path;
  return lines;
}

class FixedDate final : public DateProvider {
 public:
  CalendarDate Today() override { return {1, 2, 2024}; }
};

struct DiffRig {
  std::string reference = Stage() + "/lng/00 Direct Inj Custom.xsi";
  link::MessageTable table{[] {
    std::vector<std::string> lines;
    (void)core::LeggiRighe(Stage() + "/bin/SetCom.ini", lines);
    return core::LeggiSetCom(lines).messages;
  }()};
  CalibrationFrames file = ParseCalibration(Lines(reference), Duplicates::kLaterWins).frames;
};

// Data byte `index` of a section's frame set to `value`, the check byte
// worked out again.
void SetData(CalibrationFrames& frames, Section s, std::size_t index, std::uint8_t value) {
  Bytes& frame = frames[s];
  ASSERT_GT(frame.size(), index + 6);
  frame[5 + index] = value;
  std::uint8_t x = 0;
  for (std::size_t i = 0; i + 1 < frame.size(); ++i) {
    x ^= frame[i];
  }
  frame.back() = x;
}

TEST(CalibrationDiff, NamesEveryChangedFieldAndCellAndNothingElse) {
  DiffRig rig;
  EXPECT_TRUE(CompareCalibrations(rig.file, rig.file, rig.table).Equal());

  CalibrationFrames changed = rig.file;
  const std::uint8_t temperature = rig.file[Section::kBlk3][5 + 2];
  SetData(changed, Section::kBlk3, 2, static_cast<std::uint8_t>(temperature + 5));
  // Map 0, page 1 byte 5: map byte 115 = rpm 5, injection time 0.
  const std::uint8_t cell = rig.file[Section::kMap1][5 + 5];
  SetData(changed, Section::kMap1, 5, static_cast<std::uint8_t>(cell + 1));
  SetData(changed, Section::kBlk2, 3, 0x7F);  // the gas hours: the ECU's own counter
  changed[Section::kBlk6].clear();

  const auto lines = DifferenceLines(CompareCalibrations(rig.file, changed, rig.table));
  const std::vector<std::string> expected{
      "3.2 switch-over coolant temperature: " + std::to_string(temperature) + " \u2192 " +
          std::to_string(temperature + 5),
      "[BLK_6]: only in A",
      "map 0 row 0 col 5: " + std::to_string(cell) + " \u2192 " + std::to_string(cell + 1),
  };
  EXPECT_EQ(lines, expected);
}

TEST(CalibrationDiff, AnOpenedFileEqualsItsImageAndPartsCopyIntoTheImage) {
  DiffRig rig;
  platform::FakeMessageBox box;
  FixedDate dates;
  CalibrationImage image;
  CalibrationEnv env{rig.table, image, box, dates, CalibrationTexts{}};
  ASSERT_TRUE(OpenCalibrationFile(env, rig.reference));
  // The identification rebuilt from memory is shorter than the file's; it
  // is the same identification.
  EXPECT_TRUE(CompareCalibrations(rig.file, ImageFrames(rig.table, image), rig.table).Equal());

  CalibrationFrames other = rig.file;
  SetData(other, Section::kMap0, 0, static_cast<std::uint8_t>(rig.file[Section::kMap0][5] + 9));
  SetData(other, Section::kBlk3, 2, 77);
  const auto units = CompareUnits();
  for (const CompareUnit& unit : units) {
    if (unit.title == "map 0" || unit.title == "[BLK_3]") {
      EXPECT_TRUE(CopyUnitIntoImage(unit, other, rig.table, image)) << unit.title;
    }
    if (unit.title == "[FW]") {
      EXPECT_FALSE(CopyUnitIntoImage(unit, other, rig.table, image));
    }
  }
  EXPECT_EQ(image.base_map[0], other[Section::kMap0][5]);
  EXPECT_EQ(rig.table.Value(3, 2), 77);
  EXPECT_TRUE(CompareCalibrations(other, ImageFrames(rig.table, image), rig.table).Equal());

  // What a copy of block 2 writes leaves the ECU's counters alone.
  const auto fields = CopiedFields(*rig.table.Entry(2), 2, rig.file[Section::kBlk2]);
  ASSERT_FALSE(fields.empty());
  for (const CopiedField& f : fields) {
    EXPECT_FALSE(IsVolatileField(2, f.field)) << f.field;
  }
}

}  // namespace
}  // namespace velmora::calib
