// velmora-cli sequence against LinkSrv and the virtual ECU as real
// processes: the idling engine's firing order is acquired, the page's lines
// show it, and the ECU keeps it in block 6 across a restart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/hex.h"
#include "tests/e2e/e2e_support.h"

namespace velmora::e2e {
namespace {

const SetComValues kShortWaits{{"[AttesaGlobale_usec]", "300000"}};
constexpr int kCommandMs = 90'000;
constexpr std::size_t kData = 5;  // answer data after 42 01 L cmd result

TEST(SeqCliE2e, AcquisitionShowsAndKeepsTheFiringOrder) {
  TempRoot root(kShortWaits);
  const std::string state = root.Root() + "/ecu.state";
  {
    Sim sim(root, {"--hw", "2nd", "--seed", "4", "--state", state});
    ASSERT_TRUE(sim.Ready());
    const CliRun run = RunCli(root, WithPort(sim, {"sequence"}), kCommandMs);
    ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
    ASSERT_EQ(*run.exit_code, 0) << run.err;
    EXPECT_EQ(NonEmptyLines(run.out),
              (std::vector<std::string>{"OUT: -1-2-3-4-", " CH: -1-2-3-4-", "SEQ: -1-3-4-2-",
                                        "Sequential mode 1 sequence - NORM."}));
  }
  Sim again(root, {"--hw", "2nd", "--state", state});
  ASSERT_TRUE(again.Ready());
  const CliRun run = RunCli(root, WithPort(again, {"send", "4102036E2E"}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const auto lines = NonEmptyLines(run.out);
  ASSERT_FALSE(lines.empty());
  const Bytes block6 = core::HexToBin(lines.front()).value_or(Bytes{});
  ASSERT_EQ(block6.size(), 118U);
  EXPECT_EQ(Bytes(block6.begin() + kData + 11, block6.begin() + kData + 15), (Bytes{0, 1, 2, 3}));
  EXPECT_EQ(block6[kData + 99], 1);  // sequential mode 1
  EXPECT_EQ(Bytes(block6.begin() + kData + 100, block6.begin() + kData + 104), (Bytes{0, 2, 3, 1}));
  EXPECT_TRUE(LinkServerGone(root));
}

}  // namespace
}  // namespace velmora::e2e
