#include "link/server/answer_assembler.h"

#include <gtest/gtest.h>

#include "core/hex.h"
#include "link/ecu_frame.h"
#include "link/server/ecu_exchange.h"
#include "tests/linksrv/fake_serial.h"

namespace velmora::link::server {
namespace {

using State = AnswerAssembler::State;

Bytes Hex(std::string_view h) {
  return core::HexToBin(h).value();
}

Bytes Answer(std::uint8_t command, Bytes data) {
  data.insert(data.begin(), 0x00);
  return ComponiFrame(kAnswerFirst, kAnswerSecond, command, data).value();
}

TEST(AnswerAssembler, SkipsNoiseAndStaleAnswersAndWaitsForTheLengthByte) {
  const Bytes answer = Answer(0x30, Bytes(16, 0x11));
  // Noise: a lone 0x42, a 0x42 0x01 with an impossible length, then a sound
  // late answer to another command, then ours.
  Bytes stream = Hex("00FF42004201024201");
  const Bytes stale = Answer(0x21, {1, 2, 3});
  stream.insert(stream.end(), stale.begin(), stale.end());
  stream.insert(stream.end(), answer.begin(), answer.end());

  AnswerAssembler a(0x30);
  for (std::size_t i = 0; i + 1 < stream.size(); ++i) {
    ASSERT_EQ(a.Feed(std::span<const std::uint8_t>(&stream[i], 1)), State::kIncomplete) << i;
  }
  ASSERT_EQ(a.Feed(std::span<const std::uint8_t>(&stream.back(), 1)), State::kComplete);
  EXPECT_EQ(a.Frame(), answer);
}

TEST(AnswerAssembler, WrongCheckByteOfTheAwaitedAnswerFailsAtOnce) {
  Bytes answer = Answer(0x0E, Bytes(75, 0x22));
  answer.back() ^= 0x5A;
  AnswerAssembler a(0x0E);
  EXPECT_EQ(a.Feed(answer), State::kBadCheck);

  // Any command is accepted when none is awaited.
  AnswerAssembler any(std::nullopt);
  EXPECT_EQ(any.Feed(Answer(0x99, {})), State::kComplete);
}

class ExchangeTest : public ::testing::Test {
 protected:
  platform::FakeClock clock;
  testing::FakeLine line;
  testing::FakeSerialPort port{line, clock};
  const Bytes request = Hex("4102033070");
};

TEST_F(ExchangeTest, AssemblesASplitAnswerAfterDiscardingStaleInput) {
  const Bytes answer = Answer(0x30, Bytes(16, 0x44));
  line.incoming.push_back(Hex("42011430"));  // left over from earlier
  line.ecu = [&](const Bytes&) {
    return std::vector<Bytes>{Hex("AA"), Bytes(answer.begin(), answer.begin() + 3),
                              Bytes(answer.begin() + 3, answer.end())};
  };
  const ExchangeOutcome out = ExchangeFrame(port, clock, request, 500'000);
  EXPECT_EQ(out.status, ExchangeStatus::kAnswer);
  EXPECT_EQ(out.answer, answer);
  EXPECT_EQ(line.discards, 1);
  ASSERT_EQ(line.written.size(), 1u);
  EXPECT_EQ(line.written[0], request);
}

TEST_F(ExchangeTest, TimesOutOnAPartialAnswerAndReportsLineFailures) {
  const Bytes answer = Answer(0x30, Bytes(16, 0x44));
  line.ecu = [&](const Bytes&) {
    return std::vector<Bytes>{Bytes(answer.begin(), answer.begin() + 10)};
  };
  const std::int64_t before = clock.now;
  const ExchangeOutcome out = ExchangeFrame(port, clock, request, 250'000);
  EXPECT_EQ(out.status, ExchangeStatus::kTimeout);
  EXPECT_TRUE(out.answer.empty());
  EXPECT_GE(clock.now - before, 250'000);

  line.read_fails = true;
  EXPECT_EQ(ExchangeFrame(port, clock, request, 250'000).status, ExchangeStatus::kIoError);
}

}  // namespace
}  // namespace velmora::link::server
