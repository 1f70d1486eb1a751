// velmora-cli flash against LinkSrv and the virtual ECU's boot loader, with
// images made the way a firmware build makes them: a binary turned into S2
// records by objcopy. A newer image goes in with the calibration kept; a
// power cut leaves a blank ECU that a second update (after the virtual ECU
// itself restarted) brings back; a time-out ends the update with its code.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/files.h"
#include "core/hex.h"
#include "core/text.h"
#include "tests/e2e/e2e_support.h"
#include "tests/firmware/image_lines.h"

namespace velmora::e2e {
namespace {

// Each update waits the ECU's 13-second restart; the whole run stays well
// inside these.
constexpr int kFlashMs = 120'000;
constexpr int kCommandMs = 60'000;
const std::string kObjcopy = "/usr/bin/objcopy";

// An installation with the sector table, the images' folder, the language
// files and the reference calibration.
void Furnish(const TempRoot& root) {
  std::error_code ec;
  const std::string stage = StageBin() + "/..";
  fs::copy_file(StageBin() + "/Flash.ini", root.Bin() + "/Flash.ini", ec);
  fs::copy(stage + "/lng", root.Root() + "/lng", fs::copy_options::recursive, ec);
  fs::create_directories(root.Root() + "/Data", ec);
}

// `bytes` at `address` as the S2 lines objcopy makes of them.
std::vector<std::string> Objcopy(const TempRoot& root, const Bytes& bytes, std::uint32_t address) {
  const std::string bin = root.Root() + "/part.bin";
  const std::string srec = root.Root() + "/part.srec";
  EXPECT_TRUE(core::WriteFileAtomic(bin, std::string(bytes.begin(), bytes.end())));
  Process p(kObjcopy, {"-I", "binary", "-O", "srec", "--srec-len=32",
                       "--change-addresses=" + std::to_string(address), bin, srec});
  EXPECT_EQ(p.Wait(kCommandMs), 0) << p.err_text;
  std::string text;
  (void)core::ReadWholeFile(srec, text);
  std::vector<std::string> lines;
  for (const std::string& line : core::Split(text, '\n')) {
    if (line.rfind("S2", 0) == 0) {
      lines.push_back(line.substr(0, line.find('\r')));  // objcopy ends its lines with CR LF
    }
  }
  return lines;
}

// A firmware image of `code_size` bytes of program and the identification.
std::string MakeImage(const TempRoot& root, const std::string& name, std::size_t code_size,
                      const Bytes& identification) {
  Bytes code(code_size);
  for (std::size_t i = 0; i < code.size(); ++i) {
    code[i] = static_cast<std::uint8_t>((i * 53 + 3) & 0x7F);
  }
  std::vector<std::string> lines = {"[AdrFrmwarEcu]", "00FFE000"};
  for (const auto& part :
       {Objcopy(root, code, 0x00FC8000), Objcopy(root, identification, 0x00FFE000)}) {
    lines.insert(lines.end(), part.begin(), part.end());
  }
  const std::string path = root.Root() + "/" + name;
  EXPECT_TRUE(core::WriteFileAtomic(path, core::JoinCrLf(lines)));
  return path;
}

std::vector<std::string> SimArgs(const TempRoot& root, std::vector<std::string> more) {
  std::vector<std::string> args = {
      "--state", root.Root() + "/ecu.state", "--erase-ms", "300", "--restart-ms", "1000"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

bool Has(const CliRun& run, const std::string& text) {
  return run.out.find(text) != std::string::npos;
}

// The byte of bank 1 that holds map 0's cell (row 2, column 6).
std::string Cell(const TempRoot& root, const Sim& sim) {
  const CliRun run = RunCli(root, WithPort(sim, {"bank", "read", "1"}), kCommandMs);
  return run.out.size() > 282 ? run.out.substr((6 * 23 + 2) * 2, 2) : std::string();
}

class FirmwareE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kObjcopy)) {
      GTEST_SKIP() << "objcopy is needed to make the images";
    }
    Furnish(root);
  }
  TempRoot root;
};

