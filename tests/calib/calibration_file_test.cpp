// The calibration file text: what the writers put in it and what the readers
// take from it, including files that were cut, edited or damaged.

#include <gtest/gtest.h>

#include "calib/calibration_file.h"
#include "calib/calibration_frames.h"
#include "calib/calibration_load.h"
#include "calib/calibration_save.h"
#include "core/hex.h"
#include "core/version.h"
#include "tests/calib/calibration_rig.h"

namespace velmora::calib {
namespace {

using testing::LineAfter;

Bytes Frame(std::uint8_t command, std::size_t n, std::uint8_t fill = 0x11) {
  return MakeStoredFrame(command, Bytes(n, fill)).value();
}

std::string Hex(const Bytes& b) {
  return core::BinToHex(b);
}

TEST(CalibrationFileText, StartsWithHeaderAndNoteAndKeepsTableOrder) {
  CalibrationFrames frames;
  frames[Section::kBlk5] = Frame(0x31, 16);
  frames[Section::kMap0] = Frame(0x12, 110);
  frames[Section::kAdat0] = Frame(0x16, 110);
  const std::string info = InfoLine("Velmora Workstation", core::VersionText(), {7, 3, 2024});
  EXPECT_EQ(info, "Velmora Workstation" + core::VersionText() + " , file created 07/03/2024");
  // The version text ends in a blank, so two blanks stand before the comma.
  EXPECT_NE(info.find("  , file created "), std::string::npos);

  const std::string text = ComposeCalibrationText({info, "first\r\nsecond"}, frames, false);
  const auto lines = core::SplitCrLf(text);
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0], "[INFO]");
  EXPECT_EQ(lines[1], info);
  EXPECT_EQ(lines[2], "[NOTE]");
  EXPECT_EQ(lines[3], "first");
  EXPECT_EQ(lines[4], "second");
  EXPECT_EQ(lines[5], "[FW]");
  EXPECT_EQ(lines[6], "");  // an empty frame is an empty line
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");

  std::vector<std::string> keys;
  for (std::size_t i = 5; i < lines.size(); i += 2) {
    keys.push_back(lines[i]);
  }
  std::vector<std::string> expected;
  for (const SectionInfo& s : kSections) {
    if (s.holder != Holder::kAdaptiveMap && s.holder != Holder::kSecondMap) {
      expected.emplace_back(s.key);
    }
  }
  expected.emplace_back("");  // the text ends with a line break
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(text.find("[ADAT_"), std::string::npos);
  EXPECT_EQ(text.find("[MAPE_"), std::string::npos);

  // A note line that looks like a key is kept as text, not as a section.
  const std::string keyed = ComposeCalibrationText({info, "[MAP_0]\n[NOTE]"}, frames, false);
  const auto l3 = core::SplitCrLf(keyed);
  EXPECT_EQ(l3[3], " [MAP_0]");
  EXPECT_EQ(l3[4], " [NOTE]");
  const auto parsed = ParseCalibration(l3, Duplicates::kLaterWins);
  EXPECT_EQ(parsed.note, " [MAP_0]\r\n [NOTE]");
  EXPECT_EQ(parsed.frames[Section::kMap0], frames[Section::kMap0]);
  EXPECT_FALSE(parsed.Damaged(Section::kFw));

  const std::string with_adaptive = ComposeCalibrationText({info, ""}, frames, true);
  const auto l2 = core::SplitCrLf(with_adaptive);
  EXPECT_EQ(l2[3], "");  // no note: one empty line
  EXPECT_EQ(LineAfter(l2, "[ADAT_0]"), Hex(frames[Section::kAdat0]));
  EXPECT_EQ(LineAfter(l2, "[MAPE_4]"), "");
}

TEST(CalibrationFileText, ReadersTakeFramesByKeyWithTheDuplicateRules) {
  const Bytes first = Frame(0x12, 110, 0x01);
  const Bytes second = Frame(0x12, 110, 0x02);
  const std::vector<std::string> lines{"[INFO]",   "title",   "[NOTE]",   "a note",  "[UNKNOWN]",
                                       "zz",       "[MAP_2]", Hex(first), "[MAP_2]", Hex(second),
                                       "[MAP_3]",  "",        "[MAP_1]",  "",        "[MAP_1]",
                                       Hex(first), "[BLK_5]"};
  const auto later = ParseCalibration(lines, Duplicates::kLaterWins);
  EXPECT_EQ(later.frames[Section::kMap2], second);
  EXPECT_EQ(later.note, "a note");
  // An empty value line is no occurrence: absent, and it does not hide
  // another one.
  EXPECT_EQ(later.state[Index(Section::kMap3)], SectionState::kAbsent);
  EXPECT_EQ(later.frames[Section::kMap1], first);
  // A key on the last line has no value.
  EXPECT_EQ(later.state[Index(Section::kBlk5)], SectionState::kAbsent);

  const auto first_wins = ParseCalibration(lines, Duplicates::kFirstWins);
  EXPECT_EQ(first_wins.frames[Section::kMap2], first);
  EXPECT_EQ(FindSectionLine(lines, "[MAP_2]"), Hex(first));
  EXPECT_EQ(FindSectionLine(lines, "[BLK_5]"), std::nullopt);
}

