// The archive round trip through velmora-cli, LinkSrv and the virtual ECU:
// the ECU's calibration saved into the archive, two map cells changed, the
// archive entry compared with the ECU (exactly those two cells differ), the
// entry loaded back, and compared again (no difference).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace velmora::e2e {
namespace {

const SetComValues kShortWaits{{"[AttesaGlobale_usec]", "300000"}};
constexpr int kCommandMs = 60'000;

TEST(ArchiveE2e, SaveChangeCompareRestoreCompare) {
  TempRoot root(kShortWaits);
  Sim sim(root, {"--seed", "7"});
  ASSERT_TRUE(sim.Ready());
  const std::string entry = root.Root() + "/Data/M_P_4_X.qvd";

  CliRun run = RunCli(root, WithPort(sim, {"read", entry}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  run = RunCli(root, WithPort(sim, {"diff", entry, "ecu"}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_TRUE(NonEmptyLines(run.out).empty());

  for (const auto& cell : std::vector<std::vector<std::string>>{{"2", "6"}, {"5", "10"}}) {
    run = RunCli(root, WithPort(sim, {"map", "set", "0", cell[0], cell[1], "3"}), kCommandMs);
    ASSERT_EQ(run.exit_code, 0) << run.err;
  }
  run = RunCli(root, WithPort(sim, {"diff", entry, "ecu"}), kCommandMs);
  EXPECT_EQ(run.exit_code, 1) << run.err;
  const auto lines = NonEmptyLines(run.out);
  ASSERT_EQ(lines.size(), 2u) << run.out;
  EXPECT_EQ(lines[0].rfind("map 0 row 2 col 6: ", 0), 0u) << lines[0];
  EXPECT_EQ(lines[0].substr(lines[0].size() - 6), " \u2192 3");
  EXPECT_EQ(lines[1].rfind("map 0 row 5 col 10: ", 0), 0u) << lines[1];

  run = RunCli(root, WithPort(sim, {"write", entry}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  run = RunCli(root, WithPort(sim, {"diff", entry, "ecu"}), kCommandMs);
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_TRUE(NonEmptyLines(run.out).empty()) << run.out;

  // Two files, without an ECU; a side that cannot be read.
  run = RunCli(root, {"diff", entry, entry}, kCommandMs);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  run = RunCli(root, {"diff", entry, root.Root() + "/Data/none.qvd"}, kCommandMs);
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("cannot be read"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace velmora::e2e
