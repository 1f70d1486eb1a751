// Whole calibrations through the real processes: velmora-cli read, write and
// show against LinkSrv and velmora-ecusim, with the virtual ECU's record of
// the requests it received; and the shipped reference calibration.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "calib/calibration_file.h"
#include "calib/calibration_frames.h"
#include "calib/calibration_import.h"
#include "calib/calibration_load.h"
#include "calib/calibration_reference.h"
#include "calib/calibration_sections.h"
#include "core/files.h"
#include "core/hex.h"
#include "core/set_com.h"
#include "core/text.h"
#include "link/message_table.h"
#include "tests/e2e/e2e_support.h"

namespace velmora::e2e {
namespace {

using calib::Section;

constexpr std::string_view kReferenceName = "00 Direct Inj Custom.xsi";
// The waits the link server gives a silent ECU, kept short.
const SetComValues kShortWaits{{"[AttesaGlobale_usec]", "300000"}};

// Every command a load may send, writes and finishing commands; the reads
// the tool makes before a load (blocks 2, 3, 6 and the connection block) and
// the map read-backs are not among them.
const std::set<std::uint8_t> kLoadCommands = {0x10, 0x11, 0x6F, 0x32, 0x13, 0x17, 0x79, 0x3D, 0x7D,
                                              0x7B, 0x7F, 0x81, 0x5E, 0x42, 0x9C, 0x45, 0x63, 0x75,
                                              0x52, 0x4C, 0x4F, 0x1D, 0x3F, 0x40, 0x14, 0x15};

// The data bytes of the OBD record that the ECU fills with readings from the
// car, and the block 2 counters that a load's service restart clears (the
// hours since the service, the shared minutes).
constexpr std::size_t kObdReadingsFirst = 25;
constexpr std::size_t kObdReadingsLast = 55;
constexpr std::array<std::size_t, 4> kServiceCounterBytes = {10, 11, 15, 16};

std::string StageDir() {
  const char* stage = std::getenv("VELMORA_STAGE");
  return stage != nullptr ? stage : "";
}

// A virtual ECU serving `root` whose received requests are recorded.
struct Rig {
  // `state`: the virtual ECU's memory to start from, as its state file holds
  // it; empty for the factory calibration.
  explicit Rig(std::vector<std::string> sim_args = {}, const std::string& state = {})
      : root(kShortWaits),
        record(root.Root() + "/requests.txt"),
        state_file(WriteState(root, state)),
        sim(root, WithRecord(sim_args)) {}

  static std::string WriteState(const TempRoot& root, const std::string& state) {
    if (state.empty()) {
      return {};
    }
    const std::string path = root.Root() + "/ecu-state.txt";
    EXPECT_TRUE(core::WriteFileAtomic(path, state));
    return path;
  }
  std::vector<std::string> WithRecord(std::vector<std::string> args) const {
    args.insert(args.end(), {"--slow-ms", "50", "--record", record});
    if (!state_file.empty()) {
      args.insert(args.end(), {"--state", state_file});
    }
    return args;
  }
  [[nodiscard]] std::string File(const std::string& name) const { return root.Root() + "/" + name; }
  CliRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--port", std::to_string(sim.Port())});
    return RunCli(root, args);
  }
  // The command bytes of the requests received since the last call.
  std::vector<std::uint8_t> Commands() {
    std::string text;
    (void)core::ReadWholeFile(record, text);
    std::vector<std::uint8_t> out;
    for (const std::string& line : core::Split(text.substr(seen), '\n')) {
      const auto frame = core::HexToBin(line.substr(0, line.find(' ')));
      if (frame && frame->size() > 3) {
        out.push_back((*frame)[3]);
      }
    }
    seen = text.size();
    return out;
  }
  std::vector<std::uint8_t> LoadCommands() {
    std::vector<std::uint8_t> out;
    for (const std::uint8_t c : Commands()) {
      if (kLoadCommands.count(c) != 0) {
        out.push_back(c);
      }
    }
    return out;
  }

