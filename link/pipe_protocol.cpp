#include "link/pipe_protocol.h"

namespace velmora::link {

std::optional<Bytes> EncodeRequest(std::uint8_t type, std::span<const std::uint8_t> payload) {
  const std::size_t total = payload.size() + kHeaderSize;
  if (total > 0xFFFF) {
    return std::nullopt;
  }
  Bytes out;
  out.reserve(total);
  out.push_back(static_cast<std::uint8_t>(total & 0xFF));
  out.push_back(static_cast<std::uint8_t>(total >> 8));
  out.push_back(type);
  out.insert(out.end(), 5, 0);
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

ParsedReply ParseReply(std::span<const std::uint8_t> reply) {
  ParsedReply r;
  const std::size_t n = reply.size();
  if (n < kHeaderSize || static_cast<std::size_t>(reply[0]) * 256 + reply[1] != n) {
    r.result = kBadLength;
    return r;
  }
  r.header_valid = true;
  r.header = ReplyHeader{reply[2], reply[3], reply[4], reply[5], reply[6], reply[7]};
  const std::uint8_t status = reply[2];
  if (status > kMaxStatus) {
    r.result = kBadStatus;
    return r;
  }
  const auto body = reply.subspan(kHeaderSize);
  auto take = [&](std::size_t count) { r.payload.assign(body.begin(), body.begin() + count); };
  r.result = kOk;
  switch (status) {
    case 0:
      if (n >= 9) {
        take(body.size());
      }
      break;
    case 3:
      if (n >= 9) {
        take(1);
      }
      break;
    case 4:
      if (n > 8) {
        take(1);
      } else {
        r.result = kShortPayload;
      }
      break;
    case 11:
      if (n > 9) {
        take(2);
      } else {
        r.result = kShortPayload;
      }
      break;
    case 12:
      if (n == 28) {
        take(20);
      } else {
        r.result = kShortPayload;
      }
      break;
    case 6:
    case 7:
    case 8:
    case 10:
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
      take(body.size());
      break;
    default:  // 1, 2, 5, 9: nothing to extract
      break;
  }
  return r;
}

Bytes EncodeReply(const ReplyHeader& h, std::span<const std::uint8_t> payload) {
  const std::size_t total = payload.size() + kHeaderSize;
  Bytes out;
  out.reserve(total);
  out.push_back(static_cast<std::uint8_t>((total >> 8) & 0xFF));
  out.push_back(static_cast<std::uint8_t>(total & 0xFF));
  out.push_back(h.status);
  out.push_back(h.link_state);
  out.push_back(h.spare1);
  out.push_back(h.parameter);
  out.push_back(h.port);
  out.push_back(h.spare2);
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

std::optional<ParsedRequest> ParseRequest(std::span<const std::uint8_t> request) {
  if (request.size() < kHeaderSize ||
      request[0] + static_cast<std::size_t>(request[1]) * 256 != request.size()) {
    return std::nullopt;
  }
  ParsedRequest r;
  r.type = request[2];
  r.payload.assign(request.begin() + kHeaderSize, request.end());
  return r;
}

}  // namespace velmora::link
