#include "link/server/link_server.h"

#include <gtest/gtest.h>

#include "core/hex.h"
#include "link/ecu_frame.h"
#include "link/pipe_protocol.h"
#include "tests/linksrv/fake_serial.h"

namespace velmora::link::server {
namespace {

Bytes Hex(std::string_view h) {
  return core::HexToBin(h).value();
}

Bytes Answer(std::uint8_t command, Bytes data) {
  data.insert(data.begin(), 0x00);
  return ComponiFrame(kAnswerFirst, kAnswerSecond, command, data).value();
}

class LinkServerTest : public ::testing::Test {
 protected:
  LinkServerTest() {
    ports.devices = {{2, "/dev/ecu-a"}, {5, "/dev/ecu-b"}, {7, "/dev/missing"}};
    opener.lines["/dev/ecu-a"];
    opener.lines["/dev/ecu-b"];
  }

  // An ECU that identifies itself and answers every frame with its command.
  void MakeEcu(const std::string& device) {
    opener.lines[device].ecu = [](const Bytes& req) -> std::vector<Bytes> {
      if (req == Hex("4102032161")) {
        return {Answer(0x21, ident_data)};
      }
      return {Answer(req.at(3), {0xAB, 0xCD})};
    };
  }

  ParsedReply Send(MsgType type, Bytes payload = {}) {
    last = server.Handle(ParsedRequest{static_cast<std::uint8_t>(type), std::move(payload)});
    return ParseReply(last);
  }

