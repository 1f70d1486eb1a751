// Loading a calibration file into the ECU: the scopes, the fix-ups, the
// sending order, damaged files and failures part way.

#include <gtest/gtest.h>

#include "calib/calibration_block_codec.h"
#include "calib/calibration_frames.h"
#include "calib/calibration_load.h"
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
using Commands = std::vector<std::uint8_t>;

// A file saved from an ECU whose blocks differ from the target's.
std::string SavedFile(const TempDir& dir, const std::string& name, int generation = 3) {
  CalibrationRig source(generation);
  for (auto& [cmd, data] : source.ecu.paged) {
    for (auto& b : data) {
      b = static_cast<std::uint8_t>(b + 0x40);
    }
  }
  const std::string path = dir.File(name);
  EXPECT_TRUE(SaveCalibrationFromEcu(source.env, source.access, path));
  return path;
}

Commands Repeat(std::uint8_t c, int n) {
  return Commands(static_cast<std::size_t>(n), c);
}
Commands Join(std::initializer_list<Commands> parts) {
  Commands out;
  for (const auto& p : parts) {
    out.insert(out.end(), p.begin(), p.end());
  }
  return out;
}

TEST(CalibrationLoad, EachScopeSendsExactlyItsRequests) {
  TempDir dir;
  const std::string path = SavedFile(dir, "car.xsi");
  const Commands maps = Join({{0x32},
                              Repeat(0x13, 5),
                              Repeat(0x12, 5),
                              Repeat(0x17, 5),
                              Repeat(0x79, 5),
                              Repeat(0x16, 5),
                              Repeat(0x78, 5)});
  const Commands axes{0x4C, 0x4C, 0x4F, 0x4F};
  const Commands blocks{0x10, 0x11, 0x6F};
  const Commands switch_over{0x7D, 0x7B, 0x7F, 0x81, 0x5E};
  const Commands settings_tail{0x42, 0x9C, 0x45, 0x63, 0x75, 0x52};
  const std::vector<std::pair<LoadScope, Commands>> cases{
      {LoadScope::kMaps, Join({maps, axes, {0x15}})},
      {LoadScope::kSwitchOver, Join({switch_over, {0x15}})},
      {LoadScope::kSettings, Join({blocks, {0x3D}, switch_over, settings_tail, {0x15}})},
      {LoadScope::kAll, Join({blocks,
                              maps,
                              {0x3D},
                              switch_over,
                              settings_tail,
                              axes,
                              {0x1D, 0x3F, 0x40, 0x14, 0x0F, 0x15}})},
  };
  for (const auto& [scope, expected] : cases) {
    SCOPED_TRACE(static_cast<int>(scope));
    CalibrationRig rig(3);
    CalibrationOutcome outcome;
    ASSERT_TRUE(LoadCalibrationToEcu(rig.env, rig.access, path, {scope, "", {}}, &outcome))
        << static_cast<int>(outcome.error);
    EXPECT_EQ(rig.ecu.Commands(), expected);
    // Under parameter 2 with the long wait around 0x15, then given back.
    EXPECT_EQ(rig.ecu.parameters, (std::vector<int>{2, 0}));
    std::vector<int> types;
    for (const auto& r : rig.channel.link.requests) {
      if (r.type != 6) {
        types.push_back(r.type);
      }
    }
    EXPECT_EQ(types, (std::vector<int>{4, 8, 8, 4}));
    EXPECT_EQ(rig.channel.link.requests.at(rig.channel.link.requests.size() - 4).payload,
              (Bytes{0x10, 0x27, 0, 0}));  // 500 ms x 20
    EXPECT_TRUE(rig.channel.box.shown.empty());
  }
  EXPECT_EQ(LoadScopeOfRequest(17), LoadScope::kMaps);
  EXPECT_EQ(LoadScopeOfRequest(8), std::nullopt);
}

