#pragma once

#include "platform/clock.h"

namespace velmora::platform {

class PosixClock final : public Clock {
 public:
  [[nodiscard]] std::int64_t NowMicros() override;
};

}  // namespace velmora::platform
