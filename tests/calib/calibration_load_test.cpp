// Loading a calibration file into the ECU: the scopes, the fix-ups, the
// sending order, files that are damaged or hold nothing to load, and failures
// part way.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "calib/calibration_block_codec.h"
#include "calib/calibration_frames.h"
#include "calib/calibration_load.h"
#include "calib/calibration_save.h"
#include "core/hex.h"
#include "tests/calib/calibration_rig.h"

namespace velmora::calib {
namespace {

using testing::CalibrationRig;
using testing::FileLines;
using testing::LineAfter;
using testing::TempDir;
using testing::WithLine;
using testing::WriteText;
using Commands = std::vector<std::uint8_t>;

// A file saved from an ECU whose banks and cylinder count differ from the
// target's, with the service restart bit already set in its service interval
// (block 2 data bytes 13 and 14); `prepare` changes the source ECU first.
std::string SavedFile(const TempDir& dir, const std::string& name,
                      const std::function<void(CalibrationRig&)>& prepare = {}) {
  CalibrationRig source;
  for (const char* bank : {"BANK1", "BANK2", "BANK3"}) {
    for (auto& b : source.ecu.Region(bank)) {
      b = static_cast<std::uint8_t>(b + 0x40);
    }
  }
  source.ecu.Region("BLK3")[1] = 6;
  source.ecu.Region("BLK2")[14] |= 0x80;
  source.ecu.Region("OBD_DATA")[24] = 0x5A;
  if (prepare) {
    prepare(source);
  }
  const std::string path = dir.File(name);
  EXPECT_TRUE(SaveCalibrationFromEcu(source.env, source.access, path));
  return path;
}

Commands Join(std::initializer_list<Commands> parts) {
  Commands out;
  for (const auto& p : parts) {
    out.insert(out.end(), p.begin(), p.end());
  }
  return out;
}

// The data of the first frame sent with `command` (address bytes included).
Bytes SentData(const test::ModelEcu& ecu, std::uint8_t command) {
  for (const Bytes& f : ecu.frames) {
    if (f.size() > 4 && f[3] == command) {
      return Bytes(f.begin() + 4, f.end() - 1);
    }
  }
  return {};
}

TEST(CalibrationLoad, EachScopeSendsExactlyItsRequests) {
  TempDir dir;
  const std::string path = SavedFile(dir, "car.xsi");
  const Commands five_reads(5, 0x12);
  const Commands maps = Join({{0x32, 0x13, 0x13, 0x13, 0x13, 0x13},
                              five_reads,
                              {0x17, 0x17, 0x17, 0x17, 0x17, 0x79, 0x79, 0x79, 0x79, 0x79},
                              Commands(5, 0x16),
                              Commands(5, 0x78)});
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
    CalibrationRig rig;
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
  CalibrationRig rig;
  // The target ECU counts six cylinders in its connection block.
  const std::size_t cylinders =
      static_cast<std::size_t>(rig.table.Entry(5)->fields[6].position) - 6;
  rig.ecu.Region("COLL")[cylinders] = 6;
  rig.ecu.Region("COLL")[cylinders + 1] = 0;
  ASSERT_EQ(rig.table.LeggiVoce(rig.access, 5), link::kOk);
  ASSERT_TRUE(LoadCalibrationToEcu(rig.env, rig.access, path, {}));

  const auto file_data = [&](std::string_view key) {
    return FrameData(core::HexToBin(LineAfter(lines, key)).value());
  };
  Bytes map;
  for (const char* k : {"[MAP_0]", "[MAP_1]", "[MAP_2]", "[MAP_3]", "[MAP_4]"}) {
    const Bytes d = file_data(k);
    map.insert(map.end(), d.begin(), d.end());
  }
  EXPECT_EQ(rig.ecu.Held("BANK1"), map);
  EXPECT_EQ(rig.ecu.Held("COMPANION"), file_data("[BLK_5]"));
  EXPECT_EQ(rig.ecu.Held("COM_PGASX"), file_data("[COM_PGASX]"));

  // "[BLK_3]": cylinder flags from the file's own cylinder count (6).
  const Bytes blk3 = SentData(rig.ecu, 0x11);
  EXPECT_EQ(Bytes(blk3.begin() + 14, blk3.begin() + 22), (Bytes{0, 0, 1, 1, 1, 1, 1, 1}));
  // "[BLK_6]": error enables from the ECU's cylinder count, auxiliary bit 7.
  const Bytes blk6 = SentData(rig.ecu, 0x6F);
  EXPECT_EQ(Bytes(blk6.begin() + 20, blk6.begin() + 28), (Bytes{3, 3, 3, 3, 3, 3, 0, 0}));
  for (std::size_t i = 85; i <= 93; ++i) {
    EXPECT_EQ(blk6[i] & 0x80, 0x80) << i;
  }
  const Bytes file_blk6 = file_data("[BLK_6]");
  EXPECT_EQ(Bytes(blk6.begin(), blk6.begin() + 20),
            Bytes(file_blk6.begin(), file_blk6.begin() + 20));
  // "[OBD_DATA]" data byte 24 cleared.
  EXPECT_EQ(SentData(rig.ecu, 0x45).at(24), 0);
  EXPECT_EQ(file_data("[OBD_DATA]").at(24), 0x5A);
  // Entry 4 read again after 0x14; the service restart bit of the interval
  // (field 9) is set, never toggled: a file that has it keeps it.
  EXPECT_EQ(FrameData(rig.table.LastAnswer(4)), rig.ecu.Held("ERROR_ECU"));
  const auto written2 =
      DecodeEntryCopy(*rig.table.Entry(2), MakeStoredFrame(0x0D, SentData(rig.ecu, 0x10)).value());
  const auto file2 =
      DecodeEntryCopy(*rig.table.Entry(2), core::HexToBin(LineAfter(lines, "[BLK_2]")).value());
  ASSERT_NE(file2.values[9] & 0x8000, 0);
  EXPECT_EQ(written2.values[9], file2.values[9]);
}

TEST(CalibrationLoad, ForeignFilesAndOldFirmware) {
  TempDir dir;
  // The reference calibration: its "[BLK_8]" carries 0xA0 + byte.
  const std::string reference = SavedFile(dir, "reference.xsi", [](CalibrationRig& r) {
    auto blk8 = r.ecu.Region("BLK8");
    for (std::size_t f = 0; f < blk8.size(); ++f) {
      blk8[f] = static_cast<std::uint8_t>(0xA0 + f);
    }
  });
  const std::string saved = SavedFile(dir, "foreign.xsi", [](CalibrationRig& r) {
    r.ecu.Region("BLK6")[44] = 0x01;
    r.ecu.Region("BLK8")[12] = 0x3C;
  });
  for (const std::uint8_t year : {0x17, 0x18}) {
    SCOPED_TRACE(year);
    // The firmware date of the file's identification.
    auto lines = FileLines(saved);
    Bytes fw = core::HexToBin(LineAfter(lines, "[FW]")).value();
    fw[5 + 5] = year;
    fw.back() = link::CheckXor(std::span(fw).first(fw.size() - 1));
    const std::string path = dir.File("foreign.tun");
    WriteText(path, core::JoinCrLf(WithLine(lines, "[FW]", core::BinToHex(fw))));
    const auto file_data = [&](std::string_view key) {
      return FrameData(core::HexToBin(LineAfter(lines, key)).value());
    };

    CalibrationRig rig;
    // The ECU's own counters and service interval differ from the file's.
    auto ecu_blk2 = rig.ecu.Region("BLK2");
    for (std::size_t i = 3; i < ecu_blk2.size(); ++i) {
      ecu_blk2[i] = static_cast<std::uint8_t>(0x90 + i);
    }
    ASSERT_EQ(rig.table.LeggiVoce(rig.access, 2), link::kOk);
    const auto ecu_values = rig.table.Entry(2)->values;
    ASSERT_TRUE(LoadCalibrationToEcu(rig.env, rig.access, path, {LoadScope::kAll, reference, {}}));

    EXPECT_EQ(SentData(rig.ecu, 0x6F)[44], year == 0x17 ? 3 : 1);
    EXPECT_EQ(SentData(rig.ecu, 0x11), file_data("[BLK_3]"));  // unchanged for foreign files
    const Bytes blk8 = SentData(rig.ecu, 0x75);
    const Bytes file_blk8 = file_data("[BLK_8]");
    for (const std::size_t f : {47, 30, 2, 3, 46, 22, 23, 31, 32, 43}) {
      EXPECT_EQ(blk8[f], year == 0x17 ? 0xA0 + f : file_blk8[f]) << f;
    }
    EXPECT_EQ(blk8[45], year == 0x17 ? 0x3C : file_blk8[45]);
    // "[BLK_2]" keeps the ECU's counters, with the service restart bit.
    const core::MessageEntry written = DecodeEntryCopy(
        *rig.table.Entry(2), MakeStoredFrame(0x0D, SentData(rig.ecu, 0x10)).value());
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

  CalibrationRig rig;
  ASSERT_TRUE(LoadCalibrationToEcu(rig.env, rig.access, dir.File("edited.xsi"),
                                   {LoadScope::kMaps, "", {}}));
  const Bytes bank = rig.ecu.Held("BANK1");
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
      CalibrationRig rig;
      rig.ecu.Region("BLK2")[1] = 1;  // even the toggle routine stays quiet
      ASSERT_EQ(rig.table.LeggiVoce(rig.access, 2), link::kOk);
      rig.Forget();
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
    CalibrationRig rig;
    const bool ok = LoadCalibrationToEcu(rig.env, rig.access, dir.File("cut.xsi"), {});
    if (!ok) {
      EXPECT_TRUE(rig.ecu.frames.empty()) << cut;
    }
  }
  CalibrationRig rig;
  EXPECT_FALSE(LoadCalibrationToEcu(rig.env, rig.access, dir.File("none.xsi"), {}));
  EXPECT_TRUE(rig.channel.link.requests.empty());
}

TEST(CalibrationLoad, AFileWithNothingToLoadOrNoIdentificationSendsNothing) {
  TempDir dir;
  // 4 KB that hold no section at all, as a file picked by mistake.
  std::string noise(4096, '\0');
  std::uint32_t x = 12345;
  for (char& c : noise) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  WriteText(dir.File("noise.xsi"), noise);
  const auto lines = FileLines(SavedFile(dir, "car.xsi"));
  std::vector<std::string> switch_over_only{"[FW]", LineAfter(lines, "[FW]")};
  for (const char* key : {"[COM_TGASX]", "[COM_TRIDX]", "[COM_PGASX]", "[COM_PBENX]"}) {
    switch_over_only.insert(switch_over_only.end(), {key, LineAfter(lines, key)});
  }
  WriteText(dir.File("tables.xsi"), core::JoinCrLf(switch_over_only));
  WriteText(dir.File("nofw.xsi"), core::JoinCrLf(WithLine(lines, "[FW]", "")));
  std::vector<std::string> adaptive_only{"[FW]", LineAfter(lines, "[FW]")};
  adaptive_only.insert(adaptive_only.end(), {"[ADAT_0]", LineAfter(lines, "[ADAT_0]")});
  WriteText(dir.File("adaptive.xsi"), core::JoinCrLf(adaptive_only));

  struct Case {
    std::string file;
    LoadScope scope;
    sim::Hardware hw;
    std::optional<Section> blamed;
  };
  const std::vector<Case> refused{
      {"noise.xsi", LoadScope::kAll, sim::Hardware::kNex, std::nullopt},
      {"noise.xsi", LoadScope::kSettings, sim::Hardware::kNex, std::nullopt},
      {"noise.xsi", LoadScope::kMaps, sim::Hardware::kNex, std::nullopt},
      {"noise.xsi", LoadScope::kSwitchOver, sim::Hardware::kNex, std::nullopt},
      {"tables.xsi", LoadScope::kMaps, sim::Hardware::kNex, std::nullopt},
      {"adaptive.xsi", LoadScope::kMaps, sim::Hardware::kSecond, std::nullopt},
      {"nofw.xsi", LoadScope::kAll, sim::Hardware::kNex, Section::kFw},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.file + " " + std::to_string(static_cast<int>(c.scope)));
    CalibrationRig rig(c.hw);
    rig.ecu.Region("BLK2")[1] = 1;  // the toggle routine would write block 2
    ASSERT_EQ(rig.table.LeggiVoce(rig.access, 2), link::kOk);
    rig.Forget();
    CalibrationOutcome outcome;
    EXPECT_FALSE(
        LoadCalibrationToEcu(rig.env, rig.access, dir.File(c.file), {c.scope, "", {}}, &outcome));
    EXPECT_EQ(outcome.error, CalibrationError::kDamagedSection);
    EXPECT_EQ(outcome.section, c.blamed);
    EXPECT_TRUE(rig.channel.link.requests.empty());
  }
  // What the scope writes is there: the missing tables, the other sections
  // and the adaptive maps of an ECU with them are no reason to refuse.
  CalibrationRig tables;
  ASSERT_TRUE(LoadCalibrationToEcu(tables.env, tables.access, dir.File("tables.xsi"),
                                   {LoadScope::kSwitchOver, "", {}}));
  EXPECT_EQ(tables.ecu.Commands(), (Commands{0x7D, 0x7B, 0x7F, 0x81, 0x15}));
  CalibrationRig adaptive;
  EXPECT_TRUE(LoadCalibrationToEcu(adaptive.env, adaptive.access, dir.File("adaptive.xsi"),
                                   {LoadScope::kMaps, "", {}}));
}

TEST(CalibrationLoad, FailurePartWayStopsAndKeepsTheLinkMode) {
  TempDir dir;
  const std::string path = SavedFile(dir, "car.xsi");
  CalibrationRig rig;
  rig.ecu.silent_at_frame = 6;
  CalibrationOutcome outcome;
  EXPECT_FALSE(LoadCalibrationToEcu(rig.env, rig.access, path, {}, &outcome));
  EXPECT_EQ(outcome.error, CalibrationError::kLink);
  EXPECT_EQ(outcome.section, Section::kMap1);
  EXPECT_EQ(rig.ecu.frames.size(), 6u);
  EXPECT_EQ(rig.ecu.parameters.back(), 2);

  // A map that does not read back as written is a failure too.
  CalibrationRig corrupt;
  corrupt.ecu.garbled_command = 0x13;
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
  CalibrationRig rig;
  rig.ecu.Region("BLK2")[1] = 1;
  rig.ecu.Region("BLK2")[2] = 0x04;
  ASSERT_EQ(rig.table.LeggiVoce(rig.access, 2), link::kOk);
  rig.Forget();
  const std::int64_t start = rig.channel.clock.now;
  ASSERT_TRUE(LoadCalibrationToEcu(rig.env, rig.access, path, {LoadScope::kSwitchOver, "", {}}));
  EXPECT_EQ(rig.ecu.Commands(),
            (Commands{0x0D, 0x0E, 0x10, 0x7D, 0x7B, 0x7F, 0x81, 0x5E, 0x15, 0x0D, 0x0E, 0x10}));
  EXPECT_EQ(rig.ecu.frames[2].at(4 + 2), 0x05);  // bit 0 of field 2 inverted
  EXPECT_EQ(rig.ecu.Region("BLK2")[2], 0x04);    // and back
  EXPECT_GE(rig.channel.clock.now - start, 1'000'000);
}

TEST(CalibrationLoad, DirectInjectionBlockWithoutTheBlock) {
  TempDir dir;
  const std::string path = SavedFile(dir, "car.xsi");
  CalibrationRig rig(sim::Hardware::kThird);  // adaptive maps and OBD errors, no direct injection
  int defaults = 0;
  ASSERT_TRUE(LoadCalibrationToEcu(rig.env, rig.access, path,
                                   {LoadScope::kSettings, "", [&defaults] { ++defaults; }}));
  const auto commands = rig.ecu.Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x52), 0);
  EXPECT_EQ(core::BinToHex(rig.table.LastAnswer(18)), LineAfter(FileLines(path), "[BLK_DINST]"));
  EXPECT_EQ(defaults, 0);

  WriteText(dir.File("nodi.xsi"), core::JoinCrLf(WithLine(FileLines(path), "[BLK_DINST]", "")));
  CalibrationRig other;
  ASSERT_TRUE(LoadCalibrationToEcu(other.env, other.access, dir.File("nodi.xsi"),
                                   {LoadScope::kAll, "", [&defaults] { ++defaults; }}));
  EXPECT_EQ(defaults, 1);
  ASSERT_TRUE(LoadCalibrationToEcu(other.env, other.access, dir.File("nodi.xsi"),
                                   {LoadScope::kMaps, "", [&defaults] { ++defaults; }}));
  EXPECT_EQ(defaults, 1);
}

TEST(CalibrationLoadPlan, FixUpsStayInsideTheirBlocks) {
  link::MessageTable table(test::ShippedSetCom().messages);
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