TEST(CalibrationLoad, BlocksArriveInTheEcuWithTheirFixUps) {
  TempDir dir;
  const std::string path = SavedFile(dir, "car.xsi");
  const auto lines = FileLines(path);
  CalibrationRig rig(3);
  ASSERT_TRUE(rig.table.LeggiVoce(rig.access, 5) == link::kOk);  // the ECU's cylinder count
  rig.ecu.frames.clear();
  ASSERT_TRUE(LoadCalibrationToEcu(rig.env, rig.access, path, {}));

  const auto file_data = [&](std::string_view key) {
    return FrameData(core::HexToBin(LineAfter(lines, key)).value());
  };
  Bytes map;
  for (const char* k : {"[MAP_0]", "[MAP_1]", "[MAP_2]", "[MAP_3]", "[MAP_4]"}) {
    const Bytes d = file_data(k);
    map.insert(map.end(), d.begin(), d.end());
  }
  EXPECT_EQ(rig.ecu.paged.at(0x12), map);
  EXPECT_EQ(rig.ecu.blocks.at(0x31), file_data("[BLK_5]"));
  EXPECT_EQ(rig.ecu.blocks.at(0x7E), file_data("[COM_PGASX]"));

  // "[BLK_3]": cylinder flags from the file's own cylinder count (6).
  const Bytes blk3 = rig.ecu.Block(3);
  EXPECT_EQ(Bytes(blk3.begin() + 14, blk3.begin() + 22), (Bytes{0, 0, 1, 1, 1, 1, 1, 1}));
  // "[BLK_6]": error enables from the ECU's cylinder count, auxiliary bit 7.
  const Bytes blk6 = rig.ecu.Block(15);
  EXPECT_EQ(Bytes(blk6.begin() + 20, blk6.begin() + 28), (Bytes{3, 3, 3, 3, 3, 3, 0, 0}));
  for (std::size_t i = 85; i <= 93; ++i) {
    EXPECT_EQ(blk6[i] & 0x80, 0x80) << i;
  }
  const Bytes file_blk6 = file_data("[BLK_6]");
  EXPECT_EQ(Bytes(blk6.begin(), blk6.begin() + 20),
            Bytes(file_blk6.begin(), file_blk6.begin() + 20));
  // "[OBD_DATA]" data byte 24 cleared.
  EXPECT_EQ(rig.ecu.Block(12).at(24), 0);
  EXPECT_NE(file_data("[OBD_DATA]").at(24), 0);
  // Entry 4 read again after 0x14.
  EXPECT_EQ(rig.table.LastAnswer(4), testing::CalibrationEcu::Answer(0x0F, rig.ecu.Block(4)));
}

TEST(CalibrationLoad, ServiceRestartBitIsSetOnEveryLoad) {
  TempDir dir;
  const std::string path = SavedFile(dir, "car.xsi");
  CalibrationRig rig(3);
  const std::size_t service = testing::DataByteOf(*rig.table.Entry(2), 9) + 1;  // high byte
  const std::uint8_t file_high = rig.ecu.Block(2).at(service);
  for (int load = 0; load < 2; ++load) {
    ASSERT_TRUE(LoadCalibrationToEcu(rig.env, rig.access, path, {}));
    EXPECT_EQ(rig.ecu.Block(2).at(service), file_high | 0x80) << load;
  }
}

