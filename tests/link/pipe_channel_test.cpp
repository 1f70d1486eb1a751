#include "link/pipe_channel.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "platform/fake/fake_sys_io.h"
#include "tests/link/fake_link.h"

namespace velmora::link {
namespace {

using platform::BoxKind;
using testing::ChannelRig;
using testing::RawReply;
using testing::Reply;

constexpr std::int64_t kTimeout = 1'000'000;

// Every request is answered with `reply`.
void AnswerAlways(ChannelRig& rig, Bytes reply) {
  rig.link.handler = [reply](const testing::Request&) { return std::optional<Bytes>(reply); };
}

void ExpectCommError(const ChannelRig& rig) {
  ASSERT_EQ(rig.box.shown.size(), 1u);
  EXPECT_EQ(rig.box.shown[0].text, "Error 006 - Comunication error");
  EXPECT_EQ(rig.box.shown[0].caption, "Comunication  error");
  EXPECT_EQ(rig.box.shown[0].kind, BoxKind::Critical);
}

TEST(PipeChannel, RequestFramingAndLengthsBothWays) {
  ChannelRig rig;
  const Bytes big_reply_payload(292, 0x5A);
  const Bytes big_reply = Reply(0, big_reply_payload);
  ASSERT_EQ(big_reply.size(), 300u);
  EXPECT_EQ(big_reply[0], 0x01);
  EXPECT_EQ(big_reply[1], 0x2C);
  AnswerAlways(rig, big_reply);
  Bytes out;
  ASSERT_EQ(rig.pipe.InviaMessaggio(MsgType::kShutdown, {}, kTimeout, &out), kOk);
  ASSERT_EQ(rig.link.raw_requests.size(), 1u);
  EXPECT_EQ(rig.link.raw_requests[0], (Bytes{8, 0, 1, 0, 0, 0, 0, 0}));
  // A 300-byte reply: length 0x01 0x2C, high byte first.
  EXPECT_EQ(out, big_reply_payload);

  const Bytes payload(300, 0x11);
  ASSERT_EQ(rig.pipe.InviaMessaggio(MsgType::kEcuFrame, payload, kTimeout, &out), kOk);
  const Bytes& req = rig.link.raw_requests[1];
  ASSERT_EQ(req.size(), 308u);
  EXPECT_EQ(req[0], 0x34);
  EXPECT_EQ(req[1], 0x01);
  EXPECT_EQ(req[2], 6);
  EXPECT_EQ(Bytes(req.begin() + 3, req.begin() + 8), Bytes(5, 0));
  EXPECT_TRUE(rig.box.shown.empty());
}

TEST(PipeChannel, ReplyStatusTableAndResultCodes) {
  struct Case {
    Bytes reply;
    int result;
    std::size_t payload_size;
  };
  const std::vector<Case> cases = {
      {RawReply(7, 0), kBadLength, 0},   // shorter than a header
      {RawReply(8, 18), kBadStatus, 0},  // status above 17
      {RawReply(27, 12), kShortPayload, 0},
      {RawReply(28, 12), kOk, 20},
      {RawReply(29, 12), kShortPayload, 0},
      {RawReply(8, 0), kOk, 0},  // status 0 of 8 bytes: empty payload
      {RawReply(8, 4), kShortPayload, 0},
      {RawReply(9, 4), kOk, 1},
      {RawReply(9, 11), kShortPayload, 0},
      {RawReply(10, 11), kOk, 2},
      {RawReply(12, 3), kOk, 1},
      {RawReply(12, 5), kOk, 0},
      {RawReply(12, 17), kOk, 4},
  };
  for (const Case& c : cases) {
    ChannelRig rig;
    AnswerAlways(rig, c.reply);
    Bytes out{0xEE};
    const int r = rig.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes{1}, kTimeout, &out);
    SCOPED_TRACE(::testing::Message() << "length " << c.reply.size() << " status "
                                      << (c.reply.size() > 2 ? c.reply[2] : -1));
    EXPECT_EQ(r, c.result);
    EXPECT_EQ(out.size(), c.payload_size);
    if (c.result == kOk) {
      EXPECT_TRUE(rig.box.shown.empty());
      EXPECT_EQ(rig.pipe.Last().payload, out);
    } else {
      ExpectCommError(rig);
    }
    EXPECT_FALSE(rig.flags.exit_request);
  }
}

TEST(PipeChannel, HeaderIsKeptAndLostLinkMarksTheEcuLostOnlyWhereAnEcuIsExpected) {
  ChannelRig rig;
  AnswerAlways(rig, Reply(0, Bytes{9}, /*link_state=*/1, /*parameter=*/7, /*port=*/5));
  ASSERT_EQ(rig.pipe.InviaMessaggio(MsgType::kSetParameter, Bytes{7}, kTimeout, nullptr), kOk);
  EXPECT_EQ(rig.pipe.Last().header.status, 0);
  EXPECT_EQ(rig.pipe.Last().header.link_state, 1);
  EXPECT_EQ(rig.pipe.Last().header.parameter, 7);
  EXPECT_EQ(rig.pipe.Last().header.port, 5);
  EXPECT_EQ(rig.pipe.Last().payload, Bytes{9});

  for (int state = 0; state <= 8; ++state) {
    ChannelRig r;
    r.flags.state = state;
    AnswerAlways(r, Reply(0, {}, /*link_state=*/0));
    ASSERT_EQ(r.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes{1}, kTimeout, nullptr), kOk);
    const bool expected = !(state == 0 || state == 4 || state == 6 || state == 7);
    EXPECT_EQ(r.flags.ecu_lost, expected) << "state " << state;
  }
  // A header that arrives with a bad status still counts.
  ChannelRig bad;
  bad.flags.state = 2;
  Bytes bad_reply = RawReply(8, 40);
  bad_reply[3] = 0;  // link state: no ECU
  AnswerAlways(bad, bad_reply);
  EXPECT_EQ(bad.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes{1}, kTimeout, nullptr), kBadStatus);
  EXPECT_EQ(bad.pipe.Last().header.status, 40);
  EXPECT_TRUE(bad.flags.ecu_lost);
}

