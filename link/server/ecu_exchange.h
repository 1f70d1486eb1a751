#pragma once

#include <cstdint>
#include <span>

#include "core/bytes.h"
#include "link/server/serial_port.h"
#include "platform/clock.h"

namespace velmora::link::server {

enum class ExchangeStatus {
  kAnswer,
  kTimeout,   // no complete answer within the ECU wait
  kBadCheck,  // the answer's check byte is wrong
  kIoError,   // the line failed or went away
};

struct ExchangeOutcome {
  ExchangeStatus status = ExchangeStatus::kIoError;
  Bytes answer;  // the whole answer frame when status is kAnswer
};

// Sends one request frame as it is and reads its answer until the answer's
// length byte is satisfied or `wait_us` has passed.
[[nodiscard]] ExchangeOutcome ExchangeFrame(SerialPort& port, platform::Clock& clock,
                                            std::span<const std::uint8_t> request,
                                            std::int64_t wait_us);

}  // namespace velmora::link::server