TEST(CalibrationLoad, ForeignFilesAndOldFirmware) {
  TempDir dir;
  // The reference calibration: its "[BLK_8]" carries 0xA0 + field.
  CalibrationRig ref_rig(3);
  for (std::size_t f = 0; f < ref_rig.ecu.Block(16).size(); ++f) {
    ref_rig.ecu.Block(16)[f] = static_cast<std::uint8_t>(0xA0 + f);
  }
  const std::string reference = dir.File("reference.xsi");
  ASSERT_TRUE(SaveCalibrationFromEcu(ref_rig.env, ref_rig.access, reference));

  for (const std::uint8_t year : {0x17, 0x18}) {
    SCOPED_TRACE(year);
    CalibrationRig source(3);
    source.ecu.Block(0)[5] = year;
    source.ecu.Block(15)[44] = 0x01;
    const std::string path = dir.File("foreign.tun");
    ASSERT_TRUE(SaveCalibrationFromEcu(source.env, source.access, path));
    const Bytes file_blk8 = source.ecu.Block(16);
    const Bytes file_blk3 =
        FrameData(core::HexToBin(LineAfter(FileLines(path), "[BLK_3]")).value());

    CalibrationRig rig(3);
    // The ECU's own counters and service interval differ from the file's.
    Bytes& ecu_blk2 = rig.ecu.Block(2);
    for (std::size_t i = 3; i < ecu_blk2.size(); ++i) {
      ecu_blk2[i] = static_cast<std::uint8_t>(0x90 + i);
    }
    ASSERT_EQ(rig.table.LeggiVoce(rig.access, 2), link::kOk);
    const auto ecu_values = rig.table.Entry(2)->values;
    ASSERT_TRUE(LoadCalibrationToEcu(rig.env, rig.access, path, {LoadScope::kAll, reference, {}}));

    const Bytes blk6 = rig.ecu.Block(15);
    EXPECT_EQ(blk6[44], year == 0x17 ? 3 : 1);
    EXPECT_EQ(rig.ecu.Block(3), file_blk3);  // unchanged for foreign files
    const Bytes blk8 = rig.ecu.Block(16);
    for (const std::size_t f : {47, 30, 2, 3, 46, 22, 23, 31, 32, 43}) {
      EXPECT_EQ(blk8[f], year == 0x17 ? 0xA0 + f : file_blk8[f]) << f;
    }
    EXPECT_EQ(blk8[45], year == 0x17 ? file_blk8[12] : file_blk8[45]);
    // "[BLK_2]" keeps the ECU's counters, with the service restart bit.
    const core::MessageEntry written = DecodeEntryCopy(
        *rig.table.Entry(2), testing::CalibrationEcu::Answer(0x0D, rig.ecu.Block(2)));
    for (const std::size_t f : {3, 4, 10, 11}) {
      EXPECT_EQ(written.values[f], ecu_values[f]) << f;
    }
    EXPECT_EQ(written.values[9], ecu_values[9] | 0x8000);
    // Foreign files do not clear the petrol tuning table.
    const auto commands = rig.ecu.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x1D), 0);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x3F), 1);
  }
}

TEST(CalibrationLoad, EditedFilesLoadWhatTheySay) {
  TempDir dir;
  const std::string path = SavedFile(dir, "car.xsi");
  auto lines = FileLines(path);
  // A wrong check byte on "[MAP_0]" is not checked.
  std::string map0 = LineAfter(lines, "[MAP_0]");
  map0.replace(map0.size() - 2, 2, map0.substr(map0.size() - 2) == "00" ? "01" : "00");
  lines = WithLine(lines, "[MAP_0]", map0);
  // A second "[MAP_2]" at the end wins.
  const Bytes second_page(110, 0x5A);
  lines.push_back("[MAP_2]");
  lines.push_back(core::BinToHex(MakeStoredFrame(0x12, second_page).value()));
  // A damaged section the load ignores does not stop it.
  lines = WithLine(lines, "[BLK_1]", "garbage");
  WriteText(dir.File("edited.xsi"), core::JoinCrLf(lines));

  CalibrationRig rig(3);
  ASSERT_TRUE(LoadCalibrationToEcu(rig.env, rig.access, dir.File("edited.xsi"),
                                   {LoadScope::kMaps, "", {}}));
  const Bytes& bank = rig.ecu.paged.at(0x12);
  EXPECT_EQ(Bytes(bank.begin() + 220, bank.begin() + 330), second_page);
  EXPECT_EQ(Bytes(bank.begin(), bank.begin() + 110), FrameData(core::HexToBin(map0).value()));
}