  TempRoot root;
  std::string record;
  std::string state_file;
  Sim sim;
  std::size_t seen = 0;
};

calib::ParsedCalibration Parse(const std::string& path) {
  std::vector<std::string> lines;
  EXPECT_TRUE(core::LeggiRighe(path, lines)) << path;
  return calib::ParseCalibration(lines, calib::Duplicates::kLaterWins);
}

std::vector<std::string> Lines(const std::string& path) {
  std::vector<std::string> lines;
  (void)core::LeggiRighe(path, lines);
  return lines;
}

// The line after `key`, by reference so a test can damage it.
std::string& LineOf(std::vector<std::string>& lines, std::string_view key) {
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i] == key) {
      return lines[i + 1];
    }
  }
  ADD_FAILURE() << "no " << key;
  static std::string none;
  return none;
}

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

bool LoadWrites(Section s) {
  return calib::LoadReads(s) && calib::InfoOf(s).write_command != 0;
}

// The frame with the bytes the ECU changes by itself blanked out.
Bytes Steady(Section s, Bytes frame) {
  auto blank = [&frame](std::size_t data_byte) {
    if (5 + data_byte + 1 < frame.size()) {
      frame[5 + data_byte] = 0;
    }
  };
  if (s == Section::kObdData) {
    for (std::size_t i = kObdReadingsFirst; i <= kObdReadingsLast; ++i) {
      blank(i);
    }
  }
  if (s == Section::kBlk2) {
    for (const std::size_t i : kServiceCounterBytes) {
      blank(i);
    }
  }
  if (!frame.empty()) {
    frame.back() = 0;
  }
  return frame;
}

std::uint8_t DataByte(const Bytes& frame, std::size_t k) {
  return 5 + k + 1 < frame.size() ? frame[5 + k] : 0xFF;
}

TEST(CalibE2e, SaveLoadSaveKeepsEverySectionTheLoadWrites) {
  Rig rig;
  ASSERT_TRUE(rig.sim.Ready());
  const std::string a = rig.File("a.xsi");
  const std::string b = rig.File("b.xsi");
  CliRun run = rig.Cli({"read", a});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  // The file begins with the information and the note.
  const auto lines = Lines(a);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "[INFO]");
  EXPECT_NE(lines[1].find(" , file created "), std::string::npos) << lines[1];
  EXPECT_EQ(lines[2], "[NOTE]");
  EXPECT_EQ(lines[3], "");

  run = rig.Cli({"write", a});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  run = rig.Cli({"read", b});
  ASSERT_EQ(run.exit_code, 0) << run.err;

  const auto fa = Parse(a);
  const auto fb = Parse(b);
  int compared = 0;
  for (const auto& info : calib::kSections) {
    SCOPED_TRACE(info.key);
    EXPECT_TRUE(fa.Present(info.id));  // the newest hardware has every block
    if (!LoadWrites(info.id)) {
      continue;
    }
    EXPECT_EQ(Steady(info.id, fa.frames[info.id]), Steady(info.id, fb.frames[info.id]));
    ++compared;
  }
  EXPECT_EQ(compared, 35);
  // The load restarts the service count; the interval stays.
  for (const std::size_t i : kServiceCounterBytes) {
    EXPECT_EQ(DataByte(fb.frames[Section::kBlk2], i), 0) << i;
  }
  // The finishing steps cleared the tuning tables but for their header byte.
  const Bytes& risult = fb.frames[Section::kTRisult];
  ASSERT_EQ(risult.size(), 127u);
  EXPECT_EQ(Bytes(risult.begin() + 6, risult.end() - 1), Bytes(120, 0));
}

