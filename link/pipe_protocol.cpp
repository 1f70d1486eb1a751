#include "link/pipe_protocol.h"

#include <array>
#include <cstdint>

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

namespace {

constexpr std::size_t kAnyLength = SIZE_MAX;
constexpr std::size_t kWhole = SIZE_MAX;

// What a reply of each status carries: `take` bytes after the header
// (kWhole: all of them) when the total length lies in [min_total, max_total];
// otherwise nothing, which is error 3 where `short_is_error`.
struct StatusRule {
  std::size_t take;
  std::size_t min_total;
  std::size_t max_total;
  bool short_is_error;
};

constexpr StatusRule kNothing{0, 0, kAnyLength, false};
constexpr StatusRule kAll{kWhole, kHeaderSize, kAnyLength, true};

constexpr std::array<StatusRule, kMaxStatus + 1> kStatusRules{{
    {kWhole, 9, kAnyLength, false},  // 0
    kNothing,                        // 1
    kNothing,                        // 2
    {1, 9, kAnyLength, false},       // 3
    {1, 9, kAnyLength, true},        // 4
    kNothing,                        // 5
    kAll,                            // 6
    kAll,                            // 7
    kAll,                            // 8
    kNothing,                        // 9
    kAll,                            // 10
    {2, 10, kAnyLength, true},       // 11
    {20, 28, 28, true},              // 12
    kAll,                            // 13
    kAll,                            // 14
    kAll,                            // 15
    kAll,                            // 16
    kAll,                            // 17
}};

}  // namespace

ParsedReply ParseReply(std::span<const std::uint8_t> reply) {
  ParsedReply r;
  const std::size_t n = reply.size();
  if (n < kHeaderSize || static_cast<std::size_t>(reply[0]) * 256 + reply[1] != n) {
    r.result = kBadLength;
    return r;
  }
  r.header_valid = true;
  r.header = ReplyHeader{reply[2], reply[3], reply[4], reply[5], reply[6], reply[7]};
  if (r.header.status > kMaxStatus) {
    r.result = kBadStatus;
    return r;
  }
  const StatusRule& rule = kStatusRules[r.header.status];
  const auto body = reply.subspan(kHeaderSize);
  if (n < rule.min_total || n > rule.max_total) {
    r.result = rule.short_is_error ? kShortPayload : kOk;
    return r;
  }
  const std::size_t count = rule.take == kWhole ? body.size() : rule.take;
  r.payload.assign(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(count));
  r.result = kOk;
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