TEST_F(FirmwareE2e, ANewerImageGoesInAndTheCalibrationStays) {
  Sim sim(root, SimArgs(root, {}));
  ASSERT_TRUE(sim.Ready());
  CliRun run = RunCli(root, WithPort(sim, {"map", "set", "0", "2", "6", "201"}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  // Same version 03.05, a later date: newer, and the calibration is carried.
  const std::string image =
      MakeImage(root, "newer.FRH", 4096,
                firmware::test::Identification(3, 5, 0x20, 0x01, 0x2020, firmware::test::kNexText));
  run = RunCli(root, WithPort(sim, {"flash", image}), kFlashMs);
  ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_TRUE(Has(run, "ecu: 03.05 - 18/09/2019")) << run.out;
  EXPECT_TRUE(Has(run, "image: 03.05 - 20/01/2020")) << run.out;
  EXPECT_TRUE(Has(run, "verdict: The chosen firmware is newer")) << run.out;
  EXPECT_TRUE(Has(run, "write: 33 blocks written of 33\n")) << run.out;
  EXPECT_TRUE(Has(run, "backup: " + root.Root() + "/Data/fw-backup-")) << run.out;
  EXPECT_TRUE(Has(run, "result: 0 ")) << run.out;

  run = RunCli(root, WithPort(sim, {"identify"}), kCommandMs);
  EXPECT_TRUE(Has(run, "version: 03.05 - 20/01/2020\n")) << run.out;
  EXPECT_EQ(Cell(root, sim), "C9");
}

TEST_F(FirmwareE2e, APowerCutLeavesABlankEcuThatASecondUpdateRestores) {
  const std::string image =
      MakeImage(root, "next.frh", 16384,
                firmware::test::Identification(3, 6, 0x20, 0x01, 0x2020, firmware::test::kNexText));
  {
    Sim sim(root, SimArgs(root, {"--power-loss-after-block", "100", "--power-off-ms", "500"}));
    ASSERT_TRUE(sim.Ready());
    const CliRun run = RunCli(root, WithPort(sim, {"flash", image}), kFlashMs);
    EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
    EXPECT_TRUE(Has(run, "write: 96 blocks written of 129")) << run.out;
    EXPECT_TRUE(Has(run, "result: 6 ")) << run.out;
  }
  // The virtual ECU restarts from its state file: still blank.
  Sim sim(root, SimArgs(root, {}));
  ASSERT_TRUE(sim.Ready());
  CliRun run = RunCli(root, WithPort(sim, {"identify"}), kCommandMs);
  EXPECT_TRUE(Has(run, "generation: 1 (2ndHw)")) << run.out;
  EXPECT_TRUE(Has(run, "version: FF.FF")) << run.out;
  run = RunCli(root, WithPort(sim, {"flash", image}), kFlashMs);
  ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_TRUE(Has(run, "verdict: The chosen firmware is newer")) << run.out;
  run = RunCli(root, WithPort(sim, {"identify"}), kCommandMs);
  EXPECT_TRUE(Has(run, "generation: 3 (NexHw)")) << run.out;
  EXPECT_TRUE(Has(run, "version: 03.06 - 20/01/2020\n")) << run.out;
}

TEST_F(FirmwareE2e, ATimeOutEndsTheUpdateWithItsCode) {
  // The erase outlasts the link's long wait (10 s).
  Sim sim(root, SimArgs(root, {"--erase-ms", "12000"}));
  ASSERT_TRUE(sim.Ready());
  const std::string image =
      MakeImage(root, "next.frh", 1024,
                firmware::test::Identification(3, 6, 0x20, 0x01, 0x2020, firmware::test::kNexText));
  const CliRun run = RunCli(root, WithPort(sim, {"flash", image}), kFlashMs);
  EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
  EXPECT_TRUE(Has(run, "result: 4 ")) << run.out;
  EXPECT_TRUE(LinkServerGone(root));
}

}  // namespace
}  // namespace velmora::e2e
