// velmora-cli's map and axes commands against LinkSrv and the virtual ECU:
// a rectangle set through the session lands in the bank and nowhere else,
// the grid is shown with its headings, and new breakpoints become the ECU's
// lookup tables.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/hex.h"
#include "core/text.h"
#include "tests/e2e/e2e_support.h"

namespace velmora::e2e {
namespace {

const SetComValues kShortWaits{{"[AttesaGlobale_usec]", "300000"}};
constexpr int kCommandMs = 60'000;
constexpr std::size_t kRows = 23;

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  for (const std::string& w : core::Split(line, ' ')) {
    if (!w.empty()) {
      words.push_back(w);
    }
  }
  return words;
}

Bytes Bank1(const TempRoot& root, const Sim& sim) {
  const CliRun run = RunCli(root, WithPort(sim, {"bank", "read", "1"}), kCommandMs);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  const auto lines = NonEmptyLines(run.out);
  return lines.empty() ? Bytes{} : core::HexToBin(lines.back()).value_or(Bytes{});
}

std::string Joined(const std::vector<int>& values) {
  std::string out;
  for (const int v : values) {
    out += (out.empty() ? "" : ",") + std::to_string(v);
  }
  return out;
}

// The line of `text` that starts with `key`, without the key.
std::string After(const std::string& text, const std::string& key) {
  for (const std::string& line : NonEmptyLines(text)) {
    if (line.rfind(key, 0) == 0) {
      return line.substr(key.size());
    }
  }
  return {};
}

TEST(MapCliE2e, MapCellsAndAxesThroughTheCommandLine) {
  TempRoot root(kShortWaits);
  Sim sim(root, {"--seed", "4"});
  ASSERT_TRUE(sim.Ready());

  // Rows 2..4 by columns 6..8, given from the opposite corner.
  const Bytes before = Bank1(root, sim);
  ASSERT_EQ(before.size(), 552u);
  CliRun run = RunCli(root, WithPort(sim, {"map", "set", "0", "4", "8", "200", "--to", "2", "6"}),
                      kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const auto grid = NonEmptyLines(run.out);
  ASSERT_EQ(grid.size(), kRows + 1);
  EXPECT_EQ(Words(grid[0]).front(), "ms\\rpm");
  EXPECT_EQ(Words(grid[0]).size(), 25u);
  for (std::size_t r = 2; r <= 4; ++r) {
    const auto cells = Words(grid[r + 1]);
    ASSERT_EQ(cells.size(), 25u);
    for (std::size_t c = 6; c <= 8; ++c) {
      EXPECT_EQ(cells[c + 1], "200") << r << "," << c;
    }
  }
  const Bytes after = Bank1(root, sim);
  ASSERT_EQ(after.size(), 552u);
  for (std::size_t c = 0; c < 24; ++c) {
    for (std::size_t r = 0; r < kRows; ++r) {
      const bool inside = r >= 2 && r <= 4 && c >= 6 && c <= 8;
      EXPECT_EQ(after[c * kRows + r], inside ? 200 : before[c * kRows + r]) << r << "," << c;
    }
  }

  // The shown grid is the bank, cell by cell.
  run = RunCli(root, WithPort(sim, {"map", "show", "0"}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const auto shown = NonEmptyLines(run.out);
  ASSERT_EQ(shown.size(), kRows + 1);
  EXPECT_EQ(Words(shown[1]).front(), "0.000");
  EXPECT_EQ(Words(shown[0])[1], "0");
  for (std::size_t r = 0; r < kRows; ++r) {
    EXPECT_EQ(Words(shown[r + 1])[24], std::to_string(after[23 * kRows + r])) << r;
  }

  // New rpm breakpoints; the injection time ones stay.
  run = RunCli(root, WithPort(sim, {"axes", "show"}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const std::string time_before = After(run.out, "time breakpoints: ");
  ASSERT_FALSE(time_before.empty()) << run.out;
  const std::vector<int> rpm = {0,  8,  12, 16, 20, 24, 28, 32, 36,  40,  44,  48,
                                52, 56, 60, 64, 72, 80, 88, 96, 104, 112, 118, 124};
  run = RunCli(root, WithPort(sim, {"axes", "set", "--rpm", Joined(rpm)}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(After(run.out, "rpm breakpoints: "), Joined(rpm));
  EXPECT_EQ(After(run.out, "rpm: "),
            "0,512,768,1024,1280,1536,1792,2048,2304,2560,2816,3072,"
            "3328,3584,3840,4096,4608,5120,5632,6144,6656,7168,7552,7936");
  run = RunCli(root, WithPort(sim, {"axes", "show"}), kCommandMs);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(After(run.out, "rpm breakpoints: "), Joined(rpm));
  EXPECT_EQ(After(run.out, "time breakpoints: "), time_before);

  // Refused before anything starts.
  std::vector<int> bad = rpm;
  bad[0] = 3;
  const std::string time_list = time_before;
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"map", "set", "3", "0", "0", "1"},
           {"map", "set", "0", "23", "0", "1"},
           {"map", "set", "0", "0", "0", "256"},
           {"map", "set", "0", "0", "0", "1", "--to", "5"},
           {"map", "show", "x"},
           {"axes", "set", "--rpm", "0,1,2"},
           {"axes", "set"},
           {"axes", "set", "--rpm", Joined(bad), "--time", time_list}}) {
    run = RunCli(root, WithPort(sim, args), kCommandMs);
    EXPECT_EQ(run.exit_code, 2) << args[1] << " " << run.err;
  }
  EXPECT_NE(run.err.find("failure 3"), std::string::npos) << run.err;
  EXPECT_EQ(Bank1(root, sim), after);
}

}  // namespace
}  // namespace velmora::e2e
