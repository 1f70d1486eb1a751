// velmora-cli log and export against LinkSrv and the virtual ECU: half a
// minute of the live record into a view file, then its samples as CSV and
// as a picture; and the fast mode, whose reads follow each other as fast as
// the line allows.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/files.h"
#include "core/text.h"
#include "tests/e2e/e2e_support.h"

namespace velmora::e2e {
namespace {

// A slower line than the usual 115200 baud: the wire time of a record
// (a 5-byte request and a 126-byte answer) is then large beside what the
// three processes add to each exchange, and the rate the line allows (29.3
// a second) is still well above the 20 reads a second of the session's
// tick, which the fast mode must leave behind.
constexpr int kBaud = 38'400;
constexpr double kTickRate = 20.0;
constexpr double kBitsPerByte = 10.0;
constexpr double kRecordBytes = 5 + 126;
constexpr int kCommandMs = 120'000;

// The installation's logger set-up, dictionary and default calibration,
// which the export reads.
void CopyLng(const TempRoot& root) {
  const std::string from = StageBin() + "/../lng/";
  std::filesystem::create_directories(root.Root() + "/lng");
  for (const char* name :
       {"OsciList.ini", "OsciSetUp.ini", "diz.diz", "00 Direct Inj Custom.xsi"}) {
    std::filesystem::copy_file(from + name, root.Root() + "/lng/" + name);
  }
}

double RateOf(const std::string& out) {
  double rate = 0;
  for (const std::string& line : NonEmptyLines(out)) {
    if (std::sscanf(line.c_str(), "record rate: %lf per second", &rate) == 1) {
      return rate;
    }
  }
  return -1;
}

TEST(LogCliE2e, HalfAMinuteRecordedExportsAsCsvAndPicture) {
  TempRoot root;
  CopyLng(root);
  Sim sim(root, {"--seed", "3", "--baud", std::to_string(kBaud)});
  ASSERT_TRUE(sim.Ready());
  const std::string vfl = root.Root() + "/run.vfl";
  const CliRun log =
      RunCli(root, WithPort(sim, {"log", "--seconds", "30", "--out", vfl}), kCommandMs);
  ASSERT_TRUE(log.exit_code.has_value()) << "velmora-cli hung";
  ASSERT_EQ(*log.exit_code, 0) << log.err;
  std::printf("%s", log.out.c_str());
  EXPECT_NE(log.err.find("recording 10 s: "), std::string::npos) << log.err;
  EXPECT_NEAR(RateOf(log.out), 20.0, 2.0) << log.out;

  const std::string csv = root.Root() + "/run.csv";
  const CliRun exported = RunCli(root, {"export", vfl, "--csv", "--out", csv});
  ASSERT_EQ(exported.exit_code, 0) << exported.err;
  std::string text;
  ASSERT_TRUE(core::ReadWholeFile(csv, text));
  const auto lines = NonEmptyLines(text);
  ASSERT_GT(lines.size(), 1u);
  const auto heading = core::Split(lines[0], ',');
  const auto rpm_column = std::find(heading.begin(), heading.end(), "Engine speed (rpm)");
  ASSERT_NE(rpm_column, heading.end()) << lines[0];
  const auto rows = lines.size() - 1;
  EXPECT_GE(rows, 560u);
  EXPECT_LE(rows, 620u);
  std::set<std::int32_t> rpm;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const auto cells = core::Split(lines[i], ',');
    ASSERT_EQ(cells.size(), heading.size()) << lines[i];
    const auto v = core::ParseInt32(cells[static_cast<std::size_t>(rpm_column - heading.begin())]);
    ASSERT_TRUE(v.has_value()) << lines[i];
    EXPECT_GE(*v, 600);
    EXPECT_LE(*v, 9000);
    rpm.insert(*v);
  }
  EXPECT_GT(rpm.size(), 10u) << "the rpm does not move";

  const std::string png = root.Root() + "/run.png";
  ASSERT_EQ(RunCli(root, {"export", vfl, "--png", "--out", png}).exit_code, 0);
  std::string picture;
  ASSERT_TRUE(core::ReadWholeFile(png, picture));
  EXPECT_TRUE(picture.starts_with("\x89PNG\r\n\x1A\n"));
  EXPECT_GT(picture.size(), 2000u);
}

TEST(LogCliE2e, FastModeReadsAsFastAsTheLineAllows) {
  TempRoot root;
  Sim sim(root, {"--baud", std::to_string(kBaud)});
  ASSERT_TRUE(sim.Ready());
  const std::string vfl = root.Root() + "/fast.vfl";
  const CliRun log =
      RunCli(root, WithPort(sim, {"log", "--seconds", "10", "--fast", "--out", vfl}), kCommandMs);
  ASSERT_EQ(log.exit_code, 0) << log.err;
  const double line_limit = kBaud / kBitsPerByte / kRecordBytes;
  const double rate = RateOf(log.out);
  std::printf("%sthe line allows %.1f records per second at %d baud: %.2f of it reached\n",
              log.out.c_str(), line_limit, kBaud, rate / line_limit);
  // How close to the line's rate a busy machine comes is a figure, printed
  // above; that the reads no longer wait for the tick is the behaviour.
  EXPECT_GT(rate, 1.15 * kTickRate) << log.out;
  EXPECT_LE(rate, line_limit) << log.out;

  const CliRun bad = RunCli(root, {"log", "--seconds", "0", "--out", vfl});
  EXPECT_EQ(bad.exit_code, 2);
}

}  // namespace
}  // namespace velmora::e2e
