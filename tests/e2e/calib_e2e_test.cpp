// Whole calibrations through the real processes: velmora-cli read, write and
// show against LinkSrv and velmora-ecusim, with the virtual ECU's record of
// the requests it received; and the shipped reference calibration. The load's
// scopes, fix-ups, damaged files and failures are the unit tests' (tests/calib).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "calib/calibration_file.h"
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
  explicit Rig(std::vector<std::string> sim_args = {})
      : root(kShortWaits), record(root.Root() + "/requests.txt"), sim(root, WithRecord(sim_args)) {}

  std::vector<std::string> WithRecord(std::vector<std::string> args) const {
    args.insert(args.end(), {"--slow-ms", "50", "--record", record.Path()});
    return args;
  }
  [[nodiscard]] std::string File(const std::string& name) const { return root.Root() + "/" + name; }
  CliRun Cli(std::vector<std::string> args) { return RunCli(root, WithPort(sim, std::move(args))); }
  // The command bytes of the requests received since the last call.
  std::vector<std::uint8_t> Commands() { return record.Commands(); }

  TempRoot root;
  RequestRecord record;
  Sim sim;
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

// Noise in a calibration file's name.
std::string Noise(std::size_t size) {
  std::string noise(size, '\0');
  std::uint32_t x = 2024;
  for (char& c : noise) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  return noise;
}

bool Clears(std::uint8_t command) {
  return command == 0x1D || command == 0x1E || command == 0x3F || command == 0x40;
}

TEST(CalibE2e, AFileWithNothingToLoadIsRefusedAndTheTuningTablesStay) {
  // 4 KB of noise: refused before anything starts.
  Rig rig;
  ASSERT_TRUE(rig.sim.Ready());
  const std::string noise = rig.File("noise.xsi");
  ASSERT_TRUE(core::WriteFileAtomic(noise, Noise(4096)));
  CliRun run = rig.Cli({"write", noise});
  ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
  EXPECT_EQ(*run.exit_code, 1);
  EXPECT_NE(run.err.find("loading " + noise + " failed: the file is damaged"), std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("Calibration loaded into the ECU"), std::string::npos) << run.err;
  EXPECT_TRUE(rig.Commands().empty());
  EXPECT_EQ(rig.Cli({"write", rig.File("none.xsi")}).exit_code, 1);
  EXPECT_TRUE(rig.Commands().empty());

  // Only adaptive map pages, for an ECU without them: the session's load
  // finds nothing to write and sends no write and no finishing step.
  Rig older({"--hw", "2nd"});
  ASSERT_TRUE(older.sim.Ready());
  const auto reference = Lines(StageDir() + "/lng/" + std::string(kReferenceName));
  std::vector<std::string> lines;
  for (const std::string_view key : {"[FW]", "[ADAT_0]", "[ADAT_1]"}) {
    lines.emplace_back(key);
    lines.push_back(calib::FindSectionLine(reference, key).value_or(""));
  }
  const std::string adaptive = older.File("adaptive.xsi");
  ASSERT_TRUE(core::WriteFileAtomic(adaptive, core::JoinCrLf(lines)));
  run = older.Cli({"write", adaptive, "--scope", "maps"});
  ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
  EXPECT_EQ(*run.exit_code, 1);
  EXPECT_NE(run.err.find("loading " + adaptive + " failed: the file is damaged"), std::string::npos)
      << run.err;
  const auto sent = older.Commands();
  EXPECT_FALSE(sent.empty());  // the connection and its full read
  for (const std::uint8_t c : sent) {
    EXPECT_TRUE(!Clears(c) && c != 0x17 && c != 0x15) << int{c};
  }
}

// The blocks an older ECU lacks come from the reference calibration the
// session chooses in the language folder (the save itself: CalibrationSave
// unit tests).
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
  const auto file = Parse(a);
  const auto reference = Parse(lng + "/" + std::string(kReferenceName));
  for (const Section s : {Section::kBlkDinst, Section::kObdErr, Section::kObdInfoErr}) {
    EXPECT_TRUE(file.Present(s));
    EXPECT_EQ(file.frames[s], reference.frames[s]);
  }
}

TEST(CalibE2e, ShippedReferenceCalibrationOpensAndShowsItsEntries) {
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

  // "show" prints every decoded entry as entry.field=value: cylinders in
  // block 3 and the connection block, the system identifier.
  TempRoot root;
  const CliRun run = RunCli(root, {"show", path});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  for (const std::string line : {"3.1=8\n", "5.6=8\n", "15.47=1\n", "2.9=500\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line;
  }
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
  EXPECT_EQ(RunCli(root, {"show", root.Root() + "/none.xsi"}).exit_code, 1);
}

}  // namespace
}  // namespace velmora::e2e
