#include <algorithm>

#include "link/ecu_frame.h"
#include "sim/commands.h"

namespace velmora::sim {
namespace {

// The error memory: the current state of errors 0..31, then their stored
// state.
constexpr std::size_t kCurrentErrors = 32;
// Restarting the control with a new calibration takes a moment.
constexpr std::int64_t kRestartUs = 20'000;

}  // namespace

void RegisterFinishCommands(CommandTable& table, EcuMemory& /*memory*/, const SimSetup& /*setup*/) {
  // The ECU restarts its control on the calibration it now holds and runs
  // its self-test afresh: current errors are gone until they show again,
  // stored ones stay.
  table.Add(link::cmd::kFinish, [](const EcuRequest& r, EcuMemory& m) {
    if (!r.data.empty()) {
      return Refused();
    }
    const auto errors = m.Region(region::kErrorMemory);
    std::fill(errors.begin(), errors.begin() + std::min(errors.size(), kCurrentErrors), 0);
    EcuAnswer a = Written();
    a.busy_us = kRestartUs;
    return a;
  });
}

}  // namespace velmora::sim
