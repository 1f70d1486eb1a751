// The switch-over and compensation pages through velmora-cli, LinkSrv and
// the virtual ECU as real processes: a switch-over speed and a centred
// compensation table reach the ECU, the page shows them as read back, and a
// later read of the block, from another process, finds them there.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/files.h"
#include "core/hex.h"
#include "tests/e2e/e2e_support.h"

namespace velmora::e2e {
namespace {

const SetComValues kShortWaits{{"[AttesaGlobale_usec]", "300000"}};
constexpr int kCommandMs = 60'000;
constexpr std::size_t kDataOffset = 5;  // answer data after 42 01 L cmd result

// The block as the ECU answers a read request of its own, outside any
// session.
Bytes ReadBlock(const TempRoot& root, const Sim& sim, const std::string& request) {
  const CliRun run = RunCli(root, WithPort(sim, {"send", request}), kCommandMs);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  const auto lines = NonEmptyLines(run.out);
  return lines.empty() ? Bytes{} : core::HexToBin(lines.front()).value_or(Bytes{});
}

std::uint16_t Word(const Bytes& frame, std::size_t data_byte) {
  const std::size_t at = kDataOffset + data_byte;
  return at + 1 < frame.size() ? static_cast<std::uint16_t>(frame[at] | (frame[at + 1] << 8)) : 0;
}

std::int8_t SignedByte(const Bytes& frame, std::size_t data_byte) {
  const std::size_t at = kDataOffset + data_byte;
  return at < frame.size() ? static_cast<std::int8_t>(frame[at]) : 0;
}

// The staged language folder (dictionary, ECU configuration) beside the
// temporary root's programs: the pages' lists come from it.
void CopyLanguageFolder(const TempRoot& root) {
  std::error_code ec;
  fs::copy(fs::path(StageBin()).parent_path() / "lng", fs::path(root.Root()) / "lng",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
  ASSERT_FALSE(ec) << ec.message();
  // English, whatever a run of the workstation left chosen in the stage.
  ASSERT_TRUE(core::WriteFileAtomic(root.Root() + "/lng/diz.con", "0\r\n"));
}

TEST(ConfigCliE2e, SwitchOverSpeedAndCentringReachTheEcu) {
  TempRoot root(kShortWaits);
  CopyLanguageFolder(root);
  RequestRecord record(root.Root() + "/requests.txt");
  Sim sim(root, {"--seed", "2", "--record", record.Path()});
  ASSERT_TRUE(sim.Ready());

  // 2000 rpm on the x 1 signal: r = 1998, 15 000 000 / r = 7507.
  CliRun run =
      RunCli(root, WithPort(sim, {"switchover", "set", "CmbSwtchRpm", "2000"}), kCommandMs);
  ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
  ASSERT_EQ(*run.exit_code, 0) << run.err;
  const auto lines = NonEmptyLines(run.out);
  ASSERT_GE(lines.size(), 3u) << run.out;
  EXPECT_EQ(lines[0], "CmbSwtchRpm=2000 rpm");
  EXPECT_EQ(lines[2], "3.35=7507");
  const auto commands = record.Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), std::uint8_t{0x11}), 1);

  const Bytes block3 = ReadBlock(root, sim, "4102030E4E");
  ASSERT_EQ(block3.size(), 81u);
  EXPECT_EQ("3.3=" + std::to_string(Word(block3, 3)), lines[1]);
  EXPECT_EQ(Word(block3, 41), 7507);  // word 35

  // The gas temperature table centred at 20 C (column 5) with F = 10.
  run = RunCli(root,
               WithPort(sim, {"compensation", "centre", "gas-temperature", "5", "--factor", "10"}),
               kCommandMs);
  ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
  ASSERT_EQ(*run.exit_code, 0) << run.err;
  const auto table = NonEmptyLines(run.out);
  ASSERT_EQ(table.size(), 3u) << run.out;
  EXPECT_EQ(table[1], "°C -20 -10 0 10 20 30 40 50 60 70 80 90 100 110 120");
  EXPECT_EQ(table[2].substr(0, 9), "% -1 -1 0");

  const Bytes gas = ReadBlock(root, sim, "4102037C3C");
  ASSERT_EQ(gas.size(), 38u);
  EXPECT_EQ(SignedByte(gas, 2 * 0 + 1), -1);  // -20 C
  EXPECT_EQ(SignedByte(gas, 2 * 4 + 1), 0);   // 20 C, the centre
  EXPECT_EQ(SignedByte(gas, 2 * 10 + 1), 1);  // 80 C

  // A calibration saved afterwards holds both.
  const std::string saved = root.Root() + "/saved.xsi";
  run = RunCli(root, WithPort(sim, {"read", saved}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  std::vector<std::string> file;
  ASSERT_TRUE(core::LeggiRighe(saved, file));
  const auto section = [&](const std::string& key) {
    const auto at = std::find(file.begin(), file.end(), key);
    return at == file.end() || at + 1 == file.end() ? Bytes{}
                                                    : core::HexToBin(*(at + 1)).value_or(Bytes{});
  };
  EXPECT_EQ(Word(section("[BLK_3]"), 41), 7507);
  EXPECT_EQ(SignedByte(section("[COM_TGASX]"), 2 * 10 + 1), 1);
  EXPECT_TRUE(LinkServerGone(root));
}

TEST(ConfigCliE2e, RefusedCentringAndUnknownWordsSendNothing) {
  TempRoot root(kShortWaits);
  RequestRecord record(root.Root() + "/requests.txt");
  Sim sim(root, {"--record", record.Path()});
  ASSERT_TRUE(sim.Ready());
  const CliRun run =
      RunCli(root, WithPort(sim, {"compensation", "centre", "lean-out", "5"}), kCommandMs);
  ASSERT_TRUE(run.exit_code.has_value());
  EXPECT_EQ(*run.exit_code, 1);
  EXPECT_NE(run.err.find("centring refused"), std::string::npos) << run.err;
  const auto commands = record.Commands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), std::uint8_t{0x5E}), 0);

  for (const auto& bad :
       std::vector<std::vector<std::string>>{{"switchover", "set", "CmbNothing", "1"},
                                             {"compensation", "centre", "9", "5"},
                                             {"compensation", "centre", "0", "16"}}) {
    const CliRun r = RunCli(root, WithPort(sim, bad));
    ASSERT_TRUE(r.exit_code.has_value());
    EXPECT_EQ(*r.exit_code, 2) << r.err;
  }
}

}  // namespace
}  // namespace velmora::e2e
