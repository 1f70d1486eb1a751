// velmora-cli ports over the machine's real serial enumeration and the
// installation's port registry, with virtual ECUs on pseudo-terminals.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/files.h"
#include "core/text.h"
#include "link/port_registry.h"
#include "platform/unique_fd.h"
#include "tests/e2e/e2e_support.h"

namespace velmora::e2e {
namespace {

std::vector<std::string> OutputLines(const std::string& out) {
  std::vector<std::string> lines = core::Split(out, '\n');
  if (!lines.empty() && lines.back().empty()) {
    lines.pop_back();
  }
  return lines;
}

bool IsSelectorLine(const std::string& line) {
  if (line == "USB") {
    return true;
  }
  std::string_view rest(line);
  if (!rest.starts_with("COM")) {
    return false;
  }
  rest.remove_prefix(3);
  if (rest.ends_with(" BT")) {
    rest.remove_suffix(3);
  }
  return !rest.empty() &&
         std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(PortsE2e, ListsTheVirtualEcusBesideTheMachinesPortsWithStableNumbers) {
  TempRoot root;
  Sim first(root, {"--hw", "2nd"});
  Sim second(root, {"--hw", "nex"});
  ASSERT_TRUE(first.Ready()) << first.Errors();
  ASSERT_TRUE(second.Ready()) << second.Errors();
  ASSERT_NE(first.Port(), second.Port());

  const CliRun run = RunCli(root, {"ports"});
  ASSERT_TRUE(run.exit_code);
  EXPECT_EQ(*run.exit_code, 0) << run.err;
  const std::vector<std::string> lines = OutputLines(run.out);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "USB");
  EXPECT_TRUE(std::all_of(lines.begin(), lines.end(), IsSelectorLine)) << run.out;
  EXPECT_TRUE(Has(lines, "COM" + std::to_string(first.Port()))) << run.out;
  EXPECT_TRUE(Has(lines, "COM" + std::to_string(second.Port()))) << run.out;

  // Whatever the machine has keeps its number on the next run.
  const CliRun again = RunCli(root, {"ports"});
  ASSERT_TRUE(again.exit_code);
  EXPECT_EQ(again.out, run.out);
}

TEST(PortsE2e, SearchFindsTheVirtualEcuAndRemembersItsPort) {
  TempRoot root;
  Sim sim(root, {"--hw", "3rd"});
  ASSERT_TRUE(sim.Ready()) << sim.Errors();
  const CliRun run = RunCli(root, {"ports", "search"});
  ASSERT_TRUE(run.exit_code);
  EXPECT_EQ(*run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "COM" + std::to_string(sim.Port()) + "\n");
  std::string remembered;
  ASSERT_TRUE(core::ReadWholeFile(root.Bin() + "/PortCom.ini", remembered));
  EXPECT_EQ(remembered, std::to_string(sim.Port()) + "\r\n");

  const CliRun wrong = RunCli(root, {"ports", "everything"});
  ASSERT_TRUE(wrong.exit_code);
  EXPECT_EQ(*wrong.exit_code, 2);
}

TEST(PortsE2e, AVirtualEcuKilledHardLeavesNoPortBehind) {
  // A pty the test holds open, so that the node outlives the virtual ECU
  // serving it, as when its number is handed out again.
  const platform::UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  ASSERT_TRUE(master.Valid());
  ASSERT_EQ(::grantpt(master.Get()), 0);
  ASSERT_EQ(::unlockpt(master.Get()), 0);
  const std::string node = ::ptsname(master.Get());
  TempRoot root;
  Sim dead(root, {"--device", node});
  ASSERT_TRUE(dead.Ready()) << dead.Errors();
  ASSERT_TRUE(dead.KillHard());
  Sim live(root, {"--hw", "nex"});
  ASSERT_TRUE(live.Ready()) << live.Errors();

  const CliRun run = RunCli(root, {"ports"});
  ASSERT_TRUE(run.exit_code);
  EXPECT_EQ(*run.exit_code, 0) << run.err;
  const std::vector<std::string> lines = OutputLines(run.out);
  EXPECT_TRUE(Has(lines, "COM" + std::to_string(live.Port()))) << run.out;
  if (live.Port() != dead.Port()) {
    EXPECT_FALSE(Has(lines, "COM" + std::to_string(dead.Port()))) << run.out;
  }
  for (const link::PortEntry& e : link::LoadPortRegistry(link::PortRegistryPath(root.Bin()))) {
    EXPECT_NE(e.device, node) << e.number;
  }
}

}  // namespace
}  // namespace velmora::e2e