  static inline const Bytes ident_data = Bytes(62, 0x41);
  platform::FakeClock clock;
  testing::FakeOpener opener{clock};
  testing::FakePorts ports;
  Logger log{false};
  LinkServer server{opener, ports, clock, log};
  Bytes last;
};

TEST_F(LinkServerTest, EveryReplyEchoesParameterLinkStateAndPort) {
  ParsedReply r = Send(MsgType::kSetParameter, {2});
  ASSERT_EQ(r.result, kOk);
  EXPECT_EQ(r.header.status, reply_status::kDone);
  EXPECT_EQ(r.header.parameter, 2);
  EXPECT_EQ(r.header.link_state, 0);
  EXPECT_EQ(r.header.port, 0);

  MakeEcu("/dev/ecu-a");
  r = Send(MsgType::kOpenPort, {2});
  EXPECT_EQ(r.header.link_state, 1);
  EXPECT_EQ(r.header.port, 2);
  EXPECT_EQ(r.header.parameter, 2);

  // Requests that change nothing still carry the state.
  for (const MsgType t : {MsgType::kPrepare, MsgType::kClientName, MsgType::kSetProfiles}) {
    r = Send(t, {0});
    ASSERT_EQ(r.result, kOk);
    EXPECT_EQ(r.header.status, reply_status::kDone);
    EXPECT_EQ(r.header.link_state, 1);
    EXPECT_EQ(r.header.parameter, 2);
    EXPECT_EQ(r.header.port, 2);
  }
  // An empty parameter message keeps the value in force.
  EXPECT_EQ(Send(MsgType::kSetParameter).header.parameter, 2);
  EXPECT_EQ(Send(MsgType::kSetParameter, {7}).header.parameter, 7);
}

TEST_F(LinkServerTest, OpenPortAnswersWithTheIdentificationAfterTryingProfiles) {
  MakeEcu("/dev/ecu-a");
  opener.lines["/dev/ecu-a"].answering_baud = 115200;
  const std::string profiles = "//57600,8N1//115200,8N1";
  ASSERT_EQ(Send(MsgType::kSetProfiles, Bytes(profiles.begin(), profiles.end())).result, kOk);

  const ParsedReply r = Send(MsgType::kOpenPort, {2});
  ASSERT_EQ(r.result, kOk);
  EXPECT_EQ(r.header.status, reply_status::kDone);
  EXPECT_EQ(r.payload, Answer(0x21, ident_data));
  EXPECT_EQ(r.payload.size(), 68u);
  const auto& line = opener.lines["/dev/ecu-a"];
  ASSERT_EQ(line.configured.size(), 2u);
  EXPECT_EQ(line.configured[0].baud, 57600);
  EXPECT_EQ(line.configured[1].baud, 115200);
  ASSERT_EQ(line.written.size(), 2u);
  EXPECT_EQ(line.written[1], Hex("4102032161"));
}

TEST_F(LinkServerTest, OpenPortFailsWithAnEmptyPayloadAndLinkStateZero) {
  // Not registered, registered but no device, device with a silent ECU.
  for (const std::uint8_t port : {std::uint8_t{9}, std::uint8_t{7}, std::uint8_t{5}}) {
    const ParsedReply r = Send(MsgType::kOpenPort, {port});
    ASSERT_EQ(r.result, kOk) << int(port);
    EXPECT_EQ(r.header.status, reply_status::kDone);
    EXPECT_TRUE(r.payload.empty());
    EXPECT_EQ(r.header.link_state, 0);
  }
  EXPECT_EQ(Send(MsgType::kOpenPort).header.link_state, 0);
  // The silent ECU was given the whole default wait for its identification.
  EXPECT_EQ(opener.lines["/dev/ecu-b"].written.size(), 1u);
}

TEST_F(LinkServerTest, EcuFrameRepliesWithTheWholeAnswerOrAFailureStatus) {
  // Without an open port the workstation sees error 3.
  ParsedReply r = Send(MsgType::kEcuFrame, Hex("4102030E4E"));
  EXPECT_EQ(r.header.status, reply_status::kNoAnswer);
  EXPECT_EQ(r.result, kShortPayload);

  MakeEcu("/dev/ecu-a");
  ASSERT_EQ(Send(MsgType::kOpenPort, {2}).header.link_state, 1);
  r = Send(MsgType::kEcuFrame, Hex("4102030E4E"));
  ASSERT_EQ(r.result, kOk);
  EXPECT_EQ(r.header.status, reply_status::kEcuAnswer);
  EXPECT_EQ(r.payload, Answer(0x0E, {0xAB, 0xCD}));
  EXPECT_EQ(r.header.link_state, 1);

  // The ECU falls silent: the wait set by message 8 runs out.
  opener.lines["/dev/ecu-a"].ecu = nullptr;
  ASSERT_EQ(Send(MsgType::kSetEcuWait, {0x2C, 0x01, 0, 0}).result, kOk);
  EXPECT_EQ(server.EcuWaitUs(), 300'000);
  ASSERT_EQ(Send(MsgType::kSetEcuWait, {0, 0, 0, 0}).result, kOk);
  EXPECT_EQ(server.EcuWaitUs(), 300'000) << "a zero wait keeps the wait in force";
  const std::int64_t before = clock.now;
  r = Send(MsgType::kEcuFrame, Hex("4102030E4E"));
  EXPECT_EQ(clock.now - before, 300'000);
  EXPECT_EQ(r.header.status, reply_status::kNoAnswer);
  EXPECT_EQ(r.result, kShortPayload);
  EXPECT_EQ(r.header.link_state, 0);

  // A corrupted answer is not passed on as data.
  opener.lines["/dev/ecu-a"].ecu = [](const Bytes& req) {
    Bytes a = Answer(req.at(3), {1});
    a.back() ^= 1;
    return std::vector<Bytes>{a};
  };
  EXPECT_EQ(Send(MsgType::kEcuFrame, Hex("4102030E4E")).header.status, reply_status::kNoAnswer);
}

TEST_F(LinkServerTest, ResetClosesThePortAndShutdownEndsTheServer) {
  MakeEcu("/dev/ecu-a");
  ASSERT_EQ(Send(MsgType::kOpenPort, {2}).header.link_state, 1);
  ParsedReply r = Send(MsgType::kReset, {0});
  EXPECT_EQ(r.header.status, reply_status::kDone);
  EXPECT_EQ(r.header.link_state, 0);
  EXPECT_EQ(Send(MsgType::kEcuFrame, Hex("4102030E4E")).header.status, reply_status::kNoAnswer);

  const std::string name = "Velmora.exe";
  EXPECT_EQ(Send(MsgType::kClientName, Bytes(name.begin(), name.end())).result, kOk);
  EXPECT_EQ(server.ClientName(), name);

  EXPECT_FALSE(server.ExitRequested());
  r = Send(MsgType::kShutdown);
  EXPECT_EQ(r.result, kOk);
  EXPECT_TRUE(server.ExitRequested());
}

TEST_F(LinkServerTest, PeriodicEchoesItsTwoBytesAndUnknownTypesAreNotServed) {
  ParsedReply r = Send(MsgType::kPeriodic, {12, 1});
  ASSERT_EQ(r.result, kOk);
  EXPECT_EQ(r.header.status, reply_status::kPeriodic);
  EXPECT_EQ(r.payload, (Bytes{12, 1}));
  EXPECT_EQ(Send(MsgType::kPeriodic, {12}).header.status, reply_status::kNotServed);

  for (const std::uint8_t type : {0, 5, 7, 9, 12, 16, 200}) {
    last = server.Handle(ParsedRequest{type, {1, 2, 3}});
    r = ParseReply(last);
    EXPECT_EQ(r.result, kOk) << int(type);
    EXPECT_EQ(r.header.status, reply_status::kNotServed) << int(type);
    EXPECT_EQ(last.size(), kHeaderSize);
  }
}

TEST_F(LinkServerTest, SearchTriesRegisteredPortsInOrderAndReportsTheOneFound) {
  // Nothing answers: port byte 0.
  ParsedReply r = Send(MsgType::kSearch, {0});
  ASSERT_EQ(r.result, kOk);
  EXPECT_EQ(r.header.status, reply_status::kSearch);
  EXPECT_EQ(r.header.port, 0);
  EXPECT_EQ(r.header.link_state, 0);
  EXPECT_EQ(opener.opened, (std::vector<std::string>{"/dev/ecu-a", "/dev/ecu-b", "/dev/missing"}));

  MakeEcu("/dev/ecu-b");
  r = Send(MsgType::kSearch, {0});
  EXPECT_EQ(r.header.port, 5);
  EXPECT_EQ(r.header.link_state, 1);
  EXPECT_EQ(r.payload, Answer(0x21, ident_data));

  // With the port open and answering, the search asks only that port.
  opener.opened.clear();
  r = Send(MsgType::kSearch, {0});
  EXPECT_EQ(r.header.port, 5);
  EXPECT_TRUE(opener.opened.empty());
  EXPECT_EQ(Send(MsgType::kEcuFrame, Hex("4102030D4D")).header.status, reply_status::kEcuAnswer);
}

}  // namespace
}  // namespace velmora::link::server
