// velmora-cli against LinkSrv against velmora-ecusim on a pseudo-terminal.

#include <gtest/gtest.h>

#include "core/hex.h"
#include "link/port_registry.h"
#include "platform/posix/proc_process_list.h"
#include "tests/e2e/e2e_support.h"

namespace velmora::e2e {
namespace {

std::string Hex(std::size_t count, int seed) {
  Bytes b(count);
  for (std::size_t i = 0; i < count; ++i) {
    b[i] = static_cast<std::uint8_t>(i * 13 + seed);
  }
  return core::BinToHex(b);
}

TEST(CliE2e, IdentifyTellsEachGenerationApart) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"nex", "generation: 3 (NexHw)"},
      {"3rd", "generation: 2 (3rdHw)"},
      {"2nd", "generation: 1 (2ndHw)"},
      {"blank", "generation: 1 (2ndHw)"},
  };
  for (const auto& [hw, expected] : cases) {
    SCOPED_TRACE(hw);
    TempRoot root;
    Sim sim(root, {"--hw", hw});
    ASSERT_TRUE(sim.Ready());
    const CliRun run = RunCli(root, WithPort(sim, {"identify"}));
    ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
    EXPECT_EQ(*run.exit_code, 0) << run.err;
    EXPECT_NE(run.out.find(expected + "\n"), std::string::npos) << run.out;
    if (hw == "nex") {
      EXPECT_NE(run.out.find("version: 03.05 - 18/09/2019\n"), std::string::npos) << run.out;
      EXPECT_NE(run.out.find("text: GASECU SEQ NEXHW 8CYL R03"), std::string::npos);
    }
    EXPECT_TRUE(LinkServerGone(root));
  }
}

TEST(CliE2e, SendPrintsTheAnswerOrTheErrorText) {
  TempRoot root;
  Sim sim(root, {"--hw", "3rd"});
  ASSERT_TRUE(sim.Ready());
  CliRun run = RunCli(root, WithPort(sim, {"send", "4102032161"}));
  ASSERT_TRUE(run.exit_code);
  EXPECT_EQ(*run.exit_code, 0) << run.err;
  ASSERT_EQ(run.out.size(), 68u * 2 + 1) << run.out;
  EXPECT_EQ(run.out.substr(0, 10), "4201422100");
  const Bytes answer = core::HexToBin(run.out.substr(0, 136)).value_or(Bytes{});
  std::uint8_t x = 0;
  for (const std::uint8_t b : answer) {
    x ^= b;
  }
  EXPECT_EQ(x, 0);
  EXPECT_EQ(run.out.find_first_of("abcdef"), std::string::npos);

  run = RunCli(root, WithPort(sim, {"send", "41zz"}));
  ASSERT_TRUE(run.exit_code);
  EXPECT_EQ(*run.exit_code, 1);
  EXPECT_EQ(run.out, " ** ERROR ** \n");

  // The block read works on the same ECU.
  run = RunCli(root, WithPort(sim, {"send", "4102030E4E"}));
  ASSERT_TRUE(run.exit_code);
  EXPECT_EQ(*run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, 4), "4201");
}

TEST(CliE2e, BankWriteThenReadBackSurvivesARestart) {
  TempRoot root;
  const std::string state = root.Root() + "/ecu.state";
  const std::string bank2 = Hex(552, 5);
  const std::string bank1 = Hex(552 + 16, 9);
  {
    Sim sim(root, {"--hw", "nex", "--state", state});
    ASSERT_TRUE(sim.Ready());
    CliRun run = RunCli(root, WithPort(sim, {"bank", "write", "2", bank2}));
    ASSERT_TRUE(run.exit_code);
    EXPECT_EQ(*run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, bank2 + "\n");
    run = RunCli(root, WithPort(sim, {"bank", "write", "1", bank1}));
    ASSERT_TRUE(run.exit_code);
    EXPECT_EQ(*run.exit_code, 0) << run.err;
    // Writing the same bytes again sends no chunk and still reads back.
    run = RunCli(root, WithPort(sim, {"bank", "write", "1", bank1}));
    ASSERT_TRUE(run.exit_code);
    EXPECT_EQ(*run.exit_code, 0) << run.err;
  }
  Sim again(root, {"--hw", "nex", "--state", state});
  ASSERT_TRUE(again.Ready());
  CliRun run = RunCli(root, WithPort(again, {"bank", "read", "2"}));
  ASSERT_TRUE(run.exit_code);
  EXPECT_EQ(*run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, bank2 + "\n");
  run = RunCli(root, WithPort(again, {"bank", "read", "1"}));
  ASSERT_TRUE(run.exit_code);
  EXPECT_EQ(run.out, bank1.substr(0, 552 * 2) + "\n");
  run = RunCli(root, WithPort(again, {"bank", "read", "3"}));
  ASSERT_TRUE(run.exit_code);
  EXPECT_EQ(*run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out.size(), 552u * 2 + 1);
}

