#pragma once

#include <cstdint>
#include <vector>

namespace velmora {

// A byte string: ECU frames, pipe payloads, calibration blocks.
using Bytes = std::vector<std::uint8_t>;

}  // namespace velmora
