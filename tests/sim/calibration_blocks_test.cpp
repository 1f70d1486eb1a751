// The virtual ECU as a calibration procedure sees it: every block of a saved
// calibration is answered, the factory calibration is the same on every
// start, the axis lookup tables move the working point, the finishing
// command, and the log of received requests.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/files.h"
#include "core/hex.h"
#include "core/text.h"
#include "link/ecu_frame.h"
#include "sim/axis_tables.h"
#include "sim/ecu_model.h"
#include "sim/live_record.h"
#include "sim/request_log.h"
#include "tests/core/temp_dir.h"

namespace velmora::sim {
namespace {

// A read request of a calibration save and the data size of its answer.
struct BlockRead {
  std::uint8_t command;
  Bytes data;
  std::size_t size;
};

const std::vector<BlockRead>& SaveReads() {
  static const std::vector<BlockRead> reads = {
      {0x21, {}, 62},
      {0x0C, {}, 120},
      {0x0D, {}, 20},
      {0x0E, {}, 75},
      {0x30, {}, 16},
      {0x12, {0x00, 0x00, 110}, 110},
      {0x12, {0x6E, 0x00, 110}, 110},
      {0x12, {0xDC, 0x00, 110}, 110},
      {0x12, {0x4A, 0x01, 110}, 110},
      {0x12, {0xB8, 0x01, 112}, 112},
      {0x16, {0xB8, 0x01, 112}, 112},
      {0x78, {0x00, 0x00, 110}, 110},
      {0x31, {}, 16},
      {0x3C, {}, 16},
      {0x7A, {}, 32},
      {0x7C, {}, 32},
      {0x7E, {}, 47},
      {0x80, {}, 32},
      {0x5D, {}, 34},
      {0x41, {}, 88},
      {0x44, {}, 88},
      {0x62, {}, 48},
      {0x1B, {}, 121},
      {0x1C, {}, 121},
      {0x20, {}, 121},
      {0x1F, {}, 121},
      {0x0F, {}, 64},
      {0x3A, {}, 32},
      {0x4B, {0x00, 0x00, 64}, 64},
      {0x4B, {0x40, 0x00, 64}, 64},
      {0x4E, {0x00, 0x00, 90}, 90},
      {0x4E, {0x5A, 0x00, 90}, 90},
      {0x6E, {}, 112},
      {0x74, {}, 56},
      {0x51, {}, 64},
      {0x9B, {}, 22},
      {0x9D, {}, 22},
  };
  return reads;
}

// The answer frame; the framing every answer must have is checked.
Bytes Ask(EcuModel& ecu, std::uint8_t command, const Bytes& data = {}) {
  const auto reply = ecu.Answer(link::RequestFrame(command, data).value());
  EXPECT_TRUE(reply.has_value());
  if (!reply) {
    return {};
  }
  const Bytes& f = reply->frame;
  EXPECT_EQ(f[2] + 2u, f.size());
  EXPECT_EQ(f[3], command);
  EXPECT_EQ(link::CheckXor(f), 0);
  return f;
}

Bytes DataOf(const Bytes& answer) {
  return answer.size() < 6 ? Bytes{} : Bytes(answer.begin() + 5, answer.end() - 1);
}

std::uint8_t ResultOf(const Bytes& answer) {
  return answer.size() > 4 ? answer[4] : 0xFF;
}

// The data bytes of the OBD record that are readings from the car.
constexpr std::size_t kObdReadingsFirst = 25;
constexpr std::size_t kObdReadingsLast = 55;

SimSetup ClockedSetup(Hardware hw, std::uint64_t seed, std::int64_t* now_us) {
  SimSetup s{hw, 0, seed};
  s.clock_us = [now_us] { return *now_us; };
  return s;
}

TEST(CalibrationBlocks, EveryBlockOfASaveIsAnsweredTheSameOnEveryStart) {
  for (const Hardware hw : {Hardware::kNex, Hardware::kThird, Hardware::kSecond}) {
    SCOPED_TRACE(static_cast<int>(hw));
    std::int64_t now_one = 0;
    std::int64_t now_two = 777'000'000;
    EcuModel one(ClockedSetup(hw, 1, &now_one));
    EcuModel two(ClockedSetup(hw, 9, &now_two));
    for (const BlockRead& r : SaveReads()) {
      SCOPED_TRACE(r.command);
      const Bytes a = Ask(one, r.command, r.data);
      ASSERT_EQ(ResultOf(a), 0x00);
      ASSERT_EQ(DataOf(a).size(), r.size);
      Bytes da = DataOf(a);
      Bytes db = DataOf(Ask(two, r.command, r.data));
      if (r.command == 0x0C) {
        continue;  // the live record follows the engine
      }
      if (r.command == 0x44) {
        for (std::size_t i = kObdReadingsFirst; i <= kObdReadingsLast; ++i) {
          da[i] = db[i] = 0;
        }
      }
      EXPECT_EQ(da, db) << "a factory block differs between two starts";
    }
  }
}

TEST(CalibrationBlocks, FactoryAxisTablesHoldRisingBreakpoints) {
  std::int64_t now = 0;
  EcuModel ecu(ClockedSetup(Hardware::kNex, 1, &now));
  struct Axis {
    std::uint8_t read;
    std::size_t half;
    int last_index;
  };
  for (const Axis& axis : {Axis{0x4B, 64, 23}, Axis{0x4E, 90, 22}}) {
    SCOPED_TRACE(axis.read);
    Bytes table = DataOf(Ask(ecu, axis.read, {0x00, 0x00, static_cast<std::uint8_t>(axis.half)}));
    const Bytes upper = DataOf(
        Ask(ecu, axis.read,
            {static_cast<std::uint8_t>(axis.half), 0x00, static_cast<std::uint8_t>(axis.half)}));
    table.insert(table.end(), upper.begin(), upper.end());
    ASSERT_EQ(table.size(), 2 * axis.half);
    // Starts at index 0, steps up by exactly one where it changes, and
    // reaches the last map index: a table the axis editor can turn back into
    // breakpoints.
    EXPECT_EQ(table.front(), 0);
    EXPECT_EQ(table.back(), axis.last_index);
    for (std::size_t v = 1; v < table.size(); ++v) {
      ASSERT_TRUE(table[v] == table[v - 1] || table[v] == table[v - 1] + 1) << "entry " << v;
    }
  }
  // Idle at 800 rpm is in the third column; 3 ms in the fifth row.
  EXPECT_EQ(RpmIndexIn(FactoryRpmTable(), 800), 2);
  EXPECT_EQ(TimeIndexIn(FactoryTimeTable(), 3000), 4);
  EXPECT_EQ(RpmIndexIn(FactoryRpmTable(), -5), 0);
  EXPECT_EQ(RpmIndexIn(FactoryRpmTable(), 1'000'000), 23);
  EXPECT_EQ(TimeIndexIn({}, 3000), 0);
}

TEST(CalibrationBlocks, AxisTableFromBreakpoints) {
  std::array<int, 24> every_five{};
  for (std::size_t i = 0; i < every_five.size(); ++i) {
    every_five[i] = static_cast<int>(5 * i);
  }
  const Bytes t = AxisTableFromBreakpoints(every_five, 128);
  ASSERT_EQ(t.size(), 128u);
  EXPECT_EQ(t[0], 0);
  EXPECT_EQ(t[4], 0);
  EXPECT_EQ(t[5], 1);
  EXPECT_EQ(t[9], 1);
  EXPECT_EQ(t[114], 22);
  EXPECT_EQ(t[115], 23);  // the last breakpoint and everything above it
  EXPECT_EQ(t[127], 23);
  const std::array<int, 3> not_from_zero = {1, 2, 3};
  const std::array<int, 3> not_rising = {0, 5, 5};
  const std::array<int, 3> beyond = {0, 5, 128};
  EXPECT_TRUE(AxisTableFromBreakpoints(not_from_zero, 128).empty());
  EXPECT_TRUE(AxisTableFromBreakpoints(not_rising, 128).empty());
  EXPECT_TRUE(AxisTableFromBreakpoints(beyond, 128).empty());
  EXPECT_TRUE(AxisTableFromBreakpoints({}, 128).empty());
}

TEST(CalibrationBlocks, WrittenAxisTablesMoveTheWorkingPoint) {
  std::int64_t now = 60'000'000;
  EcuModel ecu(ClockedSetup(Hardware::kNex, 1, &now));
  // Every speed in column 5, every injection time in row 7.
  for (const std::uint8_t address : {0x00, 0x40}) {
    Bytes d = {address, 0x00, 64};
    d.insert(d.end(), 64, 5);
    ASSERT_EQ(ResultOf(Ask(ecu, 0x4C, d)), 0x00);
  }
  for (const std::uint8_t address : {0x00, 0x5A}) {
    Bytes d = {address, 0x00, 90};
    d.insert(d.end(), 90, 7);
    ASSERT_EQ(ResultOf(Ask(ecu, 0x4F, d)), 0x00);
  }
  EXPECT_EQ(DataOf(Ask(ecu, 0x4B, {0x40, 0x00, 64})), Bytes(64, 5));
  EXPECT_EQ(DataOf(Ask(ecu, 0x4E, {0x5A, 0x00, 90})), Bytes(90, 7));
  for (int k = 0; k < 20; ++k) {
    now += 250'000;
    const Bytes live = DataOf(Ask(ecu, 0x0C));
    ASSERT_EQ(live.size(), kLiveRecordSize);
    EXPECT_EQ(live[92], 5);  // rpm index of the working point
    EXPECT_EQ(live[93], 7);  // injection-time index
  }

  // Pieces outside the table, empty pieces and lengths that do not match
  // the count are refused and change nothing.
  const std::vector<std::pair<std::uint8_t, Bytes>> refused = {
      {0x4B, {0x40, 0x00, 65}},
      {0x4B, {0x80, 0x00, 1}},
      {0x4B, {0x00, 0x00, 0}},
      {0x4B, {0x00, 0x00}},
      {0x4E, {0x5A, 0x00, 91}},
      {0x4E, {0x00, 0x01, 1}},
      {0x4B, {0x00, 0x00, 64, 0}},
      {0x4C, {0x7F, 0x00, 2, 9, 9}},
      {0x4C, {0x00, 0x00, 2, 9}},
      {0x4F, {0xB3, 0x00, 2, 9, 9}},
      {0x4F, {}},
  };
  for (const auto& [command, data] : refused) {
    EXPECT_EQ(ResultOf(Ask(ecu, command, data)), 0x02) << core::BinToHex(data);
  }
  EXPECT_EQ(DataOf(Ask(ecu, 0x4B, {0x7F, 0x00, 1})), Bytes{5});
  EXPECT_EQ(DataOf(Ask(ecu, 0x4E, {0xB3, 0x00, 1})), Bytes{7});
  // A one-byte write at the last entry is inside.
  EXPECT_EQ(ResultOf(Ask(ecu, 0x4F, {0xB3, 0x00, 1, 22})), 0x00);
  EXPECT_EQ(DataOf(Ask(ecu, 0x4E, {0xB3, 0x00, 1})), Bytes{22});
}

TEST(CalibrationBlocks, FinishingCommandClearsCurrentErrorsOnly) {
  std::int64_t now = 0;
  EcuModel ecu(ClockedSetup(Hardware::kNex, 1, &now));
  const auto errors = ecu.Memory().Region("ERROR_ECU");
  ASSERT_EQ(errors.size(), 64u);
  errors[3] = 1;   // error 3 present now
  errors[35] = 1;  // and stored
  const Bytes before = DataOf(Ask(ecu, 0x0F));
  ASSERT_EQ(before[3], 1);
  const auto reply = ecu.Answer(link::RequestFrame(0x14).value());
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->frame[4], 0x00);
  EXPECT_TRUE(reply->memory_changed);
  const Bytes after = DataOf(Ask(ecu, 0x0F));
  EXPECT_EQ(Bytes(after.begin(), after.begin() + 32), Bytes(32, 0));
  EXPECT_EQ(Bytes(after.begin() + 32, after.end()), Bytes(before.begin() + 32, before.end()));
  EXPECT_EQ(ResultOf(Ask(ecu, 0x14, {1})), 0x02);
  // The slow command still answers after its working time.
  const auto slow = ecu.Answer(link::RequestFrame(0x15).value());
  ASSERT_TRUE(slow);
  EXPECT_EQ(slow->frame[4], 0x00);
}

TEST(CalibrationBlocks, RequestLogKeepsEveryFrameOnItsOwnLine) {
  const test::TempDir dir;
  const std::string path = dir.File("requests.txt");
  {
    std::optional<RequestLog> log = RequestLog::Open(path);
    ASSERT_TRUE(log);
    log->Record(core::HexToBin("4102032161").value(), true);
    log->Record(core::HexToBin("4102032160").value(), false);
    log->Record({}, true);
  }
  std::string text;
  ASSERT_TRUE(core::ReadWholeFile(path, text));
  std::vector<std::string> lines = core::Split(text, '\n');
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "4102032161");
  EXPECT_EQ(lines[1], "4102032160 ignored");
  EXPECT_EQ(lines[2], "");
  // Opening again starts a new log.
  ASSERT_TRUE(RequestLog::Open(path));
  ASSERT_TRUE(core::ReadWholeFile(path, text));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(RequestLog::Open("/nonexistent-folder/x/log"));
}

}  // namespace
}  // namespace velmora::sim