TEST(CliE2e, DeviceOptionAndPortList) {
  TempRoot root;
  Sim sim(root, {"--hw", "2nd"});
  ASSERT_TRUE(sim.Ready());
  CliRun run = RunCli(root, {"ports"});
  ASSERT_TRUE(run.exit_code);
  EXPECT_EQ(*run.exit_code, 0);
  EXPECT_NE(run.out.find("COM" + std::to_string(sim.Port()) + "\n"), std::string::npos) << run.out;
  // The device is registered already: it keeps its number.
  run = RunCli(root, {"--device", sim.Device(), "identify"});
  ASSERT_TRUE(run.exit_code);
  EXPECT_EQ(*run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("generation: 1 (2ndHw)"), std::string::npos);

  run = RunCli(root, {"--port", "200", "identify"});
  ASSERT_TRUE(run.exit_code);
  EXPECT_EQ(*run.exit_code, 1);
  EXPECT_FALSE(run.err.empty());
  run = RunCli(root, {"bank", "read", "4"});
  ASSERT_TRUE(run.exit_code);
  EXPECT_EQ(*run.exit_code, 2);
}

TEST(CliE2e, InjectedFaultsGiveTheCommunicationErrorAndNothingHangs) {
  // The identification on opening is frame 1; the command is frame 2.
  const std::vector<std::vector<std::string>> faults = {
      {"--drop-every", "2"},    {"--bad-xor-every", "2"}, {"--truncate-every", "2"},
      {"--garbage-every", "2"}, {"--silent-after", "1"},
  };
  for (const auto& fault : faults) {
    SCOPED_TRACE(fault[0]);
    TempRoot root(SetComValues{{"[AttesaGlobale_usec]", "300000"}});
    std::vector<std::string> args = {"--hw", "nex"};
    args.insert(args.end(), fault.begin(), fault.end());
    Sim sim(root, args);
    ASSERT_TRUE(sim.Ready());
    const CliRun run = RunCli(root, WithPort(sim, {"send", "4102030E4E"}), 20'000);
    ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
    EXPECT_EQ(*run.exit_code, 1);
    EXPECT_EQ(run.out, " ** ERROR ** \n");
    EXPECT_NE(run.err.find("Error 006 - Comunication error"), std::string::npos) << run.err;
    EXPECT_TRUE(LinkServerGone(root));
  }
}

TEST(CliE2e, AnswerLaterThanThePipeTimeOutIsATimeOut) {
  // The link server waits longer for the ECU than the tool waits for the
  // link server: the tool gives up first.
  // Margins wide enough for a loaded machine or a sanitizer build: the
  // identification must fit in the pipe time-out, the delayed answer not.
  TempRoot root(
      SetComValues{{"[AttesaPipe_usec]", "1500000"}, {"[AttesaGlobale_usec]", "6000000"}});
  Sim sim(root, {"--hw", "nex", "--delay-every", "2", "--delay-ms", "4000"});
  ASSERT_TRUE(sim.Ready());
  const CliRun run = RunCli(root, WithPort(sim, {"bank", "read", "2"}), 20'000);
  ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
  EXPECT_EQ(*run.exit_code, 1);
  EXPECT_NE(run.err.find("Error 007 - Time Out"), std::string::npos) << run.err;
  EXPECT_TRUE(run.out.empty());
  EXPECT_TRUE(LinkServerGone(root));
}

TEST(CliE2e, RefusesTheLinkWhileTheWorkstationRunsOnTheInstallation) {
  TempRoot root;
  Sim sim(root, {"--hw", "nex"});
  std::error_code ec;  // any program run as bin/velmora is the workstation to the tool
  fs::copy_file("/bin/sleep", root.Bin() + "/velmora", ec);
  Process workstation(root.Bin() + "/velmora", {"60"});
  ASSERT_TRUE(sim.Ready() && workstation.Started());
  using Words = std::vector<std::string>;
  for (const Words& words : {Words{"identify"}, Words{"bank", "read", "1"}, Words{"ports"}}) {
    const CliRun run = RunCli(root, WithPort(sim, words));
    const bool link = words.front() != "ports";  // the port list starts no link server
    EXPECT_EQ(run.exit_code, link ? 1 : 0) << words.front() << ": " << run.err;
    EXPECT_EQ(run.err.find("velmora-cli: the workstation (pid ") == 0 &&
                  run.err.find("(" + root.Root() + "); close it first\n") != std::string::npos,
              link)
        << run.err;
  }
}

}  // namespace
}  // namespace velmora::e2e