TEST(PipeChannel, TimeOutShowsItsBoxAndRaisesTheExitFlags) {
  ChannelRig rig;
  rig.flags.ecu_lost = true;
  const std::int64_t start = rig.clock.now;
  Bytes out{1};
  EXPECT_EQ(rig.pipe.InviaMessaggio(MsgType::kReset, Bytes{0}, kTimeout, &out), kNoExchange);
  EXPECT_TRUE(out.empty());
  ASSERT_EQ(rig.box.shown.size(), 1u);
  EXPECT_EQ(rig.box.shown[0].text, "Error 007 - Time Out");
  EXPECT_EQ(rig.box.shown[0].caption, "");
  EXPECT_EQ(rig.box.shown[0].kind, BoxKind::Information);
  EXPECT_TRUE(rig.flags.timeout);
  EXPECT_TRUE(rig.flags.exit_request);
  EXPECT_FALSE(rig.flags.ecu_lost);
  EXPECT_GE(rig.clock.now - start, kTimeout);
  // Waited in slices of at most 10 ms.
  EXPECT_GE(rig.link.waits, 100);
}

TEST(PipeChannel, ZeroTimeOutSucceedsOnlyWhenTheReplyIsAlreadyThere) {
  // The link answers before the channel looks for the first time.
  platform::FakeSysIo io;
  ChannelRig instant(io);
  io.after_write = [&] {
    instant.link.Serve();
    instant.link.WaitReadable(-1, 0);  // flushes the queued reply into the pipe
  };
  AnswerAlways(instant, Reply(0, Bytes{1, 2}));
  Bytes out;
  EXPECT_EQ(instant.pipe.InviaMessaggio(MsgType::kReset, Bytes{0}, 0, &out), kOk);
  EXPECT_EQ(out, (Bytes{1, 2}));

  ChannelRig slow;
  AnswerAlways(slow, Reply(0, Bytes{1, 2}));
  EXPECT_EQ(slow.pipe.InviaMessaggio(MsgType::kReset, Bytes{0}, 0, &out), kNoExchange);
  EXPECT_EQ(slow.link.waits, 0);
  ASSERT_EQ(slow.box.shown.size(), 1u);
  EXPECT_EQ(slow.box.shown[0].text, "Error 007 - Time Out");
}

