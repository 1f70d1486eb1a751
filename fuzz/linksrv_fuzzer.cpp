// The link server's side: pipe requests from the workstation and bytes from
// the serial line, both arbitrary, against the server's message handling and
// its answer assembly. The input is a run of records: a kind byte, a length
// byte and that many bytes. Kinds: a request built from a type byte and a
// payload, a request taken as raw bytes, an ECU answer the line gives back
// to the next frame written, and noise arriving on the line at once.
// Properties:
// - every request gets exactly one reply, and the workstation reads it (a
//   missing ECU answer as the short reply that stands for one);
// - a frame the assembler completes starts 42 01, is as long as its length
//   byte says and, unless reported damaged, passes its check byte.
#include <cstdint>
#include <deque>
#include <span>

#include "fuzz/fuzz_check.h"
#include "link/ecu_frame.h"
#include "link/pipe_protocol.h"
#include "link/server/answer_assembler.h"
#include "link/server/link_server.h"
#include "tests/linksrv/fake_serial.h"

namespace {

using velmora::Bytes;
using velmora::fuzz::Check;
namespace link = velmora::link;
namespace server = velmora::link::server;

enum Kind : std::uint8_t { kFramedRequest, kRawRequest, kEcuAnswer, kNoise, kKinds };
constexpr std::size_t kMaxRecords = 64;

void CheckAssembled(server::AnswerAssembler& assembler, std::span<const std::uint8_t> bytes) {
  const server::AnswerAssembler::State state = assembler.Feed(bytes);
  if (state == server::AnswerAssembler::State::kIncomplete) {
    return;
  }
  const Bytes& frame = assembler.Frame();
  Check(frame.size() >= link::kMinFrameSize);
  Check(frame[0] == link::kAnswerFirst && frame[1] == link::kAnswerSecond);
  Check(frame[link::frame_at::kLength] + 2u == frame.size());
  Check((link::CheckXor(frame) == 0) == (state == server::AnswerAssembler::State::kComplete));
  assembler = server::AnswerAssembler(std::nullopt);
}

void Serve(server::LinkServer& srv, std::span<const std::uint8_t> raw) {
  const auto request = link::ParseRequest(raw);
  const Bytes reply = request ? srv.Handle(*request) : srv.NotServed();
  const link::ParsedReply read = link::ParseReply(reply);
  // A missing answer is told with a reply the workstation reads as short.
  Check(read.result == link::kOk || (read.result == link::kShortPayload &&
                                     read.header.status == server::reply_status::kNoAnswer));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velmora::platform::FakeClock clock;
  server::testing::FakeOpener opener(clock);
  server::testing::FakePorts ports;
  ports.devices = {{1, "/dev/ecu"}, {2, "/dev/gone"}};
  std::deque<Bytes> answers;
  server::testing::FakeLine& line = opener.lines["/dev/ecu"];
  line.ecu = [&answers](const Bytes&) {
    std::vector<Bytes> out;
    if (!answers.empty()) {
      out.push_back(std::move(answers.front()));
      answers.pop_front();
    }
    return out;
  };
  const server::Logger log(false);
  server::LinkServer srv(opener, ports, clock, log);
  server::AnswerAssembler assembler(std::nullopt);

  std::size_t at = 0;
  for (std::size_t n = 0; n < kMaxRecords && at + 2 <= size && !srv.ExitRequested(); ++n) {
    const auto kind = static_cast<Kind>(data[at] % kKinds);
    const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
    const std::span<const std::uint8_t> body(data + at + 2, length);
    at += 2 + length;
    switch (kind) {
      case kFramedRequest: {
        const std::uint8_t type = body.empty() ? 0 : body[0];
        const auto request = link::EncodeRequest(type, body.empty() ? body : body.subspan(1));
        Serve(srv, *request);
        break;
      }
      case kRawRequest:
        Serve(srv, body);
        break;
      case kEcuAnswer:
        answers.emplace_back(body.begin(), body.end());
        CheckAssembled(assembler, body);
        break;
      case kNoise:
        line.incoming.emplace_back(body.begin(), body.end());
        CheckAssembled(assembler, body);
        break;
      case kKinds:
        break;
    }
  }
  return 0;
}
