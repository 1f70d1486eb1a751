// The ECU's acquisition of the petrol injection sequence (0x5C): while the
// engine idles it learns the firing order from the petrol injectors, reports
// it per channel, gives every channel its own gas output and reports the
// sequential mode it now runs in. What it learnt stays in block 6, so it
// survives a restart through the state file like any written block.
#include <algorithm>
#include <array>

#include "link/ecu_frame.h"
#include "sim/commands.h"
#include "sim/diag_model.h"

namespace velmora::sim {
namespace {

constexpr const char* kBlock6 = "BLK6";

// Block 6 data bytes of the sequence.
namespace block6 {
constexpr std::size_t kFirstOutput = 11;     // gas output of channel i
constexpr std::size_t kMode = 99;            // sequence mode
constexpr std::size_t kFirstReported = 100;  // reported position of channel i
constexpr std::size_t kChannels = 8;
}  // namespace block6

// What the slow command's data byte asks for.
constexpr std::uint8_t kAcquire = 1;
constexpr std::uint8_t kAcquireMode4 = 4;  // a companion acquisition: nothing kept here
constexpr std::uint8_t kLearntMode = 1;
constexpr std::uint8_t kConditionsNotMet = 0x22;

// Common firing orders (cylinders counted from 1) by cylinder count.
using Order = std::array<std::uint8_t, block6::kChannels>;
constexpr std::array<Order, block6::kChannels + 1> kFiringOrders = {{
    {},
    {1},
    {1, 2},
    {1, 2, 3},
    {1, 3, 4, 2},
    {1, 2, 4, 5, 3},
    {1, 5, 3, 6, 2, 4},
    {1, 3, 5, 7, 2, 4, 6},
    {1, 5, 4, 8, 6, 3, 7, 2},
}};

std::size_t Cylinders(const EcuMemory& m) {
  const auto b3 = m.Region(region::kBlock3);
  return b3.size() > block3::kCylinders
             ? std::min<std::size_t>(b3[block3::kCylinders], block6::kChannels)
             : 0;
}

bool EngineIdles(const EcuMemory& m) {
  const auto d = m.Region(diag_region::kName);
  return d.size() > diag_region::kEraseAllowed && d[diag_region::kEraseAllowed] != 0;
}

EcuAnswer Acquire(EcuMemory& m) {
  const auto b6 = m.Region(kBlock6);
  const std::size_t n = Cylinders(m);
  if (b6.size() <= block6::kFirstReported + block6::kChannels || n == 0) {
    return Refused();
  }
  if (!EngineIdles(m)) {
    return Refused(kConditionsNotMet);
  }
  const Order& order = kFiringOrders[n];
  for (std::size_t i = 0; i < block6::kChannels; ++i) {
    b6[block6::kFirstOutput + i] = static_cast<std::uint8_t>(i);
    b6[block6::kFirstReported + i] =
        static_cast<std::uint8_t>(i < n ? order[i] - 1 : static_cast<int>(i));
  }
  b6[block6::kMode] = kLearntMode;
  return Written();
}

}  // namespace

void RegisterSequenceAcquisition(CommandTable& table, EcuMemory& /*memory*/,
                                 const SimSetup& /*setup*/) {
  table.Add(link::cmd::kAcquisition, [](const EcuRequest& r, EcuMemory& m) {
    if (r.data.size() != 1) {
      return Refused();
    }
    if (r.data[0] == kAcquire) {
      return Acquire(m);
    }
    return r.data[0] == kAcquireMode4 ? Ok() : Refused();
  });
}

}  // namespace velmora::sim