TEST(PipeChannel, ReplyInPiecesAndStaleBytes) {
  ChannelRig rig;
  const Bytes payload = {0x42, 0x01, 0x04, 0x21, 0x14, 0x72};
  AnswerAlways(rig, Reply(6, payload));
  rig.link.piece_size = 1;
  Bytes out;
  ASSERT_EQ(rig.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes{1}, kTimeout, &out), kOk);
  EXPECT_EQ(out, payload);
  EXPECT_GE(rig.link.waits, 14);

  // Leftovers of an earlier reply are thrown away, not taken for the answer.
  rig.link.piece_size = 0;
  rig.link.WriteRaw(Reply(6, Bytes{0xDE, 0xAD}));
  rig.link.WriteRaw(Bytes{0x00, 0x0C, 0x01});
  ASSERT_EQ(rig.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes{1}, kTimeout, &out), kOk);
  EXPECT_EQ(out, payload);

  // Bytes after a reply stay behind for the next request to discard.
  rig.link.handler = [&](const testing::Request&) {
    Bytes two = Reply(0, Bytes{7});
    const Bytes extra = Reply(0, Bytes{8});
    two.insert(two.end(), extra.begin(), extra.end());
    return std::optional<Bytes>(two);
  };
  ASSERT_EQ(rig.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes{1}, kTimeout, &out), kOk);
  EXPECT_EQ(out, Bytes{7});
  AnswerAlways(rig, Reply(0, Bytes{9}));
  ASSERT_EQ(rig.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes{1}, kTimeout, &out), kOk);
  EXPECT_EQ(out, Bytes{9});
  EXPECT_TRUE(rig.box.shown.empty());
}

TEST(PipeChannel, ReplyThatStopsHalfWayTimesOut) {
  ChannelRig rig;
  Bytes partial = Reply(6, Bytes(20, 1));
  partial.resize(12);
  AnswerAlways(rig, partial);
  EXPECT_EQ(rig.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes{1}, kTimeout, nullptr), kNoExchange);
  ASSERT_EQ(rig.box.shown.size(), 1u);
  EXPECT_EQ(rig.box.shown[0].text, "Error 007 - Time Out");
}

TEST(PipeChannel, ReentrantCallFromThePumpIsRefusedWithoutIoOrBox) {
  ChannelRig rig;
  AnswerAlways(rig, Reply(0, Bytes{1}));
  std::vector<int> inner_results;
  rig.link.on_pump = [&] {
    Bytes inner_out{5};
    inner_results.push_back(
        rig.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes{2}, kTimeout, &inner_out));
    EXPECT_TRUE(inner_out.empty());
    EXPECT_TRUE(rig.pipe.Busy());
  };
  Bytes out;
  ASSERT_EQ(rig.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes{1}, kTimeout, &out), kOk);
  EXPECT_EQ(out, Bytes{1});
  ASSERT_FALSE(inner_results.empty());
  for (const int r : inner_results) {
    EXPECT_EQ(r, kNoExchange);
  }
  EXPECT_EQ(rig.link.requests.size(), 1u);
  EXPECT_TRUE(rig.box.shown.empty());
  EXPECT_FALSE(rig.flags.timeout);
  EXPECT_FALSE(rig.pipe.Busy());
  // Once the exchange is over the channel takes requests again.
  rig.link.on_pump = nullptr;
  EXPECT_EQ(rig.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes{2}, kTimeout, &out), kOk);
}

void ExpectSendError(const ChannelRig& rig, bool session_ends = false) {
  ASSERT_EQ(rig.box.shown.size(), 1u);
  EXPECT_EQ(rig.box.shown[0].text, "Error 008 - Pipe send error ");
  EXPECT_EQ(rig.box.shown[0].caption, "Comunication error");
  EXPECT_EQ(rig.box.shown[0].kind, BoxKind::Critical);
  // Only a link server that is gone ends the session: it would never answer.
  EXPECT_EQ(rig.flags.exit_request, session_ends);
  EXPECT_EQ(rig.flags.timeout, session_ends);
}

TEST(PipeChannel, WriteFailuresShowThePipeSendError) {
  ChannelRig gone;
  gone.link.CloseRequests();  // nobody reads: EPIPE, and no SIGPIPE ends the test
  EXPECT_EQ(gone.pipe.InviaMessaggio(MsgType::kReset, Bytes{0}, kTimeout, nullptr), kNoExchange);
  ExpectSendError(gone, true);

  ChannelRig detached;
  detached.pipe.Detach();
  EXPECT_EQ(detached.pipe.InviaMessaggio(MsgType::kReset, Bytes{0}, kTimeout, nullptr),
            kNoExchange);
  ExpectSendError(detached);

  ChannelRig too_long;
  const Bytes huge(65528, 0);
  EXPECT_EQ(too_long.pipe.InviaMessaggio(MsgType::kEcuFrame, huge, kTimeout, nullptr), kNoExchange);
  ExpectSendError(too_long);
  EXPECT_TRUE(too_long.link.raw_requests.empty());
}

