#include "link/server/ecu_exchange.h"

#include <array>
#include <optional>

#include "link/ecu_frame.h"
#include "link/server/answer_assembler.h"

namespace velmora::link::server {
namespace {

// More than the longest frame, so one read usually takes what is there.
constexpr std::size_t kReadChunk = 512;

}  // namespace

ExchangeOutcome ExchangeFrame(SerialPort& port, platform::Clock& clock,
                              std::span<const std::uint8_t> request, std::int64_t wait_us) {
  ExchangeOutcome out;
  if (port.DiscardInput() != IoResult::kOk || port.Write(request) != IoResult::kOk) {
    return out;
  }
  // Built in place: gcc 12 at -O2 wrongly warns about a copied
  // optional<uint8_t> being read uninitialised.
  AnswerAssembler assembler(request.size() > frame_at::kCommand
                                ? std::optional<std::uint8_t>(request[frame_at::kCommand])
                                : std::optional<std::uint8_t>());
  const std::int64_t deadline = clock.NowMicros() + wait_us;
  std::array<std::uint8_t, kReadChunk> buffer{};
  // The only read loop: a time-out, a signal or a partial read all come back
  // here, and the remaining time is worked out afresh each round.
  for (;;) {
    const std::int64_t remaining = deadline - clock.NowMicros();
    if (remaining <= 0) {
      out.status = ExchangeStatus::kTimeout;
      return out;
    }
    const ReadResult r = port.Read(buffer, remaining);
    if (r.result == IoResult::kTimeout) {
      continue;
    }
    if (r.result != IoResult::kOk) {
      out.status = ExchangeStatus::kIoError;
      return out;
    }
    switch (assembler.Feed(std::span<const std::uint8_t>(buffer.data(), r.count))) {
      case AnswerAssembler::State::kIncomplete:
        break;
      case AnswerAssembler::State::kComplete:
        out.status = ExchangeStatus::kAnswer;
        out.answer = assembler.Frame();
        return out;
      case AnswerAssembler::State::kBadCheck:
        out.status = ExchangeStatus::kBadCheck;
        return out;
    }
  }
}

}  // namespace velmora::link::server