TEST(CalibrationLoad, DamagedFilesSendNothing) {
  TempDir dir;
  const std::string path = SavedFile(dir, "car.xsi");
  const auto lines = FileLines(path);
  const std::string map3 = LineAfter(lines, "[MAP_3]");
  const std::vector<std::pair<std::string, std::string>> damage{
      {"[MAP_3]", map3.substr(0, 120)},  // truncated
      {"[MAP_3]", map3.substr(0, 11)},   // shorter than a frame
      {"[BLK_6]", "42 01"},              // not hexadecimal
      {"[BLK_5]", core::BinToHex(MakeStoredFrame(0x31, Bytes(15, 1)).value())},
      {"[VET_TINJ_1]", core::BinToHex(MakeStoredFrame(0x4E, Bytes(64, 1)).value())},
      {"[FW]", "4201"},
  };
  for (const auto& [key, value] : damage) {
    SCOPED_TRACE(key + " " + value.substr(0, 16));
    WriteText(dir.File("bad.xsi"), core::JoinCrLf(WithLine(lines, key, value)));
    for (const LoadScope scope : {LoadScope::kAll, LoadScope::kSwitchOver}) {
      CalibrationRig rig(3);
      rig.ecu.Block(2).at(1) = 1;  // even the toggle routine stays quiet
      ASSERT_EQ(rig.table.LeggiVoce(rig.access, 2), link::kOk);
      rig.channel.link.requests.clear();
      rig.ecu.frames.clear();
      CalibrationOutcome outcome;
      EXPECT_FALSE(LoadCalibrationToEcu(rig.env, rig.access, dir.File("bad.xsi"), {scope, "", {}},
                                        &outcome));
      EXPECT_EQ(outcome.error, CalibrationError::kDamagedSection);
      EXPECT_EQ(outcome.section, SectionOfKey(key));
      EXPECT_TRUE(rig.channel.link.requests.empty());
    }
  }
  // Lines cut anywhere, and a missing file: never a crash, never a frame.
  const std::string text = testing::FileText(path);
  for (std::size_t cut = 0; cut < text.size(); cut += 97) {
    WriteText(dir.File("cut.xsi"), text.substr(0, cut));
    CalibrationRig rig(3);
    const bool ok = LoadCalibrationToEcu(rig.env, rig.access, dir.File("cut.xsi"), {});
    if (!ok) {
      EXPECT_TRUE(rig.ecu.frames.empty()) << cut;
    }
  }
  CalibrationRig rig(3);
  EXPECT_FALSE(LoadCalibrationToEcu(rig.env, rig.access, dir.File("none.xsi"), {}));
  EXPECT_TRUE(rig.channel.link.requests.empty());
}

TEST(CalibrationLoad, FailurePartWayStopsAndKeepsTheLinkMode) {
  TempDir dir;
  const std::string path = SavedFile(dir, "car.xsi");
  CalibrationRig rig(3);
  rig.ecu.fail_at_frame = 6;
  CalibrationOutcome outcome;
  EXPECT_FALSE(LoadCalibrationToEcu(rig.env, rig.access, path, {}, &outcome));
  EXPECT_EQ(outcome.error, CalibrationError::kLink);
  EXPECT_EQ(outcome.section, Section::kMap1);
  EXPECT_EQ(rig.ecu.frames.size(), 6u);
  EXPECT_EQ(rig.ecu.parameters.back(), 2);

  // A map that does not read back as written is a failure too.
  CalibrationRig corrupt(3);
  corrupt.ecu.corrupt_map_writes = true;
  EXPECT_FALSE(LoadCalibrationToEcu(corrupt.env, corrupt.access, path, {}, &outcome));
  EXPECT_EQ(outcome.error, CalibrationError::kReadBackMismatch);
  EXPECT_EQ(outcome.section, Section::kMap0);
  ASSERT_EQ(corrupt.channel.box.shown.size(), 1u);
  EXPECT_NE(corrupt.channel.box.shown[0].text.find("Writing the map to the ECU failed"),
            std::string::npos);
  const auto commands = corrupt.ecu.Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x15), 0);
}