TEST(PipeChannel, LinkThatClosesItsOutputEndsTheWaitAtOnce) {
  ChannelRig rig;
  rig.link.CloseReplies();
  EXPECT_EQ(rig.pipe.InviaMessaggio(MsgType::kReset, Bytes{0}, kTimeout, nullptr), kNoExchange);
  EXPECT_EQ(rig.link.waits, 0);
  ASSERT_EQ(rig.box.shown.size(), 1u);
  EXPECT_EQ(rig.box.shown[0].text, "Error 007 - Time Out");
}

TEST(PipeChannel, InterruptedAndShortCallsStillMakeOneExchange) {
  platform::FakeSysIo io;
  io.max_write = 3;
  io.max_read = 1;
  io.Fail(platform::FakeSysIo::kWrite, EINTR);
  io.Fail(platform::FakeSysIo::kRead, EINTR, 3);
  ChannelRig rig(io);
  const Bytes payload(40, 0x33);
  AnswerAlways(rig, Reply(6, payload));
  Bytes out;
  ASSERT_EQ(rig.pipe.InviaMessaggio(MsgType::kEcuFrame, Bytes(10, 1), kTimeout, &out), kOk);
  EXPECT_EQ(out, payload);
  EXPECT_GE(io.Count(platform::FakeSysIo::kWrite), 7);  // 18 bytes, 3 at a time
  ASSERT_EQ(rig.link.raw_requests.size(), 1u);
  EXPECT_EQ(rig.link.raw_requests[0].size(), 18u);
}

TEST(PipeChannel, LaunchFailuresShowTheirPlainBoxes) {
  for (int failing = 1; failing <= 2; ++failing) {
    platform::FakeSysIo io;
    io.Fail(platform::FakeSysIo::kPipe, EMFILE, 1, failing - 1);
    ChannelRig rig(io);
    rig.pipe.Detach();
    EXPECT_FALSE(rig.pipe.AvviaLink());
    ASSERT_EQ(rig.box.shown.size(), 1u);
    EXPECT_EQ(rig.box.shown[0].text,
              failing == 1 ? "Error 004 - CreatePipe(hPipeRead, hPipeWrite, sa, 0)"
                           : "Error 004 - CreatePipe(hPipeRead1, hPipeWrite1, sa, 0)");
    EXPECT_EQ(rig.box.shown[0].caption, "");
    EXPECT_EQ(rig.box.shown[0].kind, BoxKind::Plain);
    EXPECT_FALSE(rig.pipe.Attached());
  }
  ChannelRig missing;  // /opt/velmora/bin/LinkSrv does not exist
  missing.pipe.Detach();
  EXPECT_FALSE(missing.pipe.AvviaLink());
  ASSERT_EQ(missing.box.shown.size(), 1u);
  EXPECT_EQ(missing.box.shown[0].text, "Error 005 - Can't create process");
  EXPECT_EQ(missing.box.shown[0].kind, BoxKind::Plain);

  EXPECT_EQ(LaunchFailureText(platform::SpawnFailure::kStdin),
            "Error 004 - SetStdHandle(STD_INPUT_HANDLE, hPipeRead)");
  EXPECT_EQ(LaunchFailureText(platform::SpawnFailure::kStdout),
            "Error 004 - SetStdHandle(STD_OUTPUT_HANDLE, hPipeWrite1)");
}

TEST(PipeChannel, AttendiPumpsUntilTheDeadline) {
  ChannelRig rig;
  const std::int64_t start = rig.pipe.Adesso();
  rig.pipe.Attendi(35'000);
  EXPECT_GE(rig.pipe.Adesso() - start, 35'000);
  EXPECT_EQ(rig.link.waits, 4);  // 10 + 10 + 10 + 5 ms
  EXPECT_GE(rig.link.pumps, 1);
}

}  // namespace
}  // namespace velmora::link
