#include "sim/ecu_model.h"

#include <gtest/gtest.h>

#include "core/hex.h"
#include "link/ecu_frame.h"

namespace velmora::sim {
namespace {

Bytes Hex(std::string_view h) {
  return core::HexToBin(h).value();
}

Bytes Request(std::uint8_t command, const Bytes& data = {}) {
  return link::RequestFrame(command, data).value();
}

// Sends a request and returns the answer frame, checking the framing every
// answer must have.
Bytes Ask(EcuModel& ecu, std::uint8_t command, const Bytes& data = {}) {
  const auto reply = ecu.Answer(Request(command, data));
  EXPECT_TRUE(reply.has_value());
  if (!reply) {
    return {};
  }
  const Bytes& f = reply->frame;
  EXPECT_GE(f.size(), 6u);
  EXPECT_EQ(f[0], 0x42);
  EXPECT_EQ(f[1], 0x01);
  EXPECT_EQ(f[2] + 2u, f.size());
  EXPECT_EQ(f[3], command);
  EXPECT_EQ(link::CheckXor(f), 0) << "check byte";
  return f;
}

Bytes DataOf(const Bytes& answer) {
  return Bytes(answer.begin() + 5, answer.end() - 1);
}

// What each identity says is matched against the shipped firmware list by
// the end-to-end identify test; here only the frames.
TEST(EcuModel, IdentificationFramesOfEveryHardware) {
  for (const Hardware hw : {Hardware::kNex, Hardware::kThird, Hardware::kSecond}) {
    EcuModel ecu(SimSetup{hw});
    const Bytes f = Ask(ecu, 0x21);
    ASSERT_EQ(f.size(), 68u);
    EXPECT_EQ(std::string(f.begin() + 11, f.begin() + 21), "GASECU SEQ");
  }
  // A blank ECU answers as the start-up sequence's stored blank reference.
  EcuModel blank(SimSetup{Hardware::kBlank});
  EXPECT_EQ(core::BinToHex(Ask(blank, 0x21)), "4201422100" + std::string(76, 'F') +
                                                  "FEFE000000002000000" + "0" +
                                                  std::string(28, 'F') + "00");
}

TEST(EcuModel, BankChunksRoundTripInEveryBankAndStayInRange) {
  EcuModel ecu(SimSetup{});
  const struct { std::uint8_t read, write; } banks[] = {{0x12, 0x13}, {0x16, 0x17}, {0x78, 0x79}};
  const std::pair<int, int> chunks[] = {{0, 110}, {110, 110}, {220, 110}, {330, 110}, {440, 112}};
  for (const auto& bank : banks) {
    for (const auto& [addr, count] : chunks) {
      Bytes data = {static_cast<std::uint8_t>(addr & 0xFF), static_cast<std::uint8_t>(addr >> 8),
                    static_cast<std::uint8_t>(count)};
      Bytes values;
      for (int i = 0; i < count; ++i) {
        values.push_back(static_cast<std::uint8_t>(bank.write + addr + i));
      }
      Bytes write = data;
      write.insert(write.end(), values.begin(), values.end());
      const auto written = ecu.Answer(Request(bank.write, write));
      ASSERT_TRUE(written);
      EXPECT_TRUE(written->memory_changed);
      EXPECT_EQ(written->frame,
                (Bytes{0x42, 0x01, 0x04, bank.write, 0x00,
                       static_cast<std::uint8_t>(0x42 ^ 0x01 ^ 0x04 ^ bank.write)}));
      const Bytes read = Ask(ecu, bank.read, data);
      EXPECT_EQ(read[2], count + 4);
      EXPECT_EQ(DataOf(read), values);
    }
  }
  // The chunk at 330 as the workstation asks for it.
  EXPECT_EQ(Ask(ecu, 0x12, {0x4A, 0x01, 0x6E}).size(), 116u);
  // Past the end, a zero count, a count that does not match: refused.
  for (const Bytes& bad :
       {Bytes{0xB8, 0x01, 0x71}, Bytes{0, 0, 0}, Bytes{0xFF, 0xFF, 1}, Bytes{0}}) {
    const Bytes f = Ask(ecu, 0x12, bad);
    EXPECT_EQ(f.size(), 6u);
    EXPECT_NE(f[4], 0x00);
  }
  EXPECT_NE(Ask(ecu, 0x13, {0, 0, 3, 1, 2})[4], 0x00);
}

TEST(EcuModel, CompanionRecordTablesAndBlocks) {
  EcuModel ecu(SimSetup{});
  const Bytes record = Hex("00112233445566778899AABBCCDDEEFF");
  EXPECT_EQ(Ask(ecu, 0x32, record)[4], 0x00);
  EXPECT_EQ(DataOf(Ask(ecu, 0x31)), record);
  EXPECT_NE(Ask(ecu, 0x32, Bytes(15, 0))[4], 0x00);

  for (const std::uint8_t t : {0x1B, 0x1C, 0x20, 0x1F}) {
    const Bytes f = Ask(ecu, t);
    EXPECT_EQ(f.size(), 127u);
    EXPECT_EQ(f[2], 0x7D);
  }
  // The result table takes its 120 cells from the reset frame.
  const Bytes reset = Request(0x40, Bytes(120, 0));
  EXPECT_EQ(reset.size(), 125u);
  EXPECT_EQ(reset[2], 0x7B);
  ASSERT_TRUE(ecu.Answer(reset));
  Bytes risult = DataOf(Ask(ecu, 0x20));
  EXPECT_EQ(Bytes(risult.begin() + 1, risult.end()), Bytes(120, 0));
  Bytes cells(120);
  cells[5] = 0xFB;  // -5
  EXPECT_EQ(Ask(ecu, 0x40, cells)[4], 0x00);
  risult = DataOf(Ask(ecu, 0x20));
  EXPECT_EQ(Bytes(risult.begin() + 1, risult.end()), cells);
  EXPECT_NE(Ask(ecu, 0x40, Bytes(119, 0))[4], 0x00);
  // The other resets clear their table and keep its header byte.
  for (const auto& [clear, read] : {std::pair{0x1D, 0x1B}, {0x1E, 0x1C}, {0x3F, 0x1F}}) {
    const Bytes before = DataOf(Ask(ecu, read));
    EXPECT_NE(Bytes(before.begin() + 1, before.end()), Bytes(120, 0));
    EXPECT_EQ(Ask(ecu, clear)[4], 0x00);
    const Bytes after = DataOf(Ask(ecu, read));
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(Bytes(after.begin() + 1, after.end()), Bytes(120, 0));
  }
  // A block write of the wrong size is refused.
  EXPECT_NE(Ask(ecu, 0x10, Bytes(21, 0))[4], 0x00);
}

TEST(EcuModel, SlowUnknownAndBrokenRequests) {
  EcuModel ecu(SimSetup{Hardware::kNex, 2'000'000});
  const auto slow = ecu.Answer(Hex("4102031555"));
  ASSERT_TRUE(slow);
  EXPECT_EQ(slow->busy_us, 2'000'000);
  EXPECT_EQ(slow->frame[4], 0x00);

  const Bytes unknown = Ask(ecu, 0x99, {1, 2});
  EXPECT_EQ(unknown.size(), 6u);
  EXPECT_NE(unknown[4], 0x00);

  // No answer: wrong check byte, wrong length byte, wrong start, too short.
  for (const std::string_view bad :
       {"4102032160", "4102042161", "4202032162", "41020321", "", "41020221"}) {
    EXPECT_FALSE(ecu.Answer(Hex(bad))) << bad;
  }
}

}  // namespace
}  // namespace velmora::sim
