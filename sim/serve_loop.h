#pragma once

#include <signal.h>

#include <csignal>
#include <cstdint>
#include <functional>
#include <span>

#include "sim/ecu_model.h"
#include "sim/fault_injector.h"

namespace velmora::sim {

struct ServeSettings {
  int baud = 115200;                     // answers leave at this rate (8N1: 10 bits a byte)
  std::int64_t proc_us = 300;            // working time of every command
  bool log = false;                      // frames on standard error
  std::function<void()> memory_changed;  // called after every write
  // Called with every complete frame received, before it is answered, and
  // whether the ECU accepted it.
  std::function<void(std::span<const std::uint8_t>, bool)> received;
};

// Serves the line until `stop` becomes nonzero. The signals that set `stop`
// must be blocked by the caller; the loop waits with `wait_mask`, which
// leaves them open, so a signal always ends a wait and is never missed.
// Returns 0 on a requested stop, 1 when the line failed.
[[nodiscard]] int ServeEcu(int fd, EcuModel& model, FaultInjector& faults,
                           const ServeSettings& settings, const volatile std::sig_atomic_t& stop,
                           const sigset_t& wait_mask);

}  // namespace velmora::sim
