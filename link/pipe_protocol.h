#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "core/bytes.h"

namespace velmora::link {

// Message types of the pipe protocol between the workstation and LinkSrv.
enum class MsgType : std::uint8_t {
  kShutdown = 1,
  kReset = 2,
  kOpenPort = 3,
  kSetParameter = 4,
  kEcuFrame = 6,
  kSetEcuWait = 8,
  kSetProfiles = 10,
  kPeriodic = 11,
  kSearch = 13,
  kClientName = 14,
  kPrepare = 15,
};

inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::uint8_t kMaxStatus = 17;

// Result codes of one exchange.
enum ExchangeResult : int {
  kOk = 0,
  kBadLength = 1,     // reply shorter than 8 bytes or length field wrong
  kBadStatus = 2,     // status above 17
  kShortPayload = 3,  // payload shorter than its status requires
  kNoExchange = 4,    // request not written, or no reply in time
};

// Request: total length (low byte first), type, five zero bytes, payload.
// Payloads longer than 65527 bytes cannot be framed: nullopt.
[[nodiscard]] std::optional<Bytes> EncodeRequest(std::uint8_t type,
                                                 std::span<const std::uint8_t> payload);

// The header bytes the workstation keeps from every well-formed reply.
struct ReplyHeader {
  std::uint8_t status = 0;
  std::uint8_t link_state = 0;
  std::uint8_t spare1 = 0;
  std::uint8_t parameter = 0;
  std::uint8_t port = 0;
  std::uint8_t spare2 = 0;
};

struct ParsedReply {
  int result = kBadLength;
  bool header_valid = false;  // the header was stored (result 0, 2 or 3)
  ReplyHeader header;
  Bytes payload;  // extracted by the status rule
};

// Parses a complete reply (length field high byte first) and extracts its
// payload by the status table.
[[nodiscard]] ParsedReply ParseReply(std::span<const std::uint8_t> reply);

// Builds a reply as LinkSrv writes it.
[[nodiscard]] Bytes EncodeReply(const ReplyHeader& header, std::span<const std::uint8_t> payload);

// Decoding a request on the LinkSrv side.
struct ParsedRequest {
  std::uint8_t type = 0;
  Bytes payload;
};
[[nodiscard]] std::optional<ParsedRequest> ParseRequest(std::span<const std::uint8_t> request);

}  // namespace velmora::link
