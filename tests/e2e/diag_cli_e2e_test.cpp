// velmora-cli's errors and obd commands against LinkSrv and the virtual ECU:
// an injected error is listed with its catalogue name and state, the erase
// clears it in the ECU, and the OBD reading starts with the protocol search,
// shows the trims and takes a trouble code into the selective-clear list.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace velmora::e2e {
namespace {

const SetComValues kShortWaits{{"[AttesaGlobale_usec]", "300000"}};
constexpr int kCommandMs = 60'000;

// The staged dictionary beside the root's programs: the catalogue's names.
void CopyLanguageFiles(const TempRoot& root) {
  std::error_code ec;
  fs::copy(fs::path(StageBin()).parent_path() / "lng", fs::path(root.Root()) / "lng",
           fs::copy_options::recursive, ec);
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(DiagCliE2e, ErrorsAreListedAndErasedInTheEcu) {
  TempRoot root(kShortWaits);
  CopyLanguageFiles(root);
  Sim sim(root, {"--seed", "4", "--ecu-error", "20:3,12"});
  ASSERT_TRUE(sim.Ready());
  CliRun run = RunCli(root, WithPort(sim, {"errors"}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  auto lines = NonEmptyLines(run.out);
  EXPECT_TRUE(Has(lines, "Err 20  Gas injector circuit  current: Open circuit Inj 3")) << run.out;
  EXPECT_TRUE(Has(lines, "Err 12  Gas temperature sensor  current: Open circuit")) << run.out;
  EXPECT_TRUE(Has(lines, "Err 05  Gas injector 6  stored: Open circuit")) << run.out;

  run = RunCli(root, WithPort(sim, {"errors", "--erase"}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(NonEmptyLines(run.out), (std::vector<std::string>{"no errors"}));
  // What the ECU holds now, read by a new session.
  run = RunCli(root, WithPort(sim, {"errors"}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(NonEmptyLines(run.out), (std::vector<std::string>{"no errors"}));
  EXPECT_EQ(RunCli(root, WithPort(sim, {"errors", "--all"})).exit_code, 2);
}

TEST(DiagCliE2e, ObdReadingTrimsAndTheSelectiveClearList) {
  TempRoot root(kShortWaits);
  CopyLanguageFiles(root);
  Sim sim(root, {"--seed", "4"});
  ASSERT_TRUE(sim.Ready());
  CliRun run = RunCli(root, WithPort(sim, {"obd", "--add-dtc", "p0420"}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  auto lines = NonEmptyLines(run.out);
  EXPECT_TRUE(Has(lines, "starting the OBD reading")) << run.out;
  EXPECT_TRUE(Has(lines, "protocol: CAN STD500")) << run.out;
  EXPECT_TRUE(Has(lines, "selective clear: P0420")) << run.out;
  EXPECT_TRUE(Has(lines, "stored DTCs: P0171")) << run.out;
  const auto trim = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
    return l.rfind("long-term trim bank 1: ", 0) == 0;
  });
  ASSERT_NE(trim, lines.end()) << run.out;
  EXPECT_EQ(trim->back(), '%');
  // Running already: no new search; the list is kept in the ECU.
  run = RunCli(root, WithPort(sim, {"obd", "--remove-dtc", "P0420"}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  lines = NonEmptyLines(run.out);
  EXPECT_FALSE(Has(lines, "starting the OBD reading")) << run.out;
  EXPECT_TRUE(Has(lines, "selective clear: none")) << run.out;
  EXPECT_EQ(RunCli(root, WithPort(sim, {"obd", "--add-dtc", "P4000"})).exit_code, 2);
}

}  // namespace
}  // namespace velmora::e2e