TEST(CalibE2e, AnEditedMapChangesOnlyThatMap) {
  Rig rig;
  ASSERT_TRUE(rig.sim.Ready());
  const std::string a = rig.File("a.xsi");
  ASSERT_EQ(rig.Cli({"read", a}).exit_code, 0);
  CliRun bank = rig.Cli({"bank", "read", "1"});
  ASSERT_EQ(bank.exit_code, 0) << bank.err;
  Bytes expected = core::HexToBin(FirstLine(bank.out)).value_or(Bytes{});
  ASSERT_EQ(expected.size(), 552u) << bank.out;

  // Cell 7 of page 2 raised by 9, the check byte left as it was: the load
  // drops it unchecked.
  auto lines = Lines(a);
  std::string& page = LineOf(lines, "[MAP_2]");
  Bytes frame = core::HexToBin(page).value_or(Bytes{});
  ASSERT_EQ(frame.size(), 116u);
  frame[5 + 7] = static_cast<std::uint8_t>(frame[5 + 7] + 9);
  page = core::BinToHex(frame);
  const std::string edited = rig.File("edited.xsi");
  ASSERT_TRUE(core::WriteFileAtomic(edited, core::JoinCrLf(lines)));
  expected[220 + 7] = frame[5 + 7];

  CliRun run = rig.Cli({"write", edited, "--scope", "maps"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  bank = rig.Cli({"bank", "read", "1"});
  ASSERT_EQ(bank.exit_code, 0) << bank.err;
  EXPECT_EQ(FirstLine(bank.out), core::BinToHex(expected));

  const std::string c = rig.File("c.xsi");
  ASSERT_EQ(rig.Cli({"read", c}).exit_code, 0);
  const auto fa = Parse(a);
  const auto fc = Parse(c);
  for (const auto& info : calib::kSections) {
    if (!LoadWrites(info.id)) {
      continue;
    }
    SCOPED_TRACE(info.key);
    Bytes want = fa.frames[info.id];
    if (info.id == Section::kMap2) {
      want[5 + 7] = frame[5 + 7];
    }
    EXPECT_EQ(Steady(info.id, want), Steady(info.id, fc.frames[info.id]));
  }
}

TEST(CalibE2e, EachScopeSendsExactlyItsRequests) {
  Rig rig;
  ASSERT_TRUE(rig.sim.Ready());
  const std::string a = rig.File("a.xsi");
  ASSERT_EQ(rig.Cli({"read", a}).exit_code, 0);
  (void)rig.Commands();

  const std::vector<std::uint8_t> maps = {0x32, 0x13, 0x13, 0x13, 0x13, 0x13, 0x17, 0x17,
                                          0x17, 0x17, 0x17, 0x79, 0x79, 0x79, 0x79, 0x79};
  const std::vector<std::uint8_t> axes = {0x4C, 0x4C, 0x4F, 0x4F};
  const std::vector<std::uint8_t> switch_over = {0x7D, 0x7B, 0x7F, 0x81, 0x5E};
  const std::vector<std::uint8_t> blocks = {0x10, 0x11, 0x6F};
  const std::vector<std::uint8_t> rest = {0x42, 0x9C, 0x45, 0x63, 0x75, 0x52};
  auto join = [](std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& p : parts) {
      all.insert(all.end(), p.begin(), p.end());
    }
    return all;
  };
  const std::vector<std::uint8_t> slow = {0x15};
  const std::vector<std::uint8_t> finishing = {0x1D, 0x3F, 0x40, 0x14, 0x15};
  const std::vector<std::uint8_t> rit = {0x3D};
  struct Case {
    std::string scope;
    std::vector<std::uint8_t> sent;
  };
  const std::vector<Case> cases = {
      {"switchover", join({switch_over, slow})},
      {"maps", join({maps, axes, slow})},
      {"settings", join({blocks, rit, switch_over, rest, slow})},
      {"all", join({blocks, maps, rit, switch_over, rest, axes, finishing})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scope);
    const CliRun run = rig.Cli({"write", a, "--scope", c.scope});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(core::BinToHex(rig.LoadCommands()), core::BinToHex(c.sent));
  }
  const CliRun bad = rig.Cli({"write", a, "--scope", "most"});
  EXPECT_EQ(bad.exit_code, 2);
  EXPECT_TRUE(rig.LoadCommands().empty());
}

TEST(CalibE2e, AnEcuInASubStateGetsTheBlock2ToggleAroundTheLoad) {
  // Block 2 with its sub-state (data byte 1) set.
  Bytes block2(20, 0);
  block2[1] = 1;
  Rig rig({}, "[BLK2]\r\n" + core::BinToHex(block2) + "\r\n");
  ASSERT_TRUE(rig.sim.Ready());
  const std::string a = rig.File("a.xsi");
  ASSERT_EQ(rig.Cli({"read", a}).exit_code, 0);
  (void)rig.Commands();
  const CliRun run = rig.Cli({"write", a, "--scope", "settings"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  // The toggle writes block 2 before the file's blocks and once more after
  // everything else.
  const std::string sent = core::BinToHex(rig.LoadCommands());
  EXPECT_EQ(sent.substr(0, 6), "101011") << sent;
  EXPECT_EQ(sent.substr(sent.size() - 4), "1510") << sent;
}

// The requests the session sends to the ECU before a command's own work:
// the identification, the matched entry's request and the full read.
std::size_t ConnectRequests() {
  Rig probe;
  EXPECT_TRUE(probe.sim.Ready());
  EXPECT_EQ(probe.Cli({"identify"}).exit_code, 0);
  return probe.Commands().size();
}

TEST(CalibE2e, LinkLostDuringASaveLeavesTheOldFile) {
  // Connecting, then 19 reads of the save; the rest goes unanswered.
  const std::size_t connect = ConnectRequests();
  ASSERT_GT(connect, 2u);
  Rig rig({"--silent-after", std::to_string(connect + 19)});
  ASSERT_TRUE(rig.sim.Ready());
  const std::string path = rig.File("kept.xsi");
  const std::string old_text = "[INFO]\r\nan older calibration\r\n";
  ASSERT_TRUE(core::WriteFileAtomic(path, old_text));
  const CliRun run = rig.Cli({"read", path});
  ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
  EXPECT_EQ(*run.exit_code, 1);
  EXPECT_NE(run.err.find("saving the calibration"), std::string::npos) << run.err;
  std::string text;
  ASSERT_TRUE(core::ReadWholeFile(path, text));
  EXPECT_EQ(text, old_text);
  // No half-written file next to it either.
  int files = 0;
  for (const auto& e : fs::directory_iterator(rig.root.Root())) {
    files += e.is_regular_file() && e.path().extension() != ".txt" ? 1 : 0;
  }
  EXPECT_EQ(files, 1);
  // The save stopped at the first request left unanswered.
  EXPECT_EQ(rig.Commands().size(), connect + 20);
}

TEST(CalibE2e, LoadFailingPartWayReportsFalseAndStops) {
  Rig source;
  ASSERT_TRUE(source.sim.Ready());
  const std::string a = source.File("a.xsi");
  ASSERT_EQ(source.Cli({"read", a}).exit_code, 0);

  // The ECU falls silent after the third map page.
  const std::size_t connect = ConnectRequests();
  Rig rig({"--silent-after", std::to_string(connect + 7)});
  ASSERT_TRUE(rig.sim.Ready());
  const CliRun run = rig.Cli({"write", a});
  ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
  EXPECT_EQ(*run.exit_code, 1);
  EXPECT_NE(run.err.find("loading"), std::string::npos) << run.err;
  EXPECT_EQ(core::BinToHex(rig.LoadCommands()), "10116F3213131313");
}

TEST(CalibE2e, DamagedFilesLoadNothing) {
  Rig rig;
  ASSERT_TRUE(rig.sim.Ready());
  const std::string a = rig.File("a.xsi");
  ASSERT_EQ(rig.Cli({"read", a}).exit_code, 0);
  const auto good = Lines(a);
  (void)rig.Commands();

  struct Damage {
    std::string name;
    std::string key;
    std::function<void(std::string&)> change;
  };
  const Bytes blk5_short = calib::MakeStoredFrame(0x31, Bytes(15, 1)).value();
  const std::vector<Damage> damages = {
      {"truncated map page", "[MAP_4]", [](std::string& l) { l.resize(l.size() / 2); }},
      {"not hexadecimal", "[BLK_3]", [](std::string& l) { l[20] = 'G'; }},
      {"record of 15 bytes", "[BLK_5]", [&](std::string& l) { l = core::BinToHex(blk5_short); }},
      {"shorter than a frame", "[VET_RPM_1]", [](std::string& l) { l = "4201444B00"; }},
      {"odd digit count", "[COM_SMAG]", [](std::string& l) { l.pop_back(); }},
  };
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.name);
    auto lines = good;
    d.change(LineOf(lines, d.key));
    const std::string path = rig.File("damaged.xsi");
    ASSERT_TRUE(core::WriteFileAtomic(path, core::JoinCrLf(lines)));
    const CliRun run = rig.Cli({"write", path});
    ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
    EXPECT_EQ(*run.exit_code, 1);
    EXPECT_NE(run.err.find(d.key), std::string::npos) << run.err;
    EXPECT_TRUE(rig.LoadCommands().empty());
    // Opening it shows the rest and names what it left out.
    const CliRun show = rig.Cli({"show", path});
    EXPECT_EQ(show.exit_code, 0) << show.err;
  }
  // A file cut off in the middle of a line.
  std::string text;
  ASSERT_TRUE(core::ReadWholeFile(a, text));
  const std::string cut = rig.File("cut.xsi");
  ASSERT_TRUE(core::WriteFileAtomic(cut, text.substr(0, text.size() / 3 + 7)));
  EXPECT_EQ(rig.Cli({"write", cut}).exit_code, 1);
  EXPECT_TRUE(rig.LoadCommands().empty());
  // A file that is not there sends nothing at all.
  EXPECT_EQ(rig.Cli({"write", rig.File("none.xsi")}).exit_code, 1);
  EXPECT_TRUE(rig.Commands().empty());
}

TEST(CalibE2e, ShowPrintsTheDecodedEntries) {
  Rig rig({"--hw", "3rd"});
  ASSERT_TRUE(rig.sim.Ready());
  const std::string a = rig.File("a.xsi");
  ASSERT_EQ(rig.Cli({"read", a}).exit_code, 0);
  const CliRun run = RunCli(rig.root, {"show", a});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  // Cylinders in block 3 and in the connection block, the system identifier.
  for (const std::string line : {"3.1=6\n", "5.6=6\n", "15.47=1\n", "2.9=500\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line;
  }
  // Each line is entry.field=value.
  std::size_t count = 0;
  for (const std::string& line : core::Split(run.out, '\n')) {
    if (line.empty()) {
      continue;
    }
    ++count;
    const auto dot = line.find('.');
    const auto eq = line.find('=');
    ASSERT_TRUE(dot != std::string::npos && eq != std::string::npos && dot < eq) << line;
  }
  EXPECT_GT(count, 500u);
  EXPECT_EQ(RunCli(rig.root, {"show", rig.File("none.xsi")}).exit_code, 1);
}

TEST(CalibE2e, OlderHardwareSavesTheReferenceBlocks) {
  Rig rig({"--hw", "2nd"});
  ASSERT_TRUE(rig.sim.Ready());
  const std::string lng = rig.root.Root() + "/lng";
  fs::create_directories(lng);
  fs::copy_file(StageDir() + "/lng/" + std::string(kReferenceName),
                lng + "/" + std::string(kReferenceName));
  const std::string a = rig.File("a.xsi");
  const CliRun run = rig.Cli({"read", a});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const auto lines = Lines(a);
  for (const std::string& line : lines) {
    EXPECT_TRUE(line.rfind("[ADAT_", 0) != 0 && line.rfind("[MAPE_", 0) != 0) << line;
  }
  const auto file = Parse(a);
  const auto reference = Parse(lng + "/" + std::string(kReferenceName));
  for (const Section s : {Section::kBlkDinst, Section::kObdErr, Section::kObdInfoErr}) {
    EXPECT_TRUE(file.Present(s));
    EXPECT_EQ(file.frames[s], reference.frames[s]);
  }
  const auto sent = rig.Commands();
  for (const std::uint8_t absent : {0x16, 0x78, 0x51, 0x9B, 0x9D}) {
    EXPECT_EQ(std::count(sent.begin(), sent.end(), absent), 0) << int{absent};
  }
}

TEST(CalibE2e, ShippedReferenceCalibrationOpensCleanly) {
  const std::string lng = StageDir() + "/lng";
  const std::string path = lng + "/" + std::string(kReferenceName);
  const auto file = Parse(path);
  for (const auto& info : calib::kSections) {
    EXPECT_TRUE(file.Present(info.id)) << info.key;
  }
  std::vector<std::string> set_com;
  ASSERT_TRUE(core::LeggiRighe(StageDir() + "/bin/SetCom.ini", set_com));
  const link::MessageTable table(core::LeggiSetCom(set_com).messages);
  EXPECT_EQ(calib::ReadBlockVariableFromFile(table, calib::entry::kBlock6, path, "[BLK_6]",
                                             calib::kSystemIdField),
            1);
  const auto axes = calib::ReadAxisVectorsFromFile(path);
  ASSERT_TRUE(axes);
  EXPECT_EQ(axes->rpm.size(), 128u);
  EXPECT_EQ(axes->time.size(), 180u);
  const auto list = calib::ListReferenceCalibrations(table, lng);
  const auto it = std::find_if(list.begin(), list.end(),
                               [](const auto& r) { return r.name == "00 Direct Inj Custom"; });
  ASSERT_NE(it, list.end());
  EXPECT_EQ(it->system_id, 1);
}

}  // namespace
}  // namespace velmora::e2e
