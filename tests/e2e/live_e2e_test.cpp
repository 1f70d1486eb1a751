// velmora-cli live against LinkSrv against velmora-ecusim: the main live
// record polled through the whole chain, decoded by the shipped table.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace velmora::e2e {
namespace {

// Physical limits of decoded fields of the main live record on a cold
// engine at idle: rpm (period turned into rpm), injection times, pressures,
// voltages, temperatures, level and the working-point indexes.
struct Range {
  std::size_t field;
  std::int32_t lo;
  std::int32_t hi;
};
constexpr Range kRanges[] = {
    {0, 0, 255},     {1, 0, 1},     {2, 0, 2},        {4, 0, 5},          {7, 1500, 7000},
    {32, 600, 3500}, {33, 0, 1300}, {34, 2800, 3200}, {35, 13000, 14500}, {36, 0, 1000},
    {37, 0, 1000},   {39, 0, 1000}, {40, 0, 1000},    {41, 0, 5000},      {42, 0, 5000},
    {43, -40, 130},  {44, -40, 80}, {46, 0, 100},     {49, 150, 900},     {51, 0, 23},
    {52, 0, 22},
};

std::vector<std::vector<std::int32_t>> ParseCsv(const std::string& text, std::string& header) {
  std::vector<std::vector<std::int32_t>> rows;
  const auto lines = core::Split(text, '\n');
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty()) {
      continue;
    }
    if (header.empty()) {
      header = lines[i];
      continue;
    }
    std::vector<std::int32_t> row;
    for (const auto& item : core::Split(lines[i], ',')) {
      row.push_back(core::ParseInt32(item).value_or(INT32_MIN));
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

TEST(LiveE2e, FortyPollsShowTheEngineRunningWithinItsLimits) {
  TempRoot root;
  Sim sim(root, {"--seed", "11"});
  ASSERT_TRUE(sim.Ready());
  const CliRun run = RunCli(root, WithPort(sim, {"live", "--count", "40"}));
  ASSERT_TRUE(run.exit_code.has_value()) << "velmora-cli hung";
  ASSERT_EQ(*run.exit_code, 0) << run.err;

  std::string header;
  const auto rows = ParseCsv(run.out, header);
  const auto columns = core::Split(header, ',');
  ASSERT_EQ(columns.size(), 79u) << header;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    ASSERT_EQ(columns[i], std::to_string(i));
  }
  ASSERT_EQ(rows.size(), 40u) << run.out;
  std::set<std::int32_t> rpm;
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), columns.size());
    for (const Range& r : kRanges) {
      EXPECT_GE(row[r.field], r.lo) << "field " << r.field;
      EXPECT_LE(row[r.field], r.hi) << "field " << r.field;
    }
    rpm.insert(row[32]);
  }
  EXPECT_GT(rpm.size(), 3u) << "the rpm does not move";
}

TEST(LiveE2e, ChosenFieldsAndBadArguments) {
  TempRoot root;
  Sim sim(root, {});
  ASSERT_TRUE(sim.Ready());
  const CliRun run = RunCli(root, WithPort(sim, {"live", "--count=3", "--fields", "32,43,51"}));
  ASSERT_TRUE(run.exit_code.has_value());
  ASSERT_EQ(*run.exit_code, 0) << run.err;
  std::string header;
  const auto rows = ParseCsv(run.out, header);
  EXPECT_EQ(header, "32,43,51");
  ASSERT_EQ(rows.size(), 3u);
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 3u);
    EXPECT_GE(row[0], 600);
    EXPECT_LE(row[0], 3500);
  }

  for (const auto& bad :
       std::vector<std::vector<std::string>>{{"live"},
                                             {"live", "--count", "0"},
                                             {"live", "--count", "2", "--fields", "32,x"},
                                             {"live", "--count", "2", "--fields", "79"},
                                             {"live", "--count", "2", "extra"}}) {
    const CliRun r = RunCli(root, WithPort(sim, bad));
    ASSERT_TRUE(r.exit_code.has_value());
    EXPECT_EQ(*r.exit_code, 2) << r.err;
    EXPECT_TRUE(r.out.empty());
  }
}

}  // namespace
}  // namespace velmora::e2e
