// The connection session through velmora-cli, LinkSrv and the virtual ECU
// as real processes: the session finds and reads the ECU, polls it, applies
// a write list, and goes back to searching when the ECU is pulled away. Each
// command ends through the exit sequence.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "core/files.h"
#include "core/hex.h"
#include "core/text.h"
#include "link/ecu_frame.h"
#include "link/port_registry.h"
#include "platform/posix/proc_process_list.h"
#include "tests/e2e/e2e_support.h"

namespace velmora::e2e {
namespace {

// The link server gives a silent port little time, so a search over the
// machine's other serial ports moves on quickly.
const SetComValues kShortWaits{{"[AttesaGlobale_usec]", "300000"}};
constexpr int kCommandMs = 60'000;

std::size_t Count(const std::vector<std::uint8_t>& commands, std::uint8_t command) {
  return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), command));
}

TEST(SessionCliE2e, WatchConnectsReadsAndPrintsThePollRate) {
  TempRoot root(kShortWaits);
  Sim sim(root, {"--seed", "5"});
  ASSERT_TRUE(sim.Ready());
  const CliRun run = RunCli(root, WithPort(sim, {"watch", "--seconds", "10"}), kCommandMs);
  ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
  EXPECT_EQ(*run.exit_code, 0) << run.err;
  std::printf("%s", run.out.c_str());

  const auto lines = NonEmptyLines(run.out);
  ASSERT_GE(lines.size(), 5u) << run.out;
  EXPECT_NE(lines[0].find(" state 0 searching"), std::string::npos) << lines[0];
  EXPECT_NE(lines[1].find(" state 0 -> 2 connected"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find(" state 2 -> 5 closing"), std::string::npos) << lines[2];
  // Found on the remembered port, read in full, then polled.
  EXPECT_NE(run.err.find("Connecting to the ECU on port COM" + std::to_string(sim.Port())),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("Reading the ECU data, please wait..."), std::string::npos);
  EXPECT_NE(run.err.find("ECU connected"), std::string::npos);

  long long polls = 0;
  double connected = 0;
  ASSERT_EQ(std::sscanf(lines[lines.size() - 2].c_str(), "polls: %lld in %lf s connected", &polls,
                        &connected),
            2)
      << lines[lines.size() - 2];
  EXPECT_GT(polls, 0);
  EXPECT_GT(connected, 0);
  const std::string& rate_line = lines.back();
  ASSERT_EQ(rate_line.rfind("poll rate: ", 0), 0u) << rate_line;
  ASSERT_EQ(rate_line.substr(rate_line.size() - 3), " Hz");
  const double rate = std::strtod(rate_line.c_str() + 11, nullptr);
  std::printf("achieved poll rate: %.1f Hz (%lld polls in %.2f s connected)\n", rate, polls,
              connected);
  EXPECT_GT(rate, 0);
  EXPECT_TRUE(LinkServerGone(root));
}

TEST(SessionCliE2e, SetAppliesTheEntry3ListAndPrintsTheValueReadBack) {
  TempRoot root(kShortWaits);
  RequestRecord record(root.Root() + "/requests.txt");
  Sim sim(root, {"--record", record.Path()});
  ASSERT_TRUE(sim.Ready());
  // Two values: whatever the ECU held, one of them changes it.
  for (const std::int32_t wanted : {45, 50}) {
    (void)record.Commands();
    const CliRun run =
        RunCli(root, WithPort(sim, {"set", "3", "2", std::to_string(wanted)}), kCommandMs);
    ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
    EXPECT_EQ(*run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, "3.2=" + std::to_string(wanted) + "\n");
    // Exactly one block-3 write reached the ECU.
    EXPECT_EQ(Count(record.Commands(), link::cmd::kWriteBlock3), 1u);
  }

  // Words that name nothing writable send nothing.
  (void)record.Commands();
  for (const auto& bad : std::vector<std::vector<std::string>>{{"set", "4", "0", "1"},
                                                               {"set", "3", "9999", "1"},
                                                               {"set", "3", "2", "x"},
                                                               {"set", "3", "2"},
                                                               {"set", "3", "2", "1", "--request"},
                                                               {"set", "3", "2", "1", "9"}}) {
    const CliRun r = RunCli(root, WithPort(sim, bad));
    ASSERT_TRUE(r.exit_code.has_value());
    EXPECT_EQ(*r.exit_code, 2) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
  EXPECT_TRUE(record.Commands().empty());

  // A request nobody carries out is refused; the ECU keeps its value.
  const CliRun run =
      RunCli(root, WithPort(sim, {"set", "3", "2", "1", "--request", "99"}), kCommandMs);
  ASSERT_TRUE(run.exit_code.has_value());
  EXPECT_EQ(*run.exit_code, 1);
  EXPECT_NE(run.err.find("request 99"), std::string::npos) << run.err;
  EXPECT_EQ(Count(record.Commands(), link::cmd::kWriteBlock3), 0u);

  // A short answer to the 20th request (a bank read) stops the full read
  // part way: the record write is refused for that reason, and sends nothing.
  RequestRecord short_record(root.Root() + "/short.txt");
  Sim short_read(root, {"--record", short_record.Path(), "--truncate-every", "20"});
  ASSERT_TRUE(short_read.Ready());
  const CliRun refused =
      RunCli(root, WithPort(short_read, {"set", "3", "2", "45", "--request", "35"}), kCommandMs);
  ASSERT_TRUE(refused.exit_code.has_value());
  EXPECT_EQ(*refused.exit_code, 1);
  ASSERT_NE(refused.err.find("failed part way"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("request 35 was refused: the ECU's data were not read completely"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(refused.err.find("dropped"), std::string::npos) << refused.err;
  EXPECT_EQ(Count(short_record.Commands(), link::cmd::kWriteBlock3), 0u);
}

TEST(SessionCliE2e, PullingTheEcuAwayDuringWatchSearchesAgainAndFindsTheNextOne) {
  TempRoot root(kShortWaits);
  std::optional<Sim> sim;
  sim.emplace(root, std::vector<std::string>{"--seed", "7"});
  ASSERT_TRUE(sim->Ready());
  Process watch(root.Bin() + "/velmora-cli", WithPort(*sim, {"watch", "--seconds", "600"}));
  ASSERT_TRUE(watch.Started());
  const auto connected = watch.WaitFor(" state 0 -> 2 connected\n", kCommandMs);
  ASSERT_TRUE(connected) << watch.out_text << watch.err_text;
  const auto first_title = watch.WaitFor("ECU not connected - searching for the ECU...", 0, true);
  ASSERT_TRUE(first_title) << watch.err_text;

  // The adapter is pulled: the virtual ECU and its device are gone.
  const std::string device = sim->Device();
  sim.reset();
  ASSERT_TRUE(link::UnregisterPort(link::PortRegistryPath(root.Bin()), device));

  const auto lost = watch.WaitFor(" state 2 -> 0 searching\n", kCommandMs, false, *connected);
  ASSERT_TRUE(lost) << watch.out_text << watch.err_text;
  const auto error = watch.WaitFor("Error 006 - Comunication error", kCommandMs, true);
  ASSERT_TRUE(error) << watch.err_text;
  EXPECT_TRUE(watch.WaitFor("ECU not connected - searching for the ECU...", kCommandMs, true,
                            *first_title));
  // It keeps trying.
  EXPECT_TRUE(watch.WaitFor("Connecting to the ECU on port COM", kCommandMs, true, *error));

  // Another virtual ECU is plugged in and found by the search.
  sim.emplace(root, std::vector<std::string>{"--seed", "8"});
  ASSERT_TRUE(sim->Ready());
  ASSERT_TRUE(watch.WaitFor(" state 0 -> 2 connected\n", kCommandMs, false, *lost))
      << watch.out_text << watch.err_text;

  // Ctrl-C ends it through the exit sequence.
  watch.Signal(SIGTERM);
  const auto code = watch.Wait(kCommandMs);
  ASSERT_TRUE(code.has_value()) << "velmora-cli hung\n" << watch.out_text;
  EXPECT_EQ(*code, 0) << watch.err_text;
  std::printf("%s", watch.out_text.c_str());
  const auto lines = NonEmptyLines(watch.out_text);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_NE(lines[lines.size() - 3].find(" -> 5 closing"), std::string::npos)
      << lines[lines.size() - 3];
  EXPECT_EQ(lines.back().rfind("poll rate: ", 0), 0u) << lines.back();
  EXPECT_TRUE(LinkServerGone(root));
}

// The link server of `root`, or 0.
int LinkServerPid(const TempRoot& root) {
  platform::ProcProcessList processes;
  for (const auto& p : processes.List()) {
    if (p.exe_path == root.Bin() + "/LinkSrv") {
      return p.pid;
    }
  }
  return 0;
}

// A stopped process goes on when the test ends, whatever happened.
struct Resumed {
  int pid;
  ~Resumed() { ::kill(pid, SIGCONT); }
};

TEST(SessionCliE2e, ALinkServerThatStopsAnsweringEndsTheCommand) {
  TempRoot root(SetComValues{{"[AttesaPipe_usec]", "1500000"}, {"[AttesaGlobale_usec]", "300000"}});
  Sim sim(root, {});
  ASSERT_TRUE(sim.Ready());
  Process live(root.Bin() + "/velmora-cli",
               WithPort(sim, {"live", "--count", "100000", "--fields", "32"}));
  ASSERT_TRUE(live.Started());
  const auto header = live.WaitFor("32\n", kCommandMs);
  ASSERT_TRUE(header) << live.err_text;
  ASSERT_TRUE(live.WaitFor("\n", kCommandMs, false, *header)) << live.err_text;

  // The link server hangs: the exchange in progress times out, the session
  // closes itself, and the tool ends without waiting for anything more.
  const int pid = LinkServerPid(root);
  ASSERT_GT(pid, 0);
  ASSERT_EQ(::kill(pid, SIGSTOP), 0);
  {
    const Resumed resumed{pid};
    const auto code = live.Wait(kCommandMs);
    ASSERT_TRUE(code.has_value()) << "velmora-cli hung";
    EXPECT_EQ(*code, 1);
  }
  EXPECT_NE(live.err_text.find("Error 007 - Time Out"), std::string::npos) << live.err_text;
  EXPECT_NE(live.err_text.find("the connection to the ECU was lost"), std::string::npos)
      << live.err_text;
  // Once it runs again it finds its pipes closed and leaves.
  EXPECT_TRUE(LinkServerGone(root));
}

TEST(SessionCliE2e, WithoutAPortTheSessionScansUntilItsTimeoutOrAnEcuAnswers) {
  TempRoot root(kShortWaits);
  CliRun run = RunCli(root, {"--timeout", "2", "identify"}, kCommandMs);
  ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
  EXPECT_EQ(*run.exit_code, 1);
  EXPECT_TRUE(run.out.empty()) << run.out;
  EXPECT_NE(run.err.find("no ECU was found in time"), std::string::npos) << run.err;
  EXPECT_TRUE(LinkServerGone(root));

  // A port that is not in the port list is refused before anything starts.
  run = RunCli(root, {"--port", "200", "identify"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("COM200"), std::string::npos) << run.err;

  // With a virtual ECU on one of the ports the scan finds it, and its port
  // is remembered for the next run.
  Sim sim(root, {"--hw", "3rd"});
  ASSERT_TRUE(sim.Ready());
  run = RunCli(root, {"identify"}, kCommandMs);
  ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
  EXPECT_EQ(*run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("generation: 2 (3rdHw)\n"), std::string::npos) << run.out;
  std::vector<std::string> port_com;
  ASSERT_TRUE(core::LeggiRighe(root.Bin() + "/PortCom.ini", port_com));
  ASSERT_FALSE(port_com.empty());
  EXPECT_EQ(port_com.front(), std::to_string(sim.Port()));
  EXPECT_TRUE(LinkServerGone(root));
}

}  // namespace
}  // namespace velmora::e2e