TEST(CalibrationLoad, ToggleRoutineRunsAroundTheLoad) {
  TempDir dir;
  const std::string path = SavedFile(dir, "car.xsi");
  CalibrationRig rig(3);
  rig.ecu.Block(2).at(1) = 1;
  rig.ecu.Block(2).at(2) = 0x04;
  ASSERT_EQ(rig.table.LeggiVoce(rig.access, 2), link::kOk);
  rig.ecu.frames.clear();
  const std::int64_t start = rig.channel.clock.now;
  ASSERT_TRUE(LoadCalibrationToEcu(rig.env, rig.access, path, {LoadScope::kSwitchOver, "", {}}));
  EXPECT_EQ(rig.ecu.Commands(),
            (Commands{0x0D, 0x0E, 0x10, 0x7D, 0x7B, 0x7F, 0x81, 0x5E, 0x15, 0x0D, 0x0E, 0x10}));
  EXPECT_EQ(rig.ecu.frames[2].at(4 + 2), 0x05);  // bit 0 of field 2 inverted
  EXPECT_EQ(rig.ecu.Block(2).at(2), 0x04);       // and back
  EXPECT_GE(rig.channel.clock.now - start, 1'000'000);
}

TEST(CalibrationLoad, DirectInjectionBlockWithoutTheBlock) {
  TempDir dir;
  const std::string path = SavedFile(dir, "car.xsi");
  CalibrationRig rig(2);  // adaptive maps and OBD errors, no direct injection
  int defaults = 0;
  ASSERT_TRUE(LoadCalibrationToEcu(rig.env, rig.access, path,
                                   {LoadScope::kSettings, "", [&defaults] { ++defaults; }}));
  const auto commands = rig.ecu.Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x52), 0);
  EXPECT_EQ(core::BinToHex(rig.table.LastAnswer(18)), LineAfter(FileLines(path), "[BLK_DINST]"));
  EXPECT_EQ(defaults, 0);

  WriteText(dir.File("nodi.xsi"), core::JoinCrLf(WithLine(FileLines(path), "[BLK_DINST]", "")));
  CalibrationRig other(3);
  ASSERT_TRUE(LoadCalibrationToEcu(other.env, other.access, dir.File("nodi.xsi"),
                                   {LoadScope::kAll, "", [&defaults] { ++defaults; }}));
  EXPECT_EQ(defaults, 1);
  ASSERT_TRUE(LoadCalibrationToEcu(other.env, other.access, dir.File("nodi.xsi"),
                                   {LoadScope::kMaps, "", [&defaults] { ++defaults; }}));
  EXPECT_EQ(defaults, 1);
}

TEST(CalibrationLoadPlan, FixUpsStayInsideTheirBlocks) {
  link::MessageTable table(testing::ShippedSetCom().messages);
  ParsedCalibration file;
  const auto put = [&file](Section s, Bytes frame) {
    file.frames[s] = std::move(frame);
    file.state[Index(s)] = SectionState::kPresent;
  };
  put(Section::kBlk3, MakeStoredFrame(0x0E, Bytes{1, 4, 9}).value());
  put(Section::kBlk6, MakeStoredFrame(0x6E, Bytes(22, 1)).value());
  put(Section::kObdData, MakeStoredFrame(0x44, Bytes(10, 7)).value());
  put(Section::kBlk8, MakeStoredFrame(0x74, Bytes(3, 0x1F)).value());
  LoadInputs in{table, FlagsForGeneration(1), 1, true, {}};
  const auto plan = PrepareLoad(file, in);
  ASSERT_TRUE(plan.has_value());
  std::map<Section, Bytes> written;
  for (const auto& r : plan->requests) {
    written[r.section] = r.written;
    EXPECT_EQ(link::CheckXor(r.frame), 0);
  }
  EXPECT_EQ(written[Section::kBlk3], (Bytes{1, 4, 9}));
  EXPECT_EQ(written[Section::kBlk6].size(), 22u);
  EXPECT_EQ(written[Section::kBlk6][21], 0);  // no cylinders known: disabled
  EXPECT_EQ(written[Section::kObdData], Bytes(10, 7));
  // Generation 1 clears bit 4 of field 1; fields beyond the file's three
  // bytes keep the table's values and the block keeps the layout's size.
  ASSERT_EQ(written[Section::kBlk8].size(), 56u);
  EXPECT_EQ(written[Section::kBlk8][1], 0x0F);
  EXPECT_EQ(written[Section::kBlk8][0], 0x1F);
  EXPECT_FALSE(plan->old_firmware);
}

}  // namespace
}  // namespace velmora::calib
