// Arbitrary bytes on the pipe, both ways. A reply is taken as the channel
// reads it: the first two bytes announce its length (high byte first), and
// exactly that many bytes make the reply. A request is read as the link
// server reads it. Properties:
// - the result is one of the exchange results, a payload only comes with a
//   stored header and is never longer than what followed the header;
// - a reply the server writes reads back with its status and payload;
// - a request that reads, written again, gives the same bytes.
#include <cstdint>
#include <span>

#include "fuzz/fuzz_check.h"
#include "link/pipe_protocol.h"

namespace {

using velmora::Bytes;
namespace link = velmora::link;
using velmora::fuzz::Check;

void CheckReply(std::span<const std::uint8_t> input) {
  std::size_t take = input.size();
  if (input.size() >= 2) {
    const std::size_t total = static_cast<std::size_t>(input[0]) * 256 + input[1];
    if (total >= link::kHeaderSize) {
      take = std::min(take, total);
    } else {
      take = 2;  // the channel stops reading at a length below a header
    }
  }
  const std::span<const std::uint8_t> raw = input.first(take);
  const link::ParsedReply r = link::ParseReply(raw);
  Check(r.result >= link::kOk && r.result <= link::kShortPayload);
  Check(r.header_valid == (r.result != link::kBadLength));
  Check(r.payload.empty() || r.result == link::kOk);
  Check(r.payload.size() + link::kHeaderSize <= std::max(raw.size(), link::kHeaderSize));
  if (r.result == link::kOk) {
    Check(r.header.status <= link::kMaxStatus);
    // What the server writes of this header and payload reads back alike.
    const Bytes again = link::EncodeReply(r.header, r.payload);
    const link::ParsedReply back = link::ParseReply(again);
    Check(back.header_valid && back.header.status == r.header.status);
    Check(back.payload.size() <= r.payload.size());
  }
}

void CheckRequest(std::span<const std::uint8_t> input) {
  const auto request = link::ParseRequest(input);
  if (!request) {
    return;
  }
  Check(request->payload.size() + link::kHeaderSize <= input.size());
  const auto again = link::EncodeRequest(request->type, request->payload);
  Check(again.has_value());
  const auto back = link::ParseRequest(*again);
  Check(back && back->type == request->type && back->payload == request->payload);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto input = velmora::fuzz::BytesOf(data, size);
  CheckReply(input);
  CheckRequest(input);
  return 0;
}