TEST(CalibrationFileText, DamagedValuesAreMarkedNeverRead) {
  const Bytes page = Frame(0x12, 110);
  const std::string good = Hex(page);
  const std::vector<std::pair<Section, std::string>> cases{
      {Section::kMap0, good.substr(0, good.size() - 2)},  // cut by a byte
      {Section::kMap0, good.substr(0, good.size() - 1)},  // cut in a byte
      {Section::kMap0, good.substr(0, 10)},               // too short to strip
      {Section::kMap0, "4201XX" + good.substr(6)},        // not hexadecimal
      {Section::kMap4, good},                             // 110 bytes where 112 belong
      {Section::kBlk5, Hex(Frame(0x31, 15))},             // 15 of 16 bytes
      {Section::kVetRpm1, Hex(Frame(0x4B, 90))},          // the time half's size
      {Section::kTRisult, Hex(Frame(0x20, 120))},         // cells without the header byte
      {Section::kFw, Hex(Frame(0x21, 37))},               // no room for the identification
      {Section::kBlk3, "[BLK_6]"},                        // value line missing
  };
  for (const auto& [section, value] : cases) {
    SCOPED_TRACE(std::string(InfoOf(section).key) + " " + value.substr(0, 20));
    const std::vector<std::string> lines{std::string(InfoOf(section).key), value};
    const auto parsed = ParseCalibration(lines, Duplicates::kLaterWins);
    EXPECT_TRUE(parsed.Damaged(section));
    EXPECT_TRUE(parsed.frames[section].empty());
  }
  // A later good occurrence repairs nothing for the first-wins readers, but
  // wins for the whole-file readers.
  const std::vector<std::string> twice{"[MAP_0]", "nothex", "[MAP_0]", good};
  EXPECT_TRUE(ParseCalibration(twice, Duplicates::kFirstWins).Damaged(Section::kMap0));
  EXPECT_TRUE(ParseCalibration(twice, Duplicates::kLaterWins).Present(Section::kMap0));

  // Sizes the table fixes are accepted, and entry blocks of any size.
  EXPECT_TRUE(SectionFrameValid(Section::kMap4, Frame(0x12, 112)));
  EXPECT_TRUE(SectionFrameValid(Section::kFw, Frame(0x21, 62)));
  EXPECT_TRUE(SectionFrameValid(Section::kBlk6, Frame(0x6E, 3)));
  EXPECT_FALSE(SectionFrameValid(Section::kBlk6, Bytes{0x42, 0x01, 0x09, 0x6E, 0x00, 0x00}));
}

TEST(CalibrationFileText, FirmwareYearAndFileKind) {
  const auto fw = [](std::uint8_t hi, std::uint8_t lo) {
    Bytes data(38, 0x20);
    data[4] = hi;
    data[5] = lo;
    return MakeStoredFrame(0x21, data).value();
  };
  EXPECT_EQ(FirmwareYear(fw(0x20, 0x17)), 2017);
  EXPECT_EQ(FirmwareYear(fw(0x20, 0x18)), 2018);
  EXPECT_EQ(FirmwareYear(fw(0x20, 0x1A)), std::nullopt);  // not decimal: not old
  EXPECT_EQ(FirmwareYear(Bytes{0x42, 0x01}), std::nullopt);

  EXPECT_TRUE(IsCurrentFile("/a/b/car.xsi"));
  EXPECT_TRUE(IsCurrentFile("/a/b/CAR.XSI"));
  EXPECT_TRUE(IsCurrentFile("/opt/velmora/bin/up.xsi"));
  EXPECT_FALSE(IsCurrentFile("/a/b/car.qvd"));
  EXPECT_FALSE(IsCurrentFile("/a/b/car.tun"));
  EXPECT_FALSE(IsCurrentFile("xsi"));
}

TEST(CalibrationFileText, Block3NormalisedWithItsCheckByte) {
  Bytes data(75, 0);
  data[1] = 4;
  data[14] = 0;  // cylinder 8: off stays off
  data[15] = 7;
  data[21] = 0;  // cylinder 1 is always on
  data[20] = 2;
  const Bytes frame = MakeStoredFrame(0x0E, data).value();
  const Bytes n = NormaliseBlock3Frame(frame);
  ASSERT_EQ(n.size(), frame.size());
  EXPECT_EQ(n[26], 1);
  EXPECT_EQ(n[25], 1);
  EXPECT_EQ(n[20], 1);
  EXPECT_EQ(n[19], 0);
  EXPECT_EQ(link::CheckXor(n), 0);
  const Bytes short_frame = MakeStoredFrame(0x0E, Bytes(21, 9)).value();  // 27 bytes
  EXPECT_EQ(NormaliseBlock3Frame(short_frame), short_frame);
}

}  // namespace
}  // namespace velmora::calib
